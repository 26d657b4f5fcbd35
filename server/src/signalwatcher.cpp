#include "signalwatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tessel::server {

namespace {

int g_fds[2] = {-1, -1};  // [0] written by the handler, [1] read by the notifier

void onSignal(int number)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t n = ::write(g_fds[0], &byte, 1);
    errno = savedErrno;
}

}  // namespace

SignalWatcher::SignalWatcher(QObject* parent) : QObject(parent) {}

SignalWatcher::~SignalWatcher()
{
    if (g_fds[0] >= 0) {
        struct sigaction sa = {};
        sa.sa_handler = SIG_DFL;
        ::sigaction(SIGTERM, &sa, nullptr);
        ::sigaction(SIGINT, &sa, nullptr);
        ::sigaction(SIGHUP, &sa, nullptr);
        ::close(g_fds[0]);
        ::close(g_fds[1]);
        g_fds[0] = g_fds[1] = -1;
    }
}

bool SignalWatcher::install()
{
    if (g_fds[0] >= 0) {
        errno = EBUSY;
        return false;
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_fds) != 0) {
        return false;
    }
    m_notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalWatcher::readPending);

    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &sa, nullptr) == 0 && ::sigaction(SIGINT, &sa, nullptr) == 0 &&
           ::sigaction(SIGHUP, &sa, nullptr) == 0;
}

void SignalWatcher::readPending()
{
    unsigned char bytes[16];
    ssize_t n;
    while ((n = ::read(g_fds[1], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < n; ++i) {
            emit received(bytes[i]);
        }
    }
}

}  // namespace tessel::server
