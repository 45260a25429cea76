// tessaly-cli among other programs: PATH lists from find and pipes, trees from a
// list, the JSON report, colour habits, shell completion, and the README's
// recipes with GNU parallel, jq and ssh, all as processes with odd names.
#include "cli_run.h"
#include "local_ssh.h"
#include "temp_tree.h"
#include "test_files.h"

#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

using testing::CliRun;
using testing::readBytes;
using testing::runShell;

namespace {

// The report of a --json run, one object a line.
QList<QJsonObject> jsonLines(const CliRun &run)
{
    QList<QJsonObject> objects;
    for (const QString &line : run.out.split(u'\n', Qt::SkipEmptyParts)) {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(line.toUtf8(), &error);
        if (error.error != QJsonParseError::NoError || !document.isObject())
            qWarning("not a JSON object: %s", qPrintable(line));
        objects.append(document.object());
    }
    return objects;
}

// The exact bytes of a name the report gives: base64 in NAME_bytes when the name
// is not valid UTF-8.
QByteArray nameBytes(const QJsonObject &object, const QString &key)
{
    const QJsonValue bytes = object.value(key + "_bytes");
    return bytes.isString() ? QByteArray::fromBase64(bytes.toString().toLatin1()) : object.value(key).toString().toUtf8();
}

// Bytes with NULs in them, from a literal.
template <size_t N>
QByteArray raw(const char (&text)[N])
{
    return QByteArray(text, qsizetype(N - 1));
}

// A file whose name is given as bytes (QFile would re-spell one that is not UTF-8).
bool writeRaw(const QByteArray &path, const QByteArray &content)
{
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    const bool written = fd >= 0 && ::write(fd, content.constData(), size_t(content.size())) == content.size();
    return fd >= 0 && ::close(fd) == 0 && written;
}

// Every file below `folder`: its path below it and its bytes.
QMap<QString, QByteArray> treeOf(const QString &folder)
{
    QMap<QString, QByteArray> tree;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        tree.insert(QDir(folder).relativeFilePath(path), readBytes(path));
    }
    return tree;
}

// The numbers of a summary object.
QVariantMap countsOf(const QJsonObject &summary)
{
    QVariantMap counts;
    for (auto it = summary.begin(); it != summary.end(); ++it) {
        if (it.value().isDouble())
            counts.insert(it.key(), it.value().toInteger());
    }
    return counts;
}

// The shell lines after "<!-- recipe: NAME -->" in the README (indented by four).
QString readmeRecipe(const QString &name)
{
    QFile readme(QStringLiteral(TESSALY_SOURCE_DIR "/README.md"));
    if (!readme.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = QString::fromUtf8(readme.readAll()).split(u'\n');
    const qsizetype marker = lines.indexOf(QStringLiteral("<!-- recipe: %1 -->").arg(name));
    QStringList recipe;
    for (qsizetype i = marker + 1; marker >= 0 && i < lines.size() && lines[i].startsWith(QLatin1String("    ")); ++i)
        recipe << lines[i].mid(4);
    return recipe.join(u'\n');
}

QString programFolder()
{
    return QFileInfo(testing::cliProgram()).absolutePath();
}

} // namespace

class TestCliScripts : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void filesFrom_data();
    void filesFrom();
    void keepTreeWithBase_data();
    void keepTreeWithBase();
    void jsonFileObjects_data();
    void jsonFileObjects();
    void jsonSummary_data();
    void jsonSummary();
    void colourHabits_data();
    void colourHabits();
    void bashCompletesOptions_data();
    void bashCompletesOptions();
    void readmeRecipes_data();
    void readmeRecipes();
    void commentsAsTheDocumentsSay_data();
    void commentsAsTheDocumentsSay();

private:
    QString path(const QString &name) const { return m_tree->path(name); }
    QByteArray rawPath(const QByteArray &name) const { return QFile::encodeName(m_tree->root()) + '/' + name; }
    // A file named by bytes, removed again by cleanup().
    void writeOddFile(const QByteArray &name, const QByteArray &content)
    {
        QVERIFY(writeRaw(rawPath(name), content));
        m_oddNames << rawPath(name);
    }
    // site/ with pages of awkward names in sub-folders, each holding "Acme Ltd"
    // once; one name is not UTF-8.
    void makeSite();

    std::unique_ptr<testing::TempTree> m_tree;
    QList<QByteArray> m_oddNames;
};

