#include "cli/worker_threads.h"

#include <QtGlobal>

#include <system_error>

namespace tessaly::cli {

namespace {

// How many threads the system lets the run start. TESSALY_THREAD_LIMIT stands in
// for a process limit in tests: threads past it fail to start as they would there.
int threadLimit()
{
    bool ok = false;
    const int limit = qEnvironmentVariableIntValue("TESSALY_THREAD_LIMIT", &ok);
    return ok ? limit : -1;
}

} // namespace

WorkerThreads::WorkerThreads(int count, const std::function<void()> &work)
{
    const int limit = threadLimit();
    m_threads.reserve(size_t(count));
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

} // namespace tessaly::cli
