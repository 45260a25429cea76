#include "cli/base_folder.h"

#include "base/paths.h"

#include <QDir>
#include <QFileInfo>

namespace tessaly::cli {

RunFile BaseFolder::place(const QString &path)
{
    const QString absolute = QDir::cleanPath(QFileInfo(localPath(path)).absoluteFilePath());
    if (const auto below = relative(absolute, m_base))
        return {path, GetFilePath(*below, u'/'), {}};
    if (m_realBase.isNull())
        m_realBase = QFileInfo(m_base).canonicalFilePath();
    const QFileInfo file(absolute);
    const QString realFolder = QFileInfo(file.absolutePath()).canonicalFilePath();
    if (!m_realBase.isEmpty() && !realFolder.isEmpty()) {
        if (const auto below = relative(realFolder + u'/' + file.fileName(), m_realBase))
            return {path, GetFilePath(*below, u'/'), {}};
    }
    return {path, {}, QStringLiteral("not below the --base folder %1").arg(m_base)};
}

std::optional<QString> BaseFolder::relative(const QString &path, const QString &folder)
{
    const qsizetype length = folder.endsWith(u'/') ? folder.size() : folder.size() + 1;  // "/" ends itself
    if (path.size() > length && path.startsWith(folder) && path.at(length - 1) == u'/')
        return path.mid(length);
    return std::nullopt;
}

} // namespace tessaly::cli
