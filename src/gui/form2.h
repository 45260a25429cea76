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

class Form2 : public QDialog {
    Q_OBJECT
public:
    using SetSink = std::function<void(const FindReplaceSet &set)>;
    using LineReader = std::function<QStringList(const QString &path)>;

    static constexpr const char *kCaption = "Load Sets";

    // Each loaded set goes to appendSet, in file order. The dialog opens over
    // parent; handPointerFile is the picture of the pointer over its buttons.
    Form2(Platform &platform, SettingsStore &settings, SetSink appendSet, QWidget *parent = nullptr,
          const QString &handPointerFile = programFile(QStringLiteral("HAND-M.CUR")));
    ~Form2() override;

    // While this says the main window is busy (its hourglass shows), moving
    // over the dialog leaves the pointer as it is.
    void setBusyTest(std::function<bool()> isBusy) { m_isBusy = std::move(isBusy); }
    // How the file is read as lines; the file's own encoding class by default.
    void setLineReader(LineReader reader) { m_readLines = std::move(reader); }

    static QString helpText();

public slots:
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton3_Click();
    void PushButton16_Click();
    void Text2_Change(const QString &text);

private:
    void buildControls();
    void Form_Load(const QString &handPointerFile);

    Platform &m_platform;
    SettingsStore &m_settings;
    SetSink m_appendSet;
    LineReader m_readLines;
    std::function<bool()> m_isBusy;
    HoverPointer *m_hoverPointer = nullptr;

    QLabel *m_label1 = nullptr;
    QLineEdit *m_text1 = nullptr;
    QPushButton *m_pushButton16 = nullptr;
    QLabel *m_label2 = nullptr;
    QLineEdit *m_text2 = nullptr;
    QPushButton *m_pushButton1 = nullptr;
    QPushButton *m_pushButton2 = nullptr;
    QPushButton *m_pushButton3 = nullptr;
};

} // namespace tessaly
