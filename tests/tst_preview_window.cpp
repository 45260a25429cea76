// The Preview and run report windows driven offscreen: their list, totals,
// filter and sorting, the changes of the selected file, the keyboard, the
// Preview's check boxes and buttons, and the report's Copy and Save.
#include "colour_contrast.h"
#include "fake_platform.h"
#include "gui/diff_view.h"
#include "gui/outcome_delegate.h"
#include "gui/preview_window.h"
#include "gui/run_report_window.h"
#include "temp_tree.h"
#include "test_files.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTableView>
#include <QClipboard>
#include <QScrollBar>
#include <QTemporaryDir>
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
    testing::FakePlatform platform;
    PreviewWindow window{sampleReports(),
                         [this](int row, const StopToken &) {
                             diffCalls << row;
                             const QString source = "<p>Hello</p>\n<p>Acme Ltd</p>\n";
                             return FileDiff{diffTexts(source, QString(source).replace("Ltd", "GmbH")), {}};
                         },
                         platform};
    QTableView *table = window.findChild<QTableView *>("files");
    DiffView *changes = window.findChild<DiffView *>("changes");
    QLineEdit *filter = window.findChild<QLineEdit *>("filter");

    Bed() { window.show(); }
    QString currentSource() const { return table->currentIndex().siblingAtColumn(0).data().toString(); }
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
    void headlineWhenWritesFail_data();
    void headlineWhenWritesFail();
    void filterNarrowsRows_data();
    void filterNarrowsRows();
    void totalsCountCheckedRows_data();
    void totalsCountCheckedRows();
    void rowsNotWrittenColouredReadably_data();
    void rowsNotWrittenColouredReadably();
    void outcomeKeepsTheReasonsWords_data();
    void outcomeKeepsTheReasonsWords();
    void selectedReasonShownWhole();
    void nextChangeGoesOnToTheNextFile_data();
    void nextChangeGoesOnToTheNextFile();
    void changesFollowTheCurrentRow_data();
    void changesFollowTheCurrentRow();
    void tabLeavesTheTableAndEscClearsTheFilter();
    void opensWithinTheScreen();
    void startReplacingConfirmsFailures_data();
    void startReplacingConfirmsFailures();
    void runReportCopiesAndSaves();
    void runReportShowsWhatWasWritten_data();
    void runReportShowsWhatWasWritten();
    void sortsByReplacements();
    void selectedFileShowsItsChanges();
    void fileWithoutResultShowsWhy();
    void longLineShownWholeAndScrolls();
    void closeSignalsNothing();
};

void TestPreviewWindow::listAndTotals_data()
{
    QTest::addColumn<QList<FileReport>>("reports");
    QTest::addColumn<QString>("totals");
    QTest::addColumn<bool>("nothingChanges");  // "No file would change." at the top

    QTest::newRow("mixed") << sampleReports() << "5 files: 3 would be written, 1 skipped, 1 failed; 7 replacements."
                           << false;
    QTest::newRow("one of each") << QList<FileReport>{written("a.htm", 1)}
                                 << "1 file: 1 would be written, 0 skipped, 0 failed; 1 replacement." << false;
    QTest::newRow("nothing found") << QList<FileReport>{written("a.htm", 0), written("b.htm", 0)}
                                   << "2 files: 2 would be written, 0 skipped, 0 failed; 0 replacements." << true;
    QList<FileReport> many;
    for (int i = 0; i < 12500; ++i)
        many << written(QStringLiteral("p%1.htm").arg(i), 100);
    QTest::newRow("thousands") << many
                               << "12,500 files: 12,500 would be written, 0 skipped, 0 failed; 1,250,000 replacements."
                               << false;
}

