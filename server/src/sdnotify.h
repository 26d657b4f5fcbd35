// Readiness and state for systemd (Type=notify): one datagram to the socket named by
// $NOTIFY_SOCKET. Without that variable (not started by systemd) nothing is sent.
#ifndef TESSEL_SERVER_SDNOTIFY_H
#define TESSEL_SERVER_SDNOTIFY_H

#include <QByteArray>

namespace tessel::server {

/// Sends `state` ("READY=1", "RELOADING=1", "STOPPING=1", "STATUS=...", lines joined by '\n').
/// False when there is no socket to send to or the send failed.
bool notifyService(const QByteArray& state);

/// "RELOADING=1" with the MONOTONIC_USEC systemd asks to go with it.
QByteArray reloadingState();

}  // namespace tessel::server

#endif
