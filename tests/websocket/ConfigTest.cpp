// Where the options come from: WebSocket.json, the environment, SetOption.
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibrary>

#include <gtest/gtest.h>

using namespace wstest;

namespace {

struct Options
{
    QString strCaFile;
    QString strVerify;
    QString strToken;
    QString strLoopbackPlain;
    QString strReconnectMaxMs;
};

Options optionsOf(I_WebSocket& _client)
{
    return Options{_client.GetOption(QStringLiteral("ca_file")), _client.GetOption(QStringLiteral("verify")),
                   _client.GetOption(QStringLiteral("token")),
                   _client.GetOption(QStringLiteral("loopback_plain")),
                   _client.GetOption(QStringLiteral("reconnect_max_ms"))};
}

void expectOptions(const Options& _actual, const Options& _expected)
{
    EXPECT_EQ(_actual.strCaFile, _expected.strCaFile);
    EXPECT_EQ(_actual.strVerify, _expected.strVerify);
    EXPECT_EQ(_actual.strToken, _expected.strToken);
    EXPECT_EQ(_actual.strLoopbackPlain, _expected.strLoopbackPlain);
    EXPECT_EQ(_actual.strReconnectMaxMs, _expected.strReconnectMaxMs);
}

const Options kDefaults{"", "true", "", "true", "5000"};

TEST(Config, FileThenEnvironment)
{
    struct Case
    {
        const char* pName;
        const char* pJson;  // nullptr: no file
        const char* pEnvCaFile;
        const char* pEnvVerify;
        const char* pEnvToken;
        Options expected;  // "@" in strCaFile stands for the configuration folder
        bool bWarns;
    };
    const Case cases[] = {
        {"no file", nullptr, nullptr, nullptr, nullptr, kDefaults, true},
        {"every member",
         R"({"ca_file":"certs/ca.pem","verify":false,"token":"t0k","loopback_plain":false,"reconnect_max_ms":250})",
         nullptr, nullptr, nullptr, Options{"@/certs/ca.pem", "false", "t0k", "false", "250"}, false},
        {"absolute ca_file", R"({"ca_file":"/etc/tessel/ca.pem"})", nullptr, nullptr, nullptr,
         Options{"/etc/tessel/ca.pem", "true", "", "true", "5000"}, false},
        {"environment wins", R"({"ca_file":"ca.pem","verify":true,"token":"from-file"})", "/srv/trust.pem",
         "0", "from-env", Options{"/srv/trust.pem", "false", "from-env", "true", "5000"}, false},
        {"token from the environment alone", nullptr, nullptr, nullptr, "env-only",
         Options{"", "true", "env-only", "true", "5000"}, true},
        {"empty TESSEL_WS_TOKEN keeps the file's", R"({"token":"from-file"})", nullptr, nullptr, "",
         Options{"", "true", "from-file", "true", "5000"}, false},
        {"TESSEL_WS_TOKEN with a line break is ignored", R"({"token":"from-file"})", nullptr, nullptr,
         "a\r\nX-Other: 1", Options{"", "true", "from-file", "true", "5000"}, true},
        {"not JSON", "{\"verify\": fals", nullptr, nullptr, nullptr, kDefaults, true},
        {"not an object", "[1,2]", nullptr, nullptr, nullptr, kDefaults, true},
        {"bad members keep their defaults",
         R"({"verify":"no","reconnect_max_ms":5,"token":7,"colour":"red"})", nullptr, nullptr, nullptr,
         kDefaults, true},
        {"bad TESSEL_WS_VERIFY is ignored", "{}", nullptr, "maybe", nullptr, kDefaults, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pName);
        IsolatedConfig config;
        if (c.pJson != nullptr)
            config.write(c.pJson);
        EnvScope caFile("TESSEL_WS_CA_FILE",
                        c.pEnvCaFile != nullptr ? QByteArray(c.pEnvCaFile) : QByteArray());
        EnvScope verify("TESSEL_WS_VERIFY",
                        c.pEnvVerify != nullptr ? QByteArray(c.pEnvVerify) : QByteArray());
        EnvScope token("TESSEL_WS_TOKEN", c.pEnvToken != nullptr ? QByteArray(c.pEnvToken) : QByteArray());
        clearLibraryLog();
        ClientPtr client = makeClient();
        Options expected = c.expected;
        expected.strCaFile.replace(QLatin1Char('@'), QDir(config.dir()).canonicalPath());
        Options actual = optionsOf(*client);
        actual.strCaFile.replace(config.dir(), QDir(config.dir()).canonicalPath());
        expectOptions(actual, expected);
        // Whatever the file or the environment got wrong is said in the log.
        bool bWarned = false;
        for (const QString& line : libraryLog())
            bWarned = bWarned || line.contains(QStringLiteral("ignored")) ||
                      line.contains(QStringLiteral("using defaults"));
        // The token itself is never written to the log.
        for (const QString& line : libraryLog())
            EXPECT_FALSE(!expected.strToken.isEmpty() && line.contains(expected.strToken))
                << qPrintable(line);
        EXPECT_EQ(bWarned, c.bWarns);
    }
}

// Without TESSEL_WS_CONFIG the file is WebSocket.json in the folder of the library itself, wherever
// that is: here a copy of the library in a folder of its own.
TEST(Config, FileBesideTheLibrary)
{
    QTemporaryDir dir;
    const QString strLibrary = dir.filePath(QStringLiteral("libWebSocket.so"));
    ASSERT_TRUE(
        QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/libWebSocket.so"), strLibrary));
    QFile json(dir.filePath(QStringLiteral("WebSocket.json")));
    ASSERT_TRUE(json.open(QIODevice::WriteOnly));
    json.write(R"({"token":"beside-the-library","ca_file":"trust.pem"})");
    json.close();

    EnvScope noConfig("TESSEL_WS_CONFIG", QByteArray());
    EnvScope noCaFile("TESSEL_WS_CA_FILE", QByteArray());
    QLibrary library(strLibrary);
    ASSERT_TRUE(library.load()) << library.errorString().toStdString();
    auto pCreate = reinterpret_cast<PFN_CreatWebsocket>(library.resolve("CreatWebsocket"));
    auto pDelete = reinterpret_cast<PFN_DeleteWebsocket>(library.resolve("DeleteWebsocket"));
    ASSERT_NE(pCreate, nullptr);
    ASSERT_NE(pDelete, nullptr);
    ASSERT_NE(reinterpret_cast<void*>(pCreate), reinterpret_cast<void*>(&CreatWebsocket));

    I_WebSocket* pClient = pCreate();
    ASSERT_NE(pClient, nullptr);
    EXPECT_EQ(pClient->GetOption(QStringLiteral("token")), QStringLiteral("beside-the-library"));
    EXPECT_EQ(pClient->GetOption(QStringLiteral("ca_file")), dir.filePath(QStringLiteral("trust.pem")));
    EXPECT_EQ(pDelete(pClient), 0);
}

TEST(Config, SetOptionRefusesBadValuesAndKeepsTheOldOne)
{
    struct Case
    {
        const char* pKey;
        const char* pValue;
        int iResult;
        const char* pAfter;  // GetOption afterwards
    };
    const Case cases[] = {
        {"verify", "0", 0, "false"},
        {"verify", "maybe", -1, "false"},
        {"loopback_plain", "off", 0, "false"},
        {"loopback_plain", "", -1, "false"},
        {"reconnect_max_ms", "1000", 0, "1000"},
        {"reconnect_max_ms", "99", -1, "1000"},
        {"reconnect_max_ms", "12abc", -1, "1000"},
        {"token", "abc", 0, "abc"},
        {"token", "a\nb", -1, "abc"},
        {"ca_file", "/srv/ca.pem", 0, "/srv/ca.pem"},
        {"colour", "red", -1, ""},
    };
    IsolatedConfig config;
    ClientPtr client = makeClient();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pKey) + "=" + c.pValue);
        EXPECT_EQ(client->SetOption(QString::fromLatin1(c.pKey), QString::fromLatin1(c.pValue)), c.iResult);
        EXPECT_EQ(client->GetOption(QString::fromLatin1(c.pKey)), QString::fromLatin1(c.pAfter));
    }
}

}  // namespace
