// Text made by appending pieces: plain copies into a buffer that grows
// geometrically, with no per-append bookkeeping of the string class.
#pragma once

#include <QtGlobal>

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <utility>

namespace tessaly {

template <class View, class Buffer>
class AppendBuffer {
public:
    using Unit = std::remove_cv_t<std::remove_pointer_t<decltype(std::declval<View>().data())>>;

    explicit AppendBuffer(qsizetype estimate = 0) { m_buffer.resize(estimate); }

    void append(View text)
    {
        const qsizetype n = text.size();
        if (n == 0)
            return;  // an empty text may have no data at all, which memcpy must not get
        std::memcpy(room(n), text.data(), size_t(n) * sizeof(Unit));
        m_used += n;
    }
    void append(Unit unit) { append(View(&unit, 1)); }
    // Where up to `size` more units can be written in place; commit then tells
    // where those written end.
    Unit *room(qsizetype size)
    {
        if (m_used + size > m_buffer.size())
            m_buffer.resize(std::max(m_used + size, m_buffer.size() * 2 + 64));
        return reinterpret_cast<Unit *>(m_buffer.data()) + m_used;
    }
    void commit(const Unit *end) { m_used = end - reinterpret_cast<const Unit *>(m_buffer.constData()); }
    void clear() { m_used = 0; }
    qsizetype size() const { return m_used; }
    // Drops what was appended after the first `size` units.
    void truncate(qsizetype size) { m_used = std::min(m_used, size); }
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

} // namespace tessaly
