// tessaly-cli under unlucky conditions: results of one run that would land on
// each other, stops during a write, signals, too few threads, too few descriptors.
#include "cli_run.h"
#include "gated_file_system.h"
#include "temp_tree.h"
#include "test_files.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include <chrono>
#include <climits>
#include <csignal>
#include <thread>
#include <unistd.h>

using testing::CliRun;
using testing::readBytes;
using testing::runCliProcess;
using testing::runShell;
using testing::temporaryFilesIn;
using testing::writeBytes;

class TestCliSafety : public QObject {
    Q_OBJECT
private slots:
    void init();
    void resultsOfOneRunNeverReplaceEachOther_data();
    void resultsOfOneRunNeverReplaceEachOther();
    void stopFinishesTheFileInFlight_data();
    void stopFinishesTheFileInFlight();
    void signalStopsTheProcess_data();
    void signalStopsTheProcess();
    void signalBeforeTheProgramStarted_data();
    void signalBeforeTheProgramStarted();
    void killedMidWriteLeavesNothingBehind();
    void fewerThreadsThanJobs_data();
    void fewerThreadsThanJobs();
    void tooFewDescriptorsFailFiles();
    void concurrentRunsIntoOneFolder();
    void linkToAnEarlierResultFails();
    void hardLinkToAScannedSourceIsKept();
    void reportStreamsGoneOrStuck_data();
    void reportStreamsGoneOrStuck();
    void stopWhileTheReaderIsBehind_data();
    void stopWhileTheReaderIsBehind();
    void diffOutOfMemoryFailsOneFile();
    void endlessListsEndCleanly_data();
    void endlessListsEndCleanly();
    void unwrittenResultsCountNoReplacements();

private:
    // One job writing 1,000 pages of 256 KB into "out", started.
    void startLongRun(QProcess &cli);

    std::unique_ptr<testing::TempTree> m_tree;
    QString path(const QString &name) const { return m_tree->path(name); }
};

void TestCliSafety::init()
{
    m_tree = std::make_unique<testing::TempTree>();
}

// Every row claims its result in list order, whatever the number of jobs: the
// first of the same-named pages is written, each later one fails naming it.
void TestCliSafety::resultsOfOneRunNeverReplaceEachOther_data()
{
    QTest::addColumn<QString>("shape");
    QTest::addColumn<QString>("jobs");
    for (const char *jobs : {"1", "2", "8"}) {
        QTest::addRow("one output folder, %s jobs", jobs) << "same name" << jobs;
        // The second spelling of one folder through a link.
        QTest::addRow("a folder and a link to it, %s jobs", jobs) << "linked folder" << jobs;
        // The first page's result is its _replaced form, which is the second's name.
        QTest::addRow("a page and one named as its result, %s jobs", jobs) << "replaced name" << jobs;
    }
}

void TestCliSafety::resultsOfOneRunNeverReplaceEachOther()
{
    QFETCH(QString, shape);
    QFETCH(QString, jobs);
    const int count = 12;
    QStringList sources;
    for (int i = 0; i < count; ++i) {
        // A big first page, so its job is still busy when later ones are done.
        const QByteArray text = (i == 0 ? QByteArray(4 << 20, ' ') : QByteArray()) + "old " + QByteArray::number(i);
        sources << QStringLiteral("d%1/index.htm").arg(i);
        m_tree->write(sources.last(), text);
    }
    QStringList arguments{"-w", "-j", jobs, "-f", "old", "-r", "new"};
    QString result = path("out/index.htm");
    if (shape == "replaced name") {
        QVERIFY(QDir(m_tree->root()).mkdir("out"));
        QVERIFY(QFile::rename(path("d0/index.htm"), path("out/index.htm")));
        QVERIFY(QFile::rename(path("d1/index.htm"), path("d1/index_replaced.htm")));
        sources = QStringList{"out/index.htm", "d1/index_replaced.htm"};
        result = path("out/index_replaced.htm");
        arguments << "-o" << "out";
    } else if (shape == "linked folder") {
        // Results beside their sources: d0 and its link are one folder.
        QVERIFY(QFile::link(path("d0"), path("link")));
        sources = QStringList{"d0/index.htm", "link/index.htm", "./d0/index.htm"};
        result = path("d0/index_replaced.htm");
    } else {
        QVERIFY(QDir(m_tree->root()).mkdir("out"));
        arguments << "-o" << "out";
    }
    const CliRun run = runCliProcess(arguments + sources, m_tree->root());
    CLI_EXIT(run, 1);
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    CLI_VERIFY(run, lines.size() == sources.size());
    CLI_VERIFY(run, lines.first().startsWith(sources.first() + " -> "));
    for (qsizetype i = 1; i < sources.size(); ++i)
        CLI_VERIFY(run, lines.at(i).startsWith(sources.at(i) + ": failed (")
                            && lines.at(i).contains(QFileInfo(path(sources.first())).absoluteFilePath()));
    QVERIFY(readBytes(result).endsWith("new 0"));
    QCOMPARE(temporaryFilesIn(QFileInfo(result).path()), QStringList());
}

