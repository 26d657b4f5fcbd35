// Decoders and the TV wall: decoders and their outputs with their items in the resource tree,
// output regions, TVs, screen units, layouts and join templates.
//
// Locking follows the resource tree: the map and the fields of its items are changed under the
// write lock; database calls, item building and signals happen outside it.
#include "DataBase/EntityDao/Decoder/CLS_DecEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_EncInEntity.h"
#include "DataBase/EntityDao/Tree/CLS_ResourceTree.h"
#include "ItemBuilder/CLS_ItemBuilder.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

using namespace ResourceTree;

namespace {

const char kViewConfig[] = "MAINTYPE_VIEWCONFIG";
const char kJoinTemplate[] = "JoinTemplate";
// Device type passed with decoder items; output captions go with 9.
constexpr int kDevTypeDecoder = 1;
constexpr int kDevTypeCaption = 9;

template <typename E>
struct Owned
{
    QVector<E*> vec;
    ~Owned() { qDeleteAll(vec); }
};

// Copies a single entity read by _read into the caller's record; the texts are those of the
// mediator's single-object readers.
template <typename E, typename F>
int syncOne(E* _pOut, const char* _pszNoRecord, const char* _pszNoEntity, F&& _read)
{
    if (_pOut == nullptr) {
        DL_LOG(3, "%s", _pszNoRecord);
        return -1;
    }
    E entity;
    if (_read(entity) != 0) {
        DL_LOG(3, "%s", _pszNoEntity);
        return -1;
    }
    *_pOut = entity;
    return 0;
}

// The item's values from a fresh build; identity and place stay.
void takeDecoderValues(const STRCT_Decoder& _from, STRCT_Decoder& _to)
{
    assignChanged(_to.m_strCaption, _from.m_strCaption);
    assignChanged(_to.m_strDescription, _from.m_strDescription);
    assignChanged(_to.m_strIP, _from.m_strIP);
    assignChanged(_to.m_iPort, _from.m_iPort);
    assignChanged(_to.m_strUserName, _from.m_strUserName);
    assignChanged(_to.m_strPassword, _from.m_strPassword);
    assignChanged(_to.m_iDecoderValue1, _from.m_iDecoderValue1);
    assignChanged(_to.m_iDecoderValue2, _from.m_iDecoderValue2);
    assignChanged(_to.m_iDecoderValue3, _from.m_iDecoderValue3);
}

// The parsed "JoinTemplate" setting; false (logged under _pszOperation) when the read failed
// or the value is no array. A failed read is never "no templates": written back, it would wipe
// every stored template.
bool readJoinTemplates(QJsonArray& _arrTemplates, const char* _pszOperation)
{
    QString qstrJson;
    const int iRet =
        CLS_DataAccess::GetInstance().GetConfigValue(kViewConfig, kJoinTemplate, QString(), qstrJson);
    if (iRet != 0) {
        DL_LOG(2, "%s GetConfigValue iRet = %d", _pszOperation, iRet);
        return false;
    }
    if (qstrJson.trimmed().isEmpty()) {
        _arrTemplates = QJsonArray();
        return true;
    }
    const QJsonDocument doc = QJsonDocument::fromJson(qstrJson.toUtf8());
    if (!doc.isArray()) {
        DL_LOG(3, "%s error qstrJson=%s", _pszOperation, qPrintable(qstrJson));
        return false;
    }
    _arrTemplates = doc.array();
    return true;
}

}  // namespace

// ---- loading ----

