#include "engine/byte_search.h"

#include "engine/byte_lanes.h"

#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TESSALY_AVX2_STEPS 1
#endif

namespace tessaly {

namespace {

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

#ifdef TESSALY_AVX2_STEPS
bool hasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

// Start positions tested per step with AVX2 (and bytes a step of
// replaceCopyingAvx2 copies); a replace text up to kShortReplace bytes long is
// written with one store of that many.
constexpr qsizetype kStep = 64;
constexpr qsizetype kShortReplace = 32;

#define TESSALY_AVX2 __attribute__((target("avx2")))

TESSALY_AVX2 inline __m256i load32(const char *p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
}

TESSALY_AVX2 inline void store32(char *p, __m256i bytes)
{
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(p), bytes);
}

// A ByteTest on 32 bytes at once: the bytes or-ed with the fold bits, then compared.
struct StepTest {
    __m256i fold;
    __m256i value;

    TESSALY_AVX2 explicit StepTest(ByteTest test)
        : fold(_mm256_set1_epi8(char(test.fold))), value(_mm256_set1_epi8(char(test.value)))
    {
    }
    TESSALY_AVX2 __m256i operator()(const char *p) const
    {
        return _mm256_cmpeq_epi8(_mm256_or_si256(load32(p), fold), value);
    }
};

// The 32 positions from p on where the first test passes and the last passes
// lastAt bytes further on, one bit each.
TESSALY_AVX2 inline quint32 startsAt32(const char *p, qsizetype lastAt, const StepTest &first, const StepTest &last)
{
    return quint32(_mm256_movemask_epi8(_mm256_and_si256(first(p), last(p + lastAt))));
}

// The same for the 64 positions of a step.
TESSALY_AVX2 inline quint64 startsAt(const char *p, qsizetype lastAt, const StepTest &first, const StepTest &last)
{
    return startsAt32(p, lastAt, first, last) | quint64(startsAt32(p + 32, lastAt, first, last)) << 32;
}

// The 64 positions of a step from p on where the test passes, one bit each.
TESSALY_AVX2 inline quint64 passingAt(const char *p, const StepTest &test)
{
    return quint32(_mm256_movemask_epi8(test(p))) | quint64(quint32(_mm256_movemask_epi8(test(p + 32)))) << 32;
}

// The highest bit set of bits, which is not 0.
int highestBit(quint64 bits)
{
    return 63 - int(qCountLeadingZeroBits(bits));
}

// The first step of 64 start positions from i on (while the last lies at or
// before lastStart) where some pass the first and last byte tests of a needle
// of n bytes, and which pass, one bit each; no bits when none is left.
struct Candidates {
    qsizetype step;
    quint64 bits;
};

TESSALY_AVX2 Candidates nextCandidatesAvx2(const char *base, qsizetype i, qsizetype lastStart, qsizetype n,
                                           ByteTest firstTest, ByteTest lastTest)
{
    const StepTest first(firstTest);
    const StepTest last(lastTest);
    for (; i + kStep - 1 <= lastStart; i += kStep) {
        if (const quint64 bits = startsAt(base + i, n - 1, first, last))
            return {i, bits};
    }
    return {i, 0};
}

struct CopyingStop {
    qsizetype read;     // where the text not yet copied starts
    qsizetype written;  // bytes written to out
    qint64 replaced;
};

// The first of the candidate start positions in the step at `in` where the whole
// needle lies (its first and last bytes are known to match there); kStep for none.
inline qsizetype firstMatch(const char *in, quint64 candidates, QByteArrayView needle)
{
    const qsizetype n = needle.size();
    for (; candidates; candidates &= candidates - 1) {
        const qsizetype k = qCountTrailingZeroBits(candidates);
        qsizetype same = 1;
        while (same < n - 1 && in[k + same] == needle[same])
            ++same;
        if (same >= n - 1)
            return k;
    }
    return kStep;
}

// Whether the tag that the "<" at `open` opens is still open at `at`.
inline bool stillOpen(ByteSearch::TagClose tagClose, const char *text, qsizetype size, qsizetype open, qsizetype at)
{
    const qsizetype close = tagClose(QByteArrayView(text, size), open + 1);
    return close < 0 || close >= at;
}

// Copies text[from, ...) to out 64 bytes at a time, testing the bytes as start
// positions of the needle by its first and last byte as it goes, and writes
// `replace` in place of each occurrence (with tagClose, each that clearly lies
// outside tags; the needle holds no "<"). Stops where fewer than 64 start
// positions are left, where out (of `room` bytes) could overflow, or at an
// occurrence that may lie in a tag.
TESSALY_AVX2 CopyingStop replaceCopyingAvx2(const char *text, qsizetype size, qsizetype from, QByteArrayView needle,
                                            QByteArrayView replace, char *out, qsizetype room,
                                            ByteSearch::TagClose tagClose)
{
    const qsizetype n = needle.size();
    const qsizetype r = replace.size();
    const StepTest first(ByteTest(needle.front(), false));
    const StepTest last(ByteTest(needle.back(), false));
    const StepTest tagOpen(ByteTest('<', false));
    char shortReplace[kShortReplace] = {};
    if (r > 0)  // an empty replace text may have no data at all, which memcpy must not get
        std::memcpy(shortReplace, replace.data(), size_t(std::min(r, kShortReplace)));
    const __m256i replaceBytes = load32(shortReplace);

    CopyingStop at{from, 0, 0};
    CopyingStop outside = at;  // the last place known to lie outside any tag
    qsizetype lastOpen = -1;   // the last "<" from there on, in the steps before this one
    // The needle's last byte after each start position a step tests lies in the text.
    const qsizetype lastRead = kStep - 1 + n;
    const qsizetype lastWritten = kStep + std::max(r, kShortReplace);
    while (at.read + lastRead <= size && at.written + lastWritten <= room) {
        const char *const in = text + at.read;
        store32(out + at.written, load32(in));
        store32(out + at.written + 32, load32(in + 32));
        const quint64 opens = tagClose ? passingAt(in, tagOpen) : 0;
        const qsizetype found = firstMatch(in, startsAt(in, n - 1, first, last), needle);
        if (found == kStep) {
            if (opens)
                lastOpen = at.read + highestBit(opens);
            at.read += kStep;
            at.written += kStep;
            continue;
        }
        if (tagClose) {
            const quint64 opensBefore = opens & ((quint64(1) << found) - 1);
            const qsizetype open = opensBefore ? at.read + highestBit(opensBefore) : lastOpen;
            if (open >= 0 && stillOpen(tagClose, text, size, open, at.read + found))
                return outside;
            lastOpen = -1;
        }
        if (r <= kShortReplace)
            store32(out + at.written + found, replaceBytes);
        else
            std::memcpy(out + at.written + found, replace.data(), size_t(r));
        ++at.replaced;
        at.read += found + n;
        at.written += found + r;
        outside = at;
    }
    // Where it stopped lies outside any tag too when no "<" came since the last
    // place that does, or when the tag the last one opens closed before it.
    if (tagClose && lastOpen >= 0 && stillOpen(tagClose, text, size, lastOpen, at.read))
        return outside;
    return at;
}
#endif

// A search in any letter case looks for a marker ("</body>", "-->") once
// through a page, too briefly to learn whether its first byte is rare, and a
// marker's "<" is common in HTML. Where a step tests 64 start positions at
// once (AVX2), such a search starts with the steps.
bool startsInSteps(bool anyCase)
{
#ifdef TESSALY_AVX2_STEPS
    return anyCase && hasAvx2();
#else
    Q_UNUSED(anyCase)
    return false;
#endif
}

} // namespace

