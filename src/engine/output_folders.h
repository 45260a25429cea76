// The folders one run writes its results into, each opened once and kept open,
// so every check and write of a result in a folder goes through one handle and
// re-pointing a link to the folder during the run changes nothing.
#pragma once

#include "engine/run_mutex.h"
#include "textio/file_system.h"

#include <QList>
#include <QString>

#include <memory>
#include <mutex>
#include <utility>

namespace tessaly {

class OutputFolders {
public:
    // The handle of the folder, opened on first use (looked into when `lookInside`,
    // see FileSystem::openFolder); shared by the run's jobs. Throws TessalyError
    // when the folder cannot be opened.
    std::shared_ptr<const FolderHandle> open(const QString &path, const FileSystem &fs, bool lookInside = false);

    // A folder below the output folder and the names of its path that do not
    // exist yet ("A/B/", empty once it exists).
    struct Below {
        std::shared_ptr<const FolderHandle> folder;  // the deepest folder of the path that exists
        QByteArray missing;
    };
    // The folder `subFolder` ("A/B") below `outputFolder`, reached through the
    // handles of the folders above it. With `make` every missing folder is made
    // (0777 less the umask); without, nothing is made (a dry run) and the deepest
    // existing folder comes back with the missing rest. Throws TessalyError when a
    // folder cannot be opened or made.
    Below openBelow(const QString &outputFolder, const QString &subFolder, bool make, const FileSystem &fs);

private:
    // The kept answer for the path (with `below`, for path + "/" + below), if
    // any; under m_mutex.
    const Below *cached(QStringView path, QStringView below = {});
    // Keeps the answer for the path and gives the one to use: when another job
    // kept one for the same folder meanwhile, that one, unless only the new handle
    // knows the folder started empty (the run made it, or found it empty).
    Below keep(const QString &path, Below below);

    // Results beside their sources may go to thousands of folders; only the most
    // recent ones stay open, so a run holds a bounded number of descriptors.
    static constexpr qsizetype kKeptOpen = 32;
    // Folders are opened and made outside the lock: a job that needs the folder
    // another job is making does not sleep on it.
    RunMutex m_mutex;
    QList<std::pair<QString, Below>> m_recent;  // most recent first
};

} // namespace tessaly
