// Waiting for a descriptor of the command line's streams (a report pipe, a list
// on standard input) in a way that a stop signal can cut short.
#pragma once

#include "engine/stop_token.h"

#include <chrono>

namespace tessaly::cli {

// Waits until `fd` is ready for `events` (POLLIN, POLLOUT) or reports an error.
// Returns false when, after a stop was asked for through `stop`, it stayed
// unready for `afterStop` more: the stop is seen within a tenth of a second,
// whichever thread the signal interrupted.
bool waitForDescriptor(int fd, short events, const StopToken &stop, std::chrono::milliseconds afterStop);

} // namespace tessaly::cli
