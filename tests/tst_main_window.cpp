// The main window driven headless: start-up from the settings store, the
// remembered options, tab and output folder written as they change, Help.
#include "gui/main_window.h"
#include "gui/options_controller.h"
#include "window_test_bed.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

using tessaly::MainWindow;

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_bed = std::make_unique<testing::WindowTestBed>();
    }
    void cleanup()
    {
        m_window = nullptr;
        m_bed.reset();
    }

    void emptyStoreDefaults()
    {
        MainWindow &window = open();
        QVERIFY(option("Option1")->isChecked());
        QVERIFY(!option("Option2")->isChecked());
        QVERIFY(option("Option4")->isChecked());
        QVERIFY(!option("Option3")->isChecked());
        QCOMPARE(tabs()->currentIndex(), 0);
        QCOMPARE(outputFolderText()->text(), tessaly::OptionsController::desktopFolder());
        QVERIFY(outputFolderText()->text().endsWith(QDir::separator()));
        QVERIFY(window.findChild<QGroupBox *>("Frame3")->isEnabled());
        QCOMPARE(window.windowTitle(), QStringLiteral("Tessaly Software"));
        QCOMPARE(m_bed->platform.applicationTitle(), QStringLiteral("Tessaly"));
        QVERIFY(m_bed->platform.calls.isEmpty());
        QVERIFY(!window.isBusy());
    }

    void startupWritesKeysInOrder()
    {
        open();
        // No sample files beside the program: the empty list is recorded, twice.
        QCOMPARE(m_bed->store.keysWritten(), (QStringList{"Snapshot", "Snapshot", "Option1", "Option2", "TabSel",
                                                      "Output Folder", "Option4", "Option3"}));
        QCOMPARE(m_bed->store.writes.at(2), QStringLiteral("Option1=True"));
        QCOMPARE(m_bed->store.writes.at(3), QStringLiteral("Option2=False"));
    }

    void applicationTitle_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("title");
        QTest::newRow("product caption") << "Tessaly Software" << "Tessaly";
        QTest::newRow("one word always goes") << "a b c" << "a b";
        QTest::newRow("shortened to 40") << "aaaaaaaaaa bbbbbbbbbb cccccccccc dddddddddd eeeee"
                                         << "aaaaaaaaaa bbbbbbbbbb cccccccccc";
        QTest::newRow("no space") << "Tessaly" << "Tessaly";
    }
    void applicationTitle()
    {
        QFETCH(QString, caption);
        QFETCH(QString, title);
        QCOMPARE(MainWindow::applicationTitleFor(caption), title);
    }

    void storedStates_data()
    {
        QTest::addColumn<QStringList>("stored"); // key=value pairs
        QTest::addColumn<QString>("checked");    // which of Option1..4 end up selected, e.g. "1100"
        QTest::addColumn<bool>("folderEnabled");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QStringList>("reports"); // statement numbers shown in error boxes
        QTest::newRow("whole-file mode") << QStringList{"Option1=False", "Option2=True"} << "0101" << true << 0
                                         << QStringList{};
        QTest::newRow("numbers read as Booleans") << QStringList{"Option1=0", "Option2=1"} << "0101" << true << 0
                                                  << QStringList{};
        QTest::newRow("both mode options clear") << QStringList{"Option1=False", "Option2=False"} << "0001" << true
                                                 << 0 << QStringList{};
        QTest::newRow("save beside source") << QStringList{"Option4=False", "Option3=True"} << "1010" << false << 0
                                            << QStringList{};
        QTest::newRow("sets tab") << QStringList{"TabSel=1"} << "1001" << true << 1 << QStringList{};
        QTest::newRow("bad Option1 keeps design state") << QStringList{"Option1=maybe"} << "1001" << true << 0
                                                        << QStringList{"136"};
        // Selecting Option1 writes Option2 first, so a bad Option2 is read only when Option1 is clear.
        QTest::newRow("bad Option2") << QStringList{"Option1=False", "Option2=x"} << "0001" << true << 0
                                     << QStringList{"138"};
        QTest::newRow("bad Option2 overwritten") << QStringList{"Option2=x"} << "1001" << true << 0 << QStringList{};
        QTest::newRow("bad Option4 and Option3") << QStringList{"Option4=?", "Option3=no"} << "1001" << true << 0
                                                 << QStringList{"144", "146"};
        QTest::newRow("bad tab") << QStringList{"TabSel=sets"} << "1001" << true << 0 << QStringList{"140"};
    }
    void storedStates()
    {
        QFETCH(QStringList, stored);
        QFETCH(QString, checked);
        QFETCH(bool, folderEnabled);
        QFETCH(int, tab);
        QFETCH(QStringList, reports);
        for (const QString &pair : stored)
            m_bed->store.SettingsStore::WriteSetting(pair.section('=', 0, 0), pair.section('=', 1));
        MainWindow &window = open();
        for (int i = 1; i <= 4; ++i)
            QCOMPARE(option(QStringLiteral("Option%1").arg(i))->isChecked(), checked.at(i - 1) == '1');
        QCOMPARE(window.findChild<QGroupBox *>("Frame3")->isEnabled(), folderEnabled);
        QCOMPARE(tabs()->currentIndex(), tab);
        const QStringList boxes = m_bed->platform.textsOf("errorReport");
        QCOMPARE(boxes.size(), reports.size());
        for (int i = 0; i < reports.size(); ++i)
            QVERIFY2(boxes.at(i).startsWith("Type mismatch\r\nin Brindle2021/08/31.Form1.Form_Load at line " +
                                            reports.at(i) + "\r\r"),
                     qPrintable(boxes.at(i)));
    }

    void bothModeOptionsClearWriteNothingForThem()
    {
        m_bed->store.SettingsStore::WriteSetting("Option1", "False");
        m_bed->store.SettingsStore::WriteSetting("Option2", "False");
        open();
        QVERIFY(!m_bed->store.keysWritten().contains("Option1"));
        QVERIFY(!m_bed->store.keysWritten().contains("Option2"));
    }

    void optionClicksWriteBothKeys()
    {
        MainWindow &window = open();
        testing::showWindow(window);
        m_bed->store.writes.clear();
        QTest::mouseClick(option("Option2"), Qt::LeftButton);
        QCOMPARE(m_bed->store.writes, (QStringList{"Option1=False", "Option2=True"}));
        m_bed->store.writes.clear();
        QTest::mouseClick(option("Option3"), Qt::LeftButton);
        QCOMPARE(m_bed->store.writes, (QStringList{"Option4=False", "Option3=True"}));
        QVERIFY(!window.findChild<QGroupBox *>("Frame3")->isEnabled());
        m_bed->store.writes.clear();
        QTest::mouseClick(option("Option4"), Qt::LeftButton);
        QCOMPARE(m_bed->store.writes, (QStringList{"Option4=True", "Option3=False"}));
        QVERIFY(window.findChild<QGroupBox *>("Frame3")->isEnabled());
    }

    void tabAndOutputFolderChangesAreWritten()
    {
        MainWindow &window = open();
        testing::showWindow(window);
        m_bed->store.writes.clear();
        tabs()->setCurrentIndex(1);
        QCOMPARE(m_bed->store.writes, QStringList{"TabSel=1"});
        m_bed->store.writes.clear();
        outputFolderText()->clear();
        QTest::keyClicks(outputFolderText(), "ab");
        QCOMPARE(m_bed->store.writes, (QStringList{"Output Folder=", "Output Folder=a", "Output Folder=ab"}));
        QCOMPARE(m_bed->store.ReadSetting("Output Folder", "unset"), QStringLiteral("ab"));
    }

    void browseOutputFolder_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("expectedFolder");
        const QString sep = QDir::separator();
        QTest::newRow("folder gets a separator") << sep + "data" + sep + "out" << sep + "data" + sep + "out" + sep;
        QTest::newRow("root stays as chosen") << sep << sep;
        QTest::newRow("cancelled") << QString() << QString();
    }
    void browseOutputFolder()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, expectedFolder);
        m_bed->store.SettingsStore::WriteSetting("LastFolderDot", "/previous");
        MainWindow &window = open();
        const QString before = outputFolderText()->text();
        m_bed->store.writes.clear();
        m_bed->platform.folderAnswers.enqueue(chosen);
        QTest::mouseClick(window.findChild<QPushButton *>("PushButton14"), Qt::LeftButton);
        const auto calls = m_bed->platform.callsOf("browseForFolder");
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls.first().text, QStringLiteral("Please select folder:"));
        QCOMPARE(calls.first().extra, QStringLiteral("/previous"));
        if (chosen.isEmpty()) {
            QCOMPARE(outputFolderText()->text(), before);
            QVERIFY(m_bed->store.writes.isEmpty());
            return;
        }
        QCOMPARE(outputFolderText()->text(), expectedFolder);
        QCOMPARE(m_bed->store.writes, (QStringList{"LastFolderDot=" + chosen, "Output Folder=" + expectedFolder}));
    }

    void help()
    {
        MainWindow &window = open();
        QTest::mouseClick(window.findChild<QPushButton *>("PushButton10"), Qt::LeftButton);
        QCOMPARE(m_bed->platform.textsOf("message"),
                 QStringList{"This software is not intended to be used on images, executables, etc.\r\r"
                             "Questions? Please contact Team Kestrine at https://kestrine.example/support"});
    }


private:
    MainWindow &open()
    {
        m_window = &m_bed->openMainWindow(m_bed->dir.path("program"));
        return *m_window;
    }
    QRadioButton *option(const QString &name) { return m_window->findChild<QRadioButton *>(name); }
    QTabWidget *tabs() { return m_window->findChild<QTabWidget *>("TabControl1"); }
    QLineEdit *outputFolderText() { return m_window->findChild<QLineEdit *>("Text3"); }

    std::unique_ptr<testing::WindowTestBed> m_bed;
    MainWindow *m_window = nullptr;  // owned by the bed
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
