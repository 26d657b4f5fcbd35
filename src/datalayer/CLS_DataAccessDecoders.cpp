// Decoders and the TV wall: forwarders to the decoder, output, region, TV, screen-unit, layout
// and join-template DAOs.
#include "CLS_DataAccess.h"

#include "DataBase/EntityDao/Decoder/CLS_DecEntityDAO.h"
#include "DataBase/EntityDao/Decoder/CLS_TVLayoutEntityDAO.h"

#include <QDebug>

int CLS_DataAccess::GetAllDecoders(QVector<CLS_DecEntity*>& _vecDecs)
{
    return CLS_DecEntityDAO::GetInstance()->GetAll(_vecDecs);
}

int CLS_DataAccess::GetDecoderById(QString _strDecID, CLS_DecEntity& _decEntity)
{
    if (_strDecID.isEmpty()) {
        qDebug() << "CLS_DataAccess::GetDecoderById _strDecID.isEmpty()";
        return -1;
    }
    return CLS_DecEntityDAO::GetInstance()->GetById(_strDecID, _decEntity);
}

int CLS_DataAccess::GetDecoderPage(int _iPageSize, int _iPageNum, QVector<CLS_DecEntity*>& _vecDecs, int& _iTotal)
{
    return CLS_DecEntityDAO::GetInstance()->GetPage(_iPageSize, _iPageNum, _vecDecs, _iTotal);
}

int CLS_DataAccess::GetDecoderCount()
{
    return CLS_DecEntityDAO::GetInstance()->GetCount();
}

bool CLS_DataAccess::IsDecoderAddressExist(QString _strIP, int _iPort)
{
    if (_strIP.isEmpty()) {
        qDebug() << "CLS_DataAccess::IsDecoderAddressExist _strIP.isEmpty()";
        return false;
    }
    return CLS_DecEntityDAO::GetInstance()->IsAddressInUse(_strIP, _iPort);
}

int CLS_DataAccess::InsertDecorder(const CLS_DecEntity& _decEntity)
{
    if (_decEntity.S_ID.isEmpty()) {
        qDebug() << "CLS_DataAccess::InsertDecorder _decEntity.S_ID.isEmpty()";
        return -1;
    }
    return _decEntity.I_DECODER_IN_COUNT > 0 ? CLS_DecEntityDAO::GetInstance()->InsertWithInputs(_decEntity) : CLS_DecEntityDAO::GetInstance()->Insert(_decEntity);
}

int CLS_DataAccess::UpdateDecorder(const CLS_DecEntity& _decEntity)
{
    if (_decEntity.S_ID.isEmpty()) {
        qDebug() << "CLS_DataAccess::UpdateDecorder _decEntity.S_ID.isEmpty()";
        return -1;
    }
    return CLS_DecEntityDAO::GetInstance()->Update(_decEntity);
}

int CLS_DataAccess::DeleteDecorder(QString _strDecID)
{
    if (_strDecID.isEmpty()) {
        qDebug() << "CLS_DataAccess::DeleteDecorder _strDecID.isEmpty()";
        return -1;
    }
    return CLS_DecEntityDAO::GetInstance()->Delete(_strDecID);
}

int CLS_DataAccess::GetAllDecOuts(QVector<CLS_DecOutEntity*>& _vecOuts)
{
    return CLS_DecOutEntityDAO::GetInstance()->GetAll(_vecOuts);
}

int CLS_DataAccess::GetDecOutsOfDecoder(QString _strDecID, QVector<CLS_DecOutEntity*>& _vecOuts)
{
    if (_strDecID.isEmpty()) {
        qDebug() << "CLS_DataAccess::GetDecOutsOfDecoder _strDecID.isEmpty()";
        return -1;
    }
    return CLS_DecOutEntityDAO::GetInstance()->GetOfDecoder(_strDecID, _vecOuts);
}

int CLS_DataAccess::GetFreeDecOuts(QString _strDecID, QVector<CLS_DecOutEntity*>& _vecOuts)
{
    if (_strDecID.isEmpty()) {
        qDebug() << "CLS_DataAccess::GetFreeDecOuts _strDecID.isEmpty()";
        return -1;
    }
    return CLS_DecOutEntityDAO::GetInstance()->GetFreeOfDecoder(_strDecID, _vecOuts);
}

