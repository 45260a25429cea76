#include "engine/output_folders.h"

#include <QFile>

namespace tessaly {

std::shared_ptr<const FolderHandle> OutputFolders::cached(const QString &path)
{
    for (qsizetype i = 0; i < m_recent.size(); ++i) {
        if (m_recent.at(i).first == path) {
            if (i > 0)
                m_recent.move(i, 0);
            return m_recent.constFirst().second;
        }
    }
    return nullptr;
}

void OutputFolders::keep(const QString &path, const std::shared_ptr<const FolderHandle> &folder)
{
    m_recent.prepend({path, folder});
    if (m_recent.size() > kKeptOpen)
        m_recent.removeLast();
}

std::shared_ptr<const FolderHandle> OutputFolders::openLocked(const QString &path, const FileSystem &fs,
                                                              bool lookInside)
{
    if (auto folder = cached(path))
        return folder;
    auto folder = fs.openFolder(path, lookInside);
    keep(path, folder);
    return folder;
}

std::shared_ptr<const FolderHandle> OutputFolders::open(const QString &path, const FileSystem &fs, bool lookInside)
{
    const std::lock_guard lock(m_mutex);
    return openLocked(path, fs, lookInside);
}

OutputFolders::Below OutputFolders::openBelow(const QString &outputFolder, const QString &subFolder, bool make,
                                              const FileSystem &fs)
{
    const QString path = outputFolder + u'/' + subFolder;
    // One job at a time opens and makes folders (a few per folder of the run), so
    // a folder is made once, and its handle says it was made by the run.
    const std::lock_guard lock(m_mutex);
    if (auto folder = cached(path))
        return {folder, {}};
    // Each folder is opened inside the one above it, so the whole path hangs on
    // the output folder's handle. The folders on the way are kept open too: the
    // next new folder beside this one opens only itself.
    Below below{openLocked(outputFolder, fs, true), {}};
    const QStringList names = subFolder.split(u'/', Qt::SkipEmptyParts);
    QString reached = outputFolder;
    for (qsizetype i = 0; i < names.size(); ++i) {
        reached += u'/' + names.at(i);
        if (auto known = cached(reached)) {
            below.folder = std::move(known);
            continue;
        }
        auto inner = fs.openFolderIn(*below.folder, QFile::encodeName(names.at(i)), make);
        if (!inner) {
            below.missing = QFile::encodeName(names.mid(i).join(u'/')) + '/';
            return below;
        }
        below.folder = std::move(inner);
        keep(reached, below.folder);
    }
    // Under the name the next file of the folder asks for, which may end with "/".
    if (path != reached)
        keep(path, below.folder);
    return below;
}

} // namespace tessaly
