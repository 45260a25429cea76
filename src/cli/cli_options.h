// The command line of tessaly-cli, parsed into what one run needs.
#pragma once

#include "engine/replace_job.h"

#include <QStringList>

#include <variant>

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

struct UsageError {
    QString message;
};

// Help and version text go to standard output here and end with exit code 0.
struct InfoRequest {
    QString text;
};

// PATHs, the output folder and the set file are taken as the file system names
// them (see localPath); a PATH whose name is not valid UTF-8 stays in the list
// and its file fails. The lists of --files-from are read here ("-" from standard
// input); one that cannot be read is a usage error.
std::variant<CliOptions, UsageError, InfoRequest> parseCommandLine(const QStringList &arguments);

// The program's arguments as parseCommandLine takes them: decoded from the raw
// bytes with decodeFileName, so a name that is not valid UTF-8 keeps telling so
// (QCoreApplication::arguments() turns its bytes into U+FFFD).
QStringList commandLineArguments(int argc, const char *const *argv);

} // namespace tessaly::cli
