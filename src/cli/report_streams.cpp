#include "cli/report_streams.h"

#include <cerrno>
#include <csignal>

namespace tessaly::cli {

void ReportStreams::write(FILE *stream, const char *bytes, size_t size)
{
    if (m_pipeClosed)
        return;
    errno = 0;
    if (std::fwrite(bytes, 1, size, stream) == size)
        return;
    if (errno == EPIPE) {
        m_pipeClosed = true;
        m_stop.requestStop(SIGPIPE);
    }
}

} // namespace tessaly::cli
