#include "cli/cli_printer.h"

#include "base/tessaly_error.h"
#include "cli/diff_output.h"
#include "cli/signal_stop.h"

#include <unistd.h>

namespace tessaly::cli {

namespace {

void print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

DiffColors diffColors(CliOptions::Colors colors, FILE *out)
{
    const bool ansi = colors == CliOptions::Colors::Always
                      || (colors == CliOptions::Colors::Auto && isatty(fileno(out)));
    return ansi ? DiffColors::Ansi : DiffColors::None;
}

} // namespace

CliPrinter::CliPrinter(const CliOptions &options, FILE *out, FILE *err, bool showProgress, qsizetype listed)
    : m_options(options), m_out(out), m_lines(options.diff ? err : out), m_err(err), m_showProgress(showProgress),
      m_listed(listed), m_colors(diffColors(options.colors, out))
{
}

void CliPrinter::fileDone(const FileOutcome &outcome)
{
    // Every file of the command line has a request, so every file has a report.
    const FileReport &report = *outcome.report;
    m_tally.add(report);
    if (m_showProgress)
        print(m_err, QStringLiteral("\r\033[K"));
    if (!m_options.quiet)
        print(m_lines, describeReport(report, m_options.job.codePage.name()) + u'\n');
    // A file's texts are read again for its diff once its turn has come, so only
    // one file's texts are held at a time.
    if (m_options.diff && outcome.request && report.status == FileReport::Status::Written
        && report.replacements > 0) {
        try {
            const QByteArray diff = fileDiff(report.source, report, *outcome.request, m_options.diffContext, m_colors);
            std::fwrite(diff.constData(), 1, size_t(diff.size()), m_out);
        } catch (const TessalyError &error) {
            print(m_err, QStringLiteral("tessaly-cli: %1\n").arg(error.description()));
            m_diffMissing = true;
        }
    }
    if (m_showProgress) {
        std::fflush(m_out);
        print(m_err, QStringLiteral("[%1/%2] %3").arg(outcome.index).arg(m_listed).arg(report.source));
    }
}

int CliPrinter::finish(const RunEnd &end)
{
    if (m_showProgress)
        print(m_err, QStringLiteral("\r\033[K"));
    const int signal = end.stopReason > 0 ? end.stopReason : 0;
    print(m_err, runSummary(m_tally, end.listed, m_options.job.dryRun, m_options.job.codePage.name(),
                            signal != 0 ? QLatin1String(signalName(signal)) : QString())
                     + u'\n');
    if (signal != 0)
        return 128 + signal;
    return m_tally.failed > 0 || m_diffMissing ? 1 : 0;
}

} // namespace tessaly::cli
