#include "gui/folder_scan_task.h"

namespace tessaly {

FolderScanTask::FolderScanTask(Handlers handlers, const FolderSource &source)
    : m_source(&source),
      m_task({[progress = std::move(handlers.progress)](const QList<ScanProgress> &batch) {
                  // Only the latest figures are worth showing.
                  if (progress)
                      progress(batch.last());
              },
              std::move(handlers.done)})
{
}

void FolderScanTask::startFolder(const FolderChoice &choice)
{
    m_task.start([this, choice](Task::Reporter &reporter) { return scanChosenFolder(choice, optionsFor(reporter)); });
}

void FolderScanTask::startDrop(const QStringList &paths)
{
    m_task.start([this, paths](Task::Reporter &reporter) { return scanDroppedPaths(paths, optionsFor(reporter)); });
}

FolderScanOptions FolderScanTask::optionsFor(Task::Reporter &reporter) const
{
    FolderScanOptions options;
    options.stop = &reporter.stop();
    options.source = m_source;
    // The folders found stay in the figures while the files are listed.
    auto folders = std::make_shared<qsizetype>(0);
    options.reportFolders = [&reporter, folders](qsizetype found) {
        *folders = found;
        reporter.report({found, 0});
    };
    options.reportFiles = [&reporter, folders](qsizetype found) { reporter.report({*folders, found}); };
    return options;
}

} // namespace tessaly
