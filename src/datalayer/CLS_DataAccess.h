// The one object through which the mediator reaches storage: checks arguments and forwards to
// the DAO of the table concerned or to CLS_RemoteDBHandler.
#ifndef CLS_DATAACCESS_H
#define CLS_DATAACCESS_H

#include "CLS_RemoteDBHandler.h"
#include "DataMediatorExport.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

class CLS_IntelligentDataRecEntityDAO;
class CLS_WayDataRecEntityDAO;
class CLS_PadDataRecvDao;
class CLS_CarDataRecvDao;

class DATAMEDIATOR_EXPORT CLS_DataAccess
{
public:
    /// Created on first call (no lock: the first call comes from start-up), never destroyed.
    static CLS_DataAccess& GetInstance();
    virtual ~CLS_DataAccess();

    /// Settles the system id, then binds the WebSocket library for the server. 0 or the failure.
    int InitData(const QString& _strServerIP, int _iPort);
    bool SetDBCallback(DBStatusCallback _pCallback, void* _pUser);
    int CreateDBConnection();

    // ---- maintenance ----
    int BackupDatabase(const QString& _strFilePath, const QList<QString>& _lstDbNames,
                       QMap<QString, bool>& _mapResults);
    int RestoreDatabase(QString& _strFilePath, const QList<QString>& _lstDbNames, QMap<QString, bool>& _mapResults,
                        int _iTimeout);
    int DownLoadDB(QMap<QString, QVariant>& _mapDbData);
    int UploadDB(QMap<QString, QVariant>& _mapDbData, QMap<QString, int>& _mapResults);
    int GetAllNetworkInfo(QList<_NetworkInfo*>& _lstInfo);
    int GetSystemStatusByName(const QString& _strName, _NetworkInfo*& _pInfo);

    // ---- domain families, in the order of their domains; each family's bodies live in a
    //      CLS_DataAccess<Family>.cpp of its own ----

    // ---- devices ----

    // ---- users, roles and rights ----

    // ---- settings and configuration ----

private:
    CLS_DataAccess();
    CLS_DataAccess(const CLS_DataAccess&) = delete;
    CLS_DataAccess& operator=(const CLS_DataAccess&) = delete;

    // Owned DAOs of the intelligent-record and passage-history families; created with those
    // families, null until then (their forwarders check for null).
    CLS_IntelligentDataRecEntityDAO* m_pIntelligentDataRecEntityDAO = nullptr;
    CLS_WayDataRecEntityDAO* m_pWayDataRecEntityDAO = nullptr;
    CLS_PadDataRecvDao* m_pPadDataRecvDao = nullptr;
    CLS_CarDataRecvDao* m_pCarDataRecvDao = nullptr;
};

#endif  // CLS_DATAACCESS_H
