// tessaly-cli: parsing, report lines, result bytes and untouched sources in this
// process; exit codes and a lost report as a process.
#include "cli_run.h"
#include "temp_tree.h"
#include "test_files.h"

#include "cli/cli_main.h"
#include "cli/command_line.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QtTest>

using testing::readBytes;

using testing::CliRun;
using testing::runCli;
using testing::runCliProcess;

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void init();
    void usageErrors_data();
    void usageErrors();
    void parsesWithoutLookingAtFiles_data();
    void parsesWithoutLookingAtFiles();
    void reportsEveryFileInOrder();
    void wholeFileAndViewableText();
    void outputFolder();
    void setsFile();
    void dryRunWritesNothing();
    void failedFileGivesExitOne();
    void manyFilesInParallelKeepTheirOrder();
    void folderPathIsScannedBreadthFirst();
    void folderPathWithEveryExtension();
    void folderPathMixedWithFiles();
    void foldersAmongManyNames();
    void folderFilesAreRunSources();
    void filesOfEveryListedFolderAreRunSources();
    void diffHunks_data();
    void diffHunks();
    void diffOutput_data();
    void diffOutput();
    void keepTree_data();
    void keepTree();
    void colonPathsAreFiles();
    void findTextThatLooksLikeAnOption_data();
    void findTextThatLooksLikeAnOption();
    void emptyNameIsNoFolder();
    void namesThatAreNotUtf8Fail();
    void helpNamesFolderPaths();
    void exitCodesOfTheProgram();
    void folderWithoutFilesIsAnEmptyRun_data();
    void folderWithoutFilesIsAnEmptyRun();
    void controlCharactersInNamesAreEscaped();
    void loneCrDiffAppliesWithPatch();
    void invalidUtf32ValuesAreReportedAsSuch();
    void reportStreamThatFailsOnce();
    void lostReportIsAnError_data();
    void lostReportIsAnError();
    void lostReportInProcess();

private:
    std::unique_ptr<testing::TempTree> m_tree;
    QString path(const QString &name) const { return m_tree->path(name); }
};

void TestCli::init()
{
    m_tree = std::make_unique<testing::TempTree>();
    m_tree->write("a.htm", "<title>Acme</title><body>Acme <b>Acme</b></body>");
}

void TestCli::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown option") << QStringList{"--frobnicate", "-f", "x", "a.htm"} << "frobnicate";
    QTest::newRow("missing value") << QStringList{"a.htm", "-f"} << "";
    QTest::newRow("no PATH") << QStringList{"-f", "x"} << "No PATH";
    QTest::newRow("neither find nor sets") << QStringList{"a.htm"} << "exactly one";
    QTest::newRow("both find and sets") << QStringList{"-f", "x", "-s", "sets.txt", "a.htm"} << "exactly one";
    QTest::newRow("unreadable sets file") << QStringList{"-s", "missing.txt", "a.htm"} << "missing.txt";
    QTest::newRow("missing output folder") << QStringList{"-f", "x", "-o", "nowhere", "a.htm"} << "Folder does not exist. Please select another folder.";
    QTest::newRow("unknown code page") << QStringList{"-f", "x", "--code-page", "koi8", "a.htm"} << "koi8";
    QTest::newRow("no jobs") << QStringList{"-f", "x", "-j", "0", "a.htm"} << "--jobs needs a number from 1 to 256";
    QTest::newRow("too many jobs") << QStringList{"-f", "x", "-j", "257", "a.htm"} << "--jobs needs a number from 1 to 256";
    QTest::newRow("empty extension") << QStringList{"-f", "x", "-e", "", "a.htm"} << "--extension";
    QTest::newRow("context without --diff") << QStringList{"-f", "x", "-U", "1", "a.htm"} << "go with --diff";
    QTest::newRow("colour without --diff") << QStringList{"-f", "x", "--color=always", "a.htm"} << "go with --diff";
    QTest::newRow("negative context") << QStringList{"--diff", "-f", "x", "-U", "-1", "a.htm"} << "--unified needs";
    QTest::newRow("--keep-tree without -o") << QStringList{"--keep-tree", "-f", "x", "a.htm"} << "--keep-tree goes with --output-dir";
    QTest::newRow("unknown colour choice") << QStringList{"--diff", "-f", "x", "--color=blue", "a.htm"} << "auto, always or never";
    QTest::newRow("bare --color without --diff") << QStringList{"-f", "x", "--color", "a.htm"} << "go with --diff";
    QTest::newRow("--base without --keep-tree") << QStringList{"-o", ".", "--base", ".", "-f", "x", "a.htm"} << "--base goes with --keep-tree";
    QTest::newRow("missing --base folder") << QStringList{"--keep-tree", "-o", ".", "--base", "nowhere", "-f", "x", "a.htm"} << "--base: nowhere: no such folder";
    QTest::newRow("--null without a list") << QStringList{"-0", "-f", "x", "a.htm"} << "--null goes with --files-from";
    QTest::newRow("unreadable list") << QStringList{"--files-from", "missing.txt", "-f", "x"} << "--files-from: missing.txt: No such file or directory";
    QTest::newRow("list that is a folder") << QStringList{"--files-from", ".", "-f", "x"} << "--files-from: .: Is a directory";
    QTest::newRow("--json with --diff") << QStringList{"--json", "--diff", "-f", "x", "a.htm"} << "--json does not go with --diff";
}

