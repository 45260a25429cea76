// SIGINT, SIGTERM and SIGHUP as a request to stop: the run starts no new file,
// finishes those in flight, reports, and exits with 128 + the signal number.
#pragma once

#include "engine/stop_token.h"

namespace tessaly::cli {

// Makes the three signals stop the run through `token`, which must outlive the
// program's run, and makes a write to a closed pipe fail with EPIPE instead of
// killing the program. Call first thing in main(), before anything is read or
// written and before any thread is started: a signal that comes at any time
// after, or that was already pending (blocked) when the program started, ends
// the program with its report.
void stopOnSignals(StopToken &token);
// "SIGINT", "SIGTERM" or "SIGHUP".
const char *signalName(int signal);

} // namespace tessaly::cli
