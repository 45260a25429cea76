// Folder scan, file listing and the POSIX file facts behind them.
#include "filelist/add_folder.h"
#include "filelist/file_attributes.h"
#include "base/paths.h"
#include "textio/file_system.h"
#include "temp_tree.h"
#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace tessaly;

using testing::relative;

namespace {

// Makes the folders (relative paths, "/" separated) below root.
void makeFolders(const QString &root, const QStringList &folders)
{
    for (const QString &folder : folders)
        QVERIFY(QDir(root).mkpath(folder));
}


// A real file system with chosen attribute values, listing failures and roots.
class ScriptedSource : public FolderSource {
public:
    QHash<QString, int> values;
    QHash<QString, SubFolderListing::Error> failures;
    QSet<QString> roots;
    // Paths that exist for the first attribute read only, as if removed right after.
    QHash<QString, int> vanishAfter;

    int attributes(const QString &path) const override
    {
        if (vanishAfter.contains(path)) {
            auto &left = const_cast<ScriptedSource *>(this)->vanishAfter[path];
            if (left-- <= 0)
                return -1;
        }
        return values.contains(path) ? values.value(path) : FolderSource::attributes(path);
    }
    bool isDriveRoot(const QString &path) const override { return roots.contains(path); }
    SubFolderListing subFolders(const QString &folder) const override
    {
        SubFolderListing listing = FolderSource::subFolders(folder);
        if (vanishAfter.contains(folder) && vanishAfter.value(folder) < 0) {
            listing.names.clear();
            listing.error = SubFolderListing::PathNotFound;
        }
        if (failures.contains(folder))
            listing.error = failures.value(folder);
        if (listing.error == SubFolderListing::PermissionDenied || listing.error == SubFolderListing::PathNotFound)
            listing.names.clear();
        else if (listing.error == SubFolderListing::Other)
            listing.names = listing.names.mid(0, 1);
        return listing;
    }
};

} // namespace

