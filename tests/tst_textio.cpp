// Encoding classes, the code page, decoding and set-file lines.
#include "textio/code_page.h"
#include "textio/text_decoding.h"
#include "textio/text_encoding.h"
#include "textio/text_lines.h"

#include "temp_tree.h"
#include "test_files.h"

#include <QStringDecoder>
#include <QtTest>

using namespace tessaly;
using testing::bytes;

Q_DECLARE_METATYPE(tessaly::TextEncoding)
Q_DECLARE_METATYPE(tessaly::ByteOrderMark)

class TestTextIo : public QObject {
    Q_OBJECT
private slots:
    void classify_data();
    void classify();
    void detectTextEncodingReadsTheFile();
    void codePageRoundTripsEveryByte_data();
    void codePageRoundTripsEveryByte();
    void codePageAgreesWithQt_data() { codePageRoundTripsEveryByte_data(); }
    void codePageAgreesWithQt();
    void codePageNames_data();
    void codePageNames();
    void codePageForLocale_data();
    void codePageForLocale();
    void encodeCountsLostCharacters();
    void decodeByFormat_data();
    void decodeByFormat();
    void readTextLines_data();
    void readTextLines();
};

void TestTextIo::classify_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<ByteOrderMark>("mark");

    QTest::newRow("empty") << QByteArray() << TextEncoding::Ansi << ByteOrderMark::None;
    QTest::newRow("one byte FF") << bytes("\xFF", 1) << TextEncoding::Ansi << ByteOrderMark::None;
    QTest::newRow("FF FE only") << bytes("\xFF\xFE", 2) << TextEncoding::Utf16 << ByteOrderMark::Utf16LE;
    QTest::newRow("FE FF only") << bytes("\xFE\xFF", 2) << TextEncoding::Utf16 << ByteOrderMark::Utf16BE;
    QTest::newRow("FF FE 00") << bytes("\xFF\xFE\x00", 3) << TextEncoding::Utf16 << ByteOrderMark::Utf16LE;
    QTest::newRow("FF FE 00 00") << bytes("\xFF\xFE\x00\x00", 4) << TextEncoding::Utf16 << ByteOrderMark::Utf32LE;
    QTest::newRow("FF FE 00 00, UTF-32 text") << bytes("\xFF\xFE\0\0h\0\0\0", 8) << TextEncoding::Utf16 << ByteOrderMark::Utf32LE;
    QTest::newRow("FF FE 00 00, then not UTF-32") << bytes("\xFF\xFE\0\0h\0i\0", 8) << TextEncoding::Utf16 << ByteOrderMark::Utf16LE;
    QTest::newRow("FF FE 00 00, UTF-32 with one bad value in three")
        << bytes("\xFF\xFE\0\0h\0\0\0\0\0\x11\0i\0\0\0", 16) << TextEncoding::Utf16 << ByteOrderMark::Utf32LE;
    QTest::newRow("FF FE 00 00, half the values bad")
        << bytes("\xFF\xFE\0\0h\0\0\0\xFF\xDF\0\0", 12) << TextEncoding::Utf16 << ByteOrderMark::Utf16LE;
    QTest::newRow("00 00 FE FF") << bytes("\x00\x00\xFE\xFF", 4) << TextEncoding::Utf16 << ByteOrderMark::Utf32BE;
    QTest::newRow("00 00 FE") << bytes("\x00\x00\xFE", 3) << TextEncoding::Ansi << ByteOrderMark::None;
    QTest::newRow("EF BB BF") << bytes("\xEF\xBB\xBF", 3) << TextEncoding::Utf8 << ByteOrderMark::Utf8;
    QTest::newRow("EF BB") << bytes("\xEF\xBB", 2) << TextEncoding::Ansi << ByteOrderMark::None;
    QTest::newRow("UTF-8 mark and text") << bytes("\xEF\xBB\xBF<p>", 6) << TextEncoding::Utf8 << ByteOrderMark::Utf8;
    QTest::newRow("ASCII") << QByteArray("<p>plain</p>") << TextEncoding::Ansi << ByteOrderMark::None;
    QTest::newRow("unmarked valid UTF-8") << QByteArray("caf\xC3\xA9") << TextEncoding::Utf8 << ByteOrderMark::None;
    QTest::newRow("unmarked UTF-8, sequence past 8 bytes")
        << QByteArray("0123456789\xE2\x82\xAC") << TextEncoding::Utf8 << ByteOrderMark::None;
    QTest::newRow("cp1252 e acute") << QByteArray("caf\xE9") << TextEncoding::Ansi << ByteOrderMark::None;
    QTest::newRow("UTF-8 then a stray byte") << QByteArray("\xC3\xA9 \xE9") << TextEncoding::Ansi << ByteOrderMark::None;
    QTest::newRow("truncated sequence") << QByteArray("ab\xE2\x82") << TextEncoding::Ansi << ByteOrderMark::None;
    QTest::newRow("NUL bytes") << bytes("\0\0\0\0\0", 5) << TextEncoding::Ansi << ByteOrderMark::None;
}

