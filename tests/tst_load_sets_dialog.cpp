// The Load Sets dialog driven headless: its checks and messages, the split at the
// separator, the remembered separator, browsing, help, failures and the pointer.
#include "gui/load_sets_dialog.h"
#include "window_test_bed.h"
#include "base/tessaly_error.h"

#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QtTest>

using tessaly::FindReplaceSet;
using tessaly::LoadSetsDialog;
using testing::FakePlatform;

namespace {

// Sets as "find|replace" texts, easy to compare and to read in a failure.
using SetTexts = QStringList;

QByteArray utf16(const QString &text)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

} // namespace

class TestLoadSetsDialog : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_bed = std::make_unique<testing::WindowTestBed>();
        m_loaded.clear();
    }
    void cleanup()
    {
        m_window.reset();
        m_bed.reset();
    }

    void loadSplitsAtSeparator_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<SetTexts>("sets");
        QTest::newRow("saved set file") << QByteArray("a::b\r\nc::d\r\n") << "::" << SetTexts{"a|b", "c|d"};
        QTest::newRow("comma") << QByteArray("hi,hello\r\npeter,pete\r\n") << "," << SetTexts{"hi|hello", "peter|pete"};
        QTest::newRow("letter case of the separator counts") << QByteArray("axb\r\nconXtent\r\n") << "X"
                                                             << SetTexts{"con|tent"};
        QTest::newRow("empty lines and lines without separator skipped")
            << QByteArray("a::b\r\n\r\nno separator\r\nc::d") << "::" << SetTexts{"a|b", "c|d"};
        QTest::newRow("third piece dropped") << QByteArray("a::b::c\r\n") << "::" << SetTexts{"a|b"};
        QTest::newRow("spaces kept") << QByteArray(" a :: b \r\n") << "::" << SetTexts{" a | b "};
        QTest::newRow("empty find and empty replace") << QByteArray("::b\r\na::\r\n") << "::"
                                                      << SetTexts{"|b", "a|"};
        QTest::newRow("separator of spaces") << QByteArray("a  b\r\n") << "  " << SetTexts{"a|b"};
        QTest::newRow("no line holds the separator") << QByteArray("a;b\r\n") << "::" << SetTexts{};
        QTest::newRow("empty file") << QByteArray() << "::" << SetTexts{};
        QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF") + QString::fromUtf16(u"жар::птица\r\n€::漢\r\n").toUtf8()
                                         << "::" << SetTexts{QString::fromUtf16(u"жар|птица"), QString::fromUtf16(u"€|漢")};
        QTest::newRow("UTF-16 with mark") << utf16(QString::fromUtf16(u"漢字::かな\r\nœ::Ω\r\n")) << "::"
                                          << SetTexts{QString::fromUtf16(u"漢字|かな"), QString::fromUtf16(u"œ|Ω")};
    }
    void loadSplitsAtSeparator()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, separator);
        QFETCH(SetTexts, sets);
        const QString path = m_bed->dir.write("sets.txt", content);
        LoadSetsDialog &dialog = open();
        dialog.show();
        text("Text1")->setText(path);
        text("Text2")->setText(separator);
        button("PushButton1")->click();
        QCOMPARE(m_loaded, sets);
        QVERIFY(m_bed->platform.calls.isEmpty());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
    }

    void loadChecks_data()
    {
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("file"); // relative to the temporary folder unless empty or spaces
        QTest::addColumn<QStringList>("messages");
        const QStringList noSeparator{"You must enter separating character(s)."};
        QTest::newRow("empty separator") << "" << "sets.txt" << noSeparator;
        QTest::newRow("empty separator and empty file field") << "" << "" << noSeparator;
        QTest::newRow("empty file field") << "::" << "" << QStringList{};
        QTest::newRow("file field of spaces") << "::" << "   " << QStringList{};
        QTest::newRow("missing file") << "::" << "missing.txt" << QStringList{"@ not found."};
        QTest::newRow("folder") << "::" << "folder" << QStringList{"@ not found."};
        QTest::newRow("hidden file") << "::" << ".hidden.txt" << QStringList{"@ not found."};
        QTest::newRow("file name with spaces around") << "::" << " sets.txt" << QStringList{"@ not found."};
    }
    void loadChecks()
    {
        QFETCH(QString, separator);
        QFETCH(QString, file);
        QFETCH(QStringList, messages);
        m_bed->dir.write("sets.txt", "a::b\r\n");
        m_bed->dir.write(".hidden.txt", "a::b\r\n");
        QVERIFY(QDir().mkpath(m_bed->dir.path("folder")));
        const QString path = file.trimmed().isEmpty() ? file : m_bed->dir.root() + "/" + file;
        LoadSetsDialog &dialog = open();
        dialog.show();
        text("Text1")->setText(path);
        text("Text2")->setText(separator);
        button("PushButton1")->click();
        messages.replaceInStrings("@", path);
        QCOMPARE(m_bed->platform.textsOf("message"), messages);
        QCOMPARE(m_bed->platform.kinds().size(), messages.size());
        QVERIFY(m_loaded.isEmpty());
        // The dialog stays open with its fields as they were.
        QVERIFY(dialog.isVisible());
        QCOMPARE(text("Text1")->text(), path);
        QCOMPARE(text("Text2")->text(), separator);
    }

    void unreadableFileIsReported()
    {
        const QString path = m_bed->dir.write("sets.txt", "a::b\r\n");
        LoadSetsDialog &dialog = open();
        dialog.setLineReader([](const QString &) -> QStringList {
            throw tessaly::TessalyError(QStringLiteral("Permission denied"));
        });
        dialog.show();
        text("Text1")->setText(path);
        button("PushButton1")->click();
        QCOMPARE(m_bed->platform.textsOf("errorReport"),
                 QStringList{"Permission denied\r\nin Brindle2021/08/31.Form2.PushButton1_Click at line 110\r\r"
                             "Please email screenshot of this message to support@kestrine.example"});
        QVERIFY(m_loaded.isEmpty());
        QCOMPARE(m_bed->platform.kinds(), QStringList{"errorReport"});
    }

    void separatorIsRemembered()
    {
        {
            open();
            QCOMPARE(text("Text2")->text(), QStringLiteral("::"));
            QCOMPARE(m_bed->store.ReadSetting("Form2.Text2", "unset"), QStringLiteral("::"));
            text("Text2")->clear();
            QCOMPARE(m_bed->store.ReadSetting("Form2.Text2", "unset"), QString());
            QTest::keyClicks(text("Text2"), ",;");
            QCOMPARE(m_bed->store.ReadSetting("Form2.Text2", "unset"), QStringLiteral(",;"));
        }
        // The next opening offers it again, with an empty file field.
        open();
        QCOMPARE(text("Text2")->text(), QStringLiteral(",;"));
        QCOMPARE(text("Text1")->text(), QString());
        // So does the next start of the program.
        m_window.reset();
        open();
        QCOMPARE(text("Text2")->text(), QStringLiteral(",;"));
        // An empty separator is remembered as such.
        text("Text2")->clear();
        m_window.reset();
        open();
        QCOMPARE(text("Text2")->text(), QString());
        QVERIFY(m_bed->platform.calls.isEmpty());
    }

    void browse_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::newRow("chosen") << "/data/sets.txt";
        QTest::newRow("cancelled") << "";
    }
    void browse()
    {
        QFETCH(QString, chosen);
        open();
        text("Text1")->setText("typed.txt");
        m_bed->platform.openFileAnswers.enqueue(chosen);
        button("PushButton16")->click();
        const auto calls = m_bed->platform.callsOf("openFile");
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls.first().text, QStringLiteral("Select Text File"));
        QCOMPARE(calls.first().extra, QStringLiteral("Text Files (*.txt)|*.txt|"));
        QCOMPARE(text("Text1")->text(), chosen.isEmpty() ? QStringLiteral("typed.txt") : chosen);
    }

    void cancelClosesWithoutLoading()
    {
        const QString path = m_bed->dir.write("sets.txt", "a::b\r\n");
        LoadSetsDialog &dialog = open();
        dialog.show();
        text("Text1")->setText(path);
        button("PushButton2")->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(m_loaded.isEmpty());
        QVERIFY(m_bed->platform.calls.isEmpty());
    }

    void help()
    {
        LoadSetsDialog &dialog = open();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Load Sets"));
        button("PushButton3")->click();
        QCOMPARE(m_bed->platform.textsOf("message"),
                 QStringList{"If the text file you are loading looks like this:\r\n\r\nhi::hello\r\npeter::pete\r\n\r\n"
                             "then use :: as a Separator\r\n\r\n"
                             "If the text file you are loading looks like this:\r\n\r\nhi,hello\r\npeter,pete\r\n\r\n"
                             "then use , as a Separator\r\n\r\n"
                             "NOTE: The 'Save Sets' feature in this software always saves in this format:\r\n\r\n"
                             "hi::hello\r\npeter::pete"});
    }

    void hoverPointer_data()
    {
        QTest::addColumn<bool>("handPicture");
        QTest::addColumn<bool>("busy");
        QTest::newRow("hand picture present") << true << false;
        QTest::newRow("no hand picture") << false << false;
        QTest::newRow("main window busy") << true << true;
    }
    void hoverPointer()
    {
        QFETCH(bool, handPicture);
        QFETCH(bool, busy);
        const QString pointerFile = m_bed->dir.path("HAND-M.CUR");
        if (handPicture) {
            QImage picture(32, 32, QImage::Format_ARGB32);
            picture.fill(Qt::black);
            QVERIFY(picture.save(pointerFile, "PNG"));
        }
        m_window.reset(new LoadSetsDialog(m_bed->platform, m_bed->store, [](const FindReplaceSet &) {}, nullptr, pointerFile));
        LoadSetsDialog &dialog = *m_window;
        dialog.setBusyTest([&] { return busy; });
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const Qt::CursorShape before = dialog.cursor().shape();

        moveOver(button("PushButton1"));
        const Qt::CursorShape overButton = dialog.cursor().shape();
        moveOver(&dialog, QPoint(2, 2));
        const Qt::CursorShape overBackground = dialog.cursor().shape();

        if (busy) {
            QCOMPARE(overButton, before);
            QCOMPARE(overBackground, before);
        } else {
            QCOMPARE(overButton, handPicture ? Qt::BitmapCursor : Qt::ArrowCursor);
            QCOMPARE(overBackground, Qt::ArrowCursor);
        }
        QVERIFY(m_bed->platform.calls.isEmpty());
    }

private:
    LoadSetsDialog &open()
    {
        m_window.reset(new LoadSetsDialog(m_bed->platform, m_bed->store,
                               [this](const FindReplaceSet &set) { m_loaded << set.find + "|" + set.replace; }));
        return *m_window;
    }
    QLineEdit *text(const char *name) { return m_window->findChild<QLineEdit *>(name); }
    QPushButton *button(const char *name) { return m_window->findChild<QPushButton *>(name); }
    static void moveOver(QWidget *widget, QPoint at = QPoint(5, 5))
    {
        QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }

    std::unique_ptr<testing::WindowTestBed> m_bed;
    std::unique_ptr<LoadSetsDialog> m_window;
    SetTexts m_loaded;
};

QTEST_MAIN(TestLoadSetsDialog)
#include "tst_load_sets_dialog.moc"
