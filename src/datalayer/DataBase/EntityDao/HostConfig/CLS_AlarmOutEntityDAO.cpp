#include "CLS_AlarmOutEntityDAO.h"

#include "DeviceDaoSupport.h"
#include "DataBase/EntityDao/Alarm/CLS_AlarmActionEntityDAO.h"

using namespace DeviceDao;

namespace {

QString num(int _iValue)
{
    return CLS_BaseEntityDAO::IntToString(_iValue);
}

void appendObjectUpdate(const CLS_AlarmOutEntity& e, QList<QString>& _lstSql, QList<Binds>& _lstBinds)
{
    _lstSql << QStringLiteral("Update TAB_OBJ Set S_CAPTION = :alarmOutName Where S_ID = :alarmOutID");
    _lstBinds << Binds{{":alarmOutID", e.S_ID}, {":alarmOutName", e.S_CAPTION}};
}

void appendTypeUpdate(const CLS_AlarmOutEntity& e, QList<QString>& _lstSql, QList<Binds>& _lstBinds)
{
    _lstSql << QStringLiteral(
                   "Update TAB_DEV_ALARM_OUT Set I_NUM = %1, S_DESCRIPTION = :alarmOutMemo Where S_ID = "
                   ":alarmOutID")
                   .arg(num(e.I_NUM));
    _lstBinds << Binds{{":alarmOutID", e.S_ID}, {":alarmOutMemo", e.S_DESCRIPTION}};
}

}  // namespace

CLS_AlarmOutEntityDAO* CLS_AlarmOutEntityDAO::GetInstance()
{
    static CLS_AlarmOutEntityDAO* s_pInstance = nullptr;
    if (s_pInstance == nullptr) {
        s_pInstance = new CLS_AlarmOutEntityDAO();
    }
    return s_pInstance;
}

CLS_AlarmOutEntityDAO::CLS_AlarmOutEntityDAO()
{
    m_lstAuthorityTypes = LoadAuthorityTypes(
        m_strDbName,
        QStringLiteral(
            "SELECT I_AUTHORITY_TYPE_ID FROM TAB_OBJ_TYPE_AUTHORITY_TYPE WHERE I_OBJ_TYPE_ID = 7"));
}

CLS_AlarmOutEntityDAO::~CLS_AlarmOutEntityDAO() = default;

void CLS_AlarmOutEntityDAO::AppendInsert(const CLS_AlarmOutEntity& e, QList<QString>& _lstSql,
                                         QList<QMap<QString, QVariant>>& _lstBinds) const
{
    _lstSql << QStringLiteral(
                   "Insert Into TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, I_VISIBLE) Values "
                   "(:alarmOutID, "
                   ":alarmOutHostID, %1, :alarmOutName, 1)")
                   .arg(num(e.I_OBJ_TYPE_ID));
    _lstBinds << Binds{
        {":alarmOutID", e.S_ID}, {":alarmOutHostID", e.S_PARENT_ID}, {":alarmOutName", e.S_CAPTION}};

    _lstSql << QStringLiteral(
                   "Insert Into TAB_DEV_ALARM_OUT(S_ID, I_NUM, S_DESCRIPTION) Values (:alarmOutID, %1, "
                   ":alarmOutMemo)")
                   .arg(num(e.I_NUM));
    _lstBinds << Binds{{":alarmOutID", e.S_ID}, {":alarmOutMemo", e.S_DESCRIPTION}};

    for (const QString& strType : m_lstAuthorityTypes) {
        _lstSql << QStringLiteral(
                       "Insert Into TAB_OBJ_ROLE_AUTHORITY(S_OBJ_ID, S_ROLE_ID, I_AUTHORITY_TYPE_ID, "
                       "I_STATUS) Values "
                       "(:alarmOutID, 'admin_role', %1, 1)")
                       .arg(num(strType.toInt()));
        _lstBinds << Binds{{":alarmOutID", e.S_ID}};
    }
}