int CLS_DataAccess::GetDecOutByNum(QString _strDecID, int _iNum, CLS_DecOutEntity& _outEntity)
{
    if (_strDecID.isEmpty()) {
        qDebug() << "CLS_DataAccess::GetDecOutByNum _strDecID.isEmpty()";
        return -1;
    }
    return CLS_DecOutEntityDAO::GetInstance()->GetByNum(_strDecID, _iNum, _outEntity);
}

int CLS_DataAccess::GetDecOutById(QString _strOutID, CLS_DecOutEntity& _outEntity)
{
    if (_strOutID.isEmpty()) {
        qDebug() << "CLS_DataAccess::GetDecOutById _strOutID.isEmpty()";
        return -1;
    }
    return CLS_DecOutEntityDAO::GetInstance()->GetById(_strOutID, _outEntity);
}

int CLS_DataAccess::GetVisibleDecOutCount(QString _strDecID)
{
    if (_strDecID.isEmpty()) {
        qDebug() << "CLS_DataAccess::GetVisibleDecOutCount _strDecID.isEmpty()";
        return -1;
    }
    return CLS_DecOutEntityDAO::GetInstance()->GetVisibleCount(_strDecID);
}

int CLS_DataAccess::InsertDecOut(const CLS_DecOutEntity& _outEntity)
{
    if (_outEntity.S_ID.isEmpty()) {
        qDebug() << "CLS_DataAccess::InsertDecOut _outEntity.S_ID.isEmpty()";
        return -1;
    }
    return CLS_DecOutEntityDAO::GetInstance()->Insert(_outEntity);
}

int CLS_DataAccess::UpdateDecOut(const CLS_DecOutEntity& _outEntity)
{
    if (_outEntity.S_ID.isEmpty()) {
        qDebug() << "CLS_DataAccess::UpdateDecOut _outEntity.S_ID.isEmpty()";
        return -1;
    }
    return CLS_DecOutEntityDAO::GetInstance()->Update(_outEntity);
}

int CLS_DataAccess::UpdateDecOutCaption(QString _strOutID, QString _strCaption)
{
    if (_strOutID.isEmpty()) {
        qDebug() << "CLS_DataAccess::UpdateDecOutCaption _strOutID.isEmpty()";
        return -1;
    }
    return CLS_DecOutEntityDAO::GetInstance()->UpdateCaption(_strOutID, _strCaption);
}

int CLS_DataAccess::DeleteDecOut(QString _strOutID)
{
    if (_strOutID.isEmpty()) {
        qDebug() << "CLS_DataAccess::DeleteDecOut _strOutID.isEmpty()";
        return -1;
    }
    return CLS_DecOutEntityDAO::GetInstance()->Delete(_strOutID);
}

int CLS_DataAccess::GetDecOutRegions(QString _strOutID, QVector<CLS_DecOutRegionEntity*>& _vecRegions)
{
    if (_strOutID.isEmpty()) {
        qDebug() << "CLS_DataAccess::GetDecOutRegions _strOutID.isEmpty()";
        return -1;
    }
    return CLS_DecOutRegionEntityDAO::GetInstance()->GetOfOutput(_strOutID, _vecRegions);
}

int CLS_DataAccess::GetDecOutRegionById(QString _strRegionID, CLS_DecOutRegionEntity& _regionEntity)
{
    if (_strRegionID.isEmpty()) {
        qDebug() << "CLS_DataAccess::GetDecOutRegionById _strRegionID.isEmpty()";
        return -1;
    }
    return CLS_DecOutRegionEntityDAO::GetInstance()->GetById(_strRegionID, _regionEntity);
}

int CLS_DataAccess::InsertDecOutRegion(const CLS_DecOutRegionEntity& _regionEntity)
{
    if (_regionEntity.S_ID.isEmpty()) {
        qDebug() << "CLS_DataAccess::InsertDecOutRegion _regionEntity.S_ID.isEmpty()";
        return -1;
    }
    return CLS_DecOutRegionEntityDAO::GetInstance()->Insert(_regionEntity);
}