// The result of p2 is held back until the stop comes: the stop certainly
// arrives while that write is in flight. It is finished, p3 is never started.
void TestCliSafety::stopFinishesTheFileInFlight_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("firstFails");  // p1's result place is a folder
    QTest::newRow("SIGINT") << SIGINT << "SIGINT" << false;
    QTest::newRow("SIGTERM") << SIGTERM << "SIGTERM" << false;
    QTest::newRow("SIGHUP") << SIGHUP << "SIGHUP" << false;
    QTest::newRow("SIGTERM, a file failed too") << SIGTERM << "SIGTERM" << true;
}

void TestCliSafety::stopFinishesTheFileInFlight()
{
    QFETCH(int, signal);
    QFETCH(QString, name);
    QFETCH(bool, firstFails);
    QVERIFY(QDir(m_tree->root()).mkdir("out"));
    if (firstFails)
        QVERIFY(QDir(m_tree->root()).mkpath("out/p1.htm"));
    m_tree->write("p1.htm", "old 1");
    m_tree->write("p2.htm", QByteArray(8 << 20, 'x') + "old 2");
    m_tree->write("p3.htm", "old 3");
    const testing::GatedFileSystem gated("p2.htm");
    tessaly::StopToken stop;
    std::thread stopper([&] {
        if (gated.waitUntilReached())
            stop.requestStop(signal);
        gated.release();
    });
    const CliRun run = testing::runCli({"-w", "-j", "1", "-f", "old", "-r", "new", "-o", "out", "p1.htm", "p2.htm",
                                        "p3.htm"},
                                       m_tree->root(), {&gated}, &stop);
    stopper.join();
    CLI_EXIT(run, 128 + signal);
    CLI_VERIFY(run, run.out.startsWith(firstFails ? "p1.htm: failed (" : "p1.htm -> ") && run.out.contains("\np2.htm -> ")
                        && !run.out.contains("p3.htm"));
    CLI_VERIFY(run, run.err.contains("interrupted by " + name + ", 1 file not processed"));
    QCOMPARE(temporaryFilesIn(path("out")), QStringList());
    QCOMPARE(readBytes(path("out/p2.htm")), QByteArray(8 << 20, 'x') + "new 2");
    QVERIFY(!QFile::exists(path("out/p3.htm")));
}

void TestCliSafety::startLongRun(QProcess &cli)
{
    QVERIFY(QDir(m_tree->root()).mkdir("out"));
    QStringList arguments{"-w", "-j", "1", "-f", "old", "-r", "new", "-o", "out"};
    const QByteArray page = QByteArray(256 << 10, 'x') + "old";
    for (int i = 0; i < 1000; ++i) {
        arguments << QStringLiteral("p%1.htm").arg(i);
        m_tree->write(arguments.last(), page);
    }
    cli.setWorkingDirectory(m_tree->root());
    cli.start(testing::cliProgram(), arguments);
    QVERIFY(cli.waitForStarted());
}

// A real signal to the process: the run ends early with every printed line
// whole, no temporary file, and 128 + the signal number.
void TestCliSafety::signalStopsTheProcess_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("name");
    QTest::newRow("SIGTERM") << SIGTERM << "SIGTERM";
    QTest::newRow("SIGHUP") << SIGHUP << "SIGHUP";
    QTest::newRow("SIGINT") << SIGINT << "SIGINT";
}

