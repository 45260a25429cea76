// The worker threads of a run: as many as asked for when the system grants them,
// fewer when it does not (ulimit -u), never a hang for want of one.
#pragma once

#include <QtGlobal>

#include <functional>
#include <thread>
#include <vector>

namespace tessaly {

class WorkerThreads {
public:
    // Starts up to `count` threads, each running `work`; no more than `limit`
    // when it is not negative (a test's stand-in for a process limit). A thread
    // that cannot be created is done without; the caller's own thread does the
    // work too.
    WorkerThreads(int count, int limit, const std::function<void()> &work);
    // Waits for every thread to end.
    ~WorkerThreads();
    WorkerThreads(const WorkerThreads &) = delete;
    WorkerThreads &operator=(const WorkerThreads &) = delete;

    int count() const { return int(m_threads.size()); }

private:
    std::vector<std::thread> m_threads;
};

// Calls doBlock(first, end) for every block of `blockSize` neighbouring items of
// `count`, the blocks shared out as threads come free among up to `threads`
// threads, the caller's own among them (no more than `limit` more when it is not
// negative). Returns when every block is done.
void inBlocks(qsizetype count, qsizetype blockSize, int threads, int limit,
              const std::function<void(qsizetype first, qsizetype end)> &doBlock);

// The same, keeping what each block gives: one result per block, in the order
// of the blocks whichever thread made it.
template <class Result>
std::vector<Result> resultsOfBlocks(qsizetype count, qsizetype blockSize, int threads, int limit,
                                    const std::function<Result(qsizetype first, qsizetype end)> &doBlock)
{
    std::vector<Result> results(size_t((count + blockSize - 1) / blockSize));
    inBlocks(count, blockSize, threads, limit,
             [&](qsizetype first, qsizetype end) { results[size_t(first / blockSize)] = doBlock(first, end); });
    return results;
}

} // namespace tessaly