void TestPreviewWindow::listAndTotals()
{
    QFETCH(QList<FileReport>, reports);
    QFETCH(QString, totals);
    QFETCH(bool, nothingChanges);
    testing::FakePlatform platform;
    PreviewWindow window(reports, [](int, const StopToken &) { return FileDiff{}; }, platform);
    QCOMPARE(window.findChild<QTableView *>("files")->model()->rowCount(), reports.size());
    QCOMPARE(window.findChild<QLabel *>("totals")->text(), totals);
    QCOMPARE(!window.findChild<QLabel *>("notice")->isHidden(), nothingChanges);
}

// A file refused at the write after its text was replaced (a folder that cannot
// be written) keeps its count; one refused before the replacing has none.
FileReport failsAtWrite(const QString &source, qint64 replacements, JobStep step = JobStep::Write)
{
    FileReport report = notWritten(FileReport::Status::Failed, source, "Cannot write \"out/" + source + "\"");
    report.failedStep = step;
    report.replacements = replacements;
    report.dryRun = true;
    return report;
}

void TestPreviewWindow::headlineWhenWritesFail_data()
{
    QTest::addColumn<QList<FileReport>>("reports");
    QTest::addColumn<QString>("headline");  // "" hidden
    QTest::addColumn<QStringList>("replacements");

    QTest::newRow("every write fails")
        << QList<FileReport>{failsAtWrite("a.htm", 3), failsAtWrite("b.htm", 1200)}
        << "No file can be written: 2 would fail." << QStringList{"3", "1,200"};
    QTest::newRow("refused before replacing")
        << QList<FileReport>{failsAtWrite("a.htm", 0, JobStep::Place), failsAtWrite("b.htm", 0)}
        << "No file can be written: 2 would fail." << QStringList{"", ""};
    QTest::newRow("some written") << QList<FileReport>{failsAtWrite("a.htm", 3), written("b.htm", 2)} << ""
                                  << QStringList{"3", "2"};
    QTest::newRow("written, nothing found")
        << QList<FileReport>{failsAtWrite("a.htm", 3), written("b.htm", 0)} << "No file would change."
        << QStringList{"3", "0"};
}

void TestPreviewWindow::headlineWhenWritesFail()
{
    QFETCH(QList<FileReport>, reports);
    QFETCH(QString, headline);
    QFETCH(QStringList, replacements);
    testing::FakePlatform platform;
    PreviewWindow window(reports, [](int, const StopToken &) { return FileDiff{}; }, platform);
    const auto *notice = window.findChild<QLabel *>("notice");
    QCOMPARE(notice->isHidden() ? QString() : notice->text(), headline);
    QAbstractItemModel *model = window.findChild<QTableView *>("files")->model();
    model->sort(0);
    QStringList shown;
    for (int row = 0; row < model->rowCount(); ++row)
        shown << model->index(row, 3).data().toString();
    QCOMPARE(shown, replacements);
}

void TestPreviewWindow::filterNarrowsRows_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("totals");

    QTest::newRow("part of a source, any case")
        << "GARDEN/" << QStringList{"garden/rakes.htm", "garden/notes.htm"}
        << "Showing 2 of 5 files: 2 would be written, 0 skipped, 0 failed; 5 replacements.";
    QTest::newRow("part of a result") << "out/index" << QStringList{"index.htm"}
                                      << "Showing 1 of 5 files: 1 would be written, 0 skipped, 0 failed; 2 replacements.";
    QTest::newRow("a reason") << "another source" << QStringList{"clash.htm"}
                              << "Showing 1 of 5 files: 0 would be written, 0 skipped, 1 failed; 0 replacements.";
    QTest::newRow("nothing matches") << "zzz" << QStringList{}
                                     << "Showing 0 of 5 files: 0 would be written, 0 skipped, 0 failed; 0 replacements.";
    // Failed files first, then skipped ones, then results, each in the run's order.
    QTest::newRow("empty shows all") << ""
                                     << QStringList{"clash.htm", "empty.htm", "index.htm", "garden/rakes.htm",
                                                    "garden/notes.htm"}
                                     << "5 files: 3 would be written, 1 skipped, 1 failed; 7 replacements.";
}

