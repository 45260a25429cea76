#include "engine/replacement.h"

#include "engine/byte_search.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

#include <string.h>

namespace tessaly {

namespace {

// One find text searched for again and again in the same kind of text: bytes
// through ByteSearch, UTF-16 through Qt's own search.
template <class View>
class Finder;

template <>
class Finder<QByteArrayView> {
public:
    explicit Finder(QByteArrayView needle) : m_search(needle) {}
    qsizetype indexIn(QByteArrayView text, qsizetype from) { return m_search.indexIn(text, from); }

private:
    ByteSearch m_search;
};

template <>
class Finder<QStringView> {
public:
    explicit Finder(QStringView needle) : m_needle(needle) {}
    qsizetype indexIn(QStringView text, qsizetype from) const { return text.indexOf(m_needle, from); }

private:
    QStringView m_needle;
};

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
    if (std::strcmp(ascii, "<body") == 0) return u"<body";
    if (std::strcmp(ascii, "</body>") == 0) return u"</body>";
    if (std::strcmp(ascii, ">") == 0) return u">";
    return u"<";
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

// The output of a replacement: appends are plain copies into a buffer that grows
// geometrically, with no per-append bookkeeping of the string class.
template <class View, class Buffer>
class Sink {
public:
    using Unit = std::remove_cv_t<std::remove_pointer_t<decltype(std::declval<View>().data())>>;

    explicit Sink(qsizetype estimate = 0) { m_buffer.resize(estimate); }

    void append(View text)
    {
        const qsizetype n = text.size();
        if (m_used + n > m_buffer.size())
            m_buffer.resize(std::max(m_used + n, m_buffer.size() * 2 + 64));
        std::memcpy(reinterpret_cast<Unit *>(m_buffer.data()) + m_used, text.data(), size_t(n) * sizeof(Unit));
        m_used += n;
    }
    void clear() { m_used = 0; }
    View view() const { return View(reinterpret_cast<const Unit *>(m_buffer.constData()), m_used); }
    Buffer take()
    {
        m_buffer.resize(m_used);
        return std::move(m_buffer);
    }

private:
    Buffer m_buffer;
    qsizetype m_used = 0;
};

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

// The ">" that ends a tag whose inside starts at `from`; -1 for none. The first
// ">" ends it, except that a quoted value after "=" runs to its closing quote
// when that quote comes before the next "<" (title="x > y"); a quote that no
// closing quote follows before a "<" leaves the first ">" to end the tag.
template <class View>
qsizetype tagClose(View text, qsizetype from)
{
    for (qsizetype pos = from;;) {
        const qsizetype close = findUnit(text, '>', pos);
        if (close < 0)
            return -1;
        const qsizetype equals = findUnit(text.first(close), '=', pos);
        if (equals < 0)
            return close;
        qsizetype open = equals + 1;
        while (open < close && isSpaceUnit(unitAt(text, open)))
            ++open;
        const char16_t quote = open < close ? unitAt(text, open) : u'\0';
        if (quote != u'"' && quote != u'\'') {
            pos = equals + 1;
            continue;
        }
        const qsizetype nextTag = findUnit(text, '<', open + 1);
        const View value = nextTag < 0 ? text : text.first(nextTag);
        const qsizetype closingQuote = findUnit(value, char(quote), open + 1);
        if (closingQuote < 0)
            return close;
        pos = closingQuote + 1;
    }
}

template <class View, class Buffer>
class Replacer {
public:
    Replacer(const QList<Substitution<Buffer>> &substitutions, QList<qint64> *counts) : m_counts(counts)
    {
        if (m_counts)
            m_counts->fill(0, substitutions.size());
        // A substitution with an empty find text changes nothing.
        for (qsizetype j = 0; j < substitutions.size(); ++j) {
            const Substitution<Buffer> &s = substitutions[j];
            if (!s.find.isEmpty())
                m_active.push_back({j, Finder<View>(View(s.find)), s.find.size(), View(s.replace)});
        }
    }

    // Appends text to out with every substitution applied in order.
    void apply(View text, Sink<View, Buffer> &out)
    {
        if (m_active.empty()) {
            out.append(text);
            return;
        }
        View current = text;
        Sink<View, Buffer> *into = &m_scratch[0];
        for (size_t a = 0; a + 1 < m_active.size(); ++a) {
            into->clear();
            replaceInto(current, m_active[a], *into);
            current = into->view();
            into = into == &m_scratch[0] ? &m_scratch[1] : &m_scratch[0];
        }
        replaceInto(current, m_active.back(), out);
    }

    // Appends body with the substitutions applied to each run of text between
    // its tags on its own; the tags are copied unchanged.
    void applyBetweenTags(View body, Sink<View, Buffer> &out)
    {
        if (m_active.size() == 1) {
            replaceOutsideTags(body, m_active.front(), out);
            return;
        }
        while (!body.isEmpty()) {
            const qsizetype p = findUnit(body, '<', 0);
            if (p > 0) {
                apply(body.first(p), out);
                body = body.sliced(p);
            } else if (p < 0) {
                apply(body, out);
                body = body.sliced(body.size());
            }
            const qsizetype q = tagClose(body, 1);
            if (q >= 0) {
                out.append(body.first(q + 1));
                body = body.sliced(q + 1);
            } else if (!body.isEmpty()) {
                // A "<" that no ">" follows: the remainder is copied as it stands.
                out.append(body);
                break;
            }
        }
    }

private:
    struct Active {
        qsizetype index;  // in the substitutions as given
        Finder<View> finder;
        qsizetype findSize;
        View replace;
    };

