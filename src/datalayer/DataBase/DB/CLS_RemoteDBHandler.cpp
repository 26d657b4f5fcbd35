#include "CLS_RemoteDBHandler.h"

#include "DBThread.h"
#include "QueryAnswerDecoder.h"
#include "jsonscan.h"
#include "LibraryLoader/CLS_WebSocketSDK.h"
#include "Log.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QMutex>
#include <QThread>

bool CLS_RemoteDBHandler::m_bIsInitialized = false;
QString CLS_RemoteDBHandler::m_strServerIP;
int CLS_RemoteDBHandler::m_iPort = 0;
I_WebSocket* CLS_RemoteDBHandler::m_pWebSocket = nullptr;
QReadWriteLock CLS_RemoteDBHandler::m_webSocketLock;
DBThread* CLS_RemoteDBHandler::m_dbThread = nullptr;
std::atomic<int> CLS_RemoteDBHandler::m_iConnectedStatus{0};
std::atomic<bool> CLS_RemoteDBHandler::m_bFinishFirstConnect{false};
DBStatusCallback CLS_RemoteDBHandler::m_callback = nullptr;
void* CLS_RemoteDBHandler::m_userData = nullptr;

namespace {
constexpr int kPollIntervalMs = 10;
constexpr int kMaxPolls = 30000;

// Guards the making and ending of the one client thread of the process.
QMutex s_connectionMutex;

// Tears the channel down while the application object still exists (its threads and sockets
// need it), when the host never destroys a handler instance itself.
void teardownAtAppExit()
{
    CLS_RemoteDBHandler::Teardown();
}
}  // namespace

CLS_RemoteDBHandler::~CLS_RemoteDBHandler()
{
    Teardown();
}

void CLS_RemoteDBHandler::Teardown()
{
    if (!m_bIsInitialized) {
        return;
    }
    QMutexLocker connection(&s_connectionMutex);
    if (m_pWebSocket != nullptr) {
        QWriteLocker locker(&m_webSocketLock);
        CLS_WebSocketSDK::DeleteWebsocket(m_pWebSocket);
        m_pWebSocket = nullptr;
    }
    if (m_dbThread != nullptr) {
        m_dbThread->exit(0);
        m_dbThread->wait();
        delete m_dbThread;
        m_dbThread = nullptr;
        // The thread may have created its client after the first check above.
        QWriteLocker locker(&m_webSocketLock);
        if (m_pWebSocket != nullptr) {
            CLS_WebSocketSDK::DeleteWebsocket(m_pWebSocket);
            m_pWebSocket = nullptr;
        }
    }
}

int CLS_RemoteDBHandler::InitDb(const QString& _strServerIP, int _iPort)
{
    if (_strServerIP.isEmpty() || _iPort < 1) {
        DL_LOG(3, "CLS_RemoteDBHandler::InitDb param invalid.");
        return -1;
    }
    if (m_bIsInitialized) {
        return 0;
    }
    m_strServerIP = _strServerIP;
    m_iPort = _iPort;
    const QString strAppDir = QCoreApplication::applicationDirPath();
    if (!CLS_WebSocketSDK::LoadAndExportLibrary(strAppDir)) {
        DL_LOG(4, "CLS_RemoteDBHandler::InitDb LoadAndExportLibrary fail AppPath=%s",
               qUtf8Printable(strAppDir));
        return -1;
    }
    m_bIsInitialized = true;
    return 0;
}

int CLS_RemoteDBHandler::CreateDBConnection()
{
    if (!m_bIsInitialized || m_strServerIP.isEmpty() || m_iPort < 1) {
        DL_LOG(2, "CreatWebsocketConnection !m_bIsInitialized(%d) || m_strServerIP == nullptr || m_iPort(%d)",
               m_bIsInitialized ? 1 : 0, m_iPort);
        return -1;
    }
    {
        QMutexLocker connection(&s_connectionMutex);
        if (m_dbThread != nullptr) {
            // One client and one thread per process: it exists or is being made.
            return m_iConnectedStatus.load();
        }
        m_dbThread = new DBThread();
        m_iConnectedStatus = 0;
        static bool s_bPostRoutine = false;
        if (!s_bPostRoutine && QCoreApplication::instance() != nullptr) {
            qAddPostRoutine(teardownAtAppExit);
            s_bPostRoutine = true;
        }
        m_dbThread->start(QThread::InheritPriority);
    }

    for (int i = 0; i < kMaxPolls; ++i) {
        const int iStatus = m_iConnectedStatus.load();
        if (iStatus != 0) {
            return iStatus;
        }
        QThread::msleep(kPollIntervalMs);
    }
    const int iStatus = m_iConnectedStatus.load();
    if (iStatus != 0) {
        return iStatus;
    }
    m_iConnectedStatus = -2;
    return -2;
}