void TestCliScripts::init()
{
    m_tree = std::make_unique<testing::TempTree>();
}

void TestCliScripts::cleanup()
{
    for (const QByteArray &name : std::as_const(m_oddNames))
        ::unlink(name.constData());
    m_oddNames.clear();
}

void TestCliScripts::makeSite()
{
    for (const char *name : {"site/index.htm", "site/A/index.htm", "site/B b/index.htm", "site/B b/it's $x \"q\".htm",
                             "site/A/new\nline.htm", "site/A/\u00fc.htm", "site/-dash.htm"}) {
        const QString file = QString::fromUtf8(name);
        m_tree->write(file, "<body>Acme Ltd in " + QByteArray(name) + "</body>");
    }
    writeOddFile("site/caf\xe9.htm", "<body>Acme Ltd</body>");
}

void TestCliScripts::filesFrom_data()
{
    QTest::addColumn<QString>("command");      // after "$CLI --json -w -f Acme -r Zen"
    QTest::addColumn<QByteArray>("list");      // written to the file "list"
    QTest::addColumn<QList<QByteArray>>("sources");
    QTest::addColumn<QStringList>("outcomes");
    // An empty line names nothing; a folder stands for its files, as on the command line.
    const QByteArray lines = "a b.htm\n-dash.htm\n\nmissing.htm\nsub\n";
    const QList<QByteArray> fromLines{"first.htm", "a b.htm", "-dash.htm", "missing.htm", "sub/x.htm"};
    const QStringList lineOutcomes{"written", "written", "written", "skipped", "written"};
    QTest::newRow("lines, from a file") << "first.htm --files-from list" << lines << fromLines << lineOutcomes;
    QTest::newRow("lines, from standard input") << "--files-from - first.htm < list" << lines << fromLines << lineOutcomes;
    // A line feed is part of a name, a name that is not UTF-8 fails alone, the
    // last name needs no NUL after it.
    QTest::newRow("NUL-separated, from standard input")
        << "-0 --files-from - < list" << raw("a b.htm\0new\nline.htm\0caf\xe9.htm\0-dash.htm")
        << QList<QByteArray>{"a b.htm", "new\nline.htm", "caf\xe9.htm", "-dash.htm"}
        << QStringList{"written", "written", "failed", "written"};
    QTest::newRow("two lists, the second empty")
        << "--files-from list --null --files-from /dev/null" << raw("a b.htm\0first.htm\0")
        << QList<QByteArray>{"a b.htm", "first.htm"} << QStringList{"written", "written"};
}

void TestCliScripts::filesFrom()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, list);
    QFETCH(QList<QByteArray>, sources);
    QFETCH(QStringList, outcomes);
    m_tree->write("list", list);
    QVERIFY(QDir(m_tree->root()).mkdir("sub"));
    for (const char *name : {"first.htm", "a b.htm", "-dash.htm", "new\nline.htm", "sub/x.htm"})
        m_tree->write(QString::fromUtf8(name), "Acme " + QByteArray(name));
    writeOddFile("caf\xe9.htm", "Acme");
    const CliRun run = runShell("\"$CLI\" --json -w -f Acme -r Zen " + command, m_tree->root());
    CLI_EXIT(run, outcomes.contains("failed") ? 1 : 0);
    const QList<QJsonObject> report = jsonLines(run);
    CLI_VERIFY(run, report.size() == sources.size() + 1);
    for (qsizetype i = 0; i < sources.size(); ++i) {
        CLI_VERIFY(run, nameBytes(report[i], "source") == sources[i]);
        CLI_VERIFY(run, report[i]["outcome"].toString() == outcomes[i]);
        if (outcomes[i] == "written")
            QCOMPARE(readBytes(report[i]["result"].toString()), "Zen " + sources[i]);
    }
}

