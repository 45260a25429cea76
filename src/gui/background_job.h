// Runs one piece of work on a worker thread while the calling (window) thread
// keeps handling its events, and hands the result back to the caller.
#pragma once

#include <QEventLoop>
#include <QThreadPool>

#include <QPointer>

#include <chrono>
#include <functional>
#include <future>
#include <memory>

namespace tessaly {

class BackgroundJob {
public:
    BackgroundJob() { m_pool.setMaxThreadCount(1); }
    ~BackgroundJob() { m_pool.waitForDone(); }

    // Returns the job's result, or rethrows what it threw. The window's events
    // run meanwhile; if the application is asked to quit, the job in flight is
    // still waited for, so whatever it writes is finished before we return.
    // Work on fewer bytes than this is done at once on the calling thread: handing
    // it to the worker would cost more than it takes, and the window's events
    // wait for it no longer than a repaint does.
    static constexpr qint64 kInlineBytes = 1 << 20;

    template<class Result>
    Result run(const std::function<Result()> &job, qint64 workBytes)
    {
        if (workBytes < kInlineBytes)
            return job();
        // The task owns its promise; the pool's thread is kept for the next job
        // (waiting on the pool itself would end its threads every time).
        auto promise = std::make_shared<std::promise<Result>>();
        std::future<Result> outcome = promise->get_future();
        QEventLoop loop;
        QPointer<QEventLoop> loopAlive(&loop);
        m_pool.start([job, promise, loopAlive] {
            try {
                promise->set_value(job());
            } catch (...) {
                promise->set_exception(std::current_exception());
            }
            QMetaObject::invokeMethod(loopAlive, [loopAlive] { if (loopAlive) loopAlive->quit(); }, Qt::QueuedConnection);
        });
        if (outcome.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            loop.exec();
        // get() also waits when the loop was left early because the application is
        // quitting, so whatever the job writes is finished before we return.
        return outcome.get();
    }

private:
    QThreadPool m_pool;
};

} // namespace tessaly
