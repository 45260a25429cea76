#include "textio/file_system.h"

#include "base/tessaly_error.h"

#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QVarLengthArray>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
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

[[noreturn]] void failWrite(const QString &path, int error)
{
    fail(QStringLiteral("Cannot write"), path, error);
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

FileIdentity identityOf(const struct stat &info)
{
    return {quint64(info.st_dev), quint64(info.st_ino)};
}

// A hidden temporary file in a folder: a short fixed prefix and a random part, so
// any result name the file system accepts leaves room for it. Removed when it
// goes out of scope unless it was renamed into place.
class TemporaryFile {
public:
    TemporaryFile(int folderFd, const QString &shownAs, mode_t mode) : m_folderFd(folderFd)
    {
        static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        for (int attempt = 0; attempt < 100; ++attempt) {
            m_name = QByteArrayLiteral(".~tessaly-");
            quint64 random = QRandomGenerator::global()->generate64();
            for (int i = 0; i < 10; ++i, random /= 62)
                m_name += kLetters[random % 62];
            // Made with the result's permissions at once (the umask applies).
            m_fd = ::openat(folderFd, m_name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (m_fd >= 0 || errno != EEXIST)
                break;
        }
        if (m_fd < 0)
            failWrite(shownAs, errno);
    }
    ~TemporaryFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_name.isEmpty())
            ::unlinkat(m_folderFd, m_name.constData(), 0);
    }
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    int fd() const { return m_fd; }
    const char *name() const { return m_name.constData(); }
    int releaseFd() { const int fd = m_fd; m_fd = -1; return fd; }
    void keep() { m_name.clear(); }

private:
    int m_folderFd;
    int m_fd = -1;
    QByteArray m_name;
};

} // namespace

FolderHandle::~FolderHandle()
{
    ::close(m_fd);
}

namespace {

// A regular file opened for reading, its descriptor; *file (when given) gets what it is.
int openRegular(const QString &path, SourceFile *file, struct stat &info)
{
    // O_NONBLOCK keeps a FIFO from stalling the open; such files are refused below.
    Descriptor fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0)
        fail(QStringLiteral("Cannot open"), path, errno);
    if (::fstat(fd.get(), &info) != 0)
        fail(QStringLiteral("Cannot read"), path, errno);
    if (!S_ISREG(info.st_mode))
        throw TessalyError(QStringLiteral("Cannot read \"%1\": not a regular file").arg(path));
    if (file)
        *file = {identityOf(info), unsigned(info.st_mode & 07777), qint64(info.st_size)};
    return fd.release();
}

} // namespace

QByteArray FileSystem::readAll(const QString &path, SourceFile *file) const
{
    return openSource(path, file)->readAll();
}

std::unique_ptr<SourceReader> FileSystem::openSource(const QString &path, SourceFile *file) const
{
    struct stat info {};
    const int fd = openRegular(path, file, info);
    return std::make_unique<SourceReader>(fd, path, qint64(info.st_size));
}

SourceReader::~SourceReader()
{
    ::close(m_fd);
}

qsizetype SourceReader::read(char *into, qsizetype max)
{
    for (;;) {
        const ssize_t got = ::read(m_fd, into, size_t(max));
        if (got >= 0)
            return qsizetype(got);
        if (errno != EINTR)
            fail(QStringLiteral("Cannot read"), m_path, errno);
    }
}

QByteArray SourceReader::readAll()
{
    // The content is read up to the size the file had when it was opened; no read
    // is spent on learning that it ends there. A file the system shows with no
    // size (a kernel's) is read to its end.
    QByteArray data;
    qint64 capacity = m_size > 0 ? m_size : 4096;
    data.resize(capacity);
    qint64 total = 0;
    for (;;) {
        if (total == capacity) {
            if (total == m_size)
                break;
            capacity *= 2;
            data.resize(capacity);
        }
        const qsizetype got = read(data.data() + total, capacity - total);
        if (got == 0)
            break;
        total += got;
    }
    data.truncate(total);
    return data;
}

void SourceReader::rewind()
{
    if (::lseek(m_fd, 0, SEEK_SET) != 0)
        fail(QStringLiteral("Cannot read"), m_path, errno);
}

