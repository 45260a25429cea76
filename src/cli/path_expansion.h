// The PATHs of a command line turned into the run's files: every folder is
// replaced in place by the files its scan collects, and every name is looked at
// once, for what is a folder and what a source of the run.
#pragma once

#include "cli/base_folder.h"
#include "cli/cli_options.h"
#include "engine/replace_run.h"
#include "engine/run_sources.h"
#include "filelist/add_folder.h"

#include <cstdio>
#include <optional>
#include <vector>

namespace tessaly::cli {

// The files of a command line's run, and the run's sources among them.
struct ExpandedPaths {
    QList<RunFile> files;
    RunSources sources;
};

class PathExpansion {
public:
    // Scan failures and every folder the scan skips, with the reason, are
    // written to `err`. Names are looked at by up to the options' jobs threads
    // (no more than `threadLimit` more when it is not negative).
    PathExpansion(const CliOptions &options, FILE *err, int threadLimit = -1);

    // The folders' files (collectFolderFiles with the options' extension) in
    // their folders' places; files stay as given. With --keep-tree a folder's
    // file keeps where its folder lies below the folder PATH ("A/B"). Once only.
    ExpandedPaths expand();

private:
    // Where a listed folder's files start in the list, and how many were found
    // in the folders before it.
    struct FoundFiles {
        qsizetype inList;
        qsizetype before;
    };
    FolderScanOptions scanOptions() const;
    void addFolder(const QString &path);
    void recordListings(const std::vector<FolderListingFacts> &facts, qsizetype found);
    void addFoundSources(RunSources &sources) const;
    const QString &foundAt(qsizetype k) const;

    const CliOptions &m_options;
    FILE *m_err;
    int m_threadLimit;
    const QString m_current;  // the working folder
    std::optional<BaseFolder> m_base;
    QList<RunFile> m_files;
    std::vector<FoundFiles> m_scanned;
    qsizetype m_foundInFolders = 0;
    // The folders whose listing told their identity, and for each file found in
    // one that the listing showed as a plain file, that folder (else -1): such a
    // file is recorded as a source from the listing, which is not read again.
    std::vector<RunSources::ListedFolder> m_listedFolders;
    std::vector<qint32> m_listedFolderOf;
};

} // namespace tessaly::cli
