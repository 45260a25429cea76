#include "base/paths.h"

#include <QFileInfo>

namespace tessaly {

QString GetFileName(const QString &path, QChar sep)
{
    return path.mid(path.lastIndexOf(sep) + 1);
}

QString GetFilePath(const QString &path, QChar sep)
{
    return path.left(path.lastIndexOf(sep) + 1);
}

QString GetFileExtension(const QString &path)
{
    return path.mid(path.lastIndexOf(u'.') + 1);
}

QString StripFileExtension(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot >= 1 ? path.left(dot) : path;
}

QString NormalizePath(const QString &path, QChar sep)
{
    const QString doubled = QString(2, sep);
    if (!path.startsWith(sep))
        return QString(path).replace(doubled, QString(sep));
    qsizetype first = 0;
    while (first < path.size() && path.at(first) == sep)
        ++first;
    // A backslash path that begins with separators is a network share: two stay.
    const QString lead = sep == u'\\' ? doubled : QString(sep);
    return lead + path.mid(first).replace(doubled, QString(sep));
}

bool FileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).lastModified().isValid();
}

bool FolderExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace tessaly
