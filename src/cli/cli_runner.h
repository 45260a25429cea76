// Runs the one-file jobs of a command line, several at once, and reports them in
// the order the files were given.
#pragma once

#include "cli/cli_options.h"

#include <cstdio>

namespace tessaly::cli {

// A file of a run, and where its folder lies below the folder PATH it was found
// in ("A/B"; "" for that folder itself and for a file PATH).
struct RunFile {
    QString path;
    QString subFolder;
};

// The PATHs with every folder replaced in place by the files the folder scan
// collects from it (collectFolderFiles with the options' extension); files stay
// as given. Scan failures and every folder the scan skips, with the reason, are
// written to `err`.
QList<RunFile> expandPaths(const CliOptions &options, FILE *err);

// Returns the exit status: 0 when no file failed, 1 when one failed or its diff
// could not be made, 128 + N when signal N stopped the run.
int runFiles(const CliOptions &options, FILE *out, FILE *err, bool showProgress);


} // namespace tessaly::cli
