#include "engine/worker_threads.h"

#include <algorithm>
#include <atomic>
#include <initializer_list>
#include <system_error>

#include <pthread.h>
#include <signal.h>

namespace tessaly {

WorkerThreads::WorkerThreads(int count, int limit, const std::function<void()> &work)
{
    // Workers take no signals: the program's signals reach the thread that
    // started the run, which is the one that may wait on a report stream.
    sigset_t all, before;
    sigfillset(&all);
    for (const int synchronous : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGABRT, SIGSYS})
        sigdelset(&all, synchronous);
    pthread_sigmask(SIG_BLOCK, &all, &before);
    for (int i = 0; i < count; ++i) {
        try {
            if (limit >= 0 && i >= limit)
                throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
            m_threads.emplace_back(work);
        } catch (const std::system_error &) {
            break;
        }
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

WorkerThreads::~WorkerThreads()
{
    for (std::thread &thread : m_threads)
        thread.join();
}

void inBlocks(qsizetype count, qsizetype blockSize, int threads, int limit,
              const std::function<void(qsizetype first, qsizetype end)> &doBlock)
{
    const qsizetype blocks = (count + blockSize - 1) / blockSize;
    std::atomic<qsizetype> next{0};
    const auto work = [&] {
        for (qsizetype b = next++; b < blocks; b = next++)
            doBlock(b * blockSize, std::min(count, (b + 1) * blockSize));
    };
    const WorkerThreads helpers(int(std::clamp<qsizetype>(std::min<qsizetype>(threads, blocks) - 1, 0, blocks)), limit,
                                work);
    work();
}

} // namespace tessaly
