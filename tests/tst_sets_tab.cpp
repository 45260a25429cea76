// The main window's sets tab driven headless: Add Set, the lists kept in step,
// Remove Selected Set, Clear All Sets, Save Sets, loading through the Load Sets
// dialog, and a replacement run over the sets.
#include "gui/main_window.h"
#include "gui/sets_controller.h"
#include "window_test_bed.h"
#include "filelist/file_list_model.h"
#include "test_files.h"
#include "textio/code_page.h"

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <sys/stat.h>

Q_DECLARE_METATYPE(std::optional<QString>)

using tessaly::MainWindow;
using testing::FakePlatform;

namespace {

const QString kAddPrompt =
    QStringLiteral("Enter find and replace set (use :: to separate find text and replace text):");
const QString kMissingSeparator = QStringLiteral("You must use :: to separate the find text from the replace text");

QStringList items(const QComboBox *combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

} // namespace

class TestSetsTab : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_bed = std::make_unique<testing::WindowTestBed>();
        m_window = &m_bed->openMainWindow();
    }
    void cleanup()
    {
        m_window = nullptr;
        m_bed.reset();
    }

    void addSet_data()
    {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<QStringList>("finds");
        QTest::addColumn<QStringList>("replaces");
        QTest::addColumn<QStringList>("messages");
        using Answer = std::optional<QString>;
        QTest::newRow("default text") << Answer("findwhat::replacewith") << QStringList{"findwhat"}
                                      << QStringList{"replacewith"} << QStringList{};
        QTest::newRow("third piece dropped") << Answer("a::b::c") << QStringList{"a"} << QStringList{"b"}
                                             << QStringList{};
        QTest::newRow("missing separator") << Answer("ab") << QStringList{} << QStringList{}
                                           << QStringList{kMissingSeparator};
        QTest::newRow("single colons only") << Answer("a:b:c") << QStringList{} << QStringList{}
                                            << QStringList{kMissingSeparator};
        QTest::newRow("spaces kept") << Answer("  a b :: c  ") << QStringList{"  a b "} << QStringList{" c  "}
                                     << QStringList{};
        QTest::newRow("leading separator: empty find") << Answer("::b") << QStringList{""} << QStringList{"b"}
                                                       << QStringList{};
        QTest::newRow("trailing separator: empty replace") << Answer("a::") << QStringList{"a"} << QStringList{""}
                                                           << QStringList{};
        QTest::newRow("separator alone") << Answer("::") << QStringList{""} << QStringList{""} << QStringList{};
        QTest::newRow("empty answer") << Answer("") << QStringList{} << QStringList{} << QStringList{};
        QTest::newRow("cancelled") << Answer() << QStringList{} << QStringList{} << QStringList{};
    }
    void addSet()
    {
        QFETCH(std::optional<QString>, answer);
        QFETCH(QStringList, finds);
        QFETCH(QStringList, replaces);
        QFETCH(QStringList, messages);
        m_bed->platform.inputAnswers.enqueue(answer);
        click("PushButton7");
        const auto inputs = m_bed->platform.callsOf("input");
        QCOMPARE(inputs.size(), 1);
        QCOMPARE(inputs.first().text, kAddPrompt);
        QCOMPARE(inputs.first().extra, QStringLiteral("findwhat::replacewith"));
        QCOMPARE(items(findList()), finds);
        QCOMPARE(items(replaceList()), replaces);
        QCOMPARE(m_bed->platform.textsOf("message"), messages);
        QVERIFY(m_bed->platform.textsOf("errorReport").isEmpty());
        // The added set shows in both lists, and the count says so.
        QCOMPARE(findList()->currentIndex(), finds.size() - 1);
        QCOMPARE(replaceList()->currentIndex(), finds.size() - 1);
        QCOMPARE(setCount()->text(), finds.isEmpty() ? "No sets" : "1 set");
    }

    void addSetAppendsAndShowsTheAddedSet()
    {
        addSets({"f0", "f1"}, {"r0", "r1"});
        findList()->setCurrentIndex(0);
        addSets({"f2"}, {"r2"});
        QCOMPARE(items(findList()), (QStringList{"f0", "f1", "f2"}));
        QCOMPARE(items(replaceList()), (QStringList{"r0", "r1", "r2"}));
        QCOMPARE(findList()->currentText(), "f2");
        QCOMPARE(replaceList()->currentText(), "r2");
    }

    // The number of sets beside the lists follows every change, and an empty
    // choice says what to do.
    void setCountFollowsEveryChange()
    {
        const QString setFile = m_bed->dir.write("loaded.txt", "x::1\r\ny::2\r\n");
        QStringList counts{setCount()->text()};
        const QString emptyChoice = findList()->placeholderText();
        addSets({"a", "c"}, {"b", "d"});
        counts << setCount()->text();
        click("PushButton6");
        counts << setCount()->text();
        loadThroughDialog(setFile, "::");
        counts << setCount()->text();
        click("PushButton4");
        counts << setCount()->text();
        QCOMPARE(counts, (QStringList{"No sets", "2 sets", "1 set", "3 sets", "No sets"}));
        QCOMPARE(emptyChoice, "No sets: use Add Set or Load Sets");
        QCOMPARE(replaceList()->placeholderText(), emptyChoice);
    }

    void selectionFollowsAndRemoveSelected_data()
    {
        QTest::addColumn<QString>("selectIn");
        QTest::addColumn<int>("position");
        QTest::addColumn<QStringList>("findsLeft");
        QTest::newRow("middle, chosen in Combo1") << "Combo1" << 3 << QStringList{"f0", "f1", "f2", "f4", "f5"};
        QTest::newRow("middle, chosen in Combo2") << "Combo2" << 3 << QStringList{"f0", "f1", "f2", "f4", "f5"};
        QTest::newRow("first") << "Combo2" << 0 << QStringList{"f1", "f2", "f3", "f4", "f5"};
        QTest::newRow("last") << "Combo1" << 5 << QStringList{"f0", "f1", "f2", "f3", "f4"};
    }
    void selectionFollowsAndRemoveSelected()
    {
        QFETCH(QString, selectIn);
        QFETCH(int, position);
        QFETCH(QStringList, findsLeft);
        addSets({"f0", "f1", "f2", "f3", "f4", "f5"}, {"r0", "r1", "r2", "r3", "r4", "r5"});
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        tabs()->setCurrentIndex(1);
        QComboBox *chosen = m_window->findChild<QComboBox *>(selectIn);
        QComboBox *other = chosen == findList() ? replaceList() : findList();
        // Choose the entry the way a user does, from the first (Add Set showed the last).
        chosen->setFocus();
        QTest::keyClick(chosen, Qt::Key_Home);
        for (int i = 0; i < position; ++i)
            QTest::keyClick(chosen, Qt::Key_Down);
        QCOMPARE(chosen->currentIndex(), position);
        QCOMPARE(other->currentIndex(), position);

        click("PushButton6");
        QCOMPARE(items(findList()), findsLeft);
        QStringList replacesLeft = findsLeft;
        replacesLeft.replaceInStrings("f", "r");
        QCOMPARE(items(replaceList()), replacesLeft);
        QCOMPARE(findList()->currentIndex(), replaceList()->currentIndex());
        QVERIFY(m_bed->platform.calls.isEmpty());
    }

    // Loaded sets leave the lists' choice as it was: none at first.
    void removeWithNothingSelectedDoesNothing()
    {
        loadThroughDialog(m_bed->dir.write("loaded.txt", "f0::r0\r\nf1::r1\r\n"), "::");
        m_bed->platform.clear();
        click("PushButton6");
        QCOMPARE(items(findList()), (QStringList{"f0", "f1"}));
        QCOMPARE(items(replaceList()), (QStringList{"r0", "r1"}));
        QVERIFY(m_bed->platform.calls.isEmpty());
    }

    void clearAllSets()
    {
        addSets({"f0", "f1"}, {"r0", "r1"});
        replaceList()->setCurrentIndex(1);
        click("PushButton4");
        QCOMPARE(findList()->count(), 0);
        QCOMPARE(replaceList()->count(), 0);
        QCOMPARE(findList()->currentIndex(), -1);
        QVERIFY(m_bed->platform.calls.isEmpty());
    }

    // Any order of Add Set, Remove Selected Set, Clear All Sets, Load Sets and
    // choosing in either list keeps the lists equal in length and selection.
    void setListsStayInStep_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("finds");
        QTest::addColumn<int>("selected");
        QTest::newRow("remove the first, then clear") << "add a::b;add c::d;pick Combo1 0;remove;clear" << QStringList{} << -1;
        QTest::newRow("remove the last, then clear") << "add a::b;add c::d;pick Combo2 1;remove;clear" << QStringList{} << -1;
        QTest::newRow("remove a middle one, then clear")
            << "add a::b;add c::d;add e::f;pick Combo1 1;remove;clear" << QStringList{} << -1;
        QTest::newRow("remove, then choose in the other list")
            << "add a::b;add c::d;add e::f;pick Combo1 0;remove;pick Combo2 1;remove" << QStringList{"c"} << 0;
        QTest::newRow("remove until empty, then add") << "add a::b;pick Combo1 0;remove;add c::d;clear;add e::f"
                                                      << QStringList{"e"} << 0;
        QTest::newRow("remove, then load, then choose and clear")
            << "add a::b;add c::d;pick Combo2 0;remove;load;pick Combo1 2;remove;clear" << QStringList{} << -1;
        QTest::newRow("load after choosing") << "add a::b;pick Combo2 0;load" << QStringList{"a", "x", "y"} << 0;
    }
    void setListsStayInStep()
    {
        QFETCH(QString, steps);
        QFETCH(QStringList, finds);
        QFETCH(int, selected);
        const QString setFile = m_bed->dir.write("loaded.txt", "x::1\r\ny::2\r\n");
        for (const QString &step : steps.split(';')) {
            const QStringList words = step.split(' ');
            if (words[0] == "add")
                addSets({words[1].section("::", 0, 0)}, {words[1].section("::", 1)});
            else if (words[0] == "pick")
                m_window->findChild<QComboBox *>(words[1])->setCurrentIndex(words[2].toInt());
            else if (words[0] == "remove")
                click("PushButton6");
            else if (words[0] == "clear")
                click("PushButton4");
            else
                loadThroughDialog(setFile, "::");
            QCOMPARE(replaceList()->count(), findList()->count());
            QVERIFY2(findList()->currentIndex() == replaceList()->currentIndex(), qPrintable(step));
        }
        QCOMPARE(items(findList()), finds);
        QCOMPARE(findList()->currentIndex(), selected);
        QVERIFY(m_bed->platform.textsOf("errorReport").isEmpty());
    }

    // Save Sets.

    void saveWritesOneLinePerSet()
    {
        addSets({"a", "c"}, {"b", "d"});
        const QString path = m_bed->dir.path("sets.txt");
        m_bed->platform.saveFileAnswers.enqueue(path);
        click("PushButton9");
        const auto dialogs = m_bed->platform.callsOf("saveFile");
        QCOMPARE(dialogs.size(), 1);
        QCOMPARE(dialogs.first().text, QStringLiteral("Save"));
        QCOMPARE(dialogs.first().extra, QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"));
        QCOMPARE(testing::readBytes(path), QByteArray("a::b\r\nc::d\r\n"));
        QCOMPARE(m_bed->platform.kinds(), QStringList{"saveFile"});
    }

    void saveCancelledWritesNothing()
    {
        addSets({"a"}, {"b"});
        click("PushButton9");
        QCOMPARE(m_bed->platform.kinds(), QStringList{"saveFile"});
        QVERIFY(QDir(m_bed->dir.root()).entryList({"*.txt"}).isEmpty());
    }

    void overwriteQuestion_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("Yes: empty lists give an empty file") << true << QByteArray();
        QTest::newRow("No: the file stays as it was") << false << QByteArray("old::set\r\n");
    }
    void overwriteQuestion()
    {
        QFETCH(bool, yes);
        QFETCH(QByteArray, after);
        const QString path = m_bed->dir.write("sets.txt", "old::set\r\n");
        m_bed->platform.saveFileAnswers.enqueue(path);
        m_bed->platform.yesNoAnswers.enqueue(yes);
        click("PushButton9");
        QCOMPARE(m_bed->platform.textsOf("askYesNo"), QStringList{"Are you sure you wish to overwrite " + path + " ?"});
        QCOMPARE(m_bed->platform.kinds(), (QStringList{"saveFile", "askYesNo"}));
        QCOMPARE(testing::readBytes(path), after);
        QVERIFY(QFileInfo(path).isFile());
    }

    void unwritableTargetIsReported_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("read-only file") << "read-only";
        QTest::newRow("a folder") << "folder";
        QTest::newRow("missing folder") << "missing";
    }
    void unwritableTargetIsReported()
    {
        QFETCH(QString, kind);
        addSets({"new"}, {"set"});
        QString path = m_bed->dir.path("sets.txt");
        if (kind == "read-only") {
            m_bed->dir.write("sets.txt", "old::set\r\n");
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        } else if (kind == "folder") {
            QVERIFY(QDir().mkpath(path));
        } else {
            path = m_bed->dir.path("missing/sets.txt");
        }
        m_bed->platform.saveFileAnswers.enqueue(path);
        m_bed->platform.yesNoAnswers.enqueue(true);
        click("PushButton9");
        const QStringList reports = m_bed->platform.textsOf("errorReport");
        QCOMPARE(reports.size(), 1);
        QVERIFY2(reports.first().contains("\r\nin Brindle2021/08/31.Form1.PushButton9_Click at line 104\r\r"),
                 qPrintable(reports.first()));
        QVERIFY(!reports.first().startsWith("\r\n"));
        QVERIFY(m_bed->platform.textsOf("message").isEmpty());
        if (kind == "read-only")
            QCOMPARE(testing::readBytes(path), QByteArray("old::set\r\n"));
        else if (kind == "folder")
            QVERIFY(QFileInfo(path).isDir());
        // No temporary file is left behind.
        QCOMPARE(QDir(m_bed->dir.root()).entryList(QDir::Files | QDir::Hidden).filter(".~").size(), 0);
    }

    // Save Sets writes the file the user chose: through a link to its target, which
    // keeps its permissions.
    void saveKeepsLinkAndPermissions_data()
    {
        QTest::addColumn<bool>("throughLink");
        QTest::addColumn<int>("mode");
        QTest::newRow("private file") << false << 0600;
        QTest::newRow("link to a shared file") << true << 0664;
        QTest::newRow("link to a private file") << true << 0600;
    }
    void saveKeepsLinkAndPermissions()
    {
        QFETCH(bool, throughLink);
        QFETCH(int, mode);
        addSets({"new"}, {"set"});
        const QString target = m_bed->dir.write("kept/sets.txt", "old::set\r\n");
        QVERIFY(::chmod(QFile::encodeName(target).constData(), mode_t(mode)) == 0);
        const QString path = throughLink ? m_bed->dir.path("link.txt") : target;
        if (throughLink)
            QVERIFY(QFile::link(target, path));
        m_bed->platform.saveFileAnswers.enqueue(path);
        m_bed->platform.yesNoAnswers.enqueue(true);
        click("PushButton9");
        QCOMPARE(testing::readBytes(target), QByteArray("new::set\r\n"));
        QCOMPARE(QFileInfo(path).isSymLink(), throughLink);
        struct stat info {};
        QVERIFY(::stat(QFile::encodeName(target).constData(), &info) == 0);
        QCOMPARE(int(info.st_mode & 07777), mode);
        QCOMPARE(QDir(m_bed->dir.path("kept")).entryList(QDir::Files | QDir::Hidden), QStringList{"sets.txt"});
    }

    void lostCharactersAreReported()
    {
        addSets({QString::fromUtf16(u"漢a")}, {QString::fromUtf16(u"b字")});
        addSets({"c"}, {"d"});
        const QString path = m_bed->dir.path("sets.txt");
        m_bed->platform.saveFileAnswers.enqueue(path);
        click("PushButton9");
        QCOMPARE(testing::readBytes(path), QByteArray("?a::b?\r\nc::d\r\n"));
        const QStringList messages = m_bed->platform.textsOf("message");
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().contains(" 2 character(s)"), qPrintable(messages.first()));
        QVERIFY(m_bed->platform.textsOf("errorReport").isEmpty());
    }

    // Load Sets from the window.

    void saveThenLoadRoundTrip()
    {
        const QStringList finds{"x::y", "a", " sp ", "", QString::fromUtf16(u"é")};
        const QStringList replaces{"z", "b", " ace ", "e", ""};
        // Add Set cannot make a find text that holds "::"; a loaded file can.
        findList()->addItems(finds);
        replaceList()->addItems(replaces);
        findList()->setCurrentIndex(-1);
        const QString path = m_bed->dir.path("sets.txt");
        m_bed->platform.saveFileAnswers.enqueue(path);
        click("PushButton9");
        QCOMPARE(m_bed->platform.kinds(), QStringList{"saveFile"});

        loadThroughDialog(path, "::");
        QCOMPARE(m_bed->platform.textsOf("exec"), QStringList{"Load Sets"});
        QVERIFY(m_bed->platform.textsOf("message").isEmpty());
        // The loaded sets come behind the ones already listed; x::y::z keeps x and y.
        QCOMPARE(items(findList()), (finds + QStringList{"x", "a", " sp ", "", QString::fromUtf16(u"é")}));
        QCOMPARE(items(replaceList()), (replaces + QStringList{"y", "b", " ace ", "e", ""}));
        QCOMPARE(findList()->currentIndex(), -1);
        QCOMPARE(replaceList()->currentIndex(), -1);
        // The file is the set file format exactly, in the system's code page.
        QCOMPARE(testing::readBytes(path), QByteArray("x::y::z\r\na::b\r\n sp :: ace \r\n::e\r\n") +
                                               tessaly::CodePage::system().encode(u"\u00e9") + "::\r\n");
    }

    void loadDialogStartsAfreshAndCancels()
    {
        const QString path = m_bed->dir.write("sets.txt", "a::b\r\n");
        QStringList fileNamesSeen;
        m_bed->platform.onExec = [&](QDialog &dialog) {
            fileNamesSeen << dialog.findChild<QLineEdit *>("Text1")->text();
            dialog.findChild<QLineEdit *>("Text1")->setText(path);
            // Modal over the main window.
            if (dialog.parentWidget() != m_window)
                fileNamesSeen << "wrong parent";
            dialog.findChild<QPushButton *>("PushButton2")->click();
            return dialog.result();
        };
        click("PushButton5");
        click("PushButton5");
        QCOMPARE(fileNamesSeen, (QStringList{"", ""}));
        QCOMPARE(findList()->count(), 0);
        QCOMPARE(m_bed->platform.kinds(), (QStringList{"exec", "exec"}));
    }

    // The run.

    void runAppliesSetsInListOrder()
    {
        const QString a = writeSource("src/a.htm", "a-b");
        const QString b = writeSource("src/b.htm", "a-b");
        tabs()->setCurrentIndex(1);
        m_window->findChild<QRadioButton *>("Option2")->click();
        m_window->findChild<QRadioButton *>("Option3")->click();
        m_window->fileList().appendAll({a, b});
        // a becomes b, then every b becomes c: list order counts.
        addSets({"a", "b"}, {"b", "c"});
        // A set added while the run goes on applies from the next file.
        testing::GatedFileSystem &gate = m_bed->holdRunsAt("a_replaced.htm");
        click("PushButton3");
        QVERIFY(gate.waitUntilReached());
        m_bed->platform.inputAnswers.enqueue(QStringLiteral("c::d"));
        click("PushButton7");
        gate.release();
        testing::waitForRun(*m_window);
        QCOMPARE(m_bed->dir.read("src/a_replaced.htm"), QByteArray("c-c"));
        QCOMPARE(m_bed->dir.read("src/b_replaced.htm"), QByteArray("d-d"));
        QCOMPARE(m_bed->platform.textsOf("message"), QStringList{"Done."});
    }

    // The controller needs only its own controls: no main window, file list or run.
    void controllerWorksOnItsOwnControls()
    {
        QWidget window;
        tessaly::SetsController::Controls controls{new QComboBox(&window),   new QComboBox(&window),
                                                   new QPushButton(&window), new QPushButton(&window),
                                                   new QPushButton(&window), new QPushButton(&window),
                                                   new QPushButton(&window), new QLabel(&window)};
        tessaly::SetsController sets(window, m_bed->platform, m_bed->store, controls);
        m_bed->platform.inputAnswers.enqueue(QStringLiteral("find::replace"));
        controls.addSetButton->click();
        QCOMPARE(items(controls.findList), QStringList{"find"});
        QCOMPARE(items(controls.replaceList), QStringList{"replace"});
        controls.clearSetsButton->click();
        QCOMPARE(controls.findList->count() + controls.replaceList->count(), 0);
        QCOMPARE(controls.setCount->text(), "No sets");
    }

