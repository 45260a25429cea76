// The row loop of Start Replacing against a fake host, without a window: rows
// removed, the host closing or stopping, the request changing between files, and
// a dry run giving the outcomes of the real one.
#include "engine/replace_run.h"
#include "engine/run_sources.h"
#include "test_files.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QtTest>

using namespace tessaly;

Q_DECLARE_METATYPE(tessaly::ReplaceMode)
Q_DECLARE_METATYPE(tessaly::SaveOption)

namespace {

// Rows, requests and answers in plain members; every call is counted or recorded.
class FakeRunHost : public RunHost {
public:
    QStringList rows;
    FileRequest next;                             // what request() answers
    std::function<void(int call)> onHandOver;     // runs inside handOverEvents
    std::function<void(int row)> onPerform;       // runs after a file's work
    bool closing = false;
    int handOvers = 0;
    int busyCalls = 0;
    QList<int> progressRows;
    QList<StepFailure> failures;

    bool handOverEvents() override
    {
        ++handOvers;
        if (onHandOver)
            onHandOver(handOvers);
        return !closing;
    }
    bool goesOn() const override { return !closing; }
    void showBusy() override { ++busyCalls; }
    QString rowText(int row) override
    {
        if (row < 1 || row > rows.size())
            throw TessalyError(QStringLiteral("Index out of bounds"));
        return rows.at(row - 1);
    }
    void showProgress(int row, int, const QString &) override { progressRows << row; }
    FileRequest request() override { return next; }
    FileReport perform(const std::function<FileReport()> &work, qint64) override
    {
        FileReport report = work();
        if (onPerform)
            onPerform(progressRows.isEmpty() ? 0 : progressRows.last());
        return report;
    }
    void reportFailure(const StepFailure &failure) override { failures << failure; }
};

FileRequest pair(const QString &find, const QString &replace, ReplaceMode mode = ReplaceMode::WholeFile)
{
    FileRequest request;
    request.kind = FileRequest::Kind::Pair;
    request.findText = find;
    request.replaceText = replace;
    request.options.mode = mode;
    request.options.save = SaveOption::BesideSource;
    return request;
}

} // namespace

