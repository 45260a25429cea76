// The desktop side of the platform layer with the real Qt dialogs and boxes:
// each test opens the dialog through QtPlatform, inspects and closes it.
#include "gui/qt_platform.h"
#include "gui/path_list_box.h"
#include "filelist/file_list_model.h"
#include "filelist/list_maintenance.h"
#include "filelist/samples.h"
#include "temp_tree.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <functional>

using tessaly::QtPlatform;

namespace {

// Runs `act` on the modal dialog that the next call opens; the dialog is closed
// afterwards whatever `act` did, so a failed check cannot leave the test waiting.
template<class Dialog>
void whenShown(std::function<void(Dialog &)> act)
{
    QTimer::singleShot(0, [act] {
        auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        auto *dialog = qobject_cast<Dialog *>(modal);
        if (dialog)
            act(*dialog);
        else
            QTest::qFail("the expected dialog is not showing", __FILE__, __LINE__);
        if (modal && modal->isVisible())
            modal->reject();
    });
}

// The names the dialog's file list shows, sorted.
QStringList listedNames(QFileDialog &dialog)
{
    const auto *view = dialog.findChild<QListView *>(QStringLiteral("listView"));
    QStringList names;
    if (!view)
        return names;
    const QAbstractItemModel *model = view->model();
    for (int row = 0; row < model->rowCount(view->rootIndex()); ++row)
        names << model->index(row, 0, view->rootIndex()).data().toString();
    names.sort();
    return names;
}

// Receives the desktop's "open this" requests for file URLs.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
    Q_INVOKABLE void open(const QUrl &url) { opened << url; }
};

} // namespace

