// What one file of a run gets: the pair or the sets, and the user's options.
#pragma once

#include "engine/find_replace_set.h"
#include "engine/job_options.h"

#include <QList>

namespace tessaly {

struct FileRequest {
    enum class Kind { None, Pair, Sets };  // None: neither tab is selected; the file is left alone
    Kind kind = Kind::None;
    QList<FindReplaceSet> sets;  // Pair: exactly one; Sets: in order
    JobOptions options;
};

} // namespace tessaly
