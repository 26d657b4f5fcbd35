// The one contract between the data layer and the WebSocket client library.
//
// The library is loaded at run time (QLibrary) from the application directory and exports two
// C entry points:
//   I_WebSocket* CreatWebsocket();
//   int          DeleteWebsocket(I_WebSocket*);
//
// The virtual table layout is part of the contract: eleven entries that the data layer never
// calls, followed by Connect, IsConnected, SendAndWait and SendAndWaitSelected, in that order.
// The interface has no virtual destructor on purpose (it would add entries in front of the
// ones the data layer calls); a client is destroyed only through DeleteWebsocket.
#ifndef I_WEBSOCKET_H
#define I_WEBSOCKET_H

#include <QJsonObject>
#include <QString>

/// Channel events reported through WebSocketEventCallback.
enum WebSocketEvent {
    WS_EVENT_OPENED = 1,     ///< the channel opened (also after an automatic reconnect)
    WS_EVENT_CLOSED = 2,     ///< an open channel closed
    WS_EVENT_ERROR = 3,      ///< a connect attempt failed (refused, TLS verification, handshake)
    WS_EVENT_BROADCAST = 4,  ///< the server pushed a text; the text argument carries it
};

/// Result codes of SendAndWait / SendAndWaitSelected besides 0 (answer stored).
enum WebSocketSendResult {
    WS_SEND_OK = 0,
    WS_SEND_NOT_CONNECTED = -1001,  ///< no open channel can carry the request
    WS_SEND_TIMEOUT = -1002,        ///< no answer within the timeout; a late answer is dropped
    WS_SEND_CLOSED = -1003,         ///< the channel closed while the request was in flight
    WS_SEND_BAD_ARGUMENT = -1004,   ///< empty command name or a name holding a blank or newline
    WS_SEND_SHUTDOWN = -1005,       ///< the client is being destroyed
};

/// Event callback: channel (1..4), event (WebSocketEvent), text (broadcast text), user pointer.
/// Called on the client's own socket thread.
typedef void (*WebSocketEventCallback)(int _iChannel, int _iEvent, const QString& _strText, void* _pUser);

class I_WebSocket
{
public:
    // ---- entries the data layer never calls (kept in this order for the table layout) ----
    /// Library version text, for example "tessel-websocket 1".
    virtual const char* GetVersion() = 0;
    /// Sets an option at run time ("ca_file", "verify", "token", "reconnect_max_ms",
    /// "loopback_plain"); 0 on success, -1 for an unknown key or a bad value.
    virtual int SetOption(const QString& _strKey, const QString& _strValue) = 0;
    /// Current value of an option as text; empty for an unknown key.
    virtual QString GetOption(const QString& _strKey) = 0;
    /// Closes one channel for good (no automatic reconnect); 0, or -1 for a bad channel.
    virtual int Disconnect(int _iChannel) = 0;
    /// Closes every channel for good; returns 0.
    virtual int DisconnectAll() = 0;
    /// 0 never connected or closed for good, 1 connecting or waiting to reconnect, 2 open.
    virtual int ChannelState(int _iChannel) = 0;
    /// The URL given to Connect for that channel; empty if none.
    virtual QString ChannelUrl(int _iChannel) = 0;
    /// Number of requests waiting for their answers.
    virtual int PendingRequests() = 0;
    /// Last error text seen on that channel (connect failure, TLS verification, close reason).
    virtual QString LastError(int _iChannel) = 0;
    /// Turns automatic reconnection on or off; _iMaxDelayMs caps the back-off (>= 100).
    virtual int SetReconnect(bool _bEnabled, int _iMaxDelayMs) = 0;
    /// Sends a request without waiting for its answer (the answer is discarded); 0 or an error.
    virtual int Post(const QString& _strCommand, const QJsonObject& _jsonRequest) = 0;

    // ---- the four operations the data layer calls ----
    /// Starts connecting channel _iChannel (1..4) to _strUrl and returns at once: non-zero when
    /// the attempt was started, 0 when it could not be (bad channel or URL, client shutting down).
    /// Events of this channel reach _pCallback with _pUser.
    virtual int Connect(int _iChannel, QString _strUrl, WebSocketEventCallback _pCallback, void* _pUser) = 0;
    /// Non-zero when the channel is open (no connect call is needed), 0 otherwise.
    virtual int IsConnected(int _iChannel) = 0;
    /// Sends _jsonRequest under _strCommand and blocks until its own answer arrives (0, the
    /// answer JSON text in _strAnswer) or _iTimeoutSec seconds pass (WS_SEND_TIMEOUT).
    /// Any number of threads may wait at once.
    virtual int SendAndWait(const QString& _strCommand, const QJsonObject& _jsonRequest, QString& _strAnswer,
                            int _iTimeoutSec) = 0;
    /// As SendAndWait, on the lane chosen by _iSelector (3: the maintenance lane, channel 4),
    /// with the long maintenance wait.
    virtual int SendAndWaitSelected(const QString& _strCommand, const QJsonObject& _jsonRequest,
                                    QString& _strAnswer, int _iSelector) = 0;

protected:
    ~I_WebSocket() = default;
};

extern "C" {
typedef I_WebSocket* (*PFN_CreatWebsocket)();
typedef int (*PFN_DeleteWebsocket)(I_WebSocket*);
}

#endif  // I_WEBSOCKET_H
