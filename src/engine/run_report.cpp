#include "engine/run_report.h"

#include <QLocale>

namespace tessaly {

QString plural(qint64 n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
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

QString previewTotals(const RunTally &tally)
{
    const QLocale locale;
    const auto count = [&locale](qint64 n, const char *one, const char *many) {
        return locale.toString(n) + u' ' + QLatin1String(n == 1 ? one : many);
    };
    return QStringLiteral("%1: %2 would be written, %3 skipped, %4 failed; %5.")
        .arg(count(tally.files, "file", "files"), locale.toString(tally.written), locale.toString(tally.skipped),
             locale.toString(tally.failed), count(tally.replacements, "replacement", "replacements"));
}

QString closingMessage(const RunTally &tally, qint64 done, qint64 listed, bool stopped)
{
    QString message = stopped ? QStringLiteral("Stopped after %1 of %2 files.").arg(done).arg(listed)
                              : QStringLiteral("Done.");
    if (tally.notWritten == 1)
        message += QStringLiteral("\n1 file was not written: its result would replace a result of this run.");
    else if (tally.notWritten > 1)
        message += QStringLiteral("\n%1 files were not written: their results would replace results of this run.")
                       .arg(tally.notWritten);
    return message;
}

} // namespace tessaly
