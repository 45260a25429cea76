#include "textio/source_path.h"

#include "base/paths.h"

#include <QDir>

namespace tessaly {

SourcePath::SourcePath(const QString &workingFolder, const QString &given)
    : m_path(absolutePath(workingFolder, given)),
      m_bytes(isValidFileName(given) ? encodedName(m_path) : QByteArray())
{
}

SourcePath::SourcePath(const QString &given) : SourcePath(QDir::currentPath(), given) {}

} // namespace tessaly
