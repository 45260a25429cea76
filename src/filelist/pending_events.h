// Lets a long loop hand the window its pending events on a time budget, so the
// window stays responsive without paying for event processing on every item.
#pragma once

#include <QElapsedTimer>

#include <functional>

namespace tessaly {

class PendingEvents {
public:
    static constexpr qint64 kBudgetMs = 30;

    // An empty callback makes poll() do nothing (command line, tests).
    explicit PendingEvents(std::function<void()> process) : m_process(std::move(process)) { m_clock.start(); }

    // Call at every point where the window may run its events; they run at the
    // first point (a long loop starts with a repaint) and then at most once per budget.
    void poll()
    {
        if (m_process && (m_first || m_clock.elapsed() >= kBudgetMs)) {
            m_first = false;
            m_process();
            m_clock.restart();
        }
    }

private:
    std::function<void()> m_process;
    QElapsedTimer m_clock;
    bool m_first = true;
};

} // namespace tessaly
