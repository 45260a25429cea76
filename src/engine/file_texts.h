// One file's text before and after the replacement a run would make, decoded, for
// showing its changes (the Preview window's diff).
#pragma once

#include "engine/file_request.h"
#include "textio/file_system.h"
#include "textio/text_encoding.h"

#include <QString>

namespace tessaly {

struct FileTexts {
    SourceFormat format;    // the source's
    QString source;         // the source's text
    QString result;         // the text of the result the request would write
};

// Reads the file and replaces in it exactly as the run's job does, writing
// nothing. Throws TessalyError when the file cannot be read (or is too large for
// the memory left).
FileTexts fileTexts(const QString &path, const FileRequest &request,
                    const FileSystem &fileSystem = FileSystem::real());

} // namespace tessaly
