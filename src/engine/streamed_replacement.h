// Replacement in a text too large to hold, piece by piece: every occurrence is
// found exactly as in the whole text, also one that straddles two pieces.
#pragma once

#include "engine/finder.h"
#include "engine/multi_search.h"
#include "engine/replacement.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace tessaly {

// Bytes (QByteArrayView, QByteArray) or UTF-16 (QStringView, QString).
template <class View, class Buffer>
class BasicStreamedReplacement {
public:
    // The substitutions in whole-file mode, applied in order as replaceText applies
    // them; they must outlive this. When `needed` is given, only the substitutions
    // it marks get their passes (those of SetsInText::needed).
    explicit BasicStreamedReplacement(const QList<Substitution<Buffer>> &substitutions,
                                      const std::vector<bool> &needed = {});

    // Appends the replaced start of text to out. Text is what the last call held
    // back followed by the next piece; `last` says that no piece follows. Returns
    // how many units at the end of text are held back, for the next call to get
    // first: an occurrence could start there (none when last).
    qsizetype feed(View text, bool last, Buffer &out);

    // The occurrences replaced so far, per substitution.
    const QList<qint64> &counts() const { return m_counts; }

private:
    // One substitution, as a step of a chain: each gets what the one before gave.
    struct Step {
        qsizetype index;  // in the substitutions
        View find;
        View replace;
        Finder<View> search;
        Buffer held;    // what this step held back, then its input (the steps after the first)
        Buffer output;  // what it gives the next step
    };
    qsizetype replaceIn(Step &step, View text, bool last, Buffer &out);

    std::vector<Step> m_steps;
    QList<qint64> m_counts;
};

using StreamedReplacement = BasicStreamedReplacement<QByteArrayView, QByteArray>;
using StreamedUtf16Replacement = BasicStreamedReplacement<QStringView, QString>;
extern template class BasicStreamedReplacement<QByteArrayView, QByteArray>;
extern template class BasicStreamedReplacement<QStringView, QString>;

// Which substitutions can change a text that is seen piece by piece, from a look
// at the whole text before the replacing: those whose find text occurs in it,
// and those that an earlier one of them could make. After a pass, a find text
// that was absent can occur only overlapping a replace text the pass put in (so
// the two overlap as strings: one holds the other, or an end of one is the other's
// start), or where a deletion joined two neighbours.
class SetsInText {
public:
    // The substitutions must outlive this.
    explicit SetsInText(const QList<Substitution<QByteArray>> &substitutions);

    // Looks at the next piece of the text.
    void add(QByteArrayView piece);
    // Per substitution, in order: whether it can change the text seen so far.
    std::vector<bool> needed() const;

private:
    const QList<Substitution<QByteArray>> &m_substitutions;
    std::vector<qsizetype> m_searched;  // the substitutions with a find text, in order
    std::optional<MultiSearch<char>> m_search;
    std::optional<MultiSearch<char>::Presence> m_presence;
    qsizetype m_reach = 0;  // the longest find text less one: what an occurrence can reach into the next piece
    QByteArray m_tail;      // the last m_reach bytes seen
};

} // namespace tessaly
