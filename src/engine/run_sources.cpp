#include "engine/run_sources.h"

#include "base/paths.h"
#include "engine/worker_threads.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaly {

namespace {

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
// the open folder tells its own identity once for all its files. Once several
// names of one folder were looked at, the folder's listing tells its plain files
// in one pass, where each name would cost a system call of its own.
class FolderByFolder {
public:
    explicit FolderByFolder(std::vector<RunSources::ListedFolder> &listed) : m_listed(listed) {}
    FolderByFolder(const FolderByFolder &) = delete;
    FolderByFolder &operator=(const FolderByFolder &) = delete;
    ~FolderByFolder()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    // Takes the name of the absolute path through its open folder; false when it
    // cannot, and the path is looked at whole.
    bool enter(const QString &path)
    {
        m_name.clear();
        const qsizetype slash = path.lastIndexOf(u'/');
        if (!path.startsWith(u'/') || slash == path.size() - 1)
            return false;
        const QStringView folder = QStringView(path).first(std::max<qsizetype>(slash, 1));
        if (folder != m_folder)
            open(folder);
        if (m_fd < 0)
            return false;
        m_name = encodedName(QStringView(path).sliced(slash + 1));
        ++m_entered;
        return true;
    }
    // Whether the folder's listing shows the entered name as a plain file (not a
    // link, not a folder). The listing is read once the folder has had enough
    // names for it: a pass over a large folder for a few of its files would cost
    // more than looking at them one by one.
    bool listedAsPlainFile()
    {
        if (m_name.isEmpty() || !m_identity)
            return false;
        if (!m_listingRead && m_entered >= std::max<qint64>(kListingAfter, m_folderSize / kFolderBytesPerName))
            readListing();
        return std::binary_search(m_plainFiles.begin(), m_plainFiles.end(),
                                  std::string_view(m_name.constData(), size_t(m_name.size())));
    }
    // What lstat says of the entered name, or of the whole path.
    bool lookAt(const QString &path, struct stat *info) const
    {
        if (!m_name.isEmpty())
            return ::fstatat(m_fd, m_name.constData(), info, AT_SYMLINK_NOFOLLOW) == 0;
        return ::lstat(QFile::encodeName(path).constData(), info) == 0;
    }
    // The folder and name of the entered path; no folder when it was looked at whole.
    const std::optional<FileIdentity> &folder() const { return m_name.isEmpty() ? kNone : m_identity; }
    const QByteArray &name() const { return m_name; }

private:
    static constexpr std::optional<FileIdentity> kNone = std::nullopt;
    static constexpr qint64 kListingAfter = 4;
    // A folder's size is its entries' share of the disk: a listing is read once
    // there has been a name for each this many bytes of it.
    static constexpr qint64 kFolderBytesPerName = 1024;

