#include "engine/replacement.h"

#include "engine/append_buffer.h"
#include "engine/byte_lanes.h"
#include "engine/byte_search.h"
#include "engine/finder.h"
#include "engine/multi_search.h"
#include "engine/unit_mask.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include <string.h>

namespace tessaly {

namespace {

qsizetype findUnit(QByteArrayView text, char c, qsizetype from)
{
    if (from >= text.size())
        return -1;
    const void *hit = std::memchr(text.data() + from, c, size_t(text.size() - from));
    return hit ? static_cast<const char *>(hit) - text.data() : -1;
}

qsizetype findUnit(QStringView text, char c, qsizetype from)
{
    return text.indexOf(QChar::fromLatin1(c), from);
}

// The last c in text[from, to); -1 for none.
qsizetype findLastUnit(QByteArrayView text, char c, qsizetype from, qsizetype to)
{
    if (to <= from)
        return -1;
    const void *hit = ::memrchr(text.data() + from, c, size_t(to - from));
    return hit ? static_cast<const char *>(hit) - text.data() : -1;
}

qsizetype findLastUnit(QStringView text, char c, qsizetype from, qsizetype to)
{
    if (to <= from)
        return -1;
    const qsizetype at = text.sliced(from, to - from).lastIndexOf(QChar::fromLatin1(c));
    return at < 0 ? -1 : from + at;
}

// First occurrence of marker in any letter case. Letter case is folded for ASCII
// only: the markers the program cuts at are ASCII, and upper-casing any other
// character never yields one of their letters.
qsizetype findAnyCase(QByteArrayView text, QByteArrayView marker, qsizetype from)
{
    return ByteSearch(marker, ByteSearch::Case::AnyAscii).indexIn(text, from);
}

char16_t asciiUpper(char16_t c)
{
    return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c;
}

qsizetype findAnyCase(QStringView text, QStringView marker, qsizetype from)
{
    if (marker.isEmpty())
        return from <= text.size() ? from : -1;
    const char16_t first = asciiUpper(marker[0].unicode());
    const bool firstIsLetter = first >= u'A' && first <= u'Z';
    for (qsizetype i = from; i + marker.size() <= text.size();) {
        if (!firstIsLetter) {
            i = text.indexOf(marker[0], i);
            if (i < 0 || i + marker.size() > text.size())
                return -1;
        }
        qsizetype k = 0;
        while (k < marker.size() && asciiUpper(text[i + k].unicode()) == asciiUpper(marker[k].unicode()))
            ++k;
        if (k == marker.size())
            return i;
        ++i;
    }
    return -1;
}

template <class View>
View marker(const char *ascii);

template <>
QByteArrayView marker<QByteArrayView>(const char *ascii) { return QByteArrayView(ascii); }

template <>
QStringView marker<QStringView>(const char *ascii)
{
    // The markers live as long as the program: built once per spelling.
    if (std::strcmp(ascii, "</body>") == 0) return u"</body>";
    return u"-->";
}

template <class View>
struct Cut {
    View taken;
    bool found;
};

template <class View>
Cut<View> takeUpTo(View &working, View marker, bool includeMarker)
{
    const qsizetype at = findAnyCase(working, marker, 0);
    if (at < 0) {
        const View all = working;
        working = working.sliced(working.size());
        return {all, false};
    }
    const View before = working.first(at);
    working = working.sliced(includeMarker ? at + marker.size() : at);
    return {before, true};
}

// The output of a replacement.
template <class View, class Buffer>
using Sink = AppendBuffer<View, Buffer>;

char16_t unitAt(QByteArrayView text, qsizetype i)
{
    return static_cast<unsigned char>(text[i]);
}

char16_t unitAt(QStringView text, qsizetype i)
{
    return text[i].unicode();
}

bool isSpaceUnit(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// The first a or b from `from` on; -1 for none.
qsizetype findEitherUnit(QByteArrayView text, char a, char b, qsizetype from)
{
    return indexOfEither(text.data(), text.size(), from, a, b);
}

qsizetype findEitherUnit(QStringView text, char a, char b, qsizetype from)
{
    return indexOfEither(text.utf16(), text.size(), from, char16_t(uchar(a)), char16_t(uchar(b)));
}

// How a quoted value after "=" ends. In the body a value runs to its closing
// quote only when that quote comes before the next "<" (the tag rule); before the
// body, where the body start tag is looked for, it runs to its closing quote
// wherever that is, so that no "<body" in a value starts the body.
enum class QuotedValue { EndsBeforeNextTag, RunsToItsQuote };

// The ">" that ends a tag whose inside starts at `from`; -1 for none. The first
// ">" ends it, except that a quoted value after "=" runs to its closing quote
// (as `quoted` says); a quote that no closing quote follows (before a "<" with
// EndsBeforeNextTag) leaves the first ">" after it to end the tag
// (title="x > y"). One walk through the tag from one ">" or "=" to the next, a
// quoted value with a search for its closing quote (or the next "<").
template <class View>
qsizetype tagCloseWith(View text, qsizetype from, QuotedValue quoted)
{
    const qsizetype size = text.size();
    for (qsizetype i = findEitherUnit(text, '>', '=', from); i >= 0; i = findEitherUnit(text, '>', '=', i + 1)) {
        if (unitAt(text, i) == u'>')
            return i;
        qsizetype open = i + 1;
        while (open < size && isSpaceUnit(unitAt(text, open)))
            ++open;
        const char16_t quote = open < size ? unitAt(text, open) : u'\0';
        if (quote != u'"' && quote != u'\'')
            continue;
        const qsizetype closing = quoted == QuotedValue::RunsToItsQuote
                                      ? findUnit(text, char(quote), open + 1)
                                      : findEitherUnit(text, char(quote), '<', open + 1);
        if (closing < 0 || unitAt(text, closing) == u'<')
            return findUnit(text, '>', open + 1);  // no ">" came before: the first after ends it
        i = closing;
    }
    return -1;
}

// The tag rule of the body.
template <class View>
qsizetype tagClose(View text, qsizetype from)
{
    return tagCloseWith(text, from, QuotedValue::EndsBeforeNextTag);
}

struct TagAround {
    bool inside;      // the place lies in or across a tag
    qsizetype close;  // where that tag closes; -1 when no ">" closes it
};

// The tags of text that open from `from` (outside any tag) up to `end`, walked
// as the tag rule walks them: the one that `at` lies in or across.
//
// Most places are decided without the walk, by the last "<" before `end` and the
// ">" that closes it: when that ">" comes before `at`, `at` lies outside. That
// "<" may lie inside an earlier tag; it then closes no earlier than that tag
// does, as the two read the same characters from there on, save an "=" before
// it that only the earlier tag sees. So only a place found inside, or after a
// "<" that nothing closes, is looked at again by walking the tags from `from`.
template <class View>
TagAround tagAround(View text, qsizetype from, qsizetype at, qsizetype end)
{
    const qsizetype last = findLastUnit(text, '<', from, end);
    if (last < 0)
        return {false, -1};
    const qsizetype lastClose = tagClose(text, last + 1);
    if (lastClose >= 0 && lastClose < at)
        return {false, -1};
    const View before = text.first(end);
    for (qsizetype open = findUnit(before, '<', from); open >= 0;) {
        const qsizetype close = tagClose(text, open + 1);
        if (close < 0 || close >= at)
            return {true, close};
        open = findUnit(before, '<', close + 1);
    }
    return {false, -1};
}

template <class View>
struct UnitOf;
template <>
struct UnitOf<QByteArrayView> {
    using type = char;
};
template <>
struct UnitOf<QStringView> {
    using type = char16_t;
};

template <class Buffer>
struct ViewOf;
template <>
struct ViewOf<QByteArray> {
    using type = QByteArrayView;
};
template <>
struct ViewOf<QString> {
    using type = QStringView;
};

const char *unitsOf(QByteArrayView text) { return text.data(); }
const char16_t *unitsOf(QStringView text) { return text.utf16(); }

// A unit searched for all find texts at once costs about as much as this many
// units searched for one find text that is not there. Lists at least this long
// are searched for all their find texts before the passes.
constexpr qsizetype kSearchCost = 16;

} // namespace

template <class Buffer>
struct PreparedSubstitutions<Buffer>::Data {
    using View = typename ViewOf<Buffer>::type;
    using Unit = typename UnitOf<View>::type;

