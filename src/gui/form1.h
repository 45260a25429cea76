// The main window: the file list, the find/replace pair and sets, the mode and
// save options, the output folder, and the replacement run over the list.
#pragma once

#include "base/platform.h"
#include "base/settings_store.h"
#include "engine/replace_job.h"
#include "engine/replace_run.h"
#include "engine/request_snapshot.h"
#include "engine/run_report.h"
#include "gui/reports_pane.h"
#include "gui/window_run.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QRect>

#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QShortcut;
class QTabWidget;

namespace tessaly {

class ErrorTrap;
class FileListModel;
class HoverPointer;
class FileListView;
struct AddFilesContext;
struct SkippedFolder;

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char *kCaption = "Tessaly Software";

    Form1(Platform &platform, SettingsStore &settings, QWidget *parent = nullptr);
    // Takes the samples, pointers and skin from `programFolder` instead of the
    // running program's folder.
    Form1(Platform &platform, SettingsStore &settings, const QString &programFolder, QWidget *parent = nullptr);
    ~Form1() override;

    FileListModel &fileList() { return *m_fileList; }
    // The window is busy while its pointer is the hourglass.
    bool isBusy() const;
    // From Start Replacing or Preview… until its closing box (or the Preview
    // window) is gone.
    bool isRunInProgress() const { return m_runInProgress; }

    // The file system the runs work through and how many files they do at once
    // (the number of cores unless set).
    void setRunEnvironment(RunEnvironment environment, int jobs);

    // What closing the window does after it closed (the application quits).
    void setQuitHandler(std::function<void()> quit) { m_quit = std::move(quit); }

    // The window at its design size when that fits in `available` (a screen's
    // free area), centred there; else the whole area, the controls scrolling.
    void fitToScreen(const QRect &available);

    // The desktop folder followed by the native separator.
    static QString GetDesktopFolder();
    // The caption shortened by whole words: at least one word goes, then more
    // while the text is longer than 40 characters.
    static QString applicationTitleFor(const QString &caption);

public slots:
    void Form_Load();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Option4_Click();
    void KeepFolderTree_Click();
    void TabControl1_SelectedChanged(int index);
    void Text3_Change(const QString &text);
    void PushButton3_Click();
    void PushButton10_Click();
    void PushButton11_Click();
    void PushButton14_Click();
    // The sets tab: the two set lists and their buttons.
    void Combo1_Click();
    void Combo2_Click();
    void PushButton4_Click();
    void PushButton5_Click();
    void PushButton6_Click();
    void PushButton7_Click();
    void PushButton9_Click();
    // The file list's buttons and drop (form1_filelist.cpp).
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton8_Click();
    void PushButton12_Click();
    void PushButton13_Click();
    void ListView1_OLEDragDrop(const QStringList &paths);
    // Preview… on the status line: the run of Start Replacing with nothing written,
    // then the Preview window (form1_preview.cpp).
    void startPreview();
    // Stop (or Esc) while a run or preview works: the files in flight finish and
    // no further row is started.
    void stopRun();

signals:
    // A run or preview has ended and its closing box is gone.
    void runFinished();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    // The controls with the status line below them, unscaled.
    QSize designSize() const;
    // The output folder and Keep folder tree, usable with "Save results to this folder".
    void enableOutputFolder(bool enabled);
    // "6 files" on the status line, for the list as it is now.
    void showListCount();
    void connectFileList();
    AddFilesContext addFilesContext();
    // "N folders could not be read" on the status line, the folders and reasons
    // in its tool tip; nothing when the list is empty.
    void showSkippedFolders(const QList<SkippedFolder> &folders);
    // Runs the pending events; false once the window is closing.
    [[nodiscard]] bool handOverEvents();
    QPushButton *makePushButton(QWidget *parent, const char *name, const QString &caption);
    void place(QWidget *widget, int left, int top, int width, int height);
    void placeOnTab(QWidget *widget, int left, int top, int width, int height);
    void placeTabControls();

    void SetApplicationTitle();
    // Start-up steps before the captions: skin, hand pointer, sample list.
    void loadProgramFiles(ErrorTrap &trap);
    void installHoverPointer();
    void writeModeOptions();
    void writeSaveOptions();
    void writeQuietly(const QString &key, const QString &text);
    void restoreOption(QRadioButton *button, bool selected, void (Form1::*click)());
    void restoreTab(const QString &text);

    // Appends one set to both lists and keeps their selection as it was.
    void appendSet(const FindReplaceSet &set);
    // The entries of a set list, in order.
    static QStringList itemTexts(const QComboBox &combo);
    // Selects entry index in both set lists at once.
    void showSetInBothLists(int index);

