// An open folder that results are written into, and the identity of files and
// folders (device and inode) by which places are recognised whatever their spelling.
#pragma once

#include <QString>

#include <tuple>

namespace tessaly {

struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    friend bool operator==(const FileIdentity &a, const FileIdentity &b)
    {
        return a.device == b.device && a.inode == b.inode;
    }
    friend bool operator<(const FileIdentity &a, const FileIdentity &b)
    {
        return std::tie(a.device, a.inode) < std::tie(b.device, b.inode);
    }
};

// Owns the descriptor; closed when the last user lets go.
class FolderHandle {
public:
    FolderHandle(int fd, FileIdentity identity, QString path, bool startedEmpty = false)
        : m_fd(fd), m_identity(identity), m_path(std::move(path)), m_startedEmpty(startedEmpty) {}
    ~FolderHandle();
    FolderHandle(const FolderHandle &) = delete;
    FolderHandle &operator=(const FolderHandle &) = delete;

    int fd() const { return m_fd; }
    FileIdentity identity() const { return m_identity; }
    const QString &path() const { return m_path; }
    // The folder was made by whoever opened it, or held nothing when they opened
    // it: it holds nothing but what they put there (and what another program
    // adds meanwhile, which the last check before a result takes its name sees).
    bool startedEmpty() const { return m_startedEmpty; }

private:
    int m_fd;
    FileIdentity m_identity;
    QString m_path;
    bool m_startedEmpty;
};

} // namespace tessaly
