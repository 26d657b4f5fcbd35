#include "CLS_AlarmInEntityDAO.h"

#include "DeviceDaoSupport.h"
#include "DataBase/EntityDao/Alarm/CLS_AlarmActionEntityDAO.h"

using namespace DeviceDao;

namespace {

QString num(int _iValue)
{
    return CLS_BaseEntityDAO::IntToString(_iValue);
}

void appendObjectUpdate(const CLS_AlarmInEntity& e, QList<QString>& _lstSql, QList<Binds>& _lstBinds)
{
    _lstSql << QStringLiteral("Update TAB_OBJ Set S_CAPTION = :alarmInName Where S_ID = :alarmInID");
    _lstBinds << Binds{{":alarmInID", e.S_ID}, {":alarmInName", e.S_CAPTION}};
}

void appendTypeUpdate(const CLS_AlarmInEntity& e, QList<QString>& _lstSql, QList<Binds>& _lstBinds)
{
    _lstSql
        << QStringLiteral(
               "Update TAB_DEV_ALARM_IN Set I_NUM = %1, S_DESCRIPTION = :alarmInMemo Where S_ID = :alarmInID")
               .arg(num(e.I_NUM));
    _lstBinds << Binds{{":alarmInID", e.S_ID}, {":alarmInMemo", e.S_DESCRIPTION}};
}

}  // namespace

CLS_AlarmInEntityDAO* CLS_AlarmInEntityDAO::GetInstance()
{
    static CLS_AlarmInEntityDAO* s_pInstance = nullptr;
    if (s_pInstance == nullptr) {
        s_pInstance = new CLS_AlarmInEntityDAO();
    }
    return s_pInstance;
}

CLS_AlarmInEntityDAO::CLS_AlarmInEntityDAO()
{
    m_lstAuthorityTypes = LoadAuthorityTypes(
        m_strDbName,
        QStringLiteral(
            "SELECT I_AUTHORITY_TYPE_ID FROM TAB_OBJ_TYPE_AUTHORITY_TYPE WHERE I_OBJ_TYPE_ID = 6"));
}

CLS_AlarmInEntityDAO::~CLS_AlarmInEntityDAO() = default;

void CLS_AlarmInEntityDAO::AppendInsert(const CLS_AlarmInEntity& e, QList<QString>& _lstSql,
                                        QList<QMap<QString, QVariant>>& _lstBinds) const
{
    _lstSql << QStringLiteral(
                   "Insert Into TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, I_VISIBLE) Values "
                   "(:alarmInID, "
                   ":alarmInHostID, %1, :alarmInName, 1)")
                   .arg(num(e.I_OBJ_TYPE_ID));
    _lstBinds << Binds{
        {":alarmInID", e.S_ID}, {":alarmInHostID", e.S_PARENT_ID}, {":alarmInName", e.S_CAPTION}};

    _lstSql << QStringLiteral(
                   "Insert Into TAB_DEV_ALARM_IN(S_ID, I_NUM, S_DESCRIPTION, I_ENABLE_DEFENCE) Values "
                   "(:alarmInID, %1, "
                   ":alarmInMemo, %2)")
                   .arg(num(e.I_NUM), num(e.I_ENABLE_DEFENCE));
    _lstBinds << Binds{{":alarmInID", e.S_ID}, {":alarmInMemo", e.S_DESCRIPTION}};

    for (const QString& strType : m_lstAuthorityTypes) {
        _lstSql << QStringLiteral(
                       "Insert Into TAB_OBJ_ROLE_AUTHORITY(S_OBJ_ID, S_ROLE_ID, I_AUTHORITY_TYPE_ID, "
                       "I_STATUS) Values "
                       "(:alarmInID, 'admin_role', %1, 1)")
                       .arg(num(strType.toInt()));
        _lstBinds << Binds{{":alarmInID", e.S_ID}};
    }
}

