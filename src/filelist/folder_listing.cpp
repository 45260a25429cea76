#include "filelist/folder_listing.h"

#include "base/paths.h"
#include "filelist/wildcard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#ifdef Q_OS_LINUX
#include "filelist/dir_handle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tessaly {

void sortFolderNames(QStringList &names)
{
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int folded = QString::compare(a, b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
}

QStringList ListFolderFiles(const QString &folder, const QString &pattern)
{
    QString base = folder;
    if (!base.endsWith(QDir::separator()))
        base.append(QDir::separator());
    const WildcardPattern compiled(pattern);
    QStringList names;
#ifdef Q_OS_LINUX
    // One readdir pass; only matching names are looked at. FileIsOpenable is an
    // open without access rights: it succeeds for an entry of a folder we may
    // search (one access() per folder) whose type is a regular file. Other types
    // (links, unknown) get one fstatat, which succeeds exactly when such an open
    // would and tells folders apart.
    const QByteArray nativeBase = QFile::encodeName(base);
    DirHandle dir(nativeBase.constData());
    if (!dir)
        return names;
    const int dirFd = dir.fd();
    const bool searchable = ::access(nativeBase.constData(), X_OK) == 0;
    while (const dirent *entry = dir.next()) {
        if (entry->d_type == DT_DIR)
            continue;
        const char *raw = entry->d_name;
        if (qstrcmp(raw, ".") == 0 || qstrcmp(raw, "..") == 0)
            continue;
        const QString name = decodeFileName(raw);
        if (!compiled.matches(name))
            continue;
        if (entry->d_type == DT_REG) {
            if (searchable)
                names.append(name);
            continue;
        }
        struct stat info;
        if (::fstatat(dirFd, raw, &info, 0) == 0 && !S_ISDIR(info.st_mode))
            names.append(name);
    }
#else
    const QDir dir(base);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QString &name : entries) {
        if (compiled.matches(name) && FileIsOpenable(base + name))
            names.append(name);
    }
#endif
    sortFolderNames(names);
    return names;
}

bool FileIsOpenable(const QString &path)
{
    if (path.isEmpty())
        return false;
#ifdef Q_OS_LINUX
    // O_PATH opens without asking for any access, like an open with no rights.
    const int fd = ::open(QFile::encodeName(path).constData(), O_PATH | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info;
    const bool ok = ::fstat(fd, &info) == 0 && !S_ISDIR(info.st_mode);
    ::close(fd);
    return ok;
#else
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
#endif
}

std::optional<QStringList> listFilesOfFolders(const QStringList &folders, const QString &pattern,
                                              const HandOverEvents &handOverEvents)
{
    // The listing takes as long as the scan; the window keeps its events.
    PendingEvents events(handOverEvents);
    QStringList files;
    for (const QString &entry : folders) {
        if (!events.poll())
            return std::nullopt;
        const QString parent = entry.chopped(1);
        const QChar sep = entry.back();
        for (const QString &name : ListFolderFiles(parent, pattern)) {
            if (!name.startsWith(u'~'))
                files.append(parent + sep + name);
        }
    }
    return files;
}

} // namespace tessaly
