#include "cli/progress_line.h"

#include "cli/terminal_text.h"

namespace tessaly::cli {

void ProgressLine::clear()
{
    if (m_shown)
        m_streams.print(m_streams.err(), QStringLiteral("\r\033[K"));
}

void ProgressLine::show(int index, const QString &source)
{
    if (!m_shown)
        return;
    m_streams.print(m_streams.err(),
                    QStringLiteral("[%1/%2] %3").arg(index).arg(m_listed).arg(escapeControls(source)));
}

} // namespace tessaly::cli