int CLS_DataMediator::LoadDecoderItems()
{
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    Owned<CLS_DecEntity> decs;
    Owned<CLS_EncInEntity> encIns;
    Owned<CLS_DecOutEntity> outs;
    int iRet = 0;
    if ((iRet = access.GetAllDecoders(decs.vec)) != 0 || (iRet = access.GetAllEncIns(encIns.vec)) != 0 ||
        (iRet = access.GetAllDecOuts(outs.vec)) != 0) {
        DL_LOG(2, "CLS_DataMediator::LoadDecoderItems read iRet = %d", iRet);
        return iRet;
    }
    QHash<QString, QVector<CLS_EncInEntity*>> mapEncIns;
    QHash<QString, QVector<CLS_DecOutEntity*>> mapOuts;
    for (CLS_EncInEntity* pEncIn : encIns.vec) {
        mapEncIns[pEncIn->S_PARENT_ID].append(pEncIn);
    }
    for (CLS_DecOutEntity* pOut : outs.vec) {
        mapOuts[pOut->S_PARENT_ID].append(pOut);
    }

    QVector<STRCT_VideoItem*> vecBatch;
    for (int i = 0; i < decs.vec.size(); ++i) {
        const CLS_DecEntity* pDecEntity = decs.vec[i];
        auto* pDec = new STRCT_Decoder();
        if (!CLS_ItemBuilder::BuildDecoderItem(pDecEntity, pDec)) {
            delete pDec;
            continue;
        }
        pDec->m_strParentID = kResourceRootId;
        pDec->m_iSortNum = i;
        pDec->m_iDevType = kDevTypeDecoder;
        vecBatch.clear();
        vecBatch.append(pDec);
        // Inputs, then outputs, numbered on from one counter.
        int iSort = 0;
        for (const CLS_EncInEntity* pEncInEntity : mapEncIns.value(pDecEntity->S_ID)) {
            auto* pEncIn = new STRCT_EncoderIn();
            if (!CLS_ItemBuilder::BuildEncoderInItem(pEncInEntity, pEncIn)) {
                delete pEncIn;
                continue;
            }
            pEncIn->m_iSortNum = iSort++;
            vecBatch.append(pEncIn);
        }
        for (const CLS_DecOutEntity* pOutEntity : mapOuts.value(pDecEntity->S_ID)) {
            auto* pOut = new STRCT_DecoderOut();
            if (!CLS_ItemBuilder::BuildDecoderOutItem(pOutEntity, pOut)) {
                delete pOut;
                continue;
            }
            pOut->m_iSortNum = iSort++;
            pOut->m_iDevType = kDevTypeDecoder;
            vecBatch.append(pOut);
        }
        WriteLocker locker(&m_lockResourceData);
        for (STRCT_VideoItem* pItem : qAsConst(vecBatch)) {
            CLS_ResourceTree::Put(*this, pItem);
        }
    }
    return 0;
}

QVector<STRCT_VideoItem*> CLS_DataMediator::DecoderItems(const QString& _strDecID)
{
    QVector<STRCT_VideoItem*> vecItems;
    const std::string strDecID = u8(_strDecID);
    ReadLocker locker(&m_lockResourceData);
    if (STRCT_VideoItem* pDec = CLS_ResourceTree::Find(*this, _strDecID)) {
        if (pDec->GetType() == vitDecoder) {
            vecItems.append(pDec);
        }
    }
    for (STRCT_VideoItem* pItem : qAsConst(m_mapResourceData)) {
        if (pItem != nullptr && pItem->m_strParentID == strDecID &&
            (pItem->GetType() == vitDecoderOut || pItem->GetType() == vitEncoderIn)) {
            vecItems.append(pItem);
        }
    }
    return vecItems;
}

void CLS_DataMediator::PutDecoderItem(STRCT_VideoItem* _pItem)
{
    STRCT_VideoItem* pOld = nullptr;
    {
        WriteLocker locker(&m_lockResourceData);
        // An object stored again under its id replaces its item.
        pOld = CLS_ResourceTree::Find(*this, qs(_pItem->m_strID));
        CLS_ResourceTree::Put(*this, _pItem);
    }
    if (pOld != nullptr && pOld != _pItem) {
        CLS_ResourceTree::ReleaseLater({pOld});
    }
    CLS_ResourceTree::EmitResource(*this, {_pItem}, otInsert, kDevTypeDecoder);
}

// ---- decoders ----

int CLS_DataMediator::GetAllDecoders(QVector<CLS_DecEntity*>& _vecDecs)
{
    return CLS_DataAccess::GetInstance().GetAllDecoders(_vecDecs);
}

int CLS_DataMediator::DecSync(QString _qstrDecID, CLS_DecEntity* _pDecEntity)
{
    return syncOne(_pDecEntity, "DecSync pstructDecSearchInfo == nullptr", "DecSync DecOutEntity == nullptr",
                   [&](CLS_DecEntity& e) { return CLS_DataAccess::GetInstance().GetDecoderById(_qstrDecID, e); });
}