void TestCliScripts::keepTreeWithBase_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("prefix");  // in front of each listed name below site/
    QTest::newRow("names as find gives them") << "site" << "site/";
    QTest::newRow("absolute names, relative base") << "site/" << "DIR/site/";
    QTest::newRow("names with . and ..") << "./site/A/.." << "site/A/../";
    QTest::newRow("the base through a link") << "link" << "site/";
    QTest::newRow("the names through a link") << "site" << "link/";
}

// Listed files get the places below the output folder that the folder PATH
// site/ would give them; a listed file outside the base fails alone.
void TestCliScripts::keepTreeWithBase()
{
    QFETCH(QString, base);
    QFETCH(QString, prefix);
    const QStringList below{"index.htm", "A/index.htm", "B b/index.htm", "A/new\nline.htm"};
    for (const QString &name : below) {
        m_tree->write("site/" + name, "Acme " + name.toUtf8());
    }
    m_tree->write("elsewhere.htm", "Acme");
    QVERIFY(QFile::link("site", path("link")));
    QDir(m_tree->root()).mkdir("out");
    QByteArray list;
    prefix.replace("DIR", m_tree->root());
    for (const QString &name : below)
        list += (prefix + name).toUtf8() + '\0';
    m_tree->write("list", list + "elsewhere.htm");
    const CliRun run = testing::runCliProcess(
        {"-w", "-f", "Acme", "-r", "Zen", "--keep-tree", "--base", base, "-o", "out", "--files-from", "list", "-0"},
        m_tree->root());
    CLI_EXIT(run, 1);
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    CLI_VERIFY(run, lines.size() == below.size() + 1);
    const QString shownBase = m_tree->root() + (base == "link" ? "/link" : "/site");
    CLI_VERIFY(run, lines.last() == "elsewhere.htm: failed (not below the --base folder " + shownBase + ")");
    for (const QString &name : below)
        QCOMPARE(readBytes(path("out/" + name)), "Zen " + name.toUtf8());
    QCOMPARE(treeOf(path("out")).size(), below.size());
}

void TestCliScripts::jsonFileObjects_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("expected");  // the object's members besides "type" and "source"
    const QByteArray page = "<body>caf\xe9 Acme</body>";
    QTest::newRow("written, a character the code page lacks")
        << page << QStringList{"-r", "Zen \u2713"}
        << R"({"result":"RESULT","outcome":"written","reason":null,"replacements":1,"encoding_read":"windows-1252",
               "encoding_written":"windows-1252","written_as_question_mark":1,"invalid_characters":0})";
    QTest::newRow("dry run")
        << page << QStringList{"-n"}
        << R"({"result":"RESULT","outcome":"would_be_written","reason":null,"replacements":1,
               "encoding_read":"windows-1252","encoding_written":"windows-1252","written_as_question_mark":0,
               "invalid_characters":0})";
    QTest::newRow("UTF-16 big-endian in, UTF-16 little-endian out")
        << QByteArray("\xFE\xFF\0A\0c\0m\0e", 10) << QStringList{"-w"}
        << R"({"result":"RESULT","outcome":"written","reason":null,"replacements":1,"encoding_read":"UTF-16BE",
               "encoding_written":"UTF-16LE","written_as_question_mark":0,"invalid_characters":0})";
    QTest::newRow("UTF-8 with BOM")
        << QByteArray("\xEF\xBB\xBF<body>\xC3\xBC Acme</body>") << QStringList()
        << R"({"result":"RESULT","outcome":"written","reason":null,"replacements":1,"encoding_read":"UTF-8 with BOM",
               "encoding_written":"UTF-8 with BOM","written_as_question_mark":0,"invalid_characters":0})";
    QTest::newRow("skipped") << QByteArray() << QStringList()
                             << R"({"result":null,"outcome":"skipped","reason":"empty","replacements":0,
                                   "encoding_read":null,"encoding_written":null,"written_as_question_mark":0,
                                   "invalid_characters":0})";
}