    // A substitution with a find text; one with an empty find text changes nothing.
    struct Set {
        qsizetype index;  // in the substitutions as given
        View find;
        View replace;
        UnitMask findUnits;
        UnitMask replaceUnits;
    };

    Data(QList<Substitution<Buffer>> given, SetSkipping skipping) : substitutions(std::move(given))
    {
        const QList<Substitution<Buffer>> &list = substitutions;  // const: views into it stay valid
        for (qsizetype j = 0; j < list.size(); ++j) {
            const View find(list[j].find);
            const View replace(list[j].replace);
            if (!find.isEmpty())
                sets.push_back({j, find, replace, UnitMask(find), UnitMask(replace)});
            longest = std::max(longest, find.size());
        }
        const qsizetype count = qsizetype(sets.size());
        if (skipping == SetSkipping::Always ? count > 0 : skipping == SetSkipping::Auto && count >= kSearchCost) {
            std::vector<std::basic_string_view<Unit>> needles;
            needles.reserve(sets.size());
            for (const Set &set : sets)
                needles.emplace_back(unitsOf(set.find), size_t(set.find.size()));
            search.emplace(needles);
        }
    }

    QList<Substitution<Buffer>> substitutions;
    std::vector<Set> sets;
    std::optional<MultiSearch<Unit>> search;  // over the find texts of `sets`, in their order
    qsizetype longest = 0;                     // of the find texts
};

template <class Buffer>
PreparedSubstitutions<Buffer>::PreparedSubstitutions(QList<Substitution<Buffer>> substitutions, SetSkipping skipping)
    : m_data(std::make_unique<const Data>(std::move(substitutions), skipping))
{
}

template <class Buffer>
PreparedSubstitutions<Buffer>::PreparedSubstitutions(PreparedSubstitutions &&other) noexcept = default;
template <class Buffer>
PreparedSubstitutions<Buffer> &
PreparedSubstitutions<Buffer>::operator=(PreparedSubstitutions &&other) noexcept = default;
template <class Buffer>
PreparedSubstitutions<Buffer>::~PreparedSubstitutions() = default;

template <class Buffer>
const QList<Substitution<Buffer>> &PreparedSubstitutions<Buffer>::substitutions() const
{
    return m_data->substitutions;
}

template class PreparedSubstitutions<QByteArray>;
template class PreparedSubstitutions<QString>;

namespace {

constexpr qsizetype kNoHit = std::numeric_limits<qsizetype>::max();

template <class View, class Buffer>
class Replacer {
    using Prepared = typename PreparedSubstitutions<Buffer>::Data;
    using Search = MultiSearch<typename UnitOf<View>::type>;
    using Presence = typename Search::Presence;

public:
    Replacer(const Prepared &prepared, QList<qint64> *counts)
        : m_counts(counts), m_search(prepared.search ? &*prepared.search : nullptr), m_longest(prepared.longest)
    {
        if (m_counts)
            m_counts->fill(0, prepared.substitutions.size());
        m_active.reserve(prepared.sets.size());
        for (const auto &set : prepared.sets)
            m_active.push_back({set, Finder<View>(set.find)});
    }

