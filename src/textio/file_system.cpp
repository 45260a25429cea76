#include "textio/file_system.h"

#include "base/paths.h"
#include "base/tessaly_error.h"

#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QVarLengthArray>

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <dirent.h>
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

[[noreturn]] void failRead(const QString &path, int error)
{
    throw ReadError(QStringLiteral("Cannot read \"%1\": %2").arg(path, systemMessage(error)));
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

// Whether a process's open unnamed files can be linked into a folder at all:
// through /proc/self/fd, which any kernel that makes such files has.
bool canLinkOpenFiles()
{
    static const bool procFds = ::access("/proc/self/fd", X_OK) == 0;
    return procFds;
}

// Links the open unnamed file `fd` into the folder as `name`, like linkat.
// Straight from the descriptor where the kernel allows it (newer kernels allow
// the process that opened the file, older ones only a process that may read any
// path): a link through /proc/self/fd walks /proc's entries of the process,
// which the run's threads share and contend for. A kernel that refuses says
// ENOENT, and from then on every link goes through /proc.
int linkOpenFile(int fd, int folderFd, const char *name)
{
    static std::atomic<bool> byDescriptor{true};
    if (byDescriptor.load(std::memory_order_relaxed)) {
        if (::linkat(fd, "", folderFd, name, AT_EMPTY_PATH) == 0)
            return 0;
        if (errno != ENOENT)
            return -1;
    }
    std::array<char, 32> path{};
    std::snprintf(path.data(), path.size(), "/proc/self/fd/%d", fd);
    const int linked = ::linkat(AT_FDCWD, path.data(), folderFd, name, AT_SYMLINK_FOLLOW);
    // ENOENT twice is the folder's own (it went); only a refusal of the
    // descriptor's link alone tells about the kernel.
    if (linked == 0)
        byDescriptor.store(false, std::memory_order_relaxed);
    return linked;
}

} // namespace