void TestTextIo::classify()
{
    QFETCH(QByteArray, content);
    QFETCH(TextEncoding, encoding);
    QFETCH(ByteOrderMark, mark);
    const SourceFormat format = classifyContent(content);
    QCOMPARE(format.encoding, encoding);
    QCOMPARE(format.mark, mark);
}

void TestTextIo::detectTextEncodingReadsTheFile()
{
    const testing::TempTree tree;
    QCOMPARE(DetectTextEncoding(tree.write("page.htm", bytes("\xFF\xFEh\0", 4))), TextEncoding::Utf16);
    QVERIFY_THROWS_EXCEPTION(std::exception, DetectTextEncoding(tree.path("missing.htm")));
}

void TestTextIo::codePageRoundTripsEveryByte_data()
{
    QTest::addColumn<int>("number");
    for (int number : {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258})
        QTest::newRow(qPrintable(QString::number(number))) << number;
}

void TestTextIo::codePageRoundTripsEveryByte()
{
    QFETCH(int, number);
    const CodePage page = *CodePage::byName(QString::number(number));
    QByteArray all(256, Qt::Uninitialized);
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    const QString text = page.decode(all);
    QCOMPARE(QSet<QChar>(text.begin(), text.end()).size(), 256);
    qint64 lost = 0;
    QCOMPARE(page.encode(text, &lost), all);
    QCOMPARE(lost, 0);
    // Written straight as UTF-8, the bytes give what decoding them and encoding
    // the text make; ASCII after the upper half and a short end too.
    const QByteArray mixed = all + all.first(13);
    QByteArray utf8(3 * mixed.size(), Qt::Uninitialized);
    utf8.truncate(page.toUtf8(mixed, utf8.data()) - utf8.data());
    QCOMPARE(utf8, page.decode(mixed).toUtf8());
}

// The tables were generated once (scripts/generate-code-page-tables): ICU's
// converters, through Qt, are a second source for every byte both define.
void TestTextIo::codePageAgreesWithQt()
{
    QFETCH(int, number);
    const CodePage page = *CodePage::byName(QString::number(number));
    if (!QStringDecoder(qPrintable(page.name())).isValid())
        QSKIP("Qt has no decoder for this code page");
    int compared = 0;
    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        QStringDecoder qt(qPrintable(page.name()));
        const QString theirs = qt.decode(QByteArrayView(&byte, 1));
        // A byte the page leaves undefined: an error, U+FFFD, or (ICU's windows-874)
        // a private-use character.
        if (qt.hasError() || theirs.size() != 1 || theirs.at(0) == QChar::ReplacementCharacter
            || theirs.at(0).category() == QChar::Other_PrivateUse)
            continue;
        QVERIFY2(page.decode(QByteArrayView(&byte, 1)) == theirs,
                 qPrintable(QStringLiteral("byte 0x%1: Qt reads U+%2")
                                .arg(b, 2, 16, QLatin1Char('0'))
                                .arg(theirs.at(0).unicode(), 4, 16, QLatin1Char('0'))));
        ++compared;
    }
    QVERIFY(compared >= 128 + 96);
}

void TestTextIo::codePageNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("number");
    QTest::newRow("number") << "1251" << 1251;
    QTest::newRow("windows-") << "windows-1250" << 1250;
    QTest::newRow("upper case CP") << "CP1253" << 1253;
    QTest::newRow("unknown") << "1234" << 0;
    QTest::newRow("utf-8 is not single-byte") << "utf-8" << 0;
}

void TestTextIo::codePageNames()
{
    QFETCH(QString, name);
    QFETCH(int, number);
    const auto page = CodePage::byName(name);
    QCOMPARE(page ? page->number() : 0, number);
}

