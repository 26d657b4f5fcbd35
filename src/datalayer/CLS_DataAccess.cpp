#include "CLS_DataAccess.h"

#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"
#include "DataBase/EntityDao/InAndOut/CLS_CarDataRecvDao.h"
#include "DataBase/EntityDao/InAndOut/CLS_PadDataRecvDao.h"
#include "DataBase/EntityDao/InAndOut/CLS_WayDataRecEntityDAO.h"
#include "Log.h"

CLS_DataAccess& CLS_DataAccess::GetInstance()
{
    static CLS_DataAccess* const s_pInstance = new CLS_DataAccess();
    return *s_pInstance;
}

CLS_DataAccess::CLS_DataAccess()
    : m_pWayDataRecEntityDAO(CLS_WayDataRecEntityDAO::GetInstance()),
      m_pPadDataRecvDao(CLS_PadDataRecvDao::GetInstance()),
      m_pCarDataRecvDao(CLS_CarDataRecvDao::GetInstance())
{
}

CLS_DataAccess::~CLS_DataAccess() = default;

int CLS_DataAccess::InitData(const QString& _strServerIP, int _iPort)
{
    const int iRet = CLS_BaseEntityDAO::InitSysId();
    if (iRet != 0) {
        DL_LOG(2, "InitData->InitSysId ret:%d.", iRet);
        return iRet;
    }
    return CLS_RemoteDBHandler::InitDb(_strServerIP, _iPort);
}

bool CLS_DataAccess::SetDBCallback(DBStatusCallback _pCallback, void* _pUser)
{
    return CLS_RemoteDBHandler::SetDBCallback(_pCallback, _pUser);
}

int CLS_DataAccess::CreateDBConnection()
{
    return CLS_RemoteDBHandler::CreateDBConnection();
}

int CLS_DataAccess::BackupDatabase(const QString& _strFilePath, const QList<QString>& _lstDbNames,
                                   QMap<QString, bool>& _mapResults)
{
    return CLS_RemoteDBHandler::BackupDatabase(_strFilePath, _lstDbNames, _mapResults);
}

int CLS_DataAccess::RestoreDatabase(QString& _strFilePath, const QList<QString>& _lstDbNames,
                                    QMap<QString, bool>& _mapResults, int _iTimeout)
{
    return CLS_RemoteDBHandler::RestoreDatabase(_strFilePath, _lstDbNames, _mapResults, _iTimeout);
}

int CLS_DataAccess::DownLoadDB(QMap<QString, QVariant>& _mapDbData)
{
    return CLS_RemoteDBHandler::DownLoadDB(_mapDbData);
}

int CLS_DataAccess::UploadDB(QMap<QString, QVariant>& _mapDbData, QMap<QString, int>& _mapResults)
{
    return CLS_RemoteDBHandler::UploadDB(_mapDbData, _mapResults);
}

int CLS_DataAccess::GetAllNetworkInfo(QList<_NetworkInfo*>& _lstInfo)
{
    return CLS_RemoteDBHandler::GetAllNetworkInfo(_lstInfo);
}

int CLS_DataAccess::GetSystemStatusByName(const QString& _strName, _NetworkInfo*& _pInfo)
{
    return CLS_RemoteDBHandler::GetSystemStatusByName(_strName, _pInfo);
}

int CLS_DataAccess::GetServerStatus(QJsonObject& _objStatus)
{
    return CLS_RemoteDBHandler::GetServerStatus(_objStatus);
}
