#include "cli/cli_runner.h"

#include "base/paths.h"
#include "cli/cli_printer.h"
#include "cli/terminal_text.h"
#include "filelist/add_folder.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <iterator>
#include <optional>
#include <vector>

namespace tessaly::cli {

namespace {

void print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

// With --keep-tree --base: where a file PATH's result goes below the output
// folder, or why it cannot have one. The name is compared as written (made
// absolute, "." and ".." taken out), then by the folders' real places, so a
// base or a list that reaches the files through a link still matches.
class BaseFolder {
public:
    explicit BaseFolder(const QString &base) : m_base(base) {}

    RunFile place(const QString &path)
    {
        const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        if (const auto below = relative(absolute, m_base))
            return {path, GetFilePath(*below, u'/'), {}};
        if (m_realBase.isNull())
            m_realBase = QFileInfo(m_base).canonicalFilePath();
        const QFileInfo file(absolute);
        const QString realFolder = QFileInfo(file.absolutePath()).canonicalFilePath();
        if (!m_realBase.isEmpty() && !realFolder.isEmpty()) {
            if (const auto below = relative(realFolder + u'/' + file.fileName(), m_realBase))
                return {path, GetFilePath(*below, u'/'), {}};
        }
        return {path, {}, QStringLiteral("not below the --base folder %1").arg(m_base)};
    }

private:
    static std::optional<QString> relative(const QString &path, const QString &folder)
    {
        const qsizetype length = folder.endsWith(u'/') ? folder.size() : folder.size() + 1;  // "/" ends itself
        if (path.size() > length && path.startsWith(folder) && path.at(length - 1) == u'/')
            return path.mid(length);
        return std::nullopt;
    }

    QString m_base;
    QString m_realBase;  // found when first needed
};

} // namespace

ExpandedPaths expandPaths(const CliOptions &options, FILE *err, int threadLimit)
{
    FolderScanOptions scan;
    scan.reportSkipped = [err](const SkippedFolder &folder) {
        print(err, QStringLiteral("tessaly-cli: %1: folder skipped (%2)\n").arg(escapeControls(folder.path), folder.reason));
    };
    scan.reportFailure = [err](const StepFailure &failure) {
        print(err, QStringLiteral("tessaly-cli: %1 (%2at line %3)\n")
                       .arg(escapeControls(failure.description), failure.source)
                       .arg(failure.statement));
    };
    const QChar sep = QDir::separator();
    std::optional<BaseFolder> base;
    if (options.keepTree && !options.base.isEmpty())
        base.emplace(options.base);
    // The look that records the listed files as the run's sources tells the
    // folders among them too: each name is looked at once before the run.
    const QString current = QDir::currentPath();
    std::vector<char> isFolder;
    ExpandedPaths expanded{
        {},
        RunSources(
            options.paths.size(), [&](qsizetype i) { return absolutePath(current, options.paths.at(i)); },
            options.jobs, threadLimit, &isFolder)};
    QList<RunFile> &files = expanded.files;
    files.reserve(options.paths.size());
    // Where each listed folder's files start in `files`, and how many were found
    // in the folders before it.
    struct FoundFiles {
        qsizetype inList;
        qsizetype before;
    };
    std::vector<FoundFiles> scanned;
    qsizetype foundInFolders = 0;
    // The folders whose listing told their identity, and for each file found in
    // one that the listing showed as a plain file, that folder (else -1): such a
    // file is recorded as a source from the listing, which is not read again.
    std::vector<RunSources::ListedFolder> listedFolders;
    std::vector<qint32> listedFolderOf;
    for (qsizetype i = 0; i < options.paths.size(); ++i) {
        const QString &path = options.paths.at(i);
        // An empty name, or one that is not valid UTF-8, stays a file: its job
        // reports it. (Made absolute, "" would name the working folder.)
        if (path.isEmpty() || !isValidFileName(path)) {
            files.append({path, {}, {}});
            continue;
        }
        if (!isFolder[size_t(i)]) {
            files.append(base ? base->place(path) : RunFile{path, {}, {}});
            continue;
        }
        // The scan names the folder's files with the folder as given, less its
        // closing separators, in front.
        QString folder = path;
        while (folder.size() > 1 && folder.endsWith(sep))
            folder.chop(1);
        std::vector<FolderListingFacts> facts;
        const QStringList found = collectFolderFiles(path, options.extension, scan, options.jobs, threadLimit, &facts);
        for (const FolderListingFacts &folderFacts : facts) {
            const bool listed = folderFacts.identity.has_value();
            if (listed)
                listedFolders.push_back({*folderFacts.identity, absolutePath(current, folderFacts.folder)});
            for (const bool plain : folderFacts.plain)
                listedFolderOf.push_back(listed && plain ? qint32(listedFolders.size() - 1) : -1);
        }
        listedFolderOf.resize(size_t(foundInFolders + found.size()), -1);
        // The list is sized once, and the files of one folder share one copy of
        // its name below the output folder: a long list holds little per file.
        files.reserve(files.size() + found.size());
        scanned.push_back({files.size(), foundInFolders});
        foundInFolders += found.size();
        QString subFolder;
        for (const QString &file : found) {
            if (options.keepTree) {
                const QStringView fileFolder = foldersBelow(file, folder, sep);
                if (fileFolder != subFolder)
                    subFolder = fileFolder.toString();
            }
            files.append({file, subFolder, {}});
        }
    }
    // The files found in folders are added in one go: each addition sorts the
    // whole record again. The run's threads read the list at once: only through
    // a const view, which never detaches it.
    const QList<RunFile> &listed = files;
    const auto foundAt = [&](qsizetype k) -> const QString & {
        const auto folder = std::prev(std::upper_bound(scanned.begin(), scanned.end(), k,
                                                       [](qsizetype n, const FoundFiles &f) { return n < f.before; }));
        return listed.at(folder->inList + k - folder->before).path;
    };
    expanded.sources.add(
        foundInFolders, [&](qsizetype k) { return absolutePath(current, foundAt(k)); }, options.jobs, threadLimit,
        nullptr, [&](qsizetype k) -> std::optional<RunSources::ListedFile> {
            const qint32 folder = listedFolderOf[size_t(k)];
            if (folder < 0)
                return std::nullopt;
            const QString &path = foundAt(k);
            return RunSources::ListedFile{&listedFolders[size_t(folder)],
                                          QStringView(path).sliced(path.lastIndexOf(sep) + 1)};
        });
    return expanded;
}

int runFiles(const CliOptions &options, FILE *out, FILE *err, bool showProgress, StopToken &stop,
             const RunEnvironment &environment)
{
    // Folders turn into their files first, so the run's sources include them.
    const ExpandedPaths expanded = expandPaths(options, err, environment.threadLimit);
    FixedRequest request({options.usesSetFile ? FileRequest::Kind::Sets : FileRequest::Kind::Pair, options.sets,
                          options.job});
    CliPrinter printer(options, out, err, showProgress, expanded.files.size(), stop);
    return printer.finish(
        ReplaceRun(environment).run(expanded.files, request, printer, stop, options.jobs, &expanded.sources));
}

} // namespace tessaly::cli
