#include "cli/diff_output.h"

#include "cli/terminal_text.h"
#include "engine/file_texts.h"
#include "engine/text_diff.h"

namespace tessaly::cli {

QByteArray fileDiff(const QString &path, const FileReport &report, const FileRequest &request, int context,
                    DiffColors colors)
{
    const FileTexts texts = fileTexts(path, request);
    DiffRules rules;
    rules.context = context;
    rules.loneCrEndsLine = false;  // as GNU diff splits lines, so that patch applies the diff
    rules.markChanges = colors == DiffColors::Ansi;
    return formatUnifiedDiff(diffTexts(texts.source, texts.result, rules), escapeControls(report.source),
                             escapeControls(report.resultPath), colors)
        .toLocal8Bit();
}

} // namespace tessaly::cli
