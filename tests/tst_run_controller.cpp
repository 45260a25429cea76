// The run of the main window driven headless: Start Replacing, its checks and
// closing box, Show Details…, options changed during a run, Stop, closing the
// window during a run, and Preview….
#include "gui/close_on_signals.h"
#include "gui/diff_view.h"
#include "gui/main_window.h"
#include "gui/run_controller.h"
#include "gui/run_report_window.h"
#include "filelist/file_list_model.h"
#include "test_files.h"
#include "window_test_bed.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include <csignal>

using tessaly::MainWindow;

class TestRunController : public QObject {
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

    void emptyList()
    {
        MainWindow &window = open();
        runToEnd(window);
        QCOMPARE(m_bed->platform.kinds(), QStringList{"message"});
        QCOMPARE(m_bed->platform.textsOf("message"), QStringList{"No files added."});
        QVERIFY(!window.runController().isRunInProgress());
        QVERIFY(!window.isBusy());
    }

    void outputFolderTest_data()
    {
        QTest::addColumn<QString>("outputFolder");
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
        QFETCH(QString, outputFolder);
        QFETCH(bool, beside);
        QFETCH(QString, message);
        const QString source = writeSource("src/a.htm", "<p>old</p>");
        MainWindow &window = open();
        window.fileList().append(source);
        outputFolderText()->setText(outputFolder.isEmpty() ? QString() : m_bed->dir.path(outputFolder));
        if (beside)
            option("Option3")->click();
        runToEnd(window);
        QCOMPARE(m_bed->platform.textsOf("message"), QStringList{message});
        QCOMPARE(QFileInfo::exists(m_bed->dir.path("src/a_replaced.htm")), beside);
        QVERIFY(!window.runController().isRunInProgress());
    }

    void runWritesResultsSkipsEmptyFiles()
    {
        const QString empty = writeSource("src/empty.htm", "");
        const QString page = writeSource("src/page.htm", "<body><p>old text</p></body>");
        const QString missing = m_bed->dir.path("src/missing.htm");
        MainWindow &window = open();
        window.fileList().appendAll({empty, missing, page});
        option("Option3")->click();
        findText()->setPlainText("old");
        replaceText()->setPlainText("new");
        keepRunReport();
        runToEnd(window);
        QCOMPARE(m_bed->platform.textsOf("message"), QStringList{"Done.\n2 files were skipped."});
        QVERIFY(m_bed->platform.textsOf("errorReport").isEmpty());
        QVERIFY(!QFileInfo::exists(m_bed->dir.path("src/empty_replaced.htm")));
        QCOMPARE(m_bed->dir.read("src/page_replaced.htm"), QByteArray("<body><p>new text</p></body>"));
        const QString details = m_runReport;
        QVERIFY2(details.contains(empty + ": skipped"), qPrintable(details));
        QVERIFY2(details.contains(missing + ": skipped"), qPrintable(details));
        QVERIFY2(details.contains(m_bed->dir.path("src/page_replaced.htm") + " (1 replacement)"), qPrintable(details));
        QVERIFY(!window.isBusy());
        // The run's counts stay on the status line.
        QCOMPARE(window.statusBar()->findChild<QLabel *>("StatusText")->text(),
                 "Done. 3 files: 1 written, 2 skipped, 0 failed; 1 replacement.");
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
            rows << m_bed->dir.path(QStringLiteral("gone/%1.htm").arg(i));
        rows << listed << page;
        MainWindow &window = open();
        window.fileList().appendAll(rows);
        option("Option3")->click();
        findText()->setPlainText("old");
        replaceText()->setPlainText("new");
        runToEnd(window);
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
        const QString root = QDir::toNativeSeparators(m_bed->dir.path("site"));
        const QString deep = writeSource("site/a/b/deep.htm", "old");
        const QString top = writeSource("site/top.htm", "old");
        const QString single = writeSource("elsewhere/single.htm", "old");
        MainWindow &window = open();
        auto *box = window.findChild<QCheckBox *>("KeepFolderTree");
        QCOMPARE(box->isChecked(), keep);
        window.fileList().appendAll({deep, top}, root);
        window.fileList().append(single);
        outputFolderText()->setText(outFolder());
        runToEnd(window);
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
        MainWindow &window = open();
        window.fileList().append(page);
        outputFolderText()->setText(outFolder());
        runToEnd(window);
        QCOMPARE(m_bed->platform.textsOf("message"), QStringList{"Done."});
        QCOMPARE(testing::readBytes(outFolder() + "page.htm"), QByteArray("<p>same</p>"));
    }