class TestQtPlatform : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init()
    {
        m_tree = std::make_unique<testing::TempTree>();
        m_tree->write({"a.htm", "b.html", "c.txt", "README"}, "<p>x</p>");
        QVERIFY(QDir(m_tree->root()).mkdir("sub"));
        m_platform.setApplicationTitle("Tessaly");
    }

    void fileDialogListsWhatItsFilterNames_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("chosenFilter");
        QTest::addColumn<QStringList>("shownFilters");
        QTest::addColumn<QStringList>("listed");

        const QString addHtml = "HTML Files (*.htm;*.html)|*.htm;*.html|All Files (*.*)|*.*";
        const QStringList addHtmlShown{"HTML Files (*.htm *.html)", "All Files (*)"};
        QTest::newRow("Add HTML Files: HTML files") << addHtml << 0 << addHtmlShown
                                                    << QStringList{"a.htm", "b.html", "sub"};
        QTest::newRow("Add HTML Files: all files, also without a dot")
            << addHtml << 1 << addHtmlShown << QStringList{"README", "a.htm", "b.html", "c.txt", "sub"};
        QTest::newRow("Save Sets: text files") << "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|" << 0
                                               << QStringList{"Text Files (*.txt)", "All Files (*)"}
                                               << QStringList{"c.txt", "sub"};
        QTest::newRow("Load Sets: text files") << "Text Files (*.txt)|*.txt|" << 0
                                               << QStringList{"Text Files (*.txt)"} << QStringList{"c.txt", "sub"};
    }
    void fileDialogListsWhatItsFilterNames()
    {
        QFETCH(QString, filter);
        QFETCH(int, chosenFilter);
        QFETCH(QStringList, shownFilters);
        QFETCH(QStringList, listed);
        whenShown<QFileDialog>([&](QFileDialog &dialog) {
            QCOMPARE(dialog.nameFilters(), shownFilters);
            dialog.selectNameFilter(shownFilters.at(chosenFilter));
            QTRY_COMPARE(listedNames(dialog), listed);
        });
        QCOMPARE(m_platform.openFiles({"Add", filter, m_tree->root()}), QStringList());
    }

    void fileDialogs_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("typed");   // "" cancels
        QTest::addColumn<int>("fileMode");
        QTest::addColumn<int>("acceptMode");
        QTest::addColumn<QStringList>("answer");

        const int open = QFileDialog::AcceptOpen;
        QTest::newRow("openFiles: two files") << "openFiles" << "\"a.htm\" \"b.html\"" << int(QFileDialog::ExistingFiles)
                                              << open << QStringList{"a.htm", "b.html"};
        QTest::newRow("openFiles: cancelled") << "openFiles" << "" << int(QFileDialog::ExistingFiles) << open
                                              << QStringList();
        QTest::newRow("openFile") << "openFile" << "c.txt" << int(QFileDialog::ExistingFile) << open
                                  << QStringList{"c.txt"};
        QTest::newRow("saveFile over a file: no question of its own")
            << "saveFile" << "c.txt" << int(QFileDialog::AnyFile) << int(QFileDialog::AcceptSave)
            << QStringList{"c.txt"};
        QTest::newRow("saveFile: new name") << "saveFile" << "new.txt" << int(QFileDialog::AnyFile)
                                            << int(QFileDialog::AcceptSave) << QStringList{"new.txt"};
        QTest::newRow("browseForFolder") << "browseForFolder" << "sub" << int(QFileDialog::Directory) << open
                                         << QStringList{"sub"};
        QTest::newRow("browseForFolder: cancelled") << "browseForFolder" << "" << int(QFileDialog::Directory)
                                                    << open << QStringList();
    }
    void fileDialogs()
    {
        QFETCH(QString, call);
        QFETCH(QString, typed);
        QFETCH(int, fileMode);
        QFETCH(int, acceptMode);
        QFETCH(QStringList, answer);
        whenShown<QFileDialog>([&](QFileDialog &dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Title"));
            QVERIFY(dialog.testOption(QFileDialog::DontUseNativeDialog));
            QCOMPARE(QDir(dialog.directory()), QDir(m_tree->root()));
            QCOMPARE(int(dialog.fileMode()), fileMode);
            QCOMPARE(int(dialog.acceptMode()), acceptMode);
            if (typed.isEmpty())
                return;
            dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(typed);
            QMetaObject::invokeMethod(&dialog, "accept");
            QVERIFY2(!dialog.isVisible(), "the dialog did not take the typed name");
        });
        const tessaly::FileDialogRequest request{"Title", "All Files (*.*)|*.*", m_tree->root()};
        QStringList result;
        if (call == "openFiles")
            result = m_platform.openFiles(request);
        else if (call == "openFile")
            result = QStringList{m_platform.openFile(request)};
        else if (call == "saveFile")
            result = QStringList{m_platform.saveFile(request)};
        else
            result = QStringList{m_platform.browseForFolder(request.title, request.initialFolder)};
        result.removeAll(QString());
        QStringList expected;
        for (const QString &name : std::as_const(answer))
            expected << QDir::toNativeSeparators(m_tree->path(name));
        QCOMPARE(result, expected);
    }

    void boxes_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("pressed");
        QTest::addColumn<bool>("answer");

        const int ok = QMessageBox::Ok;
        const int yesNo = QMessageBox::Yes | QMessageBox::No;
        QTest::newRow("message") << "message" << "Tessaly" << int(QMessageBox::NoIcon) << ok << ok << false;
        QTest::newRow("messageWithDetails") << "messageWithDetails" << "Tessaly" << int(QMessageBox::NoIcon) << ok
                                            << ok << false;
        QTest::newRow("askYesNo: Yes") << "askYesNo" << "Tessaly" << int(QMessageBox::NoIcon) << yesNo
                                       << int(QMessageBox::Yes) << true;
        QTest::newRow("askYesNo: No") << "askYesNo" << "Tessaly" << int(QMessageBox::NoIcon) << yesNo
                                      << int(QMessageBox::No) << false;
        QTest::newRow("errorReport") << "errorReport" << "Application Error" << int(QMessageBox::Warning) << ok << ok
                                     << false;
    }
    void boxes()
    {
        QFETCH(QString, call);
        QFETCH(QString, title);
        QFETCH(int, icon);
        QFETCH(int, buttons);
        QFETCH(int, pressed);
        QFETCH(bool, answer);
        whenShown<QMessageBox>([&](QMessageBox &box) {
            QCOMPARE(box.windowTitle(), title);
            QCOMPARE(int(box.icon()), icon);
            QCOMPARE(box.text(), QStringLiteral("One\nTwo\n\nThree"));
            QCOMPARE(int(box.standardButtons()), buttons);
            box.button(QMessageBox::StandardButton(pressed))->click();
        });
        const QString text = "One\r\nTwo\r\rThree";
        bool result = false;
        if (call == "message")
            m_platform.message(text);
        else if (call == "messageWithDetails")
            m_platform.messageWithDetails(text, [] {});
        else if (call == "askYesNo")
            result = m_platform.askYesNo(text);
        else
            m_platform.errorReport(text);
        QCOMPARE(result, answer);
    }

    // A question whose Yes risks failures has No as its default button, in the
    // plain box and in the box that lists paths; Enter answers with the default.
    void questionsDefaultButton_data()
    {
        QTest::addColumn<bool>("risky");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("pathList");
        QTest::addColumn<QString>("defaultText");
        const QString plain = "2 files would fail. Start Replacing anyway?";
        const QString twoPaths = "These files:\n\n/srv/a.txt\n/srv/b.txt\n\nRemove them?";
        QTest::newRow("plain question") << false << plain << false << "&Yes";
        QTest::newRow("risky question") << true << plain << false << "&No";
        QTest::newRow("plain question with paths") << false << twoPaths << true << "&Yes";
        QTest::newRow("risky question with paths") << true << twoPaths << true << "&No";
    }
    void questionsDefaultButton()
    {
        QFETCH(bool, risky);
        QFETCH(QString, text);
        QFETCH(bool, pathList);
        QFETCH(QString, defaultText);
        whenShown<QDialog>([&](QDialog &box) {
            QCOMPARE(qobject_cast<tessaly::PathListBox *>(&box) != nullptr, pathList);
            QStringList defaults;
            for (const QPushButton *button : box.findChildren<QPushButton *>())
                if (button->isDefault())
                    defaults << button->text();
            QCOMPARE(defaults, QStringList{defaultText});
            QTest::keyClick(&box, Qt::Key_Return);
        });
        const bool answer = risky ? m_platform.askYesNoDefaultNo(text) : m_platform.askYesNo(text);
        QCOMPARE(answer, defaultText == "&Yes");
    }

    // Two paths on lines of their own already make a list of paths; one path is
    // part of the box's text.
    void pathsOfAMessageMakeAListFromTwo_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<bool>("pathList");
        QTest::newRow("one path") << QStringList{"/srv/a.htm"} << false;
        QTest::newRow("two paths") << QStringList{"/srv/a.htm", "/srv/b.htm"} << true;
        QTest::newRow("three paths") << QStringList{"/srv/a.htm", "/srv/b.htm", "/srv/c.htm"} << true;
    }
    void pathsOfAMessageMakeAListFromTwo()
    {
        QFETCH(QStringList, paths);
        QFETCH(bool, pathList);
        QStringList listed;
        bool shownAsList = false;
        whenShown<QDialog>([&](QDialog &box) {
            shownAsList = qobject_cast<tessaly::PathListBox *>(&box) != nullptr;
            if (auto *view = box.findChild<QListView *>("paths"))
                for (int row = 0; row < view->model()->rowCount(); ++row)
                    listed << view->model()->index(row, 0).data().toString();
        });
        m_platform.message("These files could not be read:\r\n\r\n" + paths.join("\r\n")
                           + "\r\n\r\nNothing was changed.");
        QCOMPARE(shownAsList, pathList);
        QCOMPARE(listed, pathList ? paths : QStringList{});
    }

    // Show Details… opens the details over the box, which stays; Enter then presses OK.
    void showDetailsKeepsTheBoxAndEnterPressesOk()
    {
        int shown = 0;
        bool closedByOk = false;
        whenShown<QMessageBox>([&](QMessageBox &box) {
            QAbstractButton *details = nullptr;
            for (QAbstractButton *button : box.buttons())
                if (button->text() == QStringLiteral("Show &Details…"))
                    details = button;
            QVERIFY(details);
            details->click();
            QCOMPARE(shown, 1);
            QVERIFY(box.isVisible());
            QCOMPARE(box.focusWidget(), box.button(QMessageBox::Ok));
            QTest::keyClick(box.focusWidget(), Qt::Key_Return);
            closedByOk = !box.isVisible() && box.clickedButton() == box.button(QMessageBox::Ok);
        });
        m_platform.messageWithDetails("Done.", [&] { ++shown; });
        QVERIFY(closedByOk);
    }

    void input_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::newRow("answered") << true << std::optional<QString>("txt");
        QTest::newRow("cancelled") << false << std::optional<QString>();
    }
    void input()
    {
        QFETCH(bool, accept);
        QFETCH(std::optional<QString>, answer);
        whenShown<QInputDialog>([&](QInputDialog &box) {
            QCOMPARE(box.windowTitle(), QStringLiteral("Tessaly"));
            QCOMPARE(box.labelText(), QStringLiteral("Enter:\n\n(hint)"));
            QCOMPARE(box.textValue(), QStringLiteral("htm"));
            box.setTextValue("txt");
            if (accept)
                box.accept();
        });
        QCOMPARE(m_platform.input("Enter:\r\r(hint)", "htm"), answer);
    }

    // A line that fits on the screen (the Help box's support address) is not
    // broken at a "/".
    void linesThatFitStayWhole()
    {
        const QString address = "Questions? Please contact Team Kestrine at https://kestrine.example/support";
        whenShown<QMessageBox>([&](QMessageBox &box) {
            auto *label = box.findChild<QLabel *>("qt_msgbox_label");
            QVERIFY(label);
            const int needed = QFontMetrics(label->font()).horizontalAdvance(address);
            QVERIFY2(label->contentsRect().width() >= needed,
                     qPrintable(QString("%1 < %2").arg(label->contentsRect().width()).arg(needed)));
            QVERIFY(box.frameGeometry().width() <= box.screen()->availableGeometry().width());
            box.button(QMessageBox::Ok)->click();
        });
        m_platform.message("This software is not intended to be used on images, executables, etc.\r\r" + address);
    }

    // Every box shows its whole text, on the small screen and on a wide one where
    // Qt would stop the box at 800 px and cut the samples question off. A box
    // fits the screen of the window it shows over.
    void boxShowsItsWholeText_data()
    {
        QTest::addColumn<int>("screen");
        QTest::newRow("800x600") << 0;
        QTest::newRow("1280x800") << 1;
    }
    void boxShowsItsWholeText()
    {
        QFETCH(int, screen);
        if (QGuiApplication::screens().size() <= screen)
            QSKIP("the platform has no second screen");
        QScreen *shownOn = QGuiApplication::screens().at(screen);
        QWidget parent;
        parent.setScreen(shownOn);
        parent.setGeometry(QRect(shownOn->geometry().topLeft() + QPoint(20, 20), QSize(300, 200)));
        parent.show();
        m_platform.setParentWindow(&parent);
        whenShown<QMessageBox>([&](QMessageBox &box) {
            // Qt sizes a box again at each of its layout requests (one follows
            // the box's showing on X11).
            QEvent layoutRequest(QEvent::LayoutRequest);
            QCoreApplication::sendEvent(&box, &layoutRequest);
            const auto *label = box.findChild<QLabel *>("qt_msgbox_label");
            QVERIFY(label);
            const QRect shown(label->mapTo(&box, QPoint(0, 0)), label->size());
            QVERIFY2(box.rect().contains(shown), qPrintable(QString("the text ends at %1 in a box %2 px wide")
                                                                .arg(shown.right() + 1)
                                                                .arg(box.width())));
            QVERIFY(label->height() >= label->heightForWidth(label->width()));
            QVERIFY(shownOn->availableGeometry().contains(box.frameGeometry()));
        });
        m_platform.askYesNo(tessaly::openSamplesFolderQuestion());
        m_platform.setParentWindow(nullptr);
    }

    // The question about files that are not HTML, on the small offscreen screen:
    // its words stay in view around a list of the paths, which shows ten or more
    // whole, and the box can be resized. However many paths, the list is a
    // model/view list of rows all of one size, never one label with every path.
    void pathsScrollBetweenTheWordsOfTheQuestion_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("300 files") << 300;
        QTest::newRow("150,000 files") << 150000;
    }
    void pathsScrollBetweenTheWordsOfTheQuestion()
    {
        QFETCH(int, count);
        tessaly::FileListModel list;
        QStringList paths;
        for (int i = 0; i < count; ++i)
            paths << QStringLiteral("/srv/www/site/images/gallery/photo%1.jpg").arg(i);
        list.appendAll(paths);
        const QString question = tessaly::checkListExtensions(list.rows()).question;
        whenShown<tessaly::PathListBox>([&](tessaly::PathListBox &box) {
            const QRect screen = box.screen()->availableGeometry();
            QVERIFY(screen.contains(box.frameGeometry()));
            QVERIFY(box.frameGeometry().width() <= screen.width() * 9 / 10);
            auto *before = box.findChild<QLabel *>("textBefore");
            auto *after = box.findChild<QLabel *>("textAfter");
            auto *view = box.findChild<QListView *>("paths");
            QVERIFY(before && after && view);
            for (QWidget *shown : {static_cast<QWidget *>(before), static_cast<QWidget *>(after)})
                QVERIFY(box.rect().contains(QRect(shown->mapTo(&box, QPoint(0, 0)), shown->size())));
            QStringList rows;
            for (int row = 0; row < view->model()->rowCount(); ++row)
                rows << view->model()->index(row, 0).data().toString();
            QCOMPARE(before->text() + "\n\n" + rows.join('\n') + "\n\n" + after->text(),
                     QString(question).replace("\r\n", "\n"));
            QVERIFY(view->uniformItemSizes());
            const QRect firstRow = view->visualRect(view->model()->index(0, 0));
            QVERIFY2(view->viewport()->height() >= 10 * firstRow.height(), qPrintable(QString::number(view->height())));
            QVERIFY(view->viewport()->width() >= view->fontMetrics().horizontalAdvance(paths.last()));
            QVERIFY(firstRow.width() >= view->fontMetrics().horizontalAdvance(paths.last()));
            const QSize opened = box.size();
            box.resize(opened - QSize(40, 40));
            QCOMPARE(box.size(), opened - QSize(40, 40));
            box.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::No)->click();
        });
        QVERIFY(!tessaly::ValidateListFiles(list, m_platform));
        QCOMPARE(list.count(), count);
    }

    void openFolderHandsTheFolderToTheDesktop()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("file", &catcher, "open");
        m_platform.openFolder(m_tree->root() + "/sub/");
        QDesktopServices::unsetUrlHandler("file");
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl::fromLocalFile(m_tree->root() + "/sub/")});
    }

    // With no file manager the desktop opens nothing: a box says so and gives the
    // folder's path to select or copy; copying leaves the box open.
    void openFolderWithoutFileManagerGivesThePath()
    {
        const QString folder = m_tree->root() + "/sub/";
        QApplication::clipboard()->clear();
        QString text;
        bool selectable = false;
        bool openAfterCopy = false;
        whenShown<QMessageBox>([&](QMessageBox &box) {
            text = box.text();
            selectable = box.textInteractionFlags().testFlag(Qt::TextSelectableByMouse);
            for (QAbstractButton *button : box.buttons())
                if (button->text() == "&Copy Path")
                    button->click();
            openAfterCopy = box.isVisible();
            box.button(QMessageBox::Ok)->click();
        });
        m_platform.openFolder(folder);
        QCOMPARE(text, "The folder cannot be shown: the desktop has no program to open it.\n\n" + folder);
        QVERIFY(selectable);
        QVERIFY(openAfterCopy);
        QCOMPARE(QApplication::clipboard()->text(), folder);
    }

    void execReturnsTheDialogsResult()
    {
        QDialog dialog;
        QTimer::singleShot(0, &dialog, [&] { dialog.done(7); });
        QCOMPARE(m_platform.exec(dialog), 7);
    }

private:
    std::unique_ptr<testing::TempTree> m_tree;
    QtPlatform m_platform;
};

// Two screens when offscreen: the small one every other test uses, and a wide
// one beside it.
int main(int argc, char **argv)
{
    QTemporaryFile screens(QDir::tempPath() + "/tst_qt_platform_screens_XXXXXX.json");
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && screens.open()) {
        screens.write(R"({"screens": [
            {"name": "small", "x": 0, "y": 0, "width": 800, "height": 600, "logicalDpi": 96},
            {"name": "wide", "x": 800, "y": 0, "width": 1280, "height": 800, "logicalDpi": 96}]})");
        screens.flush();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens.fileName()));
    }
    QApplication app(argc, argv);
    TestQtPlatform test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_qt_platform.moc"
