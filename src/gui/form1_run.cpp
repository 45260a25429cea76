// Form1's replacement run: Start Replacing and Preview… check what they need,
// start the run over the rows as listed, take its outcomes as they come (the
// progress and the run's record) and close it with "Done." or the stopped
// message, each with the counts of files that failed or were skipped and the run
// report behind Show Details…, or with the Preview window. Stop and Esc end it early.
#include "gui/form1.h"

#include "base/error_report.h"
#include "base/paths.h"
#include "filelist/file_list_model.h"
#include "gui/file_list_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTabWidget>

namespace tessaly {

namespace {

const QString kNoFilesAdded = QStringLiteral("No files added.");
const QString kFolderMissing = QStringLiteral("Folder does not exist. Please select another folder.");

} // namespace

void Form1::setRunEnvironment(RunEnvironment environment, int jobs)
{
    m_run.setEnvironment(environment, jobs);
}

FileRequest Form1::currentRequest() const
{
    FileRequest request;
    switch (m_tabControl1->currentIndex()) {
    case 0:
        request.kind = FileRequest::Kind::Pair;
        request.sets = {{m_text1->toPlainText(), m_text2->toPlainText()}};
        break;
    case 1:
        request.kind = FileRequest::Kind::Sets;
        request.sets = findReplaceSets(itemTexts(*m_combo1), itemTexts(*m_combo2));
        break;
    default:
        return request;
    }
    JobOptions &options = request.options;
    options.mode = m_option1->isChecked() ? ReplaceMode::ViewableText : ReplaceMode::WholeFile;
    if (m_option4->isChecked()) {
        options.save = SaveOption::OutputFolder;
        options.outputFolder = localPath(m_text3->text());
    } else if (m_option3->isChecked()) {
        options.save = SaveOption::BesideSource;
    } else {
        options.save = SaveOption::None;
    }
    return request;
}

void Form1::refreshRequest()
{
    if (!m_run.isWorking())
        return;
    FileRequest request = currentRequest();
    request.options.dryRun = m_record.preview;
    m_request.set(std::move(request));
}

void Form1::connectRequestControls()
{
    // Each file takes the request as it is when the file is started: every
    // change made while a run works applies from the next file on.
    for (QRadioButton *option : {m_option1, m_option2, m_option3, m_option4})
        connect(option, &QRadioButton::toggled, this, &Form1::refreshRequest);
    connect(m_tabControl1, &QTabWidget::currentChanged, this, &Form1::refreshRequest);
    connect(m_text1, &QPlainTextEdit::textChanged, this, &Form1::refreshRequest);
    connect(m_text2, &QPlainTextEdit::textChanged, this, &Form1::refreshRequest);
    connect(m_text3, &QLineEdit::textChanged, this, &Form1::refreshRequest);

    // A set is added to or removed from one list and then the other: only when
    // both lists agree again are they the sets, so that no file pairs a find text
    // with another set's replacement. The lists as they end up after the handler
    // are taken in any case.
    const auto setsChanged = [this] {
        if (!m_run.isWorking())
            return;
        if (m_combo1->count() == m_combo2->count())
            refreshRequest();
        QMetaObject::invokeMethod(this, &Form1::refreshRequest, Qt::QueuedConnection);
    };
    for (QComboBox *combo : {m_combo1, m_combo2}) {
        QAbstractItemModel *model = combo->model();
        connect(model, &QAbstractItemModel::rowsInserted, this, setsChanged);
        connect(model, &QAbstractItemModel::rowsRemoved, this, setsChanged);
        connect(model, &QAbstractItemModel::rowsMoved, this, setsChanged);
        connect(model, &QAbstractItemModel::modelReset, this, setsChanged);
        connect(model, &QAbstractItemModel::dataChanged, this, setsChanged);
    }
}

void Form1::showProgress(qsizetype done)
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
    m_progress->setRange(0, int(rowCount));
    m_progress->setValue(int(done));
    m_progress->setVisible(true);
    m_statusText->setText(
        QStringLiteral("%1 of %2: %3").arg(groupedNumber(row), groupedNumber(rowCount), m_record.rows.at(row - 1)));
    m_statusText->setToolTip(QString());
}

