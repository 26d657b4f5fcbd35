// The set-up every integration test shares: one real tessel-dbserver per test executable, the
// channel connected, the system id settled from a client id of the test's own and, when asked
// for, the first administrator stored. Register it once per executable:
//
//     const auto* const g_env = ::testing::AddGlobalTestEnvironment(
//         new IntegrationEnvironment({"17e57001", /*admin*/ true}));
//
// A system id is made of hexadecimal digits; a client id with other characters is written as
// the hexadecimal digits of its UTF-8 bytes, so that every executable keeps an id of its own.
//
// and derive cases that need a logged-in mediator from LoggedInTest.
#ifndef TESSEL_TESTS_INTEGRATIONFIXTURE_H
#define TESSEL_TESTS_INTEGRATIONFIXTURE_H

#include "CLS_DataMediator.h"
#include "CLS_RemoteDBHandler.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"
#include "MediatorTestAccess.h"
#include "ServerProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <QVariant>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

struct IntegrationOptions {
    /// "clientid" written to StartConfiguration.json while the system id is settled (the file is
    /// removed again at once); an existing file is left as it is.
    QString strClientId;
    /// Store the first administrator (IntegrationEnvironment::kAdminName / kAdminPassword).
    bool bAddAdmin = false;
    /// Extra command-line options of the server.
    QStringList lstServerArgs = {};
    /// Optional steps: before the server starts (its environment, say), before the channel is
    /// connected (the status callback, say), once everything is set up, and before the channel
    /// and the server go.
    std::function<void(ServerProcess&)> fnBeforeStart = {};
    std::function<void()> fnBeforeConnect = {};
    std::function<void()> fnReady = {};
    std::function<void()> fnBeforeTearDown = {};
    /// The server must stop with exit code 0 (in a sanitizer build: without a leak report).
    bool bExpectCleanStop = false;
};

class IntegrationEnvironment : public ::testing::Environment
{
public:
    static constexpr const char* kAdminName = "admin";
    static constexpr const char* kAdminPassword = "integration pw";

    explicit IntegrationEnvironment(IntegrationOptions _options) : m_options(std::move(_options)) {}

    void SetUp() override
    {
        s_pInstance = this;
        // The settings make their default folders below HOME.
        m_pHome = std::make_unique<QTemporaryDir>();
        qputenv("HOME", m_pHome->path().toUtf8());
        m_pServer = std::make_unique<ServerProcess>();
        if (m_options.fnBeforeStart) {
            m_options.fnBeforeStart(*m_pServer);
        }
        ASSERT_TRUE(m_pServer->start(m_options.lstServerArgs)) << m_pServer->output().toStdString();
        if (m_options.fnBeforeConnect) {
            m_options.fnBeforeConnect();
        }
        ASSERT_EQ(connectHandlerTo(*m_pServer), 1);
        settleSysId(m_options.strClientId);
        if (m_options.bAddAdmin) {
            CLS_DataMediator mediator;
            ItemReleaser release(mediator);
            ASSERT_EQ(mediator.AddUser(kAdminName, kAdminPassword), 0);
        }
        if (m_options.fnReady) {
            m_options.fnReady();
        }
    }
    void TearDown() override
    {
        if (m_options.fnBeforeTearDown) {
            m_options.fnBeforeTearDown();
        }
        CLS_RemoteDBHandler::Teardown();
        if (m_pServer) {
            const bool bClean = m_pServer->stop();
            if (m_options.bExpectCleanStop) {
                EXPECT_TRUE(bClean) << m_pServer->output().toStdString();
            }
            m_pServer.reset();
        }
        m_pHome.reset();
        s_pInstance = nullptr;
    }

    /// The running environment of this executable.
    static IntegrationEnvironment& instance() { return *s_pInstance; }
    ServerProcess& server() { return *m_pServer; }
    /// This system's id as settled at start.
    QString sysId() const { return m_strSysId; }

    /// Settles the system id as a client start-up does, from _strClientId when the application
    /// directory holds no start configuration.
    void settleSysId(const QString& _strClientId)
    {
        const QString strPath = QCoreApplication::applicationDirPath() + "/StartConfiguration.json";
        bool bWritten = false;
        if (!QFile::exists(strPath) && !_strClientId.isEmpty()) {
            QFile file(strPath);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            const QString strId = CLS_BaseEntityDAO::IsValidSysId(_strClientId)
                                      ? _strClientId
                                      : QString::fromLatin1(_strClientId.toUtf8().toHex());
            file.write(QStringLiteral(R"({"clientid":"%1"})").arg(strId).toUtf8());
            file.close();
            bWritten = true;
        }
        CLS_BaseEntityDAO::ResetSysIdForTest();
        const int iRet = CLS_BaseEntityDAO::InitSysId();
        if (bWritten) {
            QFile::remove(strPath);
        }
        ASSERT_EQ(iRet, 0);
        ASSERT_EQ(CLS_BaseEntityDAO::GetSysId(m_strSysId), 0);
    }

private:
    IntegrationOptions m_options;
    std::unique_ptr<QTemporaryDir> m_pHome;
    std::unique_ptr<ServerProcess> m_pServer;
    QString m_strSysId;
    static inline IntegrationEnvironment* s_pInstance = nullptr;
};

namespace itest {

typedef QMap<QString, QVariant> Binds;

/// The first column of the first row as text; "<none>" for no row, "<failed>" for no answer.
inline QString text(const QString& _strDb, const QString& _strSql, const Binds& _mapBind = Binds())
{
    RecordSet* pRows = CLS_BaseEntityDAO::ExecuteQueryEx(_strDb, _strSql, _mapBind);
    if (pRows == nullptr) {
        return QStringLiteral("<failed>");
    }
    const QString strValue = pRows->isEmpty() ? QStringLiteral("<none>") : pRows->first()->first();
    CLS_BaseEntityDAO::FreeRecordSet(pRows);
    return strValue;
}

/// The first column of the first row as a number; -100 for no row or no answer.
inline int scalar(const QString& _strDb, const QString& _strSql, const Binds& _mapBind = Binds())
{
    RecordSet* pRows = CLS_BaseEntityDAO::ExecuteQueryEx(_strDb, _strSql, _mapBind);
    const int iValue = pRows == nullptr || pRows->isEmpty() ? -100 : pRows->first()->first().toInt();
    CLS_BaseEntityDAO::FreeRecordSet(pRows);
    return iValue;
}

/// One statement; the result code.
inline int exec(const QString& _strDb, const QString& _strSql, const Binds& _mapBind = Binds())
{
    return CLS_BaseEntityDAO::ExecuteEx(_strDb, _strSql, _mapBind);
}

/// Polls _pred every 10 ms for up to _iMs; whether it became true.
inline bool waitFor(const std::function<bool()>& _pred, int _iMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < _iMs) {
        if (_pred()) {
            return true;
        }
        QThread::msleep(10);
    }
    return _pred();
}

}  // namespace itest

/// A case with a mediator logged in as the first administrator (the environment must have been
/// made with bAddAdmin); the mediator's items are released when the case ends.
class LoggedInTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(m_mediator.LoginUser(IntegrationEnvironment::kAdminName, IntegrationEnvironment::kAdminPassword),
                  0);
    }
    void TearDown() override { CLS_DataMediatorTestAccess::releaseItems(m_mediator); }

    CLS_DataMediator m_mediator;
};

#endif  // TESSEL_TESTS_INTEGRATIONFIXTURE_H
