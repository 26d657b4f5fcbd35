#include "CLS_ViewCruiseEntityDAO.h"

#include "DataBase/EntityDao/HostConfig/DeviceDaoSupport.h"

#include <QUuid>

using namespace DeviceDao;

namespace {

void loadEntry(const Row& _row, CLS_ViewCruiseEntity& e)
{
    e.S_ID = Text(_row, "S_ID");
    e.S_USER_ID = Text(_row, "S_USER_ID");
    e.S_VIEW_ID = Text(_row, "S_VIEW_ID");
    e.I_TIME = Int(_row, "I_TIME");
    e.I_SEQUENCE = Int(_row, "I_SEQUENCE");
    e.S_CAPTION = Text(_row, "S_CAPTION");
    e.I_TYPE = Int(_row, "I_TYPE");
}

}  // namespace

CLS_ViewCruiseEntityDAO* CLS_ViewCruiseEntityDAO::GetInstance()
{
    static CLS_ViewCruiseEntityDAO* const s_pInstance = new CLS_ViewCruiseEntityDAO();
    return s_pInstance;
}

int CLS_ViewCruiseEntityDAO::Insert(CLS_ViewCruiseEntity& _entry)
{
    return Guarded("CLS_ViewCruiseEntityDAO::Insert", -1, [&] {
        const Rows rows(ExecuteQuery(m_strDbName, QStringLiteral("SELECT MAX(I_SEQUENCE) FROM TAB_VIEW_CRUISE ")));
        if (rows.Failed()) {
            return -1;
        }
        // MAX over no rows is one NULL (empty) value.
        const Row* pRow = rows.First();
        const QString strMax = pRow != nullptr && !pRow->isEmpty() ? pRow->first() : QString();
        _entry.I_SEQUENCE = strMax.isEmpty() ? 1 : strMax.toInt() + 1;
        if (_entry.I_TIME < 0) {
            _entry.I_TIME = 10;
        }
        if (_entry.S_ID.isEmpty()) {
            _entry.S_ID = QUuid::createUuid().toString(QUuid::Id128);
        }
        return ExecuteEx(m_strDbName,
                         QStringLiteral("Insert Into TAB_VIEW_CRUISE (S_ID, S_USER_ID,S_VIEW_ID, I_TIME, I_SEQUENCE) "
                                        "Values (:id,:userid,:viewid,%1,%2)")
                             .arg(IntToString(_entry.I_TIME), IntToString(_entry.I_SEQUENCE)),
                         Binds{{":id", _entry.S_ID}, {":userid", _entry.S_USER_ID}, {":viewid", _entry.S_VIEW_ID}});
    });
}

int CLS_ViewCruiseEntityDAO::UpdateTime(const QString& _strID, int _iTime)
{
    return Guarded("CLS_ViewCruiseEntityDAO::UpdateTime", -1, [&] {
        return ExecuteEx(m_strDbName,
                         QStringLiteral("Update TAB_VIEW_CRUISE Set I_TIME=") + IntToString(_iTime) +
                             QStringLiteral(" Where S_ID =:id"),
                         Binds{{":id", _strID}});
    });
}

int CLS_ViewCruiseEntityDAO::UpdateSequence(const QString& _strID, int _iSequence)
{
    return Guarded("CLS_ViewCruiseEntityDAO::UpdateSequence", -1, [&] {
        return ExecuteEx(m_strDbName,
                         QStringLiteral("Update TAB_VIEW_CRUISE Set I_SEQUENCE=") + IntToString(_iSequence) +
                             QStringLiteral(" Where S_ID =:id"),
                         Binds{{":id", _strID}});
    });
}

int CLS_ViewCruiseEntityDAO::Delete(const QString& _strID)
{
    return Guarded("CLS_ViewCruiseEntityDAO::Delete", -1, [&] {
        return ExecuteEx(m_strDbName, QStringLiteral("Delete From TAB_VIEW_CRUISE Where S_ID=:id"),
                         Binds{{":id", _strID}});
    });
}