void TestCliSafety::signalStopsTheProcess()
{
    QFETCH(int, signal);
    QFETCH(QString, name);
    QProcess cli;
    startLongRun(cli);
    if (QTest::currentTestFailed())
        return;
    QTRY_VERIFY_WITH_TIMEOUT(QDir(path("out")).count() > 2, 30000);
    QCOMPARE(::kill(pid_t(cli.processId()), signal), 0);
    QVERIFY(cli.waitForFinished(30000));
    const QString out = QString::fromLocal8Bit(cli.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(cli.readAllStandardError());
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli.exitCode(), 128 + signal);
    QVERIFY2(err.contains("interrupted by " + name + ", "), qPrintable(err));
    QVERIFY2(out.endsWith(" replacement)\n"), qPrintable(out.right(200)));
    QCOMPARE(temporaryFilesIn(path("out")), QStringList());
}

// A signal that is already there when the program starts (blocked in the
// parent, so pending at the start) stands for one that comes while the program
// is still starting: it is taken before anything is read or written, and the
// program ends with the summary of a run that did nothing.
void TestCliSafety::signalBeforeTheProgramStarted_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("summary");
    const QString plain = "2 files: 0 written, 0 skipped, 0 failed; 0 replacements; interrupted by %1, 2 files not processed\n";
    QTest::newRow("SIGTERM") << SIGTERM << "" << plain.arg("SIGTERM");
    QTest::newRow("SIGHUP") << SIGHUP << "" << plain.arg("SIGHUP");
    QTest::newRow("SIGINT, --json") << SIGINT << "--json"
                                    << R"({"type":"summary","files":2,"written":0,"skipped":0,"failed":0,)"
                                       R"("replacements":0,"written_as_question_mark":0,"invalid_characters":0,)"
                                       R"("not_processed":2,"dry_run":false,"code_page":"windows-1252",)"
                                       R"("interrupted_by":"SIGINT"})" "\n";
}

void TestCliSafety::signalBeforeTheProgramStarted()
{
    QFETCH(int, signal);
    QFETCH(QString, format);
    QFETCH(QString, summary);
    m_tree->write("a.htm", "<body>old</body>");
    m_tree->write("b.htm", "<body>old</body>");
    QProcess cli;
    cli.setWorkingDirectory(m_tree->root());
    cli.setChildProcessModifier([signal] {
        sigset_t blocked;
        sigemptyset(&blocked);
        sigaddset(&blocked, signal);
        sigprocmask(SIG_BLOCK, &blocked, nullptr);
        ::raise(signal);
    });
    QStringList arguments{"-f", "old", "-r", "new", "a.htm", "b.htm"};
    if (!format.isEmpty())
        arguments.prepend(format);
    cli.start(testing::cliProgram(), arguments);
    QVERIFY(cli.waitForFinished(30000));
    const QString out = QString::fromLocal8Bit(cli.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(cli.readAllStandardError());
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli.exitCode(), 128 + signal);
    QCOMPARE(format.isEmpty() ? err : out, summary);
    QVERIFY(!QFile::exists(path("a_replaced.htm")) && !QFile::exists(path("b_replaced.htm")));
}

