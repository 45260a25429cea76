#include "engine/replace_job.h"

#include "base/paths.h"
#include "base/tessaly_error.h"
#include "engine/prepared_sets.h"
#include "engine/streamed_job.h"
#include "textio/text_decoding.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <new>
#include <numeric>
#include <optional>
#include <utility>

#include <sys/stat.h>

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
    QByteArrayView trailing;    // an incomplete last unit of a UTF-16 or UTF-32 source, kept as it was
    bool isUtf16 = false;
    qint64 replacements = 0;
    qint64 lost = 0;
    qint64 invalid = 0;

    QList<QByteArrayView> parts() const
    {
        if (!isUtf16)
            return {mark, QByteArrayView(bytes)};
        return {markBytes(ByteOrderMark::Utf16LE),
                QByteArrayView(reinterpret_cast<const char *>(utf16.utf16()), utf16.size() * 2), trailing};
    }
    // The parts as one (without a copy when there is only the bytes).
    QByteArray joined() const
    {
        if (!isUtf16 && mark.isEmpty())
            return bytes;
        QByteArray all;
        for (QByteArrayView part : parts())
            all += part;
        return all;
    }
};

qint64 sum(const QList<qint64> &counts)
{
    return std::accumulate(counts.begin(), counts.end(), qint64(0));
}

// Single-byte and UTF-8 sources are replaced as bytes, so bytes no replacement
// touches come out identical (invalid sequences included) and nothing is decoded.
Result replaceAsBytes(const QByteArray &content, SourceFormat format, const QList<FindReplaceSet> &sets,
                      const JobOptions &options, PreparedSets &prepared, QByteArray recycled)
{
    const bool utf8 = format.encoding == TextEncoding::Utf8;
    const std::shared_ptr<const PreparedBytes> bytes = prepared.bytes(sets, utf8, options.codePage);
    const qsizetype mark = markLength(format.mark);
    QList<qint64> counts;
    Result result;
    result.mark = QByteArrayView(content).first(mark);
    result.bytes = replaceText(QByteArrayView(content).sliced(mark), bytes->substitutions, options.mode, &counts,
                               std::move(recycled));
    result.replacements = sum(counts);
    for (qsizetype j = 0; j < counts.size(); ++j)
        result.lost += counts[j] * bytes->lostPerReplacement[j];
    return result;
}

