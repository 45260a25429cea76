// Files that live beside the program: the samples, the pointers, the skin.
#pragma once

#include <QCoreApplication>
#include <QFileInfo>
#include <QString>

namespace tessaly {

// The folder of the program's executable, without a closing separator.
inline QString programFolder()
{
    return QCoreApplication::applicationDirPath();
}

// A file beside the program, e.g. programFile("HAND-M.CUR").
inline QString programFile(const QString &relativePath)
{
    return programFolder() + u'/' + relativePath;
}

// Whether a file beside the program may be read: only a regular file (or a link
// to one) is. Opening a FIFO of that name would wait for a writer for ever, and
// a device need never end.
inline bool isRegularFile(const QString &path)
{
    return QFileInfo(path).isFile();
}

} // namespace tessaly
