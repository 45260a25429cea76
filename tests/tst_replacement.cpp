// Replacement rules: whole-file and viewable-text mode, ordered sets, TakeUpTo.
#include "engine/replacement.h"

#include <QtTest>

using namespace tessaly;

Q_DECLARE_METATYPE(tessaly::ReplaceMode)

namespace {

using Pairs = QList<QPair<QString, QString>>;

QList<Substitution<QString>> asText(const Pairs &pairs)
{
    QList<Substitution<QString>> out;
    for (const auto &p : pairs)
        out.append({p.first, p.second});
    return out;
}

QList<Substitution<QByteArray>> asBytes(const Pairs &pairs)
{
    QList<Substitution<QByteArray>> out;
    for (const auto &p : pairs)
        out.append({p.first.toUtf8(), p.second.toUtf8()});
    return out;
}

} // namespace

class TestReplacement : public QObject {
    Q_OBJECT
private slots:
    void replace_data();
    void replace();
    void largeBodyIsReplacedThroughout();
    void longSetListsAsWithPassPerSet_data();
    void longSetListsAsWithPassPerSet();
    void findsAcrossTheStretchesOfALongText_data();
    void findsAcrossTheStretchesOfALongText();
    void denseBytesAsOneByOne_data();
    void denseBytesAsOneByOne();
    void longViewableBytesAsUtf16_data();
    void longViewableBytesAsUtf16();
    void takeUpTo_data();
    void takeUpTo();
};

