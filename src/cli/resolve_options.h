// The second half of reading a command line: what its files and folders tell
// (the set file's sets, the output and base folders, the lists of PATHs).
#pragma once

#include "cli/command_line.h"
#include "engine/stop_token.h"

#include <variant>

namespace tessaly::cli {

// The options of the run the command line asks for. A set file or list that
// cannot be read, or a folder that is not there, is a usage error. The lists of
// --files-from are read last ("-" from standard input), so that a usage error
// never waits for standard input; a stop through `stop` ends their reading.
std::variant<CliOptions, UsageError> resolveCommandLine(const CommandLine &commandLine, const StopToken &stop);

} // namespace tessaly::cli
