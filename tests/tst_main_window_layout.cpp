// The main window on any screen and under any desktop theme: it fits or scrolls,
// every caption stays readable, and the file list shows names and their count.
#include "gui/main_window.h"
#include "gui/window_frame.h"
#include "colour_contrast.h"
#include "window_test_bed.h"
#include "filelist/file_list_model.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTreeView>
#include <QtTest>

#include <map>

using tessaly::MainWindow;

namespace {

// The contrast of a painted caption: its most frequent colour is what lies behind
// the text, and the pixel farthest from it is the text's own colour.
double paintedContrast(const QImage &image)
{
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    const QRgb behind =
        std::max_element(counts.begin(), counts.end(), [](auto a, auto b) { return a.second < b.second; })->first;
    double best = 1;
    for (const auto &[pixel, count] : counts)
        best = std::max(best, testing::contrast(QColor(pixel), QColor(behind)));
    return best;
}

QPalette darkDesktop()
{
    QPalette dark(QColor(0x35, 0x35, 0x35), QColor(0x2b, 0x2b, 0x2b));
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
    return dark;
}

} // namespace

class TestMainWindowLayout : public QObject {
    Q_OBJECT
private slots:
    void fitsOrScrolls_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<bool>("scrolls");
        QTest::newRow("800x600") << QRect(0, 0, 800, 600) << true;
        QTest::newRow("1920x1080 at 200%") << QRect(0, 0, 960, 540) << true;
        QTest::newRow("1280x800") << QRect(0, 0, 1280, 770) << false;
        QTest::newRow("1920x1080, second screen") << QRect(1920, 0, 1920, 1040) << false;
    }
    void fitsOrScrolls()
    {
        QFETCH(QRect, available);
        QFETCH(bool, scrolls);
        testing::WindowTestBed bed;
        MainWindow &window = bed.openMainWindow();
        const QSize design = window.size();
        window.fitToScreen(available);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *area = window.findChild<QScrollArea *>("Form1ClientArea");
        QVERIFY(area);
        if (!scrolls) {
            QCOMPARE(window.size(), design);
            QVERIFY(available.contains(window.geometry()));
            QVERIFY(!area->horizontalScrollBar()->isVisible() && !area->verticalScrollBar()->isVisible());
            return;
        }
        QVERIFY2(window.width() <= available.width() && window.height() <= available.height(),
                 qPrintable(QStringLiteral("%1x%2, at least %3x%4").arg(window.width()).arg(window.height())
                                .arg(window.minimumSizeHint().width()).arg(window.minimumSizeHint().height())));
        // The controls farthest right and lowest can be scrolled into view.
        for (const char *name : {"PushButton3", "PushButton14", "PushButton13", "KeepFolderTree"}) {
            auto *control = window.findChild<QWidget *>(name);
            area->ensureWidgetVisible(control);
            const QRect shown(control->mapTo(area->viewport(), QPoint()), control->size());
            QVERIFY2(area->viewport()->rect().contains(shown), name);
        }
        QVERIFY(window.findChild<QWidget *>("PreviewButton")->isVisible());
    }

    // On a small screen the window takes the room there is, and its controls
    // scroll only the way they do not fit (at 800x600 the window's height
    // stopped at 532 px and the controls scrolled 14 px down as well).
    void scrollsOnlyTheWayItDoesNotFit_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<bool>("across");
        QTest::addColumn<bool>("down");
        QTest::newRow("800x600") << QRect(0, 0, 800, 600) << true << false;
        QTest::newRow("1920x1080 at 200%") << QRect(0, 0, 960, 540) << true << true;
        QTest::newRow("narrow and tall") << QRect(0, 0, 800, 1000) << true << false;
        QTest::newRow("wide and short") << QRect(0, 0, 1280, 480) << false << true;
    }
    void scrollsOnlyTheWayItDoesNotFit()
    {
        QFETCH(QRect, available);
        QFETCH(bool, across);
        QFETCH(bool, down);
        testing::WindowTestBed bed;
        MainWindow &window = bed.openMainWindow();
        window.fitToScreen(available);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *area = window.findChild<QScrollArea *>("Form1ClientArea");
        QTRY_COMPARE(area->horizontalScrollBar()->isVisible(), across);
        QCOMPARE(area->verticalScrollBar()->isVisible(), down);
        // Where the controls scroll, the window fills that side of the area.
        const QSize room = available.size() - tessaly::kWindowFrame;
        if (across)
            QCOMPARE(window.width(), room.width());
        if (down)
            QCOMPARE(window.height(), room.height());
    }

    void captionsReadableUnderAnyTheme_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<bool>("skin");
        QTest::newRow("light desktop") << false << false;
        QTest::newRow("dark desktop") << true << false;
        QTest::newRow("dark desktop, skin") << true << true;
    }
    void captionsReadableUnderAnyTheme()
    {
        QFETCH(bool, dark);
        QFETCH(bool, skin);
        const QPalette desktop = QApplication::palette();
        if (dark)
            QApplication::setPalette(darkDesktop());
        const auto restore = qScopeGuard([&] { QApplication::setPalette(desktop); });
        testing::WindowTestBed bed;
        const QString program = bed.dir.path("program");
        if (skin)
            bed.dir.write("program/x/o.cjs", "QPushButton { font-style: italic; }");
        MainWindow &window = bed.openMainWindow(program);
        window.fileList().appendAll({"/site/index.htm"});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QList<QWidget *> captions;
        for (QLabel *label : window.findChildren<QLabel *>())
            if (!label->text().isEmpty())
                captions << label;
        for (QAbstractButton *button : window.findChildren<QAbstractButton *>())
            if (!button->text().isEmpty() && button->isVisible())
                captions << button;
        captions << window.findChild<QTabBar *>();
        captions << window.findChild<QWidget *>("ListView1")->findChild<QWidget *>("qt_scrollarea_viewport");
        QVERIFY(captions.size() > 20);
        for (QWidget *caption : std::as_const(captions)) {
            const double ratio = paintedContrast(caption->grab().toImage());
            QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("%1: %2").arg(caption->objectName()).arg(ratio)));
        }
        for (QGroupBox *frame : window.findChildren<QGroupBox *>()) {
            if (frame->title().isEmpty())
                continue;
            const QImage title = frame->grab(QRect(0, 0, frame->width(), frame->fontMetrics().height() + 2)).toImage();
            QVERIFY2(paintedContrast(title) >= 4.5, qPrintable(frame->objectName()));
        }
    }

    // Long paths keep their names in sight; the whole path is the row's tool tip,
    // and the status line counts the rows.
    void fileListShowsNamesAndCount()
    {
        testing::WindowTestBed bed;
        MainWindow &window = bed.openMainWindow();
        const QString path = "/home/someone/projects/" + QString(60, 'x') + "/build/program/site/page-17.htm";
        window.fileList().appendAll({path, "/site/a.htm"});
        auto *list = window.findChild<QTreeView *>("ListView1");
        QCOMPARE(list->textElideMode(), Qt::ElideMiddle);
        QCOMPARE(list->model()->data(list->model()->index(0, 0), Qt::ToolTipRole).toString(), path);
        auto *count = window.statusBar()->findChild<QLabel *>("ListCount");
        QCOMPARE(count->text(), QStringLiteral("2 files"));
        window.fileList().removeRow(1);
        QCOMPARE(count->text(), QStringLiteral("1 file"));
        window.fileList().clear();
        QCOMPARE(count->text(), QStringLiteral("0 files"));
    }
};

QTEST_MAIN(TestMainWindowLayout)
#include "tst_main_window_layout.moc"
