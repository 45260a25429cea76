// The job of one file: read a source, place its result, replace in it and write
// the result. It shows nothing; what happened comes back as a FileReport.
#pragma once

#include "engine/file_report.h"
#include "engine/file_request.h"
#include "engine/find_replace_set.h"
#include "engine/job_options.h"
#include "engine/output_folders.h"
#include "engine/replaced_content.h"
#include "engine/run_results.h"
#include "engine/run_sources.h"
#include "textio/file_system.h"
#include "textio/source_path.h"
#include "textio/text_encoding.h"

#include <QList>
#include <QString>

namespace tessaly {

class PreparedSets;

// A source's bytes as its job read them and its result's bytes, in
// resultFormat(format): what a diff of the file is made from.
struct FileContents {
    SourceFormat format;
    QByteArray source;
    QByteArray result;
};

// What a file's job gets from the run it belongs to. Without a run (the
// defaults) a file opens its folder for itself and claims nothing.
struct JobContext {
    const FileSystem *fileSystem = &FileSystem::real();
    // The run's sources as they were when it started: a result is checked against
    // them through its folder's handle once more just before it is put in place.
    const RunSources *sources = nullptr;
    // The output folders the run keeps open.
    OutputFolders *outputFolders = nullptr;
    // The results the run has claimed, and the file's place in the run's list
    // (from 1): a result that would replace one of an earlier file of the run
    // fails instead. The run settles the file when its job returns.
    RunResults *results = nullptr;
    int listIndex = 0;
    // With SaveOption::OutputFolder: the folder below it ("A/B", "/" separated)
    // that the result goes to, made when the result is written; "" for the
    // folder itself.
    QString subFolder;
    // The run's find/replace sets, made ready for replacing once for all the files
    // of the thread that does this one.
    PreparedSets *preparedSets = nullptr;
    // When given, gets what the job read and made once it has replaced (then the
    // source is read whole).
    FileContents *contents = nullptr;
    // Sources larger than four pieces of this size are read, replaced and written
    // in pieces, when their format and the sets allow.
    qsizetype pieceSize = qsizetype(4) << 20;
    // A run's skip test (see isMissingOrEmpty), made by the job from what opening
    // the source shows.
    bool skipsMissingAndEmpty = false;
};

// The size a run's skip test looks at: the size of a regular file (0 when empty),
// -1 when the path names nothing. Anything else a run must not skip (not a regular
// file, no permission, too many open files) counts as 1, so its job runs and
// reports why it fails.
qint64 FileSize2(const QString &path);
// The one skip test of a run: whether the source is missing or empty, from what
// opening it showed when it was opened (`opened`), else from one look at the name.
bool isMissingOrEmpty(const SourcePath &source, const SourceFile *opened = nullptr);
// Why FileSize2 refuses a file ("missing" or "empty"), and the report of such a file.
QString skipReason(const QString &path);
FileReport skippedReport(const QString &path);
// The job of one file, its steps in order: read the source, place the result
// (its path, its folder and name, its claim among the run's results), replace,
// write. A step that fails ends the job with a report that names it.
FileReport replaceInFile(const SourcePath &source, const FileRequest &request, const JobContext &context = {});

} // namespace tessaly
