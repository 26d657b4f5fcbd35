#include "TlsContext.h"

#include <QFile>

#include <boost/asio/ssl/context.hpp>

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

namespace tessel::ws {

QString makeTlsContext(const ClientOptions& _options, std::shared_ptr<boost::asio::ssl::context>* _pContext)
{
    namespace ssl = boost::asio::ssl;
    auto context = std::make_shared<ssl::context>(ssl::context::tls_client);
    context->set_options(ssl::context::default_workarounds | ssl::context::no_sslv2 | ssl::context::no_sslv3 |
                         ssl::context::no_tlsv1 | ssl::context::no_tlsv1_1);
    if (!_options.verify) {
        context->set_verify_mode(ssl::verify_none);
        *_pContext = std::move(context);
        return QString();
    }
    if (_options.caFile.isEmpty())
        return QStringLiteral(
            "no trust file configured: set ca_file in WebSocket.json or TESSEL_WS_CA_FILE, or "
            "TESSEL_WS_VERIFY=0");
    QFile file(_options.caFile);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read trust file %1: %2").arg(_options.caFile, file.errorString());
    const QByteArray pem = file.readAll();
    // Every certificate of the file goes into the context's own store; nothing else is trusted.
    X509_STORE* pStore = SSL_CTX_get_cert_store(context->native_handle());
    BIO* pBio = BIO_new_mem_buf(pem.constData(), pem.size());
    int iCertificates = 0;
    while (X509* pCertificate = PEM_read_bio_X509(pBio, nullptr, nullptr, nullptr)) {
        if (X509_STORE_add_cert(pStore, pCertificate) == 1)
            ++iCertificates;
        X509_free(pCertificate);
    }
    BIO_free(pBio);
    ERR_clear_error();
    if (iCertificates == 0)
        return QStringLiteral("trust file %1 holds no PEM certificate").arg(_options.caFile);
    context->set_verify_mode(ssl::verify_peer | ssl::verify_fail_if_no_peer_cert);
    *_pContext = std::move(context);
    return QString();
}

}  // namespace tessel::ws