    // Appends text to out with every substitution applied in order, each to the
    // whole output of the ones before it.
    void apply(View text, Sink<View, Buffer> &out)
    {
        if (m_active.size() == 1) {
            Active &s = m_active.front();
            replaceInto(text, s, out, s.finder.indexIn(text, 0), nullptr);
            return;
        }
        Passes passes(*this, text, out);
        for (size_t a = 0; a < m_active.size(); ++a) {
            Active &s = m_active[a];
            qsizetype first;
            if (!passes.mayOccur(a) || (first = s.finder.indexIn(passes.current(), 0)) < 0)
                continue;
            Sink<View, Buffer> &into = passes.output(a);
            m_insertions.clear();
            passes.done(a, into, replaceInto(passes.current(), s, into, first, &m_insertions));
        }
        passes.finish();
    }

    // Appends body with the substitutions applied to each run of text between
    // its tags on its own; the tags are copied unchanged. Each substitution goes
    // through the whole body once: the first that replaces something finds the
    // tags as it goes, and the runs the body's tags leave are kept, in the
    // places later passes find them, for the ones after it.
    void applyBetweenTags(View body, Sink<View, Buffer> &out)
    {
        if (m_active.size() == 1) {
            Active &s = m_active.front();
            replaceOutsideTags(body, s, out, s.finder.indexIn(body, 0), nullptr);
            return;
        }
        Passes passes(*this, body, out);
        bool changed = false;
        bool haveRuns = false;
        for (size_t a = 0; a < m_active.size(); ++a) {
            Active &s = m_active[a];
            qsizetype first;
            if (!passes.mayOccur(a) || (first = s.finder.indexIn(passes.current(), 0)) < 0)
                continue;
            if (changed && !haveRuns) {
                findRuns(body);
                haveRuns = true;
            }
            Sink<View, Buffer> &into = passes.output(a);
            m_insertions.clear();
            const qint64 n = changed ? replaceInRuns(passes.current(), s, into, first, &m_insertions)
                                     : replaceOutsideTags(passes.current(), s, into, first, &m_insertions);
            passes.done(a, into, n);
            if (n > 0 && !changed) {
                changed = true;
                // Where the runs of the body lie after this pass, once a later one needs them.
                m_firstInsertions.swap(m_insertions);
                m_firstDelta = s.set.replace.size() - s.set.find.size();
            }
        }
        passes.finish();
    }

private:
    struct Active {
        const typename Prepared::Set &set;
        Finder<View> finder;
    };

