// Fault injection: a file layer that fails a read, a write, the close or the final
// link or rename on purpose, or changes the file system between the checks and the rename,
// to prove that each failure is reported for its file with the step that failed,
// leaves no partial result or temporary file and never touches a source.
#include "engine/replace_job.h"
#include "engine/run_sources.h"
#include "temp_tree.h"
#include "test_files.h"
#include "textio/file_system.h"
#include "base/tessaly_error.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QVarLengthArray>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

using namespace tessaly;

Q_DECLARE_METATYPE(tessaly::JobStep)
using testing::readBytes;
using testing::TempTree;
using testing::writeBytes;

namespace {

enum class Fault { None, Read, FirstWrite, LaterWrite, Close, Rename };

// The job with the pair "old" to "new".
FileReport replacePair(const QString &path, const JobOptions &options, const JobContext &context)
{
    return replaceInFile(SourcePath(path), {FileRequest::Kind::Pair, {{"old", "new"}}, options}, context);
}

class FaultyFileSystem : public FileSystem {
public:
    FaultyFileSystem(Fault fault, Temporaries temporaries) : FileSystem(temporaries), m_fault(fault) {}

    std::unique_ptr<SourceReader> openSource(const SourcePath &source, SourceFile *file) const override
    {
        if (m_fault == Fault::Read)
            throw TessalyError(QStringLiteral("Cannot read \"%1\": Input/output error").arg(source.path()));
        return FileSystem::openSource(source, file);
    }

    mutable int writes = 0;

protected:
    long writeSome(int fd, const struct iovec *parts, int count) const override
    {
        ++writes;
        if (m_fault == Fault::FirstWrite) {
            errno = ENOSPC;
            return -1;
        }
        if (m_fault == Fault::LaterWrite) {
            // Half of the first part goes out, then the disk is full: the temporary
            // file holds a partial result at the moment of failure.
            if (writes == 1) {
                const struct iovec half{parts[0].iov_base, parts[0].iov_len > 1 ? parts[0].iov_len / 2 : 1};
                return FileSystem::writeSome(fd, &half, 1);
            }
            errno = ENOSPC;
            return -1;
        }
        return FileSystem::writeSome(fd, parts, count);
    }

    int closeFile(int fd) const override
    {
        const int closed = FileSystem::closeFile(fd);
        if (m_fault == Fault::Close) {
            errno = EDQUOT;  // a quota reported by the file server only now
            return -1;
        }
        return closed;
    }

    int putInPlace(int folderFd, const WrittenFile &file, const char *to) const override
    {
        if (m_fault == Fault::Rename) {
            errno = EXDEV;
            return -1;
        }
        return FileSystem::putInPlace(folderFd, file, to);
    }

private:
    Fault m_fault;
};

// Runs a change of the file system once, at one moment of the job: while the
// source is being read (or at every read of it), while the result is being
// written (after the checks before the write, before the check through the
// folder's handle), or just before the result is put in place.
class ChangingFileSystem : public FileSystem {
public:
    explicit ChangingFileSystem(Temporaries temporaries) : FileSystem(temporaries) {}
    mutable std::function<void()> whileReading;
    mutable bool atEveryRead = false;
    mutable std::function<void()> whileWriting;
    mutable std::function<void()> beforePlacing;

protected:
    long readSome(int fd, char *into, size_t max) const override
    {
        if (whileReading)
            (atEveryRead ? whileReading : std::exchange(whileReading, {}))();
        return FileSystem::readSome(fd, into, max);
    }

    long writeSome(int fd, const struct iovec *parts, int count) const override
    {
        if (whileWriting)
            std::exchange(whileWriting, {})();
        return FileSystem::writeSome(fd, parts, count);
    }

