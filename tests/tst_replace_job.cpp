// One-file jobs: result bytes per encoding class (and the texts a preview shows
// for them), failures with the step that failed, results that would name their
// source, dry runs.
#include "base/paths.h"
#include "engine/file_request.h"
#include "engine/file_texts.h"
#include "engine/replace_job.h"
#include "engine/run_sources.h"
#include "textio/text_decoding.h"

#include "temp_tree.h"
#include "test_files.h"

#include <QFile>
#include <QtTest>

using namespace tessaly;
using testing::bytes;
using testing::readBytes;
using testing::TempTree;

Q_DECLARE_METATYPE(tessaly::ReplaceMode)

namespace {

JobOptions besideSource(ReplaceMode mode = ReplaceMode::WholeFile)
{
    JobOptions options;
    options.mode = mode;
    options.save = SaveOption::BesideSource;
    options.codePage = *CodePage::byName(QStringLiteral("1252"));
    options.separator = u'/';
    return options;
}

FileReport replacePair(const QString &path, const QString &find, const QString &replace, const JobOptions &options,
                       const JobContext &context = {})
{
    return replaceInFile(SourcePath(path), {FileRequest::Kind::Pair, {{find, replace}}, options}, context);
}

FileReport replaceSets(const QString &path, const QList<FindReplaceSet> &sets, const JobOptions &options,
                       const JobContext &context = {})
{
    return replaceInFile(SourcePath(path), {FileRequest::Kind::Sets, sets, options}, context);
}

} // namespace

class TestReplaceJob : public QObject {
    Q_OBJECT
private slots:
    void resultBytes_data();
    void resultBytes();
    void piecesGiveTheWholeResult_data();
    void piecesGiveTheWholeResult();
    void setsInOrder();
    void setsWithCharactersThePageLacks();
    void readFailureIsTheReadStep();
    void writeFailureKeepsEarlierResult_data();
    void writeFailureKeepsEarlierResult();
    void resultNeverReplacesItsSource_data();
    void resultNeverReplacesItsSource();
    void resultNamingAnotherSourceOfTheRunFails();
    void dryRunWritesNothing();
    void fileSize2();
    void sourcePath_data();
    void sourcePath();
    void relativeNameGetsItsResultBesideIt();
};

