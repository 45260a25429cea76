// Lets a long loop hand the window its pending events on a time budget, so the
// window stays responsive without paying for event processing on every item,
// and tells the loop whether to go on (false: the window is closing).
#pragma once

#include <QElapsedTimer>

#include <functional>

namespace tessaly {

// Runs the window's pending events; returns whether the work may go on.
using HandOverEvents = std::function<bool()>;

class PendingEvents {
public:
    static constexpr qint64 kBudgetMs = 30;

    // An empty callback makes poll() do nothing (command line, tests).
    explicit PendingEvents(HandOverEvents handOver) : m_handOver(std::move(handOver)) { m_clock.start(); }

    // Call at every point where the window may run its events; they run at the
    // first point (a long loop starts with a repaint) and then at most once per
    // budget. Returns whether to go on; once false, always false.
    [[nodiscard]] bool poll()
    {
        if (m_stopped)
            return false;
        if (m_handOver && (m_first || m_clock.elapsed() >= kBudgetMs)) {
            m_first = false;
            m_stopped = !m_handOver();
            m_clock.restart();
        }
        return !m_stopped;
    }

private:
    HandOverEvents m_handOver;
    QElapsedTimer m_clock;
    bool m_first = true;
    bool m_stopped = false;
};

} // namespace tessaly