int CLS_DataMediator::GetDecoderPage(int _iPageSize, int _iPageNum, QVector<CLS_DecEntity*>& _vecDecs, int& _iTotal)
{
    if (_iPageSize <= 0) {
        DL_LOG(3, "CLS_DataMediator::GetDecoderPage _iPageSize <= 0");
        return -1;
    }
    return CLS_DataAccess::GetInstance().GetDecoderPage(_iPageSize, _iPageNum, _vecDecs, _iTotal);
}

int CLS_DataMediator::GetDecoderCount()
{
    return CLS_DataAccess::GetInstance().GetDecoderCount();
}

bool CLS_DataMediator::IsDecoderAddressExist(QString _qstrIP, int _iPort)
{
    return CLS_DataAccess::GetInstance().IsDecoderAddressExist(_qstrIP, _iPort);
}

int CLS_DataMediator::InsertDecorder(const CLS_DecEntity& _decEntity)
{
    return guarded("CLS_DataMediator::InsertDecorder", -1, [&] {
        const int iRet = CLS_DataAccess::GetInstance().InsertDecorder(_decEntity);
        if (iRet < 0) {
            DL_LOG(2, "InsertDecorder < 0");
            return iRet;
        }
        auto* pDec = new STRCT_Decoder();
        CLS_ItemBuilder::BuildDecoderItem(&_decEntity, pDec);
        pDec->m_strParentID = kResourceRootId;
        pDec->m_iDevType = kDevTypeDecoder;
        {
            ReadLocker locker(&m_lockResourceData);
            for (const STRCT_VideoItem* pItem : qAsConst(m_mapResourceData)) {
                pDec->m_iSortNum += pItem != nullptr && pItem->GetType() == vitDecoder ? 1 : 0;
            }
        }
        PutDecoderItem(pDec);
        return 0;
    });
}

int CLS_DataMediator::UpdateDecorder(const CLS_DecEntity& _decEntity)
{
    return guarded("CLS_DataMediator::UpdateDecorder", -1, [&] {
        const int iRet = CLS_DataAccess::GetInstance().UpdateDecorder(_decEntity);
        if (iRet < 0) {
            DL_LOG(2, "UpdateDecorder < 0");
            return iRet;
        }
        STRCT_Decoder fresh;
        CLS_ItemBuilder::BuildDecoderItem(&_decEntity, &fresh);
        STRCT_VideoItem* pItem = nullptr;
        {
            WriteLocker locker(&m_lockResourceData);
            pItem = CLS_ResourceTree::Find(*this, _decEntity.S_ID);
            if (pItem == nullptr || pItem->GetType() != vitDecoder) {
                return 0;
            }
            takeDecoderValues(fresh, *static_cast<STRCT_Decoder*>(pItem));
        }
        CLS_ResourceTree::EmitResource(*this, {pItem}, otUpdate, kDevTypeDecoder);
        return 0;
    });
}

int CLS_DataMediator::DeleteDecorder(QString _qstrHostID)
{
    if (_qstrHostID.isEmpty()) {
        DL_LOG(3, "CLS_DataMediator::DeleteDecorder _qstrHostID is empty");
        return -1;
    }
    return guarded("CLS_DataMediator::DeleteDecorder", -1, [&] {
        const int iRet = CLS_DataAccess::GetInstance().DeleteDecorder(_qstrHostID);
        if (iRet < 0) {
            DL_LOG(2, "CLS_DataAccess::GetInstance().DeleteDecorder < 0");
            return iRet;
        }
        const QVector<STRCT_VideoItem*> vecItems = DecoderItems(_qstrHostID);
        {
            WriteLocker locker(&m_lockResourceData);
            for (STRCT_VideoItem* pItem : vecItems) {
                CLS_ResourceTree::Remove(*this, pItem);
            }
        }
        CLS_ResourceTree::EmitResource(*this, vecItems, otDelete, kDevTypeDecoder);
        if (!vecItems.isEmpty() && !CLS_ResourceTree::ReleaseLater(vecItems)) {
            DL_LOG(3, "CLS_DataMediator::DeleteDecorder nullptr == pCommonHandle");
        }
        return 0;
    });
}

// ---- outputs ----

int CLS_DataMediator::GetAllDecOuts(QVector<CLS_DecOutEntity*>& _vecOuts)
{
    return CLS_DataAccess::GetInstance().GetAllDecOuts(_vecOuts);
}

