#include "base/paths.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace tessaly {

namespace {

// QDir::isRelativePath without the QFileInfo it makes for every call: on Unix a
// name is absolute when it starts with '/' (or ':', a Qt resource, as QFileInfo
// has it).
bool isRelative(const QString &path)
{
#ifdef Q_OS_UNIX
    return !path.startsWith(u'/') && !path.startsWith(u':');
#else
    return QDir::isRelativePath(path);
#endif
}

// Whether QDir::cleanPath leaves an absolute name as it is, save a closing '/':
// on Unix, when no part between its '/'s is empty, "." or "..".
bool isClean(QStringView path)
{
#ifdef Q_OS_UNIX
    if (!path.startsWith(u'/'))
        return false;
    // Most paths have no '/' followed by '/' or '.': one quick look, many units
    // at a time (no early stop); the others are read part by part.
    const char16_t *const units = path.utf16();
    unsigned suspect = 0;
    for (qsizetype i = 0; i + 1 < path.size(); ++i)
        suspect |= unsigned(units[i] == u'/') & unsigned(units[i + 1] == u'/' || units[i + 1] == u'.');
    if (suspect == 0)
        return true;
    qsizetype start = 1;  // of the part being read
    for (qsizetype i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != u'/')
            continue;
        const QStringView part = path.sliced(start, i - start);
        const bool dots = (part.size() == 1 || part.size() == 2) && part[0] == u'.' && part.back() == u'.';
        if ((part.isEmpty() && i < path.size()) || dots)
            return false;
        start = i + 1;
    }
    return true;
#else
    Q_UNUSED(path);
    return false;
#endif
}

} // namespace

QString GetFileName(const QString &path, QChar sep)
{
    return path.mid(path.lastIndexOf(sep) + 1);
}

QString GetFilePath(const QString &path, QChar sep)
{
    return path.left(path.lastIndexOf(sep) + 1);
}

QStringView foldersBelow(const QString &path, const QString &folder, QChar sep)
{
    const qsizetype start = folder.endsWith(sep) ? folder.size() : folder.size() + 1;
    if (path.size() <= start || !path.startsWith(folder) || path.at(start - 1) != sep)
        return {};
    const qsizetype last = path.lastIndexOf(sep);
    return last < start ? QStringView() : QStringView(path).sliced(start, last + 1 - start);
}

QString GetFileExtension(const QString &path)
{
    return path.mid(path.lastIndexOf(u'.') + 1);
}

QString StripFileExtension(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot >= 1 ? path.left(dot) : path;
}

QString NormalizePath(const QString &path, QChar sep)
{
    const QChar doubled[] = {sep, sep};
    qsizetype first = 0;
    while (first < path.size() && path.at(first) == sep)
        ++first;
    // A backslash path that begins with separators is a network share: two stay.
    const qsizetype lead = first == 0 ? 0 : sep == u'\\' ? 2 : 1;
    const QStringView rest = QStringView(path).sliced(first);
    // Most paths need nothing, and are not copied. The look for a doubled
    // separator takes many units at a time (no early stop).
    const char16_t *const units = rest.utf16();
    const char16_t separator = sep.unicode();
    unsigned twice = 0;
    for (qsizetype i = 0; i + 1 < rest.size(); ++i)
        twice |= unsigned(units[i] == separator) & unsigned(units[i + 1] == separator);
    if (first == lead && twice == 0)
        return path;
    return rest.toString().replace(doubled, 2, &sep, 1).prepend(QString(lead, sep));
}

QString localPath(const QString &path)
{
    return path.startsWith(u':') ? QStringLiteral("./") + path : path;
}

QString decodeFileName(const QByteArray &name)
{
    // A name of ASCII alone (most) reads the same as Latin-1, which needs no decoder.
    uchar all = 0;  // every byte's bits: no early stop, so many bytes go at a time
    for (const char byte : name)
        all |= uchar(byte);
    if (all < 0x80)
        return QString::fromLatin1(name);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(name);
    if (!utf8.hasError())
        return text;
    // Decode valid sequences one character at a time; a byte that starts no
    // valid sequence stands for itself as a lone surrogate.
    QString escaped;
    qsizetype i = 0;
    while (i < name.size()) {
        const uchar lead = uchar(name.at(i));
        const qsizetype length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        if (length > 0 && i + length <= name.size()) {
            QStringDecoder one(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            const QString character = one.decode(QByteArrayView(name).sliced(i, length));
            if (!one.hasError()) {
                escaped += character;
                i += length;
                continue;
            }
        }
        escaped += QChar(char16_t(0xDC00 + lead));
        ++i;
    }
    return escaped;
}

bool isValidFileName(const QString &name)
{
    // Most names hold no surrogate at all: one quick look, many units at a time
    // (no early stop).
    const ushort *const units = name.utf16();
    unsigned surrogates = 0;
    for (qsizetype i = 0; i < name.size(); ++i)
        surrogates |= unsigned((units[i] & 0xF800) == 0xD800);
    if (surrogates == 0)
        return true;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return false;
    }
    return true;
}

QString joinPath(QStringView folder, QChar separator, QStringView name)
{
    const bool between = !separator.isNull();
    QString joined(folder.size() + qsizetype(between) + name.size(), Qt::Uninitialized);
    QChar *next = std::copy(folder.cbegin(), folder.cend(), joined.data());
    if (between)
        *next++ = separator;
    std::copy(name.cbegin(), name.cend(), next);
    return joined;
}

QByteArray encodedName(QStringView name)
{
    QByteArray bytes(name.size(), Qt::Uninitialized);
    char *const out = bytes.data();
    const char16_t *const in = name.utf16();
    char16_t all = 0;  // every unit's bits: no early stop, so many units go at a time
    for (qsizetype i = 0; i < name.size(); ++i) {
        all |= in[i];
        out[i] = char(in[i]);
    }
    return all < 0x80 ? bytes : name.toLocal8Bit();
}

QByteArray fileNameBytes(const QString &name)
{
    if (isValidFileName(name))
        return name.toUtf8();
    QByteArray bytes;
    bytes.reserve(name.size() * 2);
    qsizetype start = 0;  // of the valid run not yet added
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (!c.isSurrogate())
            continue;
        bytes += QStringView(name).sliced(start, i - start).toUtf8();
        const char16_t unit = c.unicode();
        bytes += unit >= 0xDC80 && unit <= 0xDCFF ? QByteArray(1, char(unit - 0xDC00)) : QByteArray("\xEF\xBF\xBD");
        start = i + 1;
    }
    bytes += QStringView(name).sliced(start).toUtf8();
    return bytes;
}

QString absolutePath(const QString &current, const QString &path)
{
    if (!isValidFileName(path))
        return path;  // QFileInfo would re-spell it
    const QString absolute = isRelative(path) ? joinPath(current, u'/', path) : path;
    if (isClean(absolute))
        return absolute;
    QString clean = QDir::cleanPath(absolute);
    if (absolute.endsWith(u'/') && !clean.endsWith(u'/'))
        clean += u'/';
    return clean;
}

bool FileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo(localPath(path)).lastModified().isValid();
}

bool FolderExists(const QString &path)
{
#ifdef Q_OS_UNIX
    // One system call: the command line asks it of every listed name.
    struct stat info {};
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
#else
    return !path.isEmpty() && QFileInfo(localPath(path)).isDir();
#endif
}

} // namespace tessaly
