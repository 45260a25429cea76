// The list procedures of module Main: the two text filters and the extension
// check (ValidateListFiles) that runs after every adding action.
#pragma once

#include "filelist/file_list_model.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace tessaly {

class Platform;

// Remove every row whose path contains / does not contain `text`, ignoring case,
// anywhere in the path. Rows are examined first and removed afterwards, so rows
// appended while pending events run (they run on a time budget) are left alone.
void RemoveListFilesContaining(FileListModel &list, const QString &text,
                               const std::function<void()> &processPendingEvents = {});
void RemoveListFilesNotContaining(FileListModel &list, const QString &text,
                                  const std::function<void()> &processPendingEvents = {});

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
