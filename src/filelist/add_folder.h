// Module AddFolder: the folder scan (the listing of a folder's files and the
// wildcard matcher are in their own files, included here). No window is touched.
#pragma once

#include "filelist/folder_listing.h"
#include "filelist/folder_source.h"
#include "filelist/wildcard.h"
#include "base/error_report.h"
#include "base/pending_events.h"
#include "textio/code_page.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tessaly {

// Source tag of the scan's failure reports.
inline const QString kGetSubDirectoriesSource = QStringLiteral("in CorvathTitle2021/08/31.AddFolder.GetSubDirectories2016 ");

// Paths and names of this length or more are skipped by the scan (the Windows path limit).
constexpr int kMaxPathLength = 260;

struct FolderScanOptions {
    // Runs the window's pending events on a time budget and says whether to go
    // on; the scan stops when it says no. May be empty.
    HandOverEvents handOverEvents;
    // Receives failed steps (tag kGetSubDirectoriesSource); the scan goes on after each.
    FailureSink reportFailure;
    // The active single-byte code page: sub-folder names it cannot hold are skipped.
    CodePage codePage = CodePage::system();
    const FolderSource *source = &FolderSource::real();
};

// Extends `folders` (every entry ending in the separator) in place with the
// sub-folders of its entries, breadth-first: all children of the starting entries,
// then all grandchildren, and so on (one level only when `recurse` is false).
// Entries whose sub-folders cannot be listed (denied, gone) are removed. Hidden
// system folders (attribute value 22 or 1046) are neither entered nor returned
// unless they are drive roots, and neither are names that are too long, hold
// characters unsafe in the code page, or name a folder already listed (reached
// again through a link), so link loops cannot make a scan run away.
// Returns false when the hand-over of events said to stop (`folders` is then
// incomplete).
bool GetSubDirectories2016(QStringList &folders, bool recurse, const FolderScanOptions &options = {});

// Whether a name holds a character that is a control code, 127 to 159, or "?" in
// the code page, or that the code page cannot hold at all. "" is safe.
bool HasUnsafeCharacters(const QString &name, const CodePage &codePage);

// For the command line: the files of `folder` and all its sub-folders, scanned
// as above, whose names match "*." + extension ("*" for every file), names
// beginning with "~" left out; folder by folder, in listing order (nothing when
// the hand-over of events said to stop).
QStringList collectFolderFiles(const QString &folder, const QString &extension,
                               const FolderScanOptions &options = {});

} // namespace tessaly
