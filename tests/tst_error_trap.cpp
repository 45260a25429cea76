// The error report box's text and the trap that reports a failed step and goes on.
#include "base/error_report.h"
#include "fake_platform.h"

#include <QtTest>

#include <stdexcept>

using tessaly::ErrorTrap;

class TestErrorTrap : public QObject {
    Q_OBJECT
private slots:
    void reportText()
    {
        QCOMPARE(tessaly::errorReportText("Path not found", tessaly::sourceTag("Form1.PushButton3_Click"), 122),
                 QStringLiteral("Path not found\r\nin Brindle2021/08/31.Form1.PushButton3_Click at line 122\r\r"
                                "Please email screenshot of this message to support@kestrine.example"));
        QCOMPARE(tessaly::sourceTag("AddFolder.GetSubDirectories2016", "CorvathTitle2021/08/31"),
                 QStringLiteral("in CorvathTitle2021/08/31.AddFolder.GetSubDirectories2016 "));
    }

    void failedStepIsReportedAndTheNextRuns()
    {
        testing::FakePlatform platform;
        ErrorTrap trap(platform, "Main.Sample");
        QStringList ran;
        QVERIFY(!trap.step(100, [&] { throw tessaly::TessalyError("Disk full"); }));
        QVERIFY(!trap.step(102, [&] { throw std::runtime_error("bad thing"); }));
        QVERIFY(trap.step(104, [&] { ran << "104"; }));
        QCOMPARE(ran, QStringList{"104"});
        const QStringList reports = platform.textsOf("errorReport");
        QCOMPARE(reports.size(), 2);
        QVERIFY(reports.at(0).startsWith("Disk full\r\nin Brindle2021/08/31.Main.Sample at line 100\r\r"));
        QVERIFY(reports.at(1).startsWith("bad thing\r\nin Brindle2021/08/31.Main.Sample at line 102\r\r"));
    }

    void failedTestRunsWhatItGuards()
    {
        testing::FakePlatform platform;
        ErrorTrap trap(platform, "Main.Sample");
        QVERIFY(trap.test(106, [] { return true; }));
        QVERIFY(!trap.test(106, [] { return false; }));
        QVERIFY(platform.calls.isEmpty());
        QVERIFY(trap.test(108, []() -> bool { throw tessaly::TessalyError("Type mismatch"); }));
        QCOMPARE(platform.textsOf("errorReport").size(), 1);
        QVERIFY(platform.textsOf("errorReport").first().contains("at line 108"));
    }
};

QTEST_GUILESS_MAIN(TestErrorTrap)
#include "tst_error_trap.moc"
