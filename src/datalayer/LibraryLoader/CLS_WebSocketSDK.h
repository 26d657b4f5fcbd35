// Binding of the WebSocket client library, loaded at run time from the application directory.
#ifndef CLS_WEBSOCKETSDK_H
#define CLS_WEBSOCKETSDK_H

#include "DataMediatorExport.h"
#include "I_WebSocket.h"

#include <QString>

class DATAMEDIATOR_EXPORT CLS_WebSocketSDK
{
public:
    /// Loads appDir + "/" + the platform file name of the WebSocket library and resolves its two
    /// entry points. True once loaded; a failed load leaves the flag clear so a later call
    /// tries again.
    static bool LoadAndExportLibrary(QString appDir);

    /// "CreatWebsocket": a new client, or null when not resolved.
    static I_WebSocket* CreatWebsocket();
    /// "DeleteWebsocket": its result, or -1 when not resolved.
    static int DeleteWebsocket(I_WebSocket* _pWebSocket);

    /// File name of the library on this platform ("WebSocket.dll", "libWebSocket.so").
    static QString LibraryFileName();

private:
    static bool m_bLoaded;
    static PFN_CreatWebsocket m_pfnCreate;
    static PFN_DeleteWebsocket m_pfnDelete;
};

#endif  // CLS_WEBSOCKETSDK_H
