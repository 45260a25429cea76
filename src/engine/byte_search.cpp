#include "engine/byte_search.h"

#include <QSysInfo>
#include <QtAlgorithms>

#include <cstring>

namespace tessaly {

namespace {

// Sixteen bytes compared lane by lane with GCC/Clang vector extensions, which
// compile to SSE2 on x86-64 and to NEON on ARM.
using Lanes = unsigned char __attribute__((vector_size(16)));
// Start positions tested per step: two vectors.
constexpr int kBlock = 32;
// Jumping from one first byte to the next with memchr beats testing blocks while
// fewer than one in this many bytes is a first byte that starts no occurrence;
// the first this many bytes are only watched.
constexpr qint64 kMissSpacing = 32;
constexpr qint64 kWatched = 4096;

bool isAsciiLetter(char c)
{
    const char lower = char(c | 0x20);
    return lower >= 'a' && lower <= 'z';
}

// Tests bytes against one needle byte. A letter matched in any case is compared
// with bit 5 set on both sides: that bit is the only difference between an
// ASCII letter's two cases, and setting it turns no other byte into a letter.
struct ByteTest {
    unsigned char fold;
    unsigned char value;

    ByteTest(char c, bool anyCase)
        : fold(anyCase && isAsciiLetter(c) ? 0x20 : 0), value(static_cast<unsigned char>(c | fold))
    {
    }
    bool operator()(char c) const { return static_cast<unsigned char>(c | fold) == value; }
};

// The same test on a block of bytes at once: a lane is all ones where it passes.
struct LaneTest {
    Lanes fold;
    Lanes value;

    explicit LaneTest(ByteTest test) : fold(Lanes{} + test.fold), value(Lanes{} + test.value) {}
    Lanes operator()(const char *p) const
    {
        Lanes bytes;
        std::memcpy(&bytes, p, sizeof bytes);
        return Lanes((bytes | fold) == value);
    }
};

// The lanes that passed, one bit each (the top bit of its byte) in 64-bit
// quarters. The byte order of the platform decides which end of one is lane 0.
int firstLane(quint64 bits)
{
    return (QSysInfo::ByteOrder == QSysInfo::LittleEndian ? qCountTrailingZeroBits(bits) : qCountLeadingZeroBits(bits))
           / 8;
}

quint64 withoutFirstLane(quint64 bits)
{
    return QSysInfo::ByteOrder == QSysInfo::LittleEndian ? bits & (bits - 1)
                                                          : bits & ~(quint64(1) << (63 - qCountLeadingZeroBits(bits)));
}

} // namespace

ByteSearch::ByteSearch(QByteArrayView needle, Case letterCase)
    : m_needle(needle), m_anyCase(letterCase == Case::AnyAscii),
      m_byFirstByte(!needle.isEmpty() && ByteTest(needle.front(), m_anyCase).fold == 0)
{
}

inline bool ByteSearch::matchesAt(const char *p) const
{
    const char *const needle = m_needle.data();
    const qsizetype n = m_needle.size();
    qsizetype k = 0;
    while (k < n && p[k] == needle[k])
        ++k;
    while (m_anyCase && k < n && ByteTest(needle[k], true)(p[k]))
        ++k;
    return k == n;
}

qsizetype ByteSearch::indexIn(QByteArrayView text, qsizetype from)
{
    const qsizetype n = m_needle.size();
    if (from < 0 || from > text.size())
        return -1;
    if (n == 0)
        return from;
    if (text.size() - from < n)
        return -1;
    const char *const base = text.data();
    const qsizetype lastStart = text.size() - n;
    qsizetype i = from;
    while (m_byFirstByte) {
        const void *hit = std::memchr(base + i, m_needle.front(), size_t(lastStart - i + 1));
        if (!hit)
            return -1;
        const qsizetype at = static_cast<const char *>(hit) - base;
        m_scanned += at + 1 - i;
        i = at + 1;
        if (matchesAt(base + at))
            return at;
        if (++m_misses * kMissSpacing > m_scanned + kWatched)
            m_byFirstByte = false;
        if (i > lastStart)
            return -1;
    }
    return indexInBlocks(base, i, lastStart);
}

qsizetype ByteSearch::indexInBlocks(const char *base, qsizetype i, qsizetype lastStart) const
{
    const qsizetype n = m_needle.size();
    const ByteTest first(m_needle.front(), m_anyCase);
    const LaneTest firstLanes(first);
    const LaneTest lastLanes(ByteTest(m_needle.back(), m_anyCase));
    // Blocks of start positions whose last needle byte is still in the text.
    for (; i + kBlock - 1 <= lastStart; i += kBlock) {
        const Lanes passed[2] = {firstLanes(base + i) & lastLanes(base + i + n - 1),
                                 firstLanes(base + i + 16) & lastLanes(base + i + 15 + n)};
        quint64 quarter[kBlock / 8];
        std::memcpy(quarter, passed, sizeof quarter);
        if ((quarter[0] | quarter[1] | quarter[2] | quarter[3]) == 0)
            continue;
        for (int q = 0; q < kBlock / 8; ++q) {
            for (quint64 bits = quarter[q] & 0x8080808080808080ULL; bits; bits = withoutFirstLane(bits)) {
                const qsizetype at = i + q * 8 + firstLane(bits);
                if (matchesAt(base + at))
                    return at;
            }
        }
    }
    for (; i <= lastStart; ++i) {
        if (first(base[i]) && matchesAt(base + i))
            return i;
    }
    return -1;
}

} // namespace tessaly
