// Runs the one-file jobs of a command line, several at once, and reports them in
// the order the files were given.
#pragma once

#include "cli/cli_options.h"
#include "engine/replace_run.h"
#include "engine/run_sources.h"

#include <cstdio>

namespace tessaly::cli {

// The files of a command line's run, and the run's sources among them.
struct ExpandedPaths {
    QList<RunFile> files;
    RunSources sources;
};

// The PATHs with every folder replaced in place by the files the folder scan
// collects from it (collectFolderFiles with the options' extension); files stay
// as given. With --keep-tree a folder's file keeps where its folder lies below
// the folder PATH ("A/B"). Scan failures and every folder the scan skips, with
// the reason, are written to `err`. Each PATH is looked at once, for what is a
// folder and what a source, by up to the options' jobs threads (no more than
// `threadLimit` more when it is not negative); then the files found in folders.
ExpandedPaths expandPaths(const CliOptions &options, FILE *err, int threadLimit = -1);

// Runs the files of the command line and reports them. Returns the exit status:
// 0 when no file failed, 1 when one failed or its diff could not be made,
// 128 + N when signal N stopped the run through `stop` (SIGPIPE when a report
// stream was closed).
int runFiles(const CliOptions &options, FILE *out, FILE *err, bool showProgress, StopToken &stop,
             const RunEnvironment &environment = {});


} // namespace tessaly::cli
