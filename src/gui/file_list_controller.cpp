#include "gui/file_list_controller.h"

#include "base/error_report.h"
#include "engine/run_report.h"
#include "filelist/adding_files.h"
#include "filelist/file_list_model.h"
#include "filelist/list_maintenance.h"
#include "filelist/samples.h"
#include "gui/busy_pointer.h"
#include "gui/file_list_view.h"
#include "gui/handler_tags.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

namespace tessaly {

FileListController::FileListController(QWidget &window, Platform &platform, SettingsStore &settings,
                                       FileListModel &list, const QString &programFolder, Controls controls)
    : m_window(window), m_platform(platform), m_settings(settings), m_list(list),
      m_programFolder(programFolder), m_controls(controls),
      m_scan({[this](const ScanProgress &progress) { showScanProgress(progress); },
              [this](ScanFindings &findings) { scanDone(findings); }}),
      m_filter([this](ListFilterEnd &end) { filterDone(end); })
{
    const Controls &c = m_controls;
    c.view->setBusyTest([this] { return showsHourglass(m_window); });
    connect(c.loadSamplesButton, &QPushButton::clicked, this, &FileListController::loadSamples);
    connect(c.addFolderButton, &QPushButton::clicked, this, &FileListController::addFolder);
    connect(c.addFilesButton, &QPushButton::clicked, this, &FileListController::addFiles);
    connect(c.clearListButton, &QPushButton::clicked, this, &FileListController::clearList);
    connect(c.removeContainingButton, &QPushButton::clicked, this, &FileListController::removeContaining);
    connect(c.removeNotContainingButton, &QPushButton::clicked, this, &FileListController::removeNotContaining);
    // Queued: the drop finishes with the file manager before the extension
    // check may ask its question.
    connect(c.view, &FileListView::filesDropped, this, &FileListController::addDropped, Qt::QueuedConnection);
    for (const auto signal : {&FileListModel::rowsInserted, &FileListModel::rowsRemoved})
        connect(&m_list, signal, this, &FileListController::showListCount);
    connect(&m_list, &FileListModel::modelReset, this, &FileListController::showListCount);
    showListCount();
}

void FileListController::showListCount()
{
    m_controls.listCount->setText(groupedPlural(m_list.count(), "file", "files"));
}

void FileListController::setChangesAllowed(bool allowed)
{
    const Controls &c = m_controls;
    for (QPushButton *button : {c.addFolderButton, c.addFilesButton, c.clearListButton, c.loadSamplesButton,
                                c.removeContainingButton, c.removeNotContainingButton})
        button->setEnabled(allowed);
    c.view->setChangesAllowed(allowed);
}

void FileListController::showWorking(bool working)
{
    setChangesAllowed(!working);
    emit workingChanged(working);
}

void FileListController::windowClosing()
{
    m_scan.abandon();
    m_filter.abandon();
}

void FileListController::stop()
{
    m_scan.stop();
    m_filter.stop();
}

AddFilesContext FileListController::addFilesContext()
{
    return {m_platform,
            m_list,
            [this](const QString &key, const QString &defaultValue) { return m_settings.ReadSetting(key, defaultValue); },
            [this](const QString &key, const QString &value) { m_settings.WriteSetting(key, value); },
            [this](bool busy) { showHourglass(m_window, busy); },
            errorReportBox(m_platform)};
}

// Add All HTML Files In Folder (statements in adding_files.cpp): the folder is
// asked for here, scanned in the background, and its files appended in scanDone.
void FileListController::addFolder()
{
    AddFilesContext context = addFilesContext();
    const std::optional<FolderChoice> choice = chooseFolderToScan(context);
    if (!choice)
        return;
    startScan(ScanKind::AddFolder, [&] { m_scan.startFolder(*choice); });
}

void FileListController::startScan(ScanKind kind, const std::function<void()> &start)
{
    m_scanKind = kind;
    const bool drop = kind == ScanKind::Drop;
    // When the system grants no thread, the scan's step fails as a scan would.
    ErrorTrap trap(m_platform, drop ? kDropSource : kAddAllSource);
    if (trap.step(drop ? 100 : 114, start))
        showWorking(true);
    else
        showHourglass(m_window, false);
}

void FileListController::showScanProgress(const ScanProgress &progress)
{
    // The figures count the sub-folders found: the scanned folder is one more.
    QLabel *status = m_controls.statusText;
    status->setText(QStringLiteral("Scanning… %1 in %2")
                        .arg(groupedPlural(progress.files, "file", "files"),
                             groupedPlural(progress.folders + 1, "folder", "folders")));
    status->setToolTip(QString());
}

// Folders the scan could not enter are named on the status line afterwards.
void FileListController::scanDone(ScanFindings &findings)
{
    showWorking(false);
    m_controls.statusText->clear();
    AddFilesContext context = addFilesContext();
    if (m_scanKind == ScanKind::Drop) {
        showHourglass(m_window, false);
        finishDrop(context, findings);
        return;
    }
    finishAddingFolder(context, findings);
    showSkippedFolders(findings.skipped);
}

void FileListController::showSkippedFolders(const QList<SkippedFolder> &folders)
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
    QLabel *status = m_controls.statusText;
    status->setText(folders.size() == 1 ? QStringLiteral("1 folder could not be read")
                                        : QStringLiteral("%1 folders could not be read").arg(folders.size()));
    status->setToolTip(lines.join(u'\n'));
}

