#include "CLS_TVLayoutEntityDAO.h"

#include "DecoderDaoSupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QUuid>

using namespace DeviceDao;
using DecoderDao::ReadOne;
using DecoderDao::Real;

namespace {

const char kUnitColumns[] =
    "SELECT S_ID,I_TYPE,S_PARENT_ID, I_NUM,S_DECODER_OUT_ID,I_DECODER_OUT_NUM,I_STYLE_X,I_STYLE_Y,S_PARAM,S_CAPTION "
    "FROM TAB_DEV_SCREEN_UNIT";
const char kLayoutColumns[] =
    "S_ID, S_LAYOUT_ID, S_IMG, S_CAPTION, S_PARENT_ID, S_SCREEN_ID, I_SCREEN_TYPE, I_SCREEN_NUM, S_SCREEN_CAPTION, "
    "S_DECODER_OUT_ID, S_DECODER_ID, I_DECODER_OUT_NUM, S_DECODER_OUT_CAPTION, F_X, F_Y, F_W, F_H";

QString num(int _iValue)
{
    return CLS_BaseEntityDAO::IntToString(_iValue);
}

QString real(double _dValue)
{
    return CLS_BaseEntityDAO::FloatToString(_dValue);
}

QString newId()
{
    return QUuid::createUuid().toString(QUuid::Id128);
}

// A unit's output, bound, or NULL (an invalid variant, sent as JSON null) when it has none.
QVariant outputValue(const CLS_ScreenUnitEntity& _unit)
{
    return _unit.S_DECODER_OUT_ID.isEmpty() ? QVariant() : QVariant(_unit.S_DECODER_OUT_ID);
}

// "order" of a unit's parameter object; 0 when the text is no JSON object (logged).
int orderOf(const QString& _strParam)
{
    QJsonParseError qjsonErr{};
    const QJsonDocument qjsonDoc = QJsonDocument::fromJson(_strParam.toUtf8(), &qjsonErr);
    if (qjsonDoc.isNull() || (qjsonErr.error != QJsonParseError::NoError) || !qjsonDoc.isObject()) {
        DL_LOG(2, "[CLS_TVLayoutEntityDAO]qjsonDoc.isNull() || (qjsonErr.error != QJsonParseError::NoError)");
        return 0;
    }
    return qjsonDoc.object().value(QLatin1String("order")).toVariant().toInt();
}

void loadUnit(const Row& _row, CLS_ScreenUnitEntity& e)
{
    e.S_ID = Text(_row, "S_ID");
    e.I_TYPE = Int(_row, "I_TYPE");
    e.S_PARENT_ID = Text(_row, "S_PARENT_ID");
    e.I_NUM = Int(_row, "I_NUM");
    e.S_DECODER_OUT_ID = Text(_row, "S_DECODER_OUT_ID");
    e.I_DECODER_OUT_NUM = Int(_row, "I_DECODER_OUT_NUM");
    e.I_STYLE_X = Int(_row, "I_STYLE_X");
    e.I_STYLE_Y = Int(_row, "I_STYLE_Y");
    e.S_PARAM = Text(_row, "S_PARAM");
    e.S_CAPTION = Text(_row, "S_CAPTION");
    e.F_X = Real(_row, "F_X");
    e.F_Y = Real(_row, "F_Y");
    e.F_W = Real(_row, "F_W");
    e.F_H = Real(_row, "F_H");
    e.S_LAYOUT_ID = Text(_row, "S_LAYOUT_ID");
    e.S_DECODER_ID = Text(_row, "DECID");
    e.S_DECODER_IP = Text(_row, "S_IP");
    e.I_DECODER_NUM = Int(_row, "DECNUM");
    e.I_DISPLAY_TYPE = Int(_row, "I_DISPLAY_TYPE");
}

void loadLayoutObject(const Row& _row, CLS_TVLayoutEntity& e)
{
    e.S_ID = Text(_row, "S_ID");
    e.S_CAPTION = Text(_row, "S_CAPTION");
    e.S_PARENT_ID = Text(_row, "S_PARENT_ID");
    e.I_OBJ_TYPE_ID = Int(_row, "I_OBJ_TYPE_ID");
    e.I_VISIBLE = Int(_row, "I_VISIBLE");
}

}  // namespace

// ---- screen units ----

CLS_ScreenUnitEntityDAO* CLS_ScreenUnitEntityDAO::GetInstance()
{
    static CLS_ScreenUnitEntityDAO* const s_pInstance = new CLS_ScreenUnitEntityDAO();
    return s_pInstance;
}

