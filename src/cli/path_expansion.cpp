#include "cli/path_expansion.h"

#include "base/paths.h"
#include "cli/terminal_text.h"

#include <QDir>

#include <algorithm>
#include <iterator>

namespace tessaly::cli {

namespace {

void print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

} // namespace

PathExpansion::PathExpansion(const CliOptions &options, FILE *err, int threadLimit)
    : m_options(options), m_err(err), m_threadLimit(threadLimit), m_current(QDir::currentPath())
{
    if (options.keepTree && !options.base.isEmpty())
        m_base.emplace(options.base);
}

FolderScanOptions PathExpansion::scanOptions() const
{
    FolderScanOptions scan;
    FILE *err = m_err;
    scan.reportSkipped = [err](const SkippedFolder &folder) {
        print(err, QStringLiteral("tessaly-cli: %1: folder skipped (%2)\n").arg(escapeControls(folder.path), folder.reason));
    };
    scan.reportFailure = [err](const StepFailure &failure) {
        print(err, QStringLiteral("tessaly-cli: %1 (%2at line %3)\n")
                       .arg(escapeControls(failure.description), failure.source)
                       .arg(failure.statement));
    };
    return scan;
}

ExpandedPaths PathExpansion::expand()
{
    // The look that records the listed files as the run's sources tells the
    // folders among them too: each name is looked at once before the run.
    const QStringList &paths = m_options.paths;
    std::vector<char> isFolder;
    RunSources sources(
        paths.size(), [&](qsizetype i) { return absolutePath(m_current, paths.at(i)); }, m_options.jobs,
        m_threadLimit, &isFolder);
    m_files.reserve(paths.size());
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString &path = paths.at(i);
        // An empty name, or one that is not valid UTF-8, stays a file: its job
        // reports it. (Made absolute, "" would name the working folder.)
        if (path.isEmpty() || !isValidFileName(path))
            m_files.append({path, {}, {}});
        else if (!isFolder[size_t(i)])
            m_files.append(m_base ? m_base->place(path) : RunFile{path, {}, {}});
        else
            addFolder(path);
    }
    addFoundSources(sources);
    return {std::move(m_files), std::move(sources)};
}

void PathExpansion::addFolder(const QString &path)
{
    // The scan names the folder's files with the folder as given, less its
    // closing separators, in front.
    const QChar sep = QDir::separator();
    QString folder = path;
    while (folder.size() > 1 && folder.endsWith(sep))
        folder.chop(1);
    std::vector<FolderListingFacts> facts;
    // Qt would take ":d" for a resource: the scan is given "./:d", and its
    // files are named with the folder as given again.
    const QString scanned = localPath(path);
    QStringList found =
        collectFolderFiles(scanned, m_options.extension, scanOptions(), m_options.jobs, m_threadLimit, &facts);
    if (scanned != path) {
        for (QString &file : found)
            file.remove(0, scanned.size() - path.size());
    }
    recordListings(facts, found.size());
    // The list is sized once, and the files of one folder share one copy of
    // its name below the output folder: a long list holds little per file.
    m_files.reserve(m_files.size() + found.size());
    m_scanned.push_back({m_files.size(), m_foundInFolders});
    m_foundInFolders += found.size();
    QString subFolder;
    for (const QString &file : found) {
        if (m_options.keepTree) {
            const QStringView fileFolder = foldersBelow(file, folder, sep);
            if (fileFolder != subFolder)
                subFolder = fileFolder.toString();
        }
        m_files.append({file, subFolder, {}});
    }
}

void PathExpansion::recordListings(const std::vector<FolderListingFacts> &facts, qsizetype found)
{
    for (const FolderListingFacts &folderFacts : facts) {
        const bool listed = folderFacts.identity.has_value();
        if (listed)
            m_listedFolders.push_back({*folderFacts.identity, absolutePath(m_current, folderFacts.folder)});
        for (const bool plain : folderFacts.plain)
            m_listedFolderOf.push_back(listed && plain ? qint32(m_listedFolders.size() - 1) : -1);
    }
    m_listedFolderOf.resize(size_t(m_foundInFolders + found), -1);
}

// The k-th file found in a folder. The run's threads read the list at once:
// only through a const view, which never detaches it.
const QString &PathExpansion::foundAt(qsizetype k) const
{
    const auto folder = std::prev(std::upper_bound(m_scanned.begin(), m_scanned.end(), k,
                                                   [](qsizetype n, const FoundFiles &f) { return n < f.before; }));
    return m_files.at(folder->inList + k - folder->before).path;
}

// The files found in folders are added in one go: each addition sorts the
// whole record again.
void PathExpansion::addFoundSources(RunSources &sources) const
{
    const QChar sep = QDir::separator();
    sources.add(
        m_foundInFolders, [&](qsizetype k) { return absolutePath(m_current, foundAt(k)); }, m_options.jobs,
        m_threadLimit, nullptr, [&](qsizetype k) -> std::optional<RunSources::ListedFile> {
            const qint32 folder = m_listedFolderOf[size_t(k)];
            if (folder < 0)
                return std::nullopt;
            const QString &path = foundAt(k);
            return RunSources::ListedFile{&m_listedFolders[size_t(folder)],
                                          QStringView(path).sliced(path.lastIndexOf(sep) + 1)};
        });
}

} // namespace tessaly::cli
