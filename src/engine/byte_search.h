// Fast search for a short byte string (a find text, an HTML marker) in a long text.
#pragma once

#include "engine/append_buffer.h"

#include <QByteArray>
#include <QByteArrayView>

namespace tessaly {

// Finds one needle, exactly or with ASCII letters in any case, again and again in
// the same kind of text. While the needle's first byte is rare, memchr jumps from
// one to the next; once it proves common, start positions are tested many at
// once by their first and last byte (64 a step with AVX2, else 32). A search in
// any case (a marker) starts with those steps where AVX2 is there. Nothing is
// set up per search, which matters when occurrences are dense.
class ByteSearch {
public:
    enum class Case { Exact, AnyAscii };

    // The needle is not copied: it must outlive the search.
    explicit ByteSearch(QByteArrayView needle, Case letterCase = Case::Exact);

    // Position of the first occurrence at or after from; -1 for none. An empty
    // needle is found at from.
    qsizetype indexIn(QByteArrayView text, qsizetype from = 0);

    // Where the tag whose inside starts at `from` closes; -1 for none.
    using TagClose = qsizetype (*)(QByteArrayView text, qsizetype from);

    // Appends text from `from` on to `out` with every occurrence of the (exact)
    // needle replaced by `replace`, adding their number to *count, where the
    // processor can copy the bytes while it searches them, in one pass: at dense
    // occurrences that costs half as much as a search and a copy. Stops close to
    // the end of the text (or at once, on other processors) and returns where:
    // the rest is left to indexIn.
    //
    // With tagClose, `from` lies outside any tag, and only occurrences that
    // clearly do too are replaced: those with no "<" between the last place
    // known to lie outside and them, or whose last such "<" opens a tag that
    // closes before them. At any other occurrence it stops at that last place
    // outside, for the caller to walk the tags there.
    qsizetype replaceCopying(QByteArrayView text, qsizetype from, QByteArrayView replace,
                             AppendBuffer<QByteArrayView, QByteArray> &out, qint64 *count,
                             TagClose tagClose = nullptr);

private:
    bool matchesAt(const char *p) const;
    // indexIn once the first byte has proved common: i to lastStart are the start
    // positions left.
    qsizetype indexInBlocks(const char *base, qsizetype i, qsizetype lastStart) const;

    QByteArrayView m_needle;
    bool m_anyCase;
    bool m_byFirstByte;      // the first byte needs no case folding and has been rare so far
    qint64 m_scanned = 0;    // bytes memchr went through
    qint64 m_misses = 0;     // first bytes found that started no occurrence
};

} // namespace tessaly