    // A run of text between tags: [start, end) of the text it lies in.
    struct Run {
        qsizetype start;
        qsizetype end;
    };

    // The substitutions applied one after another to one text: each pass reads
    // the text the passes before left and writes into a scratch buffer, or
    // straight into the output when no later substitution can occur.
    class Passes {
    public:
        Passes(Replacer &replacer, View text, Sink<View, Buffer> &out)
            : m_replacer(replacer), m_out(out), m_base(out.size()), m_current(text)
        {
            if (replacer.m_search) {
                m_presence.emplace(*replacer.m_search);
                m_forced.assign(replacer.m_active.size(), 0);
                replacer.m_search->scan(unitsOf(text), text.size(), *m_presence);
            }
        }

        View current() const { return m_current; }

        // Whether substitution a may find something in the current text. Without the
        // search every one may.
        bool mayOccur(size_t a) const
        {
            return !m_presence || m_forced[a] || m_replacer.m_search->mayOccur(*m_presence, qsizetype(a));
        }

        // Where the pass of substitution a writes.
        Sink<View, Buffer> &output(size_t a)
        {
            bool last = true;
            for (size_t j = a + 1; j < m_replacer.m_active.size() && last; ++j)
                last = !mayOccur(j);
            if (last && m_holder != kOut) {
                m_out.truncate(m_base);
                return m_out;
            }
            Sink<View, Buffer> &scratch = m_replacer.m_scratch[m_holder == 0 ? 1 : 0];
            scratch.clear();
            return scratch;
        }

        // The pass of substitution a wrote into `into` and replaced n occurrences,
        // at m_insertions of its output.
        void done(size_t a, Sink<View, Buffer> &into, qint64 n)
        {
            const bool intoOut = &into == &m_out;
            if (n == 0) {
                if (intoOut)
                    m_out.truncate(m_base);
                return;
            }
            m_holder = intoOut ? kOut : &into == &m_replacer.m_scratch[0] ? 0 : 1;
            m_current = intoOut ? m_out.view().sliced(m_base) : into.view();
            if (m_presence)
                noteInsertions(a);
        }

        void finish()
        {
            if (m_holder == kOut)
                return;
            m_out.truncate(m_base);
            m_out.append(m_current);
        }

    private:
        static constexpr int kOut = 2;

