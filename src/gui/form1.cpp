#include "gui/form1.h"

#include "base/error_report.h"
#include "base/paths.h"
#include "base/program_files.h"
#include "filelist/file_list_model.h"
#include "gui/busy_pointer.h"
#include "gui/file_list_view.h"
#include "gui/form_colors.h"
#include "gui/named.h"
#include "gui/window_frame.h"
#include "base/tessaly_error.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QShortcut>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>

namespace tessaly {

namespace {

// The window is laid out in twips; 15 twips make one pixel at 96 dots per inch.
constexpr int kTwipsPerPixel = 15;
int px(int twips)
{
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

QFont productFont(qreal pointSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setBold(true);
    font.setPointSizeF(pointSize);
    return font;
}

constexpr qreal kTextPoints = 9.0;
constexpr qreal kButtonPoints = 11.25;

} // namespace

Form1::Form1(Platform &platform, SettingsStore &settings, QWidget *parent)
    : Form1(platform, settings, programFolder(), parent)
{
}

Form1::Form1(Platform &platform, SettingsStore &settings, const QString &programFolder, QWidget *parent)
    : QMainWindow(parent), m_platform(platform), m_settings(settings), m_programFolder(programFolder),
      m_fileList(new FileListModel(this)), m_quit([] { QCoreApplication::quit(); }),
      m_run({[this](const QList<FileOutcome> &batch) { filesDone(batch); },
             [this](const RunEnd &end) { runEnded(end); }})
{
    m_run.setEnvironment({}, QThread::idealThreadCount());
    buildControls();
    installHoverPointer();
    new BusyPointer(*this);
    Form_Load();
}

Form1::~Form1() = default;

QPushButton *Form1::makePushButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = named(new QPushButton(caption, parent), name);
    button->setFont(productFont(kButtonPoints));
    return button;
}

void Form1::place(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(px(left), px(top), px(width), px(height));
}

void Form1::placeOnTab(QWidget *widget, int left, int top, int width, int height)
{
    // Positions are relative to the whole tab control (tab row included); they are
    // turned into page positions once the tab control has laid out its pages.
    m_tabPlacements.push_back({widget, QRect(left, top, width, height)});
    place(widget, left, top - 30 * kTwipsPerPixel, width, height);
}

void Form1::placeTabControls()
{
    for (const TabPlacement &placement : m_tabPlacements) {
        const QPoint origin = placement.widget->parentWidget()->mapTo(m_tabControl1, QPoint(0, 0));
        placement.widget->setGeometry(px(placement.twips.left()) - origin.x(), px(placement.twips.top()) - origin.y(),
                                      px(placement.twips.width()), px(placement.twips.height()));
    }
}

void Form1::buildControls()
{
    setFont(productFont(kTextPoints));
    setPalette(designPalette());

    m_client = named(new QWidget, "Form1Client");
    m_client->setAutoFillBackground(true);
    m_client->setFixedSize(px(15960), px(7515));
    // On a screen smaller than the design the controls scroll, so every one stays
    // reachable; at the design size no scroll bar shows.
    m_clientArea = named(new QScrollArea(this), "Form1ClientArea");
    m_clientArea->setFrameShape(QFrame::NoFrame);
    m_clientArea->setWidget(m_client);
    setCentralWidget(m_clientArea);

    // Created first so it is first in the tab order and takes the focus; it lies
    // outside the visible area on purpose.
    m_command1 = named(new QPushButton(QStringLiteral("Command1"), m_client), "Command1");
    place(m_command1, -720, 2640, 615, 495);

    m_pushButton10 = makePushButton(m_client, "PushButton10", QStringLiteral("Help"));
    place(m_pushButton10, 120, 120, 7800, 405);

    m_listView1 = named(new FileListView(m_client), "ListView1");
    m_listView1->setFileListModel(m_fileList);
    place(m_listView1, 120, 630, 7800, 5250);

    m_pushButton2 = makePushButton(m_client, "PushButton2", QStringLiteral("Add HTML Files"));
    place(m_pushButton2, 120, 5980, 3840, 405);
    m_pushButton1 = makePushButton(m_client, "PushButton1", QStringLiteral("Add All HTML Files In Folder"));
    place(m_pushButton1, 4080, 5980, 3840, 405);
    m_pushButton8 = makePushButton(m_client, "PushButton8", QStringLiteral("Clear List"));
    place(m_pushButton8, 120, 6490, 3840, 405);
    m_pushButton11 = makePushButton(m_client, "PushButton11", QStringLiteral("Load Sample/Example Files"));
    place(m_pushButton11, 4080, 6490, 3840, 405);
    m_pushButton12 = makePushButton(m_client, "PushButton12", QStringLiteral("Remove Filenames Containing X"));
    place(m_pushButton12, 120, 7000, 3840, 405);
    m_pushButton13 = makePushButton(m_client, "PushButton13", QStringLiteral("Remove Filenames Not Cont. X"));
    place(m_pushButton13, 4080, 7000, 3840, 405);

    m_tabControl1 = named(new QTabWidget(m_client), "TabControl1");
    m_tabControl1->tabBar()->setFont(productFont(kButtonPoints));
    place(m_tabControl1, 8040, 60, 7800, 3825);
    auto *pairPage = named(new QWidget, "TabPage1");
    auto *setsPage = named(new QWidget, "TabPage2");
    // The pages take the window's background, so a skin colours them as it does the window.
    for (QWidget *page : {pairPage, setsPage})
        page->setAutoFillBackground(true);
    m_tabControl1->addTab(pairPage, QStringLiteral("Find and replace"));
    m_tabControl1->addTab(setsPage, QStringLiteral("Multiple find and replace sets"));

    m_label1 = named(new QLabel(QStringLiteral(" Find what (exact case):"), pairPage), "Label1");
    placeOnTab(m_label1, 240, 495, 5415, 255);
    m_text1 = named(new QPlainTextEdit(pairPage), "Text1");
    placeOnTab(m_text1, 255, 810, 7245, 1245);
    m_label2 = named(new QLabel(QStringLiteral(" Replace with:"), pairPage), "Label2");
    placeOnTab(m_label2, 240, 2115, 6615, 255);
    m_text2 = named(new QPlainTextEdit(pairPage), "Text2");
    placeOnTab(m_text2, 255, 2385, 7245, 1245);
    for (QPlainTextEdit *edit : {m_text1, m_text2}) {
        edit->setLineWrapMode(QPlainTextEdit::NoWrap);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        edit->setTabChangesFocus(true);
    }

    // The sets tab follows the look of the first tab: label over list, twice,
    // then its buttons in two rows.
    m_label3 = named(new QLabel(QStringLiteral(" Find what (exact case):"), setsPage), "Label3");
    placeOnTab(m_label3, 240, 495, 5415, 255);
    m_combo1 = named(new QComboBox(setsPage), "Combo1");
    placeOnTab(m_combo1, 255, 810, 7245, 345);
    m_label4 = named(new QLabel(QStringLiteral(" Replace with:"), setsPage), "Label4");
    placeOnTab(m_label4, 240, 1305, 6615, 255);
    m_combo2 = named(new QComboBox(setsPage), "Combo2");
    placeOnTab(m_combo2, 255, 1620, 7245, 345);
    m_pushButton7 = makePushButton(setsPage, "PushButton7", QStringLiteral("Add Set"));
    placeOnTab(m_pushButton7, 255, 2205, 3555, 405);
    m_pushButton6 = makePushButton(setsPage, "PushButton6", QStringLiteral("Remove Selected Set"));
    placeOnTab(m_pushButton6, 3945, 2205, 3555, 405);
    m_pushButton4 = makePushButton(setsPage, "PushButton4", QStringLiteral("Clear All Sets"));
    placeOnTab(m_pushButton4, 255, 2730, 2355, 405);
    m_pushButton5 = makePushButton(setsPage, "PushButton5", QStringLiteral("Load Sets"));
    placeOnTab(m_pushButton5, 2700, 2730, 2355, 405);
    m_pushButton9 = makePushButton(setsPage, "PushButton9", QStringLiteral("Save Sets"));
    placeOnTab(m_pushButton9, 5145, 2730, 2355, 405);

    m_frame2 = named(new QGroupBox(QStringLiteral("Replace Option"), m_client), "Frame2");
    place(m_frame2, 8040, 3960, 7800, 1050);
    m_option1 = named(new QRadioButton(QStringLiteral("Find and replace within viewable text in HTML file(s)"), m_frame2), "Option1");
    place(m_option1, 240, 300, 7000, 255);
    m_option2 = named(new QRadioButton(QStringLiteral("Find and replace within entire file (source code and text)"), m_frame2), "Option2");
    place(m_option2, 240, 650, 6615, 255);
    m_option1->setChecked(true);

    m_frame1 = named(new QGroupBox(QStringLiteral("Save Option"), m_client), "Frame1");
    place(m_frame1, 8040, 5070, 7800, 1815);
    m_option4 = named(new QRadioButton(QStringLiteral("Save results to this folder:"), m_frame1), "Option4");
    place(m_option4, 240, 300, 3615, 255);
    m_frame3 = named(new QGroupBox(m_frame1), "Frame3");
    place(m_frame3, 480, 510, 6840, 810);
    m_option3 = named(new QRadioButton(QStringLiteral("Save results in folder of original file"), m_frame1), "Option3");
    place(m_option3, 240, 1410, 3615, 255);
    m_option4->setChecked(true);
    m_text3 = named(new QLineEdit(m_frame3), "Text3");
    place(m_text3, 240, 300, 5670, 345);
    m_pushButton14 = makePushButton(m_frame3, "PushButton14", QStringLiteral("..."));
    place(m_pushButton14, 6000, 300, 600, 345);
    // Beside "Save results to this folder:", its right edge in line with the folder's frame.
    m_keepTree = named(new QCheckBox(QStringLiteral("Keep folder tree"), m_frame1), "KeepFolderTree");
    m_keepTree->setToolTip(QStringLiteral("Files added with Add All HTML Files In Folder, or from a dropped "
                                          "folder, keep their folders below that folder; other files go into the "
                                          "output folder itself."));
    place(m_keepTree, 4080, 300, 3240, 255);

    m_pushButton3 = makePushButton(m_client, "PushButton3", QStringLiteral("Start Replacing"));
    place(m_pushButton3, 8040, 7000, 7800, 405);
    ShowBackgroundInsideFrames(*this);

    // Below the controls: where the run shows how far it got.
    m_statusText = named(new QLabel(this), "StatusText");
    m_progress = named(new QProgressBar(this), "StatusProgress");
    m_progress->setMaximumWidth(px(4000));
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

    connect(m_option1, &QRadioButton::clicked, this, &Form1::Option1_Click);
    connect(m_option2, &QRadioButton::clicked, this, &Form1::Option2_Click);
    connect(m_option3, &QRadioButton::clicked, this, &Form1::Option3_Click);
    connect(m_option4, &QRadioButton::clicked, this, &Form1::Option4_Click);
    connect(m_keepTree, &QCheckBox::clicked, this, &Form1::KeepFolderTree_Click);
    connect(m_tabControl1, &QTabWidget::currentChanged, this, &Form1::TabControl1_SelectedChanged);
    connect(m_text3, &QLineEdit::textChanged, this, &Form1::Text3_Change);
    connect(m_pushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(m_pushButton10, &QPushButton::clicked, this, &Form1::PushButton10_Click);
    connect(m_pushButton11, &QPushButton::clicked, this, &Form1::PushButton11_Click);
    connect(m_pushButton14, &QPushButton::clicked, this, &Form1::PushButton14_Click);
    connect(m_combo1, &QComboBox::currentIndexChanged, this, &Form1::Combo1_Click);
    connect(m_combo2, &QComboBox::currentIndexChanged, this, &Form1::Combo2_Click);
    connect(m_pushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(m_pushButton5, &QPushButton::clicked, this, &Form1::PushButton5_Click);
    connect(m_pushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(m_pushButton7, &QPushButton::clicked, this, &Form1::PushButton7_Click);
    connect(m_pushButton9, &QPushButton::clicked, this, &Form1::PushButton9_Click);
    connect(m_previewButton, &QPushButton::clicked, this, &Form1::startPreview);
    connect(m_stopButton, &QPushButton::clicked, this, &Form1::stopRun);
    connect(m_stopKey, &QShortcut::activated, this, &Form1::stopRun);
    connectFileList();
    connectRequestControls();

    m_command1->setFocus();
    // A set floor, so the window's limits do not follow each text on the status line.
    setMinimumSize(320, 240);
    resize(designSize());
}

QSize Form1::designSize() const
{
    return {m_client->width(), m_client->height() + statusBar()->sizeHint().height()};
}

void Form1::fitToScreen(const QRect &available)
{
    const QSize design = designSize();
    setMaximumSize(design);
    QRect frame(QPoint(), design + kWindowFrame);
    if (available.size().expandedTo(frame.size()) == available.size()) {
        resize(design);
        frame.moveCenter(available.center());
        move(frame.topLeft());
        return;
    }
    // Too small for the design: as much of the area as the frame leaves, the
    // controls scrolling inside.
    resize(design.boundedTo(available.size() - kWindowFrame));
    move(available.topLeft());
}

void Form1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_tabControlsPlaced) {
        m_tabControlsPlaced = true;
        placeTabControls();
    }
}

bool Form1::isBusy() const
{
    return testAttribute(Qt::WA_SetCursor) && cursor().shape() == Qt::WaitCursor;
}

QString Form1::GetDesktopFolder()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty())
        return QString();
    return QDir::toNativeSeparators(desktop) + QDir::separator();
}

