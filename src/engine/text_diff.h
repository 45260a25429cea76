// Line differences between a source's text and its result's text, grouped into
// unified-diff hunks the way GNU diff groups them, with the changed characters of
// each changed line pair for highlighting.
#pragma once

#include "textio/code_page.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

namespace tessaly {

class StopToken;

struct CharRange {
    qsizetype start = 0;
    qsizetype length = 0;
};

struct DiffLine {
    enum class Kind { Context, Removed, Added };
    Kind kind = Kind::Context;
    // The line with its end ("\n", "\r\n" or "\r"); the last line of a text that
    // does not end in a line break has none.
    QString text;
    // Where a removed line and the added line paired with it differ, in text.
    // Empty for context lines and for removed or added lines without a partner.
    QList<CharRange> changed;
    // Whether a lone CR at the end of text ends the line (false when only LF ends lines).
    bool crEndsLine = true;

    bool hasLineEnd() const;
    qsizetype lengthWithoutLineEnd() const;
};

struct DiffHunk {
    // The numbers of the "@@ -a,b +c,d @@" header: the first line and the count,
    // 1-based; an empty side gives the line before it and a count of 0.
    qsizetype sourceStart = 0;
    qsizetype sourceCount = 0;
    qsizetype resultStart = 0;
    qsizetype resultCount = 0;
    QList<DiffLine> lines;
};

// How a diff is made.
struct DiffRules {
    // Unchanged lines around each change; changes closer than twice that share one hunk.
    int context = 3;
    // Lines end at LF, CR LF or a lone CR, as a page is shown. For a diff that
    // patch applies, only LF ends a line, as for GNU diff.
    bool loneCrEndsLine = true;
    // Whether the changed characters of paired lines are marked (for highlighting).
    // Lines longer than kLongestMarkedLine are never marked: their marking would
    // cost memory far beyond the texts themselves.
    bool markChanges = true;
    // Asked between lines and hunks whether to give up: a diff nobody waits for any
    // more (the window moved on to another file) ends early, and what it returns
    // then is incomplete and meant to be dropped.
    const StopToken *stop = nullptr;
};
inline constexpr qsizetype kLongestMarkedLine = 10000;

// The hunks that turn source into result; no hunks when the texts are equal.
QList<DiffHunk> diffTexts(const QString &source, const QString &result, const DiffRules &rules);
// The same for two texts in a single-byte code page, compared as bytes: only the
// lines of the hunks are decoded. The hunks are those of the decoded texts.
QList<DiffHunk> diffBytes(QByteArrayView source, QByteArrayView result, const DiffRules &rules,
                          const CodePage &codePage);
// The same with `context` lines of context, lines ending at LF, CR LF or CR.
QList<DiffHunk> diffTexts(const QString &source, const QString &result, int context = 3);

} // namespace tessaly
