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
    QStringList paths;              // files and folders in the order given
    QString extension = QStringLiteral("htm");  // of the files a folder PATH adds; "*" for all
    int jobs = 1;
    bool quiet = false;
    // --diff: each changed file's unified diff on standard output (the per-file
    // lines then go to standard error), with this many lines of context.
    bool diff = false;
    int diffContext = 3;
    enum class Colors { Auto, Always, Never };
    Colors colors = Colors::Auto;  // Auto: when standard output is a terminal
    // --keep-tree: a file found under a folder PATH gets its result below the
    // output folder at its path relative to that folder.
    bool keepTree = false;
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
// and its file fails.
std::variant<CliOptions, UsageError, InfoRequest> parseCommandLine(const QStringList &arguments);

// The program's arguments as parseCommandLine takes them: decoded from the raw
// bytes with decodeFileName, so a name that is not valid UTF-8 keeps telling so
// (QCoreApplication::arguments() turns its bytes into U+FFFD).
QStringList commandLineArguments(int argc, const char *const *argv);

} // namespace tessaly::cli
