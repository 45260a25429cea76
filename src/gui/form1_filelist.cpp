// Form1's file-list handlers: Add All HTML Files In Folder, Add HTML Files,
// Clear List, the two text filters and a drop from the file manager.
#include "gui/form1.h"

#include "base/error_report.h"
#include "filelist/adding_files.h"
#include "filelist/file_list_model.h"
#include "gui/file_list_view.h"
#include "filelist/list_maintenance.h"

#include <QLabel>
#include <QPushButton>

namespace tessaly {

void Form1::connectFileList()
{
    m_listView1->setBusyTest([this] { return isBusy(); });
    connect(m_pushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(m_pushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(m_pushButton8, &QPushButton::clicked, this, &Form1::PushButton8_Click);
    connect(m_pushButton12, &QPushButton::clicked, this, &Form1::PushButton12_Click);
    connect(m_pushButton13, &QPushButton::clicked, this, &Form1::PushButton13_Click);
    // Queued: the drop finishes with the file manager before the extension
    // check may ask its question.
    connect(m_listView1, &FileListView::filesDropped, this, &Form1::ListView1_OLEDragDrop, Qt::QueuedConnection);
    for (const auto signal : {&FileListModel::rowsInserted, &FileListModel::rowsRemoved})
        connect(m_fileList, signal, this, &Form1::showListCount);
    connect(m_fileList, &FileListModel::modelReset, this, &Form1::showListCount);
    showListCount();
}

void Form1::showListCount()
{
    m_listCount->setText(groupedPlural(m_fileList->count(), "file", "files"));
}

bool Form1::handOverEvents()
{
    m_platform.processPendingEvents();
    return !m_closeRequested;  // a scan or filter in progress ends with the window
}

AddFilesContext Form1::addFilesContext()
{
    AddFilesContext context{m_platform, *m_fileList,
                            [this](const QString &key, const QString &defaultValue) {
                                return m_settings.ReadSetting(key, defaultValue);
                            },
                            [this](const QString &key, const QString &value) { m_settings.WriteSetting(key, value); },
                            [this](bool busy) {
                                if (busy)
                                    setCursor(Qt::WaitCursor);
                                else
                                    unsetCursor();
                            },
                            errorReportBox(m_platform),
                            {}};
    // The scan hands the window its events on a time budget (PendingEvents), so
    // the window repaints and takes clicks while the hourglass shows.
    context.scan.handOverEvents = [this] { return handOverEvents(); };
    return context;
}

// Add All HTML Files In Folder (statements in adding_files.cpp). Folders the scan
// could not enter are named on the status line afterwards.
void Form1::PushButton1_Click()
{
    AddFilesContext context = addFilesContext();
    QList<SkippedFolder> skipped;
    context.scan.reportSkipped = [&skipped](const SkippedFolder &folder) { skipped.append(folder); };
    AddAllHtmlFilesInFolder(context);
    showSkippedFolders(skipped);
}

void Form1::showSkippedFolders(const QList<SkippedFolder> &folders)
{
    if (folders.isEmpty())
        return;
    // A tool tip taller than the screen shows nothing useful: the first ones and a count.
    constexpr int kShown = 30;
    QStringList lines;
    for (const SkippedFolder &folder : folders.first(std::min<qsizetype>(folders.size(), kShown)))
        lines << QStringLiteral("%1 (%2)").arg(folder.path, folder.reason);
    if (folders.size() > kShown)
        lines << QStringLiteral("and %1 more").arg(folders.size() - kShown);
    m_statusText->setText(folders.size() == 1 ? QStringLiteral("1 folder could not be read")
                                              : QStringLiteral("%1 folders could not be read").arg(folders.size()));
    m_statusText->setToolTip(lines.join(u'\n'));
}

// Add HTML Files (statements in adding_files.cpp).
void Form1::PushButton2_Click()
{
    AddFilesContext context = addFilesContext();
    AddHtmlFiles(context);
}

// Clear List. Statements: 100 test: busy, 102 remove all rows.
void Form1::PushButton8_Click()
{
    ErrorTrap trap(m_platform, QStringLiteral("Form1.PushButton8_Click"));
    if (!trap.test(100, [&] { return !isBusy(); }))
        return;
    trap.step(102, [&] { m_fileList->clear(); });
}

namespace {

// The two filters alike. Statements: 100 ask for the text, 102 test for an
// answer, 104 hourglass, 106 filter, 108 default pointer.
// The filter returns whether to go on (false: the window is closing).
template <class Filter>
void runFilter(Platform &platform, const QString &source, const QString &prompt,
               const std::function<void(bool)> &setBusy, Filter &&filter)
{
    ErrorTrap trap(platform, source);
    QString answer;
    trap.step(100, [&] { answer = platform.input(prompt, QString()).value_or(QString()); });
    if (!trap.test(102, [&] { return !answer.isEmpty(); }))
        return;
    trap.step(104, [&] { setBusy(true); });
    bool goOn = true;
    trap.step(106, [&] { goOn = filter(answer); });
    if (!goOn)
        return;
    trap.step(108, [&] { setBusy(false); });
}

} // namespace

// Remove Filenames Containing X.
void Form1::PushButton12_Click()
{
    const auto setBusy = [this](bool busy) { busy ? setCursor(Qt::WaitCursor) : unsetCursor(); };
    runFilter(m_platform, QStringLiteral("Form1.PushButton12_Click"),
                  QStringLiteral("Remove entries containing: "), setBusy, [&](const QString &text) {
                      return RemoveListFilesContaining(*m_fileList, text, [this] { return handOverEvents(); });
              });
}

// Remove Filenames Not Cont. X.
void Form1::PushButton13_Click()
{
    const auto setBusy = [this](bool busy) { busy ? setCursor(Qt::WaitCursor) : unsetCursor(); };
    runFilter(m_platform, QStringLiteral("Form1.PushButton13_Click"),
                  QStringLiteral("Remove entries not containing: "), setBusy, [&](const QString &text) {
                      return RemoveListFilesNotContaining(*m_fileList, text, [this] { return handOverEvents(); });
              });
}

// A drop from the file manager. A failure shows the error report box.
// Statements: 100 append the dropped files and the files of dropped folders,
// 102 extension check (neither after the window began to close). Scan failures
// are reported with the scan's own tag.
void Form1::ListView1_OLEDragDrop(const QStringList &paths)
{
    ErrorTrap trap(m_platform, QStringLiteral("Form1.ListView1_OLEDragDrop"));
    AddFilesContext context = addFilesContext();
    FolderScanOptions options = context.scan;
    options.reportFailure = context.reportFailure;
    bool goOn = true;
    trap.step(100, [&] {
        const std::optional<DroppedRows> rows = filesFromDrop(paths, options);
        if (rows)
            m_fileList->appendAll(rows->paths, rows->scanRoots);
        goOn = rows.has_value();
    });
    if (!goOn)
        return;
    trap.step(102, [&] { ValidateListFiles(*m_fileList, m_platform); });
}

} // namespace tessaly