int CLS_DataMediator::GetDecOutsOfDecoder(QString _qstrDecID, QVector<CLS_DecOutEntity*>& _vecOuts)
{
    return CLS_DataAccess::GetInstance().GetDecOutsOfDecoder(_qstrDecID, _vecOuts);
}

int CLS_DataMediator::GetFreeDecOuts(QString _qstrDecID, QVector<CLS_DecOutEntity*>& _vecOuts)
{
    return CLS_DataAccess::GetInstance().GetFreeDecOuts(_qstrDecID, _vecOuts);
}

int CLS_DataMediator::GetDecOut(QString _qstrDecID, int _iNum, CLS_DecOutEntity* _pDecOutEntity)
{
    return syncOne(_pDecOutEntity, "GetDecOut pstructDecOutSearchInfo == nullptr", "GetDecOut pDecOutEntity == nullptr",
                   [&](CLS_DecOutEntity& e) {
                       return CLS_DataAccess::GetInstance().GetDecOutByNum(_qstrDecID, _iNum, e);
                   });
}

int CLS_DataMediator::DecOutSync(QString _qstrDecOutID, CLS_DecOutEntity* _pDecOutEntity)
{
    return syncOne(_pDecOutEntity, "DecOutSync pstructDecOutSearchInfo == nullptr",
                   "DecOutSync pclsDecOutEntity == nullptr",
                   [&](CLS_DecOutEntity& e) { return CLS_DataAccess::GetInstance().GetDecOutById(_qstrDecOutID, e); });
}

int CLS_DataMediator::GetVisibleDecOutCount(QString _qstrDecID)
{
    return CLS_DataAccess::GetInstance().GetVisibleDecOutCount(_qstrDecID);
}

int CLS_DataMediator::InsertDecOut(const CLS_DecOutEntity& _decOutEntity)
{
    return guarded("CLS_DataMediator::InsertDecOut", -1, [&] {
        const int iRet = CLS_DataAccess::GetInstance().InsertDecOut(_decOutEntity);
        if (iRet != 0) {
            DL_LOG(2, "CLS_DataMediator::InsertDecOut InsertDecOut fail iRet = %d", iRet);
            return iRet;
        }
        auto* pOut = new STRCT_DecoderOut();
        CLS_ItemBuilder::BuildDecoderOutItem(&_decOutEntity, pOut);
        pOut->m_iDevType = kDevTypeDecoder;
        pOut->m_iSortNum = DecoderItems(_decOutEntity.S_PARENT_ID).size();
        PutDecoderItem(pOut);
        return 0;
    });
}

int CLS_DataMediator::UpdateDecOut(const CLS_DecOutEntity& _decOutEntity)
{
    return guarded("CLS_DataMediator::UpdateDecOut", -1, [&] {
        const int iRet = CLS_DataAccess::GetInstance().UpdateDecOut(_decOutEntity);
        if (iRet != 0) {
            DL_LOG(2, "CLS_DataMediator::UpdateDecOut UpdateDecOut fail iRet = %d", iRet);
            return iRet;
        }
        STRCT_VideoItem* pItem = nullptr;
        {
            WriteLocker locker(&m_lockResourceData);
            pItem = CLS_ResourceTree::Find(*this, _decOutEntity.S_ID);
            if (pItem == nullptr || pItem->GetType() != vitDecoderOut) {
                DL_LOG(3, "CLS_DataMediator::UpdateDecOut m_mapResourceData.find(clsDecOutEntity.m_qstrID) == "
                          "m_mapResourceData.end()");
                return 0;
            }
            auto* pOut = static_cast<STRCT_DecoderOut*>(pItem);
            assignChanged(pOut->m_strCaption, CLS_ItemBuilder::SimplifiedCaption(_decOutEntity.S_CAPTION));
            assignChanged(pOut->m_iNum, _decOutEntity.I_NUM);
        }
        CLS_ResourceTree::EmitResource(*this, {pItem}, otUpdate, kDevTypeDecoder);
        return 0;
    });
}

