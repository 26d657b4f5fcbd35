#include "tlsidentity.h"

#include "logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostInfo>
#include <QRegularExpression>
#include <QSslCertificate>
#include <QSslKey>

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace tessel::server {

namespace {

template <typename T, void (*Free)(T*)>
struct Deleter
{
    void operator()(T* p) const { Free(p); }
};
using PKeyPtr = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using X509Ptr = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using ExtPtr = std::unique_ptr<X509_EXTENSION, Deleter<X509_EXTENSION, X509_EXTENSION_free>>;
using BnPtr = std::unique_ptr<BIGNUM, Deleter<BIGNUM, BN_free>>;

void freeBio(BIO* b)
{
    BIO_free_all(b);
}
using BioPtr = std::unique_ptr<BIO, Deleter<BIO, freeBio>>;

QString opensslError(const char* what)
{
    QString text = QString::fromLatin1(what);
    unsigned long e;
    while ((e = ERR_get_error()) != 0) {
        char buf[256];
        ERR_error_string_n(e, buf, sizeof buf);
        text += QLatin1String(": ") + QString::fromLatin1(buf);
    }
    return text;
}

QByteArray bioContents(BIO* bio)
{
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    return QByteArray(data, int(size));
}

/// Writes `data` to `path` with `mode` through a temporary file renamed into place.
bool writeFileAtomically(const QString& path, const QByteArray& data, mode_t mode, QString* error)
{
    const QByteArray target = QFile::encodeName(path);
    const QByteArray tmp = target + ".tmp";
    ::unlink(tmp.constData());
    const int fd = ::open(tmp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
        *error = QStringLiteral("cannot create %1: %2")
                     .arg(QFile::decodeName(tmp), QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    bool ok = ::fchmod(fd, mode) == 0;
    qsizetype done = 0;
    while (ok && done < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ok = n > 0;
        done += n > 0 ? n : 0;
    }
    ok = ok && ::fsync(fd) == 0;
    const int savedErrno = errno;
    ::close(fd);
    if (!ok || ::rename(tmp.constData(), target.constData()) != 0) {
        *error = QStringLiteral("cannot write %1: %2")
                     .arg(path, QString::fromLocal8Bit(std::strerror(ok ? errno : savedErrno)));
        ::unlink(tmp.constData());
        return false;
    }
    return true;
}

bool addExtension(X509* cert, int nid, const QByteArray& value)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
    ExtPtr ext(X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.constData()));
    return ext && X509_add_ext(cert, ext.get(), -1) == 1;
}

}  // namespace

SelfSignedRequest defaultSelfSignedRequest(const QString& tlsDir, const QHostAddress& listenAddress)
{
    SelfSignedRequest r;
    r.certFile = QDir(tlsDir).filePath(QStringLiteral("server.crt"));
    r.keyFile = QDir(tlsDir).filePath(QStringLiteral("server.key"));
    r.dnsNames << QStringLiteral("localhost");
    const QString host = QHostInfo::localHostName();
    static const QRegularExpression hostPattern(QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9.-]*[A-Za-z0-9])?$"));
    if (!host.isEmpty() && host != QLatin1String("localhost") && hostPattern.match(host).hasMatch()) {
        r.dnsNames << host;
    }
    r.addresses << QHostAddress(QHostAddress::LocalHost) << QHostAddress(QHostAddress::LocalHostIPv6);
    const bool wildcard = listenAddress == QHostAddress(QHostAddress::AnyIPv4) ||
                          listenAddress == QHostAddress(QHostAddress::AnyIPv6) ||
                          listenAddress == QHostAddress(QHostAddress::Any);
    if (!listenAddress.isNull() && !wildcard && !r.addresses.contains(listenAddress)) {
        r.addresses << listenAddress;
    }
    return r;
}

