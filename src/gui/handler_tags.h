// The procedure name each handler's error reports carry ("Form1.PushButton3_Click"):
// stored reports and the users' support mails quote them, so they stay as they
// were whatever the handlers are called in the code.
#pragma once

#include <QString>

namespace tessaly::tags {

// The main window.
inline const QString startUp = QStringLiteral("Form1.Form_Load");
inline const QString startReplacing = QStringLiteral("Form1.PushButton3_Click");
inline const QString preview = QStringLiteral("Form1.Preview_Click");
inline const QString help = QStringLiteral("Form1.PushButton10_Click");
inline const QString browseOutputFolder = QStringLiteral("Form1.PushButton14_Click");
inline const QString clearList = QStringLiteral("Form1.PushButton8_Click");
inline const QString loadSamples = QStringLiteral("Form1.PushButton11_Click");
inline const QString removeContaining = QStringLiteral("Form1.PushButton12_Click");
inline const QString removeNotContaining = QStringLiteral("Form1.PushButton13_Click");
inline const QString addSet = QStringLiteral("Form1.PushButton7_Click");
inline const QString removeSet = QStringLiteral("Form1.PushButton6_Click");
inline const QString clearSets = QStringLiteral("Form1.PushButton4_Click");
inline const QString loadSets = QStringLiteral("Form1.PushButton5_Click");
inline const QString saveSets = QStringLiteral("Form1.PushButton9_Click");
// Add All HTML Files In Folder, Add HTML Files and a drop report under the tags
// the file list's adding steps give them ("Form1.PushButton1_Click", "…2_Click",
// "Form1.ListView1_OLEDragDrop": adding_files.h).

// The Load Sets dialog.
inline const QString loadSetsDialogStartUp = QStringLiteral("Form2.Form_Load");
inline const QString loadSetsFromFile = QStringLiteral("Form2.PushButton1_Click");
inline const QString cancelLoadSets = QStringLiteral("Form2.PushButton2_Click");
inline const QString loadSetsHelp = QStringLiteral("Form2.PushButton3_Click");
inline const QString chooseSetFile = QStringLiteral("Form2.PushButton16_Click");

} // namespace tessaly::tags
