#include "filelist/folder_listing.h"

#include "base/paths.h"
#include "engine/worker_threads.h"
#include "filelist/wildcard.h"
#include "filelist/work_gate.h"
#include "textio/file_system.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <iterator>

#ifdef Q_OS_LINUX
#include "filelist/dir_handle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tessaly {

namespace {

// QString::compare(a, b, Qt::CaseInsensitive), without its full case folding
// while both names are ASCII, where folding turns A-Z into a-z and nothing else.
int compareFolded(QStringView a, QStringView b)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x >= 0x80 || y >= 0x80)
            return a.sliced(i).compare(b.sliced(i), Qt::CaseInsensitive);
        if (char16_t(x - u'A') < 26)
            x += u'a' - u'A';
        if (char16_t(y - u'A') < 26)
            y += u'a' - u'A';
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

} // namespace

void sortFolderNames(QStringList &names)
{
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int folded = compareFolded(a, b);
        return folded != 0 ? folded < 0 : a < b;
    });
}

namespace {

#ifdef Q_OS_LINUX
// One readdir pass; only matching names are looked at. FileIsOpenable is an open
// without access rights: it succeeds for an entry of a folder we may search (one
// access() per folder) whose type is a regular file. Other types (links, unknown)
// get one fstatat, which succeeds exactly when such an open would and tells
// folders apart; those go to `notPlain` too.
QStringList matchingNames(const QString &base, const WildcardPattern &compiled, QStringList &notPlain,
                          FolderListingFacts *facts)
{
    QStringList names;
    const QByteArray nativeBase = QFile::encodeName(base);
    DirHandle dir(nativeBase.constData());
    if (!dir)
        return names;
    const int dirFd = dir.fd();
    const bool searchable = ::access(nativeBase.constData(), X_OK) == 0;
    if (facts) {
        struct stat info;
        facts->identity = ::fstat(dirFd, &info) == 0 ? std::optional(identityOf(info)) : std::nullopt;
    }
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
        if (::fstatat(dirFd, raw, &info, 0) == 0 && !S_ISDIR(info.st_mode)) {
            names.append(name);
            notPlain.append(name);
        }
    }
    return names;
}
#else
// Every name is looked at on its own, so none counts as plain.
QStringList matchingNames(const QString &base, const WildcardPattern &compiled, QStringList &notPlain,
                          FolderListingFacts *)
{
    const QDir dir(base);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    QStringList names;
    for (const QString &name : entries) {
        if (compiled.matches(name) && FileIsOpenable(base + name))
            names.append(name);
    }
    notPlain = names;
    return names;
}
#endif

} // namespace

QStringList ListFolderFiles(const QString &folder, const QString &pattern, FolderListingFacts *facts)
{
    QString base = folder;
    if (!base.endsWith(QDir::separator()))
        base.append(QDir::separator());
    if (facts)
        *facts = {base, std::nullopt, {}};
    QStringList notPlain;  // names taken after a look of their own: few, if any
    QStringList names = matchingNames(base, WildcardPattern(pattern), notPlain, facts);
    sortFolderNames(names);
    if (facts) {
        // Sorted for look-ups: a folder may hold thousands of links.
        std::sort(notPlain.begin(), notPlain.end());
        facts->plain.assign(size_t(names.size()), true);
        for (qsizetype i = 0; !notPlain.isEmpty() && i < names.size(); ++i)
            facts->plain[size_t(i)] = !std::binary_search(notPlain.cbegin(), notPlain.cend(), names.at(i));
    }
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

namespace {

// Appends the files of one entry of a scan's list to `files`, and with `facts`
// what its listing saw of those.
void appendFolderFiles(const QString &entry, const QString &pattern, QStringList &files, FolderListingFacts *facts)
{
    const QString parent = entry.chopped(1);
    const QChar sep = entry.back();
    FolderListingFacts seen;
    const QStringList names = ListFolderFiles(parent, pattern, facts ? &seen : nullptr);
    if (facts)
        *facts = {seen.folder, seen.identity, {}};
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (names.at(i).startsWith(u'~'))
            continue;
        files.append(joinPath(parent, sep, names.at(i)));
        if (facts)
            facts->plain.push_back(seen.plain[size_t(i)]);
    }
}

} // namespace

std::optional<QStringList> listFilesOfFolders(const QStringList &folders, const QString &pattern,
                                              const ListingControl &control)
{
    // The listing takes as long as the scan: it can be stopped as the scan can.
    const WorkGate gate(control.stop);
    QStringList files;
    for (const QString &entry : folders) {
        if (!gate.goOn())
            return std::nullopt;
        appendFolderFiles(entry, pattern, files, nullptr);
        if (control.reportFiles)
            control.reportFiles(files.size());
    }
    return files;
}

QStringList listFilesOfFolders(const QStringList &folders, const QString &pattern, int threads, int threadLimit,
                               std::vector<FolderListingFacts> *facts)
{
    // Blocks of neighbouring folders go to the threads as they come free, and
    // their files are joined in list order.
    constexpr qsizetype kFoldersPerBlock = 16;
    struct Block {
        QStringList files;
        std::vector<FolderListingFacts> facts;
    };
    std::vector<Block> blocks = resultsOfBlocks<Block>(
        folders.size(), kFoldersPerBlock, threads, threadLimit, [&](qsizetype first, qsizetype end) {
            Block block;
            for (qsizetype i = first; i < end; ++i)
                appendFolderFiles(folders.at(i), pattern, block.files, facts ? &block.facts.emplace_back() : nullptr);
            return block;
        });
    QStringList files;
    qsizetype count = 0;
    for (const Block &block : blocks)
        count += block.files.size();
    files.reserve(count);
    for (Block &block : blocks) {
        files.append(std::move(block.files));
        if (facts)
            std::move(block.facts.begin(), block.facts.end(), std::back_inserter(*facts));
        block = {};
    }
    return files;
}

} // namespace tessaly
