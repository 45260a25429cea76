// File facts as the program's Windows heritage knows them, composed from POSIX
// facts: attribute values, the drive-root test and a folder's identity.
#pragma once

#include <QByteArray>
#include <QString>

namespace tessaly {

// Attribute bits with the values Windows reports.
enum FileAttribute : int {
    AttributeHidden = 2,
    AttributeSystem = 4,
    AttributeDirectory = 16,
    AttributeArchive = 32,
    AttributeLink = 1024,
};

// The attribute value of a path, composed the way Windows would report it, or -1
// when the path cannot be read. POSIX has no attribute bits, so:
//   directory 16  the path is a folder (a link to a folder counts, as a junction does)
//   hidden     2  the last name of the path begins with "."
//   archive   32  a regular file (or a link to one); Windows sets it on files as they
//                 are written and nobody clears it, so every file carries it
//   link    1024  the path itself is a symbolic link
//   system     4  never: POSIX has no such mark
// A hidden regular file is therefore 34, and no folder is ever 22 (hidden + system +
// directory) or 1046 (the same plus the link bit), the values the scan never enters.
int fileAttributes(const QString &path);

// The drive-root test: true for the file-system root ("/"), however spelled ("//").
bool isFileSystemRoot(const QString &path);

// Identity of the file or folder a path names after following links (device and
// inode); empty when the path cannot be read. Two paths with equal identities name
// one folder, which is how the scan notices a folder reached again through a link.
QByteArray fileIdentity(const QString &path);

} // namespace tessaly
