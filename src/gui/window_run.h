// A replacement run started from the window: the run works on a thread of its
// own, and its outcomes come back to the window's thread in batches, so the
// window only takes what is done and never works for the run.
#pragma once

#include "engine/replace_run.h"
#include "gui/background_task.h"

#include <QObject>

namespace tessaly {

class WindowRun : public QObject {
public:
    // What the window does with a run's outcomes, on its own thread: each batch
    // holds the next outcomes in list order; `ended` comes once, after the last
    // batch. `filesDone` must not let events run (no modal box): the next
    // delivery could then overtake it.
    struct Handlers {
        std::function<void(const QList<FileOutcome> &batch)> filesDone;
        std::function<void(const RunEnd &end)> ended;
    };

    explicit WindowRun(Handlers handlers);
    // Stops a run that still works and waits for it: the files in flight finish,
    // so each result is complete or absent; what they report is dropped.
    ~WindowRun() override;

    // The file system the runs work through and how many files they do at once.
    void setEnvironment(RunEnvironment environment, int jobs);
    const RunEnvironment &environment() const { return m_environment; }

    // Starts a run over the files at `paths`, each file's request read from
    // `requests` when the file is started; `requests` must outlive the run. Not
    // while a run works. `subFolders` (empty, or one per path) are the folders
    // below the output folder the results go into.
    void start(QStringList paths, QStringList subFolders, RequestSource &requests);
    // Asks the run to start no further file; the files in flight finish and
    // `ended` follows as usual.
    void stop();
    // From start until `ended` has been delivered.
    bool isWorking() const { return m_task.isWorking(); }

private:
    class Sink;

    RunEnvironment m_environment;
    int m_jobs = 1;
    BackgroundTask<FileOutcome, RunEnd> m_task;
};

} // namespace tessaly