// SIGKILL cannot be handled: the run is stopped (SIGSTOP) until one of its results
// is caught open for writing, then killed. Every result there is complete, and
// where the file system has unnamed files no temporary file is left.
void TestCliSafety::killedMidWriteLeavesNothingBehind()
{
    if (!testing::makesUnnamedFiles(m_tree->root()))
        QSKIP("this file system has no unnamed files");
    QProcess cli;
    startLongRun(cli);
    if (QTest::currentTestFailed())
        return;
    const QString out = QFileInfo(path("out")).canonicalFilePath();
    const pid_t pid = pid_t(cli.processId());
    const auto writingIntoOut = [&] {
        const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
        for (const QString &fd : QDir(fds).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            if (QFile::symLinkTarget(fds + u'/' + fd).startsWith(out + u'/'))
                return true;
        }
        return false;
    };
    bool caught = false;
    for (int attempt = 0; attempt < 2000 && !caught && cli.state() == QProcess::Running; ++attempt) {
        QCOMPARE(::kill(pid, SIGSTOP), 0);
        caught = writingIntoOut();
        if (!caught) {
            QCOMPARE(::kill(pid, SIGCONT), 0);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
    QCOMPARE(::kill(pid, SIGKILL), 0);
    QVERIFY(cli.waitForFinished(30000));
    if (!caught)
        QSKIP("the run ended before a write was caught");
    QCOMPARE(temporaryFilesIn(path("out")), QStringList());
    const QStringList results = QDir(path("out")).entryList(QDir::Files | QDir::Hidden);
    QVERIFY(results.size() < 1000);
    for (const QString &name : results)
        QCOMPARE(readBytes(path("out/") + name), QByteArray(256 << 10, 'x') + "new");
}

// Threads past the limit cannot be created: the run goes on with those it has,
// down to the calling thread alone.
void TestCliSafety::fewerThreadsThanJobs_data()
{
    QTest::addColumn<int>("threads");
    QTest::newRow("none") << 0;
    QTest::newRow("one") << 1;
    QTest::newRow("three") << 3;
}

void TestCliSafety::fewerThreadsThanJobs()
{
    QFETCH(int, threads);
    QStringList arguments{"-j", "8", "-f", "old", "-r", "new"};
    for (int i = 0; i < 20; ++i) {
        arguments << QStringLiteral("p%1.htm").arg(i);
        m_tree->write(arguments.last(), "<body>old " + QByteArray::number(i) + "</body>");
    }
    tessaly::RunEnvironment environment;
    environment.threadLimit = threads;
    const CliRun run = testing::runCli(arguments, m_tree->root(), environment);
    CLI_EXIT(run, 0);
    CLI_VERIFY(run, run.err.startsWith("20 files: 20 written"));
    for (int i = 0; i < 20; ++i)
        QCOMPARE(readBytes(path(QStringLiteral("p%1_replaced.htm").arg(i))), "<body>new " + QByteArray::number(i) + "</body>");
}

// 256 jobs with 16 descriptors: a file that cannot be opened fails for itself
// (never "skipped", never the whole run); the others are written.
void TestCliSafety::tooFewDescriptorsFailFiles()
{
#ifdef __SANITIZE_ADDRESS__
    // The sanitizers probe memory through a pipe of their own: with every
    // descriptor taken they report errors of their own making.
    QSKIP("the sanitizers need descriptors that this test takes away");
#endif
    QStringList arguments{"-c", "ulimit -n 16 && exec \"$0\" \"$@\"", testing::cliProgram(), "-j", "256", "-f",
                          "old", "-r", "new"};
    const int count = 400;
    for (int i = 0; i < count; ++i) {
        arguments << path(QStringLiteral("p%1.htm").arg(i));
        writeBytes(arguments.last(), "<body>old</body>");
    }
    QProcess cli;
    cli.start("bash", arguments);
    QVERIFY(cli.waitForFinished(60000));
    const QString out = QString::fromLocal8Bit(cli.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(cli.readAllStandardError());
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    const QStringList lines = out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), count);
    const qsizetype failed = lines.filter(": failed (").size();
    QVERIFY2(lines.filter(" -> ").size() + failed == count, qPrintable(out));
    QVERIFY2(lines.filter(": failed (").size() == lines.filter("Too many open files").size(), qPrintable(out));
    QCOMPARE(cli.exitCode(), failed > 0 ? 1 : 0);
    QVERIFY2(err.contains(QStringLiteral("%1 files: ").arg(count)), qPrintable(err));
}

// Another program writing into the same output folder (a second run, results of
// other names) never makes a file of this run fail, however the file system
// reuses the numbers of the files it replaces.
void TestCliSafety::concurrentRunsIntoOneFolder()
{
    QVERIFY(QDir(m_tree->root()).mkpath("out"));
    for (int i = 0; i < 150; ++i) {
        m_tree->write(QStringLiteral("a/a%1.htm").arg(i), "<body>old</body>");
        m_tree->write(QStringLiteral("b/b%1.htm").arg(i), "<body>old</body>");
    }
    for (int attempt = 0; attempt < 10; ++attempt) {
        const CliRun run = runShell("\"$CLI\" -q -j2 -f old -r new -o out a & \"$CLI\" -q -j2 -f old -r new -o out b;"
                                    " second=$?; wait $!; first=$?; echo $first $second",
                                    m_tree->root());
        CLI_VERIFY(run, run.out == "0 0\n" && !run.err.contains("failed ("));
    }
    QCOMPARE(QDir(path("out")).count(), 300 + 2);
}

// A result name that is a link to the place of an earlier result of the run
// fails, naming that file; the earlier result stays.
void TestCliSafety::linkToAnEarlierResultFails()
{
    m_tree->write("a.htm", "old a");
    m_tree->write("b.htm", "old b");
    m_tree->write("d/b.htm", "old d");
    QVERIFY(QDir(m_tree->root()).mkdir("out"));
    QVERIFY(QFile::link("a.htm", path("out/b.htm")));
    const CliRun run = runCliProcess({"-w", "-f", "old", "-r", "new", "-o", "out", "a.htm", "b.htm", "d/b.htm"},
                                     m_tree->root());
    CLI_EXIT(run, 1);
    // b gives its place back when it is refused: d/b, refused at the same place,
    // names a, the file whose result is there.
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    CLI_VERIFY(run, lines.size() == 3 && lines[1].startsWith("b.htm: failed (") && lines[2].startsWith("d/b.htm: failed (")
                        && lines[1].contains(path("a.htm") + "\" written earlier")
                        && lines[2].contains(path("a.htm") + "\" written earlier"));
    QCOMPARE(readBytes(path("out/a.htm")), QByteArray("new a"));
}

// A scanned folder's pages into an output folder whose names are hard links to
// them: a result never replaces another page's file, and one that would land on
// its own source goes to its "_replaced" name.
void TestCliSafety::hardLinkToAScannedSourceIsKept()
{
    for (int i = 0; i < 10; ++i)
        m_tree->write(QStringLiteral("src/p%1.htm").arg(i), "old " + QByteArray::number(i));
    QVERIFY(QDir(m_tree->root()).mkdir("out"));
    QVERIFY(testing::makeHardLink(path("src/p9.htm"), path("out/p0.htm")));
    QVERIFY(testing::makeHardLink(path("src/p5.htm"), path("out/p5.htm")));
    const CliRun run = runCliProcess({"-w", "-j2", "-f", "old", "-r", "new", "-o", "out", "src"}, m_tree->root());
    CLI_EXIT(run, 1);
    CLI_VERIFY(run, run.out.contains("src/p0.htm: failed (The result \"" + path("out/p0.htm")
                                     + "\" would overwrite a source file of this run.)"));
    QCOMPARE(readBytes(path("out/p0.htm")), QByteArray("old 9"));
    QCOMPARE(readBytes(path("out/p5_replaced.htm")), QByteArray("new 5"));
    QCOMPARE(readBytes(path("out/p9.htm")), QByteArray("new 9"));
    for (int i = 0; i < 10; ++i)
        QCOMPARE(readBytes(path(QStringLiteral("src/p%1.htm").arg(i))), "old " + QByteArray::number(i));
}

// A reader that goes away (`| head`) stops the run quietly with 141, as SIGPIPE
// does; a reader that never reads does not keep a stop signal from ending the
// run. Either way every file is whole and no temporary file is left.
void TestCliSafety::reportStreamsGoneOrStuck_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("closed pipe, --diff") << "\"$CLI\" -j2 --diff -f Acme -r B -o out src | head -c 100 >/dev/null;"
                                            " exit ${PIPESTATUS[0]}" << 141;
    QTest::newRow("SIGTERM while nobody reads")
        << "mkfifo f && exec 3<>f && { \"$CLI\" -j2 --diff -f Acme -r B -o out src >f & pid=$!; }"
           " && until [ -n \"$(ls out)\" ]; do sleep 0.05; done && kill -TERM $pid; wait $pid" << 128 + SIGTERM;
}