void TestPreviewWindow::filterNarrowsRows()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, shown);
    Bed bed;
    QTest::keyClicks(bed.filter, filter);
    QCOMPARE(shownSources(bed.table), shown);
    QTEST(bed.window.findChild<QLabel *>("totals")->text(), "totals");
}

void TestPreviewWindow::totalsCountCheckedRows_data()
{
    QTest::addColumn<QStringList>("unchecked");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("totals");
    QTest::addColumn<QString>("headline");  // "" hidden

    QTest::newRow("all checked") << QStringList{} << ""
                                 << "5 files: 3 would be written, 1 skipped, 1 failed; 7 replacements." << "";
    QTest::newRow("three unchecked")
        << QStringList{"index.htm", "empty.htm", "garden/rakes.htm"} << ""
        << "5 files, 3 unchecked: 1 would be written, 0 skipped, 1 failed; 0 replacements." << "No file would change.";
    QTest::newRow("unchecked and filtered")
        << QStringList{"garden/rakes.htm", "index.htm"} << "garden"
        << "Showing 2 of 5 files, 1 unchecked: 1 would be written, 0 skipped, 0 failed; 0 replacements."
        << "No file would change.";
    QTest::newRow("only the failing one checked")
        << QStringList{"index.htm", "empty.htm", "garden/rakes.htm", "garden/notes.htm"} << ""
        << "5 files, 4 unchecked: 0 would be written, 0 skipped, 1 failed; 0 replacements."
        << "No file can be written: 1 would fail.";
}

void TestPreviewWindow::totalsCountCheckedRows()
{
    QFETCH(QStringList, unchecked);
    QFETCH(QString, filter);
    Bed bed;
    QAbstractItemModel *model = bed.table->model();
    for (const QString &source : unchecked)
        model->setData(model->index(int(shownSources(bed.table).indexOf(source)), 0), Qt::Unchecked,
                       Qt::CheckStateRole);
    QTest::keyClicks(bed.filter, filter);
    QTEST(bed.window.findChild<QLabel *>("totals")->text(), "totals");
    const auto *notice = bed.window.findChild<QLabel *>("notice");
    QTEST(notice->isHidden() ? QString() : notice->text(), "headline");
}

void TestPreviewWindow::rowsNotWrittenColouredReadably_data()
{
    QTest::addColumn<QPalette>("palette");
    QTest::newRow("light") << QPalette(Qt::white);
    QPalette dark(QColor(0x30, 0x30, 0x30));
    dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::Text, Qt::white);
    QTest::newRow("dark") << dark;
}

void TestPreviewWindow::rowsNotWrittenColouredReadably()
{
    QFETCH(QPalette, palette);
    const QPalette before = QApplication::palette();
    QApplication::setPalette(palette);
    Bed bed;
    QApplication::setPalette(before);
    const QAbstractItemModel *model = bed.table->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex outcome = model->index(row, 2);
        const QString source = model->index(row, 0).data().toString();
        const QVariant back = outcome.data(Qt::BackgroundRole), text = outcome.data(Qt::ForegroundRole);
        const bool written = source != "clash.htm" && source != "empty.htm";
        QCOMPARE(back.isValid(), !written);
        if (written)
            continue;
        const double ratio = testing::contrast(back.value<QColor>(), text.value<QColor>());
        QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("%1: %2").arg(source).arg(ratio)));
        // The whole reason, in its own column and as its tool tip.
        QVERIFY(outcome.data().toString().endsWith(source == "clash.htm" ? "the result would replace another source"
                                                                         : "empty"));
        QCOMPARE(outcome.data(Qt::ToolTipRole), outcome.data());
    }
}

