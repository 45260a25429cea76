// --diff: one file's changes as a unified diff, in the terminal's encoding.
#pragma once

#include "engine/replace_job.h"
#include "engine/unified_diff_format.h"
#include "textio/code_page.h"

#include <QByteArray>

namespace tessaly::cli {

// The diff of a file's result against its source, as texts (a code page's, in
// `codePage`, compared as bytes), headed "--- SOURCE" and "+++ RESULT" with the
// report's names (control characters escaped); empty when they are equal. Lines
// end at LF, as for patch; changed characters are marked only with colours.
// Throws std::bad_alloc when the memory for the diff runs out.
QByteArray fileDiff(const FileContents &contents, const FileReport &report, const CodePage &codePage, int context,
                    DiffColors colors);

} // namespace tessaly::cli
