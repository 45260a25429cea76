// --diff: each changed file's unified diff on standard output, made on the run's
// thread that did the file; the per-file lines and the summary on standard error.
#pragma once

#include "cli/line_printer.h"
#include "engine/unified_diff_format.h"

#include <map>
#include <mutex>
#include <optional>

namespace tessaly::cli {

class DiffPrinter : public LinePrinter {
public:
    DiffPrinter(const CliOptions &options, const PrintTarget &target);

    bool wantsContents() const override { return true; }
    void fileWorked(const FileOutcome &outcome, const FileContents &contents) override;
    void fileDone(const FileOutcome &outcome) override;

private:
    // A file's diff, or that the memory for it ran out.
    struct MadeDiff {
        QByteArray diff;
        bool noMemory = false;
    };
    bool wantsDiff(const FileOutcome &outcome) const;
    std::optional<MadeDiff> takeDiff(int index);

    DiffColors m_colors;
    std::mutex m_diffsMutex;
    std::map<int, MadeDiff> m_diffs;  // by list place, until printed
};

} // namespace tessaly::cli
