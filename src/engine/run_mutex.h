// The lock of what a run's threads share for a moment per file (which file is
// next, the claimed results, the open output folders). A thread that finds it
// taken spins briefly before it sleeps: the holder is done within a few hundred
// instructions as a rule, and a sleep and a wake-up cost more than that.
#pragma once

#include <pthread.h>

namespace tessaly {

class RunMutex {
public:
    RunMutex()
    {
        pthread_mutexattr_t attributes;
        pthread_mutexattr_init(&attributes);
#ifdef __GLIBC__
        // glibc's own kind; other C libraries keep their default lock.
        pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_ADAPTIVE_NP);
#endif
        pthread_mutex_init(&m_mutex, &attributes);
        pthread_mutexattr_destroy(&attributes);
    }
    ~RunMutex() { pthread_mutex_destroy(&m_mutex); }
    RunMutex(const RunMutex &) = delete;
    RunMutex &operator=(const RunMutex &) = delete;

    void lock() { pthread_mutex_lock(&m_mutex); }
    void unlock() { pthread_mutex_unlock(&m_mutex); }
    bool try_lock() { return pthread_mutex_trylock(&m_mutex) == 0; }

private:
    pthread_mutex_t m_mutex;
};

} // namespace tessaly
