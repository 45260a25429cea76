// The folder scans of Add All HTML Files In Folder and of a drop, for the window:
// they run on a worker thread, tell how far they got and bring their findings
// back to the window's thread, which appends them (adding_files.h).
#pragma once

#include "filelist/adding_files.h"
#include "gui/background_task.h"

namespace tessaly {

// How far a scan got: the sub-folders found, then the files listed so far.
struct ScanProgress {
    qsizetype folders = 0;
    qsizetype files = 0;
};

class FolderScanTask {
public:
    // On the window's thread. `progress` comes at most every
    // BackgroundTaskBase::kDeliveryInterval ms with the latest figures; `done`
    // once, after the last progress, with the findings (`stopped` after stop()),
    // which the window hands to finishAddingFolder() or finishDrop(): those may
    // show boxes, `progress` may not. When the task is destroyed first (the
    // window closes), neither comes.
    struct Handlers {
        std::function<void(const ScanProgress &progress)> progress;
        std::function<void(ScanFindings &findings)> done;
    };

    explicit FolderScanTask(Handlers handlers, const FolderSource &source = FolderSource::real());

    // Add All HTML Files In Folder after chooseFolderToScan(); the findings are
    // for finishAddingFolder().
    void startFolder(const FolderChoice &choice);
    // A drop of these paths; the findings are for finishDrop().
    void startDrop(const QStringList &paths);
    // Stop or Esc: the scan ends at the next folder and `done` follows.
    void stop() { m_task.stop(); }
    // The window closes: neither `progress` nor `done` comes any more.
    void abandon() { m_task.abandon(); }
    bool isWorking() const { return m_task.isWorking(); }
    // The folders the next scans see (a test's); only while no scan works.
    void setSource(const FolderSource &source) { m_source = &source; }

private:
    using Task = BackgroundTask<ScanProgress, ScanFindings>;
    // Options whose progress sinks report through `reporter` on the worker thread.
    FolderScanOptions optionsFor(Task::Reporter &reporter) const;

    const FolderSource *m_source;
    Task m_task;
};

} // namespace tessaly
