// --json: a run's report as JSON Lines, one object per file and a closing
// summary, for scripts and for merging the reports of a run split into parts.
#pragma once

#include "engine/replace_job.h"
#include "engine/run_report.h"

#include <QString>

#include <string>

namespace tessaly::cli {

// One line (LF at its end) in UTF-8, whatever the locale: {"type":"file",
// "source", "result", "outcome", "reason", "replacements", "encoding_read",
// "encoding_written", "written_as_question_mark", "invalid_characters"}. A name
// that is not valid UTF-8 is shown with U+FFFD for each lone surrogate, and its
// exact bytes follow in base64 ("source_bytes", "result_bytes").
std::string jsonFileLine(const FileReport &report, const QString &codePageName);

// The summary line: {"type":"summary", "files", "written", "skipped", "failed",
// "replacements", "written_as_question_mark", "invalid_characters",
// "not_processed", "dry_run", "code_page", "interrupted_by"}.
std::string jsonSummaryLine(const RunTally &tally, qint64 listed, bool dryRun, const QString &codePageName,
                            const QString &stopSignal);

} // namespace tessaly::cli