int CLS_DataMediator::DeleteDecOut(QString _qstrDecOutID)
{
    return guarded("CLS_DataMediator::DeleteDecOut", -1, [&] {
        const int iRet = CLS_DataAccess::GetInstance().DeleteDecOut(_qstrDecOutID);
        if (iRet != 0) {
            DL_LOG(2, "CLS_DataMediator::DeleteDecOut DeleteDecOut fail iRet = %d", iRet);
            return iRet;
        }
        STRCT_VideoItem* pItem = nullptr;
        {
            WriteLocker locker(&m_lockResourceData);
            pItem = CLS_ResourceTree::Find(*this, _qstrDecOutID);
            if (pItem == nullptr || pItem->GetType() != vitDecoderOut) {
                return 0;
            }
            CLS_ResourceTree::Remove(*this, pItem);
        }
        CLS_ResourceTree::EmitResource(*this, {pItem}, otDelete, kDevTypeDecoder);
        CLS_ResourceTree::ReleaseLater({pItem});
        return 0;
    });
}

int CLS_DataMediator::UpdateDecoderOutCaption(QString _qstrDecOutID, QString _qstrCaption)
{
    return guarded("CLS_DataMediator::UpdateDecoderOutCaption", -1, [&] {
        const int iRet = CLS_DataAccess::GetInstance().UpdateDecOutCaption(_qstrDecOutID, _qstrCaption);
        if (iRet != 0) {
            DL_LOG(2, "CLS_DataMediator::UpdateDecoderOutCaption iRet = %d", iRet);
            return iRet;
        }
        STRCT_VideoItem* pItem = nullptr;
        {
            WriteLocker locker(&m_lockResourceData);
            pItem = CLS_ResourceTree::Find(*this, _qstrDecOutID);
            if (pItem == nullptr || pItem->GetType() != vitDecoderOut) {
                return 0;
            }
            assignChanged(pItem->m_strCaption, CLS_ItemBuilder::SimplifiedCaption(_qstrCaption));
        }
        CLS_ResourceTree::EmitResource(*this, {pItem}, otUpdate, kDevTypeCaption);
        return 0;
    });
}

// ---- output regions, TVs ----

int CLS_DataMediator::GetDecOutRegions(QString _qstrDecOutID, QVector<CLS_DecOutRegionEntity*>& _vecRegions)
{
    return CLS_DataAccess::GetInstance().GetDecOutRegions(_qstrDecOutID, _vecRegions);
}

int CLS_DataMediator::DecOutRegionSync(QString _qstrRegionID, CLS_DecOutRegionEntity* _pRegionEntity)
{
    return syncOne(_pRegionEntity, "DecOutRegionSync pstructDecOutRegionSearchInfo == nullptr",
                   "DecOutRegionSync pclsDecOutRegionEntity == nullptr", [&](CLS_DecOutRegionEntity& e) {
                       return CLS_DataAccess::GetInstance().GetDecOutRegionById(_qstrRegionID, e);
                   });
}

int CLS_DataMediator::InsertDecOutRegion(const CLS_DecOutRegionEntity& _regionEntity)
{
    return CLS_DataAccess::GetInstance().InsertDecOutRegion(_regionEntity);
}

int CLS_DataMediator::DeleteDecOutRegion(QString _qstrRegionID)
{
    return CLS_DataAccess::GetInstance().DeleteDecOutRegion(_qstrRegionID);
}

int CLS_DataMediator::GetAllTVs(QVector<CLS_TVEntity*>& _vecTVs)
{
    return CLS_DataAccess::GetInstance().GetAllTVs(_vecTVs);
}

int CLS_DataMediator::GetAllTVOuts(QVector<CLS_TVOutEntity*>& _vecOuts)
{
    return CLS_DataAccess::GetInstance().GetAllTVOuts(_vecOuts);
}

int CLS_DataMediator::GetTVOutsOfTV(QString _qstrTVID, QVector<CLS_TVOutEntity*>& _vecOuts)
{
    return CLS_DataAccess::GetInstance().GetTVOutsOfTV(_qstrTVID, _vecOuts);
}

int CLS_DataMediator::GetChildIdsOfType(QString _qstrParentID, int _iObjType, QStringList& _lstIDs)
{
    return CLS_DataAccess::GetInstance().GetChildIdsOfType(_qstrParentID, _iObjType, _lstIDs);
}

// ---- screen units ----

int CLS_DataMediator::GetAllScreenUnits(QVector<CLS_ScreenUnitEntity*>& _vecUnits)
{
    return CLS_DataAccess::GetInstance().GetAllScreenUnits(_vecUnits);
}

