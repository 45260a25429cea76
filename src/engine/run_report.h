// What a run tells about its files: one line per file, the counts over the run,
// and the closing texts built from them (the command line's summary, the
// Preview's totals, the window's closing box).
#pragma once

#include "engine/replace_job.h"

#include <QString>

namespace tessaly {

// "1 file", "2 files": a count with the word in its number, for reports and summaries.
QString plural(qint64 n, const char *one, const char *many);
// A number as the window shows it, grouped in the user's locale ("20,000"): the
// Preview, the run report and the boxes all count this way.
QString groupedNumber(qint64 n);
// "1 file", "20,000 files": `plural` with the number grouped.
QString groupedPlural(qint64 n, const char *one, const char *many);

// One line for a report: "SOURCE -> RESULT (N replacements)", "SOURCE: skipped
// (REASON)" or "SOURCE: failed (REASON)"; in a dry run a write that would fail is
// "SOURCE: would fail (REASON)".
QString describeReport(const FileReport &report, const QString &codePageName);

// The counts of a run's reports. Replacements and characters written as "?"
// count for results that were written (or would be, in a dry run) only.
struct RunTally {
    qint64 files = 0;
    qint64 written = 0;
    qint64 skipped = 0;
    qint64 failed = 0;
    qint64 notWritten = 0;  // failed because their results would replace results of this run
    qint64 replacements = 0;
    qint64 lost = 0;
    qint64 invalid = 0;

    void add(const FileReport &report);
};

// The command line's summary: "N files: W written, S skipped, F failed; R
// replacements" and what the code page could not hold. `listed` counts every
// file given, also those a stop left undone; `stopSignal` names the signal that
// stopped the run ("SIGINT"), empty when none did.
QString runSummary(const RunTally &tally, qint64 listed, bool dryRun, const QString &codePageName,
                   const QString &stopSignal);
// The totals line over the rows a report window shows: "N files: W would be
// written, S skipped, F failed; R replacements." (or "written" after a real run),
// led by "Showing N of LISTED files" while a filter hides some of the `listed`.
QString reportTotals(const RunTally &shown, qint64 listed, bool dryRun);
// The window's closing message: "Done." or "Stopped after DONE of LISTED files.",
// then one line for each kind of file that did not end as a result: failed,
// skipped, and not written because its result would have replaced a result of
// the same run.
QString closingMessage(const RunTally &tally, qint64 done, qint64 listed, bool stopped);

} // namespace tessaly
