// Remove Filenames Containing X and Remove Filenames Not Cont. X for the window:
// the rows to remove are found on a worker thread, over a snapshot of the list.
#pragma once

#include "filelist/list_maintenance.h"
#include "gui/background_task.h"

#include <optional>

namespace tessaly {

class ListFilterTask {
public:
    // On the window's thread, once: the positions (from 1) of the snapshot's rows
    // to remove, for FileListModel::removePositions; nothing after stop(). The
    // window keeps the list as it is until then (it is busy).
    using Done = std::function<void(std::optional<QList<int>> &positions)>;

    explicit ListFilterTask(Done done) : m_task({{}, std::move(done)}) {}

    void start(QStringList rows, QString text, ListFilter filter)
    {
        m_task.start([rows = std::move(rows), text = std::move(text), filter](Task::Reporter &reporter) {
            return positionsToRemove(rows, text, filter, reporter.stop());
        });
    }
    // Stop or Esc: `done` follows with nothing.
    void stop() { m_task.stop(); }
    bool isWorking() const { return m_task.isWorking(); }

private:
    using Task = BackgroundTask<NoItem, std::optional<QList<int>>>;
    Task m_task;
};

} // namespace tessaly
