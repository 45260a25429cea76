// The steps of a one-file job for a source too large to hold: it is read,
// replaced and written in pieces, so memory does not grow with its size.
#pragma once

#include "engine/find_replace_set.h"
#include "engine/job_options.h"
#include "textio/file_system.h"
#include "textio/text_encoding.h"

#include <QList>

#include <optional>
#include <vector>

namespace tessaly {

class PreparedSets;

struct StreamPlan {
    SourceFormat format;  // from the mark, or from a first pass through the source
    // An unmarked source's format is found while it is replaced: the sets' bytes
    // are the same in UTF-8 and in the code page.
    bool formatFound = true;
    // With many sets, per set: whether it can change this source (empty: all can).
    std::vector<bool> needed;
    qsizetype pieceSize = 0;  // what is read at a time: smaller with many sets
};

// How a source is replaced in pieces of up to `pieceSize`, or nothing when it is
// replaced whole: no larger than four pieces, viewable text, many sets that can
// change it, UTF-32, UTF-16 with more than eight sets, or several sets a code
// page cannot hold. Leaves the reader at the start.
std::optional<StreamPlan> planStream(SourceReader &reader, const QList<FindReplaceSet> &sets,
                                     const JobOptions &options, PreparedSets &prepared, qsizetype pieceSize);

struct StreamedResult {
    SourceFormat format;
    qint64 replacements = 0;
    qint64 lost = 0;
};

// Reads the source in pieces, replaces in them as the whole-file job does and
// hands each piece of the result to `write` (none in a dry run).
StreamedResult replaceStreamed(SourceReader &reader, const StreamPlan &plan, const QList<FindReplaceSet> &sets,
                               const JobOptions &options, PreparedSets &prepared,
                               const FileSystem::PieceWriter *write);

} // namespace tessaly
