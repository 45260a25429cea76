// Hostile sources and destinations: odd file types, links, empty and malformed
// content, huge and missing files, full disks, file-descriptor limits, a killed
// run. Whatever comes, a source stays as it was and a result is complete or absent.
#include "engine/replace_job.h"
#include "engine/run_sources.h"
#include "temp_tree.h"
#include "test_files.h"
#include "textio/text_decoding.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <csignal>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tessaly;
using testing::bytes;
using testing::readBytes;
using testing::TempTree;
using testing::temporaryFilesIn;
using testing::writeBytes;

namespace {

QByteArray utf16le(const char *ascii)
{
    QByteArray out;
    for (const char *p = ascii; *p; ++p)
        out += QByteArray(1, *p) + QByteArray(1, '\0');
    return out;
}

QByteArray utf16be(const char *ascii)
{
    QByteArray out;
    for (const char *p = ascii; *p; ++p)
        out += QByteArray(1, '\0') + QByteArray(1, *p);
    return out;
}

qint64 mtimeNs(const QString &path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

bool makeLink(const QString &target, const QString &link)
{
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) == 0;
}

enum class Outcome { Written, Skipped, Failed };

// The job with the pair "old" to "new".
FileReport replacePair(const QString &path, const JobOptions &options)
{
    return replaceInFile(SourcePath(path), {FileRequest::Kind::Pair, {{"old", "new"}}, options});
}

} // namespace

class TestRobustness : public QObject {
    Q_OBJECT

private slots:
    void oddSource_data();
    void oddSource();
    void textAfterMarkBeginsWithFeff_data();
    void textAfterMarkBeginsWithFeff();
    void oddResult_data();
    void oddResult();
    void fullFileSystem();
    void hugeSparseSource_data();
    void hugeSparseSource();
    void resultNamingRunSource_data();
    void resultNamingRunSource();
    void cliResultNamingRunSource();
    void moreFilesThanDescriptors();
    void killedRun();
    void resultPermissions_data();
    void resultPermissions();
    void dryRunReportsWhatARunDoes_data();
    void dryRunReportsWhatARunDoes();
    void fileSizeLimit();
};

// How the run treats a source: the skip test first (as a run does), then the job.
void TestRobustness::oddSource_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("content");
    // What the skip test says: -1 missing, 0 empty (both skipped); whatever else
    // cannot be read counts as 1, so its job runs and reports the failure.
    QTest::addColumn<int>("skipSize");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QByteArray>("result");   // for Written: the exact result bytes

    const auto W = int(Outcome::Written), F = int(Outcome::Failed);
    QTest::newRow("vanishes between listing and reading") << "vanish" << QByteArray("<body>old</body>") << 16 << F
                                                          << QByteArray();
    QTest::newRow("FIFO without a writer") << "fifo" << QByteArray() << 1 << F << QByteArray();
    QTest::newRow("/dev/null") << "/dev/null" << QByteArray() << 1 << F << QByteArray();
    QTest::newRow("/dev/zero") << "/dev/zero" << QByteArray() << 1 << F << QByteArray();
    QTest::newRow("dangling link") << "dangling" << QByteArray() << -1 << F << QByteArray();
    QTest::newRow("looping links") << "loop" << QByteArray() << 1 << F << QByteArray();
    QTest::newRow("link to a folder") << "folderlink" << QByteArray() << 1 << F << QByteArray();
    QTest::newRow("a folder") << "folder" << QByteArray() << 1 << F << QByteArray();
    QTest::newRow("link to a file") << "filelink" << QByteArray("<body>old</body>") << 16 << W
                                    << QByteArray("<body>new</body>");
    QTest::newRow("0 bytes") << "file" << QByteArray() << 0 << W << QByteArray();
    QTest::newRow("only a UTF-8 mark") << "file" << bytes("\xEF\xBB\xBF", 3) << 3 << W << bytes("\xEF\xBB\xBF", 3);
    QTest::newRow("only a UTF-16 mark") << "file" << bytes("\xFF\xFE", 2) << 2 << W << bytes("\xFF\xFE", 2);
    QTest::newRow("only a UTF-32 mark") << "file" << bytes("\xFF\xFE\0\0", 4) << 4 << W << bytes("\xFF\xFE", 2);
    QTest::newRow("NUL-filled") << "file" << QByteArray(4096, '\0') << 4096 << W << QByteArray(4096, '\0');
    QTest::newRow("NUL-filled around a match") << "file" << QByteArray(10, '\0') + "old" + QByteArray(10, '\0') << 23
                                               << W << QByteArray(10, '\0') + "new" + QByteArray(10, '\0');
    QTest::newRow("invalid UTF-8 after the mark")
        << "file" << bytes("\xEF\xBB\xBF<p>\xFF\xC3 old \xE2\x82</p>", 18) << 18 << W
        << bytes("\xEF\xBB\xBF<p>\xFF\xC3 new \xE2\x82</p>", 18);
    QTest::newRow("odd-length UTF-16") << "file" << bytes("\xFF\xFE", 2) + utf16le("<p>old</p>") + "\x7F" << 23 << W
                                       << bytes("\xFF\xFE", 2) + utf16le("<p>new</p>") + "\x7F";
    QTest::newRow("UTF-16 mark twice") << "file" << bytes("\xFF\xFE\xFF\xFE", 4) + utf16le("old") << 10 << W
                                       << bytes("\xFF\xFE\xFF\xFE", 4) + utf16le("new");
    QTest::newRow("UTF-16 big-endian mark twice")
        << "file" << bytes("\xFE\xFF\xFE\xFF", 4) + utf16be("old") << 10 << W
        << bytes("\xFF\xFE\xFF\xFE", 4) + utf16le("new");
    QTest::newRow("UTF-32 mark, then U+FEFF")
        << "file" << bytes("\xFF\xFE\0\0\xFF\xFE\0\0o\0\0\0", 12) << 12 << W << bytes("\xFF\xFE\xFF\xFEo\0", 6);
}