    int putInPlace(int folderFd, const WrittenFile &file, const char *to) const override
    {
        if (beforePlacing)
            std::exchange(beforePlacing, {})();
        return FileSystem::putInPlace(folderFd, file, to);
    }
};

// Writes at most three bytes a call, as a pipe or a network file system may:
// every write after the first goes on where the one before stopped.
class ShortWritingFileSystem : public FileSystem {
public:
    mutable int writes = 0;

protected:
    long writeSome(int fd, const struct iovec *parts, int count) const override
    {
        ++writes;
        QVarLengthArray<struct iovec, 4> shortened;
        size_t left = 3;
        for (int k = 0; k < count && left > 0; ++k) {
            shortened.append({parts[k].iov_base, std::min(left, parts[k].iov_len)});
            left -= shortened.last().iov_len;
        }
        return FileSystem::writeSome(fd, shortened.data(), int(shortened.size()));
    }
};

bool makeLink(const QString &target, const QString &link)
{
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) == 0;
}

struct FileState {
    QByteArray bytes;
    qint64 mtimeNs = -1;
    bool operator==(const FileState &other) const { return bytes == other.bytes && mtimeNs == other.mtimeNs; }
};

FileState stateOf(const QString &path)
{
    struct stat info {};
    FileState state;
    if (::stat(QFile::encodeName(path).constData(), &info) == 0)
        state.mtimeNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    state.bytes = readBytes(path);
    return state;
}

// Every name in the folder, hidden ones (the writer's temporary files) included.
QStringList namesIn(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System
                                               | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

} // namespace

class TestFaultInjection : public QObject {
    Q_OBJECT

private slots:
    void failedStepIsReported_data();
    void failedStepIsReported();
    void changeDuringTheWrite_data();
    void changeDuringTheWrite();
    void shortWritesGiveTheWholeResult_data();
    void shortWritesGiveTheWholeResult();
    void sourceChangedWhileItIsRead_data();
    void sourceChangedWhileItIsRead();
    void temporaryFileWhileWriting_data();
    void temporaryFileWhileWriting();
    void unwritableFolderAsOtherUser_data();
    void unwritableFolderAsOtherUser();
};

void TestFaultInjection::failedStepIsReported_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<bool>("sets");
    QTest::addColumn<bool>("earlierResult");
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<JobStep>("step");
    QTest::addColumn<bool>("hidden");  // a hidden temporary file, not an unnamed one

    const QByteArray ansi = "<html><body><p>old text</p></body></html>";
    // UTF-16 results are written in parts (mark, text, stray byte): a failure can
    // fall between them.
    QByteArray utf16 = QByteArray("\xFF\xFE", 2);
    for (const char c : QByteArray("<body>old old</body>"))
        utf16 += QByteArray(1, c) + QByteArray(1, '\0');
    utf16 += 'x';

    // The close and the placing differ between the two kinds of temporary file.
    struct Row { const char *name; Fault fault; JobStep step; bool bothKinds; };
    const Row rows[] = {
        {"read", Fault::Read, JobStep::Read, false},
        {"first write", Fault::FirstWrite, JobStep::Write, false},
        {"later write", Fault::LaterWrite, JobStep::Write, false},
        {"close", Fault::Close, JobStep::Write, true},
        {"link or rename", Fault::Rename, JobStep::Write, true},
    };
    for (const Row &row : rows) {
        for (const bool hidden : {false, true}) {
            if (hidden && !row.bothKinds)
                continue;
            for (const bool sets : {false, true}) {
                for (const bool earlier : {false, true}) {
                    for (const bool wide : {false, true}) {
                        const QByteArray name = QByteArray(row.name) + (sets ? ", sets" : ", pair")
                                                + (earlier ? ", earlier result" : ", no result yet")
                                                + (wide ? ", UTF-16" : ", code page")
                                                + (hidden ? ", hidden temporary" : "");
                        QTest::newRow(name.constData()) << int(row.fault) << sets << earlier << (wide ? utf16 : ansi)
                                                        << row.step << hidden;
                    }
                }
            }
        }
    }
    QTest::newRow("no fault, pair") << int(Fault::None) << false << true << ansi << JobStep::None << false;
    QTest::newRow("no fault, sets, UTF-16") << int(Fault::None) << true << true << utf16 << JobStep::None << false;
    QTest::newRow("no fault, pair, hidden temporary") << int(Fault::None) << false << false << ansi << JobStep::None << true;
}

