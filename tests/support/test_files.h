// Small file helpers for tests: exact bytes in, exact bytes out.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace testing {

void writeBytes(const QString &path, const QByteArray &bytes);
QByteArray readBytes(const QString &path);
// A second name for the file at `path` (a hard link); false when it cannot be made.
bool makeHardLink(const QString &path, const QString &name);
// Writes each file (a path below root, "/" separated; folders made as needed)
// with the same bytes.
void writeTree(const QString &root, const QStringList &files, const QByteArray &bytes);
// The paths with the root in front taken off; a path outside it stays as it is.
QStringList relative(const QString &root, const QStringList &paths);
// The hidden temporary files a result writer left in a folder.
QStringList temporaryFilesIn(const QString &folder);
// Whether results written into the folder start as unnamed files (the file
// system has them, and /proc can link them).
bool makesUnnamedFiles(const QString &folder);
// A string of raw bytes from a QtTest table, e.g. bytes("\xFF\xFE", 2).
inline QByteArray bytes(const char *data, int size) { return QByteArray(data, size); }

} // namespace testing
