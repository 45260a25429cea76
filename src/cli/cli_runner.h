// Runs the files of a command line, several at once, and reports them in the
// order the files were given.
#pragma once

#include "cli/cli_options.h"
#include "cli/report_streams.h"
#include "engine/replace_run.h"

namespace tessaly::cli {

// Expands the PATHs (PathExpansion), runs the files and reports them with the
// printer of the options' format. Returns the exit status: 0 when no file
// failed, 1 when one failed or its diff could not be made, 128 + N when signal N
// stopped the run through `stop` (SIGPIPE when a report stream was closed).
int runFiles(const CliOptions &options, ReportStreams &streams, bool showProgress, StopToken &stop,
             const RunEnvironment &environment = {});

} // namespace tessaly::cli
