// The main window's files beside the program: the skin, the hand pointer, the
// sample list recorded at start-up, Load Sample/Example Files, and the hover
// pointer over buttons and background, with and without the hourglass.
#include "gui/file_list_controller.h"
#include "gui/main_window.h"
#include "gui/form_colors.h"
#include "window_test_bed.h"
#include "filelist/file_list_model.h"
#include "filelist/samples.h"
#include "base/tessaly_error.h"

#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeView>
#include <QtTest>

#include <sys/stat.h>

using tessaly::MainWindow;
using testing::FakePlatform;
using testing::RecordingStore;

namespace {


enum class Pointer { Own, Hand, Arrow, Hourglass };

} // namespace

Q_DECLARE_METATYPE(Pointer)

class TestMainWindowStartup : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_bed = std::make_unique<testing::WindowTestBed>();
        m_program = m_bed->dir.path("program");
        QVERIFY(QDir().mkpath(m_program));
    }
    void cleanup()
    {
        m_window.reset();
        m_bed.reset();
    }

    void noSkinKeepsTheWhiteDesign()
    {
        MainWindow &window = open();
        QVERIFY(window.styleSheet().isEmpty());
        QCOMPARE(window.findChild<QGroupBox *>("Frame1")->palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(m_bed->platform.textsOf("errorReport"), QStringList());
    }

    void skinFileStylesTheWindow()
    {
        const QByteArray sheet = "QPushButton { color: rgb(10, 20, 30); }";
        m_bed->dir.write("program/x/o.cjs", sheet);
        MainWindow &window = open();
        QCOMPARE(window.styleSheet(), QString::fromLatin1(sheet));
        const QColor face = tessaly::designPalette().color(QPalette::Button);
        QCOMPARE(window.palette().color(QPalette::Window), face);
        QCOMPARE(window.findChild<QGroupBox *>("Frame2")->palette().color(QPalette::Window), face);
        QCOMPARE(window.findChild<QRadioButton *>("Option1")->palette().color(QPalette::Window), face);
        QCOMPARE(m_bed->platform.textsOf("errorReport"), QStringList());
    }

    void skinFolderIsNoSkin()
    {
        QVERIFY(QDir().mkpath(m_program + "/x/o.cjs"));
        MainWindow &window = open();
        QVERIFY(window.styleSheet().isEmpty());
        QCOMPARE(m_bed->platform.textsOf("errorReport"), QStringList());
    }

    // What the user sees: inside a frame and on a tab page the background is the
    // window's own, white in the design and the button face under a skin.
    void framesAndTabPagesShowTheWindowsBackground_data()
    {
        QTest::addColumn<bool>("skin");
        QTest::newRow("white design") << false;
        QTest::newRow("skin") << true;
    }
    void framesAndTabPagesShowTheWindowsBackground()
    {
        QFETCH(bool, skin);
        if (skin) {
            QVERIFY(QDir().mkpath(m_program + "/x"));
            m_bed->dir.write("program/x/o.cjs", "QPushButton { color: rgb(10, 20, 30); }");
        }
        MainWindow &window = open();
        testing::showWindow(window);
        const QColor background = skin ? tessaly::designPalette().color(QPalette::Button) : QColor(Qt::white);
        auto *tabs = window.findChild<QTabWidget *>("TabControl1");
        for (const char *name : {"Form1Client", "Frame1", "Frame2", "TabPage1", "TabPage2"}) {
            QWidget *widget = window.findChild<QWidget *>(name);
            if (tabs->indexOf(widget) >= 0)
                tabs->setCurrentWidget(widget);
            const QImage shot = window.grab().toImage();
            const QPoint spot = widget->mapTo(&window, innerSpot(widget));
            QVERIFY2(QColor(shot.pixel(spot)) == background,
                     qPrintable(QString("%1 at %2,%3: %4").arg(name).arg(spot.x()).arg(spot.y())
                                    .arg(QColor(shot.pixel(spot)).name())));
        }
    }

    // A FIFO would block an open until some writer came: start-up opens only
    // regular files from the program folder.
    void fifoInTheProgramFolderDoesNotBlockStartup_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("reports"); // each report up to its "\r\r"
        QTest::newRow("hand pointer") << "HAND-M.CUR"
                                      << QStringList{"Invalid picture\r\nin Brindle2021/08/31.Form1.Form_Load at line 104"};
        QTest::newRow("skin") << "x/o.cjs" << QStringList();
    }
    void fifoInTheProgramFolderDoesNotBlockStartup()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, reports);
        const QString path = m_program + "/" + name;
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        MainWindow &window = open();
        QCOMPARE(window.windowTitle(), QStringLiteral("Tessaly Software"));
        QVERIFY(window.styleSheet().isEmpty());
        QStringList shown;
        for (const QString &report : m_bed->platform.textsOf("errorReport"))
            shown << report.section("\r\r", 0, 0);
        QCOMPARE(shown, reports);
    }

    void unreadableHandPictureIsReported()
    {
        m_bed->dir.write("program/HAND-M.CUR", "not a picture");
        MainWindow &window = open();
        const QStringList reports = m_bed->platform.textsOf("errorReport");
        QCOMPARE(reports.size(), 1);
        QVERIFY2(reports.first().startsWith("Invalid picture\r\nin Brindle2021/08/31.Form1.Form_Load at line 104\r\r"),
                 qPrintable(reports.first()));
        // The rest of start-up still ran.
        QCOMPARE(window.windowTitle(), QStringLiteral("Tessaly Software"));
    }

    void firstStartRecordsTheSamples()
    {
        const QStringList samples = writeSamples({"b.htm", "a.htm"});
        open();
        QCOMPARE(m_bed->store.keysWritten().count("Snapshot"), 1);
        QCOMPARE(m_bed->store.keysWritten().first(), QStringLiteral("Snapshot"));
        QCOMPARE(tessaly::UnscrambleText(m_bed->store.ReadSetting("Snapshot", ""), tessaly::scramblingKey()),
                 samples.at(1) + "|" + samples.at(0));
    }

    void recordedSamplesAreKept()
    {
        writeSamples({"a.htm"});
        m_bed->store.SettingsStore::WriteSetting("Snapshot", tessaly::ScrambleText("/old/Samples/a.htm", tessaly::scramblingKey()));
        open();
        QVERIFY(!m_bed->store.keysWritten().contains("Snapshot"));
    }

    void emptySamplesFolderIsTriedAgain()
    {
        QVERIFY(QDir().mkpath(m_program + "/Samples"));
        open();
        QCOMPARE(m_bed->store.keysWritten().count("Snapshot"), 2);
        QCOMPARE(m_bed->store.ReadSetting("Snapshot", "unset"), QString());
    }

    void failedRecordingIsReportedAndStartupGoesOn()
    {
        writeSamples({"a.htm"});
        m_bed->store.refusedKey = "Snapshot";
        MainWindow &window = open();
        const QStringList reports = m_bed->platform.textsOf("errorReport");
        QCOMPARE(reports.size(), 2);
        QVERIFY(reports.at(0).contains("Form1.Form_Load at line 108\r\r"));
        QVERIFY(reports.at(1).contains("Form1.Form_Load at line 128\r\r"));
        QVERIFY(window.findChild<QRadioButton *>("Option1")->isChecked());
    }

    void loadSampleFilesButton_data()
    {
        QTest::addColumn<bool>("openFolder");
        QTest::newRow("folder shown") << true;
        QTest::newRow("folder not shown") << false;
    }
    void loadSampleFilesButton()
    {
        QFETCH(bool, openFolder);
        const QStringList samples = writeSamples({"a.htm", "b.htm", "c.htm"});
        m_bed->store.SettingsStore::WriteSetting("TabSel", "1");
        MainWindow &window = open();
        QVERIFY(QFile::remove(samples.at(2)));
        findText()->setPlainText("find");
        replaceText()->setPlainText("replace");
        m_bed->platform.yesNoAnswers.enqueue(openFolder);
        m_bed->platform.yesNoAnswers.enqueue(false);
        testing::showWindow(window);
        QTest::mouseClick(button("PushButton11"), Qt::LeftButton);
        QTest::mouseClick(button("PushButton11"), Qt::LeftButton);
        QCOMPARE(window.fileList().rows(), samples.mid(0, 2));
        QCOMPARE(findText()->toPlainText(), QStringLiteral("a"));
        QCOMPARE(replaceText()->toPlainText(), QStringLiteral("b"));
        QCOMPARE(window.findChild<QTabWidget *>("TabControl1")->currentIndex(), 0);
        QCOMPARE(m_bed->store.ReadSetting("TabSel", ""), QStringLiteral("0"));
        QCOMPARE(m_bed->platform.textsOf("openFolder"), openFolder ? QStringList{m_program + "/Samples/"} : QStringList{});
        QCOMPARE(m_bed->platform.textsOf("errorReport"), QStringList());
    }

    void buttonWithoutSamplesStillPreparesTheDemo()
    {
        MainWindow &window = open();
        window.fileListController().loadSamples();
        QCOMPARE(window.fileList().count(), 0);
        QCOMPARE(m_bed->platform.kinds(), QStringList{"askYesNo"});
        QCOMPARE(findText()->toPlainText(), QStringLiteral("a"));
        QCOMPARE(replaceText()->toPlainText(), QStringLiteral("b"));
    }

    void hoverPointer_data()
    {
        QTest::addColumn<bool>("handFile");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QString>("first");  // object names moved over, in order
        QTest::addColumn<QString>("second");
        QTest::addColumn<Pointer>("expected");

        QTest::newRow("button shows the hand") << true << false << "" << "PushButton11" << Pointer::Hand;
        QTest::newRow("button inside a frame shows the hand") << true << false << "" << "PushButton14" << Pointer::Hand;
        QTest::newRow("background restores the arrow") << true << false << "PushButton2" << "Form1Client"
                                                       << Pointer::Arrow;
        QTest::newRow("list restores the arrow") << true << false << "PushButton2" << "ListView1" << Pointer::Arrow;
        QTest::newRow("frame restores the arrow") << true << false << "PushButton3" << "Frame2" << Pointer::Arrow;
        QTest::newRow("status strip restores the arrow") << true << false << "PushButton10" << "StatusBar"
                                                        << Pointer::Arrow;
        QTest::newRow("status text restores the arrow") << true << false << "PushButton12" << "StatusText"
                                                        << Pointer::Arrow;
        QTest::newRow("option leaves the hand") << true << false << "PushButton3" << "Option1" << Pointer::Hand;
        QTest::newRow("tab control leaves the hand") << true << false << "PushButton10" << "TabControl1"
                                                     << Pointer::Hand;
        QTest::newRow("no hand picture: platform default") << false << false << "" << "PushButton11"
                                                           << Pointer::Arrow;
        QTest::newRow("hourglass stays over a button") << true << true << "" << "PushButton11" << Pointer::Hourglass;
        QTest::newRow("hourglass stays over the list") << true << true << "PushButton11" << "ListView1"
                                                       << Pointer::Hourglass;
    }
    void hoverPointer()
    {
        QFETCH(bool, handFile);
        QFETCH(bool, busy);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(Pointer, expected);
        if (handFile)
            QVERIFY(QFile::copy(QStringLiteral(TESSALY_ASSETS_DIR "/HAND-M.CUR"), m_program + "/HAND-M.CUR"));
        MainWindow &window = open();
        testing::showWindow(window);
        QCOMPARE(m_bed->platform.textsOf("errorReport"), QStringList());
        if (busy)
            window.setCursor(Qt::WaitCursor);
        for (const QString &name : {first, second}) {
            if (name.isEmpty())
                continue;
            QWidget *widget = window.findChild<QWidget *>(name);
            QVERIFY2(widget, qPrintable(name));
            moveOver(widget);
        }
        QCOMPARE(pointer(window), expected);
        QCOMPARE(window.isBusy(), busy);
    }