// One file whose name holds a space, a quote, a backslash, a line feed and ESC.
void TestCliScripts::jsonFileObjects()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, options);
    QFETCH(QString, expected);
    const QString name = QStringLiteral("a \"b\"\\\n\x1b.htm");
    m_tree->write(name, content);
    const CliRun run = testing::runCliProcess(QStringList{"--json", "--code-page", "1252", "-f", "Acme"} + options
                                                  + QStringList{name}, m_tree->root());
    CLI_EXIT(run, 0);
    CLI_VERIFY(run, !run.out.contains(QChar(0x1b)) && run.out.count(u'\n') == 2 && run.err.isEmpty());
    const QList<QJsonObject> report = jsonLines(run);
    QJsonObject object = report.value(0);
    QCOMPARE(object.take("type").toString(), QStringLiteral("file"));
    QCOMPARE(object.take("source").toString(), name);
    QJsonObject wanted = QJsonDocument::fromJson(expected.toUtf8()).object();
    if (wanted["result"] == "RESULT")
        wanted["result"] = path(QStringLiteral("a \"b\"\\\n\x1b_replaced.htm"));
    QCOMPARE(QJsonDocument(object).toJson(QJsonDocument::Compact), QJsonDocument(wanted).toJson(QJsonDocument::Compact));
    CLI_VERIFY(run, report.value(1)["type"].toString() == "summary");
}

void TestCliScripts::jsonSummary_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("stopSignal");  // 0: the run is not stopped
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("fileLines");
    QTest::addColumn<QString>("expected");
    QTest::newRow("every outcome")
        << QStringList() << 0 << 1 << 4
        << R"({"type":"summary","files":4,"written":1,"skipped":2,"failed":1,"replacements":2,
               "written_as_question_mark":0,"invalid_characters":0,"not_processed":0,"dry_run":false,
               "code_page":"windows-1252","interrupted_by":null})";
    QTest::newRow("dry run, quiet")
        << QStringList{"-n", "-q"} << 0 << 1 << 0
        << R"({"type":"summary","files":4,"written":1,"skipped":2,"failed":1,"replacements":2,
               "written_as_question_mark":0,"invalid_characters":0,"not_processed":0,"dry_run":true,
               "code_page":"windows-1252","interrupted_by":null})";
    QTest::newRow("stopped before the first file")
        << QStringList() << SIGTERM << 128 + SIGTERM << 0
        << R"({"type":"summary","files":4,"written":0,"skipped":0,"failed":0,"replacements":0,
               "written_as_question_mark":0,"invalid_characters":0,"not_processed":4,"dry_run":false,
               "code_page":"windows-1252","interrupted_by":"SIGTERM"})";
}

// a.htm is written, b.htm fails (its result's place is a folder), two are skipped.
void TestCliScripts::jsonSummary()
{
    QFETCH(QStringList, options);
    QFETCH(int, stopSignal);
    QFETCH(int, exitCode);
    QFETCH(int, fileLines);
    QFETCH(QString, expected);
    m_tree->write("a.htm", "<body>Acme Acme</body>");
    m_tree->write("b.htm", "<body>Acme</body>");
    m_tree->write("empty.htm", "");
    QDir(m_tree->root()).mkdir("b_replaced.htm");
    tessaly::StopToken stop;
    if (stopSignal != 0)
        stop.requestStop(stopSignal);
    const CliRun run = testing::runCli(QStringList{"--json", "--code-page", "1252", "-f", "Acme", "-r", "Zen"} + options
                                           + QStringList{"a.htm", "b.htm", "empty.htm", "missing.htm"},
                                       m_tree->root(), {}, &stop);
    CLI_EXIT(run, exitCode);
    const QList<QJsonObject> report = jsonLines(run);
    CLI_VERIFY(run, report.size() == fileLines + 1 && run.err.isEmpty());
    QCOMPARE(QJsonDocument(report.last()).toJson(QJsonDocument::Compact),
             QJsonDocument::fromJson(expected.toUtf8()).toJson(QJsonDocument::Compact));
}

