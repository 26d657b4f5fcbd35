#include "sdnotify.h"

#include <QtGlobal>

#include <cstddef>
#include <cstring>
#include <ctime>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace tessel::server {

bool notifyService(const QByteArray& state)
{
    const QByteArray path = qgetenv("NOTIFY_SOCKET");
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || size_t(path.size()) >= sizeof(address.sun_path) ||
        (path.at(0) != '/' && path.at(0) != '@')) {
        return false;
    }
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + size_t(path.size()));
    if (path.at(0) == '@') {
        address.sun_path[0] = '\0';  // an abstract socket name
    }
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const ssize_t sent = ::sendto(fd, state.constData(), size_t(state.size()), MSG_NOSIGNAL,
                                  reinterpret_cast<const sockaddr*>(&address), length);
    ::close(fd);
    return sent == ssize_t(state.size());
}

QByteArray reloadingState()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const quint64 usec = quint64(now.tv_sec) * 1000000u + quint64(now.tv_nsec) / 1000u;
    return "RELOADING=1\nMONOTONIC_USEC=" + QByteArray::number(usec);
}

}  // namespace tessel::server
