// Unified diffs of two texts: the text GNU diff -u prints for the same inputs,
// the changed parts of each changed line pair, and the terminal colours.
#include "engine/stop_token.h"
#include "engine/text_diff.h"
#include "engine/unified_diff_format.h"

#include <QtTest>

using namespace tessaly;
using namespace Qt::Literals::StringLiterals;

namespace {

// "line 1\n" ... "line N\n".
QString numbered(int count, const QString &lineEnd = QStringLiteral("\n"))
{
    QString text;
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral("line %1").arg(i) + lineEnd;
    return text;
}

// text with its line `number` (1-based, with its line end) replaced by `lines`.
QString withLine(const QString &text, int number, const QString &lines)
{
    QStringList all = text.split(u'\n');
    all[number - 1] = lines.chopped(1);
    return all.join(u'\n');
}

// The lines of all hunks, each with its mark and its changed parts in brackets.
QStringList markedLines(const QList<DiffHunk> &hunks)
{
    QStringList out;
    for (const DiffHunk &hunk : hunks) {
        for (const DiffLine &line : hunk.lines) {
            QString marked = QString(u" -+"[int(line.kind)]);
            qsizetype at = 0;
            for (const CharRange &r : line.changed) {
                marked += line.text.mid(at, r.start - at) + u'[' + line.text.mid(r.start, r.length) + u']';
                at = r.start + r.length;
            }
            out.append(marked + line.text.mid(at));
        }
    }
    return out;
}

} // namespace

class TestTextDiff : public QObject {
    Q_OBJECT
private slots:
    void unifiedText_data();
    void unifiedText();
    void changedParts_data();
    void changedParts();
    void coloursMarkLinesAndChangedParts();
    void stoppedDiffEndsEarly();
};

