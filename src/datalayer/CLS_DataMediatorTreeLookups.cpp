// The resource tree: defence states, the look-ups over the tree, and the deletions that only
// reach the database.
#include "DataBase/EntityDao/Tree/CLS_ResourceTree.h"

using namespace ResourceTree;

// ---- defence state ----

int CLS_DataMediator::UpdateRefenceState(QString _strID, int _iState)
{
    return guarded("CLS_DataMediator::UpdateRefenceState", -1, [&] {
        uint32_t uiType = 0;
        bool bFound = false;
        bool bNull = false;
        {
            ReadLocker locker(&m_lockResourceData);
            // The index holds no null items: bNull stays false.
            if (const STRCT_VideoItem* pItem = m_mapResourceData.value(_strID)) {
                bFound = true;
                uiType = pItem->GetType();
            }
        }
        if (!bFound) {
            DL_LOG(3, "CLS_DataMediator::UpdateRefenceState m_mapResourceData.end() == iterItem");
            return -1;
        }
        if (bNull) {
            DL_LOG(3, "CLS_DataMediator::UpdateRefenceState nullptr == pItem");
            return -1;
        }
        CLS_DataAccess& access = CLS_DataAccess::GetInstance();
        int iRet = -1;
        switch (uiType) {
            case vitHost:
                iRet = access.SetHostDefenceState(_strID, _iState);
                break;
            case vitChannel:
                iRet = access.SetChannelDefenceState(_strID, _iState);
                break;
            case vitAlarmIn:
                iRet = access.SetAlarmInDefenceState(_strID, _iState);
                break;
            default:
                return -1;
        }
        if (iRet == 0) {
            WriteLocker locker(&m_lockResourceData);
            if (STRCT_VideoItem* pItem = CLS_ResourceTree::Find(*this, _strID)) {
                pItem->m_iDefenceState = _iState;
            }
        }
        return iRet;
    });
}

// ---- look-ups ----

QVector<STRCT_VideoItem*> CLS_DataMediator::GetAllHostItems()
{
    return guarded("CLS_DataMediator::GetAllHostItems", QVector<STRCT_VideoItem*>(), [&] {
        QVector<STRCT_VideoItem*> vecHosts;
        ReadLocker locker(&m_lockResourceData);
        for (STRCT_VideoItem* pItem : qAsConst(m_mapResourceData)) {
            if (pItem != nullptr && pItem->GetType() == vitHost && !pItem->m_strID.empty()) {
                vecHosts.append(pItem);
            }
        }
        return vecHosts;
    });
}

void CLS_DataMediator::GetChildItems(QString _strParentID, QVector<STRCT_VideoItem*>& _vecItems)
{
    guarded("CLS_DataMediator::GetChildItems", 0, [&] {
        const std::string strParentID = u8(_strParentID);
        ReadLocker locker(&m_lockResourceData);
        for (STRCT_VideoItem* pItem : qAsConst(m_mapResourceData)) {
            if (pItem != nullptr && pItem->m_strParentID == strParentID) {
                _vecItems.append(pItem);
            }
        }
        return 0;
    });
}

void CLS_DataMediator::GetResourceItemsByType(QVector<STRCT_VideoItem*>& _vecHosts,
                                              QVector<STRCT_VideoItem*>& _vecChannels,
                                              QVector<STRCT_VideoItem*>& _vecAlarmIns)
{
    guarded("CLS_DataMediator::GetResourceItemsByType", 0, [&] {
        ReadLocker locker(&m_lockResourceData);
        for (STRCT_VideoItem* pItem : qAsConst(m_mapResourceData)) {
            switch (pItem != nullptr ? pItem->GetType() : 0) {
                case vitHost:
                    _vecHosts.append(pItem);
                    break;
                case vitChannel:
                    _vecChannels.append(pItem);
                    break;
                case vitAlarmIn:
                    _vecAlarmIns.append(pItem);
                    break;
                default:
                    break;
            }
        }
        return 0;
    });
}

