#include "cli/diff_printer.h"

#include "cli/diff_output.h"
#include "cli/terminal_text.h"

#include <cstdlib>
#include <new>

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

DiffPrinter::DiffPrinter(const CliOptions &options, const PrintTarget &target)
    : LinePrinter(options, target, target.streams.err()), m_colors(diffColors(options.colors, target.streams.out()))
{
}

// After a stop the diffs are left out, so that the program ends promptly.
bool DiffPrinter::wantsDiff(const FileOutcome &outcome) const
{
    const FileReport &report = *outcome.report;
    return outcome.request && report.status == FileReport::Status::Written && report.replacements > 0
           && !stop().stopRequested();
}

void DiffPrinter::fileWorked(const FileOutcome &outcome, const FileContents &contents)
{
    if (!wantsDiff(outcome))
        return;
    MadeDiff made;
    try {
        made.diff = fileDiff(contents, *outcome.report, outcome.request->options.codePage, options().diffContext,
                             m_colors);
    } catch (const std::bad_alloc &) {
        // Like any limit, the memory a diff needs fails that file alone.
        made.noMemory = true;
    }
    const std::lock_guard lock(m_diffsMutex);
    m_diffs[outcome.index] = std::move(made);
}

std::optional<DiffPrinter::MadeDiff> DiffPrinter::takeDiff(int index)
{
    const std::lock_guard lock(m_diffsMutex);
    const auto found = m_diffs.find(index);
    if (found == m_diffs.end())
        return std::nullopt;
    MadeDiff made = std::move(found->second);
    m_diffs.erase(found);
    return made;
}

void DiffPrinter::fileDone(const FileOutcome &outcome)
{
    FileReport report = *outcome.report;
    std::optional<MadeDiff> made = takeDiff(outcome.index);
    // A diff made before a stop that came since is left out too.
    if (!made || stop().stopRequested()) {
        printFile(outcome.index, report);
        return;
    }
    if (made->noMemory) {
        diffMissing();
        if (report.dryRun) {
            report.status = FileReport::Status::Failed;
            report.dryRun = false;
            report.description = QStringLiteral("not enough memory");
        } else {
            streams().print(streams().err(), QStringLiteral("tessaly-cli: %1: not enough memory for its diff\n")
                                                 .arg(escapeControls(report.source)));
        }
    }
    printFile(outcome.index, report, made->diff);
}

} // namespace tessaly::cli
