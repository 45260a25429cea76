// The file operations the engine needs, behind one seam so tests can make any
// of them fail. Every failure throws TessalyError with a readable description.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace tessaly {

class FileSystem {
public:
    FileSystem();
    virtual ~FileSystem() = default;
    // The whole content of a regular file.
    virtual QByteArray readAll(const QString &path) const;
    // Writes data to a temporary file beside path and renames it over path, so the
    // result is complete or absent and an earlier file survives a failed write.
    // The parts are written one after the other.
    virtual void writeAtomically(const QString &path, const QList<QByteArrayView> &parts) const;
    // Same device and inode: the two paths name one file (links and spellings included).
    virtual bool sameFile(const QString &a, const QString &b) const;

    static const FileSystem &real();

private:
    unsigned m_resultMode;  // permissions of a new result: 0666 less the umask
};

} // namespace tessaly