    void open(QStringView folder)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_folder = folder.toString();
        m_entered = 0;
        m_listingRead = false;
        m_plainFiles.clear();
        m_fd = ::open(QFile::encodeName(m_folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        struct stat info {};
        const bool known = m_fd >= 0 && ::fstat(m_fd, &info) == 0;
        m_identity = known ? std::optional(identityOf(info)) : std::nullopt;
        m_folderSize = known ? qint64(info.st_size) : 0;
    }
    void readListing()
    {
        m_listingRead = true;
        // A name found is a plain file whatever comes after it: a listing cut
        // short by an error leaves the rest to be looked at one by one.
        listOpenFolder(m_fd, [&](const char *name, unsigned char type) {
            if (type == DT_REG)
                m_plainFiles.emplace_back(name);
            return true;
        });
        std::sort(m_plainFiles.begin(), m_plainFiles.end());
        m_listed.push_back({*m_identity, m_folder});
    }

    std::vector<RunSources::ListedFolder> &m_listed;
    QString m_folder;
    int m_fd = -1;
    std::optional<FileIdentity> m_identity;
    qint64 m_folderSize = 0;
    qint64 m_entered = 0;  // names taken through the open folder
    QByteArray m_name;
    bool m_listingRead = false;
    std::vector<std::string> m_plainFiles;  // sorted
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

// What one thread finds of a block of neighbouring sources, a source at a time.
class RunSources::BlockLook {
public:
    BlockLook(qsizetype first, qsizetype last, char *isFolder)
        : m_first(first), m_isFolder(isFolder), m_looks(m_block.listedFolders)
    {
        m_block.files.reserve(size_t(last - first));
        m_block.places.reserve(size_t(last - first));
    }
    BlockLook(const BlockLook &) = delete;
    BlockLook &operator=(const BlockLook &) = delete;

    // A source that its folder's listing, read by the caller, showed as a plain file.
    void addListed(const ListedFile &listed)
    {
        addPlace(listed.folder->identity, encodedName(listed.name), kIdentifyLater);
        std::vector<ListedFolder> &folders = m_block.listedFolders;
        if (folders.empty() || !(folders.back().identity == listed.folder->identity))
            folders.push_back(*listed.folder);
    }
    void add(qsizetype i, const QString &path);
    Block take() { return std::move(m_block); }

private:
    void addPlace(const FileIdentity &folder, const QByteArray &name, quint32 flags = 0)
    {
        m_block.places.push_back({folder, quint32(m_block.names.size()), quint32(name.size()) | flags});
        m_block.names += name;
    }
    // A name the open folder did not look at: its folder is looked up on its own.
    void addPlaceOf(const QString &path)
    {
        const QFileInfo info(path);
        const QString folder = info.absolutePath();
        auto known = m_folders.find(folder);
        if (known == m_folders.end())
            known = m_folders.insert(folder, identify(folder));
        if (*known)
            addPlace(**known, QFile::encodeName(info.fileName()));
    }
    // A folder (named, or led to by a link) is no source; the caller that asked
    // is told it is one.
    bool isFolderAt(qsizetype i, const struct stat &info)
    {
        if (!m_isFolder || !S_ISDIR(info.st_mode))
            return false;
        m_isFolder[i - m_first] = 1;
        return true;
    }

    Block m_block;
    qsizetype m_first;
    char *m_isFolder;
    QHash<QString, std::optional<FileIdentity>> m_folders;
    FolderByFolder m_looks;
};

void RunSources::BlockLook::add(qsizetype i, const QString &path)
{
    m_looks.enter(path);
    // A plain file by its folder's listing: its place now, its identity when
    // a check first needs it.
    if (m_looks.listedAsPlainFile()) {
        addPlace(*m_looks.folder(), m_looks.name(), kIdentifyLater);
        return;
    }
    // One look at the name; a link is followed to the file it leads to.
    struct stat info {};
    if (!m_looks.lookAt(path, &info) || isFolderAt(i, info))
        return;
    if (!S_ISLNK(info.st_mode)) {
        m_block.files.push_back(identityOf(info));
        if (m_looks.folder())
            addPlace(*m_looks.folder(), m_looks.name());
        else if (m_looks.name().isEmpty())
            addPlaceOf(path);
        return;
    }
    const auto file = statOf(path);
    if (!file || isFolderAt(i, *file))
        return;
    m_block.files.push_back(identityOf(*file));
    // A link's own entry and the entry of the file it leads to both count.
    addPlaceOf(path);
    addPlaceOf(QFileInfo(path).canonicalFilePath());
}

RunSources::Block RunSources::lookAt(qsizetype first, qsizetype last, const PathAt &pathAt, char *isFolder,
                                     const ListedAt &listedAt)
{
    BlockLook look(first, last, isFolder);
    for (qsizetype i = first; i < last; ++i) {
        if (const auto listed = listedAt ? listedAt(i) : std::nullopt)
            look.addListed(*listed);
        else
            look.add(i, pathAt(i));
    }
    return look.take();
}

RunSources::RunSources(qsizetype count, const PathAt &pathAt, int threads, int threadLimit,
                       std::vector<char> *folders)
{
    add(count, pathAt, threads, threadLimit, folders);
}

void RunSources::add(qsizetype count, const PathAt &pathAt, int threads, int threadLimit, std::vector<char> *folders,
                     const ListedAt &listedAt)
{
    if (folders)
        folders->assign(size_t(count), 0);
    if (count == 0)
        return;  // nothing to join, and the record is sorted already
    // Blocks of neighbouring sources go to the threads as they come free; their
    // findings are joined in list order.
    std::vector<Block> found = resultsOfBlocks<Block>(
        count, kBlockSize, threads, threadLimit, [&](qsizetype first, qsizetype end) {
            return lookAt(first, end, pathAt, folders ? folders->data() + first : nullptr, listedAt);
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
        m_listedFolders.insert(m_listedFolders.end(), block.listedFolders.begin(), block.listedFolders.end());
        block = {};  // each block's memory goes as soon as it is joined
    }
    // A folder may have been listed in two neighbouring blocks.
    std::sort(m_listedFolders.begin(), m_listedFolders.end(),
              [](const ListedFolder &a, const ListedFolder &b) { return a.identity < b.identity; });
    m_listedFolders.erase(std::unique(m_listedFolders.begin(), m_listedFolders.end(),
                                      [](const ListedFolder &a, const ListedFolder &b) { return a.identity == b.identity; }),
                          m_listedFolders.end());
    m_laterIdentified = std::make_unique<std::once_flag>();
    m_laterFiles.clear();
    sortUnlessSorted(m_files.begin(), m_files.end(), std::less<>());
    sortUnlessSorted(m_places.begin(), m_places.end(), [&](const SourcePlace &a, const SourcePlace &b) {
        return std::make_tuple(a.folder, nameOf(a)) < std::make_tuple(b.folder, nameOf(b));
    });
}

const std::vector<FileIdentity> &RunSources::laterFiles() const
{
    std::call_once(*m_laterIdentified, [this] {
        std::vector<FileIdentity> found;
        // The places are sorted by folder: each listed folder is opened once, and
        // only where it still is the folder it was.
        int fd = -1;
        std::optional<FileIdentity> opened;
        bool same = false;
        std::string name;
        for (const SourcePlace &place : m_places) {
            if (!(place.length & kIdentifyLater))
                continue;
            if (!opened || !(*opened == place.folder)) {
                if (fd >= 0)
                    ::close(fd);
                opened = place.folder;
                const auto listed = std::lower_bound(
                    m_listedFolders.begin(), m_listedFolders.end(), place.folder,
                    [](const ListedFolder &f, const FileIdentity &identity) { return f.identity < identity; });
                fd = listed != m_listedFolders.end() && listed->identity == place.folder
                         ? ::open(QFile::encodeName(listed->path).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC)
                         : -1;
                struct stat info {};
                same = fd >= 0 && ::fstat(fd, &info) == 0 && identityOf(info) == place.folder;
            }
            if (!same)
                continue;
            name.assign(nameOf(place));
            struct stat info {};
            if (::fstatat(fd, name.c_str(), &info, 0) == 0 && !S_ISDIR(info.st_mode))
                found.push_back(identityOf(info));
        }
        if (fd >= 0)
            ::close(fd);
        std::sort(found.begin(), found.end());
        m_laterFiles = std::move(found);
    });
    return m_laterFiles;
}

bool RunSources::holds(const FolderHandle &folder, const QByteArray &name, const FolderEntry &now) const
{
    if (now.exists) {
        if (std::binary_search(m_files.begin(), m_files.end(), now.identity))
            return true;
        if (!m_listedFolders.empty()) {
            const std::vector<FileIdentity> &later = laterFiles();
            if (std::binary_search(later.begin(), later.end(), now.identity))
                return true;
        }
    }
    // The folder's places first, by identity alone (most results go to folders
    // that hold no source), then the name among them.
    const FileIdentity &inFolder = folder.identity();
    const auto first = std::lower_bound(m_places.begin(), m_places.end(), inFolder,
                                        [](const SourcePlace &p, const FileIdentity &f) { return p.folder < f; });
    if (first == m_places.end() || !(first->folder == inFolder))
        return false;
    const auto last = std::upper_bound(first, m_places.end(), inFolder,
                                       [](const FileIdentity &f, const SourcePlace &p) { return f < p.folder; });
    const std::string_view wanted(name.constData(), size_t(name.size()));
    const auto place = std::lower_bound(first, last, wanted,
                                        [&](const SourcePlace &p, std::string_view n) { return nameOf(p) < n; });
    return place != last && nameOf(*place) == wanted;
}

} // namespace tessaly
