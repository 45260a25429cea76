#include "engine/worker_threads.h"

#include <system_error>

namespace tessaly {

WorkerThreads::WorkerThreads(int count, int limit, const std::function<void()> &work)
{
    for (int i = 0; i < count; ++i) {
        try {
            if (limit >= 0 && i >= limit)
                throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
            m_threads.emplace_back(work);
        } catch (const std::system_error &) {
            break;
        }
    }
}

WorkerThreads::~WorkerThreads()
{
    for (std::thread &thread : m_threads)
        thread.join();
}

} // namespace tessaly