int CLS_DataAccess::DeleteDecOutRegion(QString _strRegionID)
{
    if (_strRegionID.isEmpty()) {
        qDebug() << "CLS_DataAccess::DeleteDecOutRegion _strRegionID.isEmpty()";
        return -1;
    }
    return CLS_DecOutRegionEntityDAO::GetInstance()->Delete(_strRegionID);
}

int CLS_DataAccess::GetAllTVs(QVector<CLS_TVEntity*>& _vecTVs)
{
    return CLS_TVEntityDAO::GetInstance()->GetAll(_vecTVs);
}

int CLS_DataAccess::GetAllTVOuts(QVector<CLS_TVOutEntity*>& _vecOuts)
{
    return CLS_TVOutEntityDAO::GetInstance()->GetAll(_vecOuts);
}

int CLS_DataAccess::GetTVOutsOfTV(QString _strTVID, QVector<CLS_TVOutEntity*>& _vecOuts)
{
    if (_strTVID.isEmpty()) {
        qDebug() << "CLS_DataAccess::GetTVOutsOfTV _strTVID.isEmpty()";
        return -1;
    }
    return CLS_TVOutEntityDAO::GetInstance()->GetOfTV(_strTVID, _vecOuts);
}

int CLS_DataAccess::GetChildIdsOfType(QString _strParentID, int _iObjType, QStringList& _lstIDs)
{
    if (_strParentID.isEmpty()) {
        qDebug() << "CLS_DataAccess::GetChildIdsOfType _strParentID.isEmpty()";
        return -1;
    }
    return CLS_TVEntityDAO::GetInstance()->GetChildIds(_strParentID, _iObjType, _lstIDs);
}

int CLS_DataAccess::GetAllScreenUnits(QVector<CLS_ScreenUnitEntity*>& _vecUnits)
{
    return CLS_ScreenUnitEntityDAO::GetInstance()->GetAll(_vecUnits);
}

int CLS_DataAccess::GetScreenUnitById(QString _strUnitID, CLS_ScreenUnitEntity& _unitEntity)
{
    if (_strUnitID.isEmpty()) {
        qDebug() << "CLS_DataAccess::GetScreenUnitById _strUnitID.isEmpty()";
        return -1;
    }
    return CLS_ScreenUnitEntityDAO::GetInstance()->GetById(_strUnitID, _unitEntity);
}

int CLS_DataAccess::InsertScreens(QString _strLayoutID, const QVector<CLS_ScreenUnitEntity>& _vecUnits)
{
    if (_strLayoutID.isEmpty()) {
        qDebug() << "CLS_DataAccess::InsertScreens _strLayoutID.isEmpty()";
        return -1;
    }
    return CLS_ScreenUnitEntityDAO::GetInstance()->Insert(_strLayoutID, _vecUnits);
}

int CLS_DataAccess::UpdateScreen(const CLS_ScreenUnitEntity& _unitEntity)
{
    if (_unitEntity.S_ID.isEmpty()) {
        qDebug() << "CLS_DataAccess::UpdateScreen _unitEntity.S_ID.isEmpty()";
        return -1;
    }
    return CLS_ScreenUnitEntityDAO::GetInstance()->Update(_unitEntity);
}

int CLS_DataAccess::DeleteScreen(QString _strUnitID)
{
    if (_strUnitID.isEmpty()) {
        qDebug() << "CLS_DataAccess::DeleteScreen _strUnitID.isEmpty()";
        return -1;
    }
    return CLS_ScreenUnitEntityDAO::GetInstance()->Delete(_strUnitID);
}

int CLS_DataAccess::DeleteJoinScreen(QString _strJoinScreenID)
{
    if (_strJoinScreenID.isEmpty()) {
        qDebug() << "CLS_DataAccess::DeleteJoinScreen _strJoinScreenID.isEmpty()";
        return -1;
    }
    return CLS_ScreenUnitEntityDAO::GetInstance()->DeleteJoined(_strJoinScreenID);
}

