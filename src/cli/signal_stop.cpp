#include "cli/signal_stop.h"

#include <atomic>
#include <csignal>
#include <initializer_list>

namespace tessaly::cli {

namespace {

// The handler reaches the program's token through this: a signal handler can
// be given nothing else. It touches only a lock-free atomic.
std::atomic<StopToken *> g_token{nullptr};
static_assert(std::atomic<StopToken *>::is_always_lock_free, "the handler may only touch lock-free atomics");

void noteSignal(int signal)
{
    if (StopToken *token = g_token.load())
        token->requestStop(signal);
}

} // namespace

void stopOnSignals(StopToken &token)
{
    g_token.store(&token);
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    // Reads and writes in flight go on rather than fail with EINTR: the report
    // streams and the list reader wait in poll(), which looks at the token.
    action.sa_flags = SA_RESTART;
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
        sigaddset(&stopSignals, signal);
    }
    // Threads started later take this mask: every one may take the signal.
    pthread_sigmask(SIG_UNBLOCK, &stopSignals, nullptr);
}

const char *signalName(int signal)
{
    switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    case SIGPIPE: return "SIGPIPE";
    default: return "a signal";
    }
}

} // namespace tessaly::cli
