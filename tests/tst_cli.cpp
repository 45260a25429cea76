// tessaly-cli as a process: exit codes, report lines, result bytes, untouched sources.
#include "test_files.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using testing::readBytes;
using testing::writeBytes;

namespace {

struct Run {
    int exitCode;
    QString out;
    QString err;
};

Run runCli(const QStringList &arguments, const QString &folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(TESSALY_CLI_PATH), arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void init();
    void usageErrors_data();
    void usageErrors();
    void reportsEveryFileInOrder();
    void wholeFileAndViewableText();
    void outputFolder();
    void setsFile();
    void dryRunWritesNothing();
    void failedFileGivesExitOne();
    void manyFilesInParallelKeepTheirOrder();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString &name) const { return m_dir->filePath(name); }
};

void TestCli::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    writeBytes(path("a.htm"), "<title>Acme</title><body>Acme <b>Acme</b></body>");
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
    QTest::newRow("bad jobs") << QStringList{"-f", "x", "-j", "0", "a.htm"} << "--jobs";
}

void TestCli::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const Run run = runCli(arguments, m_dir->path());
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
    QVERIFY(!QFile::exists(path("a_replaced.htm")));
}

void TestCli::reportsEveryFileInOrder()
{
    writeBytes(path("empty.htm"), QByteArray());
    const Run run = runCli({"-f", "Acme", "-r", "Zen", "a.htm", "missing.htm", "empty.htm"}, m_dir->path());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QStringLiteral("a.htm -> %1 (2 replacements)\nmissing.htm: skipped (missing)\nempty.htm: skipped (empty)\n")
                          .arg(path("a_replaced.htm")));
    QVERIFY(run.err.contains(QStringLiteral("3 files: 1 written, 2 skipped, 0 failed")));
}

void TestCli::wholeFileAndViewableText()
{
    const QByteArray source = readBytes(path("a.htm"));
    QCOMPARE(runCli({"-f", "Acme", "-r", "Zen", "a.htm"}, m_dir->path()).exitCode, 0);
    QCOMPARE(readBytes(path("a_replaced.htm")), QByteArray("<title>Acme</title><body>Zen <b>Zen</b></body>"));
    QCOMPARE(runCli({"--whole-file", "-f", "Acme", "-r", "Zen", "a.htm"}, m_dir->path()).exitCode, 0);
    QCOMPARE(readBytes(path("a_replaced.htm")), QByteArray("<title>Zen</title><body>Zen <b>Zen</b></body>"));
    QCOMPARE(readBytes(path("a.htm")), source);
}

void TestCli::outputFolder()
{
    QDir(m_dir->path()).mkdir("out");
    const Run run = runCli({"-q", "-w", "-f", "Acme", "-o", "out", "a.htm"}, m_dir->path());
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.isEmpty());
    QCOMPARE(readBytes(path("out/a.htm")), QByteArray("<title></title><body> <b></b></body>"));
}

void TestCli::setsFile()
{
    writeBytes(path("sets.txt"), "Acme,B\r\nnot a set\r\nB,C\r\n");
    const Run run = runCli({"-w", "-s", "sets.txt", "--separator", ",", "a.htm"}, m_dir->path());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(readBytes(path("a_replaced.htm")), QByteArray("<title>C</title><body>C <b>C</b></body>"));
}

void TestCli::dryRunWritesNothing()
{
    const Run run = runCli({"-n", "-f", "Acme", "a.htm"}, m_dir->path());
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains(QStringLiteral("(2 replacements, dry run)")));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.htm"});
}

void TestCli::failedFileGivesExitOne()
{
    QDir(m_dir->path()).mkdir("a_replaced.htm");
    writeBytes(path("b.htm"), "b");
    const Run run = runCli({"-w", "-f", "b", "-r", "c", "a.htm", "b.htm"}, m_dir->path());
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.out.startsWith(QStringLiteral("a.htm: failed (")));
    QCOMPARE(readBytes(path("b_replaced.htm")), QByteArray("c"));
}

void TestCli::manyFilesInParallelKeepTheirOrder()
{
    QStringList arguments{"-j", "4", "-w", "-f", "x", "-r", "y"};
    QString expected;
    for (int i = 0; i < 200; ++i) {
        const QString name = QStringLiteral("f%1.htm").arg(i);
        writeBytes(path(name), QByteArray(i + 1, 'x'));
        arguments << name;
        expected += QStringLiteral("%1 -> %2 (%3 %4)\n").arg(name, path(QStringLiteral("f%1_replaced.htm").arg(i))).arg(i + 1).arg(i == 0 ? "replacement" : "replacements");
    }
    const Run run = runCli(arguments, m_dir->path());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, expected);
    QCOMPARE(readBytes(path("f99_replaced.htm")), QByteArray(100, 'y'));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