void TestTextDiff::unifiedText_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("context");
    QTest::addColumn<QString>("expected");

    // Every expected text is what `diff -U CONTEXT --label SOURCE --label RESULT`
    // prints for the same two files.
    const QString ten = numbered(10), twenty = numbered(20);

    QTest::newRow("no change") << ten << ten << 3 << QString();
    QTest::newRow("first line") << ten << withLine(ten, 1, "Line one\n") << 3
        << QString("--- SOURCE\n"
                   "+++ RESULT\n"
                   "@@ -1,4 +1,4 @@\n"
                   "-line 1\n"
                   "+Line one\n"
                   " line 2\n"
                   " line 3\n"
                   " line 4\n");
    QTest::newRow("last line") << ten << withLine(ten, 10, "line ten\n") << 3
        << QString("--- SOURCE\n"
                   "+++ RESULT\n"
                   "@@ -7,4 +7,4 @@\n"
                   " line 7\n"
                   " line 8\n"
                   " line 9\n"
                   "-line 10\n"
                   "+line ten\n");
    QTest::newRow("middle line") << ten << withLine(ten, 5, "Line 5 changed\n") << 3
        << QString("--- SOURCE\n"
                   "+++ RESULT\n"
                   "@@ -2,7 +2,7 @@\n"
                   " line 2\n"
                   " line 3\n"
                   " line 4\n"
                   "-line 5\n"
                   "+Line 5 changed\n"
                   " line 6\n"
                   " line 7\n"
                   " line 8\n");
    QTest::newRow("no newline at end of either") << "a\nb\nc" << "a\nb\nZ" << 3
        << QString("--- SOURCE\n"
                   "+++ RESULT\n"
                   "@@ -1,3 +1,3 @@\n"
                   " a\n"
                   " b\n"
                   "-c\n"
                   "\\ No newline at end of file\n"
                   "+Z\n"
                   "\\ No newline at end of file\n");
    QTest::newRow("unchanged last line without newline") << "a\nb\nc\nd" << "a\nB\nc\nd" << 3
        << QString("--- SOURCE\n"
                   "+++ RESULT\n"
                   "@@ -1,4 +1,4 @@\n"
                   " a\n"
                   "-b\n"
                   "+B\n"
                   " c\n"
                   " d\n"
                   "\\ No newline at end of file\n");
    QTest::newRow("newline added at end") << "a\nb" << "a\nb\n" << 3
        << QString("--- SOURCE\n"
                   "+++ RESULT\n"
                   "@@ -1,2 +1,2 @@\n"
                   " a\n"
                   "-b\n"
                   "\\ No newline at end of file\n"
                   "+b\n");
    QTest::newRow("changes 6 lines apart share a hunk") << twenty
        << withLine(withLine(twenty, 3, "x\n"), 10, "y\n") << 3
        << QString("--- SOURCE\n"
                   "+++ RESULT\n"
                   "@@ -1,13 +1,13 @@\n"
                   " line 1\n"
                   " line 2\n"
                   "-line 3\n"
                   "+x\n"
                   " line 4\n"
                   " line 5\n"
                   " line 6\n"
                   " line 7\n"
                   " line 8\n"
                   " line 9\n"
                   "-line 10\n"
                   "+y\n"
                   " line 11\n"
                   " line 12\n"
                   " line 13\n");
    QTest::newRow("changes 7 lines apart get two hunks") << twenty
        << withLine(withLine(twenty, 3, "x\n"), 11, "y\n") << 3
        << QString("--- SOURCE\n"
                   "+++ RESULT\n"
                   "@@ -1,6 +1,6 @@\n"
                   " line 1\n"
                   " line 2\n"
                   "-line 3\n"
                   "+x\n"
                   " line 4\n"
                   " line 5\n"
                   " line 6\n"
                   "@@ -8,7 +8,7 @@\n"
                   " line 8\n"
                   " line 9\n"
                   " line 10\n"
                   "-line 11\n"
                   "+y\n"
                   " line 12\n"
                   " line 13\n"
                   " line 14\n");
    QTest::newRow("context 0") << twenty << withLine(withLine(twenty, 3, "x\n"), 5, "y\n") << 0
        << QString("--- SOURCE\n"
                   "+++ RESULT\n"
                   "@@ -3 +3 @@\n"
                   "-line 3\n"
                   "+x\n"
                   "@@ -5 +5 @@\n"
                   "-line 5\n"
                   "+y\n");
    QTest::newRow("context 0, line removed") << ten << QString(ten).remove("line 4\n") << 0
        << QString("--- SOURCE\n"
                   "+++ RESULT\n"
                   "@@ -4 +3,0 @@\n"
                   "-line 4\n");
    QTest::newRow("context 0, line added") << ten << withLine(ten, 4, "line 4\nnew\n") << 0
        << QString("--- SOURCE\n"
                   "+++ RESULT\n"
                   "@@ -4,0 +5 @@\n"
                   "+new\n");
    QTest::newRow("context 5") << twenty << withLine(withLine(twenty, 3, "x\n"), 14, "y\n") << 5
        << QString("--- SOURCE\n"
                   "+++ RESULT\n"
                   "@@ -1,19 +1,19 @@\n"
                   " line 1\n"
                   " line 2\n"
                   "-line 3\n"
                   "+x\n"
                   " line 4\n"
                   " line 5\n"
                   " line 6\n"
                   " line 7\n"
                   " line 8\n"
                   " line 9\n"
                   " line 10\n"
                   " line 11\n"
                   " line 12\n"
                   " line 13\n"
                   "-line 14\n"
                   "+y\n"
                   " line 15\n"
                   " line 16\n"
                   " line 17\n"
                   " line 18\n"
                   " line 19\n");
    QTest::newRow("CR LF lines") << numbered(6, "\r\n") << numbered(6, "\r\n").replace("line 4", "line four") << 3
        << QString("--- SOURCE\n"
                   "+++ RESULT\n"
                   "@@ -1,6 +1,6 @@\n"
                   " line 1\r\n"
                   " line 2\r\n"
                   " line 3\r\n"
                   "-line 4\r\n"
                   "+line four\r\n"
                   " line 5\r\n"
                   " line 6\r\n");
    QTest::newRow("replacement adds lines") << ten << withLine(ten, 5, "line 5a\nline 5b\nline 5c\n") << 3
        << QString("--- SOURCE\n"
                   "+++ RESULT\n"
                   "@@ -2,7 +2,9 @@\n"
                   " line 2\n"
                   " line 3\n"
                   " line 4\n"
                   "-line 5\n"
                   "+line 5a\n"
                   "+line 5b\n"
                   "+line 5c\n"
                   " line 6\n"
                   " line 7\n"
                   " line 8\n");
    QTest::newRow("empty source") << "" << "new\n" << 3
        << QString("--- SOURCE\n"
                   "+++ RESULT\n"
                   "@@ -0,0 +1 @@\n"
                   "+new\n");
    QTest::newRow("text becomes empty") << "old\n" << "" << 3
        << QString("--- SOURCE\n"
                   "+++ RESULT\n"
                   "@@ -1 +0,0 @@\n"
                   "-old\n");
    QTest::newRow("characters beyond ASCII, lone CR") << u"caf\u00e9\rA\nx\n"_s << u"caf\u00e9\rB\u20ac\nx\n"_s << 3
        << u"--- SOURCE\n"
           "+++ RESULT\n"
           "@@ -1,3 +1,3 @@\n"
           " caf\u00e9\r"
           "-A\n"
           "+B\u20ac\n"
           " x\n"_s;
}

