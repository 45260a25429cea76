// The sources of one run, recognised by place (folder identity and name, as the
// places were when the run started) and by identity (device and inode), so that
// no result of the run replaces one, whatever the spelling, links, or an editor
// saving a new file under a source's name during the run.
//
// A plain file among many of its folder is placed from the folder's listing, and
// its identity is looked up only when a result's name is first found to hold a
// file: most runs write to free names only and never need it. The places are
// protected from the start, so no result has taken a source's name by then; the
// identity is looked up through the same folder (a folder that is no longer
// where it was is left out), and is the one the file had when the run started
// unless another program replaced it meanwhile.
#pragma once

#include "textio/file_system.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace tessaly {

class RunSources {
public:
    using PathAt = std::function<QString(qsizetype)>;
    // The `count` sources named by pathAt(0) ... pathAt(count - 1), absolute,
    // looked at by up to `threads` threads at once (no more than `threadLimit`
    // more when it is not negative); pathAt is called from each of them. With
    // `folders`, a name that leads to a folder (through links too) is no source:
    // (*folders)[i] tells whether name i does, so that a caller that turns folders
    // into their files need not look at every name again.
    RunSources(qsizetype count, const PathAt &pathAt, int threads = 1, int threadLimit = -1,
               std::vector<char> *folders = nullptr);
    explicit RunSources(const QStringList &paths)
        : RunSources(paths.size(), [&](qsizetype i) { return paths.at(i); })
    {
    }
    // A folder whose plain files were placed from its listing.
    struct ListedFolder {
        FileIdentity identity;
        QString path;  // absolute
    };
    // A source that a listing of its folder, read by the caller, showed as a plain
    // file: that folder and the source's name in it.
    struct ListedFile {
        const ListedFolder *folder;
        QStringView name;
    };
    using ListedAt = std::function<std::optional<ListedFile>(qsizetype)>;

    // Adds more sources, looked at as the constructor does; before the run. With
    // `listedAt`, a source it tells of is placed from that listing, as one from
    // a listing read here, and not looked at again.
    void add(qsizetype count, const PathAt &pathAt, int threads = 1, int threadLimit = -1,
             std::vector<char> *folders = nullptr, const ListedAt &listedAt = {});
    // Through an open folder: the name held a source when the run started, or
    // holds one now (what it holds looked up through the same folder).
    bool holds(const FolderHandle &folder, const QByteArray &name, const FolderEntry &now) const;

private:
    // Kept compact, as there is one of each per listed file: sorted arrays, and
    // the names of all places one after another in m_names.
    struct SourcePlace {
        FileIdentity folder;
        quint32 offset;  // of the name in m_names
        quint32 length;  // with kIdentifyLater set when the file's identity is not yet known
    };
    static constexpr quint32 kIdentifyLater = 1u << 31;
    std::string_view nameOf(const SourcePlace &place) const
    {
        return {m_names.constData() + place.offset, place.length & ~kIdentifyLater};
    }
    // What one thread found of a block of neighbouring sources.
    struct Block {
        std::vector<FileIdentity> files;
        std::vector<SourcePlace> places;  // offsets into `names`
        QByteArray names;
        std::vector<ListedFolder> listedFolders;
    };
    class BlockLook;
    static Block lookAt(qsizetype first, qsizetype last, const PathAt &pathAt, char *isFolder,
                        const ListedAt &listedAt);
    // The identities of the files placed from their folders' listings, looked up
    // once, by the first check that needs them.
    const std::vector<FileIdentity> &laterFiles() const;

    std::vector<FileIdentity> m_files;
    std::vector<SourcePlace> m_places;
    QByteArray m_names;
    std::vector<ListedFolder> m_listedFolders;  // sorted by identity
    std::unique_ptr<std::once_flag> m_laterIdentified = std::make_unique<std::once_flag>();
    mutable std::vector<FileIdentity> m_laterFiles;
};

} // namespace tessaly
