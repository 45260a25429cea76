#include "engine/replace_run.h"

#include "base/paths.h"
#include "base/tessaly_error.h"
#include "engine/output_folders.h"
#include "engine/prepared_sets.h"
#include "engine/run_mutex.h"
#include "engine/run_results.h"
#include "engine/run_sources.h"
#include "engine/replace_job.h"
#include "engine/worker_threads.h"
#include "textio/source_path.h"

#include <QDir>
#include <QStringList>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>

namespace tessaly {

namespace {

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

FileReport failedReport(JobStep step, const QString &description)
{
    FileReport report;
    report.status = FileReport::Status::Failed;
    report.failedStep = step;
    report.description = description;
    return report;
}

// One run at work: its files are taken in list order by its threads, and their
// outcomes handed on in that order by the thread that called run().
class Run {
public:
    Run(const QList<RunFile> &files, RequestSource &requests, ReportSink &sink, const StopToken &stop, int jobs,
        const RunSources *sources, const RunEnvironment &environment)
        : m_state(files, jobs, environment.threadLimit, sources),
          m_requests(requests),
          m_sink(sink),
          m_stop(stop),
          m_environment(environment)
    {
    }

    // Takes and does files until none is left or a stop was asked for.
    void work(PreparedSets &preparedSets)
    {
        for (qsizetype i = take(); i >= 0; i = take())
            doFile(i, preparedSets);
    }
    // The outcome of file i once it is there, doing files meanwhile; nothing when
    // it will never come.
    std::optional<FileOutcome> outcomeOf(qsizetype i, PreparedSets &preparedSets);
    void handOn(const FileOutcome &outcome);

private:
    qsizetype take();
    void doFile(qsizetype i, PreparedSets &preparedSets);
    FileOutcome outcomeOfJob(qsizetype i, PreparedSets &preparedSets, FileContents &contents);
    void askForRequest(FileOutcome &outcome);

    RunState m_state;
    RequestSource &m_requests;
    ReportSink &m_sink;
    const StopToken &m_stop;
    const RunEnvironment &m_environment;
};

// The next file to do, or -1 when none is left or the run was asked to stop.
// Taking and the stop test are one step, so the files taken are exactly those
// that will be reported; files start their claims in the order they are taken.
qsizetype Run::take()
{
    const std::lock_guard lock(m_state.mutex);
    if (m_stop.stopRequested())
        m_state.closed = true;
    if (m_state.closed || m_state.next >= m_state.files.size())
        return -1;
    m_state.results.start(int(m_state.next + 1), m_state.files.at(m_state.next).path);
    return m_state.next++;
}

// The one place a file of the run is done and settled.
void Run::doFile(qsizetype i, PreparedSets &preparedSets)
{
    FileContents contents;
    FileOutcome outcome = outcomeOfJob(i, preparedSets, contents);
    if (outcome.report)
        outcome.report->source = m_state.files.at(i).path;
    m_sink.fileWorked(outcome, contents);
    const std::lock_guard lock(m_state.mutex);
    m_state.outcomes.emplace(i, std::move(outcome));
    if (m_state.handingOnWaits)
        m_state.ready.notify_all();
}

FileOutcome Run::outcomeOfJob(qsizetype i, PreparedSets &preparedSets, FileContents &contents)
{
    const RunFile &file = m_state.files.at(i);
    FileOutcome outcome;
    outcome.index = int(i + 1);
    const SettledFile settled(&m_state.results, outcome.index);
    if (!file.refusal.isEmpty()) {
        outcome.report = failedReport(JobStep::Place, file.refusal);
        return outcome;
    }
    askForRequest(outcome);
    const SourcePath source(m_state.current, file.path);
    if (outcome.request && outcome.request->kind != FileRequest::Kind::None) {
        JobContext context{m_environment.fileSystem, &m_state.sources,  &m_state.outputFolders,
                           &m_state.results,         outcome.index,     file.subFolder,
                           &preparedSets,            m_sink.wantsContents() ? &contents : nullptr};
        // A missing or empty file is skipped before anything else: a job tells
        // so from opening it, which it does anyway.
        context.skipsMissingAndEmpty = true;
        outcome.report = replaceInFile(source, *outcome.request, context);
    } else if (isMissingOrEmpty(source)) {
        outcome.report = skippedReport(source.path());
    }
    if (outcome.report && outcome.report->status == FileReport::Status::Skipped)
        outcome.request.reset();
    return outcome;
}

void Run::askForRequest(FileOutcome &outcome)
{
    try {
        outcome.request = m_requests.requestFor(outcome.index);
    } catch (const TessalyError &error) {
        outcome.report = failedReport(JobStep::Request, error.description());
    }
}

std::optional<FileOutcome> Run::outcomeOf(qsizetype i, PreparedSets &preparedSets)
{
    std::unique_lock lock(m_state.mutex);
    while (!m_state.settled(i)) {
        lock.unlock();
        const qsizetype taken = take();
        if (taken >= 0)
            doFile(taken, preparedSets);
        lock.lock();
        if (taken < 0) {
            m_state.handingOnWaits = true;
            m_state.ready.wait(lock, [&] { return m_state.settled(i); });
            m_state.handingOnWaits = false;
        }
    }
    const auto done = m_state.outcomes.find(i);
    if (done == m_state.outcomes.end())
        return std::nullopt;
    std::optional<FileOutcome> outcome = std::move(done->second);
    m_state.outcomes.erase(done);
    return outcome;
}

void Run::handOn(const FileOutcome &outcome)
{
    try {
        m_sink.fileDone(outcome);
    } catch (...) {
        // A sink that fails ends the run as a stop does: the files in flight
        // finish, and none is started any more for reports nobody would get.
        const std::lock_guard lock(m_state.mutex);
        m_state.closed = true;
        throw;
    }
}

} // namespace

RunEnd ReplaceRun::run(const QList<RunFile> &files, RequestSource &requests, ReportSink &sink,
                       const StopToken &stop, int jobs, const RunSources *sources)
{
    Run run(files, requests, sink, stop, jobs, sources, m_environment);
    const qsizetype total = files.size();
    // This thread does files too, between handing the outcomes on in list order.
    const int helpers = int(std::clamp<qsizetype>(std::min<qsizetype>(jobs, total) - 1, 0, total));
    const WorkerThreads workers(helpers, m_environment.threadLimit, [&] {
        PreparedSets preparedSets;  // each thread's own
        run.work(preparedSets);
    });
    PreparedSets preparedSets;
    RunEnd end;
    end.listed = total;
    for (; end.done < total; ++end.done) {
        const std::optional<FileOutcome> outcome = run.outcomeOf(end.done, preparedSets);
        if (!outcome)
            break;
        run.handOn(*outcome);
    }
    end.stopReason = stop.reason();
    return end;
}

} // namespace tessaly
