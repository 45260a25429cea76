#include "engine/file_request.h"

namespace tessaly {

FileReport replaceInFile(const QString &path, const FileRequest &request, const JobContext &context)
{
    if (request.kind == FileRequest::Kind::Sets)
        return ReplaceTextInFileCombo(path, request.sets, request.options, context);
    if (request.sets.size() == 1)
        return ReplaceTextInFile(path, request.sets, request.options, context);
    const FindReplaceSet pair = request.sets.value(0);
    return ReplaceTextInFile(path, pair.find, pair.replace, request.options, context);
}

} // namespace tessaly