void TestFaultInjection::failedStepIsReported()
{
    QFETCH(int, fault);
    QFETCH(bool, sets);
    QFETCH(bool, earlierResult);
    QFETCH(QByteArray, source);
    QFETCH(JobStep, step);
    QFETCH(bool, hidden);

    const TempTree dir;
    const QString sourcePath = dir.write("page.htm", source);
    const QString resultPath = dir.path("page_replaced.htm");
    const QByteArray earlierBytes = "an earlier result that must survive";
    if (earlierResult)
        writeBytes(resultPath, earlierBytes);
    const FileState sourceBefore = stateOf(sourcePath);
    const QStringList namesBefore = namesIn(dir.root());

    const FaultyFileSystem fs(static_cast<Fault>(fault),
                              hidden ? FileSystem::Temporaries::Hidden : FileSystem::Temporaries::UnnamedWherePossible);
    JobOptions options;
    options.mode = ReplaceMode::WholeFile;
    JobContext context;
    context.fileSystem = &fs;
    const QList<FindReplaceSet> setList = {{"old", "new"}, {"new", "newer"}};
    const FileRequest request{sets ? FileRequest::Kind::Sets : FileRequest::Kind::Pair,
                              sets ? setList : QList<FindReplaceSet>{{"old", "new"}}, options};
    const FileReport report = replaceInFile(SourcePath(sourcePath), request, context);

    QCOMPARE(stateOf(sourcePath), sourceBefore);
    if (static_cast<Fault>(fault) == Fault::None) {
        QCOMPARE(report.status, FileReport::Status::Written);
        QVERIFY(readBytes(resultPath) != earlierBytes);
        QVERIFY(readBytes(resultPath).size() > 0);
        QCOMPARE(namesIn(dir.root()), QStringList({"page.htm", "page_replaced.htm"}));
        return;
    }
    QCOMPARE(report.status, FileReport::Status::Failed);
    QCOMPARE(report.failedStep, step);
    QCOMPARE(report.source, sourcePath);
    QVERIFY2(!report.description.isEmpty(), "a failure carries a description");
    // The description names the file it concerns: the source for a read, the result for a write.
    QVERIFY2(report.description.contains(step == JobStep::Read ? sourcePath : resultPath), qPrintable(report.description));
    if (static_cast<Fault>(fault) != Fault::Read)
        QVERIFY(fs.writes > 0 || static_cast<Fault>(fault) == Fault::Rename);
    // No partial result and no temporary file; an earlier result is kept as it was.
    QCOMPARE(namesIn(dir.root()), namesBefore);
    if (earlierResult)
        QCOMPARE(readBytes(resultPath), earlierBytes);
}

enum class Moment { BeforeTheJob, WhileWriting, BeforePlacing };
enum class Change { RepointOutputLink, ReplaceSource, LinkResultNameToSource };

