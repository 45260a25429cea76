#include "cli/cli_runner.h"

#include "base/paths.h"
#include "cli/cli_printer.h"
#include "cli/terminal_text.h"
#include "filelist/add_folder.h"

#include <QDir>
#include <QFileInfo>

namespace tessaly::cli {

namespace {

void print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

} // namespace

QList<RunFile> expandPaths(const CliOptions &options, FILE *err)
{
    FolderScanOptions scan;
    scan.reportSkipped = [err](const SkippedFolder &folder) {
        print(err, QStringLiteral("tessaly-cli: %1: folder skipped (%2)\n").arg(escapeControls(folder.path), folder.reason));
    };
    scan.reportFailure = [err](const StepFailure &failure) {
        print(err, QStringLiteral("tessaly-cli: %1 (%2at line %3)\n")
                       .arg(escapeControls(failure.description), failure.source)
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
            files.append({file, options.keepTree ? GetFilePath(file.mid(below), sep) : QString()});
    }
    return files;
}

int runFiles(const CliOptions &options, FILE *out, FILE *err, bool showProgress, StopToken &stop,
             const RunEnvironment &environment)
{
    // Folders turn into their files first, so the run's sources include them.
    const QList<RunFile> files = expandPaths(options, err);
    FixedRequest request({options.usesSetFile ? FileRequest::Kind::Sets : FileRequest::Kind::Pair, options.sets,
                          options.job});
    CliPrinter printer(options, out, err, showProgress, files.size(), stop);
    return printer.finish(ReplaceRun(environment).run(files, request, printer, stop, options.jobs));
}

} // namespace tessaly::cli
