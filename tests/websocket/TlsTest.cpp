// wss:// channels: server certificate checked against the configured trust file.
#include "TestCerts.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <algorithm>
#include <future>

using namespace wstest;

namespace {

const QString kNoTrustFile = QStringLiteral(
    "no trust file configured: set ca_file in WebSocket.json or TESSEL_WS_CA_FILE, or TESSEL_WS_VERIFY=0");

class Tls : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<QTemporaryDir>();
        const PemPair ca = makeCa("Tessel test CA");
        writeFile("ca.pem", ca.certificate);
        writeFile("other-ca.pem", makeCa("Some other CA").certificate);
        writeFile("empty.pem", QByteArray());
        writeFile("garbage.pem",
                  "-----BEGIN CERTIFICATE-----\nnot base64 at all\n-----END CERTIFICATE-----\n");
        s_good = std::make_unique<QSslConfiguration>(
            serverTls(makeServerCertificate(ca, "tessel test server", "IP:127.0.0.1,DNS:localhost")));
        s_elsewhere = std::make_unique<QSslConfiguration>(
            serverTls(makeServerCertificate(ca, "elsewhere.test", "DNS:elsewhere.test")));
        // As tessel-dbserver makes its own: self-signed, handed out as the trust file.
        const PemPair selfSigned =
            makeSelfSignedServerCertificate("tessel-dbserver", "DNS:localhost,IP:127.0.0.1");
        writeFile("self-signed.pem", selfSigned.certificate);
        s_selfSigned = std::make_unique<QSslConfiguration>(serverTls(selfSigned));
    }
    static void TearDownTestSuite()
    {
        s_good.reset();
        s_elsewhere.reset();
        s_selfSigned.reset();
        s_dir.reset();
    }
    static void writeFile(const char* _pName, const QByteArray& _data)
    {
        QFile file(certPath(_pName));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(_data), _data.size());
    }
    static QString certPath(const char* _pName) { return s_dir->filePath(QString::fromLatin1(_pName)); }

    static std::unique_ptr<QTemporaryDir> s_dir;
    static std::unique_ptr<QSslConfiguration> s_good;
    static std::unique_ptr<QSslConfiguration> s_elsewhere;
    static std::unique_ptr<QSslConfiguration> s_selfSigned;
};

std::unique_ptr<QTemporaryDir> Tls::s_dir;
std::unique_ptr<QSslConfiguration> Tls::s_good;
std::unique_ptr<QSslConfiguration> Tls::s_elsewhere;
std::unique_ptr<QSslConfiguration> Tls::s_selfSigned;

struct TlsCase
{
    const char* pName;
    const char* pConfigJson;  // WebSocket.json; "certs/ca.pem" beside it holds the right CA
    const char* pEnvCaFile;   // file of the test's certificate folder for TESSEL_WS_CA_FILE
    const char* pEnvVerify;   // TESSEL_WS_VERIFY
    const char* pServer;      // "ca" (signed by the CA), "elsewhere" (for another host), "self" (self-signed)
    const char* pHost;
    int iEvent;          // first event expected
    int iStateAfter;     // 2 open, 1 retrying, 0 given up (configuration error)
    const char* pError;  // LastError holds this (for event 3)
};

