// Remove Filenames Containing X and Remove Filenames Not Cont. X for the window:
// the rows to remove are found on a worker thread, over a snapshot of the list.
#pragma once

#include "filelist/list_maintenance.h"
#include "gui/background_task.h"

#include <exception>
#include <optional>

namespace tessaly {

// How a filter ended: the positions (from 1) of the snapshot's rows to remove,
// for FileListModel::removePositions; nothing after stop() or a failure.
struct ListFilterEnd {
    std::optional<QList<int>> positions;
    // What the filter threw, for the window's error report box.
    std::exception_ptr failure;
};

class ListFilterTask {
public:
    // On the window's thread, once. The window keeps the list as it is until then
    // (it is busy).
    using Done = std::function<void(ListFilterEnd &end)>;
    // What runs on the worker thread; positionsToRemove() unless a test fails it.
    using Filter = std::function<std::optional<QList<int>>(const QStringList &rows, const QString &text,
                                                           ListFilter filter, const StopToken &stop)>;

    explicit ListFilterTask(Done done, Filter filter = positionsToRemove)
        : m_filter(std::move(filter)), m_task({{}, std::move(done)})
    {
    }

    void start(QStringList rows, QString text, ListFilter filter)
    {
        m_task.start([this, rows = std::move(rows), text = std::move(text), filter](Task::Reporter &reporter) {
            ListFilterEnd end;
            // Caught here, so that a failure reaches the window as one and not as a stop.
            try {
                end.positions = m_filter(rows, text, filter, reporter.stop());
            } catch (...) {
                end.failure = std::current_exception();
            }
            return end;
        });
    }
    // Stop or Esc: `done` follows with nothing.
    void stop() { m_task.stop(); }
    // The window closes: `done` does not come.
    void abandon() { m_task.abandon(); }
    bool isWorking() const { return m_task.isWorking(); }
    // What the next filters run (a test's); only while no filter works.
    void setFilter(Filter filter) { m_filter = std::move(filter); }

private:
    using Task = BackgroundTask<NoItem, ListFilterEnd>;
    Filter m_filter;
    Task m_task;
};

} // namespace tessaly
