#include "cli/usage_text.h"

namespace tessaly::cli {

namespace {

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

} // namespace

const char *usageText()
{
    return kUsage;
}

} // namespace tessaly::cli
