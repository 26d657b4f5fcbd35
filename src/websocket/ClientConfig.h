// Options of the client library: WebSocket.json, environment overrides, SetOption.
#ifndef TESSEL_WS_CLIENT_CONFIG_H
#define TESSEL_WS_CLIENT_CONFIG_H

#include <QString>

namespace tessel::ws {

struct ClientOptions
{
    QString caFile;  ///< trust file (PEM), absolute; empty when none is configured
    bool verify = true;
    QString token;  ///< sent as X-Tessel-Token when not empty
    bool loopbackPlain = true;
    int reconnectMaxMs = 5000;
};

constexpr int kMinReconnectMs = 100;

/// Defaults, then the configuration file (TESSEL_WS_CONFIG, else WebSocket.json beside the
/// library), then TESSEL_WS_CA_FILE, TESSEL_WS_TOKEN and TESSEL_WS_VERIFY. Problems are logged,
/// never fatal.
ClientOptions loadClientOptions();

/// Sets one option from text; false (and *_pError) for an unknown key or a bad value.
bool setOptionText(ClientOptions& _options, const QString& _strKey, const QString& _strValue,
                   QString* _pError);

/// Text of one option; a null QString for an unknown key.
QString optionText(const ClientOptions& _options, const QString& _strKey);

}  // namespace tessel::ws

#endif  // TESSEL_WS_CLIENT_CONFIG_H