int CLS_DataAccess::GetScreensUsingDecOut(QString _strLayoutID, QString _strOutID, QStringList& _lstUnitIDs)
{
    if (_strOutID.isEmpty()) {
        qDebug() << "CLS_DataAccess::GetScreensUsingDecOut _strOutID.isEmpty()";
        return -1;
    }
    return CLS_ScreenUnitEntityDAO::GetInstance()->GetUsedElsewhere(_strLayoutID, _strOutID, _lstUnitIDs);
}

int CLS_DataAccess::GetTvScreenInfo(QString _strLayoutID, QVector<CLS_ScreenUnitEntity*>& _vecUnits)
{
    if (_strLayoutID.isEmpty()) {
        qDebug() << "CLS_DataAccess::GetTvScreenInfo _strLayoutID.isEmpty()";
        return -1;
    }
    return CLS_ScreenUnitEntityDAO::GetInstance()->GetTvScreenInfo(_strLayoutID, _vecUnits);
}

int CLS_DataAccess::GetLayoutScreenUnits(QString _strLayoutID, QVector<CLS_ScreenUnitEntity*>& _vecUnits)
{
    if (_strLayoutID.isEmpty()) {
        qDebug() << "CLS_DataAccess::GetLayoutScreenUnits _strLayoutID.isEmpty()";
        return -1;
    }
    return CLS_ScreenUnitEntityDAO::GetInstance()->GetLayoutUnits(_strLayoutID, _vecUnits);
}

int CLS_DataAccess::GetScreenUnitsByType(int _iType, QVector<CLS_ScreenUnitEntity*>& _vecUnits)
{
    return CLS_ScreenUnitEntityDAO::GetInstance()->GetByType(_iType, _vecUnits);
}

int CLS_DataAccess::GetAllTVLayout(QVector<CLS_TVLayoutEntity*>& _vecLayouts)
{
    return CLS_TVLayoutEntityDAO::GetInstance()->GetAll(_vecLayouts);
}

int CLS_DataAccess::GetTVLayoutIds(QStringList& _lstIDs)
{
    return CLS_TVLayoutEntityDAO::GetInstance()->GetIds(_lstIDs);
}

int CLS_DataAccess::GetTVLayoutById(QString _strLayoutID, CLS_TVLayoutEntity& _layoutEntity)
{
    if (_strLayoutID.isEmpty()) {
        qDebug() << "CLS_DataAccess::GetTVLayoutById _strLayoutID.isEmpty()";
        return -1;
    }
    return CLS_TVLayoutEntityDAO::GetInstance()->GetById(_strLayoutID, _layoutEntity);
}

int CLS_DataAccess::GetLayOutInfoById(QString _strLayoutID, CLS_TVLayoutEntity& _layoutEntity)
{
    if (_strLayoutID.isEmpty()) {
        qDebug() << "CLS_DataAccess::GetLayOutInfoById _strLayoutID.isEmpty()";
        return -1;
    }
    return CLS_TVLayoutEntityDAO::GetInstance()->GetLayOutInfoById(_strLayoutID, _layoutEntity);
}

bool CLS_DataAccess::IsTVLayoutNameExist(QString _strName, QString _strLayoutID)
{
    return CLS_TVLayoutEntityDAO::GetInstance()->IsNameInUse(_strName, _strLayoutID);
}

int CLS_DataAccess::InsertTVLayout(const CLS_TVLayoutEntity& _layoutEntity, QString _strUserID, QString _strOwnerRowID)
{
    if (_layoutEntity.S_ID.isEmpty()) {
        qDebug() << "CLS_DataAccess::InsertTVLayout _layoutEntity.S_ID.isEmpty()";
        return -1;
    }
    return CLS_TVLayoutEntityDAO::GetInstance()->Insert(_layoutEntity, _strUserID, _strOwnerRowID);
}

int CLS_DataAccess::InsertTVLayoutImage(QString _strLayoutID, QString _strImgPath)
{
    if (_strLayoutID.isEmpty()) {
        qDebug() << "CLS_DataAccess::InsertTVLayoutImage _strLayoutID.isEmpty()";
        return -1;
    }
    return CLS_TVLayoutEntityDAO::GetInstance()->InsertImage(_strLayoutID, _strImgPath);
}

