// What a file's job did: one report per file, shared by the window's details, the
// Preview and the command line's printers.
#pragma once

#include "engine/job_step.h"
#include "textio/text_encoding.h"

#include <QString>

namespace tessaly {

struct FileReport {
    enum class Status { Written, Skipped, Failed };
    Status status = Status::Written;
    QString source;
    QString resultPath;
    SourceFormat format;
    qint64 replacements = 0;
    qint64 lostCharacters = 0;  // replace-text characters the code page could not hold
    qint64 invalidCharacters = 0;  // UTF-32 values that are no character, written as U+FFFD
    bool dryRun = false;        // the result was composed but not written (or would fail to be)
    JobStep failedStep = JobStep::None;  // for Failed: the step that failed
    QString description;        // for Skipped and Failed: why
    QString earlierSource;      // for Failed: the file of the run whose result this one would replace
};

} // namespace tessaly
