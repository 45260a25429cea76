// The sample files: scrambling of the recorded list, recording the samples
// folder, and adding the recorded files to the file list.
#include "base/settings_store.h"
#include "fake_platform.h"
#include "filelist/file_list_model.h"
#include "filelist/samples.h"
#include "temp_tree.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace tessaly;
using testing::FakePlatform;

namespace {

CodePage westernPage()
{
    return *CodePage::byName(QStringLiteral("1252"));
}

ScrambleOptions western()
{
    return ScrambleOptions{westernPage()};
}

QString fromCodes(const QList<int> &codes)
{
    QByteArray bytes;
    for (int code : codes)
        bytes.append(char(code));
    return westernPage().decode(bytes);
}

QList<int> codesOf(const QString &text)
{
    QList<int> codes;
    for (char byte : westernPage().encode(text))
        codes.append(quint8(byte));
    return codes;
}

} // namespace

class TestSamples : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init()
    {
        m_tree.reset(new testing::TempTree);
        m_store.reset(new SettingsStore(m_tree->path("settings.ini")));
        m_program = m_tree->path("program");
        QVERIFY(QDir().mkpath(m_program + "/Samples"));
    }

    void scrambledCodes_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QList<int>>("plain");
        QTest::addColumn<QList<int>>("scrambled");
        // "q" is 113, "u" 117.
        QTest::newRow("plain sum") << "qu" << QList<int>{65, 66} << QList<int>{178, 183};
        QTest::newRow("sum of exactly 255 stays") << "q" << QList<int>{142} << QList<int>{255};
        QTest::newRow("sum of 256 wraps to 1") << "q" << QList<int>{143} << QList<int>{1};
        QTest::newRow("largest sum wraps by 255") << "q" << QList<int>{255} << QList<int>{113};
        QTest::newRow("smallest code") << "q" << QList<int>{1} << QList<int>{114};
        QTest::newRow("key starts over after its last letter") << "qu" << QList<int>{1, 1, 1} << QList<int>{114, 118, 114};
        QTest::newRow("empty text") << "quillfen" << QList<int>{} << QList<int>{};
    }
    void scrambledCodes()
    {
        QFETCH(QString, key);
        QFETCH(QList<int>, plain);
        QFETCH(QList<int>, scrambled);
        const QString text = fromCodes(plain);
        const QString result = ScrambleText(text, key, western());
        QCOMPARE(codesOf(result), scrambled);
        QCOMPARE(result.size(), text.size());
        QCOMPARE(UnscrambleText(result, key, western()), text);
    }

    void everyCodeComesBack_data()
    {
        QTest::addColumn<int>("keyShift"); // which key letter meets the first code
        for (int shift = 0; shift < 8; ++shift)
            QTest::newRow(qPrintable(QStringLiteral("key position %1").arg(shift + 1))) << shift;
    }
    void everyCodeComesBack()
    {
        QFETCH(int, keyShift);
        QList<int> codes(keyShift, int('x'));
        for (int code = 1; code <= 255; ++code)
            codes.append(code);
        const QString text = fromCodes(codes);
        const QString scrambled = ScrambleText(text, scramblingKey(), western());
        QCOMPARE(scrambled.size(), text.size());
        QVERIFY(scrambled != text);
        QCOMPARE(UnscrambleText(scrambled, scramblingKey(), western()), text);
    }

    void charactersOutsideThePageCountAsQuestionMarks()
    {
        const QString text = QStringLiteral("a\u0416b"); // a Cyrillic letter 1252 cannot hold
        const QString back = UnscrambleText(ScrambleText(text, scramblingKey(), western()), scramblingKey(), western());
        QCOMPARE(back, QStringLiteral("a?b"));
    }

    void longTextsHaveNoLengthLimit()
    {
        const QString text = QString(40000, u'x') + QStringLiteral("|end");
        const QString scrambled = ScrambleText(text, scramblingKey(), western());
        QCOMPARE(scrambled.size(), text.size());
        QCOMPARE(UnscrambleText(scrambled, scramblingKey(), western()), text);
    }

    void sampleListText_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("list");
        QTest::newRow("two samples") << "C:\\Tool" << "\\" << QStringList{"a.htm", "b.htm"}
                                     << "C:\\Tool\\Samples\\a.htm|C:\\Tool\\Samples\\b.htm";
        QTest::newRow("one sample, no bar") << "/opt/t" << "/" << QStringList{"x.html"} << "/opt/t/Samples/x.html";
        QTest::newRow("no samples") << "/opt/t" << "/" << QStringList{} << "";
    }
    void sampleListText()
    {
        QFETCH(QString, folder);
        QFETCH(QString, separator);
        QFETCH(QStringList, names);
        QFETCH(QString, list);
        QCOMPARE(tessaly::sampleListText(folder, names, separator.at(0)), list);
    }

    void snapshotRecordsOpenableFilesOnly()
    {
        const QString samples = m_program + "/Samples/";
        for (const char *name : {"b.htm", "A.htm", ".hidden.htm", "sub/c.htm"})
            m_tree->write(QStringLiteral("program/Samples/") + name, "x");
        QVERIFY(QFile::link(samples + "missing-target.htm", samples + "dangling.htm"));

        SaveSampleSnapshot(*m_store, m_program, western());
        const QString stored = m_store->ReadSetting("Snapshot", "unset");
        const QString expected = samples + ".hidden.htm|" + samples + "A.htm|" + samples + "b.htm";
        QVERIFY(stored != expected); // kept scrambled
        QCOMPARE(UnscrambleText(stored, scramblingKey(), western()), expected);
    }

    void snapshotReadsBackFromAnotherStore()
    {
        m_tree->write("program/Samples/caf\u00e9.htm", "x");
        SaveSampleSnapshot(*m_store, m_program);
        m_store.reset(new SettingsStore(m_tree->path("settings.ini")));
        FileListModel list;
        FakePlatform platform;
        LoadSampleFiles(list, *m_store, platform, m_program);
        QCOMPARE(list.rows(), QStringList{m_program + "/Samples/caf\u00e9.htm"});
    }

    void emptyOrMissingSamplesFolderRecordsNothing_data()
    {
        QTest::addColumn<bool>("removeFolder");
        QTest::newRow("empty folder") << false;
        QTest::newRow("missing folder") << true;
    }
    void emptyOrMissingSamplesFolderRecordsNothing()
    {
        QFETCH(bool, removeFolder);
        if (removeFolder)
            QVERIFY(QDir(m_program + "/Samples").removeRecursively());
        m_store->WriteSetting("Snapshot", "old");
        SaveSampleSnapshot(*m_store, m_program, western());
        QCOMPARE(m_store->ReadSetting("Snapshot", "unset"), QString());
    }

    void loadingTwiceAddsEachFileOnce()
    {
        const QStringList samples = writeSamples({"a.htm", "b.htm"});
        SaveSampleSnapshot(*m_store, m_program);
        FileListModel list;
        FakePlatform platform;
        LoadSampleFiles(list, *m_store, platform, m_program);
        LoadSampleFiles(list, *m_store, platform, m_program);
        QCOMPARE(list.rows(), samples);
        QCOMPARE(platform.textsOf("askYesNo"), QStringList(2, openSamplesFolderQuestion()));
    }

    void deletedSampleIsSkipped()
    {
        const QStringList samples = writeSamples({"a.htm", "b.htm", "c.htm"});
        SaveSampleSnapshot(*m_store, m_program);
        QVERIFY(QFile::remove(samples.at(1)));
        FileListModel list;
        FakePlatform platform;
        LoadSampleFiles(list, *m_store, platform, m_program);
        QCOMPARE(list.rows(), (QStringList{samples.at(0), samples.at(2)}));
    }

    void newSampleAfterRecordingIsNotSeen()
    {
        const QStringList samples = writeSamples({"a.htm"});
        SaveSampleSnapshot(*m_store, m_program);
        writeSamples({"later.htm"});
        FileListModel list;
        FakePlatform platform;
        LoadSampleFiles(list, *m_store, platform, m_program);
        QCOMPARE(list.rows(), samples);
    }

    void listedRowsStayAndOthersAreAppended()
    {
        const QStringList samples = writeSamples({"a.htm", "b.htm"});
        SaveSampleSnapshot(*m_store, m_program);
        FileListModel list;
        list.append("/elsewhere/page.htm");
        list.append(samples.at(1));
        list.append(samples.at(1).toUpper()); // another spelling is another path
        FakePlatform platform;
        LoadSampleFiles(list, *m_store, platform, m_program);
        QCOMPARE(list.rows(),
                 (QStringList{"/elsewhere/page.htm", samples.at(1), samples.at(1).toUpper(), samples.at(0)}));
    }

    void missingSnapshotAddsNothingButAsks()
    {
        writeSamples({"a.htm"});
        FileListModel list;
        FakePlatform platform;
        LoadSampleFiles(list, *m_store, platform, m_program);
        QCOMPARE(list.count(), 0);
        QCOMPARE(platform.kinds(), QStringList{"askYesNo"});
    }

    void openingTheSamplesFolder_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("yes opens the folder") << true;
        QTest::newRow("no opens nothing") << false;
    }
    void openingTheSamplesFolder()
    {
        QFETCH(bool, answer);
        writeSamples({"a.htm"});
        SaveSampleSnapshot(*m_store, m_program);
        FileListModel list;
        FakePlatform platform;
        platform.yesNoAnswers.enqueue(answer);
        LoadSampleFiles(list, *m_store, platform, m_program);
        QCOMPARE(platform.textsOf("openFolder"),
                 answer ? QStringList{m_program + "/Samples/"} : QStringList{});
    }

    void listContainsPath_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("contains");
        QTest::newRow("empty list") << QStringList{} << "/a.htm" << false;
        QTest::newRow("last row") << QStringList{"/x.htm", "/a.htm"} << "/a.htm" << true;
        QTest::newRow("letter case counts") << QStringList{"/A.htm"} << "/a.htm" << false;
        QTest::newRow("no partial match") << QStringList{"/a.html"} << "/a.htm" << false;
    }
    void listContainsPath()
    {
        QFETCH(QStringList, rows);
        QFETCH(QString, path);
        QFETCH(bool, contains);
        FileListModel list;
        list.appendAll(rows);
        QCOMPARE(ListContainsPath(list, path), contains);
    }

private:
    QStringList writeSamples(const QStringList &names)
    {
        QStringList paths;
        for (const QString &name : names)
            paths << m_tree->write("program/Samples/" + name, "<p>a</p>");
        return paths;
    }

    std::unique_ptr<testing::TempTree> m_tree;
    std::unique_ptr<SettingsStore> m_store;
    QString m_program;
};

QTEST_GUILESS_MAIN(TestSamples)
#include "tst_samples.moc"