bool createSelfSigned(const SelfSignedRequest& request, QString* error)
{
    ERR_clear_error();
    PKeyPtr key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
    if (!key) {
        *error = opensslError("EC key generation failed");
        return false;
    }
    X509Ptr cert(X509_new());
    if (!cert || X509_set_version(cert.get(), 2) != 1) {
        *error = opensslError("X509_new failed");
        return false;
    }

    unsigned char serialBytes[16];
    if (RAND_bytes(serialBytes, sizeof serialBytes) != 1) {
        *error = opensslError("RAND_bytes failed");
        return false;
    }
    serialBytes[0] &= 0x7F;  // positive
    serialBytes[0] |= 0x01;  // and not shortened
    BnPtr serial(BN_bin2bn(serialBytes, sizeof serialBytes, nullptr));
    if (!serial || !BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(cert.get()))) {
        *error = opensslError("serial number");
        return false;
    }

    // An hour of slack for clocks slightly behind this host.
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
    X509_time_adj_ex(X509_getm_notAfter(cert.get()), request.validDays, 0, nullptr);
    X509_set_pubkey(cert.get(), key.get());

    X509_NAME* name = X509_get_subject_name(cert.get());
    const QByteArray commonName =
        "tessel-dbserver " +
        (request.dnsNames.size() > 1 ? request.dnsNames.at(1).toUtf8() : QByteArray("localhost"));
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>("Tessel"), -1,
                               -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(commonName.constData()), -1, -1, 0);
    X509_set_issuer_name(cert.get(), name);

    QStringList san;
    for (const QString& dns : request.dnsNames) {
        san << QLatin1String("DNS:") + dns;
    }
    for (const QHostAddress& address : request.addresses) {
        san << QLatin1String("IP:") + address.toString();
    }
    if (!addExtension(cert.get(), NID_basic_constraints, "critical,CA:FALSE") ||
        !addExtension(cert.get(), NID_ext_key_usage, "serverAuth") ||
        !addExtension(cert.get(), NID_subject_key_identifier, "hash") ||
        !addExtension(cert.get(), NID_subject_alt_name, san.join(QLatin1Char(',')).toUtf8())) {
        *error = opensslError("certificate extensions");
        return false;
    }
    if (X509_sign(cert.get(), key.get(), EVP_sha256()) <= 0) {
        *error = opensslError("signing the certificate failed");
        return false;
    }

    BioPtr keyBio(BIO_new(BIO_s_mem()));
    BioPtr certBio(BIO_new(BIO_s_mem()));
    if (!keyBio || !certBio ||
        PEM_write_bio_PrivateKey(keyBio.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1 ||
        PEM_write_bio_X509(certBio.get(), cert.get()) != 1) {
        *error = opensslError("PEM encoding failed");
        return false;
    }

    for (const QString& file : {request.keyFile, request.certFile}) {
        const QString dir = QFileInfo(file).absolutePath();
        if (!QDir().mkpath(dir)) {
            *error = QStringLiteral("cannot create %1").arg(dir);
            return false;
        }
    }
    ::chmod(QFile::encodeName(QFileInfo(request.keyFile).absolutePath()).constData(), 0700);
    // Key first: a certificate on disk always has its key.
    if (!writeFileAtomically(request.keyFile, bioContents(keyBio.get()), 0600, error) ||
        !writeFileAtomically(request.certFile, bioContents(certBio.get()), 0644, error)) {
        return false;
    }
    qCInfo(lcTls, "created a self-signed certificate %s (%s)", qPrintable(request.certFile),
           qPrintable(san.join(QLatin1String(", "))));
    return true;
}

