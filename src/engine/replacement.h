// Pure replacement: one text in, one text out, in whole-file or viewable-text mode.
// Works on single-byte or UTF-8 bytes and on UTF-16 text alike.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

namespace tessaly {

enum class ReplaceMode { ViewableText, WholeFile };

// A find/replace pair in the units of the text it applies to.
template <class Text>
struct Substitution {
    Text find;
    Text replace;
};

// Cuts the text before the first occurrence of marker off working and returns it
// (the marker as given appended when includeMarker and the marker was found).
// Markers match in any letter case; without a match all of working is taken.
QString TakeUpTo(QString &working, QStringView marker, bool includeMarker);

// Whether the find texts of several substitutions are first searched for all at
// once, so that a substitution that cannot find anything is skipped. The result
// is the same either way; Auto searches when the list is long enough for that to
// pay, Always and Never let tests compare the two.
enum class SetSkipping { Auto, Always, Never };

// Substitutions made ready for many texts of one kind: the search for all their
// find texts at once is built here, once. Threads may share one; each
// replaceText call keeps its own state.
template <class Buffer>
class PreparedSubstitutions {
public:
    PreparedSubstitutions(QList<Substitution<Buffer>> substitutions, SetSkipping skipping);
    PreparedSubstitutions(PreparedSubstitutions &&other) noexcept;
    PreparedSubstitutions &operator=(PreparedSubstitutions &&other) noexcept;
    ~PreparedSubstitutions();

    const QList<Substitution<Buffer>> &substitutions() const;

    struct Data;
    const Data &data() const { return *m_data; }

private:
    std::unique_ptr<const Data> m_data;
};

extern template class PreparedSubstitutions<QByteArray>;
extern template class PreparedSubstitutions<QString>;

// Applies the substitutions in order, each to the output of the ones before it.
// In viewable-text mode only the text between tags of the HTML body is replaced.
// *replacements counts the occurrences replaced, per substitution when given.
// The result may be made in `recycled`, a buffer its caller is done with.
QByteArray replaceText(QByteArrayView text, const PreparedSubstitutions<QByteArray> &substitutions, ReplaceMode mode,
                       QList<qint64> *replacements, QByteArray recycled = {});
QString replaceText(QStringView text, const PreparedSubstitutions<QString> &substitutions, ReplaceMode mode,
                    QList<qint64> *replacements);
// The same, for substitutions used once.
QByteArray replaceText(QByteArrayView text, const QList<Substitution<QByteArray>> &substitutions, ReplaceMode mode,
                       QList<qint64> *replacements, SetSkipping skipping = SetSkipping::Auto);
QString replaceText(QStringView text, const QList<Substitution<QString>> &substitutions, ReplaceMode mode,
                    QList<qint64> *replacements, SetSkipping skipping = SetSkipping::Auto);

} // namespace tessaly
