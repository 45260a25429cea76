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

    // `recycled`: a buffer done with, whose memory is used again when it is
    // large enough and nothing else holds it.
    explicit AppendBuffer(qsizetype estimate = 0, Buffer recycled = {}) : m_buffer(std::move(recycled))
    {
        grow(estimate);
    }
    AppendBuffer(const AppendBuffer &) = delete;
    AppendBuffer &operator=(const AppendBuffer &) = delete;

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
        if (m_used + size > m_capacity)
            grow(std::max(m_used + size, m_capacity * 2 + 64));
        return m_data + m_used;
    }
    void commit(const Unit *end) { m_used = end - m_data; }
    // Units room() gives without growing the buffer.
    qsizetype spare() const { return m_capacity - m_used; }
    void clear() { m_used = 0; }
    qsizetype size() const { return m_used; }
    // Drops what was appended after the first `size` units.
    void truncate(qsizetype size) { m_used = std::min(m_used, size); }
    View view() const { return View(m_data, m_used); }
    Buffer take()
    {
        m_buffer.resize(m_used);
        m_data = nullptr;
        m_capacity = 0;
        m_used = 0;
        return std::move(m_buffer);
    }

private:
    // The buffer's units are reached through a pointer kept here: asking the
    // string class for them checks whether it is shared, on every append.
    void grow(qsizetype capacity)
    {
        m_buffer.resize(capacity);
        m_data = reinterpret_cast<Unit *>(m_buffer.data());
        m_capacity = capacity;
    }

    Buffer m_buffer;
    Unit *m_data = nullptr;
    qsizetype m_capacity = 0;
    qsizetype m_used = 0;
};

} // namespace tessaly
