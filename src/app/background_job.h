// Runs one piece of work on a worker thread while the calling (window) thread
// keeps handling its events, and hands the result back to the caller.
#pragma once

#include <QEventLoop>
#include <QThreadPool>

#include <atomic>
#include <exception>
#include <functional>
#include <optional>

namespace tessaly {

class BackgroundJob {
public:
    BackgroundJob() { m_pool.setMaxThreadCount(1); }
    ~BackgroundJob() { m_pool.waitForDone(); }

    // Returns the job's result, or rethrows what it threw. The window's events
    // run meanwhile; if the application is asked to quit, the job in flight is
    // still waited for, so whatever it writes is finished before we return.
    template<class Result>
    Result run(const std::function<Result()> &job)
    {
        std::optional<Result> result;
        std::exception_ptr failure;
        std::atomic<bool> done{false};
        QEventLoop loop;
        m_pool.start([&] {
            try {
                result = job();
            } catch (...) {
                failure = std::current_exception();
            }
            done = true;
            QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
        });
        if (!done)
            loop.exec();
        // Also covers a loop left early because the application is quitting.
        m_pool.waitForDone();
        if (failure)
            std::rethrow_exception(failure);
        return std::move(*result);
    }

private:
    QThreadPool m_pool;
};

} // namespace tessaly
