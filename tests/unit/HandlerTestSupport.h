// Shared by the unit tests that drive CLS_RemoteDBHandler through the recording socket.
#ifndef TESSEL_TESTS_HANDLERTESTSUPPORT_H
#define TESSEL_TESTS_HANDLERTESTSUPPORT_H

#include "CLS_RemoteDBHandler.h"
#include "FakeWebSocket.h"
#include "LibraryLoader/CLS_WebSocketSDK.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QLibrary>

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

inline QJsonObject parseJson(const char* _pszJson)
{
    return QJsonDocument::fromJson(QByteArray(_pszJson)).object();
}

// Requests against the recording socket with the status set to usable; answers are scripted.
class RemoteDBHandlerRequests : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_pFake = fakeState();
        ASSERT_NE(m_pFake, nullptr);
        ASSERT_NE(CLS_RemoteDBHandler::m_pWebSocket, nullptr) << "start-up test must run first";
        m_pFake->reset();
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
