// TLS settings of a wss:// channel, from the client's options.
#ifndef TESSEL_WS_TLS_CONTEXT_H
#define TESSEL_WS_TLS_CONTEXT_H

#include "ClientConfig.h"

#include <QString>

#include <memory>

namespace boost::asio::ssl {
class context;
}

namespace tessel::ws {

/// TLS context for a wss:// channel: the configured trust file only (never the system store), or
/// no verification when verify is off. Returns an empty text on success, else why the channel
/// cannot be opened with these options (a configuration error: retrying cannot help).
QString makeTlsContext(const ClientOptions& _options, std::shared_ptr<boost::asio::ssl::context>* _pContext);

}  // namespace tessel::ws

#endif  // TESSEL_WS_TLS_CONTEXT_H
