#include "engine/replacement.h"

#include <algorithm>
#include <type_traits>
#include <utility>
#include <cstring>
#include <string.h>

namespace tessaly {

namespace {

// Exact search for bytes. A short find text is found by scanning for its first
// byte (memchr is vectorised) and comparing the rest: unlike memmem, that costs
// nothing to set up per call, which matters when occurrences are dense. Long
// find texts go to memmem, whose running time stays linear whatever the text.
qsizetype findExact(QByteArrayView text, QByteArrayView needle, qsizetype from)
{
    // An empty view may have no data pointer at all, which memchr and memmem
    // must not get: a text shorter than the find text ends the search first.
    const qsizetype n = needle.size();
    if (text.size() - from < n)
        return -1;
    const char *base = text.data();
    if (n > 16) {
        const void *hit = ::memmem(base + from, size_t(text.size() - from), needle.data(), size_t(n));
        return hit ? static_cast<const char *>(hit) - base : -1;
    }
    const char *p = base + from;
    const char *const last = base + text.size() - n;  // the last place a match can start
    while (p <= last) {
        p = static_cast<const char *>(std::memchr(p, needle[0], size_t(last - p + 1)));
        if (!p)
            return -1;
        if (std::memcmp(p + 1, needle.data() + 1, size_t(n - 1)) == 0)
            return p - base;
        ++p;
    }
    return -1;
}

qsizetype findExact(QStringView text, QStringView needle, qsizetype from)
{
    return text.indexOf(needle, from, Qt::CaseSensitive);
}

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

char16_t asciiUpper(char16_t c)
{
    return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c;
}

char16_t asciiUpper(char c)
{
    return asciiUpper(char16_t(static_cast<unsigned char>(c)));
}

char16_t asciiUpper(QChar c)
{
    return asciiUpper(c.unicode());
}

// First occurrence of marker in any letter case. Letter case is folded for ASCII
// only: the markers the program cuts at are ASCII, and upper-casing any other
// character never yields one of their letters.
template <class View>
qsizetype findAnyCase(View text, View marker, qsizetype from)
{
    if (marker.isEmpty())
        return from <= text.size() ? from : -1;
    const char16_t first = asciiUpper(marker[0]);
    const bool firstIsLetter = first >= u'A' && first <= u'Z';
    for (qsizetype i = from; i + marker.size() <= text.size();) {
        if (!firstIsLetter) {
            i = findExact(text, marker.first(1), i);
            if (i < 0 || i + marker.size() > text.size())
                return -1;
        }
        qsizetype k = 0;
        while (k < marker.size() && asciiUpper(text[i + k]) == asciiUpper(marker[k]))
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

template <class View, class Buffer>
class Replacer {
public:
    Replacer(const QList<Substitution<Buffer>> &substitutions, QList<qint64> *counts)
        : m_substitutions(substitutions), m_counts(counts)
    {
        if (m_counts)
            m_counts->fill(0, substitutions.size());
    }

    // Appends text to out with every substitution applied in order.
    void apply(View text, Sink<View, Buffer> &out)
    {
        qsizetype last = m_substitutions.size() - 1;
        while (last >= 0 && m_substitutions[last].find.isEmpty())
            --last;
        if (last < 0) {
            out.append(text);
            return;
        }
        View current = text;
        Sink<View, Buffer> *into = &m_scratch[0];
        for (qsizetype j = 0; j <= last; ++j) {
            const auto &s = m_substitutions[j];
            if (s.find.isEmpty())
                continue;
            if (j == last) {
                replaceInto(current, j, out);
                return;
            }
            into->clear();
            replaceInto(current, j, *into);
            current = into->view();
            into = into == &m_scratch[0] ? &m_scratch[1] : &m_scratch[0];
        }
    }

private:
    void replaceInto(View text, qsizetype j, Sink<View, Buffer> &out)
    {
        const View find(m_substitutions[j].find);
        const View replace(m_substitutions[j].replace);
        qsizetype from = 0;
        qint64 count = 0;
        for (qsizetype at; (at = findExact(text, find, from)) >= 0; from = at + find.size()) {
            out.append(text.sliced(from, at - from));
            out.append(replace);
            ++count;
        }
        out.append(text.sliced(from));
        if (m_counts)
            (*m_counts)[j] += count;
    }

    const QList<Substitution<Buffer>> &m_substitutions;
    QList<qint64> *m_counts;
    Sink<View, Buffer> m_scratch[2];
};

bool onlySpaces(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
}

bool onlySpaces(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == u' '; });
}

// The body of an HTML text: everything up to the body start tag and from
// "</body>" on stays as it is; between them only the runs of text outside tags
// are replaced, each once, and the tags are copied unchanged.
template <class View, class Buffer>
void replaceViewable(View s, Replacer<View, Buffer> &replacer, Sink<View, Buffer> &out)
{
    const View bodyMarker = marker<View>("<body");
    const View tagEnd = marker<View>(">");
    const Cut<View> head = takeUpTo(s, bodyMarker, true);
    out.append(head.taken);
    if (head.found)
        out.append(bodyMarker);  // the marker as the program spells it, lower case
    const Cut<View> startTagRest = takeUpTo(s, tagEnd, true);
    out.append(startTagRest.taken);
    if (startTagRest.found)
        out.append(tagEnd);
    View rest = takeUpTo(s, marker<View>("</body>"), false).taken;
    const View tail = s;

    while (!onlySpaces(rest)) {
        const qsizetype p = findUnit(rest, '<', 0);
        if (p > 0) {
            replacer.apply(rest.first(p), out);
            rest = rest.sliced(p);
        } else if (p < 0) {
            replacer.apply(rest, out);
            rest = rest.sliced(rest.size());
        }
        const qsizetype q = findUnit(rest, '>', 0);
        if (q >= 0) {
            out.append(rest.first(q + 1));
            rest = rest.sliced(q + 1);
        } else if (!rest.isEmpty()) {
            // A "<" that no ">" follows: the remainder is copied as it stands.
            out.append(rest);
            break;
        }
    }
    // Spaces left after the last tag of the body are dropped.
    out.append(tail);
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
