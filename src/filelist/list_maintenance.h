// The list procedures of module Main: the two text filters and the extension
// check (ValidateListFiles) that runs after every adding action.
#pragma once

#include "filelist/file_list_model.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tessaly {

class Platform;
class StopToken;

// Which rows a text filter removes: those whose path contains / does not
// contain the text, ignoring case, anywhere in the path.
enum class ListFilter { RemoveContaining, RemoveNotContaining };

// A text filter, run on a worker thread over a snapshot of the list's rows: the
// positions (from 1) of the rows to remove, in order; nothing once `stop` is set.
// The window removes them (FileListModel::removePositions) from the list the
// snapshot was taken of, which it keeps as it is meanwhile (it is busy).
std::optional<QList<int>> positionsToRemove(const QStringList &rows, const QString &text, ListFilter filter,
                                            const StopToken &stop);

// The rows whose extension is not an HTML one, and the question that names them.
struct ExtensionCheck {
    QList<int> positions;  // from 1, in list order
    QString question;      // "" when every row passes
};

// Whether an extension counts as HTML: it occurs, ignoring case, within "htm,html".
bool isExpectedExtension(const QString &extension);
ExtensionCheck checkListExtensions(const QStringList &rows);

// Asks about the rows with unexpected extensions and removes them on Yes.
// Returns whether rows were removed.
bool ValidateListFiles(FileListModel &list, Platform &platform);

} // namespace tessaly
