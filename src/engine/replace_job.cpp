#include "engine/replace_job.h"

#include "base/tessaly_error.h"
#include "textio/text_decoding.h"

#include <QFile>
#include <QFileInfo>

#include <new>
#include <numeric>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaly {

namespace {

// Statement numbers of the steps a report names; the set job's steps come later.
struct Statements {
    int read;
    int replace;
    int resultPath;
    int write;
};
constexpr Statements kPairStatements{100, 106, 166, 168};
constexpr Statements kSetsStatements{100, 106, 172, 174};

// A result ready to write: its parts in order, and what it cost.
struct Result {
    QByteArrayView mark;        // the source's UTF-8 mark, kept
    QByteArray bytes;           // single-byte or UTF-8 result
    QString utf16;              // UTF-16 result (written with the FF FE mark)
    QByteArrayView strayByte;   // the odd last byte of a UTF-16 source, kept as it was
    bool isUtf16 = false;
    qint64 replacements = 0;
    qint64 lost = 0;

    QList<QByteArrayView> parts() const
    {
        if (!isUtf16)
            return {mark, QByteArrayView(bytes)};
        return {markBytes(ByteOrderMark::Utf16LE),
                QByteArrayView(reinterpret_cast<const char *>(utf16.utf16()), utf16.size() * 2), strayByte};
    }
};

qint64 sum(const QList<qint64> &counts)
{
    return std::accumulate(counts.begin(), counts.end(), qint64(0));
}

// Single-byte and UTF-8 sources are replaced as bytes, so bytes no replacement
// touches come out identical (invalid sequences included) and nothing is decoded.
Result replaceAsBytes(const QByteArray &content, SourceFormat format, const QList<FindReplaceSet> &sets,
                      const JobOptions &options)
{
    const bool utf8 = format.encoding == TextEncoding::Utf8;
    QList<Substitution<QByteArray>> substitutions;
    QList<qint64> lostPerReplacement;
    for (const FindReplaceSet &set : sets) {
        qint64 lost = 0;
        // A find text with characters the page lacks cannot occur in the decoded
        // text; encoding it would turn them into "?" and match real question marks.
        QByteArray find;
        if (utf8 || options.codePage.canEncode(set.find))
            find = utf8 ? set.find.toUtf8() : options.codePage.encode(set.find);
        QByteArray replace = utf8 ? set.replace.toUtf8() : options.codePage.encode(set.replace, &lost);
        substitutions.append({std::move(find), std::move(replace)});
        lostPerReplacement.append(lost);
    }
    const qsizetype mark = markLength(format.mark);
    QList<qint64> counts;
    Result result;
    result.mark = QByteArrayView(content).first(mark);
    result.bytes = replaceText(QByteArrayView(content).sliced(mark), substitutions, options.mode, &counts);
    result.replacements = sum(counts);
    for (qsizetype j = 0; j < counts.size(); ++j)
        result.lost += counts[j] * lostPerReplacement[j];
    return result;
}

Result replaceAsText(const QByteArray &content, SourceFormat format, const QList<FindReplaceSet> &sets,
                     const JobOptions &options)
{
    QList<Substitution<QString>> substitutions;
    for (const FindReplaceSet &set : sets)
        substitutions.append({set.find, set.replace});
    Result result;
    QList<qint64> counts;
    if (format.mark == ByteOrderMark::Utf16LE) {
        // Little-endian UTF-16 is searched in place.
        const qsizetype units = (content.size() - 2) / 2;
        const QStringView text(reinterpret_cast<const char16_t *>(content.constData() + 2), units);
        result.utf16 = replaceText(text, substitutions, options.mode, &counts);
        result.strayByte = QByteArrayView(content).sliced(2 + units * 2);
    } else {
        const QString text = decodeText(content, format, options.codePage);
        result.utf16 = replaceText(QStringView(text), substitutions, options.mode, &counts);
    }
    result.replacements = sum(counts);
    if (format.encoding == TextEncoding::Utf16) {
        result.isUtf16 = true;
    } else {
        result.bytes = options.codePage.encode(result.utf16, &result.lost);
        result.utf16.clear();
    }
    return result;
}

bool allEncodable(const QList<FindReplaceSet> &sets, const CodePage &codePage)
{
    return std::all_of(sets.begin(), sets.end(), [&](const FindReplaceSet &set) {
        return codePage.canEncode(set.find) && codePage.canEncode(set.replace);
    });
}

Result replaceContent(const QByteArray &content, SourceFormat format, const QList<FindReplaceSet> &sets,
                      const JobOptions &options)
{
    // A single pair can be applied to code-page bytes even when it holds characters
    // the page lacks: such a find text cannot occur, such a replace text turns into
    // "?" either way. Several sets may match what an earlier one inserted, so those
    // go through text unless every character fits the page.
    const bool asBytes = format.encoding == TextEncoding::Utf8
                         || (format.encoding == TextEncoding::Ansi
                             && (sets.size() <= 1 || allEncodable(sets, options.codePage)));
    return asBytes ? replaceAsBytes(content, format, sets, options) : replaceAsText(content, format, sets, options);
}

QString plural(qint64 n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

FileReport failed(FileReport report, int statement, const QString &description)
{
    report.status = FileReport::Status::Failed;
    report.statement = statement;
    report.description = description;
    return report;
}

FileReport runJob(const QString &path, const QList<FindReplaceSet> &sets, const JobOptions &options,
                  const Statements &statements)
{
    const FileSystem &fs = *options.fileSystem;
    FileReport report;
    report.source = path;

    QByteArray content;
    try {
        content = fs.readAll(path);
    } catch (const TessalyError &error) {
        return failed(report, statements.read, error.description());
    } catch (const std::bad_alloc &) {
        // A file larger than the memory left must fail alone, not end the run.
        return failed(report, statements.read, QStringLiteral("Not enough memory to read \"%1\".").arg(path));
    }
    report.format = classifyContent(content);
    Result result;
    try {
        result = replaceContent(content, report.format, sets, options);
    } catch (const std::bad_alloc &) {
        return failed(report, statements.replace,
                      QStringLiteral("Not enough memory to replace in \"%1\".").arg(path));
    }
    report.replacements = result.replacements;
    report.lostCharacters = result.lost;

    QString resultPath = composeResultPath(path, options.save, options.outputFolder, options.separator);
    if (resultPath.isEmpty())
        return failed(report, statements.write, QStringLiteral("No save option is selected."));
    if (fs.sameFile(resultPath, path)) {
        resultPath = replacedName(resultPath, path, options.separator);
        if (fs.sameFile(resultPath, path))
            return failed(report, statements.resultPath,
                          QStringLiteral("The result \"%1\" would overwrite its own source.").arg(resultPath));
    }
    report.resultPath = resultPath;
    if (options.isRunSource && options.isRunSource(resultPath))
        return failed(report, statements.resultPath,
                      QStringLiteral("The result \"%1\" would overwrite a source file of this run.").arg(resultPath));

    if (options.dryRun) {
        report.dryRun = true;
        return report;
    }
    try {
        fs.writeAtomically(resultPath, result.parts());
    } catch (const TessalyError &error) {
        return failed(report, statements.write, error.description());
    }
    return report;
}

} // namespace

qint64 FileSize2(const QString &path)
{
    // Opened without blocking, so a FIFO cannot stall the run; only regular files count.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    return regular ? qint64(info.st_size) : -1;
}

QString skipReason(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("missing");
    if (!info.isFile())
        return QStringLiteral("not a regular file");
    if (info.size() == 0)
        return QStringLiteral("empty");
    return QStringLiteral("cannot be opened");
}

FileReport skippedReport(const QString &path)
{
    FileReport report;
    report.status = FileReport::Status::Skipped;
    report.source = path;
    report.description = skipReason(path);
    return report;
}

QString describeReport(const FileReport &report, const QString &codePageName)
{
    switch (report.status) {
    case FileReport::Status::Skipped:
        return QStringLiteral("%1: skipped (%2)").arg(report.source, report.description);
    case FileReport::Status::Failed:
        return QStringLiteral("%1: failed (%2)").arg(report.source, report.description);
    case FileReport::Status::Written:
        break;
    }
    QString details = plural(report.replacements, "replacement", "replacements");
    if (report.lostCharacters > 0)
        details += QStringLiteral(", %1 not in %2 written as \"?\"")
                       .arg(plural(report.lostCharacters, "character", "characters"), codePageName);
    if (report.dryRun)
        details += QStringLiteral(", dry run");
    return QStringLiteral("%1 -> %2 (%3)").arg(report.source, report.resultPath, details);
}

FileReport ReplaceTextInFile(const QString &path, const QString &findText, const QString &replaceText,
                             const JobOptions &options)
{
    return runJob(path, {{findText, replaceText}}, options, kPairStatements);
}

FileReport ReplaceTextInFileCombo(const QString &path, const QStringList &findList, const QStringList &replaceList,
                                  const JobOptions &options)
{
    QList<FindReplaceSet> sets;
    for (qsizetype j = 0; j < findList.size(); ++j)
        sets.append({findList[j], replaceList.value(j)});
    return runJob(path, sets, options, kSetsStatements);
}

} // namespace tessaly