int CLS_DataMediator::GetRefenceStateById(QString _strID)
{
    return guarded("CLS_DataMediator::GetRefenceStateById", -1, [&] {
        {
            ReadLocker locker(&m_lockResourceData);
            if (const STRCT_VideoItem* pItem = m_mapResourceData.value(_strID)) {
                return pItem->m_iDefenceState;
            }
        }
        DL_LOG(3, "CLS_DataMediator::GetRefenceStateById m_mapResourceData.end() == iterItem");
        return -1;
    });
}

STRCT_VideoItem* CLS_DataMediator::GetHostItemOfChild(QString _strID)
{
    return guarded("CLS_DataMediator::GetHostItemOfChild", static_cast<STRCT_VideoItem*>(nullptr), [&] {
        ReadLocker locker(&m_lockResourceData);
        STRCT_VideoItem* pItem = CLS_ResourceTree::Find(*this, _strID);
        return pItem != nullptr ? CLS_ResourceTree::Find(*this, qs(pItem->m_strParentID)) : nullptr;
    });
}

bool CLS_DataMediator::GetProxyType(QString _qstrChannelId, int& _iProxyType)
{
    return guarded("CLS_DataMediator::GetProxyType", false, [&] {
        if (_qstrChannelId.isEmpty()) {
            DL_LOG(3, "CLS_DataMediator::GetProxyType _qstrChannelId.isEmpty()");
            return false;
        }
        bool bHaveParent = false;
        bool bIsHost = false;
        {
            ReadLocker locker(&m_lockResourceData);
            STRCT_VideoItem* pItem = CLS_ResourceTree::Find(*this, _qstrChannelId);
            STRCT_VideoItem* pStrctVideoItem =
                pItem != nullptr ? CLS_ResourceTree::Find(*this, qs(pItem->m_strParentID)) : nullptr;
            bHaveParent = pStrctVideoItem != nullptr;
            if (bHaveParent && pStrctVideoItem->GetType() == vitHost) {
                bIsHost = true;
                _iProxyType = static_cast<STRCT_VideoHost*>(pStrctVideoItem)->m_iProxyType;
            }
        }
        if (!bHaveParent) {
            DL_LOG(3, "CLS_DataMediator::GetProxyType pStrctVideoItem == nullptr");
            return false;
        }
        if (!bIsHost) {
            DL_LOG(3, "CLS_DataMediator::GetProxyType  pStrctVideoHostItem->GetType() != vitHost");
            return false;
        }
        return true;
    });
}

bool CLS_DataMediator::IsALiP2PDev(QString _qstrChannelId, QString& _qstrHostId)
{
    return guarded("CLS_DataMediator::IsALiP2PDev", false, [&] {
        uint32_t uiType = 0;
        int iProxyType = 0;
        std::string strHostID;
        {
            ReadLocker locker(&m_lockResourceData);
            STRCT_VideoItem* pItem = CLS_ResourceTree::Find(*this, _qstrChannelId);
            STRCT_VideoItem* pStrctVideoHostItem =
                pItem != nullptr ? CLS_ResourceTree::Find(*this, qs(pItem->m_strParentID)) : nullptr;
            if (pStrctVideoHostItem != nullptr) {
                uiType = pStrctVideoHostItem->GetType();
                if (uiType == vitHost) {
                    iProxyType = static_cast<STRCT_VideoHost*>(pStrctVideoHostItem)->m_iProxyType;
                    strHostID = pStrctVideoHostItem->m_strID;
                }
            }
        }
        if (uiType == 0) {
            DL_LOG(3, "CLS_DataMediator::IsALiP2PDev nullptr == pStrctVideoHostItem");
            return false;
        }
        if (uiType != vitHost) {
            DL_LOG(3, "CLS_DataMediator::IsALiP2PDev pStrctVideoHostItem->GetType() = %d",
                   static_cast<int>(uiType));
            return false;
        }
        _qstrHostId = qs(strHostID);
        return iProxyType == 4;
    });
}