void TestReplacement::replace_data()
{
    QTest::addColumn<ReplaceMode>("mode");
    QTest::addColumn<Pairs>("pairs");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<qint64>("count");

    const auto whole = ReplaceMode::WholeFile;
    const auto viewable = ReplaceMode::ViewableText;
    const Pairs aToZ{{"a", "z"}};

    QTest::newRow("whole: inserted text is not searched again") << whole << Pairs{{"a", "aa"}} << "aa" << "aaaa" << qint64(2);
    QTest::newRow("whole: non-overlapping, left to right") << whole << Pairs{{"aa", "b"}} << "aaa" << "ba" << qint64(1);
    QTest::newRow("whole: letter case counts") << whole << Pairs{{"Acme", "Z"}} << "acme ACME Acme" << "acme ACME Z" << qint64(1);
    QTest::newRow("whole: empty find changes nothing") << whole << Pairs{{"", "x"}} << "abc" << "abc" << qint64(0);
    QTest::newRow("whole: tags and attributes too") << whole << Pairs{{"Acme", "Z"}} << "<a title=Acme>Acme</a>" << "<a title=Z>Z</a>" << qint64(2);
    QTest::newRow("whole: delete") << whole << Pairs{{"x", ""}} << "axbxc" << "abc" << qint64(2);
    QTest::newRow("sets: a->b then b->c") << whole << Pairs{{"a", "b"}, {"b", "c"}} << "a" << "c" << qint64(2);
    QTest::newRow("sets: b->c then a->b") << whole << Pairs{{"b", "c"}, {"a", "b"}} << "a" << "b" << qint64(1);
    QTest::newRow("sets: empty find skipped, later sets apply") << whole << Pairs{{"", "x"}, {"a", "b"}} << "a" << "b" << qint64(1);
    QTest::newRow("sets: none") << whole << Pairs{} << "abc" << "abc" << qint64(0);
    QTest::newRow("sets: set 1 makes set 2's find text with the text after it")
        << whole << Pairs{{"ab", "xy"}, {"yc", "Q"}} << "abc" << "xQ" << qint64(2);
    QTest::newRow("sets: a find text made of two earlier replace texts")
        << whole << Pairs{{"a", "x"}, {"b", "y"}, {"xy", "Z"}} << "ab" << "Z" << qint64(3);
    QTest::newRow("sets: a deletion joins its neighbours into a later find text")
        << whole << Pairs{{"-", ""}, {"ab", "X"}} << "a-b a--b" << "X X" << qint64(5);
    QTest::newRow("sets: a replace text sharing a character makes no occurrence")
        << whole << Pairs{{"a", "xb"}, {"bc", "Z"}} << "a c" << "xb c" << qint64(1);
    QTest::newRow("sets: a later set searches what an earlier one inserted")
        << whole << Pairs{{"a", "aa"}, {"aa", "b"}} << "a" << "b" << qint64(2);
    QTest::newRow("sets: absent sets skipped, present ones in order")
        << whole << Pairs{{"q", "r"}, {"a", "b"}, {"zz", "y"}, {"nope", ""}, {"b", "c"}, {"r", "s"}} << "a" << "c" << qint64(2);
    QTest::newRow("sets: ten sets, the last made by the second")
        << whole
        << Pairs{{"k1", "_"}, {"Acme", "Zenith"}, {"k3", "_"}, {"k4", "_"}, {"k5", "_"}, {"k6", "_"},
                 {"k7", "_"}, {"k8", "_"}, {"k9", "_"}, {"th Co", "th & Co"}}
        << "Acme Co, k1" << "Zenith & Co, _" << qint64(3);
    {
        // Searched for all at once, a find text that occurs only as the end of a
        // longer one's is found through the longer one's.
        Pairs many{{"cdef", "Z"}};
        for (int j = 0; j < 16; ++j)
            many.append(qMakePair("absent" + QString::number(j), QStringLiteral("-")));
        many.append(qMakePair(QStringLiteral("abcdef"), QStringLiteral("Y")));
        QTest::newRow("sets: 18, one found only as the end of a longer find text")
            << whole << many << "abcdef" << "abZ" << qint64(1);
    }
    QTest::newRow("whole: frequent first character, occurrence far in")
        << whole << Pairs{{"ab", "X"}} << QString(5000, u'a') + "ab" + QString(40, u'a')
        << QString(5000, u'a') + "X" + QString(40, u'a') << qint64(1);
    for (const QString &lead : {QString(), QString(300, u'a')}) {
        // An occurrence at each offset within and across blocks of 16 and 32 bytes,
        // after a run of the find text's first character or not.
        QString text = lead + ".", expected = lead + ".";
        for (int gap = 0; gap < 70; ++gap) {
            text += QString(gap, u'.') + "acme";
            expected += QString(gap, u'.') + "Z";
        }
        QTest::newRow(qPrintable("whole: occurrences at every offset, lead of " + QString::number(lead.size())))
            << whole << Pairs{{"acme", "Z"}} << text << expected << qint64(70);
    }

    QTest::newRow("viewable: only body text")
        << viewable << aToZ << "<html><head><title>a</title></head><body>a<p class=a>a</p></body>a</html>"
        << "<html><head><title>a</title></head><body>z<p class=a>z</p></body>a</html>" << qint64(2);
    QTest::newRow("viewable: upper-case body tags are found, start tag kept as written")
        << viewable << aToZ << "<HTML><BODY BGCOLOR=a>a</BODY></HTML>" << "<HTML><BODY BGCOLOR=a>z</BODY></HTML>" << qint64(1);
    QTest::newRow("viewable: nothing to replace, every byte as it was")
        << viewable << aToZ << "<html><BODY bgcolor=red><p>b</p>   </BODY></html>"
        << "<html><BODY bgcolor=red><p>b</p>   </BODY></html>" << qint64(0);
    QTest::newRow("viewable: body start tag closed by /")
        << viewable << aToZ << "<title>a</title><BODY/>a</body>" << "<title>a</title><BODY/>z</body>" << qint64(1);
    QTest::newRow("viewable: body start tag with a line break")
        << viewable << aToZ << "<title>a</title><body\nclass=a>a</body>" << "<title>a</title><body\nclass=a>z</body>" << qint64(1);
    QTest::newRow("viewable: a body start tag in a comment is none")
        << viewable << aToZ << "<!-- <body> --><html><head><title>a</title></head>a"
        << "<!-- <body> --><html><head><title>a</title></head>a" << qint64(0);
    QTest::newRow("viewable: after a comment holding one, the real body start tag")
        << viewable << aToZ << "<!-- <body> --><title>a</title><body>a</body>"
        << "<!-- <body> --><title>a</title><body>z</body>" << qint64(1);
    QTest::newRow("viewable: an empty comment ends where it starts")
        << viewable << aToZ << "<title>a</title><!--><body>a</body>" << "<title>a</title><!--><body>z</body>" << qint64(1);
    QTest::newRow("viewable: a comment never closed hides the rest")
        << viewable << aToZ << "<title>a</title><!-- <body>a</body>" << "<title>a</title><!-- <body>a</body>" << qint64(0);
    QTest::newRow("viewable: a body start tag in a quoted value is none")
        << viewable << aToZ << "<html><head title=\"<body>\"><title>a</title></head></html>"
        << "<html><head title=\"<body>\"><title>a</title></head></html>" << qint64(0);
    QTest::newRow("viewable: a quoted value runs to its quote past a > and a <")
        << viewable << aToZ << "<meta content='a > <body> a'><title>a</title><body>a</body>"
        << "<meta content='a > <body> a'><title>a</title><body>z</body>" << qint64(1);
    QTest::newRow("viewable: a longer name is no body start tag")
        << viewable << aToZ << "<bodyguard><title>a</title></bodyguard>a" << "<bodyguard><title>a</title></bodyguard>a"
        << qint64(0);
    QTest::newRow("viewable: a < that opens no tag before the body")
        << viewable << aToZ << "<title>a < b</title>1 < <body>a</body>" << "<title>a < b</title>1 < <body>z</body>"
        << qint64(1);
    QTest::newRow("viewable: body start tag without attributes")
        << viewable << aToZ << "<body>a b</body>" << "<body>z b</body>" << qint64(1);
    QTest::newRow("viewable: empty body") << viewable << aToZ << "<body></body>" << "<body></body>" << qint64(0);
    QTest::newRow("viewable: no body") << viewable << aToZ << "<p>a</p>" << "<p>a</p>" << qint64(0);
    QTest::newRow("viewable: body without end tag")
        << viewable << aToZ << "<body><p>a</p>a" << "<body><p>z</p>z" << qint64(2);
    QTest::newRow("viewable: script and style text is text")
        << viewable << aToZ << "<body><script>a</script><style>a</style></body>" << "<body><script>z</script><style>z</style></body>" << qint64(2);
    QTest::newRow("viewable: comment text after its first >")
        << viewable << aToZ << "<body><!-- a > a --></body>" << "<body><!-- a > z --></body>" << qint64(1);
    QTest::newRow("viewable: a quoted > does not end the tag")
        << viewable << aToZ << "<body><p title=\"x > a\">a</p></body>" << "<body><p title=\"x > a\">z</p></body>" << qint64(1);
    QTest::newRow("viewable: single quotes and spaces around =")
        << viewable << aToZ << "<body><p title = 'a>a' id=a>a</p></body>" << "<body><p title = 'a>a' id=a>z</p></body>" << qint64(1);
    QTest::newRow("viewable: a quote not closed before the next < leaves the first >")
        << viewable << aToZ << "<body><p title=\"x>a<b>a\"</body>" << "<body><p title=\"x>z<b>z\"</body>" << qint64(2);
    {
        // Values over many steps of the search for their closing quote.
        const QString longValue = QString(300, u'.');
        QTest::newRow("viewable: a long quoted value with a > closes at its quote")
            << viewable << aToZ << "<body><p title=\"" + longValue + ">a\">a</p></body>"
            << "<body><p title=\"" + longValue + ">a\">z</p></body>" << qint64(1);
        QTest::newRow("viewable: a long quoted value with a < before its quote")
            << viewable << aToZ << "<body><p title=\"" + longValue + ">a<b>a\"</body>"
            << "<body><p title=\"" + longValue + ">z<b>z\"</body>" << qint64(2);
    }
    QTest::newRow("viewable: a < inside a tag opens no tag of its own")
        << viewable << aToZ << "<body><t c=\"u <v w='>' a x></body>" << "<body><t c=\"u <v w='>' z x></body>" << qint64(1);
    QTest::newRow("viewable: a < inside a tag that nothing would close")
        << viewable << aToZ << "<body><t c=\"u <v w='>' a" << "<body><t c=\"u <v w='>' z" << qint64(1);
    QTest::newRow("viewable: a < inside a tag does not make the last > a tag's end")
        << viewable << aToZ << "<body>a <=\"b <=\">b \"c=d>  " << "<body>z <=\"b <=\">b \"c=d>  " << qint64(1);
    QTest::newRow("viewable: a quote without = is text of the tag")
        << viewable << aToZ << "<body><p \"x>a\">a</p></body>" << "<body><p \"x>z\">z</p></body>" << qint64(2);
    QTest::newRow("viewable: a quoted > in the body start tag")
        << viewable << aToZ << "<body onload=\"a>a\">a</body>" << "<body onload=\"a>a\">z</body>" << qint64(1);
    QTest::newRow("viewable sets: a quoted > does not end the tag")
        << viewable << Pairs{{"a", "z"}, {"q", "r"}} << "<body><p title=\"q > a\">aq</p></body>"
        << "<body><p title=\"q > a\">zr</p></body>" << qint64(2);
    QTest::newRow("viewable: spaces before </body> kept")
        << viewable << aToZ << "<body><p>a</p>   </body>" << "<body><p>z</p>   </body>" << qint64(1);
    QTest::newRow("viewable: a line break before </body> kept")
        << viewable << aToZ << "<body><p>a</p>\r\n</body>" << "<body><p>z</p>\r\n</body>" << qint64(1);
    QTest::newRow("viewable: spaces between tags kept")
        << viewable << aToZ << "<body><b>a</b>   <i>a</i></body>" << "<body><b>z</b>   <i>z</i></body>" << qint64(2);
    QTest::newRow("viewable: occurrence across a tag is not one")
        << viewable << Pairs{{"ab", "x"}} << "<body>a<b>b</b>ab</body>" << "<body>a<b>b</b>x</body>" << qint64(1);
    QTest::newRow("viewable: stray < copied unchanged to the end")
        << viewable << aToZ << "<body>a <a < a</body>" << "<body>z <a < a</body>" << qint64(1);
    QTest::newRow("viewable: unclosed tag at the end of the body")
        << viewable << aToZ << "<body>a<p a" << "<body>z<p a" << qint64(1);
    QTest::newRow("viewable: start tag never closed")
        << viewable << aToZ << "<body a" << "<body a" << qint64(0);
    QTest::newRow("viewable: sets per text run, in order")
        << viewable << Pairs{{"a", "b"}, {"b", "c"}} << "<body>a<i>b</i></body>" << "<body>c<i>c</i></body>" << qint64(3);
    QTest::newRow("viewable sets: a chain within a run, not across tags")
        << viewable << Pairs{{"a", "b"}, {"bc", "Z"}} << "<body>ac<i>c</i>a</body>" << "<body>Z<i>c</i>b</body>" << qint64(3);
    QTest::newRow("viewable sets: an inserted < is text of its run")
        << viewable << Pairs{{"a", "<"}, {"<b", "X"}} << "<body>ab<b>ab</b></body>" << "<body>X<b>X</b></body>" << qint64(4);
    QTest::newRow("viewable sets: a deletion joins within a run only")
        << viewable << Pairs{{"x", ""}, {"ab", "Z"}} << "<body>ax<i>b</i>axb</body>" << "<body>a<i>b</i>Z</body>" << qint64(3);
    QTest::newRow("viewable sets: runs after a growing replacement")
        << viewable << Pairs{{"a", "aaa"}, {"b", "c"}} << "<body>a<p title=b>b</p>ab</body>"
        << "<body>aaa<p title=b>c</p>aaac</body>" << qint64(4);
    QTest::newRow("viewable sets: a shrinking replacement, then a quoted > in a tag")
        << viewable << Pairs{{"abc", "d"}, {"d", "e"}, {"e>", "f"}} << "<body>abcabc<p title=\"d>e\">abc></p></body>"
        << "<body>ee<p title=\"d>e\">f</p></body>" << qint64(7);
    QTest::newRow("viewable sets: the rest after a stray < stays as it is")
        << viewable << Pairs{{"a", "bb"}, {"b", "c"}} << "<body>a<i>a</i>a <x a" << "<body>cc<i>cc</i>cc <x a" << qint64(9);
    QTest::newRow("viewable sets: only the second set occurs")
        << viewable << Pairs{{"q", "r"}, {"a", "z"}, {"y", "w"}} << "<body>a<p class=a>a</p></body>"
        << "<body>z<p class=a>z</p></body>" << qint64(2);
    QTest::newRow("viewable: no sets, last text run kept")
        << viewable << Pairs{} << "<body><p>x</p>tail text</body>" << "<body><p>x</p>tail text</body>" << qint64(0);
    QTest::newRow("viewable: body markers in mixed case far into the text")
        << viewable << aToZ << QString(40, u'.') + "<BoDy>a" + QString(40, u'.') + "</bODy>a"
        << QString(40, u'.') + "<BoDy>z" + QString(40, u'.') + "</bODy>a" << qint64(1);
    QTest::newRow("viewable: find text holding a > of the text")
        << viewable << Pairs{{"a>b", "x"}} << "<body>a>b<i>a>b</i></body>" << "<body>x<i>x</i></body>" << qint64(2);
    QTest::newRow("viewable: find text holding a < never matches")
        << viewable << Pairs{{"a<i", "x"}} << "<body>a<i>b</i></body>" << "<body>a<i>b</i></body>" << qint64(0);
    QTest::newRow("viewable: occurrence inside a tag after text runs")
        << viewable << aToZ << "<body>b<i>b</i><p class=a>a</p></body>" << "<body>b<i>b</i><p class=a>z</p></body>" << qint64(1);
    QTest::newRow("viewable: spaces after a > of the text kept")
        << viewable << aToZ << "<body><p>a</p>b >   </body>" << "<body><p>z</p>b >   </body>" << qint64(1);
    QTest::newRow("viewable: body of spaces only kept")
        << viewable << aToZ << "<body>   </body>" << "<body>   </body>" << qint64(0);
    QTest::newRow("viewable: spaces before </body> are body text")
        << viewable << Pairs{{" ", "_"}} << "<body><p>a b</p>  </body>" << "<body><p>a_b</p>__</body>" << qint64(3);
    QTest::newRow("viewable: an empty find beside one other")
        << viewable << Pairs{{"", "x"}, {"a", "z"}} << "<body>a<b class=a>a</b></body>" << "<body>z<b class=a>z</b></body>" << qint64(2);
    QTest::newRow("viewable: second body start tag is body text's tag")
        << viewable << aToZ << "<body>a<body>a</body>" << "<body>z<body>z</body>" << qint64(2);
}