void TestCli::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const CliRun run = runCli(arguments, m_tree->root());
    CLI_EXIT(run, 2);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
    QVERIFY(!QFile::exists(path("a_replaced.htm")));
}

void TestCli::parsesWithoutLookingAtFiles_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("parsed");
    QTest::newRow("bare --color") << QStringList{"--diff", "--color", "-f", "x", "a.htm"}
                                  << "find=x colors=always paths=a.htm";
    QTest::newRow("--color as the value of --find") << QStringList{"--diff", "-f", "--color", "a.htm"}
                                                    << "find=--color colors=auto paths=a.htm";
    QTest::newRow("--color as the value of -nf") << QStringList{"--diff", "-nf", "--color", "a.htm"}
                                                 << "find=--color colors=auto paths=a.htm";
    QTest::newRow("value run into -f") << QStringList{"--diff", "-fx", "--color", "a.htm"}
                                       << "find=x colors=always paths=a.htm";
    QTest::newRow("--color after --") << QStringList{"--diff", "-f", "x", "--", "--color"}
                                      << "find=x colors=auto paths=--color";
    QTest::newRow("a name with a colon") << QStringList{"-f", "x", ":a.htm"} << "find=x colors=auto paths=:a.htm";
    QTest::newRow("names that are not there")
        << QStringList{"-s", "no.txt", "-o", "nowhere", "--keep-tree", "--base", "gone", "--files-from", "-", "-0"}
        << "sets=no.txt out=nowhere base=gone lists=- (NUL) colors=auto paths=";
    QTest::newRow("a mistake on the line before a missing set file")
        << QStringList{"-s", "no.txt", "--keep-tree", "a.htm"} << "--keep-tree goes with --output-dir.";
}

// The parser is a table: what it makes of each command line, or its usage error.
void TestCli::parsesWithoutLookingAtFiles()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, parsed);
    const auto result = tessaly::cli::parseCommandLine(QStringList{"tessaly-cli"} + arguments);
    if (const auto *error = std::get_if<tessaly::cli::UsageError>(&result)) {
        QCOMPARE(error->message, parsed);
        return;
    }
    const auto &line = std::get<tessaly::cli::CommandLine>(result);
    QStringList shown{line.setFile ? "sets=" + *line.setFile : "find=" + line.options.sets.value(0).find};
    if (line.outputFolder)
        shown << "out=" + *line.outputFolder;
    if (line.baseFolder)
        shown << "base=" + *line.baseFolder;
    if (!line.lists.isEmpty())
        shown << "lists=" + line.lists.join(u',') + (line.listSeparator == '\0' ? " (NUL)" : "");
    const char *colors[] = {"auto", "always", "never"};
    shown << QStringLiteral("colors=%1").arg(QLatin1String(colors[int(line.options.colors)]))
          << "paths=" + line.options.paths.join(u',');
    QCOMPARE(shown.join(u' '), parsed);
}

void TestCli::reportsEveryFileInOrder()
{
    m_tree->write("empty.htm", QByteArray());
    const CliRun run = runCli({"-f", "Acme", "-r", "Zen", "a.htm", "missing.htm", "empty.htm"}, m_tree->root());
    CLI_EXIT(run, 0);
    QCOMPARE(run.out, QStringLiteral("a.htm -> %1 (2 replacements)\nmissing.htm: skipped (missing)\nempty.htm: skipped (empty)\n")
                          .arg(path("a_replaced.htm")));
    QVERIFY(run.err.contains(QStringLiteral("3 files: 1 written, 2 skipped, 0 failed")));
}

void TestCli::wholeFileAndViewableText()
{
    const QByteArray source = readBytes(path("a.htm"));
    QCOMPARE(runCli({"-f", "Acme", "-r", "Zen", "a.htm"}, m_tree->root()).exitCode, 0);
    QCOMPARE(readBytes(path("a_replaced.htm")), QByteArray("<title>Acme</title><body>Zen <b>Zen</b></body>"));
    QCOMPARE(runCli({"--whole-file", "-f", "Acme", "-r", "Zen", "a.htm"}, m_tree->root()).exitCode, 0);
    QCOMPARE(readBytes(path("a_replaced.htm")), QByteArray("<title>Zen</title><body>Zen <b>Zen</b></body>"));
    QCOMPARE(readBytes(path("a.htm")), source);
}

void TestCli::outputFolder()
{
    QDir(m_tree->root()).mkdir("out");
    const CliRun run = runCli({"-q", "-w", "-f", "Acme", "-o", "out", "a.htm"}, m_tree->root());
    CLI_EXIT(run, 0);
    QVERIFY(run.out.isEmpty());
    QCOMPARE(readBytes(path("out/a.htm")), QByteArray("<title></title><body> <b></b></body>"));
}

void TestCli::setsFile()
{
    m_tree->write("sets.txt", "Acme,B\r\nnot a set\r\nB,C\r\n");
    const CliRun run = runCli({"-w", "-s", "sets.txt", "--separator", ",", "a.htm"}, m_tree->root());
    CLI_EXIT(run, 0);
    QCOMPARE(readBytes(path("a_replaced.htm")), QByteArray("<title>C</title><body>C <b>C</b></body>"));
}

