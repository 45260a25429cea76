// What one run of tessaly-cli needs, resolved from its command line, and the
// two other ends a command line can have: a usage error, or help to print.
#pragma once

#include "engine/replace_job.h"

#include <QStringList>

namespace tessaly::cli {

struct CliOptions {
    QList<FindReplaceSet> sets;     // one pair for --find, the file's sets for --sets
    bool usesSetFile = false;
    JobOptions job;
    QStringList paths;              // files and folders in the order given, then those of --files-from
    QString extension = QStringLiteral("htm");  // of the files a folder PATH adds; "*" for all
    int jobs = 1;
    bool quiet = false;
    // --diff: each changed file's unified diff on standard output (the per-file
    // lines then go to standard error), with this many lines of context.
    bool diff = false;
    int diffContext = 3;
    enum class Colors { Auto, Always, Never };
    // Auto: when standard output is a terminal, NO_COLOR is not set and TERM is
    // not "dumb".
    Colors colors = Colors::Auto;
    // --keep-tree: a file found under a folder PATH gets its result below the
    // output folder at its path relative to that folder; with --base, a file PATH
    // under that folder (absolute, without closing separator) at its path
    // relative to it, and a file PATH elsewhere fails.
    bool keepTree = false;
    QString base;
    // --json: the report as JSON Lines on standard output.
    bool json = false;
};

// Printed as "tessaly-cli: MESSAGE" and a hint to --help; the exit status is 2.
struct UsageError {
    QString message;
};

// Help and version text go to standard output here and end with exit code 0.
struct InfoRequest {
    QString text;
};

} // namespace tessaly::cli
