// The three ways of adding files to the list: Add All HTML Files In Folder, Add
// HTML Files (the open dialog) and a drop from the file manager.
#pragma once

#include "filelist/add_folder.h"
#include "filelist/file_list_model.h"
#include "base/error_report.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tessaly {

class Platform;

// The tags of the scanning actions' error reports.
inline const QString kAddAllSource = QStringLiteral("Form1.PushButton1_Click");
inline const QString kDropSource = QStringLiteral("Form1.ListView1_OLEDragDrop");

// What the adding actions need from the window.
struct AddFilesContext {
    Platform &platform;
    FileListModel &list;
    // The settings store's ReadSetting / WriteSetting.
    std::function<QString(const QString &key, const QString &defaultValue)> readSetting;
    std::function<void(const QString &key, const QString &value)> writeSetting;
    // Shows the hourglass (true) or the default pointer (false); the window is busy meanwhile.
    std::function<void(bool busy)> setBusy;
    // Failed steps, for the error report box; the action goes on after each.
    FailureSink reportFailure;
};

// The folder Add All HTML Files In Folder scans and the extension asked for.
struct FolderChoice {
    QString folder;     // as the folder picker gave it
    QString extension;  // "htm", "*"
};

// What a scan for the list found, made on a worker thread and taken on the
// window's: the rows to append, what the scan left out, and the failed steps.
struct ScanFindings {
    QStringList paths;
    QStringList scanRoots;  // in step with paths: the folder whose scan found each
    QList<SkippedFolder> skipped;
    // For the error report box, in the order they came: the scan's own (tag
    // kGetSubDirectoriesSource) and those of the action's steps.
    QList<StepFailure> failures;
    // Told to stop before the end: no rows (and nothing to append).
    bool stopped = false;
};

// Add All HTML Files In Folder asks for the extension and the folder, appends the
// files of the folder and all its sub-folders, then runs the extension check. It
// comes in three parts, for a window that scans on a worker thread
// (FolderScanTask), all reporting with the action's tag and statement numbers:
// 1. On the window's thread: asks for the extension and the folder, remembers
//    both and shows the hourglass. Nothing when no extension or folder was given;
//    the action is then over (the extension check has run).
std::optional<FolderChoice> chooseFolderToScan(AddFilesContext &context);
// 2. On a worker thread: the files of the folder and all its sub-folders whose
//    names match the extension. `options` gives the stop token, the progress
//    sinks (called on that thread) and the folder source; what its failure and
//    skip sinks would get is in the findings instead.
ScanFindings scanChosenFolder(const FolderChoice &choice, FolderScanOptions options);
// 3. Back on the window's thread: reports the findings' failures, appends the
//    rows, restores the pointer and runs the extension check. Findings of a
//    stopped scan append nothing and skip the extension check.
void finishAddingFolder(AddFilesContext &context, const ScanFindings &findings);

// Add HTML Files: the multi-select open dialog, then the extension check.
void AddHtmlFiles(AddFilesContext &context);

// The rows a drop adds, each with the dropped folder whose scan found it ("" for a
// dropped file), where Keep folder tree places its result.
struct DroppedRows {
    QStringList paths;
    QStringList scanRoots;  // in step with paths
};

// The rows a drop of these paths adds, in order: a file as given; a folder as the
// openable files of it and all its sub-folders, except names beginning with "~"
// and hidden files (attribute value 34). Scan failures go to the options' sink.
// Nothing when the stop token said to stop.
std::optional<DroppedRows> filesFromDrop(const QStringList &paths, const FolderScanOptions &options = {});

// A drop on the list, in two parts, reporting failures with the drop's tag
// ("Form1.ListView1_OLEDragDrop", statements 100 and 102) and the scan's own.
// On a worker thread: filesFromDrop(), with `options` as for scanChosenFolder() ...
ScanFindings scanDroppedPaths(const QStringList &paths, FolderScanOptions options);
// ... then on the window's thread: reports the failures, appends the rows and
// runs the extension check (neither when the scan was stopped).
void finishDrop(AddFilesContext &context, const ScanFindings &findings);

} // namespace tessaly
