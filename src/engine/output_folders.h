// The folders one run writes its results into, each opened once and kept open,
// so every check and write of a result in a folder goes through one handle and
// re-pointing a link to the folder during the run changes nothing.
#pragma once

#include "textio/file_system.h"

#include <QList>
#include <QString>

#include <memory>
#include <mutex>
#include <utility>

namespace tessaly {

class OutputFolders {
public:
    // The handle of the folder, opened on first use; shared by the run's jobs.
    // Throws TessalyError when the folder cannot be opened.
    std::shared_ptr<const FolderHandle> open(const QString &path, const FileSystem &fs);

private:
    // Results beside their sources may go to thousands of folders; only the most
    // recent ones stay open, so a run holds a bounded number of descriptors.
    static constexpr qsizetype kKeptOpen = 32;
    std::mutex m_mutex;
    QList<std::pair<QString, std::shared_ptr<const FolderHandle>>> m_recent;  // most recent first
};

} // namespace tessaly
