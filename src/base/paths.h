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
// The folders between `folder` and the file at `path`, as GetFilePath gives them
// ("a/b/" for folder/a/b/page.htm), a part of `path`; "" when the file lies in
// `folder` itself or not below it.
QStringView foldersBelow(const QString &path, const QString &folder, QChar sep = nativeSeparator());
QString GetFileExtension(const QString &path);
QString StripFileExtension(const QString &path);
// Collapses doubled separators in one left-to-right pass. With "\" a leading run
// becomes exactly two (network shares); with "/" a leading run becomes one.
QString NormalizePath(const QString &path, QChar sep = nativeSeparator());

// A path as the file system takes it, safe to hand to QFile, QFileInfo and QDir:
// a relative path beginning with ":" gets "./" in front, so it names the file
// ":x.htm" in the working folder and not one of Qt's built-in resources.
QString localPath(const QString &path);

// The text of a file name read from the system (a listing, a command line). A
// name that is valid UTF-8 is decoded; in one that is not, every byte of an
// invalid sequence becomes a lone surrogate (U+DC80 + byte), which no valid name
// decodes to, so such a name is never taken for another file's.
QString decodeFileName(const QByteArray &name);
// False for a name that decodeFileName got from bytes that are not valid UTF-8.
bool isValidFileName(const QString &name);
// The bytes decodeFileName was given: each lone surrogate U+DC80..U+DCFF is its
// byte again, everything else is UTF-8 (any other lone surrogate becomes U+FFFD).
QByteArray fileNameBytes(const QString &name);
// folder + separator + name, made in one block; a null separator (QChar()) puts
// none between them.
QString joinPath(QStringView folder, QChar separator, QStringView name);
// QFile::encodeName of a name or path, copied unit by unit when it is all ASCII
// (the names of most runs), which spares the encoder.
QByteArray encodedName(QStringView name);
// The reason a file whose name is not valid UTF-8 fails.
inline const QString kInvalidFileNameReason = QStringLiteral("file name is not valid UTF-8");

// PATH made absolute against `current`, the working folder asked for once by a
// caller that makes many names absolute. It comes out as QFileInfo::absoluteFilePath
// spells it, made by string work alone; a name that is not valid UTF-8 is left as
// it is (QFileInfo would re-spell it).
QString absolutePath(const QString &current, const QString &path);

// True when the path's modification time can be read (folders count too).
bool FileExists(const QString &path);
// True when the path exists and is a folder; false for files, missing paths and "".
bool FolderExists(const QString &path);

} // namespace tessaly
