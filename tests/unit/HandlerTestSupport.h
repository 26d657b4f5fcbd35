// Shared by the unit tests that drive CLS_RemoteDBHandler through the recording socket.
#ifndef TESSEL_TESTS_HANDLERTESTSUPPORT_H
#define TESSEL_TESTS_HANDLERTESTSUPPORT_H

#include "CLS_RemoteDBHandler.h"
#include "FakeWebSocket.h"
#include "LibraryLoader/CLS_WebSocketSDK.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibrary>

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

// Reaches the handler's private helpers and resets its static state between cases.
class CLS_RemoteDBHandlerTestAccess
{
public:
    static void setState(int _iStatus, bool _bFinished)
    {
        CLS_RemoteDBHandler::m_iConnectedStatus = _iStatus;
        CLS_RemoteDBHandler::m_bFinishFirstConnect = _bFinished;
    }
    static void notify(int _iFirst, int _iSecond) { CLS_RemoteDBHandler::ExecNotify(_iFirst, _iSecond); }
};

inline FakeWebSocketState* fakeState()
{
    static FakeWebSocketState* pState = [] {
        QLibrary library(QCoreApplication::applicationDirPath() + "/" + CLS_WebSocketSDK::LibraryFileName());
        auto pfn = reinterpret_cast<PFN_fake_ws_state>(library.resolve("fake_ws_state"));
        return pfn != nullptr ? pfn() : nullptr;
    }();
    return pState;
}

// Binds the recording socket and brings the handler to status 1 through the whole chain of
// channel events, once per process.
inline void ensureHandlerStarted()
{
    if (CLS_RemoteDBHandler::m_pWebSocket != nullptr) {
        return;
    }
    ASSERT_EQ(CLS_RemoteDBHandler::InitDb("127.0.0.1", 9562), 0);
    std::thread driver([] {
        for (int i = 0; i < 2000 && CLS_RemoteDBHandler::m_pWebSocket == nullptr; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        for (int iChannel = 1; iChannel <= 4; ++iChannel) {
            CLS_RemoteDBHandler::WebSocketCallback(iChannel, 1, QString(), nullptr);
        }
    });
    const int iStatus = CLS_RemoteDBHandler::CreateDBConnection();
    driver.join();
    ASSERT_EQ(iStatus, 1);
}

/// One row of a scripted query answer: (column, value) pairs in order.
typedef QList<QPair<QString, QString>> AnswerRow;

/// {"result":"OK","data":{"ret":[rows]}} with the columns of each row in the given order.
inline QString rowsAnswer(const QList<AnswerRow>& _lstRows)
{
    QJsonArray ret;
    for (const AnswerRow& row : _lstRows) {
        QJsonArray record;
        for (const auto& column : row) {
            record.append(QJsonObject{{"key", column.first}, {"value", column.second}});
        }
        ret.append(QJsonObject{{"record", record}});
    }
    return QString::fromUtf8(QJsonDocument(QJsonObject{{"result", "OK"}, {"data", QJsonObject{{"ret", ret}}}})
                                 .toJson(QJsonDocument::Compact));
}

inline QJsonObject parseJson(const char* _pszJson)
{
    return QJsonDocument::fromJson(QByteArray(_pszJson)).object();
}

// Unscripted reads of the authority types of device objects find type 1 (visible), so that
// inserts through the device DAOs give their objects rights.
inline void standAuthorityTypes(FakeWebSocketState& _fake)
{
    QMutexLocker locker(&_fake.mutex);
    const QString strTypes =
        QStringLiteral(R"({"result":"OK","data":{"ret":[{"record":[{"key":"I_AUTHORITY_TYPE_ID","value":"1"}]}]}})");
    _fake.standingAnswers.insert(
        QStringLiteral("SELECT I_AUTHORITY_TYPE_ID FROM TAB_OBJ_TYPE_AUTHORITY_TYPE WHERE I_OBJ_TYPE_ID=4"), strTypes);
    for (int iType : {5, 6, 7}) {
        _fake.standingAnswers.insert(
            QStringLiteral("SELECT I_AUTHORITY_TYPE_ID FROM TAB_OBJ_TYPE_AUTHORITY_TYPE WHERE I_OBJ_TYPE_ID = %1")
                .arg(iType),
            strTypes);
    }
}

// Requests against the recording socket with the status set to usable; answers are scripted.
class RemoteDBHandlerRequests : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_pFake = fakeState();
        ASSERT_NE(m_pFake, nullptr);
        ensureHandlerStarted();
        ASSERT_NE(CLS_RemoteDBHandler::m_pWebSocket, nullptr);
        m_pFake->reset();
        standAuthorityTypes(*m_pFake);
        CLS_RemoteDBHandlerTestAccess::setState(1, true);
    }
    void answer(int _iSendResult, const QString& _strText)
    {
        QMutexLocker locker(&m_pFake->mutex);
        m_pFake->answers.append({_iSendResult, _strText});
    }
    FakeRequest lastRequest()
    {
        QMutexLocker locker(&m_pFake->mutex);
        return m_pFake->requests.isEmpty() ? FakeRequest() : m_pFake->requests.last();
    }
    FakeWebSocketState* m_pFake = nullptr;
};

#endif
