#include "Log.h"
#include "LogCapture.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct EnvGuard
{
    QByteArray name;
    QByteArray old;
    bool had;
    EnvGuard(const char* _pszName, const QByteArray& _value)
        : name(_pszName), old(qgetenv(_pszName)), had(qEnvironmentVariableIsSet(_pszName))
    {
        qputenv(_pszName, _value);
    }
    ~EnvGuard()
    {
        if (had) {
            qputenv(name.constData(), old);
        } else {
            qunsetenv(name.constData());
        }
        dy_libos_log_reload_config();
    }
};

}  // namespace

TEST(Logging, MacroSkipsTheCallWhenTheHookIsNull)
{
    PFN_LogDebugEx previous = dy_libos_log_debug_ex;
    dy_libos_log_debug_ex = nullptr;
    DL_LOG(4, "must not crash %s %d", "text", 1);
    dy_libos_log_debug_ex = previous;
    SUCCEED();
}

TEST(Logging, MacroPassesLevelAndFormattedTextToTheHook)
{
    LogCapture capture;
    DL_LOG(3, "CLS_X::Y %s = %d", "iRet", -7);
    ASSERT_EQ(capture.lines().size(), 1);
    EXPECT_EQ(capture.lines().at(0).level, 3);
    EXPECT_EQ(capture.lines().at(0).text, QString("CLS_X::Y iRet = -7"));
}

TEST(Logging, DefaultSinkWritesOneLinePerCallAtOrAboveTheMinimumLevel)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("tessel.log");
    {
        EnvGuard file("TESSEL_LOG_FILE", path.toUtf8());
        EnvGuard level("TESSEL_LOG_LEVEL", "3");
        dy_libos_log_reload_config();
        dy_libos_log_default_sink(2, "/src/a.cpp", 10, "dropped %d", 1);
        dy_libos_log_default_sink(3, "/src/b.cpp", 20, "kept %s", "three");
        dy_libos_log_default_sink(4, "/src/c.cpp", 30, "kept four");
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << lines.join('\n').toStdString();
    // "yyyy-MM-dd hh:mm:ss.zzz L<level> <file>:<line> <message>"
    EXPECT_TRUE(
        QRegExp(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} L3 /src/b\.cpp:20 kept three)").exactMatch(lines[0]))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith("L4 /src/c.cpp:30 kept four")) << lines[1].toStdString();
}
