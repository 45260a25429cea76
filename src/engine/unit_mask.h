// Which units a text holds, as a quick test of whether two texts can share one:
// the tests of which find texts an earlier pass could have made start with it.
#pragma once

#include <QByteArrayView>
#include <QStringView>

namespace tessaly {

// The units a text holds, by their low eight bits: two texts that share a unit
// share a bit (and some that do not share one as well). Several texts may be
// added into one mask.
class UnitMask {
public:
    UnitMask() = default;
    explicit UnitMask(QByteArrayView text) { add(text); }
    explicit UnitMask(QStringView text) { add(text); }

    void add(QByteArrayView text)
    {
        for (const char c : text)
            addLow(static_cast<unsigned char>(c));
    }
    void add(QStringView text)
    {
        for (const QChar c : text)
            addLow(c.unicode() & 0xFFu);
    }
    bool meets(const UnitMask &other) const
    {
        return ((m_bits[0] & other.m_bits[0]) | (m_bits[1] & other.m_bits[1]) | (m_bits[2] & other.m_bits[2])
                | (m_bits[3] & other.m_bits[3]))
               != 0;
    }

private:
    void addLow(unsigned low) { m_bits[low >> 6] |= quint64(1) << (low & 63); }

    quint64 m_bits[4] = {};
};

} // namespace tessaly
