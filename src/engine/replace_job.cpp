#include "engine/replace_job.h"

#include "base/paths.h"
#include "base/tessaly_error.h"
#include "engine/prepared_sets.h"
#include "engine/streamed_job.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <new>
#include <optional>
#include <utility>

#include <sys/stat.h>

namespace tessaly {

namespace {

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

// FileSize2 of a name as the system takes it.
qint64 sizeOf(const QByteArray &name)
{
    struct stat info {};
    if (::stat(name.constData(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? -1 : 1;
    return S_ISREG(info.st_mode) ? qint64(info.st_size) : 1;
}

JobFailure outOfMemory(JobStep step, const QString &doing, const SourcePath &source)
{
    return {step, QStringLiteral("Not enough memory to %1 \"%2\".").arg(doing, source.path())};
}

// Why a result must not go where its name leads now: the checks of its name
// before the write and, through the same folder handle, once more just before
// the result is put in place.
std::optional<JobFailure> refusalAt(const Destination &destination, const FolderEntry &now,
                                    const RunSources *sources)
{
    if (now.isFolder)
        return JobFailure{JobStep::Write, QStringLiteral("Cannot write \"%1\": it is a folder").arg(destination.path)};
    if (sources && sources->holds(*destination.folder, destination.name, now))
        return JobFailure{JobStep::Place, QStringLiteral("The result \"%1\" would overwrite a source file of this run.")
                                              .arg(destination.path)};
    return std::nullopt;
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

struct OpenedSource {
    std::unique_ptr<SourceReader> reader;
    SourceFile file;
};

// One file's job: the steps in the order they run, and what they share.
class FileJob {
public:
    FileJob(const SourcePath &source, const FileRequest &request, const JobContext &context)
        : m_source(source),
          m_sets(request.sets),
          m_options(request.options),
          m_context(context),
          m_fs(*context.fileSystem),
          m_prepared(context.preparedSets ? *context.preparedSets : m_ownSets)
    {
        m_report.source = source.path();
    }
    FileJob(const FileJob &) = delete;
    FileJob &operator=(const FileJob &) = delete;

    FileReport run();

private:
    StepResult<OpenedSource> open();
    std::optional<JobFailure> load(OpenedSource &opened);
    StepResult<Destination> place(const SourceFile &file);
    StepResult<Destination> claim(Destination destination, const SourceFile &file);
    std::optional<JobFailure> replaceWhole(unsigned mode);
    std::optional<JobFailure> replaceInPieces(SourceReader &reader, unsigned mode);
    template <class Produce>
    std::optional<JobFailure> write(const Produce &produce, unsigned mode);
    FileReport failed(const JobFailure &failure);

    const SourcePath &m_source;
    const QList<FindReplaceSet> &m_sets;
    const JobOptions &m_options;
    const JobContext &m_context;
    const FileSystem &m_fs;
    PreparedSets m_ownSets;  // when the run has none for this thread
    PreparedSets &m_prepared;
    FileReport m_report;
    QByteArray m_content;                 // the source read whole
    std::optional<StreamPlan> m_streamed;  // or how it is replaced in pieces
    Destination m_destination;
    std::optional<JobFailure> m_refusal;  // what the last check before placing found
};

FileReport FileJob::run()
{
    StepResult<OpenedSource> opened = open();
    if (m_context.skipsMissingAndEmpty && isMissingOrEmpty(m_source, opened ? &opened->file : nullptr))
        return skippedReport(m_source.path());
    if (!opened)
        return failed(opened.failure());
    const GiveBack keepContent(m_content, t_spare.content);
    if (const std::optional<JobFailure> failure = load(*opened))
        return failed(*failure);
    // The result's place is settled before the replacing, so that a run's files
    // claim their places in list order without waiting on each other's work.
    // From here on a dry run does everything a real run does but the write, so it
    // reports the same failures.
    m_report.dryRun = m_options.dryRun;
    StepResult<Destination> placed = place(opened->file);
    if (!placed)
        return failed(placed.failure());
    m_destination = std::move(*placed);
    // Never more open than the source: its read and write bits, less the umask.
    const unsigned mode = m_fs.masked(opened->file.mode & 0666);
    const std::optional<JobFailure> failure =
        m_streamed ? replaceInPieces(*opened->reader, mode) : replaceWhole(mode);
    return failure ? failed(*failure) : std::move(m_report);
}

FileReport FileJob::failed(const JobFailure &failure)
{
    m_report.status = FileReport::Status::Failed;
    m_report.failedStep = failure.step;
    m_report.description = failure.reason;
    m_report.earlierSource = failure.earlierSource;
    return std::move(m_report);
}

StepResult<OpenedSource> FileJob::open()
{
    // Such a name would reach the system as another file's name.
    if (!m_source.isValid())
        return JobFailure{JobStep::Read, kInvalidFileNameReason};
    try {
        OpenedSource opened;
        opened.reader = m_fs.openSource(m_source, &opened.file);
        return opened;
    } catch (const TessalyError &error) {
        return JobFailure{JobStep::Read, error.description()};
    }
}

// The source read whole, or the plan to replace it in pieces when it is too large to hold.
std::optional<JobFailure> FileJob::load(OpenedSource &opened)
{
    try {
        if (!m_context.contents)
            m_streamed = planStream(*opened.reader, m_sets, m_options, m_prepared, m_context.pieceSize);
        if (m_streamed) {
            m_report.format = m_streamed->format;
            return std::nullopt;
        }
        m_content = opened.reader->readAll(std::exchange(t_spare.content, {}));
        opened.reader.reset();
        m_report.format = classifyContent(m_content);
        return std::nullopt;
    } catch (const TessalyError &error) {
        return JobFailure{JobStep::Read, error.description()};
    } catch (const std::bad_alloc &) {
        // A file larger than the memory left must fail alone, not end the run.
        return outOfMemory(JobStep::Read, QStringLiteral("read"), m_source);
    }
}

StepResult<Destination> FileJob::place(const SourceFile &file)
{
    const QString resultPath = composeResultPath(m_source.path(), m_options.save, m_options.outputFolder,
                                                 m_options.separator, m_context.subFolder);
    if (resultPath.isEmpty())
        return JobFailure{JobStep::Write, QStringLiteral("No save option is selected.")};
    m_report.resultPath = resultPath;
    try {
        return claim(destinationOf(resultPath, m_options, m_context), file);
    } catch (const TessalyError &error) {
        return JobFailure{JobStep::Write, error.description()};
    }
}

// The destination looked at and claimed among the run's results; a name that
// holds the source itself gives way to its "_replaced" form.
StepResult<Destination> FileJob::claim(Destination destination, const SourceFile &file)
{
    // A folder this run made or found empty, or one still to be made (a name
    // through it), holds only what the run put there: its results, which their
    // claims keep apart. The check just before the result is put in place looks
    // at the name in any case.
    const bool freshFolder = destination.folder->startedEmpty() || destination.name.contains('/');
    FolderEntry now = freshFolder ? FolderEntry{} : m_fs.lookUp(destination);
    if (now.exists && now.identity == file.identity) {
        m_report.resultPath = replacedName(m_report.resultPath, m_source.path(), m_options.separator);
        destination.name = QFile::encodeName(GetFileName(m_report.resultPath, m_options.separator));
        destination.path = m_report.resultPath;
        now = m_fs.lookUp(destination);
        if (now.exists && now.identity == file.identity)
            return JobFailure{JobStep::Place, QStringLiteral("The result \"%1\" would overwrite its own source.")
                                                  .arg(m_report.resultPath)};
    }
    if (std::optional<JobFailure> refusal = refusalAt(destination, now, m_context.sources))
        return std::move(*refusal);
    destination.taken = now.exists || now.isLink;
    if (!m_context.results)
        return destination;
    const std::optional<QString> earlier = m_context.results->claim(
        m_context.listIndex, destination, now.isLink ? m_fs.linkedPlace(destination) : std::nullopt);
    if (earlier)
        return JobFailure{JobStep::Place,
                          QStringLiteral("The result \"%1\" would replace the result of \"%2\" written earlier in "
                                         "this run.")
                              .arg(m_report.resultPath, *earlier),
                          *earlier};
    return destination;
}

std::optional<JobFailure> FileJob::replaceWhole(unsigned mode)
{
    ReplacedContent result;
    const GiveBack keepResult(result.bytes, t_spare.result);
    try {
        result = replaceContent(m_content, m_report.format, m_sets, m_options, m_prepared,
                                std::exchange(t_spare.result, {}));
    } catch (const std::bad_alloc &) {
        return outOfMemory(JobStep::Replace, QStringLiteral("replace in"), m_source);
    }
    m_report.replacements = result.replacements;
    m_report.lostCharacters = result.lost;
    m_report.invalidCharacters = result.invalid;
    if (m_context.contents)
        *m_context.contents = {m_report.format, m_content, result.joined()};
    return write([&](const FileSystem::PieceWriter *to) {
        if (to)
            (*to)(result.parts());
    }, mode);
}

// Read, replaced and written piece by piece: the replacing happens as the write takes the pieces.
std::optional<JobFailure> FileJob::replaceInPieces(SourceReader &reader, unsigned mode)
{
    return write([&](const FileSystem::PieceWriter *to) {
        const StreamedResult done = replaceStreamed(reader, *m_streamed, m_sets, m_options, m_prepared, to);
        m_report.format = done.format;
        m_report.replacements = done.replacements;
        m_report.lostCharacters = done.lost;
    }, mode);
}

// `produce` hands the result to the writer it is given, or makes it for nothing
// in a dry run, which only asks whether the write could be made.
template <class Produce>
std::optional<JobFailure> FileJob::write(const Produce &produce, unsigned mode)
{
    try {
        if (m_options.dryRun) {
            produce(nullptr);
            m_fs.checkCanWrite(m_destination);
            return std::nullopt;
        }
        const bool placed = m_fs.writeAtomically(
            m_destination, [&](const FileSystem::PieceWriter &to) { produce(&to); }, mode,
            [this](const FolderEntry &now) {
                m_refusal = refusalAt(m_destination, now, m_context.sources);
                return !m_refusal;
            });
        return placed ? std::nullopt : m_refusal;
    } catch (const std::bad_alloc &) {
        return outOfMemory(JobStep::Replace, QStringLiteral("replace in"), m_source);
    } catch (const ReadError &error) {
        // A source replaced in pieces is read while its result is written.
        return JobFailure{JobStep::Read, error.description()};
    } catch (const TessalyError &error) {
        return JobFailure{JobStep::Write, error.description()};
    }
}

} // namespace

qint64 FileSize2(const QString &path)
{
    // A name that is not valid UTF-8 goes on to the job, which reports it.
    return isValidFileName(path) ? sizeOf(QFile::encodeName(path)) : 1;
}

bool isMissingOrEmpty(const SourcePath &source, const SourceFile *opened)
{
    if (opened)
        return opened->size == 0;
    return source.isValid() && sizeOf(source.bytes()) < 1;
}

QString skipReason(const QString &path)
{
    return QFileInfo::exists(localPath(path)) ? QStringLiteral("empty") : QStringLiteral("missing");
}

FileReport skippedReport(const QString &path)
{
    FileReport report;
    report.status = FileReport::Status::Skipped;
    report.source = path;
    report.description = skipReason(path);
    return report;
}

FileReport replaceInFile(const SourcePath &source, const FileRequest &request, const JobContext &context)
{
    return FileJob(source, request, context).run();
}

} // namespace tessaly
