#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

#include <fcntl.h>
#include <unistd.h>

namespace testing {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file " + path.toStdString());
}

bool makeHardLink(const QString &path, const QString &name)
{
    return ::link(QFile::encodeName(path).constData(), QFile::encodeName(name).constData()) == 0;
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void writeTree(const QString &root, const QStringList &files, const QByteArray &bytes)
{
    for (const QString &file : files)
        writeBytes(root + u'/' + file, bytes);
}

QStringList relative(const QString &root, const QStringList &paths)
{
    QStringList out;
    for (const QString &path : paths)
        out.append(path.startsWith(root) ? path.mid(root.size()) : path);
    return out;
}

QStringList temporaryFilesIn(const QString &folder)
{
    return QDir(folder).entryList({".~tessaly-*"}, QDir::Files | QDir::Hidden | QDir::System);
}

bool makesUnnamedFiles(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    return ::access("/proc/self/fd", X_OK) == 0;
}

} // namespace testing
