// The file operations the engine needs, behind one seam so tests can make any
// of them fail. Every failure throws TessalyError with a readable description.
#pragma once

#include "base/tessaly_error.h"
#include "textio/folder_handle.h"
#include "textio/source_path.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <tuple>

struct stat;

struct iovec;

namespace tessaly {

class FileSystem;
class TemporaryFile;

// What a source was when it was read.
struct SourceFile {
    FileIdentity identity;
    unsigned mode = 0;  // permission bits
    qint64 size = 0;    // as the system gave it when the file was opened
};

// What a name in an open folder holds now (links followed).
struct FolderEntry {
    bool exists = false;
    bool isFolder = false;
    FileIdentity identity;
    bool isLink = false;  // the name itself is a symbolic link (perhaps dangling)
};

// A name in a folder, the folder known by its identity.
struct Place {
    FileIdentity folder;
    QByteArray name;
    friend bool operator<(const Place &a, const Place &b) { return std::tie(a.folder, a.name) < std::tie(b.folder, b.name); }
};

// A failure to read a source. A source read in pieces is read while its result
// is written, yet its job fails at the read.
class ReadError : public TessalyError {
public:
    using TessalyError::TessalyError;
};

// A regular file open for reading in pieces, no further than the size it had
// when it was opened: a file that grows while it is read would never end. A
// pass that reaches that end checks that the file's size and modification time
// are still those it was opened with; else what was read is no state the file
// ever had, and the read fails (ReadError, "changed while it was read").
class SourceReader {
public:
    // `info` is what fstat told of the open file.
    SourceReader(const FileSystem &fileSystem, int fd, QString path, const struct stat &info);
    ~SourceReader();
    SourceReader(const SourceReader &) = delete;
    SourceReader &operator=(const SourceReader &) = delete;

    qint64 size() const { return m_size; }  // when it was opened
    // Reads up to `max` bytes into `into`; returns how many, 0 at the end.
    qsizetype read(char *into, qsizetype max);
    // Everything from here to the end, in `into` when its memory is large enough.
    QByteArray readAll(QByteArray into = {});
    // Back to the start, for another pass.
    void rewind();

private:
    void checkUnchanged() const;

    const FileSystem &m_fileSystem;
    int m_fd;
    QString m_path;
    qint64 m_size;
    qint64 m_modified;  // in nanoseconds, when it was opened
    qint64 m_position = 0;
};

// Where a result goes: a name in an open folder, and the path it is reported as.
struct Destination {
    std::shared_ptr<const FolderHandle> folder;
    QByteArray name;
    QString path;
    bool taken = false;  // the name held something when it was looked up: the result replaces it
};

// A result written in full, waiting to be put in place.
struct WrittenFile {
    int fd;            // open while the file has no name
    const char *name;  // its hidden name; nullptr while it has none
};

class FileSystem {
public:
    // Where a result is written before it is put in place. An unnamed file (where
    // the file system has them) is linked at the result's name when it is
    // complete, so a crash or a kill leaves nothing behind and no folder entry is
    // made twice; a hidden temporary file beside the result is renamed over it.
    enum class Temporaries { UnnamedWherePossible, Hidden };

    explicit FileSystem(Temporaries temporaries = Temporaries::UnnamedWherePossible);
    virtual ~FileSystem() = default;

    // The whole content of a regular file; *file (when given) says what it was.
    QByteArray readAll(const QString &path, SourceFile *file = nullptr) const;
    // A run's source opened to be read whole or in pieces.
    virtual std::unique_ptr<SourceReader> openSource(const SourcePath &source, SourceFile *file = nullptr) const;

