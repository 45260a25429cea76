// --diff: one file's changes as a unified diff, in the terminal's encoding.
#pragma once

#include "engine/file_request.h"
#include "engine/unified_diff_format.h"

#include <QByteArray>

namespace tessaly::cli {

// The diff of the result the request gives the file at `path` against its
// source, both decoded, headed "--- SOURCE" and "+++ RESULT" with the report's
// names (control characters escaped); empty when the texts are equal. Lines end
// at LF, as for patch; changed characters are marked only with colours. Throws
// TessalyError when the file cannot be read again, std::bad_alloc when the
// memory for the diff runs out.
QByteArray fileDiff(const QString &path, const FileReport &report, const FileRequest &request, int context,
                    DiffColors colors);

} // namespace tessaly::cli
