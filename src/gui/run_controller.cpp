#include "gui/run_controller.h"

#include "base/error_report.h"
#include "base/paths.h"
#include "filelist/file_list_model.h"
#include "gui/busy_pointer.h"
#include "gui/handler_tags.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QThread>

namespace tessaly {

namespace {

const QString kNoFilesAdded = QStringLiteral("No files added.");
const QString kFolderMissing = QStringLiteral("Folder does not exist. Please select another folder.");

} // namespace

RunController::RunController(QWidget &window, Platform &platform, FileListModel &list, RequestControls request,
                             StatusControls status)
    : m_window(window), m_platform(platform), m_list(list), m_requestControls(request),
      m_status(status), m_run({[this](const QList<FileOutcome> &batch) { filesDone(batch); },
                               [this](const RunEnd &end) { runEnded(end); }})
{
    m_run.setEnvironment({}, QThread::idealThreadCount());
    connect(m_status.previewButton, &QPushButton::clicked, this, &RunController::startPreview);
    connect(m_status.stopButton, &QPushButton::clicked, this, &RunController::stop);
    connect(m_status.stopKey, &QShortcut::activated, this, &RunController::stop);
    connectRequestControls();
}

void RunController::windowClosing()
{
    m_closing = true;
    m_run.stop();
}

void RunController::stop()
{
    if (m_run.isWorking())
        m_run.stop();
}

void RunController::setListWorking(bool working)
{
    m_listWorking = working;
    showRunning(working);
}

void RunController::startReplacing()
{
    replaceOverList(tags::startReplacing, false);
}

void RunController::startPreview()
{
    replaceOverList(tags::preview, true);
}

// Statements: 102 test: a run (or a scan or filter of the list) in progress,
// 104 mark it, 106 test: an empty list (136 "No files added."), 108 test: the
// output folder (134 "Folder does not exist."), 138 clear the mark; 110 the rows
// as listed now, 112 the request as it is now, 114 hourglass, 116 start. The
// closing steps (130-138) are in runEnded.
void RunController::replaceOverList(const QString &procedure, bool preview, const QList<int> &onlyRows)
{
    ErrorTrap trap(m_platform, procedure);
    bool alreadyRunning = false;
    trap.step(102, [&] { alreadyRunning = m_runInProgress || m_listWorking; });
    if (alreadyRunning)
        return;
    trap.step(104, [&] { m_runInProgress = true; });
    if (!canStart(trap)) {
        trap.step(138, [&] { m_runInProgress = false; });
        return;
    }

    m_record = RunRecord();
    m_record.procedure = procedure;
    m_record.preview = preview;
    trap.step(110, [&] { recordRows(onlyRows); });
    trap.step(112, [&] {
        FileRequest request = currentRequest();
        request.options.dryRun = preview;
        m_request.set(std::move(request));
    });
    trap.step(114, [&] { showHourglass(m_window, true); });
    emit runningChanged(true);
    showRunning(true);
    showProgress(0);
    if (!trap.step(116, [&] { m_run.start(m_record.rows, m_record.subFolders, m_request); }))
        runEnded({m_record.rows.size(), 0, StopToken::kStopped});
}

bool RunController::canStart(ErrorTrap &trap)
{
    if (trap.test(106, [&] { return m_list.count() == 0; })) {
        trap.step(136, [&] { m_platform.message(kNoFilesAdded); });
        return false;
    }
    if (trap.test(108, [&] {
            const bool folderExists = FolderExists(m_requestControls.outputFolderText->text());
            return !(folderExists || m_requestControls.besideSourceOption->isChecked());
        })) {
        trap.step(134, [&] { m_platform.message(kFolderMissing); });
        return false;
    }
    return true;
}

void RunController::recordRows(const QList<int> &onlyRows)
{
    // The run works on the rows as they are now; the list may not change until
    // it ends.
    const QStringList rows = m_list.rows();
    const QStringList subFolders =
        m_requestControls.keepTreeBox->isChecked() && m_requestControls.outputFolderOption->isChecked()
            ? m_list.foldersBelowScanRoots()
            : QStringList();
    if (onlyRows.isEmpty()) {
        m_record.rows = rows;
        m_record.subFolders = subFolders;
    }
    for (int row : onlyRows) {
        m_record.rows << rows.at(row);
        if (!subFolders.isEmpty())
            m_record.subFolders << subFolders.at(row);
    }
}

void RunController::filesDone(const QList<FileOutcome> &batch)
{
    // A file's failure raises no box of its own: the run goes on, the closing box
    // counts the failures and the run report tells each one.
    for (const FileOutcome &outcome : batch) {
        // Neither tab selected: the file was left alone and has nothing to report.
        if (!outcome.report)
            continue;
        const FileReport &report = *outcome.report;
        m_record.tally.add(report);
        m_record.reports << report;
        m_record.requests << outcome.request;
    }
    if (!batch.isEmpty())
        showProgress(batch.last().index);
}

void RunController::runEnded(const RunEnd &end)
{
    ErrorTrap trap(m_platform, m_record.procedure);
    showRunning(false);
    emit runningChanged(false);
    trap.step(130, [&] { showHourglass(m_window, false); });
    // Stop pressed while the last files were in flight leaves nothing undone.
    const bool stopped = end.stopReason != 0 && end.done < end.listed;
    showSummary(end, stopped);
    QList<int> startReplacing;
    if (!m_closing)
        trap.step(132, [&] {
            if (m_record.preview && !stopped)
                startReplacing = showPreview();
            else
                m_platform.messageWithDetails(closingMessage(m_record.tally, end.done, end.listed, stopped),
                                              [this] { showRunReport(); });
        });
    m_record = RunRecord();
    trap.step(138, [&] { m_runInProgress = false; });
    emit runFinished();
    // Start Replacing in the Preview window: the real run over the files checked
    // there, with the settings as they are now.
    if (!startReplacing.isEmpty())
        replaceOverList(tags::startReplacing, false, startReplacing);
}

void RunController::showProgress(qsizetype done)
{
    // Repainting the status line for every file would cost more than replacing
    // small files: it is refreshed a few times a second.
    if (done > 0 && m_progressShown.isValid() && m_progressShown.elapsed() < kProgressInterval)
        return;
    const qsizetype rowCount = m_record.rows.size();
    if (rowCount == 0)
        return;
    m_progressShown.start();
    // The file after the last one done is the one being worked on.
    const qsizetype row = std::min(done + 1, rowCount);
    m_status.progress->setRange(0, int(rowCount));
    m_status.progress->setValue(int(done));
    m_status.progress->setVisible(true);
    m_status.statusText->setText(
        QStringLiteral("%1 of %2: %3").arg(groupedNumber(row), groupedNumber(rowCount), m_record.rows.at(row - 1)));
    m_status.statusText->setToolTip(QString());
}

void RunController::showSummary(const RunEnd &end, bool stopped)
{
    // The closing box can go unseen (an Esc meant for Stop that arrives as the run
    // ends closes it): the counts stay on the status line until something else
    // is shown there.
    clearProgress();
    const QString closing = closingMessage(m_record.tally, end.done, end.listed, stopped);
    m_status.statusText->setText(closing.section(u'\n', 0, 0) + u' '
                                 + reportTotals(m_record.tally, m_record.tally.files, m_record.preview));
    m_status.statusText->setToolTip(closing);
}

void RunController::clearProgress()
{
    m_progressShown.invalidate();
    m_status.progress->setVisible(false);
    m_status.statusText->clear();
    m_status.statusText->setToolTip(QString());
}

void RunController::showRunning(bool running)
{
    m_status.previewButton->setVisible(!running);
    m_status.stopButton->setVisible(running);
    m_status.stopKey->setEnabled(running);
}

} // namespace tessaly
