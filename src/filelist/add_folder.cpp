#include "filelist/add_folder.h"

#include "base/pending_events.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

#ifdef Q_OS_LINUX
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tessaly {

namespace {

// Statement numbers of the scan, as its failure reports name them:
//  104 test: the entry exists as a folder and is short enough
//  106 look up the entry (read its attribute value)
//  110 test: the entry may be entered (drive root, or value not 22/1046)
//  112 list the entry's sub-folders and collect the accepted ones
//  118 drop an entry whose sub-folders cannot be listed
//  140 scan the next level
//  152 test: a collected sub-folder still exists as a folder
//  156 read its attribute value; test: it may be listed (drive root, or value not 22/1046)
class FolderScan {
public:
    explicit FolderScan(const FolderScanOptions &options)
        : m_options(options), m_source(*options.source), m_events(options.handOverEvents)
    {
    }

    // False when the hand-over of events said to stop.
    bool run(QStringList &folders, bool recurse)
    {
        // Folders listed from the outset count as reached.
        for (const QString &folder : std::as_const(folders)) {
            const QByteArray id = m_source.identity(folder);
            if (!id.isEmpty())
                m_seen.insert(id);
        }
        return scan(folders, recurse);
    }

private:
    void fail(int statement, const QString &description)
    {
        if (m_options.reportFailure)
            m_options.reportFailure({kGetSubDirectoriesSource, statement, description});
    }

    bool folderExists(const QString &path) const
    {
        const int value = m_source.attributes(path);
        return value != -1 && (value & AttributeDirectoryBit) != 0;
    }

    // A hidden system folder is left alone unless it is a drive root.
    bool mayEnter(const QString &path, int value) const
    {
        return m_source.isDriveRoot(path) || (value != 22 && value != 1046);
    }

    bool acceptName(const QString &name) const
    {
        return name.size() < kMaxPathLength && !HasUnsafeCharacters(name, m_options.codePage)
            && !name.contains(u'?') && name != QLatin1String(".") && name != QLatin1String("..");
    }

    bool scan(QStringList &folders, bool recurse)
    {
        const QChar sep = QDir::separator();
        QStringList next;
        for (int i = 0; i < folders.size(); ++i) {
            const QString folder = folders.at(i);
            if (!folderExists(folder) || folder.size() >= kMaxPathLength)
                continue;
            // The lookup may find the folder gone since the test; the listing below
            // then drops it.
            const int value = m_source.attributes(folder);
            if (value == -1)
                fail(106, QStringLiteral("Path not found: %1").arg(folder));
            if (!m_events.poll())
                return false;
            if (value != -1 && !mayEnter(folder, value))
                continue;

            const SubFolderListing listing = m_source.subFolders(folder);
            for (const QString &name : listing.names) {
                if (!m_events.poll())
                    return false;
                if (!acceptName(name))
                    continue;
                const QString path = folder + name + sep;
                const QByteArray id = m_source.identity(path);
                if (!id.isEmpty()) {
                    if (m_seen.contains(id))
                        continue;
                    m_seen.insert(id);
                }
                next.append(path);
            }
            if (listing.error == SubFolderListing::PermissionDenied || listing.error == SubFolderListing::PathNotFound) {
                const int first = int(folders.indexOf(folder));
                if (first >= 0) {
                    folders.removeAt(first);
                    if (first <= i)
                        --i;
                }
            }
        }

        if (recurse && !next.isEmpty() && !scan(next, true))
            return false;

        for (const QString &entry : std::as_const(next)) {
            if (!folderExists(entry))
                continue;
            if (!m_events.poll())
                return false;
            // A failed test lets the statement it guards run, as everywhere in the program.
            const int value = m_source.attributes(entry);
            if (value == -1)
                fail(156, QStringLiteral("Path not found: %1").arg(entry));
            if (value == -1 || mayEnter(entry, value))
                folders.append(entry);
        }
        return true;
    }

    static constexpr int AttributeDirectoryBit = 16;

    const FolderScanOptions &m_options;
    const FolderSource &m_source;
    PendingEvents m_events;
    QSet<QByteArray> m_seen;
};

bool sameLetter(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

bool matchPlain(QStringView name, QStringView pattern)
{
    // Greedy matching with one backtrack point: the last "*" seen.
    qsizetype n = 0, p = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || sameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

} // namespace

bool GetSubDirectories2016(QStringList &folders, bool recurse, const FolderScanOptions &options)
{
    return FolderScan(options).run(folders, recurse);
}

bool matchesWildcard(const QString &name, const QString &pattern)
{
    if (matchPlain(name, pattern))
        return true;
    return pattern.endsWith(QLatin1String(".*")) && !name.contains(u'.')
        && matchPlain(name, QStringView(pattern).chopped(2));
}

namespace {

// The usual patterns ("*.htm", "*.*") without the general matcher.
struct CompiledPattern {
    explicit CompiledPattern(const QString &pattern) : m_pattern(pattern)
    {
        if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*")) {
            m_kind = Everything;
        } else if (pattern.startsWith(QLatin1String("*.")) && !pattern.mid(1).contains(u'*')
                   && !pattern.contains(u'?')) {
            m_kind = Suffix;
            m_suffix = pattern.mid(1);
        }
    }
    bool matches(const QString &name) const
    {
        switch (m_kind) {
        case Everything:
            return true;
        case Suffix:
            return name.endsWith(m_suffix, Qt::CaseInsensitive);
        case General:
            break;
        }
        return matchesWildcard(name, m_pattern);
    }

private:
    enum Kind { General, Everything, Suffix } m_kind = General;
    QString m_pattern;
    QString m_suffix;
};

// Same order on every machine: case-insensitive, as Windows file systems list.
void sortListing(QStringList &names)
{
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int folded = QString::compare(a, b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
}

} // namespace

QStringList ListFolderFiles(const QString &folder, const QString &pattern)
{
    QString base = folder;
    if (!base.endsWith(QDir::separator()))
        base.append(QDir::separator());
    const CompiledPattern compiled(pattern);
    QStringList names;
#ifdef Q_OS_LINUX
    // One readdir pass; only matching names are looked at. FileIsOpenable is an
    // open without access rights: it succeeds for an entry of a folder we may
    // search (one access() per folder) whose type is a regular file. Other types
    // (links, unknown) get one fstatat, which succeeds exactly when such an open
    // would and tells folders apart.
    const QByteArray nativeBase = QFile::encodeName(base);
    DIR *dir = ::opendir(nativeBase.constData());
    if (!dir)
        return names;
    const int dirFd = ::dirfd(dir);
    const bool searchable = ::access(nativeBase.constData(), X_OK) == 0;
    while (const dirent *entry = ::readdir(dir)) {
        if (entry->d_type == DT_DIR)
            continue;
        const char *raw = entry->d_name;
        if (qstrcmp(raw, ".") == 0 || qstrcmp(raw, "..") == 0)
            continue;
        const QString name = QFile::decodeName(raw);
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
    ::closedir(dir);
#else
    const QDir dir(base);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QString &name : entries) {
        if (compiled.matches(name) && FileIsOpenable(base + name))
            names.append(name);
    }
#endif
    sortListing(names);
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

bool HasUnsafeCharacters(const QString &name, const CodePage &codePage)
{
    qint64 lost = 0;
    const QByteArray bytes = codePage.encode(name, &lost);
    if (lost > 0)
        return true;
    return std::any_of(bytes.begin(), bytes.end(), [](char c) {
        const int code = static_cast<unsigned char>(c);
        return code < 32 || (code >= 127 && code <= 159) || code == 63;
    });
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

QStringList collectFolderFiles(const QString &folder, const QString &extension, const FolderScanOptions &options)
{
    const QChar sep = QDir::separator();
    QString start = folder;
    while (start.size() > 1 && start.endsWith(sep))
        start.chop(1);
    QStringList folders{start + sep};
    if (!GetSubDirectories2016(folders, true, options))
        return {};
    const QString pattern = QStringLiteral("*.") + (extension == QLatin1String("*") ? QStringLiteral("*") : extension);
    return listFilesOfFolders(folders, pattern, options.handOverEvents).value_or(QStringList());
}

} // namespace tessaly