void TestCliSafety::reportStreamsGoneOrStuck()
{
    QFETCH(QString, script);
    QFETCH(int, exitCode);
    QVERIFY(QDir(m_tree->root()).mkpath("out"));
    const QByteArray page = "<html><body>" + QByteArray("<p>Acme and more text on the line</p>\n").repeated(20000)
                            + "</body></html>";
    for (int i = 0; i < 40; ++i)
        m_tree->write(QStringLiteral("src/p%1.htm").arg(i), page);
    const CliRun run = runShell(script, m_tree->root());
    CLI_EXIT(run, exitCode);
    CLI_VERIFY(run, !run.err.contains("write error"));
    QCOMPARE(temporaryFilesIn(path("out")), QStringList());
    const QByteArray result = QByteArray(page).replace("Acme", "B");
    for (const QString &name : QDir(path("out")).entryList(QDir::Files))
        QVERIFY2(readBytes(path("out/" + name)) == result, qPrintable(name));
}

// SIGTERM comes while the report is far behind the run: the reader has taken
// nothing, so the report's writes wait on a full pipe. A reader that then reads,
// slowly, gets a line for every file written, each whole, and the summary; one
// that reads only once the program ended (it stopped reading for longer than
// the program waits) loses lines, whole ones only.
void TestCliSafety::stopWhileTheReaderIsBehind_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("readsOn");
    QTest::newRow("--json, a slow reader") << "--json" << true;
    QTest::newRow("plain, a slow reader") << "" << true;
    QTest::newRow("--json, a reader that stops") << "--json" << false;
    QTest::newRow("plain, a reader that stops") << "" << false;
}

