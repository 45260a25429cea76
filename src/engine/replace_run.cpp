#include "engine/replace_run.h"

#include "base/paths.h"
#include "base/tessaly_error.h"
#include "engine/output_folders.h"
#include "engine/prepared_sets.h"
#include "engine/run_mutex.h"
#include "engine/run_results.h"
#include "engine/run_sources.h"
#include "engine/worker_threads.h"

#include <QDir>
#include <QStringList>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>

namespace tessaly {

namespace {

// Statements of Form1.PushButton3_Click's loop that a file's outcome can name.
constexpr int kReadRequestStatement = 120;

// What the files of one run share while it works. Threads only read `files` (a
// non-const QList access would detach a shared list: a data race).
struct RunState {
    const QList<RunFile> &files;
    // The working folder: each listed name is made absolute when it is needed,
    // rather than kept twice for every listed file.
    const QString current;
    std::optional<RunSources> ownSources;  // when the caller gave none
    const RunSources &sources;
    OutputFolders outputFolders;
    RunResults results;

    RunMutex mutex;
    std::condition_variable_any ready;
    std::map<qsizetype, FileOutcome> outcomes;  // by list place, done and not yet handed on
    qsizetype next = 0;   // files are taken in list order
    bool closed = false;  // a stop was seen: no file is taken any more
    bool handingOnWaits = false;  // the run's thread waits for an outcome

    RunState(const QList<RunFile> &runFiles, int jobs, int threadLimit, const RunSources *given)
        : files(runFiles),
          current(QDir::currentPath()),
          sources(given ? *given
                        : ownSources.emplace(
                              runFiles.size(),
                              [&](qsizetype i) { return absolutePath(current, runFiles.at(i).path); }, jobs,
                              threadLimit)),
          results(runFiles.size(), [this](int index) { return absolutePath(current, files.at(index - 1).path); })
    {
    }
    // Whether the outcome of file i is there, or will never come. Under `mutex`.
    bool settled(qsizetype i) const { return outcomes.count(i) > 0 || (closed && i >= next); }
};

} // namespace

RunEnd ReplaceRun::run(const QList<RunFile> &files, RequestSource &requests, ReportSink &sink,
                       const StopToken &stop, int jobs, const RunSources *sources)
{
    RunState state(files, jobs, m_environment.threadLimit, sources);
    const qsizetype total = files.size();

    // The next file to do, or -1 when none is left or the run was asked to stop.
    // Taking and the stop test are one step, so the files taken are exactly those
    // that will be reported; files start their claims in the order they are taken.
    const auto take = [&]() -> qsizetype {
        const std::lock_guard lock(state.mutex);
        if (stop.stopRequested())
            state.closed = true;
        if (state.closed || state.next >= total)
            return -1;
        state.results.start(int(state.next + 1), state.files.at(state.next).path);
        return state.next++;
    };
    // The one place a file of the run is done and settled.
    const auto doFile = [&](qsizetype i, PreparedSets &preparedSets) {
        const int index = int(i + 1);
        FileOutcome outcome;
        outcome.index = index;
        FileContents contents;
        {
            const SettledFile settled(&state.results, index);
            const QString path = absolutePath(state.current, state.files.at(i).path);
            if (!state.files.at(i).refusal.isEmpty()) {
                FileReport refused;
                refused.status = FileReport::Status::Failed;
                refused.description = state.files.at(i).refusal;
                outcome.report = refused;
            } else {
                try {
                    outcome.request = requests.requestFor(index);
                } catch (const TessalyError &error) {
                    FileReport failed;
                    failed.status = FileReport::Status::Failed;
                    failed.statement = kReadRequestStatement;
                    failed.description = error.description();
                    outcome.report = failed;
                }
                // A missing or empty file is skipped before anything else: a job
                // tells so from opening it, which it does anyway.
                if (outcome.request && outcome.request->kind != FileRequest::Kind::None) {
                    JobContext context{m_environment.fileSystem, &state.sources,  &state.outputFolders,
                                       &state.results,          index,           state.files.at(i).subFolder,
                                       &preparedSets,           sink.wantsContents() ? &contents : nullptr};
                    context.skipsMissingAndEmpty = true;
                    outcome.report = replaceInFile(path, *outcome.request, context);
                } else if (FileSize2(path) < 1) {
                    outcome.report = skippedReport(path);
                }
                if (outcome.report && outcome.report->status == FileReport::Status::Skipped)
                    outcome.request.reset();
            }
        }
        if (outcome.report)
            outcome.report->source = state.files.at(i).path;
        sink.fileWorked(outcome, contents);
        const std::lock_guard lock(state.mutex);
        state.outcomes.emplace(i, std::move(outcome));
        if (state.handingOnWaits)
            state.ready.notify_all();
    };
    const auto work = [&] {
        PreparedSets preparedSets;  // each thread's own
        for (qsizetype i = take(); i >= 0; i = take())
            doFile(i, preparedSets);
    };

    // This thread does files too, between handing the outcomes on in list order.
    const int helpers = int(std::clamp<qsizetype>(std::min<qsizetype>(jobs, total) - 1, 0, total));
    const WorkerThreads workers(helpers, m_environment.threadLimit, work);
    PreparedSets preparedSets;
    RunEnd end;
    end.listed = total;
    for (; end.done < total; ++end.done) {
        std::optional<FileOutcome> outcome;
        {
            std::unique_lock lock(state.mutex);
            while (!state.settled(end.done)) {
                lock.unlock();
                const qsizetype i = take();
                if (i >= 0)
                    doFile(i, preparedSets);
                lock.lock();
                if (i < 0) {
                    state.handingOnWaits = true;
                    state.ready.wait(lock, [&] { return state.settled(end.done); });
                    state.handingOnWaits = false;
                }
            }
            const auto done = state.outcomes.find(end.done);
            if (done != state.outcomes.end()) {
                outcome = std::move(done->second);
                state.outcomes.erase(done);
            }
        }
        if (!outcome)
            break;
        try {
            sink.fileDone(*outcome);
        } catch (...) {
            // A sink that fails ends the run as a stop does: the files in flight
            // finish, and none is started any more for reports nobody would get.
            const std::lock_guard lock(state.mutex);
            state.closed = true;
            throw;
        }
    }
    end.stopReason = stop.reason();
    return end;
}

} // namespace tessaly
