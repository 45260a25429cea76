// The file-system side of the folder scan behind one seam, so tests can give a
// folder any attribute value or make its listing fail (tests run as root, where
// permissions deny nothing).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tessaly {

// The immediate sub-folder names of one folder. `error` is 0 when the listing
// went through; otherwise it tells why it stopped, and `names` holds what was
// read before that.
struct SubFolderListing {
    enum Error { None = 0, PermissionDenied = 70, PathNotFound = 76, Other = -1 };
    QStringList names;
    Error error = None;
    QString reason;  // the system's words for the error, when it gave any
};

class FolderSource {
public:
    virtual ~FolderSource() = default;
    // See fileAttributes(): -1 when the path cannot be read.
    virtual int attributes(const QString &path) const;
    virtual bool isDriveRoot(const QString &path) const;
    // Links to folders count as sub-folders. Names come in a case-insensitive order:
    // Windows file systems yield them that way, POSIX ones in hash order, and the
    // list should come out the same on every machine.
    virtual SubFolderListing subFolders(const QString &folder) const;
    // See fileIdentity(): empty when the path cannot be read.
    virtual QByteArray identity(const QString &path) const;

    static const FolderSource &real();
};

} // namespace tessaly