private:
    MainWindow &open()
    {
        m_window.reset(new MainWindow(m_bed->platform, m_bed->store, m_program));
        m_window->setQuitHandler([] {});
        return *m_window;
    }
    // A free spot of the widget: not covered by one of its child controls.
    static QPoint freeSpot(QWidget *widget)
    {
        for (int y = 2; y < widget->height(); y += 3)
            for (int x = 2; x < widget->width(); x += 3)
                if (!widget->childAt(x, y) || widget->childAt(x, y)->objectName().startsWith("qt_"))
                    return QPoint(x, y);
        return widget->rect().center();
    }
    // A spot well inside the widget (clear of its border and title) that none of
    // its child controls covers.
    static QPoint innerSpot(QWidget *widget)
    {
        for (int y = widget->height() / 2; y < widget->height() - 8; y += 3)
            for (int x = widget->width() - 8; x > 8; x -= 3)
                if (!widget->childAt(x, y))
                    return QPoint(x, y);
        return widget->rect().center();
    }
    static void moveOver(QWidget *widget)
    {
        const QPoint spot = freeSpot(widget);
        // Two moves, as a real pointer makes: the first one enters.
        QTest::mouseMove(widget, spot + QPoint(1, 1));
        QTest::mouseMove(widget, spot);
    }
    static Pointer pointer(const MainWindow &window)
    {
        if (!window.testAttribute(Qt::WA_SetCursor))
            return Pointer::Arrow;
        switch (window.cursor().shape()) {
        case Qt::WaitCursor:
            return Pointer::Hourglass;
        case Qt::BitmapCursor:
            return Pointer::Hand;
        case Qt::ArrowCursor:
            return Pointer::Arrow;
        default:
            return Pointer::Own;
        }
    }
    QStringList writeSamples(const QStringList &names)
    {
        QDir().mkpath(m_program + "/Samples");
        QStringList paths;
        for (const QString &name : names)
            paths << m_bed->dir.write("program/Samples/" + name, "<p>a</p>");
        return paths;
    }
    QPushButton *button(const char *name) { return m_window->findChild<QPushButton *>(name); }
    QPlainTextEdit *findText() { return m_window->findChild<QPlainTextEdit *>("Text1"); }
    QPlainTextEdit *replaceText() { return m_window->findChild<QPlainTextEdit *>("Text2"); }

    std::unique_ptr<testing::WindowTestBed> m_bed;
    QString m_program;
    std::unique_ptr<MainWindow> m_window;
};

QTEST_MAIN(TestMainWindowStartup)
#include "tst_main_window_startup.moc"
