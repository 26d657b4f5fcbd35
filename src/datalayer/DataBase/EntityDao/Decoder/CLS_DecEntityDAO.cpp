#include "CLS_DecEntityDAO.h"

#include "DecoderDaoSupport.h"

#include <QUuid>

using namespace DeviceDao;
using DecoderDao::ReadOne;
using DecoderDao::Real;

namespace {

const char kDecoderColumns[] =
    "S_ID, S_IP, I_PORT, S_USERNAME, S_PASSWORD, S_DESCRIPTION, I_DECODER_TYPE_ID, S_CAPTION, S_PARENT_ID, "
    "I_HTTP_PORT";
const char kOutColumns[] = "SELECT S_ID, I_NUM, S_CAPTION, S_PARENT_ID FROM VIEW_DEV_DECODER_OUT";
const char kRegionColumns[] =
    "SELECT S_ID, I_NUM, F_TOP, F_LEFT, F_WIDTH, F_HEIGHT, S_CAPTION, S_PARENT_ID FROM VIEW_DEV_DECODER_OUT_REGION";
const char kTVOutColumns[] =
    "SELECT S_ID,S_DECODER_OUT_REGION_ID, I_NUM, S_CAPTION, S_PARENT_ID, S_DECODER_ID, I_DECODER_OUT_NUM, "
    "I_DECODER_OUT_REGION_NUM FROM VIEW_VIEW_TV_OUT ";

QString num(int _iValue)
{
    return CLS_BaseEntityDAO::IntToString(_iValue);
}

void loadDec(const Row& _row, CLS_DecEntity& e)
{
    e.S_ID = Text(_row, "S_ID");
    e.S_IP = Text(_row, "S_IP");
    e.I_PORT = Int(_row, "I_PORT");
    e.S_USERNAME = Text(_row, "S_USERNAME");
    e.S_PASSWORD = Text(_row, "S_PASSWORD");
    e.S_DESCRIPTION = Text(_row, "S_DESCRIPTION");
    e.I_DECODER_TYPE_ID = Int(_row, "I_DECODER_TYPE_ID");
    e.S_CAPTION = Text(_row, "S_CAPTION");
    e.S_PARENT_ID = Text(_row, "S_PARENT_ID");
    e.I_HTTP_PORT = Int(_row, "I_HTTP_PORT");
}

void loadOut(const Row& _row, CLS_DecOutEntity& e)
{
    e.S_ID = Text(_row, "S_ID");
    e.I_NUM = Int(_row, "I_NUM");
    e.S_CAPTION = Text(_row, "S_CAPTION");
    e.S_PARENT_ID = Text(_row, "S_PARENT_ID");
    if (_row.contains(QStringLiteral("I_VISIBLE"))) {
        e.I_VISIBLE = Int(_row, "I_VISIBLE");
    }
}

void loadRegion(const Row& _row, CLS_DecOutRegionEntity& e)
{
    e.S_ID = Text(_row, "S_ID");
    e.I_NUM = Int(_row, "I_NUM");
    e.F_TOP = Real(_row, "F_TOP");
    e.F_LEFT = Real(_row, "F_LEFT");
    e.F_WIDTH = Real(_row, "F_WIDTH");
    e.F_HEIGHT = Real(_row, "F_HEIGHT");
    e.S_CAPTION = Text(_row, "S_CAPTION");
    e.S_PARENT_ID = Text(_row, "S_PARENT_ID");
}

void loadTV(const Row& _row, CLS_TVEntity& e)
{
    e.S_ID = Text(_row, "S_ID");
    e.S_IP = Text(_row, "S_IP");
    e.I_PORT = Int(_row, "I_PORT");
    e.S_CAPTION = Text(_row, "S_CAPTION");
}

void loadTVOut(const Row& _row, CLS_TVOutEntity& e)
{
    e.S_ID = Text(_row, "S_ID");
    e.S_DECODER_OUT_REGION_ID = Text(_row, "S_DECODER_OUT_REGION_ID");
    e.I_NUM = Int(_row, "I_NUM");
    e.S_CAPTION = Text(_row, "S_CAPTION");
    e.S_PARENT_ID = Text(_row, "S_PARENT_ID");
    e.S_DECODER_ID = Text(_row, "S_DECODER_ID");
    e.I_DECODER_OUT_NUM = Int(_row, "I_DECODER_OUT_NUM");
    e.I_DECODER_OUT_REGION_NUM = Int(_row, "I_DECODER_OUT_REGION_NUM");
}

// The object and decoder rows of an insert, with "REPLACE" or "Insert".
void decoderInsert(const CLS_DecEntity& e, const QString& _strVerb, QList<QString>& _lstSql,
                   QList<Binds>& _lstBinds)
{
    _lstSql << _strVerb +
                   QStringLiteral(" Into TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, I_VISIBLE) Values "
                                  "(:ID,NULL,%1,:Name,1)")
                       .arg(num(e.I_OBJ_TYPE_ID));
    _lstBinds << Binds{{":ID", e.S_ID}, {":Name", e.S_CAPTION}};
    _lstSql << _strVerb +
                   QStringLiteral(" Into TAB_DEV_DECODER(S_ID, S_IP, I_PORT, S_USERNAME, S_PASSWORD, S_DESCRIPTION,"
                                  "I_DECODER_TYPE_ID, I_HTTP_PORT) Values (:ID,:IP,%1,:User,:PWD,:Memo,%2,%3)")
                       .arg(num(e.I_PORT), num(e.I_DECODER_TYPE_ID), num(e.I_HTTP_PORT));
    _lstBinds << Binds{{":ID", e.S_ID},
                       {":IP", e.S_IP},
                       {":User", e.S_USERNAME},
                       {":PWD", e.S_PASSWORD},
                       {":Memo", e.S_DESCRIPTION}};
}

}  // namespace

