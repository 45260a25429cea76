#include "engine/multi_search.h"

#include <algorithm>
#include <type_traits>

namespace tessaly {

namespace {

// The transition table stays within this many entries (4 MB): a list of many
// long find texts is matched by shorter beginnings rather than a larger table.
constexpr std::size_t kMaxEntries = std::size_t(1) << 20;
// Class 0 stands for every unit no needle holds; the others get at most 255.
constexpr std::uint32_t kMaxClasses = 256;
// Texts shorter than four times this are searched as one stretch.
constexpr qsizetype kMinStreamSize = 256;

template <class Unit>
std::size_t unitValue(Unit u)
{
    return static_cast<std::make_unsigned_t<Unit>>(u);
}

} // namespace

template <class Unit>
MultiSearch<Unit>::MultiSearch(const std::vector<std::basic_string_view<Unit>> &needles)
{
    m_classOf.assign(std::size_t(1) << (8 * sizeof(Unit)), 0);
    std::uint32_t distinct = 0;
    bool shared = false;
    qsizetype longest = 0;
    for (const auto &needle : needles) {
        longest = std::max(longest, qsizetype(needle.size()));
        for (Unit u : needle) {
            std::uint8_t &c = m_classOf[unitValue(u)];
            if (c != 0)
                continue;
            shared = shared || distinct == kMaxClasses - 1;
            c = shared ? 1 : std::uint8_t(++distinct);  // when shared, only marked: see below
        }
    }
    if (shared) {
        // Too many different units for a class each: units share classes by value,
        // which can only make a needle look present where it is not.
        for (std::size_t v = 0; v < m_classOf.size(); ++v) {
            if (m_classOf[v] != 0)
                m_classOf[v] = std::uint8_t(1 + v % (kMaxClasses - 1));
        }
    }
    m_classes = distinct + 1;
    // The beginnings get shorter until the table fits; one unit always fits.
    for (qsizetype prefix = std::max<qsizetype>(longest, 1); !buildTrie(needles, prefix); prefix = (prefix + 1) / 2) {
    }
    completeTable();
}

template <class Unit>
bool MultiSearch<Unit>::buildTrie(const std::vector<std::basic_string_view<Unit>> &needles, qsizetype prefix)
{
    const std::uint32_t classes = m_classes;
    // The trie: each row holds the children by class, 0 for none (the root is
    // nobody's child).
    m_next.assign(classes, 0);
    m_ends.assign(1, 0);
    m_needleState.clear();
    m_depth = 1;
    for (const auto &needle : needles) {
        std::uint32_t state = 0;
        const qsizetype length = std::min(qsizetype(needle.size()), prefix);
        m_depth = std::max(m_depth, length);
        for (qsizetype k = 0; k < length; ++k) {
            const std::size_t at = std::size_t(state) * classes + m_classOf[unitValue(needle[size_t(k)])];
            if (m_next[at] == 0) {
                const std::uint32_t added = std::uint32_t(m_ends.size());
                if ((std::size_t(added) + 1) * classes > kMaxEntries && prefix > 1)
                    return false;
                m_next[at] = added;
                m_next.resize(m_next.size() + classes, 0);
                m_ends.push_back(0);
            }
            state = m_next[at];
        }
        m_ends[state] = 1;
        m_needleState.push_back(state);
    }
    return true;
}

template <class Unit>
void MultiSearch<Unit>::completeTable()
{
    const std::uint32_t classes = m_classes;
    // Failure links in breadth-first order turn the trie into a complete table:
    // a missing child is the child its failure state has for that class, whose
    // row is complete because that state is shallower.
    const std::size_t states = m_ends.size();
    std::vector<std::uint32_t> fail(states, 0);
    m_outLink.assign(states, kNone);
    std::vector<std::uint32_t> queue;
    queue.reserve(states);
    queue.push_back(0);
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const std::uint32_t state = queue[head];
        std::uint32_t *row = m_next.data() + std::size_t(state) * classes;
        const std::uint32_t *failRow = m_next.data() + std::size_t(fail[state]) * classes;
        for (std::uint32_t c = 0; c < classes; ++c) {
            if (row[c] != 0) {
                const std::uint32_t child = row[c];
                const std::uint32_t f = state == 0 ? 0 : failRow[c];
                fail[child] = f;
                m_outLink[child] = m_ends[f] ? f : m_outLink[f];
                queue.push_back(child);
            } else if (state != 0) {
                row[c] = failRow[c];
            }
        }
    }
    for (std::uint32_t &next : m_next) {
        const bool reports = m_ends[next] || m_outLink[next] != kNone;
        next = (next * classes) << 1 | (reports ? 1u : 0u);
    }
}

template <class Unit>
void MultiSearch<Unit>::reach(std::uint32_t state, Presence &presence) const
{
    // Every needle ending at a suffix of this state occurs too; a reached state
    // has had its chain marked already.
    for (std::uint32_t s = state; s != kNone && !presence.m_reached[s]; s = m_outLink[s])
        presence.m_reached[s] = 1;
}

template <class Unit>
void MultiSearch<Unit>::scan(const Unit *text, qsizetype size, Presence &presence) const
{
    // Each step waits for the one before it; four stretches of the text searched
    // side by side keep the processor busy meanwhile. Each stretch starts from
    // the root as far before its part as a needle's beginning reaches, so that
    // an occurrence across the end of the part before is found whole.
    constexpr qsizetype kStreams = 4;
    const qsizetype part = size / kStreams;
    const qsizetype overlap = m_depth - 1;
    if (part < kMinStreamSize || overlap >= part) {
        scanStretch(text, size, presence);
        return;
    }
    const Unit *at[kStreams];
    for (qsizetype i = 0; i < kStreams; ++i)
        at[i] = text + i * part - (i > 0 ? overlap : 0);
    const std::uint32_t *const next = m_next.data();
    const std::uint8_t *const classOf = m_classOf.data();
    std::uint32_t entry[kStreams] = {};
    for (qsizetype k = 0; k < part; ++k) {
        for (qsizetype i = 0; i < kStreams; ++i)
            entry[i] = next[(entry[i] >> 1) + classOf[unitValue(at[i][k])]];
        if ((entry[0] | entry[1] | entry[2] | entry[3]) & 1) {
            for (qsizetype i = 0; i < kStreams; ++i) {
                if (entry[i] & 1)
                    reach((entry[i] >> 1) / m_classes, presence);
            }
        }
    }
    // What is left of each stretch: the overlap of all but the first, and the
    // units the division left over for the last.
    for (qsizetype i = 0; i < kStreams; ++i) {
        const Unit *end = i + 1 < kStreams ? text + (i + 1) * part : text + size;
        std::uint32_t e = entry[i];
        for (const Unit *p = at[i] + part; p < end; ++p) {
            e = next[(e >> 1) + classOf[unitValue(*p)]];
            if (e & 1)
                reach((e >> 1) / m_classes, presence);
        }
    }
}

template <class Unit>
void MultiSearch<Unit>::scanStretch(const Unit *text, qsizetype size, Presence &presence) const
{
    const std::uint32_t *const next = m_next.data();
    const std::uint8_t *const classOf = m_classOf.data();
    std::uint32_t entry = 0;
    for (qsizetype i = 0; i < size; ++i) {
        entry = next[(entry >> 1) + classOf[unitValue(text[i])]];
        if (entry & 1)
            reach((entry >> 1) / m_classes, presence);
    }
}

template class MultiSearch<char>;
template class MultiSearch<char16_t>;

} // namespace tessaly
