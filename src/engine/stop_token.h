// Asks a run to stop: it starts no new file and finishes the files in flight.
// Stop, Esc, closing the window and the command line's signals all set one.
#pragma once

#include <atomic>

namespace tessaly {

class StopToken {
public:
    // The reason of a stop that is not a signal (Stop, Esc, closing the window).
    static constexpr int kStopped = -1;

    // The first reason wins. Safe to call from a signal handler.
    void requestStop(int reason = kStopped) noexcept
    {
        int none = 0;
        m_reason.compare_exchange_strong(none, reason);
    }
    bool stopRequested() const noexcept { return m_reason.load() != 0; }
    // The signal number that stopped the run, kStopped, or 0 while none did.
    int reason() const noexcept { return m_reason.load(); }

private:
    std::atomic<int> m_reason{0};
    static_assert(std::atomic<int>::is_always_lock_free);
};

} // namespace tessaly
