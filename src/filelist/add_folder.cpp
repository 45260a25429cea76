#include "filelist/add_folder.h"

#include "base/paths.h"
#include "filelist/work_gate.h"

#include <QDir>
#include <QSet>

#include <algorithm>

namespace tessaly {

namespace {

// Statement numbers of the scan, as its failure reports name them:
//  104 test: the entry exists as a folder
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
        : m_options(options), m_source(*options.source), m_gate(options.stop)
    {
    }

    // False when the stop token said to stop.
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

    void skip(const QString &path, const QString &reason) const
    {
        if (m_options.reportSkipped)
            m_options.reportSkipped({path, reason});
    }

    static QString listingProblem(const SubFolderListing &listing)
    {
        if (!listing.reason.isEmpty())
            return listing.reason;
        switch (listing.error) {
        case SubFolderListing::PermissionDenied: return QStringLiteral("Permission denied");
        case SubFolderListing::PathNotFound: return QStringLiteral("No such file or directory");
        default: return QStringLiteral("the listing of its sub-folders failed");
        }
    }

    bool scan(QStringList &folders, bool recurse)
    {
        QStringList next;
        for (int i = 0; i < folders.size(); ++i) {
            const QString folder = folders.at(i);
            if (!folderExists(folder))
                continue;
            // The lookup may find the folder gone since the test; the listing below
            // then drops it.
            const int value = m_source.attributes(folder);
            if (value == -1)
                fail(106, QStringLiteral("Path not found: %1").arg(folder));
            if (!m_gate.goOn())
                return false;
            if (value != -1 && !mayEnter(folder, value))
                continue;
            const SubFolderListing listing = m_source.subFolders(folder);
            if (!collectChildren(folder, listing, next))
                return false;
            if (listing.error != SubFolderListing::None)
                skip(folder, listingProblem(listing));
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
        return appendEnterable(next, folders);
    }

    // Appends the accepted sub-folders of `folder` to `next`, each reached once.
    bool collectChildren(const QString &folder, const SubFolderListing &listing, QStringList &next)
    {
        const QChar sep = QDir::separator();
        for (const QString &name : listing.names) {
            if (!m_gate.goOn())
                return false;
            if (name == QLatin1String(".") || name == QLatin1String(".."))
                continue;
            const QString path = folder + name + sep;
            if (const QString problem = folderNameProblem(name); !problem.isEmpty()) {
                skip(path, problem);
                continue;
            }
            const QByteArray id = m_source.identity(path);
            if (!id.isEmpty()) {
                if (m_seen.contains(id))
                    continue;
                m_seen.insert(id);
            }
            next.append(path);
            ++m_found;
        }
        if (m_options.reportFolders)
            m_options.reportFolders(m_found);
        return true;
    }

    // The next level's folders that may be listed join the list.
    bool appendEnterable(const QStringList &next, QStringList &folders)
    {
        for (const QString &entry : next) {
            if (!folderExists(entry))
                continue;
            if (!m_gate.goOn())
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
    WorkGate m_gate;
    QSet<QByteArray> m_seen;
    qsizetype m_found = 0;  // sub-folders found so far
};

} // namespace

bool GetSubDirectories2016(QStringList &folders, bool recurse, const FolderScanOptions &options)
{
    return FolderScan(options).run(folders, recurse);
}

QString folderNameProblem(const QString &name)
{
    if (!isValidFileName(name))
        return QStringLiteral("name is not valid UTF-8");
    if (std::any_of(name.begin(), name.end(), [](QChar c) { return c.category() == QChar::Other_Control; }))
        return QStringLiteral("name holds a control character");
    return {};
}

QStringList collectFolderFiles(const QString &folder, const QString &extension, const FolderScanOptions &options,
                               int threads, int threadLimit, std::vector<FolderListingFacts> *facts)
{
    const QChar sep = QDir::separator();
    QString start = folder;
    while (start.size() > 1 && start.endsWith(sep))
        start.chop(1);
    QStringList folders{start + sep};
    if (!GetSubDirectories2016(folders, true, options))
        return {};
    const QString pattern = QStringLiteral("*.") + (extension == QLatin1String("*") ? QStringLiteral("*") : extension);
    if (options.stop)
        return listFilesOfFolders(folders, pattern, listingControl(options)).value_or(QStringList());
    return listFilesOfFolders(folders, pattern, threads, threadLimit, facts);
}

} // namespace tessaly