void TestCli::dryRunWritesNothing()
{
    const CliRun run = runCli({"-n", "-f", "Acme", "a.htm"}, m_tree->root());
    CLI_EXIT(run, 0);
    QVERIFY(run.out.contains(QStringLiteral("(2 replacements, dry run)")));
    QCOMPARE(QDir(m_tree->root()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.htm"});
}

void TestCli::failedFileGivesExitOne()
{
    QDir(m_tree->root()).mkdir("a_replaced.htm");
    m_tree->write("b.htm", "b");
    const CliRun run = runCli({"-w", "-f", "b", "-r", "c", "a.htm", "b.htm"}, m_tree->root());
    CLI_EXIT(run, 1);
    QVERIFY(run.out.startsWith(QStringLiteral("a.htm: failed (")));
    QCOMPARE(readBytes(path("b_replaced.htm")), QByteArray("c"));
}

void TestCli::manyFilesInParallelKeepTheirOrder()
{
    QStringList arguments{"-j", "4", "-w", "-f", "x", "-r", "y"};
    QString expected;
    for (int i = 0; i < 200; ++i) {
        const QString name = QStringLiteral("f%1.htm").arg(i);
        m_tree->write(name, QByteArray(i + 1, 'x'));
        arguments << name;
        expected += QStringLiteral("%1 -> %2 (%3 %4)\n").arg(name, path(QStringLiteral("f%1_replaced.htm").arg(i))).arg(i + 1).arg(i == 0 ? "replacement" : "replacements");
    }
    const CliRun run = runCli(arguments, m_tree->root());
    CLI_EXIT(run, 0);
    QCOMPARE(run.out, expected);
    QCOMPARE(readBytes(path("f99_replaced.htm")), QByteArray(100, 'y'));
}

namespace {

// The source paths of a run's report lines, in order.
QStringList sourcesOf(const QString &out)
{
    QStringList sources;
    const QStringList lines = out.split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : lines)
        sources.append(line.section(QStringLiteral(" -> "), 0, 0).section(QStringLiteral(": "), 0, 0));
    return sources;
}

} // namespace

void TestCli::folderPathIsScannedBreadthFirst()
{
    // site/ with a.htm and ~temp.htm, sub-folders A (with A1) and B (with B1):
    // the folder first, then its children, then its grandchildren.
    QDir root(m_tree->root());
    for (const char *folder : {"site/A/A1", "site/B/B1", "site/.hidden"})
        root.mkpath(QString::fromLatin1(folder));
    for (const char *file : {"site/a.htm", "site/~temp.htm", "site/notes.txt", "site/A/x.htm", "site/A/A1/deep.htm",
                             "site/B/B1/deeper.HTM", "site/B/~lock.htm", "site/.hidden/h.htm"})
        m_tree->write(QString::fromLatin1(file), "<body>x</body>");
    const CliRun run = runCli({"-n", "-f", "x", "site"}, m_tree->root());
    CLI_EXIT(run, 0);
    QCOMPARE(sourcesOf(run.out), (QStringList{"site/a.htm", "site/.hidden/h.htm", "site/A/x.htm", "site/A/A1/deep.htm",
                                              "site/B/B1/deeper.HTM"}));
    QVERIFY(run.err.contains(QStringLiteral("5 files: 5 would be written")));
    // With a trailing separator the rows are the same.
    QCOMPARE(sourcesOf(runCli({"-n", "-f", "x", "site/"}, m_tree->root()).out), sourcesOf(run.out));
}

void TestCli::folderPathWithEveryExtension()
{
    QDir(m_tree->root()).mkpath("site/sub");
    for (const char *file : {"site/a.htm", "site/b.txt", "site/noext", "site/~c.txt", "site/sub/d.html"})
        m_tree->write(QString::fromLatin1(file), "x");
    CliRun run = runCli({"-n", "-f", "x", "--extension", "*", "site"}, m_tree->root());
    CLI_EXIT(run, 0);
    QCOMPARE(sourcesOf(run.out), (QStringList{"site/a.htm", "site/b.txt", "site/noext", "site/sub/d.html"}));
    run = runCli({"-n", "-f", "x", "-e", "txt", "site"}, m_tree->root());
    QCOMPARE(sourcesOf(run.out), QStringList{"site/b.txt"});
    run = runCli({"-n", "-f", "x", "-e", "html", "site"}, m_tree->root());
    QCOMPARE(sourcesOf(run.out), QStringList{"site/sub/d.html"});
}

void TestCli::folderPathMixedWithFiles()
{
    QDir(m_tree->root()).mkpath("one");
    QDir(m_tree->root()).mkpath("two");
    m_tree->write("one/b.htm", "x");
    m_tree->write("two/c.htm", "x");
    m_tree->write("two/~d.htm", "x");
    // Files stay where they stand, each folder's files take its place; a file
    // named "~" is used as given; an empty folder adds nothing.
    QDir(m_tree->root()).mkpath("empty");
    m_tree->write("~e.htm", "x");
    const CliRun run = runCli({"-w", "-f", "x", "-r", "y", "two", "a.htm", "empty", "~e.htm", "one", "two/~d.htm"},
                           m_tree->root());
    CLI_EXIT(run, 0);
    QCOMPARE(sourcesOf(run.out), (QStringList{"two/c.htm", "a.htm", "~e.htm", "one/b.htm", "two/~d.htm"}));
    QCOMPARE(readBytes(path("one/b_replaced.htm")), QByteArray("y"));
    QCOMPARE(readBytes(path("two/c_replaced.htm")), QByteArray("y"));
    QCOMPARE(readBytes(path("one/b.htm")), QByteArray("x"));
}

// A long list is looked at in blocks by several threads: a folder anywhere in it
// still takes its place.
void TestCli::foldersAmongManyNames()
{
    m_tree->write("one/b.htm", "x");
    m_tree->write("two/c.htm", "x");
    QStringList names;
    for (int i = 0; i < 600; ++i)
        names << QStringLiteral("missing%1.htm").arg(i);
    QStringList expected = names;
    names[0] = "one";
    expected[0] = "one/b.htm";
    // The last name of the second block leads to its folder through a link.
    QVERIFY(QFile::link("two", path("to-two")));
    names[511] = "to-two";
    expected[511] = "to-two/c.htm";
    const CliRun run = runCli(QStringList{"-n", "-j", "2", "-f", "x", "-r", "y"} + names, m_tree->root());
    CLI_EXIT(run, 0);
    QCOMPARE(sourcesOf(run.out), expected);
}

void TestCli::folderFilesAreRunSources()
{
    // A source of the run is never overwritten: site/index.htm and site/sub/index.htm both go to the output folder
    // "site", which holds the first as a source of this run. The first is written
    // under its _replaced name; the second would overwrite the first source and fails.
    QDir(m_tree->root()).mkpath("site/sub");
    m_tree->write("site/index.htm", "top");
    m_tree->write("site/sub/index.htm", "sub");
    const CliRun run = runCli({"-w", "-f", "o", "-r", "0", "-o", "site", "site"}, m_tree->root());
    CLI_EXIT(run, 1);
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].startsWith(QStringLiteral("site/index.htm -> ")), qPrintable(lines[0]));
    QVERIFY2(lines[1].startsWith(QStringLiteral("site/sub/index.htm: failed (")), qPrintable(lines[1]));
    QVERIFY(lines[1].contains(QStringLiteral("source file of this run")));
    QCOMPARE(readBytes(path("site/index.htm")), QByteArray("top"));
    QCOMPARE(readBytes(path("site/index_replaced.htm")), QByteArray("t0p"));
    QCOMPARE(readBytes(path("site/sub/index.htm")), QByteArray("sub"));
}

