// The window's request as a run reads it: the window puts a new snapshot in
// whenever the tab, the texts, the sets or the options change, and each file the
// run starts takes the one that is current.
#pragma once

#include "engine/replace_run.h"

#include <memory>
#include <mutex>

namespace tessaly {

class RequestSnapshot : public RequestSource {
public:
    void set(FileRequest request)
    {
        auto snapshot = std::make_shared<const FileRequest>(std::move(request));
        const std::lock_guard lock(m_mutex);
        m_current = std::move(snapshot);
    }
    std::shared_ptr<const FileRequest> requestFor(int) override
    {
        const std::lock_guard lock(m_mutex);
        return m_current ? m_current : std::make_shared<const FileRequest>();
    }

private:
    std::mutex m_mutex;
    std::shared_ptr<const FileRequest> m_current;
};

} // namespace tessaly
