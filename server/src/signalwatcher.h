// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal: the handler writes the signal number into a socket
// pair, a QSocketNotifier reads it on the main thread.
#ifndef TESSEL_SERVER_SIGNALWATCHER_H
#define TESSEL_SERVER_SIGNALWATCHER_H

#include <QObject>

class QSocketNotifier;

namespace tessel::server {

class SignalWatcher : public QObject
{
    Q_OBJECT
public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

    /// Installs the handler for SIGTERM, SIGINT and SIGHUP; false (with errno set) on failure.
    /// One watcher per process.
    bool install();

signals:
    void received(int signalNumber);

private:
    void readPending();
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace tessel::server

#endif
