// The file operations the engine needs, behind one seam so tests can make any
// of them fail. Every failure throws TessalyError with a readable description.
#pragma once

#include <QByteArray>
#include <QString>

namespace tessaly {

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // The whole content of a regular file.
    virtual QByteArray readAll(const QString &path) const;
    // Writes data to a temporary file beside path and renames it over path, so the
    // result is complete or absent and an earlier file survives a failed write.
    virtual void writeAtomically(const QString &path, QByteArrayView data) const;
    // Same device and inode: the two paths name one file (links and spellings included).
    virtual bool sameFile(const QString &a, const QString &b) const;

    static const FileSystem &real();
};

} // namespace tessaly
