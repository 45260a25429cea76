#include "gui/window_run.h"

namespace tessaly {

// The run's sink: what the run hands on goes to the window's thread.
class WindowRun::Sink : public ReportSink {
public:
    explicit Sink(BackgroundTask<FileOutcome, RunEnd>::Reporter &reporter) : m_reporter(reporter) {}
    void fileDone(const FileOutcome &outcome) override
    {
        m_reporter.report(outcome);
        ++done;
    }

    qsizetype done = 0;

private:
    BackgroundTask<FileOutcome, RunEnd>::Reporter &m_reporter;
};

WindowRun::WindowRun(Handlers handlers)
    : m_task({std::move(handlers.filesDone), [ended = std::move(handlers.ended)](RunEnd &end) {
                  if (ended)
                      ended(end);
              }})
{
}

WindowRun::~WindowRun() = default;

void WindowRun::setEnvironment(RunEnvironment environment, int jobs)
{
    Q_ASSERT(!isWorking());
    m_environment = environment;
    m_jobs = std::max(1, jobs);
}

void WindowRun::start(QStringList paths, QStringList subFolders, RequestSource &requests)
{
    Q_ASSERT(!isWorking());
    // Throws std::system_error when the system grants no thread: the caller
    // reports it and the run does not start.
    m_task.start([this, paths = std::move(paths), subFolders = std::move(subFolders),
                  &requests](BackgroundTask<FileOutcome, RunEnd>::Reporter &reporter) {
        Sink sink(reporter);
        RunEnd end;
        try {
            // Made here, not on the window's thread: a list of 100,000 files
            // takes a while.
            QList<RunFile> files;
            files.reserve(paths.size());
            for (qsizetype i = 0; i < paths.size(); ++i)
                files.append({paths.at(i), subFolders.isEmpty() ? QString() : subFolders.at(i), QString()});
            end = ReplaceRun(m_environment).run(files, requests, sink, reporter.stop(), m_jobs);
        } catch (...) {
            // Nothing the run does is meant to throw (each file's failure is in its
            // report); should memory run out, the window still gets its end.
            end.listed = paths.size();
            end.done = sink.done;
            end.stopReason = StopToken::kStopped;
        }
        return end;
    });
}

void WindowRun::stop()
{
    m_task.stop();
}

} // namespace tessaly
