#include "CLS_AlarmActionEntityDAO.h"

#include "DataBase/EntityDao/HostConfig/DeviceDaoSupport.h"

using namespace DeviceDao;

const char* const CLS_AlarmActionEntityDAO::kTable = "TAB_OBJ_ALARM_ACTION";

namespace {

// ":itemID_0,:itemID_1,..." bound to the ids, and the ":id" user bind.
QString sourcePlaceholders(const QStringList& _lstIDs, const QString& _strUserID, Binds& _binds)
{
    QStringList lstNames;
    for (int i = 0; i < _lstIDs.size(); ++i) {
        const QString strName = QStringLiteral(":itemID_%1").arg(i);
        lstNames.append(strName);
        _binds.insert(strName, _lstIDs.at(i));
    }
    _binds.insert(QStringLiteral(":id"), _strUserID);
    return lstNames.join(',');
}

QString pairsDeleteSql(const QString& _strUserID, const CLS_AlarmActionEntityDAO::SourceAlarmPairs& _lstPairs,
                       Binds& _binds)
{
    QStringList lstSources;
    QStringList lstAlarms;
    for (const auto& pair : _lstPairs) {
        lstSources.append(pair.first);
        lstAlarms.append(CLS_BaseEntityDAO::IntToString(pair.second));
    }
    return "DELETE FROM TAB_OBJ_ALARM_ACTION WHERE S_SRC_OBJ_ID in (" +
           sourcePlaceholders(lstSources, _strUserID, _binds) + ") AND S_USER_ID = :id" +
           " AND I_ADAPTER_ALARM_ID in (" + lstAlarms.join(',') + ")";
}

}  // namespace

CLS_AlarmActionEntityDAO* CLS_AlarmActionEntityDAO::GetInstance()
{
    static CLS_AlarmActionEntityDAO* const s_pInstance = new CLS_AlarmActionEntityDAO();
    return s_pInstance;
}

int CLS_AlarmActionEntityDAO::StartGetAlarmLinkInfo(const QString& _strUserID,
                                                    QVector<CLS_AlarmActionEntity*>& _vecOut)
{
    QString strSysId;
    if (GetSysId(strSysId) != 0) {
        return -1;
    }
    const QString strSql =
        "SELECT A.S_ID, A.S_SRC_OBJ_ID, A.I_ADAPTER_ALARM_ID, A.I_ENABLE, A.S_DES_OBJ_ID, A.I_ACTION_TYPE_ID, "
        "A.S_PARAM, A.I_CTRL_WITHDRAW_DEFENCE                   FROM TAB_OBJ_ALARM_ACTION A";
    const QString strWhere = QStringLiteral(" WHERE A.S_USER_ID = :id");
    RecordSet* pRecSet = PartitionExecuteQueryEx(m_strDbName, strSql + strWhere, strWhere, kTable, strSysId,
                                                 strSysId, -1, -1, QString(), {{":id", _strUserID}});
    if (pRecSet == nullptr) {
        DL_LOG(2, "[CLS_AlarmActionEntityDAO::StartGetAlarmLinkInfo]pRecSet == nullptr");
        return -1;
    }
    const Rows owner(pRecSet);
    return LoadData(pRecSet, _vecOut);
}

int CLS_AlarmActionEntityDAO::LoadData(const RecordSet* _pRecSet, QVector<CLS_AlarmActionEntity*>& _vecOut)
{
    if (_pRecSet == nullptr) {
        DL_LOG(3, "[CLS_AlarmActionEntityDAO::LoadData]_pRecSet == nullptr");
        return -1;
    }
    for (const Row* pRow : *_pRecSet) {
        if (pRow == nullptr) {
            continue;
        }
        auto* pEntity = new CLS_AlarmActionEntity();
        pEntity->S_ID = Text(*pRow, "S_ID");
        pEntity->S_SRC_OBJ_ID = Text(*pRow, "S_SRC_OBJ_ID");
        pEntity->I_ADAPTER_ALARM_ID = Int(*pRow, "I_ADAPTER_ALARM_ID");
        pEntity->I_ENABLE = Int(*pRow, "I_ENABLE");
        pEntity->S_DES_OBJ_ID = Text(*pRow, "S_DES_OBJ_ID");
        pEntity->I_ACTION_TYPE_ID = Int(*pRow, "I_ACTION_TYPE_ID");
        pEntity->S_PARAM = Text(*pRow, "S_PARAM");
        pEntity->I_CTRL_WITHDRAW_DEFENCE = Int(*pRow, "I_CTRL_WITHDRAW_DEFENCE");
        _vecOut.append(pEntity);
    }
    return 0;
}

int CLS_AlarmActionEntityDAO::DeleteAlarmLinkInfo(const QString& _strUserID, const SourceAlarmPairs& _lstPairs)
{
    if (_lstPairs.isEmpty()) {
        return 0;
    }
    QString strSysId;
    if (GetSysId(strSysId) != 0) {
        return -1;
    }
    Binds binds;
    const QString strSql = pairsDeleteSql(_strUserID, _lstPairs, binds);
    return PartitionExecuteEx(m_strDbName, strSql, kTable, strSysId, binds);
}

int CLS_AlarmActionEntityDAO::DeleteAlarmLinkInfoBySource(const QString& _strUserID,
                                                          const QStringList& _lstSourceIDs)
{
    if (_lstSourceIDs.isEmpty()) {
        return 0;
    }
    QString strSysId;
    if (GetSysId(strSysId) != 0) {
        return -1;
    }
    Binds binds;
    const QString strSql = "DELETE FROM TAB_OBJ_ALARM_ACTION WHERE S_SRC_OBJ_ID in (" +
                           sourcePlaceholders(_lstSourceIDs, _strUserID, binds) + ") AND S_USER_ID = :id";
    return PartitionExecuteEx(m_strDbName, strSql, kTable, strSysId, binds);
}