// ---- decoders ----

CLS_DecEntityDAO* CLS_DecEntityDAO::GetInstance()
{
    static CLS_DecEntityDAO* const s_pInstance = new CLS_DecEntityDAO();
    return s_pInstance;
}

int CLS_DecEntityDAO::GetAll(QVector<CLS_DecEntity*>& _vecDecs)
{
    return Guarded("CLS_DecEntityDAO::GetAll", -1, [&] {
        return ReadEntities(ExecuteQuery(m_strDbName, QStringLiteral("SELECT ") + QLatin1String(kDecoderColumns) +
                                                          QStringLiteral(" From VIEW_DEV_DECODER ORDER BY S_IP ASC")),
                            _vecDecs, &loadDec);
    });
}

int CLS_DecEntityDAO::GetById(const QString& _strDecID, CLS_DecEntity& _decEntity)
{
    return Guarded("CLS_DecEntityDAO::GetById", -1, [&] {
        return ReadOne(ExecuteQueryEx(m_strDbName,
                                      QStringLiteral("SELECT ") + QLatin1String(kDecoderColumns) +
                                          QStringLiteral(" From VIEW_DEV_DECODER where S_ID = :ID"),
                                      Binds{{":ID", _strDecID}}),
                       _decEntity, &loadDec);
    });
}

int CLS_DecEntityDAO::GetPage(int _iPageSize, int _iPageNum, QVector<CLS_DecEntity*>& _vecDecs, int& _iTotal)
{
    return Guarded("CLS_DecEntityDAO::GetPage", -1, [&] {
        const qint64 i64Offset = _iPageNum > 1 ? qint64(_iPageNum - 1) * _iPageSize : 0;  // never wraps
        const int iRet = ReadEntities(
            ExecuteQuery(m_strDbName,
                         QStringLiteral("SELECT * FROM VIEW_DEV_DECODER order by S_IP asc LIMIT ") +
                             num(_iPageSize) + QStringLiteral(" OFFSET ") + QString::number(i64Offset)),
            _vecDecs, &loadDec);
        if (iRet != 0) {
            return iRet;
        }
        _iTotal = Count(m_strDbName, QStringLiteral("Select count(*) from TAB_DEV_DECODER"), Binds());
        return _iTotal < 0 ? -1 : 0;
    });
}