    void setsTabUsesBothLists()
    {
        const QString page = writeSource("src/page.htm", "one two");
        m_bed->store.SettingsStore::WriteSetting("TabSel", "1");
        MainWindow &window = open();
        window.fileList().append(page);
        window.findChild<QComboBox *>("Combo1")->addItems({"one", "two"});
        window.findChild<QComboBox *>("Combo2")->addItems({"two", "three"});
        option("Option2")->click();
        outputFolderText()->setText(outFolder());
        runToEnd(window);
        QCOMPARE(testing::readBytes(outFolder() + "page.htm"), QByteArray("three three"));
    }

    void secondStartIsIgnoredAndWindowIsBusy()
    {
        const QString a = writeSource("src/a.htm", "x");
        const QString b = writeSource("src/b.htm", "x");
        MainWindow &window = open();
        window.fileList().appendAll({a, b});
        outputFolderText()->setText(outFolder());
        testing::GatedFileSystem &gate = m_bed->holdRunsAt("a.htm");
        startRun(window);
        QVERIFY(window.isBusy());
        QVERIFY(window.runController().isRunInProgress());
        QVERIFY(gate.waitUntilReached());
        startRun(window);
        gate.release();
        testing::waitForRun(window);
        QCOMPARE(m_bed->platform.kinds(), QStringList{"message"});
        QCOMPARE(m_bed->platform.textsOf("message"), QStringList{"Done."});
        QVERIFY(!window.isBusy());
        // The run is over: a new start runs again.
        runToEnd(window);
        QCOMPARE(m_bed->platform.textsOf("message"), (QStringList{"Done.", "Done."}));
    }

    void hourglassOverEveryControlDuringRun()
    {
        const QString a = writeSource("src/a.htm", "x");
        const QString b = writeSource("src/b.htm", "x");
        MainWindow &window = open();
        testing::showWindow(window);
        window.fileList().appendAll({a, b});
        outputFolderText()->setText(outFolder());
        QTest::mouseClick(window.findChild<QWidget *>("ListView1")->findChild<QWidget *>("qt_scrollarea_viewport"),
                          Qt::LeftButton);
        testing::GatedFileSystem &gate = m_bed->holdRunsAt("a.htm");
        startRun(window);
        QVERIFY(gate.waitUntilReached());
        QStringList notWaiting;
        for (QWidget *widget : window.findChildren<QWidget *>())
            if (!widget->isWindow() && widget->cursor().shape() != Qt::WaitCursor)
                notWaiting << widget->objectName() + "/" + widget->metaObject()->className();
        gate.release();
        testing::waitForRun(window);
        QVERIFY2(notWaiting.isEmpty(), qPrintable(notWaiting.join(", ")));
        // Afterwards each control shows its own pointer again.
        QCOMPARE(findText()->viewport()->cursor().shape(), Qt::IBeamCursor);
        QCOMPARE(outputFolderText()->cursor().shape(), Qt::IBeamCursor);
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
        MainWindow &window = open();
        window.fileList().appendAll({a, b, empty});
        outputFolderText()->setText(outFolder());
        keepRunReport();
        runToEnd(window);
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
        MainWindow &window = open();
        window.fileList().appendAll({a, b});
        outputFolderText()->setText(outFolder());
        findText()->setPlainText("old");
        replaceText()->setPlainText("new");
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
        runToEnd(window);
        QVERIFY(compared);
        QCOMPARE(sources, (QStringList{b, a}));
        QCOMPARE(changes, QStringLiteral("@@ -1 +1 @@\n-<body>old</body>\n+<body>new</body>"));
        QCOMPARE(m_bed->platform.textsOf("openFolder"), QStringList{QFileInfo(outFolder() + "a.htm").absolutePath()});
    }

