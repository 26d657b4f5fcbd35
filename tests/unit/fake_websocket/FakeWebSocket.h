// A recording stand-in for the WebSocket client library, built as libWebSocket.so into the unit
// tests' application directory. Tests reach its state through fake_ws_state().
#ifndef TESSEL_TESTS_FAKEWEBSOCKET_H
#define TESSEL_TESTS_FAKEWEBSOCKET_H

#include "I_WebSocket.h"

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QPair>
#include <QString>

struct FakeRequest
{
    QString command;
    QJsonObject request;
    int timeoutOrSelector = 0;
    bool selected = false;
};

struct FakeWebSocketState
{
    QMutex mutex;
    QList<FakeRequest> requests;
    /// Scripted results of the next sends: (send result, answer text). When empty a send answers
    /// 0 and {"result":"OK","data":{"ret":0}}.
    QList<QPair<int, QString>> answers;
    /// Answers by statement text ("sqlexec"), given in place of the default answer when nothing
    /// is scripted. Kept by reset().
    QMap<QString, QString> standingAnswers;
    QList<QPair<int, QString>> connects;  // (channel, url)
    int connectResult[5] = {1, 1, 1, 1, 1};
    int connected[5] = {0, 0, 0, 0, 0};
    int created = 0;
    int deleted = 0;

    void reset()
    {
        QMutexLocker locker(&mutex);
        requests.clear();
        answers.clear();
        connects.clear();
        for (int i = 0; i < 5; ++i) {
            connectResult[i] = 1;
            connected[i] = 0;
        }
    }
};

extern "C" {
typedef FakeWebSocketState* (*PFN_fake_ws_state)();
}

#endif
