// Set files: one find/replace set per line, find text, separator, replace text.
#pragma once

#include "engine/find_replace_set.h"
#include "textio/code_page.h"

#include <optional>

namespace tessaly {

// The set a line holds: the pieces before the first and between the first and the
// second separator, untrimmed. nullopt for an empty line or one without the separator.
std::optional<FindReplaceSet> splitSetLine(const QString &line, const QString &separator);
// Every set of the file, in line order (read like Load Sets). Throws TessalyError.
QList<FindReplaceSet> readSetFile(const QString &path, const QString &separator, const CodePage &codePage);

// The bytes of a saved set file: find "::" replace CR LF per set, in the code page.
// Characters the page cannot hold become "?" and are counted in *lost.
QByteArray formatSetFile(const QStringList &findList, const QStringList &replaceList, const CodePage &codePage,
                         qint64 *lost);

} // namespace tessaly