void TestReplacement::replace()
{
    QFETCH(ReplaceMode, mode);
    QFETCH(Pairs, pairs);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QFETCH(qint64, count);

    // With and without skipping the sets that cannot occur: the same result.
    for (const SetSkipping skipping : {SetSkipping::Never, SetSkipping::Always, SetSkipping::Auto}) {
        QList<qint64> textCounts, byteCounts;
        QCOMPARE(replaceText(QStringView(text), asText(pairs), mode, &textCounts, skipping), expected);
        QCOMPARE(replaceText(QByteArrayView(text.toUtf8()), asBytes(pairs), mode, &byteCounts, skipping),
                 expected.toUtf8());
        QCOMPARE(std::accumulate(textCounts.begin(), textCounts.end(), qint64(0)), count);
        QCOMPARE(byteCounts, textCounts);
    }
}

void TestReplacement::largeBodyIsReplacedThroughout()
{
    // Far beyond 65,536 characters, with occurrences placed across every such boundary.
    QByteArray body;
    while (body.size() < 300000)
        body += "<p>Acme and Acme</p>\n";
    const QByteArray text = "<html><body>" + body + "</body></html>";
    QList<qint64> counts;
    const QByteArray result = replaceText(text, {{"Acme", "Zen"}}, ReplaceMode::ViewableText, &counts);
    QCOMPARE(result.count("Acme"), 0);
    QCOMPARE(counts.value(0), text.count("Acme"));
    QCOMPARE(replaceText(text, {{"Acme", "Zen"}}, ReplaceMode::WholeFile, nullptr), result);
}

