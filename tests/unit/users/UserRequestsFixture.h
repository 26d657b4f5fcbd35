// Shared by the users and settings tests: the recording socket with this system's id settled
// (the personal table's suffix), HOME in a temporary folder (the settings make their default
// folders below it) and helpers to script row answers and read the sent requests.
#ifndef TESSEL_TESTS_USERREQUESTSFIXTURE_H
#define TESSEL_TESTS_USERREQUESTSFIXTURE_H

#include "CLS_DataMediator.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"
#include "HandlerTestSupport.h"

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#include <utility>
#include <vector>

namespace usertest {

const char kSysId[] = "5e70001";
const char kPersonal[] = "TAB_CONFIG_USER_PERSONAL5e70001";
/// The personal table as statements name it.
const char kPersonalSql[] = "\"TAB_CONFIG_USER_PERSONAL5e70001\"";

inline QString countAnswer(const QString& _strCount)
{
    return rowsAnswer({{{"COUNT(*)", _strCount}}});
}

}  // namespace usertest

class UserRequestsFixture : public RemoteDBHandlerRequests
{
protected:
    void SetUp() override
    {
        RemoteDBHandlerRequests::SetUp();
        ASSERT_TRUE(m_home.isValid());
        m_oldHome = qgetenv("HOME");
        qputenv("HOME", m_home.path().toUtf8());
        CLS_BaseEntityDAO::ResetSysIdForTest();
        QFile file(configPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(R"({"clientid":")") + usertest::kSysId + R"("})");
        file.close();
        ASSERT_EQ(CLS_BaseEntityDAO::InitSysId(), 0);
    }
    void TearDown() override
    {
        qputenv("HOME", m_oldHome);
        QFile::remove(configPath());
        CLS_BaseEntityDAO::ResetSysIdForTest();
    }
    static QString configPath()
    {
        return QCoreApplication::applicationDirPath() + "/StartConfiguration.json";
    }

    QList<FakeRequest> requests()
    {
        QMutexLocker locker(&m_pFake->mutex);
        return m_pFake->requests;
    }
    static QJsonArray statements(const FakeRequest& _request)
    {
        return _request.request.value("sqlexec").toArray();
    }
    static QJsonObject binds(const FakeRequest& _request, int _iStatement)
    {
        return _request.request.value("bindValues")
            .toArray()
            .at(_iStatement)
            .toObject()
            .value("bindValue")
            .toObject();
    }

    QTemporaryDir m_home;
    QByteArray m_oldHome;
    CLS_DataMediator m_mediator;
};

#endif  // TESSEL_TESTS_USERREQUESTSFIXTURE_H