// The files found in listed folders are recorded wherever the folders stand in
// the list: a/index.htm's result would replace b/index.htm, a source.
void TestCli::filesOfEveryListedFolderAreRunSources()
{
    m_tree->write("x.htm", "x");
    m_tree->write("a/index.htm", "a");
    m_tree->write("b/index.htm", "b");
    const CliRun run = runCli({"-w", "-f", "a", "-r", "0", "-o", "b", "x.htm", "a", "b"}, m_tree->root());
    CLI_EXIT(run, 1);
    QVERIFY2(run.out.contains("a/index.htm: failed (") && run.out.contains("source file of this run"),
             qPrintable(run.out));
    QCOMPARE(readBytes(path("b/index.htm")), QByteArray("b"));

    // Under another name too: out/x.htm is a second name of a/index.htm, found in
    // its folder's listing.
    QVERIFY(QDir(m_tree->root()).mkpath("out"));
    QCOMPARE(::link(QFile::encodeName(path("a/index.htm")).constData(), QFile::encodeName(path("out/x.htm")).constData()), 0);
    const CliRun second = runCli({"-w", "-f", "x", "-r", "0", "-o", "out", "x.htm", "a"}, m_tree->root());
    CLI_EXIT(second, 1);
    QVERIFY2(second.out.contains("x.htm: failed (") && second.out.contains("source file of this run"),
             qPrintable(second.out));
    QCOMPARE(readBytes(path("a/index.htm")), QByteArray("a"));
}

// The expected diffs are GNU diff -u's of the decoded texts, with these headers.
void TestCli::diffHunks_data()
{
    QTest::addColumn<QStringList>("context");
    QTest::addColumn<QString>("expected");  // DIR stands for the test's folder
    const QString headers[] = {"--- plain.htm\n+++ DIR/plain_replaced.htm\n", "--- utf16.htm\n+++ DIR/utf16_replaced.htm\n",
                               "--- cp1252.htm\n+++ DIR/cp1252_replaced.htm\n"};
    QTest::newRow("3 lines of context")
        << QStringList() << headers[0] + "@@ -1,10 +1,10 @@\n <p>line 1</p>\n-<p>line 2 Acme</p>\n+<p>line 2 Zenith</p>\n"
           " <p>line 3</p>\n <p>line 4</p>\n <p>line 5</p>\n <p>line 6</p>\n <p>line 7</p>\n <p>line 8</p>\n"
           "-<p>line 9 Acme</p>\n+<p>line 9 Zenith</p>\n <p>line 10</p>\n"
           + headers[1] + "@@ -1,3 +1,3 @@\n-<p>Grüße von Acme</p>\r\n+<p>Grüße von Zenith</p>\r\n <p>ß</p>\r\n"
           "-<p>Acme ∑</p>\n\\ No newline at end of file\n+<p>Zenith ∑</p>\n\\ No newline at end of file\n"
           + headers[2] + "@@ -1,2 +1,2 @@\n-<p>café Acme</p>\r\n+<p>café Zenith</p>\r\n <p>€ 5</p>\r\n";
    QTest::newRow("-U 0")
        << QStringList{"-U", "0"} << headers[0] + "@@ -2 +2 @@\n-<p>line 2 Acme</p>\n+<p>line 2 Zenith</p>\n"
           "@@ -9 +9 @@\n-<p>line 9 Acme</p>\n+<p>line 9 Zenith</p>\n"
           + headers[1] + "@@ -1 +1 @@\n-<p>Grüße von Acme</p>\r\n+<p>Grüße von Zenith</p>\r\n"
           "@@ -3 +3 @@\n-<p>Acme ∑</p>\n\\ No newline at end of file\n+<p>Zenith ∑</p>\n\\ No newline at end of file\n"
           + headers[2] + "@@ -1 +1 @@\n-<p>café Acme</p>\r\n+<p>café Zenith</p>\r\n";
    QTest::newRow("--unified=1")
        << QStringList{"--unified=1"} << headers[0] + "@@ -1,3 +1,3 @@\n <p>line 1</p>\n-<p>line 2 Acme</p>\n"
           "+<p>line 2 Zenith</p>\n <p>line 3</p>\n@@ -8,3 +8,3 @@\n <p>line 8</p>\n-<p>line 9 Acme</p>\n"
           "+<p>line 9 Zenith</p>\n <p>line 10</p>\n"
           + headers[1] + "@@ -1,3 +1,3 @@\n-<p>Grüße von Acme</p>\r\n+<p>Grüße von Zenith</p>\r\n <p>ß</p>\r\n"
           "-<p>Acme ∑</p>\n\\ No newline at end of file\n+<p>Zenith ∑</p>\n\\ No newline at end of file\n"
           + headers[2] + "@@ -1,2 +1,2 @@\n-<p>café Acme</p>\r\n+<p>café Zenith</p>\r\n <p>€ 5</p>\r\n";
}

