// --json: the report as JSON Lines on standard output, one object per file and
// the summary last.
#pragma once

#include "cli/cli_printer.h"

namespace tessaly::cli {

class JsonPrinter : public CliPrinter {
public:
    JsonPrinter(const CliOptions &options, const PrintTarget &target) : CliPrinter(options, target) {}

private:
    void printReport(const FileReport &report) override;
    void printSummary(const RunTally &tally, qsizetype listed, const QString &stopSignal) override;
};

} // namespace tessaly::cli