void TestCliSafety::stopWhileTheReaderIsBehind()
{
    QFETCH(QString, format);
    QFETCH(bool, readsOn);
    QVERIFY(QDir(m_tree->root()).mkdir("out"));
    for (int i = 0; i < 1500; ++i)
        m_tree->write(QStringLiteral("src/a-page-with-a-long-name-%1.htm").arg(i),
                      "<html><body>old " + QByteArray::number(i) + "</body></html>");
    // Once 1,000 results are written, their report lines (over 100 bytes each)
    // fill the pipe twice over. The slow reader takes 4 KB at a time, a hundred times a second.
    const QString read = readsOn ? "while n=$(dd bs=4096 count=1 status=none <&3 | tee -a got | wc -c) && [ $n -gt 0 ];"
                                   " do sleep 0.01; done; wait $pid"
                                 : "wait $pid; status=$?; cat <&3 >got; (exit $status)";
    const CliRun run = runShell("mkfifo f && { \"$CLI\" " + format + " -w -j2 -f old -r new -o out src >f 2>err & pid=$!; }"
                                " && exec 3<f && : >got"
                                " && for i in $(seq 600); do [ $(ls out | wc -l) -ge 1000 ] && break; sleep 0.05; done;"
                                " kill -TERM $pid; " + read,
                                m_tree->root());
    CLI_EXIT(run, 128 + SIGTERM);
    const QByteArray got = readBytes(path("got"));
    CLI_VERIFY(run, got.isEmpty() || got.endsWith('\n'));
    const QList<QByteArray> lines = got.split('\n').mid(0, got.count('\n'));
    const qsizetype written = QDir(path("out")).entryList(QDir::Files).size();
    const QRegularExpression plainLine("^src/a-page-with-a-long-name-\\d+\\.htm -> .+ \\(1 replacement\\)$");
    qsizetype fileLines = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QJsonObject object = QJsonDocument::fromJson(lines[i]).object();
        const bool summary = object.value("type") == "summary";
        const bool whole = format.isEmpty() ? plainLine.match(QString::fromUtf8(lines[i])).hasMatch()
                                            : object.value("outcome") == "written" || (summary && i == lines.size() - 1);
        QVERIFY2(whole, lines[i].constData());
        fileLines += !summary;
    }
    const QByteArray err = readBytes(path("err"));
    if (!readsOn) {
        QVERIFY2(fileLines < written, qPrintable(run.describe()));
        return;
    }
    QCOMPARE(fileLines, written);
    if (format.isEmpty()) {
        QVERIFY2(err.contains(QByteArray::number(written) + " written") && err.contains("interrupted by SIGTERM"),
                 err.constData());
    } else {
        const QJsonObject summary = QJsonDocument::fromJson(lines.last()).object();
        QCOMPARE(summary.value("written").toInteger(), written);
        QCOMPARE(summary.value("interrupted_by").toString(), QStringLiteral("SIGTERM"));
    }
}

