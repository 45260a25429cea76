#include "engine/output_folders.h"

#include "base/paths.h"

#include <QFile>

namespace tessaly {

const OutputFolders::Below *OutputFolders::cached(QStringView path, QStringView below)
{
    // The name of a folder below is compared in its parts, so that the lookup
    // for each file needs no joined copy.
    const auto matches = [&](const QString &name) {
        if (below.isEmpty())
            return name == path;
        return name.size() == path.size() + 1 + below.size() && name.startsWith(path) && name[path.size()] == u'/'
               && QStringView(name).sliced(path.size() + 1) == below;
    };
    for (qsizetype i = 0; i < m_recent.size(); ++i) {
        if (matches(m_recent.at(i).first)) {
            if (i > 0)
                m_recent.move(i, 0);
            return &m_recent.constFirst().second;
        }
    }
    return nullptr;
}

OutputFolders::Below OutputFolders::keep(const QString &path, Below below)
{
    std::pair<QString, Below> dropped;  // its folder is closed after the lock is let go
    const std::lock_guard lock(m_mutex);
    if (const Below *kept = cached(path)) {
        if (kept->missing.isEmpty() && (kept->folder->startedEmpty() || !below.folder->startedEmpty()))
            return *kept;
        dropped = m_recent.takeFirst();  // cached() put it first
    }
    m_recent.prepend({path, below});
    if (m_recent.size() > kKeptOpen)
        dropped = m_recent.takeLast();
    return below;
}

std::shared_ptr<const FolderHandle> OutputFolders::open(const QString &path, const FileSystem &fs, bool lookInside)
{
    {
        const std::lock_guard lock(m_mutex);
        if (const Below *kept = cached(path); kept && kept->missing.isEmpty())
            return kept->folder;
    }
    return keep(path, {fs.openFolder(path, lookInside), {}}).folder;
}

OutputFolders::Below OutputFolders::openBelow(const QString &outputFolder, const QString &subFolder, bool make,
                                              const FileSystem &fs)
{
    {
        const std::lock_guard lock(m_mutex);
        if (const Below *kept = cached(outputFolder, subFolder))
            return *kept;
    }
    const QString path = joinPath(outputFolder, u'/', subFolder);
    // Each folder is opened inside the one above it, so the whole path hangs on
    // the output folder's handle. The folders on the way are kept open too: the
    // next new folder beside this one opens only itself.
    Below below{open(outputFolder, fs, true), {}};
    const QStringList names = subFolder.split(u'/', Qt::SkipEmptyParts);
    QString reached = outputFolder;
    for (qsizetype i = 0; i < names.size(); ++i) {
        reached += u'/' + names.at(i);
        {
            const std::lock_guard lock(m_mutex);
            if (const Below *kept = cached(reached); kept && kept->missing.isEmpty()) {
                below.folder = kept->folder;
                continue;
            }
        }
        auto inner = fs.openFolderIn(*below.folder, QFile::encodeName(names.at(i)), make);
        if (!inner) {
            // A dry run makes nothing: the answer holds for its later files too.
            below.missing = QFile::encodeName(names.mid(i).join(u'/')) + '/';
            break;
        }
        below.folder = keep(reached, {std::move(inner), {}}).folder;
    }
    // Under the name the next file of the folder asks for, which may end with "/".
    return path == reached ? below : keep(path, below);
}

} // namespace tessaly
