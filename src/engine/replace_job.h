// One-file jobs: read a source, replace in it, compose the result path and write
// the result. They show nothing; what happened comes back as a FileReport.
#pragma once

#include "engine/replacement.h"
#include "engine/result_path.h"
#include "textio/code_page.h"
#include "textio/file_system.h"
#include "textio/text_encoding.h"

#include <QDir>
#include <QList>
#include <QString>

#include <functional>

namespace tessaly {

struct FindReplaceSet {
    QString find;
    QString replace;
};


struct JobOptions {
    ReplaceMode mode = ReplaceMode::ViewableText;
    SaveOption save = SaveOption::BesideSource;
    QString outputFolder;       // used with SaveOption::OutputFolder
    CodePage codePage = CodePage::system();
    bool dryRun = false;        // everything but the write
    QChar separator = QDir::separator();
    // Sources of the whole run: a result that names one of them fails instead of
    // overwriting it. Tested through FileSystem::sameFile.
    std::function<bool(const QString &resultPath)> isRunSource;
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
    bool dryRun = false;        // the result was composed but not written
    int statement = 0;          // for Failed: the step that failed
    QString description;        // for Skipped and Failed: why
};

// The skip test of a run: the file's size, or -1 when it cannot be opened for
// reading (missing, a folder, not a regular file, no permission).
qint64 FileSize2(const QString &path);
// Why FileSize2 refuses a file, in a few words ("missing", "empty", ...), and
// the report of such a file.
QString skipReason(const QString &path);
FileReport skippedReport(const QString &path);
// One line for a report: "SOURCE -> RESULT (N replacements)", "SOURCE: skipped
// (REASON)" or "SOURCE: failed (REASON)".
QString describeReport(const FileReport &report, const QString &codePageName);

FileReport ReplaceTextInFile(const QString &path, const QString &findText, const QString &replaceText,
                             const JobOptions &options);
FileReport ReplaceTextInFileCombo(const QString &path, const QStringList &findList, const QStringList &replaceList,
                                  const JobOptions &options);

} // namespace tessaly