ByteSearch::ByteSearch(QByteArrayView needle, Case letterCase)
    : m_needle(needle), m_anyCase(letterCase == Case::AnyAscii),
      m_byFirstByte(!needle.isEmpty() && ByteTest(needle.front(), m_anyCase).fold == 0 && !startsInSteps(m_anyCase))
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
    const ByteTest last(m_needle.back(), m_anyCase);
    const LaneTest firstLanes(first);
    const LaneTest lastLanes(last);
#ifdef TESSALY_AVX2_STEPS
    // Steps of 64 start positions where the processor allows.
    while (hasAvx2()) {
        const Candidates found = nextCandidatesAvx2(base, i, lastStart, n, first, last);
        i = found.step;
        if (!found.bits)
            break;
        for (quint64 bits = found.bits; bits; bits &= bits - 1) {
            const qsizetype at = i + qCountTrailingZeroBits(bits);
            if (matchesAt(base + at))
                return at;
        }
        i += kStep;
    }
#endif
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

qsizetype ByteSearch::replaceCopying(QByteArrayView text, qsizetype from, QByteArrayView replace,
                                     AppendBuffer<QByteArrayView, QByteArray> &out, qint64 *count, TagClose tagClose)
{
#ifdef TESSALY_AVX2_STEPS
    // A needle that holds a "<" could lie across one: the full walk of the tags decides.
    if (m_anyCase || m_needle.isEmpty() || (tagClose && m_needle.contains('<')) || !hasAvx2())
        return from;
    // Room for the rest of the text as it is, and what the buffer has spare
    // beyond. Where the replacing outgrows that, the copying stops early, and
    // the caller's next call, after the next occurrence, finds a grown buffer.
    char *const into = out.room(text.size() - from + kStep + kShortReplace);
    const CopyingStop stop =
        replaceCopyingAvx2(text.data(), text.size(), from, m_needle, replace, into, out.spare(), tagClose);
    out.commit(into + stop.written);
    *count += stop.replaced;
    return stop.read;
#else
    Q_UNUSED(text)
    Q_UNUSED(replace)
    Q_UNUSED(out)
    Q_UNUSED(count)
    Q_UNUSED(tagClose)
    return from;
#endif
}

} // namespace tessaly
