// Path text helpers and file tests shared by every layer. The helpers work on the
// text only; the separator is a parameter so the backslash rules are testable anywhere.
#pragma once

#include <QChar>
#include <QDir>
#include <QString>

namespace tessaly {

inline QChar nativeSeparator() { return QDir::separator(); }

QString GetFileName(const QString &path, QChar sep = nativeSeparator());
QString GetFilePath(const QString &path, QChar sep = nativeSeparator());
QString GetFileExtension(const QString &path);
QString StripFileExtension(const QString &path);
// Collapses doubled separators in one left-to-right pass. With "\" a leading run
// becomes exactly two (network shares); with "/" a leading run becomes one.
QString NormalizePath(const QString &path, QChar sep = nativeSeparator());

// True when the path's modification time can be read (folders count too).
bool FileExists(const QString &path);
// True when the path exists and is a folder; false for files, missing paths and "".
bool FolderExists(const QString &path);

} // namespace tessaly