private:
    void click(const char *name) { testing::clickButton(m_window, QLatin1String(name)); }
    void addSets(const QStringList &finds, const QStringList &replaces)
    {
        for (int i = 0; i < finds.size(); ++i) {
            m_bed->platform.inputAnswers.enqueue(finds[i] + "::" + replaces[i]);
            click("PushButton7");
        }
        m_bed->platform.clear();
    }
    void loadThroughDialog(const QString &path, const QString &separator)
    {
        m_bed->platform.onExec = [&](QDialog &dialog) {
            dialog.findChild<QLineEdit *>("Text1")->setText(path);
            dialog.findChild<QLineEdit *>("Text2")->setText(separator);
            dialog.findChild<QPushButton *>("PushButton1")->click();
            return dialog.result();
        };
        click("PushButton5");
        m_bed->platform.onExec = nullptr;
    }
    QString writeSource(const QString &name, const QByteArray &bytes)
    {
        return QDir::toNativeSeparators(m_bed->dir.write(name, bytes));
    }
    QComboBox *findList() { return m_window->findChild<QComboBox *>("Combo1"); }
    QComboBox *replaceList() { return m_window->findChild<QComboBox *>("Combo2"); }
    QLabel *setCount() { return m_window->findChild<QLabel *>("SetCount"); }
    QTabWidget *tabs() { return m_window->findChild<QTabWidget *>("TabControl1"); }

    std::unique_ptr<testing::WindowTestBed> m_bed;
    MainWindow *m_window = nullptr;  // owned by the bed
};

QTEST_MAIN(TestSetsTab)
#include "tst_sets_tab.moc"