void TestReplaceJob::resultBytes_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replace");
    QTest::addColumn<ReplaceMode>("mode");
    QTest::addColumn<QByteArray>("result");
    QTest::addColumn<qint64>("replacements");
    QTest::addColumn<qint64>("lost");

    const auto whole = ReplaceMode::WholeFile;
    const auto viewable = ReplaceMode::ViewableText;
    const QByteArray cp1252All = [] { QByteArray b; for (int i = 1; i < 256; ++i) b += char(i); return b; }();

    QTest::newRow("cp1252 untouched, every byte") << cp1252All << "nothing" << "x" << whole << cp1252All << qint64(0) << qint64(0);
    QTest::newRow("cp1252 non-ASCII find and replace") << QByteArray("caf\xE9!") << QString::fromUtf16(u"é") << QString::fromUtf16(u"€") << whole << QByteArray("caf\x80!") << qint64(1) << qint64(0);
    QTest::newRow("cp1252 replace text the page lacks") << QByteArray("a-a") << "a" << QString::fromUtf16(u"ж") << whole << QByteArray("?-?") << qint64(2) << qint64(2);
    QTest::newRow("cp1252 find text the page lacks") << QByteArray("a?") << QString::fromUtf16(u"ж") << "x" << whole << QByteArray("a?") << qint64(0) << qint64(0);
    QTest::newRow("UTF-8 with mark stays UTF-8 with mark") << QByteArray("\xEF\xBB\xBF" "caf\xC3\xA9 \xE2\x82\xAC") << QString::fromUtf16(u"é") << QString::fromUtf16(u"ж") << whole << QByteArray("\xEF\xBB\xBF" "caf\xD0\xB6 \xE2\x82\xAC") << qint64(1) << qint64(0);
    QTest::newRow("UTF-8 without mark stays without") << QByteArray("\xD0\xB6 ok") << QString::fromUtf16(u"ж") << QString::fromUtf16(u"é") << whole << QByteArray("\xC3\xA9 ok") << qint64(1) << qint64(0);
    QTest::newRow("invalid UTF-8 after the mark kept") << QByteArray("\xEF\xBB\xBF" "a\xFF\xFE" "b") << "b" << "c" << whole << QByteArray("\xEF\xBB\xBF" "a\xFF\xFE" "c") << qint64(1) << qint64(0);
    QTest::newRow("UTF-16 untouched") << bytes("\xFF\xFEh\0\x36\x04", 6) << "q" << "x" << whole << bytes("\xFF\xFEh\0\x36\x04", 6) << qint64(0) << qint64(0);
    QTest::newRow("UTF-16 replaced") << bytes("\xFF\xFEh\0\x36\x04", 6) << QString::fromUtf16(u"ж") << "ab" << whole << bytes("\xFF\xFEh\0a\0b\0", 8) << qint64(1) << qint64(0);
    QTest::newRow("UTF-16 odd length keeps its last byte") << bytes("\xFF\xFEh\0i\0\x01", 7) << "i" << "j" << whole << bytes("\xFF\xFEh\0j\0\x01", 7) << qint64(1) << qint64(0);
    QTest::newRow("mark only gives mark only") << bytes("\xFF\xFE", 2) << "a" << "b" << whole << bytes("\xFF\xFE", 2) << qint64(0) << qint64(0);
    QTest::newRow("UTF-16 big-endian written little-endian") << bytes("\xFE\xFF\0h\0i", 6) << "i" << "j" << whole << bytes("\xFF\xFEh\0j\0", 6) << qint64(1) << qint64(0);
    QTest::newRow("UTF-32 written as UTF-16") << bytes("\xFF\xFE\0\0h\0\0\0", 8) << "x" << "y" << whole << bytes("\xFF\xFEh\0", 4) << qint64(0) << qint64(0);
    // Decoding never drops a byte: an incomplete last unit comes out as it was, a
    // UTF-32 value that is no character becomes U+FFFD and is counted as invalid.
    QTest::newRow("UTF-16 big-endian odd length keeps its last byte") << bytes("\xFE\xFF\0h\0i\x01", 7) << "i" << "j" << whole << bytes("\xFF\xFEh\0j\0\x01", 7) << qint64(1) << qint64(0);
    QTest::newRow("UTF-32 keeps an incomplete last unit") << bytes("\xFF\xFE\0\0h\0\0\0i\0\0\0\x01\x02", 14) << "i" << "j" << whole << bytes("\xFF\xFEh\0j\0\x01\x02", 8) << qint64(1) << qint64(0);
    QTest::newRow("UTF-32 big-endian keeps an incomplete last unit") << bytes("\0\0\xFE\xFF\0\0\0h\0\0\0i\0\0\x01", 15) << "i" << "j" << whole << bytes("\xFF\xFEh\0j\0\0\0\x01", 9) << qint64(1) << qint64(0);
    QTest::newRow("UTF-32 value above U+10FFFF") << bytes("\0\0\xFE\xFF\0\0\0h\0\x11\0\0", 12) << "h" << "j" << whole << bytes("\xFF\xFEj\0\xFD\xFF", 6) << qint64(1) << qint64(1);
    QTest::newRow("UTF-32 surrogate value") << bytes("\0\0\xFE\xFF\0\0\xDC\0\0\0\0h", 12) << "h" << "j" << whole << bytes("\xFF\xFE\xFD\xFFj\0", 6) << qint64(1) << qint64(1);
    QTest::newRow("UTF-32 beyond the BMP becomes a pair") << bytes("\xFF\xFE\0\0\0\xF6\x01\0", 8) << "x" << "y" << whole << bytes("\xFF\xFE\x3D\xD8\0\xDE", 6) << qint64(0) << qint64(0);
    QTest::newRow("FF FE 00 00 then UTF-16 is UTF-16 beginning with U+0000") << bytes("\xFF\xFE\0\0<\0h\0", 8) << "h" << "j" << whole << bytes("\xFF\xFE\0\0<\0j\0", 8) << qint64(1) << qint64(0);
    QTest::newRow("NUL bytes pass through") << bytes("a\0b\0a", 5) << "a" << "c" << whole << bytes("c\0b\0c", 5) << qint64(2) << qint64(0);
    QTest::newRow("one byte") << QByteArray("a") << "a" << "b" << whole << QByteArray("b") << qint64(1) << qint64(0);
    QTest::newRow("empty find still writes the result") << QByteArray("<body>a</body>") << "" << "x" << viewable << QByteArray("<body>a</body>") << qint64(0) << qint64(0);
    QTest::newRow("viewable cp1252") << QByteArray("<title>caf\xE9</title><body>caf\xE9</body>") << QString::fromUtf16(u"é") << "e" << viewable << QByteArray("<title>caf\xE9</title><body>cafe</body>") << qint64(1) << qint64(0);
    QTest::newRow("viewable UTF-16") << QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char *>(u"<i a=x>x</i><body>x<b>x</b></body>"), 68) << "x" << "y" << viewable << QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char *>(u"<i a=x>x</i><body>y<b>y</b></body>"), 68) << qint64(2) << qint64(0);
}

