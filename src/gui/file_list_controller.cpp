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
      m_programFolder(programFolder), m_controls(controls)
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

void FileListController::setBusy(bool busy)
{
    showHourglass(m_window, busy);
}

bool FileListController::handOverEvents()
{
    m_platform.processPendingEvents();
    return !m_closing;
}

AddFilesContext FileListController::addFilesContext()
{
    AddFilesContext context{m_platform, m_list,
                            [this](const QString &key, const QString &defaultValue) {
                                return m_settings.ReadSetting(key, defaultValue);
                            },
                            [this](const QString &key, const QString &value) { m_settings.WriteSetting(key, value); },
                            [this](bool busy) { setBusy(busy); },
                            errorReportBox(m_platform),
                            {}};
    // The scan hands the window its events on a time budget (PendingEvents), so
    // the window repaints and takes clicks while the hourglass shows.
    context.scan.handOverEvents = [this] { return handOverEvents(); };
    return context;
}

// Add All HTML Files In Folder (statements in adding_files.cpp). Folders the scan
// could not enter are named on the status line afterwards.
void FileListController::addFolder()
{
    AddFilesContext context = addFilesContext();
    QList<SkippedFolder> skipped;
    context.scan.reportSkipped = [&skipped](const SkippedFolder &folder) { skipped.append(folder); };
    AddAllHtmlFilesInFolder(context);
    showSkippedFolders(skipped);
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
void FileListController::removeContaining()
{
    runFilter(m_platform, tags::removeContaining, QStringLiteral("Remove entries containing: "),
              [this](bool busy) { setBusy(busy); }, [&](const QString &text) {
                  return RemoveListFilesContaining(m_list, text, [this] { return handOverEvents(); });
              });
}

// Remove Filenames Not Cont. X.
void FileListController::removeNotContaining()
{
    runFilter(m_platform, tags::removeNotContaining, QStringLiteral("Remove entries not containing: "),
              [this](bool busy) { setBusy(busy); }, [&](const QString &text) {
                  return RemoveListFilesNotContaining(m_list, text, [this] { return handOverEvents(); });
              });
}

// A failure shows the error report box. Statements: 100 append the dropped
// files and the files of dropped folders, 102 extension check (neither after
// the window began to close). Scan failures are reported with the scan's own tag.
void FileListController::addDropped(const QStringList &paths)
{
    ErrorTrap trap(m_platform, tags::dropFiles);
    AddFilesContext context = addFilesContext();
    FolderScanOptions options = context.scan;
    options.reportFailure = context.reportFailure;
    bool goOn = true;
    trap.step(100, [&] {
        const std::optional<DroppedRows> rows = filesFromDrop(paths, options);
        if (rows)
            m_list.appendAll(rows->paths, rows->scanRoots);
        goOn = rows.has_value();
    });
    if (!goOn)
        return;
    trap.step(102, [&] { ValidateListFiles(m_list, m_platform); });
}

void FileListController::recordSamples(ErrorTrap &trap)
{
    // Looked at twice (statements 108 and 128): when the first look records ""
    // (an empty samples folder), the second looks again, and so does the next start.
    const ScrambleOptions scramble{CodePage::system(), [this] { m_platform.processPendingEvents(); }};
    for (const int statement : {108, 128}) {
        if (trap.test(statement, [&] { return m_settings.read(settings::sampleSnapshot).isEmpty(); }))
            trap.step(statement, [&] { SaveSampleSnapshot(m_settings, m_programFolder, scramble); });
    }
}

// Load Sample/Example Files: the samples listed, and a pair to try them with.
void FileListController::loadSamples()
{
    ErrorTrap trap(m_platform, tags::loadSamples);
    trap.step(100, [&] {
        const ScrambleOptions scramble{CodePage::system(), [this] { m_platform.processPendingEvents(); }};
        LoadSampleFiles(m_list, m_settings, m_platform, m_programFolder, scramble);
    });
    trap.step(110, [&] { m_controls.findText->setPlainText(QStringLiteral("a")); });
    trap.step(112, [&] { m_controls.replaceText->setPlainText(QStringLiteral("b")); });
    trap.step(114, [&] { m_controls.tabs->setCurrentIndex(0); });
}

} // namespace tessaly
