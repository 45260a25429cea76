// The files of one run, by identity (device and inode), so that no result of the
// run can overwrite a source that belongs to it, whatever the path's spelling.
#pragma once

#include <QStringList>

#include <set>
#include <utility>

namespace tessaly {

class RunSources {
public:
    explicit RunSources(const QStringList &paths);
    bool contains(const QString &path) const;

private:
    std::set<std::pair<quint64, quint64>> m_files;
};

} // namespace tessaly
