// Path helpers and the result-path rule, with the backslash and the slash.
#include "base/paths.h"
#include "engine/result_path.h"

#include "temp_tree.h"

#include <QtTest>

using namespace tessaly;

Q_DECLARE_METATYPE(tessaly::SaveOption)

class TestPaths : public QObject {
    Q_OBJECT
private slots:
    void helpers_data();
    void helpers();
    void normalizePath_data();
    void normalizePath();
    void foldersBelow_data();
    void foldersBelow();
    void absolutePaths_data();
    void absolutePaths();
    void resultPath_data();
    void resultPath();
    void fileAndFolderTests();
    void fileNamesFromBytes_data();
    void fileNamesFromBytes();
};

void TestPaths::fileNamesFromBytes_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valid");
    QTest::newRow("ASCII") << QByteArray("a.htm") << "a.htm" << true;
    QTest::newRow("UTF-8") << QByteArray("caf\xc3\xa9.htm") << QStringLiteral("caf\u00e9.htm") << true;
    QTest::newRow("beyond the BMP") << QByteArray("\xf0\x9f\x98\x80") << QStringLiteral("\U0001F600") << true;
    QTest::newRow("Latin-1 byte") << QByteArray("caf\xe9.htm") << QStringLiteral("caf\xdce9.htm") << false;
    QTest::newRow("cut sequence") << QByteArray("a\xc3") << QStringLiteral("a\xdcc3") << false;
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xb3\xa9") << QStringLiteral("\xdced\xdcb3\xdca9") << false;
    QTest::newRow("last ASCII character") << QByteArray("a\x7f.htm") << QStringLiteral("a\x7f.htm") << true;
    QTest::newRow("first past ASCII") << QByteArray("a\xc2\x80.htm") << QStringLiteral("a\u0080.htm") << true;
    QTest::newRow("long path") << QByteArray(300, 'a') + "/b.htm" << QString(300, u'a') + "/b.htm" << true;
}

void TestPaths::fileNamesFromBytes()
{
    QFETCH(QByteArray, raw);
    QFETCH(QString, name);
    QCOMPARE(decodeFileName(raw), name);
    QTEST(isValidFileName(decodeFileName(raw)), "valid");
    QCOMPARE(encodedName(name), QFile::encodeName(name));
    // Two names that differ only where they are not UTF-8 stay apart.
    if (!isValidFileName(name))
        QVERIFY(decodeFileName(raw + "\xff") != decodeFileName(raw + "\xfe"));
}

void TestPaths::helpers_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("sep");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("stripped");
    QTest::newRow("windows file") << "C:\\site\\index.htm" << "\\" << "index.htm" << "C:\\site\\" << "htm" << "C:\\site\\index";
    QTest::newRow("two dots") << "C:\\a.b.htm" << "\\" << "a.b.htm" << "C:\\" << "htm" << "C:\\a.b";
    QTest::newRow("dot only in a folder") << "C:\\a.b\\readme" << "\\" << "readme" << "C:\\a.b\\" << "b\\readme" << "C:\\a";
    QTest::newRow("no separator, no dot") << "readme" << "\\" << "readme" << "" << "readme" << "readme";
    QTest::newRow("leading dot is not stripped") << ".htaccess" << "/" << ".htaccess" << "" << "htaccess" << ".htaccess";
    QTest::newRow("posix file") << "/srv/www/index.html" << "/" << "index.html" << "/srv/www/" << "html" << "/srv/www/index";
    QTest::newRow("ends in a dot") << "/a/x." << "/" << "x." << "/a/" << "" << "/a/x";
}

void TestPaths::helpers()
{
    QFETCH(QString, path);
    QFETCH(QString, sep);
    QTEST(GetFileName(path, sep[0]), "name");
    QTEST(GetFilePath(path, sep[0]), "folder");
    QTEST(GetFileExtension(path), "extension");
    QTEST(StripFileExtension(path), "stripped");
}

void TestPaths::foldersBelow_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("below");
    QTest::newRow("two levels") << "/site/a/b/p.htm" << "/site" << "a/b/";
    QTest::newRow("folder with its separator") << "/site/a/p.htm" << "/site/" << "a/";
    QTest::newRow("the root folder") << "/a/p.htm" << "/" << "a/";
    QTest::newRow("in the folder itself") << "/site/p.htm" << "/site" << "";
    QTest::newRow("a longer folder name") << "/site2/a/p.htm" << "/site" << "";
    QTest::newRow("not below") << "/other/a/p.htm" << "/site" << "";
}

void TestPaths::foldersBelow()
{
    QFETCH(QString, path);
    QFETCH(QString, folder);
    QTEST(tessaly::foldersBelow(path, folder, u'/').toString(), "below");
}

