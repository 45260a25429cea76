// The longest gap between the ticks of a short timer on the window's thread: how
// long the window's event loop was held up at the worst.
#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

class GapMeter {
public:
    explicit GapMeter(int intervalMs)
    {
        m_ticker.setInterval(intervalMs);
        QObject::connect(&m_ticker, &QTimer::timeout,
                         [this] { m_longest = std::max(m_longest, m_sinceTick.restart()); });
    }
    void start()
    {
        m_longest = 0;
        m_sinceTick.start();
        m_ticker.start();
    }
    // The longest gap in milliseconds, the one still open included.
    qint64 stop()
    {
        m_ticker.stop();
        return std::max(m_longest, m_sinceTick.elapsed());
    }

private:
    QTimer m_ticker;
    QElapsedTimer m_sinceTick;
    qint64 m_longest = 0;
};
