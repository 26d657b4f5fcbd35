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
//
// CreatWebsocket reads the library's configuration (WebSocket.json beside the library, or the
// file named by TESSEL_WS_CONFIG; see docs/protocol.md) and starts the client's own control
// thread, which opens and reconnects the channels and runs the event callbacks; each open
// channel has a reader thread of its own. No event loop and no QCoreApplication is needed.
// DeleteWebsocket may be called from any thread except the control thread (that is, not from an
// event callback): it wakes every waiting caller with WS_SEND_SHUTDOWN, closes the channels and
// joins the client's threads; no callback runs after it returns. It returns 0, or -1 for nullptr,
// for a pointer that is not a live client, or when called from a callback.
#ifndef I_WEBSOCKET_H
#define I_WEBSOCKET_H

#include <QJsonObject>
#include <QString>

/// Channel events reported through WebSocketEventCallback.
enum WebSocketEvent {
    WS_EVENT_OPENED = 1,     ///< the channel opened (also after an automatic reconnect)
    WS_EVENT_CLOSED = 2,     ///< an open channel closed; it reconnects by itself (then 1 again)
    WS_EVENT_ERROR = 3,      ///< the first failed connect attempt since Connect (refused, TLS
                             ///< verification, handshake, configuration); later ones are silent
    WS_EVENT_BROADCAST = 4,  ///< the server pushed a text; the text argument carries it
};

/// Result codes of SendAndWait / SendAndWaitSelected besides 0 (answer stored).
enum WebSocketSendResult {
    WS_SEND_OK = 0,
    WS_SEND_NOT_CONNECTED = -1001,  ///< no open channel can carry the request
    WS_SEND_TIMEOUT = -1002,        ///< no answer within the timeout; a late answer is dropped
    WS_SEND_CLOSED = -1003,         ///< the channel closed while the request was in flight
    WS_SEND_BAD_ARGUMENT = -1004,   ///< command name empty or not only ASCII letters and digits;
                                    ///< also a wait called from an event callback
    WS_SEND_SHUTDOWN = -1005,       ///< the client is being destroyed
};

/// Event callback: channel (1..4), event (WebSocketEvent), text, user pointer. The text is the
/// broadcast text for WS_EVENT_BROADCAST, the reason (as LastError) for WS_EVENT_CLOSED and
/// WS_EVENT_ERROR, empty for WS_EVENT_OPENED. Called on the client's own control thread, one
/// call at a time, never on a caller's thread: keep it short, and do not wait for an answer in it
/// (SendAndWait there returns WS_SEND_BAD_ARGUMENT at once).
typedef void (*WebSocketEventCallback)(int _iChannel, int _iEvent, const QString& _strText, void* _pUser);

class I_WebSocket
{
public:
    // ---- entries the data layer never calls (kept in this order for the table layout) ----
    /// Library version text, for example "tessel-websocket 1".
    virtual const char* GetVersion() = 0;
    /// Sets an option at run time ("ca_file", "verify", "token", "reconnect_max_ms",
    /// "loopback_plain"); 0 on success, -1 (and the old value kept) for an unknown key or a bad
    /// value. Booleans take 1/0, true/false, yes/no, on/off. TLS options apply to later Connects.
    virtual int SetOption(const QString& _strKey, const QString& _strValue) = 0;
    /// Current value of an option as text (booleans "true"/"false"); empty for an unknown key.
    virtual QString GetOption(const QString& _strKey) = 0;
    /// Closes one channel for good (no automatic reconnect); 0, or -1 for a bad channel.
    /// Requests in flight on it fail with WS_SEND_CLOSED. No event of the channel is reported
    /// once it returns.
    virtual int Disconnect(int _iChannel) = 0;
    /// Closes every channel for good; returns 0.
    virtual int DisconnectAll() = 0;
    /// 0 never connected or closed for good, 1 connecting or waiting to reconnect, 2 open.
    /// 0 as well for a channel number outside 1..4.
    virtual int ChannelState(int _iChannel) = 0;
    /// The URL given to Connect for that channel; empty if none.
    virtual QString ChannelUrl(int _iChannel) = 0;
    /// Number of requests waiting for their answers.
    virtual int PendingRequests() = 0;
    /// Last error text seen on that channel (connect failure, TLS verification, close reason).
    virtual QString LastError(int _iChannel) = 0;
    /// Turns automatic reconnection on or off; _iMaxDelayMs caps the back-off (>= 100). Returns
    /// 0, or -1 when turning it on with a cap below 100 ms. Turned off, a channel that closes or
    /// fails to connect goes to state 0.
    virtual int SetReconnect(bool _bEnabled, int _iMaxDelayMs) = 0;
    /// Sends a request without waiting for its answer (the answer is discarded); 0 or a
    /// WebSocketSendResult code. Same lane choice as SendAndWait.
    virtual int Post(const QString& _strCommand, const QJsonObject& _jsonRequest) = 0;

    // ---- the four operations the data layer calls ----
    /// Starts connecting channel _iChannel (1..4) to _strUrl and returns at once: non-zero when
    /// the attempt was started, 0 when it could not be (bad channel or URL, client shutting down).
    /// The URL is ws://host:port or wss://host:port (the port is required). Events of this channel
    /// reach _pCallback with _pUser. A channel that is already open, connecting or reconnecting to
    /// the same URL is left as it is (non-zero, callback unchanged); another URL moves it there.
    virtual int Connect(int _iChannel, QString _strUrl, WebSocketEventCallback _pCallback, void* _pUser) = 0;
    /// Non-zero when the channel is open (no connect call is needed), 0 otherwise.
    virtual int IsConnected(int _iChannel) = 0;
    /// Sends _jsonRequest under _strCommand and blocks until its own answer arrives (0, the
    /// answer JSON text in _strAnswer) or _iTimeoutSec seconds pass (WS_SEND_TIMEOUT; 3 s when
    /// _iTimeoutSec <= 0). Returns at once with WS_SEND_CLOSED when the channel carrying the
    /// request closes, WS_SEND_SHUTDOWN when the client is deleted. _strAnswer is set only on 0.
    /// Any number of threads may wait at once.
    virtual int SendAndWait(const QString& _strCommand, const QJsonObject& _jsonRequest, QString& _strAnswer,
                            int _iTimeoutSec) = 0;
    /// As SendAndWait, on the lane chosen by _iSelector (3: the maintenance lane, channel 4,
    /// else the SendAndWait lane), with the long maintenance wait (3600 s).
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
