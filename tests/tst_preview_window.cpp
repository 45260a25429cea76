// The Preview window driven offscreen: its list, totals, filter and sorting, the
// changes of the selected file, and its two buttons.
#include "gui/diff_view.h"
#include "gui/preview_window.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QClipboard>
#include <QScrollBar>
#include <QtTest>

using namespace tessaly;

namespace {

FileReport written(const QString &source, qint64 replacements)
{
    FileReport report;
    report.source = source;
    report.resultPath = QStringLiteral("out/") + source;
    report.replacements = replacements;
    report.dryRun = true;
    return report;
}

FileReport notWritten(FileReport::Status status, const QString &source, const QString &why)
{
    FileReport report;
    report.status = status;
    report.source = source;
    report.description = why;
    return report;
}

// index.htm (2 replacements), empty.htm (skipped), garden/rakes.htm (5),
// clash.htm (failed), garden/notes.htm (0).
QList<FileReport> sampleReports()
{
    return {written("index.htm", 2), notWritten(FileReport::Status::Skipped, "empty.htm", "empty"),
            written("garden/rakes.htm", 5),
            notWritten(FileReport::Status::Failed, "clash.htm", "the result would replace another source"),
            written("garden/notes.htm", 0)};
}

QStringList shownSources(QTableView *table)
{
    QStringList sources;
    for (int row = 0; row < table->model()->rowCount(); ++row)
        sources << table->model()->index(row, 0).data().toString();
    return sources;
}

// A window over the sample reports whose diff source counts its calls.
struct Bed {
    QList<int> diffCalls;
    PreviewWindow window{sampleReports(), [this](int row, const StopToken &) {
                             diffCalls << row;
                             const QString source = "<p>Hello</p>\n<p>Acme Ltd</p>\n";
                             return FileDiff{diffTexts(source, QString(source).replace("Ltd", "GmbH")), {}};
                         }};
    QTableView *table = window.findChild<QTableView *>("files");
    DiffView *changes = window.findChild<DiffView *>("changes");

    Bed() { window.show(); }
    void select(const QString &source)
    {
        table->setCurrentIndex(table->model()->index(int(shownSources(table).indexOf(source)), 0));
        QVERIFY(QTest::qWaitFor([this] { return !changes->isComparing(); }));
    }
    void clickHeader(int column)
    {
        QHeaderView *header = table->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 10, header->height() / 2));
    }
};

} // namespace

class TestPreviewWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void listAndTotals_data();
    void listAndTotals();
    void filterNarrowsRows_data();
    void filterNarrowsRows();
    void sortsByReplacements();
    void selectedFileShowsItsChanges();
    void fileWithoutResultShowsWhy();
    void longLineShownWholeAndScrolls();
    void startReplacingSignalsOnceAndCloses();
    void closeSignalsNothing();
};

void TestPreviewWindow::listAndTotals_data()
{
    QTest::addColumn<QList<FileReport>>("reports");
    QTest::addColumn<QString>("totals");

    QTest::newRow("mixed") << sampleReports() << "5 files: 3 would be written, 1 skipped, 1 failed; 7 replacements.";
    QTest::newRow("one of each") << QList<FileReport>{written("a.htm", 1)}
                                 << "1 file: 1 would be written, 0 skipped, 0 failed; 1 replacement.";
    QList<FileReport> many;
    for (int i = 0; i < 12500; ++i)
        many << written(QStringLiteral("p%1.htm").arg(i), 100);
    QTest::newRow("thousands") << many
                               << "12,500 files: 12,500 would be written, 0 skipped, 0 failed; 1,250,000 replacements.";
}

void TestPreviewWindow::listAndTotals()
{
    QFETCH(QList<FileReport>, reports);
    QFETCH(QString, totals);
    PreviewWindow window(reports, [](int, const StopToken &) { return FileDiff{}; });
    QCOMPARE(window.findChild<QTableView *>("files")->model()->rowCount(), reports.size());
    QCOMPARE(window.findChild<QLabel *>("totals")->text(), totals);
}

void TestPreviewWindow::filterNarrowsRows_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("part of a source, any case") << "GARDEN/" << QStringList{"garden/rakes.htm", "garden/notes.htm"};
    QTest::newRow("part of a result") << "out/index" << QStringList{"index.htm"};
    QTest::newRow("an outcome") << "failed" << QStringList{"clash.htm"};
    QTest::newRow("nothing matches") << "zzz" << QStringList{};
    QTest::newRow("empty shows all") << ""
                                     << QStringList{"index.htm", "empty.htm", "garden/rakes.htm", "clash.htm",
                                                    "garden/notes.htm"};
}

void TestPreviewWindow::filterNarrowsRows()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, shown);
    Bed bed;
    QTest::keyClicks(bed.window.findChild<QLineEdit *>("filter"), filter);
    QCOMPARE(shownSources(bed.table), shown);
}

void TestPreviewWindow::sortsByReplacements()
{
    Bed bed;
    // Most first, then fewest first; skipped and failed files count as fewer than none.
    bed.clickHeader(2);
    QCOMPARE(shownSources(bed.table).mid(0, 3), (QStringList{"garden/rakes.htm", "index.htm", "garden/notes.htm"}));
    bed.clickHeader(2);
    QCOMPARE(shownSources(bed.table).mid(2), (QStringList{"garden/notes.htm", "index.htm", "garden/rakes.htm"}));
}

