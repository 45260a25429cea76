// Sixteen bytes compared lane by lane with GCC/Clang vector extensions, which
// compile to SSE2 on x86-64 and to NEON on ARM: the searches' common ground, and
// the search for the first of two units, short enough to inline where a walk
// through a tag calls it again and again.
#pragma once

#include <QSysInfo>
#include <QtAlgorithms>

#include <algorithm>
#include <cstring>
#include <type_traits>

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

// The first place from `from` on that holds `a` or `b`; -1 for none. Units of
// one byte or two (UTF-16), sixteen bytes tested at a time.
template <class Unit>
struct LanesOf;
template <>
struct LanesOf<char> {
    using type = Lanes;
};
template <>
struct LanesOf<char16_t> {
    using type = quint16 __attribute__((vector_size(16)));
};

template <class Unit>
qsizetype indexOfEither(const Unit *base, qsizetype size, qsizetype from, Unit a, Unit b)
{
    using UnitLanes = typename LanesOf<Unit>::type;
    constexpr qsizetype kPerStep = qsizetype(sizeof(UnitLanes) / sizeof(Unit));
    const UnitLanes as = UnitLanes{} + std::make_unsigned_t<Unit>(a);
    const UnitLanes bs = UnitLanes{} + std::make_unsigned_t<Unit>(b);
    qsizetype i = std::max<qsizetype>(from, 0);
    for (; i + kPerStep <= size; i += kPerStep) {
        UnitLanes units;
        std::memcpy(&units, base + i, sizeof units);
        const UnitLanes passed = UnitLanes(units == as) | UnitLanes(units == bs);
        quint64 halves[2];
        std::memcpy(halves, &passed, sizeof halves);
        // firstLane counts bytes: a unit of two holds two.
        if (halves[0])
            return i + firstLane(halves[0]) / qsizetype(sizeof(Unit));
        if (halves[1])
            return i + (8 + firstLane(halves[1])) / qsizetype(sizeof(Unit));
    }
    for (; i < size; ++i) {
        if (base[i] == a || base[i] == b)
            return i;
    }
    return -1;
}

} // namespace tessaly