void TestReplacement::longSetListsAsWithPassPerSet_data()
{
    QTest::addColumn<ReplaceMode>("mode");
    QTest::addColumn<int>("sets");
    QTest::addColumn<int>("findSize");
    QTest::addColumn<int>("alphabet");
    // Enough long find texts that only their beginnings are searched for at once,
    // with more different characters than the search gives classes, or few.
    QTest::newRow("whole, 600 characters") << ReplaceMode::WholeFile << 800 << 12 << 600;
    QTest::newRow("viewable, 600 characters") << ReplaceMode::ViewableText << 800 << 12 << 600;
    QTest::newRow("whole, 4 characters") << ReplaceMode::WholeFile << 300 << 6 << 4;
    QTest::newRow("viewable, 4 characters") << ReplaceMode::ViewableText << 300 << 6 << 4;
}

void TestReplacement::longSetListsAsWithPassPerSet()
{
    QFETCH(ReplaceMode, mode);
    QFETCH(int, sets);
    QFETCH(int, findSize);
    QFETCH(int, alphabet);
    quint32 seed = 22;
    const auto next = [&](int below) {
        seed = seed * 1664525u + 1013904223u;
        return int((seed >> 8) % quint32(below));
    };
    const auto word = [&](int size) {
        QString w;
        for (int k = 0; k < size; ++k)
            w += QChar(char16_t(0x100 + next(alphabet)));
        return w;
    };
    QList<Substitution<QString>> substitutions;
    for (int j = 0; j < sets; ++j)
        substitutions.append({word(1 + next(findSize)), word(next(3))});
    // Every tenth find text occurs, between tags and in them.
    QString text = "<body>";
    for (int j = 0; j < sets; j += 10)
        text += word(3) + substitutions[j].find + "<i title=" + substitutions[j].find + ">" + word(2);
    text += "</body>";
    QList<qint64> skippedCounts, passCounts;
    const QString skipped = replaceText(QStringView(text), substitutions, mode, &skippedCounts, SetSkipping::Always);
    QCOMPARE(skipped, replaceText(QStringView(text), substitutions, mode, &passCounts, SetSkipping::Never));
    QCOMPARE(skippedCounts, passCounts);
    QVERIFY(std::accumulate(passCounts.begin(), passCounts.end(), qint64(0)) > 0);
}

