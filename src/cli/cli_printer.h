// What the command line's printers share: each is a sink of the run that counts
// the files, keeps the progress line, prints one report per file in list order,
// then the summary, and tells the exit status. A printer per format derives.
#pragma once

#include "cli/cli_options.h"
#include "cli/progress_line.h"
#include "cli/report_streams.h"
#include "engine/replace_run.h"
#include "engine/run_report.h"

namespace tessaly::cli {

// Where a printer writes, and what it knows of the run besides its files.
struct PrintTarget {
    ReportStreams &streams;
    bool showProgress;
    qsizetype listed;  // files of the run, for the progress line
    StopToken &stop;   // asked to stop when a report stream's reader went away
};

class CliPrinter : public ReportSink {
public:
    void fileDone(const FileOutcome &outcome) override;
    // Prints the summary and writes what the streams held back; returns the exit
    // status: 0 when no file failed, 1 when one failed or its diff could not be
    // made, 128 + N when signal N stopped the run (141 after a closed pipe, which
    // prints nothing more).
    int finish(const RunEnd &end);

protected:
    CliPrinter(const CliOptions &options, const PrintTarget &target);

    // Counts the file and prints its report, then `after` on standard output.
    void printFile(int index, const FileReport &report, const QByteArray &after = {});
    // A file's diff could not be made: the run fails, whatever the tally says.
    void diffMissing() { m_diffMissing = true; }

    const CliOptions &options() const { return m_options; }
    ReportStreams &streams() { return m_streams; }
    const StopToken &stop() const { return m_stop; }
    const QString &codePageName() const { return m_codePage; }

private:
    virtual void printReport(const FileReport &report) = 0;
    // `stopSignal` names the signal that stopped the run, empty when none did.
    virtual void printSummary(const RunTally &tally, qsizetype listed, const QString &stopSignal) = 0;

    const CliOptions &m_options;
    const StopToken &m_stop;
    ReportStreams &m_streams;
    ProgressLine m_progress;
    QString m_codePage;  // its name, for the reports
    RunTally m_tally;
    bool m_diffMissing = false;
};

} // namespace tessaly::cli