int CLS_DataMediator::GetHostSync(QString _strHostID, CLS_HostEntity& _hostEntity)
{
    return guarded("CLS_DataMediator::GetHostSync", -1, [&] {
        CLS_HostEntity hostEntity;
        if (CLS_DataAccess::GetInstance().GetHostById(_strHostID, hostEntity) != 0) {
            DL_LOG(3, "CLS_DataMediator::GetHostSync pHostEntity == nullptr");
            return -1;
        }
        _hostEntity = hostEntity;
        return 0;
    });
}

int CLS_DataMediator::GetChanelSync(QString _strChannelID, CLS_ChannelEntity& _channelEntity)
{
    return guarded("CLS_DataMediator::GetChanelSync", -1, [&] {
        CLS_ChannelEntity channelEntity;
        if (CLS_DataAccess::GetInstance().GetChannelById(_strChannelID, channelEntity) != 0) {
            DL_LOG(3, "CLS_DataMediator::GetChanelSync pChannelEntity == nullptr");
            return -1;
        }
        _channelEntity = channelEntity;
        return 0;
    });
}

int CLS_DataMediator::GetChanbyChanNoAndHostID(QString _strHostID, int _iChannelNo,
                                               CLS_ChannelEntity& _channelEntity)
{
    return CLS_DataAccess::GetInstance().GetChannelByNum(_strHostID, _iChannelNo, _channelEntity);
}

// ---- database only ----

// They leave the tree alone, but the rights held for the trees lose those of the deleted objects.

int CLS_DataMediator::DeleteChannel(QString _strChannelID)
{
    const int iRet = CLS_DataAccess::GetInstance().DeleteChannel(_strChannelID);
    if (iRet == 0) {
        CLS_ResourceTree::DropAuthorityOf(*this, {_strChannelID});
    }
    return iRet;
}

int CLS_DataMediator::DeleteChannelsOfHost(QString _strHostID)
{
    // Every child object of the host goes; those the tree knows of lose their rights here.
    QStringList lstChildIDs;
    bool bKnown = false;
    {
        ReadLocker locker(&m_lockResourceData);
        if (STRCT_VideoHost* pHost = CLS_ResourceTree::FindHost(*this, _strHostID)) {
            bKnown = true;
            for (const STRCT_VideoItem* pChild : pHost->m_vecChilds) {
                if (CLS_ResourceTree::KindOf(pChild) != CLS_ResourceTree::ckNone) {
                    lstChildIDs.append(qs(pChild->m_strID));
                }
            }
        }
    }
    const int iRet = CLS_DataAccess::GetInstance().DeleteChannelsOfHost(_strHostID);
    if (iRet == 0 && bKnown) {
        CLS_ResourceTree::DropAuthorityOf(*this, lstChildIDs);
    } else if (iRet == 0) {
        // Children the tree never loaded went: the rights are read again at the next load.
        CLS_ResourceTree::ForgetAuthority(*this);
    }
    return iRet;
}

int CLS_DataMediator::DeleteAlarmIns(const QStringList& _lstAlarmInIDs)
{
    const int iRet = CLS_DataAccess::GetInstance().DeleteAlarmIns(_lstAlarmInIDs);
    if (iRet == 0) {
        CLS_ResourceTree::DropAuthorityOf(*this, _lstAlarmInIDs);
    }
    return iRet;
}

int CLS_DataMediator::DeleteAlarmOuts(const QStringList& _lstAlarmOutIDs)
{
    const int iRet = CLS_DataAccess::GetInstance().DeleteAlarmOuts(_lstAlarmOutIDs);
    if (iRet == 0) {
        CLS_ResourceTree::DropAuthorityOf(*this, _lstAlarmOutIDs);
    }
    return iRet;
}
