// The run over a list of files, without a front end: a fake request source and a
// fake sink. Outcomes in list order on the caller's thread, the request read per
// file, stops, failures, and the texts the front ends build from the outcomes.
#include "base/tessaly_error.h"
#include "engine/replace_run.h"
#include "engine/run_report.h"
#include "engine/run_sources.h"
#include "temp_tree.h"
#include "test_files.h"

#include <QDirIterator>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <mutex>
#include <numeric>
#include <thread>

using namespace tessaly;

Q_DECLARE_METATYPE(tessaly::ReplaceMode)
Q_DECLARE_METATYPE(tessaly::SaveOption)

namespace {

// Answers each file's request from a function of its index (which may throw) and
// records which indexes were asked for.
class FakeRequests : public RequestSource {
public:
    explicit FakeRequests(std::function<FileRequest(int index)> answer) : m_answer(std::move(answer)) {}

    std::shared_ptr<const FileRequest> requestFor(int index) override
    {
        {
            const std::lock_guard lock(m_mutex);
            m_asked << index;
        }
        return std::make_shared<const FileRequest>(m_answer(index));
    }
    QList<int> asked() const
    {
        const std::lock_guard lock(m_mutex);
        QList<int> asked = m_asked;
        std::sort(asked.begin(), asked.end());
        return asked;
    }

private:
    std::function<FileRequest(int)> m_answer;
    mutable std::mutex m_mutex;
    QList<int> m_asked;
};

// Records every outcome with the thread it came on; `onFile` runs after each.
class FakeSink : public ReportSink {
public:
    std::function<void(const FileOutcome &)> onFile;
    QList<FileOutcome> outcomes;
    QList<std::thread::id> threads;

    void fileDone(const FileOutcome &outcome) override
    {
        outcomes << outcome;
        threads << std::this_thread::get_id();
        if (onFile)
            onFile(outcome);
    }
    QList<int> indexes() const
    {
        QList<int> indexes;
        for (const FileOutcome &outcome : outcomes)
            indexes << outcome.index;
        return indexes;
    }
    QList<FileReport> reports() const
    {
        QList<FileReport> reports;
        for (const FileOutcome &outcome : outcomes)
            reports << outcome.report.value_or(FileReport());
        return reports;
    }
    bool allOn(std::thread::id thread) const
    {
        return std::all_of(threads.begin(), threads.end(), [&](std::thread::id id) { return id == thread; });
    }
};

// Asks its run to stop just before the result `name` is renamed into place: that
// file is in flight when the stop comes.
class StoppingFileSystem : public FileSystem {
public:
    StoppingFileSystem(QByteArray name, StopToken &stop) : m_name(std::move(name)), m_stop(stop) {}
    int putInPlace(int folderFd, const WrittenFile &file, const char *to) const override
    {
        if (m_name == to)
            m_stop.requestStop(kStopReason);
        return FileSystem::putInPlace(folderFd, file, to);
    }
    static constexpr int kStopReason = 15;

private:
    QByteArray m_name;
    StopToken &m_stop;
};

FileRequest pair(const QString &find, const QString &replace, ReplaceMode mode = ReplaceMode::WholeFile)
{
    FileRequest request;
    request.kind = FileRequest::Kind::Pair;
    request.sets = {{find, replace}};
    request.options.mode = mode;
    request.options.save = SaveOption::BesideSource;
    return request;
}

FileRequest sets(const QList<FindReplaceSet> &list)
{
    FileRequest request = pair(QString(), QString());
    request.kind = FileRequest::Kind::Sets;
    request.sets = list;
    return request;
}

RunEnd run(const QStringList &paths, RequestSource &requests, ReportSink &sink, int jobs = 1,
           const RunEnvironment &environment = {}, const StopToken &stop = StopToken())
{
    QList<RunFile> files;
    for (const QString &path : paths)
        files << RunFile{path, QString(), QString()};
    return ReplaceRun(environment).run(files, requests, sink, stop, jobs);
}

FileReport report(FileReport::Status status, qint64 replacements = 0, qint64 lost = 0,
                  const QString &earlierSource = QString())
{
    FileReport report;
    report.status = status;
    report.replacements = replacements;
    report.lostCharacters = lost;
    report.earlierSource = earlierSource;
    return report;
}

} // namespace