void TestPreviewWindow::outcomeKeepsTheReasonsWords_data()
{
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QString>("room");       // as wide as this text
    QTest::addColumn<QStringList>("kept");   // in this order

    const QString path = "/tmp/" + QString("deeply/nested/").repeated(8) + "page.html";
    QTest::newRow("a path cut, the words kept")
        << "would fail: Cannot write \"" + path + "\": Permission denied"
        << "would fail: Cannot write \"/tmp/deeply/page.html\": Permission denied"
        << QStringList{"would fail: Cannot write \"/tmp/", "…", "page.html\": Permission denied"};
    QTest::newRow("two paths, each cut")
        << "would fail: The result \"" + path + "\" would replace the result of \"" + path + "\" written earlier"
        << "would fail: The result \"/tmp/d…page.html\" would replace the result of \"/tmp/d…page.html\" written"
        << QStringList{"would fail: The result \"/tmp/", "html\" would replace the result of \"/tmp/",
                       "html\" written earlier"};
    QTest::newRow("too narrow for the words: paths out first")
        << "would fail: Cannot write \"" + path + "\": Permission denied"
        << "would fail: Cannot write \"\": Permission"
        << QStringList{"would fail: Cannot write \"…\": Perm"};
    QTest::newRow("fits whole") << "skipped: empty" << "skipped: empty, and more" << QStringList{"skipped: empty"};
    QTest::newRow("nothing quoted, cut at the end")
        << "would fail: the disk is full and nothing more can be written" << "would fail: the disk is full"
        << QStringList{"would fail: the disk"};
}

void TestPreviewWindow::outcomeKeepsTheReasonsWords()
{
    QFETCH(QString, outcome);
    QFETCH(QString, room);
    QFETCH(QStringList, kept);
    const QFontMetrics metrics(QApplication::font());
    const int width = metrics.horizontalAdvance(room);
    const QString shown = OutcomeDelegate::fitted(outcome, metrics, width);
    QVERIFY2(metrics.horizontalAdvance(shown) <= width, qPrintable(shown));
    qsizetype from = 0;
    for (const QString &part : kept) {
        from = shown.indexOf(part, from);
        QVERIFY2(from >= 0, qPrintable(shown + " lacks " + part));
    }
}

void TestPreviewWindow::selectedReasonShownWhole()
{
    testing::FakePlatform platform;
    QList<int> diffCalls;
    PreviewWindow window({written("a.htm", 1), failsAtWrite("b.htm", 2), failsAtWrite("c.htm", 0, JobStep::Place)},
                         [&](int row, const StopToken &) {
                             diffCalls << row;
                             return FileDiff{diffTexts("Ltd\n", "GmbH\n"), {}};
                         },
                         platform);
    window.show();
    auto *table = window.findChild<QTableView *>("files");
    auto *changes = window.findChild<DiffView *>("changes");
    auto *why = window.findChild<QLabel *>("reason");
    const auto select = [&](int row) {
        table->setCurrentIndex(table->model()->index(row, 0));
        QVERIFY(QTest::qWaitFor([&] { return !changes->isComparing(); }));
    };
    table->model()->sort(0);
    // b.htm would fail at the write: its whole reason above its changes.
    select(1);
    QVERIFY(why->isVisible());
    QCOMPARE(why->text(), "This file would fail: Cannot write \"out/b.htm\".");
    QCOMPARE(diffCalls, QList<int>{1});
    QCOMPARE(changes->shownText(), "@@ -1 +1 @@\n-Ltd\n+GmbH");
    select(2);
    QCOMPARE(why->text(), "This file would fail: Cannot write \"out/c.htm\".");
    QCOMPARE(changes->shownText(), why->text());
    select(0);
    QVERIFY(!why->isVisible());
    QCOMPARE(diffCalls, (QList<int>{1, 0}));
}

