// SIGINT, SIGTERM and SIGHUP as a request to stop: the run starts no new file,
// finishes those in flight, reports, and exits with 128 + the signal number.
#pragma once

namespace tessaly::cli {

// Installs the handlers; call once at start, before any thread is started.
void catchInterruptions();
// The signal that asked the run to stop, or 0.
int interruptingSignal();
// "SIGINT", "SIGTERM" or "SIGHUP".
const char *signalName(int signal);

} // namespace tessaly::cli