int CLS_AlarmInEntityDAO::InsertAlarmIn(const CLS_AlarmInEntity& _alarmInEntity)
{
    return Guarded("CLS_AlarmInEntityDAO::InsertAlarmIn", -1, [&] {
        QList<QString> lstSql;
        QList<Binds> lstBinds;
        AppendInsert(_alarmInEntity, lstSql, lstBinds);
        return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

int CLS_AlarmInEntityDAO::InsertAlarmIns(const QVector<CLS_AlarmInEntity*>& _vecAlarmIns)
{
    return Guarded("CLS_AlarmInEntityDAO::InsertAlarmIns", -1, [&] {
        QList<QString> lstSql;
        QList<Binds> lstBinds;
        for (const CLS_AlarmInEntity* pAlarmIn : _vecAlarmIns) {
            if (pAlarmIn != nullptr) {
                AppendInsert(*pAlarmIn, lstSql, lstBinds);
            }
        }
        return lstSql.isEmpty() ? 0 : ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

int CLS_AlarmInEntityDAO::UpdateAlarmIn(const CLS_AlarmInEntity& _alarmInEntity)
{
    return Guarded("CLS_AlarmInEntityDAO::UpdateAlarmIn", -1, [&] {
        QList<QString> lstSql;
        QList<Binds> lstBinds;
        appendObjectUpdate(_alarmInEntity, lstSql, lstBinds);
        appendTypeUpdate(_alarmInEntity, lstSql, lstBinds);
        return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

int CLS_AlarmInEntityDAO::UpdateAlarmIns(const QVector<CLS_AlarmInEntity*>& _vecAlarmIns)
{
    return Guarded("CLS_AlarmInEntityDAO::UpdateAlarmIns", -1, [&] {
        QList<QString> lstSql;
        QList<Binds> lstBinds;
        for (const CLS_AlarmInEntity* pAlarmIn : _vecAlarmIns) {
            if (pAlarmIn != nullptr) {
                appendTypeUpdate(*pAlarmIn, lstSql, lstBinds);
                appendObjectUpdate(*pAlarmIn, lstSql, lstBinds);
            }
        }
        return lstSql.isEmpty() ? 0 : ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

int CLS_AlarmInEntityDAO::DeleteAlarmIns(const QStringList& _lstAlarmInIDs)
{
    return Guarded("CLS_AlarmInEntityDAO::DeleteAlarmIns", -1, [&] {
        if (_lstAlarmInIDs.isEmpty()) {
            return 0;
        }
        const QString strSteps[] = {QStringLiteral("Delete From TAB_DEV_ALARM_IN Where S_ID= :id"),
                                    QStringLiteral("Delete From TAB_OBJ Where S_ID= :id"),
                                    QStringLiteral("Delete From TAB_OBJ_ROLE_AUTHORITY Where S_OBJ_ID= :id")};
        int iRet = 0;
        for (const QString& strSql : strSteps) {
            QList<QString> lstSql;
            QList<Binds> lstBinds;
            if (&strSql == strSteps) {  // the linkage rules go with the first step
                CLS_AlarmActionEntityDAO::AppendDeleteOfObjects(_lstAlarmInIDs, QString(), lstSql, lstBinds);
            }
            for (const QString& strID : _lstAlarmInIDs) {
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

int CLS_AlarmInEntityDAO::SetAlarmInDefenceState(const QString& _strAlarmInID, int _iState)
{
    return Guarded("CLS_AlarmInEntityDAO::SetAlarmInDefenceState", -1, [&] {
        const int iRet =
            ExecuteEx(m_strDbName,
                      QStringLiteral("UPDATE TAB_DEV_ALARM_IN SET I_ENABLE_DEFENCE = %1 WHERE S_ID = :sid")
                          .arg(num(_iState)),
                      Binds{{":sid", _strAlarmInID}});
        return iRet == 0 ? 0 : -1;
    });
}

void CLS_AlarmInEntityDAO::LoadAlarmIn(const QMap<QString, QString>& _row, CLS_AlarmInEntity& e)
{
    e.S_ID = Text(_row, "S_ID");
    e.I_NUM = Int(_row, "I_NUM");
    e.S_DESCRIPTION = Text(_row, "S_DESCRIPTION");
    e.S_CAPTION = Text(_row, "S_CAPTION");
    e.S_PARENT_ID = Text(_row, "S_PARENT_ID");
    e.I_ENABLE_DEFENCE = Int(_row, "I_ENABLE_DEFENCE");
}

int CLS_AlarmInEntityDAO::GetAllAlarmIns(QVector<CLS_AlarmInEntity*>& _vecAlarmIns)
{
    return Guarded("CLS_AlarmInEntityDAO::GetAllAlarmIns", -1, [&] {
        return ReadEntities(
            ExecuteQuery(m_strDbName,
                         QStringLiteral("SELECT S_ID, I_NUM, S_DESCRIPTION,S_CAPTION,S_PARENT_ID, "
                                        "I_ENABLE_DEFENCE FROM VIEW_DEV_ALARM_IN ORDER BY I_NUM")),
            _vecAlarmIns, &CLS_AlarmInEntityDAO::LoadAlarmIn);
    });
}

int CLS_AlarmInEntityDAO::GetAlarmInCountOfHost(const QString& _strHostID)
{
    return Guarded("CLS_AlarmInEntityDAO::GetAlarmInCountOfHost", -1, [&] {
        return Count(
            m_strDbName,
            QStringLiteral("SELECT COUNT(*) FROM VIEW_DEV_ALARM_IN WHERE S_ID in (SELECT S_ID FROM TAB_OBJ "
                           "WHERE S_PARENT_ID =:hid )"),
            Binds{{":hid", _strHostID}});
    });
}

int CLS_AlarmInEntityDAO::GetAlarmInCounts(QMap<QString, int>& _mapCounts)
{
    return Guarded("CLS_AlarmInEntityDAO::GetAlarmInCounts", -1, [&] {
        return ParentCounts(
            m_strDbName,
            QStringLiteral(
                "SELECT S_PARENT_ID, COUNT(*) S_COUNT FROM VIEW_DEV_ALARM_IN GROUP BY S_PARENT_ID"),
            _mapCounts);
    });
}

bool CLS_AlarmInEntityDAO::IsAlarmInNumExist(const QString& _strHostID, int _iNum)
{
    return Guarded("CLS_AlarmInEntityDAO::IsAlarmInNumExist", false, [&] {
        return Count(m_strDbName,
                     QStringLiteral(
                         "Select Count(*) as Nums From VIEW_DEV_ALARM_IN Where I_NUM = %1 AND S_ID in "
                         "(Select S_ID From TAB_OBJ Where S_PARENT_ID = :hid)")
                         .arg(num(_iNum)),
                     Binds{{":hid", _strHostID}}) > 0;
    });
}