void TestFaultInjection::changeDuringTheWrite_data()
{
    QTest::addColumn<QString>("outputLinkTo");   // the folder the output link names at the start
    QTest::addColumn<int>("change");
    QTest::addColumn<int>("moment");
    QTest::addColumn<JobStep>("step");           // None: written into the folder the link named at the start
    QTest::addColumn<QString>("subFolder");      // below the output folder, made by the job
    QTest::addColumn<bool>("hidden");            // a hidden temporary file, not an unnamed one
    QTest::addColumn<int>("siblings");           // listed pages before the source in its folder

    const auto link = int(Change::RepointOutputLink), replace = int(Change::ReplaceSource),
               hardLink = int(Change::LinkResultNameToSource);
    const auto before = int(Moment::BeforeTheJob), writing = int(Moment::WhileWriting),
               placing = int(Moment::BeforePlacing);
    const JobStep none = JobStep::None, place = JobStep::Place;
    for (const bool hidden : {false, true}) {
        const auto row = [&](const char *name) -> QTestData & {
            return QTest::newRow(qPrintable(QString::fromLatin1(name) + (hidden ? ", hidden temporary" : "")));
        };
        row("output link re-pointed to a source's folder while writing") << "empty" << link << writing << none << "" << hidden << 0;
        row("output link re-pointed to a source's folder before placing") << "empty" << link << placing << none << "" << hidden << 0;
        row("output link re-pointed to a source's folder before the job") << "empty" << link << before << place << "" << hidden << 0;
        row("source in the output folder saved anew by an editor") << "site" << replace << before << place << "" << hidden << 0;
        row("result name made a hard link to a source while writing") << "empty" << hardLink << writing << place << "" << hidden << 0;
        // After the last check a rename only replaces the name, the source untouched;
        // a link finds the name taken, and the check made then sees the source.
        row("result name made a hard link to a source before placing")
            << "empty" << hardLink << placing << (hidden ? none : place) << "" << hidden << 0;
        // A folder the run made is not looked into before the write; the last check is made all the same.
        row("result name in a folder made by the run made a hard link to a source while writing")
            << "empty" << hardLink << writing << place << "made" << hidden << 0;
    }
    // Among several listed pages of its folder a source is placed from the folder's
    // listing and its identity is looked up only when a check needs it.
    QTest::newRow("result name made a hard link to a source among listed pages while writing")
        << "empty" << hardLink << writing << place << "" << false << 4;
    QTest::newRow("source among listed pages saved anew by an editor")
        << "site" << replace << before << place << "" << false << 4;
}

// Two listed sources named index.htm, the second written through an output folder
// that is a link; the file system changes at one moment of the second's job.
void TestFaultInjection::changeDuringTheWrite()
{
    QFETCH(QString, outputLinkTo);
    QFETCH(int, change);
    QFETCH(int, moment);
    QFETCH(JobStep, step);
    QFETCH(QString, subFolder);
    QFETCH(bool, hidden);
    QFETCH(int, siblings);

    const TempTree dir;
    if (!hidden && !testing::makesUnnamedFiles(dir.root()))
        QSKIP("this file system has no unnamed files");
    const QString listed = dir.path("site/index.htm");
    const QString processed = dir.path("other/index.htm");
    writeBytes(listed, "<body>site old</body>");
    writeBytes(processed, "<body>other old</body>");
    QVERIFY(QDir().mkpath(dir.path("empty")));
    const QString out = dir.path("out");
    QVERIFY(makeLink(dir.path(outputLinkTo), out));

    ChangingFileSystem fs(hidden ? FileSystem::Temporaries::Hidden : FileSystem::Temporaries::UnnamedWherePossible);
    JobOptions options;
    options.mode = ReplaceMode::WholeFile;
    options.save = SaveOption::OutputFolder;
    options.outputFolder = out;
    QStringList sourcePaths;
    for (int i = 0; i < siblings; ++i) {
        sourcePaths << dir.path(QStringLiteral("site/page%1.htm").arg(i));
        writeBytes(sourcePaths.last(), "<body>page</body>");
    }
    sourcePaths << listed << processed;
    const RunSources sources(sourcePaths);
    OutputFolders folders;
    JobContext context;
    context.fileSystem = &fs;
    context.sources = &sources;
    context.outputFolders = &folders;
    context.subFolder = subFolder;
    const QString resultName =
        dir.path(subFolder.isEmpty() ? "empty/index.htm" : "empty/" + subFolder + "/index.htm");

    QByteArray listedBytes = "<body>site old</body>";
    std::function<void()> act;
    switch (static_cast<Change>(change)) {
    case Change::RepointOutputLink:
        act = [&] { QVERIFY(QFile::remove(out) && makeLink(dir.path("site"), out)); };
        break;
    case Change::ReplaceSource:
        // As editors save: a new file renamed over the old name.
        listedBytes = "<body>saved anew</body>";
        act = [&] {
            dir.write("site/.new", listedBytes);
            QVERIFY(::rename(QFile::encodeName(dir.path("site/.new")).constData(),
                             QFile::encodeName(listed).constData()) == 0);
        };
        break;
    case Change::LinkResultNameToSource:
        act = [&] {
            QVERIFY(testing::makeHardLink(listed, resultName));
        };
        break;
    }
    switch (static_cast<Moment>(moment)) {
    case Moment::BeforeTheJob: act(); break;
    case Moment::WhileWriting: fs.whileWriting = act; break;
    case Moment::BeforePlacing: fs.beforePlacing = act; break;
    }

    const FileReport report = replacePair(processed, options, context);

    QVERIFY2(!fs.whileWriting && !fs.beforePlacing, "the change was made");
    QCOMPARE(readBytes(listed), listedBytes);
    QCOMPARE(readBytes(processed), QByteArray("<body>other old</body>"));
    for (const char *folder : {"site", "other", "empty"}) {
        for (const QString &name : namesIn(dir.path(folder)))
            QVERIFY2(!name.startsWith(".~tessaly-"), qPrintable(name));
    }
    if (step == JobStep::None) {
        QCOMPARE(report.status, FileReport::Status::Written);
        QCOMPARE(readBytes(dir.path("empty/index.htm")), QByteArray("<body>other new</body>"));
        return;
    }
    QCOMPARE(report.status, FileReport::Status::Failed);
    QCOMPARE(report.failedStep, step);
    QVERIFY2(report.description.contains("source file of this run"), qPrintable(report.description));
}