bool CLS_RemoteDBHandler::IsConnectionVaild()
{
    return m_iConnectedStatus.load() == 1;
}

bool CLS_RemoteDBHandler::SetDBCallback(DBStatusCallback _pCallback, void* _pUser)
{
    m_callback = _pCallback;
    m_userData = _pUser;
    return true;
}

void CLS_RemoteDBHandler::ExecNotify(int _iFirst, int _iSecond)
{
    if (m_callback != nullptr) {
        m_callback(_iSecond, _iFirst, m_userData);
    }
}

QString CLS_RemoteDBHandler::ChannelUrl(int _iChannel)
{
    const QString strScheme = _iChannel == 3 ? QStringLiteral("ws://") : QStringLiteral("wss://");
    return strScheme + m_strServerIP + ":" + QString::number(m_iPort + _iChannel - 1);
}

void CLS_RemoteDBHandler::WebSocketCallback(int _iServerType, int _iEvent, const QString& _strText,
                                            void* /*_pUser*/)
{
    I_WebSocket* pWebSocket = m_pWebSocket;
    if (_iEvent == 1) {
        switch (_iServerType) {
            case 1:
            case 3: {
                const int iNext = _iServerType + 1;
                if (pWebSocket != nullptr && pWebSocket->IsConnected(iNext) == 0 && !m_bFinishFirstConnect) {
                    if (pWebSocket->Connect(iNext, ChannelUrl(iNext), &CLS_RemoteDBHandler::WebSocketCallback,
                                            nullptr) == 0) {
                        m_iConnectedStatus = -(16 * _iServerType + 1);
                    }
                }
                if (m_bFinishFirstConnect && _iServerType == 1) {
                    m_iConnectedStatus = 1;
                }
                break;
            }
            case 2:
                m_iConnectedStatus = 1;
                if (pWebSocket != nullptr && pWebSocket->IsConnected(3) == 0 && !m_bFinishFirstConnect) {
                    if (pWebSocket->Connect(3, ChannelUrl(3), &CLS_RemoteDBHandler::WebSocketCallback,
                                            nullptr) == 0) {
                        m_iConnectedStatus = -33;
                    }
                }
                break;
            case 4:
                m_iConnectedStatus = 1;
                m_bFinishFirstConnect = true;
                break;
            default:
                DL_LOG(2, "_iServerType %d not deal", _iServerType);
                break;
        }
    } else if (_iEvent == 4) {
        if (_strText == QLatin1String("Start restoring database.")) {
            DL_LOG(2, "CLS_RemoteDBHandler::WebSocketCallback BroadcastNotify Start restoring database.");
        } else if (_strText == QLatin1String("Restore database complete.")) {
            DL_LOG(2, "CLS_RemoteDBHandler::WebSocketCallback BroadcastNotify Restore database complete.");
        } else {
            DL_LOG(2, "CLS_RemoteDBHandler::WebSocketCallback BroadcastNotify %s.", qUtf8Printable(_strText));
        }
    } else {
        m_iConnectedStatus = -(16 * _iServerType + _iEvent);
        DL_LOG(2, "CLS_RemoteDBHandler::WebSocketCallback %d", _iEvent);
    }

    if (_iServerType == 1 && (_iEvent == 1 || _iEvent == 2) && m_callback != nullptr) {
        m_callback(1, _iEvent, m_userData);
    }
}

// ---- requests ----

