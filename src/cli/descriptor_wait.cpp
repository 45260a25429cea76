#include "cli/descriptor_wait.h"

#include <algorithm>
#include <cerrno>
#include <optional>

#include <poll.h>
#include <sys/stat.h>

namespace tessaly::cli {

namespace {

// How often a wait looks at the stop token: the signal wakes only the thread
// it happens to interrupt, which need not be the one waiting.
constexpr int kStopCheckMs = 100;

} // namespace

bool waitsForPeer(mode_t mode)
{
    return S_ISFIFO(mode) || S_ISSOCK(mode) || S_ISCHR(mode);
}

bool waitForDescriptor(int fd, short events, const StopToken &stop, std::chrono::milliseconds afterStop)
{
    using Clock = std::chrono::steady_clock;
    std::optional<Clock::time_point> deadline;
    for (;;) {
        if (!deadline && stop.stopRequested())
            deadline = Clock::now() + afterStop;
        int timeout = kStopCheckMs;
        if (deadline) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now());
            timeout = int(std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, kStopCheckMs));
        }
        pollfd watched{fd, events, 0};
        const int ready = ::poll(&watched, 1, timeout);
        // An error of the descriptor itself is for the read or write to report.
        if (ready > 0 || (ready < 0 && errno != EINTR))
            return true;
        if (deadline && Clock::now() >= *deadline)
            return false;
    }
}

} // namespace tessaly::cli
