// --files-from: PATHs read from a file or standard input, one a line or
// NUL-separated, as another program (find, a job scheduler) lists them.
#pragma once

#include "engine/stop_token.h"

#include <QStringList>

namespace tessaly::cli {

// Adds to `paths` the PATHs of the list `file` ("-" is standard input), split at
// `separator` ('\n' or '\0') and decoded as the command line's names are
// (decodeFileName). Empty entries name nothing and are left out;
// anything else in an entry, a CR before the line feed included, is part of its
// name. The list is taken as it comes, so an endless one costs no memory until
// it names something. A stop through `stop` ends the reading: the names read
// whole by then are kept. Throws TessalyError when the list cannot be read, when
// an entry is longer than the longest path the system takes, or when the names
// do not fit in memory.
void readPathList(const QString &file, char separator, const StopToken &stop, QStringList &paths);

} // namespace tessaly::cli
