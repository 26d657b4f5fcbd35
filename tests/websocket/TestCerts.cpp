#include "TestCerts.h"

#include <QSslCertificate>
#include <QSslKey>

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>
#include <stdexcept>

namespace wstest {

namespace {

struct Free
{
    void operator()(EVP_PKEY* _p) const { EVP_PKEY_free(_p); }
    void operator()(X509* _p) const { X509_free(_p); }
    void operator()(BIO* _p) const { BIO_free(_p); }
    void operator()(X509_EXTENSION* _p) const { X509_EXTENSION_free(_p); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, Free>;
using CertPtr = std::unique_ptr<X509, Free>;
using BioPtr = std::unique_ptr<BIO, Free>;
using ExtPtr = std::unique_ptr<X509_EXTENSION, Free>;

void check(bool _bOk, const char* _pWhat)
{
    if (!_bOk)
        throw std::runtime_error(_pWhat);
}

QByteArray bioText(BIO* _pBio)
{
    char* pData = nullptr;
    const long iSize = BIO_get_mem_data(_pBio, &pData);
    return QByteArray(pData, int(iSize));
}

QByteArray certificatePem(X509* _pCert)
{
    BioPtr bio(BIO_new(BIO_s_mem()));
    check(PEM_write_bio_X509(bio.get(), _pCert) == 1, "PEM_write_bio_X509");
    return bioText(bio.get());
}

QByteArray keyPem(EVP_PKEY* _pKey)
{
    BioPtr bio(BIO_new(BIO_s_mem()));
    check(PEM_write_bio_PrivateKey(bio.get(), _pKey, nullptr, nullptr, 0, nullptr, nullptr) == 1,
          "PEM_write_bio_PrivateKey");
    return bioText(bio.get());
}

KeyPtr readKey(const QByteArray& _pem)
{
    BioPtr bio(BIO_new_mem_buf(_pem.constData(), _pem.size()));
    KeyPtr key(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr));
    check(key != nullptr, "PEM_read_bio_PrivateKey");
    return key;
}

CertPtr readCertificate(const QByteArray& _pem)
{
    BioPtr bio(BIO_new_mem_buf(_pem.constData(), _pem.size()));
    CertPtr cert(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
    check(cert != nullptr, "PEM_read_bio_X509");
    return cert;
}

void addExtension(X509* _pCert, X509* _pIssuer, int _iNid, const char* _pValue)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, _pIssuer, _pCert, nullptr, nullptr, 0);
    ExtPtr ext(X509V3_EXT_conf_nid(nullptr, &ctx, _iNid, _pValue));
    check(ext != nullptr, "X509V3_EXT_conf_nid");
    check(X509_add_ext(_pCert, ext.get(), -1) == 1, "X509_add_ext");
}

// _pIssuer null: self-signed. The caller signs.
CertPtr makeCertificate(EVP_PKEY* _pKey, const char* _pCommonName, X509* _pIssuer)
{
    CertPtr cert(X509_new());
    check(cert != nullptr, "X509_new");
    X509_set_version(cert.get(), 2);
    unsigned char serial[8];
    check(RAND_bytes(serial, sizeof serial) == 1, "RAND_bytes");
    serial[0] &= 0x7f;
    BIGNUM* pSerial = BN_bin2bn(serial, sizeof serial, nullptr);
    BN_to_ASN1_INTEGER(pSerial, X509_get_serialNumber(cert.get()));
    BN_free(pSerial);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 24 * 3600);
    check(X509_set_pubkey(cert.get(), _pKey) == 1, "X509_set_pubkey");
    X509_NAME* pName = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(pName, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(_pCommonName), -1, -1, 0);
    X509_set_issuer_name(cert.get(), _pIssuer != nullptr ? X509_get_subject_name(_pIssuer) : pName);
    return cert;
}

}  // namespace

PemPair makeCa(const char* _pCommonName)
{
    KeyPtr key(EVP_EC_gen("P-256"));
    check(key != nullptr, "EVP_EC_gen");
    CertPtr cert = makeCertificate(key.get(), _pCommonName, nullptr);
    addExtension(cert.get(), cert.get(), NID_basic_constraints, "critical,CA:TRUE");
    addExtension(cert.get(), cert.get(), NID_key_usage, "critical,keyCertSign,cRLSign");
    addExtension(cert.get(), cert.get(), NID_subject_key_identifier, "hash");
    check(X509_sign(cert.get(), key.get(), EVP_sha256()) > 0, "X509_sign");
    return PemPair{certificatePem(cert.get()), keyPem(key.get())};
}

PemPair makeServerCertificate(const PemPair& _ca, const char* _pCommonName, const char* _pSan)
{
    const KeyPtr caKey = readKey(_ca.privateKey);
    const CertPtr caCert = readCertificate(_ca.certificate);
    KeyPtr key(EVP_EC_gen("P-256"));
    check(key != nullptr, "EVP_EC_gen");
    CertPtr cert = makeCertificate(key.get(), _pCommonName, caCert.get());
    addExtension(cert.get(), caCert.get(), NID_basic_constraints, "critical,CA:FALSE");
    addExtension(cert.get(), caCert.get(), NID_key_usage, "critical,digitalSignature");
    addExtension(cert.get(), caCert.get(), NID_ext_key_usage, "serverAuth");
    addExtension(cert.get(), caCert.get(), NID_subject_alt_name, _pSan);
    addExtension(cert.get(), caCert.get(), NID_authority_key_identifier, "keyid");
    check(X509_sign(cert.get(), caKey.get(), EVP_sha256()) > 0, "X509_sign");
    return PemPair{certificatePem(cert.get()), keyPem(key.get())};
}

PemPair makeSelfSignedServerCertificate(const char* _pCommonName, const char* _pSan)
{
    KeyPtr key(EVP_EC_gen("P-256"));
    check(key != nullptr, "EVP_EC_gen");
    CertPtr cert = makeCertificate(key.get(), _pCommonName, nullptr);
    addExtension(cert.get(), cert.get(), NID_basic_constraints, "critical,CA:FALSE");
    addExtension(cert.get(), cert.get(), NID_key_usage, "critical,digitalSignature");
    addExtension(cert.get(), cert.get(), NID_ext_key_usage, "serverAuth");
    addExtension(cert.get(), cert.get(), NID_subject_alt_name, _pSan);
    check(X509_sign(cert.get(), key.get(), EVP_sha256()) > 0, "X509_sign");
    return PemPair{certificatePem(cert.get()), keyPem(key.get())};
}

QSslConfiguration serverTls(const PemPair& _server)
{
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setLocalCertificate(QSslCertificate(_server.certificate, QSsl::Pem));
    config.setPrivateKey(QSslKey(_server.privateKey, QSsl::Ec, QSsl::Pem));
    config.setPeerVerifyMode(QSslSocket::VerifyNone);
    return config;
}

}  // namespace wstest