        // After a pass, a find text skipped so far can occur only where the pass
        // changed the text: overlapping a replace text it inserted, with which it
        // then shares a unit, or across the place where a deletion joined two
        // pieces. The stretches around those places, as far as the longest find
        // text reaches, are searched for all find texts again; or, when they
        // cover so much of the text that the passes would cost less, the find
        // texts that could have been made get their passes.
        void noteInsertions(size_t a)
        {
            const Active &s = m_replacer.m_active[a];
            std::vector<size_t> &made = m_candidates;
            made.clear();
            for (size_t j = a + 1; j < m_replacer.m_active.size(); ++j) {
                const UnitMask &later = m_replacer.m_active[j].set.findUnits;
                if (!mayOccur(j) && (s.set.replace.isEmpty() || s.set.replaceUnits.meets(later)))
                    made.push_back(j);
            }
            if (made.empty())
                return;
            const qsizetype reach = m_replacer.m_longest - 1;
            const qsizetype size = m_current.size();
            const auto stretches = [&](auto &&visit) {
                qsizetype from = -1;
                qsizetype to = -1;
                for (qsizetype at : m_replacer.m_insertions) {
                    const qsizetype start = std::max<qsizetype>(0, at - reach);
                    const qsizetype end = std::min(size, at + s.set.replace.size() + reach);
                    if (from >= 0 && start <= to) {
                        to = end;
                        continue;
                    }
                    if (from >= 0)
                        visit(from, to);
                    from = start;
                    to = end;
                }
                if (from >= 0)
                    visit(from, to);
            };
            qsizetype covered = 0;
            stretches([&](qsizetype from, qsizetype to) { covered += to - from; });
            if (covered * kSearchCost > size * qsizetype(made.size())) {
                for (size_t j : made)
                    m_forced[j] = 1;
                return;
            }
            stretches([&](qsizetype from, qsizetype to) {
                m_replacer.m_search->scan(unitsOf(m_current) + from, to - from, *m_presence);
            });
        }

        Replacer &m_replacer;
        Sink<View, Buffer> &m_out;
        const qsizetype m_base;  // where the text's output starts in m_out
        View m_current;
        int m_holder = -1;  // what holds m_current: a scratch buffer, m_out (kOut), or the text given (-1)
        std::optional<Presence> m_presence;
        std::vector<std::uint8_t> m_forced;  // per substitution: gets its pass whatever the search found
        std::vector<size_t> m_candidates;
    };

    void count(const Active &s, qint64 n)
    {
        if (m_counts)
            (*m_counts)[s.set.index] += n;
    }

    // One substitution through the whole text, from its first occurrence at
    // `first` (-1 for none). insertions gets the place of each replace text in
    // the output when given.
    qint64 replaceInto(View text, Active &s, Sink<View, Buffer> &out, qsizetype first,
                       std::vector<qsizetype> *insertions)
    {
        const qsizetype base = out.size();
        qsizetype from = 0;
        qint64 n = 0;
        for (qsizetype at = first; at >= 0; at = s.finder.indexIn(text, from)) {
            out.append(text.sliced(from, at - from));
            if (insertions)
                insertions->push_back(out.size() - base);
            out.append(s.set.replace);
            ++n;
            from = at + s.set.find.size();
            if (!insertions)
                from = s.finder.replaceCopying(text, from, s.set.replace, out, &n);
        }
        out.append(text.sliced(from));
        count(s, n);
        return n;
    }

    // One substitution between tags, without visiting every text run: the find
    // text is searched for through the whole body and each occurrence is checked
    // against the tags before its end (tagAround; a quoted value that runs to its
    // closing quote holds no "<"). An occurrence in or across a tag is skipped
    // with the tag. A text run holds no "<", so this finds what searching each
    // run on its own finds.
    qint64 replaceOutsideTags(View body, Active &s, Sink<View, Buffer> &out, qsizetype first,
                              std::vector<qsizetype> *insertions)
    {
        const qsizetype base = out.size();
        qsizetype from = 0;  // everything before it is written, and it lies outside any tag
        qint64 n = 0;
        for (qsizetype at = first; at >= 0; at = s.finder.indexIn(body, from)) {
            const qsizetype end = at + s.set.find.size();
            const TagAround tag = tagAround(body, from, at, end);
            if (tag.inside && tag.close < 0)
                break;  // a "<" that no ">" follows: the remainder is copied as it stands
            if (!tag.inside) {
                out.append(body.sliced(from, at - from));
                if (insertions)
                    insertions->push_back(out.size() - base);
                out.append(s.set.replace);
                ++n;
                from = end;
            } else {
                out.append(body.sliced(from, tag.close + 1 - from));
                from = tag.close + 1;
            }
            if (!insertions)
                from = s.finder.replaceCopying(body, from, s.set.replace, out, &n, &tagClose<QByteArrayView>);
        }
        out.append(body.sliced(from));
        count(s, n);
        return n;
    }

