// The window's worker: small work runs at once, large work on another thread
// while the window's events go on; results and failures come back to the caller.
#include "gui/background_job.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <stdexcept>

using tessaly::BackgroundJob;

class TestBackgroundJob : public QObject {
    Q_OBJECT
private slots:
    void whereWorkRuns_data();
    void whereWorkRuns();
    void eventsRunWhileLargeWorkRuns();
    void failureReachesTheCaller();
};

void TestBackgroundJob::whereWorkRuns_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<bool>("onCallingThread");
    QTest::newRow("small file") << qint64(10) << true;
    QTest::newRow("just below the limit") << BackgroundJob::kInlineBytes - 1 << true;
    QTest::newRow("at the limit") << BackgroundJob::kInlineBytes << false;
}

void TestBackgroundJob::whereWorkRuns()
{
    QFETCH(qint64, bytes);
    BackgroundJob job;
    QThread *const caller = QThread::currentThread();
    const bool sameThread = job.run<bool>([caller] { return QThread::currentThread() == caller; }, bytes);
    QTEST(sameThread, "onCallingThread");
}

void TestBackgroundJob::eventsRunWhileLargeWorkRuns()
{
    BackgroundJob job;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(5);
    const int result = job.run<int>([] {
        QThread::msleep(200);
        return 42;
    }, BackgroundJob::kInlineBytes);
    QCOMPARE(result, 42);
    QVERIFY2(ticks > 0, "the caller's timer never fired while the work ran");
}

void TestBackgroundJob::failureReachesTheCaller()
{
    BackgroundJob job;
    QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                             job.run<int>([]() -> int { throw std::runtime_error("disk on fire"); },
                                          BackgroundJob::kInlineBytes));
}

QTEST_GUILESS_MAIN(TestBackgroundJob)
#include "tst_background_job.moc"