void TestPreviewWindow::nextChangeGoesOnToTheNextFile_data()
{
    QTest::addColumn<QList<QKeyCombination>>("keys");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("position");

    // Rows: d.htm (would fail at the write, 3 found), skip.htm, a.htm, b.htm, c.htm (none found).
    const QKeyCombination next(Qt::Key_F8), previous(Qt::SHIFT | Qt::Key_F8);
    QTest::newRow("F8 with none selected") << QList{next} << "d.htm" << "change 1 of 2 — file 1 of 5";
    QTest::newRow("F8 within the file") << QList{next, next} << "d.htm" << "change 2 of 2 — file 1 of 5";
    QTest::newRow("F8 over a skipped file") << QList{next, next, next} << "a.htm" << "change 1 of 2 — file 3 of 5";
    QTest::newRow("F8 past the last change of all")
        << QList{next, next, next, next, next, next, next, next} << "b.htm" << "change 2 of 2 — file 4 of 5";
    QTest::newRow("Shift+F8 to the last change before")
        << QList{next, next, next, previous} << "d.htm" << "change 2 of 2 — file 1 of 5";
}

void TestPreviewWindow::nextChangeGoesOnToTheNextFile()
{
    QFETCH(QList<QKeyCombination>, keys);
    testing::FakePlatform platform;
    PreviewWindow window({written("a.htm", 2), notWritten(FileReport::Status::Skipped, "skip.htm", "empty"),
                          written("b.htm", 2), written("c.htm", 0), failsAtWrite("d.htm", 3)},
                         [](int, const StopToken &) {
                             const QString source = "1\n2\n3\n4\n5\n6\n7\n8\n";
                             return FileDiff{diffTexts(source, "one\n2\n3\n4\n5\n6\n7\neight\n"), {}};
                         },
                         platform);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto *table = window.findChild<QTableView *>("files");
    auto *changes = window.findChild<DiffView *>("changes");
    for (const QKeyCombination key : keys) {
        QTest::keyClick(&window, key.key(), key.keyboardModifiers());
        QVERIFY(QTest::qWaitFor([&] { return !changes->isComparing(); }));
    }
    QTEST(table->currentIndex().siblingAtColumn(0).data().toString(), "current");
    QTEST(window.findChild<QLabel *>("changePosition")->text(), "position");
}

void TestPreviewWindow::changesFollowTheCurrentRow_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("sortColumn");  // -1: not sorted again
    QTest::addColumn<QString>("current"); // "" none
    QTest::newRow("filter keeps it") << "garden" << -1 << "garden/rakes.htm";
    QTest::newRow("filter hides it") << "index" << -1 << "index.htm";
    QTest::newRow("filter hides all") << "zzz" << -1 << "";
    QTest::newRow("sorted by source") << "" << 0 << "garden/rakes.htm";
    QTest::newRow("sorted, then filtered") << "notes" << 3 << "garden/notes.htm";
}

void TestPreviewWindow::changesFollowTheCurrentRow()
{
    QFETCH(QString, filter);
    QFETCH(int, sortColumn);
    QFETCH(QString, current);
    Bed bed;
    bed.select("garden/rakes.htm");
    if (sortColumn >= 0)
        bed.clickHeader(sortColumn);
    QTest::keyClicks(bed.filter, filter);
    QVERIFY(QTest::qWaitFor([&] { return !bed.changes->isComparing(); }));
    QCOMPARE(bed.currentSource(), current);
    if (current.isEmpty()) {
        QCOMPARE(bed.changes->shownText(), "Select a file to see its changes.");
        return;
    }
    // The current row is the selected one, and the changes shown are its file's.
    QVERIFY(bed.table->selectionModel()->isRowSelected(bed.table->currentIndex().row()));
    if (current == "garden/notes.htm")
        QCOMPARE(bed.changes->shownText(), "No replacements in this file.");
    else
        QCOMPARE(sampleReports().at(bed.diffCalls.last()).source, current);
}

// On a screen smaller than its design (the offscreen screen is 800 pixels wide)
// the window shrinks, so that its buttons stay in sight.
void TestPreviewWindow::opensWithinTheScreen()
{
    Bed bed;
    const QRect screen = bed.window.screen()->availableGeometry();
    QVERIFY2(bed.window.width() < screen.width() && bed.window.height() < screen.height(),
             qPrintable(QStringLiteral("%1x%2").arg(bed.window.width()).arg(bed.window.height())));
    QVERIFY(bed.window.findChild<QPushButton *>("startReplacing")->isVisible());
}

