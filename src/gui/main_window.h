// The main window: lays out the file list, the find/replace pair and sets, the
// mode and save options, the output folder and the status line, and wires them
// to the controllers that do the work (options, file list, sets, run).
#pragma once

#include "base/platform.h"
#include "base/settings_store.h"
#include "engine/replace_run.h"
#include "gui/window_controls.h"

#include <QMainWindow>
#include <QRect>

#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QShortcut;

namespace tessaly {

class ErrorTrap;
class FileListController;
class FileListModel;
class HoverPointer;
class OptionsController;
class RunController;
class SetsController;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char *kCaption = "Tessaly Software";

    MainWindow(Platform &platform, SettingsStore &settings, QWidget *parent = nullptr);
    // Takes the samples, pointers and skin from `programFolder` instead of the
    // running program's folder.
    MainWindow(Platform &platform, SettingsStore &settings, const QString &programFolder, QWidget *parent = nullptr);
    ~MainWindow() override;

    FileListModel &fileList() { return *m_fileList; }
    FileListController &fileListController() { return *m_fileListController; }
    RunController &runController() { return *m_runController; }
    // The window is busy while its pointer is the hourglass, or a scan or filter works.
    bool isBusy() const;

    // What closing the window does after it closed (the application quits).
    void setQuitHandler(std::function<void()> quit) { m_quit = std::move(quit); }

    // The window at its design size when that fits in `available` (a screen's
    // free area), centred there; else the whole area up to the size the controls
    // and their scroll bars need, the controls scrolling only the way they do not fit.
    void fitToScreen(const QRect &available);

    // The caption shortened by whole words: at least one word goes, then more
    // while the text is longer than 40 characters.
    static QString applicationTitleFor(const QString &caption);

public slots:
    void showHelp();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void buildStatusLine();
    void setUpTextBoxes();
    // The controllers, each given the controls of its job.
    void makeControllers();
    void makeRunController();
    void makeFileListController();
    // The controls with the status line below them, unscaled.
    QSize designSize() const;

    // The start-up steps under their statement numbers (main_window_startup.cpp).
    void startUp();
    // Skin and hand pointer (statements 100 to 104), then the samples.
    void loadProgramFiles(ErrorTrap &trap);
    void installHoverPointer();

    Platform &m_platform;
    SettingsStore &m_settings;
    QString m_programFolder;
    FileListModel *m_fileList = nullptr;
    std::function<void()> m_quit;
    bool m_tabControlsPlaced = false;

    WindowLayout m_layout;
    WindowControls m_controls;
    QScrollArea *m_clientArea = nullptr;
    QWidget *m_client = nullptr;
    HoverPointer *m_hoverPointer = nullptr;
    // The status line: where the run shows how far it got, the list's count,
    // Preview… and Stop.
    QLabel *m_statusText = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_listCount = nullptr;
    QPushButton *m_previewButton = nullptr;
    QPushButton *m_stopButton = nullptr;
    QShortcut *m_stopKey = nullptr;

    // Declared after the controls: they go first, a run stopped and waited for
    // while the controls it shows in still exist.
    std::unique_ptr<OptionsController> m_options;
    std::unique_ptr<FileListController> m_fileListController;
    std::unique_ptr<SetsController> m_sets;
    std::unique_ptr<RunController> m_runController;
};

} // namespace tessaly