class TestReplaceRun : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_failures.clear();
    }

    void everyRowInOrder()
    {
        FakeRunHost host;
        host.rows = {source("a.htm", "x"), source("empty.htm", ""), source("b.htm", "x")};
        host.next = pair("x", "y");
        const RunOutcome outcome = run(host);
        QVERIFY(!outcome.ended);
        QCOMPARE(outcome.details.size(), 3);
        QVERIFY(outcome.details.at(1).contains("skipped"));
        QCOMPARE(host.progressRows, (QList<int>{1, 2, 3}));
        QCOMPARE(host.handOvers, 3);
        QCOMPARE(testing::readBytes(result("a")), QByteArray("y"));
        QCOMPARE(testing::readBytes(result("b")), QByteArray("y"));
        QVERIFY(m_failures.isEmpty());
    }

    void rowRemovedMidRun()
    {
        FakeRunHost host;
        host.rows = {source("a.htm", "x"), source("b.htm", "x"), source("c.htm", "x")};
        host.next = pair("x", "y");
        // The last row goes while the first file's events run: its turn reports
        // statement 116 and the run ends normally.
        host.onHandOver = [&](int call) {
            if (call == 1)
                host.rows.removeLast();
        };
        const RunOutcome outcome = run(host);
        QVERIFY(!outcome.ended);
        QCOMPARE(m_failures.size(), 1);
        QCOMPARE(m_failures.first().statement, 116);
        QCOMPARE(m_failures.first().description, QStringLiteral("Index out of bounds"));
        QCOMPARE(m_failures.first().source, sourceTag(QStringLiteral("Form1.PushButton3_Click")));
        QCOMPARE(outcome.details.size(), 3);
        QVERIFY(QFileInfo::exists(result("a")));
        QVERIFY(QFileInfo::exists(result("b")));
        QVERIFY(!QFileInfo::exists(result("c")));
    }

    void closingBeforeAFileEndsTheRun()
    {
        FakeRunHost host;
        host.rows = {source("a.htm", "x"), source("b.htm", "x")};
        host.next = pair("x", "y");
        host.onHandOver = [&](int call) { host.closing = call == 2; };
        const RunOutcome outcome = run(host);
        QVERIFY(outcome.ended);
        QCOMPARE(host.busyCalls, 1);
        QCOMPARE(outcome.details.size(), 1);
        QVERIFY(QFileInfo::exists(result("a")));
        QVERIFY(!QFileInfo::exists(result("b")));
    }

    void closingDuringAFileFinishesIt()
    {
        FakeRunHost host;
        host.rows = {source("a.htm", "x"), source("b.htm", "x")};
        host.next = pair("x", "y");
        host.onPerform = [&](int) { host.closing = true; };
        const RunOutcome outcome = run(host);
        QVERIFY(outcome.ended);
        QCOMPARE(host.handOvers, 1);
        QCOMPARE(testing::readBytes(result("a")), QByteArray("y"));
        QVERIFY(!QFileInfo::exists(result("b")));
    }

    void requestChangesBetweenFiles()
    {
        FakeRunHost host;
        host.rows = {source("a.htm", "<body><b>b</b></body>"), source("b.htm", "<body><b>b</b></body>"),
                     source("c.htm", "<body><b>b</b></body>")};
        host.next = pair("b", "i", ReplaceMode::ViewableText);
        host.onHandOver = [&](int call) {
            if (call == 2) {
                // The mode changes: the whole file from now on.
                host.next.options.mode = ReplaceMode::WholeFile;
            } else if (call == 3) {
                // The sets tab.
                host.next.kind = FileRequest::Kind::Sets;
                host.next.findList = {"b", "i"};
                host.next.replaceList = {"i", "u"};
            }
        };
        run(host);
        QCOMPARE(testing::readBytes(result("a")), QByteArray("<body><b>i</b></body>"));
        QCOMPARE(testing::readBytes(result("b")), QByteArray("<iody><i>i</i></iody>"));
        QCOMPARE(testing::readBytes(result("c")), QByteArray("<uody><u>u</u></uody>"));
    }

    void neitherTabLeavesTheRowAlone()
    {
        FakeRunHost host;
        host.rows = {source("a.htm", "x")};
        host.next = pair("x", "y");
        host.next.kind = FileRequest::Kind::None;
        const RunOutcome outcome = run(host);
        QVERIFY(outcome.details.isEmpty());
        QVERIFY(!QFileInfo::exists(result("a")));
    }

    void failedFileNamesItsProcedure_data()
    {
        QTest::addColumn<bool>("sets");
        QTest::addColumn<QString>("procedure");
        QTest::newRow("pair") << false << "ReplaceText.ReplaceTextInFile";
        QTest::newRow("sets") << true << "ReplaceText.ReplaceTextInFileCombo";
    }
    void failedFileNamesItsProcedure()
    {
        QFETCH(bool, sets);
        QFETCH(QString, procedure);
        FakeRunHost host;
        host.rows = {source("a.htm", "x"), source("b.htm", "x")};
        host.next = pair("x", "y");
        if (sets) {
            host.next.kind = FileRequest::Kind::Sets;
            host.next.findList = {"x"};
            host.next.replaceList = {"y"};
        }
        // A folder where a's result should go: the write cannot replace it.
        QVERIFY(QDir().mkpath(result("a")));
        const RunOutcome outcome = run(host);
        QCOMPARE(m_failures.size(), 1);
        QCOMPARE(m_failures.first().source, sourceTag(procedure));
        QVERIFY(outcome.details.first().contains(": failed ("));
        QVERIFY(QFileInfo::exists(result("b")));
    }

    void resultNamingARunSourceFails()
    {
        // b's result would be a_replaced.htm's own path, which is a source of the run.
        FakeRunHost host;
        const QString other = source("b.htm", "x");
        host.rows = {source("b_replaced.htm", "keep"), other};
        host.next = pair("x", "y");
        const RunOutcome outcome = run(host, host.rows);
        QCOMPARE(testing::readBytes(result("b")), QByteArray("keep"));
        QVERIFY(outcome.details.at(1).contains(": failed ("));
    }

    void stopAfterKOfMFiles_data()
    {
        QTest::addColumn<int>("k");
        QTest::addColumn<bool>("duringFile");  // Stop while row k is replaced, else before row k + 1
        QTest::newRow("before the first") << 0 << false;
        QTest::newRow("before the second") << 1 << false;
        QTest::newRow("during the second") << 2 << true;
        QTest::newRow("before the last") << 2 << false;
    }
    void stopAfterKOfMFiles()
    {
        QFETCH(int, k);
        QFETCH(bool, duringFile);
        FakeRunHost host;
        host.rows = {source("a.htm", "x"), source("b.htm", "x"), source("c.htm", "x")};
        host.next = pair("x", "y");
        if (duringFile)
            host.onPerform = [&](int row) { host.closing = row == k; };
        else
            host.onHandOver = [&](int call) { host.closing = call == k + 1; };
        const RunOutcome outcome = run(host);
        QVERIFY(outcome.ended);
        QCOMPARE(outcome.rowsDone, k);
        QCOMPARE(outcome.reports.size(), k);
        QStringList expected = {"a.htm", "b.htm", "c.htm"};
        for (const QString &stem : QStringList{"a", "b", "c"}.first(k))
            expected << stem + "_replaced.htm";
        expected.sort();
        QCOMPARE(filesIn(m_dir->path()), expected);  // no temporary file either
    }

    // The same rows in both runs: one found and replaced, two skipped, one whose
    // result place is a folder, and sources whose results would name other
    // sources beside them (b) or in the output folder (c).
    void dryRunHasTheOutcomesOfTheRealRun_data()
    {
        QTest::addColumn<ReplaceMode>("mode");
        QTest::addColumn<SaveOption>("save");
        QTest::addColumn<QString>("statuses");  // per row: Written, Skipped, Failed
        QTest::addColumn<qint64>("replacements");
        const QString beside = "WSSFFWWW";
        const QString output = "WSSFWWFW";
        QTest::newRow("viewable text, beside source") << ReplaceMode::ViewableText << SaveOption::BesideSource << beside << qint64(1);
        QTest::newRow("whole file, beside source") << ReplaceMode::WholeFile << SaveOption::BesideSource << beside << qint64(3);
        QTest::newRow("viewable text, output folder") << ReplaceMode::ViewableText << SaveOption::OutputFolder << output << qint64(1);
        QTest::newRow("whole file, output folder") << ReplaceMode::WholeFile << SaveOption::OutputFolder << output << qint64(3);
    }
    void dryRunHasTheOutcomesOfTheRealRun()
    {
        QFETCH(ReplaceMode, mode);
        QFETCH(SaveOption, save);
        QFETCH(QString, statuses);
        QFETCH(qint64, replacements);
        const QByteArray page = "<body><p title='x'>x</p><!-- x --></body>";
        const QString out = m_dir->filePath("out");
        QVERIFY(QDir().mkpath(out + "/blocked.htm"));
        QVERIFY(QDir().mkpath(m_dir->filePath("blocked_replaced.htm")));
        FakeRunHost host;
        host.rows = {source("a.htm", page), source("empty.htm", ""), m_dir->filePath("missing.htm"),
                     source("blocked.htm", page), source("b.htm", page), source("b_replaced.htm", page),
                     source("c.htm", page), source("out/c.htm", page)};
        host.next = pair("x", "y", mode);
        host.next.options.save = save;
        host.next.options.outputFolder = out + "/";

        const QStringList before = filesIn(m_dir->path());
        host.next.options.dryRun = true;
        const RunOutcome dry = run(host, host.rows);
        QCOMPARE(filesIn(m_dir->path()), before);
        host.next.options.dryRun = false;
        const RunOutcome real = run(host, host.rows);

        QCOMPARE(real.reports.size(), host.rows.size());
        QCOMPARE(dry.reports.size(), real.reports.size());
        QString realStatuses;
        for (qsizetype i = 0; i < real.reports.size(); ++i) {
            const FileReport &d = dry.reports[i];
            const FileReport &r = real.reports[i];
            realStatuses += "WSF"[int(r.status)];
            QCOMPARE(d.source, r.source);
            QCOMPARE(d.status, r.status);
            QCOMPARE(d.resultPath, r.resultPath);
            QCOMPARE(d.replacements, r.replacements);
            QVERIFY(!r.dryRun);
            QCOMPARE(d.dryRun, d.status != FileReport::Status::Skipped);
        }
        QCOMPARE(realStatuses, statuses);
        QCOMPARE(real.reports.first().replacements, replacements);
        QVERIFY(QFileInfo::exists(real.reports.first().resultPath));
    }

    // Pages of one name from several folders into one output folder: the first
    // row's result stays, the others fail without a box each and are counted in
    // the closing message.
    void resultsOfTheRunAreNotReplaced_data()
    {
        QTest::addColumn<int>("folders");
        QTest::addColumn<QString>("message");
        QTest::newRow("one") << 1 << "Done.";
        QTest::newRow("two") << 2 << "Done.\n1 file was not written: its result would replace a result of this run.";
        QTest::newRow("four")
            << 4 << "Done.\n3 files were not written: their results would replace results of this run.";
    }

    void resultsOfTheRunAreNotReplaced()
    {
        QFETCH(int, folders);
        QFETCH(QString, message);
        FakeRunHost host;
        QDir(m_dir->path()).mkdir("out");
        for (int i = 0; i < folders; ++i) {
            QDir(m_dir->path()).mkdir(QString::number(i));
            host.rows << source(QStringLiteral("%1/index.htm").arg(i), QByteArray::number(i) + " x");
        }
        host.next = pair("x", "y");
        host.next.options.save = SaveOption::OutputFolder;
        host.next.options.outputFolder = m_dir->filePath("out");
        const RunOutcome outcome = run(host, host.rows);
        QCOMPARE(doneMessage(outcome), message);
        QCOMPARE(host.failures.size(), 0);
        QCOMPARE(testing::readBytes(m_dir->filePath("out/index.htm")), QByteArray("0 y"));
        QCOMPARE(outcome.details.size(), folders);
        for (int i = 1; i < folders; ++i)
            QVERIFY2(outcome.details.at(i).startsWith(host.rows.at(i) + ": failed (")
                         && outcome.details.at(i).contains(host.rows.first()),
                     qPrintable(outcome.details.at(i)));
    }

    void processFileSkipsMissingAndEmpty()
    {
        const FileRequest request = pair("x", "y");
        QCOMPARE(processFile(m_dir->filePath("gone.htm"), request).status, FileReport::Status::Skipped);
        QCOMPARE(processFile(source("empty.htm", ""), request).status, FileReport::Status::Skipped);
        QCOMPARE(processFile(source("a.htm", "x"), request).status, FileReport::Status::Written);
        QCOMPARE(testing::readBytes(result("a")), QByteArray("y"));
    }

private:
    RunOutcome run(FakeRunHost &host, const QStringList &sources = {})
    {
        ErrorTrap trap([this](const StepFailure &failure) { m_failures << failure; },
                       QStringLiteral("Form1.PushButton3_Click"));
        const RunOutcome outcome = ReplaceRun(host, std::make_shared<const RunSources>(sources)).run(trap, int(host.rows.size()));
        m_failures << host.failures;
        return outcome;
    }
    QString source(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir->filePath(name);
        testing::writeBytes(path, bytes);
        return path;
    }
    QString result(const QString &stem) { return m_dir->filePath(stem + "_replaced.htm"); }
    // Every file below root, relative to it, sorted.
    static QStringList filesIn(const QString &root)
    {
        QStringList files;
        QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(root).relativeFilePath(it.next());
        files.sort();
        return files;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QList<StepFailure> m_failures;
};

QTEST_MAIN(TestReplaceRun)
#include "tst_replace_run.moc"
