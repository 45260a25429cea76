#include "engine/output_folders.h"

namespace tessaly {

std::shared_ptr<const FolderHandle> OutputFolders::open(const QString &path, const FileSystem &fs)
{
    const std::lock_guard lock(m_mutex);
    for (qsizetype i = 0; i < m_recent.size(); ++i) {
        if (m_recent.at(i).first == path) {
            if (i > 0)
                m_recent.move(i, 0);
            return m_recent.constFirst().second;
        }
    }
    auto folder = fs.openFolder(path);
    m_recent.prepend({path, folder});
    if (m_recent.size() > kKeptOpen)
        m_recent.removeLast();
    return folder;
}

} // namespace tessaly