void TestFaultInjection::shortWritesGiveTheWholeResult_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<qsizetype>("pieceSize");
    QTest::addColumn<QByteArray>("result");

    // UTF-16 results are written in parts (mark, text, stray byte), so a short
    // write stops within one part or at the end of one.
    const auto utf16 = [](const QByteArray &ascii) {
        QByteArray units = "\xFF\xFE";
        for (const char c : ascii)
            units += QByteArray(1, c) + QByteArray(1, '\0');
        return units;
    };
    const QByteArray page = QByteArray("<p>old text</p>\n").repeated(40);
    QByteArray replaced = page;
    replaced.replace("old", "new");
    QTest::newRow("whole") << page << (qsizetype(4) << 20) << replaced;
    QTest::newRow("in pieces") << page << qsizetype(16) << replaced;
    QTest::newRow("UTF-16 with a stray byte") << utf16("<body>old old</body>") + 'x' << (qsizetype(4) << 20)
                                              << utf16("<body>new new</body>") + 'x';
}

// A write that takes only part of what it is given is followed by more writes
// until the whole result is in, byte for byte.
void TestFaultInjection::shortWritesGiveTheWholeResult()
{
    QFETCH(QByteArray, source);
    QFETCH(qsizetype, pieceSize);
    QFETCH(QByteArray, result);

    const TempTree dir;
    const QString sourcePath = dir.write("page.htm", source);
    const ShortWritingFileSystem fs;
    JobOptions options;
    options.mode = ReplaceMode::WholeFile;
    JobContext context;
    context.fileSystem = &fs;
    context.pieceSize = pieceSize;

    const FileReport report = replacePair(sourcePath, options, context);

    QCOMPARE(report.status, FileReport::Status::Written);
    QCOMPARE(readBytes(dir.path("page_replaced.htm")), result);
    QVERIFY(fs.writes >= result.size() / 3);
}

enum class SourceChange { Grows, Shrinks, RewrittenInPlace };

