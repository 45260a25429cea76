#include "engine/text_diff.h"

#include "engine/stop_token.h"

#include <dtl/dtl.hpp>

#include <QVarLengthArray>

#include <algorithm>
#include <vector>

namespace tessaly {

namespace {

// A changed stretch of two sequences: [oldStart, oldEnd) became [newStart, newEnd).
struct ChangedRun {
    qsizetype oldStart, oldEnd, newStart, newEnd;
};

char16_t unitAt(QStringView text, qsizetype i)
{
    return text[i].unicode();
}

char16_t unitAt(QByteArrayView text, qsizetype i)
{
    return static_cast<unsigned char>(text[i]);
}

qsizetype indexOfUnit(QStringView text, char16_t unit, qsizetype from)
{
    return text.indexOf(QChar(unit), from);
}

qsizetype indexOfUnit(QByteArrayView text, char16_t unit, qsizetype from)
{
    return text.indexOf(char(unit), from);
}

// Where the line starting at `from` ends (after its line break), or the text's
// size when it has none.
template <class View>
qsizetype lineEnd(View text, qsizetype from, bool loneCrEndsLine)
{
    if (!loneCrEndsLine) {
        const qsizetype lf = indexOfUnit(text, u'\n', from);
        return lf < 0 ? text.size() : lf + 1;
    }
    for (qsizetype i = from; i < text.size(); ++i) {
        if (unitAt(text, i) == u'\n')
            return i + 1;
        if (unitAt(text, i) == u'\r')
            return i + 1 < text.size() && unitAt(text, i + 1) == u'\n' ? i + 2 : i + 1;
    }
    return text.size();
}

template <class View>
std::vector<View> splitLines(View text, bool loneCrEndsLine)
{
    std::vector<View> lines;
    for (qsizetype start = 0; start < text.size();) {
        const qsizetype end = lineEnd(text, start, loneCrEndsLine);
        lines.push_back(text.sliced(start, end - start));
        start = end;
    }
    return lines;
}

// Words (runs of letters and digits) and single other characters, so that a
// changed part is shown as whole words unless only a few letters differ.
std::vector<QStringView> splitTokens(QStringView text)
{
    std::vector<QStringView> tokens;
    tokens.reserve(std::size_t(text.size() / 3));
    for (qsizetype i = 0; i < text.size();) {
        qsizetype end = i + 1;
        if (text[i].isLetterOrNumber())
            while (end < text.size() && text[end].isLetterOrNumber())
                ++end;
        tokens.push_back(text.mid(i, end - i));
        i = end;
    }
    return tokens;
}

// Characters one by one, a surrogate pair kept whole.
std::vector<QStringView> splitCharacters(QStringView text)
{
    std::vector<QStringView> characters;
    characters.reserve(std::size_t(text.size()));
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype size = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        characters.push_back(text.mid(i, size));
        i += size;
    }
    return characters;
}

// Runs of unequal items where item i of a stands against item i of b.
template <class View>
std::vector<ChangedRun> runsInPlace(const std::vector<View> &a, const std::vector<View> &b,
                                    qsizetype from, qsizetype to)
{
    std::vector<ChangedRun> runs;
    for (qsizetype i = from; i < to; ++i) {
        if (a[i] == b[i])
            continue;
        if (!runs.empty() && runs.back().oldEnd == i)
            runs.back().oldEnd = runs.back().newEnd = i + 1;
        else
            runs.push_back({i, i + 1, i, i + 1});
    }
    return runs;
}

// The changed runs between a and b. The common head and tail are skipped first:
// replacements usually leave most lines alone. When as many items remain on both
// sides, item i is taken to have become item i, which is what a replacement without
// line breaks does to lines (and a same-size replacement to words), in linear time;
// only otherwise is the shortest edit script computed, whose cost grows with the
// product of length and number of changes.
template <class View>
std::vector<ChangedRun> changedRuns(const std::vector<View> &a, const std::vector<View> &b)
{
    const qsizetype m = qsizetype(a.size()), n = qsizetype(b.size());
    qsizetype head = 0;
    while (head < m && head < n && a[head] == b[head])
        ++head;
    qsizetype tail = 0;
    while (tail < m - head && tail < n - head && a[m - 1 - tail] == b[n - 1 - tail])
        ++tail;
    if (head + tail == m && head + tail == n)
        return {};
    if (head + tail == m || head + tail == n)
        return {{head, m - tail, head, n - tail}};
    if (m == n)
        return runsInPlace(a, b, head, m - tail);

    dtl::Diff<View> diff(std::vector<View>(a.begin() + head, a.end() - tail),
                         std::vector<View>(b.begin() + head, b.end() - tail));
    diff.compose();
    std::vector<ChangedRun> runs;
    qsizetype i = head, j = head;
    bool inRun = false;
    for (const auto &step : diff.getSes().getSequence()) {
        const dtl::edit_t type = step.second.type;
        if (type == dtl::SES_COMMON) {
            ++i;
            ++j;
            inRun = false;
            continue;
        }
        if (!inRun)
            runs.push_back({i, i, j, j});
        inRun = true;
        if (type == dtl::SES_DELETE)
            runs.back().oldEnd = ++i;
        else
            runs.back().newEnd = ++j;
    }
    return runs;
}

// Where tokens [from, to) of a tokenized text lie in it, as [start, end).
std::pair<qsizetype, qsizetype> span(QStringView text, const std::vector<QStringView> &tokens, qsizetype from,
                                     qsizetype to)
{
    const auto offset = [&](qsizetype t) {
        return t < qsizetype(tokens.size()) ? qsizetype(tokens[t].data() - text.data()) : text.size();
    };
    const qsizetype start = offset(from);
    return {start, to > from ? offset(to - 1) + tokens[to - 1].size() : start};
}

void mark(QList<CharRange> &marks, qsizetype start, qsizetype end)
{
    if (end > start)
        marks.append({start, end - start});
}

// Stretches longer than this are marked whole rather than character by character:
// comparing characters costs the product of the two lengths.
constexpr qsizetype kLongestRefinedStretch = 100;

bool keepsEnough(const std::vector<ChangedRun> &runs, qsizetype sizeA, qsizetype sizeB)
{
    // Equal lengths are what a same-size replacement leaves: character i stands
    // against character i. Otherwise a word replaced by another shares a letter
    // or two by chance, and marking around those reads as noise: the characters
    // are marked one by one only when at least half of the shorter stretch stays.
    if (sizeA == sizeB)
        return true;
    qsizetype kept = sizeA;
    for (const ChangedRun &run : runs)
        kept -= run.oldEnd - run.oldStart;
    return 2 * kept >= std::min(sizeA, sizeB);
}

// At most how many characters the two stretches can have in common, in order or
// not: cheap to count, and enough to tell most replaced words (whose few shared
// letters are no reason to mark letter by letter) without an edit script.
qsizetype sharedCharacters(QStringView a, QStringView b)
{
    QVarLengthArray<char16_t, kLongestRefinedStretch> sa(a.size()), sb(b.size());
    std::copy(a.utf16(), a.utf16() + a.size(), sa.begin());
    std::copy(b.utf16(), b.utf16() + b.size(), sb.begin());
    std::sort(sa.begin(), sa.end());
    std::sort(sb.begin(), sb.end());
    qsizetype shared = 0;
    for (auto i = sa.cbegin(), j = sb.cbegin(); i != sa.cend() && j != sb.cend();) {
        if (*i < *j)
            ++i;
        else if (*j < *i)
            ++j;
        else
            ++shared, ++i, ++j;
    }
    return shared;
}

// Marks the changed characters of the differing stretches a[aFrom, aTo) and
// b[bFrom, bTo): only those, not the unchanged letters between two changes
// ("banana" with every "a" replaced marks three letters, not five).
void markStretches(QStringView a, qsizetype aFrom, qsizetype aTo, QStringView b, qsizetype bFrom, qsizetype bTo,
                   QList<CharRange> &aMarks, QList<CharRange> &bMarks)
{
    const QStringView stretchA = a.sliced(aFrom, aTo - aFrom), stretchB = b.sliced(bFrom, bTo - bFrom);
    if (stretchA.size() <= kLongestRefinedStretch && stretchB.size() <= kLongestRefinedStretch
        && (stretchA.size() == stretchB.size()
            || 2 * sharedCharacters(stretchA, stretchB) >= std::min(stretchA.size(), stretchB.size()))) {
        const auto ca = splitCharacters(stretchA), cb = splitCharacters(stretchB);
        const auto runs = changedRuns(ca, cb);
        if (keepsEnough(runs, qsizetype(ca.size()), qsizetype(cb.size()))) {
            for (const ChangedRun &run : runs) {
                const auto [aStart, aEnd] = span(stretchA, ca, run.oldStart, run.oldEnd);
                const auto [bStart, bEnd] = span(stretchB, cb, run.newStart, run.newEnd);
                mark(aMarks, aFrom + aStart, aFrom + aEnd);
                mark(bMarks, bFrom + bStart, bFrom + bEnd);
            }
            return;
        }
    }
    mark(aMarks, aFrom, aTo);
    mark(bMarks, bFrom, bTo);
}

// Marks where the texts a and b of a removed line and its added partner differ,
// line ends left out.
void markChangedRanges(QStringView a, QStringView b, QList<CharRange> &aMarks, QList<CharRange> &bMarks)
{
    const auto ta = splitTokens(a), tb = splitTokens(b);
    for (const ChangedRun &run : changedRuns(ta, tb)) {
        auto [aStart, aEnd] = span(a, ta, run.oldStart, run.oldEnd);
        auto [bStart, bEnd] = span(b, tb, run.newStart, run.newEnd);
        while (aStart < aEnd && bStart < bEnd && a[aStart] == b[bStart])
            ++aStart, ++bStart;
        while (aStart < aEnd && bStart < bEnd && a[aEnd - 1] == b[bEnd - 1])
            --aEnd, --bEnd;
        markStretches(a, aStart, aEnd, b, bStart, bEnd, aMarks, bMarks);
    }
}

bool stopped(const DiffRules &rules)
{
    return rules.stop && rules.stop->stopRequested();
}

template <class View>
qint8 lineEndSize(View line, bool loneCrEndsLine)
{
    const qsizetype size = line.size();
    if (size == 0)
        return 0;
    const char16_t last = unitAt(line, size - 1);
    if (last == u'\n')
        return size > 1 && unitAt(line, size - 2) == u'\r' ? 2 : 1;
    return loneCrEndsLine && last == u'\r' ? 1 : 0;
}

template <class View>
void appendLines(QList<DiffLineOf<View>> &out, DiffLineKind kind, const std::vector<View> &lines, qsizetype from,
                 qsizetype to, bool loneCrEndsLine)
{
    for (qsizetype i = from; i < to; ++i)
        out.append({kind, lines[i], {}, lineEndSize(lines[i], loneCrEndsLine)});
}

// Marks a removed line and the added line paired with it; toText gives a line's
// characters (decoded, for bytes).
template <class View, class ToText>
void markPair(DiffLineOf<View> &removed, DiffLineOf<View> &added, const ToText &toText)
{
    const View a = removed.text.first(removed.lengthWithoutLineEnd());
    const View b = added.text.first(added.lengthWithoutLineEnd());
    if (a.size() > kLongestMarkedLine || b.size() > kLongestMarkedLine)
        return;
    const auto textA = toText(a), textB = toText(b);
    markChangedRanges(textA, textB, removed.changed, added.changed);
}

template <class View, class ToText>
DiffHunkOf<View> makeHunk(const std::vector<View> &oldLines, const std::vector<View> &newLines,
                          const ChangedRun *first, const ChangedRun *last, qsizetype context, const DiffRules &rules,
                          const ToText &toText)
{
    const bool markChanges = rules.markChanges;
    const bool loneCrEndsLine = rules.loneCrEndsLine;
    // Unchanged lines come in equal numbers on both sides before the first change
    // and after the last one, so one count serves both.
    const qsizetype before = std::min(context, first->oldStart);
    const qsizetype after = std::min(context, qsizetype(oldLines.size()) - last->oldEnd);
    const qsizetype oldStart = first->oldStart - before, newStart = first->newStart - before;

    DiffHunkOf<View> hunk;
    hunk.sourceCount = last->oldEnd + after - oldStart;
    hunk.resultCount = last->newEnd + after - newStart;
    hunk.sourceStart = hunk.sourceCount > 0 ? oldStart + 1 : oldStart;
    hunk.resultStart = hunk.resultCount > 0 ? newStart + 1 : newStart;
    hunk.lines.reserve(hunk.sourceCount + hunk.resultCount);  // at most

    qsizetype i = oldStart;
    for (const ChangedRun *run = first; run <= last; ++run) {
        appendLines(hunk.lines, DiffLineKind::Context, oldLines, i, run->oldStart, loneCrEndsLine);
        const qsizetype removedAt = hunk.lines.size();
        appendLines(hunk.lines, DiffLineKind::Removed, oldLines, run->oldStart, run->oldEnd, loneCrEndsLine);
        const qsizetype addedAt = hunk.lines.size();
        appendLines(hunk.lines, DiffLineKind::Added, newLines, run->newStart, run->newEnd, loneCrEndsLine);
        const qsizetype pairs =
            markChanges ? std::min(run->oldEnd - run->oldStart, run->newEnd - run->newStart) : 0;
        for (qsizetype p = 0; p < pairs && !stopped(rules); ++p)
            markPair(hunk.lines[removedAt + p], hunk.lines[addedAt + p], toText);
        i = run->oldEnd;
    }
    appendLines(hunk.lines, DiffLineKind::Context, oldLines, i, last->oldEnd + after, loneCrEndsLine);
    return hunk;
}

template <class View, class ToText>
QList<DiffHunkOf<View>> diffLines(View source, View result, const DiffRules &rules, const ToText &toText)
{
    const int context = std::max(rules.context, 0);
    const auto oldLines = splitLines(source, rules.loneCrEndsLine);
    const auto newLines = splitLines(result, rules.loneCrEndsLine);
    const auto runs = changedRuns(oldLines, newLines);
    const qsizetype reach = 2 * qsizetype(context);
    QList<DiffHunkOf<View>> hunks;
    for (size_t first = 0; first < runs.size() && !stopped(rules);) {
        size_t last = first;
        while (last + 1 < runs.size() && runs[last + 1].oldStart - runs[last].oldEnd <= reach)
            ++last;
        hunks.append(makeHunk(oldLines, newLines, &runs[first], &runs[last], context, rules, toText));
        first = last + 1;
    }
    return hunks;
}

} // namespace

