// The sources of one run, recognised as they were when the run started: by
// identity (device and inode) and by place (folder identity and name), so that no
// result of the run replaces one, whatever the spelling, links, or an editor
// saving a new file under a source's name during the run.
#pragma once

#include "textio/file_system.h"

#include <QByteArray>
#include <QStringList>

#include <set>
#include <utility>

namespace tessaly {

class RunSources {
public:
    explicit RunSources(const QStringList &paths);
    // Through an open folder: the name held a source when the run started, or
    // holds one now (what it holds looked up through the same folder).
    bool holds(const FolderHandle &folder, const QByteArray &name, const FolderEntry &now) const;

private:
    std::set<FileIdentity> m_files;
    std::set<std::pair<FileIdentity, QByteArray>> m_places;
};

} // namespace tessaly