Result replaceAsText(const QByteArray &content, SourceFormat format, const QList<FindReplaceSet> &sets,
                     const JobOptions &options, PreparedSets &prepared)
{
    const std::shared_ptr<const PreparedSubstitutions<QString>> substitutions = prepared.text(sets);
    Result result;
    QList<qint64> counts;
    if (format.mark == ByteOrderMark::Utf16LE) {
        // Little-endian UTF-16 is searched in place.
        const qsizetype units = (content.size() - 2) / 2;
        const QStringView text(reinterpret_cast<const char16_t *>(content.constData() + 2), units);
        result.utf16 = replaceText(text, *substitutions, options.mode, &counts);
        result.trailing = QByteArrayView(content).sliced(2 + units * 2);
    } else {
        DecodeDetails details;
        const QString text = decodeText(content, format, options.codePage, &details);
        result.utf16 = replaceText(QStringView(text), *substitutions, options.mode, &counts);
        result.trailing = QByteArrayView(content).last(details.trailingBytes);
        result.invalid = details.invalid;
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

// With the run's prepared sets when given, else with sets made for this file. A
// single-byte or UTF-8 result may be made in `recycled`.
Result replaceContent(const QByteArray &content, SourceFormat format, const QList<FindReplaceSet> &sets,
                      const JobOptions &options, PreparedSets *runSets, QByteArray recycled = {})
{
    PreparedSets ownSets;
    PreparedSets &prepared = runSets ? *runSets : ownSets;
    return replacesAsBytes(format, sets, options.codePage)
               ? replaceAsBytes(content, format, sets, options, prepared, std::move(recycled))
               : replaceAsText(content, format, sets, options, prepared);
}

// The buffers of a thread's last file, kept for its next one: a run of small
// pages reads and replaces each in memory it already has, instead of asking the
// allocator for two blocks per page.
struct SpareBuffers {
    QByteArray content;
    QByteArray result;
};
thread_local SpareBuffers t_spare;

// Puts a job's buffer back as its thread's spare when the job ends, unless it has
// none (a file replaced in pieces), is too large to keep between files, or
// something else still holds it (a shared buffer would only be copied on its next use).
class GiveBack {
public:
    GiveBack(QByteArray &buffer, QByteArray &spare) : m_buffer(buffer), m_spare(spare) {}
    GiveBack(const GiveBack &) = delete;
    GiveBack &operator=(const GiveBack &) = delete;
    ~GiveBack()
    {
        const qsizetype capacity = m_buffer.capacity();
        if (capacity > 0 && capacity <= kKeptCapacity && m_buffer.isDetached()) {
            m_buffer.truncate(0);
            m_spare = std::move(m_buffer);
        }
    }

private:
    static constexpr qsizetype kKeptCapacity = qsizetype(1) << 20;
    QByteArray &m_buffer;
    QByteArray &m_spare;
};

FileReport failed(FileReport report, int statement, const QString &description)
{
    report.status = FileReport::Status::Failed;
    report.statement = statement;
    report.description = description;
    return report;
}

// Why a result must not replace what its name holds; the file fails at the
// result-path step.
struct Refusal {
    QString description;
    QString earlierSource = {};  // when it holds the result of that file of the run
};

// The checks a result's name passes before the write and, through the same folder
// handle, once more just before the result is put in place.
void checkDestination(const Destination &destination, const FolderEntry &now, const JobContext &context)
{
    if (now.isFolder)
        throw TessalyError(QStringLiteral("Cannot write \"%1\": it is a folder").arg(destination.path));
    if (context.sources && context.sources->holds(*destination.folder, destination.name, now))
        throw Refusal{QStringLiteral("The result \"%1\" would overwrite a source file of this run.")
                          .arg(destination.path)};
}

Destination destinationOf(const QString &resultPath, const JobOptions &options, const JobContext &context)
{
    Destination destination;
    destination.name = encodedName(QStringView(resultPath).sliced(resultPath.lastIndexOf(options.separator) + 1));
    destination.path = resultPath;
    if (options.save == SaveOption::OutputFolder && !context.subFolder.isEmpty()) {
        // A folder below the output folder is made on the way to the write; a dry
        // run makes none and looks the name up from the deepest folder there is,
        // where it is free, through the folders still to be made.
        std::optional<OutputFolders> ownFolders;
        OutputFolders &folders = context.outputFolders ? *context.outputFolders : ownFolders.emplace();
        auto below = folders.openBelow(options.outputFolder, context.subFolder, !options.dryRun, *context.fileSystem);
        destination.folder = std::move(below.folder);
        destination.name.prepend(below.missing);
        return destination;
    }
    const QString folder = GetFilePath(resultPath, options.separator);
    const QString shownFolder = folder.isEmpty() ? QStringLiteral(".") : folder;
    // The output folder is looked into: empty, its names need no look before the write.
    const bool isOutputFolder = options.save == SaveOption::OutputFolder;
    destination.folder = context.outputFolders
                             ? context.outputFolders->open(shownFolder, *context.fileSystem, isOutputFolder)
                             : context.fileSystem->openFolder(shownFolder);
    return destination;
}

FileReport runJob(const QString &path, const QList<FindReplaceSet> &sets, const JobOptions &options,
                  const JobContext &context, const Statements &statements)
{
    const FileSystem &fs = *context.fileSystem;
    FileReport report;
    report.source = path;
    // Such a name would reach the system as another file's name.
    if (!isValidFileName(path))
        return failed(report, statements.read, kInvalidFileNameReason);

    QByteArray content;
    const GiveBack keepContent(content, t_spare.content);
    SourceFile source;
    std::unique_ptr<SourceReader> reader;
    std::optional<StreamPlan> streamed;  // set when the source is too large to hold
    PreparedSets ownSets;
    PreparedSets &prepared = context.preparedSets ? *context.preparedSets : ownSets;
    try {
        reader = fs.openSource(path, &source);
        if (!context.contents)
            streamed = planStream(*reader, sets, options, prepared, context.pieceSize);
        if (streamed)
            report.format = streamed->format;
        else
            content = reader->readAll(std::exchange(t_spare.content, {}));
    } catch (const TessalyError &error) {
        // Only a source that could not be opened is looked at once more.
        if (context.skipsMissingAndEmpty && FileSize2(path) < 1)
            return skippedReport(path);
        return failed(report, statements.read, error.description());
    } catch (const std::bad_alloc &) {
        // A file larger than the memory left must fail alone, not end the run.
        return failed(report, statements.read, QStringLiteral("Not enough memory to read \"%1\".").arg(path));
    }
    if (context.skipsMissingAndEmpty && source.size == 0)
        return skippedReport(path);
    if (!streamed) {
        reader.reset();
        report.format = classifyContent(content);
    }

    // The result's place is settled before the replacing, so that a run's files
    // claim their places in list order without waiting on each other's work.
    // From here on a dry run does everything a real run does but the write, so it
    // reports the same failures.
    report.dryRun = options.dryRun;
    const QString resultPath =
        composeResultPath(path, options.save, options.outputFolder, options.separator, context.subFolder);
    if (resultPath.isEmpty())
        return failed(report, statements.write, QStringLiteral("No save option is selected."));
    report.resultPath = resultPath;
    const auto check = [&](const Destination &destination, const FolderEntry &now) {
        checkDestination(destination, now, context);
    };
    Destination destination;
    try {
        destination = destinationOf(resultPath, options, context);
        // A folder this run made or found empty, or one still to be made (a name
        // through it), holds only what the run put there: its results, which their
        // claims keep apart. The check just before the result is put in place looks
        // at the name in any case.
        const bool freshFolder = destination.folder->startedEmpty() || destination.name.contains('/');
        FolderEntry now = freshFolder ? FolderEntry{} : fs.lookUp(destination);
        if (now.exists && now.identity == source.identity) {
            report.resultPath = replacedName(resultPath, path, options.separator);
            destination.name = QFile::encodeName(GetFileName(report.resultPath, options.separator));
            destination.path = report.resultPath;
            now = fs.lookUp(destination);
            if (now.exists && now.identity == source.identity)
                return failed(report, statements.resultPath,
                              QStringLiteral("The result \"%1\" would overwrite its own source.")
                                  .arg(report.resultPath));
        }
        check(destination, now);
        destination.taken = now.exists || now.isLink;
        if (context.results) {
            if (const auto earlier =
                    context.results->claim(context.listIndex, destination,
                                           now.isLink ? fs.linkedPlace(destination) : std::nullopt))
                throw Refusal{QStringLiteral("The result \"%1\" would replace the result of \"%2\" written "
                                             "earlier in this run.")
                                  .arg(report.resultPath, *earlier),
                              *earlier};
        }
        // Never more open than the source: its read and write bits, less the umask.
        const unsigned mode = fs.masked(source.mode & 0666);
        if (streamed) {
            const auto replace = [&](const FileSystem::PieceWriter *write) {
                const StreamedResult done =
                    replaceStreamed(*reader, *streamed, sets, options, prepared, write);
                report.format = done.format;
                report.replacements = done.replacements;
                report.lostCharacters = done.lost;
            };
            try {
                if (options.dryRun) {
                    replace(nullptr);
                    fs.checkCanWrite(destination);
                } else
                    fs.writeAtomically(destination, [&](const FileSystem::PieceWriter &write) { replace(&write); },
                                       mode, [&](const FolderEntry &atPlacing) { check(destination, atPlacing); });
            } catch (const std::bad_alloc &) {
                return failed(report, statements.replace,
                              QStringLiteral("Not enough memory to replace in \"%1\".").arg(path));
            }
            return report;
        }
        Result result;
        const GiveBack keepResult(result.bytes, t_spare.result);
        try {
            result = replaceContent(content, report.format, sets, options, context.preparedSets,
                                    std::exchange(t_spare.result, {}));
        } catch (const std::bad_alloc &) {
            return failed(report, statements.replace,
                          QStringLiteral("Not enough memory to replace in \"%1\".").arg(path));
        }
        report.replacements = result.replacements;
        report.lostCharacters = result.lost;
        report.invalidCharacters = result.invalid;
        if (context.contents)
            *context.contents = {report.format, content, result.joined()};
        if (options.dryRun) {
            fs.checkCanWrite(destination);
            return report;
        }
        fs.writeAtomically(destination, result.parts(), mode,
                           [&](const FolderEntry &atPlacing) { check(destination, atPlacing); });
    } catch (const Refusal &refusal) {
        report.earlierSource = refusal.earlierSource;
        return failed(report, statements.resultPath, refusal.description);
    } catch (const TessalyError &error) {
        return failed(report, statements.write, error.description());
    }
    return report;
}

} // namespace

qint64 FileSize2(const QString &path)
{
    // A name that is not valid UTF-8 goes on to the job, which reports it.
    if (!isValidFileName(path))
        return 1;
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? -1 : 1;
    return S_ISREG(info.st_mode) ? qint64(info.st_size) : 1;
}

QString skipReason(const QString &path)
{
    return QFileInfo::exists(path) ? QStringLiteral("empty") : QStringLiteral("missing");
}

FileReport skippedReport(const QString &path)
{
    FileReport report;
    report.status = FileReport::Status::Skipped;
    report.source = path;
    report.description = skipReason(path);
    return report;
}

FileReport ReplaceTextInFile(const QString &path, const QString &findText, const QString &replaceText,
                             const JobOptions &options, const JobContext &context)
{
    return ReplaceTextInFile(path, {{findText, replaceText}}, options, context);
}

FileReport ReplaceTextInFile(const QString &path, const QList<FindReplaceSet> &pair, const JobOptions &options,
                             const JobContext &context)
{
    Q_ASSERT(pair.size() == 1);
    return runJob(path, pair, options, context, kPairStatements);
}

FileReport ReplaceTextInFileCombo(const QString &path, const QList<FindReplaceSet> &sets, const JobOptions &options,
                                  const JobContext &context)
{
    return runJob(path, sets, options, context, kSetsStatements);
}

SourceFormat resultFormat(SourceFormat format)
{
    return format.encoding == TextEncoding::Utf16 ? SourceFormat{TextEncoding::Utf16, ByteOrderMark::Utf16LE}
                                                  : format;
}

QByteArray replacedContent(const QByteArray &content, SourceFormat format, const QList<FindReplaceSet> &sets,
                           const JobOptions &options)
{
    return replaceContent(content, format, sets, options, nullptr).joined();
}

} // namespace tessaly