class TestFolderScan : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void breadthFirstOrder()
    {
        QTemporaryDir dir;
        const QString x = dir.path() + "/X";
        makeFolders(x, {"b", "A/A1", "B/B1", ".hidden/H1", "a"});
        QStringList folders{x + "/"};
        GetSubDirectories2016(folders, true, {});
        // A hidden folder is no system folder on POSIX, so it is entered. Names
        // that differ only in letter case come in code order.
        QCOMPARE(relative(x, folders),
                 QStringList({"/", "/.hidden/", "/A/", "/a/", "/B/", "/b/", "/.hidden/H1/", "/A/A1/", "/B/B1/"}));
    }

    void folderNameOrder_data()
    {
        QTest::addColumn<QStringList>("names");  // in the order the sort gives
        QTest::newRow("letter case folded") << QStringList{"a", "B", "c"};
        QTest::newRow("same but for case: code order") << QStringList{"A", "a", "Ab", "aB", "ab"};
        QTest::newRow("shorter first") << QStringList{"ab", "abc"};
        // Folded, "_" (0x5F) comes before the letters, capitals included.
        QTest::newRow("underscore before capitals") << QStringList{"_x", "Ax", "ax"};
        QTest::newRow("digits before letters") << QStringList{"page9", "pageA"};
        QTest::newRow("accented letters folded too")
            << QStringList{QStringLiteral("x\u00c9a"), QStringLiteral("x\u00e9b"), QStringLiteral("x\u00c9c")};
        QTest::newRow("kelvin sign folds to k") << QStringList{QStringLiteral("a\u212Aa"), "akb"};
    }
    void folderNameOrder()
    {
        QFETCH(QStringList, names);
        QStringList sorted(names.crbegin(), names.crend());
        sortFolderNames(sorted);
        QCOMPARE(sorted, names);
    }

    void oneLevelWithoutRecurse()
    {
        QTemporaryDir dir;
        makeFolders(dir.path(), {"A/A1", "B"});
        QStringList folders{dir.path() + "/"};
        GetSubDirectories2016(folders, false, {});
        QCOMPARE(relative(dir.path(), folders), QStringList({"/", "/A/", "/B/"}));
    }

    void folderNames_data()
    {
        // A path below the scanned folder, "/" between levels, as raw bytes; the
        // reason the scan gives for skipping its first level, or "" when the
        // deepest level is entered and its file listed.
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QString>("reason");
        const QByteArray level(99, 'd');
        QTest::newRow("café") << QByteArray("caf\xc3\xa9") << "";
        QTest::newRow("Cyrillic") << QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442").toUtf8() << "";
        QTest::newRow("Japanese") << QStringLiteral("\u65e5\u672c").toUtf8() << "";
        QTest::newRow("question mark") << QByteArray("what?") << "";
        QTest::newRow("euro sign") << QByteArray("a\xe2\x82\xac") << "";
        QTest::newRow("400-character path") << QByteArray(level + '/' + level + '/' + level + '/' + level) << "";
        QTest::newRow("control character") << QByteArray("a\x01" "b") << "name holds a control character";
        QTest::newRow("delete") << QByteArray("a\x7f" "b") << "name holds a control character";
        QTest::newRow("C1 control") << QByteArray("a\xc2\x85" "b") << "name holds a control character";
        QTest::newRow("not UTF-8") << QByteArray("caf\xe9") << "name is not valid UTF-8";
    }
    void folderNames()
    {
        QFETCH(QByteArray, path);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QByteArray native = QFile::encodeName(dir.path());
        for (const QByteArray &level : path.split('/')) {
            native += '/' + level;
            QVERIFY2(::mkdir(native.constData(), 0755) == 0, native.constData());
        }
        if (reason.isEmpty())
            testing::writeBytes(decodeFileName(native) + "/a.htm", "x");
        QStringList folders{dir.path() + "/"};
        QList<SkippedFolder> skipped;
        FolderScanOptions options;
        options.reportSkipped = [&](const SkippedFolder &folder) { skipped.append(folder); };
        GetSubDirectories2016(folders, true, options);
        const QString deepest = decodeFileName(native) + "/";
        if (reason.isEmpty()) {
            QVERIFY(folders.contains(deepest));
            QVERIFY(skipped.isEmpty());
            QCOMPARE(tessaly::collectFolderFiles(dir.path(), "htm"), QStringList{deepest + "a.htm"});
        } else {
            QCOMPARE(relative(dir.path(), folders), QStringList{"/"});
            QCOMPARE(skipped.size(), 1);
            QCOMPARE(skipped.first().path, deepest);
            QCOMPARE(skipped.first().reason, reason);
        }
        ::rmdir(native.constData());  // QTemporaryDir cannot name a folder that is not UTF-8
    }

    void attributeValues_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("listed");
        QTest::newRow("hidden system, 22") << 22 << false;
        QTest::newRow("hidden system link, 1046") << 1046 << false;
        QTest::newRow("hidden system archive, 54") << 54 << true;
        QTest::newRow("hidden, 18") << 18 << true;
        QTest::newRow("system, 20") << 20 << true;
    }
    void attributeValues()
    {
        QFETCH(int, value);
        QFETCH(bool, listed);
        QTemporaryDir dir;
        makeFolders(dir.path(), {"S/S1", "T"});
        ScriptedSource source;
        source.values.insert(dir.path() + "/S/", value);
        FolderScanOptions options;
        options.source = &source;
        QStringList folders{dir.path() + "/"};
        GetSubDirectories2016(folders, true, options);
        const QStringList expected = listed ? QStringList({"/", "/S/", "/T/", "/S/S1/"}) : QStringList({"/", "/T/"});
        QCOMPARE(relative(dir.path(), folders), expected);
    }

    void startingFolders_data()
    {
        QTest::addColumn<bool>("root");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("hidden system folder: kept, not entered") << false << QStringList({"/"});
        QTest::newRow("hidden system drive root: entered") << true << QStringList({"/", "/A/"});
    }
    void startingFolders()
    {
        QFETCH(bool, root);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        makeFolders(dir.path(), {"A"});
        ScriptedSource source;
        const QString start = dir.path() + "/";
        source.values.insert(start, 22);
        if (root)
            source.roots.insert(start);
        FolderScanOptions options;
        options.source = &source;
        QStringList folders{start};
        GetSubDirectories2016(folders, true, options);
        QCOMPARE(relative(dir.path(), folders), expected);
    }

    void failedListings_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<int>("error");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("denied sub-folder is dropped")
            << "/A/" << int(SubFolderListing::PermissionDenied) << QStringList({"/", "/B/", "/B/B1/"});
        QTest::newRow("vanished sub-folder is dropped")
            << "/A/" << int(SubFolderListing::PathNotFound) << QStringList({"/", "/B/", "/B/B1/"});
        QTest::newRow("denied from the outset: nothing left")
            << "/" << int(SubFolderListing::PermissionDenied) << QStringList();
        QTest::newRow("other failure keeps the folder and what was read")
            << "/" << int(SubFolderListing::Other) << QStringList({"/", "/A/", "/A/A1/"});
    }
    void failedListings()
    {
        QFETCH(QString, failing);
        QFETCH(int, error);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        makeFolders(dir.path(), {"A/A1", "B/B1"});
        ScriptedSource source;
        source.failures.insert(dir.path() + failing, SubFolderListing::Error(error));
        FolderScanOptions options;
        options.source = &source;
        int reports = 0;
        options.reportFailure = [&](const StepFailure &) { ++reports; };
        QStringList skipped;
        options.reportSkipped = [&](const SkippedFolder &folder) { skipped << folder.path; };
        QStringList folders{dir.path() + "/"};
        GetSubDirectories2016(folders, true, options);
        QCOMPARE(relative(dir.path(), folders), expected);
        QCOMPARE(reports, 0);
        QCOMPARE(skipped, QStringList{dir.path() + failing});
    }

    void vanishedFolderIsReportedAndScanGoesOn()
    {
        QTemporaryDir dir;
        makeFolders(dir.path(), {"A/A1", "B/B1"});
        ScriptedSource source;
        // A/ passes the existence test, then is gone when looked up.
        source.vanishAfter.insert(dir.path() + "/A/", 1);
        FolderScanOptions options;
        options.source = &source;
        QList<StepFailure> reports;
        options.reportFailure = [&](const StepFailure &failure) { reports.append(failure); };
        QStringList folders{dir.path() + "/A/", dir.path() + "/B/"};
        GetSubDirectories2016(folders, true, options);
        QCOMPARE(relative(dir.path(), folders), QStringList({"/B/", "/B/B1/"}));
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reports.first().source, QStringLiteral("in CorvathTitle2021/08/31.AddFolder.GetSubDirectories2016 "));
        QCOMPARE(reports.first().statement, 106);
    }

    void linkLoopsEnd()
    {
        QTemporaryDir dir;
        const QString x = dir.path() + "/X";
        makeFolders(x, {"A", "B/B1"});
        QVERIFY(QFile::link(x, x + "/A/loop"));        // to an ancestor
        QVERIFY(QFile::link(x + "/B", x + "/B/B1/up")); // to a parent
        QVERIFY(QFile::link(x + "/A", x + "/C"));       // a second way into A
        QVERIFY(QFile::link(dir.path(), x + "/D"));     // to a folder not yet listed
        QStringList folders{x + "/"};
        GetSubDirectories2016(folders, true, {});
        QCOMPARE(relative(x, folders), QStringList({"/", "/A/", "/B/", "/D/", "/B/B1/"}));
    }

    void wildcards_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("matches");
        QTest::newRow("extension") << "a.htm" << "*.htm" << true;
        QTest::newRow("letter case ignored") << "INDEX.HtM" << "*.htm" << true;
        QTest::newRow("three letters: longer extension") << "a.html" << "*.htm" << true;
        QTest::newRow("three letters: letter case") << "A.ASPX" << "*.asp" << true;
        QTest::newRow("three letters: question mark") << "a.html" << "*.h?m" << true;
        QTest::newRow("three letters: not inside") << "a.shtml" << "*.htm" << false;
        QTest::newRow("three letters: last extension") << "a.htm.bak" << "*.htm" << false;
        QTest::newRow("three letters: named file") << "index.html" << "index.htm" << true;
        QTest::newRow("four letters exactly") << "a.htmlx" << "*.html" << false;
        QTest::newRow("two letters exactly") << "a.jsx" << "*.js" << false;
        QTest::newRow("every file") << "a.txt" << "*.*" << true;
        QTest::newRow("every file, no dot") << "readme" << "*.*" << true;
        QTest::newRow("several dots") << "a.b.htm" << "*.htm" << true;
        QTest::newRow("question mark is one character") << "ab.htm" << "a?.htm" << true;
        QTest::newRow("question mark is not none") << "a.htm" << "a?.htm" << false;
        QTest::newRow("brackets are plain") << "[a].htm" << "[a].htm" << true;
        QTest::newRow("brackets are no class") << "a.htm" << "[a].htm" << false;
        QTest::newRow("star in the middle") << "page-old.htm" << "page*.htm" << true;
        QTest::newRow("non-ASCII case") << QStringLiteral("\u00c9T\u00c9.htm") << QStringLiteral("\u00e9t\u00e9.*") << true;
        QTest::newRow("no match") << "a.txt" << "*.htm" << false;
    }
    void wildcards()
    {
        QFETCH(QString, name);
        QFETCH(QString, pattern);
        QFETCH(bool, matches);
        QCOMPARE(matchesWildcard(name, pattern), matches);
        QCOMPARE(WildcardPattern(pattern).matches(name), matches);
    }

    void listFolderFiles()
    {
        testing::TempTree tree;
        tree.write({"Docs/b.htm", "Docs/A.HTM", "Docs/.hidden.htm", "Docs/c.txt"}, "x");
        const QString docs = tree.path("Docs");
        makeFolders(docs, {"folder.htm"});
        QVERIFY(QFile::link(docs + "/missing.htm", docs + "/dangling.htm"));
        QVERIFY(QFile::link(docs + "/b.htm", docs + "/link.htm"));
        const QStringList expected{".hidden.htm", "A.HTM", "b.htm", "link.htm"};
        QCOMPARE(ListFolderFiles(docs, "*.htm"), expected);
        FolderListingFacts facts;
        QCOMPARE(ListFolderFiles(docs + "/", "*.htm", &facts), expected);
        // What the listing saw: the folder, its identity, and the link as no plain file.
        QCOMPARE(facts.folder, docs + "/");
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(docs).constData(), &info), 0);
        QVERIFY(facts.identity && *facts.identity == identityOf(info));
        QCOMPARE(facts.plain, std::vector<bool>({true, true, true, false}));
        QCOMPARE(ListFolderFiles(tree.path("Nothing"), "*.*", &facts), QStringList());
        QVERIFY(!facts.identity && facts.plain.empty());
    }

    void fileIsOpenable()
    {
        testing::TempTree tree;
        QVERIFY(FileIsOpenable(tree.write("f.htm", "x")));
        QVERIFY(!FileIsOpenable(tree.root()));
        QVERIFY(!FileIsOpenable(tree.path("missing.htm")));
    }

    void attributeMapping_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("value");
        QTest::newRow("file") << "f.htm" << 32;
        QTest::newRow("hidden file") << ".f.htm" << 34;
        QTest::newRow("folder") << "d" << 16;
        QTest::newRow("folder with separator") << "d/" << 16;
        QTest::newRow("hidden folder") << ".d" << 18;
        QTest::newRow("link to a file") << "lf" << 1056;
        QTest::newRow("link to a folder") << "ld" << 1040;
        QTest::newRow("missing") << "none" << -1;
    }
    void attributeMapping()
    {
        QFETCH(QString, path);
        QFETCH(int, value);
        testing::TempTree tree;
        tree.write({"f.htm", ".f.htm"}, "x");
        makeFolders(tree.root(), {"d", ".d"});
        QVERIFY(QFile::link(tree.path("f.htm"), tree.path("lf")));
        QVERIFY(QFile::link(tree.path("d"), tree.path("ld")));
        QCOMPARE(fileAttributes(tree.path(path)), value);
    }

    void fileSystemRoot()
    {
        QVERIFY(isFileSystemRoot("/"));
        QVERIFY(isFileSystemRoot("//"));
        QVERIFY(!isFileSystemRoot(QDir::tempPath()));
        QVERIFY(!isFileSystemRoot(""));
        // A root chosen as the starting folder ends in two separators; its
        // sub-folders are built from that form unchanged.
        QStringList folders{"//"};
        GetSubDirectories2016(folders, false, {});
        QVERIFY(folders.size() > 1);
        QCOMPARE(folders.first(), QStringLiteral("//"));
        QVERIFY(folders.contains(QStringLiteral("//tmp/")));
    }

    void collectFolderFiles()
    {
        testing::TempTree tree;
        const QString root = tree.root();
        tree.write({"a.htm", "~temp.htm", "n.txt", "Y/b.htm", "Y/c.html"}, "x");
        QCOMPARE(relative(root, tessaly::collectFolderFiles(root, "htm")),
                 QStringList({"/a.htm", "/Y/b.htm", "/Y/c.html"}));
        QCOMPARE(relative(root, tessaly::collectFolderFiles(root + "/", "*")),
                 QStringList({"/a.htm", "/n.txt", "/Y/b.htm", "/Y/c.html"}));
        // Listed by two threads, with what each folder's listing saw: a flag for
        // each file returned ("~temp.htm" is not).
        std::vector<FolderListingFacts> facts;
        QCOMPARE(relative(root, tessaly::collectFolderFiles(root, "htm", {}, 2, -1, &facts)),
                 QStringList({"/a.htm", "/Y/b.htm", "/Y/c.html"}));
        QCOMPARE(facts.size(), size_t(2));
        QCOMPARE(facts[0].folder, root + "/");
        QCOMPARE(facts[0].plain, std::vector<bool>({true}));
        QCOMPARE(facts[1].folder, root + "/Y/");
        QCOMPARE(facts[1].plain, std::vector<bool>({true, true}));
    }

    // On a worker thread: the counts come as the scan goes; a stop gives nothing.
    void collectFolderFilesOnAWorker()
    {
        testing::TempTree tree;
        tree.write({"a.htm", "Y/b.htm", "Y/Z/c.htm", "W/n.txt"}, "x");
        StopToken stop;
        FolderScanOptions options;
        options.stop = &stop;
        qsizetype folders = 0;
        qsizetype files = 0;
        options.reportFolders = [&](qsizetype found) { folders = found; };
        options.reportFiles = [&](qsizetype found) { files = found; };
        QCOMPARE(tessaly::collectFolderFiles(tree.root(), "htm", options),
                 tessaly::collectFolderFiles(tree.root(), "htm"));
        QCOMPARE(folders, 3);
        QCOMPARE(files, 3);
        stop.requestStop();
        QCOMPARE(tessaly::collectFolderFiles(tree.root(), "htm", options), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestFolderScan)
#include "tst_folder_scan.moc"
