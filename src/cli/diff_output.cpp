#include "cli/diff_output.h"

#include "cli/terminal_text.h"
#include "engine/text_diff.h"
#include "textio/text_decoding.h"

namespace tessaly::cli {

QByteArray fileDiff(const FileContents &contents, const FileReport &report, const CodePage &codePage, int context,
                    DiffColors colors)
{
    DiffRules rules;
    rules.context = context;
    rules.loneCrEndsLine = false;  // as GNU diff splits lines, so that patch applies the diff
    rules.markChanges = colors == DiffColors::Ansi;
    // A code page's lines are compared as bytes; only the lines shown are decoded.
    const SourceFormat format = contents.format;
    const QList<DiffHunk> hunks =
        format.encoding == TextEncoding::Ansi
            ? diffBytes(contents.source, contents.result, rules, codePage)
            : diffTexts(decodeText(contents.source, format, codePage),
                        decodeText(contents.result, resultFormat(format), codePage), rules);
    return formatUnifiedDiff(hunks, escapeControls(report.source), escapeControls(report.resultPath), colors)
        .toLocal8Bit();
}

} // namespace tessaly::cli