void TestRobustness::oddSource()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);
    QFETCH(int, skipSize);
    QFETCH(int, outcome);
    QFETCH(QByteArray, result);

    const TempTree dir;
    const QString out = dir.path("out");
    QVERIFY(QDir().mkpath(out));
    QString source = dir.path("page.htm");
    if (kind == "file" || kind == "vanish") {
        writeBytes(source, content);
    } else if (kind == "fifo") {
        QVERIFY(::mkfifo(QFile::encodeName(source).constData(), 0644) == 0);
    } else if (kind.startsWith('/')) {
        source = kind;
    } else if (kind == "dangling") {
        QVERIFY(makeLink(dir.path("nowhere.htm"), source));
    } else if (kind == "loop") {
        QVERIFY(makeLink(dir.path("other.htm"), source));
        QVERIFY(makeLink(source, dir.path("other.htm")));
    } else if (kind == "folderlink") {
        QVERIFY(makeLink(out, source));
    } else if (kind == "folder") {
        QVERIFY(QDir().mkpath(source));
    } else if (kind == "filelink") {
        dir.write("target.htm", content);
        QVERIFY(makeLink(dir.path("target.htm"), source));
    }
    const qint64 sourceTime = mtimeNs(source);

    QCOMPARE(FileSize2(source), qint64(skipSize));
    if (kind == "vanish")
        QVERIFY(QFile::remove(source));

    JobOptions options;
    options.mode = ReplaceMode::WholeFile;
    options.save = SaveOption::OutputFolder;
    options.outputFolder = out;
    const FileReport report = replacePair(source, options);

    QCOMPARE(int(report.status), outcome);
    if (outcome == int(Outcome::Failed)) {
        QCOMPARE(report.failedStep, JobStep::Read);
        QVERIFY2(report.description.contains(source), qPrintable(report.description));
    } else {
        QCOMPARE(report.resultPath, out + "/page.htm");
        QCOMPARE(readBytes(report.resultPath), result);
        if (kind == "filelink")
            QCOMPARE(readBytes(dir.path("target.htm")), content);
        else
            QCOMPARE(readBytes(source), content);
    }
    if (kind != "vanish")
        QCOMPARE(mtimeNs(source), sourceTime);
    QCOMPARE(temporaryFilesIn(out), QStringList());
    if (outcome != int(Outcome::Written))
        QCOMPARE(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

// A file whose text begins with U+FEFF right after its mark keeps that character:
// only the mark itself is cut off.
void TestRobustness::textAfterMarkBeginsWithFeff_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("UTF-8") << bytes("\xEF\xBB\xBF\xEF\xBB\xBF" "a", 7);
    QTest::newRow("UTF-16") << bytes("\xFF\xFE\xFF\xFE" "a\0", 6);
    QTest::newRow("UTF-16 big-endian") << bytes("\xFE\xFF\xFE\xFF\0" "a", 6);
    QTest::newRow("UTF-32") << bytes("\xFF\xFE\0\0\xFF\xFE\0\0" "a\0\0\0", 12);
    QTest::newRow("UTF-32 big-endian") << bytes("\0\0\xFE\xFF\0\0\xFE\xFF\0\0\0" "a", 12);
}

