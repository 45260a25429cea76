// List filters, the extension check and the three adding actions, driven
// through the shared fake platform.
#include "base/platform.h"
#include "fake_platform.h"
#include "filelist/adding_files.h"
#include "filelist/list_maintenance.h"
#include "temp_tree.h"
#include "test_files.h"
#include "base/tessaly_error.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtTest>

using namespace tessaly;

using testing::relative;

namespace {

using testing::FakePlatform;

// The shared fake's log as "kind:text" lines ("input" and "browseForFolder"
// with "|" and the initial answer or folder), in order.
QStringList log(const FakePlatform &platform)
{
    QStringList lines;
    for (const FakePlatform::Call &call : platform.calls) {
        QString line = call.kind + ":" + call.text;
        if (call.kind == "input" || call.kind == "browseForFolder")
            line += "|" + call.extra;
        lines << line;
    }
    return lines;
}

const QString kPrompt = QStringLiteral(
    "Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for all doc files, etc.)");

// Everything an adding action needs, with settings in a map.
struct Harness {
    FakePlatform platform;
    FileListModel list;
    QMap<QString, QString> settings;
    QStringList busy;
    QList<StepFailure> failures;
    AddFilesContext context{platform, list,
                            [this](const QString &key, const QString &def) { return settings.value(key, def); },
                            [this](const QString &key, const QString &value) { settings.insert(key, value); },
                            [this](bool on) { busy << (on ? "hourglass" : "default"); },
                            [this](const StepFailure &failure) { failures.append(failure); }};
};

// The real file system, but the sub-folders of a folder named "bad" cannot be
// listed, and the listing of the first one asked for may set a stop token.
class TroubledSource : public FolderSource {
public:
    StopToken *stopOnFirstListing = nullptr;

    SubFolderListing subFolders(const QString &folder) const override
    {
        if (stopOnFirstListing)
            stopOnFirstListing->requestStop();
        if (folder.endsWith("/bad/"))
            throw TessalyError("Disk not ready");
        return FolderSource::subFolders(folder);
    }
};

// A scan off the window's thread: Add All HTML Files In Folder in its three
// parts, or a drop in its two; the findings are returned.
ScanFindings scanInParts(Harness &h, bool drop, const QString &folder, const FolderSource &source,
                         const StopToken *stop = nullptr)
{
    FolderScanOptions options;
    options.source = &source;
    options.stop = stop;
    if (drop) {
        ScanFindings findings = scanDroppedPaths({folder}, options);
        finishDrop(h.context, findings);
        return findings;
    }
    const std::optional<FolderChoice> choice = chooseFolderToScan(h.context);
    if (!choice)
        return {};
    ScanFindings findings = scanChosenFolder(*choice, options);
    finishAddingFolder(h.context, findings);
    return findings;
}

// Add All HTML Files In Folder as the window runs it, the folder asked for.
void addAllHtmlFilesInFolder(Harness &h)
{
    scanInParts(h, false, QString(), FolderSource::real());
}

} // namespace