void TestTextIo::codePageForLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("number");
    QTest::newRow("English") << "en_US" << 1252;
    QTest::newRow("German") << "de_DE" << 1252;
    QTest::newRow("Russian") << "ru_RU" << 1251;
    QTest::newRow("Ukrainian") << "uk_UA" << 1251;
    QTest::newRow("Bulgarian") << "bg_BG" << 1251;
    QTest::newRow("Polish") << "pl_PL" << 1250;
    QTest::newRow("Czech") << "cs_CZ" << 1250;
    QTest::newRow("Hungarian") << "hu_HU" << 1250;
    QTest::newRow("Greek") << "el_GR" << 1253;
    QTest::newRow("Turkish") << "tr_TR" << 1254;
    QTest::newRow("C locale") << "C" << 1252;
}

void TestTextIo::codePageForLocale()
{
    QFETCH(QString, locale);
    QFETCH(int, number);
    QCOMPARE(CodePage::forLocale(QLocale(locale)).number(), number);
}

void TestTextIo::encodeCountsLostCharacters()
{
    const CodePage page = *CodePage::byName(QStringLiteral("1252"));
    qint64 lost = 0;
    QCOMPARE(page.encode(u"a\u0436\u20ACb\U0001F600", &lost), QByteArray("a?\x80" "b?"));
    QCOMPARE(lost, 2);
    QCOMPARE(page.decode(QByteArray("\x81\x8D\x8F\x90\x9D")), QString::fromUtf16(u"\u0081\u008D\u008F\u0090\u009D"));
}

void TestTextIo::decodeByFormat_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("text");
    QTest::newRow("cp1252") << QByteArray("caf\xE9 \x80") << QString::fromUtf16(u"café €");
    QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF" "caf\xC3\xA9") << QString::fromUtf16(u"café");
    QTest::newRow("UTF-8 without mark") << QByteArray("caf\xC3\xA9") << QString::fromUtf16(u"café");
    QTest::newRow("UTF-16 LE") << bytes("\xFF\xFEh\0i\0", 6) << QString::fromUtf16(u"hi");
    QTest::newRow("UTF-16 BE") << bytes("\xFE\xFF\0h\0i", 6) << QString::fromUtf16(u"hi");
    QTest::newRow("UTF-32 LE") << bytes("\xFF\xFE\0\0h\0\0\0", 8) << QString::fromUtf16(u"h");
    QTest::newRow("UTF-32 BE") << bytes("\0\0\xFE\xFF\0\0\0h", 8) << QString::fromUtf16(u"h");
    QTest::newRow("UTF-32 LE, U+DFFF and 0x110000")
        << bytes("\xFF\xFE\0\0h\0\0\0\xFF\xDF\0\0i\0\0\0\0\0\x11\0!\0\0\0", 24)
        << QString::fromUtf16(u"h\uFFFDi\uFFFD!");
    QTest::newRow("mark only") << bytes("\xFF\xFE", 2) << QString();
}

void TestTextIo::decodeByFormat()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, text);
    const CodePage page = *CodePage::byName(QStringLiteral("1252"));
    QCOMPARE(decodeText(content, classifyContent(content), page), text);
}

void TestTextIo::readTextLines_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty file") << QByteArray() << QStringList{QString()};
    QTest::newRow("one line") << QByteArray("a::b") << QStringList{"a::b"};
    QTest::newRow("CR LF at the end adds no line") << QByteArray("a::b\r\n") << QStringList{"a::b"};
    QTest::newRow("UTF-8 mark, CR LF at the end") << QByteArray("\xEF\xBB\xBF" "a::b\r\n") << QStringList{"a::b"};
    QTest::newRow("LF only") << QByteArray("a\nb\n") << QStringList{"a", "b"};
    QTest::newRow("UTF-8 mark, LF only") << QByteArray("\xEF\xBB\xBF" "a\nb") << QStringList{"a", "b"};
    QTest::newRow("lone CR") << QByteArray("a\rb") << QStringList{"a", "b"};
    QTest::newRow("empty lines kept") << QByteArray("a\r\n\r\nb") << QStringList{"a", "", "b"};
    QTest::newRow("only a line end") << QByteArray("\r\n") << QStringList{""};
    QTest::newRow("UTF-16 with mark") << bytes("\xFF\xFE" "a\0\r\0\n\0\x36\x04", 10) << QStringList{"a", QString::fromUtf16(u"\u0436")};
    QTest::newRow("cp1252 text") << QByteArray("\x80::euro") << QStringList{QString::fromUtf16(u"€::euro")};
}

void TestTextIo::readTextLines()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, lines);
    const testing::TempTree tree;
    QCOMPARE(ReadTextLines(tree.write("sets.txt", content), *CodePage::byName(QStringLiteral("1252"))), lines);
}

QTEST_GUILESS_MAIN(TestTextIo)
#include "tst_textio.moc"