void TestReplacement::findsAcrossTheStretchesOfALongText_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("findSize");
    QTest::addColumn<int>("start");
    // A long text is searched for all find texts in four stretches side by side:
    // an occurrence at, across or just before the end of each is found.
    const int size = 20000;
    const int findSize = 8;
    for (int part = 1; part < 4; ++part) {
        const int end = part * size / 4;
        for (const int start : {end - findSize, end - findSize + 1, end - 1, end}) {
            QTest::addRow("part %d ends at %d, occurrence from %d", part, end, start) << size << findSize << start;
        }
    }
    QTest::newRow("a find text longer than a stretch") << size << 6000 << 4000;
    // The units a division into four leaves over are searched after the stretches.
    for (const int odd : {1025, 1026, 1027}) {
        for (int fromEnd = 0; fromEnd < odd % 4; ++fromEnd)
            QTest::addRow("%d units, occurrence ending %d before the end", odd, fromEnd)
                << odd << findSize << odd - findSize - fromEnd;
    }
}

void TestReplacement::findsAcrossTheStretchesOfALongText()
{
    QFETCH(int, size);
    QFETCH(int, findSize);
    QFETCH(int, start);
    QString find;
    for (int k = 0; k < findSize; ++k)
        find += QChar(u'a' + k % 7);
    Pairs pairs;
    for (int j = 0; j < 20; ++j)
        pairs.append({"absent" + QString::number(j), "-"});
    pairs.insert(10, {find, "found"});
    QString text(size, u'x');
    text.replace(start, findSize, find);
    QString expected = text;
    expected.replace(start, findSize, "found");
    QList<qint64> textCounts, byteCounts;
    QCOMPARE(replaceText(QStringView(text), asText(pairs), ReplaceMode::WholeFile, &textCounts, SetSkipping::Always),
             expected);
    QCOMPARE(replaceText(QByteArrayView(text.toUtf8()), asBytes(pairs), ReplaceMode::WholeFile, &byteCounts,
                         SetSkipping::Always),
             expected.toUtf8());
    QCOMPARE(textCounts.value(10), 1);
    QCOMPARE(byteCounts, textCounts);
}