void TestRobustness::textAfterMarkBeginsWithFeff()
{
    QFETCH(QByteArray, content);
    const QString text = decodeText(content, classifyMark(content), CodePage::system());
    QCOMPARE(text, QString(QChar(0xFEFF)) + u'a');
}

// Destinations that must not receive a result as a plain file would.
void TestRobustness::oddResult_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("writtenAs");   // file name of the result, for Written

    QTest::newRow("result name is a folder") << "folder" << int(Outcome::Failed) << QString();
    QTest::newRow("result name is a link to the source") << "symlink" << int(Outcome::Written)
                                                         << "page_replaced_replaced.htm";
    QTest::newRow("result name is a hard link to the source") << "hardlink" << int(Outcome::Written)
                                                              << "page_replaced_replaced.htm";
    QTest::newRow("result name is a dangling link") << "dangling" << int(Outcome::Written) << "page_replaced.htm";
}

void TestRobustness::oddResult()
{
    QFETCH(QString, kind);
    QFETCH(int, outcome);
    QFETCH(QString, writtenAs);

    const TempTree dir;
    const QString source = dir.path("page.htm");
    const QString named = dir.path("page_replaced.htm");
    const QByteArray content = "<body>old</body>";
    writeBytes(source, content);
    if (kind == "folder")
        QVERIFY(QDir().mkpath(named + "/inside"));
    else if (kind == "symlink")
        QVERIFY(makeLink(source, named));
    else if (kind == "hardlink")
        QVERIFY(testing::makeHardLink(source, named));
    else if (kind == "dangling")
        QVERIFY(makeLink(dir.path("gone.htm"), named));
    const qint64 sourceTime = mtimeNs(source);

    const FileReport report = replacePair(source, JobOptions());

    QCOMPARE(int(report.status), outcome);
    QCOMPARE(readBytes(source), content);
    QCOMPARE(mtimeNs(source), sourceTime);
    QCOMPARE(temporaryFilesIn(dir.root()), QStringList());
    if (outcome == int(Outcome::Failed)) {
        QCOMPARE(report.failedStep, JobStep::Write);
        QVERIFY(!report.description.isEmpty());
        QVERIFY(QFileInfo(named + "/inside").isDir());
        return;
    }
    QCOMPARE(report.resultPath, dir.path(writtenAs));
    QCOMPARE(readBytes(dir.path(writtenAs)), QByteArray("<body>new</body>"));
    if (kind == "symlink")
        QVERIFY(QFileInfo(named).isSymLink());
}