void TestReplaceJob::resultBytes()
{
    QFETCH(QByteArray, source);
    QFETCH(QString, find);
    QFETCH(QString, replace);
    QFETCH(ReplaceMode, mode);
    const TempTree dir;
    const QString path = dir.write(QStringLiteral("page.htm"), source);

    const FileReport report = replacePair(path, find, replace, besideSource(mode));
    QCOMPARE(report.status, FileReport::Status::Written);
    QCOMPARE(report.resultPath, dir.path(QStringLiteral("page_replaced.htm")));
    QTEST(readBytes(report.resultPath), "result");
    QTEST(report.replacements, "replacements");
    // "lost": characters not written as they were, "?" for the code page or U+FFFD.
    QTEST(report.lostCharacters + report.invalidCharacters, "lost");
    QCOMPARE(readBytes(path), source);

    // The texts a preview shows are those of the source and of the result written.
    FileRequest request;
    request.kind = FileRequest::Kind::Pair;
    request.sets = {{find, replace}};
    request.options = besideSource(mode);
    const FileTexts texts = fileTexts(path, request);
    const CodePage &page = request.options.codePage;
    QCOMPARE(texts.format, classifyContent(source));
    QCOMPARE(texts.source, decodeText(source, classifyContent(source), page));
    const QByteArray written = readBytes(report.resultPath);
    QCOMPARE(texts.result, decodeText(written, classifyContent(written), page));
}

