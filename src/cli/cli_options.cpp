#include "cli/cli_options.h"

#include "base/paths.h"
#include "base/tessaly_error.h"
#include "cli/path_list.h"
#include "sets/set_file.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <algorithm>

namespace tessaly::cli {

namespace {

// Each job holds a few descriptors and a file's text; more jobs than this gain
// nothing and only move a run towards the system's limits.
constexpr int kMostJobs = 256;

const char *const kUsage =
    "Usage: tessaly-cli [OPTION]... PATH...\n"
    "  or:  tessaly-cli [OPTION]... --files-from FILE [PATH]...\n"
    "Find and replace text in many HTML files; every file gets one result file and\n"
    "no source is ever modified.\n"
    "\n"
    "A PATH that is a folder stands for the files of that folder and all its\n"
    "sub-folders (breadth-first, as Add All HTML Files In Folder collects them)\n"
    "whose names end in .EXT (a three-letter EXT also takes longer extensions that\n"
    "begin with it: \"htm\" adds .html pages); names beginning with \"~\" are left\n"
    "out. The files take the folder's place among the PATHs. A folder the scan\n"
    "cannot read or name is reported on standard error: FOLDER: folder skipped\n"
    "(REASON).\n"
    "\n"
    "  -f, --find TEXT        find text (exact, case-sensitive)\n"
    "  -r, --replace TEXT     replace text (default: empty)\n"
    "  -s, --sets FILE        apply the find/replace sets of FILE in order (one per line)\n"
    "      --separator SEP    separator of the lines of FILE (default \"::\")\n"
    "  -w, --whole-file       replace in the whole file text (default: only the\n"
    "                         viewable text of the HTML body)\n"
    "  -o, --output-dir DIR   write each result into DIR under the source's own name\n"
    "                         (default: beside the source as NAME_replaced.EXT)\n"
    "  -e, --extension EXT    extension of the files a folder PATH adds (default\n"
    "                         \"htm\"; \"*\" for every file)\n"
    "  -n, --dry-run          write nothing; report what each file would get\n"
    "  -j, --jobs N           files processed at once, 1 to 256 (default: number of\n"
    "                         cores)\n"
    "      --code-page NAME   single-byte code page for unmarked files\n"
    "                         (default: from the locale, e.g. windows-1252)\n"
    "  -q, --quiet            no per-file lines\n"
    "      --diff             print each changed file's result against its source as\n"
    "                         a unified diff on standard output (per-file lines and\n"
    "                         summary on standard error); with -n a preview\n"
    "  -U, --unified=N        lines of context around each change (default 3)\n"
    "      --color[=WHEN]     colour the diff: auto (when standard output is a\n"
    "                         terminal, NO_COLOR is not set and TERM is not dumb),\n"
    "                         always (also a bare --color) or never (default auto)\n"
    "      --keep-tree        with -o: a file found under a folder PATH gets its\n"
    "                         result at DIR/ + its path below that folder (sub-folders\n"
    "                         made as needed)\n"
    "      --base BASE        with --keep-tree: a file PATH below the folder BASE gets\n"
    "                         its result at DIR/ + its path below BASE; a file PATH\n"
    "                         elsewhere fails\n"
    "      --files-from FILE  read more PATHs from FILE (\"-\": standard input), one\n"
    "                         a line, after those given as arguments\n"
    "  -0, --null             with --files-from: the PATHs end in NUL, not in a line\n"
    "                         feed (as find -print0 writes them)\n"
    "      --json             report as JSON Lines on standard output (see below)\n"
    "  -h, --help             show this help\n"
    "      --version          show the version\n"
    "\n"
    "One line per file on standard output (standard error with --diff):\n"
    "SOURCE -> RESULT (N replacements), SOURCE: skipped (REASON) or SOURCE: failed\n"
    "(REASON). Missing and empty files are skipped.\n"
    "With --json each line of standard output is one JSON object: per file, in\n"
    "the order of the PATHs, {\"type\":\"file\", \"source\", \"result\", \"outcome\",\n"
    "\"reason\", \"replacements\", \"encoding_read\", \"encoding_written\",\n"
    "\"written_as_question_mark\", \"invalid_characters\"}; then {\"type\":\"summary\",\n"
    "\"files\", \"written\", \"skipped\", \"failed\", \"replacements\", ...,\n"
    "\"interrupted_by\"}. A name that is not valid UTF-8 shows U+FFFD for each byte\n"
    "outside UTF-8 and comes with its exact bytes, base64, in \"source_bytes\" or\n"
    "\"result_bytes\". --json does not go with --diff.\n"
    "SIGINT, SIGTERM and SIGHUP stop the run: files in progress are finished, no\n"
    "new one is started, and their lines and the summary are printed.\n"
    "Exit status: 0 when no file failed, 1 when a file failed or the report could\n"
    "not be written, 2 for a usage error, 128 + N when stopped by signal N.\n";

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

} // namespace

std::variant<CliOptions, UsageError, InfoRequest> parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    const QCommandLineOption find({"f", "find"}, {}, "TEXT");
    const QCommandLineOption replace({"r", "replace"}, {}, "TEXT");
    const QCommandLineOption sets({"s", "sets"}, {}, "FILE");
    const QCommandLineOption separator("separator", {}, "SEP", "::");
    const QCommandLineOption wholeFile({"w", "whole-file"}, {});
    const QCommandLineOption outputDir({"o", "output-dir"}, {}, "DIR");
    const QCommandLineOption extension({"e", "extension"}, {}, "EXT", QStringLiteral("htm"));
    const QCommandLineOption dryRun({"n", "dry-run"}, {});
    const QCommandLineOption jobs({"j", "jobs"}, {}, "N");
    const QCommandLineOption codePage("code-page", {}, "NAME");
    const QCommandLineOption quiet({"q", "quiet"}, {});
    const QCommandLineOption diff("diff", {});
    const QCommandLineOption unified({"U", "unified"}, {}, "N");
    const QCommandLineOption color("color", {}, "WHEN");
    const QCommandLineOption keepTree("keep-tree", {});
    const QCommandLineOption base("base", {}, "BASE");
    const QCommandLineOption filesFrom("files-from", {}, "FILE");
    const QCommandLineOption null(QStringList{"0", "null"}, {});
    const QCommandLineOption json("json", {});
    const QCommandLineOption help({"h", "help"}, {});
    const QCommandLineOption version("version", {});
    const QList<QCommandLineOption> all{find,   replace, sets,     separator, wholeFile, outputDir, extension,
                                        dryRun, jobs,    codePage, quiet,     diff,      unified,   color,
                                        keepTree, base,  filesFrom, null,     json,      help,      version};
    parser.addOptions(all);