void TestPreviewWindow::selectedFileShowsItsChanges()
{
    Bed bed;
    bed.clickHeader(0);   // sorted, so that the row on screen differs from the report's
    bed.select("garden/rakes.htm");
    QCOMPARE(bed.diffCalls, QList<int>{2});
    QCOMPARE(bed.changes->shownText(), "@@ -1,2 +1,2 @@\n <p>Hello</p>\n-<p>Acme Ltd</p>\n+<p>Acme GmbH</p>");

    const DiffView::ShownLine &removed = bed.changes->shownLines()[2];
    const DiffView::ShownLine &added = bed.changes->shownLines()[3];
    QCOMPARE(removed.style, DiffView::LineStyle::Removed);
    QCOMPARE(added.style, DiffView::LineStyle::Added);
    const auto emphasised = [](const DiffView::ShownLine &line) {
        QStringList parts;
        for (const CharRange &range : line.changed)
            parts << line.text.mid(range.start, range.length);
        return parts;
    };
    QCOMPARE(emphasised(removed), QStringList{"Ltd"});
    QCOMPARE(emphasised(added), QStringList{"GmbH"});

    // Ctrl+C copies the selected lines.
    bed.changes->selectionModel()->select(QItemSelection(bed.changes->model()->index(2, 0),
                                                         bed.changes->model()->index(3, 0)),
                                          QItemSelectionModel::Select);
    QTest::keyClick(bed.changes, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), "-<p>Acme Ltd</p>\n+<p>Acme GmbH</p>");

    bed.select("garden/rakes.htm");
    QCOMPARE(bed.diffCalls.size(), 1);
}

void TestPreviewWindow::fileWithoutResultShowsWhy()
{
    Bed bed;
    bed.select("empty.htm");
    QCOMPARE(bed.changes->shownText(), "This file would be skipped: empty.");
    bed.select("garden/notes.htm");
    QCOMPARE(bed.changes->shownText(), "No replacements in this file.");
    QVERIFY(bed.diffCalls.isEmpty());
}

void TestPreviewWindow::longLineShownWholeAndScrolls()
{
    // One line of 7,210 characters with two changes 3,000 characters apart.
    const QString head = QString("lorem ").repeated(400), middle = QString("ipsum ").repeated(500),
                  tail = QString("dolor ").repeated(300);
    const QString source = head + "Acme " + middle + "Acme " + tail;
    const QString result = QString(source).replace("Acme", "Zen");
    DiffView view;
    view.resize(600, 300);
    view.show();
    view.showDiff(diffTexts(source, result));
    QCOMPARE(view.shownText().split('\n'), (QStringList{"@@ -1 +1 @@", "-" + source, "\\ No newline at end of file",
                                                        "+" + result, "\\ No newline at end of file"}));
    QCOMPARE(view.shownLines()[1].changed.size(), 2);
    QCOMPARE(view.shownLines()[1].changed[1].start, 1 + head.size() + 5 + middle.size());
    // Wide enough for the line; an arrow or Left steps a few characters, not the
    // whole line; a short diff starts at the left again.
    const qreal charWidth = QFontMetricsF(view.font()).horizontalAdvance(' ');
    QScrollBar *across = view.horizontalScrollBar();
    QVERIFY(across->maximum() >= (1 + source.size()) * charWidth - view.viewport()->width());
    QVERIFY(across->singleStep() <= 4 * charWidth);
    across->setValue(across->maximum());
    QTest::keyClick(&view, Qt::Key_Left);
    QCOMPARE(across->value(), across->maximum() - across->singleStep());
    // Making the line current brings its first change into sight.
    view.setCurrentIndex(view.model()->index(1, 0));
    const int change = int((1 + head.size()) * charWidth);
    QVERIFY2(across->value() < change && change < across->value() + view.viewport()->width(),
             qPrintable(QString::number(across->value())));
    view.showDiff(diffTexts("a\n", "b\n"));
    QCOMPARE(across->value(), 0);
}

void TestPreviewWindow::startReplacingSignalsOnceAndCloses()
{
    Bed bed;
    QSignalSpy started(&bed.window, &PreviewWindow::startReplacingRequested);
    QTest::mouseClick(bed.window.findChild<QPushButton *>("startReplacing"), Qt::LeftButton);
    QCOMPARE(started.size(), 1);
    QVERIFY(!bed.window.isVisible());
}

void TestPreviewWindow::closeSignalsNothing()
{
    Bed bed;
    QSignalSpy started(&bed.window, &PreviewWindow::startReplacingRequested);
    QTest::keyClick(bed.window.findChild<QLineEdit *>("filter"), Qt::Key_Return);
    QTest::mouseClick(bed.window.findChild<QPushButton *>("close"), Qt::LeftButton);
    QCOMPARE(started.size(), 0);
    QVERIFY(!bed.window.isVisible());
}

QTEST_MAIN(TestPreviewWindow)
#include "tst_preview_window.moc"
