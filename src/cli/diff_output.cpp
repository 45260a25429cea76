#include "cli/diff_output.h"

#include "cli/terminal_text.h"
#include "engine/text_diff.h"
#include "textio/text_decoding.h"

namespace tessaly::cli {

namespace {

QList<DiffHunk> fileHunks(const FileContents &contents, const CodePage &codePage, const DiffRules &rules)
{
    // A code page's lines are compared as bytes; only the lines shown are decoded.
    const SourceFormat format = contents.format;
    if (format.encoding == TextEncoding::Ansi)
        return diffBytes(contents.source, contents.result, rules, codePage);
    return diffTexts(decodeText(contents.source, format, codePage),
                     decodeText(contents.result, resultFormat(format), codePage), rules);
}

} // namespace

QByteArray fileDiff(const FileContents &contents, const FileReport &report, const CodePage &codePage, int context,
                    DiffColors colors)
{
    DiffRules rules;
    rules.context = context;
    rules.loneCrEndsLine = false;  // as GNU diff splits lines, so that patch applies the diff
    rules.markChanges = colors == DiffColors::Ansi;
    QString text;
    {
        // The hunks are let go before the text is encoded: less memory for a large file.
        const QList<DiffHunk> hunks = fileHunks(contents, codePage, rules);
        text = formatUnifiedDiff(hunks, escapeControls(report.source), escapeControls(report.resultPath), colors);
    }
    return text.toLocal8Bit();
}

} // namespace tessaly::cli
