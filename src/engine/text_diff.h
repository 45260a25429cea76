// Line differences between a source's text and its result's text, grouped into
// unified-diff hunks the way GNU diff groups them, with the changed characters of
// each changed line pair for highlighting.
#pragma once

#include "textio/code_page.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

namespace tessaly {

class StopToken;

struct CharRange {
    qsizetype start = 0;
    qsizetype length = 0;
};

enum class DiffLineKind { Context, Removed, Added };

// A line of a hunk. Text is the line's own QString, or a view of it in the texts
// compared (QStringView, or QByteArrayView for a code page's bytes).
template <class Text>
struct DiffLineOf {
    using Kind = DiffLineKind;
    Kind kind = Kind::Context;
    // The line with its end ("\n", "\r\n" or "\r"); the last line of a text that
    // does not end in a line break has none.
    Text text;
    // Where a removed line and the added line paired with it differ, in text.
    // Empty for context lines and for removed or added lines without a partner.
    QList<CharRange> changed;
    // The size of the line's end in text: 0 without one, 2 for CR LF. Found once,
    // when the line is made: a lone CR ends a line only under some rules.
    qint8 lineEndSize = 0;

    bool hasLineEnd() const { return lineEndSize > 0; }
    qsizetype lengthWithoutLineEnd() const { return text.size() - lineEndSize; }
};
using DiffLine = DiffLineOf<QString>;

// The numbers of a hunk's "@@ -a,b +c,d @@" header: the first line and the count,
// 1-based; an empty side gives the line before it and a count of 0.
struct DiffHunkPlace {
    qsizetype sourceStart = 0;
    qsizetype sourceCount = 0;
    qsizetype resultStart = 0;
    qsizetype resultCount = 0;
};

template <class Text>
struct DiffHunkOf : DiffHunkPlace {
    QList<DiffLineOf<Text>> lines;
};
using DiffHunk = DiffHunkOf<QString>;

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
// The same with `context` lines of context, lines ending at LF, CR LF or CR.
QList<DiffHunk> diffTexts(const QString &source, const QString &result, int context = 3);
// The same with the lines left where they are: views of source and result, which
// must outlive the hunks. Nothing is copied but the marks.
QList<DiffHunkOf<QStringView>> diffTextsInPlace(QStringView source, QStringView result, const DiffRules &rules);
// The same for two texts in a single-byte code page, compared as bytes; the lines
// are views of the bytes. The hunks and marks are those of the decoded texts (a
// byte is a character, so the marks' places are the same): only marked lines are
// decoded, to find their changed characters.
QList<DiffHunkOf<QByteArrayView>> diffBytes(QByteArrayView source, QByteArrayView result, const DiffRules &rules,
                                            const CodePage &codePage);

} // namespace tessaly
