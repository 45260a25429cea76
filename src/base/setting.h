// The remembered choices, each a key of the settings store with its type and
// the value it has before anything was stored.
#pragma once

#include <QString>

namespace tessaly {

template <typename T>
struct Setting {
    const char *key;
    T defaultValue;

    QString name() const { return QString::fromLatin1(key); }
};

namespace settings {

// The mode: replace within the viewable text, or within the entire file.
inline const Setting<bool> viewableTextMode{"Option1", true};
inline const Setting<bool> wholeFileMode{"Option2", false};
// Where results go: beside each source, or into the output folder.
inline const Setting<bool> saveBesideSource{"Option3", false};
inline const Setting<bool> saveToOutputFolder{"Option4", true};
// The output folder; absent, the desktop folder (known only at run time).
inline const Setting<QString> outputFolder{"Output Folder", QString()};
inline const Setting<bool> keepFolderTree{"Keep Folder Tree", false};
// The selected tab: 0 the single pair, 1 the sets.
inline const Setting<int> selectedTab{"TabSel", 0};
// The folder last chosen for the output folder, and for Add All HTML Files In Folder.
inline const Setting<QString> lastOutputFolder{"LastFolderDot", QString()};
inline const Setting<QString> lastScannedFolder{"LastFolder", QString()};
// The extension last asked for by Add All HTML Files In Folder.
inline const Setting<QString> scanExtension{"Extension", QStringLiteral("htm")};
// The sample files, recorded once in scrambled form.
inline const Setting<QString> sampleSnapshot{"Snapshot", QString()};
// The separator of the Load Sets dialog.
inline const Setting<QString> loadSetsSeparator{"Form2.Text2", QStringLiteral("::")};

} // namespace settings
} // namespace tessaly
