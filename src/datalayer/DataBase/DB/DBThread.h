#ifndef DBTHREAD_H
#define DBTHREAD_H

#include <QThread>

/// Creates the WebSocket client, connects the first channel and keeps an event loop running
/// until told to exit.
class DBThread : public QThread
{
    Q_OBJECT
protected:
    void run() override;
};

#endif  // DBTHREAD_H
