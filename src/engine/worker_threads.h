// The worker threads of a run: as many as asked for when the system grants them,
// fewer when it does not (ulimit -u), never a hang for want of one.
#pragma once

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

} // namespace tessaly
