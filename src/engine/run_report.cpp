#include "engine/run_report.h"

#include <QLocale>

namespace tessaly {

QString plural(qint64 n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

QString groupedNumber(qint64 n)
{
    return QLocale().toString(n);
}

QString groupedPlural(qint64 n, const char *one, const char *many)
{
    return groupedNumber(n) + u' ' + QLatin1String(n == 1 ? one : many);
}

namespace {

// The characters not written as they were, each kind after `separator`: those
// the code page lacks (written as "?") and UTF-32 values that are no character.
QString changedCharacters(qint64 lost, qint64 invalid, const QString &codePageName, const char *separator)
{
    QString text;
    if (lost > 0)
        text += QLatin1String(separator)
                + QStringLiteral("%1 not in %2 written as \"?\"").arg(plural(lost, "character", "characters"),
                                                                      codePageName);
    if (invalid > 0)
        text += QLatin1String(separator)
                + QStringLiteral("%1 written as U+FFFD").arg(plural(invalid, "invalid character", "invalid characters"));
    return text;
}

} // namespace

QString describeReport(const FileReport &report, const QString &codePageName)
{
    switch (report.status) {
    case FileReport::Status::Skipped:
        return QStringLiteral("%1: skipped (%2)").arg(report.source, report.description);
    case FileReport::Status::Failed:
        return QStringLiteral("%1: %2 (%3)")
            .arg(report.source, QLatin1String(report.dryRun ? "would fail" : "failed"), report.description);
    case FileReport::Status::Written:
        break;
    }
    QString details = plural(report.replacements, "replacement", "replacements")
                      + changedCharacters(report.lostCharacters, report.invalidCharacters, codePageName, ", ");
    if (report.dryRun)
        details += QStringLiteral(", dry run");
    return QStringLiteral("%1 -> %2 (%3)").arg(report.source, report.resultPath, details);
}

void RunTally::add(const FileReport &report)
{
    ++files;
    switch (report.status) {
    case FileReport::Status::Written:
        ++written;
        replacements += report.replacements;
        lost += report.lostCharacters;
        invalid += report.invalidCharacters;
        break;
    case FileReport::Status::Skipped:
        ++skipped;
        break;
    case FileReport::Status::Failed:
        ++failed;
        if (!report.earlierSource.isEmpty())
            ++notWritten;
        break;
    }
}

QString runSummary(const RunTally &tally, qint64 listed, bool dryRun, const QString &codePageName,
                   const QString &stopSignal)
{
    QString summary = QStringLiteral("%1: %2 %3, %4 skipped, %5 failed; %6")
                          .arg(plural(listed, "file", "files"))
                          .arg(tally.written)
                          .arg(QLatin1String(dryRun ? "would be written" : "written"))
                          .arg(tally.skipped)
                          .arg(tally.failed)
                          .arg(plural(tally.replacements, "replacement", "replacements"))
                      + changedCharacters(tally.lost, tally.invalid, codePageName, "; ");
    if (!stopSignal.isEmpty())
        summary += QStringLiteral("; interrupted by %1, %2 not processed")
                       .arg(stopSignal, plural(listed - tally.files, "file", "files"));
    return summary;
}

QString reportTotals(const RunTally &shown, qint64 listed, bool dryRun)
{
    const QString files = shown.files == listed
        ? groupedPlural(listed, "file", "files")
        : QStringLiteral("Showing %1 of %2").arg(groupedNumber(shown.files), groupedPlural(listed, "file", "files"));
    return QStringLiteral("%1: %2 %3, %4 skipped, %5 failed; %6.")
        .arg(files, groupedNumber(shown.written), QLatin1String(dryRun ? "would be written" : "written"),
             groupedNumber(shown.skipped), groupedNumber(shown.failed),
             groupedPlural(shown.replacements, "replacement", "replacements"));
}

QString closingMessage(const RunTally &tally, qint64 done, qint64 listed, bool stopped)
{
    QString message = stopped ? QStringLiteral("Stopped after %1 of %2 files.").arg(groupedNumber(done),
                                                                                   groupedNumber(listed))
                              : QStringLiteral("Done.");
    // A file whose result would replace another result of the run is said once,
    // on its own line, not also among the failed.
    const qint64 failed = tally.failed - tally.notWritten;
    if (failed > 0)
        message += u'\n' + groupedPlural(failed, "file", "files") + QStringLiteral(" failed.");
    if (tally.skipped > 0)
        message += u'\n' + groupedPlural(tally.skipped, "file was", "files were") + QStringLiteral(" skipped.");
    if (tally.notWritten == 1)
        message += QStringLiteral("\n1 file was not written: its result would replace a result of this run.");
    else if (tally.notWritten > 1)
        message += QStringLiteral("\n%1 files were not written: their results would replace results of this run.")
                       .arg(groupedNumber(tally.notWritten));
    return message;
}

} // namespace tessaly
