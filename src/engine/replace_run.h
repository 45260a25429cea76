// The replacement run over a list of files (Start Replacing) without a window: the
// row loop asks its host for each row, each file's request and whether to go on.
#pragma once

#include "base/error_report.h"
#include "engine/output_folders.h"
#include "engine/replace_job.h"
#include "engine/run_results.h"
#include "engine/run_sources.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace tessaly {

// What one file gets: the pair or the sets, and the options, read when the file
// comes up so that a change made during a run applies from the next file on.
struct FileRequest {
    enum class Kind { None, Pair, Sets };  // None: neither tab is selected; the row is left alone
    Kind kind = Kind::None;
    QString findText;        // Pair
    QString replaceText;
    QStringList findList;    // Sets, in order
    QStringList replaceList;
    JobOptions options;
};

// The procedure that reports a request's failures: "ReplaceText.ReplaceTextInFile"
// or "ReplaceText.ReplaceTextInFileCombo".
QString requestProcedure(const FileRequest &request);

// What the files of one run share: its sources as they were when it started, the
// folders it writes into (each opened once) and the results its files have claimed.
struct RunContext {
    explicit RunContext(std::shared_ptr<const RunSources> runSources);
    // Makes `options` those of the file at `listIndex` (from 1) of this run.
    void bind(JobOptions &options, int listIndex) const;

    std::shared_ptr<const RunSources> sources;
    std::shared_ptr<OutputFolders> outputFolders = std::make_shared<OutputFolders>();
    std::shared_ptr<RunResults> results = std::make_shared<RunResults>();
};

// The pair or the sets of the request on one file (no size check).
FileReport replaceInFile(const QString &path, const FileRequest &request);

// One file of a run as the command line does it: the size check (missing and
// empty files are skipped), then replaceInFile.
FileReport processFile(const QString &path, const FileRequest &request);

// What the run needs from its caller (the window, a test).
class RunHost {
public:
    virtual ~RunHost() = default;

    // Lets the host's pending events run; false when the run must end (the window
    // is closing).
    [[nodiscard]] virtual bool handOverEvents() = 0;
    // Whether the run may go on after a file (events also run while a file is
    // replaced on a worker thread).
    virtual bool goesOn() const = 0;
    // The host is busy from the first row on (the hourglass).
    virtual void showBusy() = 0;
    // The path of a row, numbered from 1; throws TessalyError when the row is gone.
    virtual QString rowText(int row) = 0;
    virtual void showProgress(int row, int rowCount, const QString &path) = 0;
    // The tab, the texts and the options as they are now.
    virtual FileRequest request() = 0;
    // Does the work of one file of `bytes` bytes and returns its report; the window
    // hands big files to a worker thread.
    virtual FileReport perform(const std::function<FileReport()> &work, qint64 bytes)
    {
        Q_UNUSED(bytes);
        return work();
    }
    // A file that failed, for the error report box (the source names the procedure).
    virtual void reportFailure(const StepFailure &failure) = 0;
};

struct RunOutcome {
    QStringList details;        // one report line per row handled, in list order
    QList<FileReport> reports;  // what became of each file, in the same order
    int rowsDone = 0;           // rows finished, the one in flight when the host said to stop included
    bool ended = false;         // the host said to stop before the last row
    int notWritten = 0;         // files whose results would have replaced results of this run
};

// The closing message of a run: "Done.", and how many files were not written
// because their results would have replaced results of the same run.
QString doneMessage(const RunOutcome &outcome);

// The loop of Form1.PushButton3_Click over rows 1 to rowCount. Failed steps are
// reported through `trap` under the handler's statement numbers:
//  112 hand over events    114 busy pointer     116 read the row
//  118 test: the file can be opened and is not empty
//  120 test: the pair      122 read the pair and replace in the file
//  124 test: the sets      126 read the sets and replace in the file
//  128 next row
class ReplaceRun {
public:
    ReplaceRun(RunHost &host, std::shared_ptr<const RunSources> sources);

    RunOutcome run(ErrorTrap &trap, int rowCount);

private:
    void replaceFile(int row, const QString &path, qint64 size, FileRequest request, RunOutcome &outcome);

    RunHost &m_host;
    RunContext m_context;
};

} // namespace tessaly
