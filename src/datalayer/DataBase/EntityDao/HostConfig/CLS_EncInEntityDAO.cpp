#include "CLS_EncInEntityDAO.h"

#include "DeviceDaoSupport.h"
#include "ObjectRemoval.h"

using namespace DeviceDao;

namespace {

const char kAllEncIns[] =
    "SELECT TAB_OBJ.S_ID, TAB_DEV_ENCODE_IN.I_NUM, TAB_OBJ.S_CAPTION, TAB_OBJ.S_PARENT_ID FROM TAB_OBJ, "
    "TAB_DEV_ENCODE_IN WHERE TAB_OBJ.S_ID = TAB_DEV_ENCODE_IN.S_ID";

QString num(int _iValue)
{
    return CLS_BaseEntityDAO::IntToString(_iValue);
}

CLS_EncInEntity* firstEncIn(RecordSet* _pRows)
{
    const Rows rows(_pRows);
    if (rows.First() == nullptr) {
        return nullptr;
    }
    auto* pEncIn = new CLS_EncInEntity();
    CLS_EncInEntityDAO::LoadEncIn(*rows.First(), *pEncIn);
    return pEncIn;
}

}  // namespace

CLS_EncInEntityDAO* CLS_EncInEntityDAO::GetInstance()
{
    static CLS_EncInEntityDAO* const s_pInstance = new CLS_EncInEntityDAO();
    return s_pInstance;
}

CLS_EncInEntityDAO::CLS_EncInEntityDAO() = default;

CLS_EncInEntityDAO::~CLS_EncInEntityDAO() = default;

int CLS_EncInEntityDAO::InsertEncIn(const CLS_EncInEntity& e)
{
    return Guarded("CLS_EncInEntityDAO::InsertEncIn", -1, [&] {
        int iRet = ExecuteEx(
            m_strDbName,
            QStringLiteral("Insert Into TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, I_VISIBLE) "
                           "Values (:ID, :DecID, %1, :Name, %2)")
                .arg(num(e.I_OBJ_TYPE_ID), num(e.I_VISIBLE)),
            Binds{{":ID", e.S_ID}, {":DecID", e.S_PARENT_ID}, {":Name", e.S_CAPTION}});
        if (iRet != 0) {
            return -1;
        }
        iRet = ExecuteEx(
            m_strDbName,
            QStringLiteral("Insert Into TAB_DEV_ENCODE_IN(S_ID, I_NUM) Values (:ID, %1)").arg(num(e.I_NUM)),
            Binds{{":ID", e.S_ID}});
        return iRet == 0 ? 0 : -1;
    });
}

int CLS_EncInEntityDAO::UpdateEncIn(const CLS_EncInEntity& e)
{
    return Guarded("CLS_EncInEntityDAO::UpdateEncIn", -1, [&] {
        int iRet =
            ExecuteEx(m_strDbName, QStringLiteral("Update TAB_OBJ Set S_CAPTION = :Name Where S_ID = :ID"),
                      Binds{{":ID", e.S_ID}, {":Name", e.S_CAPTION}});
        if (iRet != 0) {
            return -1;
        }
        iRet = ExecuteEx(
            m_strDbName,
            QStringLiteral("Update TAB_DEV_ENCODE_IN Set I_NUM = %1 where S_ID=:ID").arg(num(e.I_NUM)),
            Binds{{":ID", e.S_ID}});
        return iRet == 0 ? 0 : -1;
    });
}

int CLS_EncInEntityDAO::SetEncInDisplayType(const QString& _strEncInID, int _iDisplayType)
{
    return Guarded("CLS_EncInEntityDAO::SetEncInDisplayType", -1, [&] {
        const int iRet =
            ExecuteEx(m_strDbName,
                      QStringLiteral("Update TAB_DEV_ENCODE_IN Set I_DISPLAY_TYPE = %1 where S_ID=:ID")
                          .arg(num(_iDisplayType)),
                      Binds{{":ID", _strEncInID}});
        return iRet == 0 ? 0 : -1;
    });
}

int CLS_EncInEntityDAO::DeleteEncIn(const QString& _strEncInID)
{
    return Guarded("CLS_EncInEntityDAO::DeleteEncIn", -1, [&] {
        return DeleteDeviceObjects(m_strDbName, {_strEncInID});
    });
}

void CLS_EncInEntityDAO::LoadEncIn(const QMap<QString, QString>& _row, CLS_EncInEntity& e)
{
    e.S_ID = Text(_row, "S_ID");
    e.I_NUM = Int(_row, "I_NUM");
    e.S_CAPTION = Text(_row, "S_CAPTION");
    e.S_PARENT_ID = Text(_row, "S_PARENT_ID");
    if (_row.contains(QStringLiteral("I_VISIBLE"))) {
        e.I_VISIBLE = Int(_row, "I_VISIBLE");
    }
}

