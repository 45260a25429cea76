#include "sets/set_file.h"

#include "textio/text_lines.h"

namespace tessaly {

std::optional<FindReplaceSet> splitSetLine(const QString &line, const QString &separator)
{
    if (line.isEmpty() || separator.isEmpty())
        return std::nullopt;
    const qsizetype first = line.indexOf(separator);
    if (first < 0)
        return std::nullopt;
    const qsizetype replaceStart = first + separator.size();
    const qsizetype second = line.indexOf(separator, replaceStart);
    return FindReplaceSet{line.left(first),
                          second < 0 ? line.mid(replaceStart) : line.mid(replaceStart, second - replaceStart)};
}

QList<FindReplaceSet> readSetFile(const QString &path, const QString &separator, const CodePage &codePage)
{
    QList<FindReplaceSet> sets;
    for (const QString &line : ReadTextLines(path, codePage)) {
        if (auto set = splitSetLine(line, separator))
            sets.append(std::move(*set));
    }
    return sets;
}

QByteArray formatSetFile(const QStringList &findList, const QStringList &replaceList, const CodePage &codePage,
                         qint64 *lost)
{
    QString text;
    for (qsizetype i = 0; i < findList.size(); ++i)
        text += findList[i] + QStringLiteral("::") + replaceList.value(i) + QStringLiteral("\r\n");
    return codePage.encode(text, lost);
}

} // namespace tessaly