void TestRobustness::fullFileSystem()
{
    const TempTree dir;
    const QString mountPoint = dir.path("small");
    QVERIFY(QDir().mkpath(mountPoint));
    if (::mount("tessaly-test", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP("no tmpfs can be mounted here; the write fault test covers a full disk through the file layer");
    const auto unmount = qScopeGuard([&] { ::umount2(QFile::encodeName(mountPoint).constData(), MNT_DETACH); });

    // An earlier, small result sits on the small file system; the new one does not fit.
    const QString source = dir.path("big.htm");
    const QByteArray content = "<body>" + QByteArray(200 * 1024, 'x') + "old</body>";
    writeBytes(source, content);
    const QString result = mountPoint + "/big.htm";
    writeBytes(result, "earlier result");
    const qint64 sourceTime = mtimeNs(source);

    JobOptions options;
    options.save = SaveOption::OutputFolder;
    options.outputFolder = mountPoint;
    const FileReport report = replacePair(source, options);

    QCOMPARE(report.status, FileReport::Status::Failed);
    QCOMPARE(report.failedStep, JobStep::Write);
    QVERIFY2(report.description.contains(result), qPrintable(report.description));
    QCOMPARE(readBytes(result), QByteArray("earlier result"));
    QCOMPARE(temporaryFilesIn(mountPoint), QStringList());
    QCOMPARE(readBytes(source), content);
    QCOMPARE(mtimeNs(source), sourceTime);
}

// A file past 2 GiB: its size is told right and the program does not crash. In
// whole-file mode it goes through in pieces; a process with too little memory to
// hold it whole (viewable text) reports the file instead of aborting.
void TestRobustness::hugeSparseSource_data()
{
    QTest::addColumn<QStringList>("mode");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("line");  // after the source's name
    QTest::newRow("whole file, in pieces") << QStringList{"-w"} << 0 << " -> ";
    QTest::newRow("viewable text, held whole") << QStringList() << 1 << ": failed (";
}

void TestRobustness::hugeSparseSource()
{
    QFETCH(QStringList, mode);
    const TempTree dir;
    const QString source = dir.path("huge.htm");
    const qint64 size = (qint64(1) << 31) + 4;
    {
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (!file.resize(size))
            QSKIP("the file system refuses a sparse file of 2 GiB");
    }
    QCOMPARE(FileSize2(source), size);

    QProcess cli;
    // A 1 GiB address space cannot hold the file; the run must end normally.
    cli.start("prlimit", QStringList{"--as=1073741824", TESSALY_CLI_PATH, "-n"} + mode
                             + QStringList{"-f", "x", "-j", "1", source});
    QVERIFY(cli.waitForFinished(120000));
    const QString out = QString::fromLocal8Bit(cli.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(cli.readAllStandardError());
    if (err.contains("AddressSanitizer") || err.contains("prlimit:"))
        QSKIP("an address-space limit cannot be set for this build");
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QTEST(cli.exitCode(), "exitCode");
    QFETCH(QString, line);
    QVERIFY2(out.contains(source + line), qPrintable(out + err));
    QCOMPARE(QFileInfo(source).size(), size);
}

// Two pages of the same name from two folders, written into a folder that holds
// one of them: the other's result would overwrite a source still to be processed.
void TestRobustness::resultNamingRunSource_data()
{
    QTest::addColumn<bool>("sets");
    QTest::newRow("pair") << false;
    QTest::newRow("sets") << true;
}

void TestRobustness::resultNamingRunSource()
{
    QFETCH(bool, sets);

    const TempTree dir;
    const QString first = dir.write("a/index.htm", "<body>a old</body>");
    const QString second = dir.write("b/index.htm", "<body>b old</body>");
    JobOptions options;
    options.save = SaveOption::OutputFolder;
    options.outputFolder = dir.path("a");
    const RunSources sources(QStringList{first, second});
    JobContext context;
    context.sources = &sources;
    const qint64 firstTime = mtimeNs(first);

    const QList<FindReplaceSet> setList = {{"old", "new"}};
    const auto run = [&](const QString &path) {
        const FileRequest::Kind kind = sets ? FileRequest::Kind::Sets : FileRequest::Kind::Pair;
        return replaceInFile(SourcePath(path), {kind, setList, options}, context);
    };
    const FileReport fromSecond = run(second);
    QCOMPARE(fromSecond.status, FileReport::Status::Failed);
    QCOMPARE(fromSecond.failedStep, JobStep::Place);
    QVERIFY2(fromSecond.description.contains(first), qPrintable(fromSecond.description));
    QCOMPARE(readBytes(first), QByteArray("<body>a old</body>"));
    QCOMPARE(mtimeNs(first), firstTime);

    // The page that lives in the output folder gets the _replaced name and is written.
    const FileReport fromFirst = run(first);
    QCOMPARE(fromFirst.status, FileReport::Status::Written);
    QCOMPARE(readBytes(dir.path("a/index_replaced.htm")), QByteArray("<body>a new</body>"));
    QCOMPARE(readBytes(first), QByteArray("<body>a old</body>"));
    QCOMPARE(temporaryFilesIn(dir.path("a")), QStringList());

    // A file of the folder that is no source of the run is overwritten as usual.
    dir.write("a/other.htm", "earlier");
    dir.write("c/other.htm", "<body>c old</body>");
    QCOMPARE(run(dir.path("c/other.htm")).status, FileReport::Status::Written);
    QCOMPARE(readBytes(dir.path("a/other.htm")), QByteArray("<body>c new</body>"));
}

void TestRobustness::cliResultNamingRunSource()
{
    const TempTree dir;
    dir.write("a/index.htm", "<body>a old</body>");
    dir.write("b/index.htm", "<body>b old</body>");

    QProcess cli;
    cli.setWorkingDirectory(dir.root());
    cli.start(TESSALY_CLI_PATH, {"-f", "old", "-r", "new", "-o", "a", "b/index.htm", "a/index.htm"});
    QVERIFY(cli.waitForFinished(30000));
    const QString out = QString::fromLocal8Bit(cli.readAllStandardOutput());
    QCOMPARE(cli.exitCode(), 1);
    QVERIFY2(out.contains("b/index.htm: failed (") && out.contains("source file of this run"), qPrintable(out));
    QCOMPARE(readBytes(dir.path("a/index.htm")), QByteArray("<body>a old</body>"));
    QCOMPARE(readBytes(dir.path("b/index.htm")), QByteArray("<body>b old</body>"));
    QCOMPARE(readBytes(dir.path("a/index_replaced.htm")), QByteArray("<body>a new</body>"));
    QCOMPARE(temporaryFilesIn(dir.path("a")), QStringList());
}

void TestRobustness::moreFilesThanDescriptors()
{
    const TempTree dir;
    const int count = 300;  // well over the limit below
    QStringList arguments{"-c", "ulimit -n 64 && exec \"$0\" \"$@\"", TESSALY_CLI_PATH, "-q", "-j", "2",
                          "-f", "old", "-r", "new"};
    for (int i = 0; i < count; ++i) {
        const QString path =
            dir.write(QStringLiteral("p%1.htm").arg(i), "<body>old " + QByteArray::number(i) + "</body>");
        arguments.append(path);
    }
    QProcess cli;
    cli.start("bash", arguments);
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
    for (int i = 0; i < count; ++i)
        QCOMPARE(readBytes(dir.path(QStringLiteral("p%1_replaced.htm").arg(i))),
                 "<body>new " + QByteArray::number(i) + "</body>");
}

// SIGKILL while results are being written: whatever has been written is a whole
// result, the rest is absent, and no source changes.
void TestRobustness::killedRun()
{
    const TempTree dir;
    const int count = 60;
    const QByteArray filler(512 * 1024, 'x');
    QStringList arguments{"-w", "-j", "2", "-f", "old", "-r", "new"};
    for (int i = 0; i < count; ++i) {
        const QString path = dir.write(QStringLiteral("p%1.htm").arg(i), "old" + filler + QByteArray::number(i));
        arguments.append(path);
    }
    QProcess cli;
    cli.start(TESSALY_CLI_PATH, arguments);
    QVERIFY(cli.waitForStarted());
    // Killed once the first file is reported, or whenever it is if the run is over by then.
    cli.waitForReadyRead(30000);
    ::kill(pid_t(cli.processId()), SIGKILL);
    QVERIFY(cli.waitForFinished(30000));

    int complete = 0;
    for (int i = 0; i < count; ++i) {
        QCOMPARE(readBytes(dir.path(QStringLiteral("p%1.htm").arg(i))), "old" + filler + QByteArray::number(i));
        const QString result = dir.path(QStringLiteral("p%1_replaced.htm").arg(i));
        if (!QFileInfo::exists(result))
            continue;
        QCOMPARE(readBytes(result), "new" + filler + QByteArray::number(i));
        ++complete;
    }
    QVERIFY(complete >= 1);
}

// A result is never more open than its source, whatever an earlier result allowed.
void TestRobustness::resultPermissions_data()
{
    QTest::addColumn<int>("sourceMode");
    QTest::addColumn<QString>("umask");
    QTest::addColumn<int>("earlierMode");   // -1: no earlier result
    QTest::addColumn<int>("resultMode");

    QTest::newRow("private source") << 0600 << "022" << -1 << 0600;
    QTest::newRow("source open to everyone, umask 022") << 0666 << "022" << -1 << 0644;
    QTest::newRow("group-writable source, umask 027") << 0664 << "027" << -1 << 0640;
    QTest::newRow("read-only source") << 0444 << "022" << -1 << 0444;
    QTest::newRow("executable source") << 0755 << "022" << -1 << 0644;
    QTest::newRow("earlier result open to everyone") << 0600 << "022" << 0666 << 0600;
}

void TestRobustness::resultPermissions()
{
    QFETCH(int, sourceMode);
    QFETCH(QString, umask);
    QFETCH(int, earlierMode);
    QFETCH(int, resultMode);

    const TempTree dir;
    const QString source = dir.write("page.htm", "<body>old</body>");
    const QString result = dir.path("page_replaced.htm");
    QVERIFY(::chmod(QFile::encodeName(source).constData(), mode_t(sourceMode)) == 0);
    if (earlierMode >= 0) {
        writeBytes(result, "earlier");
        QVERIFY(::chmod(QFile::encodeName(result).constData(), mode_t(earlierMode)) == 0);
    }
    QProcess cli;
    cli.start("bash", {"-c", "umask " + umask + " && exec \"$0\" \"$@\"", TESSALY_CLI_PATH, "-q", "-f", "old", "-r",
                       "new", source});
    QVERIFY(cli.waitForFinished(30000));
    QCOMPARE(cli.exitCode(), 0);
    QCOMPARE(readBytes(result), QByteArray("<body>new</body>"));
    struct stat info {};
    QVERIFY(::stat(QFile::encodeName(result).constData(), &info) == 0);
    QCOMPARE(int(info.st_mode & 07777), resultMode);
}

// A dry run reports what a real run would, failures included; a result name may
// be as long as the file system allows.
void TestRobustness::dryRunReportsWhatARunDoes_data()
{
    QTest::addColumn<int>("nameBytes");       // the source's name, ".htm" included
    QTest::addColumn<bool>("intoFolder");     // -o out, else beside the source
    QTest::addColumn<bool>("resultIsFolder");
    QTest::addColumn<QString>("outcome");     // a part of the real run's line

    QTest::newRow("250-byte name") << 250 << true << false << "(1 replacement)";
    QTest::newRow("255-byte name") << 255 << true << false << "(1 replacement)";
    QTest::newRow("_replaced name past 255 bytes") << 250 << false << false << "File name too long)";
    QTest::newRow("result path is a folder") << 8 << false << true << "it is a folder)";
}

void TestRobustness::dryRunReportsWhatARunDoes()
{
    QFETCH(int, nameBytes);
    QFETCH(bool, intoFolder);
    QFETCH(bool, resultIsFolder);
    QFETCH(QString, outcome);

    const TempTree dir;
    const QString source = dir.write(QString(nameBytes - 4, u'p') + ".htm", "<body>old</body>");
    QVERIFY(QDir().mkpath(dir.path("out")));
    if (resultIsFolder)
        QVERIFY(QDir().mkpath(dir.path(QString(nameBytes - 4, u'p') + "_replaced.htm")));
    QStringList arguments{"-j", "1", "-f", "old", "-r", "new", source};
    if (intoFolder)
        arguments << "-o" << dir.path("out");
    const auto run = [&](const QStringList &extra, int *exitCode) {
        QProcess cli;
        cli.start(TESSALY_CLI_PATH, extra + arguments);
        cli.waitForFinished(30000);
        *exitCode = cli.exitCode();
        return QString::fromLocal8Bit(cli.readAllStandardOutput()).trimmed();
    };
    const QStringList namesBefore = QDir(dir.root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    int dryExit = -1, realExit = -1;
    const QString dry = run({"--dry-run"}, &dryExit);
    QCOMPARE(QDir(dir.root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), namesBefore);
    QVERIFY(QDir(dir.path("out")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    const QString real = run({}, &realExit);

    QVERIFY2(real.endsWith(outcome), qPrintable(real));
    QCOMPARE(dryExit, realExit);
    if (real.contains(": failed ("))
        QCOMPARE(dry, QString(real).replace(": failed (", ": would fail ("));
    else
        QCOMPARE(dry, real.chopped(1) + ", dry run)");
    QCOMPARE(temporaryFilesIn(dir.root()), QStringList());
    QCOMPARE(temporaryFilesIn(dir.path("out")), QStringList());
}

// Past the file-size limit one file fails; the run goes on and reports.
void TestRobustness::fileSizeLimit()
{
    const TempTree dir;
    const QString big = dir.write("big.htm", "<body>old" + QByteArray(64 * 1024, 'x') + "</body>");
    const QString small = dir.write("small.htm", "<body>old</body>");
    QProcess cli;
    // ulimit -f counts blocks of 1,024 bytes.
    cli.start("bash", {"-c", "ulimit -f 16 && exec \"$0\" \"$@\"", TESSALY_CLI_PATH, "-j", "1", "-f", "old", "-r",
                       "new", big, small});
    QVERIFY(cli.waitForFinished(30000));
    const QString out = QString::fromLocal8Bit(cli.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(cli.readAllStandardError());
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli.exitCode(), 1);
    QVERIFY2(out.contains(big + ": failed (Cannot write \"" + dir.path("big_replaced.htm") + "\": File too large)"),
             qPrintable(out));
    QVERIFY2(err.contains("1 written, 0 skipped, 1 failed"), qPrintable(err));
    QCOMPARE(readBytes(dir.path("small_replaced.htm")), QByteArray("<body>new</body>"));
    QVERIFY(!QFileInfo::exists(dir.path("big_replaced.htm")));
    QCOMPARE(temporaryFilesIn(dir.root()), QStringList());
}

QTEST_GUILESS_MAIN(TestRobustness)
#include "tst_robustness.moc"
