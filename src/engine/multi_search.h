// Which of many find texts occur in a text, found in one pass: an Aho–Corasick
// automaton over the units (bytes or UTF-16 units) the find texts use.
#pragma once

#include <QtGlobal>

#include <cstdint>
#include <string_view>
#include <vector>

namespace tessaly {

// Built once for a list of find texts, it tells for a text, or for stretches of
// one, which of them may occur there. "May": a find text that occurs is always
// reported, but to keep the automaton small a long list of long find texts is
// matched by the beginnings of its texts only, and find texts with more than 255
// different units share classes among their units. A caller that skips the find
// texts not reported needs exactly that.
template <class Unit>
class MultiSearch {
public:
    // The needles must be non-empty; they are not kept.
    explicit MultiSearch(const std::vector<std::basic_string_view<Unit>> &needles);

    // What scans of one text have found so far.
    class Presence {
    public:
        explicit Presence(const MultiSearch &search) : m_reached(search.m_ends.size()) {}

    private:
        friend class MultiSearch;
        // Per state: reached, and so are the states its output chain leads to.
        std::vector<std::uint8_t> m_reached;
    };

    // Adds what text[0, size) holds, searched from its start, to presence.
    void scan(const Unit *text, qsizetype size, Presence &presence) const;
    bool mayOccur(const Presence &presence, qsizetype needle) const
    {
        return presence.m_reached[m_needleState[size_t(needle)]] != 0;
    }

private:
    static constexpr std::uint32_t kNone = ~std::uint32_t(0);

    // The trie of the needles' beginnings of up to `prefix` units; false when its
    // table would grow too large.
    bool buildTrie(const std::vector<std::basic_string_view<Unit>> &needles, qsizetype prefix);
    // The trie made a complete transition table by its failure links.
    void completeTable();
    void scanStretch(const Unit *text, qsizetype size, Presence &presence) const;
    void reach(std::uint32_t state, Presence &presence) const;

    std::vector<std::uint8_t> m_classOf;  // per unit value; 0 for units no needle holds
    std::uint32_t m_classes = 1;
    // Per state and class: the next state's row (state times m_classes), shifted
    // left by one, with the low bit set when that state ends a needle or has a
    // suffix state that does.
    std::vector<std::uint32_t> m_next;
    std::vector<std::uint8_t> m_ends;           // per state: a needle ends here
    std::vector<std::uint32_t> m_outLink;       // per state: its longest proper suffix that ends a needle
    std::vector<std::uint32_t> m_needleState;   // per needle: the state its (beginning) ends in
    qsizetype m_depth = 1;                      // of the deepest state: the longest beginning matched
};

extern template class MultiSearch<char>;
extern template class MultiSearch<char16_t>;

} // namespace tessaly
