#include "cli/command_line.h"

#include "base/paths.h"
#include "cli/usage_text.h"

#include <QCommandLineParser>
#include <QThread>

#include <algorithm>
#include <optional>

namespace tessaly::cli {

namespace {

// Each job holds a few descriptors and a file's text; more jobs than this gain
// nothing and only move a run towards the system's limits.
constexpr int kMostJobs = 256;

// Every option; one with a value name takes a value. The help text describes them.
QList<QCommandLineOption> allOptions()
{
    using Option = QCommandLineOption;
    return {
        Option({"f", "find"}, {}, "TEXT"),
        Option({"r", "replace"}, {}, "TEXT"),
        Option({"s", "sets"}, {}, "FILE"),
        Option("separator", {}, "SEP", "::"),
        Option({"w", "whole-file"}, {}),
        Option({"o", "output-dir"}, {}, "DIR"),
        Option({"e", "extension"}, {}, "EXT", "htm"),
        Option({"n", "dry-run"}, {}),
        Option({"j", "jobs"}, {}, "N"),
        Option("code-page", {}, "NAME"),
        Option({"q", "quiet"}, {}),
        Option("diff", {}),
        Option({"U", "unified"}, {}, "N"),
        Option("color", {}, "WHEN"),
        Option("keep-tree", {}),
        Option("base", {}, "BASE"),
        Option("files-from", {}, "FILE"),
        Option(QStringList{"0", "null"}, {}),
        Option("json", {}),
        Option({"h", "help"}, {}),
        Option("version", {}),
    };
}

// QCommandLineParser has no option whose value may be left out: a bare --color
// becomes --color=always before parsing. The arguments are walked as the
// parser walks them, so an option's value that reads "--color" stays a value.
QStringList withBareColorAsAlways(const QStringList &arguments, const QList<QCommandLineOption> &options)
{
    QStringList valued;
    for (const QCommandLineOption &option : options) {
        if (!option.valueName().isEmpty())
            valued += option.names();
    }
    QStringList result = arguments;
    for (qsizetype i = 1; i < result.size(); ++i) {
        const QString &argument = result.at(i);
        if (argument == QLatin1String("--"))
            break;
        if (argument == QLatin1String("--color")) {
            result[i] = QStringLiteral("--color=always");
        } else if (argument.startsWith(QLatin1String("--"))) {
            if (!argument.contains(u'=') && valued.contains(argument.mid(2)))
                ++i;
        } else if (argument.startsWith(u'-')) {
            // Short options run together: the first that takes a value takes the
            // rest of the argument, or the next argument when nothing is left.
            for (qsizetype j = 1; j < argument.size(); ++j) {
                if (valued.contains(argument.at(j))) {
                    if (j == argument.size() - 1)
                        ++i;
                    break;
                }
            }
        }
    }
    return result;
}

// The parsed arguments, asked by an option's long name.
class Arguments {
public:
    explicit Arguments(const QCommandLineParser &parser) : m_parser(parser) {}
    bool has(const char *name) const { return m_parser.isSet(QString::fromLatin1(name)); }
    QString value(const char *name) const { return m_parser.value(QString::fromLatin1(name)); }
    QStringList values(const char *name) const { return m_parser.values(QString::fromLatin1(name)); }
    QStringList paths() const { return m_parser.positionalArguments(); }

private:
    const QCommandLineParser &m_parser;
};

using Check = std::optional<UsageError>;

// --code-page, then --find or --sets: a set file is read in the code page.
Check readSets(const Arguments &arguments, CommandLine &line)
{
    CliOptions &options = line.options;
    if (arguments.has("code-page")) {
        const auto page = CodePage::byName(arguments.value("code-page"));
        if (!page)
            return UsageError{QStringLiteral("Unknown code page: %1").arg(arguments.value("code-page"))};
        options.job.codePage = *page;
    }
    if (arguments.has("find") == arguments.has("sets"))
        return UsageError{QStringLiteral("Give exactly one of --find and --sets.")};
    if (arguments.has("find")) {
        options.sets = {{arguments.value("find"), arguments.value("replace")}};
        return std::nullopt;
    }
    if (arguments.has("replace"))
        return UsageError{QStringLiteral("--replace goes with --find; a set file holds its own replace texts.")};
    line.separator = arguments.value("separator");
    if (line.separator.isEmpty())
        return UsageError{QStringLiteral("You must enter separating character(s).")};
    line.setFile = localPath(arguments.value("sets"));
    if (!isValidFileName(*line.setFile))
        return UsageError{QStringLiteral("The set file's name is not valid UTF-8.")};
    options.usesSetFile = true;
    return std::nullopt;
}

// --whole-file, --output-dir, --keep-tree and --base: what a result is and where it goes.
Check readPlaces(const Arguments &arguments, CommandLine &line)
{
    CliOptions &options = line.options;
    options.job.mode = arguments.has("whole-file") ? ReplaceMode::WholeFile : ReplaceMode::ViewableText;
    options.job.save = SaveOption::BesideSource;
    if (arguments.has("output-dir")) {
        line.outputFolder = localPath(arguments.value("output-dir"));
        if (!isValidFileName(*line.outputFolder))
            return UsageError{QStringLiteral("The output folder's name is not valid UTF-8.")};
        options.job.save = SaveOption::OutputFolder;
    }
    options.keepTree = arguments.has("keep-tree");
    if (options.keepTree && !arguments.has("output-dir"))
        return UsageError{QStringLiteral("--keep-tree goes with --output-dir.")};
    if (!arguments.has("base"))
        return std::nullopt;
    if (!options.keepTree)
        return UsageError{QStringLiteral("--base goes with --keep-tree.")};
    line.baseGiven = arguments.value("base");
    line.baseFolder = localPath(line.baseGiven);
    if (!isValidFileName(*line.baseFolder))
        return UsageError{QStringLiteral("The base folder's name is not valid UTF-8.")};
    return std::nullopt;
}

// --diff, --json, --unified and --color: the form of the report.
Check readReportForm(const Arguments &arguments, CommandLine &line)
{
    CliOptions &options = line.options;
    options.diff = arguments.has("diff");
    options.json = arguments.has("json");
    if (options.json && options.diff)
        return UsageError{QStringLiteral("--json does not go with --diff.")};
    if (!options.diff && (arguments.has("unified") || arguments.has("color")))
        return UsageError{QStringLiteral("--unified and --color go with --diff.")};
    if (arguments.has("unified")) {
        bool ok = false;
        options.diffContext = arguments.value("unified").toInt(&ok);
        if (!ok || options.diffContext < 0)
            return UsageError{QStringLiteral("--unified needs a number of lines, 0 or more.")};
    }
    if (!arguments.has("color"))
        return std::nullopt;
    const QString when = arguments.value("color");
    if (when == QLatin1String("always"))
        options.colors = CliOptions::Colors::Always;
    else if (when == QLatin1String("never"))
        options.colors = CliOptions::Colors::Never;
    else if (when != QLatin1String("auto"))
        return UsageError{QStringLiteral("--color needs auto, always or never.")};
    return std::nullopt;
}

// --dry-run, --quiet, --jobs, --extension, the PATHs and their lists.
Check readRun(const Arguments &arguments, CommandLine &line)
{
    CliOptions &options = line.options;
    options.job.dryRun = arguments.has("dry-run");
    options.quiet = arguments.has("quiet");
    options.jobs = std::clamp(QThread::idealThreadCount(), 1, kMostJobs);
    if (arguments.has("jobs")) {
        bool ok = false;
        options.jobs = arguments.value("jobs").toInt(&ok);
        if (!ok || options.jobs < 1 || options.jobs > kMostJobs)
            return UsageError{QStringLiteral("--jobs needs a number from 1 to %1.").arg(kMostJobs)};
    }
    options.extension = arguments.value("extension");
    if (options.extension.isEmpty())
        return UsageError{QStringLiteral("--extension needs an extension, or \"*\" for every file.")};
    line.lists = arguments.values("files-from");
    if (arguments.has("null") && line.lists.isEmpty())
        return UsageError{QStringLiteral("--null goes with --files-from.")};
    line.listSeparator = arguments.has("null") ? '\0' : '\n';
    for (const QString &path : arguments.paths())
        options.paths.append(path);
    // A list may be empty (a shard with nothing to do): only a command line
    // without any list or PATH is a mistake.
    if (options.paths.isEmpty() && line.lists.isEmpty())
        return UsageError{QStringLiteral("No PATH given.")};
    return std::nullopt;
}

} // namespace

std::variant<CommandLine, UsageError, InfoRequest> parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    const QList<QCommandLineOption> options = allOptions();
    parser.addOptions(options);
    if (!parser.parse(withBareColorAsAlways(arguments, options)))
        return UsageError{parser.errorText()};
    const Arguments given(parser);
    if (given.has("help"))
        return InfoRequest{QString::fromLatin1(usageText())};
    if (given.has("version"))
        return InfoRequest{QStringLiteral("tessaly-cli %1\n").arg(QStringLiteral(TESSALY_VERSION))};
    CommandLine line;
    for (const auto read : {readSets, readPlaces, readReportForm, readRun}) {
        if (Check error = read(given, line))
            return *std::move(error);
    }
    return line;
}

QStringList commandLineArguments(int argc, const char *const *argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(decodeFileName(QByteArray(argv[i])));
    return arguments;
}

} // namespace tessaly::cli
