// --files-from: PATHs read from a file or standard input, one a line or
// NUL-separated, as another program (find, a job scheduler) lists them.
#pragma once

#include <QStringList>

namespace tessaly::cli {

// The PATHs of the list `file` ("-" is standard input), split at `separator`
// ('\n' or '\0') and decoded as the command line's names are (decodeFileName,
// then localPath). Empty entries name nothing and are left out; anything else
// in an entry, a CR before the line feed included, is part of its name.
// Throws TessalyError when the list cannot be read.
QStringList readPathList(const QString &file, char separator);

} // namespace tessaly::cli
