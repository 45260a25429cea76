// The listing of one folder's files by wildcard, the open test it relies on, and
// the files of a scan's folders.
#pragma once

#include "base/pending_events.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace tessaly {

// The names of the files in `folder` (with or without a trailing separator) that
// match `pattern` ("*.htm", "*.*"): hidden files included, folders not, each one
// openable. Empty when the folder does not exist or nothing matches.
QStringList ListFolderFiles(const QString &folder, const QString &pattern);

// Sorts names the same way on every machine: case-insensitive, as Windows file
// systems list them, and names that differ only in letter case in code order
// ("A" before "a").
void sortFolderNames(QStringList &names);

// Whether the path names an existing file that can be opened (no access asked):
// false for folders, missing paths and dangling links.
bool FileIsOpenable(const QString &path);

// The files matching `pattern` in each folder of a scan's list (entries end with a
// separator), in list order, names beginning with "~" left out. The window's events
// run on a time budget meanwhile; nothing when the hand-over said to stop.
std::optional<QStringList> listFilesOfFolders(const QStringList &folders, const QString &pattern,
                                              const HandOverEvents &handOverEvents = {});

} // namespace tessaly