void TestFaultInjection::sourceChangedWhileItIsRead_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<bool>("atEveryRead");
    QTest::addColumn<bool>("inPieces");

    for (const bool inPieces : {false, true}) {
        const auto row = [&](const char *name) -> QTestData & {
            return QTest::newRow(qPrintable(QString::fromLatin1(name) + (inPieces ? ", in pieces" : ", whole")));
        };
        row("grows once") << int(SourceChange::Grows) << false << inPieces;
        // Read on to its end it would never end.
        row("grows at every read") << int(SourceChange::Grows) << true << inPieces;
        row("shrinks") << int(SourceChange::Shrinks) << false << inPieces;
        row("rewritten in place, same size") << int(SourceChange::RewrittenInPlace) << false << inPieces;
    }
}

// A source that another program changes while its job reads it gives no result:
// what was read is no state the file ever had. Its job fails at the read.
void TestFaultInjection::sourceChangedWhileItIsRead()
{
    QFETCH(int, change);
    QFETCH(bool, atEveryRead);
    QFETCH(bool, inPieces);

    const TempTree dir;
    const QString sourcePath = dir.write("page.htm", QByteArray("<p>old</p>\n").repeated(100));
    ChangingFileSystem fs(FileSystem::Temporaries::Hidden);
    fs.atEveryRead = atEveryRead;
    fs.whileReading = [&, change = static_cast<SourceChange>(change)] {
        QFile file(sourcePath);
        QVERIFY(file.open(QIODevice::ReadWrite));
        if (change == SourceChange::Grows) {
            QVERIFY(file.seek(file.size()));
            QVERIFY(file.write(QByteArray("<p>old</p>\n").repeated(20)) > 0);
        } else if (change == SourceChange::Shrinks) {
            QVERIFY(file.resize(10));
        } else {
            QCOMPARE(file.write("<P>"), 3);
            file.close();
            // A time of its own, whatever the file system's clock resolution.
            const struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
            QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(sourcePath).constData(), times, 0) == 0);
        }
    };
    JobOptions options;
    options.mode = ReplaceMode::WholeFile;
    JobContext context;
    context.fileSystem = &fs;
    if (inPieces)
        context.pieceSize = 64;

    const FileReport report = replacePair(sourcePath, options, context);

    QCOMPARE(report.status, FileReport::Status::Failed);
    QCOMPARE(report.failedStep, JobStep::Read);
    QVERIFY2(report.description.contains("changed while it was read"), qPrintable(report.description));
    QVERIFY2(report.description.contains(sourcePath), qPrintable(report.description));
    QCOMPARE(namesIn(dir.root()), QStringList{"page.htm"});
}

void TestFaultInjection::temporaryFileWhileWriting_data()
{
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<int>("namesWhileWriting");  // hidden temporary files in the folder meanwhile

    QTest::newRow("unnamed: nothing to see or leave behind") << false << 0;
    QTest::newRow("hidden") << true << 1;
}

void TestFaultInjection::temporaryFileWhileWriting()
{
    QFETCH(bool, hidden);
    QFETCH(int, namesWhileWriting);

    const TempTree dir;
    if (!hidden && !testing::makesUnnamedFiles(dir.root()))
        QSKIP("this file system has no unnamed files");
    const QString sourcePath = dir.write("page.htm", "<body>old</body>");
    ChangingFileSystem fs(hidden ? FileSystem::Temporaries::Hidden : FileSystem::Temporaries::UnnamedWherePossible);
    QStringList seen;
    fs.whileWriting = [&] { seen = testing::temporaryFilesIn(dir.root()); };
    JobOptions options;
    options.mode = ReplaceMode::WholeFile;
    JobContext context;
    context.fileSystem = &fs;

    const FileReport report = replacePair(sourcePath, options, context);

    QCOMPARE(report.status, FileReport::Status::Written);
    QCOMPARE(seen.size(), namesWhileWriting);
    QCOMPARE(readBytes(dir.path("page_replaced.htm")), QByteArray("<body>new</body>"));
    QCOMPARE(namesIn(dir.root()), QStringList({"page.htm", "page_replaced.htm"}));
}

