// Fuzz target: the path text helpers and the result-path rule on arbitrary paths,
// with "\" and "/" as separator and any folder below the output folder, compared
// with a plain rendering of the rules.
#include "fuzz_check.h"

#include "base/paths.h"
#include "engine/result_path.h"

#include <QDir>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

using namespace tessaly;

namespace {

QString wide(const std::string &bytes)
{
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

// Doubled separators become one, scanning left to right once.
QString collapse(const QString &text, QChar sep)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == sep && i + 1 < text.size() && text[i + 1] == sep)
            ++i;
    }
    return out;
}

QString referenceNormalize(const QString &path, QChar sep)
{
    if (!path.startsWith(sep))
        return collapse(path, sep);
    qsizetype first = 0;
    while (first < path.size() && path[first] == sep)
        ++first;
    const QString lead = sep == u'\\' ? QStringLiteral("\\\\") : QString(sep);
    return lead + collapse(path.mid(first), sep);
}

QString referenceFileName(const QString &path, QChar sep)
{
    const QStringList parts = path.split(sep);
    return parts.last();
}

QString referenceStrip(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot >= 1 ? path.left(dot) : path;
}

QString referenceExtension(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot < 0 ? path : path.mid(dot + 1);
}

QString referenceResultPath(const QString &source, SaveOption save, const QString &folder, QChar sep,
                            const QString &subFolder)
{
    const QString name = referenceFileName(source, sep);
    QString result;
    if (save == SaveOption::OutputFolder)
        result = folder + sep + (subFolder.isEmpty() ? QString() : subFolder + sep) + name;
    else if (save == SaveOption::BesideSource)
        result = source.left(source.size() - name.size()) + sep + name;
    else
        return QString();
    result = referenceNormalize(result, sep);
    if (referenceNormalize(source, sep) == result) {
        // A name without a dot gets the suffix at its end.
        if (!referenceFileName(result, sep).contains(u'.'))
            return result + QStringLiteral("_replaced");
        result = referenceStrip(result) + QStringLiteral("_replaced.") + referenceExtension(source);
    }
    return result;
}

// The name made absolute against the working folder and always cleaned by Qt,
// keeping a closing "/": what the quick test of a clean name must agree with.
QString referenceAbsolute(const QString &current, const QString &path)
{
    const QString absolute = path.startsWith(u'/') || path.startsWith(u':') ? path : current + u'/' + path;
    QString clean = QDir::cleanPath(absolute);
    if (absolute.endsWith(u'/') && !clean.endsWith(u'/'))
        clean += u'/';
    return clean;
}

QString referenceFoldersBelow(const QString &path, const QString &folder, QChar sep)
{
    const qsizetype start = folder.endsWith(sep) ? folder.size() : folder.size() + 1;
    if (path.size() <= start || !path.startsWith(folder) || path.at(start - 1) != sep)
        return QString();
    return GetFilePath(path.mid(start), sep);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const QChar sep = input.ConsumeBool() ? u'\\' : u'/';
    const int saveChoice = input.ConsumeIntegralInRange(0, 2);
    const SaveOption save = saveChoice == 0 ? SaveOption::BesideSource
                            : saveChoice == 1 ? SaveOption::OutputFolder
                                              : SaveOption::None;
    const QString folder = wide(input.ConsumeRandomLengthString(24));
    const QString subFolder = wide(input.ConsumeRandomLengthString(12));
    const QString path = wide(input.ConsumeRemainingBytesAsString());

    const QString name = GetFileName(path, sep);
    const QString dir = GetFilePath(path, sep);
    FUZZ_CHECK(name == referenceFileName(path, sep));
    FUZZ_CHECK(dir + name == path);
    FUZZ_CHECK(dir.isEmpty() || dir.endsWith(sep));
    FUZZ_CHECK(GetFileExtension(path) == referenceExtension(path));
    FUZZ_CHECK(StripFileExtension(path) == referenceStrip(path));

    const QString normal = NormalizePath(path, sep);
    FUZZ_CHECK(normal == referenceNormalize(path, sep));
    FUZZ_CHECK(normal.size() <= path.size() + 1);

    FUZZ_CHECK(absolutePath(u'/' + folder, path) == referenceAbsolute(u'/' + folder, path));
    FUZZ_CHECK(foldersBelow(path, folder, sep) == referenceFoldersBelow(path, folder, sep));

    const QString result = composeResultPath(path, save, folder, sep, subFolder);
    FUZZ_CHECK(result == referenceResultPath(path, save, folder, sep, subFolder));
    // A result never names its own source by the same text.
    if (!result.isEmpty())
        FUZZ_CHECK(result != NormalizePath(path, sep));
    return 0;
}