void TestPaths::normalizePath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("sep");
    QTest::addColumn<QString>("expected");
    QTest::newRow("doubled becomes one") << "C:\\a\\\\b" << "\\" << "C:\\a\\b";
    QTest::newRow("three become two") << "C:\\a\\\\\\b" << "\\" << "C:\\a\\\\b";
    QTest::newRow("share keeps two") << "\\\\server\\\\share" << "\\" << "\\\\server\\share";
    QTest::newRow("one leading becomes two") << "\\server\\x" << "\\" << "\\\\server\\x";
    QTest::newRow("many leading become two") << "\\\\\\\\server\\x" << "\\" << "\\\\server\\x";
    QTest::newRow("posix leading run becomes one") << "//srv//www" << "/" << "/srv/www";
    QTest::newRow("posix unchanged") << "/srv/www/a.htm" << "/" << "/srv/www/a.htm";
    QTest::newRow("empty") << "" << "/" << "";
}

void TestPaths::normalizePath()
{
    QFETCH(QString, path);
    QFETCH(QString, sep);
    QTEST(NormalizePath(path, sep[0]), "expected");
}

void TestPaths::absolutePaths_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("relative") << "/w" << "a/b.htm" << "/w/a/b.htm";
    QTest::newRow("absolute") << "/w" << "/x/b.htm" << "/x/b.htm";
    QTest::newRow("dot part") << "/w" << "./a/./b.htm" << "/w/a/b.htm";
    QTest::newRow("dot-dot part") << "/w/v" << "../a.htm" << "/w/a.htm";
    QTest::newRow("doubled separator") << "/w" << "a//b.htm" << "/w/a/b.htm";
    QTest::newRow("closing separator kept") << "/w" << "a/" << "/w/a/";
    QTest::newRow("closing dot") << "/w" << "a/." << "/w/a";
    QTest::newRow("names that start with dots") << "/w" << ".a/..b/...c" << "/w/.a/..b/...c";
    QTest::newRow("in the root folder") << "/" << "a.htm" << "/a.htm";
}

void TestPaths::absolutePaths()
{
    QFETCH(QString, current);
    QFETCH(QString, path);
    QTEST(absolutePath(current, path), "expected");
}

void TestPaths::resultPath_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<SaveOption>("save");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("sep");
    QTest::addColumn<QString>("expected");
    const auto beside = SaveOption::BesideSource;
    const auto into = SaveOption::OutputFolder;
    QTest::newRow("beside") << "C:\\site\\index.htm" << beside << "" << "\\" << "C:\\site\\index_replaced.htm";
    QTest::newRow("beside, two dots") << "C:\\a.b.htm" << beside << "" << "\\" << "C:\\a.b_replaced.htm";
    QTest::newRow("beside, share") << "\\\\srv\\s\\i.htm" << beside << "" << "\\" << "\\\\srv\\s\\i_replaced.htm";
    QTest::newRow("folder") << "C:\\site\\index.htm" << into << "D:\\out" << "\\" << "D:\\out\\index.htm";
    QTest::newRow("folder with closing separator") << "C:\\site\\index.htm" << into << "D:\\out\\" << "\\" << "D:\\out\\index.htm";
    QTest::newRow("folder is the source's own") << "C:\\site\\index.htm" << into << "C:\\site\\" << "\\" << "C:\\site\\index_replaced.htm";
    QTest::newRow("folder in another spelling") << "C:\\site\\index.htm" << into << "c:\\SITE" << "\\" << "c:\\SITE\\index.htm";
    QTest::newRow("name without a dot") << "/srv/readme" << beside << "" << "/" << "/srv/readme_replaced";
    QTest::newRow("dot only in a folder") << "/a.b/readme" << beside << "" << "/" << "/a.b/readme_replaced";
    QTest::newRow("posix beside") << "/srv/www/index.html" << beside << "" << "/" << "/srv/www/index_replaced.html";
    QTest::newRow("posix folder") << "/srv/www/index.html" << into << "/tmp/out/" << "/" << "/tmp/out/index.html";
    QTest::newRow("posix folder with two closing separators") << "/srv/www/index.html" << into << "/tmp/out//" << "/" << "/tmp/out//index.html";
    QTest::newRow("no save option") << "/srv/a.htm" << SaveOption::None << "/tmp" << "/" << "";
}

void TestPaths::resultPath()
{
    QFETCH(QString, source);
    QFETCH(SaveOption, save);
    QFETCH(QString, folder);
    QFETCH(QString, sep);
    QTEST(composeResultPath(source, save, folder, sep[0]), "expected");
}

void TestPaths::fileAndFolderTests()
{
    const testing::TempTree tree;
    const QString file = tree.write("a.htm", "x");
    QVERIFY(FileExists(file));
    QVERIFY(FileExists(tree.root()));
    QVERIFY(!FileExists(tree.path("*.htm")));
    QVERIFY(!FileExists(QString()));
    QVERIFY(FolderExists(tree.root()));
    QVERIFY(!FolderExists(file));
    QVERIFY(!FolderExists(tree.path("missing")));
    QVERIFY(!FolderExists(QString()));
}

QTEST_GUILESS_MAIN(TestPaths)
#include "tst_paths.moc"