int CLS_EncInEntityDAO::GetAllEncIns(QVector<CLS_EncInEntity*>& _vecEncIns)
{
    return Guarded("CLS_EncInEntityDAO::GetAllEncIns", -1, [&] {
        return ReadEntities(
            ExecuteQuery(m_strDbName, QLatin1String(kAllEncIns) + QStringLiteral(" ORDER BY I_NUM ASC")),
            _vecEncIns, &CLS_EncInEntityDAO::LoadEncIn);
    });
}

int CLS_EncInEntityDAO::GetEncInsOfDecoder(const QString& _strDecID, QVector<CLS_EncInEntity*>& _vecEncIns)
{
    return Guarded("CLS_EncInEntityDAO::GetEncInsOfDecoder", -1, [&] {
        return ReadEntities(
            ExecuteQueryEx(
                m_strDbName,
                QStringLiteral(
                    "SELECT TAB_DEV_ENCODE_IN.S_ID, TAB_DEV_ENCODE_IN.I_NUM, S_CAPTION, S_PARENT_ID, "
                    "I_VISIBLE FROM TAB_OBJ,TAB_DEV_ENCODE_IN Where TAB_OBJ.s_id = "
                    "TAB_DEV_ENCODE_IN.s_id and TAB_OBJ.S_PARENT_ID = :DecId ORDER BY I_NUM ASC"),
                Binds{{":DecId", _strDecID}}),
            _vecEncIns, &CLS_EncInEntityDAO::LoadEncIn);
    });
}

int CLS_EncInEntityDAO::GetEncInCountOfDecoder(const QString& _strDecID)
{
    return Guarded("CLS_EncInEntityDAO::GetEncInCountOfDecoder", -1, [&] {
        return Count(m_strDbName,
                     QStringLiteral(
                         "Select Count(*) From  TAB_OBJ,TAB_DEV_ENCODE_IN Where TAB_OBJ.S_PARENT_ID = :DecId "
                         "AND TAB_OBJ.S_ID = TAB_DEV_ENCODE_IN.S_ID"),
                     Binds{{":DecId", _strDecID}});
    });
}

CLS_EncInEntity* CLS_EncInEntityDAO::GetEncInByNum(const QString& _strDecID, int _iNum)
{
    return Guarded("CLS_EncInEntityDAO::GetEncInByNum", static_cast<CLS_EncInEntity*>(nullptr), [&] {
        return firstEncIn(ExecuteQueryEx(
            m_strDbName,
            QStringLiteral(
                "SELECT TAB_DEV_ENCODE_IN.S_ID, TAB_DEV_ENCODE_IN.I_NUM, S_CAPTION, S_PARENT_ID FROM "
                "TAB_OBJ,TAB_DEV_ENCODE_IN Where TAB_OBJ.S_PARENT_ID = :DecId AND TAB_DEV_ENCODE_IN.I_NUM = "
                "%1 AND TAB_OBJ.S_ID = TAB_DEV_ENCODE_IN.S_ID")
                .arg(num(_iNum)),
            Binds{{":DecId", _strDecID}}));
    });
}

CLS_EncInEntity* CLS_EncInEntityDAO::GetEncInById(const QString& _strEncInID)
{
    return Guarded("CLS_EncInEntityDAO::GetEncInById", static_cast<CLS_EncInEntity*>(nullptr), [&] {
        return firstEncIn(ExecuteQueryEx(
            m_strDbName, QLatin1String(kAllEncIns) + QStringLiteral(" AND TAB_DEV_ENCODE_IN.S_ID =:ID"),
            Binds{{":ID", _strEncInID}}));
    });
}

bool CLS_EncInEntityDAO::IsEncInNumExist(const QString& _strDecID, int _iNum)
{
    return Guarded("CLS_EncInEntityDAO::IsEncInNumExist", false, [&] {
        return Count(m_strDbName,
                     QStringLiteral(
                         "Select Count(*) From TAB_OBJ,TAB_DEV_ENCODE_IN Where TAB_OBJ.s_id = "
                         "TAB_DEV_ENCODE_IN.s_id and TAB_DEV_ENCODE_IN.I_NUM = %1 and TAB_DEV_ENCODE_IN.S_ID "
                         "in (Select S_ID From TAB_OBJ where S_PARENT_ID=:DecID)")
                         .arg(num(_iNum)),
                     Binds{{":DecID", _strDecID}}) > 0;
    });
}
