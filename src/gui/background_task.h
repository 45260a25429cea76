// The one way the window works in the background: a job on a thread of its own
// with a stop token, whose items reach the window's thread queued and in batches,
// and whose end comes once, after the last batch.
#pragma once

#include "engine/stop_token.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tessaly {

// What a task's job works on and how its deliveries are timed, whatever it
// reports. Use BackgroundTask below.
class BackgroundTaskBase : public QObject {
public:
    // Deliveries come at most this often: the window's thread takes the items of
    // many small steps at once instead of one event per item.
    static constexpr qint64 kDeliveryInterval = 10;  // milliseconds

    // From start until the end has been delivered, or the job was given up.
    bool isWorking() const { return m_current != nullptr; }
    // Asks the job to stop; it returns early and its end is delivered as usual.
    void stop();
    // Asks the job to stop and forgets it at once: nothing it still reports is
    // delivered, its end neither, and a new job may start right away. The task
    // waits for the job only when it is destroyed.
    void abandon();

protected:
    // One start's thread and token.
    struct Job {
        StopToken stop;
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    BackgroundTaskBase() = default;
    // The derived task calls this first in its destructor: the jobs still working
    // may report into its members until they are joined.
    void abandonAndWait();
    // Gives up a job still working, then runs `body` on a thread of its own.
    // Throws std::system_error when the system grants no thread; the task is then
    // not working.
    void launch(std::function<void(Job &job)> body);

    // Under m_mutex, on a job's thread: whether what `job` reports still counts.
    bool isCurrent(const Job &job) const { return m_current.get() == &job; }
    // Under m_mutex: has the window's thread take what arrived, unless a
    // delivery is already on its way.
    void postDelivery();
    // On the window's thread, when the end of the current job has been taken.
    void joinCurrent();
    const Job *current() const { return m_current.get(); }

    // On the window's thread: takes what arrived (under m_mutex, clearing
    // m_posted) and hands it to the handlers.
    virtual void handOver() = 0;
    // Under m_mutex: drops what arrived from a job given up.
    virtual void dropArrived() = 0;

    std::mutex m_mutex;  // guards what arrived, m_posted and m_current
    bool m_posted = false;

private:
    void deliver();
    void joinFinished();

    std::unique_ptr<Job> m_current;
    std::vector<std::unique_ptr<Job>> m_leaving;  // given up, maybe still working
    QElapsedTimer m_sinceDelivery;
};

// For a task whose job reports nothing but its end.
struct NoItem {};

// A task whose job reports items of type Item and ends with an End. The
// handlers run on the window's thread: `batch` with the items that arrived since
// the last delivery, in order; `ended` once, after the last batch, when the job's
// thread is gone and the task no longer works. `batch` must not let events run
// (no modal box): the next delivery could overtake it; `ended` may, and may
// start the next job. Destroying the task gives its job up and waits for it;
// neither the task nor its owner may be destroyed inside a handler.
template <typename Item, typename End>
class BackgroundTask : public BackgroundTaskBase {
public:
    struct Handlers {
        std::function<void(const QList<Item> &batch)> batch;
        std::function<void(End &end)> ended;
    };

    // What a job is handed on its thread.
    class Reporter {
    public:
        Reporter(BackgroundTask &task, Job &job) : m_task(task), m_job(job) {}
        const StopToken &stop() const { return m_job.stop; }
        bool stopRequested() const { return m_job.stop.stopRequested(); }
        void report(Item item) { m_task.arrive(m_job, std::move(item)); }

    private:
        BackgroundTask &m_task;
        Job &m_job;
    };
    // Runs on the job's thread; what it returns is the end. Should it throw, the
    // end is a default End.
    using Work = std::function<End(Reporter &reporter)>;

    explicit BackgroundTask(Handlers handlers) : m_handlers(std::move(handlers)) {}
    ~BackgroundTask() override { abandonAndWait(); }

    // Starts `work`, giving up a job that still works (see abandon()).
    void start(Work work)
    {
        launch([this, work = std::move(work)](Job &job) {
            Reporter reporter(*this, job);
            std::optional<End> end;
            try {
                end.emplace(work(reporter));
            } catch (...) {
                end.emplace();
            }
            const std::lock_guard lock(m_mutex);
            if (!isCurrent(job))
                return;
            m_end = std::move(end);
            postDelivery();
        });
    }

private:
    void arrive(const Job &job, Item item)
    {
        const std::lock_guard lock(m_mutex);
        if (!isCurrent(job))
            return;
        m_arrived.append(std::move(item));
        postDelivery();
    }

    void handOver() override
    {
        QList<Item> batch;
        std::optional<End> end;
        const Job *job = current();
        {
            const std::lock_guard lock(m_mutex);
            batch.swap(m_arrived);
            end.swap(m_end);
            m_posted = false;
        }
        if (!batch.isEmpty() && m_handlers.batch)
            m_handlers.batch(batch);
        // The batch's handler may have started another job: this end is not its.
        if (!end || current() != job)
            return;
        joinCurrent();
        if (m_handlers.ended)
            m_handlers.ended(*end);
    }

    void dropArrived() override
    {
        m_arrived.clear();
        m_end.reset();
    }

    Handlers m_handlers;
    QList<Item> m_arrived;
    std::optional<End> m_end;
};

} // namespace tessaly
