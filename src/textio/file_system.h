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

protected:
    // The two system calls of writeAtomically that can fail half-way, apart so a
    // test can fail one of them: they return -1 and set errno like write and rename.
    virtual long writeSome(int fd, const char *data, unsigned long size) const;
    virtual int renameOver(const char *from, const char *to) const;

private:
    unsigned m_resultMode;  // permissions of a new result: 0666 less the umask
};

} // namespace tessaly
