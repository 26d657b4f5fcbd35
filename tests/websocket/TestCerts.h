// Certificates made at test time with OpenSSL: a CA and server certificates it signs.
#ifndef TESSEL_WS_TEST_CERTS_H
#define TESSEL_WS_TEST_CERTS_H

#include <QByteArray>
#include <QSslConfiguration>

namespace wstest {

struct PemPair
{
    QByteArray certificate;
    QByteArray privateKey;
};

/// A self-signed CA (P-256, SHA-256).
PemPair makeCa(const char* _pCommonName);

/// A server certificate signed by _ca, with the subjectAltName text _pSan
/// (for example "IP:127.0.0.1,DNS:localhost").
PemPair makeServerCertificate(const PemPair& _ca, const char* _pCommonName, const char* _pSan);

/// A self-signed server certificate (CA:FALSE), its own trust anchor.
PemPair makeSelfSignedServerCertificate(const char* _pCommonName, const char* _pSan);

/// Server-side TLS settings for a certificate and its key.
QSslConfiguration serverTls(const PemPair& _server);

}  // namespace wstest

#endif  // TESSEL_WS_TEST_CERTS_H