    void count(const Active &s, qint64 n)
    {
        if (m_counts)
            (*m_counts)[s.index] += n;
    }

    void replaceInto(View text, Active &s, Sink<View, Buffer> &out)
    {
        qsizetype from = 0;
        qint64 n = 0;
        for (qsizetype at; (at = s.finder.indexIn(text, from)) >= 0; from = at + s.findSize) {
            out.append(text.sliced(from, at - from));
            out.append(s.replace);
            ++n;
        }
        out.append(text.sliced(from));
        count(s, n);
    }

    // One substitution between tags, without visiting every text run: the find
    // text is searched for through the whole body and each occurrence is checked
    // against the tags before its end. The last "<" there opens a tag or lies in
    // one, and that tag closes where tagClose says (a quoted value that runs to
    // its closing quote holds no "<"); an occurrence that starts before that ">"
    // lies in or across a tag and is skipped with the tag. A text run holds no
    // "<", so this finds what searching each run on its own finds.
    void replaceOutsideTags(View body, Active &s, Sink<View, Buffer> &out)
    {
        qsizetype from = 0;  // everything before it is written, and it lies outside any tag
        qint64 n = 0;
        for (qsizetype at; (at = s.finder.indexIn(body, from)) >= 0;) {
            const qsizetype end = at + s.findSize;
            const qsizetype open = findLastUnit(body, '<', from, end);
            const qsizetype close = open < 0 ? -1 : tagClose(body, open + 1);
            if (open >= 0 && close < 0)
                break;  // a "<" that no ">" follows: the remainder is copied as it stands
            if (close < at) {
                out.append(body.sliced(from, at - from));
                out.append(s.replace);
                ++n;
                from = end;
            } else {
                out.append(body.sliced(from, close + 1 - from));
                from = close + 1;
            }
        }
        out.append(body.sliced(from));
        count(s, n);
    }

    QList<qint64> *m_counts;
    std::vector<Active> m_active;
    Sink<View, Buffer> m_scratch[2];
};

// The size of the body without the spaces after its last tag, which are dropped
// (as is a body of nothing but spaces). Spaces after text, or after a ">" that is
// text rather than the end of a tag, are kept.
template <class View>
qsizetype withoutTrailingSpaces(View body)
{
    qsizetype kept = body.size();
    while (kept > 0 && unitAt(body, kept - 1) == u' ')
        --kept;
    if (kept == body.size() || kept == 0)
        return kept;
    if (unitAt(body, kept - 1) != u'>')
        return body.size();
    // That ">" ends a tag when it is the end of the tag the last "<" before it opens.
    const qsizetype open = findLastUnit(body, '<', 0, kept - 1);
    const bool endsTag = open >= 0 && tagClose(body, open + 1) == kept - 1;
    return endsTag ? kept : body.size();
}

// The body of an HTML text: everything up to the body start tag and from
// "</body>" on stays as it is; between them only the runs of text outside tags
// are replaced, each once, and the tags are copied unchanged.
template <class View, class Buffer>
void replaceViewable(View s, Replacer<View, Buffer> &replacer, Sink<View, Buffer> &out)
{
    const View bodyMarker = marker<View>("<body");
    const Cut<View> head = takeUpTo(s, bodyMarker, true);
    out.append(head.taken);
    if (head.found)
        out.append(bodyMarker);  // the marker as the program spells it, lower case
    const qsizetype startTagEnd = head.found ? tagClose(s, 0) : -1;
    const qsizetype startTagSize = startTagEnd < 0 ? s.size() : startTagEnd + 1;
    out.append(s.first(startTagSize));
    s = s.sliced(startTagSize);
    const View body = takeUpTo(s, marker<View>("</body>"), false).taken;
    replacer.applyBetweenTags(body.first(withoutTrailingSpaces(body)), out);
    out.append(s);
}

template <class View, class Buffer>
Buffer replaceAny(View text, const QList<Substitution<Buffer>> &substitutions, ReplaceMode mode,
                  QList<qint64> *replacements)
{
    Sink<View, Buffer> out(text.size() + text.size() / 16 + 64);
    Replacer<View, Buffer> replacer(substitutions, replacements);
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

QByteArray replaceText(QByteArrayView text, const QList<Substitution<QByteArray>> &substitutions, ReplaceMode mode,
                       QList<qint64> *replacements)
{
    return replaceAny<QByteArrayView, QByteArray>(text, substitutions, mode, replacements);
}

QString replaceText(QStringView text, const QList<Substitution<QString>> &substitutions, ReplaceMode mode,
                    QList<qint64> *replacements)
{
    return replaceAny<QStringView, QString>(text, substitutions, mode, replacements);
}

} // namespace tessaly
