#include "cli/diff_output.h"

#include "engine/file_texts.h"
#include "engine/text_diff.h"

namespace tessaly::cli {

QByteArray fileDiff(const QString &path, const FileReport &report, const FileRequest &request, int context,
                    DiffColors colors)
{
    const FileTexts texts = fileTexts(path, request);
    return formatUnifiedDiff(diffTexts(texts.source, texts.result, context), report.source, report.resultPath, colors)
        .toLocal8Bit();
}

} // namespace tessaly::cli
