#include "cli/path_list.h"

#include "base/paths.h"
#include "base/tessaly_error.h"
#include "cli/descriptor_wait.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstring>
#include <new>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <poll.h>
#include <unistd.h>

namespace tessaly::cli {

namespace {

// A name the system would refuse anyway (PATH_MAX counts the closing NUL) is
// a mistake in the list, found before the list grows without end.
constexpr qsizetype kLongestName = PATH_MAX - 1;

// Splits the bytes of a list into its names as they are read.
class ListSplitter {
public:
    ListSplitter(const QString &shown, char separator, QStringList &paths)
        : m_shown(shown), m_separator(separator), m_paths(paths)
    {
    }

    void take(const char *bytes, size_t size)
    {
        const char *const end = bytes + size;
        while (bytes < end) {
            const auto *found = static_cast<const char *>(std::memchr(bytes, m_separator, size_t(end - bytes)));
            const char *const entryEnd = found ? found : end;
            m_entry.append(bytes, entryEnd - bytes);
            if (m_entry.size() > kLongestName)
                throw TessalyError(QStringLiteral("%1: %2 is longer than %3 bytes, the longest path the system takes.")
                                       .arg(m_shown, place())
                                       .arg(kLongestName));
            if (!found)
                break;
            endEntry();
            bytes = found + 1;
        }
    }
    // The list ended: its last name needs no separator after it.
    void finish() { endEntry(); }
    // "line 3" or "name 3", counting empty entries too.
    QString place() const
    {
        return QStringLiteral("%1 %2").arg(QLatin1String(m_separator == '\n' ? "line" : "name")).arg(m_number);
    }

private:
    void endEntry()
    {
        if (!m_entry.isEmpty())
            m_paths.append(decodeFileName(m_entry));
        m_entry.clear();
        ++m_number;
    }

    const QString &m_shown;
    char m_separator;
    QStringList &m_paths;
    QByteArray m_entry;
    qint64 m_number = 1;
};

QString systemError(const QString &shown)
{
    return QStringLiteral("%1: %2").arg(shown, QString::fromLocal8Bit(std::strerror(errno)));
}

// Reads `fd` to its end, or until a stop; true when it got to the end.
bool readInto(ListSplitter &list, int fd, const QString &shown, const StopToken &stop)
{
    std::vector<char> buffer(1 << 16);
    // A list on a terminal or a pipe may never end: wait where a stop is seen.
    struct stat info {};
    const bool waits = ::fstat(fd, &info) != 0 || waitsForPeer(info.st_mode);
    while (!stop.stopRequested()) {
        if (waits && !waitForDescriptor(fd, POLLIN, stop, std::chrono::milliseconds(0)))
            continue;
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n == 0)
            return true;
        if (n < 0 && errno != EINTR)
            throw TessalyError(systemError(shown));
        if (n > 0)
            list.take(buffer.data(), size_t(n));
    }
    return false;
}

// The list's descriptor, closed at the end unless it is standard input.
class ListFile {
public:
    explicit ListFile(const QString &file)
    {
        if (file == QLatin1String("-"))
            return;
        if (!isValidFileName(file))
            throw TessalyError(QStringLiteral("The list's name is not valid UTF-8."));
        m_fd = ::open(QFile::encodeName(localPath(file)).constData(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0)
            throw TessalyError(systemError(file));
    }
    ~ListFile()
    {
        if (m_fd != STDIN_FILENO)
            ::close(m_fd);
    }
    ListFile(const ListFile &) = delete;
    ListFile &operator=(const ListFile &) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd = STDIN_FILENO;
};

} // namespace

void readPathList(const QString &file, char separator, const StopToken &stop, QStringList &paths)
{
    const QString shown = file == QLatin1String("-") ? QStringLiteral("standard input") : file;
    const ListFile list(file);
    ListSplitter names(shown, separator, paths);
    try {
        if (readInto(names, list.fd(), shown, stop))
            names.finish();
    } catch (const std::bad_alloc &) {
        paths = QStringList();  // first, so that the message has memory to be made in
        throw TessalyError(
            QStringLiteral("%1: the names do not fit in memory (at %2).").arg(shown, names.place()));
    }
}

} // namespace tessaly::cli
