// The list procedures of module Main: the two text filters and the extension
// check (ValidateListFiles) that runs after every adding action.
#pragma once

#include "base/pending_events.h"
#include "filelist/file_list_model.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tessaly {

class Platform;

// Remove every row whose path contains / does not contain `text`, ignoring case,
// anywhere in the path. Rows are examined first and removed afterwards, so rows
// appended while pending events run (they run on a time budget) are left alone.
// When the hand-over of events says to stop, nothing is removed and the result
// is false.
bool RemoveListFilesContaining(FileListModel &list, const QString &text, const HandOverEvents &handOverEvents = {});
bool RemoveListFilesNotContaining(FileListModel &list, const QString &text,
                                  const HandOverEvents &handOverEvents = {});

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
