#include "cli/cli_runner.h"

#include "base/paths.h"
#include "engine/replace_run.h"
#include "engine/run_sources.h"
#include "filelist/add_folder.h"

#include <QFileInfo>
#include <QThreadPool>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

namespace tessaly::cli {

namespace {

QString plural(qint64 n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

void print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

} // namespace

QStringList expandPaths(const CliOptions &options, FILE *err)
{
    FolderScanOptions scan;
    scan.reportSkipped = [err](const SkippedFolder &folder) {
        print(err, QStringLiteral("tessaly-cli: %1: folder skipped (%2)\n").arg(folder.path, folder.reason));
    };
    scan.reportFailure = [err](const StepFailure &failure) {
        print(err, QStringLiteral("tessaly-cli: %1 (%2at line %3)\n")
                       .arg(failure.description, failure.source)
                       .arg(failure.statement));
    };
    QStringList files;
    for (const QString &path : options.paths) {
        // A name that is not valid UTF-8 stays a file: its job reports it.
        if (isValidFileName(path) && QFileInfo(path).isDir())
            files.append(collectFolderFiles(path, options.extension, scan));
        else
            files.append(path);
    }
    return files;
}

int runFiles(const CliOptions &given, FILE *out, FILE *err, bool showProgress)
{
    // Folders turn into their files first, so the run's sources include them.
    CliOptions options = given;
    options.paths = expandPaths(given, err);
    const qsizetype total = options.paths.size();
    QStringList absolute;
    for (const QString &path : options.paths)
        absolute.append(isValidFileName(path) ? QFileInfo(path).absoluteFilePath() : path);  // QFileInfo would re-spell it
    // One request for every file, the run's sources bound as in the window's run.
    FileRequest request;
    request.kind = options.usesSetFile ? FileRequest::Kind::Sets : FileRequest::Kind::Pair;
    for (const FindReplaceSet &set : std::as_const(options.sets)) {
        request.findList.append(set.find);
        request.replaceList.append(set.replace);
    }
    if (!options.usesSetFile && !options.sets.isEmpty()) {
        request.findText = options.sets.constFirst().find;
        request.replaceText = options.sets.constFirst().replace;
    }
    request.options = options.job;
    bindRunSources(request.options, std::make_shared<const RunSources>(absolute));
    const JobOptions &job = request.options;

    std::vector<std::optional<FileReport>> reports(static_cast<size_t>(total));
    std::mutex mutex;
    std::condition_variable ready;

    // The workers only read what they share. A non-const QList access would detach
    // (copy) a list that is still shared, which is a data race between workers.
    const FileRequest &sharedRequest = request;
    const QStringList &paths = options.paths;
    const QStringList &absolutePaths = absolute;

    QThreadPool pool;
    pool.setMaxThreadCount(options.jobs);
    for (qsizetype i = 0; i < total; ++i) {
        pool.start([&, i] {
            FileReport report = processFile(absolutePaths.at(i), sharedRequest);
            report.source = paths.at(i);
            const std::lock_guard lock(mutex);
            reports[size_t(i)] = std::move(report);
            ready.notify_one();
        });
    }

    qint64 written = 0, skippedCount = 0, failed = 0, replacements = 0, lost = 0;
    for (qsizetype i = 0; i < total; ++i) {
        FileReport report;
        {
            std::unique_lock lock(mutex);
            ready.wait(lock, [&] { return reports[size_t(i)].has_value(); });
            report = std::move(*reports[size_t(i)]);
            reports[size_t(i)].reset();
        }
        switch (report.status) {
        case FileReport::Status::Written: ++written; break;
        case FileReport::Status::Skipped: ++skippedCount; break;
        case FileReport::Status::Failed: ++failed; break;
        }
        replacements += report.replacements;
        lost += report.lostCharacters;
        if (showProgress)
            print(err, QStringLiteral("\r\033[K"));
        if (!options.quiet)
            print(out, describeReport(report, job.codePage.name()) + u'\n');
        if (showProgress) {
            std::fflush(out);
            print(err, QStringLiteral("[%1/%2] %3").arg(i + 1).arg(total).arg(report.source));
        }
    }
    pool.waitForDone();
    if (showProgress)
        print(err, QStringLiteral("\r\033[K"));

    QString summary = QStringLiteral("%1: %2 %3, %4 skipped, %5 failed; %6")
                          .arg(plural(total, "file", "files"))
                          .arg(written)
                          .arg(QLatin1String(options.job.dryRun ? "would be written" : "written"))
                          .arg(skippedCount)
                          .arg(failed)
                          .arg(plural(replacements, "replacement", "replacements"));
    if (lost > 0)
        summary += QStringLiteral("; %1 not in %2 written as \"?\"")
                       .arg(plural(lost, "character", "characters"), job.codePage.name());
    print(err, summary + u'\n');
    return failed > 0 ? 1 : 0;
}

} // namespace tessaly::cli
