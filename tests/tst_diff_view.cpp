// The diff pane driven offscreen: a diff built on another thread gives way to
// whatever is shown after it, and F8, Shift+F8 and the two buttons step through
// the changes.
#include "engine/stop_token.h"
#include "gui/diff_navigation.h"
#include "gui/diff_view.h"

#include <QLabel>
#include <QPushButton>
#include <QSemaphore>
#include <QVBoxLayout>
#include <QtTest>

#include <algorithm>
#include <atomic>

using namespace tessaly;

class TestDiffView : public QObject {
    Q_OBJECT
private slots:
    void newerShowingDropsOlderDiff_data();
    void newerShowingDropsOlderDiff();
    void keysAndButtonsStepThroughChanges_data();
    void keysAndButtonsStepThroughChanges();
};

void TestDiffView::newerShowingDropsOlderDiff_data()
{
    QTest::addColumn<QString>("newer");
    QTest::addColumn<QString>("shown");
    QTest::newRow("another file's diff job") << "job" << "@@ -1 +1 @@\n-a\n+b";
    QTest::newRow("a diff") << "diff" << "@@ -1 +1 @@\n-a\n+b";
    QTest::newRow("a message") << "message" << "No replacements in this file.";
}

void TestDiffView::newerShowingDropsOlderDiff()
{
    QFETCH(QString, newer);
    QFETCH(QString, shown);
    DiffView view;
    // The older job goes on until the test lets it, as reading a large file would,
    // and then returns its diff all the same.
    QSemaphore mayFinish;
    std::atomic<bool> askedToStop = false, finished = false;
    view.showDiffOf([&](const StopToken &stop) {
        mayFinish.acquire();
        askedToStop = stop.stopRequested();
        const FileDiff stale{diffTexts("old\n", "stale\n"), {}};
        finished = true;
        return stale;
    });
    QVERIFY(view.isComparing());
    QCOMPARE(view.shownText(), "Comparing…");

    if (newer == "job")
        view.showDiffOf([](const StopToken &) { return FileDiff{diffTexts("a\n", "b\n"), {}}; });
    else if (newer == "diff")
        view.showDiff(diffTexts("a\n", "b\n"));
    else
        view.showMessage("No replacements in this file.");
    mayFinish.release();
    QTRY_VERIFY(finished && !view.isComparing());
    QCoreApplication::processEvents();
    QVERIFY(askedToStop);
    QCOMPARE(view.shownText(), shown);
}

void TestDiffView::keysAndButtonsStepThroughChanges_data()
{
    QTest::addColumn<QList<QKeyCombination>>("keys");
    QTest::addColumn<QString>("position");
    QTest::addColumn<QString>("currentLine");

    const QKeyCombination next(Qt::Key_F8), previous(Qt::SHIFT | Qt::Key_F8);
    QTest::newRow("none yet") << QList<QKeyCombination>{} << "3 changes" << QString();
    QTest::newRow("F8") << QList{next} << "change 1 of 3" << "-line 2";
    QTest::newRow("F8 twice") << QList{next, next} << "change 2 of 3" << "-line 10";
    QTest::newRow("F8 past the last") << QList{next, next, next, next} << "change 3 of 3" << "-line 18";
    QTest::newRow("Shift+F8 back") << QList{next, next, previous} << "change 1 of 3" << "-line 2";
    QTest::newRow("Shift+F8 before the first") << QList{next, previous} << "change 1 of 3" << "-line 2";
    const QKeyCombination nextButton(Qt::ALT | Qt::Key_X), previousButton(Qt::ALT | Qt::Key_V);
    QTest::newRow("Alt+X, Alt+X, Alt+V: the buttons") << QList{nextButton, nextButton, previousButton}
                                                       << "change 1 of 3" << "-line 2";
}

void TestDiffView::keysAndButtonsStepThroughChanges()
{
    QFETCH(QList<QKeyCombination>, keys);
    QFETCH(QString, position);
    QFETCH(QString, currentLine);

    QString source;
    for (int i = 1; i <= 20; ++i)
        source += QStringLiteral("line %1\n").arg(i);
    const QString result = QString(source).replace("line 2\n", "LINE 2\n").replace("line 10\n", "LINE 10\n")
                               .replace("line 18\n", "LINE 18\n");
    QWidget window;
    auto *view = new DiffView;
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(new DiffNavigation(view));
    layout->addWidget(view);
    view->showDiff(diffTexts(source, result));
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    const QList<QPushButton *> buttons = window.findChildren<QPushButton *>();
    for (const QKeyCombination key : keys) {
        QTest::keyClick(&window, key.key(), key.keyboardModifiers());
        // A button's Alt shortcut shows the button pressed a moment, then clicks it.
        QTRY_VERIFY(std::none_of(buttons.begin(), buttons.end(), [](QPushButton *b) { return b->isDown(); }));
    }
    QCOMPARE(window.findChild<QLabel *>("changePosition")->text(), position);
    QCOMPARE(view->currentIndex().data().toString(), currentLine);
}

QTEST_MAIN(TestDiffView)
#include "tst_diff_view.moc"
