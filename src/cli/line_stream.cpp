#include "cli/line_stream.h"

#include "cli/descriptor_wait.h"

#include <cerrno>
#include <climits>

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaly::cli {

LineStream::LineStream(FILE *file, const StopToken &stop)
    : m_file(file), m_stop(stop), m_fd(fileno(file)), m_piece(PIPE_BUF), m_holds(false), m_waits(false)
{
    struct stat info {};
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0)
        return;
    // A write of at most PIPE_BUF bytes to a pipe that has room for one is never
    // split and never blocks: the writer is never caught in a write when a stop
    // comes, and the reader never sees part of a piece. A file takes any size.
    m_waits = waitsForPeer(info.st_mode);
    if (S_ISREG(info.st_mode) || S_ISBLK(info.st_mode))
        m_piece = size_t(-1);
    // A terminal shows each line as it comes, as stdio's line buffering did.
    m_holds = !::isatty(m_fd);
}

bool LineStream::write(const char *bytes, size_t size)
{
    if (m_held.size() + size > PIPE_BUF || !m_holds) {
        if (!flush())
            return false;
    }
    if (m_holds && size <= PIPE_BUF) {
        m_held.append(bytes, size);
        return true;
    }
    return send(bytes, size);
}

bool LineStream::flush()
{
    const bool open = send(m_held.data(), m_held.size());
    m_held.clear();
    return open;
}

// Up to a piece, ending after the last line feed in it when there is one.
size_t LineStream::pieceEnd(const char *bytes, size_t size) const
{
    if (size <= m_piece)
        return size;
    for (size_t end = m_piece; end > 0; --end) {
        if (bytes[end - 1] == '\n')
            return end;
    }
    return m_piece;
}

bool LineStream::send(const char *bytes, size_t size)
{
    while (size > 0 && !m_dropped) {
        if (m_waits && !waitForDescriptor(m_fd, POLLOUT, m_stop, kStalledReader)) {
            m_dropped = true;
            break;
        }
        const size_t piece = pieceEnd(bytes, size);
        errno = 0;
        if (std::fwrite(bytes, 1, piece, m_file) != piece) {
            if (m_error == 0)
                m_error = errno != 0 ? errno : -1;
            return errno != EPIPE;  // the rest of these lines is lost with the failed write
        }
        bytes += piece;
        size -= piece;
    }
    return true;
}

int LineStream::error() const
{
    // A write made around the stream (a folder scan's message) counts too.
    return m_error != 0 ? m_error : (std::ferror(m_file) ? -1 : 0);
}

} // namespace tessaly::cli
