#include "textio/file_system.h"

#include "base/tessaly_error.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaly {

namespace {

QString systemMessage(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

[[noreturn]] void fail(const QString &what, const QString &path, int error)
{
    throw TessalyError(QStringLiteral("%1 \"%2\": %3").arg(what, path, systemMessage(error)));
}

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() { if (m_fd >= 0) ::close(m_fd); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    int release() { const int fd = m_fd; m_fd = -1; return fd; }

private:
    int m_fd;
};

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

} // namespace

QByteArray FileSystem::readAll(const QString &path) const
{
    // O_NONBLOCK keeps a FIFO from stalling the open; such files are refused below.
    Descriptor fd(::open(encoded(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0)
        fail(QStringLiteral("Cannot open"), path, errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        fail(QStringLiteral("Cannot read"), path, errno);
    if (!S_ISREG(info.st_mode))
        throw TessalyError(QStringLiteral("Cannot read \"%1\": not a regular file").arg(path));

    QByteArray data;
    qint64 capacity = qint64(info.st_size) + 1;  // one spare byte tells a grown file
    data.resize(capacity);
    qint64 total = 0;
    for (;;) {
        if (total == capacity) {
            capacity *= 2;
            data.resize(capacity);
        }
        const ssize_t got = ::read(fd.get(), data.data() + total, size_t(capacity - total));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            fail(QStringLiteral("Cannot read"), path, errno);
        }
        if (got == 0)
            break;
        total += got;
    }
    data.truncate(total);
    return data;
}

void FileSystem::writeAtomically(const QString &path, const QList<QByteArrayView> &parts) const
{
    const QFileInfo target(path);
    if (target.isDir() && !target.isSymLink())
        throw TessalyError(QStringLiteral("Cannot write \"%1\": it is a folder").arg(path));

    // The result goes to a hidden temporary file beside it and replaces the old
    // name in one rename: readers see the old file or the new one, never a part.
    QByteArray temp = encoded(target.absolutePath() + QStringLiteral("/.~tessaly-") + target.fileName() + QStringLiteral(".XXXXXX"));
    Descriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0)
        fail(QStringLiteral("Cannot write"), path, errno);
    const auto discard = [&](int error) {
        ::close(fd.release());
        ::unlink(temp.constData());
        fail(QStringLiteral("Cannot write"), path, error);
    };
    // mkostemp makes the file private; a result gets the usual permissions.
    if (::fchmod(fd.get(), mode_t(m_resultMode)) != 0)
        discard(errno);

    for (const QByteArrayView data : parts) {
        const char *p = data.data();
        qint64 left = data.size();
        while (left > 0) {
            const ssize_t put = writeSome(fd.get(), p, static_cast<unsigned long>(std::min<qint64>(left, 1 << 30)));
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                discard(errno);
            }
            p += put;
            left -= put;
        }
    }
    if (::close(fd.release()) != 0) {
        const int error = errno;
        ::unlink(temp.constData());
        fail(QStringLiteral("Cannot write"), path, error);
    }
    if (renameOver(temp.constData(), encoded(path).constData()) != 0) {
        const int error = errno;
        ::unlink(temp.constData());
        fail(QStringLiteral("Cannot write"), path, error);
    }
}

long FileSystem::writeSome(int fd, const char *data, unsigned long size) const
{
    return long(::write(fd, data, size));
}

int FileSystem::renameOver(const char *from, const char *to) const
{
    return ::rename(from, to);
}

bool FileSystem::sameFile(const QString &a, const QString &b) const
{
    struct stat first {}, second {};
    return ::stat(encoded(a).constData(), &first) == 0 && ::stat(encoded(b).constData(), &second) == 0
           && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

FileSystem::FileSystem()
{
    // The process's umask, read once (reading it means setting it for a moment).
    const mode_t mask = ::umask(0);
    ::umask(mask);
    m_resultMode = 0666u & ~unsigned(mask);
}

const FileSystem &FileSystem::real()
{
    static const FileSystem instance;
    return instance;
}

} // namespace tessaly
