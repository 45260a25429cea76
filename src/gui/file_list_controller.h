// The main window's file list: Add All HTML Files In Folder, Add HTML Files,
// Clear List, the two filters, a drop from the file manager, the sample files,
// and the count of listed files on the status line.
#pragma once

#include "base/platform.h"
#include "base/settings_store.h"

#include <QObject>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QWidget;

namespace tessaly {

class ErrorTrap;
class FileListModel;
class FileListView;
struct AddFilesContext;
struct SkippedFolder;

class FileListController : public QObject {
    Q_OBJECT
public:
    struct Controls {
        FileListView *view;
        QPushButton *addFolderButton;
        QPushButton *addFilesButton;
        QPushButton *clearListButton;
        QPushButton *loadSamplesButton;
        QPushButton *removeContainingButton;
        QPushButton *removeNotContainingButton;
        QLabel *statusText;
        QLabel *listCount;
        // Load Sample/Example Files puts a pair to try in the first tab.
        QPlainTextEdit *findText;
        QPlainTextEdit *replaceText;
        QTabWidget *tabs;
    };

    // `window` shows the hourglass while the list is worked on; the samples are
    // those in `programFolder`.
    FileListController(QWidget &window, Platform &platform, SettingsStore &settings, FileListModel &list,
                       const QString &programFolder, Controls controls);

    // Records the sample list when none is recorded (statements 108 and 128 of
    // the window's start-up).
    void recordSamples(ErrorTrap &trap);
    // A scan or filter in progress ends with the window.
    void windowClosing() { m_closing = true; }

public slots:
    void addFolder();
    void addFiles();
    void clearList();
    void removeContaining();
    void removeNotContaining();
    // The files and folders of a drop, or those the program was started with.
    void addDropped(const QStringList &paths);
    void loadSamples();
    // The list may change only while no run works on it.
    void setChangesAllowed(bool allowed);

private:
    void showListCount();
    AddFilesContext addFilesContext();
    // "N folders could not be read" on the status line, the folders and reasons
    // in its tool tip; nothing when the list is empty.
    void showSkippedFolders(const QList<SkippedFolder> &folders);
    // Runs the pending events; false once the window is closing.
    [[nodiscard]] bool handOverEvents();
    void setBusy(bool busy);

    QWidget &m_window;
    Platform &m_platform;
    SettingsStore &m_settings;
    FileListModel &m_list;
    QString m_programFolder;
    Controls m_controls;
    bool m_closing = false;
};

} // namespace tessaly
