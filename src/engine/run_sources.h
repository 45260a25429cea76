// The sources of one run, recognised as they were when the run started: by
// identity (device and inode) and by place (folder identity and name), so that no
// result of the run replaces one, whatever the spelling, links, or an editor
// saving a new file under a source's name during the run.
#pragma once

#include "textio/file_system.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
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
    // Adds more sources, looked at as the constructor does.
    void add(qsizetype count, const PathAt &pathAt, int threads = 1, int threadLimit = -1,
             std::vector<char> *folders = nullptr);
    // Through an open folder: the name held a source when the run started, or
    // holds one now (what it holds looked up through the same folder).
    bool holds(const FolderHandle &folder, const QByteArray &name, const FolderEntry &now) const;

private:
    // Kept compact, as there is one of each per listed file: sorted arrays, and
    // the names of all places one after another in m_names.
    struct SourcePlace {
        FileIdentity folder;
        quint32 offset;  // of the name in m_names
        quint32 length;
    };
    std::string_view nameOf(const SourcePlace &place) const
    {
        return {m_names.constData() + place.offset, place.length};
    }
    // What one thread found of a block of neighbouring sources.
    struct Block {
        std::vector<FileIdentity> files;
        std::vector<SourcePlace> places;  // offsets into `names`
        QByteArray names;
    };
    static Block lookAt(qsizetype first, qsizetype last, const PathAt &pathAt, char *isFolder);

    std::vector<FileIdentity> m_files;
    std::vector<SourcePlace> m_places;
    QByteArray m_names;
};

} // namespace tessaly