void TestReplacement::denseBytesAsOneByOne_data()
{
    QTest::addColumn<QByteArray>("piece");
    QTest::addColumn<QByteArray>("find");
    QTest::addColumn<QByteArray>("replace");
    // Long texts of one piece repeated, the bytes copied in blocks of 64 as they
    // are searched: occurrences in and across the blocks, near misses that share
    // the find text's first and last byte, a find text longer than a block,
    // overlapping runs, and replace texts from nothing to far longer than found.
    const QByteArray longFind(70, 'f');
    QTest::newRow("dense, longer replace") << QByteArray("<p>Acme x") << QByteArray("Acme") << QByteArray("Zenith");
    QTest::newRow("near misses") << QByteArray("Acne Acme Ae") << QByteArray("Acme") << QByteArray("Z");
    QTest::newRow("one byte deleted") << QByteArray("abcde") << QByteArray("c") << QByteArray();
    QTest::newRow("overlapping runs") << QByteArray("aaaaaaab") << QByteArray("aaa") << QByteArray("b");
    QTest::newRow("replace text of 32 bytes") << QByteArray("xy") << QByteArray("y") << QByteArray(32, 'r');
    QTest::newRow("replace text 100 times longer") << QByteArray("x") << QByteArray("x") << QByteArray(100, 'r');
    QTest::newRow("find text longer than a block") << longFind + "g" + longFind.left(69) << longFind << QByteArray("F");
    QTest::newRow("sparse") << QByteArray(997, '.') + "needle" << QByteArray("needle") << QByteArray("pin");
}

