#include "engine/run_sources.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <optional>
#include <string_view>
#include <tuple>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaly {

namespace {

FileIdentity identityOf(const struct stat &info)
{
    return {quint64(info.st_dev), quint64(info.st_ino)};
}

std::optional<FileIdentity> identify(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return identityOf(info);
}

// Looks at sources folder by folder (the listed files come grouped by folder):
// a name looked up in its open folder spares walking the whole path again.
class FolderByFolder {
public:
    FolderByFolder() = default;
    FolderByFolder(const FolderByFolder &) = delete;
    FolderByFolder &operator=(const FolderByFolder &) = delete;
    ~FolderByFolder()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    // What lstat says of the absolute path.
    bool lookAt(const QString &path, struct stat *info)
    {
        const qsizetype slash = path.lastIndexOf(u'/');
        if (path.startsWith(u'/') && slash < path.size() - 1) {
            const QStringView folder = QStringView(path).first(std::max<qsizetype>(slash, 1));
            if (folder != m_folder) {
                if (m_fd >= 0)
                    ::close(m_fd);
                m_folder = folder.toString();
                m_fd = ::open(QFile::encodeName(m_folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            }
            if (m_fd >= 0)
                return ::fstatat(m_fd, QFile::encodeName(path.mid(slash + 1)).constData(), info,
                                 AT_SYMLINK_NOFOLLOW) == 0;
        }
        return ::lstat(QFile::encodeName(path).constData(), info) == 0;
    }

private:
    QString m_folder;
    int m_fd = -1;
};

} // namespace

RunSources::RunSources(qsizetype count, const std::function<QString(qsizetype)> &pathAt)
{
    m_files.reserve(size_t(count));
    m_places.reserve(size_t(count));
    QHash<QString, std::optional<FileIdentity>> folders;  // sources share few folders
    const auto addPlace = [&](const QString &path) {
        const QFileInfo info(path);
        const QString folder = info.absolutePath();
        auto known = folders.find(folder);
        if (known == folders.end())
            known = folders.insert(folder, identify(folder));
        if (!*known)
            return;
        const QByteArray name = QFile::encodeName(info.fileName());
        m_places.push_back({**known, quint32(m_names.size()), quint32(name.size())});
        m_names += name;
    };
    FolderByFolder looks;
    for (qsizetype i = 0; i < count; ++i) {
        const QString path = pathAt(i);
        // One look at the name; a link is followed to the file it leads to.
        struct stat info {};
        if (!looks.lookAt(path, &info))
            continue;
        if (!S_ISLNK(info.st_mode)) {
            m_files.push_back(identityOf(info));
            addPlace(path);
            continue;
        }
        const auto file = identify(path);
        if (!file)
            continue;
        m_files.push_back(*file);
        // A link's own entry and the entry of the file it leads to both count.
        addPlace(path);
        addPlace(QFileInfo(path).canonicalFilePath());
    }
    m_names.squeeze();
    std::sort(m_files.begin(), m_files.end());
    std::sort(m_places.begin(), m_places.end(), [&](const SourcePlace &a, const SourcePlace &b) {
        return std::make_tuple(a.folder, nameOf(a)) < std::make_tuple(b.folder, nameOf(b));
    });
}

bool RunSources::holds(const FolderHandle &folder, const QByteArray &name, const FolderEntry &now) const
{
    if (now.exists && std::binary_search(m_files.begin(), m_files.end(), now.identity))
        return true;
    const std::string_view wanted(name.constData(), size_t(name.size()));
    const auto place = std::lower_bound(m_places.begin(), m_places.end(), folder.identity(),
                                        [&](const SourcePlace &p, const FileIdentity &f) {
                                            return std::make_tuple(p.folder, nameOf(p)) < std::make_tuple(f, wanted);
                                        });
    return place != m_places.end() && place->folder == folder.identity() && nameOf(*place) == wanted;
}

} // namespace tessaly
