// The Load Sets dialog: reads a text file of find/replace sets, one per line at a
// separator the user names, and hands each set to the main window's lists.
#pragma once

#include "base/platform.h"
#include "base/program_files.h"
#include "base/settings_store.h"
#include "engine/find_replace_set.h"

#include <QCursor>
#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tessaly {

class HoverPointer;

class LoadSetsDialog : public QDialog {
    Q_OBJECT
public:
    using SetSink = std::function<void(const FindReplaceSet &set)>;
    using LineReader = std::function<QStringList(const QString &path)>;

    static constexpr const char *kCaption = "Load Sets";

    // Each loaded set goes to appendSet, in file order. The dialog opens over
    // parent; handPointerFile is the picture of the pointer over its buttons.
    LoadSetsDialog(Platform &platform, SettingsStore &settings, SetSink appendSet, QWidget *parent = nullptr,
                   const QString &handPointerFile = programFile(QStringLiteral("HAND-M.CUR")));
    ~LoadSetsDialog() override;

    // While this says the main window is busy (its hourglass shows), moving
    // over the dialog leaves the pointer as it is.
    void setBusyTest(std::function<bool()> isBusy) { m_isBusy = std::move(isBusy); }
    // How the file is read as lines; the file's own encoding class by default.
    void setLineReader(LineReader reader) { m_readLines = std::move(reader); }

    static QString helpText();

public slots:
    // Load: the sets of the named file at the separator, then the dialog closes.
    void loadSets();
    void cancel();
    // "?": how a set file looks.
    void showHelp();
    // "..." beside the file name.
    void chooseFile();
    void separatorEdited(const QString &text);

private:
    void buildControls();
    void layOutControls();
    void startUp(const QString &handPointerFile);

    Platform &m_platform;
    SettingsStore &m_settings;
    SetSink m_appendSet;
    LineReader m_readLines;
    std::function<bool()> m_isBusy;
    HoverPointer *m_hoverPointer = nullptr;

    QLabel *m_fileLabel = nullptr;
    QLineEdit *m_fileText = nullptr;
    QPushButton *m_browseButton = nullptr;
    QLabel *m_separatorLabel = nullptr;
    QLineEdit *m_separatorText = nullptr;
    QPushButton *m_loadButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QPushButton *m_helpButton = nullptr;
};

} // namespace tessaly
