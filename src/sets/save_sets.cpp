#include "sets/save_sets.h"

#include "base/paths.h"
#include "sets/set_file.h"
#include "textio/file_system.h"
#include "base/tessaly_error.h"

#include <QFileInfo>

namespace tessaly {

namespace {

// The file's own read-only state, as the owner's write permission. Checked by
// the mode bits too, since a privileged user may write anything.
bool isReadOnlyFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return false;
    return !info.isWritable() || !(info.permissions() & QFileDevice::WriteOwner);
}

} // namespace

QString overwriteQuestion(const QString &path)
{
    return QStringLiteral("Are you sure you wish to overwrite ") + path + QStringLiteral(" ?");
}

std::optional<qint64> SaveSetsToFile(Platform &platform, const QString &path, const QStringList &findList,
                                     const QStringList &replaceList, const CodePage &codePage)
{
    if (FileExists(path) && !platform.askYesNo(overwriteQuestion(path)))
        return std::nullopt;
    if (isReadOnlyFile(path))
        throw TessalyError(QStringLiteral("Cannot write \"%1\": the file is read-only").arg(path));
    qint64 lost = 0;
    const QByteArray bytes = formatSetFile(findList, replaceList, codePage, &lost);
    FileSystem::real().writeAtomically(path, {QByteArrayView(bytes)});
    return lost;
}

} // namespace tessaly
