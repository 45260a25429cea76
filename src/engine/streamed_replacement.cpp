#include "engine/streamed_replacement.h"

#include "engine/unit_mask.h"

#include <algorithm>
#include <string_view>

namespace tessaly {

template <class View, class Buffer>
BasicStreamedReplacement<View, Buffer>::BasicStreamedReplacement(const QList<Substitution<Buffer>> &substitutions,
                                                                 const std::vector<bool> &needed)
    : m_counts(substitutions.size(), 0)
{
    for (qsizetype j = 0; j < substitutions.size(); ++j) {
        const View find(substitutions[j].find);
        // An empty find text changes nothing.
        if (!find.isEmpty() && (needed.empty() || needed[size_t(j)]))
            m_steps.push_back({j, find, View(substitutions[j].replace), Finder<View>(find), {}, {}});
    }
}

template <class View, class Buffer>
qsizetype BasicStreamedReplacement<View, Buffer>::feed(View text, bool last, Buffer &out)
{
    if (m_steps.empty()) {
        out.append(text);
        return 0;
    }
    qsizetype heldBack = 0;
    View input = text;
    for (size_t s = 0; s < m_steps.size(); ++s) {
        Step &step = m_steps[s];
        const bool lastStep = s + 1 == m_steps.size();
        Buffer &into = lastStep ? out : step.output;
        if (!lastStep)
            into.resize(0);  // keeps its room for the next piece
        if (s == 0) {
            heldBack = input.size() - replaceIn(step, input, last, into);
        } else {
            step.held.append(input);
            step.held.remove(0, replaceIn(step, step.held, last, into));
        }
        input = into;
    }
    return heldBack;
}

// Appends text with the step's occurrences replaced, up to where the rest could
// still start one that the next piece completes; returns that place.
template <class View, class Buffer>
qsizetype BasicStreamedReplacement<View, Buffer>::replaceIn(Step &step, View text, bool last, Buffer &out)
{
    qsizetype from = 0;
    qint64 n = 0;
    for (qsizetype at = step.search.indexIn(text, 0); at >= 0; at = step.search.indexIn(text, from)) {
        out.append(text.sliced(from, at - from));
        out.append(step.replace);
        ++n;
        from = at + step.find.size();
    }
    // An occurrence that starts before the last find.size() - 1 units ends in text
    // and was found above.
    const qsizetype done = last ? text.size() : std::max(from, text.size() - (step.find.size() - 1));
    out.append(text.sliced(from, done - from));
    m_counts[step.index] += n;
    return done;
}

template class BasicStreamedReplacement<QByteArrayView, QByteArray>;
template class BasicStreamedReplacement<QStringView, QString>;

SetsInText::SetsInText(const QList<Substitution<QByteArray>> &substitutions) : m_substitutions(substitutions)
{
    std::vector<std::string_view> finds;
    for (qsizetype j = 0; j < substitutions.size(); ++j) {
        const QByteArray &find = substitutions[j].find;
        if (find.isEmpty())
            continue;
        m_searched.push_back(j);
        finds.emplace_back(find.constData(), size_t(find.size()));
        m_reach = std::max(m_reach, find.size() - 1);
    }
    if (finds.empty())
        return;
    m_search.emplace(finds);
    m_presence.emplace(*m_search);
}

void SetsInText::add(QByteArrayView piece)
{
    if (!m_search)
        return;
    // An occurrence across the boundary lies within the reach on either side of it.
    QByteArray across = m_tail;
    across.append(piece.first(std::min(m_reach, piece.size())));
    m_search->scan(across.constData(), across.size(), *m_presence);
    m_search->scan(piece.data(), piece.size(), *m_presence);
    m_tail = piece.size() >= m_reach ? piece.last(m_reach).toByteArray() : across.right(m_reach);
}

std::vector<bool> SetsInText::needed() const
{
    // Whether a pass that put `inserted` in could make an occurrence of `find`.
    const auto canMake = [](QByteArrayView inserted, QByteArrayView find) {
        if (inserted.isEmpty() || inserted.contains(find) || find.contains(inserted))
            return true;
        for (qsizetype k = 1; k < std::min(inserted.size(), find.size()); ++k) {
            if (inserted.endsWith(find.first(k)) || inserted.startsWith(find.last(k)))
                return true;
        }
        return false;
    };
    // The replace texts of the substitutions needed so far. A text overlaps a
    // find text only when the two share a unit, which their masks tell at once:
    // with many sets, most find texts are passed by at that.
    struct Inserted {
        QByteArrayView text;
        UnitMask units;
    };
    std::vector<Inserted> inserted;
    UnitMask anyInserted;
    bool deletes = false;
    std::vector<bool> needed(size_t(m_substitutions.size()), false);
    for (size_t k = 0; k < m_searched.size(); ++k) {
        const Substitution<QByteArray> &substitution = m_substitutions[m_searched[k]];
        if (!m_search->mayOccur(*m_presence, qsizetype(k))) {
            const UnitMask find(substitution.find);
            if (!deletes && !find.meets(anyInserted))
                continue;
            if (std::none_of(inserted.begin(), inserted.end(), [&](const Inserted &replace) {
                    return (replace.text.isEmpty() || replace.units.meets(find))
                           && canMake(replace.text, substitution.find);
                }))
                continue;
        }
        needed[size_t(m_searched[k])] = true;
        inserted.push_back({substitution.replace, UnitMask(substitution.replace)});
        anyInserted.add(substitution.replace);
        deletes = deletes || substitution.replace.isEmpty();
    }
    return needed;
}

} // namespace tessaly