int CLS_DataMediator::ScreenUnitSync(QString _qstrUnitID, CLS_ScreenUnitEntity* _pUnitEntity)
{
    return syncOne(_pUnitEntity, "ScreenUnitSync pstructScreenUnitSearchInfo == nullptr",
                   "ScreenUnitSync pclsScreenUnitEntity == nullptr", [&](CLS_ScreenUnitEntity& e) {
                       return CLS_DataAccess::GetInstance().GetScreenUnitById(_qstrUnitID, e);
                   });
}

int CLS_DataMediator::InsertScreen(QString _qstrLayoutID, const CLS_ScreenUnitEntity* _screen)
{
    if (_screen == nullptr) {
        DL_LOG(3, "InsertScreen _screen == nullptr");
        return -1;
    }
    return CLS_DataAccess::GetInstance().InsertScreens(_qstrLayoutID, {*_screen});
}

int CLS_DataMediator::InsertScreens(QString _qstrLayoutID, const QVector<CLS_ScreenUnitEntity>& _vecUnits)
{
    return CLS_DataAccess::GetInstance().InsertScreens(_qstrLayoutID, _vecUnits);
}

int CLS_DataMediator::UpdateScreen(const CLS_ScreenUnitEntity* _screen)
{
    if (_screen == nullptr) {
        DL_LOG(3, "UpdateScreen _screen == nullptr");
        return -1;
    }
    return CLS_DataAccess::GetInstance().UpdateScreen(*_screen);
}

int CLS_DataMediator::DeleteScreen(QString _qstrUnitID)
{
    return CLS_DataAccess::GetInstance().DeleteScreen(_qstrUnitID);
}

int CLS_DataMediator::DeleteJoinScreen(QString _qstrJoinScreenID)
{
    return CLS_DataAccess::GetInstance().DeleteJoinScreen(_qstrJoinScreenID);
}

int CLS_DataMediator::GetScreensUsingDecOut(QString _qstrLayoutID, QString _qstrDecOutID, QStringList& _lstUnitIDs)
{
    return CLS_DataAccess::GetInstance().GetScreensUsingDecOut(_qstrLayoutID, _qstrDecOutID, _lstUnitIDs);
}

int CLS_DataMediator::GetTvScreenInfo(QString _qstrLayoutID, QVector<CLS_ScreenUnitEntity*>& _vecUnits)
{
    return CLS_DataAccess::GetInstance().GetTvScreenInfo(_qstrLayoutID, _vecUnits);
}

int CLS_DataMediator::GetLayoutScreenUnits(QString _qstrLayoutID, QVector<CLS_ScreenUnitEntity*>& _vecUnits)
{
    return CLS_DataAccess::GetInstance().GetLayoutScreenUnits(_qstrLayoutID, _vecUnits);
}

int CLS_DataMediator::GetScreenUnitsByType(int _iType, QVector<CLS_ScreenUnitEntity*>& _vecUnits)
{
    return CLS_DataAccess::GetInstance().GetScreenUnitsByType(_iType, _vecUnits);
}

// ---- layouts ----

int CLS_DataMediator::GetAllTVLayout(QVector<CLS_TVLayoutEntity*>& _vecLayouts)
{
    return CLS_DataAccess::GetInstance().GetAllTVLayout(_vecLayouts);
}

int CLS_DataMediator::GetTVLayoutIds(QStringList& _lstIDs)
{
    return CLS_DataAccess::GetInstance().GetTVLayoutIds(_lstIDs);
}

int CLS_DataMediator::TVLayoutSyn(QString _qstrLayoutID, CLS_TVLayoutEntity* _pLayoutEntity)
{
    return syncOne(_pLayoutEntity, "TVLayoutSyn pstructTVLayoutSearchInfo == nullptr",
                   "TVLayoutSyn pclsTVLayoutEntity == nullptr", [&](CLS_TVLayoutEntity& e) {
                       return CLS_DataAccess::GetInstance().GetTVLayoutById(_qstrLayoutID, e);
                   });
}

