// The sample files beside the program: recording their paths in the settings
// store in scrambled form, and adding the recorded files to the file list.
#pragma once

#include "base/platform.h"
#include "base/settings_store.h"
#include "filelist/file_list_model.h"
#include "textio/code_page.h"

#include <QChar>
#include <QDir>
#include <QString>
#include <QStringList>


namespace tessaly {

// The scrambling key of the "Snapshot" setting. It never changes, so a store
// written by one installation reads back in another.
inline QString scramblingKey() { return QStringLiteral("quillfen"); }

// What scrambling needs besides the text: the code page that turns characters
// into codes 0 to 255.
struct ScrambleOptions {
    CodePage codePage = CodePage::system();
};

// Adds each key letter's code to the character's code in the code page, a sum
// above 255 losing 255; characters the page cannot hold count as "?". The result
// has as many characters as the text (a pair of surrogates counts as one).
QString ScrambleText(const QString &text, const QString &key, const ScrambleOptions &options = {});
// Undoes ScrambleText with the same key: every code from 1 to 255 comes back.
QString UnscrambleText(const QString &text, const QString &key, const ScrambleOptions &options = {});

// The folder that holds the sample files.
QString samplesFolder(const QString &programFolder, QChar sep = QDir::separator());

// The sample list: each name as programFolder + sep + "Samples" + sep + name,
// joined by "|" (no bar after the last one); "" for no names.
QString sampleListText(const QString &programFolder, const QStringList &names, QChar sep = QDir::separator());

// Records the openable files of the samples folder (hidden ones too, no
// sub-folders) under "Snapshot", scrambled. An empty folder records "".
void SaveSampleSnapshot(SettingsStore &settings, const QString &programFolder,
                        const ScrambleOptions &options = {});

// Whether any row's text equals the path exactly (letter case included).
bool ListContainsPath(const FileListModel &list, const QString &path);

// Adds the recorded sample files that still exist and are not listed yet, then
// offers to show the samples folder in the file manager.
void LoadSampleFiles(FileListModel &list, SettingsStore &settings, Platform &platform,
                     const QString &programFolder, const ScrambleOptions &options = {});

// The question LoadSampleFiles asks before it shows the samples folder.
inline QString openSamplesFolderQuestion()
{
    return QStringLiteral("Would you like this software to open the folder where these sample files are stored "
                          "(so that you can view them before working with them)?");
}

} // namespace tessaly
