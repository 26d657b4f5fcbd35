// The server's TLS certificate and key: a self-signed pair made at first start, or given files.
#ifndef TESSEL_SERVER_TLSIDENTITY_H
#define TESSEL_SERVER_TLSIDENTITY_H

#include <QDateTime>
#include <QHostAddress>
#include <QList>
#include <QSslConfiguration>
#include <QString>
#include <QStringList>

namespace tessel::server {

struct SelfSignedRequest
{
    QString certFile;
    QString keyFile;
    QStringList dnsNames;           ///< subjectAltName DNS entries ("localhost", the host name)
    QList<QHostAddress> addresses;  ///< subjectAltName IP entries
    int validDays = 3653;           ///< ten years
};

/// Makes an EC P-256 key (file mode 0600) and a self-signed certificate for it, both PEM, written
/// under temporary names and renamed into place. False with `error` set on failure.
bool createSelfSigned(const SelfSignedRequest& request, QString* error);

/// The SAN entries the server puts in its certificate: localhost, 127.0.0.1, ::1, the listen
/// address unless it is a wildcard, and the host name.
SelfSignedRequest defaultSelfSignedRequest(const QString& tlsDir, const QHostAddress& listenAddress);

/// Loads a PEM certificate and key, checks that they belong together and fills a server-side
/// configuration (TLS 1.2 or later, no client certificates). False with `error` set on failure.
bool loadServerIdentity(const QString& certFile, const QString& keyFile, QSslConfiguration* configuration,
                        QString* error);

/// Days before the end of its validity from which the certificate is warned about.
inline constexpr int kCertificateWarningDays = 30;

/// End of the validity of the first certificate in a PEM file; invalid when it has none.
QDateTime certificateNotAfter(const QString& certFile);

/// The warning for a certificate valid until `notAfter` at `now`: expired, or expiring within
/// kCertificateWarningDays; empty when neither.
QString certificateExpiryWarning(const QString& certFile, const QDateTime& notAfter, const QDateTime& now);

/// Writes a copy of `certFile` to `publicFile`, mode 0644 (its folder made 0755 when missing),
/// for clients to trust: the folder of the key stays closed. False with `error` set.
bool publishCertificate(const QString& certFile, const QString& publicFile, QString* error);

/// The certificate the TLS channels serve, for the status report.
struct ServedCertificate
{
    QString file;
    QDateTime notAfter;  ///< invalid: no certificate recorded
};
void setServedCertificate(const ServedCertificate& certificate);
ServedCertificate servedCertificate();

}  // namespace tessel::server

#endif
