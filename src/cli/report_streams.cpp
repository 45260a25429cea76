#include "cli/report_streams.h"

#include <csignal>

namespace tessaly::cli {

void ReportStreams::write(FILE *stream, const char *bytes, size_t size)
{
    if (m_pipeClosed)
        return;
    LineStream &lines = stream == m_err.file() ? m_err : m_out;
    if (&lines == &m_err && !m_out.flush())
        return readerGone();
    if (!lines.write(bytes, size))
        readerGone();
}

void ReportStreams::flush()
{
    if (!m_pipeClosed && (!m_out.flush() || !m_err.flush()))
        readerGone();
}

void ReportStreams::readerGone()
{
    m_pipeClosed = true;
    m_stop.requestStop(SIGPIPE);
}

} // namespace tessaly::cli