void TestCliScripts::colourHabits_data()
{
    QTest::addColumn<QString>("environment");  // NAME=VALUE words for env(1)
    QTest::addColumn<QString>("colour");       // --color as given; "" for none
    QTest::addColumn<bool>("terminal");        // standard output is a terminal
    QTest::addColumn<bool>("ansi");
    QTest::newRow("auto, a terminal") << "TERM=xterm" << "" << true << true;
    QTest::newRow("auto, not a terminal") << "TERM=xterm" << "" << false << false;
    QTest::newRow("auto, NO_COLOR set") << "TERM=xterm NO_COLOR=1" << "" << true << false;
    QTest::newRow("auto, NO_COLOR empty") << "TERM=xterm NO_COLOR=" << "" << true << false;
    QTest::newRow("auto, TERM=dumb") << "TERM=dumb" << "--color=auto" << true << false;
    QTest::newRow("bare --color before a PATH, NO_COLOR set") << "NO_COLOR=1" << "--color" << false << true;
    QTest::newRow("--color=never, a terminal") << "TERM=xterm" << "--color=never" << true << false;
}

// A terminal is script(1)'s: the program's standard output and error are its.
void TestCliScripts::colourHabits()
{
    QFETCH(QString, environment);
    QFETCH(QString, colour);
    QFETCH(bool, terminal);
    QFETCH(bool, ansi);
    m_tree->write("a.htm", "<body>Acme</body>\n");
    const QString command = "\"$CLI\" -n --diff -f Acme -r Zen " + colour + " a.htm";
    const QString shell = terminal ? "script -qec '" + command + "' /dev/null" : command;
    const CliRun run = runShell("env -u NO_COLOR -u TERM " + environment + " " + shell, m_tree->root());
    CLI_EXIT(run, 0);
    CLI_VERIFY(run, run.out.contains("+<body>"));
    CLI_VERIFY(run, run.out.contains("\x1b[32m+<body>") == ansi);
}

void TestCliScripts::bashCompletesOptions_data()
{
    QTest::addColumn<QString>("typed");  // after "tessaly-cli "
    QTest::addColumn<QStringList>("completions");
    QTest::newRow("--fi") << "--fi" << QStringList{"--files-from", "--find"};
    QTest::newRow("--color=al") << "-n --diff --color=al" << QStringList{"always"};
}

// bash-completion loads the file from where the install puts it (the share
// folder of the prefix, as /usr/share of the Debian package) and completes what
// was typed, split into words as bash splits it ("=" is a word of its own).
void TestCliScripts::bashCompletesOptions()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, completions);
    const QString loader = QStringLiteral("/usr/share/bash-completion/bash_completion");
    QVERIFY2(QFileInfo::exists(loader), "bash-completion is missing (scripts/setup installs it)");
    QProcess install;
    install.start(QStringLiteral(TESSALY_CMAKE_COMMAND), {"-DCMAKE_INSTALL_PREFIX=" + path("usr"), "-P",
                                                         QStringLiteral(TESSALY_BUILD_DIR "/assets/cmake_install.cmake")});
    QVERIFY(install.waitForFinished(60000) && install.exitCode() == 0);
    const CliRun run = runShell(R"(source "$LOADER" || exit 1
        _completion_loader tessaly-cli
        function=$(complete -p tessaly-cli | sed -n 's/.* -F \([^ ]*\) .*/\1/p')
        COMP_LINE="tessaly-cli $TYPED"; COMP_POINT=${#COMP_LINE}
        read -ra COMP_WORDS <<<"${COMP_LINE//=/ = }"; COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        "$function" tessaly-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf '%s\n' "${COMPREPLY[@]}" | sort)",
                                m_tree->root(),
                                {"LOADER=" + loader, "TYPED=" + typed, "XDG_DATA_DIRS=" + path("usr/share"),
                                 "BASH_COMPLETION_USER_DIR=" + path("none")});
    CLI_EXIT(run, 0);
    QCOMPARE(run.out.split(u'\n', Qt::SkipEmptyParts), completions);
}

void TestCliScripts::readmeRecipes_data()
{
    QTest::addColumn<QString>("recipe");
    QTest::addColumn<int>("parts");  // JSON summaries in report.jsonl; 0: no JSON report
    QTest::newRow("find") << "find" << 0;
    QTest::newRow("GNU parallel, two processes") << "parallel" << 2;
    QTest::newRow("GNU parallel over ssh") << "ssh" << 2;
}