void TestPreviewWindow::tabLeavesTheTableAndEscClearsTheFilter()
{
    Bed bed;
    bed.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&bed.window));
    bed.table->setFocus();
    QTest::keyClick(bed.table, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), bed.changes);
    QTest::keyClick(bed.changes, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), bed.window.findChild<QPushButton *>("startReplacing"));

    QTest::keyClicks(bed.filter, "garden");
    QTest::keyClick(bed.filter, Qt::Key_Escape);
    QCOMPARE(bed.filter->text(), "");
    QCOMPARE(bed.table->model()->rowCount(), 5);
    QVERIFY(bed.window.isVisible());
    QTest::keyClick(bed.filter, Qt::Key_Escape);
    QVERIFY(!bed.window.isVisible());
}

void TestPreviewWindow::startReplacingConfirmsFailures_data()
{
    QTest::addColumn<bool>("uncheckFailing");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<bool>("started");
    const QStringList question{"1 file would fail. Start Replacing anyway?"};
    QTest::newRow("failing file unchecked") << true << false << QStringList{} << true;
    QTest::newRow("failing, Yes") << false << true << question << true;
    QTest::newRow("failing, No") << false << false << question << false;
}

void TestPreviewWindow::startReplacingConfirmsFailures()
{
    QFETCH(bool, uncheckFailing);
    QFETCH(bool, answer);
    QFETCH(QStringList, questions);
    QFETCH(bool, started);
    Bed bed;
    bed.platform.yesNoAnswers << answer;
    if (uncheckFailing)
        bed.table->model()->setData(bed.table->model()->index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
    QSignalSpy starts(&bed.window, &PreviewWindow::startReplacingRequested);
    QTest::mouseClick(bed.window.findChild<QPushButton *>("startReplacing"), Qt::LeftButton);
    QCOMPARE(bed.platform.textsOf("askYesNo"), questions);
    QCOMPARE(starts.size(), started ? 1 : 0);
    QCOMPARE(bed.window.isVisible(), !started);
    QList<int> checked{0, 1, 2, 3, 4};
    if (uncheckFailing)
        checked.removeOne(3);  // clash.htm
    QCOMPARE(bed.window.checkedFiles(), checked);
}

void TestPreviewWindow::runReportCopiesAndSaves()
{
    QTemporaryDir dir;
    testing::FakePlatform platform;
    const QString saved = dir.filePath("report.txt");
    platform.saveFileAnswers << saved;
    QList<FileReport> reports = sampleReports();
    for (FileReport &report : reports)
        report.dryRun = false;
    RunReportWindow window(reports, [](int, const StopToken &) { return FileDiff{}; }, "a -> b (1 replacement)\nc: skipped (empty)",
                           dir.path(), platform);
    QCOMPARE(window.findChild<QLabel *>("totals")->text(), "5 files: 3 written, 1 skipped, 1 failed; 7 replacements.");
    auto *table = window.findChild<QTableView *>("files");
    table->setCurrentIndex(table->model()->index(1, 0));
    QCOMPARE(window.findChild<DiffView *>("changes")->shownText(), "This file was skipped: empty.");
    QVERIFY(window.findChild<QLabel *>("copied")->text().isEmpty());
    window.findChild<QPushButton *>("copyReport")->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), "a -> b (1 replacement)\nc: skipped (empty)\n");
    QCOMPARE(window.findChild<QLabel *>("copied")->text(), "Report copied: 2 lines.");
    window.findChild<QPushButton *>("saveReport")->click();
    QCOMPARE(testing::readBytes(saved), QByteArray("a -> b (1 replacement)\nc: skipped (empty)\n"));
}

