// Times the Preview window: opening it on a list of 100,000 files, sorting and
// filtering that list, and showing the diff of a 1 MB page; with --screenshot it
// instead shows a few hundred files on the real screen and saves a picture of it.
// Usage: tessaly-preview-bench [FILES]            (offscreen, default 100000)
//        tessaly-preview-bench --screenshot PNG [FILTER]   (e.g. under xvfb-run)
#include "engine/stop_token.h"
#include "engine/text_diff.h"
#include "gui/diff_view.h"
#include "gui/preview_window.h"
#include "gui/qt_platform.h"
#include "sample_page.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QScreen>
#include <QTableView>
#include <QTimer>

#include <cstdio>

using namespace tessaly;

namespace {

// Files of a web site with the outcomes a run gives them: most written, a few
// skipped or refused a place, and a fifth in a folder that cannot be written.
QList<FileReport> siteReports(int count)
{
    static const char *const folders[] = {"", "products/", "products/garden/", "news/2023/", "about/", "support/faq/"};
    static const char *const names[] = {"index", "contact", "prices", "delivery", "history", "team", "order"};
    QList<FileReport> reports;
    reports.reserve(count);
    for (int i = 0; i < count; ++i) {
        FileReport report;
        const QString name = QStringLiteral("%1%2-%3.htm").arg(QLatin1String(folders[i % 6]),
                                                                 QLatin1String(names[i % 7])).arg(i);
        report.source = QStringLiteral("/home/maria/sites/acme/") + name;
        report.resultPath = QStringLiteral("/home/maria/sites/acme-new/") + name;
        report.replacements = (i * 7919) % 23;
        report.dryRun = true;
        if (i % 97 == 13) {
            report.status = FileReport::Status::Skipped;
            report.description = i % 2 ? QStringLiteral("empty") : QStringLiteral("missing");
            report.resultPath.clear();
        } else if (i % 211 == 50) {
            report.status = FileReport::Status::Failed;
            report.failedStep = JobStep::Place;
            report.description = QStringLiteral("the result would replace another source of this run");
        } else if (i % 5 == 3) {
            // A folder of the output that cannot be written: found, replaced, refused at the write.
            report.status = FileReport::Status::Failed;
            report.failedStep = JobStep::Write;
            report.description = QStringLiteral("Cannot write \"%1\": Permission denied").arg(report.resultPath);
        }
        reports.append(report);
    }
    return reports;
}

// A page of the site in which "Acme Ltd" occurs `mentions` times.
QString pageOf(int row, qint64 mentions)
{
    QString page = QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                                  "<title>Acme Ltd – Garden tools</title>\n</head>\n<body>\n"
                                  "<nav><a href=\"index.htm\">Home</a> | <a href=\"prices.htm\">Prices</a></nav>\n");
    for (qint64 p = 1; p < mentions || p < 12; ++p) {
        page += QStringLiteral("<p>Paragraph %1 of page %2: our spades, rakes and shears are made to last.</p>\n")
                    .arg(p)
                    .arg(row);
        if (p < mentions)
            page += QStringLiteral("<p>Call Acme Ltd on 0161 496 0000 or write to sales@acme.example.</p>\n");
    }
    return page + QStringLiteral("</body>\n</html>");
}

// Shows the window on 340 files, filtered by `filter`, with its first row
// selected, and saves a picture of the screen.
int screenshot(QApplication &app, const QString &path, const QString &filter)
{
    const QList<FileReport> reports = siteReports(340);
    QtPlatform platform;
    PreviewWindow window(
        reports,
        [&reports](int row, const StopToken &) {
            const QString source = pageOf(row, reports[row].replacements);
            return FileDiff{
                diffTexts(source, QString(source).replace(QStringLiteral("Acme Ltd"), QStringLiteral("Acme GmbH"))), {}};
        },
        platform);
    window.show();
    window.findChild<QLineEdit *>(QStringLiteral("filter"))->setText(filter);
    auto *table = window.findChild<QTableView *>(QStringLiteral("files"));
    table->setCurrentIndex(table->model()->index(0, 0));
    QTimer::singleShot(800, [&] {
        const bool saved = window.screen()->grabWindow(0).save(path);
        std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(path));
        app.exit(saved ? 0 : 1);
    });
    return app.exec();
}

