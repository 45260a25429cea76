// ListView1 on screen: removal by key and double-click, the row drag and drops.
#include "gui/file_list_view.h"

#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

using namespace tessaly;

namespace {

struct Shown {
    FileListModel model;
    FileListView view;
    bool busy = false;

    explicit Shown(int rows, QSize size = {500, 400})
    {
        QStringList paths;
        for (int i = 1; i <= rows; ++i)
            paths.append(QStringLiteral("/r/%1.htm").arg(i));
        model.appendAll(paths);
        view.setFileListModel(&model);
        view.setBusyTest([this] { return busy; });
        view.resize(size);
        view.show();
    }

    QPoint rowPoint(int position) const { return view.visualRect(model.index(position - 1)).center(); }

    void mouse(QEvent::Type type, QPoint pos, Qt::MouseButtons held = Qt::LeftButton)
    {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, pos, view.viewport()->mapToGlobal(pos), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &event);
    }

    // Presses on one row, moves over the given rows and releases on the last.
    void drag(int from, const QList<int> &over)
    {
        mouse(QEvent::MouseButtonPress, rowPoint(from));
        for (int position : over)
            mouse(QEvent::MouseMove, rowPoint(position));
        mouse(QEvent::MouseButtonRelease, rowPoint(over.isEmpty() ? from : over.last()), Qt::NoButton);
    }

    QStringList numbers() const
    {
        QStringList out;
        for (const QString &row : model.rows())
            out.append(row.mid(3).chopped(4));
        return out;
    }
};

} // namespace

