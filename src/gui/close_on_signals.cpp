#include "gui/close_on_signals.h"

#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <initializer_list>

#include <sys/socket.h>
#include <unistd.h>

namespace tessaly {

namespace {

// The handler can only write a byte; the window's thread reads it and closes
// the window. Both ends belong to the one CloseOnSignals of the program.
int g_signalSockets[2] = {-1, -1};

void noteSignal(int signal)
{
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_signalSockets[0], &byte, 1);
}

} // namespace

CloseOnSignals::CloseOnSignals(QWidget &window) : m_window(window)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalSockets) != 0)
        return;
    m_notifier = new QSocketNotifier(g_signalSockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(g_signalSockets[1], bytes, sizeof bytes) > 0) {
        }
        m_window.close();
    });
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signal, &action, nullptr);
}

CloseOnSignals::~CloseOnSignals()
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signal, &action, nullptr);
    for (int &fd : g_signalSockets) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

} // namespace tessaly