int CLS_DataMediator::GetLayOutInfoById(QString _qstrLayOutId, CLS_TVLayoutEntity& _layoutEntity, int _iSysType)
{
    Q_UNUSED(_iSysType)
    if (0 != CLS_DataAccess::GetInstance().GetLayOutInfoById(_qstrLayOutId, _layoutEntity)) {
        DL_LOG(2, "0 != CLS_DataAccess::GetInstance().GetLayOutInfoById(_qstrLayOutId, TVLayoutEntity, _iSysType)");
        return -1;
    }
    return 0;
}

bool CLS_DataMediator::IsTVLayoutNameExist(QString _qstrName, QString _qstrLayoutID)
{
    return CLS_DataAccess::GetInstance().IsTVLayoutNameExist(_qstrName, _qstrLayoutID);
}

int CLS_DataMediator::InsertTVLayout(CLS_TVLayoutEntity& _layoutEntity)
{
    if (m_strUserID.isEmpty()) {
        DL_LOG(2, "InsertTVLayout m_strUserID.isEmpty()");
        return -1;
    }
    if (_layoutEntity.S_ID.isEmpty()) {
        _layoutEntity.S_ID = newObjectId();
    }
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    const int iRet = access.InsertTVLayout(_layoutEntity, m_strUserID, newObjectId());
    if (iRet != 0) {
        DL_LOG(2, "CLS_DataMediator::InsertTVLayout iRet = %d", iRet);
        return iRet;
    }
    return access.InsertTVLayoutImage(_layoutEntity.S_ID, _layoutEntity.S_IMG);
}

int CLS_DataMediator::UpdateTvWall(CLS_TVLayoutEntity* _pTVLayout)
{
    if (_pTVLayout == nullptr) {
        DL_LOG(3, "UpdateTvWall _pTVLayout == nullptr");
        return -1;
    }
    // The record is ours: its values move into an entity of our own, and it is destroyed.
    std::unique_ptr<CLS_TVLayoutEntity> pclsTVLayoutEntity(new (std::nothrow) CLS_TVLayoutEntity(*_pTVLayout));
    delete _pTVLayout;
    if (pclsTVLayoutEntity == nullptr) {
        DL_LOG(3, "UpdateTvWall pclsTVLayoutEntity == nullptr");
        return -1;
    }
    return CLS_DataAccess::GetInstance().UpdateTVLayoutCaption(pclsTVLayoutEntity->S_ID,
                                                                pclsTVLayoutEntity->S_CAPTION);
}

int CLS_DataMediator::UpdateTVLayoutImage(QString _qstrLayoutID, QString _qstrImgPath)
{
    return CLS_DataAccess::GetInstance().UpdateTVLayoutImage(_qstrLayoutID, _qstrImgPath);
}

int CLS_DataMediator::UpdateTVOutPlace(QString _qstrLayoutID, QString _qstrTVOutID, QString _qstrNewTVOutID,
                                       double _dX, double _dY, double _dW, double _dH)
{
    return CLS_DataAccess::GetInstance().UpdateTVOutPlace(_qstrLayoutID, _qstrTVOutID, _qstrNewTVOutID, _dX, _dY,
                                                          _dW, _dH);
}

int CLS_DataMediator::RemoveTVOutFromLayout(QString _qstrLayoutID, QString _qstrTVOutID)
{
    return CLS_DataAccess::GetInstance().RemoveTVOutFromLayout(_qstrLayoutID, _qstrTVOutID);
}

int CLS_DataMediator::ClearTVLayout(QString _qstrLayoutID, bool _bWithScreens)
{
    return CLS_DataAccess::GetInstance().ClearTVLayout(_qstrLayoutID, _bWithScreens);
}

int CLS_DataMediator::DeleteTVLayoutViews(QString _qstrLayoutID)
{
    const int iRet = CLS_DataAccess::GetInstance().DeleteTVLayoutViews(_qstrLayoutID);
    if (iRet == 0) {
        emit SignUpdateViewSuccess();
    }
    return iRet;
}

int CLS_DataMediator::DeleteTVLayout(QString _qstrLayoutID)
{
    return CLS_DataAccess::GetInstance().DeleteTVLayout(_qstrLayoutID);
}

// ---- join templates ----

int CLS_DataMediator::InsertJoinTemplate(const CLS_TVJoinTemplateEntity& _templateEntity)
{
    return CLS_DataAccess::GetInstance().InsertJoinTemplate(_templateEntity);
}

