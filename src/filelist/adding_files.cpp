#include "filelist/adding_files.h"
#include "filelist/work_gate.h"

#include "base/error_report.h"
#include "base/paths.h"
#include "base/platform.h"
#include "filelist/file_attributes.h"
#include "filelist/list_maintenance.h"
#include "base/setting.h"
#include "base/tessaly_error.h"

#include <QDir>

#include <exception>

namespace tessaly {

namespace {

// Points the options' failure and skip sinks at the findings.
void collectInto(ScanFindings &findings, FolderScanOptions &options)
{
    options.reportFailure = [&findings](const StepFailure &failure) { findings.failures.append(failure); };
    options.reportSkipped = [&findings](const SkippedFolder &folder) { findings.skipped.append(folder); };
}

void reportFailures(const AddFilesContext &context, const ScanFindings &findings)
{
    for (const StepFailure &failure : findings.failures)
        context.reportFailure(failure);
}

// A full path from the open dialog as the folder and name a Windows dialog hands
// out: the folder without its trailing separator unless it is a root.
std::pair<QString, QString> splitChosenPath(const QString &path, QChar sep)
{
    const int cut = int(path.lastIndexOf(sep));
    if (cut < 0)
        return {QString(), path};
    QString folder = path.left(cut);
    if (folder.isEmpty() || folder.endsWith(u':'))
        folder += sep;
    return {folder, path.mid(cut + 1)};
}

// Statements 112, 114 and the listing of 116 of Add All HTML Files In Folder:
// the files found, or nothing when the scan was told to stop.
std::optional<QStringList> collectChosenFiles(ErrorTrap &trap, const FolderChoice &choice,
                                              const FolderScanOptions &options)
{
    QStringList folders;
    trap.step(112, [&] { folders = QStringList{choice.folder + QDir::separator()}; });
    bool goOn = true;
    trap.step(114, [&] { goOn = GetSubDirectories2016(folders, true, options); });
    if (!goOn)
        return std::nullopt;
    std::optional<QStringList> files = QStringList();
    trap.step(116, [&] {
        files = listFilesOfFolders(folders, QStringLiteral("*.") + choice.extension, listingControl(options));
    });
    return files;
}

} // namespace

// The statements of the three parts: 100 ask for the extension, 102 remember it, 104 test for an answer,
// 106 pick the folder, 108 test for a folder, 333 keep it, 334 remember it,
// 110 hourglass, 112 start the folder list, 114 scan, 116 list and append,
// 138 default pointer, 140 extension check.
std::optional<FolderChoice> chooseFolderToScan(AddFilesContext &context)
{
    ErrorTrap trap(context.reportFailure, kAddAllSource);
    FolderChoice choice;
    trap.step(100, [&] {
        const QString remembered =
            context.readSetting(settings::scanExtension.name(), settings::scanExtension.defaultValue);
        choice.extension = context.platform
                               .input(QStringLiteral("Enter file extension to load:\r\r(* for all files, txt for all "
                                                     "txt files, doc for all doc files, etc.)"),
                                      remembered)
                               .value_or(QString());
    });
    trap.step(102, [&] {
        if (!choice.extension.isEmpty())
            context.writeSetting(settings::scanExtension.name(), choice.extension);
    });
    QString folder;
    if (!choice.extension.isEmpty())
        trap.step(106, [&] { folder = context.platform.browseForFolder(QStringLiteral("Please select folder:"), QString()); });
    if (folder.isEmpty()) {
        trap.step(140, [&] { ValidateListFiles(context.list, context.platform); });
        return std::nullopt;
    }
    trap.step(333, [&] { choice.folder = folder; });
    trap.step(334, [&] { context.writeSetting(settings::lastScannedFolder.name(), choice.folder); });
    trap.step(110, [&] {
        if (context.setBusy)
            context.setBusy(true);
    });
    return choice;
}

ScanFindings scanChosenFolder(const FolderChoice &choice, FolderScanOptions options)
{
    ScanFindings findings;
    collectInto(findings, options);
    ErrorTrap trap(options.reportFailure, kAddAllSource);
    std::optional<QStringList> files = collectChosenFiles(trap, choice, options);
    findings.stopped = !files;
    if (files) {
        findings.scanRoots = QStringList(files->size(), choice.folder);
        findings.paths = std::move(*files);
    }
    return findings;
}

void finishAddingFolder(AddFilesContext &context, const ScanFindings &findings)
{
    reportFailures(context, findings);
    ErrorTrap trap(context.reportFailure, kAddAllSource);
    if (!findings.stopped)
        trap.step(116, [&] { context.list.appendAll(findings.paths, findings.scanRoots); });
    trap.step(138, [&] {
        if (context.setBusy)
            context.setBusy(false);
    });
    if (!findings.stopped)
        trap.step(140, [&] { ValidateListFiles(context.list, context.platform); });
}

// Statements: 100 set the dialog up, 102 show it, 104 test for a choice,
// 106 one file: the HTML suffix test and append, 108 several files: append each,
// 150 extension check. Our dialog has no file-name buffer to overflow, so the
// "too many files" message never arises.
void AddHtmlFiles(AddFilesContext &context)
{
    ErrorTrap trap(context.reportFailure, QStringLiteral("Form1.PushButton2_Click"));
    const QChar sep = QDir::separator();
    FileDialogRequest request;
    QStringList chosen;

    trap.step(100, [&] {
        request.title = QStringLiteral("Add File(s) - Hold Ctrl to select multiple files");
        request.filter = QStringLiteral("HTML Files (*.htm;*.html)|*.htm;*.html|All Files (*.*)|*.*");
        request.initialFolder = QString();
    });
    trap.step(102, [&] { chosen = context.platform.openFiles(request); });
    if (!chosen.isEmpty()) {
        if (chosen.size() == 1) {
            trap.step(106, [&] {
                const QString path = chosen.first();
                if (path.right(3).toUpper() == QLatin1String("HTM") || path.right(4).toUpper() == QLatin1String("HTML"))
                    context.list.append(path);
            });
        } else {
            trap.step(108, [&] {
                QStringList paths;
                for (const QString &path : std::as_const(chosen)) {
                    const auto [folder, name] = splitChosenPath(path, sep);
                    paths.append(NormalizePath(folder + sep + name, sep));
                }
                context.list.appendAll(paths);
            });
        }
    }
    trap.step(150, [&] { ValidateListFiles(context.list, context.platform); });
}

std::optional<DroppedRows> filesFromDrop(const QStringList &paths, const FolderScanOptions &options)
{
    const QChar sep = QDir::separator();
    DroppedRows rows;
    for (const QString &dropped : paths) {
        const int value = options.source->attributes(dropped);
        if (value == -1 || (value & AttributeDirectory) == 0) {
            rows.paths.append(dropped);
            rows.scanRoots.append(QString());
            continue;
        }
        // Each dropped folder is scanned on its own, so its files come once.
        QStringList folders{dropped + sep};
        if (!GetSubDirectories2016(folders, true, options))
            return std::nullopt;
        // Files are counted over all the dropped folders.
        ListingControl listing = listingControl(options);
        if (options.reportFiles)
            listing.reportFiles = [&](qsizetype found) { options.reportFiles(rows.paths.size() + found); };
        const std::optional<QStringList> files = listFilesOfFolders(folders, QStringLiteral("*.*"), listing);
        if (!files)
            return std::nullopt;
        const QString root = NormalizePath(dropped, sep);
        for (const QString &path : *files) {
            // A file's look costs system calls: a large folder can still be stopped.
            if (!WorkGate(options.stop).goOn())
                return std::nullopt;
            if (FileIsOpenable(path) && fileAttributes(path) != AttributeArchive + AttributeHidden) {
                rows.paths.append(NormalizePath(path, sep));
                rows.scanRoots.append(root);
            }
        }
    }
    return rows;
}

// Statements: 100 append the dropped files and the files of dropped folders,
// 102 extension check.
ScanFindings scanDroppedPaths(const QStringList &paths, FolderScanOptions options)
{
    ScanFindings findings;
    collectInto(findings, options);
    ErrorTrap trap(options.reportFailure, kDropSource);
    trap.step(100, [&] {
        std::optional<DroppedRows> rows = filesFromDrop(paths, options);
        findings.stopped = !rows;
        if (rows) {
            findings.paths = std::move(rows->paths);
            findings.scanRoots = std::move(rows->scanRoots);
        }
    });
    return findings;
}

void finishDrop(AddFilesContext &context, const ScanFindings &findings)
{
    reportFailures(context, findings);
    if (findings.stopped)
        return;
    ErrorTrap trap(context.reportFailure, kDropSource);
    trap.step(100, [&] { context.list.appendAll(findings.paths, findings.scanRoots); });
    trap.step(102, [&] { ValidateListFiles(context.list, context.platform); });
}

} // namespace tessaly