int CLS_ScreenUnitEntityDAO::GetAll(QVector<CLS_ScreenUnitEntity*>& _vecUnits)
{
    return Guarded("CLS_ScreenUnitEntityDAO::GetAll", -1, [&] {
        return ReadEntities(
            ExecuteQuery(m_strDbName, QLatin1String(kUnitColumns) + QStringLiteral(" ORDER BY I_NUM ASC")), _vecUnits,
            &loadUnit);
    });
}

int CLS_ScreenUnitEntityDAO::GetById(const QString& _strUnitID, CLS_ScreenUnitEntity& _unitEntity)
{
    return Guarded("CLS_ScreenUnitEntityDAO::GetById", -1, [&] {
        return ReadOne(ExecuteQueryEx(m_strDbName, QLatin1String(kUnitColumns) + QStringLiteral(" Where S_ID = :ID"),
                                      Binds{{":ID", _strUnitID}}),
                       _unitEntity, &loadUnit);
    });
}

int CLS_ScreenUnitEntityDAO::Insert(const QString& _strLayoutID, const QVector<CLS_ScreenUnitEntity>& _vecUnits)
{
    return Guarded("CLS_ScreenUnitEntityDAO::Insert", -1, [&] {
        QList<QString> lstSql;
        QList<Binds> lstBinds;
        for (const CLS_ScreenUnitEntity& u : _vecUnits) {
            lstSql << QStringLiteral("Insert Into TAB_LAYOUT_TVOUT (S_ID,S_LAYOUT_ID,S_SCREEN_ID) Values "
                                     "(:GUID,:TvLayOutID,:ID)");
            lstBinds << Binds{{":GUID", newId()}, {":TvLayOutID", _strLayoutID}, {":ID", u.S_ID}};
            lstSql << QStringLiteral("Insert Into TAB_DEV_SCREEN_UNIT (S_ID, I_TYPE, I_NUM,S_DECODER_OUT_ID,"
                                     "I_DECODER_OUT_NUM,I_STYLE_X,I_STYLE_Y,S_PARAM,S_CAPTION,S_PARENT_ID,F_X,F_Y,F_W,"
                                     "F_H) Values (:ID,%1,%2,:DecoderOutID,%3,%4,%5,:Param,:Name,:ParentID,%6,%7,%8,%9)")
                          .arg(num(u.I_TYPE), num(u.I_NUM), num(u.I_DECODER_OUT_NUM), num(u.I_STYLE_X),
                               num(u.I_STYLE_Y), real(u.F_X), real(u.F_Y), real(u.F_W), real(u.F_H));
            lstBinds << Binds{{":ID", u.S_ID},
                              {":DecoderOutID", outputValue(u)},
                              {":Param", u.S_PARAM},
                              {":Name", u.S_CAPTION},
                              {":ParentID", u.S_PARENT_ID.isEmpty() ? QVariant()
                                                                    : QVariant(u.S_PARENT_ID)}};
        }
        return lstSql.isEmpty() ? 0 : ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

int CLS_ScreenUnitEntityDAO::Update(const CLS_ScreenUnitEntity& u)
{
    return Guarded("CLS_ScreenUnitEntityDAO::Update", -1, [&] {
        return ExecuteEx(
            m_strDbName,
            QStringLiteral("Update TAB_DEV_SCREEN_UNIT Set S_DECODER_OUT_ID=:DecoderOutID,I_NUM=%1,S_CAPTION=:Name,"
                           "S_PARENT_ID=:ParentID,S_PARAM=:Param,I_DECODER_OUT_NUM=%2,F_X=%3,F_Y=%4,F_W=%5,F_H=%6,"
                           "I_STYLE_X=%7,I_STYLE_Y=%8 where S_ID =:ID")
                .arg(num(u.I_NUM), num(u.I_DECODER_OUT_NUM), real(u.F_X), real(u.F_Y), real(u.F_W), real(u.F_H),
                     num(u.I_STYLE_X), num(u.I_STYLE_Y)),
            Binds{{":ID", u.S_ID},
                  {":DecoderOutID", outputValue(u)},
                  {":Name", u.S_CAPTION},
                  {":ParentID", u.S_PARENT_ID.isEmpty() ? QVariant() : QVariant(u.S_PARENT_ID)},
                  {":Param", u.S_PARAM}});
    });
}

int CLS_ScreenUnitEntityDAO::Delete(const QString& _strUnitID)
{
    return Guarded("CLS_ScreenUnitEntityDAO::Delete", -1, [&] {
        return ExecuteTransactionEx(m_strDbName,
                                    {QStringLiteral("DELETE FROM TAB_LAYOUT_TVOUT WHERE S_SCREEN_ID = :SCREENID"),
                                     QStringLiteral("Delete From TAB_DEV_SCREEN_UNIT Where S_ID=:ID")},
                                    {Binds{{":SCREENID", _strUnitID}}, Binds{{":ID", _strUnitID}}});
    });
}

int CLS_ScreenUnitEntityDAO::DeleteJoined(const QString& _strJoinScreenID)
{
    return Guarded("CLS_ScreenUnitEntityDAO::DeleteJoined", -1, [&] {
        return ExecuteEx(m_strDbName,
                         QStringLiteral("Delete From TAB_DEV_SCREEN_UNIT Where S_PARENT_ID=:JoinScreenID OR "
                                        "S_ID=:JoinScreenID"),
                         Binds{{":JoinScreenID", _strJoinScreenID}});
    });
}

int CLS_ScreenUnitEntityDAO::GetUsedElsewhere(const QString& _strLayoutID, const QString& _strOutID,
                                              QStringList& _lstUnitIDs)
{
    return Guarded("CLS_ScreenUnitEntityDAO::GetUsedElsewhere", -1, [&] {
        return Column(ExecuteQueryEx(m_strDbName,
                                     QStringLiteral("SELECT A.S_ID FROM TAB_DEV_SCREEN_UNIT A, VIEW_TVLAYOUT B where "
                                                    "A.S_ID = B.S_SCREEN_ID AND B.s_layout_id <> :LayoutID AND "
                                                    "A.S_DECODER_OUT_ID =:DecOutID"),
                                     Binds{{":LayoutID", _strLayoutID}, {":DecOutID", _strOutID}}),
                      "S_ID", _lstUnitIDs);
    });
}

int CLS_ScreenUnitEntityDAO::GetTvScreenInfo(const QString& _strLayoutID, QVector<CLS_ScreenUnitEntity*>& _vecUnits)
{
    return Guarded("CLS_ScreenUnitEntityDAO::GetTvScreenInfo", -1, [&] {
        RecordSet* pRecSet = ExecuteQueryEx(
            m_strDbName,
            QStringLiteral("SELECT A.S_CAPTION, A.S_DECODER_OUT_ID, A.I_DECODER_OUT_NUM , A.I_STYLE_X, A.I_STYLE_Y, "
                           "A.F_X, A.F_Y, A.F_W, A.F_H, A.I_TYPE, A.S_PARAM, A.S_PARENT_ID,"
                           "B.S_SCREEN_ID AS S_ID, B.S_LAYOUT_ID,"
                           "C.I_NUM AS DECNUM,"
                           "D.S_PARENT_ID AS DECID,"
                           "E.S_IP "
                           "FROM TAB_DEV_SCREEN_UNIT A, TAB_LAYOUT_TVOUT B, TAB_DEV_DECODER_OUT C , TAB_OBJ D, "
                           "TAB_DEV_DECODER E "
                           "WHERE A.S_ID = B.S_SCREEN_ID "
                           "AND A.S_DECODER_OUT_ID = C.S_ID "
                           "AND A.S_DECODER_OUT_ID = D.S_ID "
                           "AND D.S_PARENT_ID = E.S_ID "
                           "AND B.S_LAYOUT_ID = :TvLayOutID "
                           "ORDER BY A.I_NUM ASC"),
            Binds{{":TvLayOutID", _strLayoutID}});
        if (pRecSet == nullptr) {
            DL_LOG(2, "CLS_ScreenUnitEntityDAO::GetTvScreenInfo pRecSet=null");
            return -1;
        }
        return ReadEntities(pRecSet, _vecUnits, &loadUnit);
    });
}

int CLS_ScreenUnitEntityDAO::GetLayoutUnits(const QString& _strLayoutID, QVector<CLS_ScreenUnitEntity*>& _vecUnits)
{
    return Guarded("CLS_ScreenUnitEntityDAO::GetLayoutUnits", -1, [&] {
        return ReadEntities(
            ExecuteQueryEx(m_strDbName,
                           QStringLiteral("select B.S_LAYOUT_ID,A.* from TAB_DEV_SCREEN_UNIT A, VIEW_TVLAYOUT B where "
                                          "A.S_ID = B.S_SCREEN_ID and B.I_SCREEN_TYPE = 0 and B.S_LAYOUT_ID =:ID "
                                          "union select B.S_LAYOUT_ID, A.* from TAB_DEV_SCREEN_UNIT A, VIEW_TVLAYOUT B "
                                          "where A.S_PARENT_ID = B.S_SCREEN_ID and B.I_SCREEN_TYPE = 1 "
                                          "and B.S_LAYOUT_ID =:LayoutID"),
                           Binds{{":ID", _strLayoutID}, {":LayoutID", _strLayoutID}}),
            _vecUnits, &loadUnit);
    });
}

int CLS_ScreenUnitEntityDAO::GetByType(int _iType, QVector<CLS_ScreenUnitEntity*>& _vecUnits)
{
    return Guarded("CLS_ScreenUnitEntityDAO::GetByType", -1, [&] {
        return ReadEntities(
            ExecuteQuery(m_strDbName,
                         QStringLiteral("select A.s_id AS S_ID, A.I_TYPE,A.S_DECODER_OUT_ID,B.I_NUM AS I_DECODER_OUT_NUM,"
                                        "B.s_parent_id AS DECID,A.I_STYLE_X,A.I_STYLE_Y,A.S_PARAM "
                                        "from TAB_DEV_SCREEN_UNIT A, view_dev_decoder_out B "
                                        "where A.S_DECODER_OUT_ID = B.S_ID AND A.i_type =") +
                             num(_iType)),
            _vecUnits, &loadUnit);
    });
}

// ---- layouts ----

CLS_TVLayoutEntityDAO* CLS_TVLayoutEntityDAO::GetInstance()
{
    static CLS_TVLayoutEntityDAO* const s_pInstance = new CLS_TVLayoutEntityDAO();
    return s_pInstance;
}

int CLS_TVLayoutEntityDAO::GetAll(QVector<CLS_TVLayoutEntity*>& _vecLayouts)
{
    return Guarded("CLS_TVLayoutEntityDAO::GetAll", -1, [&] {
        RecordSet* pRows =
            ExecuteQuery(m_strDbName, QStringLiteral("SELECT * FROM TAB_OBJ WHERE I_OBJ_TYPE_ID =") + num(kObjTypeTVLayout));
        if (pRows == nullptr) {
            DL_LOG(2, "CLS_TVLayoutEntityDAO::GetAllTVLayout ExecuteQuery fail");
            return -1;
        }
        return ReadEntities(pRows, _vecLayouts, &loadLayoutObject);
    });
}

int CLS_TVLayoutEntityDAO::GetIds(QStringList& _lstIDs)
{
    return Guarded("CLS_TVLayoutEntityDAO::GetIds", -1, [&] {
        return Column(ExecuteQuery(m_strDbName, QStringLiteral("select distinct S_ID from TAB_OBJ WHERE I_OBJ_TYPE_ID =") +
                                                    num(kObjTypeTVLayout)),
                      "S_ID", _lstIDs);
    });
}

int CLS_TVLayoutEntityDAO::GetById(const QString& _strLayoutID, CLS_TVLayoutEntity& _layoutEntity)
{
    return Guarded("CLS_TVLayoutEntityDAO::GetById", -1, [&] {
        return ReadOne(ExecuteQueryEx(m_strDbName,
                                      QStringLiteral("SELECT distinct S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, "
                                                     "I_VISIBLE from TAB_OBJ where S_ID =:TvLayOutID"),
                                      Binds{{":TvLayOutID", _strLayoutID}}),
                       _layoutEntity, &loadLayoutObject);
    });
}

int CLS_TVLayoutEntityDAO::GetLayOutInfoById(const QString& _strLayoutID, CLS_TVLayoutEntity& _layoutEntity)
{
    try {
        const Rows rows(ExecuteQueryEx(m_strDbName,
                                       QStringLiteral("SELECT distinct ") + QLatin1String(kLayoutColumns) +
                                           QStringLiteral(" From VIEW_TVLAYOUT where S_LAYOUT_ID =:LayOutId ORDER BY "
                                                          "F_Y,F_X ASC"),
                                       Binds{{":LayOutId", _strLayoutID}}));
        if (rows.Failed()) {
            return -1;
        }
        if (rows.First() == nullptr) {
            DL_LOG(2, "CLS_TVLayoutEntityDAO::LoadData->_pRecSet->size() <= 0");
            return -2;
        }
        CLS_TVLayoutEntity layout;
        layout.S_ID = Text(*rows.First(), "S_LAYOUT_ID");
        layout.S_CAPTION = Text(*rows.First(), "S_CAPTION");
        layout.S_IMG = Text(*rows.First(), "S_IMG");
        layout.S_PARENT_ID = Text(*rows.First(), "S_PARENT_ID");
        for (const Row* pRow : rows) {
            if (pRow == nullptr || Text(*pRow, "S_SCREEN_ID").isEmpty()) {
                continue;  // a layout without screens gives one row without a screen
            }
            CLS_ScreenUnitEntity screen;
            screen.S_ID = Text(*pRow, "S_SCREEN_ID");
            screen.S_LAYOUT_ID = layout.S_ID;
            screen.I_TYPE = Int(*pRow, "I_SCREEN_TYPE");
            screen.I_NUM = Int(*pRow, "I_SCREEN_NUM");
            screen.S_CAPTION = Text(*pRow, "S_SCREEN_CAPTION");
            screen.S_DECODER_OUT_ID = Text(*pRow, "S_DECODER_OUT_ID");
            screen.S_DECODER_ID = Text(*pRow, "S_DECODER_ID");
            screen.I_DECODER_OUT_NUM = Int(*pRow, "I_DECODER_OUT_NUM");
            screen.S_DECOUT_CAPTION = Text(*pRow, "S_DECODER_OUT_CAPTION");
            screen.F_X = Real(*pRow, "F_X");
            screen.F_Y = Real(*pRow, "F_Y");
            screen.F_W = Real(*pRow, "F_W");
            screen.F_H = Real(*pRow, "F_H");
            if (pRow->contains(QStringLiteral("I_DISPLAY_TYPE"))) {
                screen.I_DISPLAY_TYPE = Int(*pRow, "I_DISPLAY_TYPE");
            }
            layout.m_vecScreens.append(screen);
        }
        LoadScreens(layout);
        _layoutEntity = layout;
        return 0;
    } catch (...) {
        DL_LOG(4, "CLS_TVLayoutEntityDAO::LoadData-> exception.");
        return -1;
    }
}

void CLS_TVLayoutEntityDAO::LoadScreens(CLS_TVLayoutEntity& _layoutEntity)
{
    for (CLS_ScreenUnitEntity& screen : _layoutEntity.m_vecScreens) {
        {
            const Rows rows(ExecuteQueryEx(m_strDbName,
                                           QStringLiteral("SELECT I_STYLE_X, I_STYLE_Y FROM TAB_DEV_SCREEN_UNIT WHERE "
                                                          "S_ID=:ScreenId"),
                                           Binds{{":ScreenId", screen.S_ID}}));
            if (rows.First() != nullptr) {
                screen.I_STYLE_X = Int(*rows.First(), "I_STYLE_X");
                screen.I_STYLE_Y = Int(*rows.First(), "I_STYLE_Y");
            }
        }
        if (screen.I_TYPE != 1) {
            continue;
        }
        const Rows rows(ExecuteQueryEx(
            m_strDbName,
            QStringLiteral("SELECT TAB_DEV_SCREEN_UNIT.S_ID,TAB_DEV_SCREEN_UNIT.I_NUM,TAB_DEV_SCREEN_UNIT.S_CAPTION AS "
                           "S_SCREEN_CAPTION,TAB_DEV_SCREEN_UNIT.I_DECODER_OUT_NUM,TAB_DEV_SCREEN_UNIT.S_DECODER_OUT_ID,"
                           "TAB_DEV_SCREEN_UNIT.I_STYLE_X,TAB_DEV_SCREEN_UNIT.I_STYLE_Y,TAB_DEV_SCREEN_UNIT.F_X,"
                           "TAB_DEV_SCREEN_UNIT.F_Y,TAB_DEV_SCREEN_UNIT.F_W,TAB_DEV_SCREEN_UNIT.F_H,TAB_OBJ.S_CAPTION AS "
                           "S_DECOUT_CAPTION,TAB_DEV_SCREEN_UNIT.S_PARAM FROM TAB_DEV_SCREEN_UNIT,TAB_OBJ WHERE "
                           "TAB_DEV_SCREEN_UNIT.S_PARENT_ID =:ScreenId AND TAB_OBJ.S_ID = "
                           "TAB_DEV_SCREEN_UNIT.S_DECODER_OUT_ID"),
            Binds{{":ScreenId", screen.S_ID}}));
        for (const Row* pRow : rows) {
            if (pRow == nullptr) {
                continue;
            }
            CLS_ScreenUnitEntity member;
            loadUnit(*pRow, member);
            member.S_CAPTION = Text(*pRow, "S_SCREEN_CAPTION");
            member.S_DECOUT_CAPTION = Text(*pRow, "S_DECOUT_CAPTION");
            member.S_PARENT_ID = screen.S_ID;
            member.I_ORDER = orderOf(member.S_PARAM);
            screen.m_vecMembers.append(member);
        }
    }
}

bool CLS_TVLayoutEntityDAO::IsNameInUse(const QString& _strName, const QString& _strLayoutID)
{
    return Guarded("CLS_TVLayoutEntityDAO::IsNameInUse", false, [&] {
        return Count(m_strDbName,
                     QStringLiteral("Select Count(*) as Nums From TAB_OBJ Where S_CAPTION =:TvLayOutName  AND S_ID "
                                    "!=:TvLayOutID AND I_OBJ_TYPE_ID = 44"),
                     Binds{{":TvLayOutName", _strName}, {":TvLayOutID", _strLayoutID}}) > 0;
    });
}

int CLS_TVLayoutEntityDAO::Insert(const CLS_TVLayoutEntity& _layoutEntity, const QString& _strUserID,
                                  const QString& _strOwnerRowID)
{
    return Guarded("CLS_TVLayoutEntityDAO::Insert", -1, [&] {
        int iRet = ExecuteTransactionEx(
            m_strDbName,
            {QStringLiteral("Insert Into TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, I_VISIBLE) Values "
                            "(:LayoutID,null,%1,:Caption,1)")
                 .arg(num(kObjTypeTVLayout))},
            {Binds{{":LayoutID", _layoutEntity.S_ID}, {":Caption", _layoutEntity.S_CAPTION}}});
        if (iRet != 0) {
            return iRet;
        }
        return ExecuteEx(m_strDbName,
                         QStringLiteral("Insert Into TAB_USER_OBJ (S_USER_ID,S_OBJ_ID,S_ID,S_CAPTION,S_PARENT_ID) "
                                        "Values(:UserID,:LayoutID,:ID,:Caption,null)"),
                         Binds{{":UserID", _strUserID},
                               {":LayoutID", _layoutEntity.S_ID},
                               {":ID", _strOwnerRowID},
                               {":Caption", _layoutEntity.S_CAPTION}});
    });
}

int CLS_TVLayoutEntityDAO::InsertImage(const QString& _strLayoutID, const QString& _strImgPath)
{
    return Guarded("CLS_TVLayoutEntityDAO::InsertImage", -1, [&] {
        return ExecuteEx(m_strDbName, QStringLiteral("Insert Into TAB_TV_LAYOUT (S_ID, S_IMG) Values (:TVLayOutID,:ImgPath)"),
                         Binds{{":TVLayOutID", _strLayoutID}, {":ImgPath", _strImgPath}});
    });
}

int CLS_TVLayoutEntityDAO::UpdateImage(const QString& _strLayoutID, const QString& _strImgPath)
{
    return Guarded("CLS_TVLayoutEntityDAO::UpdateImage", -1, [&] {
        return ExecuteEx(m_strDbName, QStringLiteral("Update TAB_TV_LAYOUT  Set S_IMG=:ImgPath  where S_ID =:TVLayOutID"),
                         Binds{{":TVLayOutID", _strLayoutID}, {":ImgPath", _strImgPath}});
    });
}

int CLS_TVLayoutEntityDAO::UpdateCaption(const QString& _strLayoutID, const QString& _strCaption)
{
    return Guarded("CLS_TVLayoutEntityDAO::UpdateCaption", -1, [&] {
        return ExecuteEx(m_strDbName, QStringLiteral("Update TAB_OBJ Set S_CAPTION=:Caption WHERE S_ID =:LayoutID"),
                         Binds{{":LayoutID", _strLayoutID}, {":Caption", _strCaption}});
    });
}

int CLS_TVLayoutEntityDAO::UpdateTvOutPlace(const QString& _strLayoutID, const QString& _strTVOutID,
                                            const QString& _strNewTVOutID, double _dX, double _dY, double _dW,
                                            double _dH)
{
    return Guarded("CLS_TVLayoutEntityDAO::UpdateTvOutPlace", -1, [&] {
        return ExecuteEx(m_strDbName,
                         QStringLiteral("Update TAB_LAYOUT_TVOUT Set S_TV_OUT_ID=:m_qstrTvOutId,F_X=%1,F_Y=%2,F_W=%3,"
                                        "F_H=%4 where S_LAYOUT_ID =:qstrTvLayOutID and S_TV_OUT_ID=:qstrTVOutID")
                             .arg(real(_dX), real(_dY), real(_dW), real(_dH)),
                         Binds{{":m_qstrTvOutId", _strNewTVOutID},
                               {":qstrTvLayOutID", _strLayoutID},
                               {":qstrTVOutID", _strTVOutID}});
    });
}

int CLS_TVLayoutEntityDAO::RemoveTvOut(const QString& _strLayoutID, const QString& _strTVOutID)
{
    return Guarded("CLS_TVLayoutEntityDAO::RemoveTvOut", -1, [&] {
        return ExecuteEx(m_strDbName,
                         QStringLiteral("DELETE FROM TAB_LAYOUT_TVOUT WHERE S_TV_OUT_ID=:TvOutID AND S_LAYOUT_ID "
                                        "=:TvLayOutID"),
                         Binds{{":TvOutID", _strTVOutID}, {":TvLayOutID", _strLayoutID}});
    });
}

int CLS_TVLayoutEntityDAO::Clear(const QString& _strLayoutID, bool _bWithScreens)
{
    return Guarded("CLS_TVLayoutEntityDAO::Clear", -1, [&] {
        const Binds binds{{":TvLayOutID", _strLayoutID}};
        if (!_bWithScreens) {
            return ExecuteEx(m_strDbName, QStringLiteral("DELETE FROM TAB_LAYOUT_TVOUT WHERE S_LAYOUT_ID=:TvLayOutID"),
                             binds);
        }
        return ExecuteTransactionEx(
            m_strDbName,
            {QStringLiteral("Delete FROM TAB_DEV_SCREEN_UNIT where S_ID in (SELECT S_SCREEN_ID FROM TAB_LAYOUT_TVOUT "
                            "where S_LAYOUT_ID=:TvLayOutID)"),
             QStringLiteral("Delete FROM TAB_LAYOUT_TVOUT where S_LAYOUT_ID=:TvLayOutID")},
            {binds, binds});
    });
}

int CLS_TVLayoutEntityDAO::DeleteViews(const QString& _strLayoutID)
{
    return Guarded("CLS_TVLayoutEntityDAO::DeleteViews", -1, [&] {
        QStringList lstViews;
        int iRet = Column(ExecuteQueryEx(m_strDbName,
                                         QStringLiteral("SELECT S_VIEW_ID FROM TAB_LAYOUT_VIEW WHERE S_LAYOUT_ID "
                                                        "=:TvLayOutID"),
                                         Binds{{":TvLayOutID", _strLayoutID}}),
                          "S_VIEW_ID", lstViews);
        for (const QString& strViewID : qAsConst(lstViews)) {
            if (iRet != 0) {
                break;
            }
            iRet = ExecuteEx(m_strDbName, QStringLiteral("DELETE FROM TAB_VIEW WHERE S_ID =:strViewID"),
                             Binds{{":strViewID", strViewID}});
        }
        return iRet;
    });
}

int CLS_TVLayoutEntityDAO::Delete(const QString& _strLayoutID)
{
    return Guarded("CLS_TVLayoutEntityDAO::Delete", -1, [&] {
        const Binds binds{{":TvLayOutID", _strLayoutID}};
        int iRet = ExecuteTransactionEx(
            m_strDbName, {QStringLiteral("DELETE FROM TAB_LAYOUT_TVOUT WHERE S_LAYOUT_ID =:TvLayOutID")}, {binds});
        if (iRet != 0) {
            return iRet;
        }
        iRet = ExecuteTransactionEx(m_strDbName, {QStringLiteral("DELETE FROM TAB_TV_LAYOUT WHERE S_ID =:TvLayOutID")},
                                    {binds});
        if (iRet != 0) {
            return iRet;
        }
        // The owner row goes with the object, so that no user keeps a node of a layout that is gone.
        return ExecuteTransactionEx(m_strDbName,
                                    {QStringLiteral("DELETE FROM TAB_OBJ WHERE S_ID =:TvLayOutID"),
                                     QStringLiteral("DELETE FROM TAB_USER_OBJ WHERE S_OBJ_ID =:TvLayOutID")},
                                    {binds, binds});
    });
}

// ---- join templates ----

CLS_TVJoinTemplateEntityDAO* CLS_TVJoinTemplateEntityDAO::GetInstance()
{
    static CLS_TVJoinTemplateEntityDAO* const s_pInstance = new CLS_TVJoinTemplateEntityDAO();
    return s_pInstance;
}

int CLS_TVJoinTemplateEntityDAO::InsertTemplate(const CLS_TVJoinTemplateEntity& _templateEntity)
{
    try {
        const QString strTemplateID = _templateEntity.S_ID.isEmpty() ? newId() : _templateEntity.S_ID;
        QList<QString> lstSql{QStringLiteral(
            "Insert Into TAB_TV_JOIN_TEMPLATE (S_ID,S_CAPTION,S_DECODER_OUT_ID) Values (:ID,:CAPTION,:OUT_ID)")};
        QList<Binds> lstBinds{Binds{{":ID", strTemplateID},
                                    {":CAPTION", _templateEntity.S_CAPTION},
                                    {":OUT_ID", _templateEntity.S_DECODER_OUT_ID}}};
        for (int i = 0; i < _templateEntity.m_vecRegions.size(); ++i) {
            const STRCT_TVJoinRegion& r = _templateEntity.m_vecRegions[i];
            const QString strI = num(i);
            const bool bChannel = !r.S_CHAN_ID.isEmpty();
            lstSql << QStringLiteral("Insert Into TAB_TV_JOIN_REGION (S_ID, S_TEMPLATE_ID, I_REGION_NO,F_LEFT,F_TOP,"
                                     "F_WIDTH,F_HEIGHT,S_CHAN_ID) Values (:ID_%1,:TEMPLATE_ID_%1,%2,%3,%4,%5,%6,%7)")
                          .arg(strI, num(r.I_REGION_NO), real(r.F_LEFT), real(r.F_TOP), real(r.F_WIDTH),
                               real(r.F_HEIGHT), bChannel ? QStringLiteral(":CHAN_ID_") + strI : QStringLiteral("null"));
            Binds binds{{":ID_" + strI, r.S_ID.isEmpty() ? newId() : r.S_ID}, {":TEMPLATE_ID_" + strI, strTemplateID}};
            if (bChannel) {
                binds.insert(":CHAN_ID_" + strI, r.S_CHAN_ID);
            }
            lstBinds << binds;
        }
        return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    } catch (...) {
        DL_LOG(4, "CLS_TVJoinTemplateEntityDAO::InsertTemplate  catch(...)");
        return -1;
    }
}

int CLS_TVJoinTemplateEntityDAO::GetTemplate(const QString& _strDecOutID, QVector<CLS_TVJoinTemplateEntity>& _vecTemplates)
{
    if (_strDecOutID.isEmpty()) {
        DL_LOG(3, "CLS_TVJoinTemplateEntityDAO::GetTemplate _qstrDecOutID.isEmpty()");
        return -1;
    }
    try {
        const Rows rows(ExecuteQueryEx(m_strDbName,
                                       QStringLiteral("SELECT * FROM TAB_TV_JOIN_TEMPLATE WHERE "
                                                      "TAB_TV_JOIN_TEMPLATE.S_DECODER_OUT_ID = :DEC_OUT_ID"),
                                       Binds{{":DEC_OUT_ID", _strDecOutID}}));
        if (rows.Failed()) {
            return -1;
        }
        QVector<CLS_TVJoinTemplateEntity> vecRead;
        for (const Row* pRow : rows) {
            if (pRow == nullptr) {
                continue;
            }
            CLS_TVJoinTemplateEntity t;
            t.S_ID = Text(*pRow, "S_ID");
            t.S_CAPTION = Text(*pRow, "S_CAPTION");
            t.S_DECODER_OUT_ID = Text(*pRow, "S_DECODER_OUT_ID");
            const Rows regions(ExecuteQueryEx(
                m_strDbName,
                QStringLiteral("SELECT REGION.S_ID,REGION.I_REGION_NO,REGION.F_LEFT,REGION.F_TOP,REGION.F_WIDTH,"
                               "REGION.F_HEIGHT,REGION.S_CHAN_ID FROM TAB_TV_JOIN_REGION REGION WHERE "
                               "REGION.S_TEMPLATE_ID = :TEMPLATE_ID ORDER BY REGION.I_REGION_NO ASC"),
                Binds{{":TEMPLATE_ID", t.S_ID}}));
            if (regions.Failed()) {
                return -1;
            }
            for (const Row* pRegion : regions) {
                if (pRegion == nullptr) {
                    continue;
                }
                STRCT_TVJoinRegion r;
                r.S_ID = Text(*pRegion, "S_ID");
                r.I_REGION_NO = Int(*pRegion, "I_REGION_NO");
                r.F_LEFT = Real(*pRegion, "F_LEFT");
                r.F_TOP = Real(*pRegion, "F_TOP");
                r.F_WIDTH = Real(*pRegion, "F_WIDTH");
                r.F_HEIGHT = Real(*pRegion, "F_HEIGHT");
                r.S_CHAN_ID = Text(*pRegion, "S_CHAN_ID");
                t.m_vecRegions.append(r);
            }
            vecRead.append(t);
        }
        _vecTemplates += vecRead;
        return 0;
    } catch (...) {
        DL_LOG(4, "CLS_TVJoinTemplateEntityDAO::GetTemplate  catch(...)");
        return -1;
    }
}

int CLS_TVJoinTemplateEntityDAO::DeleteTemplate(const QString& _strTemplateID)
{
    try {
        return ExecuteTransactionEx(m_strDbName,
                                    {QStringLiteral("DELETE FROM TAB_TV_JOIN_REGION WHERE S_TEMPLATE_ID = :TEMPLATE_ID"),
                                     QStringLiteral("DELETE FROM TAB_TV_JOIN_TEMPLATE WHERE S_ID = :ID")},
                                    {Binds{{":TEMPLATE_ID", _strTemplateID}}, Binds{{":ID", _strTemplateID}}});
    } catch (...) {
        DL_LOG(4, "CLS_TVJoinTemplateEntityDAO::DeleteTemplate  catch(...)");
        return -1;
    }
}