int CLS_ViewCruiseEntityDAO::GetByType(const QString& _strUserID, int _iViewType, const QString* _pLayoutID,
                                       QVector<CLS_ViewCruiseEntity*>& _vecEntries)
{
    return Guarded("CLS_ViewCruiseEntityDAO::GetByType", -1, [&] {
        QString strSql = QStringLiteral(
            "SELECT TAB_VIEW_CRUISE.S_ID,TAB_VIEW_CRUISE.S_USER_ID,TAB_VIEW_CRUISE.S_VIEW_ID,TAB_VIEW_CRUISE.I_TIME,"
            "TAB_VIEW_CRUISE.I_SEQUENCE,TAB_VIEW.S_CAPTION,TAB_VIEW.I_TYPE "
            "FROM TAB_VIEW_CRUISE "
            "LEFT JOIN TAB_VIEW ON TAB_VIEW.S_ID = TAB_VIEW_CRUISE.S_VIEW_ID ");
        Binds binds{{":id", _strUserID}};
        if (_pLayoutID != nullptr) {
            strSql += QStringLiteral(
                "LEFT JOIN TAB_LAYOUT_VIEW ON TAB_LAYOUT_VIEW.S_VIEW_ID = TAB_VIEW_CRUISE.S_VIEW_ID ");
        }
        strSql += QStringLiteral("WHERE S_USER_ID = :id AND I_TYPE =") + IntToString(_iViewType);
        if (_pLayoutID != nullptr) {
            strSql += QStringLiteral(" AND TAB_LAYOUT_VIEW.S_LAYOUT_ID = :LayOutId");
            binds.insert(QStringLiteral(":LayOutId"), *_pLayoutID);
        }
        strSql += QStringLiteral(" order by TAB_VIEW_CRUISE.I_SEQUENCE asc");
        return ReadEntities(ExecuteQueryEx(m_strDbName, strSql, binds), _vecEntries, &loadEntry);
    });
}

bool CLS_ViewCruiseEntityDAO::IsViewInCruise(const QString& _strViewID)
{
    return Guarded("CLS_ViewCruiseEntityDAO::IsViewInCruise", false, [&] {
        return Count(m_strDbName, QStringLiteral("SELECT COUNT(*) FROM TAB_VIEW_CRUISE WHERE S_VIEW_ID = :id"),
                     Binds{{":id", _strViewID}}) > 0;
    });
}

// ---- group switching ----

CLS_GroupSwitchDAO* CLS_GroupSwitchDAO::GetInstance()
{
    static CLS_GroupSwitchDAO* const s_pInstance = new CLS_GroupSwitchDAO();
    return s_pInstance;
}

int CLS_GroupSwitchDAO::Insert(const QString& _strUserID, const QString& _strGroupID, int _iScreenStyle,
                               int _iSwitchTime)
{
    return Guarded("CLS_GroupSwitchDAO::Insert", -1, [&] {
        return ExecuteEx(m_strDbName,
                         QStringLiteral("Insert Into TAB_GROUP_SWITCH (S_GROUP_ID, I_SCREEN_STYLE,I_SWITCH_TIME,"
                                        "S_USER_ID) Values (:GroupId,:GroupScreenStyle,:SwitchTime,:UserId)"),
                         Binds{{":GroupId", _strGroupID},
                               {":GroupScreenStyle", _iScreenStyle},
                               {":SwitchTime", _iSwitchTime},
                               {":UserId", _strUserID}});
    });
}

int CLS_GroupSwitchDAO::Delete(const QString& _strGroupID)
{
    return Guarded("CLS_GroupSwitchDAO::Delete", -1, [&] {
        return ExecuteEx(m_strDbName, QStringLiteral("Delete From TAB_GROUP_SWITCH Where S_GROUP_ID=:id"),
                         Binds{{":id", _strGroupID}});
    });
}

