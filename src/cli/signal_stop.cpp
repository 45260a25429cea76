#include "cli/signal_stop.h"

#include <atomic>
#include <csignal>
#include <initializer_list>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaly::cli {

namespace {

// The handler reaches the program's token and the streams' flags through these:
// a signal handler can be given nothing else. Only lock-free atomics and
// async-signal-safe calls (fcntl) are used in it.
std::atomic<StopToken *> g_token{nullptr};
// The status flags of standard output and standard error when they are pipes or
// sockets, -1 otherwise.
std::atomic<int> g_streamFlags[2] = {-1, -1};
static_assert(std::atomic<StopToken *>::is_always_lock_free, "the handler may only touch lock-free atomics");
static_assert(std::atomic<int>::is_always_lock_free, "the handler may only touch lock-free atomics");

int pipeFlags(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !(S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)))
        return -1;
    return ::fcntl(fd, F_GETFL);
}

void noteSignal(int signal)
{
    if (StopToken *token = g_token.load())
        token->requestStop(signal);
    for (int i = 0; i < 2; ++i)
        if (const int flags = g_streamFlags[i].load(); flags >= 0)
            ::fcntl(STDOUT_FILENO + i, F_SETFL, flags | O_NONBLOCK);
}

} // namespace

void stopOnSignals(StopToken &token)
{
    g_token.store(&token);
    g_streamFlags[0].store(pipeFlags(STDOUT_FILENO));
    g_streamFlags[1].store(pipeFlags(STDERR_FILENO));
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    // Reads and writes in flight go on rather than fail with EINTR; a write to a
    // pipe that blocks is restarted non-blocking and gives up.
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

void restoreReportStreams()
{
    // Whoever shares the pipe after the program (the rest of a shell pipeline)
    // gets it back as it was.
    for (int i = 0; i < 2; ++i)
        if (const int flags = g_streamFlags[i].load(); flags >= 0)
            ::fcntl(STDOUT_FILENO + i, F_SETFL, flags);
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
