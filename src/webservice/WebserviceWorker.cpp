// The web-service worker: one blocking HTTP request per call, made with cpp-httplib.
#include "WebserviceWorker.h"

#include "ClientConfig.h"

#include <httplib.h>

#include <QLoggingCategory>
#include <QUrl>

#include <chrono>
#include <cstdlib>
#include <cstring>

// ClientConfig.cpp logs under the WebSocket library's category.
Q_LOGGING_CATEGORY(lcWebSocket, "tessel.websocket")

namespace {

const char kTokenHeader[] = "X-Tessel-Token";

// The token of the WebSocket channel's configuration, read once per process.
const std::string& accessToken()
{
    static const std::string s_strToken = tessel::ws::loadClientOptions().token.toStdString();
    return s_strToken;
}

// The service answers a request only once it has read, decoded and stored the whole body, so
// the wait for the reply grows with what was sent: one second more per MiB. A large upload that
// succeeds slowly is then reported as the success it is, and a small request keeps the plain
// time-out.
const long long kBytesPerExtraSecond = 1024 * 1024;

long long replyWaitMs(long long _llTimeoutMs, std::size_t _nBodyBytes)
{
    if (_llTimeoutMs <= 0) {
        return 0;
    }
    return _llTimeoutMs + static_cast<long long>(_nBodyBytes) * 1000 / kBytesPerExtraSecond;
}

char* copyReply(const std::string& _strBody)
{
    auto* pReply = static_cast<char*>(std::malloc(_strBody.size() + 1));
    if (pReply != nullptr) {
        std::memcpy(pReply, _strBody.data(), _strBody.size());
        pReply[_strBody.size()] = '\0';
    }
    return pReply;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int webservice_worker_request(const char* _pszUrl, int _iTimeoutMs,
                                                                     const char* _pszParams, int _iMode,
                                                                     char** _ppReply)
{
    if (_ppReply == nullptr) {
        return -1;
    }
    *_ppReply = nullptr;
    if (_pszUrl == nullptr || _iMode != WEBSERVICE_MODE_POST) {
        return -1;
    }
    const QUrl url(QString::fromUtf8(_pszUrl), QUrl::TolerantMode);
    if (!url.isValid() || url.scheme() != QLatin1String("http") || url.host().isEmpty()) {
        return -1;
    }
    std::string strTarget = url.path(QUrl::FullyEncoded).toStdString();
    if (strTarget.empty()) {
        strTarget = "/";
    }
    if (url.hasQuery()) {
        strTarget += '?' + url.query(QUrl::FullyEncoded).toStdString();
    }

    try {
        httplib::Client client(url.host(QUrl::FullyEncoded).toStdString(), url.port(80));
        client.set_url_encode(false);  // QUrl has encoded the target already
        const char* pszBody = _pszParams != nullptr ? _pszParams : "";
        const std::size_t nBody = std::strlen(pszBody);
        const long long llTimeoutMs = _iTimeoutMs > 0 ? _iTimeoutMs : 0;
        client.set_connection_timeout(std::chrono::milliseconds(llTimeoutMs));
        client.set_write_timeout(std::chrono::milliseconds(llTimeoutMs));
        client.set_read_timeout(std::chrono::milliseconds(replyWaitMs(llTimeoutMs, nBody)));
        httplib::Headers headers;
        if (!accessToken().empty()) {
            headers.emplace(kTokenHeader, accessToken());
        }
        const httplib::Result result =
            client.Post(strTarget.c_str(), headers, pszBody, nBody, "text/plain; charset=utf-8");
        if (!result) {
            return -1;
        }
        *_ppReply = copyReply(result->body);
        return *_ppReply != nullptr ? 0 : -1;
    } catch (...) {
        return -1;
    }
}

__attribute__((visibility("default"))) void webservice_worker_free(char* _pReply)
{
    std::free(_pReply);
}

}  // extern "C"