class TestReplaceRun : public QObject {
    Q_OBJECT
private slots:
    // The window groups numbers as the user's locale does.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void init()
    {
        m_dir = std::make_unique<testing::TempTree>();
    }

    // Pages, an empty and a missing file: each gets its outcome in list order on
    // the caller's thread, the skipped ones with no request (their jobs find them
    // missing or empty when opening them, with the request read).
    void everyFileInListOrder_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("jobs");
        QTest::addColumn<int>("threadLimit");
        const QStringList names = {"a", "empty", "b", "missing", "c", "d", "e", "f", "g", "h"};
        QTest::newRow("one job") << names << 1 << -1;
        QTest::newRow("four jobs") << names << 4 << -1;
        QTest::newRow("eight jobs, no thread granted") << names << 8 << 0;
        QTest::newRow("eight jobs, one thread granted") << names << 8 << 1;
        QTest::newRow("no file") << QStringList() << 4 << -1;
    }
    void everyFileInListOrder()
    {
        QFETCH(QStringList, names);
        QFETCH(int, jobs);
        QFETCH(int, threadLimit);
        QStringList paths;
        QList<int> pages;
        for (const QString &name : names) {
            if (name == "missing") {
                paths << m_dir->path("missing.htm");
                continue;
            }
            paths << source(name + ".htm", name == "empty" ? "" : "x");
            if (name != "empty")
                pages << int(paths.size());
        }
        FakeRequests requests([](int) { return pair("x", "y"); });
        FakeSink sink;
        RunEnvironment environment;
        environment.threadLimit = threadLimit;

        const RunEnd end = run(paths, requests, sink, jobs, environment);

        QCOMPARE(end.listed, paths.size());
        QCOMPARE(end.done, paths.size());
        QCOMPARE(end.stopReason, 0);
        QList<int> listOrder(paths.size());
        std::iota(listOrder.begin(), listOrder.end(), 1);
        QCOMPARE(sink.indexes(), listOrder);
        QVERIFY(sink.allOn(std::this_thread::get_id()));
        QCOMPARE(requests.asked(), listOrder);
        for (const FileOutcome &outcome : sink.outcomes) {
            const QString path = paths.at(outcome.index - 1);
            QVERIFY(outcome.report);
            QCOMPARE(outcome.report->source, path);
            if (pages.contains(outcome.index)) {
                QCOMPARE(outcome.report->status, FileReport::Status::Written);
                QCOMPARE(testing::readBytes(outcome.report->resultPath), QByteArray("y"));
            } else {
                QCOMPARE(outcome.report->status, FileReport::Status::Skipped);
                QVERIFY(!outcome.request);
            }
        }
    }

    // The mode, the tab and the texts change while the run works: each file is
    // done with the request read when it was started, on whichever thread (each
    // keeps the sets it made ready).
    void requestChangesBetweenFiles_data()
    {
        QTest::addColumn<int>("jobs");
        QTest::newRow("one thread") << 1;
        QTest::newRow("two threads") << 2;
    }
    void requestChangesBetweenFiles()
    {
        QFETCH(int, jobs);
        const QStringList paths = {source("a.htm", "<body><b>b</b></body>"), source("b.htm", "<body><b>b</b></body>"),
                                   source("c.htm", "<body><b>b</b></body>"), source("d.htm", "<body><b>b</b></body>")};
        FakeRequests requests([](int index) {
            if (index == 1)
                return pair("b", "i", ReplaceMode::ViewableText);
            if (index == 2)
                return pair("b", "i", ReplaceMode::WholeFile);
            if (index == 3)
                return sets({{"b", "i"}, {"i", "u"}});
            return sets({{"b", "i"}, {"i", "o"}});
        });
        FakeSink sink;
        run(paths, requests, sink, jobs);
        QCOMPARE(testing::readBytes(result("a")), QByteArray("<body><b>i</b></body>"));
        QCOMPARE(testing::readBytes(result("b")), QByteArray("<iody><i>i</i></iody>"));
        QCOMPARE(testing::readBytes(result("c")), QByteArray("<uody><u>u</u></uody>"));
        QCOMPARE(testing::readBytes(result("d")), QByteArray("<oody><o>o</o></oody>"));
        QCOMPARE(sink.outcomes.size(), 4);
        QCOMPARE(sink.outcomes.at(1).request->options.mode, ReplaceMode::WholeFile);
        QCOMPARE(sink.outcomes.at(2).request->kind, FileRequest::Kind::Sets);
    }

    // With neither tab selected a file is left alone: its outcome has no report;
    // an empty one is reported as skipped all the same.
    void noTabSelectedLeavesTheFileAlone()
    {
        const QStringList paths = {source("a.htm", "x"), source("b.htm", "x"), source("c.htm", "x"),
                                   source("d.htm", "")};
        FakeRequests requests([](int index) {
            FileRequest request = pair("x", "y");
            if (index == 2 || index == 4)
                request.kind = FileRequest::Kind::None;
            return request;
        });
        FakeSink sink;
        const RunEnd end = run(paths, requests, sink);
        QCOMPARE(end.done, 4);
        QCOMPARE(sink.outcomes.size(), 4);
        QVERIFY(!sink.outcomes.at(1).report);
        QVERIFY(sink.outcomes.at(1).request);
        QVERIFY(sink.outcomes.at(3).report);
        QCOMPARE(sink.outcomes.at(3).report->status, FileReport::Status::Skipped);
        QCOMPARE(sink.outcomes.at(3).report->description, QStringLiteral("empty"));
        QVERIFY(!QFileInfo::exists(result("b")));
        QVERIFY(QFileInfo::exists(result("a")));
        QVERIFY(QFileInfo::exists(result("c")));
    }

    // A request the source cannot give fails its file at the request step; the run
    // goes on with the next.
    void requestThatCannotBeRead()
    {
        const QStringList paths = {source("a.htm", "x"), source("b.htm", "x"), source("c.htm", "x")};
        FakeRequests requests([](int index) {
            if (index == 2)
                throw TessalyError(QStringLiteral("The sets cannot be read."));
            return pair("x", "y");
        });
        FakeSink sink;
        const RunEnd end = run(paths, requests, sink);
        QCOMPARE(end.done, 3);
        const FileOutcome &failed = sink.outcomes.at(1);
        QVERIFY(!failed.request);
        QCOMPARE(failed.report->status, FileReport::Status::Failed);
        QCOMPARE(failed.report->failedStep, JobStep::Request);
        QCOMPARE(failed.report->description, QStringLiteral("The sets cannot be read."));
        QCOMPARE(failed.report->source, paths.at(1));
        QVERIFY(!QFileInfo::exists(result("b")));
        QCOMPARE(testing::readBytes(result("c")), QByteArray("y"));
    }

    void resultNamingARunSourceFails()
    {
        // b's result would be b_replaced.htm, which is a source of the run.
        const QStringList paths = {source("b_replaced.htm", "keep"), source("b.htm", "x")};
        FixedRequest requests(pair("x", "y"));
        FakeSink sink;
        run(paths, requests, sink);
        QCOMPARE(testing::readBytes(result("b")), QByteArray("keep"));
        QCOMPARE(sink.outcomes.at(1).report->status, FileReport::Status::Failed);
        QCOMPARE(sink.outcomes.at(1).report->failedStep, JobStep::Place);
    }

    // A source is known by its place even once its name holds another file, and
    // by its identity under another name; also when the sources were looked at by
    // several threads, a block each, or placed from their folder's listing (where
    // a link among them still counts with the place it leads to).
    void sourcesKnownByPlaceAndIdentity_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("threads");
        QTest::newRow("one source") << 1 << 1;
        QTest::newRow("600 sources, two threads") << 600 << 2;
    }
    void sourcesKnownByPlaceAndIdentity()
    {
        QFETCH(int, count);
        QFETCH(int, threads);
        const QString elsewhere = m_dir->path("elsewhere");
        m_dir->write("elsewhere/target.htm", "t");
        m_dir->write("elsewhere/other.htm", "o");
        QStringList paths;
        for (int i = 0; i < count; ++i)
            paths << source(QStringLiteral("p%1.htm").arg(i), "x");
        const QString link = m_dir->path("link.htm");
        QVERIFY(QFile::link(elsewhere + "/target.htm", link));
        paths.insert(paths.size() / 2, link);
        QVERIFY(testing::makeHardLink(paths.last(), elsewhere + "/copy.htm"));

        const RunSources sources(paths.size(), [&](qsizetype i) { return paths.at(i); }, threads);
        const FileSystem &fs = FileSystem::real();
        const auto folder = fs.openFolder(m_dir->root());
        for (int i = 0; i < count; ++i)
            QVERIFY(sources.holds(*folder, QFile::encodeName(QStringLiteral("p%1.htm").arg(i)), FolderEntry{}));
        QVERIFY(!sources.holds(*folder, "other.htm", FolderEntry{}));
        const auto other = fs.openFolder(elsewhere);
        const auto holdsNow = [&](const QByteArray &name) {
            return sources.holds(*other, name, fs.lookUp({other, name, elsewhere + "/" + name}));
        };
        QVERIFY(sources.holds(*other, "target.htm", FolderEntry{}));
        QVERIFY(holdsNow("copy.htm"));
        QVERIFY(!holdsNow("other.htm"));
    }

    // A stop ends the run after the files in flight: the outcomes are the first
    // `done` files, each of them complete, the rest untouched, no temporary file.
    void stopAfterKOfMFiles_data()
    {
        QTest::addColumn<QString>("stopBy");  // "caller" before the run, "sink" after k outcomes, "write" of file k
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("jobs");
        QTest::newRow("before the first file") << "caller" << 0 << 1;
        QTest::newRow("after 2 outcomes, one job") << "sink" << 2 << 1;
        QTest::newRow("after 2 outcomes, four jobs") << "sink" << 2 << 4;
        QTest::newRow("while file 2 is written, one job") << "write" << 2 << 1;
        QTest::newRow("while file 2 is written, four jobs") << "write" << 2 << 4;
    }
    void stopAfterKOfMFiles()
    {
        QFETCH(QString, stopBy);
        QFETCH(int, k);
        QFETCH(int, jobs);
        const int reason = StoppingFileSystem::kStopReason;
        QStringList paths;
        QStringList stems;
        for (int i = 1; i <= 12; ++i) {
            stems << QStringLiteral("p%1").arg(i);
            paths << source(stems.last() + ".htm", "x");
        }
        FixedRequest requests(pair("x", "y"));
        FakeSink sink;
        StopToken stop;
        const StoppingFileSystem stopping(QFile::encodeName(stems.value(k - 1) + "_replaced.htm"), stop);
        RunEnvironment environment;
        if (stopBy == "caller")
            stop.requestStop(reason);
        else if (stopBy == "sink")
            sink.onFile = [&](const FileOutcome &outcome) {
                if (outcome.index == k)
                    stop.requestStop(reason);
            };
        else
            environment.fileSystem = &stopping;

        const RunEnd end = run(paths, requests, sink, jobs, environment, stop);

        QCOMPARE(end.listed, paths.size());
        QCOMPARE(end.stopReason, reason);
        if (jobs == 1)
            QCOMPARE(end.done, k);
        QVERIFY(end.done >= k);
        QCOMPARE(sink.outcomes.size(), end.done);
        QStringList expected;
        for (qsizetype i = 0; i < paths.size(); ++i) {
            expected << stems.at(i) + ".htm";
            if (i < end.done) {
                expected << stems.at(i) + "_replaced.htm";
                QCOMPARE(testing::readBytes(result(stems.at(i))), QByteArray("y"));
            }
        }
        expected.sort();
        QCOMPARE(filesIn(m_dir->root()), expected);
    }

    // The same files in both runs: one found and replaced, two skipped, one whose
    // result place is a folder, and sources whose results would name other
    // sources beside them (b) or in the output folder (c).
    void dryRunHasTheOutcomesOfTheRealRun_data()
    {
        QTest::addColumn<ReplaceMode>("mode");
        QTest::addColumn<SaveOption>("save");
        QTest::addColumn<QString>("statuses");  // per file: Written, Skipped, Failed
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
        const QString out = m_dir->path("out");
        QVERIFY(QDir().mkpath(out + "/blocked.htm"));
        QVERIFY(QDir().mkpath(m_dir->path("blocked_replaced.htm")));
        const QStringList paths = {source("a.htm", page),       source("empty.htm", ""),
                                   m_dir->path("missing.htm"), source("blocked.htm", page),
                                   source("b.htm", page),       source("b_replaced.htm", page),
                                   source("c.htm", page),       source("out/c.htm", page)};
        FileRequest request = pair("x", "y", mode);
        request.options.save = save;
        request.options.outputFolder = out + "/";

        const QStringList before = filesIn(m_dir->root());
        request.options.dryRun = true;
        FixedRequest dryRequests(request);
        FakeSink drySink;
        run(paths, dryRequests, drySink);
        QCOMPARE(filesIn(m_dir->root()), before);
        request.options.dryRun = false;
        FixedRequest realRequests(request);
        FakeSink realSink;
        run(paths, realRequests, realSink);

        const QList<FileReport> dry = drySink.reports();
        const QList<FileReport> real = realSink.reports();
        QCOMPARE(real.size(), paths.size());
        QCOMPARE(dry.size(), real.size());
        QString realStatuses;
        for (qsizetype i = 0; i < real.size(); ++i) {
            const FileReport &d = dry[i];
            const FileReport &r = real[i];
            realStatuses += "WSF"[int(r.status)];
            QCOMPARE(d.source, r.source);
            QCOMPARE(d.status, r.status);
            QCOMPARE(d.resultPath, r.resultPath);
            QCOMPARE(d.replacements, r.replacements);
            QVERIFY(!r.dryRun);
            QCOMPARE(d.dryRun, d.status != FileReport::Status::Skipped);
        }
        QCOMPARE(realStatuses, statuses);
        QCOMPARE(real.first().replacements, replacements);
        QVERIFY(QFileInfo::exists(real.first().resultPath));
    }

    // Pages of one name from several folders into one output folder: the first
    // file's result stays, the others fail naming it and are counted in the
    // closing message, however many files are done at once.
    void resultsOfTheRunAreNotReplaced_data()
    {
        QTest::addColumn<int>("folders");
        QTest::addColumn<int>("jobs");
        QTest::addColumn<QString>("message");
        const QString two = "Done.\n1 file was not written: its result would replace a result of this run.";
        const QString four = "Done.\n3 files were not written: their results would replace results of this run.";
        QTest::newRow("one") << 1 << 1 << "Done.";
        QTest::newRow("two") << 2 << 1 << two;
        QTest::newRow("four, one job") << 4 << 1 << four;
        QTest::newRow("four, four jobs") << 4 << 4 << four;
    }
    void resultsOfTheRunAreNotReplaced()
    {
        QFETCH(int, folders);
        QFETCH(int, jobs);
        QFETCH(QString, message);
        QStringList paths;
        QDir(m_dir->root()).mkdir("out");
        for (int i = 0; i < folders; ++i)
            paths << source(QStringLiteral("%1/index.htm").arg(i), QByteArray::number(i) + " x");
        FileRequest request = pair("x", "y");
        request.options.save = SaveOption::OutputFolder;
        request.options.outputFolder = m_dir->path("out");
        FixedRequest requests(request);
        FakeSink sink;
        const RunEnd end = run(paths, requests, sink, jobs);

        RunTally tally;
        for (const FileReport &report : sink.reports())
            tally.add(report);
        QCOMPARE(closingMessage(tally, end.done, end.listed, false), message);
        QCOMPARE(testing::readBytes(m_dir->path("out/index.htm")), QByteArray("0 y"));
        for (int i = 1; i < folders; ++i) {
            const QString line = describeReport(sink.outcomes.at(i).report.value(), QString());
            QVERIFY2(line.startsWith(paths.at(i) + ": failed (") && line.contains(paths.first()), qPrintable(line));
        }
    }

    // What the front ends say about a run, from its reports: only results that
    // are written (or would be) count their replacements and lost characters.
    void closingTexts_data()
    {
        QTest::addColumn<QList<FileReport>>("reports");
        QTest::addColumn<int>("listed");
        QTest::addColumn<bool>("dryRun");
        QTest::addColumn<QString>("stopSignal");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("closing");
        using S = FileReport::Status;
        QTest::newRow("a write that failed after replacing")
            << QList<FileReport>{report(S::Written, 2), report(S::Skipped), report(S::Failed, 3, 1)} << 3 << false
            << "" << "3 files: 1 written, 1 skipped, 1 failed; 2 replacements"
            << "Done.\n1 file failed.\n1 file was skipped.";
        QTest::newRow("characters lost, dry run")
            << QList<FileReport>{report(S::Written, 1, 2), report(S::Written, 2, 1)} << 2 << true << ""
            << "2 files: 2 would be written, 0 skipped, 0 failed; 3 replacements; "
               "3 characters not in 1252 written as \"?\""
            << "Done.";
        QTest::newRow("stopped, one result not written")
            << QList<FileReport>{report(S::Written, 1, 1), report(S::Failed, 0, 0, "a.htm")} << 5 << false << "SIGINT"
            << "5 files: 1 written, 0 skipped, 1 failed; 1 replacement; 1 character not in 1252 written as \"?\"; "
               "interrupted by SIGINT, 3 files not processed"
            << "Stopped after 2 of 5 files.\n1 file was not written: its result would replace a result of this run.";
        QTest::newRow("stopped, each kind counted")
            << QList<FileReport>{report(S::Failed), report(S::Failed), report(S::Failed, 0, 0, "a.htm"),
                                 report(S::Skipped), report(S::Skipped), report(S::Written, 1),
                                 report(S::Failed, 0, 0, "b.htm")}
            << 20000 << false << "SIGINT"
            << "20000 files: 1 written, 2 skipped, 4 failed; 1 replacement; interrupted by SIGINT, "
               "19993 files not processed"
            << "Stopped after 7 of 20,000 files.\n2 files failed.\n2 files were skipped.\n"
               "2 files were not written: their results would replace results of this run.";
        QTest::newRow("stopped after one of two")
            << QList<FileReport>{report(S::Written, 0)} << 2 << false << "SIGTERM"
            << "2 files: 1 written, 0 skipped, 0 failed; 0 replacements; interrupted by SIGTERM, 1 file not processed"
            << "Stopped after 1 of 2 files.";
    }
    void closingTexts()
    {
        QFETCH(QList<FileReport>, reports);
        QFETCH(int, listed);
        QFETCH(bool, dryRun);
        QFETCH(QString, stopSignal);
        RunTally tally;
        for (const FileReport &report : reports)
            tally.add(report);
        QTEST(runSummary(tally, listed, dryRun, QStringLiteral("1252"), stopSignal), "summary");
        QTEST(closingMessage(tally, reports.size(), listed, !stopSignal.isEmpty()), "closing");
    }

private:
    QString source(const QString &name, const QByteArray &bytes) { return m_dir->write(name, bytes); }
    QString result(const QString &stem) { return m_dir->path(stem + "_replaced.htm"); }
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

    std::unique_ptr<testing::TempTree> m_dir;
};

QTEST_MAIN(TestReplaceRun)
#include "tst_replace_run.moc"