void TestReplaceJob::piecesGiveTheWholeResult_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QStringList>("sets");  // find, replace, find, replace...

    const QByteArray utf8 = QStringLiteral("h\u00e9llo w\u00f6rld, h\u00e9llo w\u00f6rld").toUtf8();
    QTest::newRow("code page, occurrences across pieces") << QByteArray("xAcmeAcme-AcmAcme\xE9" "Acme") << QStringList{"Acme", "Zenith"};
    QTest::newRow("a later set finds what an earlier one made") << QByteArray("ababababababab") << QStringList{"a", "bc", "cb", "X"};
    QTest::newRow("a deletion joins an occurrence") << QByteArray("aXbaXbaXbaXbaXb") << QStringList{"X", "", "ab", "-"};
    QTest::newRow("UTF-8, a first pass finds the format") << utf8 << QStringList{QStringLiteral("\u00f6"), "o"};
    QTest::newRow("UTF-8, format found on the way") << utf8 << QStringList{"llo", "y"};
    QTest::newRow("UTF-8 with mark") << "\xEF\xBB\xBF" + utf8 << QStringList{QStringLiteral("\u00e9"), "e"};
    QTest::newRow("UTF-8 broken in the last piece") << utf8 + "\xC3" << QStringList{"llo", "y"};
    QTest::newRow("code page, replace text the page lacks") << QByteArray("a-a-a-a-a-a-a") << QStringList{"a", QStringLiteral("\u0436")};
    QStringList absent;  // sets whose find texts the pages lack and no other set makes
    for (int k = 0; k < 8; ++k)
        absent << QStringLiteral("k%1").arg(k) << "m";
    QTest::newRow("many sets, an earlier one makes a later one") << QByteArray("ababababababab") << QStringList{"a", "bc", "cb", "X"} + absent;
    QTest::newRow("many sets, a deletion joins an occurrence") << QByteArray("aXbaXbaXbaXbaXb") << absent + QStringList{"X", "", "ab", "-"};
    // Pieces of 3 bytes: a find text of 4 lies across a boundary wherever it is.
    QTest::newRow("many sets, a find text only across pieces") << QByteArray("xAcmexxAcmeAcmexxxxAcme") << absent + QStringList{"Acme", "Z"};
    // "x" + "bc": the start of the first set's replace text completes the second's
    // find text, which the source lacks, wherever the pieces break.
    QTest::newRow("many sets, a replace text's start completes a later find text") << QByteArray("xaxxaaxaxxxaxa") << absent + QStringList{"a", "bc", "xb", "Y"};
    const auto utf16 = [](const QString &text, const QByteArray &mark = "\xFF\xFE") {
        QByteArray units(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
        if (mark.startsWith('\xFE'))
            for (qsizetype i = 0; i + 1 < units.size(); i += 2)
                std::swap(units[i], units[i + 1]);
        return mark + units;
    };
    QTest::newRow("UTF-16, occurrences across pieces") << utf16(QStringLiteral("xAcmeAcme-AcmAcme\u20acAcme")) << QStringList{"Acme", "Zenith"};
    QTest::newRow("UTF-16, a later set finds what an earlier one made") << utf16("ababababababab") << QStringList{"a", "bc", "cb", "X"};
    QTest::newRow("UTF-16, an odd last byte is kept") << utf16("abababababab") + '\x01' << QStringList{"b", ""};
    QTest::newRow("UTF-16, pairs beyond the BMP") << utf16(QStringLiteral("a\U0001F600b\U0001F600c\U0001F600d")) << QStringList{QStringLiteral("\U0001F600"), "-"};
    QTest::newRow("UTF-16 big-endian, an odd last byte") << utf16("abababababab", "\xFE\xFF") + '\x01' << QStringList{"a", "c"};
    QTest::newRow("UTF-16, many sets") << utf16("abababababab") << absent + QStringList{"a", "c"};
}

void TestReplaceJob::piecesGiveTheWholeResult()
{
    QFETCH(QByteArray, source);
    QFETCH(QStringList, sets);
    QList<FindReplaceSet> pairs;
    for (qsizetype j = 0; j + 1 < sets.size(); j += 2)
        pairs.append({sets[j], sets[j + 1]});
    const TempTree dir;
    const QString path = dir.write(QStringLiteral("page.htm"), source);
    const FileReport whole = replaceSets(path, pairs, besideSource());
    const QByteArray expected = readBytes(whole.resultPath);
    JobContext inPieces;
    inPieces.pieceSize = 3;
    const FileReport pieces = replaceSets(path, pairs, besideSource(), inPieces);
    QCOMPARE(pieces.status, FileReport::Status::Written);
    QCOMPARE(readBytes(pieces.resultPath), expected);
    QCOMPARE(pieces.replacements, whole.replacements);
    QCOMPARE(pieces.lostCharacters, whole.lostCharacters);
    QCOMPARE(pieces.format, whole.format);
}

