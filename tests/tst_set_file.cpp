// Set files: splitting lines at a separator, and the bytes Save Sets writes.
#include "sets/set_file.h"

#include "temp_tree.h"

#include <QtTest>

using namespace tessaly;

class TestSetFile : public QObject {
    Q_OBJECT
private slots:
    void splitSetLine_data();
    void splitSetLine();
    void formatSetFile();
    void saveThenLoadRoundTrip();
};

void TestSetFile::splitSetLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<bool>("isSet");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replace");
    QTest::newRow("pair") << "a::b" << "::" << true << "a" << "b";
    QTest::newRow("third piece dropped") << "a::b::c" << "::" << true << "a" << "b";
    QTest::newRow("spaces kept") << " a :: b " << "::" << true << " a " << " b ";
    QTest::newRow("leading separator: empty find") << "::b" << "::" << true << "" << "b";
    QTest::newRow("trailing separator: empty replace") << "a::" << "::" << true << "a" << "";
    QTest::newRow("single colon is no separator") << "a:b" << "::" << false << "" << "";
    QTest::newRow("empty line") << "" << "::" << false << "" << "";
    QTest::newRow("comma") << "x,y" << "," << true << "x" << "y";
    QTest::newRow("separator case counts") << "aSEPb" << "sep" << false << "" << "";
    QTest::newRow("word separator") << "aSEPbSEP" << "SEP" << true << "a" << "b";
}

void TestSetFile::splitSetLine()
{
    QFETCH(QString, line);
    QFETCH(QString, separator);
    QFETCH(bool, isSet);
    const auto set = tessaly::splitSetLine(line, separator);
    QCOMPARE(set.has_value(), isSet);
    if (set) {
        QTEST(set->find, "find");
        QTEST(set->replace, "replace");
    }
}

void TestSetFile::formatSetFile()
{
    const CodePage page = *CodePage::byName(QStringLiteral("1252"));
    qint64 lost = 0;
    QCOMPARE(tessaly::formatSetFile({"a", "c"}, {"b", "d"}, page, &lost), QByteArray("a::b\r\nc::d\r\n"));
    QCOMPARE(tessaly::formatSetFile({}, {}, page, &lost), QByteArray());
    QCOMPARE(tessaly::formatSetFile({QString::fromUtf16(u"é")}, {QString::fromUtf16(u"жж")}, page, &lost), QByteArray("\xE9::??\r\n"));
    QCOMPARE(lost, 2);
}

void TestSetFile::saveThenLoadRoundTrip()
{
    const testing::TempTree tree;
    const CodePage page = *CodePage::byName(QStringLiteral("1252"));
    const QString path = tree.write(
        "sets.txt", tessaly::formatSetFile({"a::b", " x", QString::fromUtf16(u"€")}, {"c", "y ", ""}, page, nullptr));
    const QList<FindReplaceSet> sets = readSetFile(path, QStringLiteral("::"), page);
    QCOMPARE(sets.size(), 3);
    // A find text that holds the separator comes back cut at it.
    QCOMPARE(sets[0].find, QStringLiteral("a"));
    QCOMPARE(sets[0].replace, QStringLiteral("b"));
    QCOMPARE(sets[1].find, QStringLiteral(" x"));
    QCOMPARE(sets[1].replace, QStringLiteral("y "));
    QCOMPARE(sets[2].find, QString::fromUtf16(u"€"));
    QCOMPARE(sets[2].replace, QString());
}

QTEST_GUILESS_MAIN(TestSetFile)
#include "tst_set_file.moc"
