// The main window's file list: Add All HTML Files In Folder, Add HTML Files,
// Clear List, the two filters, a drop from the file manager, the sample files,
// and the count of listed files on the status line. Scans and filters work in
// the background (FolderScanTask, ListFilterTask); the window is busy meanwhile.
#pragma once

#include "base/platform.h"
#include "base/settings_store.h"
#include "gui/folder_scan_task.h"
#include "gui/list_filter_task.h"

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
    // From the start of a scan or filter until its findings are in the list.
    bool isWorking() const { return m_scan.isWorking() || m_filter.isWorking(); }
    // A scan or filter in progress ends with the window, and nothing of it is shown.
    void windowClosing();
    // The folders that Add All HTML Files In Folder and drops scan from now on.
    void setFolderSource(const FolderSource &source) { m_scan.setSource(source); }
    // What the two filters run from now on.
    void setListFilter(ListFilterTask::Filter filter) { m_filter.setFilter(std::move(filter)); }

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
    // Stop or Esc while a scan or filter works: it ends early and adds or removes nothing.
    void stop();

signals:
    // A scan or filter starts (true) or has ended (false).
    void workingChanged(bool working);

private:
    void showListCount();
    AddFilesContext addFilesContext();
    // "N folders could not be read" on the status line, the folders and reasons
    // in its tool tip; nothing when the list is empty.
    void showSkippedFolders(const QList<SkippedFolder> &folders);
    // The window is busy and the list unchanged while a task works.
    void showWorking(bool working);
    enum class ScanKind { AddFolder, Drop };
    void startScan(ScanKind kind, const std::function<void()> &start);
    void showScanProgress(const ScanProgress &progress);
    void scanDone(ScanFindings &findings);
    // The two filters alike (statements in the .cpp).
    void startFilter(const QString &tag, const QString &prompt, ListFilter filter);
    void filterDone(ListFilterEnd &end);

    QWidget &m_window;
    Platform &m_platform;
    SettingsStore &m_settings;
    FileListModel &m_list;
    QString m_programFolder;
    Controls m_controls;

    // Declared last: they go first, while what their handlers touch still exists.
    ScanKind m_scanKind = ScanKind::AddFolder;
    FolderScanTask m_scan;
    QString m_filterTag;  // the error reports' tag of the filter that works
    ListFilterTask m_filter;
};

} // namespace tessaly
