#include "CLS_WebSocketSDK.h"

#include "Log.h"

#include <QLibrary>
#include <QMutex>
#include <QMutexLocker>

bool CLS_WebSocketSDK::m_bLoaded = false;
PFN_CreatWebsocket CLS_WebSocketSDK::m_pfnCreate = nullptr;
PFN_DeleteWebsocket CLS_WebSocketSDK::m_pfnDelete = nullptr;

namespace {
QMutex s_loadMutex;
}

QString CLS_WebSocketSDK::LibraryFileName()
{
#if defined(_WIN32)
    return QStringLiteral("WebSocket.dll");
#elif defined(__APPLE__)
    return QStringLiteral("libWebSocket.dylib");
#else
    return QStringLiteral("libWebSocket.so");
#endif
}

bool CLS_WebSocketSDK::LoadAndExportLibrary(QString appDir)
{
    QMutexLocker locker(&s_loadMutex);
    if (m_bLoaded) {
        return true;
    }
    const QString strPath = appDir + "/" + LibraryFileName();
    // Never unloaded: the client's threads and callbacks live in it until the process ends.
    auto* pLibrary = new QLibrary(strPath);
    if (!pLibrary->load()) {
        DL_LOG(4, "CLS_WebSocketSDK::LoadAndExportLibrary DllPath=%s", qUtf8Printable(strPath));
        DL_LOG(4, "CLS_WebSocketSDK::LoadAndExportLibrary %s", qUtf8Printable(pLibrary->errorString()));
        delete pLibrary;
        return false;
    }
    m_pfnCreate = reinterpret_cast<PFN_CreatWebsocket>(pLibrary->resolve("CreatWebsocket"));
    m_pfnDelete = reinterpret_cast<PFN_DeleteWebsocket>(pLibrary->resolve("DeleteWebsocket"));
    m_bLoaded = true;
    return true;
}

I_WebSocket* CLS_WebSocketSDK::CreatWebsocket()
{
    return m_pfnCreate != nullptr ? m_pfnCreate() : nullptr;
}

int CLS_WebSocketSDK::DeleteWebsocket(I_WebSocket* _pWebSocket)
{
    return m_pfnDelete != nullptr ? m_pfnDelete(_pWebSocket) : -1;
}
