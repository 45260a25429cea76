#include "cli/line_printer.h"

#include "cli/terminal_text.h"

namespace tessaly::cli {

void LinePrinter::printReport(const FileReport &report)
{
    streams().print(m_lines, escapeControls(describeReport(report, codePageName())) + u'\n');
}

void LinePrinter::printSummary(const RunTally &tally, qsizetype listed, const QString &stopSignal)
{
    streams().print(streams().err(),
                    runSummary(tally, listed, options().job.dryRun, codePageName(), stopSignal) + u'\n');
}

} // namespace tessaly::cli
