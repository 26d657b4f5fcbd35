#include "tlsidentity.h"

#include <QDateTime>
#include <QFile>
#include <QSslCertificate>
#include <QSslKey>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tessel::server;

namespace {

TEST(TlsIdentityTest, SelfSignedPairIsMadeWithAPrivateKeyFile)
{
    QTemporaryDir dir;
    SelfSignedRequest request = defaultSelfSignedRequest(dir.filePath("tls"), QHostAddress("192.0.2.7"));
    ASSERT_TRUE(request.dnsNames.contains("localhost"));
    QString error;
    ASSERT_TRUE(createSelfSigned(request, &error)) << qPrintable(error);

    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(request.keyFile).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(QFile::encodeName(dir.filePath("tls")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0077, 0u);

    const QList<QSslCertificate> certs = QSslCertificate::fromPath(request.certFile);
    ASSERT_EQ(certs.size(), 1);
    const QSslCertificate& cert = certs.first();
    EXPECT_TRUE(cert.isSelfSigned());
    const auto san = cert.subjectAlternativeNames();
    EXPECT_TRUE(san.values(QSsl::DnsEntry).contains("localhost"));
    const QStringList ips = san.values(QSsl::IpAddressEntry);
    for (const QString& ip :
         {QStringLiteral("127.0.0.1"), QStringLiteral("0:0:0:0:0:0:0:1"), QStringLiteral("192.0.2.7")}) {
        EXPECT_TRUE(ips.contains(ip) || ips.contains(QHostAddress(ip).toString()))
            << qPrintable(ips.join(", "));
    }
    const qint64 days = QDateTime::currentDateTimeUtc().daysTo(cert.expiryDate());
    EXPECT_GE(days, 3650);
    EXPECT_LE(days, 3660);

    QSslConfiguration configuration;
    EXPECT_TRUE(loadServerIdentity(request.certFile, request.keyFile, &configuration, &error))
        << qPrintable(error);
    EXPECT_FALSE(configuration.privateKey().isNull());
    EXPECT_EQ(configuration.localCertificate(), cert);
}

TEST(TlsIdentityTest, KeyOfAnotherCertificateIsRefused)
{
    QTemporaryDir dir;
    SelfSignedRequest a = defaultSelfSignedRequest(dir.filePath("a"), QHostAddress::LocalHost);
    SelfSignedRequest b = defaultSelfSignedRequest(dir.filePath("b"), QHostAddress::LocalHost);
    QString error;
    ASSERT_TRUE(createSelfSigned(a, &error));
    ASSERT_TRUE(createSelfSigned(b, &error));
    QSslConfiguration configuration;
    EXPECT_FALSE(loadServerIdentity(a.certFile, b.keyFile, &configuration, &error));
    EXPECT_TRUE(error.contains("is not the key of")) << qPrintable(error);
    EXPECT_FALSE(loadServerIdentity(a.certFile, dir.filePath("missing.key"), &configuration, &error));
    EXPECT_TRUE(error.contains("missing.key"));
}

}  // namespace
