#include "filelist/file_attributes.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace tessaly {

namespace {

// The last name of a path, ignoring trailing separators ("a/.b/" gives ".b").
QString lastName(const QString &path)
{
    int end = int(path.size());
    while (end > 0 && (path.at(end - 1) == u'/' || path.at(end - 1) == u'\\'))
        --end;
    int start = end;
    while (start > 0 && path.at(start - 1) != u'/' && path.at(start - 1) != u'\\')
        --start;
    return path.mid(start, end - start);
}

} // namespace

#ifdef Q_OS_UNIX

int fileAttributes(const QString &path)
{
    if (path.isEmpty())
        return -1;
    const QByteArray native = QFile::encodeName(path);
    struct stat own;
    if (::lstat(native.constData(), &own) != 0)
        return -1;
    int value = 0;
    struct stat target = own;
    if (S_ISLNK(own.st_mode)) {
        value |= AttributeLink;
        // A dangling link still exists as an entry; it is then neither file nor folder.
        if (::stat(native.constData(), &target) != 0)
            target.st_mode = 0;
    }
    if (S_ISDIR(target.st_mode))
        value |= AttributeDirectory;
    else if (S_ISREG(target.st_mode))
        value |= AttributeArchive;
    const QString name = lastName(path);
    if (name.startsWith(u'.') && name != QLatin1String(".") && name != QLatin1String(".."))
        value |= AttributeHidden;
    return value;
}

bool isFileSystemRoot(const QString &path)
{
    return !path.isEmpty() && std::all_of(path.begin(), path.end(), [](QChar c) { return c == u'/'; });
}

QByteArray fileIdentity(const QString &path)
{
    struct stat info;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return QByteArray::number(quint64(info.st_dev)) + ':' + QByteArray::number(quint64(info.st_ino));
}

#else

// Elsewhere the same facts come from QFileInfo; the mapping above still holds.
int fileAttributes(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || (!info.exists() && !info.isSymLink()))
        return -1;
    int value = 0;
    if (info.isSymLink())
        value |= AttributeLink;
    if (info.isDir())
        value |= AttributeDirectory;
    else if (info.isFile())
        value |= AttributeArchive;
    if (info.isHidden())
        value |= AttributeHidden;
    return value;
}

bool isFileSystemRoot(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isRoot();
}

QByteArray fileIdentity(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.toUtf8();
}

#endif

} // namespace tessaly
