#include "engine/result_path.h"

#include "base/paths.h"

#include <QHash>

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
    // A folder that ends with a lone separator, followed by a name that starts
    // with none, gets no second one: the normalizing would only take it out again
    // (and after two or more, or before one, it takes out only one of a pair).
    const auto into = [sep](QStringView folder, QStringView name) {
        const qsizetype n = folder.size();
        const bool loneEnd = n > 0 && folder[n - 1] == sep && (n == 1 || folder[n - 2] != sep);
        return joinPath(folder, !loneEnd || name.startsWith(sep) ? sep : QChar(), name);
    };
    QString result;
    if (save == SaveOption::OutputFolder)
        result = into(subFolder.isEmpty() ? outputFolder : into(outputFolder, subFolder), GetFileName(source, sep));
    else if (save == SaveOption::BesideSource)
        result = into(GetFilePath(source, sep), GetFileName(source, sep));
    else
        return {};
    result = NormalizePath(result, sep);
    if (NormalizePath(source, sep) == result)
        result = replacedName(result, source, sep);
    return result;
}

} // namespace tessaly