void TestReplacement::denseBytesAsOneByOne()
{
    QFETCH(QByteArray, piece);
    QFETCH(QByteArray, find);
    QFETCH(QByteArray, replace);
    // Every length up to a few blocks past the piece, so that the last blocks
    // end at every place of an occurrence.
    for (const int size : {1, 63, 64, 65, 127, 200, 1000, 70000}) {
        for (int extra = 0; extra < piece.size(); ++extra) {
            const QByteArray text = piece.repeated(size / piece.size() + 2).left(size + extra);
            QList<qint64> counts;
            const QByteArray result = replaceText(text, {{find, replace}}, ReplaceMode::WholeFile, &counts);
            QByteArray expected = text;
            expected.replace(find, replace);
            QCOMPARE(result, expected);
            qint64 occurrences = 0;
            for (qsizetype at = text.indexOf(find); at >= 0; at = text.indexOf(find, at + find.size()))
                ++occurrences;
            QCOMPARE(counts.value(0), occurrences);
        }
    }
}

void TestReplacement::longViewableBytesAsUtf16_data()
{
    QTest::addColumn<QString>("piece");
    QTest::addColumn<QString>("replace");
    // Bytes are copied while they are searched, in blocks of 64, and an
    // occurrence is taken as text by the last "<" before it; UTF-16 text is not:
    // both must agree on bodies of one piece repeated, cut at every length near
    // the blocks, with short and long replace texts (which outgrow the room the
    // result started with).
    const QString tags = "<p title=\"a > Acme\">Acme</p> x <a href='Acme'>Acme</a>\n<i\n class=Acme>Acme</i>";
    QTest::newRow("tags, short") << tags << "Z";
    QTest::newRow("tags, long") << tags << QString(70, u'z');
    QTest::newRow("open quote before a tag") << "<p x=\"Acme<b>Acme</b> Acme" << "Zenith";
    QTest::newRow("text only, near ends of the body") << "Acme and Acme, </Bodx> </bod>" << "";
    QTest::newRow("long text runs") << QString(90, u'.') + "Acme<br>" << QString(40, u'z');
    // Tags longer than a block, with occurrences late in them: the copying may
    // stop in one before them.
    const QString longTag = "<a href=\"" + QString(70, u'.') + "\" title=\"Acme Acme\">Acme</a>";
    QTest::newRow("long tags, short") << longTag << "Z";
    QTest::newRow("long tags, long") << longTag << QString(200, u'z');
}

