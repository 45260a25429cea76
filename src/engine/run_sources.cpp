#include "engine/run_sources.h"

#include <QFile>

#include <sys/stat.h>

namespace tessaly {

namespace {

bool identify(const QString &path, std::pair<quint64, quint64> *id)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    *id = {quint64(info.st_dev), quint64(info.st_ino)};
    return true;
}

} // namespace

RunSources::RunSources(const QStringList &paths)
{
    for (const QString &path : paths) {
        std::pair<quint64, quint64> id;
        if (identify(path, &id))
            m_files.insert(id);
    }
}

bool RunSources::contains(const QString &path) const
{
    std::pair<quint64, quint64> id;
    return identify(path, &id) && m_files.count(id) > 0;
}

} // namespace tessaly
