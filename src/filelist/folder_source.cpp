#include "filelist/folder_source.h"

#include "filelist/dir_handle.h"

#include "filelist/file_attributes.h"
#include "filelist/folder_listing.h"
#include "base/paths.h"

#include <QDir>
#include <QFile>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace tessaly {

int FolderSource::attributes(const QString &path) const
{
    return fileAttributes(path);
}

bool FolderSource::isDriveRoot(const QString &path) const
{
    return isFileSystemRoot(path);
}

QByteArray FolderSource::identity(const QString &path) const
{
    return fileIdentity(path);
}


#ifdef Q_OS_UNIX

SubFolderListing FolderSource::subFolders(const QString &folder) const
{
    SubFolderListing result;
    const QByteArray native = QFile::encodeName(folder);
    DirHandle dir(native.constData());
    if (!dir) {
        const int why = errno;
        result.error = (why == EACCES || why == EPERM) ? SubFolderListing::PermissionDenied
                       : (why == ENOENT || why == ENOTDIR) ? SubFolderListing::PathNotFound
                                                           : SubFolderListing::Other;
        result.reason = QString::fromLocal8Bit(std::strerror(why));
        return result;
    }
    QByteArray base = native;
    if (!base.endsWith('/'))
        base.append('/');
    for (;;) {
        errno = 0;
        const dirent *entry = dir.next();
        if (!entry) {
            if (errno != 0) {
                result.error = SubFolderListing::Other;
                result.reason = QString::fromLocal8Bit(std::strerror(errno));
            }
            break;
        }
        const char *name = entry->d_name;
        if (qstrcmp(name, ".") == 0 || qstrcmp(name, "..") == 0)
            continue;
        bool isDir = entry->d_type == DT_DIR;
        // Links and file systems that do not fill in the type need a look at the target.
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat info;
            isDir = ::stat((base + name).constData(), &info) == 0 && S_ISDIR(info.st_mode);
        }
        if (isDir)
            result.names.append(decodeFileName(name));
    }
    sortFolderNames(result.names);
    return result;
}

#else

SubFolderListing FolderSource::subFolders(const QString &folder) const
{
    SubFolderListing result;
    const QDir dir(folder);
    if (!dir.exists()) {
        result.error = SubFolderListing::PathNotFound;
        return result;
    }
    result.names = dir.entryList(QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    if (result.names.isEmpty() && !dir.isReadable())
        result.error = SubFolderListing::PermissionDenied;
    sortFolderNames(result.names);
    return result;
}

#endif

const FolderSource &FolderSource::real()
{
    static const FolderSource source;
    return source;
}

} // namespace tessaly
