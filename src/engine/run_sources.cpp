#include "engine/run_sources.h"

#include "base/paths.h"
#include "engine/worker_threads.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <functional>
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

// What stat says of the path: where its links lead.
std::optional<struct stat> statOf(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return info;
}

std::optional<FileIdentity> identify(const QString &path)
{
    const auto info = statOf(path);
    return info ? std::optional(identityOf(*info)) : std::nullopt;
}

// Looks at sources folder by folder (the listed files come grouped by folder):
// a name looked up in its open folder spares walking the whole path again, and
// the open folder tells its own identity once for all its files.
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
        m_name.clear();
        const qsizetype slash = path.lastIndexOf(u'/');
        if (path.startsWith(u'/') && slash < path.size() - 1) {
            const QStringView folder = QStringView(path).first(std::max<qsizetype>(slash, 1));
            if (folder != m_folder)
                open(folder);
            if (m_fd >= 0) {
                m_name = encodedName(QStringView(path).sliced(slash + 1));
                return ::fstatat(m_fd, m_name.constData(), info, AT_SYMLINK_NOFOLLOW) == 0;
            }
        }
        return ::lstat(QFile::encodeName(path).constData(), info) == 0;
    }
    // The folder and name of the path last looked at through its open folder;
    // none when it was looked at whole.
    const std::optional<FileIdentity> &folder() const { return m_name.isEmpty() ? kNone : m_identity; }
    const QByteArray &name() const { return m_name; }

private:
    static constexpr std::optional<FileIdentity> kNone = std::nullopt;

    void open(QStringView folder)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_folder = folder.toString();
        m_fd = ::open(QFile::encodeName(m_folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        struct stat info {};
        m_identity = m_fd >= 0 && ::fstat(m_fd, &info) == 0 ? std::optional(identityOf(info)) : std::nullopt;
    }

    QString m_folder;
    int m_fd = -1;
    std::optional<FileIdentity> m_identity;
    QByteArray m_name;
};

// How many neighbouring sources one thread looks at in a go.
constexpr qsizetype kBlockSize = 256;

// Sorts, unless one look finds the items in order already: a scanned tree's
// files often come in the order of their identities and names.
template <class Iterator, class Less>
void sortUnlessSorted(Iterator first, Iterator last, Less less)
{
    if (!std::is_sorted(first, last, less))
        std::sort(first, last, less);
}

} // namespace

RunSources::Block RunSources::lookAt(qsizetype first, qsizetype last, const PathAt &pathAt, char *isFolder)
{
    Block block;
    block.files.reserve(size_t(last - first));
    block.places.reserve(size_t(last - first));
    const auto addPlace = [&](const FileIdentity &folder, const QByteArray &name) {
        block.places.push_back({folder, quint32(block.names.size()), quint32(name.size())});
        block.names += name;
    };
    // A name the open folder did not look at: its folder is looked up on its own.
    QHash<QString, std::optional<FileIdentity>> folders;
    const auto addPlaceOf = [&](const QString &path) {
        const QFileInfo info(path);
        const QString folder = info.absolutePath();
        auto known = folders.find(folder);
        if (known == folders.end())
            known = folders.insert(folder, identify(folder));
        if (*known)
            addPlace(**known, QFile::encodeName(info.fileName()));
    };
    // A folder (named, or led to by a link) is no source; the caller that asked
    // is told it is one.
    const auto isFolderAt = [&](qsizetype i, const struct stat &info) {
        if (!isFolder || !S_ISDIR(info.st_mode))
            return false;
        isFolder[i - first] = 1;
        return true;
    };
    FolderByFolder looks;
    for (qsizetype i = first; i < last; ++i) {
        const QString path = pathAt(i);
        // One look at the name; a link is followed to the file it leads to.
        struct stat info {};
        if (!looks.lookAt(path, &info) || isFolderAt(i, info))
            continue;
        if (!S_ISLNK(info.st_mode)) {
            block.files.push_back(identityOf(info));
            if (looks.folder())
                addPlace(*looks.folder(), looks.name());
            else if (looks.name().isEmpty())
                addPlaceOf(path);
            continue;
        }
        const auto file = statOf(path);
        if (!file || isFolderAt(i, *file))
            continue;
        block.files.push_back(identityOf(*file));
        // A link's own entry and the entry of the file it leads to both count.
        addPlaceOf(path);
        addPlaceOf(QFileInfo(path).canonicalFilePath());
    }
    return block;
}

RunSources::RunSources(qsizetype count, const PathAt &pathAt, int threads, int threadLimit,
                       std::vector<char> *folders)
{
    add(count, pathAt, threads, threadLimit, folders);
}

void RunSources::add(qsizetype count, const PathAt &pathAt, int threads, int threadLimit, std::vector<char> *folders)
{
    if (folders)
        folders->assign(size_t(count), 0);
    if (count == 0)
        return;  // nothing to join, and the record is sorted already
    // Blocks of neighbouring sources go to the threads as they come free; their
    // findings are joined in list order.
    std::vector<Block> found(static_cast<size_t>((count + kBlockSize - 1) / kBlockSize));
    inBlocks(count, kBlockSize, threads, threadLimit, [&](qsizetype first, qsizetype end) {
        found[size_t(first / kBlockSize)] = lookAt(first, end, pathAt, folders ? folders->data() + first : nullptr);
    });
    size_t files = m_files.size();
    size_t places = m_places.size();
    qsizetype names = m_names.size();
    for (const Block &block : found) {
        files += block.files.size();
        places += block.places.size();
        names += block.names.size();
    }
    m_files.reserve(files);
    m_places.reserve(places);
    m_names.reserve(names);
    for (Block &block : found) {
        m_files.insert(m_files.end(), block.files.begin(), block.files.end());
        const auto offset = quint32(m_names.size());
        for (SourcePlace place : block.places) {
            place.offset += offset;
            m_places.push_back(place);
        }
        m_names += block.names;
        block = {};  // each block's memory goes as soon as it is joined
    }
    sortUnlessSorted(m_files.begin(), m_files.end(), std::less<>());
    sortUnlessSorted(m_places.begin(), m_places.end(), [&](const SourcePlace &a, const SourcePlace &b) {
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
