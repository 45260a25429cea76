// Files that live beside the program: the samples, the pointers, the skin.
#pragma once

#include <QCoreApplication>
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

} // namespace tessaly