void Form1::clearProgress()
{
    m_progressShown.invalidate();
    m_progress->setVisible(false);
    m_statusText->clear();
    m_statusText->setToolTip(QString());
}

void Form1::showRunning(bool running)
{
    m_previewButton->setVisible(!running);
    m_stopButton->setVisible(running);
    m_stopKey->setEnabled(running);
}

void Form1::setListControlsEnabled(bool enabled)
{
    for (QPushButton *button : {m_pushButton1, m_pushButton2, m_pushButton8, m_pushButton11, m_pushButton12,
                                m_pushButton13})
        button->setEnabled(enabled);
    m_listView1->setChangesAllowed(enabled);
}

void Form1::stopRun()
{
    if (m_run.isWorking())
        m_run.stop();
}

void Form1::PushButton3_Click()
{
    replaceOverList(QStringLiteral("Form1.PushButton3_Click"), false);
}

// Statements: 102 test: a run in progress, 104 mark it, 106 test: an empty list
// (136 "No files added."), 108 test: the output folder (134 "Folder does not
// exist."), 138 clear the mark; 110 the rows as listed now, 112 the request as
// it is now, 114 hourglass, 116 start. The closing steps (130-138) are in runEnded.
void Form1::replaceOverList(const QString &procedure, bool preview, const QList<int> &onlyRows)
{
    ErrorTrap trap(m_platform, procedure);
    bool alreadyRunning = false;
    trap.step(102, [&] { alreadyRunning = m_runInProgress; });
    if (alreadyRunning)
        return;
    trap.step(104, [&] { m_runInProgress = true; });

    if (trap.test(106, [&] { return m_fileList->count() == 0; })) {
        trap.step(136, [&] { m_platform.message(kNoFilesAdded); });
        trap.step(138, [&] { m_runInProgress = false; });
        return;
    }
    if (trap.test(108, [&] {
            const bool folderExists = FolderExists(m_text3->text());
            return !(folderExists || m_option3->isChecked());
        })) {
        trap.step(134, [&] { m_platform.message(kFolderMissing); });
        trap.step(138, [&] { m_runInProgress = false; });
        return;
    }

    m_record = RunRecord();
    m_record.procedure = procedure;
    m_record.preview = preview;
    trap.step(110, [&] {
        // The run works on the rows as they are now; the list may not change
        // until it ends.
        const QStringList rows = m_fileList->rows();
        const QStringList subFolders = m_keepTree->isChecked() && m_option4->isChecked()
                                           ? m_fileList->foldersBelowScanRoots()
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
    });
    trap.step(112, [&] {
        FileRequest request = currentRequest();
        request.options.dryRun = preview;
        m_request.set(std::move(request));
    });
    trap.step(114, [&] { setCursor(Qt::WaitCursor); });
    setListControlsEnabled(false);
    showRunning(true);
    showProgress(0);
    if (!trap.step(116, [&] { m_run.start(m_record.rows, m_record.subFolders, m_request); }))
        runEnded({m_record.rows.size(), 0, StopToken::kStopped});
}

void Form1::filesDone(const QList<FileOutcome> &batch)
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

void Form1::runEnded(const RunEnd &end)
{
    ErrorTrap trap(m_platform, m_record.procedure);
    showRunning(false);
    setListControlsEnabled(true);
    trap.step(130, [&] { unsetCursor(); });
    clearProgress();
    // Stop pressed while the last files were in flight leaves nothing undone.
    const bool stopped = end.stopReason != 0 && end.done < end.listed;
    QList<int> startReplacing;
    if (!m_closeRequested)
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
        replaceOverList(QStringLiteral("Form1.PushButton3_Click"), false, startReplacing);
}

} // namespace tessaly
