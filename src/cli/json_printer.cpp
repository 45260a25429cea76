#include "cli/json_printer.h"

#include "cli/json_report.h"

namespace tessaly::cli {

void JsonPrinter::printReport(const FileReport &report)
{
    streams().write(streams().out(), jsonFileLine(report, codePageName()));
}

void JsonPrinter::printSummary(const RunTally &tally, qsizetype listed, const QString &stopSignal)
{
    streams().write(streams().out(),
                    jsonSummaryLine(tally, listed, options().job.dryRun, codePageName(), stopSignal));
}

} // namespace tessaly::cli