QList<DiffHunk> diffTexts(const QString &source, const QString &result, int context)
{
    DiffRules rules;
    rules.context = context;
    return diffTexts(source, result, rules);
}

QList<DiffHunk> diffTexts(const QString &source, const QString &result, const DiffRules &rules)
{
    QList<DiffHunk> owned;
    for (DiffHunkOf<QStringView> &hunk : diffTextsInPlace(source, result, rules)) {
        DiffHunk &copy = owned.emplaceBack();
        static_cast<DiffHunkPlace &>(copy) = hunk;
        copy.lines.reserve(hunk.lines.size());
        for (DiffLineOf<QStringView> &line : hunk.lines)
            copy.lines.append({line.kind, line.text.toString(), std::move(line.changed), line.lineEndSize});
    }
    return owned;
}

QList<DiffHunkOf<QStringView>> diffTextsInPlace(QStringView source, QStringView result, const DiffRules &rules)
{
    return diffLines(source, result, rules, [](QStringView line) { return line; });
}

QList<DiffHunkOf<QByteArrayView>> diffBytes(QByteArrayView source, QByteArrayView result, const DiffRules &rules,
                                            const CodePage &codePage)
{
    return diffLines(source, result, rules, [&](QByteArrayView line) { return codePage.decode(line); });
}

} // namespace tessaly
