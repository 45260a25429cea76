// Reading a set file as lines, in the file's own encoding class.
#pragma once

#include "textio/code_page.h"

#include <QStringList>

namespace tessaly {

// At least one line; none holds its terminator. CR LF, a lone LF and a lone CR end
// a line; a line end at the very end of the file adds no empty line. Throws TessalyError.
QStringList ReadTextLines(const QString &path, const CodePage &codePage);
QStringList splitTextLines(const QString &text);

} // namespace tessaly
