// One-file jobs: read a source, replace in it, compose the result path and write
// the result. They show nothing; what happened comes back as a FileReport.
#pragma once

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

#include <functional>
#include <memory>

namespace tessaly {

struct FindReplaceSet {
    QString find;
    QString replace;
};


struct JobOptions {
    ReplaceMode mode = ReplaceMode::ViewableText;
    SaveOption save = SaveOption::BesideSource;
    QString outputFolder;       // used with SaveOption::OutputFolder
    // With SaveOption::OutputFolder: the folder below it ("A/B", "/" separated) that
    // the result goes to, made when the result is written; "" for the folder itself.
    QString subFolder;
    CodePage codePage = CodePage::system();
    bool dryRun = false;        // everything but the write
    QChar separator = QDir::separator();
    // The run this file belongs to: its sources as they were when it started, and
    // the output folders it keeps open. A result is checked against the sources
    // through its folder's handle once more just before it is renamed into place.
    // Without them a file opens its folder for itself.
    std::shared_ptr<const RunSources> runSources;
    std::shared_ptr<OutputFolders> outputFolders;
    // The results the run has claimed, and the file's place in the run's list
    // (from 1): a result that would replace one of an earlier file of the run
    // fails instead.
    std::shared_ptr<RunResults> runResults;
    int listIndex = 0;
    const FileSystem *fileSystem = &FileSystem::real();
};

struct FileReport {
    enum class Status { Written, Skipped, Failed };
    Status status = Status::Written;
    QString source;
    QString resultPath;
    SourceFormat format;
    qint64 replacements = 0;
    qint64 lostCharacters = 0;  // replace-text characters the code page could not hold
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
// One line for a report: "SOURCE -> RESULT (N replacements)", "SOURCE: skipped
// (REASON)" or "SOURCE: failed (REASON)"; in a dry run a write that would fail is
// "SOURCE: would fail (REASON)".
QString describeReport(const FileReport &report, const QString &codePageName);
// "1 file", "2 files": a count with the word in its number, for reports and summaries.
QString plural(qint64 n, const char *one, const char *many);

// The sets of two parallel lists; a find text without a partner is replaced by nothing.
QList<FindReplaceSet> findReplaceSets(const QStringList &findList, const QStringList &replaceList);
// The bytes a job writes for a source's content of that format: the replacement
// step alone, with no result path and no write. They are in resultFormat(format):
// the source's, except that UTF-16 and UTF-32 sources give UTF-16 little-endian.
SourceFormat resultFormat(SourceFormat format);
QByteArray replacedContent(const QByteArray &content, SourceFormat format, const QList<FindReplaceSet> &sets,
                           const JobOptions &options);

FileReport ReplaceTextInFile(const QString &path, const QString &findText, const QString &replaceText,
                             const JobOptions &options);
FileReport ReplaceTextInFileCombo(const QString &path, const QStringList &findList, const QStringList &replaceList,
                                  const JobOptions &options);

} // namespace tessaly