void TestPreviewWindow::runReportShowsWhatWasWritten_data()
{
    QTest::addColumn<QByteArray>("sourceNow");   // "" as the run read it
    QTest::addColumn<int>("sourceNewerBy");      // seconds after the result was written
    QTest::addColumn<QString>("changes");

    const QString note = "The source changed since the run: these are the changes between the result the run "
                         "wrote and the source as it is now.\n";
    QTest::newRow("as the run left it") << QByteArray() << -1 << "@@ -1 +1 @@\n-<body>Ltd</body>\n+<body>GmbH</body>";
    QTest::newRow("changed since, not replaced again")
        << QByteArray("<body>Ltd, Ltd</body>\n") << -1
        << note + "@@ -1 +1 @@\n-<body>Ltd, Ltd</body>\n+<body>GmbH</body>";
    QTest::newRow("saved again since") << QByteArray() << 5
                                       << note + "@@ -1 +1 @@\n-<body>Ltd</body>\n+<body>GmbH</body>";
}

void TestPreviewWindow::runReportShowsWhatWasWritten()
{
    QFETCH(QByteArray, sourceNow);
    QFETCH(int, sourceNewerBy);
    testing::TempTree tree;
    const QByteArray sourceThen = "<body>Ltd</body>\n";
    FileReport report = written(tree.write("page.htm", sourceThen), 1);
    report.dryRun = false;
    report.resultPath = tree.write("out/page.htm", "<body>GmbH</body>\n");
    report.format = classifyContent(sourceThen);
    if (!sourceNow.isEmpty())
        tree.write("page.htm", sourceNow);
    const QDateTime resultTime = QFileInfo(report.resultPath).lastModified();
    QFile source(report.source);
    QVERIFY(source.open(QIODevice::ReadWrite));
    QVERIFY(source.setFileTime(resultTime.addSecs(sourceNewerBy), QFileDevice::FileModificationTime));
    source.close();
    FileRequest request{FileRequest::Kind::Pair, {{"Ltd", "GmbH"}}, {}};

    testing::FakePlatform platform;
    RunReportWindow window({report},
                           [&](int, const StopToken &stop) {
                               return RunReportWindow::writtenChanges(report, request, FileSystem::real(), stop);
                           },
                           "", tree.root(), platform);
    auto *table = window.findChild<QTableView *>("files");
    auto *changes = window.findChild<DiffView *>("changes");
    table->setCurrentIndex(table->model()->index(0, 0));
    QVERIFY(QTest::qWaitFor([&] { return !changes->isComparing(); }));
    QTEST(changes->shownText(), "changes");
}

void TestPreviewWindow::sortsByReplacements()
{
    Bed bed;
    // The title whole beside the sort arrow.
    QHeaderView *header = bed.table->horizontalHeader();
    const QStyle *style = header->style();
    const int needed = header->fontMetrics().horizontalAdvance("Replacements")
        + style->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, header)
        + 3 * style->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    QVERIFY2(header->sectionSize(3) >= needed,
             qPrintable(QStringLiteral("%1 < %2").arg(header->sectionSize(3)).arg(needed)));
    // Most first, then fewest first; skipped and failed files count as fewer than none.
    bed.clickHeader(3);
    QCOMPARE(shownSources(bed.table).mid(0, 3), (QStringList{"garden/rakes.htm", "index.htm", "garden/notes.htm"}));
    bed.clickHeader(3);
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

void TestPreviewWindow::closeSignalsNothing()
{
    Bed bed;
    QSignalSpy started(&bed.window, &PreviewWindow::startReplacingRequested);
    QTest::keyClick(bed.filter, Qt::Key_Return);
    QTest::mouseClick(bed.window.findChild<QPushButton *>("close"), Qt::LeftButton);
    QCOMPARE(started.size(), 0);
    QVERIFY(!bed.window.isVisible());
}

QTEST_MAIN(TestPreviewWindow)
#include "tst_preview_window.moc"