int CLS_DecEntityDAO::GetCount()
{
    return Guarded("CLS_DecEntityDAO::GetCount", -1, [&] {
        return Count(m_strDbName, QStringLiteral("SELECT COUNT(*) FROM TAB_DEV_DECODER"), Binds());
    });
}

bool CLS_DecEntityDAO::IsAddressInUse(const QString& _strIP, int _iPort)
{
    return Guarded("CLS_DecEntityDAO::IsAddressInUse", false, [&] {
        const QString strSql =
            _iPort < 0 ? QStringLiteral("SELECT COUNT(*) FROM TAB_DEV_DECODER WHERE S_IP = :IP")
                       : QStringLiteral("SELECT COUNT(*) FROM VIEW_DEV_DECODER WHERE S_IP = :IP and I_PORT =") +
                             num(_iPort);
        return Count(m_strDbName, strSql, Binds{{":IP", _strIP}}) > 0;
    });
}

int CLS_DecEntityDAO::Insert(const CLS_DecEntity& _decEntity)
{
    return Guarded("CLS_DecEntityDAO::Insert", -1, [&] {
        QList<QString> lstSql;
        QList<Binds> lstBinds;
        decoderInsert(_decEntity, QStringLiteral("REPLACE"), lstSql, lstBinds);
        return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

QString CLS_DecEntityDAO::InputCaption(const QString& _strDecCaption, int _iNum)
{
    return QStringLiteral("%1 Input %2").arg(_strDecCaption, num(_iNum));
}

int CLS_DecEntityDAO::InsertWithInputs(const CLS_DecEntity& _decEntity)
{
    return Guarded("CLS_DecEntityDAO::InsertWithInputs", -1, [&] {
        QList<QString> lstSql;
        QList<Binds> lstBinds;
        decoderInsert(_decEntity, QStringLiteral("Insert"), lstSql, lstBinds);
        for (int i = 1; i <= _decEntity.I_DECODER_IN_COUNT; ++i) {
            lstSql << QStringLiteral("INSERT INTO TAB_DECODER_IN (S_ID, S_CAPTION, I_DECODER_IN_NUM, I_TYPE) VALUES "
                                     "(:DecIn,:Caption,%1,1)")
                          .arg(num(i));
            lstBinds << Binds{{":DecIn", QUuid::createUuid().toString(QUuid::Id128)},
                              {":Caption", InputCaption(_decEntity.S_CAPTION, i)}};
        }
        return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

int CLS_DecEntityDAO::Update(const CLS_DecEntity& e)
{
    return Guarded("CLS_DecEntityDAO::Update", -1, [&] {
        const QList<QString> lstSql{
            QStringLiteral("Update TAB_OBJ Set S_CAPTION=:Name WHERE S_ID =:ID"),
            QStringLiteral("Update TAB_DEV_DECODER Set S_IP=:IP,I_PORT=%1,S_USERNAME=:User,S_PASSWORD=:PWD,"
                           "S_DESCRIPTION=:Memo,I_DECODER_TYPE_ID=%2,I_HTTP_PORT=%3 WHERE S_ID =:ID")
                .arg(num(e.I_PORT), num(e.I_DECODER_TYPE_ID), num(e.I_HTTP_PORT))};
        const QList<Binds> lstBinds{Binds{{":ID", e.S_ID}, {":Name", e.S_CAPTION}},
                                    Binds{{":ID", e.S_ID},
                                          {":IP", e.S_IP},
                                          {":User", e.S_USERNAME},
                                          {":PWD", e.S_PASSWORD},
                                          {":Memo", e.S_DESCRIPTION}}};
        return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

int CLS_DecEntityDAO::Delete(const QString& _strDecID)
{
    return Guarded("CLS_DecEntityDAO::Delete", -1, [&] {
        const QList<QString> lstSql{
            QStringLiteral("DELETE FROM TAB_LAYOUT_TVOUT WHERE TAB_LAYOUT_TVOUT.S_SCREEN_ID IN (SELECT S_ID FROM "
                           "TAB_DEV_SCREEN_UNIT WHERE TAB_DEV_SCREEN_UNIT.S_DECODER_OUT_ID IN (SELECT S_ID FROM TAB_OBJ "
                           "WHERE TAB_OBJ.S_PARENT_ID = :ID))"),
            QStringLiteral("DELETE FROM TAB_DEV_SCREEN_UNIT WHERE TAB_DEV_SCREEN_UNIT.S_DECODER_OUT_ID IN (SELECT "
                           "S_ID FROM TAB_OBJ WHERE TAB_OBJ.S_PARENT_ID = :ID)"),
            QStringLiteral("DELETE FROM TAB_DEV_DECODER_OUT WHERE TAB_DEV_DECODER_OUT.S_ID IN (SELECT S_ID FROM "
                           "TAB_OBJ WHERE TAB_OBJ.S_PARENT_ID = :ID)"),
            // The encoder inputs' own rows go before their object rows, which find them.
            QStringLiteral("DELETE FROM TAB_DEV_ENCODE_IN WHERE S_ID IN (SELECT S_ID FROM TAB_OBJ WHERE "
                           "TAB_OBJ.S_PARENT_ID = :ID)"),
            QStringLiteral("DELETE FROM TAB_OBJ WHERE TAB_OBJ.S_PARENT_ID = :ID"),
            QStringLiteral("Delete From TAB_DEV_DECODER Where S_ID=:ID"),
            QStringLiteral("Delete From TAB_OBJ Where S_ID=:ID")};
        const Binds binds{{":ID", _strDecID}};
        QList<Binds> lstBinds;
        for (int i = 0; i < lstSql.size(); ++i) {
            lstBinds << binds;
        }
        return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

// ---- outputs ----

CLS_DecOutEntityDAO* CLS_DecOutEntityDAO::GetInstance()
{
    static CLS_DecOutEntityDAO* const s_pInstance = new CLS_DecOutEntityDAO();
    return s_pInstance;
}

int CLS_DecOutEntityDAO::GetAll(QVector<CLS_DecOutEntity*>& _vecOuts)
{
    return Guarded("CLS_DecOutEntityDAO::GetAll", -1, [&] {
        return ReadEntities(
            ExecuteQuery(m_strDbName, QLatin1String(kOutColumns) + QStringLiteral(" ORDER BY I_NUM ASC")), _vecOuts,
            &loadOut);
    });
}

int CLS_DecOutEntityDAO::GetOfDecoder(const QString& _strDecID, QVector<CLS_DecOutEntity*>& _vecOuts)
{
    return Guarded("CLS_DecOutEntityDAO::GetOfDecoder", -1, [&] {
        return ReadEntities(ExecuteQueryEx(m_strDbName,
                                           QLatin1String(kOutColumns) +
                                               QStringLiteral(" Where S_PARENT_ID = :DecId ORDER BY I_NUM ASC"),
                                           Binds{{":DecId", _strDecID}}),
                            _vecOuts, &loadOut);
    });
}

int CLS_DecOutEntityDAO::GetFreeOfDecoder(const QString& _strDecID, QVector<CLS_DecOutEntity*>& _vecOuts)
{
    return Guarded("CLS_DecOutEntityDAO::GetFreeOfDecoder", -1, [&] {
        // "IS NOT NULL": a NULL in a NOT IN list would make every comparison unknown and hide
        // every output as soon as one screen unit has no output.
        return ReadEntities(
            ExecuteQueryEx(m_strDbName,
                           QLatin1String(kOutColumns) +
                               QStringLiteral(" Where S_PARENT_ID = :DecId AND S_ID NOT IN ("
                                              "select s_decoder_out_id from tab_dev_screen_unit where i_type = 1 "
                                              "and s_decoder_out_id is not null "
                                              "union all "
                                              "select a.s_decoder_out_id from tab_dev_screen_unit a,tab_dev_screen_unit b"
                                              " where a.s_parent_id = b.s_id and a.i_type <> 1 and b.i_type = 1 "
                                              "and a.s_decoder_out_id is not null"
                                              ")  ORDER BY I_NUM ASC"),
                           Binds{{":DecId", _strDecID}}),
            _vecOuts, &loadOut);
    });
}

int CLS_DecOutEntityDAO::GetByNum(const QString& _strDecID, int _iNum, CLS_DecOutEntity& _outEntity)
{
    return Guarded("CLS_DecOutEntityDAO::GetByNum", -1, [&] {
        return ReadOne(ExecuteQueryEx(m_strDbName,
                                      QLatin1String(kOutColumns) +
                                          QStringLiteral(" Where S_PARENT_ID = :DecId AND I_NUM =") + num(_iNum),
                                      Binds{{":DecId", _strDecID}}),
                       _outEntity, &loadOut);
    });
}

int CLS_DecOutEntityDAO::GetById(const QString& _strOutID, CLS_DecOutEntity& _outEntity)
{
    return Guarded("CLS_DecOutEntityDAO::GetById", -1, [&] {
        return ReadOne(ExecuteQueryEx(m_strDbName, QLatin1String(kOutColumns) + QStringLiteral(" Where S_ID = :nid"),
                                      Binds{{":nid", _strOutID}}),
                       _outEntity, &loadOut);
    });
}

int CLS_DecOutEntityDAO::GetVisibleCount(const QString& _strDecID)
{
    return Guarded("CLS_DecOutEntityDAO::GetVisibleCount", -1, [&] {
        return Count(m_strDbName,
                     QStringLiteral("Select Count(*) From VIEW_DEV_DECODER_OUT Where S_PARENT_ID = :uid AND "
                                    "I_VISIBLE = 1"),
                     Binds{{":uid", _strDecID}});
    });
}

int CLS_DecOutEntityDAO::Insert(const CLS_DecOutEntity& e)
{
    return Guarded("CLS_DecOutEntityDAO::Insert", -1, [&] {
        int iRet = ExecuteEx(m_strDbName,
                             QStringLiteral("REPLACE INTO TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, "
                                            "I_VISIBLE) Values (:sID,:DecID,%1,:Caption,%2)")
                                 .arg(num(e.I_OBJ_TYPE_ID), num(e.I_VISIBLE)),
                             Binds{{":sID", e.S_ID}, {":DecID", e.S_PARENT_ID}, {":Caption", e.S_CAPTION}});
        if (iRet != 0) {
            return -1;
        }
        iRet = ExecuteEx(m_strDbName,
                         QStringLiteral("REPLACE INTO TAB_DEV_DECODER_OUT(S_ID, I_NUM) Values (:sID,%1)").arg(num(e.I_NUM)),
                         Binds{{":sID", e.S_ID}});
        return iRet == 0 ? 0 : -1;
    });
}

int CLS_DecOutEntityDAO::Update(const CLS_DecOutEntity& e)
{
    return Guarded("CLS_DecOutEntityDAO::Update", -1, [&] {
        int iRet = UpdateCaption(e.S_ID, e.S_CAPTION);
        if (iRet != 0) {
            return -1;
        }
        iRet = ExecuteEx(m_strDbName,
                         QStringLiteral("Update TAB_DEV_DECODER_OUT Set I_NUM=%1 where S_ID= :sID").arg(num(e.I_NUM)),
                         Binds{{":sID", e.S_ID}});
        return iRet == 0 ? 0 : -1;
    });
}

int CLS_DecOutEntityDAO::UpdateCaption(const QString& _strOutID, const QString& _strCaption)
{
    return Guarded("CLS_DecOutEntityDAO::UpdateCaption", -1, [&] {
        return ExecuteEx(m_strDbName, QStringLiteral("Update TAB_OBJ Set S_CAPTION= :Caption where S_ID= :sID"),
                         Binds{{":sID", _strOutID}, {":Caption", _strCaption}});
    });
}

int CLS_DecOutEntityDAO::Delete(const QString& _strOutID)
{
    return Guarded("CLS_DecOutEntityDAO::Delete", -1, [&] {
        // The memberships of the screen units on the output go with them, so that no layout
        // keeps a member whose screen is gone.
        const QList<QString> lstSql{
            QStringLiteral("DELETE FROM TAB_LAYOUT_TVOUT WHERE S_SCREEN_ID IN (SELECT S_ID FROM TAB_DEV_SCREEN_UNIT "
                           "WHERE S_DECODER_OUT_ID= :SDEOUTID)"),
            QStringLiteral("Delete From TAB_DEV_DECODER_OUT Where S_ID= :DECOUTID"),
            QStringLiteral("Delete From TAB_OBJ Where S_ID= :SCREENID"),
            QStringLiteral("Delete From TAB_DEV_SCREEN_UNIT Where S_DECODER_OUT_ID= :SDEOUTID")};
        const QList<Binds> lstBinds{Binds{{":SDEOUTID", _strOutID}}, Binds{{":DECOUTID", _strOutID}},
                                    Binds{{":SCREENID", _strOutID}}, Binds{{":SDEOUTID", _strOutID}}};
        return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

// ---- output regions ----

CLS_DecOutRegionEntityDAO* CLS_DecOutRegionEntityDAO::GetInstance()
{
    static CLS_DecOutRegionEntityDAO* const s_pInstance = new CLS_DecOutRegionEntityDAO();
    return s_pInstance;
}

int CLS_DecOutRegionEntityDAO::GetOfOutput(const QString& _strOutID, QVector<CLS_DecOutRegionEntity*>& _vecRegions)
{
    return Guarded("CLS_DecOutRegionEntityDAO::GetOfOutput", -1, [&] {
        return ReadEntities(ExecuteQueryEx(m_strDbName,
                                           QLatin1String(kRegionColumns) +
                                               QStringLiteral(" Where S_PARENT_ID = :sID ORDER BY I_NUM ASC"),
                                           Binds{{":sID", _strOutID}}),
                            _vecRegions, &loadRegion);
    });
}

int CLS_DecOutRegionEntityDAO::GetById(const QString& _strRegionID, CLS_DecOutRegionEntity& _regionEntity)
{
    return Guarded("CLS_DecOutRegionEntityDAO::GetById", -1, [&] {
        return ReadOne(ExecuteQueryEx(m_strDbName, QLatin1String(kRegionColumns) + QStringLiteral(" Where S_ID = :sID"),
                                      Binds{{":sID", _strRegionID}}),
                       _regionEntity, &loadRegion);
    });
}

int CLS_DecOutRegionEntityDAO::Insert(const CLS_DecOutRegionEntity& e)
{
    return Guarded("CLS_DecOutRegionEntityDAO::Insert", -1, [&] {
        int iRet = ExecuteEx(m_strDbName,
                             QStringLiteral("Insert Into TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, "
                                            "I_VISIBLE) Values (:sID,:DecID,%1,:Caption,1)")
                                 .arg(num(e.I_OBJ_TYPE_ID)),
                             Binds{{":sID", e.S_ID}, {":DecID", e.S_PARENT_ID}, {":Caption", e.S_CAPTION}});
        if (iRet != 0) {
            return -1;
        }
        iRet = ExecuteEx(m_strDbName,
                         QStringLiteral("Insert Into TAB_DEV_DECODER_OUT_REGION(S_ID, I_NUM, F_TOP, F_LEFT, F_WIDTH, "
                                        "F_HEIGHT) Values (:sID,%1,%2,%3,%4,%5)")
                             .arg(num(e.I_NUM), FloatToString(e.F_TOP), FloatToString(e.F_LEFT),
                                  FloatToString(e.F_WIDTH), FloatToString(e.F_HEIGHT)),
                         Binds{{":sID", e.S_ID}});
        return iRet == 0 ? 0 : -1;
    });
}

int CLS_DecOutRegionEntityDAO::Delete(const QString& _strRegionID)
{
    return Guarded("CLS_DecOutRegionEntityDAO::Delete", -1, [&] {
        const Binds binds{{":sID", _strRegionID}};
        return ExecuteTransactionEx(m_strDbName,
                                    {QStringLiteral("Delete From TAB_DEV_DECODER_OUT_REGION Where S_ID= :sID"),
                                     QStringLiteral("Delete From TAB_OBJ Where S_ID= :sID")},
                                    {binds, binds});
    });
}

// ---- TVs and TV outputs ----

CLS_TVEntityDAO* CLS_TVEntityDAO::GetInstance()
{
    static CLS_TVEntityDAO* const s_pInstance = new CLS_TVEntityDAO();
    return s_pInstance;
}

int CLS_TVEntityDAO::GetAll(QVector<CLS_TVEntity*>& _vecTVs)
{
    return Guarded("CLS_TVEntityDAO::GetAll", -1, [&] {
        return ReadEntities(ExecuteQuery(m_strDbName, QStringLiteral("SELECT S_ID, S_IP, I_PORT, S_CAPTION FROM VIEW_DEV_TV")),
                            _vecTVs, &loadTV);
    });
}

int CLS_TVEntityDAO::GetChildIds(const QString& _strParentID, int _iObjType, QStringList& _lstIDs)
{
    return Guarded("CLS_TVEntityDAO::GetChildIds", -1, [&] {
        return Column(ExecuteQueryEx(m_strDbName,
                                     QStringLiteral("Select S_ID From TAB_OBJ Where S_PARENT_ID = :nid and "
                                                    "I_OBJ_TYPE_ID =") +
                                         num(_iObjType),
                                     Binds{{":nid", _strParentID}}),
                      "S_ID", _lstIDs);
    });
}

CLS_TVOutEntityDAO* CLS_TVOutEntityDAO::GetInstance()
{
    static CLS_TVOutEntityDAO* const s_pInstance = new CLS_TVOutEntityDAO();
    return s_pInstance;
}

int CLS_TVOutEntityDAO::GetAll(QVector<CLS_TVOutEntity*>& _vecOuts)
{
    return Guarded("CLS_TVOutEntityDAO::GetAll", -1, [&] {
        return ReadEntities(ExecuteQuery(m_strDbName, QLatin1String(kTVOutColumns) +
                                                          QStringLiteral("WHERE S_DECODER_OUT_REGION_ID IS NOT NULL")),
                            _vecOuts, &loadTVOut);
    });
}

int CLS_TVOutEntityDAO::GetOfTV(const QString& _strTVID, QVector<CLS_TVOutEntity*>& _vecOuts)
{
    return Guarded("CLS_TVOutEntityDAO::GetOfTV", -1, [&] {
        return ReadEntities(
            ExecuteQueryEx(m_strDbName,
                           QLatin1String(kTVOutColumns) + QStringLiteral("WHERE S_PARENT_ID= :uTVID ORDER BY I_NUM ASC"),
                           Binds{{":uTVID", _strTVID}}),
            _vecOuts, &loadTVOut);
    });
}