DiffView *changesOf(const PreviewWindow &window)
{
    return window.findChild<DiffView *>(QStringLiteral("changes"));
}

// The table's row that shows the file at `source`.
QModelIndex rowOf(const QTableView &table, const QString &source)
{
    const QAbstractItemModel *model = table.model();
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->index(row, 0).data().toString() == source)
            return model->index(row, 0);
    return {};
}

double millis(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

// Selects the rows with the 1 MB pages, one after the other.
void timeSelections(PreviewWindow &window, const QList<FileReport> &reports, const double &diffMillis)
{
    auto *table = window.findChild<QTableView *>(QStringLiteral("files"));
    QElapsedTimer timer;
    for (const auto &[row, name] : {std::pair{1, "lines"}, std::pair{2, "one line"}, std::pair{3, "a fifth changed"}}) {
        timer.start();
        table->setCurrentIndex(rowOf(*table, reports[row].source));
        window.repaint();
        QCoreApplication::processEvents();
        // The diff is built on another thread: the window is held up only this long.
        const double held = millis(timer);
        while (changesOf(window)->isComparing())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        window.repaint();
        std::printf("select a 1 MB page (%s): window held %.1f ms, shown after %.1f ms (of which the diff %.1f ms), "
                    "%d lines shown\n",
                    name, held, millis(timer), diffMillis, changesOf(window)->model()->rowCount());
    }
}

void timeSortAndFilter(PreviewWindow &window)
{
    auto *table = window.findChild<QTableView *>(QStringLiteral("files"));
    QElapsedTimer timer;
    timer.start();
    table->sortByColumn(3, Qt::DescendingOrder);
    QCoreApplication::processEvents();
    std::printf("sort by replacements: %.1f ms\n", millis(timer));

    timer.restart();
    window.findChild<QLineEdit *>(QStringLiteral("filter"))->setText(QStringLiteral("garden/prices"));
    QCoreApplication::processEvents();
    std::printf("filter to %d rows: %.1f ms\n", table->model()->rowCount(), millis(timer));
}

} // namespace

int main(int argc, char *argv[])
{
    const bool shot = argc >= 3 && qstrcmp(argv[1], "--screenshot") == 0;
    if (!shot)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (shot)
        return screenshot(app, QString::fromLocal8Bit(argv[2]), argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString());

    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    const QList<FileReport> reports = siteReports(count);
    // Row 1 gets a page of short lines, row 2 the same page on one line, row 3 a
    // page of short lines of which about a fifth change.
    QList<QPair<QString, QString>> pages;
    for (const auto &[changes, lineEnd] : {std::pair{200, QStringLiteral("\n")}, std::pair{200, QStringLiteral(" ")},
                                           std::pair{2600, QStringLiteral("\n")}}) {
        const QString source = samplePage(changes, lineEnd);
        pages.append({source, QString(source).replace(QLatin1String("Acme"), QLatin1String("Zenith"))});
    }
    double diffMillis = 0;
    const auto bigPageDiff = [&](int row, const StopToken &) {
        // Other rows become current when the filter hides the selected one.
        if (row < 1 || row > pages.size())
            return FileDiff{};
        QElapsedTimer timer;
        timer.start();
        FileDiff diff{diffTexts(pages[row - 1].first, pages[row - 1].second), {}};
        diffMillis = millis(timer);
        return diff;
    };

    QElapsedTimer timer;
    timer.start();
    QtPlatform platform;
    PreviewWindow window(reports, bigPageDiff, platform);
    window.show();
    QCoreApplication::processEvents();
    std::printf("open with %d files: %.1f ms\n", count, millis(timer));

    timeSelections(window, reports, diffMillis);
    timeSortAndFilter(window);
    return 0;
}
