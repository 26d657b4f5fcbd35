#include "ObjectRemoval.h"

#include "DataBase/EntityDao/Alarm/CLS_AlarmActionEntityDAO.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

namespace DeviceDao {

namespace {

constexpr int kIdsPerStatement = 500;  // well below SQLite's bound-variable limit

typedef QMap<QString, QVariant> Binds;

// One "DELETE FROM table WHERE column IN (...)" per slice of ids, every id bound.
class Deleter
{
public:
    Deleter(const QStringList& _lstIDs, QList<QString>& _lstSql, QList<Binds>& _lstBinds)
        : m_lstIDs(_lstIDs), m_lstSql(_lstSql), m_lstBinds(_lstBinds)
    {
    }
    void operator()(const char* _pszTable, const char* _pszColumn) const
    {
        for (int iFirst = 0; iFirst < m_lstIDs.size(); iFirst += kIdsPerStatement) {
            QStringList lstNames;
            Binds binds;
            for (int i = iFirst; i < m_lstIDs.size() && i < iFirst + kIdsPerStatement; ++i) {
                const QString strName = QStringLiteral(":id%1").arg(i - iFirst);
                lstNames << strName;
                binds.insert(strName, m_lstIDs[i]);
            }
            m_lstSql << QStringLiteral("DELETE FROM %1 WHERE %2 IN (%3)")
                            .arg(QLatin1String(_pszTable), QLatin1String(_pszColumn), lstNames.join(','));
            m_lstBinds << binds;
        }
    }

private:
    const QStringList& m_lstIDs;
    QList<QString>& m_lstSql;
    QList<Binds>& m_lstBinds;
};

}  // namespace

void AppendDependentRemoval(const QStringList& _lstIDs, QList<QString>& _lstSql, QList<Binds>& _lstBinds)
{
    const Deleter remove(_lstIDs, _lstSql, _lstBinds);
    remove("TAB_USER_OBJ", "S_OBJ_ID");  // every user's custom-tree nodes of the objects
    CLS_AlarmActionEntityDAO::AppendDeleteOfObjects(_lstIDs, QString(), _lstSql, _lstBinds);
}

void AppendReferenceRemoval(const QStringList& _lstIDs, QList<QString>& _lstSql, QList<Binds>& _lstBinds)
{
    const Deleter remove(_lstIDs, _lstSql, _lstBinds);
    remove("TAB_OBJ_ROLE_AUTHORITY", "S_OBJ_ID");
    AppendDependentRemoval(_lstIDs, _lstSql, _lstBinds);
}

void AppendDeviceObjectRemoval(const QStringList& _lstIDs, QList<QString>& _lstSql, QList<Binds>& _lstBinds)
{
    const Deleter remove(_lstIDs, _lstSql, _lstBinds);
    remove("TAB_CHANNEL", "S_ID");
    remove("TAB_DEV_CAMERA", "S_ID");
    remove("TAB_DEV_ALARM_IN", "S_ID");
    remove("TAB_DEV_ALARM_OUT", "S_ID");
    remove("TAB_DEV_ENCODE_IN", "S_ID");
    remove("TAB_HOST", "S_ID");
    remove("TAB_DEV_VIDEO_HOST", "S_ID");
    AppendReferenceRemoval(_lstIDs, _lstSql, _lstBinds);
    remove("TAB_OBJ", "S_ID");
}

int DeleteDeviceObjects(const QString& _strDbName, const QStringList& _lstIDs)
{
    if (_lstIDs.isEmpty()) {
        return 0;
    }
    QList<QString> lstSql;
    QList<Binds> lstBinds;
    AppendDeviceObjectRemoval(_lstIDs, lstSql, lstBinds);
    return CLS_BaseEntityDAO::ExecuteTransactionEx(_strDbName, lstSql, lstBinds);
}

}  // namespace DeviceDao
