// A file system whose rename of one result name (or, if asked, whose read of one
// source name) waits at a gate until the test opens it: the test knows that
// file is in flight while it acts.
#pragma once

#include "textio/file_system.h"

#include <QByteArray>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace testing {

class GatedFileSystem : public tessaly::FileSystem {
public:
    // Which step of the named file waits: the rename of its result into place,
    // or the read of a source of that name (a dry run writes nothing).
    enum class Step { Rename, Read };

    explicit GatedFileSystem(QByteArray heldName, Step step = Step::Rename)
        : m_heldName(std::move(heldName)), m_step(step)
    {
    }

    // Waits until the held file is at its gate; false after 30 s.
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

    std::unique_ptr<tessaly::SourceReader> openSource(const tessaly::SourcePath &source,
                                                      tessaly::SourceFile *file = nullptr) const override
    {
        if (m_step == Step::Read && source.fileName().toUtf8() == m_heldName)
            hold();
        return FileSystem::openSource(source, file);
    }
    int putInPlace(int folderFd, const tessaly::WrittenFile &file, const char *to) const override
    {
        if (m_step == Step::Rename && m_heldName == to)
            hold();
        return FileSystem::putInPlace(folderFd, file, to);
    }

private:
    void hold() const
    {
        std::unique_lock lock(m_mutex);
        m_reached = true;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_released; });
    }

    QByteArray m_heldName;
    Step m_step;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    mutable bool m_reached = false;
    mutable bool m_released = false;
};

} // namespace testing
