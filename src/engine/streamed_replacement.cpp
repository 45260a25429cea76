#include "engine/streamed_replacement.h"

#include <algorithm>

namespace tessaly {

StreamedReplacement::StreamedReplacement(const QList<Substitution<QByteArray>> &substitutions)
    : m_counts(substitutions.size(), 0)
{
    for (qsizetype j = 0; j < substitutions.size(); ++j) {
        const QByteArrayView find(substitutions[j].find);
        if (!find.isEmpty())  // an empty find text changes nothing
            m_steps.push_back({j, find, QByteArrayView(substitutions[j].replace), ByteSearch(find), {}, {}});
    }
}

qsizetype StreamedReplacement::feed(QByteArrayView text, bool last, QByteArray &out)
{
    if (m_steps.empty()) {
        out.append(text);
        return 0;
    }
    qsizetype heldBack = 0;
    QByteArrayView input = text;
    for (size_t s = 0; s < m_steps.size(); ++s) {
        Step &step = m_steps[s];
        const bool lastStep = s + 1 == m_steps.size();
        QByteArray &into = lastStep ? out : step.output;
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
qsizetype StreamedReplacement::replaceIn(Step &step, QByteArrayView text, bool last, QByteArray &out)
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

} // namespace tessaly
