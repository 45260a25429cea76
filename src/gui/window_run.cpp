#include "gui/window_run.h"

#include <QTimer>

namespace tessaly {

// The run's sink: what the run hands on goes to the window's thread.
class WindowRun::Sink : public ReportSink {
public:
    explicit Sink(WindowRun &run) : m_run(run) {}
    void fileDone(const FileOutcome &outcome) override
    {
        m_run.take(outcome);
        ++done;
    }

    qsizetype done = 0;

private:
    WindowRun &m_run;
};

WindowRun::WindowRun(Handlers handlers) : m_handlers(std::move(handlers)), m_stop(std::make_unique<StopToken>()) {}

WindowRun::~WindowRun()
{
    stop();
    join();
}

void WindowRun::setEnvironment(RunEnvironment environment, int jobs)
{
    Q_ASSERT(!m_working);
    m_environment = environment;
    m_jobs = std::max(1, jobs);
}

void WindowRun::start(QStringList paths, QStringList subFolders, RequestSource &requests)
{
    Q_ASSERT(!m_working);
    join();
    m_paths = std::move(paths);
    m_subFolders = std::move(subFolders);
    m_stop = std::make_unique<StopToken>();
    {
        const std::lock_guard lock(m_mutex);
        m_arrived.clear();
        m_end.reset();
        m_posted = false;
    }
    m_sinceDelivery.invalidate();
    // Throws std::system_error when the system grants no thread: the caller
    // reports it and the run does not start.
    m_thread = std::thread([this, &requests] {
        Sink sink(*this);
        RunEnd end;
        try {
            // Made here, not on the window's thread: a list of 100,000 files
            // takes a while.
            QList<RunFile> files;
            files.reserve(m_paths.size());
            for (qsizetype i = 0; i < m_paths.size(); ++i)
                files.append({m_paths.at(i), m_subFolders.isEmpty() ? QString() : m_subFolders.at(i), QString()});
            end = ReplaceRun(m_environment).run(files, requests, sink, *m_stop, m_jobs);
        } catch (...) {
            // Nothing the run does is meant to throw (each file's failure is in its
            // report); should memory run out, the window still gets its end.
            end.listed = m_paths.size();
            end.done = sink.done;
            end.stopReason = StopToken::kStopped;
        }
        finish(end);
    });
    m_working = true;
}

void WindowRun::stop()
{
    m_stop->requestStop();
}

void WindowRun::take(const FileOutcome &outcome)
{
    const std::lock_guard lock(m_mutex);
    m_arrived.append(outcome);
    postDelivery();
}

void WindowRun::finish(const RunEnd &end)
{
    const std::lock_guard lock(m_mutex);
    m_end = end;
    postDelivery();
}

void WindowRun::postDelivery()
{
    if (m_posted)
        return;
    m_posted = true;
    QMetaObject::invokeMethod(this, &WindowRun::deliver, Qt::QueuedConnection);
}

void WindowRun::deliver()
{
    // Too soon after the last delivery: what arrives meanwhile comes with it.
    // (m_posted stays set, so the run posts nothing in between.)
    if (m_sinceDelivery.isValid() && m_sinceDelivery.elapsed() < kDeliveryInterval) {
        QTimer::singleShot(kDeliveryInterval - m_sinceDelivery.elapsed(), this, &WindowRun::deliver);
        return;
    }
    QList<FileOutcome> batch;
    std::optional<RunEnd> end;
    {
        const std::lock_guard lock(m_mutex);
        batch.swap(m_arrived);
        end.swap(m_end);
        m_posted = false;
    }
    m_sinceDelivery.start();
    if (!batch.isEmpty() && m_handlers.filesDone)
        m_handlers.filesDone(batch);
    if (!end)
        return;
    join();
    m_working = false;
    if (m_handlers.ended)
        m_handlers.ended(*end);
}

void WindowRun::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace tessaly