    void optionChangeTakesEffectFromNextFile()
    {
        const QString a = writeSource("src/a.htm", "<body><b>b</b></body>");
        const QString b = writeSource("src/b.htm", "<body><b>b</b></body>");
        MainWindow &window = open();
        window.fileList().appendAll({a, b});
        outputFolderText()->setText(outFolder());
        findText()->setPlainText("b");
        replaceText()->setPlainText("i");
        testing::GatedFileSystem &gate = m_bed->holdRunsAt("a.htm");
        startRun(window);
        QVERIFY(gate.waitUntilReached());
        option("Option2")->click();
        option("Option3")->click();
        gate.release();
        testing::waitForRun(window);
        QCOMPARE(testing::readBytes(outFolder() + "a.htm"), QByteArray("<body><b>i</b></body>"));
        QVERIFY(!QFileInfo::exists(m_bed->dir.path("src/a_replaced.htm")));
        QCOMPARE(m_bed->dir.read("src/b_replaced.htm"), QByteArray("<iody><i>i</i></iody>"));
        QVERIFY(!QFileInfo::exists(outFolder() + "b.htm"));
    }

    // The run works on the rows as listed when it started: rows removed meanwhile
    // are done all the same, and nothing fails for want of them.
    void rowsRemovedDuringRunAreStillDone()
    {
        const QString a = writeSource("src/a.htm", "<body>old</body>");
        const QString b = writeSource("src/b.htm", "<body>old</body>");
        const QString c = writeSource("src/c.htm", "<body>old</body>");
        MainWindow &window = open();
        window.fileList().appendAll({a, b, c});
        outputFolderText()->setText(outFolder());
        findText()->setPlainText("old");
        replaceText()->setPlainText("new");
        testing::GatedFileSystem &gate = m_bed->holdRunsAt("a.htm");
        startRun(window);
        QVERIFY(gate.waitUntilReached());
        window.fileList().removeRow(3);
        window.fileList().clear();
        gate.release();
        testing::waitForRun(window);
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
        MainWindow &window = open();
        testing::showWindow(window);
        int quits = 0;
        window.setQuitHandler([&] { ++quits; });
        window.fileList().appendAll({a, b});
        option("Option3")->click();
        testing::GatedFileSystem &gate = m_bed->holdRunsAt("a_replaced.htm");
        startRun(window);
        QVERIFY(gate.waitUntilReached());
        if (signal == 0) {
            window.close();
        } else {
            const tessaly::CloseOnSignals closeOnSignals(window);
            ::raise(signal);
            QTRY_VERIFY(window.isHidden());
        }
        QCOMPARE(quits, 1);
        QVERIFY(window.isHidden());
        gate.release();
        testing::waitForRun(window);
        // The file in flight was finished; nothing after it was started.
        QVERIFY(QFileInfo::exists(m_bed->dir.path("src/a_replaced.htm")));
        QVERIFY(!QFileInfo::exists(m_bed->dir.path("src/b_replaced.htm")));
        QCOMPARE(QDir(m_bed->dir.path("src")).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"a.htm", "a_replaced.htm", "b.htm"}));
        QVERIFY(m_bed->platform.calls.isEmpty());
        QVERIFY(!window.isBusy());
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
        MainWindow &window = open();
        testing::showWindow(window);
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.fileList().appendAll({a, b, c});
        outputFolderText()->setText(outFolder());
        auto *stop = window.findChild<QPushButton *>("StopButton");
        auto *previewButton = window.findChild<QPushButton *>("PreviewButton");
        // A dry run renames nothing: its first file waits at its read instead.
        testing::GatedFileSystem &gate = m_bed->holdRunsAt(
            "a.htm", preview ? testing::GatedFileSystem::Step::Read : testing::GatedFileSystem::Step::Rename);
        testing::clickButton(&window, preview ? "PreviewButton" : "PushButton3");
        QVERIFY(gate.waitUntilReached());
        QVERIFY(stop->isVisible() && !previewButton->isVisible());
        if (escKey)
            QTest::keyClick(&window, Qt::Key_Escape);
        else
            QTest::mouseClick(stop, Qt::LeftButton);
        gate.release();
        keepRunReport();
        testing::waitForRun(window);
        QCOMPARE(m_bed->platform.textsOf("message"), QStringList{"Stopped after 1 of 3 files."});
        QVERIFY2(m_runReport.startsWith(a + " -> " + outFolder() + "a.htm"), qPrintable(m_runReport));
        const QStringList results = QDir(outFolder()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(results, preview ? QStringList{} : QStringList{"a.htm"});
        QVERIFY(!window.isBusy());
        QVERIFY(previewButton->isVisible() && !stop->isVisible());
    }

    // Stop pressed while the last file is in flight leaves nothing undone: the run
    // ends as a whole run does, with "Done." or with the Preview.
    void stopDuringTheLastFileEndsAsAWholeRun_data()
    {
        QTest::addColumn<bool>("preview");
        QTest::newRow("Start Replacing") << false;
        QTest::newRow("Preview…") << true;
    }
    void stopDuringTheLastFileEndsAsAWholeRun()
    {
        QFETCH(bool, preview);
        MainWindow &window = open();
        window.fileList().appendAll({writeSource("src/a.htm", "x"), writeSource("src/b.htm", "x")});
        outputFolderText()->setText(outFolder());
        testing::GatedFileSystem &gate = m_bed->holdRunsAt(
            "b.htm", preview ? testing::GatedFileSystem::Step::Read : testing::GatedFileSystem::Step::Rename);
        QStringList windows;
        m_bed->platform.onExec = [&](QDialog &dialog) {
            windows << dialog.metaObject()->className();
            return 0;
        };
        testing::clickButton(&window, preview ? "PreviewButton" : "PushButton3");
        QVERIFY(gate.waitUntilReached());
        testing::clickButton(&window, "StopButton");
        gate.release();
        testing::waitForRun(window);
        QCOMPARE(m_bed->platform.textsOf("message"), preview ? QStringList{} : QStringList{"Done."});
        QCOMPARE(windows, preview ? QStringList{"tessaly::PreviewWindow"} : QStringList{});
    }

    // The closing box can be closed unseen (an Esc meant for Stop): the run's
    // counts are on the status line while it shows, and stay there after it.
    void summaryStaysOnTheStatusLine_data()
    {
        QTest::addColumn<bool>("preview");
        QTest::addColumn<QString>("summary");
        QTest::newRow("Start Replacing") << false << "Done. 3 files: 1 written, 1 skipped, 1 failed; 1 replacement.";
        QTest::newRow("Preview…") << true << "Done. 3 files: 1 would be written, 1 skipped, 1 failed; 1 replacement.";
    }
    void summaryStaysOnTheStatusLine()
    {
        QFETCH(bool, preview);
        QFETCH(QString, summary);
        MainWindow &window = open();
        window.fileList().appendAll(
            {writeSource("src/a.htm", "<body>old</body>"), writeSource("src/b.htm", "<body>old</body>"),
             writeSource("src/empty.htm", "")});
        outputFolderText()->setText(outFolder());
        QVERIFY(QDir().mkpath(outFolder() + "b.htm"));
        findText()->setPlainText("old");
        auto *status = window.findChild<QLabel *>("StatusText");
        QStringList shownMeanwhile;
        m_bed->platform.onMessage = [&](const QString &) { shownMeanwhile << status->text(); };
        m_bed->platform.onExec = [&](QDialog &) {
            shownMeanwhile << status->text();
            return 0;
        };
        testing::clickButton(&window, preview ? "PreviewButton" : "PushButton3");
        testing::waitForRun(window);
        QCOMPARE(shownMeanwhile, QStringList{summary});
        QCOMPARE(status->text(), summary);
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
        MainWindow &window = open();
        window.fileList().appendAll({page, empty});
        outputFolderText()->setText(outFolder());
        findText()->setPlainText("old");
        replaceText()->setPlainText("new");
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
        testing::clickButton(&window, "PreviewButton");
        testing::waitForRun(window);
        QCOMPARE(listed, 2);
        QVERIFY(compared);
        QCOMPARE(changes, QStringLiteral("@@ -1,4 +1,4 @@\n <body>\n-<p>old text</p>\n+<p>new text</p>\n <p>same</p>\n </body>"));
        QVERIFY(!writtenBeforeChoice);
        QCOMPARE(m_bed->platform.textsOf("message"), written ? QStringList{"Done.\n1 file was skipped."} : QStringList{});
        QCOMPARE(testing::readBytes(outFolder() + "page.htm"),
                 written ? QByteArray("<body>\n<p>new text</p>\n<p>same</p>\n</body>\n") : QByteArray());
        QVERIFY(!window.runController().isRunInProgress());
        QVERIFY(!window.isBusy());
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
        MainWindow &window = open();
        for (const char *name : {"a", "b", "c"})
            window.fileList().append(writeSource(QStringLiteral("src/%1.htm").arg(name), "old"));
        outputFolderText()->setText(outFolder());
        findText()->setPlainText("old");
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
        testing::clickButton(&window, "PreviewButton");
        testing::waitForRun(window);
        QCOMPARE(startEnabled, !results.isEmpty());
        QCOMPARE(QDir(outFolder()).entryList(QDir::Files), results);
    }

    // Start Replacing in the Preview with a file that would fail asks first, with
    // No as the default answer; No leaves everything unwritten.
    void previewAsksBeforeFailuresWithNoAsDefault()
    {
        MainWindow &window = open();
        for (const char *name : {"a", "b"})
            window.fileList().append(writeSource(QStringLiteral("src/%1.htm").arg(name), "old"));
        outputFolderText()->setText(outFolder());
        QVERIFY(QDir().mkpath(outFolder() + "a.htm"));
        findText()->setPlainText("old");
        m_bed->platform.onExec = [](QDialog &dialog) {
            dialog.findChild<QPushButton *>("startReplacing")->click();
            return dialog.result();
        };
        testing::clickButton(&window, "PreviewButton");
        testing::waitForRun(window);
        const QList<testing::FakePlatform::Call> asked = m_bed->platform.callsOf("askYesNo");
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked.first().text, "1 file would fail. Start Replacing anyway?");
        QCOMPARE(asked.first().extra, "default No");
        QCOMPARE(QDir(outFolder()).entryList(QDir::Files), QStringList{});
    }

    // The run needs only the list and its own controls; the list's controls
    // follow runningChanged, which the window wires.
    void controllerRunsOnItsOwnControls()
    {
        const QString page = writeSource("src/page.htm", "old");
        QWidget window;
        auto *tabs = new QTabWidget(&window);
        tabs->addTab(new QWidget, "pair");
        const tessaly::RunController::RequestControls request{
            tabs, new QPlainTextEdit("old", &window), new QPlainTextEdit("new", &window), new QComboBox(&window),
            new QComboBox(&window), new QRadioButton(&window), new QRadioButton(&window), new QRadioButton(&window),
            new QRadioButton(&window), new QLineEdit(outFolder(), &window), new QCheckBox(&window)};
        request.outputFolderOption->setChecked(true);
        const tessaly::RunController::StatusControls status{new QLabel(&window), new QProgressBar(&window),
                                                            new QPushButton(&window), new QPushButton(&window),
                                                            new QShortcut(&window)};
        tessaly::FileListModel list;
        list.append(page);
        tessaly::RunController run(window, m_bed->platform, list, request, status);
        QSignalSpy running(&run, &tessaly::RunController::runningChanged);
        QSignalSpy finished(&run, &tessaly::RunController::runFinished);
        run.startReplacing();
        QVERIFY(finished.wait(30000));
        QCOMPARE(running.size(), 2);
        QCOMPARE(running.at(0).at(0).toBool(), true);
        QCOMPARE(running.at(1).at(0).toBool(), false);
        QCOMPARE(m_bed->platform.textsOf("message"), QStringList{"Done."});
        QCOMPARE(testing::readBytes(outFolder() + "page.htm"), QByteArray("new"));
    }

