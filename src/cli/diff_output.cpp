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
    const QString sourceLabel = escapeControls(report.source), resultLabel = escapeControls(report.resultPath);
    // The diff is UTF-8, the locale's encoding for Qt on Linux (where toLocal8Bit
    // is toUtf8). A code page's lines are compared as bytes and written from them.
    const SourceFormat format = contents.format;
    if (format.encoding == TextEncoding::Ansi)
        return formatUnifiedDiff(diffBytes(contents.source, contents.result, rules, codePage), codePage, sourceLabel,
                                 resultLabel, colors);
    const QString source = decodeText(contents.source, format, codePage);
    const QString result = decodeText(contents.result, resultFormat(format), codePage);
    return formatUnifiedDiff(diffTextsInPlace(source, result, rules), sourceLabel, resultLabel, colors);
}

} // namespace tessaly::cli
