// Pure replacement: one text in, one text out, in whole-file or viewable-text mode.
// Works on single-byte or UTF-8 bytes and on UTF-16 text alike.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

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

// Applies the substitutions in order, each to the output of the ones before it.
// In viewable-text mode only the text between tags of the HTML body is replaced.
// *replacements counts the occurrences replaced, per substitution when given.
QByteArray replaceText(QByteArrayView text, const QList<Substitution<QByteArray>> &substitutions, ReplaceMode mode,
                       QList<qint64> *replacements);
QString replaceText(QStringView text, const QList<Substitution<QString>> &substitutions, ReplaceMode mode,
                    QList<qint64> *replacements);

} // namespace tessaly