// Each recipe against one run of the same list: the same results, byte for byte,
// and the merged counts of its parts those of the one run.
void TestCliScripts::readmeRecipes()
{
    QFETCH(QString, recipe);
    QFETCH(int, parts);
    const QString script = readmeRecipe(recipe);
    QVERIFY2(script.contains("tessaly-cli"), qPrintable("no recipe \"" + recipe + "\" in README.md"));
    makeSite();
    const CliRun one = runShell("mkdir one && find site -name '*.htm' -print0 | \"$CLI\" --json --files-from - -0"
                                " --keep-tree --base site -o one -f 'Acme Ltd' -r 'Acme GmbH'",
                                m_tree->root());
    CLI_EXIT(one, 1);  // the name that is not UTF-8
    const QMap<QString, QByteArray> results = treeOf(path("one"));
    QCOMPARE(results.size(), 7);
    QCOMPARE(results.value("B b/it's $x \"q\".htm"), QByteArray("<body>Acme GmbH in site/B b/it's $x \"q\".htm</body>"));

    // The recipes run tessaly-cli from the PATH, as installed; GNU parallel keeps
    // its files in a home of the test's own.
    QVERIFY(QDir(m_tree->root()).mkdir("home"));
    QStringList environment{"PATH=" + programFolder() + ":" + qEnvironmentVariable("PATH"), "HOME=" + path("home")};
    std::unique_ptr<testing::LocalSshServer> server;
    if (recipe == "ssh") {
        server = std::make_unique<testing::LocalSshServer>(programFolder() + ":/usr/local/bin:/usr/bin:/bin");
        QVERIFY2(server->failure().isEmpty(), qPrintable(server->failure()));
        // Small blocks, so that the list of a few names is split over both processes.
        environment << "PARALLEL_SSH=" + server->sshCommand() << "PARALLEL=--block 150";
    }
    const CliRun run = runShell(script, m_tree->root(), environment);
    CLI_VERIFY(run, treeOf(path("out")) == results);
    if (parts == 0)
        return;
    CLI_EXIT(run, 0);
    const QByteArray report = readBytes(path("report.jsonl"));
    CLI_VERIFY(run, report.count("\"type\":\"summary\"") == parts);
    const QJsonObject merged = QJsonDocument::fromJson(run.out.toUtf8()).object();
    CLI_VERIFY(run, countsOf(merged) == countsOf(jsonLines(one).last()));
    CLI_VERIFY(run, merged["files"].toInt() == 8 && merged["failed"].toInt() == 1);
}

// Viewable-text mode and comments, as README.md and the manual pages tell it:
// a comment keeps its text up to a ">" in it, and the sample page shows both.
void TestCliScripts::commentsAsTheDocumentsSay_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QList<QByteArray>>("inResult");
    QTest::newRow("<!-- a --> keeps its a") << QByteArray("<body><!-- a --></body>")
                                            << QList<QByteArray>{"<body><!-- a --></body>"};
    QTest::newRow("the a after > in a comment changes") << QByteArray("<body><!-- x > a --></body>")
                                                        << QList<QByteArray>{"<body><!-- x > b --></body>"};
    QTest::newRow("the sample about.html")
        << readBytes(TESSALY_SOURCE_DIR "/assets/Samples/about.html")
        << QList<QByteArray>{"<title>About Harbour Lane Bakery</title>", "<!-- A photo of the stone mill can go here later -->",
                             "<!-- Photo size: width > 240 px mbkes b pbge too wide for b smbll phone -->",
                             "var label = \"Baking for \""};
}

void TestCliScripts::commentsAsTheDocumentsSay()
{
    QFETCH(QByteArray, page);
    QFETCH(QList<QByteArray>, inResult);
    m_tree->write("page.htm", page);
    const CliRun run = testing::runCliProcess({"-f", "a", "-r", "b", "page.htm"}, m_tree->root());
    CLI_EXIT(run, 0);
    const QByteArray result = readBytes(path("page_replaced.htm"));
    for (const QByteArray &part : inResult)
        QVERIFY2(result.contains(part), part.constData());
}

QTEST_GUILESS_MAIN(TestCliScripts)
#include "tst_cli_scripts.moc"
