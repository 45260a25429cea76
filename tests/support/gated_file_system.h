// A file system whose rename of one result name waits at a gate until the test
// opens it: the test knows that file's write is in flight while it acts.
#pragma once

#include "textio/file_system.h"

#include <QByteArray>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace testing {

class GatedFileSystem : public tessaly::FileSystem {
public:
    explicit GatedFileSystem(QByteArray heldName) : m_heldName(std::move(heldName)) {}

    // Waits until the held result is about to be renamed into place; false after 30 s.
    bool waitUntilReached() const
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(30), [&] { return m_reached; });
    }
    void release() const
    {
        const std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }

    int renameOver(int folderFd, const char *from, const char *to) const override
    {
        if (m_heldName == to) {
            std::unique_lock lock(m_mutex);
            m_reached = true;
            m_changed.notify_all();
            m_changed.wait(lock, [&] { return m_released; });
        }
        return FileSystem::renameOver(folderFd, from, to);
    }

private:
    QByteArray m_heldName;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    mutable bool m_reached = false;
    mutable bool m_released = false;
};

} // namespace testing
