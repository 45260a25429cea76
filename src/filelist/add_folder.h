// Module AddFolder: the folder scan (the listing of a folder's files and the
// wildcard matcher are in their own files, included here). No window is touched.
#pragma once

#include "filelist/folder_listing.h"
#include "filelist/folder_source.h"
#include "filelist/wildcard.h"
#include "base/error_report.h"
#include "engine/stop_token.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tessaly {

// Source tag of the scan's failure reports.
inline const QString kGetSubDirectoriesSource = QStringLiteral("in CorvathTitle2021/08/31.AddFolder.GetSubDirectories2016 ");

// A folder the scan did not enter, and why ("Permission denied", "name holds a
// control character").
struct SkippedFolder {
    QString path;
    QString reason;
};
using SkippedFolderSink = std::function<void(const SkippedFolder &)>;

struct FolderScanOptions {
    // Asked between folders; once set, the scan stops. May be null.
    const StopToken *stop = nullptr;
    // Told how many folders the scan found so far, after each folder it listed;
    // may be empty. On a worker thread, called there.
    std::function<void(qsizetype foldersFound)> reportFolders;
    // Told how many files the listing that follows a scan (collectFolderFiles, the
    // adding actions) found so far, after each folder; may be empty.
    std::function<void(qsizetype filesFound)> reportFiles;
    // Receives failed steps (tag kGetSubDirectoriesSource); the scan goes on after each.
    FailureSink reportFailure;
    // Receives each folder left out because it could not be read or named; may be empty.
    SkippedFolderSink reportSkipped;
    const FolderSource *source = &FolderSource::real();
};

// How the listing that follows a scan with these options is kept in hand.
inline ListingControl listingControl(const FolderScanOptions &options)
{
    return {options.stop, options.reportFiles};
}

// Extends `folders` (every entry ending in the separator) in place with the
// sub-folders of its entries, breadth-first: all children of the starting entries,
// then all grandchildren, and so on (one level only when `recurse` is false).
// Every folder the system can open is entered, whatever its letters or the length
// of its path. Entries whose sub-folders cannot be listed (denied, gone) are
// removed, and sub-folders whose names hold a control character or are not valid
// UTF-8 are left out; both are reported to `reportSkipped`. Hidden system folders
// (attribute value 22 or 1046) are neither entered nor returned unless they are
// drive roots, and neither are folders already listed (reached again through a
// link), so link loops cannot make a scan run away.
// Returns false when the stop token said to stop (`folders` is then incomplete).
bool GetSubDirectories2016(QStringList &folders, bool recurse, const FolderScanOptions &options = {});

// Why the scan does not enter a sub-folder of this name ("name holds a control
// character", "name is not valid UTF-8"); empty when it does.
QString folderNameProblem(const QString &name);

// For the command line: the files of `folder` and all its sub-folders, scanned
// as above, whose names match "*." + extension ("*" for every file), names
// beginning with "~" left out; folder by folder, in listing order (nothing when
// the stop token said to stop). The folders are listed by up to `threads`
// threads at once (no more than `threadLimit` more when it is not negative)
// unless a stop token is given; then `facts` gets what each one's listing saw,
// in the same order.
QStringList collectFolderFiles(const QString &folder, const QString &extension,
                               const FolderScanOptions &options = {}, int threads = 1, int threadLimit = -1,
                               std::vector<FolderListingFacts> *facts = nullptr);

} // namespace tessaly