private:
    MainWindow &open()
    {
        m_window = &m_bed->openMainWindow(m_bed->dir.path("program"));
        return *m_window;
    }
    void startRun(MainWindow &window) { testing::clickButton(&window, "PushButton3"); }
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
    void runToEnd(MainWindow &window)
    {
        startRun(window);
        testing::waitForRun(window);
    }
    QRadioButton *option(const QString &name) { return m_window->findChild<QRadioButton *>(name); }
    QLineEdit *outputFolderText() { return m_window->findChild<QLineEdit *>("Text3"); }
    QPlainTextEdit *findText() { return m_window->findChild<QPlainTextEdit *>("Text1"); }
    QPlainTextEdit *replaceText() { return m_window->findChild<QPlainTextEdit *>("Text2"); }
    QString writeSource(const QString &name, const QByteArray &bytes)
    {
        return QDir::toNativeSeparators(m_bed->dir.write(name, bytes));
    }
    QString outFolder()
    {
        const QString folder = m_bed->dir.path("out");
        QDir().mkpath(folder);
        return QDir::toNativeSeparators(folder) + QDir::separator();
    }

    std::unique_ptr<testing::WindowTestBed> m_bed;
    MainWindow *m_window = nullptr;  // owned by the bed
    QString m_runReport;
};

QTEST_MAIN(TestRunController)
#include "tst_run_controller.moc"
