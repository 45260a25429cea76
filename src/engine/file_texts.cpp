#include "engine/file_texts.h"

#include "base/tessaly_error.h"
#include "engine/replaced_content.h"
#include "textio/text_decoding.h"

#include <new>

namespace tessaly {

FileTexts fileTexts(const QString &path, const FileRequest &request, const FileSystem &fileSystem)
{
    const JobOptions &options = request.options;
    const QList<FindReplaceSet> &sets = request.sets;
    try {
        const QByteArray content = fileSystem.readAll(path);
        FileTexts texts;
        texts.format = classifyContent(content);
        texts.source = decodeText(content, texts.format, options.codePage);
        const QByteArray result = replacedContent(content, texts.format, sets, options);
        texts.result = decodeText(result, resultFormat(texts.format), options.codePage);
        return texts;
    } catch (const std::bad_alloc &) {
        throw TessalyError(QStringLiteral("Not enough memory to show the changes of \"%1\".").arg(path));
    }
}

} // namespace tessaly