QString Form1::applicationTitleFor(const QString &caption)
{
    QString title = caption;
    do {
        const qsizetype space = title.lastIndexOf(QLatin1Char(' '));
        if (space < 0)
            break;
        title.truncate(space);
    } while (title.size() > 40);
    return title;
}

void Form1::SetApplicationTitle()
{
    m_platform.setApplicationTitle(applicationTitleFor(QString::fromLatin1(kCaption)));
}

void Form1::Form_Load()
{
    ErrorTrap trap(m_platform, QStringLiteral("Form1.Form_Load"));

    loadProgramFiles(trap); // 100-128

    trap.step(130, [&] {
        setWindowTitle(QString::fromLatin1(kCaption));
        setWindowIcon(QApplication::windowIcon());
        SetApplicationTitle();
    });
    trap.step(132, [&] { m_listView1->header()->setVisible(true); });
    trap.step(134, [&] { m_listView1->setColumnWidth(0, px(7000)); });
    trap.step(136, [&] {
        restoreOption(m_option1, SettingsStore::toBoolean(m_settings.ReadSetting(QStringLiteral("Option1"), 1)),
                      &Form1::Option1_Click);
    });
    trap.step(138, [&] {
        restoreOption(m_option2, SettingsStore::toBoolean(m_settings.ReadSetting(QStringLiteral("Option2"), 0)),
                      &Form1::Option2_Click);
    });
    trap.step(140, [&] { restoreTab(m_settings.ReadSetting(QStringLiteral("TabSel"), 0)); });
    trap.step(142, [&] {
        const QString folder = m_settings.ReadSetting(QStringLiteral("Output Folder"), GetDesktopFolder());
        if (m_text3->text() == folder)
            Text3_Change(folder); // setText would not report an unchanged text
        else
            m_text3->setText(folder);
    });
    trap.step(144, [&] {
        restoreOption(m_option4, SettingsStore::toBoolean(m_settings.ReadSetting(QStringLiteral("Option4"), 1)),
                      &Form1::Option4_Click);
    });
    trap.step(146, [&] {
        restoreOption(m_option3, SettingsStore::toBoolean(m_settings.ReadSetting(QStringLiteral("Option3"), 0)),
                      &Form1::Option3_Click);
    });
    if (trap.test(148, [&] { return m_option4->isChecked(); }))
        trap.step(150, [&] { enableOutputFolder(true); });
    else
        trap.step(152, [&] { enableOutputFolder(false); });
    trap.step(154, [&] {
        m_keepTree->setChecked(SettingsStore::toBoolean(m_settings.ReadSetting(kKeepTreeKey, 0)));
    });
}

