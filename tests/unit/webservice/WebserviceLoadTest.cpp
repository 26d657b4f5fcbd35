// Loading the web-service worker: the unit tests' application directory has none, so the first
// call fails with its log lines; once the worker is put there, the next call loads it.
#include "CLS_DataMediator.h"
#include "LogCapture.h"
#include "ToolKits.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

#include <gtest/gtest.h>

namespace {

// The build's application directory: where libToolKits.so, and the worker beside it, are.
QString buildAppDir()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&webservice_load_lib), &info) == 0 || info.dli_fname == nullptr) {
        return QString();
    }
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
}

TEST(WebserviceLoadTest, AFailedLoadIsTriedAgainOnTheNextCall)
{
    const QString strWorker = QCoreApplication::applicationDirPath() + QStringLiteral("/libwebservice_sdk.so");
    ASSERT_FALSE(QFile::exists(strWorker)) << "the unit application directory must start without the worker";
    CLS_DataMediator mediator;
    {
        LogCapture log;
        // Rename does not need a host, so it reaches the load.
        EXPECT_EQ(mediator.WebserviceRename("a", "b"), -1);
        EXPECT_TRUE(log.has(4, "CLS_DataMediator::WebserviceLoadLib webservice_load_lib fail")) << log.dump().toStdString();
        EXPECT_TRUE(log.has(2, "CLS_DataMediator::WebserviceRename WebserviceLoadLib iRet=-1")) << log.dump().toStdString();
        char* pReply = reinterpret_cast<char*>(0x1);
        EXPECT_LT(webservice_sdk_submit("http://127.0.0.1:9/x", 100, "", 1, &pReply), 0);
        EXPECT_EQ(pReply, nullptr) << "no worker, no reply";
    }

    const QString strBuilt = buildAppDir() + QStringLiteral("/libwebservice_sdk.so");
    ASSERT_TRUE(QFile::exists(strBuilt)) << strBuilt.toStdString();
    ASSERT_TRUE(QFile::copy(strBuilt, strWorker));
    {
        LogCapture log;
        // Loaded now; with no host in the URL the request gets no answer.
        EXPECT_EQ(mediator.WebserviceRename("a", "b"), -1);
        EXPECT_FALSE(log.hasPart(4, "webservice_load_lib")) << log.dump().toStdString();
        EXPECT_TRUE(log.has(2, "CLS_DataMediator::WebserviceRename pcResult nullptr")) << log.dump().toStdString();
    }
    QFile::remove(strWorker);
    {
        // Once loaded, the worker stays: the file is not looked for again.
        LogCapture log;
        EXPECT_EQ(mediator.WebserviceRename("a", "b"), -1);
        EXPECT_TRUE(log.has(2, "CLS_DataMediator::WebserviceRename pcResult nullptr")) << log.dump().toStdString();
    }
}

}  // namespace