void TestReplacement::longViewableBytesAsUtf16()
{
    QFETCH(QString, piece);
    QFETCH(QString, replace);
    // Every size over a few blocks, so that the copying stops at every place of
    // the piece, and a long body cut at several places.
    QList<int> sizes;
    for (int size = 60; size < 330; ++size)
        sizes.append(size);
    for (int extra = 0; extra < piece.size(); extra += 7)
        sizes.append(20000 + extra);
    for (const int size : sizes) {
        const QString body = piece.repeated(size / piece.size() + 1).left(size);
        // The last piece may end in a tag that never closes. The body's end tag
        // is found in any letter case, behind the tags of the body.
        const QString text = "<html><BODY class=x>" + body + "</Body>\nAcme " + QString(80, u'.') + "\n</html>";
        QList<qint64> textCounts, byteCounts;
        const QString expected = replaceText(QStringView(text), {{"Acme", replace}}, ReplaceMode::ViewableText,
                                             &textCounts);
        QCOMPARE(replaceText(QByteArrayView(text.toUtf8()), {{"Acme", replace.toUtf8()}},
                             ReplaceMode::ViewableText, &byteCounts),
                 expected.toUtf8());
        QCOMPARE(byteCounts, textCounts);
    }
}

void TestReplacement::takeUpTo_data()
{
    QTest::addColumn<QString>("working");
    QTest::addColumn<QString>("marker");
    QTest::addColumn<bool>("include");
    QTest::addColumn<QString>("taken");
    QTest::addColumn<QString>("left");
    QTest::newRow("before the marker") << "ab<body>c" << "<body" << false << "ab" << "<body>c";
    QTest::newRow("marker included as given") << "ab<BODY>c" << "<body" << true << "ab<body" << ">c";
    QTest::newRow("match at the first character") << "<body>" << "<body" << false << "" << "<body>";
    QTest::newRow("no match takes all, nothing appended") << "abc" << ">" << true << "abc" << "";
    QTest::newRow("letter marker in any case") << "xxEnd." << "end" << true << "xxend" << ".";
}

void TestReplacement::takeUpTo()
{
    QFETCH(QString, working);
    QFETCH(QString, marker);
    QFETCH(bool, include);
    QFETCH(QString, taken);
    QFETCH(QString, left);
    QCOMPARE(TakeUpTo(working, marker, include), taken);
    QCOMPARE(working, left);
}

QTEST_GUILESS_MAIN(TestReplacement)
#include "tst_replacement.moc"
