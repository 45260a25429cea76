#include "gui/options_controller.h"

#include "base/error_report.h"
#include "base/tessaly_error.h"
#include "gui/handler_tags.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTabWidget>

namespace tessaly {

OptionsController::OptionsController(Platform &platform, SettingsStore &settings, Controls controls,
                                     QObject *parent)
    : QObject(parent), m_platform(platform), m_settings(settings), m_controls(controls)
{
    const Controls &c = m_controls;
    connect(c.viewableTextOption, &QRadioButton::clicked, this, &OptionsController::modeChosen);
    connect(c.wholeFileOption, &QRadioButton::clicked, this, &OptionsController::modeChosen);
    connect(c.besideSourceOption, &QRadioButton::clicked, this, &OptionsController::saveOptionChosen);
    connect(c.outputFolderOption, &QRadioButton::clicked, this, &OptionsController::saveOptionChosen);
    connect(c.keepTreeBox, &QCheckBox::clicked, this, &OptionsController::keepTreeChosen);
    connect(c.tabs, &QTabWidget::currentChanged, this, &OptionsController::tabChosen);
    connect(c.outputFolderText, &QLineEdit::textChanged, this, &OptionsController::outputFolderEdited);
    connect(c.browseFolderButton, &QPushButton::clicked, this, &OptionsController::browseOutputFolder);
}

QString OptionsController::desktopFolder()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty())
        return QString();
    return QDir::toNativeSeparators(desktop) + QDir::separator();
}

void OptionsController::restore(ErrorTrap &trap)
{
    const Controls &c = m_controls;
    trap.step(136, [&] {
        restoreOption(c.viewableTextOption, m_settings.read(settings::viewableTextMode),
                      &OptionsController::modeChosen);
    });
    trap.step(138, [&] {
        restoreOption(c.wholeFileOption, m_settings.read(settings::wholeFileMode), &OptionsController::modeChosen);
    });
    trap.step(140, [&] { restoreTab(m_settings.read(settings::selectedTab)); });
    trap.step(142, [&] { restoreOutputFolder(); });
    trap.step(144, [&] {
        restoreOption(c.outputFolderOption, m_settings.read(settings::saveToOutputFolder),
                      &OptionsController::saveOptionChosen);
    });
    trap.step(146, [&] {
        restoreOption(c.besideSourceOption, m_settings.read(settings::saveBesideSource),
                      &OptionsController::saveOptionChosen);
    });
    if (trap.test(148, [&] { return c.outputFolderOption->isChecked(); }))
        trap.step(150, [&] { enableOutputFolder(true); });
    else
        trap.step(152, [&] { enableOutputFolder(false); });
    trap.step(154, [&] { c.keepTreeBox->setChecked(m_settings.read(settings::keepFolderTree)); });
}

void OptionsController::restoreOption(QRadioButton *button, bool selected, void (OptionsController::*chosen)())
{
    if (selected) {
        // Selecting a button unselects its partner and runs its click handling.
        button->setChecked(true);
        (this->*chosen)();
    } else if (button->isChecked()) {
        // Clearing a button leaves its partner as it is, so both may end up clear.
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

void OptionsController::restoreTab(int index)
{
    QTabWidget *tabs = m_controls.tabs;
    if (index < 0 || index >= tabs->count())
        throw TessalyError(QStringLiteral("Invalid property value"));
    if (index == tabs->currentIndex())
        tabChosen(index);
    else
        tabs->setCurrentIndex(index);
}

void OptionsController::restoreOutputFolder()
{
    const QString folder = m_settings.read(settings::outputFolder, desktopFolder());
    if (m_controls.outputFolderText->text() == folder)
        outputFolderEdited(folder);  // setText would not report an unchanged text
    else
        m_controls.outputFolderText->setText(folder);
}

void OptionsController::enableOutputFolder(bool enabled)
{
    m_controls.outputFolderFrame->setEnabled(enabled);
    m_controls.keepTreeBox->setEnabled(enabled);
}

template <class Value, class Key>
void OptionsController::writeQuietly(const Key &setting, const Value &value)
{
    // These handlers have no error report: a failed write must not undo the
    // user's change or stop the program.
    try {
        m_settings.write(setting, value);
    } catch (...) {
    }
}

void OptionsController::modeChosen()
{
    writeQuietly(settings::viewableTextMode, m_controls.viewableTextOption->isChecked());
    writeQuietly(settings::wholeFileMode, m_controls.wholeFileOption->isChecked());
}

void OptionsController::saveOptionChosen()
{
    writeQuietly(settings::saveToOutputFolder, m_controls.outputFolderOption->isChecked());
    writeQuietly(settings::saveBesideSource, m_controls.besideSourceOption->isChecked());
    enableOutputFolder(m_controls.outputFolderOption->isChecked());
}

void OptionsController::keepTreeChosen()
{
    writeQuietly(settings::keepFolderTree, m_controls.keepTreeBox->isChecked());
}

void OptionsController::tabChosen(int index)
{
    writeQuietly(settings::selectedTab, index);
}

void OptionsController::outputFolderEdited(const QString &text)
{
    writeQuietly(settings::outputFolder, text);
}

void OptionsController::browseOutputFolder()
{
    ErrorTrap trap(m_platform, tags::browseOutputFolder);
    QString folder;
    trap.step(100, [&] {
        folder = m_platform.browseForFolder(QStringLiteral("Please select folder:"),
                                            m_settings.read(settings::lastOutputFolder));
    });
    bool cancelled = false;
    trap.step(102, [&] { cancelled = folder.isEmpty(); });
    if (cancelled)
        return;
    bool addSeparator = true;
    trap.step(104, [&] {
        m_settings.write(settings::lastOutputFolder, folder);
        addSeparator = !folder.endsWith(QDir::separator());
    });
    if (addSeparator)
        trap.step(106, [&] { m_controls.outputFolderText->setText(folder + QDir::separator()); });
    else
        trap.step(108, [&] { m_controls.outputFolderText->setText(folder); });
}

} // namespace tessaly
