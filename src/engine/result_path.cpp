#include "engine/result_path.h"

#include "base/paths.h"

#include <QHash>

#include <algorithm>

namespace tessaly {

QString replacedName(const QString &resultPath, const QString &source, QChar sep)
{
    if (!GetFileName(resultPath, sep).contains(u'.'))
        return resultPath + QStringLiteral("_replaced");
    return StripFileExtension(resultPath) + QStringLiteral("_replaced.") + GetFileExtension(source);
}

size_t sharedResultNameHash(QStringView fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    const qsizetype stemEnd = dot < 0 ? fileName.size() : dot;
    QStringView stem = fileName.first(stemEnd);
    while (stem.endsWith(u"_replaced"))
        stem.chop(9);
    return qHashMulti(0, stem, fileName.sliced(stemEnd));
}

QString composeResultPath(const QString &source, SaveOption save, const QString &outputFolder, QChar sep,
                          const QString &subFolder)
{
    if (save != SaveOption::OutputFolder && save != SaveOption::BesideSource)
        return {};
    const QStringView name = QStringView(source).sliced(source.lastIndexOf(sep) + 1);
    const QStringView folder = save == SaveOption::OutputFolder ? QStringView(outputFolder)
                                                                 : QStringView(source).chopped(name.size());
    // Written in place into one piece of memory, as this runs for every file of
    // a run: the folder, then each name with a separator before it. A folder
    // that ends with a lone separator, followed by a name that starts with none,
    // gets no second one: the normalizing would only take it out again (and
    // after two or more, or before one, it takes out only one of a pair).
    QString result(folder.size() + subFolder.size() + name.size() + 2, Qt::Uninitialized);
    QChar *const begin = result.data();
    QChar *end = std::copy(folder.begin(), folder.end(), begin);
    const auto append = [&](QStringView part) {
        const qsizetype n = end - begin;
        const bool loneEnd = n > 0 && end[-1] == sep && (n == 1 || end[-2] != sep);
        if (!loneEnd || part.startsWith(sep))
            *end++ = sep;
        end = std::copy(part.begin(), part.end(), end);
    };
    if (save == SaveOption::OutputFolder && !subFolder.isEmpty())
        append(subFolder);
    append(name);
    result.truncate(end - begin);
    result = NormalizePath(result, sep);
    if (NormalizePath(source, sep) == result)
        result = replacedName(result, source, sep);
    return result;
}

} // namespace tessaly