    if (!parser.parse(withBareColorAsAlways(arguments, all)))
        return UsageError{parser.errorText()};
    if (parser.isSet(help))
        return InfoRequest{QString::fromLatin1(kUsage)};
    if (parser.isSet(version))
        return InfoRequest{QStringLiteral("tessaly-cli %1\n").arg(QStringLiteral(TESSALY_VERSION))};

    CliOptions options;
    if (parser.isSet(codePage)) {
        const auto page = CodePage::byName(parser.value(codePage));
        if (!page)
            return UsageError{QStringLiteral("Unknown code page: %1").arg(parser.value(codePage))};
        options.job.codePage = *page;
    }
    if (parser.isSet(find) == parser.isSet(sets))
        return UsageError{QStringLiteral("Give exactly one of --find and --sets.")};
    if (parser.isSet(find)) {
        options.sets = {{parser.value(find), parser.value(replace)}};
    } else {
        if (parser.isSet(replace))
            return UsageError{QStringLiteral("--replace goes with --find; a set file holds its own replace texts.")};
        if (parser.value(separator).isEmpty())
            return UsageError{QStringLiteral("You must enter separating character(s).")};
        try {
            const QString setFile = localPath(parser.value(sets));
            if (!isValidFileName(setFile))
                return UsageError{QStringLiteral("The set file's name is not valid UTF-8.")};
            options.sets = readSetFile(setFile, parser.value(separator), options.job.codePage);
        } catch (const TessalyError &error) {
            return UsageError{error.description()};
        }
        options.usesSetFile = true;
    }
    options.job.mode = parser.isSet(wholeFile) ? ReplaceMode::WholeFile : ReplaceMode::ViewableText;
    if (parser.isSet(outputDir)) {
        const QString folder = localPath(parser.value(outputDir));
        if (!isValidFileName(folder))
            return UsageError{QStringLiteral("The output folder's name is not valid UTF-8.")};
        if (!FolderExists(folder))
            return UsageError{QStringLiteral("Folder does not exist. Please select another folder.")};
        options.job.save = SaveOption::OutputFolder;
        options.job.outputFolder = QFileInfo(folder).absoluteFilePath();
    } else {
        options.job.save = SaveOption::BesideSource;
    }
    options.keepTree = parser.isSet(keepTree);
    if (options.keepTree && !parser.isSet(outputDir))
        return UsageError{QStringLiteral("--keep-tree goes with --output-dir.")};
    if (parser.isSet(base)) {
        if (!options.keepTree)
            return UsageError{QStringLiteral("--base goes with --keep-tree.")};
        const QString folder = localPath(parser.value(base));
        if (!isValidFileName(folder))
            return UsageError{QStringLiteral("The base folder's name is not valid UTF-8.")};
        if (!FolderExists(folder))
            return UsageError{QStringLiteral("--base: %1: no such folder.").arg(parser.value(base))};
        options.base = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    }
    options.diff = parser.isSet(diff);
    options.json = parser.isSet(json);
    if (options.json && options.diff)
        return UsageError{QStringLiteral("--json does not go with --diff.")};
    if (!options.diff && (parser.isSet(unified) || parser.isSet(color)))
        return UsageError{QStringLiteral("--unified and --color go with --diff.")};
    if (parser.isSet(unified)) {
        bool ok = false;
        options.diffContext = parser.value(unified).toInt(&ok);
        if (!ok || options.diffContext < 0)
            return UsageError{QStringLiteral("--unified needs a number of lines, 0 or more.")};
    }
    if (parser.isSet(color)) {
        const QString when = parser.value(color);
        if (when == QLatin1String("always"))
            options.colors = CliOptions::Colors::Always;
        else if (when == QLatin1String("never"))
            options.colors = CliOptions::Colors::Never;
        else if (when != QLatin1String("auto"))
            return UsageError{QStringLiteral("--color needs auto, always or never.")};
    }
    options.job.dryRun = parser.isSet(dryRun);
    options.quiet = parser.isSet(quiet);
    options.jobs = std::clamp(QThread::idealThreadCount(), 1, kMostJobs);
    if (parser.isSet(jobs)) {
        bool ok = false;
        options.jobs = parser.value(jobs).toInt(&ok);
        if (!ok || options.jobs < 1 || options.jobs > kMostJobs)
            return UsageError{QStringLiteral("--jobs needs a number from 1 to %1.").arg(kMostJobs)};
    }
    options.extension = parser.value(extension);
    if (options.extension.isEmpty())
        return UsageError{QStringLiteral("--extension needs an extension, or \"*\" for every file.")};
    if (parser.isSet(null) && !parser.isSet(filesFrom))
        return UsageError{QStringLiteral("--null goes with --files-from.")};
    for (const QString &path : parser.positionalArguments())
        options.paths.append(localPath(path));
    // A list may be empty (a shard with nothing to do): only a command line
    // without any list or PATH is a mistake.
    if (options.paths.isEmpty() && !parser.isSet(filesFrom))
        return UsageError{QStringLiteral("No PATH given.")};
    // Lists are read last, so that a usage error never waits for standard input.
    for (const QString &list : parser.values(filesFrom)) {
        try {
            options.paths += readPathList(list, parser.isSet(null) ? '\0' : '\n');
        } catch (const TessalyError &error) {
            return UsageError{QStringLiteral("--files-from: %1").arg(error.description())};
        }
    }
    return options;
}

QStringList commandLineArguments(int argc, const char *const *argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(decodeFileName(QByteArray(argv[i])));
    return arguments;
}

} // namespace tessaly::cli