// The file a result is written to before it is put in place: unnamed where the
// file system allows it, else a hidden file in the result's folder with a short
// fixed prefix and a random part, so any result name the file system accepts
// leaves room for it. Gone when it goes out of scope unless it was put in place.
class TemporaryFile {
public:
    TemporaryFile(int folderFd, const QString &shownAs, mode_t mode, bool mayBeUnnamed)
        : m_folderFd(folderFd), m_shownAs(shownAs)
    {
        // Made with the result's permissions at once (the umask applies).
        if (mayBeUnnamed && canLinkOpenFiles()) {
            m_fd = ::openat(folderFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
            if (m_fd >= 0)
                return;
            // A file system without unnamed files says so, as does a kernel
            // that does not know the flag (it sees a folder opened to write).
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
                failWrite(shownAs, errno);
        }
        takeHiddenName([&](const char *name) {
            m_fd = ::openat(folderFd, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            return m_fd >= 0;
        });
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
    bool unnamed() const { return m_name.isEmpty(); }
    WrittenFile written() const { return {m_fd, unnamed() ? nullptr : m_name.constData()}; }
    // Gives an unnamed file a hidden name, to be renamed over a name that is taken.
    void name()
    {
        takeHiddenName([&](const char *name) { return linkOpenFile(m_fd, m_folderFd, name) == 0; });
    }
    int releaseFd() { const int fd = m_fd; m_fd = -1; return fd; }
    void keep() { m_name.clear(); }

private:
    // Tries random hidden names until `take` makes one (it fails with EEXIST
    // when the name is taken).
    template <typename Take>
    void takeHiddenName(const Take &take)
    {
        static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        for (int attempt = 0; attempt < 100; ++attempt) {
            QByteArray name = QByteArrayLiteral(".~tessaly-");
            quint64 random = QRandomGenerator::global()->generate64();
            for (int i = 0; i < 10; ++i, random /= 62)
                name += kLetters[random % 62];
            if (take(name.constData())) {
                m_name = std::move(name);
                return;
            }
            if (errno != EEXIST)
                break;
        }
        failWrite(m_shownAs, errno);
    }

    int m_folderFd;
    QString m_shownAs;
    int m_fd = -1;
    QByteArray m_name;
};

FolderHandle::~FolderHandle()
{
    ::close(m_fd);
}

namespace {

// A regular file opened for reading by its bytes, its descriptor; *file (when
// given) gets what it is. `path` is how failures name it.
int openRegular(const QByteArray &bytes, const QString &path, SourceFile *file, struct stat &info)
{
    // O_NONBLOCK keeps a FIFO from stalling the open; such files are refused below.
    Descriptor fd(::open(bytes.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
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

// Whether the open folder holds no entry; not when it cannot be listed.
bool holdsNothing(int folderFd)
{
    bool any = false;
    const bool listed = listOpenFolder(folderFd, [&](const char *, unsigned char) {
        any = true;
        return false;
    });
    return listed && !any;
}

} // namespace

FileIdentity identityOf(const struct stat &info)
{
    return {quint64(info.st_dev), quint64(info.st_ino)};
}

bool listOpenFolder(int folderFd, const std::function<bool(const char *name, unsigned char type)> &entry)
{
    const Descriptor fd(::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0)
        return false;
    // The entries straight from the system, without a directory stream's own
    // look at the descriptor first.
    alignas(dirent64) char entries[16384];
    for (;;) {
        const ssize_t size = ::getdents64(fd.get(), entries, sizeof entries);
        if (size <= 0)
            return size == 0;
        for (ssize_t at = 0; at < size;) {
            const auto *found = reinterpret_cast<const dirent64 *>(entries + at);
            at += found->d_reclen;
            if (std::strcmp(found->d_name, ".") != 0 && std::strcmp(found->d_name, "..") != 0
                && !entry(found->d_name, found->d_type))
                return true;
        }
    }
}

QByteArray FileSystem::readAll(const QString &path, SourceFile *file) const
{
    struct stat info {};
    const int fd = openRegular(encodedName(path), path, file, info);
    return SourceReader(*this, fd, path, info).readAll();
}

std::unique_ptr<SourceReader> FileSystem::openSource(const SourcePath &source, SourceFile *file) const
{
    struct stat info {};
    const int fd = openRegular(source.bytes(), source.path(), file, info);
    return std::make_unique<SourceReader>(*this, fd, source.path(), info);
}

namespace {

qint64 modifiedOf(const struct stat &info)
{
    return qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

} // namespace

SourceReader::SourceReader(const FileSystem &fileSystem, int fd, QString path, const struct stat &info)
    : m_fileSystem(fileSystem), m_fd(fd), m_path(std::move(path)), m_size(qint64(info.st_size)),
      m_modified(modifiedOf(info))
{
}

SourceReader::~SourceReader()
{
    ::close(m_fd);
}

qsizetype SourceReader::read(char *into, qsizetype max)
{
    // A file the system shows with no size (a kernel's) is read to its end.
    if (m_size > 0)
        max = qsizetype(std::min<qint64>(max, m_size - m_position));
    long got = 0;
    while (max > 0 && (got = m_fileSystem.readSome(m_fd, into, size_t(max))) < 0) {
        if (errno != EINTR)
            failRead(m_path, errno);
    }
    if (got == 0)
        checkUnchanged();
    m_position += got;
    return qsizetype(got);
}

void SourceReader::checkUnchanged() const
{
    struct stat info {};
    if (::fstat(m_fd, &info) != 0)
        failRead(m_path, errno);
    if (qint64(info.st_size) != m_size || modifiedOf(info) != m_modified)
        throw ReadError(QStringLiteral("Cannot read \"%1\": it changed while it was read").arg(m_path));
}

QByteArray SourceReader::readAll(QByteArray into)
{
    // Room for what is left of the size the file had when it was opened: the last
    // read, of nothing, costs no system call.
    QByteArray data = std::move(into);
    qint64 capacity = m_size > 0 ? m_size - m_position : 4096;
    data.resize(capacity);
    qint64 total = 0;
    for (qsizetype got = 1; got > 0; total += got) {
        if (total == capacity && m_size == 0) {
            capacity *= 2;
            data.resize(capacity);
        }
        got = read(data.data() + total, capacity - total);
    }
    data.truncate(total);
    return data;
}

void SourceReader::rewind()
{
    if (::lseek(m_fd, 0, SEEK_SET) != 0)
        failRead(m_path, errno);
    m_position = 0;
}

std::shared_ptr<const FolderHandle> FileSystem::openFolder(const QString &path, bool lookInside) const
{
    // O_PATH: a folder the user may write into but not list is still usable.
    Descriptor fd(::open(QFile::encodeName(path).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat info {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0)
        fail(QStringLiteral("Cannot write into the folder"), path, errno);
    const bool empty = lookInside && holdsNothing(fd.get());
    return std::make_shared<const FolderHandle>(fd.release(), identityOf(info), path, empty);
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

bool FileSystem::writeAtomically(const Destination &destination, const QList<QByteArrayView> &parts, unsigned mode,
                                 const ReplaceCheck &check) const
{
    return writeAtomically(destination, [&](const PieceWriter &write) { write(parts); }, mode, check);
}

// Writes the parts to the temporary file in one call where the system takes them
// all; a partial write goes on where it stopped.
void FileSystem::writeParts(int fd, const QList<QByteArrayView> &parts, const QString &shownAs) const
{
    QVarLengthArray<struct iovec, 4> vector;
    for (const QByteArrayView part : parts) {
        if (!part.isEmpty())
            vector.append({const_cast<char *>(part.data()), size_t(part.size())});
    }
    struct iovec *next = vector.data();
    struct iovec *const end = vector.data() + vector.size();
    while (next != end) {
        const long put = writeSome(fd, next, int(std::min<qsizetype>(end - next, IOV_MAX)));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            failWrite(shownAs, put < 0 ? errno : EIO);
        size_t left = size_t(put);
        for (; next != end && left >= next->iov_len; ++next)
            left -= next->iov_len;
        if (next != end) {
            next->iov_base = static_cast<char *>(next->iov_base) + left;
            next->iov_len -= left;
        }
    }
}

bool FileSystem::writeAtomically(const Destination &destination,
                                 const std::function<void(const PieceWriter &)> &produce, unsigned mode,
                                 const ReplaceCheck &check) const
{
    // The result goes to a temporary file and takes the name in one link or
    // rename: readers see the old file or the new one, never a part.
    // A name known to be taken would refuse the link: the file is hidden from the start.
    TemporaryFile temp(destination.folder->fd(), destination.path, mode_t(mode), m_unnamed && !destination.taken);
    // Bits the umask took away that the result must have (an existing set file's
    // own permissions) are set on their own; a result's never need it.
    if ((mode & ~m_allowed) != 0 && ::fchmod(temp.fd(), mode_t(mode)) != 0)
        failWrite(destination.path, errno);
    // Handed on by reference: a writer that the function object held itself
    // would be copied to the heap, once for every file.
    const auto writePiece = [&](const QList<QByteArrayView> &parts) {
        writeParts(temp.fd(), parts, destination.path);
    };
    produce(std::cref(writePiece));
    if (temp.unnamed()) {
        if (const std::optional<bool> linked = linkAtFreeName(destination, temp, check))
            return *linked;
        // The name holds something: the file is renamed over it, as below.
        temp.name();
    }
    return renameOver(destination, temp, check);
}

std::optional<bool> FileSystem::linkAtFreeName(const Destination &destination, TemporaryFile &temp,
                                               const ReplaceCheck &check) const
{
    // The link takes a free name only, so the check sees the name free.
    if (check && !check(FolderEntry{}))
        return false;
    const int folderFd = destination.folder->fd();
    const char *const name = destination.name.constData();
    if (putInPlace(folderFd, temp.written(), name) == 0) {
        if (closeFile(temp.releaseFd()) != 0) {
            // A failed write reported only now: the result goes again, leaving
            // the name as free as it was a moment before.
            const int error = errno;
            ::unlinkat(folderFd, name, 0);
            failWrite(destination.path, error);
        }
        return true;
    }
    if (errno != EEXIST)
        failWrite(destination.path, errno);
    return std::nullopt;
}

bool FileSystem::renameOver(const Destination &destination, TemporaryFile &temp, const ReplaceCheck &check) const
{
    // A network file system or a full quota may report a failed write only here.
    if (closeFile(temp.releaseFd()) != 0)
        failWrite(destination.path, errno);
    if (check && !check(lookUp(destination)))
        return false;
    if (putInPlace(destination.folder->fd(), temp.written(), destination.name.constData()) != 0)
        failWrite(destination.path, errno);
    temp.keep();
    return true;
}

void FileSystem::writeAtomically(const QString &path, const QList<QByteArrayView> &parts, unsigned mode) const
{
    const qsizetype slash = path.lastIndexOf(u'/');
    Destination destination{openFolder(slash < 0 ? QStringLiteral(".") : path.left(std::max<qsizetype>(slash, 1))),
                            QFile::encodeName(path.mid(slash + 1)), path};
    const auto notAFolder = [](const FolderEntry &now) { return !now.isFolder; };
    const FolderEntry now = lookUp(destination);
    destination.taken = now.exists || now.isLink;
    if (!notAFolder(now) || !writeAtomically(destination, parts, mode, notAFolder))
        throw TessalyError(QStringLiteral("Cannot write \"%1\": it is a folder").arg(path));
}

long FileSystem::readSome(int fd, char *into, size_t max) const
{
    return long(::read(fd, into, max));
}

long FileSystem::writeSome(int fd, const struct iovec *parts, int count) const
{
    return long(::writev(fd, parts, count));
}

int FileSystem::closeFile(int fd) const
{
    return ::close(fd);
}

int FileSystem::putInPlace(int folderFd, const WrittenFile &file, const char *to) const
{
    if (file.name)
        return ::renameat(folderFd, file.name, folderFd, to);
    return linkOpenFile(file.fd, folderFd, to);
}

FileSystem::FileSystem(Temporaries temporaries) : m_unnamed(temporaries == Temporaries::UnnamedWherePossible)
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
