// The command line of tessaly-cli parsed as written: checked without reading a
// file or looking at a folder, so that parsing is a table of arguments in tests.
#pragma once

#include "cli/cli_options.h"

#include <QStringList>

#include <optional>
#include <variant>

namespace tessaly::cli {

// What the command line says. `options` holds all of it but what files and
// folders tell, which resolveCommandLine adds from the names below.
struct CommandLine {
    CliOptions options;
    std::optional<QString> setFile;       // --sets, as a local path
    QString separator;                    // of the set file's lines
    std::optional<QString> outputFolder;  // --output-dir, as a local path
    std::optional<QString> baseFolder;    // --base, as a local path
    QString baseGiven;                    // --base as given, for its message
    QStringList lists;     // --files-from, in order ("-" is standard input)
    char listSeparator = '\n';  // '\0' with --null
};

// The output folder and the set file are taken as the file system names them
// (see localPath); PATHs stay as given, so that the report names them so. A
// PATH whose name is not valid UTF-8 stays in the list and its file fails.
std::variant<CommandLine, UsageError, InfoRequest> parseCommandLine(const QStringList &arguments);

// The program's arguments as parseCommandLine takes them: decoded from the raw
// bytes with decodeFileName, so a name that is not valid UTF-8 keeps telling so
// (QCoreApplication::arguments() turns its bytes into U+FFFD).
QStringList commandLineArguments(int argc, const char *const *argv);

} // namespace tessaly::cli
