// Sixteen bytes compared lane by lane with GCC/Clang vector extensions, which
// compile to SSE2 on x86-64 and to NEON on ARM: the searches' common ground, and
// the search for the first of two bytes, short enough to inline where a walk
// through a tag calls it again and again.
#pragma once

#include <QByteArrayView>
#include <QSysInfo>
#include <QtAlgorithms>

#include <algorithm>
#include <cstring>

namespace tessaly {

using Lanes = unsigned char __attribute__((vector_size(16)));

// The lanes that passed, one bit each (the top bit of its byte) in 64-bit
// quarters. The byte order of the platform decides which end of one is lane 0.
inline int firstLane(quint64 bits)
{
    return (QSysInfo::ByteOrder == QSysInfo::LittleEndian ? qCountTrailingZeroBits(bits) : qCountLeadingZeroBits(bits))
           / 8;
}

inline quint64 withoutFirstLane(quint64 bits)
{
    return QSysInfo::ByteOrder == QSysInfo::LittleEndian ? bits & (bits - 1)
                                                          : bits & ~(quint64(1) << (63 - qCountLeadingZeroBits(bits)));
}

// The first place from `from` on that holds `a` or `b`; -1 for none.
inline qsizetype indexOfEither(QByteArrayView text, qsizetype from, char a, char b)
{
    const char *const base = text.data();
    const qsizetype size = text.size();
    const Lanes as = Lanes{} + static_cast<unsigned char>(a);
    const Lanes bs = Lanes{} + static_cast<unsigned char>(b);
    qsizetype i = std::max<qsizetype>(from, 0);
    for (; i + qsizetype(sizeof(Lanes)) <= size; i += sizeof(Lanes)) {
        Lanes bytes;
        std::memcpy(&bytes, base + i, sizeof bytes);
        const Lanes passed = Lanes(bytes == as) | Lanes(bytes == bs);
        quint64 halves[2];
        std::memcpy(halves, &passed, sizeof halves);
        if (halves[0])
            return i + firstLane(halves[0]);
        if (halves[1])
            return i + 8 + firstLane(halves[1]);
    }
    for (; i < size; ++i) {
        if (base[i] == a || base[i] == b)
            return i;
    }
    return -1;
}

} // namespace tessaly