class TestFileList : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void filters_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("containing");
        QTest::addColumn<QStringList>("kept");
        const QStringList site{"C:\\Site\\old-page.htm", "C:\\Olders\\index.html", "C:\\Site\\new.htm"};
        QTest::newRow("containing: case ignored, whole path")
            << site << "OLD" << true << QStringList({"C:\\Site\\new.htm"});
        QTest::newRow("not containing: every row contains it") << site << "c:\\" << false << site;
        QTest::newRow("not containing: no row contains it") << site << "zzz" << false << QStringList();
        QTest::newRow("a leading space is kept")
            << QStringList({"C:\\my apps\\x.htm", "C:\\apps\\y.htm"}) << " a" << true
            << QStringList({"C:\\apps\\y.htm"});
        QTest::newRow("duplicates both go")
            << QStringList({"a.htm", "b.htm", "a.htm"}) << "A." << true << QStringList({"b.htm"});
        QTest::newRow("empty text is in every non-empty row")
            << QStringList({"a.htm", ""}) << "" << true << QStringList({""});
    }
    void filters()
    {
        QFETCH(QStringList, rows);
        QFETCH(QString, text);
        QFETCH(bool, containing);
        QFETCH(QStringList, kept);
        FileListModel list;
        // Each row as if a scan of its own folder had found it.
        for (const QString &row : rows)
            list.appendAll({row}, "root of " + row);
        // The filter runs over a snapshot, as a worker thread runs it.
        const StopToken going;
        const ListFilter filter = containing ? ListFilter::RemoveContaining : ListFilter::RemoveNotContaining;
        StopToken stopped;
        stopped.requestStop();
        QCOMPARE(positionsToRemove(list.rows(), text, filter, stopped), std::nullopt);
        list.removePositions(positionsToRemove(list.rows(), text, filter, going).value());
        QCOMPARE(list.rows(), kept);
        for (int position = 1; position <= list.count(); ++position)
            QCOMPARE(list.scanRoot(position), "root of " + list.text(position));
    }

    void extensionCheck_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QList<int>>("positions");
        QTest::newRow("text and dot-less file")
            << QStringList({"C:\\a\\page.htm", "C:\\a\\PAGE2.HTML", "C:\\a\\notes.txt", "C:\\a\\readme"})
            << QList<int>({3, 4});
        QTest::newRow("pieces of htm,html pass")
            << QStringList({"C:\\a\\x.ml", "C:\\a\\x.tm", "C:\\a\\x."}) << QList<int>();
        QTest::newRow("dot only in a folder name") << QStringList({"C:\\a.b\\readme"}) << QList<int>({1});
        QTest::newRow("shtml, php") << QStringList({"x.shtml", "y.Html", "z.php"}) << QList<int>({1, 3});
        QTest::newRow("duplicates both named") << QStringList({"n.txt", "n.txt"}) << QList<int>({1, 2});
    }
    void extensionCheck()
    {
        QFETCH(QStringList, rows);
        QFETCH(QList<int>, positions);
        const ExtensionCheck check = checkListExtensions(rows);
        QCOMPARE(check.positions, positions);
        QCOMPARE(check.question.isEmpty(), positions.isEmpty());
        for (int position : positions)
            QVERIFY(check.question.contains("\r\n" + rows.at(position - 1) + "\r\n"));
    }

    void extensionQuestion()
    {
        const ExtensionCheck check = checkListExtensions(
            {"C:\\a\\page.htm", "C:\\a\\PAGE2.HTML", "C:\\a\\notes.txt", "C:\\a\\readme"});
        QCOMPARE(check.question,
                 QStringLiteral("These files: \r\n\r\nC:\\a\\notes.txt\r\nC:\\a\\readme\r\n\r\n"
                                "do not appear to be in the expected file format because of their file extension."
                                "\r\n\r\nWould you like to remove them from list?"));
    }

    void validateListFiles_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QStringList>("kept");
        const QStringList all{"a.htm", "notes.txt", "b.html", "readme"};
        QTest::newRow("yes removes the named rows") << true << QStringList({"a.htm", "b.html"});
        QTest::newRow("no keeps all") << false << all;
    }
    void validateListFiles()
    {
        QFETCH(bool, yes);
        QFETCH(QStringList, kept);
        FakePlatform platform;
        platform.yesNoAnswers.enqueue(yes);
        FileListModel list;
        list.appendAll({"a.htm", "notes.txt", "b.html", "readme"});
        QCOMPARE(ValidateListFiles(list, platform), yes);
        QCOMPARE(list.rows(), kept);
        QCOMPARE(platform.calls.size(), 1);
    }

    void validateAsksNothingWhenAllPass()
    {
        FakePlatform platform;
        FileListModel list;
        QVERIFY(!ValidateListFiles(list, platform));
        list.appendAll({"a.htm", "b.HTML"});
        QVERIFY(!ValidateListFiles(list, platform));
        QVERIFY(platform.calls.isEmpty());
    }

    void addAllFromFolder()
    {
        testing::TempTree tree;
        tree.write(QStringList{"X/a.htm", "X/~temp.htm", "X/notes.txt", "X/Y/b.htm"}, "<p>x</p>");
        Harness h;
        h.platform.inputAnswers.enqueue(QString("htm"));
        h.platform.folderAnswers.enqueue(tree.root() + "/X");
        h.list.append(QStringLiteral("added alone.htm"));
        addAllHtmlFilesInFolder(h);
        QCOMPARE(relative(tree.root(), h.list.rows()), QStringList({"added alone.htm", "/X/a.htm", "/X/Y/b.htm"}));
        QCOMPARE(h.list.scanRoot(1), QString());
        QCOMPARE(h.list.scanRoot(2), tree.root() + "/X");
        QCOMPARE(h.list.scanRoot(3), tree.root() + "/X");
        QCOMPARE(h.settings.value("Extension"), QStringLiteral("htm"));
        QCOMPARE(h.settings.value("LastFolder"), tree.root() + "/X");
        QCOMPARE(h.busy, QStringList({"hourglass", "default"}));
        QCOMPARE(log(h.platform),
                 QStringList({"input:" + kPrompt + "|htm", "browseForFolder:Please select folder:|"}));
        QVERIFY(h.failures.isEmpty());
    }

    void addAllEveryFileThenAsks()
    {
        testing::TempTree tree;
        tree.write(QStringList{"a.htm", "notes.txt"}, "<p>x</p>");
        Harness h;
        h.settings.insert("Extension", "txt");
        h.platform.inputAnswers.enqueue(QString("*"));
        h.platform.folderAnswers.enqueue(tree.root());
        h.platform.yesNoAnswers.enqueue(true);
        addAllHtmlFilesInFolder(h);
        QCOMPARE(log(h.platform).first(), "input:" + kPrompt + "|txt");
        QCOMPARE(h.platform.calls.size(), 3);
        QVERIFY(log(h.platform).last().startsWith("askYesNo:These files: \r\n\r\n" + tree.root() + "/notes.txt\r\n"));
        QCOMPARE(relative(tree.root(), h.list.rows()), QStringList({"/a.htm"}));
    }

    void addAllCancelled_data()
    {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<QString>("remembered");
        QTest::newRow("input cancelled") << std::optional<QString>() << QString();
        QTest::newRow("empty answer") << std::optional<QString>(QString()) << QString();
        QTest::newRow("folder picker cancelled") << std::optional<QString>("html") << QString("html");
    }
    void addAllCancelled()
    {
        QFETCH(std::optional<QString>, answer);
        QFETCH(QString, remembered);
        Harness h;
        h.list.append("keep.txt");
        h.platform.inputAnswers.enqueue(answer);
        addAllHtmlFilesInFolder(h);
        QCOMPARE(h.settings.value("Extension"), remembered);
        QVERIFY(!h.settings.contains("LastFolder"));
        QVERIFY(h.busy.isEmpty());
        // The extension check still runs over the whole list.
        QVERIFY(log(h.platform).last().startsWith("askYesNo:"));
        QCOMPARE(h.list.rows(), QStringList({"keep.txt"}));
    }

    void addAllGoesOnAfterFailedStep()
    {
        testing::TempTree tree;
        tree.write(QStringList{"a.htm"}, "<p>x</p>");
        Harness h;
        h.platform.inputAnswers.enqueue(QString("htm"));
        h.platform.folderAnswers.enqueue(tree.root());
        h.context.writeSetting = [](const QString &, const QString &) { throw TessalyError("Permission denied"); };
        addAllHtmlFilesInFolder(h);
        QCOMPARE(h.failures.size(), 2);
        QCOMPARE(h.failures.at(0).source, QStringLiteral("in Brindle2021/08/31.Form1.PushButton1_Click "));
        QCOMPARE(h.failures.at(0).statement, 102);
        QCOMPARE(h.failures.at(1).statement, 334);
        QCOMPARE(h.failures.at(1).description, QStringLiteral("Permission denied"));
        QCOMPARE(relative(tree.root(), h.list.rows()), QStringList({"/a.htm"}));
    }

    void addHtmlFiles_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QStringList>("added");
        QTest::newRow("one text file: nothing") << QStringList({"/d/notes.txt"}) << QStringList();
        QTest::newRow("one shtml file") << QStringList({"/d/page.shtml"}) << QStringList({"/d/page.shtml"});
        QTest::newRow("one dot-less pagehtm") << QStringList({"/d/pagehtm"}) << QStringList({"/d/pagehtm"});
        QTest::newRow("one file kept as given") << QStringList({"/d//x.HTM"}) << QStringList({"/d//x.HTM"});
        QTest::newRow("several: no extension test")
            << QStringList({"/d/a.htm", "/d/notes.txt"}) << QStringList({"/d/a.htm", "/d/notes.txt"});
        QTest::newRow("several in the root") << QStringList({"/a.htm", "/b.htm"}) << QStringList({"/a.htm", "/b.htm"});
        QTest::newRow("several, doubled separators collapse")
            << QStringList({"/d//e/a.htm", "/d//e/b.htm"}) << QStringList({"/d/e/a.htm", "/d/e/b.htm"});
        QTest::newRow("cancelled") << QStringList() << QStringList();
    }
    void addHtmlFiles()
    {
        QFETCH(QStringList, chosen);
        QFETCH(QStringList, added);
        Harness h;
        h.platform.openFilesAnswers.enqueue(chosen);
        AddHtmlFiles(h.context);
        QCOMPARE(h.list.rows(), added);
        const FakePlatform::Call request = h.platform.callsOf("openFiles").last();
        QCOMPARE(request.text, QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"));
        QCOMPARE(request.extra, QStringLiteral("HTML Files (*.htm;*.html)|*.htm;*.html|All Files (*.*)|*.*"));
    }

    void addHtmlFilesAsksAboutTextFile()
    {
        Harness h;
        h.platform.openFilesAnswers.enqueue({"/d/notes.txt", "/d/a.htm"});
        h.platform.yesNoAnswers.enqueue(false);
        AddHtmlFiles(h.context);
        QCOMPARE(h.list.rows(), QStringList({"/d/notes.txt", "/d/a.htm"}));
        QVERIFY(log(h.platform).last().contains("\r\n\r\n/d/notes.txt\r\n\r\n"));
    }

    void drops()
    {
        testing::TempTree tree;
        tree.write(QStringList{"F1/a.htm", "F1/~t.htm", "F1/.hidden.htm", "F1/S/b.htm", "F2/c.htm", "~loose.htm"}, "<p>x</p>");
        const QStringList dropped{tree.root() + "/F1", tree.root() + "/~loose.htm", tree.root() + "/F2",
                                  tree.root() + "/gone.txt"};
        const DroppedRows rows = filesFromDrop(dropped).value();
        QCOMPARE(relative(tree.root(), rows.paths),
                 QStringList({"/F1/a.htm", "/F1/S/b.htm", "/~loose.htm", "/F2/c.htm", "/gone.txt"}));
        // Keep folder tree places a dropped folder's files below it.
        QCOMPARE(rows.scanRoots, QStringList({dropped[0], dropped[0], "", dropped[2], ""}));
    }

    // Scanned off the window's thread, a folder gives the rows, questions, pointer
    // changes and failure reports (tags and statements) of the window's scan.
    void scanOffTheWindowsThread_data()
    {
        QTest::addColumn<bool>("drop");
        QTest::addColumn<QString>("failingFolder");
        QTest::addColumn<QString>("failedSource");
        QTest::addColumn<int>("failedStatement");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("kinds");
        const QStringList addAllKinds{"input", "browseForFolder"};
        QTest::newRow("add all") << false << "" << "" << 0 << QStringList{"/X/a.htm", "/X/Y/b.htm"} << addAllKinds;
        QTest::newRow("add all, a listing fails") << false << "X/bad" << "Form1.PushButton1_Click" << 114
                                                  << QStringList{"/X/a.htm"} << addAllKinds;
        QTest::newRow("drop") << true << "" << "" << 0 << QStringList{"/X/a.htm", "/X/n.txt", "/X/Y/b.htm"}
                              << QStringList{"askYesNo"};
        QTest::newRow("drop, a listing fails") << true << "X/bad" << "Form1.ListView1_OLEDragDrop" << 100
                                               << QStringList() << QStringList();
    }
    void scanOffTheWindowsThread()
    {
        QFETCH(bool, drop);
        QFETCH(QString, failingFolder);
        QFETCH(QString, failedSource);
        QFETCH(int, failedStatement);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, kinds);
        testing::TempTree tree;
        tree.write({"X/a.htm", "X/~t.htm", "X/n.txt", "X/Y/b.htm", "X/Z\x01/c.htm", "X/bad/d.htm"}, "<p>x</p>");
        if (failingFolder.isEmpty())
            QVERIFY(QDir(tree.path("X/bad")).removeRecursively());
        Harness h;
        h.platform.inputAnswers.enqueue(QString("htm"));
        h.platform.folderAnswers.enqueue(tree.path("X"));
        h.platform.yesNoAnswers.enqueue(false);
        TroubledSource source;
        const ScanFindings findings = scanInParts(h, drop, tree.path("X"), source);

        QVERIFY(!findings.stopped);
        QCOMPARE(findings.skipped.size(), 1);
        QCOMPARE(relative(tree.root(), h.list.rows()), rows);
        const QString root = failingFolder.isEmpty() || !drop ? tree.path("X") : QString();
        for (int position = 1; position <= h.list.count(); ++position)
            QCOMPARE(h.list.scanRoot(position), root);
        QCOMPARE(h.platform.kinds(), kinds);
        QCOMPARE(h.busy, drop ? QStringList() : QStringList({"hourglass", "default"}));
        QCOMPARE(h.failures.size(), failingFolder.isEmpty() ? 0 : 1);
        if (!h.failures.isEmpty()) {
            QCOMPARE(h.failures.first().source, sourceTag(failedSource));
            QCOMPARE(h.failures.first().statement, failedStatement);
            QCOMPARE(h.failures.first().description, QStringLiteral("Disk not ready"));
        }
    }

    void stopTokenEndsTheScanMidway_data()
    {
        QTest::addColumn<bool>("drop");
        QTest::newRow("add all") << false;
        QTest::newRow("drop") << true;
    }
    void stopTokenEndsTheScanMidway()
    {
        QFETCH(bool, drop);
        testing::TempTree tree;
        tree.write({"X/a.htm", "X/Y/b.htm"}, "<p>x</p>");
        Harness h;
        h.platform.inputAnswers.enqueue(QString("htm"));
        h.platform.folderAnswers.enqueue(tree.path("X"));
        StopToken stop;
        TroubledSource source;
        source.stopOnFirstListing = &stop;
        const ScanFindings findings = scanInParts(h, drop, tree.path("X"), source, &stop);
        QVERIFY(findings.stopped);
        QCOMPARE(h.list.count(), 0);
        // The pointer comes back; no extension check follows.
        QCOMPARE(h.busy, drop ? QStringList() : QStringList({"hourglass", "default"}));
        QVERIFY(h.platform.callsOf("askYesNo").isEmpty());
    }

    void dropRunsExtensionCheck()
    {
        testing::TempTree tree;
        tree.write(QStringList{"a.htm", "n.txt"}, "<p>x</p>");
        Harness h;
        h.platform.yesNoAnswers.enqueue(true);
        finishDrop(h.context, scanDroppedPaths({tree.root() + "/a.htm", tree.root() + "/n.txt", tree.root() + "/a.htm"}, {}));
        QCOMPARE(relative(tree.root(), h.list.rows()), QStringList({"/a.htm", "/a.htm"}));
        QCOMPARE(h.platform.calls.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestFileList)
#include "tst_file_list.moc"
