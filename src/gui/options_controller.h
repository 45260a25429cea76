// The remembered choices of the main window: the mode and save options, the
// output folder and Keep folder tree, the selected tab. Restored from the
// settings store at start-up, written back whenever the user changes one.
#pragma once

#include "base/platform.h"
#include "base/settings_store.h"

#include <QObject>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace tessaly {

class ErrorTrap;

class OptionsController : public QObject {
    Q_OBJECT
public:
    struct Controls {
        QRadioButton *viewableTextOption;
        QRadioButton *wholeFileOption;
        QRadioButton *outputFolderOption;
        QRadioButton *besideSourceOption;
        QGroupBox *outputFolderFrame;
        QLineEdit *outputFolderText;
        QPushButton *browseFolderButton;
        QCheckBox *keepTreeBox;
        QTabWidget *tabs;
    };

    OptionsController(Platform &platform, SettingsStore &settings, Controls controls, QObject *parent = nullptr);

    // The start-up steps that restore the choices (statements 136 to 154 of the
    // window's start-up), each failure reported and the next step taken.
    void restore(ErrorTrap &trap);

    // The desktop folder followed by the native separator: the output folder
    // until one is stored.
    static QString desktopFolder();

public slots:
    void modeChosen();
    void saveOptionChosen();
    void keepTreeChosen();
    void tabChosen(int index);
    void outputFolderEdited(const QString &text);
    // "..." beside the output folder.
    void browseOutputFolder();

private:
    void restoreOption(QRadioButton *button, bool selected, void (OptionsController::*chosen)());
    void restoreTab(int index);
    void restoreOutputFolder();
    // The output folder and Keep folder tree, usable with "Save results to this folder".
    void enableOutputFolder(bool enabled);
    template <class Value, class Key>
    void writeQuietly(const Key &setting, const Value &value);

    Platform &m_platform;
    SettingsStore &m_settings;
    Controls m_controls;
};

} // namespace tessaly
