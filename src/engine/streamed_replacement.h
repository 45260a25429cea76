// Replacement in a text too large to hold, piece by piece: every occurrence is
// found exactly as in the whole text, also one that straddles two pieces.
#pragma once

#include "engine/byte_search.h"
#include "engine/replacement.h"

#include <QByteArray>
#include <QList>

#include <vector>

namespace tessaly {

class StreamedReplacement {
public:
    // The substitutions in whole-file mode, applied in order as replaceText applies
    // them; they must outlive this.
    explicit StreamedReplacement(const QList<Substitution<QByteArray>> &substitutions);

    // Appends the replaced start of text to out. Text is what the last call held
    // back followed by the next piece; `last` says that no piece follows. Returns
    // how many units at the end of text are held back, for the next call to get
    // first: an occurrence could start there (none when last).
    qsizetype feed(QByteArrayView text, bool last, QByteArray &out);

    // The occurrences replaced so far, per substitution.
    const QList<qint64> &counts() const { return m_counts; }

private:
    // One substitution, as a step of a chain: each gets what the one before gave.
    struct Step {
        qsizetype index;  // in the substitutions
        QByteArrayView find;
        QByteArrayView replace;
        ByteSearch search;
        QByteArray held;    // what this step held back, then its input (the steps after the first)
        QByteArray output;  // what it gives the next step
    };
    qsizetype replaceIn(Step &step, QByteArrayView text, bool last, QByteArray &out);

    std::vector<Step> m_steps;
    QList<qint64> m_counts;
};

} // namespace tessaly