void TestCli::diffHunks()
{
    QFETCH(QStringList, context);
    QFETCH(QString, expected);
    QByteArray plain;
    for (int i = 1; i <= 10; ++i)
        plain += "<p>line " + QByteArray::number(i) + (i == 2 || i == 9 ? " Acme" : "") + "</p>\n";
    m_tree->write("plain.htm", plain);
    const QString utf16 = QStringLiteral("<p>Grüße von Acme</p>\r\n<p>ß</p>\r\n<p>Acme ∑</p>");
    m_tree->write("utf16.htm", "\xff\xfe" + QByteArray(reinterpret_cast<const char *>(utf16.utf16()), utf16.size() * 2));
    m_tree->write("cp1252.htm", "<p>caf\xe9 Acme</p>\r\n<p>\x80 5</p>\r\n");
    // Neither a file without change nor one whose job fails prints anything.
    m_tree->write("same.htm", "<p>nothing</p>\n");
    m_tree->write("blocked.htm", "Acme\n");
    QDir(m_tree->root()).mkdir("blocked_replaced.htm");
    const CliRun run = runCli(QStringList{"--diff", "-n", "-w", "--code-page", "windows-1252", "-f", "Acme", "-r", "Zenith"}
                                  + context + QStringList{"plain.htm", "same.htm", "blocked.htm", "utf16.htm", "cp1252.htm"},
                              m_tree->root());
    CLI_EXIT(run, 1);
    QCOMPARE(run.out, expected.replace(QStringLiteral("DIR"), m_tree->root()));
    CLI_VERIFY(run, run.err.contains(QStringLiteral("blocked.htm: would fail (")));
}

void TestCli::diffOutput_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("ansi");
    QTest::addColumn<bool>("writes");
    QTest::newRow("dry run") << QStringList{"-n"} << false << false;
    QTest::newRow("dry run, --color=always") << QStringList{"-n", "--color=always"} << true << false;
    QTest::newRow("--color=never") << QStringList{"--color=never"} << false << true;
    QTest::newRow("--color=auto, not a terminal") << QStringList{"--color=auto"} << false << true;
}

// Standard output carries the diff alone; the per-file lines and the summary go
// to standard error.
void TestCli::diffOutput()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, ansi);
    QFETCH(bool, writes);
    const CliRun run = runCli(QStringList{"--diff", "-f", "Acme", "-r", "Zen"} + arguments + QStringList{"a.htm"}, m_tree->root());
    CLI_EXIT(run, 0);
    const QString bold = ansi ? QStringLiteral("\x1b[1m") : QString();
    CLI_VERIFY(run, run.out.startsWith(bold + QStringLiteral("--- a.htm")));
    CLI_VERIFY(run, run.out.contains(QStringLiteral("\x1b[")) == ansi);
    CLI_VERIFY(run, run.out.contains(QStringLiteral("<body>Zen <b>Zen</b></body>")) == !ansi);
    CLI_VERIFY(run, !run.out.contains(QStringLiteral(" -> ")));
    CLI_VERIFY(run, run.err.startsWith(QStringLiteral("a.htm -> %1 (2 replacements").arg(path("a_replaced.htm"))));
    CLI_VERIFY(run, run.err.contains(QStringLiteral("1 file: 1 ")));
    QCOMPARE(QDir(m_tree->root()).entryList(QDir::Files | QDir::Hidden).size(), writes ? 2 : 1);
}