int CLS_DataAccess::UpdateTVLayoutImage(QString _strLayoutID, QString _strImgPath)
{
    if (_strLayoutID.isEmpty()) {
        qDebug() << "CLS_DataAccess::UpdateTVLayoutImage _strLayoutID.isEmpty()";
        return -1;
    }
    return CLS_TVLayoutEntityDAO::GetInstance()->UpdateImage(_strLayoutID, _strImgPath);
}

int CLS_DataAccess::UpdateTVLayoutCaption(QString _strLayoutID, QString _strCaption)
{
    if (_strLayoutID.isEmpty()) {
        qDebug() << "CLS_DataAccess::UpdateTVLayoutCaption _strLayoutID.isEmpty()";
        return -1;
    }
    return CLS_TVLayoutEntityDAO::GetInstance()->UpdateCaption(_strLayoutID, _strCaption);
}

int CLS_DataAccess::UpdateTVOutPlace(QString _strLayoutID, QString _strTVOutID, QString _strNewTVOutID, double _dX, double _dY, double _dW, double _dH)
{
    if (_strLayoutID.isEmpty()) {
        qDebug() << "CLS_DataAccess::UpdateTVOutPlace _strLayoutID.isEmpty()";
        return -1;
    }
    return CLS_TVLayoutEntityDAO::GetInstance()->UpdateTvOutPlace(_strLayoutID, _strTVOutID, _strNewTVOutID, _dX, _dY, _dW, _dH);
}

int CLS_DataAccess::RemoveTVOutFromLayout(QString _strLayoutID, QString _strTVOutID)
{
    if (_strLayoutID.isEmpty()) {
        qDebug() << "CLS_DataAccess::RemoveTVOutFromLayout _strLayoutID.isEmpty()";
        return -1;
    }
    return CLS_TVLayoutEntityDAO::GetInstance()->RemoveTvOut(_strLayoutID, _strTVOutID);
}

int CLS_DataAccess::ClearTVLayout(QString _strLayoutID, bool _bWithScreens)
{
    if (_strLayoutID.isEmpty()) {
        qDebug() << "CLS_DataAccess::ClearTVLayout _strLayoutID.isEmpty()";
        return -1;
    }
    return CLS_TVLayoutEntityDAO::GetInstance()->Clear(_strLayoutID, _bWithScreens);
}

int CLS_DataAccess::DeleteTVLayoutViews(QString _strLayoutID)
{
    if (_strLayoutID.isEmpty()) {
        qDebug() << "CLS_DataAccess::DeleteTVLayoutViews _strLayoutID.isEmpty()";
        return -1;
    }
    return CLS_TVLayoutEntityDAO::GetInstance()->DeleteViews(_strLayoutID);
}

int CLS_DataAccess::DeleteTVLayout(QString _strLayoutID)
{
    if (_strLayoutID.isEmpty()) {
        qDebug() << "CLS_DataAccess::DeleteTVLayout _strLayoutID.isEmpty()";
        return -1;
    }
    return CLS_TVLayoutEntityDAO::GetInstance()->Delete(_strLayoutID);
}

int CLS_DataAccess::InsertJoinTemplate(const CLS_TVJoinTemplateEntity& _templateEntity)
{
    if (_templateEntity.S_DECODER_OUT_ID.isEmpty()) {
        qDebug() << "CLS_DataAccess::InsertJoinTemplate _templateEntity.S_DECODER_OUT_ID.isEmpty()";
        return -1;
    }
    return CLS_TVJoinTemplateEntityDAO::GetInstance()->InsertTemplate(_templateEntity);
}

int CLS_DataAccess::GetTemplate(QString _strDecOutID, QVector<CLS_TVJoinTemplateEntity>& _vecTemplates)
{
    return CLS_TVJoinTemplateEntityDAO::GetInstance()->GetTemplate(_strDecOutID, _vecTemplates);
}

int CLS_DataAccess::DeleteJoinTemplate(QString _strTemplateID)
{
    if (_strTemplateID.isEmpty()) {
        qDebug() << "CLS_DataAccess::DeleteJoinTemplate _strTemplateID.isEmpty()";
        return -1;
    }
    return CLS_TVJoinTemplateEntityDAO::GetInstance()->DeleteTemplate(_strTemplateID);
}