    // The runs of text between the tags of the body as given (the same walk as
    // the tag rule's), moved to where they lie after the first pass that
    // replaced: by the size change of each of its occurrences before them.
    void findRuns(View body)
    {
        m_runs.clear();
        size_t passed = 0;  // occurrences of the first pass that start before the place asked for
        const auto moved = [&](qsizetype at) {
            // The i-th occurrence started in the body where its replace text
            // starts in the pass's output, less the size change of the i before it.
            while (passed < m_firstInsertions.size()
                   && m_firstInsertions[passed] - qsizetype(passed) * m_firstDelta < at)
                ++passed;
            return at + qsizetype(passed) * m_firstDelta;
        };
        const auto addRun = [&](qsizetype start, qsizetype end) {
            const qsizetype movedStart = moved(start);
            m_runs.push_back({movedStart, moved(end)});
        };
        for (qsizetype pos = 0; pos < body.size();) {
            const qsizetype open = findUnit(body, '<', pos);
            if (open < 0) {
                addRun(pos, body.size());
                break;
            }
            if (open > pos)
                addRun(pos, open);
            const qsizetype close = tagClose(body, open + 1);
            if (close < 0)
                break;  // a "<" that no ">" follows: the remainder is copied as it stands
            pos = close + 1;
        }
    }

    // One substitution in each run of m_runs on its own, through the whole text
    // at once; the runs are moved to where they lie in the output.
    qint64 replaceInRuns(View text, Active &s, Sink<View, Buffer> &out, qsizetype first,
                         std::vector<qsizetype> *insertions)
    {
        const qsizetype base = out.size();
        const qsizetype delta = s.set.replace.size() - s.set.find.size();
        qsizetype from = 0;
        qsizetype shift = 0;
        qint64 n = 0;
        // The next occurrence at or after the place last searched from.
        qsizetype hit = first < 0 ? kNoHit : first;
        for (Run &run : m_runs) {
            const qsizetype start = run.start;
            const qsizetype end = run.end;
            run.start = start + shift;
            if (hit < start) {
                // It lay in or across a tag, or across the end of the run before.
                hit = s.finder.indexIn(text, start);
                hit = hit < 0 ? kNoHit : hit;
            }
            // A later occurrence than one that crosses the end crosses it too.
            while (hit <= end - s.set.find.size()) {
                out.append(text.sliced(from, hit - from));
                insertions->push_back(out.size() - base);
                out.append(s.set.replace);
                ++n;
                from = hit + s.set.find.size();
                shift += delta;
                hit = s.finder.indexIn(text, from);
                hit = hit < 0 ? kNoHit : hit;
            }
            run.end = end + shift;
            if (hit == kNoHit && shift == 0)
                break;
        }
        out.append(text.sliced(from));
        count(s, n);
        return n;
    }