void TestReplaceJob::setsInOrder()
{
    const TempTree dir;
    const QString path = dir.write(QStringLiteral("p.htm"), "<body>a b</body>");
    const FileReport report = replaceSets(path, {{"a", "b"}, {"", "z"}, {"b", "c"}}, besideSource(ReplaceMode::ViewableText));
    QCOMPARE(readBytes(report.resultPath), QByteArray("<body>c c</body>"));
    QCOMPARE(report.replacements, 3);
}

void TestReplaceJob::setsWithCharactersThePageLacks()
{
    // A later set can match what an earlier one inserted, even when the code page
    // could not hold the text in between.
    const TempTree dir;
    const QString path = dir.write(QStringLiteral("p.htm"), "a\xE9");
    const FileReport report = replaceSets(path, {{"a", QString::fromUtf16(u"ж")}, {QString::fromUtf16(u"ж"), "b"}}, besideSource());
    QCOMPARE(readBytes(report.resultPath), QByteArray("b\xE9"));
    QCOMPARE(report.lostCharacters, 0);
}

void TestReplaceJob::readFailureIsTheReadStep()
{
    const TempTree dir;
    const FileReport report = replacePair(dir.path(QStringLiteral("gone.htm")), "a", "b", besideSource());
    QCOMPARE(report.status, FileReport::Status::Failed);
    QCOMPARE(report.failedStep, JobStep::Read);
    QVERIFY(report.description.contains(QStringLiteral("gone.htm")));
}

void TestReplaceJob::writeFailureKeepsEarlierResult_data()
{
    QTest::addColumn<bool>("sets");
    QTest::newRow("pair") << false;
    QTest::newRow("sets") << true;
}

void TestReplaceJob::writeFailureKeepsEarlierResult()
{
    QFETCH(bool, sets);
    const TempTree dir;
    const QString path = dir.write(QStringLiteral("p.htm"), "abc");
    QVERIFY(QDir(dir.root()).mkdir(QStringLiteral("p_replaced.htm")));  // the result path is a folder

    const JobOptions options = besideSource();
    const QList<FindReplaceSet> setList = {{"a", "b"}};
    const FileReport report = sets ? replaceSets(path, setList, options)
                                   : replacePair(path, "a", "b", options);
    QCOMPARE(report.status, FileReport::Status::Failed);
    QCOMPARE(report.failedStep, JobStep::Write);
    QVERIFY(report.description.contains(QStringLiteral("folder")));
    QCOMPARE(QDir(dir.root()).entryList(QDir::Files | QDir::Hidden), QStringList{"p.htm"});
}

void TestReplaceJob::resultNeverReplacesItsSource_data()
{
    QTest::addColumn<QString>("outputFolder");
    QTest::addColumn<QString>("expectedName");
    QTest::newRow("same folder, same spelling") << "%1" << "p_replaced.htm";
    QTest::newRow("same folder through .") << "%1/." << "p_replaced.htm";
    QTest::newRow("same folder through ..") << "%1/sub/.." << "p_replaced.htm";
    QTest::newRow("same folder through a link") << "%1/link" << "p_replaced.htm";
    QTest::newRow("another folder") << "%1/sub" << "p.htm";
}

void TestReplaceJob::resultNeverReplacesItsSource()
{
    QFETCH(QString, outputFolder);
    QFETCH(QString, expectedName);
    const TempTree dir;
    QDir(dir.root()).mkdir(QStringLiteral("sub"));
    QVERIFY(QFile::link(dir.root(), dir.path(QStringLiteral("link"))));
    const QString path = dir.write(QStringLiteral("p.htm"), "abc");

    JobOptions options = besideSource();
    options.save = SaveOption::OutputFolder;
    options.outputFolder = outputFolder.arg(dir.root());
    const FileReport report = replacePair(path, "a", "x", options);
    QCOMPARE(report.status, FileReport::Status::Written);
    QCOMPARE(QFileInfo(report.resultPath).fileName(), expectedName);
    QCOMPARE(readBytes(path), QByteArray("abc"));
    QCOMPARE(readBytes(report.resultPath), QByteArray("xbc"));
}

