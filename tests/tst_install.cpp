// The installed application: cmake --install into a temporary prefix gives one
// program folder with the programs and their companion files, commands on the
// PATH that start from there, the menu entry, the icon, the manual page and the
// shell completions.
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestInstall : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_prefix.isValid());
        QProcess install;
        install.start(QStringLiteral(TESSALY_CMAKE_COMMAND),
                      {"--install", QStringLiteral(TESSALY_BUILD_DIR), "--prefix", m_prefix.path()});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0,
                 install.readAllStandardError().constData());
    }

    void installedFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("window program") << "lib/tessaly/tessaly";
        QTest::newRow("command-line program") << "lib/tessaly/tessaly-cli";
        QTest::newRow("hand pointer") << "lib/tessaly/HAND-M.CUR";
        QTest::newRow("row-drag pointer") << "lib/tessaly/drag.ico";
        QTest::newRow("window icon") << "lib/tessaly/tessaly.png";
        QTest::newRow("UTF-8 sample") << "lib/tessaly/Samples/news-utf8.htm";
        QTest::newRow("UTF-16 sample") << "lib/tessaly/Samples/recipes-utf16.htm";
        QTest::newRow("menu entry") << "share/applications/tessaly.desktop";
        QTest::newRow("scalable icon") << "share/icons/hicolor/scalable/apps/tessaly.svg";
        QTest::newRow("48 pixel icon") << "share/icons/hicolor/48x48/apps/tessaly.png";
        QTest::newRow("manual page") << "share/man/man1/tessaly-cli.1";
        QTest::newRow("bash completion") << "share/bash-completion/completions/tessaly-cli";
        QTest::newRow("zsh completion") << "share/zsh/vendor-completions/_tessaly-cli";
        QTest::newRow("fish completion") << "share/fish/vendor_completions.d/tessaly-cli.fish";
    }
    void installedFiles()
    {
        QFETCH(QString, path);
        QVERIFY2(QFileInfo(m_prefix.filePath(path)).isFile(), qPrintable(path));
    }

    void commandsLeadIntoTheProgramFolder_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("tessaly") << "tessaly";
        QTest::newRow("tessaly-cli") << "tessaly-cli";
    }
    void commandsLeadIntoTheProgramFolder()
    {
        QFETCH(QString, command);
        const QFileInfo link(m_prefix.filePath("bin/" + command));
        QVERIFY(link.isSymLink());
        QCOMPARE(link.canonicalFilePath(), QFileInfo(m_prefix.filePath("lib/tessaly/" + command)).canonicalFilePath());
    }

    void installedCommandStarts()
    {
        QProcess cli;
        cli.start(m_prefix.filePath("bin/tessaly-cli"), {"--version"});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(cli.readAllStandardOutput()).trimmed(),
                 QStringLiteral("tessaly-cli " TESSALY_VERSION));
    }

    void installedCommandReplacesInTheSamples()
    {
        // A dry run over the installed samples: every page is read, nothing written.
        const QDir samples(m_prefix.filePath("lib/tessaly/Samples"));
        const QStringList names = samples.entryList(QDir::Files, QDir::Name);
        QVERIFY(names.size() >= 6);
        QStringList paths;
        for (const QString &name : names)
            paths << samples.filePath(name);
        QProcess cli;
        cli.start(m_prefix.filePath("bin/tessaly-cli"), QStringList{"-n", "-j", "1", "-f", "a", "-r", "b"} + paths);
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 0);
        const QStringList lines = QString::fromUtf8(cli.readAllStandardOutput())
                                      .split('\n', Qt::SkipEmptyParts)
                                      .filter(QStringLiteral(" -> "));
        QCOMPARE(lines.size(), paths.size());
        for (const QString &line : lines)
            QVERIFY2(!line.contains("(0 replacements"), qPrintable(line));
        QCOMPARE(samples.entryList(QDir::Files).size(), names.size());
    }

    void menuEntryStartsTheInstalledCommand()
    {
        QFile entry(m_prefix.filePath("share/applications/tessaly.desktop"));
        QVERIFY(entry.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromUtf8(entry.readAll()).split('\n');
        QVERIFY(lines.contains("Exec=tessaly %F"));
        QVERIFY(lines.contains("MimeType=text/html;application/xhtml+xml;"));
        QVERIFY(lines.contains("Icon=tessaly"));
        QVERIFY(QFileInfo(m_prefix.filePath("bin/tessaly")).isExecutable());
    }

private:
    QTemporaryDir m_prefix;
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