std::shared_ptr<const FolderHandle> FileSystem::openFolder(const QString &path) const
{
    // O_PATH: a folder the user may write into but not list is still usable.
    Descriptor fd(::open(QFile::encodeName(path).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat info {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0)
        fail(QStringLiteral("Cannot write into the folder"), path, errno);
    return std::make_shared<const FolderHandle>(fd.release(), identityOf(info), path);
}

std::shared_ptr<const FolderHandle> FileSystem::openFolderIn(const FolderHandle &parent, const QByteArray &name,
                                                             bool make) const
{
    const QString path = parent.path() + u'/' + QFile::decodeName(name);
    const auto open = [&] { return ::openat(parent.fd(), name.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC); };
    int opened = open();
    bool made = false;
    if (opened < 0 && errno == ENOENT) {
        if (!make)
            return nullptr;
        // Another job of the run may make it at the same moment.
        made = ::mkdirat(parent.fd(), name.constData(), 0777) == 0;
        if (!made && errno != EEXIST)
            fail(QStringLiteral("Cannot make the folder"), path, errno);
        opened = open();
    }
    Descriptor fd(opened);
    struct stat info {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0)
        fail(QStringLiteral("Cannot write into the folder"), path, errno);
    return std::make_shared<const FolderHandle>(fd.release(), identityOf(info), path, made);
}

FolderEntry FileSystem::lookUp(const Destination &destination) const
{
    struct stat info {};
    const int folderFd = destination.folder->fd();
    if (::fstatat(folderFd, destination.name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return {};  // no entry at all: the name is free
        failWrite(destination.path, errno);
    }
    if (!S_ISLNK(info.st_mode))
        return {true, S_ISDIR(info.st_mode), identityOf(info), false};
    if (::fstatat(folderFd, destination.name.constData(), &info, 0) != 0) {
        if (errno == ENOENT)
            return {false, false, {}, true};  // a dangling link: the name is free
        failWrite(destination.path, errno);
    }
    return {true, S_ISDIR(info.st_mode), identityOf(info), true};
}

std::optional<Place> FileSystem::linkedPlace(const Destination &destination) const
{
    std::optional<Place> place;
    int followed = -1;  // the target's folder once a link was followed, owned here
    const auto closeFollowed = qScopeGuard([&] {
        if (followed >= 0)
            ::close(followed);
    });
    int folderFd = destination.folder->fd();
    QByteArray name = destination.name;
    // As many links as the system itself follows before it gives up (ELOOP).
    for (int depth = 0; depth < 40; ++depth) {
        struct stat info {};
        if (::fstatat(folderFd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(info.st_mode))
            break;
        char target[PATH_MAX];
        const ssize_t size = ::readlinkat(folderFd, name.constData(), target, sizeof target);
        if (size <= 0 || size == ssize_t(sizeof target))
            break;
        const QByteArray path(target, qsizetype(size));
        const qsizetype slash = path.lastIndexOf('/');
        const QByteArray folderPath = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
        Descriptor next(::openat(folderFd, folderPath.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat folderInfo {};
        if (next.get() < 0 || ::fstat(next.get(), &folderInfo) != 0 || slash == path.size() - 1)
            break;
        name = path.mid(slash + 1);
        place = Place{identityOf(folderInfo), name};
        if (followed >= 0)
            ::close(followed);
        folderFd = followed = next.release();
    }
    return place;
}

void FileSystem::checkCanWrite(const Destination &destination) const
{
    if (::faccessat(destination.folder->fd(), ".", W_OK | X_OK, AT_EACCESS) != 0)
        failWrite(destination.path, errno);
}

void FileSystem::writeAtomically(const Destination &destination, const QList<QByteArrayView> &parts, unsigned mode,
                                 const ReplaceCheck &check) const
{
    writeAtomically(destination, [&](const PieceWriter &write) { write(parts); }, mode, check);
}

void FileSystem::writeAtomically(const Destination &destination,
                                 const std::function<void(const PieceWriter &)> &produce, unsigned mode,
                                 const ReplaceCheck &check) const
{
    // The result goes to a hidden temporary file beside it and replaces the old
    // name in one rename: readers see the old file or the new one, never a part.
    const int folderFd = destination.folder->fd();
    TemporaryFile temp(folderFd, destination.path, mode_t(mode));
    // Bits the umask took away that the result must have (an existing set file's
    // own permissions) are set on their own; a result's never need it.
    if ((mode & ~m_allowed) != 0 && ::fchmod(temp.fd(), mode_t(mode)) != 0)
        failWrite(destination.path, errno);

    produce([&](const QList<QByteArrayView> &parts) {
        QVarLengthArray<struct iovec, 4> vector;
        for (const QByteArrayView part : parts) {
            if (!part.isEmpty())
                vector.append({const_cast<char *>(part.data()), size_t(part.size())});
        }
        // One call for the whole piece; a partial write goes on where it stopped.
        struct iovec *next = vector.data();
        struct iovec *const end = vector.data() + vector.size();
        while (next != end) {
            const long put = writeSome(temp.fd(), next, int(std::min<qsizetype>(end - next, IOV_MAX)));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                failWrite(destination.path, put < 0 ? errno : EIO);
            size_t left = size_t(put);
            for (; next != end && left >= next->iov_len; ++next)
                left -= next->iov_len;
            if (next != end) {
                next->iov_base = static_cast<char *>(next->iov_base) + left;
                next->iov_len -= left;
            }
        }
    });
    // A network file system or a full quota may report a failed write only here.
    if (closeFile(temp.releaseFd()) != 0)
        failWrite(destination.path, errno);
    if (check)
        check(lookUp(destination));
    if (renameOver(folderFd, temp.name(), destination.name.constData()) != 0)
        failWrite(destination.path, errno);
    temp.keep();
}

void FileSystem::writeAtomically(const QString &path, const QList<QByteArrayView> &parts, unsigned mode) const
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const Destination destination{openFolder(slash < 0 ? QStringLiteral(".") : path.left(std::max<qsizetype>(slash, 1))),
                                  QFile::encodeName(path.mid(slash + 1)), path};
    const auto notAFolder = [&](const FolderEntry &now) {
        if (now.isFolder)
            throw TessalyError(QStringLiteral("Cannot write \"%1\": it is a folder").arg(path));
    };
    notAFolder(lookUp(destination));
    writeAtomically(destination, parts, mode, notAFolder);
}

long FileSystem::writeSome(int fd, const struct iovec *parts, int count) const
{
    return long(::writev(fd, parts, count));
}

int FileSystem::closeFile(int fd) const
{
    return ::close(fd);
}

int FileSystem::renameOver(int folderFd, const char *from, const char *to) const
{
    return ::renameat(folderFd, from, folderFd, to);
}

FileSystem::FileSystem()
{
    // The process's umask, read once (reading it means setting it for a moment).
    const mode_t mask = ::umask(0);
    ::umask(mask);
    m_allowed = 07777u & ~unsigned(mask);
}

const FileSystem &FileSystem::real()
{
    static const FileSystem instance;
    return instance;
}

void ignoreFileSizeSignal()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace tessaly
