// The three ways of adding files to the list: Add All HTML Files In Folder, Add
// HTML Files (the open dialog) and a drop from the file manager.
#pragma once

#include "filelist/add_folder.h"
#include "filelist/file_list_model.h"
#include "base/error_report.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tessaly {

class Platform;

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
    // Pending events and code page of the scan. Its failures go to reportFailure
    // unless it has a sink of its own.
    FolderScanOptions scan;
};

// Add All HTML Files In Folder: asks for the extension and the folder, appends the
// files of the folder and all its sub-folders, then runs the extension check.
// When the scan is told to stop (the window is closing) it ends at once: nothing is
// appended, the pointer and the extension check are left alone.
void AddAllHtmlFilesInFolder(AddFilesContext &context);

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
// Nothing when the hand-over of events said to stop.
std::optional<DroppedRows> filesFromDrop(const QStringList &paths, const FolderScanOptions &options = {});

// A drop on the list: appends filesFromDrop() and runs the extension check
// (neither when the scan was told to stop).
void addDroppedFiles(AddFilesContext &context, const QStringList &paths);

} // namespace tessaly