TEST_F(Tls, ServerCertificateIsVerifiedAgainstTheTrustFile)
{
    // clang-format off
    const TlsCase cases[] = {
        {"trust file from WebSocket.json, relative path", R"({"ca_file":"certs/ca.pem"})", nullptr, nullptr,
         "ca", "127.0.0.1", WS_EVENT_OPENED, 2, nullptr},
        {"trust file from TESSEL_WS_CA_FILE", nullptr, "ca.pem", nullptr, "ca", "127.0.0.1", WS_EVENT_OPENED, 2,
         nullptr},
        {"host name localhost", nullptr, "ca.pem", nullptr, "ca", "localhost", WS_EVENT_OPENED, 2, nullptr},
        {"TESSEL_WS_CA_FILE beats WebSocket.json", R"({"ca_file":"certs/missing.pem"})", "ca.pem", nullptr, "ca",
         "127.0.0.1", WS_EVENT_OPENED, 2, nullptr},
        {"self-signed server certificate as the trust file", nullptr, "self-signed.pem", nullptr, "self",
         "127.0.0.1", WS_EVENT_OPENED, 2, nullptr},
        {"wrong trust file", nullptr, "other-ca.pem", nullptr, "ca", "127.0.0.1", WS_EVENT_ERROR, 1,
         "TLS verification failed"},
        {"self-signed server, CA trust file", nullptr, "ca.pem", nullptr, "self", "127.0.0.1", WS_EVENT_ERROR, 1,
         "TLS verification failed"},
        {"certificate for another host", nullptr, "ca.pem", nullptr, "elsewhere", "127.0.0.1", WS_EVENT_ERROR, 1,
         "host name"},
        {"no trust file", nullptr, nullptr, nullptr, "ca", "127.0.0.1", WS_EVENT_ERROR, 0, nullptr},
        {"empty trust file", nullptr, "empty.pem", nullptr, "ca", "127.0.0.1", WS_EVENT_ERROR, 0,
         "holds no PEM certificate"},
        {"unreadable trust file", nullptr, "missing.pem", nullptr, "ca", "127.0.0.1", WS_EVENT_ERROR, 0,
         "cannot read trust file"},
        {"trust file without a certificate", nullptr, "garbage.pem", nullptr, "ca", "127.0.0.1", WS_EVENT_ERROR, 0,
         "holds no PEM certificate"},
        {"TESSEL_WS_VERIFY=0 without trust file", nullptr, nullptr, "0", "ca", "127.0.0.1", WS_EVENT_OPENED, 2,
         nullptr},
        {"verify false in WebSocket.json", R"({"verify":false})", nullptr, nullptr, "elsewhere", "127.0.0.1",
         WS_EVENT_OPENED, 2, nullptr},
    };
    // clang-format on
    for (const TlsCase& c : cases) {
        SCOPED_TRACE(c.pName);
        IsolatedConfig config;
        if (c.pConfigJson != nullptr) {
            config.write(c.pConfigJson);
            ASSERT_TRUE(QDir(config.dir()).mkpath(QStringLiteral("certs")));
            ASSERT_TRUE(QFile::copy(certPath("ca.pem"), config.dir() + QStringLiteral("/certs/ca.pem")));
        }
        EnvScope caFile("TESSEL_WS_CA_FILE",
                        c.pEnvCaFile != nullptr ? QFile::encodeName(certPath(c.pEnvCaFile)) : QByteArray());
        EnvScope verify("TESSEL_WS_VERIFY",
                        c.pEnvVerify != nullptr ? QByteArray(c.pEnvVerify) : QByteArray());

        const std::string strServer = c.pServer;
        TestServer server(strServer == "self"        ? *s_selfSigned
                          : strServer == "elsewhere" ? *s_elsewhere
                                                     : *s_good);
        ASSERT_NE(server.listen(), 0);
        EventLog events;
        clearLibraryLog();
        ClientPtr client = makeClient();
        ASSERT_EQ(client->Connect(1, server.url(QString::fromLatin1(c.pHost)), EventLog::callback, &events),
                  1);
        ASSERT_TRUE(events.waitFor(1, c.iEvent));
        const QString strError = client->LastError(1);

        if (c.iEvent == WS_EVENT_OPENED) {
            QString strAnswer;
            EXPECT_EQ(client->SendAndWait(QStringLiteral("Execute"), QJsonObject{{"tls", 1}}, strAnswer, 3),
                      WS_SEND_OK);
            EXPECT_EQ(strAnswer, QStringLiteral("{\"tls\":1}"));
        } else if (c.pError != nullptr) {
            EXPECT_TRUE(strError.contains(QString::fromLatin1(c.pError))) << strError.toStdString();
        } else {
            EXPECT_EQ(strError, kNoTrustFile);
        }
        if (c.iStateAfter == 0) {
            // A configuration error: reported at once, logged, never retried.
            const QStringList log = libraryLog();
            EXPECT_TRUE(std::any_of(log.begin(), log.end(),
                                    [&](const QString& line) { return line.contains(strError); }));
            std::this_thread::sleep_for(250ms);
            EXPECT_EQ(server.connections(), 0);
        }
        EXPECT_EQ(client->ChannelState(1), c.iStateAfter);
        if (c.iEvent == WS_EVENT_ERROR) {
            const std::vector<Event> all = events.events();
            ASSERT_EQ(all.size(), 1u);
            EXPECT_EQ(all[0].strText, strError);
        }
    }
}

}  // namespace

namespace {

// Callers write over TLS on their own threads while the reader thread reads: frames and the TLS
// records under them must stay whole both ways.
TEST_F(Tls, ConcurrentCallersOverTlsEachGetTheirOwnAnswer)
{
    IsolatedConfig config;
    EnvScope caFile("TESSEL_WS_CA_FILE", QFile::encodeName(certPath("ca.pem")));
    TestServer server(*s_good);
    ASSERT_NE(server.listen(), 0);
    EventLog events;
    ClientPtr client = makeClient();
    ASSERT_EQ(client->Connect(1, server.url(), EventLog::callback, &events), 1);
    ASSERT_TRUE(events.waitFor(1, WS_EVENT_OPENED));

    constexpr int kThreads = 4;
    constexpr int kPerThread = 300;
    std::vector<std::future<int>> results;
    for (int t = 0; t < kThreads; ++t) {
        results.push_back(std::async(std::launch::async, [&client, t] {
            int iWrong = 0;
            for (int i = 0; i < kPerThread; ++i) {
                // Some requests span several TLS records.
                const QJsonObject request{{"t", t}, {"i", i}, {"pad", QString((i % 7) * 9000, QLatin1Char('p'))}};
                QString strAnswer;
                if (client->SendAndWait(QStringLiteral("Execute"), request, strAnswer, 10) != WS_SEND_OK ||
                    strAnswer != QString::fromUtf8(QJsonDocument(request).toJson(QJsonDocument::Compact)))
                    ++iWrong;
            }
            return iWrong;
        }));
    }
    for (auto& result : results)
        EXPECT_EQ(result.get(), 0);
    EXPECT_EQ(events.total(), 1);  // only "opened": the channel never dropped
    EXPECT_EQ(client->PendingRequests(), 0);
}

}  // namespace