void TestTextDiff::unifiedText()
{
    QFETCH(QString, source);
    QFETCH(QString, result);
    QFETCH(int, context);
    QFETCH(QString, expected);
    DiffRules rules;
    rules.context = context;
    QCOMPARE(QString::fromUtf8(formatUnifiedDiff(diffTextsInPlace(source, result, rules), "SOURCE", "RESULT")),
             expected);
    // The same texts in a code page, compared as bytes, and lines ended at LF alone.
    const CodePage page = *CodePage::byName("1252");
    const QByteArray sourceBytes = page.encode(source), resultBytes = page.encode(result);
    QCOMPARE(QString::fromUtf8(
                 formatUnifiedDiff(diffBytes(sourceBytes, resultBytes, rules, page), page, "SOURCE", "RESULT")),
             expected);
    rules.loneCrEndsLine = false;
    QCOMPARE(formatUnifiedDiff(diffBytes(sourceBytes, resultBytes, rules, page), page, "SOURCE", "RESULT"),
             formatUnifiedDiff(diffTextsInPlace(source, result, rules), "SOURCE", "RESULT"));
}

void TestTextDiff::changedParts_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("a word") << "Acme Ltd\n" << "Acme GmbH\n" << QStringList{"-Acme [Ltd]\n", "+Acme [GmbH]\n"};
    QTest::newRow("letters inside a word") << "colour\n" << "color\n" << QStringList{"-colo[u]r\n", "+color\n"};
    QTest::newRow("letters added to a word") << "Acme\n" << "Acmes\n" << QStringList{"-Acme\n", "+Acme[s]\n"};
    QTest::newRow("every occurrence") << "Acme sells to Acme.\n" << "Zenith sells to Zenith.\n"
        << QStringList{"-[Acme] sells to [Acme].\n", "+[Zenith] sells to [Zenith].\n"};
    QTest::newRow("punctuation removed") << "a, b\n" << "a b\n" << QStringList{"-a[,] b\n", "+a b\n"};
    QTest::newRow("line end is not a change") << "x Acme\r\n" << "x Zen\r\n"
        << QStringList{"-x [Acme]\r\n", "+x [Zen]\r\n"};
    QTest::newRow("letters between two changed letters") << "banana\n" << "bbnbnb\n"
        << QStringList{"-b[a]n[a]n[a]\n", "+b[b]n[b]n[b]\n"};
    QTest::newRow("letters at both ends of a word") << "colour\n" << "kolor\n"
        << QStringList{"-[c]olo[u]r\n", "+[k]olor\n"};
    QTest::newRow("lines paired in order, the rest unmarked") << "a Acme b\n" << "a X\nY b\n"
        << QStringList{"-a [Acme b]\n", "+a [X]\n", "+Y b\n"};
}

void TestTextDiff::changedParts()
{
    QFETCH(QString, source);
    QFETCH(QString, result);
    QFETCH(QStringList, expected);
    QCOMPARE(markedLines(diffTexts(source, result, 0)), expected);
}

void TestTextDiff::coloursMarkLinesAndChangedParts()
{
    const QString expected = "\x1b[1m--- a.htm\x1b[0m\n"
                             "\x1b[1m+++ out/a.htm\x1b[0m\n"
                             "\x1b[36m@@ -1,2 +1,2 @@\x1b[0m\n"
                             " <p>\r\n"
                             "\x1b[31m-Call \x1b[7mAcme\x1b[27m now\x1b[0m\r\n"
                             "\x1b[32m+Call \x1b[7mZenith\x1b[27m now\x1b[0m\r\n";
    const QString source = "<p>\r\nCall Acme now\r\n", result = "<p>\r\nCall Zenith now\r\n";
    const DiffRules rules;
    QCOMPARE(QString::fromUtf8(formatUnifiedDiff(diffTextsInPlace(source, result, rules), "a.htm", "out/a.htm",
                                                 DiffColors::Ansi)),
             expected);
    // The lines of a code page's bytes are decoded to be marked alone.
    const CodePage page = *CodePage::byName("1252");
    const QByteArray sourceBytes = page.encode(source), resultBytes = page.encode(result);
    QCOMPARE(QString::fromUtf8(formatUnifiedDiff(diffBytes(sourceBytes, resultBytes, rules, page), page, "a.htm",
                                                 "out/a.htm", DiffColors::Ansi)),
             expected);
}

// A diff nobody waits for any more gives up rather than finishing its hunks.
void TestTextDiff::stoppedDiffEndsEarly()
{
    StopToken stop;
    stop.requestStop();
    DiffRules rules;
    rules.stop = &stop;
    QVERIFY(diffTexts("a\nb\n", "A\nb\n", rules).isEmpty());
}

QTEST_GUILESS_MAIN(TestTextDiff)
#include "tst_text_diff.moc"