void TestFaultInjection::unwritableFolderAsOtherUser_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("reportPart");
    QTest::addColumn<QString>("dryRunPart");  // a dry run first says what the run will do (a source it
                                              // cannot read fails there too)

    QTest::newRow("source folder not writable")
        << "readonly-folder" << 1 << "failed (Cannot write" << "would fail (Cannot write";
    QTest::newRow("source not readable")
        << "unreadable-source" << 1 << "failed (Cannot open" << "failed (Cannot open";
    QTest::newRow("folder without search permission")
        << "unsearchable-folder" << 1 << "failed (Cannot open" << "failed (Cannot open";
    QTest::newRow("earlier result not writable, folder writable")
        << "readonly-result" << 0 << "page_replaced.htm (1 replacement)" << "(1 replacement, dry run)";
}

// As an unprivileged user, permissions are real: a folder without write access
// fails the write, an unreadable source is refused, and nothing is left behind.
void TestFaultInjection::unwritableFolderAsOtherUser()
{
    QFETCH(QString, setup);
    QFETCH(int, exitCode);
    QFETCH(QString, reportPart);
    QFETCH(QString, dryRunPart);

    if (::geteuid() != 0)
        QSKIP("needs root to run the program as another user");
    if (QProcess::execute("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", "true"}) != 0)
        QSKIP("setpriv cannot change the user here");
    if (QProcess::execute("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", "test", "-x",
                                      TESSALY_CLI_PATH}) != 0)
        QSKIP("the program is not reachable for an unprivileged user");

    const TempTree dir;
    QFile::setPermissions(dir.root(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                          | QFileDevice::ReadOther | QFileDevice::ExeOther);
    const QString folder = dir.path("site");
    QVERIFY(QDir().mkpath(folder));
    const QString sourcePath = folder + "/page.htm";
    const QString resultPath = folder + "/page_replaced.htm";
    writeBytes(sourcePath, "<body>old</body>");
    QVERIFY(::chown(QFile::encodeName(folder).constData(), 65534, 65534) == 0);
    QVERIFY(::chmod(QFile::encodeName(sourcePath).constData(), 0644) == 0);
    if (setup == "readonly-folder") {
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
    } else if (setup == "unreadable-source") {
        QVERIFY(::chmod(QFile::encodeName(sourcePath).constData(), 0000) == 0);
    } else if (setup == "unsearchable-folder") {
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0600) == 0);
    } else if (setup == "readonly-result") {
        writeBytes(resultPath, "earlier");
        QVERIFY(::chmod(QFile::encodeName(resultPath).constData(), 0444) == 0);
    }
    const FileState sourceBefore = stateOf(sourcePath);

    for (const QString &part : {dryRunPart, reportPart}) {
        QStringList args{"--reuid=65534", "--regid=65534", "--clear-groups", TESSALY_CLI_PATH, "-f", "old", "-r",
                         "new", "-j", "1", sourcePath};
        if (part == dryRunPart)
            args << "-n";
        QProcess cli;
        cli.start("setpriv", args);
        QVERIFY(cli.waitForFinished(30000));
        const QString out = QString::fromLocal8Bit(cli.readAllStandardOutput());
        QCOMPARE(cli.exitCode(), exitCode);
        QVERIFY2(out.contains(part), qPrintable(out));
    }

    QCOMPARE(stateOf(sourcePath), sourceBefore);
    const QStringList names = namesIn(folder);
    for (const QString &name : names)
        QVERIFY2(!name.startsWith(".~tessaly-"), qPrintable(name));
    if (setup == "readonly-result")
        QCOMPARE(readBytes(resultPath), QByteArray("<body>new</body>"));
    else
        QCOMPARE(names, QStringList{"page.htm"});
    ::chmod(QFile::encodeName(folder).constData(), 0755);
}

QTEST_GUILESS_MAIN(TestFaultInjection)
#include "tst_fault_injection.moc"