    // Opens a folder to write results into. The handle stays valid when the path
    // is later re-pointed or renamed; every step below goes through it. With
    // `lookInside` the handle also tells whether the folder held nothing.
    std::shared_ptr<const FolderHandle> openFolder(const QString &path, bool lookInside = false) const;
    // Opens the folder `name` inside an open folder, first making it (0777 less the
    // umask) when it is missing and `make` is true; nullptr when it is missing and
    // not made. Throws when it cannot be made or opened (a file holds the name).
    std::shared_ptr<const FolderHandle> openFolderIn(const FolderHandle &parent, const QByteArray &name,
                                                     bool make) const;
    // What the destination's name holds now. Throws when it cannot be looked up
    // (a name too long for the file system, a folder without search permission).
    FolderEntry lookUp(const Destination &destination) const;
    // Where the destination's name leads when it is a symbolic link (through a
    // chain of links, to the last one's target); nothing when it is none, or when
    // the target's folder cannot be opened.
    std::optional<Place> linkedPlace(const Destination &destination) const;
    // Throws as the write would when this user cannot make a file in the
    // destination's folder: its permissions for the effective user, or a
    // read-only file system. A dry run asks it in place of the write.
    void checkCanWrite(const Destination &destination) const;

    // Called just before the result is put in place with what the name holds at
    // that moment; false keeps the result from replacing it. A result linked at a
    // free name is checked as free: the link fails should the name hold anything.
    using ReplaceCheck = std::function<bool(const FolderEntry &now)>;
    // Writes the parts to a temporary file in the destination's folder and puts it
    // at the name in one step, so the result is complete or absent and an earlier
    // file survives a failed write. mode is the result's permission bits. False
    // when the check refused the name (nothing was written). No temporary file
    // survives a failure or a refusal of the check.
    bool writeAtomically(const Destination &destination, const QList<QByteArrayView> &parts, unsigned mode,
                         const ReplaceCheck &check = {}) const;
    // The same for a result made in pieces: `produce` hands each piece, in order,
    // to the writer it is given.
    using PieceWriter = std::function<void(const QList<QByteArrayView> &piece)>;
    bool writeAtomically(const Destination &destination, const std::function<void(const PieceWriter &)> &produce,
                         unsigned mode, const ReplaceCheck &check = {}) const;
    // The same for a path: its folder opened for this one write.
    void writeAtomically(const QString &path, const QList<QByteArrayView> &parts, unsigned mode) const;

    // Permission bits with the process's umask applied: what a new file gets.
    unsigned masked(unsigned mode) const { return mode & m_allowed; }

    static const FileSystem &real();

protected:
    // The system calls of a source's read and of writeAtomically that can fail
    // half-way or that a test may want to run code before, apart so a test can
    // intervene: they return -1 and set errno like read, writev, close, linkat and
    // renameat. putInPlace links a file without a name at `to` (EEXIST when the
    // name holds anything) and renames a hidden one over it.
    virtual long readSome(int fd, char *into, size_t max) const;
    virtual long writeSome(int fd, const struct iovec *parts, int count) const;
    virtual int closeFile(int fd) const;
    virtual int putInPlace(int folderFd, const WrittenFile &file, const char *to) const;

private:
    friend class SourceReader;

    // The steps of writeAtomically: the parts written, then the result linked at a
    // free name (nothing when the name is taken) or renamed over what holds it.
    void writeParts(int fd, const QList<QByteArrayView> &parts, const QString &shownAs) const;
    std::optional<bool> linkAtFreeName(const Destination &destination, TemporaryFile &temp,
                                       const ReplaceCheck &check) const;
    bool renameOver(const Destination &destination, TemporaryFile &temp, const ReplaceCheck &check) const;

    unsigned m_allowed;  // permission bits the umask lets through
    bool m_unnamed;      // temporaries without a name where the file system has them
};

// The identity (device and inode) that stat tells of a file.
FileIdentity identityOf(const struct stat &info);

// Calls `entry` with the name and type (a dirent d_type: DT_REG, DT_DIR, DT_LNK,
// DT_UNKNOWN ...) of each entry the open folder lists, "." and ".." left out,
// until it returns false. False when the folder could not be listed to the end.
bool listOpenFolder(int folderFd, const std::function<bool(const char *name, unsigned char type)> &entry);

// Past the file-size limit (ulimit -f) a write then fails with "File too large"
// for its one file instead of the system ending the program. Each program calls
// it once at start.
void ignoreFileSizeSignal();

} // namespace tessaly
