#include "engine/run_sources.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <optional>

#include <sys/stat.h>

namespace tessaly {

namespace {

std::optional<FileIdentity> identify(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return FileIdentity{quint64(info.st_dev), quint64(info.st_ino)};
}

bool isLink(const QString &path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

} // namespace

RunSources::RunSources(const QStringList &paths)
{
    QHash<QString, std::optional<FileIdentity>> folders;  // sources share few folders
    const auto addPlace = [&](const QString &path) {
        const QFileInfo info(path);
        const QString folder = info.absolutePath();
        auto known = folders.find(folder);
        if (known == folders.end())
            known = folders.insert(folder, identify(folder));
        if (*known)
            m_places.insert({**known, QFile::encodeName(info.fileName())});
    };
    for (const QString &path : paths) {
        const auto file = identify(path);
        if (!file)
            continue;
        m_files.insert(*file);
        addPlace(path);
        // A link's own entry and the entry of the file it leads to both count.
        if (isLink(path))
            addPlace(QFileInfo(path).canonicalFilePath());
    }
}

bool RunSources::holds(const FolderHandle &folder, const QByteArray &name, const FolderEntry &now) const
{
    return (now.exists && m_files.count(now.identity) > 0) || m_places.count({folder.identity(), name}) > 0;
}

} // namespace tessaly