    QList<qint64> *m_counts;
    std::vector<Active> m_active;
    Sink<View, Buffer> m_scratch[2];
    const Search *m_search;  // none: every substitution gets its pass
    qsizetype m_longest;     // of the find texts
    std::vector<qsizetype> m_insertions;  // where the last pass put its replace texts, in its output
    // Viewable text: the runs between the body's tags, and the first pass that replaced.
    std::vector<Run> m_runs;
    std::vector<qsizetype> m_firstInsertions;
    qsizetype m_firstDelta = 0;
};

// Whether text holds the ASCII marker at `at`, its letters in any case.
template <class View>
bool holdsAt(View text, qsizetype at, const char *marker)
{
    for (qsizetype k = 0; marker[k] != '\0'; ++k) {
        if (at + k >= text.size() || asciiUpper(unitAt(text, at + k)) != asciiUpper(char16_t(marker[k])))
            return false;
    }
    return true;
}

// Where the body start tag opens: the first "<body" (in any letter case)
// followed by white space, "/" or ">" that lies in no comment and in no tag
// before it; -1 for none. A "<body" in a comment, in a quoted value or as the
// start of a longer name (<bodyguard>) is no body start tag. A "<" that no
// letter, "/", "!" or "?" follows opens nothing (a < b).
template <class View>
qsizetype bodyStart(View text)
{
    const qsizetype nameEnd = 5;  // after "<body"
    for (qsizetype open = findUnit(text, '<', 0); open >= 0;) {
        const char16_t next = asciiUpper(open + 1 < text.size() ? unitAt(text, open + 1) : u'\0');
        qsizetype end;
        if ((next < u'A' || next > u'Z') && next != u'/' && next != u'!' && next != u'?') {
            end = open;
        } else if (holdsAt(text, open, "<!--")) {
            // "<!-->" and "<!--->" end where they start.
            const qsizetype dashes = findAnyCase(text, marker<View>("-->"), open + 2);
            end = dashes < 0 ? -1 : dashes + 2;
        } else {
            const char16_t after = open + nameEnd < text.size() ? unitAt(text, open + nameEnd) : u'\0';
            if (holdsAt(text, open, "<body") && (isSpaceUnit(after) || after == u'/' || after == u'>'))
                return open;
            end = tagCloseWith(text, open + 1, QuotedValue::RunsToItsQuote);
        }
        open = end < 0 ? -1 : findUnit(text, '<', end + 1);
    }
    return -1;
}

// The body of an HTML text: everything up to the end of the body start tag and
// from "</body>" on stays as it is; between them only the runs of text outside
// tags are replaced, each once, and the tags are copied unchanged. Without a
// body start tag nothing is replaced.
template <class View, class Buffer>
void replaceViewable(View s, Replacer<View, Buffer> &replacer, Sink<View, Buffer> &out)
{
    const qsizetype start = bodyStart(s);
    if (start < 0) {
        out.append(s);
        return;
    }
    const qsizetype startTagEnd = tagClose(s, start + 1);
    const qsizetype bodyFrom = startTagEnd < 0 ? s.size() : startTagEnd + 1;
    out.append(s.first(bodyFrom));
    s = s.sliced(bodyFrom);
    replacer.applyBetweenTags(takeUpTo(s, marker<View>("</body>"), false).taken, out);
    out.append(s);
}

template <class View, class Buffer>
Buffer replaceAny(View text, const PreparedSubstitutions<Buffer> &substitutions, ReplaceMode mode,
                  QList<qint64> *replacements, Buffer recycled = {})
{
    Sink<View, Buffer> out(text.size() + text.size() / 16 + 64, std::move(recycled));
    Replacer<View, Buffer> replacer(substitutions.data(), replacements);
    if (mode == ReplaceMode::WholeFile)
        replacer.apply(text, out);
    else
        replaceViewable(text, replacer, out);
    return out.take();
}

} // namespace

QString TakeUpTo(QString &working, QStringView marker, bool includeMarker)
{
    QStringView view(working);
    const Cut<QStringView> cut = takeUpTo(view, marker, includeMarker);
    QString taken = cut.taken.toString();
    if (cut.found && includeMarker)
        taken.append(marker);
    working = view.toString();
    return taken;
}

QByteArray replaceText(QByteArrayView text, const PreparedSubstitutions<QByteArray> &substitutions, ReplaceMode mode,
                       QList<qint64> *replacements, QByteArray recycled)
{
    return replaceAny<QByteArrayView, QByteArray>(text, substitutions, mode, replacements, std::move(recycled));
}

QString replaceText(QStringView text, const PreparedSubstitutions<QString> &substitutions, ReplaceMode mode,
                    QList<qint64> *replacements)
{
    return replaceAny<QStringView, QString>(text, substitutions, mode, replacements);
}

QByteArray replaceText(QByteArrayView text, const QList<Substitution<QByteArray>> &substitutions, ReplaceMode mode,
                       QList<qint64> *replacements, SetSkipping skipping)
{
    return replaceText(text, PreparedSubstitutions<QByteArray>(substitutions, skipping), mode, replacements);
}

QString replaceText(QStringView text, const QList<Substitution<QString>> &substitutions, ReplaceMode mode,
                    QList<qint64> *replacements, SetSkipping skipping)
{
    return replaceText(text, PreparedSubstitutions<QString>(substitutions, skipping), mode, replacements);
}

} // namespace tessaly
