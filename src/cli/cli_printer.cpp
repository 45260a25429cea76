#include "cli/cli_printer.h"

#include "cli/diff_output.h"
#include "cli/json_report.h"
#include "cli/signal_stop.h"
#include "cli/terminal_text.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <new>
#include <optional>

#include <unistd.h>

namespace tessaly::cli {

namespace {

// As most programs that colour their output: "auto" colours a terminal, unless
// the user asked for no colour anywhere (NO_COLOR, set to anything) or the
// terminal knows no escape sequences (TERM=dumb).
DiffColors diffColors(CliOptions::Colors colors, FILE *out)
{
    const bool ansi = colors == CliOptions::Colors::Always
                      || (colors == CliOptions::Colors::Auto && isatty(fileno(out)) && !std::getenv("NO_COLOR")
                          && qstrcmp(std::getenv("TERM"), "dumb") != 0);
    return ansi ? DiffColors::Ansi : DiffColors::None;
}

} // namespace

CliPrinter::CliPrinter(const CliOptions &options, FILE *out, FILE *err, bool showProgress, qsizetype listed,
                       StopToken &stop)
    : m_options(options), m_out(out), m_lines(options.diff ? err : out), m_err(err), m_showProgress(showProgress),
      m_listed(listed), m_stop(stop), m_colors(diffColors(options.colors, out)),
      m_codePage(options.job.codePage.name())
{
}

void CliPrinter::write(FILE *stream, const char *bytes, size_t size)
{
    if (m_pipeClosed)
        return;
    errno = 0;
    if (std::fwrite(bytes, 1, size, stream) == size)
        return;
    // A reader that went away (`| head`) ends the run as SIGPIPE would, quietly.
    // Other write errors (a full disk) are reported when the run ends.
    if (errno == EPIPE) {
        m_pipeClosed = true;
        m_stop.requestStop(SIGPIPE);
    }
}

// After a stop the diffs are left out, so that the program ends promptly.
bool CliPrinter::wantsDiff(const FileOutcome &outcome) const
{
    // Every file of the command line has a request, so every file has a report.
    const FileReport &report = *outcome.report;
    return m_options.diff && outcome.request && report.status == FileReport::Status::Written
           && report.replacements > 0 && !m_stop.stopRequested();
}

void CliPrinter::fileWorked(const FileOutcome &outcome, const FileContents &contents)
{
    if (!wantsDiff(outcome))
        return;
    MadeDiff made;
    try {
        made.diff = fileDiff(contents, *outcome.report, outcome.request->options.codePage, m_options.diffContext,
                             m_colors);
    } catch (const std::bad_alloc &) {
        // Like any limit, the memory a diff needs fails that file alone.
        made.noMemory = true;
    }
    const std::lock_guard lock(m_diffsMutex);
    m_diffs[outcome.index] = std::move(made);
}

void CliPrinter::fileDone(const FileOutcome &outcome)
{
    FileReport report = *outcome.report;
    std::optional<MadeDiff> made;
    {
        const std::lock_guard lock(m_diffsMutex);
        if (const auto found = m_diffs.find(outcome.index); found != m_diffs.end()) {
            made = std::move(found->second);
            m_diffs.erase(found);
        }
    }
    // A diff made before a stop that came since is left out too.
    if (made && m_stop.stopRequested())
        made.reset();
    if (made && made->noMemory) {
        if (report.dryRun) {
            report.status = FileReport::Status::Failed;
            report.dryRun = false;
            report.description = QStringLiteral("not enough memory");
        } else {
            print(m_err, QStringLiteral("tessaly-cli: %1: not enough memory for its diff\n")
                             .arg(escapeControls(report.source)));
        }
    }
    m_diffMissing = m_diffMissing || (made && made->noMemory);
    m_tally.add(report);
    if (m_showProgress)
        print(m_err, QStringLiteral("\r\033[K"));
    if (!m_options.quiet && m_options.json)
        write(m_lines, jsonFileLine(report, m_codePage));
    else if (!m_options.quiet)
        print(m_lines, escapeControls(describeReport(report, m_codePage)) + u'\n');
    if (made)
        write(m_out, made->diff);
    if (m_showProgress) {
        std::fflush(m_out);
        print(m_err,
              QStringLiteral("[%1/%2] %3").arg(outcome.index).arg(m_listed).arg(escapeControls(report.source)));
    }
}

int CliPrinter::finish(const RunEnd &end)
{
    if (end.stopReason == SIGPIPE)
        return 128 + SIGPIPE;
    if (m_showProgress)
        print(m_err, QStringLiteral("\r\033[K"));
    const int signal = end.stopReason > 0 ? end.stopReason : 0;
    const QString stopSignal = signal != 0 ? QLatin1String(signalName(signal)) : QString();
    if (m_options.json)
        write(m_out, jsonSummaryLine(m_tally, end.listed, m_options.job.dryRun, m_codePage, stopSignal));
    else
        print(m_err, runSummary(m_tally, end.listed, m_options.job.dryRun, m_codePage, stopSignal) + u'\n');
    if (signal != 0)
        return 128 + signal;
    return m_tally.failed > 0 || m_diffMissing ? 1 : 0;
}

} // namespace tessaly::cli
