// The main window's file list driven headless: Add All HTML Files In Folder, Add
// HTML Files, drops on the list, Clear List, Delete, the two filters, the
// extension check after each adding action, and the busy rule.
#include "gui/main_window.h"
#include "window_test_bed.h"
#include "held_folder_source.h"
#include "filelist/file_list_model.h"
#include "gui/file_list_controller.h"
#include "gui/file_list_view.h"
#include "gui/open_paths.h"
#include "test_files.h"
#include "base/error_report.h"
#include "base/tessaly_error.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>
#include <QLabel>
#include <QStatusBar>
#include <QTabWidget>
#include <QtTest>

using tessaly::FileListModel;
using tessaly::FileListView;
using tessaly::MainWindow;
using testing::FakePlatform;

namespace {

const QString kExtensionPrompt = QStringLiteral(
    "Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for all doc files, etc.)");

} // namespace

class TestFileListController : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_bed = std::make_unique<testing::WindowTestBed>();
        m_window = &m_bed->openMainWindow();
        m_bed->platform.clear();
    }
    void cleanup()
    {
        m_window = nullptr;
        m_bed.reset();
    }

    void listViewIsTheFileList()
    {
        FileListView *view = listView();
        QVERIFY(view);
        QCOMPARE(view->model(), static_cast<QAbstractItemModel *>(&list()));
        QCOMPARE(view->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("HTML File(s)"));
        QVERIFY(view->acceptDrops());
    }

    void addAllPromptKeysHourglassAndTilde()
    {
        // X: a.htm, ~temp.htm, notes.txt; X/Y: b.htm.
        const QString x = makeFiles({"X/a.htm", "X/~temp.htm", "X/notes.txt", "X/Y/b.htm"}) + "/X";
        m_bed->platform.inputAnswers.enqueue(QStringLiteral("htm"));
        m_bed->platform.folderAnswers.enqueue(x);
        list().append(QStringLiteral("/before.htm"));
        clickButton("PushButton1");
        // The scan works in the background: the hourglass shows, and the list's
        // own actions do nothing meanwhile.
        const bool busyDuringScan = m_window->isBusy() && m_window->cursor().shape() == Qt::WaitCursor;
        clickButton("PushButton8");
        testing::waitForListWork(*m_window);

        QCOMPARE(m_bed->platform.kinds(), (QStringList{"input", "browseForFolder"}));
        QCOMPARE(m_bed->platform.calls[0].text, kExtensionPrompt);
        QCOMPARE(m_bed->platform.calls[0].extra, QStringLiteral("htm"));
        QCOMPARE(m_bed->platform.calls[1].text, QStringLiteral("Please select folder:"));
        QCOMPARE(m_bed->platform.calls[1].extra, QString());
        QCOMPARE(list().rows(), (QStringList{"/before.htm", x + "/a.htm", x + "/Y/b.htm"}));
        QCOMPARE(m_bed->store.ReadSetting("Extension", "none"), QStringLiteral("htm"));
        QCOMPARE(m_bed->store.ReadSetting("LastFolder", "none"), x);
        QVERIFY(busyDuringScan);
        QVERIFY(!m_window->isBusy());
    }

    void addAllFailureReachesTheErrorReportBox()
    {
        // Writing "LastFolder" is statement 334; the scan goes on after the box.
        const QString root = makeFiles({"a.htm"});
        m_bed->store.refusedKey = QStringLiteral("LastFolder");
        m_bed->platform.inputAnswers.enqueue(QStringLiteral("htm"));
        m_bed->platform.folderAnswers.enqueue(root);
        clickButton("PushButton1");
        testing::waitForListWork(*m_window);
        QCOMPARE(m_bed->platform.kinds(), (QStringList{"input", "browseForFolder", "errorReport"}));
        QCOMPARE(m_bed->platform.calls[2].text,
                 tessaly::errorReportText(QStringLiteral("Permission denied"),
                                          QStringLiteral("in Brindle2021/08/31.Form1.PushButton1_Click "), 334));
        QCOMPARE(list().rows(), QStringList{root + "/a.htm"});
        QVERIFY(!m_window->isBusy());
    }

    void closingDuringAddAllEndsTheScan()
    {
        const QString root = makeFiles({"a.htm", "sub/b.htm"});
        int quits = 0;
        m_window->setQuitHandler([&] { ++quits; });
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        m_bed->platform.inputAnswers.enqueue(QStringLiteral("htm"));
        m_bed->platform.folderAnswers.enqueue(root);
        clickButton("PushButton1");
        QVERIFY(m_window->fileListController().isWorking());
        m_window->close();
        QCOMPARE(quits, 1);
        // The scan is given up: nothing of it arrives any more.
        QVERIFY(!m_window->fileListController().isWorking());
        QCoreApplication::processEvents();
        QCOMPARE(list().count(), 0);
        QCOMPARE(m_bed->platform.kinds(), (QStringList{"input", "browseForFolder"}));
    }

    // Stop and Esc on the status line end a scan as they end a run: nothing is
    // appended, the pointer comes back, no extension check follows.
    void stopEndsTheScan_data()
    {
        QTest::addColumn<bool>("escKey");
        QTest::addColumn<bool>("drop");
        QTest::newRow("Stop button") << false << false;
        QTest::newRow("Esc") << true << false;
        QTest::newRow("Stop button, a drop") << false << true;
    }
    void stopEndsTheScan()
    {
        QFETCH(bool, escKey);
        QFETCH(bool, drop);
        const QString root = makeFiles({"a.htm", "notes.txt", "sub/b.htm"});
        testing::HeldFolderSource source;
        m_window->fileListController().setFolderSource(source);
        testing::showWindow(*m_window);
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        auto *stop = m_window->findChild<QPushButton *>("StopButton");
        m_bed->platform.inputAnswers.enqueue(QStringLiteral("*"));
        m_bed->platform.folderAnswers.enqueue(root);
        if (drop)
            m_window->fileListController().addDropped({root});
        else
            clickButton("PushButton1");
        QVERIFY(source.entered.tryAcquire(1, 30000));
        QVERIFY(m_window->isBusy());
        QVERIFY(stop->isVisible());
        QVERIFY(!m_window->findChild<QPushButton *>("PushButton13")->isEnabled());
        // Nor can a run start meanwhile.
        clickButton("PushButton3");
        QVERIFY(!m_window->runController().isRunInProgress());
        if (escKey)
            QTest::keyClick(m_window, Qt::Key_Escape);
        else
            QTest::mouseClick(stop, Qt::LeftButton);
        source.released.release();
        testing::waitForListWork(*m_window);
        QCOMPARE(list().count(), 0);
        QVERIFY(!m_window->isBusy());
        QVERIFY(!stop->isVisible());
        QVERIFY(m_window->findChild<QPushButton *>("PushButton13")->isEnabled());
        QCOMPARE(m_bed->platform.kinds(),
                 drop ? QStringList() : QStringList({"input", "browseForFolder"}));
    }

    // The status line tells how far a scan got, in files and folders.
    void scanShowsItsProgress()
    {
        const QString root = makeFiles({"a.htm", "sub/b.htm"});
        m_bed->platform.inputAnswers.enqueue(QStringLiteral("htm"));
        m_bed->platform.folderAnswers.enqueue(root);
        const QLabel *status = m_bed->window->statusBar()->findChild<QLabel *>("StatusText");
        QStringList shown;
        connect(&m_window->fileListController(), &tessaly::FileListController::workingChanged, this,
                [&](bool working) {
                    if (!working)
                        shown << status->text();
                });
        clickButton("PushButton1");
        testing::waitForListWork(*m_window);
        QCOMPARE(shown, QStringList{"Scanning… 2 files in 2 folders"});
        QCOMPARE(status->text(), QString());
    }

    void addAllNamesSkippedFoldersOnStatusLine()
    {
        const QString root = makeFiles({"a.htm", "b\x01" "c/d.htm", "e\x02" "f/g.htm"});
        m_bed->platform.inputAnswers.enqueue(QStringLiteral("htm"));
        m_bed->platform.folderAnswers.enqueue(root);
        clickButton("PushButton1");
        testing::waitForListWork(*m_window);
        QCOMPARE(list().rows(), QStringList{root + "/a.htm"});
        const QLabel *status = m_bed->window->statusBar()->findChild<QLabel *>("StatusText");
        QCOMPARE(status->text(), QStringLiteral("2 folders could not be read"));
        QCOMPARE(status->toolTip(), QStringLiteral("%1/b\x01" "c/ (name holds a control character)\n"
                                                   "%1/e\x02" "f/ (name holds a control character)").arg(root));
    }

    void addAllEveryFileThenExtensionCheck()
    {
        const QString root = makeFiles({"a.htm", "notes.txt", "sub/b.html"});
        m_bed->store.WriteSetting("Extension", "txt");
        m_bed->platform.inputAnswers.enqueue(QStringLiteral("*"));
        m_bed->platform.folderAnswers.enqueue(root);
        m_bed->platform.yesNoAnswers.enqueue(true);
        clickButton("PushButton1");
        testing::waitForListWork(*m_window);
        QCOMPARE(m_bed->platform.calls[0].extra, QStringLiteral("txt"));
        QCOMPARE(m_bed->platform.kinds(), (QStringList{"input", "browseForFolder", "askYesNo"}));
        QCOMPARE(m_bed->platform.calls[2].text,
                 QStringLiteral("These files: \r\n\r\n%1/notes.txt\r\n\r\ndo not appear to be in the expected file format "
                                "because of their file extension.\r\n\r\nWould you like to remove them from list?")
                     .arg(root));
        QCOMPARE(list().rows(), (QStringList{root + "/a.htm", root + "/sub/b.html"}));
        QCOMPARE(m_bed->store.ReadSetting("Extension", "none"), QStringLiteral("*"));
    }

    void addAllCancelledFolderKeepsTheAnswer()
    {
        m_bed->platform.inputAnswers.enqueue(QStringLiteral("txt"));
        clickButton("PushButton1");
        QCOMPARE(m_bed->platform.kinds(), (QStringList{"input", "browseForFolder"}));
        QCOMPARE(m_bed->store.ReadSetting("Extension", "none"), QStringLiteral("txt"));
        QCOMPARE(m_bed->store.ReadSetting("LastFolder", "none"), QStringLiteral("none"));
        QCOMPARE(list().count(), 0);
        QVERIFY(!m_window->isBusy());
    }

    void addAllCancelledPromptDoesNothing()
    {
        list().append(QStringLiteral("/d/readme"));
        m_bed->platform.yesNoAnswers.enqueue(false);
        clickButton("PushButton1");
        // The extension check still runs over the whole list.
        QCOMPARE(m_bed->platform.kinds(), (QStringList{"input", "askYesNo"}));
        QCOMPARE(m_bed->store.ReadSetting("Extension", "none"), QStringLiteral("none"));
        QCOMPARE(list().rows(), QStringList{"/d/readme"});
    }

    void addHtmlFilesOneFile_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("added");
        QTest::addColumn<bool>("asked");
        // A row the suffix rule lets in may still fail the extension check.
        QTest::newRow("htm") << "/d/a.htm" << true << false;
        QTest::newRow("HTML upper") << "/d/A.HTML" << true << false;
        QTest::newRow("shtml") << "/d/page.shtml" << true << true;
        QTest::newRow("no dot") << "/d/pagehtm" << true << true;
        QTest::newRow("txt") << "/d/notes.txt" << false << false;
        QTest::newRow("php") << "/d/index.php" << false << false;
    }
    void addHtmlFilesOneFile()
    {
        QFETCH(QString, chosen);
        QFETCH(bool, added);
        QFETCH(bool, asked);
        m_bed->platform.openFilesAnswers.enqueue({chosen});
        clickButton("PushButton2");
        const QStringList expectedKinds = asked ? QStringList{"openFiles", "askYesNo"} : QStringList{"openFiles"};
        QCOMPARE(m_bed->platform.kinds(), expectedKinds);
        QCOMPARE(m_bed->platform.calls[0].text, QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"));
        QCOMPARE(m_bed->platform.calls[0].extra, QStringLiteral("HTML Files (*.htm;*.html)|*.htm;*.html|All Files (*.*)|*.*"));
        QCOMPARE(list().rows(), added ? QStringList{chosen} : QStringList());
    }

    void addHtmlFilesSeveral()
    {
        m_bed->platform.openFilesAnswers.enqueue({"/d/notes.txt", "/d/a.htm"});
        m_bed->platform.yesNoAnswers.enqueue(false);
        clickButton("PushButton2");
        QCOMPARE(m_bed->platform.kinds(), (QStringList{"openFiles", "askYesNo"}));
        QVERIFY(m_bed->platform.calls[1].text.contains("\r\n\r\n/d/notes.txt\r\n\r\n"));
        QCOMPARE(list().rows(), (QStringList{"/d/notes.txt", "/d/a.htm"}));
        // Cancelled: nothing added, the check still runs and asks again.
        m_bed->platform.clear();
        clickButton("PushButton2");
        QCOMPARE(m_bed->platform.kinds(), (QStringList{"openFiles", "askYesNo"}));
        QCOMPARE(list().count(), 2);
    }

    void dropFilesAndFolders()
    {
        const QString root = makeFiles({"one/a.htm", "one/~b.htm", "one/.hidden.htm", "one/sub/c.htm", "two/d.htm",
                                        "~loose.htm", "loose.txt"});
        drop({root + "/~loose.htm", root + "/one", root + "/two", root + "/loose.txt"});
        // The check names the dropped .txt file; No keeps it.
        QCOMPARE(m_bed->platform.kinds(), QStringList{"askYesNo"});
        QVERIFY(m_bed->platform.calls[0].text.contains(root + "/loose.txt\r\n"));
        QCOMPARE(list().rows(), (QStringList{root + "/~loose.htm", root + "/one/a.htm", root + "/one/sub/c.htm",
                                             root + "/two/d.htm", root + "/loose.txt"}));
    }

    // "tessaly PATH…": a folder (relative to the current folder), a page and a
    // text file are added as a drop adds them, and the text file is asked about.
    void pathsItStartsWithAreAddedAsADrop()
    {
        const QString root = makeFiles({"one/a.htm", "one/sub/c.htm", "b.html", "notes.txt"});
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(root));
        tessaly::openPaths(*m_window, {"one", root + "/b.html", "notes.txt"});
        QDir::setCurrent(before);
        QVERIFY(list().count() == 0);   // once the window's events run
        QTRY_COMPARE(m_bed->platform.kinds(), QStringList{"askYesNo"});
        QVERIFY(m_bed->platform.calls[0].text.contains(root + "/notes.txt\r\n"));
        QCOMPARE(list().rows(), (QStringList{root + "/one/a.htm", root + "/one/sub/c.htm", root + "/b.html",
                                             root + "/notes.txt"}));
    }

    void dropOfPlainTextIsRefused()
    {
        QMimeData text;
        text.setText(QStringLiteral("/some/path.htm"));
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(listView()->viewport(), &enter);
        QVERIFY(!enter.isAccepted());
        QDropEvent dropEvent(QPointF(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(listView()->viewport(), &dropEvent);
        QCoreApplication::processEvents();
        QCOMPARE(list().count(), 0);
        QVERIFY(m_bed->platform.calls.isEmpty());

        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(QStringLiteral("/d/a.htm"))});
        QDragEnterEvent fileEnter(QPoint(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(listView()->viewport(), &fileEnter);
        QVERIFY(fileEnter.isAccepted());
    }

    void clearListAndDeleteIgnoredWhileBusy()
    {
        list().appendAll({"/d/a.htm", "/d/b.htm", "/d/c.htm"});
        listView()->setCurrentIndex(list().index(1));
        m_window->setCursor(Qt::WaitCursor);
        QVERIFY(m_window->isBusy());
        clickButton("PushButton8");
        QTest::keyClick(listView(), Qt::Key_Delete);
        QTest::mouseDClick(listView()->viewport(), Qt::LeftButton, {}, listView()->visualRect(list().index(1)).center());
        QCOMPARE(list().count(), 3);

        m_window->unsetCursor();
        QTest::keyClick(listView(), Qt::Key_Delete);
        QCOMPARE(list().rows(), (QStringList{"/d/a.htm", "/d/c.htm"}));
        clickButton("PushButton8");
        QCOMPARE(list().count(), 0);
        QVERIFY(m_bed->platform.calls.isEmpty());
    }

    // A run works on the rows as listed when it started: the controls that change
    // the list cannot be used until it ends.
    void listControlsDisabledDuringRun()
    {
        const QString root = makeFiles({"a.htm", "b.htm"});
        list().appendAll({root + "/a.htm", root + "/b.htm"});
        m_window->findChild<QRadioButton *>("Option3")->click();
        listView()->setCurrentIndex(list().index(1));
        const QStringList buttons{"PushButton1", "PushButton2", "PushButton8", "PushButton11", "PushButton12",
                                  "PushButton13"};
        const auto enabledButtons = [&] {
            QStringList enabled;
            for (const QString &name : buttons)
                if (m_window->findChild<QPushButton *>(name)->isEnabled())
                    enabled << name;
            return enabled;
        };
        testing::GatedFileSystem &gate = m_bed->holdRunsAt("a_replaced.htm");
        clickButton("PushButton3");
        QVERIFY(gate.waitUntilReached());
        QCOMPARE(enabledButtons(), QStringList());
        QVERIFY(!listView()->acceptDrops());
        QTest::keyClick(listView(), Qt::Key_Delete);
        QTest::mouseDClick(listView()->viewport(), Qt::LeftButton, {}, listView()->visualRect(list().index(0)).center());
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(root + "/a.htm")});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(listView()->viewport(), &enter);
        QVERIFY(!enter.isAccepted());
        gate.release();
        testing::waitForRun(*m_window);
        QCOMPARE(list().count(), 2);
        QCOMPARE(m_bed->platform.textsOf("message"), QStringList{"Done."});
        QCOMPARE(enabledButtons(), buttons);
        QVERIFY(listView()->acceptDrops());
    }

    void filters_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("left");
        const QStringList rows{"C:\\Site\\old-page.htm", "C:\\Olders\\index.html", "C:\\Site\\new page.htm"};
        QTest::newRow("containing OLD") << "PushButton12" << "Remove entries containing: " << "OLD"
                                        << QStringList{rows[2]};
        QTest::newRow("not containing OLD") << "PushButton13" << "Remove entries not containing: " << "OLD"
                                            << QStringList{rows[0], rows[1]};
        QTest::newRow("space kept") << "PushButton12" << "Remove entries containing: " << " p"
                                    << QStringList{rows[0], rows[1]};
        QTest::newRow("not containing, all contain") << "PushButton13" << "Remove entries not containing: " << "c:\\"
                                                     << rows;
        QTest::newRow("not containing, none contain") << "PushButton13" << "Remove entries not containing: " << "zzz"
                                                      << QStringList();
    }
    void filters()
    {
        QFETCH(QString, button);
        QFETCH(QString, prompt);
        QFETCH(QString, answer);
        QFETCH(QStringList, left);
        list().appendAll({"C:\\Site\\old-page.htm", "C:\\Olders\\index.html", "C:\\Site\\new page.htm"});
        m_bed->platform.inputAnswers.enqueue(answer);
        clickButton(button);
        const bool busyMeanwhile = m_window->isBusy() && m_window->cursor().shape() == Qt::WaitCursor;
        testing::waitForListWork(*m_window);
        QCOMPARE(m_bed->platform.kinds(), QStringList{"input"});
        QCOMPARE(m_bed->platform.calls[0].text, prompt);
        QCOMPARE(m_bed->platform.calls[0].extra, QString());
        QCOMPARE(list().rows(), left);
        QVERIFY(busyMeanwhile);
        QVERIFY(!m_window->isBusy());
    }

    // A filter that fails shows the error report box with its statement, as any
    // handler's step does; the list stays as it was.
    void filterFailureIsReported()
    {
        list().appendAll({"/a/x.htm", "/b/y.htm"});
        m_window->fileListController().setListFilter(
            [](const QStringList &, const QString &, tessaly::ListFilter, const tessaly::StopToken &)
                -> std::optional<QList<int>> { throw tessaly::TessalyError("Out of memory"); });
        m_bed->platform.inputAnswers.enqueue(QStringLiteral("/a/"));
        clickButton("PushButton12");
        testing::waitForListWork(*m_window);
        QCOMPARE(m_bed->platform.kinds(), (QStringList{"input", "errorReport"}));
        QCOMPARE(m_bed->platform.calls[1].text,
                 tessaly::errorReportText(QStringLiteral("Out of memory"),
                                          QStringLiteral("in Brindle2021/08/31.Form1.PushButton12_Click "), 106));
        QCOMPARE(list().count(), 2);
        QVERIFY(!m_window->isBusy());
    }

    void filterCancelLeavesListAndPointer()
    {
        list().appendAll({"/a/x.htm", "/b/y.htm"});
        for (const char *button : {"PushButton12", "PushButton13"}) {
            m_window->setCursor(Qt::PointingHandCursor);
            m_bed->platform.inputAnswers.enqueue(std::nullopt);
            clickButton(button);
            m_bed->platform.inputAnswers.enqueue(QString());
            clickButton(button);
            QCOMPARE(m_window->cursor().shape(), Qt::PointingHandCursor);
            QCOMPARE(list().count(), 2);
        }
        QCOMPARE(m_bed->platform.kinds(), (QStringList{"input", "input", "input", "input"}));
    }

    void filtersRunWhileBusy()
    {
        // Unlike Clear List, the filters are not blocked by the hourglass.
        list().appendAll({"/a/x.htm", "/b/y.htm"});
        m_window->setCursor(Qt::WaitCursor);
        m_bed->platform.inputAnswers.enqueue(QStringLiteral("/a/"));
        clickButton("PushButton12");
        testing::waitForListWork(*m_window);
        QCOMPARE(list().rows(), QStringList{"/b/y.htm"});
    }

    // The file list's handlers need only the list and their own controls.
    void controllerWorksOnItsOwnControls()
    {
        QWidget window;
        const auto button = [&window] { return new QPushButton(&window); };
        const tessaly::FileListController::Controls controls{
            new FileListView(&window), button(), button(), button(), button(), button(), button(),
            new QLabel(&window), new QLabel(&window), new QPlainTextEdit(&window), new QPlainTextEdit(&window),
            new QTabWidget(&window)};
        FileListModel list;
        tessaly::FileListController files(window, m_bed->platform, m_bed->store, list, m_bed->dir.root(), controls);
        list.appendAll({"/site/a.htm", "/site/b.htm"});
        QCOMPARE(controls.listCount->text(), QStringLiteral("2 files"));
        files.setChangesAllowed(false);
        QVERIFY(!controls.clearListButton->isEnabled());
        files.setChangesAllowed(true);
        controls.clearListButton->click();
        QCOMPARE(list.count(), 0);
        QCOMPARE(controls.listCount->text(), QStringLiteral("0 files"));
    }

private:
    FileListModel &list() { return m_window->fileList(); }
    FileListView *listView() { return m_window->findChild<FileListView *>("ListView1"); }
    void clickButton(const QString &name) { testing::clickButton(m_window, name); }
    // Writes the files (folders made as needed) and returns the root folder.
    QString makeFiles(const QStringList &names)
    {
        const QString root = m_bed->dir.path("tree");
        testing::writeTree(root, names, "<body>x</body>");
        return root;
    }
    void drop(const QStringList &paths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &path : paths)
            urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        // As from the file manager: the list accepts the entering drag, then the drop.
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(listView()->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(listView()->viewport(), &event);
        QVERIFY(event.isAccepted());
        // The handler runs once the drop has finished.
        QTRY_VERIFY(!m_bed->platform.calls.isEmpty() || list().count() > 0);
        QCoreApplication::processEvents();
    }

    std::unique_ptr<testing::WindowTestBed> m_bed;
    MainWindow *m_window = nullptr;  // owned by the bed
};

QTEST_MAIN(TestFileListController)
#include "tst_file_list_controller.moc"
