// The mediator's operations that only reach the device tables: counts, pages, address and
// proxy look-ups, the local recorder, and the product list with its cache.
#include "CLS_DataAccess.h"
#include "CLS_DataMediator.h"
#include "ItemBuilder/CLS_ItemBuilder.h"
#include "Log.h"

namespace {

const char kResourceRootId[] = "resource_root_id";

std::string countText(const QMap<QString, int>& _mapCounts, const QString& _strHostID)
{
    return std::to_string(_mapCounts.value(_strHostID, 0));
}

}  // namespace

int CLS_DataMediator::GetChannelCountOfHost(QString _strHostID)
{
    return CLS_DataAccess::GetInstance().GetChannelCountOfHost(_strHostID);
}

int CLS_DataMediator::GetAlarmInCountOfHost(QString _strHostID)
{
    return CLS_DataAccess::GetInstance().GetAlarmInCountOfHost(_strHostID);
}

int CLS_DataMediator::GetAlarmOutCountOfHost(QString _strHostID)
{
    return CLS_DataAccess::GetInstance().GetAlarmOutCountOfHost(_strHostID);
}

int CLS_DataMediator::GetChannelCounts(QMap<QString, int>& _mapCounts)
{
    return CLS_DataAccess::GetInstance().GetChannelCounts(_mapCounts);
}

int CLS_DataMediator::GetAlarmInCounts(QMap<QString, int>& _mapCounts)
{
    return CLS_DataAccess::GetInstance().GetAlarmInCounts(_mapCounts);
}

int CLS_DataMediator::GetAlarmOutCounts(QMap<QString, int>& _mapCounts)
{
    return CLS_DataAccess::GetInstance().GetAlarmOutCounts(_mapCounts);
}

int CLS_DataMediator::GetCameraCount(QString _strUserID)
{
    return CLS_DataAccess::GetInstance().GetCameraCount(_strUserID);
}

int CLS_DataMediator::GetHostCount(int _iDevType, QString _strUserID)
{
    return CLS_DataAccess::GetInstance().GetHostCount(_iDevType, _strUserID);
}

int CLS_DataMediator::GetHostPageCount(int _iPageSize)
{
    return CLS_DataAccess::GetInstance().GetHostPageCount(_iPageSize);
}

int CLS_DataMediator::GetHostPage(int _iPageSize, int _iPageIndex, QVector<CLS_HostEntity*>& _vecHosts)
{
    return CLS_DataAccess::GetInstance().GetHostPage(_iPageSize, _iPageIndex, _vecHosts);
}

int CLS_DataMediator::GetHostPageItems(int _iPageSize, int _iPageIndex, QVector<STRCT_VideoHost*>& _vecHosts)
{
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    QVector<CLS_HostEntity*> vecHosts;
    int iRet = access.GetHostPage(_iPageSize, _iPageIndex, vecHosts);
    if (iRet != 0) {
        DL_LOG(3, "CLS_DataMediator::GetHostPageItems GetHostPage iRet = %d", iRet);
        return iRet;
    }
    QMap<QString, int> mapChannels;
    QMap<QString, int> mapAlarmIns;
    QMap<QString, int> mapAlarmOuts;
    if ((iRet = access.GetChannelCounts(mapChannels)) != 0 ||
        (iRet = access.GetAlarmInCounts(mapAlarmIns)) != 0 ||
        (iRet = access.GetAlarmOutCounts(mapAlarmOuts)) != 0) {
        DL_LOG(3, "CLS_DataMediator::GetHostPageItems counts iRet = %d", iRet);
        qDeleteAll(vecHosts);
        return iRet;
    }
    for (int i = 0; i < vecHosts.size(); ++i) {
        auto* pItem = new STRCT_VideoHost();
        if (!CLS_ItemBuilder::BuildHostItem(vecHosts[i], pItem)) {
            delete pItem;
            continue;
        }
        pItem->m_strParentID = kResourceRootId;
        pItem->m_iSortNum = i;
        pItem->m_strChannelCount = countText(mapChannels, vecHosts[i]->S_ID);
        pItem->m_strAlarmInCount = countText(mapAlarmIns, vecHosts[i]->S_ID);
        pItem->m_strAlarmOutCount = countText(mapAlarmOuts, vecHosts[i]->S_ID);
        _vecHosts.append(pItem);
    }
    qDeleteAll(vecHosts);
    return 0;
}

int CLS_DataMediator::GetHostIdsByAddress(QString _strAddress, int _iMode, QStringList& _lstHostIDs)
{
    return CLS_DataAccess::GetInstance().GetHostIdsByAddress(_strAddress, _iMode, _lstHostIDs);
}

int CLS_DataMediator::GetHostIdsByProxyType(int _iProxyType, QStringList& _lstHostIDs)
{
    return CLS_DataAccess::GetInstance().GetHostIdsByProxyType(_iProxyType, _lstHostIDs);
}

int CLS_DataMediator::GetLocalRecorderCredentials(QString& _strUserName, QString& _strPassword)
{
    return CLS_DataAccess::GetInstance().GetLocalRecorderCredentials(_strUserName, _strPassword);
}

int CLS_DataMediator::GetLocalRecorderAddress(QString& _strIP, int& _iHttpPort, int& _iPort)
{
    return CLS_DataAccess::GetInstance().GetLocalRecorderAddress(_strIP, _iHttpPort, _iPort);
}

int CLS_DataMediator::SetLocalRecorderPassword(QString _strPassword)
{
    return CLS_DataAccess::GetInstance().SetLocalRecorderPassword(_strPassword);
}

int CLS_DataMediator::GetAllProduct(QString _strCode, QVector<CLS_ProductEntity>& _vecProducts)
{
    // The cache holds the first non-empty answer; another code is read from the database
    // without replacing it.
    if (!m_vecProductCache.isEmpty() && _strCode == m_strProductCacheCode) {
        _vecProducts = m_vecProductCache;
        return 0;
    }
    QVector<CLS_ProductEntity*> vecRead;
    const int iRet = CLS_DataAccess::GetInstance().GetProducts(_strCode, vecRead);
    QVector<CLS_ProductEntity> qvecProductEntity;
    for (const CLS_ProductEntity* pProduct : vecRead) {
        qvecProductEntity.append(*pProduct);
    }
    qDeleteAll(vecRead);
    if (iRet != 0) {
        DL_LOG(3, "CLS_DataMediator::GetAllProduct GetProducts iRet = %d", iRet);
        return iRet;
    }
    if (qvecProductEntity.isEmpty()) {
        DL_LOG(3, "CLS_DataMediator::GetAllProduct qvecProductEntity is empty");
        return -1;
    }
    if (m_vecProductCache.isEmpty()) {
        m_vecProductCache = qvecProductEntity;
        m_strProductCacheCode = _strCode;
    }
    _vecProducts = qvecProductEntity;
    return 0;
}
