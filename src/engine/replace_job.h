// One-file jobs: read a source, replace in it, compose the result path and write
// the result. They show nothing; what happened comes back as a FileReport.
#pragma once

#include "engine/find_replace_set.h"
#include "engine/output_folders.h"
#include "engine/replacement.h"
#include "engine/result_path.h"
#include "engine/run_results.h"
#include "engine/run_sources.h"
#include "textio/code_page.h"
#include "textio/file_system.h"
#include "textio/text_encoding.h"

#include <QDir>
#include <QList>
#include <QString>

namespace tessaly {

class PreparedSets;

// What the user chose for a file: how to replace and where the result goes.
struct JobOptions {
    ReplaceMode mode = ReplaceMode::ViewableText;
    SaveOption save = SaveOption::BesideSource;
    QString outputFolder;       // used with SaveOption::OutputFolder
    CodePage codePage = CodePage::system();
    bool dryRun = false;        // everything but the write
    QChar separator = QDir::separator();
};

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
    // A run's skip test (see FileSize2), made by the job from what opening the
    // source shows: a missing or empty source is skipped.
    bool skipsMissingAndEmpty = false;
};

struct FileReport {
    enum class Status { Written, Skipped, Failed };
    Status status = Status::Written;
    QString source;
    QString resultPath;
    SourceFormat format;
    qint64 replacements = 0;
    qint64 lostCharacters = 0;  // replace-text characters the code page could not hold
    qint64 invalidCharacters = 0;  // UTF-32 values that are no character, written as U+FFFD
    bool dryRun = false;        // the result was composed but not written (or would fail to be)
    int statement = 0;          // for Failed: the step that failed
    QString description;        // for Skipped and Failed: why
    QString earlierSource;      // for Failed: the file of the run whose result this one would replace
};

// The skip test of a run: the size of a regular file (0 when empty), -1 when the
// path names nothing. Anything else a run must not skip (not a regular file, no
// permission, too many open files) counts as 1, so its job runs and reports why
// it fails.
qint64 FileSize2(const QString &path);
// Why FileSize2 refuses a file ("missing" or "empty"), and the report of such a file.
QString skipReason(const QString &path);
FileReport skippedReport(const QString &path);
// The bytes a job writes for a source's content of that format: the replacement
// step alone, with no result path and no write. They are in resultFormat(format):
// the source's, except that UTF-16 and UTF-32 sources give UTF-16 little-endian.
SourceFormat resultFormat(SourceFormat format);
QByteArray replacedContent(const QByteArray &content, SourceFormat format, const QList<FindReplaceSet> &sets,
                           const JobOptions &options);

FileReport ReplaceTextInFile(const QString &path, const QString &findText, const QString &replaceText,
                             const JobOptions &options, const JobContext &context = {});
// The same, with the pair as the one set of a list that the caller keeps (a run's
// request), which spares making that list again for each file.
FileReport ReplaceTextInFile(const QString &path, const QList<FindReplaceSet> &pair, const JobOptions &options,
                             const JobContext &context = {});
FileReport ReplaceTextInFileCombo(const QString &path, const QList<FindReplaceSet> &sets, const JobOptions &options,
                                  const JobContext &context = {});

} // namespace tessaly
