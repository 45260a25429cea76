// The main window driven headless: start-up from the settings store, the option,
// tab and output-folder handlers, Help, the replacement run, Stop and Preview….
#include "gui/diff_view.h"
#include "gui/close_on_signals.h"
#include "gui/form1.h"
#include "gui/run_report_window.h"
#include "window_test_bed.h"
#include "filelist/file_list_model.h"
#include "test_files.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using tessaly::Form1;
using testing::FakePlatform;
using testing::RecordingStore;

class TestForm1 : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_bed = std::make_unique<testing::WindowTestBed>();
    }
    void cleanup()
    {
        m_form = nullptr;
        m_bed.reset();
    }

    void emptyStoreDefaults()
    {
        Form1 &form = open();
        QVERIFY(option("Option1")->isChecked());
        QVERIFY(!option("Option2")->isChecked());
        QVERIFY(option("Option4")->isChecked());
        QVERIFY(!option("Option3")->isChecked());
        QCOMPARE(tabs()->currentIndex(), 0);
        QCOMPARE(text3()->text(), Form1::GetDesktopFolder());
        QVERIFY(text3()->text().endsWith(QDir::separator()));
        QVERIFY(form.findChild<QGroupBox *>("Frame3")->isEnabled());
        QCOMPARE(form.windowTitle(), QStringLiteral("Tessaly Software"));
        QCOMPARE(m_bed->platform.applicationTitle(), QStringLiteral("Tessaly"));
        QVERIFY(m_bed->platform.calls.isEmpty());
        QVERIFY(!form.isBusy());
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
        QCOMPARE(Form1::applicationTitleFor(caption), title);
    }

    void storedStates_data()
    {
        QTest::addColumn<QStringList>("stored"); // key=value pairs
        QTest::addColumn<QString>("checked");    // which of Option1..4 end up selected, e.g. "1100"
        QTest::addColumn<bool>("frame3Enabled");
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
        QFETCH(bool, frame3Enabled);
        QFETCH(int, tab);
        QFETCH(QStringList, reports);
        for (const QString &pair : stored)
            m_bed->store.SettingsStore::WriteSetting(pair.section('=', 0, 0), pair.section('=', 1));
        Form1 &form = open();
        for (int i = 1; i <= 4; ++i)
            QCOMPARE(option(QStringLiteral("Option%1").arg(i))->isChecked(), checked.at(i - 1) == '1');
        QCOMPARE(form.findChild<QGroupBox *>("Frame3")->isEnabled(), frame3Enabled);
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
        Form1 &form = open();
        showForm(form);
        m_bed->store.writes.clear();
        QTest::mouseClick(option("Option2"), Qt::LeftButton);
        QCOMPARE(m_bed->store.writes, (QStringList{"Option1=False", "Option2=True"}));
        m_bed->store.writes.clear();
        QTest::mouseClick(option("Option3"), Qt::LeftButton);
        QCOMPARE(m_bed->store.writes, (QStringList{"Option4=False", "Option3=True"}));
        QVERIFY(!form.findChild<QGroupBox *>("Frame3")->isEnabled());
        m_bed->store.writes.clear();
        QTest::mouseClick(option("Option4"), Qt::LeftButton);
        QCOMPARE(m_bed->store.writes, (QStringList{"Option4=True", "Option3=False"}));
        QVERIFY(form.findChild<QGroupBox *>("Frame3")->isEnabled());
    }

    void tabAndOutputFolderChangesAreWritten()
    {
        Form1 &form = open();
        showForm(form);
        m_bed->store.writes.clear();
        tabs()->setCurrentIndex(1);
        QCOMPARE(m_bed->store.writes, QStringList{"TabSel=1"});
        m_bed->store.writes.clear();
        text3()->clear();
        QTest::keyClicks(text3(), "ab");
        QCOMPARE(m_bed->store.writes, (QStringList{"Output Folder=", "Output Folder=a", "Output Folder=ab"}));
        QCOMPARE(m_bed->store.ReadSetting("Output Folder", "unset"), QStringLiteral("ab"));
    }

    void browseOutputFolder_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("expectedText3");
        const QString sep = QDir::separator();
        QTest::newRow("folder gets a separator") << sep + "data" + sep + "out" << sep + "data" + sep + "out" + sep;
        QTest::newRow("root stays as chosen") << sep << sep;
        QTest::newRow("cancelled") << QString() << QString();
    }
    void browseOutputFolder()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, expectedText3);
        m_bed->store.SettingsStore::WriteSetting("LastFolderDot", "/previous");
        Form1 &form = open();
        const QString before = text3()->text();
        m_bed->store.writes.clear();
        m_bed->platform.folderAnswers.enqueue(chosen);
        QTest::mouseClick(form.findChild<QPushButton *>("PushButton14"), Qt::LeftButton);
        const auto calls = m_bed->platform.callsOf("browseForFolder");
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls.first().text, QStringLiteral("Please select folder:"));
        QCOMPARE(calls.first().extra, QStringLiteral("/previous"));
        if (chosen.isEmpty()) {
            QCOMPARE(text3()->text(), before);
            QVERIFY(m_bed->store.writes.isEmpty());
            return;
        }
        QCOMPARE(text3()->text(), expectedText3);
        QCOMPARE(m_bed->store.writes, (QStringList{"LastFolderDot=" + chosen, "Output Folder=" + expectedText3}));
    }

    void help()
    {
        Form1 &form = open();
        QTest::mouseClick(form.findChild<QPushButton *>("PushButton10"), Qt::LeftButton);
        QCOMPARE(m_bed->platform.textsOf("message"),
                 QStringList{"This software is not intended to be used on images, executables, etc.\r\r"
                             "Questions? Please contact Team Kestrine at https://kestrine.example/support"});
    }

    // The replacement run.

    void emptyList()
    {
        Form1 &form = open();
        runToEnd(form);
        QCOMPARE(m_bed->platform.kinds(), QStringList{"message"});
        QCOMPARE(m_bed->platform.textsOf("message"), QStringList{"No files added."});
        QCOMPARE(m_bed->platform.processPendingEventsCount, 0);
        QVERIFY(!form.isRunInProgress());
        QVERIFY(!form.isBusy());
    }

    void outputFolderTest_data()
    {
        QTest::addColumn<QString>("text3");
        QTest::addColumn<bool>("beside");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty folder text") << "" << false << "Folder does not exist. Please select another folder.";
        QTest::newRow("missing folder") << "missing" << false
                                        << "Folder does not exist. Please select another folder.";
        QTest::newRow("a file") << "src/a.htm" << false << "Folder does not exist. Please select another folder.";
        QTest::newRow("beside source ignores the folder") << "missing" << true << "Done.";
    }
    void outputFolderTest()
    {
        QFETCH(QString, text3);
        QFETCH(bool, beside);
        QFETCH(QString, message);
        const QString source = writeSource("src/a.htm", "<p>old</p>");
        Form1 &form = open();
        form.fileList().append(source);
        this->text3()->setText(text3.isEmpty() ? QString() : m_bed->dir.filePath(text3));
        if (beside)
            option("Option3")->click();
        runToEnd(form);
        QCOMPARE(m_bed->platform.textsOf("message"), QStringList{message});
        QCOMPARE(QFileInfo::exists(m_bed->dir.filePath("src/a_replaced.htm")), beside);
        QVERIFY(!form.isRunInProgress());
    }

    void runWritesResultsSkipsEmptyFiles()
    {
        const QString empty = writeSource("src/empty.htm", "");
        const QString page = writeSource("src/page.htm", "<body><p>old text</p></body>");
        const QString missing = m_bed->dir.filePath("src/missing.htm");
        Form1 &form = open();
        form.fileList().appendAll({empty, missing, page});
        option("Option3")->click();
        text1()->setPlainText("old");
        text2()->setPlainText("new");
        keepRunReport();
        runToEnd(form);
        QCOMPARE(m_bed->platform.textsOf("message"), QStringList{"Done.\n2 files were skipped."});
        QVERIFY(m_bed->platform.textsOf("errorReport").isEmpty());
        QVERIFY(!QFileInfo::exists(m_bed->dir.filePath("src/empty_replaced.htm")));
        QCOMPARE(testing::readBytes(m_bed->dir.filePath("src/page_replaced.htm")), QByteArray("<body><p>new text</p></body>"));
        const QString details = m_runReport;
        QVERIFY2(details.contains(empty + ": skipped"), qPrintable(details));
        QVERIFY2(details.contains(missing + ": skipped"), qPrintable(details));
        QVERIFY2(details.contains(m_bed->dir.filePath("src/page_replaced.htm") + " (1 replacement)"), qPrintable(details));
        QVERIFY(!form.isBusy());
        QVERIFY(form.statusBar()->findChild<QLabel *>("StatusText")->text().isEmpty());
    }

    // The sources are identified when the run starts, however long the list: a
    // result that would land on a listed source fails and the source keeps its bytes.
    void listedSourceIsNeverAResult_data()
    {
        QTest::addColumn<int>("missingRows");
        QTest::newRow("short list") << 0;
        QTest::newRow("long list") << 2100;
    }
    void listedSourceIsNeverAResult()
    {
        QFETCH(int, missingRows);
        const QString listed = writeSource("src/b_replaced.htm", "<body>keep</body>");
        const QString page = writeSource("src/b.htm", "<body>old</body>");
        QStringList rows;
        for (int i = 0; i < missingRows; ++i)
            rows << m_bed->dir.filePath(QStringLiteral("gone/%1.htm").arg(i));
        rows << listed << page;
        Form1 &form = open();
        form.fileList().appendAll(rows);
        option("Option3")->click();
        text1()->setPlainText("old");
        text2()->setPlainText("new");
        runToEnd(form);
        QCOMPARE(testing::readBytes(listed), QByteArray("<body>keep</body>"));
        QCOMPARE(m_bed->platform.kinds(), QStringList{"message"});
        QVERIFY(m_bed->platform.textsOf("message").first().startsWith("Done.\n1 file failed."));
    }

    // Keep folder tree: rows a folder scan added go below the output folder as
    // they lay below the scanned folder; other rows, or the box clear, go flat.
    void keepFolderTree_data()
    {
        QTest::addColumn<bool>("keep");
        QTest::addColumn<QStringList>("results");  // below the output folder
        QTest::newRow("kept") << true << QStringList{"a/b/deep.htm", "single.htm", "top.htm"};
        QTest::newRow("flat") << false << QStringList{"deep.htm", "single.htm", "top.htm"};
    }
    void keepFolderTree()
    {
        QFETCH(bool, keep);
        QFETCH(QStringList, results);
        m_bed->store.SettingsStore::WriteSetting("Keep Folder Tree", keep ? "True" : "False");
        const QString root = QDir::toNativeSeparators(m_bed->dir.filePath("site"));
        const QString deep = writeSource("site/a/b/deep.htm", "old");
        const QString top = writeSource("site/top.htm", "old");
        const QString single = writeSource("elsewhere/single.htm", "old");
        Form1 &form = open();
        auto *box = form.findChild<QCheckBox *>("KeepFolderTree");
        QCOMPARE(box->isChecked(), keep);
        form.fileList().appendAll({deep, top}, root);
        form.fileList().append(single);
        text3()->setText(outFolder());
        runToEnd(form);
        QStringList written;
        QDirIterator it(outFolder(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            written << QDir(outFolder()).relativeFilePath(it.next());
        written.sort();
        QCOMPARE(written, results);
        box->click();
        QCOMPARE(m_bed->store.writes.last(), QStringLiteral("Keep Folder Tree=%1").arg(keep ? "False" : "True"));
        option("Option3")->click();
        QVERIFY(!box->isEnabled());
    }

    void emptyFindTextStillWritesResult()
    {
        const QString page = writeSource("src/page.htm", "<p>same</p>");
        Form1 &form = open();
        form.fileList().append(page);
        text3()->setText(outFolder());
        runToEnd(form);
        QCOMPARE(m_bed->platform.textsOf("message"), QStringList{"Done."});
        QCOMPARE(testing::readBytes(outFolder() + "page.htm"), QByteArray("<p>same</p>"));
    }

    void setsTabUsesBothLists()
    {
        const QString page = writeSource("src/page.htm", "one two");
        m_bed->store.SettingsStore::WriteSetting("TabSel", "1");
        Form1 &form = open();
        form.fileList().append(page);
        form.findChild<QComboBox *>("Combo1")->addItems({"one", "two"});
        form.findChild<QComboBox *>("Combo2")->addItems({"two", "three"});
        option("Option2")->click();
        text3()->setText(outFolder());
        runToEnd(form);
        QCOMPARE(testing::readBytes(outFolder() + "page.htm"), QByteArray("three three"));
    }

    void secondStartIsIgnoredAndWindowIsBusy()
    {
        const QString a = writeSource("src/a.htm", "x");
        const QString b = writeSource("src/b.htm", "x");
        Form1 &form = open();
        form.fileList().appendAll({a, b});
        text3()->setText(outFolder());
        testing::GatedFileSystem &gate = m_bed->holdRunsAt("a.htm");
        startRun(form);
        QVERIFY(form.isBusy());
        QVERIFY(form.isRunInProgress());
        QVERIFY(gate.waitUntilReached());
        startRun(form);
        gate.release();
        testing::waitForRun(form);
        QCOMPARE(m_bed->platform.kinds(), QStringList{"message"});
        QCOMPARE(m_bed->platform.textsOf("message"), QStringList{"Done."});
        QVERIFY(!form.isBusy());
        // The run is over: a new start runs again.
        runToEnd(form);
        QCOMPARE(m_bed->platform.textsOf("message"), (QStringList{"Done.", "Done."}));
    }

    void hourglassOverEveryControlDuringRun()
    {
        const QString a = writeSource("src/a.htm", "x");
        const QString b = writeSource("src/b.htm", "x");
        Form1 &form = open();
        showForm(form);
        form.fileList().appendAll({a, b});
        text3()->setText(outFolder());
        QTest::mouseClick(form.findChild<QWidget *>("ListView1")->findChild<QWidget *>("qt_scrollarea_viewport"),
                          Qt::LeftButton);
        testing::GatedFileSystem &gate = m_bed->holdRunsAt("a.htm");
        startRun(form);
        QVERIFY(gate.waitUntilReached());
        QStringList notWaiting;
        for (QWidget *widget : form.findChildren<QWidget *>())
            if (!widget->isWindow() && widget->cursor().shape() != Qt::WaitCursor)
                notWaiting << widget->objectName() + "/" + widget->metaObject()->className();
        gate.release();
        testing::waitForRun(form);
        QVERIFY2(notWaiting.isEmpty(), qPrintable(notWaiting.join(", ")));
        // Afterwards each control shows its own pointer again.
        QCOMPARE(text1()->viewport()->cursor().shape(), Qt::IBeamCursor);
        QCOMPARE(text3()->cursor().shape(), Qt::IBeamCursor);
    }

    // A file that fails raises no box of its own, however many fail: the run goes
    // on, the closing box counts them and the run report names each one.
    void failuresAreCountedNotBoxed_data()
    {
        QTest::addColumn<QStringList>("blocked");  // files whose result place a folder takes
        QTest::addColumn<QString>("message");
        QTest::newRow("one of three") << QStringList{"a"} << "Done.\n1 file failed.\n1 file was skipped.";
        QTest::newRow("every file") << QStringList{"a", "b"} << "Done.\n2 files failed.\n1 file was skipped.";
    }
    void failuresAreCountedNotBoxed()
    {
        QFETCH(QStringList, blocked);
        QFETCH(QString, message);
        const QString a = writeSource("src/a.htm", "x");
        const QString b = writeSource("src/b.htm", "x");
        const QString empty = writeSource("src/empty.htm", "");
        for (const QString &name : blocked)
            QVERIFY(QDir().mkpath(outFolder() + name + ".htm"));
        Form1 &form = open();
        form.fileList().appendAll({a, b, empty});
        text3()->setText(outFolder());
        keepRunReport();
        runToEnd(form);
        QCOMPARE(m_bed->platform.kinds(), (QStringList{"message", "exec"}));
        QCOMPARE(m_bed->platform.textsOf("message"), QStringList{message});
        QCOMPARE(m_runReport.count(": failed ("), blocked.size());
        QVERIFY2(m_runReport.contains(a + ": failed ("), qPrintable(m_runReport));
        QVERIFY(QFileInfo(outFolder() + "a.htm").isDir());
        QCOMPARE(QFileInfo(outFolder() + "b.htm").isFile(), !blocked.contains("b"));
    }

    // Show Details… opens the run report: failed files first, the changes of a
    // selected result, the output folder through the desktop.
    void runReportShowsFailuresFirstAndChanges()
    {
        const QString a = writeSource("src/a.htm", "<body>old</body>\n");
        const QString b = writeSource("src/b.htm", "x");
        QVERIFY(QDir().mkpath(outFolder() + "b.htm"));
        Form1 &form = open();
        form.fileList().appendAll({a, b});
        text3()->setText(outFolder());
        text1()->setPlainText("old");
        text2()->setPlainText("new");
        m_bed->platform.pressShowDetails = true;
        QStringList sources;
        QString changes;
        bool compared = false;
        m_bed->platform.onExec = [&](QDialog &dialog) {
            auto *files = dialog.findChild<QTableView *>("files");
            for (int row = 0; row < files->model()->rowCount(); ++row)
                sources << files->model()->index(row, 0).data().toString();
            files->setCurrentIndex(files->model()->index(1, 0));
            auto *diff = dialog.findChild<tessaly::DiffView *>("changes");
            compared = QTest::qWaitFor([diff] { return !diff->isComparing(); });
            changes = diff->shownText();
            dialog.findChild<QPushButton *>("openOutputFolder")->click();
            return 0;
        };
        runToEnd(form);
        QVERIFY(compared);
        QCOMPARE(sources, (QStringList{b, a}));
        QCOMPARE(changes, QStringLiteral("@@ -1 +1 @@\n-<body>old</body>\n+<body>new</body>"));
        QCOMPARE(m_bed->platform.textsOf("openFolder"), QStringList{QFileInfo(outFolder() + "a.htm").absolutePath()});
    }

    void optionChangeTakesEffectFromNextFile()
    {
        const QString a = writeSource("src/a.htm", "<body><b>b</b></body>");
        const QString b = writeSource("src/b.htm", "<body><b>b</b></body>");
        Form1 &form = open();
        form.fileList().appendAll({a, b});
        text3()->setText(outFolder());
        text1()->setPlainText("b");
        text2()->setPlainText("i");
        testing::GatedFileSystem &gate = m_bed->holdRunsAt("a.htm");
        startRun(form);
        QVERIFY(gate.waitUntilReached());
        option("Option2")->click();
        option("Option3")->click();
        gate.release();
        testing::waitForRun(form);
        QCOMPARE(testing::readBytes(outFolder() + "a.htm"), QByteArray("<body><b>i</b></body>"));
        QVERIFY(!QFileInfo::exists(m_bed->dir.filePath("src/a_replaced.htm")));
        QCOMPARE(testing::readBytes(m_bed->dir.filePath("src/b_replaced.htm")), QByteArray("<iody><i>i</i></iody>"));
        QVERIFY(!QFileInfo::exists(outFolder() + "b.htm"));
    }

    // The run works on the rows as listed when it started: rows removed meanwhile
    // are done all the same, and nothing fails for want of them.
    void rowsRemovedDuringRunAreStillDone()
    {
        const QString a = writeSource("src/a.htm", "<body>old</body>");
        const QString b = writeSource("src/b.htm", "<body>old</body>");
        const QString c = writeSource("src/c.htm", "<body>old</body>");
        Form1 &form = open();
        form.fileList().appendAll({a, b, c});
        text3()->setText(outFolder());
        text1()->setPlainText("old");
        text2()->setPlainText("new");
        testing::GatedFileSystem &gate = m_bed->holdRunsAt("a.htm");
        startRun(form);
        QVERIFY(gate.waitUntilReached());
        form.fileList().removeRow(3);
        form.fileList().clear();
        gate.release();
        testing::waitForRun(form);
        QCOMPARE(m_bed->platform.kinds(), QStringList{"message"});
        QCOMPARE(m_bed->platform.textsOf("message"), QStringList{"Done."});
        for (const char *name : {"a.htm", "b.htm", "c.htm"})
            QCOMPARE(testing::readBytes(outFolder() + name), QByteArray("<body>new</body>"));
    }

    // Logging out or `kill` (SIGTERM, SIGHUP) closes the window as its close
    // button does.
    void closingDuringRunEndsIt_data()
    {
        QTest::addColumn<int>("signal");  // 0: the window's close button
        QTest::newRow("close button") << 0;
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void closingDuringRunEndsIt()
    {
        QFETCH(int, signal);
        const QString a = writeSource("src/a.htm", "x");
        const QString b = writeSource("src/b.htm", "x");
        Form1 &form = open();
        showForm(form);
        int quits = 0;
        form.setQuitHandler([&] { ++quits; });
        form.fileList().appendAll({a, b});
        option("Option3")->click();
        testing::GatedFileSystem &gate = m_bed->holdRunsAt("a_replaced.htm");
        startRun(form);
        QVERIFY(gate.waitUntilReached());
        if (signal == 0) {
            form.close();
        } else {
            const tessaly::CloseOnSignals closeOnSignals(form);
            ::raise(signal);
            QTRY_VERIFY(form.isHidden());
        }
        QCOMPARE(quits, 1);
        QVERIFY(form.isHidden());
        gate.release();
        testing::waitForRun(form);
        // The file in flight was finished; nothing after it was started.
        QVERIFY(QFileInfo::exists(m_bed->dir.filePath("src/a_replaced.htm")));
        QVERIFY(!QFileInfo::exists(m_bed->dir.filePath("src/b_replaced.htm")));
        QCOMPARE(QDir(m_bed->dir.filePath("src")).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"a.htm", "a_replaced.htm", "b.htm"}));
        QVERIFY(m_bed->platform.calls.isEmpty());
        QVERIFY(!form.isBusy());
    }

    void stopEndsTheRunAfterTheFileInFlight_data()
    {
        QTest::addColumn<bool>("escKey");   // else the Stop button
        QTest::addColumn<bool>("preview");
        QTest::newRow("Stop button") << false << false;
        QTest::newRow("Esc") << true << false;
        QTest::newRow("Stop button during a preview") << false << true;
    }
    void stopEndsTheRunAfterTheFileInFlight()
    {
        QFETCH(bool, escKey);
        QFETCH(bool, preview);
        const QString a = writeSource("src/a.htm", "x");
        const QString b = writeSource("src/b.htm", "x");
        const QString c = writeSource("src/c.htm", "x");
        Form1 &form = open();
        showForm(form);
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.fileList().appendAll({a, b, c});
        text3()->setText(outFolder());
        auto *stop = form.findChild<QPushButton *>("StopButton");
        auto *previewButton = form.findChild<QPushButton *>("PreviewButton");
        // A dry run renames nothing: its first file waits at its read instead.
        testing::GatedFileSystem &gate = m_bed->holdRunsAt(
            "a.htm", preview ? testing::GatedFileSystem::Step::Read : testing::GatedFileSystem::Step::Rename);
        testing::clickButton(&form, preview ? "PreviewButton" : "PushButton3");
        QVERIFY(gate.waitUntilReached());
        QVERIFY(stop->isVisible() && !previewButton->isVisible());
        if (escKey)
            QTest::keyClick(&form, Qt::Key_Escape);
        else
            QTest::mouseClick(stop, Qt::LeftButton);
        gate.release();
        keepRunReport();
        testing::waitForRun(form);
        QCOMPARE(m_bed->platform.textsOf("message"), QStringList{"Stopped after 1 of 3 files."});
        QVERIFY2(m_runReport.startsWith(a + " -> " + outFolder() + "a.htm"), qPrintable(m_runReport));
        const QStringList results = QDir(outFolder()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(results, preview ? QStringList{} : QStringList{"a.htm"});
        QVERIFY(!form.isBusy());
        QVERIFY(previewButton->isVisible() && !stop->isVisible());
    }

    void previewShowsChangesThenRunsOrCloses_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("written");
        QTest::newRow("Start Replacing") << "startReplacing" << true;
        QTest::newRow("Close") << "close" << false;
    }
    void previewShowsChangesThenRunsOrCloses()
    {
        QFETCH(QString, button);
        QFETCH(bool, written);
        const QString page = writeSource("src/page.htm", "<body>\n<p>old text</p>\n<p>same</p>\n</body>\n");
        const QString empty = writeSource("src/empty.htm", "");
        Form1 &form = open();
        form.fileList().appendAll({page, empty});
        text3()->setText(outFolder());
        text1()->setPlainText("old");
        text2()->setPlainText("new");
        int listed = -1;
        QString changes;
        bool compared = false;
        bool writtenBeforeChoice = true;
        m_bed->platform.onExec = [&](QDialog &dialog) {
            auto *files = dialog.findChild<QTableView *>("files");
            listed = files->model()->rowCount();
            // The skipped empty file comes first.
            files->setCurrentIndex(files->model()->index(1, 0));
            auto *diff = dialog.findChild<tessaly::DiffView *>("changes");
            compared = QTest::qWaitFor([diff] { return !diff->isComparing(); });
            changes = diff->shownText();
            writtenBeforeChoice = QFileInfo::exists(outFolder() + "page.htm");
            dialog.findChild<QPushButton *>(button)->click();
            return dialog.result();
        };
        testing::clickButton(&form, "PreviewButton");
        testing::waitForRun(form);
        QCOMPARE(listed, 2);
        QVERIFY(compared);
        QCOMPARE(changes, QStringLiteral("@@ -1,4 +1,4 @@\n <body>\n-<p>old text</p>\n+<p>new text</p>\n <p>same</p>\n </body>"));
        QVERIFY(!writtenBeforeChoice);
        QCOMPARE(m_bed->platform.textsOf("message"), written ? QStringList{"Done.\n1 file was skipped."} : QStringList{});
        QCOMPARE(testing::readBytes(outFolder() + "page.htm"),
                 written ? QByteArray("<body>\n<p>new text</p>\n<p>same</p>\n</body>\n") : QByteArray());
        QVERIFY(!form.isRunInProgress());
        QVERIFY(!form.isBusy());
    }

    // Start Replacing in the Preview runs only the files whose boxes are checked.
    void previewRunsCheckedFilesOnly_data()
    {
        QTest::addColumn<QStringList>("unchecked");
        QTest::addColumn<QStringList>("results");
        QTest::newRow("all, as at first") << QStringList{} << QStringList{"a.htm", "b.htm", "c.htm"};
        QTest::newRow("one unchecked") << QStringList{"b.htm"} << QStringList{"a.htm", "c.htm"};
        QTest::newRow("none left") << QStringList{"a.htm", "b.htm", "c.htm"} << QStringList{};
    }
    void previewRunsCheckedFilesOnly()
    {
        QFETCH(QStringList, unchecked);
        QFETCH(QStringList, results);
        Form1 &form = open();
        for (const char *name : {"a", "b", "c"})
            form.fileList().append(writeSource(QStringLiteral("src/%1.htm").arg(name), "old"));
        text3()->setText(outFolder());
        text1()->setPlainText("old");
        bool startEnabled = true;
        m_bed->platform.onExec = [&](QDialog &dialog) {
            QAbstractItemModel *files = dialog.findChild<QTableView *>("files")->model();
            for (int row = 0; row < files->rowCount(); ++row)
                if (unchecked.contains(QFileInfo(files->index(row, 0).data().toString()).fileName()))
                    files->setData(files->index(row, 0), Qt::Unchecked, Qt::CheckStateRole);
            auto *start = dialog.findChild<QPushButton *>("startReplacing");
            startEnabled = start->isEnabled();
            start->click();
            return dialog.result();
        };
        testing::clickButton(&form, "PreviewButton");
        testing::waitForRun(form);
        QCOMPARE(startEnabled, !results.isEmpty());
        QCOMPARE(QDir(outFolder()).entryList(QDir::Files), results);
    }

private:
    Form1 &open()
    {
        m_form = &m_bed->openForm1(m_bed->dir.filePath("program"));
        return *m_form;
    }
    void showForm(Form1 &form)
    {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }
    void startRun(Form1 &form) { testing::clickButton(&form, "PushButton3"); }
    // Presses Show Details… on the closing box and keeps the run report's text in m_runReport.
    void keepRunReport()
    {
        m_bed->platform.pressShowDetails = true;
        m_bed->platform.onExec = [this](QDialog &dialog) {
            if (auto *report = qobject_cast<tessaly::RunReportWindow *>(&dialog))
                m_runReport = report->reportText();
            return 0;
        };
    }
    // Start Replacing, and the run to its closing box.
    void runToEnd(Form1 &form)
    {
        startRun(form);
        testing::waitForRun(form);
    }
    QRadioButton *option(const QString &name) { return m_form->findChild<QRadioButton *>(name); }
    QTabWidget *tabs() { return m_form->findChild<QTabWidget *>("TabControl1"); }
    QLineEdit *text3() { return m_form->findChild<QLineEdit *>("Text3"); }
    QPlainTextEdit *text1() { return m_form->findChild<QPlainTextEdit *>("Text1"); }
    QPlainTextEdit *text2() { return m_form->findChild<QPlainTextEdit *>("Text2"); }
    QString writeSource(const QString &name, const QByteArray &bytes)
    {
        const QString path = QDir::toNativeSeparators(m_bed->dir.filePath(name));
        testing::writeBytes(path, bytes);
        return path;
    }
    QString outFolder()
    {
        const QString folder = m_bed->dir.filePath("out");
        QDir().mkpath(folder);
        return QDir::toNativeSeparators(folder) + QDir::separator();
    }

    std::unique_ptr<testing::WindowTestBed> m_bed;
    Form1 *m_form = nullptr;  // owned by the bed
    QString m_runReport;
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