void TestCli::keepTree_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("results");  // below out/, in list order; "" for a file that fails
    QTest::addColumn<bool>("written");
    QTest::addColumn<QString>("folder");  // the folder PATH as given
    const QStringList mirrored{"index.htm", "A/index.htm", "B/index.htm", "B/C/index.htm", "page.txt"};
    QTest::newRow("mirrored") << QStringList{"--keep-tree"} << mirrored << true << "site";
    QTest::newRow("mirrored, folder given as site/") << QStringList{"--keep-tree"} << mirrored << true << "site/";
    QTest::newRow("mirrored, dry run") << QStringList{"--keep-tree", "-n"} << mirrored << false << "site";
    // Without it the same-named pages would replace each other's results.
    QTest::newRow("all in one folder") << QStringList() << QStringList{"index.htm", "", "", "", "page.txt"} << true
                                       << "site";
}

// The folder PATH site/ and the file PATH site/B/page.txt, which keeps its
// place directly in the output folder.
void TestCli::keepTree()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, results);
    QFETCH(bool, written);
    QFETCH(QString, folder);
    const QStringList sources{"site/index.htm", "site/A/index.htm", "site/B/index.htm", "site/B/C/index.htm", "site/B/page.txt"};
    for (const QString &source : sources) {
        QDir(m_tree->root()).mkpath(QFileInfo(source).path());
        m_tree->write(source, "Acme " + source.toUtf8());
    }
    QDir(m_tree->root()).mkdir("out");
    // A group-writable umask: new folders get exactly what mkdir gives them.
    const mode_t mask = ::umask(002);
    const CliRun run = runCli(QStringList{"-w", "-f", "Acme", "-r", "Zen", "-o", "out"} + arguments
                                  + QStringList{folder, "site/B/page.txt"}, m_tree->root());
    ::umask(mask);
    CLI_EXIT(run, results.contains(QString()) ? 1 : 0);
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    CLI_VERIFY(run, lines.size() == sources.size());
    for (qsizetype i = 0; i < sources.size(); ++i) {
        if (results[i].isEmpty()) {
            CLI_VERIFY(run, lines[i].startsWith(sources[i] + QStringLiteral(": failed (")));
            continue;
        }
        CLI_VERIFY(run, lines[i].startsWith(QStringLiteral("%1 -> %2 (").arg(sources[i], path("out/" + results[i]))));
        if (written)
            QCOMPARE(readBytes(path("out/" + results[i])), "Zen " + sources[i].toUtf8());
    }
    if (!written)
        QVERIFY(QDir(path("out")).isEmpty());
    else if (arguments.contains("--keep-tree")) {
        // A new folder gets what mkdir gives it: 0777 less the umask.
        struct stat info {};
        QVERIFY(::stat(QFile::encodeName(path("out/B/C")).constData(), &info) == 0);
        QCOMPARE(info.st_mode & 0777, 0775u);
    }
}

void TestCli::colonPathsAreFiles()
{
    QVERIFY(QDir().mkdir(m_tree->root() + "/:d"));
    QVERIFY(QDir().mkdir(m_tree->root() + "/:s"));
    // QDir takes ":x.htm" for a resource path too: the test spells the path out.
    testing::writeBytes(m_tree->root() + "/:x.htm", "a a");
    testing::writeBytes(m_tree->root() + "/:s/y.htm", "a");
    testing::writeBytes(m_tree->root() + "/:e.htm", "");
    testing::writeBytes(m_tree->root() + "/list", ":e.htm\n");
    const CliRun run = runCliProcess({"-w", "-f", "a", "-r", "b", "-o", ":d", ":x.htm", ":s", "--files-from", "list"},
                                     m_tree->root());
    CLI_EXIT(run, 0);
    QCOMPARE(testing::readBytes(m_tree->root() + "/:d/:x.htm"), QByteArray("b b"));
    QCOMPARE(testing::readBytes(m_tree->root() + "/:d/y.htm"), QByteArray("b"));
    // Each is reported as it was given.
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    CLI_VERIFY(run, lines.size() == 3 && lines[0].startsWith(":x.htm -> ") && lines[1].startsWith(":s/y.htm -> ")
                        && lines[2] == ":e.htm: skipped (empty)");
}

// The program as started by a shell: "--color" after -f is the text to find,
// whatever form the option takes, with or without --diff.
void TestCli::findTextThatLooksLikeAnOption_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("diff");  // expected on standard output with --diff
    QTest::newRow("-f --color") << QStringList{"-f", "--color", "-r", "X"} << QString();
    QTest::newRow("-nf --color, --diff") << QStringList{"--diff", "--color=never", "-nf", "--color", "-r", "X"}
                                         << "-<body>a --color b</body>\n+<body>a X b</body>\n";
    QTest::newRow("--find --color, --diff") << QStringList{"--diff", "--find", "--color", "-r", "X"}
                                            << "-<body>a --color b</body>\n+<body>a X b</body>\n";
}

void TestCli::findTextThatLooksLikeAnOption()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, diff);
    m_tree->write("c.htm", "<body>a --color b</body>\n");
    const CliRun run = runCliProcess(QStringList{"-n"} + arguments + QStringList{"c.htm"}, m_tree->root());
    CLI_EXIT(run, 0);
    CLI_VERIFY(run, (diff.isEmpty() ? run.out : run.err).startsWith("c.htm -> ")
                        && (diff.isEmpty() ? run.out : run.err).contains("(1 replacement, dry run)"));
    CLI_VERIFY(run, run.out.endsWith(diff));
}

// "" names no file; it must not be taken for the working folder and scanned.
void TestCli::emptyNameIsNoFolder()
{
    m_tree->write("a.htm", "a");
    const CliRun run = runCli({"-n", "-f", "a", "-r", "b", ""}, m_tree->root());
    CLI_EXIT(run, 1);
    QCOMPARE(run.out.count(u'\n'), 1);
    QVERIFY2(run.out.startsWith(": failed (") && !run.out.contains("a.htm"), qPrintable(run.out));
}