// A diff that cannot get its memory fails its own file; the run goes on.
void TestCliSafety::diffOutOfMemoryFailsOneFile()
{
#ifdef __SANITIZE_ADDRESS__
    QSKIP("the sanitizers reserve more address space than the limit allows");
#endif
    m_tree->write("a.htm", "<body>" + QByteArray("Acme x ").repeated(1500000) + "</body>");
    m_tree->write("b.htm", "<body>Acme</body>");
    const CliRun run = runShell("ulimit -v 300000 && \"$CLI\" -n --diff -f Acme -r Zenith a.htm b.htm >/dev/null",
                                m_tree->root());
    CLI_VERIFY(run, run.exitCode == 0 || run.exitCode == 1);
    CLI_VERIFY(run, run.err.startsWith("a.htm -> ") || run.err.startsWith("a.htm: failed (not enough memory)\n"));
    CLI_VERIFY(run, run.err.contains("\nb.htm -> "));
}

// --files-from with input that never ends: a name that never ends is longer
// than any path and a usage error; empty names cost nothing until a stop; names
// that outgrow memory are a usage error, not an abort. All under a memory limit.
void TestCliSafety::endlessListsEndCleanly_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    const QString tooLong = QStringLiteral("is longer than %1 bytes, the longest path the system takes.\n").arg(PATH_MAX - 1);
    QTest::newRow("one endless name") << "\"$CLI\" -n -f a --files-from - </dev/zero" << 2
                                      << "tessaly-cli: --files-from: standard input: line 1 " + tooLong;
    QTest::newRow("a long name on line 3, NUL-separated")
        << "{ printf 'a.htm\\0\\0'; head -c 5000 /dev/zero | tr '\\0' n; } | \"$CLI\" -n -f a -0 --files-from -" << 2
        << "tessaly-cli: --files-from: standard input: name 3 " + tooLong;
    QTest::newRow("endless empty names, then SIGTERM")
        << "timeout --preserve-status -s TERM 1 \"$CLI\" -n -f a -0 --files-from - </dev/zero" << 128 + SIGTERM
        << "0 files: 0 would be written, 0 skipped, 0 failed; 0 replacements; interrupted by SIGTERM, 0 files not processed\n";
    QTest::newRow("more names than memory")
        << "yes \"$(head -c 4000 /dev/zero | tr '\\0' n)\" | \"$CLI\" -n -f a --files-from -" << 2
        << "the names do not fit in memory (at line ";
}

void TestCliSafety::endlessListsEndCleanly()
{
    QFETCH(QString, script);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
#ifdef __SANITIZE_ADDRESS__
    if (message.contains("memory"))
        QSKIP("the sanitizers reserve more address space than the limit allows");
    const QString limit;
#else
    const QString limit = "ulimit -v 300000 && ";
#endif
    const CliRun run = runShell(limit + script, m_tree->root());
    CLI_EXIT(run, exitCode);
    CLI_VERIFY(run, run.err.startsWith(message) || run.err.contains(": " + message));
}

// Replacements count for results that were written: a file whose write fails
// adds none.
void TestCliSafety::unwrittenResultsCountNoReplacements()
{
    m_tree->write("big.htm", "<body>" + QByteArray("Acme ").repeated(4000) + "</body>");
    m_tree->write("small.htm", "<body>Acme</body>");
    const CliRun run = runShell("ulimit -f 8 && \"$CLI\" -f Acme -r Zenith big.htm small.htm", m_tree->root());
    CLI_EXIT(run, 1);
    CLI_VERIFY(run, run.out.startsWith("big.htm: failed (") && run.out.contains("File too large"));
    CLI_VERIFY(run, run.err.contains("2 files: 1 written, 0 skipped, 1 failed; 1 replacement\n"));
}

QTEST_MAIN(TestCliSafety)
#include "tst_cli_safety.moc"