int CLS_AlarmOutEntityDAO::InsertAlarmOut(const CLS_AlarmOutEntity& _alarmOutEntity)
{
    return Guarded("CLS_AlarmOutEntityDAO::InsertAlarmOut", -1, [&] {
        QList<QString> lstSql;
        QList<Binds> lstBinds;
        AppendInsert(_alarmOutEntity, lstSql, lstBinds);
        return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

int CLS_AlarmOutEntityDAO::InsertAlarmOuts(const QVector<CLS_AlarmOutEntity*>& _vecAlarmOuts)
{
    return Guarded("CLS_AlarmOutEntityDAO::InsertAlarmOuts", -1, [&] {
        QList<QString> lstSql;
        QList<Binds> lstBinds;
        for (const CLS_AlarmOutEntity* pAlarmOut : _vecAlarmOuts) {
            if (pAlarmOut != nullptr) {
                AppendInsert(*pAlarmOut, lstSql, lstBinds);
            }
        }
        return lstSql.isEmpty() ? 0 : ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

int CLS_AlarmOutEntityDAO::UpdateAlarmOut(const CLS_AlarmOutEntity& _alarmOutEntity)
{
    return Guarded("CLS_AlarmOutEntityDAO::UpdateAlarmOut", -1, [&] {
        QList<QString> lstSql;
        QList<Binds> lstBinds;
        appendObjectUpdate(_alarmOutEntity, lstSql, lstBinds);
        appendTypeUpdate(_alarmOutEntity, lstSql, lstBinds);
        return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

int CLS_AlarmOutEntityDAO::UpdateAlarmOuts(const QVector<CLS_AlarmOutEntity*>& _vecAlarmOuts)
{
    return Guarded("CLS_AlarmOutEntityDAO::UpdateAlarmOuts", -1, [&] {
        QList<QString> lstSql;
        QList<Binds> lstBinds;
        for (const CLS_AlarmOutEntity* pAlarmOut : _vecAlarmOuts) {
            if (pAlarmOut != nullptr) {
                appendTypeUpdate(*pAlarmOut, lstSql, lstBinds);
                appendObjectUpdate(*pAlarmOut, lstSql, lstBinds);
            }
        }
        return lstSql.isEmpty() ? 0 : ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

int CLS_AlarmOutEntityDAO::DeleteAlarmOuts(const QStringList& _lstAlarmOutIDs)
{
    return Guarded("CLS_AlarmOutEntityDAO::DeleteAlarmOuts", -1, [&] {
        if (_lstAlarmOutIDs.isEmpty()) {
            return 0;
        }
        const QString strSteps[] = {QStringLiteral("Delete From TAB_DEV_ALARM_OUT Where S_ID=:id"),
                                    QStringLiteral("Delete From TAB_OBJ Where S_ID= :id"),
                                    QStringLiteral("Delete From TAB_OBJ_ROLE_AUTHORITY Where S_OBJ_ID= :id")};
        int iRet = 0;
        for (const QString& strSql : strSteps) {
            QList<QString> lstSql;
            QList<Binds> lstBinds;
            if (&strSql == strSteps) {  // the linkage rules go with the first step
                CLS_AlarmActionEntityDAO::AppendDeleteOfObjects(_lstAlarmOutIDs, QString(), lstSql, lstBinds);
            }
            for (const QString& strID : _lstAlarmOutIDs) {
                lstSql << strSql;
                lstBinds << Binds{{":id", strID}};
            }
            iRet = ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
            if (iRet < 0) {
                return iRet;
            }
        }
        return iRet;
    });
}

void CLS_AlarmOutEntityDAO::LoadAlarmOut(const QMap<QString, QString>& _row, CLS_AlarmOutEntity& e)
{
    e.S_ID = Text(_row, "S_ID");
    e.I_NUM = Int(_row, "I_NUM");
    e.S_DESCRIPTION = Text(_row, "S_DESCRIPTION");
    e.S_CAPTION = Text(_row, "S_CAPTION");
    e.S_PARENT_ID = Text(_row, "S_PARENT_ID");
}

int CLS_AlarmOutEntityDAO::GetAllAlarmOuts(QVector<CLS_AlarmOutEntity*>& _vecAlarmOuts)
{
    return Guarded("CLS_AlarmOutEntityDAO::GetAllAlarmOuts", -1, [&] {
        return ReadEntities(
            ExecuteQuery(m_strDbName,
                         QStringLiteral("SELECT S_ID, I_NUM, S_DESCRIPTION,S_CAPTION,S_PARENT_ID FROM "
                                        "VIEW_DEV_ALARM_OUT ORDER BY I_NUM")),
            _vecAlarmOuts, &CLS_AlarmOutEntityDAO::LoadAlarmOut);
    });
}

int CLS_AlarmOutEntityDAO::GetAlarmOutCountOfHost(const QString& _strHostID)
{
    return Guarded("CLS_AlarmOutEntityDAO::GetAlarmOutCountOfHost", -1, [&] {
        return Count(
            m_strDbName,
            QStringLiteral("SELECT COUNT(*) FROM VIEW_DEV_ALARM_OUT Where S_ID in (Select S_ID From TAB_OBJ "
                           "Where S_PARENT_ID =:hid )"),
            Binds{{":hid", _strHostID}});
    });
}

int CLS_AlarmOutEntityDAO::GetAlarmOutCounts(QMap<QString, int>& _mapCounts)
{
    return Guarded("CLS_AlarmOutEntityDAO::GetAlarmOutCounts", -1, [&] {
        return ParentCounts(
            m_strDbName,
            QStringLiteral(
                "SELECT S_PARENT_ID, COUNT(*) S_COUNT FROM VIEW_DEV_ALARM_OUT GROUP BY S_PARENT_ID"),
            _mapCounts);
    });
}

bool CLS_AlarmOutEntityDAO::IsAlarmOutNumExist(const QString& _strHostID, int _iNum)
{
    return Guarded("CLS_AlarmOutEntityDAO::IsAlarmOutNumExist", false, [&] {
        return Count(m_strDbName,
                     QStringLiteral(
                         "Select Count(*) as Nums From VIEW_DEV_ALARM_OUT Where I_NUM = %1 AND S_ID in "
                         "(Select S_ID From TAB_OBJ Where S_PARENT_ID = :hid)")
                         .arg(num(_iNum)),
                     Binds{{":hid", _strHostID}}) > 0;
    });
}