void CLS_AlarmActionEntityDAO::QueueDeleteAlarmLinkInfo(const QString& _strUserID,
                                                        const SourceAlarmPairs& _lstPairs)
{
    if (_lstPairs.isEmpty()) {
        return;
    }
    Binds binds;
    m_lstSql.append(pairsDeleteSql(_strUserID, _lstPairs, binds));
    m_lstBinds.append(binds);
}

void CLS_AlarmActionEntityDAO::QueueAlarmLinkInfo(const QString& _strUserID,
                                                  const QVector<CLS_AlarmActionEntity*>& _vecEntities)
{
    for (const CLS_AlarmActionEntity* pEntity : _vecEntities) {
        if (pEntity == nullptr) {
            continue;
        }
        const QString strN = IntToString(m_lstSql.size());
        const QString strSql =
            "INSERT INTO  TAB_OBJ_ALARM_ACTION(S_ID, S_SRC_OBJ_ID, I_ADAPTER_ALARM_ID, I_ENABLE, S_DES_OBJ_ID, "
            "I_ACTION_TYPE_ID, S_PARAM, S_USER_ID, I_CTRL_WITHDRAW_DEFENCE) VALUES " +
            QStringLiteral("(:id_%1,:srcItemID_%1,%2,%3,:desItemID_%1,%4,:Param_%1,:uid,:CtrlWithDrawDefence)")
                .arg(strN, IntToString(pEntity->I_ADAPTER_ALARM_ID), IntToString(pEntity->I_ENABLE),
                     IntToString(pEntity->I_ACTION_TYPE_ID));
        Binds binds{{":id_" + strN, pEntity->S_ID},
                    {":srcItemID_" + strN, pEntity->S_SRC_OBJ_ID},
                    {":desItemID_" + strN, pEntity->S_DES_OBJ_ID},
                    {":Param_" + strN, pEntity->S_PARAM},
                    {":uid", _strUserID},
                    {":CtrlWithDrawDefence", pEntity->I_CTRL_WITHDRAW_DEFENCE}};
        m_lstSql.append(strSql);
        m_lstBinds.append(binds);
    }
}

int CLS_AlarmActionEntityDAO::InsertAlarmLinkInfoByTransaction()
{
    const QList<QString> lstSql = m_lstSql;
    const QList<Binds> lstBinds = m_lstBinds;
    m_lstSql.clear();
    m_lstBinds.clear();
    if (lstSql.size() != lstBinds.size()) {
        DL_LOG(2, "InsertAlarmLinkInfoByTransaction sqlsize:%d != bindvalue size:%d.", int(lstSql.size()),
               int(lstBinds.size()));
        return -1;
    }
    QString strSysId;
    if (GetSysId(strSysId) != 0) {
        return -1;
    }
    if (lstSql.isEmpty()) {
        return 0;
    }
    // The transaction form keys statements by their text and runs them in text order
    // (":id_10" before ":id_2"): a leading comment with the queue position keeps the queue's
    // order, and so the order the rules load in.
    QMap<QString, Binds> mapStatements;
    for (int i = 0; i < lstSql.size(); ++i) {
        mapStatements.insert(QString("/*%1*/ ").arg(i, 8, 10, QLatin1Char('0')) + lstSql.at(i),
                             lstBinds.at(i));
    }
    return PartitionExecuteTransactionEx(m_strDbName, kTable, {{strSysId, mapStatements}});
}

void CLS_AlarmActionEntityDAO::AppendDeleteOfObjects(const QStringList& _lstObjIDs, const QString& _strParentID,
                                                     QList<QString>& _lstSql, QList<Binds>& _lstBinds)
{
    if (_lstObjIDs.isEmpty() && _strParentID.isEmpty()) {
        return;
    }
    QStringList lstTables{QLatin1String(kTable)};
    QString strSysId;
    if (GetSysId(strSysId) == 0) {
        // Made here when missing, so that the deletion needs no round trip to ask for it and
        // cannot fail for want of it.
        const QString strTable = QLatin1String(kTable) + strSysId;
        _lstSql.append(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 AS SELECT * FROM %2").arg(strTable, kTable));
        _lstBinds.append(Binds());
        lstTables.append(strTable);
    }
    Binds binds;
    QStringList lstConditions;
    if (!_lstObjIDs.isEmpty()) {
        QStringList lstNames;
        for (int i = 0; i < _lstObjIDs.size(); ++i) {
            lstNames.append(QStringLiteral(":linkSrc_%1").arg(i));
            binds.insert(lstNames.last(), _lstObjIDs.at(i));
        }
        lstConditions.append("S_SRC_OBJ_ID IN (" + lstNames.join(',') + ")");
    }
    if (!_strParentID.isEmpty()) {
        lstConditions.append(
            QStringLiteral("S_SRC_OBJ_ID IN (SELECT S_ID FROM TAB_OBJ WHERE S_PARENT_ID = :linkParent)"));
        binds.insert(QStringLiteral(":linkParent"), _strParentID);
    }
    for (const QString& strTable : lstTables) {
        _lstSql.append(QStringLiteral("DELETE FROM %1 WHERE ").arg(strTable) + lstConditions.join(" OR "));
        _lstBinds.append(binds);
    }
}
