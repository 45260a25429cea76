#include "gui/main_window.h"

#include "base/program_files.h"
#include "filelist/file_list_model.h"
#include "gui/busy_pointer.h"
#include "gui/file_list_controller.h"
#include "gui/file_list_view.h"
#include "gui/form_colors.h"
#include "gui/named.h"
#include "gui/options_controller.h"
#include "gui/run_controller.h"
#include "gui/sets_controller.h"
#include "gui/window_frame.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>

namespace tessaly {

MainWindow::MainWindow(Platform &platform, SettingsStore &settings, QWidget *parent)
    : MainWindow(platform, settings, programFolder(), parent)
{
}

MainWindow::MainWindow(Platform &platform, SettingsStore &settings, const QString &programFolder, QWidget *parent)
    : QMainWindow(parent), m_platform(platform), m_settings(settings), m_programFolder(programFolder),
      m_fileList(new FileListModel(this)), m_quit([] { QCoreApplication::quit(); })
{
    buildControls();
    makeControllers();
    m_controls.focusHolder->setFocus();
    // A set floor, so the window's limits do not follow each text on the status line.
    setMinimumSize(320, 240);
    resize(designSize());
    installHoverPointer();
    new BusyPointer(*this);
    startUp();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildControls()
{
    setFont(productFont(kTextPoints));
    setPalette(designPalette());

    m_client = named(new QWidget, "Form1Client");
    m_client->setAutoFillBackground(true);
    m_client->setFixedSize(twipsToPixels(15960), twipsToPixels(7515));
    // On a screen smaller than the design the controls scroll, so every one stays
    // reachable; at the design size no scroll bar shows.
    m_clientArea = named(new QScrollArea(this), "Form1ClientArea");
    m_clientArea->setFrameShape(QFrame::NoFrame);
    m_clientArea->setWidget(m_client);
    setCentralWidget(m_clientArea);

    // Created first so it is first in the tab order and takes the focus; it lies
    // outside the visible area on purpose.
    m_controls.focusHolder = named(new QPushButton(QStringLiteral("Command1"), m_client), "Command1");
    m_controls.focusHolder->setGeometry(twipsToPixels(-720), twipsToPixels(2640), twipsToPixels(615),
                                        twipsToPixels(495));
    m_layout.build(m_client, m_controls);
    m_controls.fileListView->setFileListModel(m_fileList);
    setUpTextBoxes();
    ShowBackgroundInsideFrames(*this);
    buildStatusLine();
}

void MainWindow::setUpTextBoxes()
{
    // The pages take the window's background, so a skin colours them as it does the window.
    for (QWidget *page : {m_controls.pairPage, m_controls.setsPage})
        page->setAutoFillBackground(true);
    for (QPlainTextEdit *edit : {m_controls.findText, m_controls.replaceText}) {
        edit->setLineWrapMode(QPlainTextEdit::NoWrap);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        edit->setTabChangesFocus(true);
    }
    m_controls.viewableTextOption->setChecked(true);
    m_controls.outputFolderOption->setChecked(true);
    m_controls.keepTreeBox->setToolTip(QStringLiteral("Files added with Add All HTML Files In Folder, or from a "
                                                      "dropped folder, keep their folders below that folder; other "
                                                      "files go into the output folder itself."));
}

void MainWindow::buildStatusLine()
{
    m_statusText = named(new QLabel(this), "StatusText");
    m_progress = named(new QProgressBar(this), "StatusProgress");
    m_progress->setMaximumWidth(twipsToPixels(4000));
    m_progress->setVisible(false);
    named(statusBar(), "StatusBar");
    statusBar()->setSizeGripEnabled(false);
    // The buttons keep the same distance from the window's edge as the controls above.
    statusBar()->setContentsMargins(0, 0, 8, 4);
    statusBar()->addWidget(m_progress);
    statusBar()->addWidget(m_statusText, 1);
    m_listCount = named(new QLabel(this), "ListCount");
    statusBar()->addPermanentWidget(m_listCount);
    m_previewButton = named(new QPushButton(QStringLiteral("Preview…"), this), "PreviewButton");
    m_stopButton = named(new QPushButton(QStringLiteral("Stop"), this), "StopButton");
    // The window shows the hourglass while a run works; Stop still shows that it
    // can be pressed.
    m_stopButton->setCursor(Qt::ArrowCursor);
    m_stopButton->setVisible(false);
    statusBar()->addPermanentWidget(m_previewButton);
    statusBar()->addPermanentWidget(m_stopButton);
    m_stopKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_stopKey->setEnabled(false);
}

void MainWindow::makeControllers()
{
    const WindowControls &c = m_controls;
    m_options = std::make_unique<OptionsController>(
        m_platform, m_settings,
        OptionsController::Controls{c.viewableTextOption, c.wholeFileOption, c.outputFolderOption,
                                    c.besideSourceOption, c.outputFolderFrame, c.outputFolderText,
                                    c.browseFolderButton, c.keepTreeBox, c.tabs});
    m_sets = std::make_unique<SetsController>(
        *this, m_platform, m_settings,
        SetsController::Controls{c.setFindList, c.setReplaceList, c.addSetButton, c.removeSetButton,
                                 c.clearSetsButton, c.loadSetsButton, c.saveSetsButton, c.setCountLabel});
    makeFileListController();
    makeRunController();
    connect(c.helpButton, &QPushButton::clicked, this, &MainWindow::showHelp);
}

void MainWindow::makeFileListController()
{
    const WindowControls &c = m_controls;
    m_fileListController = std::make_unique<FileListController>(
        *this, m_platform, m_settings, *m_fileList, m_programFolder,
        FileListController::Controls{c.fileListView, c.addFolderButton, c.addFilesButton, c.clearListButton,
                                     c.loadSamplesButton, c.removeContainingButton, c.removeNotContainingButton,
                                     m_statusText, m_listCount, c.findText, c.replaceText, c.tabs});
}

void MainWindow::makeRunController()
{
    const WindowControls &c = m_controls;
    m_runController = std::make_unique<RunController>(
        *this, m_platform, *m_fileList,
        RunController::RequestControls{c.tabs, c.findText, c.replaceText, c.setFindList, c.setReplaceList,
                                       c.viewableTextOption, c.outputFolderOption, c.besideSourceOption,
                                       c.wholeFileOption, c.outputFolderText, c.keepTreeBox},
        RunController::StatusControls{m_statusText, m_progress, m_previewButton, m_stopButton, m_stopKey});
    connect(c.startButton, &QPushButton::clicked, m_runController.get(), &RunController::startReplacing);
    connect(m_runController.get(), &RunController::runningChanged, m_fileListController.get(),
            [this](bool running) { m_fileListController->setChangesAllowed(!running); });
    // A scan or filter is stopped with the run's Stop and Esc, which show while it works.
    FileListController *files = m_fileListController.get();
    connect(files, &FileListController::workingChanged, m_runController.get(), &RunController::setListWorking);
    connect(m_stopButton, &QPushButton::clicked, files, &FileListController::stop);
    connect(m_stopKey, &QShortcut::activated, files, &FileListController::stop);
}

QSize MainWindow::designSize() const
{
    return {m_client->width(), m_client->height() + statusBar()->sizeHint().height()};
}

void MainWindow::fitToScreen(const QRect &available)
{
    const QSize design = designSize();
    QRect frame(QPoint(), design + kWindowFrame);
    if (available.size().expandedTo(frame.size()) == available.size()) {
        setMaximumSize(design);
        resize(design);
        frame.moveCenter(available.center());
        move(frame.topLeft());
        return;
    }
    // Too small for the design: as much of the area as the frame leaves, the
    // controls scrolling inside. A scroll bar takes room from the other
    // direction: the window may grow by it, so the controls scroll only the way
    // they do not fit (at 800x600 across, not also 14 px down).
    const int bar = m_clientArea->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_clientArea);
    setMaximumSize(design + QSize(bar, bar));
    resize(maximumSize().boundedTo(available.size() - kWindowFrame));
    move(available.topLeft());
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_tabControlsPlaced) {
        m_tabControlsPlaced = true;
        m_layout.placeTabControls(m_controls);
    }
}

bool MainWindow::isBusy() const
{
    return showsHourglass(*this) || m_fileListController->isWorking();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Closing ends the program at once, without a question. A run in progress
    // stops after the files in flight; their results are written whole or not at
    // all (the run is waited for when the window goes).
    m_fileListController->windowClosing();
    m_runController->windowClosing();
    event->accept();
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows)
        if (window != this && window->isVisible())
            window->close();
    if (m_quit)
        m_quit();
}

} // namespace tessaly
