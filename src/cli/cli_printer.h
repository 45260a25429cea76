// The command line's sink of a run: one report line per file in list order (a
// JSON object with --json), each changed file's diff with --diff, the progress
// line, then the summary and the exit status.
#pragma once

#include "cli/cli_options.h"
#include "engine/replace_run.h"
#include "engine/run_report.h"
#include "engine/unified_diff_format.h"

#include <QByteArray>

#include <cstdio>
#include <map>
#include <mutex>
#include <string>

namespace tessaly::cli {

class CliPrinter : public ReportSink {
public:
    // `listed` counts the files of the run, for the progress line. A write to a
    // closed standard output or standard error stops the run through `stop`, as
    // SIGPIPE would.
    CliPrinter(const CliOptions &options, FILE *out, FILE *err, bool showProgress, qsizetype listed,
               StopToken &stop);

    // With --diff: makes the file's diff, on the run's thread that did the file.
    bool wantsContents() const override { return m_options.diff; }
    void fileWorked(const FileOutcome &outcome, const FileContents &contents) override;
    void fileDone(const FileOutcome &outcome) override;
    // Prints the summary (on standard error, or as the last JSON line); returns the exit status: 0 when no file failed, 1 when
    // one failed or its diff could not be made, 128 + N when signal N stopped the
    // run (141 after a closed pipe, which prints nothing more).
    int finish(const RunEnd &end);

private:
    // A file's diff, or that the memory for it ran out.
    struct MadeDiff {
        QByteArray diff;
        bool noMemory = false;
    };
    bool wantsDiff(const FileOutcome &outcome) const;
    void write(FILE *stream, const char *bytes, size_t size);
    void write(FILE *stream, const QByteArray &bytes) { write(stream, bytes.constData(), size_t(bytes.size())); }
    void write(FILE *stream, const std::string &bytes) { write(stream, bytes.data(), bytes.size()); }
    void print(FILE *stream, const QString &text) { write(stream, text.toLocal8Bit()); }

    const CliOptions &m_options;
    FILE *m_out;
    FILE *m_lines;  // the per-file lines: standard error with --diff, which has standard output
    FILE *m_err;
    bool m_showProgress;
    qsizetype m_listed;
    StopToken &m_stop;
    DiffColors m_colors;
    QString m_codePage;  // its name, for the reports
    RunTally m_tally;
    std::mutex m_diffsMutex;
    std::map<int, MadeDiff> m_diffs;  // by list place, until printed
    bool m_diffMissing = false;
    bool m_pipeClosed = false;
};

} // namespace tessaly::cli
