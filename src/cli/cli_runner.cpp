#include "cli/cli_runner.h"

#include "base/paths.h"
#include "base/tessaly_error.h"
#include "cli/diff_output.h"
#include "cli/held_file_system.h"
#include "cli/interruption.h"
#include "cli/worker_threads.h"
#include "engine/replace_run.h"
#include "filelist/add_folder.h"

#include <QDir>
#include <QFileInfo>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

#include <unistd.h>

namespace tessaly::cli {

namespace {

void print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

DiffColors diffColors(CliOptions::Colors colors, FILE *out)
{
    const bool ansi = colors == CliOptions::Colors::Always
                      || (colors == CliOptions::Colors::Auto && isatty(fileno(out)));
    return ansi ? DiffColors::Ansi : DiffColors::None;
}

} // namespace

QList<RunFile> expandPaths(const CliOptions &options, FILE *err)
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
    const QChar sep = QDir::separator();
    QList<RunFile> files;
    for (const QString &path : options.paths) {
        // A name that is not valid UTF-8 stays a file: its job reports it.
        if (!isValidFileName(path) || !QFileInfo(path).isDir()) {
            files.append({path, {}});
            continue;
        }
        // The scan names the folder's files with the folder as given, less its
        // closing separators, in front.
        QString folder = path;
        while (folder.size() > 1 && folder.endsWith(sep))
            folder.chop(1);
        const qsizetype below = folder.size() + 1;
        for (const QString &file : collectFolderFiles(path, options.extension, scan))
            files.append({file, GetFilePath(file.mid(below), sep)});
    }
    return files;
}

int runFiles(const CliOptions &given, FILE *out, FILE *err, bool showProgress)
{
    // Folders turn into their files first, so the run's sources include them.
    CliOptions options = given;
    options.paths.clear();
    QStringList subFolders;
    for (const RunFile &file : expandPaths(given, err)) {
        options.paths.append(file.path);
        subFolders.append(options.keepTree ? file.subFolder : QString());
    }
    options.job.fileSystem = &HeldFileSystem::forRun();
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
    const RunContext run(std::make_shared<const RunSources>(absolute));
    const JobOptions &job = request.options;

    std::vector<std::optional<FileReport>> reports(static_cast<size_t>(total));
    std::mutex mutex;
    std::condition_variable ready;
    std::atomic<qsizetype> next{0};  // files are taken in list order

    // The workers only read what they share. A non-const QList access would detach
    // (copy) a list that is still shared, which is a data race between workers.
    const FileRequest &sharedRequest = request;
    const QStringList &paths = options.paths;
    const QStringList &absolutePaths = absolute;
    const QStringList &resultSubFolders = subFolders;

    // Takes the next file and does it; false when none is left or the run was
    // asked to stop. A file once taken is always finished.
    const auto doNextFile = [&]() -> bool {
        if (interruptingSignal() != 0)
            return false;
        const qsizetype i = next.fetch_add(1);
        if (i >= total)
            return false;
        FileRequest fileRequest = sharedRequest;
        run.bind(fileRequest.options, int(i + 1));
        fileRequest.options.subFolder = resultSubFolders.at(i);
        FileReport report;
        {
            const SettledFile settled(run.results.get(), int(i + 1));
            report = processFile(absolutePaths.at(i), fileRequest);
        }
        report.source = paths.at(i);
        const std::lock_guard lock(mutex);
        reports[size_t(i)] = std::move(report);
        ready.notify_all();
        return true;
    };
    // Whether the report of file i is there, or will never come (the run stopped
    // before the file was taken).
    const auto settledReport = [&](qsizetype i) {
        return reports[size_t(i)].has_value() || (interruptingSignal() != 0 && i >= next.load());
    };
    // This thread does files too, between printing the reports in list order.
    const WorkerThreads workers(std::min<qsizetype>(options.jobs, total) - 1, [&] {
        while (doNextFile()) {
        }
    });

    // With --diff standard output carries the diffs alone.
    FILE *const lines = options.diff ? err : out;
    const DiffColors colors = diffColors(options.colors, out);
    bool diffMissing = false;
    qint64 written = 0, skippedCount = 0, failed = 0, replacements = 0, lost = 0;
    qsizetype done = 0;
    for (; done < total; ++done) {
        std::optional<FileReport> taken;
        for (;;) {
            std::unique_lock lock(mutex);
            if (settledReport(done))
                break;
            lock.unlock();
            if (doNextFile())
                continue;
            lock.lock();
            ready.wait(lock, [&] { return settledReport(done); });
            break;
        }
        {
            const std::lock_guard lock(mutex);
            taken.swap(reports[size_t(done)]);
        }
        if (!taken)
            break;
        const FileReport &report = *taken;
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
            print(lines, describeReport(report, job.codePage.name()) + u'\n');
        // A file's texts are read again for its diff once its turn has come, so
        // only one file's texts are held at a time.
        if (options.diff && report.status == FileReport::Status::Written && report.replacements > 0) {
            try {
                const QByteArray diff = fileDiff(absolutePaths.at(done), report, sharedRequest,
                                                 options.diffContext, colors);
                std::fwrite(diff.constData(), 1, size_t(diff.size()), out);
            } catch (const TessalyError &error) {
                print(err, QStringLiteral("tessaly-cli: %1\n").arg(error.description()));
                diffMissing = true;
            }
        }
        if (showProgress) {
            std::fflush(out);
            print(err, QStringLiteral("[%1/%2] %3").arg(done + 1).arg(total).arg(report.source));
        }
    }
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
    const int signal = interruptingSignal();
    if (signal != 0)
        summary += QStringLiteral("; interrupted by %1, %2 not processed")
                       .arg(QLatin1String(signalName(signal)))
                       .arg(plural(total - done, "file", "files"));
    print(err, summary + u'\n');
    if (signal != 0)
        return 128 + signal;
    return failed > 0 || diffMissing ? 1 : 0;
}

} // namespace tessaly::cli
