// tessel-dbserver's options file (--config) and the options added with it.
#include "options.h"
#include "testsupport.h"

#include <QDir>

using namespace tessel::server;
using namespace tessel::server::test;

namespace {

class ConfigFileTest : public ::testing::Test
{
protected:
    QString file(const QByteArray& content)
    {
        const QString path = m_dir.filePath(QStringLiteral("options-%1").arg(++m_count));
        writeFile(path, content);
        return path;
    }
    ParseOutcome parse(const QStringList& args)
    {
        m_message.clear();
        return parseCommandLine(QStringList{"tessel-dbserver"} + args, &m_options, &m_message);
    }

    QTemporaryDir m_dir;
    int m_count = 0;
    ServerOptions m_options;
    QString m_message;
};

TEST_F(ConfigFileTest, KeyValueAndJsonFilesGiveTheSameOptions)
{
    const QString keyValue = file(
        "# comment\n"
        "; another comment\n"
        "\n"
        "data-dir = /srv/tessel\n"
        "  --port=9700  \n"
        "workers = 3\n"
        "backup-root = /b1\n"
        "backup-root = \"/b 2\"\n"
        "metrics-port = 9100\n"
        "metrics-address = any\n"
        "log-format = json\n");
    const QString json = file(R"({"data-dir": "/srv/tessel", "--port": 9700, "workers": 3,
                                  "backup-root": ["/b1", "/b 2"], "metrics-port": "9100",
                                  "metrics-address": "any", "log-format": "json"})");
    for (const QString& path : {keyValue, json}) {
        ASSERT_EQ(parse({"--config", path}), ParseOutcome::Run) << qPrintable(m_message);
        EXPECT_EQ(m_options.dataDir, "/srv/tessel");
        EXPECT_EQ(m_options.port, 9700);
        EXPECT_EQ(m_options.workers, 3);
        EXPECT_EQ(m_options.backupRoots, QStringList({"/b1", "/b 2"}));
        EXPECT_EQ(m_options.metricsPort, 9100);
        EXPECT_EQ(m_options.metricsAddress, QHostAddress(QHostAddress::Any));
        EXPECT_EQ(m_options.logFormat, "json");
        EXPECT_EQ(m_options.configFile, QFileInfo(path).absoluteFilePath());
    }
}

TEST_F(ConfigFileTest, TheCommandLineWins)
{
    const QString path =
        file("data-dir = /from/file\nport = 9700\nbackup-root = /file-b\nallow-origin = https://a\n");
    // Before or after --config: the command line's value counts; a repeatable option given
    // there replaces the file's values, one not given keeps them.
    ASSERT_EQ(parse({"--port", "9800", "--config", path, "--backup-root", "/cli-b"}), ParseOutcome::Run)
        << qPrintable(m_message);
    EXPECT_EQ(m_options.dataDir, "/from/file");
    EXPECT_EQ(m_options.port, 9800);
    EXPECT_EQ(m_options.backupRoots, QStringList({"/cli-b"}));
    EXPECT_EQ(m_options.allowedOrigins, QStringList({"https://a"}));
    // Defaults stay when neither names an option.
    EXPECT_EQ(m_options.metricsPort, 0);
    EXPECT_EQ(m_options.metricsAddress, QHostAddress(QHostAddress::LocalHost));
    EXPECT_EQ(m_options.logFormat, "text");
    // Without --config nothing is read.
    ASSERT_EQ(parse({"--data-dir", "/d"}), ParseOutcome::Run);
    EXPECT_TRUE(m_options.configFile.isEmpty());
}

TEST_F(ConfigFileTest, BadFilesAndValuesAreRefusedWithTheReason)
{
    struct Case
    {
        QByteArray content;  // empty: a file that does not exist
        QStringList extra;
        const char* complaint;
    };
    const Case cases[] = {
        {"", {}, "missing: No such file"},
        {"data-dir = /d\nno equals sign here\n", {}, "line 2: expected \"name = value\""},
        {"data-dir = /d\nwokers = 2\n", {}, "line 2: unknown option \"wokers\""},
        {"data-dir = /d\nconfig = /other\n", {}, "\"config\" cannot be set"},
        {"data-dir = /d\nhelp = 1\n", {}, "\"help\" cannot be set"},
        {"data-dir = /d\nport = 99999\n", {}, "--port must be"},
        {"data-dir = /d\nmetrics-port = 0\n", {}, "--metrics-port must be 1..65535"},
        {"data-dir = /d\nmetrics-address = somewhere\n", {}, "--metrics-address: not an IP address"},
        {"data-dir = /d\nlog-format = xml\n", {}, "--log-format must be text or json"},
        {R"({"data-dir": "/d", "workers": {"n": 2}})", {}, "\"workers\" must be a string"},
        {R"({"data-dir": "/d", "nope": 1})", {}, "unknown option \"nope\""},
        {R"({"data-dir": "/d",)", {}, "not a JSON object"},
        {"port = 9700\n", {}, "--data-dir is required"},
    };
    for (const Case& c : cases) {
        const QString path = c.content.isEmpty() ? m_dir.filePath("missing") : file(c.content);
        EXPECT_EQ(parse(QStringList{"--config", path} + c.extra), ParseOutcome::ExitError)
            << c.content.constData();
        EXPECT_TRUE(m_message.contains(QLatin1String(c.complaint)))
            << c.content.constData() << " -> " << qPrintable(m_message);
    }
}

}  // namespace
