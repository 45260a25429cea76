// The listing of one folder's files by wildcard, the open test it relies on, and
// the files of a scan's folders.
#pragma once

#include "textio/folder_handle.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace tessaly {

class StopToken;

// What a listing saw of a folder besides the names, for a caller that records
// the files as a run's sources without looking at them again: the folder's
// identity (none where the system did not tell it), and which names were plain
// files in the listing itself (not links, not of a type it did not tell).
struct FolderListingFacts {
    QString folder;  // as listed, with a closing separator
    std::optional<FileIdentity> identity;
    std::vector<bool> plain;  // one for each name, in the order of the names
};

// The names of the files in `folder` (with or without a trailing separator) that
// match `pattern` ("*.htm", "*.*"): hidden files included, folders not, each one
// openable. Empty when the folder does not exist or nothing matches. With
// `facts`, what the listing saw besides.
QStringList ListFolderFiles(const QString &folder, const QString &pattern, FolderListingFacts *facts = nullptr);

// Sorts names the same way on every machine: case-insensitive, as Windows file
// systems list them, and names that differ only in letter case in code order
// ("A" before "a").
void sortFolderNames(QStringList &names);

// Whether the path names an existing file that can be opened (no access asked):
// false for folders, missing paths and dangling links.
bool FileIsOpenable(const QString &path);

// How a listing of many folders is kept in hand; every member may be empty.
struct ListingControl {
    // Asked between folders; once set, the listing ends.
    const StopToken *stop = nullptr;
    // Told how many files were found so far, after each folder.
    std::function<void(qsizetype filesFound)> reportFiles;
};

// The files matching `pattern` in each folder of a scan's list (entries end with a
// separator), folder by folder in list order, names beginning with "~" left out;
// nothing when the listing was told to stop.
std::optional<QStringList> listFilesOfFolders(const QStringList &folders, const QString &pattern,
                                              const ListingControl &control = {});

// The same for a caller without a window: the folders are listed by up to
// `threads` threads at once (no more than `threadLimit` more when it is not
// negative), and `facts` gets what each folder's listing saw, in list order, with
// one `plain` for each of its files that are returned.
QStringList listFilesOfFolders(const QStringList &folders, const QString &pattern, int threads, int threadLimit,
                               std::vector<FolderListingFacts> *facts);

} // namespace tessaly