class TestFileListView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void rowDrag_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<QList<int>>("over");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("selected");
        QTest::newRow("step by step walks the row along")
            << 2 << QList<int>({3, 4, 5}) << QStringList({"1", "3", "4", "5", "2", "6"}) << 5;
        QTest::newRow("a jump swaps two rows only")
            << 2 << QList<int>({5}) << QStringList({"1", "5", "3", "4", "2", "6"}) << 5;
        QTest::newRow("upwards") << 5 << QList<int>({4, 3}) << QStringList({"1", "2", "5", "3", "4", "6"}) << 3;
        QTest::newRow("staying on the row changes nothing")
            << 3 << QList<int>({3, 3}) << QStringList({"1", "2", "3", "4", "5", "6"}) << 3;
    }
    void rowDrag()
    {
        QFETCH(int, from);
        QFETCH(QList<int>, over);
        QFETCH(QStringList, rows);
        QFETCH(int, selected);
        Shown s(6);
        s.drag(from, over);
        QCOMPARE(s.numbers(), rows);
        QCOMPARE(s.view.currentIndex().row() + 1, selected);
    }

    void equalTextsAreNotSwapped()
    {
        Shown s(0);
        s.model.appendAll({"/a.htm", "/b.htm", "/a.htm"});
        s.drag(1, {3, 2});
        QCOMPARE(s.model.rows(), QStringList({"/b.htm", "/a.htm", "/a.htm"}));
    }

    void movingWithoutPressDoesNothing()
    {
        Shown s(4);
        s.drag(1, {});
        s.mouse(QEvent::MouseMove, s.rowPoint(3), Qt::NoButton);
        QCOMPARE(s.numbers(), QStringList({"1", "2", "3", "4"}));
    }

    void dragPointer()
    {
        Shown s(3);
        s.mouse(QEvent::MouseButtonPress, s.rowPoint(1));
        // No drag.ico beside the test program: another pointer, no failure.
        QCOMPARE(s.view.viewport()->cursor().shape(), Qt::DragMoveCursor);
        s.mouse(QEvent::MouseButtonRelease, s.rowPoint(1), Qt::NoButton);
        QCOMPARE(s.view.viewport()->cursor().shape(), Qt::ArrowCursor);
    }

    void rememberedRowRemovedMeanwhile()
    {
        Shown s(4);
        s.drag(2, {});
        QTest::keyClick(&s.view, Qt::Key_Delete);
        QCOMPARE(s.numbers(), QStringList({"1", "3", "4"}));
        // A press beside the rows brings no item click: the old row is used, and it is gone.
        const QPoint below(10, s.view.viewport()->height() - 2);
        s.mouse(QEvent::MouseButtonPress, below);
        s.mouse(QEvent::MouseMove, s.rowPoint(1));
        s.mouse(QEvent::MouseButtonRelease, s.rowPoint(1), Qt::NoButton);
        QCOMPARE(s.numbers(), QStringList({"1", "3", "4"}));
    }

    void dragScrollsNearTheEdges()
    {
        Shown s(60, {500, 200});
        QScrollBar *bar = s.view.verticalScrollBar();
        QCOMPARE(bar->value(), 0);
        const QPoint bottomEdge(10, s.view.viewport()->height() - 2);
        const QPoint topEdge(10, 2);
        // A swap in the middle of the list does not scroll.
        s.drag(1, {2});
        QCOMPARE(bar->value(), 0);
        // A swap at the bottom edge brings the next row into view.
        s.mouse(QEvent::MouseButtonPress, s.rowPoint(2));
        s.mouse(QEvent::MouseMove, bottomEdge);
        QVERIFY(bar->value() > 0);
        const int scrolled = bar->value();
        // And one at the top edge brings the row above back.
        s.mouse(QEvent::MouseMove, topEdge);
        s.mouse(QEvent::MouseButtonRelease, topEdge, Qt::NoButton);
        QVERIFY(bar->value() < scrolled);
    }

    void removeSelected_data()
    {
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QStringList>("rows");
        const QStringList all{"1", "2", "3"};
        QTest::newRow("Delete removes the selected row") << false << false << true << QStringList({"1", "3"});
        QTest::newRow("double-click removes the selected row") << true << false << true << QStringList({"1", "3"});
        QTest::newRow("Delete while busy") << false << true << true << all;
        QTest::newRow("double-click while busy") << true << true << true << all;
        QTest::newRow("Delete with no selection") << false << false << false << all;
        QTest::newRow("double-click with no selection") << true << false << false << all;
    }
    void removeSelected()
    {
        QFETCH(bool, doubleClick);
        QFETCH(bool, busy);
        QFETCH(bool, selected);
        QFETCH(QStringList, rows);
        Shown s(3);
        if (selected)
            s.view.setCurrentIndex(s.model.index(1));
        s.busy = busy;
        if (doubleClick)
            s.mouse(QEvent::MouseButtonDblClick, s.rowPoint(2));
        else
            QTest::keyClick(&s.view, Qt::Key_Delete, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(s.numbers(), rows);
    }

    void removeOnEmptyList()
    {
        Shown s(0);
        QTest::keyClick(&s.view, Qt::Key_Delete);
        s.mouse(QEvent::MouseButtonDblClick, QPoint(10, 10));
        QCOMPARE(s.model.count(), 0);
    }

    void drops_data()
    {
        QTest::addColumn<bool>("files");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("files and folders") << true << true;
        QTest::newRow("plain text is refused") << false << false;
    }
    void drops()
    {
        QFETCH(bool, files);
        QFETCH(bool, accepted);
        QTemporaryDir dir;
        const QStringList paths{dir.path() + "/Folder", dir.path() + "/~a.htm", dir.path() + "/b c.htm"};
        QMimeData data;
        if (files) {
            QList<QUrl> urls;
            for (const QString &path : paths)
                urls.append(QUrl::fromLocalFile(path));
            data.setUrls(urls);
        } else {
            data.setText(paths.join('\n'));
        }
        Shown s(1);
        QSignalSpy dropped(&s.view, &FileListView::filesDropped);
        const QPoint at = s.rowPoint(1);

        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(!accepted);
        QCoreApplication::sendEvent(s.view.viewport(), &enter);
        QCOMPARE(enter.isAccepted(), accepted);

        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(s.view.viewport(), &drop);
        QCOMPARE(dropped.size(), accepted ? 1 : 0);
        if (accepted)
            QCOMPARE(dropped.first().first().toStringList(), paths);
        QCOMPARE(s.model.count(), 1);
    }
};

QTEST_MAIN(TestFileListView)
#include "tst_file_list_view.moc"
