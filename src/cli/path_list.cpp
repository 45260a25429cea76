#include "cli/path_list.h"

#include "base/paths.h"
#include "base/tessaly_error.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace tessaly::cli {

namespace {

QByteArray readAll(int fd, const QString &shown)
{
    QByteArray bytes;
    qsizetype size = 0;
    for (;;) {
        if (bytes.size() - size < 65536)
            bytes.resize(std::max<qsizetype>(bytes.size() * 2, 1 << 20));
        const ssize_t n = ::read(fd, bytes.data() + size, size_t(bytes.size() - size));
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw TessalyError(QStringLiteral("%1: %2").arg(shown, QString::fromLocal8Bit(std::strerror(errno))));
        }
        size += n;
    }
    bytes.truncate(size);
    return bytes;
}

} // namespace

QStringList readPathList(const QString &file, char separator)
{
    QByteArray bytes;
    if (file == QLatin1String("-")) {
        bytes = readAll(STDIN_FILENO, QStringLiteral("standard input"));
    } else {
        if (!isValidFileName(file))
            throw TessalyError(QStringLiteral("The list's name is not valid UTF-8."));
        const int fd = ::open(QFile::encodeName(localPath(file)).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            throw TessalyError(QStringLiteral("%1: %2").arg(file, QString::fromLocal8Bit(std::strerror(errno))));
        try {
            bytes = readAll(fd, file);
        } catch (...) {
            ::close(fd);
            throw;
        }
        ::close(fd);
    }
    QStringList paths;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf(separator, start);
        if (end < 0)
            end = bytes.size();
        if (end > start)
            paths.append(localPath(decodeFileName(bytes.sliced(start, end - start))));
        start = end + 1;
    }
    return paths;
}

} // namespace tessaly::cli
