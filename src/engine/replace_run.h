// The replacement run over a list of files, one for the window and the command
// line alike: the listed files and a source of the request go in, one outcome per
// file comes out to a sink in list order. Files are done on the run's own worker
// threads; a stop token ends it after the files in flight.
#pragma once

#include "engine/file_request.h"
#include "engine/replace_job.h"
#include "engine/stop_token.h"
#include "textio/file_system.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace tessaly {

class RunSources;

// A file of a run, and the folder below the output folder its result goes to
// ("A/B"; "" for the output folder itself).
struct RunFile {
    QString path;
    QString subFolder;
    // Set when the caller already knows the file cannot be done (a name outside
    // the folder its results are placed by): it fails for this reason, untouched.
    QString refusal;
};

struct FileOutcome {
    int index = 0;  // place in the list, from 1
    // Nothing when neither tab was selected: the file was left alone.
    std::optional<FileReport> report;
    // The request the file was done with; none when it was skipped before its
    // request was read, or when the request could not be read (then the report
    // fails at JobStep::Request).
    std::shared_ptr<const FileRequest> request;
};

// Where the run reads each file's request. The request is read when the file is
// started, so that a change made during a run applies from the next file on.
class RequestSource {
public:
    virtual ~RequestSource() = default;
    // The request for the file at `index` (from 1); called from the run's
    // threads. Throws TessalyError when the request cannot be read.
    virtual std::shared_ptr<const FileRequest> requestFor(int index) = 0;
};

// The same request for every file (the command line).
class FixedRequest : public RequestSource {
public:
    explicit FixedRequest(FileRequest request) : m_request(std::make_shared<const FileRequest>(std::move(request))) {}
    std::shared_ptr<const FileRequest> requestFor(int) override { return m_request; }

private:
    std::shared_ptr<const FileRequest> m_request;
};

// Where the outcomes go: called once per file in list order, from the thread
// that called run().
class ReportSink {
public:
    virtual ~ReportSink() = default;
    // Whether fileWorked is given the bytes each file's job read and made.
    virtual bool wantsContents() const { return false; }
    // Called on the thread that did the file as soon as it is done, in no set
    // order, with the file's bytes before and after when they are wanted and it
    // got as far as replacing (else empty): what a sink makes of each file (a
    // diff) is made there, on all the run's threads at once. Must not throw.
    virtual void fileWorked(const FileOutcome &, const FileContents &) {}
    virtual void fileDone(const FileOutcome &outcome) = 0;
};

// What a run is given by its caller besides its files: the file system it works
// through and, for tests, a limit on the threads the system grants.
struct RunEnvironment {
    const FileSystem *fileSystem = &FileSystem::real();
    int threadLimit = -1;  // no limit
};

struct RunEnd {
    qsizetype listed = 0;
    qsizetype done = 0;  // files handed to the sink: the first `done` of the list
    int stopReason = 0;  // the stop token's reason, 0 when no stop was asked for
};

class ReplaceRun {
public:
    explicit ReplaceRun(RunEnvironment environment = {}) : m_environment(environment) {}

    // Does the files with up to `jobs` at once and returns when every file is
    // done or, after a stop, every file in flight. The sources of the run are
    // the files as they are when it starts, or as the caller found them just
    // before (`sources`, the files made absolute against the working folder).
    RunEnd run(const QList<RunFile> &files, RequestSource &requests, ReportSink &sink, const StopToken &stop,
               int jobs, const RunSources *sources = nullptr);

private:
    RunEnvironment m_environment;
};

} // namespace tessaly
