// The settings store: text values in one section, defaults as text, and the
// text-to-Boolean conversion start-up relies on.
#include "base/settings_store.h"
#include "base/tessaly_error.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using tessaly::SettingsStore;
using tessaly::TessalyError;
namespace settings = tessaly::settings;

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
    }

    void missingKeyGivesDefaultAsText()
    {
        SettingsStore store(file());
        QCOMPARE(store.ReadSetting("Option1", 1), QStringLiteral("1"));
        QCOMPARE(store.ReadSetting("Option2", 0), QStringLiteral("0"));
        QCOMPARE(store.ReadSetting("Snapshot", false), QStringLiteral("False"));
        QCOMPARE(store.ReadSetting("Extension", "htm"), QStringLiteral("htm"));
        QCOMPARE(store.ReadSetting("LastFolderDot", ""), QString());
    }

    void presentEmptyValueIsNotTheDefault()
    {
        SettingsStore store(file());
        store.WriteSetting("Output Folder", "");
        QCOMPARE(store.ReadSetting("Output Folder", "/home/x/Desktop/"), QString());
    }

    void valuesSurviveAndStayText()
    {
        {
            SettingsStore store(file());
            store.WriteSetting("Option1", SettingsStore::booleanText(false));
            store.WriteSetting("TabSel", QString::number(1));
            store.WriteSetting("Output Folder", "C:\\Out Put\\, \"x\"");
        }
        SettingsStore again(file());
        QCOMPARE(again.ReadSetting("Option1", 1), QStringLiteral("False"));
        QCOMPARE(again.ReadSetting("TabSel", 0), QStringLiteral("1"));
        QCOMPARE(again.ReadSetting("Output Folder", ""), QStringLiteral("C:\\Out Put\\, \"x\""));

        // Application and section as other tools see them.
        QSettings raw(file(), QSettings::IniFormat);
        QCOMPARE(raw.value("Tessaly Software/Option1").toString(), QStringLiteral("False"));
        QCOMPARE(raw.childGroups(), QStringList{"Tessaly Software"});
    }

    void typedKeysReadTheirDefaultsAndStoreText()
    {
        SettingsStore store(file());
        QCOMPARE(store.read(settings::viewableTextMode), true);
        QCOMPARE(store.read(settings::selectedTab), 0);
        QCOMPARE(store.read(settings::scanExtension), QStringLiteral("htm"));
        QCOMPARE(store.read(settings::outputFolder, QStringLiteral("/home/x/Desktop/")), QStringLiteral("/home/x/Desktop/"));
        store.write(settings::saveToOutputFolder, false);
        store.write(settings::selectedTab, 1);
        QCOMPARE(store.ReadSetting("Option4", 1), QStringLiteral("False"));
        QCOMPARE(store.ReadSetting("TabSel", 0), QStringLiteral("1"));
        store.WriteSetting("TabSel", "one");
        store.WriteSetting("Option1", "yes");
        QVERIFY_THROWS_EXCEPTION(TessalyError, store.read(settings::selectedTab));
        QVERIFY_THROWS_EXCEPTION(TessalyError, store.read(settings::viewableTextMode));
    }

    void lastWriteWins()
    {
        SettingsStore first(file());
        SettingsStore second(file());
        first.WriteSetting("Extension", "txt");
        second.WriteSetting("Extension", "html");
        QCOMPARE(first.ReadSetting("Extension", "htm"), QStringLiteral("html"));
    }

    void toBoolean_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<bool>("expected");
        QTest::newRow("True") << "True" << true << true;
        QTest::newRow("false lower case") << "false" << true << false;
        QTest::newRow("TRUE upper case") << "TRUE" << true << true;
        QTest::newRow("one") << "1" << true << true;
        QTest::newRow("zero") << "0" << true << false;
        QTest::newRow("minus one") << "-1" << true << true;
        QTest::newRow("decimal fraction") << "0.5" << true << true;
        QTest::newRow("zero with spaces") << " 0 " << true << false;
        QTest::newRow("word") << "maybe" << false << false;
        QTest::newRow("yes is no Boolean") << "yes" << false << false;
        QTest::newRow("empty") << "" << false << false;
    }
    void toBoolean()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(bool, expected);
        if (!valid) {
            QVERIFY_THROWS_EXCEPTION(tessaly::TessalyError, SettingsStore::toBoolean(text));
            return;
        }
        QCOMPARE(SettingsStore::toBoolean(text), expected);
    }

private:
    QString file() const { return m_dir->filePath("settings.ini"); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
