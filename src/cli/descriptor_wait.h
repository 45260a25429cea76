// Waiting for a descriptor of the command line's streams (a report pipe, a list
// on standard input) in a way that a stop signal can cut short.
#pragma once

#include "engine/stop_token.h"

#include <chrono>

#include <sys/types.h>

namespace tessaly::cli {

// Waits until `fd` is ready for `events` (POLLIN, POLLOUT) or reports an error.
// Returns false when, after a stop was asked for through `stop`, it stayed
// unready for `afterStop` more: the stop is seen within a tenth of a second,
// whichever thread the signal interrupted.
// Whether a descriptor of this kind can keep a reader or writer waiting on the
// other end (a pipe, a socket, a terminal): only those are worth a wait. A file
// is always ready.
bool waitsForPeer(mode_t mode);

bool waitForDescriptor(int fd, short events, const StopToken &stop, std::chrono::milliseconds afterStop);

} // namespace tessaly::cli
