// The main window's replacement run: Start Replacing and Preview… check what they
// need and start the run over the rows as listed; the run's outcomes come back as
// progress on the status line and as the run's record; its closing box ("Done."
// or the stopped message, with Show Details…) or the Preview window ends it.
// Stop and Esc end it early.
#pragma once

#include "base/platform.h"
#include "engine/replace_job.h"
#include "engine/replace_run.h"
#include "engine/request_snapshot.h"
#include "engine/run_report.h"
#include "gui/reports_pane.h"
#include "gui/window_run.h"

#include <QElapsedTimer>
#include <QObject>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QShortcut;
class QTabWidget;
class QWidget;

namespace tessaly {

class ErrorTrap;
class FileListModel;

class RunController : public QObject {
    Q_OBJECT
public:
    // What a file's request is read from: the selected tab's pair or sets and
    // the options, as they are when the file is started.
    struct RequestControls {
        QTabWidget *tabs;
        QPlainTextEdit *findText;
        QPlainTextEdit *replaceText;
        QComboBox *setFindList;
        QComboBox *setReplaceList;
        QRadioButton *viewableTextOption;
        QRadioButton *outputFolderOption;
        QRadioButton *besideSourceOption;
        QRadioButton *wholeFileOption;
        QLineEdit *outputFolderText;
        QCheckBox *keepTreeBox;
    };
    // Where the run shows that it works.
    struct StatusControls {
        QLabel *statusText;
        QProgressBar *progress;
        QPushButton *previewButton;
        QPushButton *stopButton;
        QShortcut *stopKey;
    };

    // `window` shows the hourglass while a run works and is the parent of the
    // Preview and run report windows.
    RunController(QWidget &window, Platform &platform, FileListModel &list, RequestControls request,
                  StatusControls status);

    // From Start Replacing or Preview… until its closing box (or the Preview
    // window) is gone.
    bool isRunInProgress() const { return m_runInProgress; }
    // The file system the runs work through and how many files they do at once.
    void setEnvironment(RunEnvironment environment, int jobs) { m_run.setEnvironment(environment, jobs); }
    // The window is closing: the run stops after the files in flight and shows
    // no closing box.
    void windowClosing();

public slots:
    void startReplacing();
    // The run of Start Replacing with nothing written, then the Preview window.
    void startPreview();
    // Stop (or Esc) while a run or preview works: the files in flight finish and
    // no further row is started.
    void stop();
    // A scan or filter of the list works: no run starts meanwhile, and the
    // run's Stop and Esc are there to stop it (the file list connects to them).
    void setListWorking(bool working);

signals:
    // A run starts (true) or has ended (false): the list may not change meanwhile.
    void runningChanged(bool running);
    // A run or preview has ended and its closing box is gone.
    void runFinished();

private:
    // The steps of Start Replacing under its statement numbers; a preview takes the
    // same steps without writing and shows the Preview window instead of "Done.".
    // `onlyRows`: the list's rows (from 0) to run instead of every one (those the
    // Preview's check boxes chose).
    void replaceOverList(const QString &procedure, bool preview, const QList<int> &onlyRows = {});
    // Statements 106 and 108: whether the list and the output folder allow a run.
    bool canStart(ErrorTrap &trap);
    void recordRows(const QList<int> &onlyRows);
    void filesDone(const QList<FileOutcome> &batch);
    void runEnded(const RunEnd &end);
    void showRunning(bool running);
    void showProgress(qsizetype done);
    // The run's closing line and its counts, on the status line.
    void showSummary(const RunEnd &end, bool stopped);
    void clearProgress();

    // The request (run_request.cpp).
    FileRequest currentRequest() const;
    // Puts the request as it is now where the run reads it; nothing while no run works.
    void refreshRequest();
    void connectRequestControls();

    // The windows over the run's reports (run_windows.cpp). The files checked in
    // the Preview window when its Start Replacing was pressed, none otherwise.
    QList<int> showPreview();
    // Show Details… on the closing box.
    void showRunReport();
    // The changes of a file of the run's record, replaced again with the request
    // the run did it with.
    ReportsPane::DiffSource recordDiffs() const;

    QWidget &m_window;
    Platform &m_platform;
    FileListModel &m_list;
    RequestControls m_requestControls;
    StatusControls m_status;
    bool m_runInProgress = false;
    bool m_listWorking = false;
    bool m_closing = false;

    // What the run reads each file's request from, the run itself (declared after
    // the request: it is stopped and waited for first), and what is kept of it
    // until its closing box.
    RequestSnapshot m_request;
    WindowRun m_run;
    struct RunRecord {
        QString procedure;  // the tag of Start Replacing or of Preview…
        bool preview = false;
        QStringList rows;   // as listed when the run started
        QStringList subFolders;  // with Keep folder tree: one per row, else none
        RunTally tally;
        // The reports, and the request each file was done with (for its diff).
        QList<FileReport> reports;
        QList<std::shared_ptr<const FileRequest>> requests;
    } m_record;

    QElapsedTimer m_progressShown;
    static constexpr qint64 kProgressInterval = 100;  // milliseconds
};

} // namespace tessaly
