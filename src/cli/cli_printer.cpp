#include "cli/cli_printer.h"

#include "cli/signal_stop.h"

#include <csignal>

namespace tessaly::cli {

CliPrinter::CliPrinter(const CliOptions &options, const PrintTarget &target)
    : m_options(options), m_stop(target.stop), m_streams(target.streams),
      m_progress(m_streams, target.showProgress, target.listed), m_codePage(options.job.codePage.name())
{
}

void CliPrinter::fileDone(const FileOutcome &outcome)
{
    // Every file of the command line has a request, so every file has a report.
    printFile(outcome.index, *outcome.report);
}

void CliPrinter::printFile(int index, const FileReport &report, const QByteArray &after)
{
    m_tally.add(report);
    m_progress.clear();
    if (!m_options.quiet)
        printReport(report);
    m_streams.write(m_streams.out(), after);
    m_progress.show(index, report.source);
}

int CliPrinter::finish(const RunEnd &end)
{
    if (end.stopReason == SIGPIPE)
        return 128 + SIGPIPE;
    m_progress.clear();
    const int signal = end.stopReason > 0 ? end.stopReason : 0;
    printSummary(m_tally, end.listed, signal != 0 ? QLatin1String(signalName(signal)) : QString());
    m_streams.flush();
    if (signal != 0)
        return 128 + signal;
    return m_tally.failed > 0 || m_diffMissing ? 1 : 0;
}

} // namespace tessaly::cli
