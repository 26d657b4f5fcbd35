#include "FakeWebSocket.h"

#include <QMutexLocker>

namespace {

FakeWebSocketState& state()
{
    static FakeWebSocketState s;
    return s;
}

class FakeWebSocket final : public I_WebSocket
{
public:
    const char* GetVersion() override { return "fake"; }
    int SetOption(const QString&, const QString&) override { return -1; }
    QString GetOption(const QString&) override { return QString(); }
    int Disconnect(int) override { return 0; }
    int DisconnectAll() override { return 0; }
    int ChannelState(int) override { return 0; }
    QString ChannelUrl(int) override { return QString(); }
    int PendingRequests() override { return 0; }
    QString LastError(int) override { return QString(); }
    int SetReconnect(bool, int) override { return 0; }
    int Post(const QString&, const QJsonObject&) override { return 0; }

    int Connect(int _iChannel, QString _strUrl, WebSocketEventCallback, void*) override
    {
        QMutexLocker locker(&state().mutex);
        state().connects.append({_iChannel, _strUrl});
        return (_iChannel >= 1 && _iChannel <= 4) ? state().connectResult[_iChannel] : 0;
    }
    int IsConnected(int _iChannel) override
    {
        QMutexLocker locker(&state().mutex);
        return (_iChannel >= 1 && _iChannel <= 4) ? state().connected[_iChannel] : 0;
    }
    int SendAndWait(const QString& _strCommand, const QJsonObject& _jsonRequest, QString& _strAnswer,
                    int _iTimeout) override
    {
        return record(_strCommand, _jsonRequest, _strAnswer, _iTimeout, false);
    }
    int SendAndWaitSelected(const QString& _strCommand, const QJsonObject& _jsonRequest, QString& _strAnswer,
                            int _iSelector) override
    {
        return record(_strCommand, _jsonRequest, _strAnswer, _iSelector, true);
    }

private:
    static int record(const QString& _strCommand, const QJsonObject& _jsonRequest, QString& _strAnswer,
                      int _iValue, bool _bSelected)
    {
        QMutexLocker locker(&state().mutex);
        state().requests.append({_strCommand, _jsonRequest, _iValue, _bSelected});
        if (state().answers.isEmpty()) {
            _strAnswer = state().standingAnswers.value(_jsonRequest.value(QLatin1String("sqlexec")).toString(),
                                                       QStringLiteral(R"({"result":"OK","data":{"ret":0}})"));
            return 0;
        }
        const QPair<int, QString> answer = state().answers.takeFirst();
        _strAnswer = answer.second;
        return answer.first;
    }
};

}  // namespace

extern "C" {
__attribute__((visibility("default"))) I_WebSocket* CreatWebsocket()
{
    QMutexLocker locker(&state().mutex);
    ++state().created;
    return new FakeWebSocket();
}

__attribute__((visibility("default"))) int DeleteWebsocket(I_WebSocket* _pWebSocket)
{
    if (_pWebSocket == nullptr) {
        return -1;
    }
    {
        QMutexLocker locker(&state().mutex);
        ++state().deleted;
    }
    delete static_cast<FakeWebSocket*>(_pWebSocket);
    return 0;
}

__attribute__((visibility("default"))) FakeWebSocketState* fake_ws_state()
{
    return &state();
}
}
