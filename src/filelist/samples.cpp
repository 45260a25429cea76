#include "filelist/samples.h"

#include "base/paths.h"
#include "filelist/add_folder.h"
#include "base/tessaly_error.h"

namespace tessaly {

namespace {

// Both directions walk the text's codes and the key's codes side by side; only
// the arithmetic on one code differs.
template<class Combine>
QString walkCodes(const QString &text, const QString &key, const ScrambleOptions &options, Combine combine)
{
    if (text.isEmpty())
        return QString();
    const QByteArray keyCodes = options.codePage.encode(key);
    if (keyCodes.isEmpty())
        throw TessalyError(QStringLiteral("Invalid procedure call or argument"));
    QByteArray codes = options.codePage.encode(text);
    qsizetype p = 0;
    for (char &code : codes) {
        const int k = quint8(keyCodes.at(p));
        if (++p == keyCodes.size())
            p = 0;
        code = char(combine(int(quint8(code)), k));
    }
    return options.codePage.decode(codes);
}

} // namespace

QString ScrambleText(const QString &text, const QString &key, const ScrambleOptions &options)
{
    return walkCodes(text, key, options, [](int c, int k) {
        const int s = c + k;
        return s > 255 ? s - 255 : s;
    });
}

QString UnscrambleText(const QString &text, const QString &key, const ScrambleOptions &options)
{
    return walkCodes(text, key, options, [](int d, int k) {
        const int s = d - k;
        return s < 1 ? s + 255 : s;
    });
}

QString samplesFolder(const QString &programFolder, QChar sep)
{
    return programFolder + sep + QStringLiteral("Samples");
}

QString sampleListText(const QString &programFolder, const QStringList &names, QChar sep)
{
    const QString prefix = samplesFolder(programFolder, sep) + sep;
    QStringList paths;
    paths.reserve(names.size());
    for (const QString &name : names)
        paths.append(prefix + name);
    return paths.join(u'|');
}

void SaveSampleSnapshot(SettingsStore &settings, const QString &programFolder, const ScrambleOptions &options)
{
    const QStringList names = ListFolderFiles(samplesFolder(programFolder), QStringLiteral("*.*"));
    const QString list = sampleListText(programFolder, names);
    settings.write(tessaly::settings::sampleSnapshot, ScrambleText(list, scramblingKey(), options));
}

bool ListContainsPath(const FileListModel &list, const QString &path)
{
    return list.rows().contains(path, Qt::CaseSensitive);
}

void LoadSampleFiles(FileListModel &list, SettingsStore &settings, Platform &platform, const QString &programFolder,
                     const ScrambleOptions &options)
{
    // An absent snapshot reads as "False", as a flag would: unscrambled, it names
    // no file that exists.
    const QString stored = settings.read(tessaly::settings::sampleSnapshot, SettingsStore::booleanText(false));
    const QString sampleList = UnscrambleText(stored, scramblingKey(), options);
    const QStringList parts = sampleList.isEmpty() ? QStringList() : sampleList.split(u'|');
    for (const QString &path : parts) {
        if (FileExists(path) && !ListContainsPath(list, path))
            list.append(path);
    }
    if (platform.askYesNo(openSamplesFolderQuestion()))
        platform.openFolder(samplesFolder(programFolder) + QDir::separator());
}

} // namespace tessaly