int CLS_RemoteDBHandler::CreatJsonObject(const QString& _strDbName, const QString& _strSql,
                                         QJsonObject& _jsonObj)
{
    _jsonObj.insert(QStringLiteral("DbName"), _strDbName);
    _jsonObj.insert(QStringLiteral("sqlexec"), _strSql);
    return 0;
}

int CLS_RemoteDBHandler::CreatJsonObjectEx(const QString& _strDbName, const QString& _strSql,
                                           const QMap<QString, QVariant>& _mapBind, QJsonObject& _jsonObj)
{
    CreatJsonObject(_strDbName, _strSql, _jsonObj);
    _jsonObj.insert(QStringLiteral("bindValue"), QJsonObject::fromVariantMap(_mapBind));
    return 0;
}

int CLS_RemoteDBHandler::GetResponseData(const QString& _strAnswer, QJsonObject& _jsonData)
{
    const QByteArray answer = _strAnswer.toUtf8();
    // Qt 5.15's parser leaks the earlier value of a repeated member name; no answer of ours
    // repeats one, so such a text is refused as unreadable.
    if (tessel::repeatsMemberName(answer)) {
        return -1;
    }
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(answer, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        return -1;
    }
    const QJsonObject obj = doc.object();
    const QJsonValue result = obj.value(QLatin1String("result"));
    if (!result.isString() || result.toString() != QLatin1String("OK")) {
        if (obj.contains(QLatin1String("reason"))) {
            DL_LOG(3, "DB error reason:%s", qUtf8Printable(obj.value(QLatin1String("reason")).toString()));
        }
        return -1;
    }
    _jsonData = obj.value(QLatin1String("data")).toObject();
    return 0;
}

RecordSet* CLS_RemoteDBHandler::GetResponseMessage(const QString& _strAnswer)
{
    RecordSet* pRows = nullptr;
    DecodeQueryAnswer(_strAnswer, pRows);
    return pRows;
}

int CLS_RemoteDBHandler::Send(const QString& _strCommand, const QJsonObject& _jsonRequest,
                              QString& _strAnswer, int _iTimeout)
{
    QReadLocker locker(&m_webSocketLock);
    if (m_pWebSocket == nullptr) {
        return -1;
    }
    return m_pWebSocket->SendAndWait(_strCommand, _jsonRequest, _strAnswer, _iTimeout);
}

int CLS_RemoteDBHandler::ExecuteCommand(const char* _pszOperation, const QString& _strCommand,
                                        const QJsonObject& _jsonRequest, int _iTimeout)
{
    QString strAnswer;
    int iRet = Send(_strCommand, _jsonRequest, strAnswer, _iTimeout);
    if (iRet == 0) {
        QJsonObject data;
        if (GetResponseData(strAnswer, data) != 0) {
            iRet = -1;
        } else {
            iRet = AnswerRetCode(data);
        }
    }
    if (iRet != 0) {
        DL_LOG(2, "[%s]return:%s = %d", _pszOperation, "iRet", iRet);
    }
    return iRet;
}

RecordSet* CLS_RemoteDBHandler::QueryCommand(const char* _pszOperation, const QString& _strCommand,
                                             const QJsonObject& _jsonRequest, int _iTimeout)
{
    QString strAnswer;
    RecordSet* pRows = nullptr;
    if (Send(_strCommand, _jsonRequest, strAnswer, _iTimeout) == 0) {
        pRows = GetResponseMessage(strAnswer);
    }
    if (pRows == nullptr) {
        DL_LOG(2, "[%s][REQUEST]%s", _pszOperation,
               QJsonDocument(_jsonRequest).toJson(QJsonDocument::Indented).constData());
        DL_LOG(2, "[%s][RESPONSE]%s", _pszOperation, qUtf8Printable(strAnswer));
    }
    return pRows;
}

int CLS_RemoteDBHandler::Execute(const QString& _strDbName, const QString& _strSql, int _iTimeout,
                                 bool _bIsBroadcast)
{
    if (!IsConnectionVaild()) {
        DL_LOG(2, "%s Connection invalid.", "CLS_RemoteDBHandler::Execute");
        return -1;
    }
    QJsonObject request;
    CreatJsonObject(_strDbName, _strSql, request);
    request.insert(QStringLiteral("isBroadcast"), _bIsBroadcast);
    return ExecuteCommand("CLS_RemoteDBHandler::Execute", QStringLiteral("Execute"), request, _iTimeout);
}