    // The steps of Start Replacing under its statement numbers; a preview takes the
    // same steps without writing and shows the Preview window instead of "Done.".
    // The run goes on after this returns; its outcomes come to filesDone and its
    // closing steps to runEnded.
    // `onlyRows`: the list's rows (from 0) to run instead of every one (those the
    // Preview's check boxes chose).
    void replaceOverList(const QString &procedure, bool preview, const QList<int> &onlyRows = {});
    void filesDone(const QList<FileOutcome> &batch);
    void runEnded(const RunEnd &end);
    // Shows the Preview window over the dry run's reports; the files checked
    // there when its Start Replacing was pressed, none otherwise.
    QList<int> showPreview();
    // Shows the run report window over the run's reports (Show Details…).
    void showRunReport();
    // The changes of a file of the run's record, replaced again with the request
    // the run did it with.
    ReportsPane::DiffSource recordDiffs() const;
    // Preview… while no run works, Stop while one does.
    void showRunning(bool running);
    // The controls that change the list: usable only while no run works (the run
    // works on the rows as they were when it started).
    void setListControlsEnabled(bool enabled);
    // What the run applies to the next file: the selected tab's pair or sets and
    // the options, as they are now.
    FileRequest currentRequest() const;
    // Puts the request as it is now where the run reads it; nothing while no run works.
    void refreshRequest();
    void connectRequestControls();
    void showProgress(qsizetype done);
    void clearProgress();

    Platform &m_platform;
    SettingsStore &m_settings;
    QString m_programFolder;
    HoverPointer *m_hoverPointer = nullptr;
    FileListModel *m_fileList = nullptr;
    std::function<void()> m_quit;
    bool m_runInProgress = false;
    bool m_closeRequested = false;
    bool m_tabControlsPlaced = false;

    // The run of Start Replacing or Preview…: what it reads each file's request
    // from, the run itself (declared after the request: it is stopped and waited
    // for first), and what the window keeps of it until its closing box.
    RequestSnapshot m_request;
    WindowRun m_run;
    struct RunRecord {
        QString procedure;  // "Form1.PushButton3_Click" or "Form1.Preview_Click"
        bool preview = false;
        QStringList rows;   // as listed when the run started
        QStringList subFolders;  // with Keep folder tree: one per row, else none
        RunTally tally;
        // The reports, and the request each file was done with (for its diff).
        QList<FileReport> reports;
        QList<std::shared_ptr<const FileRequest>> requests;
    } m_record;

    struct TabPlacement {
        QWidget *widget;
        QRect twips;
    };
    std::vector<TabPlacement> m_tabPlacements;

    static inline const QString kKeepTreeKey = QStringLiteral("Keep Folder Tree");

    QScrollArea *m_clientArea = nullptr;
    QWidget *m_client = nullptr;
    QPushButton *m_command1 = nullptr;
    QPushButton *m_pushButton1 = nullptr;
    QPushButton *m_pushButton2 = nullptr;
    QPushButton *m_pushButton3 = nullptr;
    QPushButton *m_pushButton4 = nullptr;
    QPushButton *m_pushButton5 = nullptr;
    QPushButton *m_pushButton6 = nullptr;
    QPushButton *m_pushButton7 = nullptr;
    QPushButton *m_pushButton8 = nullptr;
    QPushButton *m_pushButton9 = nullptr;
    QPushButton *m_pushButton10 = nullptr;
    QPushButton *m_pushButton11 = nullptr;
    QPushButton *m_pushButton12 = nullptr;
    QPushButton *m_pushButton13 = nullptr;
    QPushButton *m_pushButton14 = nullptr;
    FileListView *m_listView1 = nullptr;
    QTabWidget *m_tabControl1 = nullptr;
    QLabel *m_label1 = nullptr;
    QLabel *m_label2 = nullptr;
    QLabel *m_label3 = nullptr;
    QLabel *m_label4 = nullptr;
    QPlainTextEdit *m_text1 = nullptr;
    QPlainTextEdit *m_text2 = nullptr;
    QLineEdit *m_text3 = nullptr;
    QComboBox *m_combo1 = nullptr;
    QComboBox *m_combo2 = nullptr;
    QGroupBox *m_frame1 = nullptr;
    QGroupBox *m_frame2 = nullptr;
    QGroupBox *m_frame3 = nullptr;
    QRadioButton *m_option1 = nullptr;
    QRadioButton *m_option2 = nullptr;
    QRadioButton *m_option3 = nullptr;
    QRadioButton *m_option4 = nullptr;
    QCheckBox *m_keepTree = nullptr;
    QLabel *m_statusText = nullptr;
    QLabel *m_listCount = nullptr;
    QElapsedTimer m_progressShown;
    static constexpr qint64 kProgressInterval = 100;  // milliseconds
    QProgressBar *m_progress = nullptr;
    QPushButton *m_previewButton = nullptr;
    QPushButton *m_stopButton = nullptr;
    QShortcut *m_stopKey = nullptr;
};

} // namespace tessaly
