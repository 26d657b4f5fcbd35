#include "DBThread.h"

#include "CLS_RemoteDBHandler.h"
#include "LibraryLoader/CLS_WebSocketSDK.h"
#include "Log.h"

#include <QEventLoop>

void DBThread::run()
{
    DL_LOG(2, "DB Thread start processEvents!");
    I_WebSocket* pWebSocket = CLS_WebSocketSDK::CreatWebsocket();
    {
        QWriteLocker locker(&CLS_RemoteDBHandler::m_webSocketLock);
        CLS_RemoteDBHandler::m_pWebSocket = pWebSocket;
    }
    if (pWebSocket != nullptr) {
        const QString strUrl = QStringLiteral("wss://") + CLS_RemoteDBHandler::m_strServerIP + ":" +
                               QString::number(CLS_RemoteDBHandler::m_iPort);
        // The status stays 0 until the callback reports; the result is not examined here.
        pWebSocket->Connect(1, strUrl, &CLS_RemoteDBHandler::WebSocketCallback, nullptr);
    } else {
        // No client: the status stays 0 and CreateDBConnection ends with -2.
        DL_LOG(4, "DBThread::run CreatWebsocket returned nullptr");
    }
    QEventLoop loop;
    loop.exec();
    DL_LOG(2, "DB Thread end processEvents!");
}
