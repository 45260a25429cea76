#include "cli/interruption.h"

#include <atomic>
#include <csignal>
#include <initializer_list>

namespace tessaly::cli {

namespace {

std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler may only touch a lock-free atomic");

void noteSignal(int signal)
{
    int none = 0;
    g_signal.compare_exchange_strong(none, signal);
}

} // namespace

void catchInterruptions()
{
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    // Reads and writes in flight go on rather than fail with EINTR.
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

int interruptingSignal()
{
    return g_signal.load();
}

const char *signalName(int signal)
{
    switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "a signal";
    }
}

} // namespace tessaly::cli
