// Save Sets: writing the two set lists to a set file the user named, after asking
// before an existing file is overwritten.
#pragma once

#include "base/platform.h"
#include "textio/code_page.h"

#include <QStringList>

#include <optional>

namespace tessaly {

QString overwriteQuestion(const QString &path);

// Asks "Are you sure you wish to overwrite PATH ?" when the path exists and writes
// nothing unless the answer is Yes. The file is replaced in one step, so a refused
// or failed save leaves an existing file as it was; a read-only file is refused.
// A symbolic link is followed to the file it leads to, which keeps its permissions.
// Returns nullopt when nothing was written, otherwise the number of characters the
// code page could not hold (saved as "?"). Throws TessalyError when writing fails.
std::optional<qint64> SaveSetsToFile(Platform &platform, const QString &path, const QStringList &findList,
                                     const QStringList &replaceList, const CodePage &codePage);

} // namespace tessaly
