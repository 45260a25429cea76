// The text of a unified diff: file headers, hunk headers and lines as GNU diff -u
// prints them, optionally with terminal colours.
#pragma once

#include "engine/text_diff.h"

namespace tessaly {

enum class DiffColors { None, Ansi };

// "@@ -a,b +c,d @@", leaving out a count of 1 as GNU diff does.
QString hunkHeader(const DiffHunk &hunk);

// "--- SOURCE", "+++ RESULT" and the hunks; "" when there are no hunks. With
// DiffColors::Ansi removed lines are red, added lines green and their changed
// parts shown inverse.
QString formatUnifiedDiff(const QList<DiffHunk> &hunks, const QString &sourceLabel, const QString &resultLabel,
                          DiffColors colors = DiffColors::None);

} // namespace tessaly
