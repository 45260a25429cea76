// The window's background task, and the folder-scan and list-filter tasks built on it.
#include "gui/background_task.h"
#include "gui/folder_scan_task.h"
#include "gui/list_filter_task.h"
#include "held_folder_source.h"
#include "temp_tree.h"

#include <QtTest>

#include <atomic>

using namespace tessaly;

class TestBackgroundTask : public QObject {
    Q_OBJECT
private slots:
    void batchesComeInOrderThenOneEnd()
    {
        QList<int> delivered;
        int batches = 0;
        QList<int> ends;
        BackgroundTask<int, int> task({[&](const QList<int> &batch) {
                                           QVERIFY(ends.isEmpty());
                                           delivered += batch;
                                           ++batches;
                                       },
                                       [&](int &end) { ends.append(end); }});
        task.start([](BackgroundTask<int, int>::Reporter &reporter) {
            for (int i = 0; i < 10000; ++i)
                reporter.report(i);
            return -1;
        });
        QVERIFY(task.isWorking());
        QTRY_COMPARE(ends, QList<int>{-1});
        QVERIFY(!task.isWorking());
        QCOMPARE(delivered.size(), 10000);
        QCOMPARE(delivered.last(), 9999);
        QVERIFY(std::is_sorted(delivered.cbegin(), delivered.cend()));
        // Batched: far fewer deliveries than items.
        QVERIFY2(batches < 1000, qPrintable(QString::number(batches)));
    }

    // Stop: the job returns early and its end still comes. Abandon: nothing of the
    // job comes any more, and the next job starts at once.
    void stopOrAbandon_data()
    {
        QTest::addColumn<bool>("abandon");
        QTest::newRow("stop") << false;
        QTest::newRow("abandon and start another") << true;
    }
    void stopOrAbandon()
    {
        QFETCH(bool, abandon);
        QStringList ends;
        BackgroundTask<NoItem, QString> task({{}, [&](QString &end) { ends.append(end); }});
        QSemaphore started;
        task.start([&started](BackgroundTask<NoItem, QString>::Reporter &reporter) {
            started.release();
            while (!reporter.stopRequested())
                QThread::msleep(1);
            return QStringLiteral("first, stopped");
        });
        started.acquire();
        if (abandon) {
            task.start([](auto &) { return QStringLiteral("second"); });
        } else {
            task.stop();
        }
        QTRY_VERIFY(!task.isWorking());
        QTest::qWait(2 * BackgroundTaskBase::kDeliveryInterval);
        QCOMPARE(ends, QStringList{abandon ? "second" : "first, stopped"});
    }

    void destroyingStopsAndWaits()
    {
        std::atomic<bool> finished{false};
        bool ended = false;
        {
            BackgroundTask<NoItem, NoItem> task({{}, [&](NoItem &) { ended = true; }});
            task.start([&finished](BackgroundTask<NoItem, NoItem>::Reporter &reporter) {
                while (!reporter.stopRequested())
                    QThread::msleep(1);
                finished = true;
                return NoItem{};
            });
        }
        QVERIFY(finished);
        QCoreApplication::processEvents();
        QVERIFY(!ended);
    }

    void folderScanFindsFilesAndTellsProgress_data()
    {
        QTest::addColumn<bool>("drop");
        QTest::newRow("add all") << false;
        QTest::newRow("drop") << true;
    }
    void folderScanFindsFilesAndTellsProgress()
    {
        QFETCH(bool, drop);
        testing::TempTree tree;
        tree.write({"X/a.htm", "X/Y/b.htm", "X/Y/Z/c.htm", "X/n.txt"}, "x");
        ScanProgress last;
        std::optional<ScanFindings> found;
        FolderScanTask task({[&](const ScanProgress &progress) { last = progress; },
                             [&](ScanFindings &findings) { found = findings; }});
        if (drop)
            task.startDrop({tree.path("X")});
        else
            task.startFolder({tree.path("X"), "htm"});
        QTRY_VERIFY(found.has_value());
        QVERIFY(!found->stopped);
        const QStringList expected = collectFolderFiles(tree.path("X"), drop ? "*" : "htm");
        QCOMPARE(found->paths, expected);
        QCOMPARE(found->scanRoots, QStringList(expected.size(), tree.path("X")));
        QCOMPARE(last.folders, 2);
        QCOMPARE(last.files, expected.size());
    }

    void folderScanStops()
    {
        testing::TempTree tree;
        tree.write({"X/a.htm", "X/Y/b.htm"}, "x");
        testing::HeldFolderSource source;
        std::optional<ScanFindings> found;
        FolderScanTask task({{}, [&](ScanFindings &findings) { found = findings; }}, source);
        task.startFolder({tree.path("X"), "htm"});
        source.entered.acquire();
        task.stop();
        source.released.release();
        QTRY_VERIFY(found.has_value());
        QVERIFY(found->stopped);
        QVERIFY(found->paths.isEmpty());
    }

    void filterGivesTheRowsToRemove_data()
    {
        QTest::addColumn<int>("filter");
        QTest::addColumn<QList<int>>("positions");
        QTest::newRow("containing") << int(ListFilter::RemoveContaining) << QList<int>{1, 3};
        QTest::newRow("not containing") << int(ListFilter::RemoveNotContaining) << QList<int>{2};
    }
    void filterGivesTheRowsToRemove()
    {
        QFETCH(int, filter);
        QFETCH(QList<int>, positions);
        std::optional<std::optional<QList<int>>> done;
        ListFilterTask task([&](ListFilterEnd &end) {
            QVERIFY(!end.failure);
            done = end.positions;
        });
        task.start({"/Old/a.htm", "/new/b.htm", "/x/OLD.htm"}, "old", ListFilter(filter));
        QTRY_VERIFY(done.has_value());
        QCOMPARE(*done, std::optional(positions));
    }
};

QTEST_GUILESS_MAIN(TestBackgroundTask)
#include "tst_background_task.moc"