// Names read from a scan and given in-process as the command line decodes them:
// each fails on its own, the real café.htm is processed once.
void TestCli::namesThatAreNotUtf8Fail()
{
    const QByteArray site = QFile::encodeName(path("site"));
    for (const QByteArray &folder : {site, site + "/b\x01" "d", site + "/x\xff"})
        QVERIFY(::mkdir(folder.constData(), 0755) == 0);
    for (const QByteArray &file : {site + "/caf\xe9.htm", site + "/caf\xe8.htm"}) {
        const int fd = ::open(file.constData(), O_CREAT | O_WRONLY, 0644);
        QVERIFY(fd >= 0 && ::write(fd, "a", 1) == 1 && ::close(fd) == 0);
    }
    const auto removeNames = qScopeGuard([&] {
        for (const char *name : {"/caf\xe9.htm", "/caf\xe8.htm", "/x\xff", "/b\x01" "d"})
            ::remove((site + name).constData());  // the tree's removal cannot name them
    });
    m_tree->write("site/caf\u00e9.htm", "a");
    const QString invalid = QStringLiteral("caf") + QChar(char16_t(0xDCE9)) + QStringLiteral(".htm");
    const struct {
        CliRun run;
        int failed;
    } runs[] = {{runCliProcess({"-n", "-w", "-f", "a", "site"}, m_tree->root()), 2},
                {runCli({"-n", "-w", "-f", "a", "site/" + invalid, "site/caf\u00e9.htm"}, m_tree->root()), 1}};
    for (const auto &[run, failed] : runs) {
        CLI_EXIT(run, 1);
        CLI_VERIFY(run, run.out.count(": failed (file name is not valid UTF-8)") == failed);
        CLI_VERIFY(run, run.out.count(QStringLiteral("caf\u00e9.htm")) == 1);
    }
    const CliRun &scan = runs[0].run;
    CLI_VERIFY(scan, scan.err.contains("d/: folder skipped (name holds a control character)\n"));
    CLI_VERIFY(scan, scan.err.contains("/: folder skipped (name is not valid UTF-8)\n"));
}

void TestCli::helpNamesFolderPaths()
{
    const CliRun run = runCli({"--help"}, m_tree->root());
    CLI_EXIT(run, 0);
    QVERIFY(run.out.contains(QStringLiteral("-e, --extension EXT")));
    QVERIFY(run.out.contains(QStringLiteral("A PATH that is a folder")));
    for (const char *option : {"--diff", "-U, --unified=N", "--color[=WHEN]", "--keep-tree", "--base BASE",
                               "--files-from FILE", "-0, --null", "--json", "\"source_bytes\""})
        QVERIFY2(run.out.contains(QLatin1String(option)), option);
}

void TestCli::exitCodesOfTheProgram()
{
    CliRun run = runCliProcess({"-f", "Acme", "-r", "Zen", "a.htm"}, m_tree->root());
    CLI_EXIT(run, 0);
    CLI_VERIFY(run, run.out.startsWith(QStringLiteral("a.htm -> ")));
    run = runCliProcess({"--frobnicate", "a.htm"}, m_tree->root());
    CLI_EXIT(run, 2);
    CLI_VERIFY(run, run.err.contains(QStringLiteral("Try 'tessaly-cli --help'")));
    QDir(m_tree->root()).mkdir("b_replaced.htm");
    m_tree->write("b.htm", "b");
    run = runCliProcess({"-f", "b", "b.htm"}, m_tree->root());
    CLI_EXIT(run, 1);
    CLI_VERIFY(run, !run.crashed);
}

void TestCli::folderWithoutFilesIsAnEmptyRun_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::newRow("empty folder") << QStringList();
    QTest::newRow("other extensions only") << QStringList{"a.txt", "b.css"};
    QTest::newRow("\"~\" names only") << QStringList{"~a.htm"};
}
void TestCli::folderWithoutFilesIsAnEmptyRun()
{
    QFETCH(QStringList, names);
    QVERIFY(QDir(m_tree->root()).mkdir("e"));
    for (const QString &name : names)
        m_tree->write("e/" + name, "a");
    const CliRun run = runCliProcess({"-n", "-f", "a", "-r", "b", "e"}, m_tree->root());
    CLI_EXIT(run, 0);
    QCOMPARE(run.err, QStringLiteral("0 files: 0 would be written, 0 skipped, 0 failed; 0 replacements\n"));
}

// A name's control characters reach neither the terminal nor the report raw: a
// name could otherwise set the terminal's title or forge a report line.
void TestCli::controlCharactersInNamesAreEscaped()
{
    const QString name = QStringLiteral("a\x1b]0;owned\x07\nb.htm: skipped (missing)\r.htm");
    m_tree->write(name, "<body>Acme</body>");
    const CliRun lines = runCli({"-n", "-f", "Acme", "-r", "B", name}, m_tree->root());
    CLI_EXIT(lines, 0);
    const QString shown = QStringLiteral("a\\e]0;owned\\a\\nb.htm: skipped (missing)\\r.htm");
    CLI_VERIFY(lines, lines.out.startsWith(shown + " -> ") && lines.out.count('\n') == 1);
    const CliRun diff = runCli({"-n", "--diff", "--color=never", "-f", "Acme", "-r", "B", name}, m_tree->root());
    CLI_VERIFY(diff, diff.out.startsWith("--- " + shown + "\n+++ "));
    CLI_VERIFY(diff, !diff.out.contains(QChar(0x1b)) && !diff.err.contains(QChar(0x1b)));
}