// Add HTML Files (statements in adding_files.cpp).
void FileListController::addFiles()
{
    AddFilesContext context = addFilesContext();
    AddHtmlFiles(context);
}

// Clear List. Statements: 100 test: busy, 102 remove all rows.
void FileListController::clearList()
{
    ErrorTrap trap(m_platform, tags::clearList);
    if (!trap.test(100, [&] { return !showsHourglass(m_window); }))
        return;
    trap.step(102, [&] { m_list.clear(); });
}

// The two filters alike. Statements: 100 ask for the text, 102 test for an
// answer, 104 hourglass, 106 filter (in the background; its rows are removed in
// filterDone), 108 default pointer.
void FileListController::startFilter(const QString &tag, const QString &prompt, ListFilter filter)
{
    ErrorTrap trap(m_platform, tag);
    QString answer;
    trap.step(100, [&] { answer = m_platform.input(prompt, QString()).value_or(QString()); });
    if (!trap.test(102, [&] { return !answer.isEmpty(); }))
        return;
    trap.step(104, [&] { showHourglass(m_window, true); });
    m_filterTag = tag;
    if (!trap.step(106, [&] { m_filter.start(m_list.rows(), answer, filter); })) {
        trap.step(108, [&] { showHourglass(m_window, false); });
        return;
    }
    showWorking(true);
}

void FileListController::filterDone(ListFilterEnd &end)
{
    showWorking(false);
    ErrorTrap trap(m_platform, m_filterTag);
    trap.step(106, [&] {
        if (end.failure)
            std::rethrow_exception(end.failure);
        if (end.positions)
            m_list.removePositions(*end.positions);
    });
    trap.step(108, [&] { showHourglass(m_window, false); });
}

// Remove Filenames Containing X.
void FileListController::removeContaining()
{
    startFilter(tags::removeContaining, QStringLiteral("Remove entries containing: "), ListFilter::RemoveContaining);
}

// Remove Filenames Not Cont. X.
void FileListController::removeNotContaining()
{
    startFilter(tags::removeNotContaining, QStringLiteral("Remove entries not containing: "),
                ListFilter::RemoveNotContaining);
}

// The files and folders of a drop are scanned in the background and appended in
// scanDone (statements in adding_files.cpp, under the drop's tag).
void FileListController::addDropped(const QStringList &paths)
{
    // Only one scan at a time: a drop is refused while the list is busy, but
    // the paths the program starts with come straight here.
    if (isWorking())
        return;
    showHourglass(m_window, true);
    startScan(ScanKind::Drop, [&] { m_scan.startDrop(paths); });
}

void FileListController::recordSamples(ErrorTrap &trap)
{
    // Looked at twice (statements 108 and 128): when the first look records ""
    // (an empty samples folder), the second looks again, and so does the next start.
    for (const int statement : {108, 128}) {
        if (trap.test(statement, [&] { return m_settings.read(settings::sampleSnapshot).isEmpty(); }))
            trap.step(statement, [&] { SaveSampleSnapshot(m_settings, m_programFolder); });
    }
}

// Load Sample/Example Files: the samples listed, and a pair to try them with.
void FileListController::loadSamples()
{
    ErrorTrap trap(m_platform, tags::loadSamples);
    trap.step(100, [&] { LoadSampleFiles(m_list, m_settings, m_platform, m_programFolder); });
    trap.step(110, [&] { m_controls.findText->setPlainText(QStringLiteral("a")); });
    trap.step(112, [&] { m_controls.replaceText->setPlainText(QStringLiteral("b")); });
    trap.step(114, [&] { m_controls.tabs->setCurrentIndex(0); });
}

} // namespace tessaly
