// The plain report: one line per file ("SOURCE -> RESULT (N replacements)"),
// then the summary on standard error.
#pragma once

#include "cli/cli_printer.h"

namespace tessaly::cli {

class LinePrinter : public CliPrinter {
public:
    LinePrinter(const CliOptions &options, const PrintTarget &target) : LinePrinter(options, target, target.streams.out()) {}

protected:
    // The lines go to `lines`.
    LinePrinter(const CliOptions &options, const PrintTarget &target, FILE *lines)
        : CliPrinter(options, target), m_lines(lines)
    {
    }

private:
    void printReport(const FileReport &report) override;
    void printSummary(const RunTally &tally, qsizetype listed, const QString &stopSignal) override;

    FILE *m_lines;
};

} // namespace tessaly::cli