int CLS_DataMediator::GetTemplate(QString _qstrDecID, QVector<CLS_TVJoinTemplateEntity>& _vecTemplates)
{
    QVector<CLS_TVJoinTemplateEntity> qvecTemplates;
    if (CLS_DataAccess::GetInstance().GetTemplate(_qstrDecID, qvecTemplates) != 0) {
        DL_LOG(2, "CLS_DataMediator::GetTemplate CLS_DataAccess::GetInstance().GetTemplate(_qstrDecID, "
                  "qvecTemplates) != 0");
        return -1;
    }
    _vecTemplates += qvecTemplates;
    return 0;
}

int CLS_DataMediator::DeleteJoinTemplate(QString _qstrTemplateID)
{
    return CLS_DataAccess::GetInstance().DeleteJoinTemplate(_qstrTemplateID);
}

int CLS_DataMediator::InsertTemplate(QString _qstrCaption, QString _qstrDecID, int _iScreenNo,
                                     const QVector<STRCT_JoinTemplateRegion>& _vecRegions)
{
    return guarded("CLS_DataMediator::InsertTemplate", -1, [&] {
        QJsonArray arrTemplates;
        if (!readJoinTemplates(arrTemplates, "CLS_DataMediator::InsertTemplate")) {
            return -1;
        }
        for (const QJsonValue& value : qAsConst(arrTemplates)) {
            if (value.toObject().value(QLatin1String("TemplateCaption")).toString() == _qstrCaption) {
                DL_LOG(3, "CLS_DataMediator::InsertTemplate _qstrCaption=%s", qPrintable(_qstrCaption));
                return -1;
            }
        }
        QJsonArray arrRegions;
        for (const STRCT_JoinTemplateRegion& region : _vecRegions) {
            arrRegions.append(QJsonObject{{"regionno", region.m_iRegionNo},
                                          {"top", region.m_dTop},
                                          {"left", region.m_dLeft},
                                          {"width", region.m_dWidth},
                                          {"height", region.m_dHeight}});
        }
        arrTemplates.append(QJsonObject{{"TemplateCaption", _qstrCaption},
                                        {"DecoderID", _qstrDecID},
                                        {"ScreenNo", _iScreenNo},
                                        {"Region", arrRegions}});
        const QString qstrSetJson = QString::fromUtf8(QJsonDocument(arrTemplates).toJson(QJsonDocument::Compact));
        if (qstrSetJson.isEmpty()) {
            DL_LOG(3, "CLS_DataMediator::InsertTemplate qstrSetJson.isEmpty()");
            return -1;
        }
        return CLS_DataAccess::GetInstance().SetConfigValue(kViewConfig, kJoinTemplate, qstrSetJson, QString());
    });
}

int CLS_DataMediator::GetTemplate(QString _qstrDecID, int _iScreenNo,
                                  QMap<QString, QVector<STRCT_JoinTemplateRegion>>& _mapTemplates)
{
    return guarded("CLS_DataMediator::GetTemplate", -1, [&] {
        QJsonArray arrTemplates;
        if (!readJoinTemplates(arrTemplates, "CLS_DataMediator::GetTemplate")) {
            return -1;
        }
        for (const QJsonValue& value : qAsConst(arrTemplates)) {
            const QJsonObject obj = value.toObject();
            if (obj.value(QLatin1String("DecoderID")).toString() != _qstrDecID ||
                obj.value(QLatin1String("ScreenNo")).toInt() != _iScreenNo) {
                continue;
            }
            QVector<STRCT_JoinTemplateRegion> vecRegions;
            for (const QJsonValue& regionValue : obj.value(QLatin1String("Region")).toArray()) {
                const QJsonObject region = regionValue.toObject();
                STRCT_JoinTemplateRegion r;
                r.m_iRegionNo = region.value(QLatin1String("regionno")).toInt();
                r.m_dTop = region.value(QLatin1String("top")).toDouble();
                r.m_dLeft = region.value(QLatin1String("left")).toDouble();
                r.m_dWidth = region.value(QLatin1String("width")).toDouble();
                r.m_dHeight = region.value(QLatin1String("height")).toDouble();
                vecRegions.append(r);
            }
            _mapTemplates.insert(obj.value(QLatin1String("TemplateCaption")).toString(), vecRegions);
        }
        return 0;
    });
}