int CLS_RemoteDBHandler::ExecuteEx(const QString& _strDbName, const QString& _strSql,
                                   const QMap<QString, QVariant>& _mapBind, int _iTimeout, bool _bIsBroadcast)
{
    if (!IsConnectionVaild()) {
        DL_LOG(2, "%s Connection invalid.", "CLS_RemoteDBHandler::ExecuteEx");
        return -1;
    }
    QJsonObject request;
    CreatJsonObjectEx(_strDbName, _strSql, _mapBind, request);
    request.insert(QStringLiteral("isBroadcast"), _bIsBroadcast);
    return ExecuteCommand("CLS_RemoteDBHandler::ExecuteEx", QStringLiteral("ExecuteEx"), request, _iTimeout);
}

RecordSet* CLS_RemoteDBHandler::ExecuteQuery(const QString& _strDbName, const QString& _strSql, int _iTimeout)
{
    if (!IsConnectionVaild()) {
        DL_LOG(2, "%s Connection invalid.", "CLS_RemoteDBHandler::ExecuteQuery");
        return nullptr;
    }
    QJsonObject request;
    CreatJsonObject(_strDbName, _strSql, request);
    return QueryCommand("CLS_RemoteDBHandler::ExecuteQuery", QStringLiteral("ExecuteQuery"), request,
                        _iTimeout);
}

RecordSet* CLS_RemoteDBHandler::ExecuteQueryEx(const QString& _strDbName, const QString& _strSql,
                                               const QMap<QString, QVariant>& _mapBind, int _iTimeout)
{
    if (!IsConnectionVaild()) {
        DL_LOG(2, "%s Connection invalid.", "CLS_RemoteDBHandler::ExecuteQueryEx");
        return nullptr;
    }
    QJsonObject request;
    CreatJsonObjectEx(_strDbName, _strSql, _mapBind, request);
    return QueryCommand("CLS_RemoteDBHandler::ExecuteQueryEx", QStringLiteral("ExecuteQueryEx"), request,
                        _iTimeout);
}

int CLS_RemoteDBHandler::ExecuteTransaction(const QString& _strDbName, const QList<QString>& _lstSql,
                                            int _iTimeout)
{
    if (!IsConnectionVaild()) {
        DL_LOG(2, "%s Connection invalid.", "CLS_RemoteDBHandler::ExecuteTransaction");
        return -1;
    }
    QJsonObject request;
    request.insert(QStringLiteral("DbName"), _strDbName);
    request.insert(QStringLiteral("sqlexec"), QJsonArray::fromStringList(_lstSql));
    return ExecuteCommand("CLS_RemoteDBHandler::ExecuteTransaction", QStringLiteral("ExecuteTransaction"),
                          request, _iTimeout);
}

int CLS_RemoteDBHandler::ExecuteTransactionEx(const QString& _strDbName, const QList<QString>& _lstSql,
                                              const QList<QMap<QString, QVariant>>& _lstBind, int _iTimeout)
{
    if (!IsConnectionVaild()) {
        DL_LOG(2, "%s Connection invalid.", "CLS_RemoteDBHandler::ExecuteTransactionEx");
        return -1;
    }
    QJsonObject request;
    request.insert(QStringLiteral("DbName"), _strDbName);
    request.insert(QStringLiteral("sqlexec"), QJsonArray::fromStringList(_lstSql));
    QJsonArray binds;
    for (const QMap<QString, QVariant>& mapBind : _lstBind) {
        QJsonObject wrapper;
        wrapper.insert(QStringLiteral("bindValue"), QJsonObject::fromVariantMap(mapBind));
        binds.append(wrapper);
    }
    request.insert(QStringLiteral("bindValues"), binds);
    return ExecuteCommand("CLS_RemoteDBHandler::ExecuteTransactionEx", QStringLiteral("ExecuteTransactionEx"),
                          request, _iTimeout);
}
