// The text of a unified diff: file headers, hunk headers and lines as GNU diff -u
// prints them, optionally with terminal colours, in UTF-8.
#pragma once

#include "engine/text_diff.h"

#include <QByteArray>

namespace tessaly {

enum class DiffColors { None, Ansi };

// "@@ -a,b +c,d @@", leaving out a count of 1 as GNU diff does.
QString hunkHeader(const DiffHunkPlace &hunk);

// "--- SOURCE", "+++ RESULT" and the hunks, in UTF-8; empty when there are no
// hunks. With DiffColors::Ansi removed lines are red, added lines green and their
// changed parts shown inverse. The lines are written straight from the texts
// compared: no text of the whole diff is made on the way.
QByteArray formatUnifiedDiff(const QList<DiffHunkOf<QStringView>> &hunks, const QString &sourceLabel,
                             const QString &resultLabel, DiffColors colors = DiffColors::None);
// The same for lines of bytes in `codePage`.
QByteArray formatUnifiedDiff(const QList<DiffHunkOf<QByteArrayView>> &hunks, const CodePage &codePage,
                             const QString &sourceLabel, const QString &resultLabel,
                             DiffColors colors = DiffColors::None);

} // namespace tessaly
