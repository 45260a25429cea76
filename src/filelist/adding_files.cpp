#include "filelist/adding_files.h"

#include "base/error_report.h"
#include "base/paths.h"
#include "base/platform.h"
#include "filelist/file_attributes.h"
#include "filelist/list_maintenance.h"
#include "base/tessaly_error.h"

#include <QDir>

#include <exception>

namespace tessaly {

namespace {

FolderScanOptions scanOptions(const AddFilesContext &context)
{
    FolderScanOptions options = context.scan;
    if (!options.reportFailure)
        options.reportFailure = context.reportFailure;
    return options;
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

} // namespace

// Statements: 100 ask for the extension, 102 remember it, 104 test for an answer,
// 106 pick the folder, 108 test for a folder, 333 keep it, 334 remember it,
// 110 hourglass, 112 start the folder list, 114 scan, 116 list and append,
// 138 default pointer, 140 extension check.
void AddAllHtmlFilesInFolder(AddFilesContext &context)
{
    ErrorTrap trap(context.reportFailure, QStringLiteral("Form1.PushButton1_Click"));
    const QChar sep = QDir::separator();
    QString answer;
    QString folder;
    QString chosen;
    QStringList folders;

    trap.step(100, [&] {
        const QString remembered = context.readSetting(QStringLiteral("Extension"), QStringLiteral("htm"));
        answer = context.platform
                     .input(QStringLiteral("Enter file extension to load:\r\r(* for all files, txt for all txt "
                                           "files, doc for all doc files, etc.)"),
                            remembered)
                     .value_or(QString());
    });
    trap.step(102, [&] {
        if (!answer.isEmpty())
            context.writeSetting(QStringLiteral("Extension"), answer);
    });
    if (!answer.isEmpty()) {
        trap.step(106, [&] { folder = context.platform.browseForFolder(QStringLiteral("Please select folder:"), QString()); });
        if (!folder.isEmpty()) {
            trap.step(333, [&] { chosen = folder; });
            trap.step(334, [&] { context.writeSetting(QStringLiteral("LastFolder"), chosen); });
            trap.step(110, [&] {
                if (context.setBusy)
                    context.setBusy(true);
            });
            trap.step(112, [&] { folders = QStringList{folder + sep}; });
            // A scan that was told to stop (the window is closing) ends the action.
            bool goOn = true;
            trap.step(114, [&] { goOn = GetSubDirectories2016(folders, true, scanOptions(context)); });
            if (!goOn)
                return;
            trap.step(116, [&] {
                const std::optional<QStringList> files =
                    listFilesOfFolders(folders, QStringLiteral("*.") + answer, context.scan.handOverEvents);
                if (files)
                    context.list.appendAll(*files, chosen);
                goOn = files.has_value();
            });
            if (!goOn)
                return;
            trap.step(138, [&] {
                if (context.setBusy)
                    context.setBusy(false);
            });
        }
    }
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
        const std::optional<QStringList> files =
            listFilesOfFolders(folders, QStringLiteral("*.*"), options.handOverEvents);
        if (!files)
            return std::nullopt;
        const QString root = NormalizePath(dropped, sep);
        for (const QString &path : *files) {
            if (FileIsOpenable(path) && fileAttributes(path) != AttributeArchive + AttributeHidden) {
                rows.paths.append(NormalizePath(path, sep));
                rows.scanRoots.append(root);
            }
        }
    }
    return rows;
}

void addDroppedFiles(AddFilesContext &context, const QStringList &paths)
{
    const std::optional<DroppedRows> rows = filesFromDrop(paths, scanOptions(context));
    if (!rows)
        return;
    context.list.appendAll(rows->paths, rows->scanRoots);
    ValidateListFiles(context.list, context.platform);
}

} // namespace tessaly