int CLS_GroupSwitchDAO::UpdateScreenStyle(const QString& _strGroupID, int _iScreenStyle)
{
    return Guarded("CLS_GroupSwitchDAO::UpdateScreenStyle", -1, [&] {
        return ExecuteEx(m_strDbName,
                         QStringLiteral("Update TAB_GROUP_SWITCH Set I_SCREEN_STYLE=:screenStyle where S_GROUP_ID =:id"),
                         Binds{{":id", _strGroupID}, {":screenStyle", _iScreenStyle}});
    });
}

int CLS_GroupSwitchDAO::UpdateSwitchTime(const QString& _strUserID, int _iSwitchTime)
{
    return Guarded("CLS_GroupSwitchDAO::UpdateSwitchTime", -1, [&] {
        return ExecuteEx(m_strDbName,
                         QStringLiteral("Update TAB_GROUP_SWITCH Set I_SWITCH_TIME=:switchTime where S_USER_ID =:userId"),
                         Binds{{":userId", _strUserID}, {":switchTime", _iSwitchTime}});
    });
}

int CLS_GroupSwitchDAO::GetAll(const QString& _strUserID, QVector<CLS_GroupSwitchEntity>& _vecGroups)
{
    return Guarded("CLS_GroupSwitchDAO::GetAll", -1, [&] {
        const Rows rows(ExecuteQueryEx(
            m_strDbName,
            QStringLiteral("SELECT * FROM (SELECT DISTINCT TAB_GROUP_SWITCH.S_USER_ID, TAB_GROUP_SWITCH.S_GROUP_ID, "
                           "TAB_USER_OBJ.S_CAPTION AS S_GROUP_NAME, TAB_GROUP_SWITCH.I_SCREEN_STYLE, "
                           "TAB_GROUP_SWITCH.I_SWITCH_TIME FROM TAB_GROUP_SWITCH "
                           "LEFT JOIN TAB_USER_OBJ ON TAB_GROUP_SWITCH.S_GROUP_ID = TAB_USER_OBJ.S_ID) "
                           "WHERE S_USER_ID =:userId"),
            Binds{{":userId", _strUserID}}));
        if (rows.Failed()) {
            return -1;
        }
        for (const Row* pRow : rows) {
            if (pRow == nullptr) {
                continue;
            }
            CLS_GroupSwitchEntity e;
            e.S_GROUP_ID = Text(*pRow, "S_GROUP_ID");
            e.S_USER_ID = Text(*pRow, "S_USER_ID");
            e.S_GROUP_NAME = Text(*pRow, "S_GROUP_NAME");
            e.I_SCREEN_STYLE = Int(*pRow, "I_SCREEN_STYLE");
            e.I_SWITCH_TIME = Int(*pRow, "I_SWITCH_TIME");
            _vecGroups.append(e);
        }
        return 0;
    });
}

bool CLS_GroupSwitchDAO::IsExist(const QString& _strGroupID)
{
    return Guarded("CLS_GroupSwitchDAO::IsExist", false, [&] {
        return Count(m_strDbName, QStringLiteral("SELECT COUNT(*) FROM TAB_GROUP_SWITCH WHERE S_GROUP_ID =:GroupId"),
                     Binds{{":GroupId", _strGroupID}}) > 0;
    });
}

int CLS_GroupSwitchDAO::GetSwitchTime(const QString& _strUserID)
{
    return Guarded("CLS_GroupSwitchDAO::GetSwitchTime", -1, [&] {
        const Rows rows(ExecuteQueryEx(m_strDbName,
                                       QStringLiteral("SELECT I_SWITCH_TIME FROM TAB_GROUP_SWITCH WHERE S_USER_ID =:userId"),
                                       Binds{{":userId", _strUserID}}));
        if (rows.Failed()) {
            return -1;
        }
        return rows.First() != nullptr ? Int(*rows.First(), "I_SWITCH_TIME") : 0;
    });
}