void Form1::enableOutputFolder(bool enabled)
{
    m_frame3->setEnabled(enabled);
    m_keepTree->setEnabled(enabled);
}

void Form1::restoreOption(QRadioButton *button, bool selected, void (Form1::*click)())
{
    if (selected) {
        // Selecting a button unselects its partner and runs its click handling.
        button->setChecked(true);
        (this->*click)();
    } else if (button->isChecked()) {
        // Clearing a button leaves its partner as it is, so both may end up clear.
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

void Form1::restoreTab(const QString &text)
{
    bool isNumber = false;
    const int index = text.trimmed().toInt(&isNumber);
    if (!isNumber)
        throw TessalyError(QStringLiteral("Type mismatch"));
    if (index < 0 || index >= m_tabControl1->count())
        throw TessalyError(QStringLiteral("Invalid property value"));
    if (index == m_tabControl1->currentIndex())
        TabControl1_SelectedChanged(index);
    else
        m_tabControl1->setCurrentIndex(index);
}

void Form1::writeQuietly(const QString &key, const QString &text)
{
    // These handlers have no error report: a failed write must not undo the
    // user's change or stop the program.
    try {
        m_settings.WriteSetting(key, text);
    } catch (...) {
    }
}

void Form1::writeModeOptions()
{
    writeQuietly(QStringLiteral("Option1"), SettingsStore::booleanText(m_option1->isChecked()));
    writeQuietly(QStringLiteral("Option2"), SettingsStore::booleanText(m_option2->isChecked()));
}

void Form1::writeSaveOptions()
{
    writeQuietly(QStringLiteral("Option4"), SettingsStore::booleanText(m_option4->isChecked()));
    writeQuietly(QStringLiteral("Option3"), SettingsStore::booleanText(m_option3->isChecked()));
    enableOutputFolder(m_option4->isChecked());
}

void Form1::KeepFolderTree_Click()
{
    writeQuietly(kKeepTreeKey, SettingsStore::booleanText(m_keepTree->isChecked()));
}

void Form1::Option1_Click()
{
    writeModeOptions();
}

void Form1::Option2_Click()
{
    writeModeOptions();
}

void Form1::Option3_Click()
{
    writeSaveOptions();
}

void Form1::Option4_Click()
{
    writeSaveOptions();
}

void Form1::TabControl1_SelectedChanged(int index)
{
    writeQuietly(QStringLiteral("TabSel"), QString::number(index));
}

void Form1::Text3_Change(const QString &text)
{
    writeQuietly(QStringLiteral("Output Folder"), text);
}

void Form1::PushButton14_Click()
{
    ErrorTrap trap(m_platform, QStringLiteral("Form1.PushButton14_Click"));
    QString folder;
    trap.step(100, [&] {
        const QString lastFolder = m_settings.ReadSetting(QStringLiteral("LastFolderDot"), "");
        folder = m_platform.browseForFolder(QStringLiteral("Please select folder:"), lastFolder);
    });
    bool cancelled = false;
    trap.step(102, [&] { cancelled = folder.isEmpty(); });
    if (cancelled)
        return;
    bool addSeparator = true;
    trap.step(104, [&] {
        m_settings.WriteSetting(QStringLiteral("LastFolderDot"), folder);
        addSeparator = !folder.endsWith(QDir::separator());
    });
    if (addSeparator)
        trap.step(106, [&] { m_text3->setText(folder + QDir::separator()); });
    else
        trap.step(108, [&] { m_text3->setText(folder); });
}

void Form1::PushButton10_Click()
{
    ErrorTrap trap(m_platform, QStringLiteral("Form1.PushButton10_Click"));
    trap.step(100, [&] {
        m_platform.message(QStringLiteral("This software is not intended to be used on images, executables, etc.") +
                           QStringLiteral("\r\r") + QStringLiteral("Questions? Please contact Team Kestrine at ") +
                           QStringLiteral("https://kestrine.example/support"));
    });
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Closing ends the program at once, without a question. A run in progress
    // stops after the files in flight; their results are written whole or not at
    // all (the run is waited for when the window goes).
    m_closeRequested = true;
    m_run.stop();
    event->accept();
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows)
        if (window != this && window->isVisible())
            window->close();
    if (m_quit)
        m_quit();
}

} // namespace tessaly