void TestReplaceJob::resultNamingAnotherSourceOfTheRunFails()
{
    const TempTree dir;
    const QString first = dir.write(QStringLiteral("a/index.htm"), "new");
    const QString listed = dir.write(QStringLiteral("out/index.htm"), "listed source");

    JobOptions options = besideSource();
    options.save = SaveOption::OutputFolder;
    options.outputFolder = dir.path(QStringLiteral("out"));
    const RunSources sources(QStringList{first, listed});
    JobContext context;
    context.sources = &sources;
    const FileReport report = replacePair(first, "n", "N", options, context);
    QCOMPARE(report.status, FileReport::Status::Failed);
    QCOMPARE(report.failedStep, JobStep::Place);
    QCOMPARE(readBytes(listed), QByteArray("listed source"));
}

void TestReplaceJob::dryRunWritesNothing()
{
    const TempTree dir;
    const QString path = dir.write(QStringLiteral("p.htm"), "aaa");
    JobOptions options = besideSource();
    options.dryRun = true;
    const FileReport report = replacePair(path, "a", "b", options);
    QCOMPARE(report.replacements, 3);
    QVERIFY(report.dryRun);
    QVERIFY(!QFile::exists(report.resultPath));
}

void TestReplaceJob::fileSize2()
{
    const TempTree dir;
    const QString path = dir.write(QStringLiteral("p.htm"), "1");
    QCOMPARE(FileSize2(path), 1);
    dir.write(QStringLiteral("p.htm"), QByteArray());
    QCOMPARE(FileSize2(path), 0);
    QVERIFY(FileSize2(dir.path(QStringLiteral("missing"))) < 1);
    // Only missing and empty files are skipped: a folder goes to its job, which fails.
    QCOMPARE(FileSize2(dir.root()), 1);
    QFile big(dir.path(QStringLiteral("big.htm")));
    QVERIFY(big.open(QIODevice::WriteOnly));
    if (big.resize(3LL << 30))  // sparse; some file systems refuse
        QCOMPARE(FileSize2(big.fileName()), 3LL << 30);
}

void TestReplaceJob::sourcePath_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");  // empty: never handed to the system
    QTest::newRow("relative") << "a/page.htm" << "/w/a/page.htm" << "page.htm" << QByteArray("/w/a/page.htm");
    QTest::newRow("absolute") << "/x/page.htm" << "/x/page.htm" << "page.htm" << QByteArray("/x/page.htm");
    QTest::newRow("through ..") << "../page.htm" << "/page.htm" << "page.htm" << QByteArray("/page.htm");
    QTest::newRow("not UTF-8") << decodeFileName("/x/p\xFF.htm") << decodeFileName("/x/p\xFF.htm")
                               << decodeFileName("p\xFF.htm") << QByteArray();
}

void TestReplaceJob::sourcePath()
{
    QFETCH(QString, given);
    const SourcePath source(QStringLiteral("/w"), given);
    QTEST(source.path(), "path");
    QTEST(source.fileName().toString(), "fileName");
    QTEST(source.bytes(), "bytes");
    QCOMPARE(source.isValid(), !source.bytes().isEmpty());
}

// A name as the user gave it is made absolute before its result path is
// composed: a relative one gets its result beside it, not in the root folder.
void TestReplaceJob::relativeNameGetsItsResultBesideIt()
{
    const TempTree dir;
    dir.write(QStringLiteral("page.htm"), "abc");
    const QString working = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.root()));
    const FileReport report = replacePair(QStringLiteral("page.htm"), "a", "x", besideSource());
    QVERIFY(QDir::setCurrent(working));
    QCOMPARE(report.status, FileReport::Status::Written);
    QCOMPARE(report.resultPath, dir.path(QStringLiteral("page_replaced.htm")));
    QCOMPARE(dir.read(QStringLiteral("page_replaced.htm")), QByteArray("xbc"));
}

QTEST_GUILESS_MAIN(TestReplaceJob)
#include "tst_replace_job.moc"