// Lines that end in a lone CR are one line to patch, as to diff: the diff applies.
void TestCli::loneCrDiffAppliesWithPatch()
{
    const QByteArray page = "<body>\r<p>Acme</p>\r<p>two</p>\r<p>Acme</p>\r</body>\r";
    m_tree->write("cr.htm", page);
    m_tree->write("copy.htm", page);
    const CliRun run = testing::runShell("\"$CLI\" -n --diff --color=never -f Acme -r Zenith cr.htm > cr.diff"
                                         " && patch -s copy.htm cr.diff",
                                         m_tree->root());
    CLI_EXIT(run, 0);
    QCOMPARE(testing::readBytes(path("copy.htm")), QByteArray(page).replace("Acme", "Zenith"));
    const CliRun coloured = runCli({"-n", "--diff", "--color=always", "-f", "Acme", "-r", "Zenith", "cr.htm"},
                                   m_tree->root());
    CLI_VERIFY(coloured, !coloured.out.contains('\r') && coloured.out.contains("^M"));
}

void TestCli::invalidUtf32ValuesAreReportedAsSuch()
{
    const QString text = QStringLiteral("<html><body>Acme</body></html>");
    QByteArray page("\xFF\xFE\0\0", 4);
    for (const char32_t c : text.toUcs4())
        page += QByteArray(reinterpret_cast<const char *>(&c), 4);
    m_tree->write("u32.htm", page + QByteArray("\0\0\x11\0", 4));
    const CliRun run = runCli({"-n", "-f", "Acme", "-r", "B", "u32.htm"}, m_tree->root());
    CLI_EXIT(run, 0);
    CLI_VERIFY(run, run.out.contains("(1 replacement, 1 invalid character written as U+FFFD, dry run)"));
}

// A report stream whose first write fails and whose later ones succeed still
// lost a line: that is a write error.
void TestCli::reportStreamThatFailsOnce()
{
    struct Stream {
        int writes = 0;
        QByteArray taken;
    } stream;
    cookie_io_functions_t functions{};
    functions.write = [](void *cookie, const char *data, size_t size) -> ssize_t {
        auto *s = static_cast<Stream *>(cookie);
        if (s->writes++ == 0) {
            errno = EIO;
            return -1;
        }
        s->taken.append(data, qsizetype(size));
        return ssize_t(size);
    };
    FILE *out = fopencookie(&stream, "w", functions);
    QVERIFY(out);
    std::setvbuf(out, nullptr, _IONBF, 0);
    FILE *err = std::tmpfile();
    m_tree->write("b.htm", "<body>Acme</body>");
    const QString before = QDir::currentPath();
    QDir::setCurrent(m_tree->root());
    tessaly::StopToken stop;
    const int status = tessaly::cli::runCommandLine({"tessaly-cli", "-n", "-f", "Acme", "a.htm", "b.htm"}, out, err,
                                                    false, stop);
    QDir::setCurrent(before);
    std::fclose(out);
    std::fclose(err);
    QCOMPARE(status, 1);
    QVERIFY2(stream.writes >= 2 && stream.taken.contains("b.htm -> "), stream.taken.constData());
}

void TestCli::lostReportIsAnError_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("report lines") << QStringList{"-f", "Acme", "-r", "Zen", "a.htm"} << 1;
    QTest::newRow("diff") << QStringList{"--diff", "-f", "Acme", "-r", "Zen", "a.htm"} << 1;
    QTest::newRow("help") << QStringList{"--help"} << 1;
    QTest::newRow("usage error") << QStringList{"a.htm"} << 2;
}
void TestCli::lostReportIsAnError()
{
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        QSKIP("no /dev/full");
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    const CliRun run = runCliProcess(arguments, m_tree->root(), QStringLiteral("/dev/full"));
    CLI_EXIT(run, exitCode);
    if (exitCode == 1)
        CLI_VERIFY(run, run.err.contains(QStringLiteral("tessaly-cli: write error: No space left on device")));
    // With --diff the report lines go to standard error: losing them is as bad.
    const CliRun lines = testing::runShell("\"$CLI\" --diff -f Acme -r Zen a.htm >/dev/null 2>/dev/full", m_tree->root());
    CLI_EXIT(lines, 1);
}

void TestCli::lostReportInProcess()
{
    FILE *full = std::fopen("/dev/full", "w");
    if (!full)
        QSKIP("no /dev/full");
    FILE *err = std::tmpfile();
    const QString before = QDir::currentPath();
    QDir::setCurrent(m_tree->root());
    tessaly::StopToken stop;
    const int status = tessaly::cli::runCommandLine({"tessaly-cli", "-f", "Acme", "a.htm"}, full, err, false, stop);
    QDir::setCurrent(before);
    std::fclose(full);
    std::rewind(err);
    char text[512] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, err);
    std::fclose(err);
    QCOMPARE(status, 1);
    QVERIFY2(QByteArray(text, qsizetype(n)).contains("write error"), text);
    // The result itself was written.
    QVERIFY(QFile::exists(path("a_replaced.htm")));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
