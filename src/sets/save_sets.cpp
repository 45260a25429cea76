#include "sets/save_sets.h"

#include "base/paths.h"
#include "sets/set_file.h"
#include "textio/file_system.h"
#include "base/tessaly_error.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

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

// The file a symbolic link leads to (through any chain of links), so that saving
// replaces that file and the link stays a link.
QString linkTarget(const QString &path)
{
    QString target = path;
    for (int depth = 0; depth < 40; ++depth) {
        const QFileInfo info(target);
        if (!info.isSymLink())
            break;
        target = info.symLinkTarget();
    }
    return target;
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
    // An existing file keeps its permissions; a new one gets the usual ones.
    const QString target = linkTarget(path);
    const FileSystem &fs = FileSystem::real();
    struct stat info {};
    const bool exists = ::stat(QFile::encodeName(target).constData(), &info) == 0;
    fs.writeAtomically(target, {QByteArrayView(bytes)}, exists ? unsigned(info.st_mode & 07777) : fs.masked(0666));
    return lost;
}

} // namespace tessaly
