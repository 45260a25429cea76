// The progress line on a terminal's standard error: "[N/LISTED] SOURCE" after
// each file, wiped before anything else is printed.
#pragma once

#include "cli/report_streams.h"

namespace tessaly::cli {

class ProgressLine {
public:
    // Prints nothing unless `shown`; `listed` counts the files of the run.
    ProgressLine(ReportStreams &streams, bool shown, qsizetype listed)
        : m_streams(streams), m_shown(shown), m_listed(listed)
    {
    }

    void clear();
    // After file `index` (from 1), after what went to standard output.
    void show(int index, const QString &source);

private:
    ReportStreams &m_streams;
    bool m_shown;
    qsizetype m_listed;
};

} // namespace tessaly::cli