bool loadServerIdentity(const QString& certFile, const QString& keyFile, QSslConfiguration* configuration,
                        QString* error)
{
    QFile cf(certFile);
    QFile kf(keyFile);
    if (!cf.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(certFile, cf.errorString());
        return false;
    }
    if (!kf.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(keyFile, kf.errorString());
        return false;
    }
    const QByteArray certPem = cf.readAll();
    const QByteArray keyPem = kf.readAll();

    // OpenSSL tells whether the two belong together; Qt alone would only fail at the handshake.
    ERR_clear_error();
    BioPtr cb(BIO_new_mem_buf(certPem.constData(), certPem.size()));
    BioPtr kb(BIO_new_mem_buf(keyPem.constData(), keyPem.size()));
    X509Ptr x(PEM_read_bio_X509(cb.get(), nullptr, nullptr, nullptr));
    PKeyPtr k(PEM_read_bio_PrivateKey(kb.get(), nullptr, nullptr, nullptr));
    if (!x) {
        *error = opensslError(qPrintable(QStringLiteral("%1 holds no PEM certificate").arg(certFile)));
        return false;
    }
    if (!k) {
        *error =
            opensslError(qPrintable(QStringLiteral("%1 holds no unencrypted PEM private key").arg(keyFile)));
        return false;
    }
    if (X509_check_private_key(x.get(), k.get()) != 1) {
        *error = opensslError(qPrintable(QStringLiteral("%1 is not the key of %2").arg(keyFile, certFile)));
        return false;
    }

    const QList<QSslCertificate> chain = QSslCertificate::fromData(certPem, QSsl::Pem);
    QSslKey key;
    for (QSsl::KeyAlgorithm algorithm : {QSsl::Ec, QSsl::Rsa, QSsl::Dsa}) {
        key = QSslKey(keyPem, algorithm, QSsl::Pem, QSsl::PrivateKey);
        if (!key.isNull()) {
            break;
        }
    }
    if (chain.isEmpty() || key.isNull()) {
        *error = QStringLiteral("Qt cannot use the certificate %1 or the key %2").arg(certFile, keyFile);
        return false;
    }
    QSslConfiguration c = QSslConfiguration::defaultConfiguration();
    c.setLocalCertificateChain(chain);
    c.setPrivateKey(key);
    c.setPeerVerifyMode(QSslSocket::VerifyNone);
    c.setProtocol(QSsl::TlsV1_2OrLater);
    *configuration = c;
    return true;
}

QDateTime certificateNotAfter(const QString& certFile)
{
    const QList<QSslCertificate> chain = QSslCertificate::fromPath(certFile, QSsl::Pem);
    return chain.isEmpty() ? QDateTime() : chain.constFirst().expiryDate().toUTC();
}

QString certificateExpiryWarning(const QString& certFile, const QDateTime& notAfter, const QDateTime& now)
{
    if (!notAfter.isValid()) {
        return QString();
    }
    const QString when = notAfter.toUTC().toString(Qt::ISODate);
    if (notAfter <= now) {
        return QStringLiteral("the certificate %1 expired on %2: clients refuse the TLS channels; "
                              "renew it (or delete it and its key to get a new self-signed pair) and "
                              "reload the server")
            .arg(certFile, when);
    }
    const qint64 seconds = now.secsTo(notAfter);
    if (seconds <= qint64(kCertificateWarningDays) * 86400) {
        return QStringLiteral("the certificate %1 expires on %2, in %3 days: renew it and reload the server")
            .arg(certFile, when)
            .arg(seconds / 86400);
    }
    return QString();
}

bool publishCertificate(const QString& certFile, const QString& publicFile, QString* error)
{
    QFile in(certFile);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(certFile, in.errorString());
        return false;
    }
    const QByteArray pem = in.readAll();
    if (QSslCertificate::fromData(pem, QSsl::Pem).isEmpty()) {
        *error = QStringLiteral("%1 holds no PEM certificate").arg(certFile);
        return false;
    }
    const QString dir = QFileInfo(publicFile).absolutePath();
    if (!QFileInfo(dir).isDir()) {
        if (!QDir().mkpath(dir)) {
            *error = QStringLiteral("cannot create %1").arg(dir);
            return false;
        }
        ::chmod(QFile::encodeName(dir).constData(), 0755);
    }
    return writeFileAtomically(publicFile, pem, 0644, error);
}

namespace {
std::mutex g_servedMutex;
ServedCertificate g_served;  // guarded by g_servedMutex
}  // namespace

void setServedCertificate(const ServedCertificate& certificate)
{
    std::lock_guard<std::mutex> lock(g_servedMutex);
    g_served = certificate;
}

ServedCertificate servedCertificate()
{
    std::lock_guard<std::mutex> lock(g_servedMutex);
    return g_served;
}

}  // namespace tessel::server
