// One implementation for the alarm inputs and outputs of hosts: TAB_OBJ plus a type table
// (TAB_DEV_ALARM_IN or TAB_DEV_ALARM_OUT), read through its view. The public DAO classes keep
// their names and texts and forward here.
#ifndef ALARMPOINTDAO_H
#define ALARMPOINTDAO_H

#include "AuthorityTypeList.h"
#include "CLS_AlarmInEntity.h"
#include "CLS_AlarmOutEntity.h"
#include "DeviceDaoSupport.h"
#include "ObjectRemoval.h"

#include <QByteArray>

namespace DeviceDao {

/// The names that tell the two kinds apart.
struct AlarmPointNames
{
    const char* pszClass;  ///< log prefix, "CLS_AlarmInEntityDAO"
    const char* pszNoun;   ///< operation suffix, "AlarmIn"
    const char* pszTable;  ///< "TAB_DEV_ALARM_IN"
    const char* pszView;   ///< "VIEW_DEV_ALARM_IN"
    const char* pszBind;   ///< bind name stem, "alarmIn"
    int iObjType;          ///< 6 or 7
    bool bDefence;         ///< the type table has I_ENABLE_DEFENCE
};

inline int DefenceOf(const CLS_AlarmInEntity& _e)
{
    return _e.I_ENABLE_DEFENCE;
}
inline int DefenceOf(const CLS_AlarmOutEntity&)
{
    return 1;
}
inline void SetDefence(CLS_AlarmInEntity& _e, int _iState)
{
    _e.I_ENABLE_DEFENCE = _iState;
}
inline void SetDefence(CLS_AlarmOutEntity&, int) {}

template <typename E>
class AlarmPointDAO
{
public:
    AlarmPointDAO(const QString& _strDbName, const AlarmPointNames& _names)
        : m_strDbName(_strDbName),
          m_names(_names),
          m_authorityTypes(_strDbName, QStringLiteral("SELECT I_AUTHORITY_TYPE_ID FROM TAB_OBJ_TYPE_AUTHORITY_TYPE "
                                                      "WHERE I_OBJ_TYPE_ID = %1")
                                           .arg(_names.iObjType))
    {
    }

    QStringList AuthorityTypes() const { return m_authorityTypes.Held(); }

    int Insert(const QVector<const E*>& _vecPoints, const char* _pszVerb, bool _bBatch)
    {
        const QByteArray op = Op(_pszVerb, _bBatch);
        return Guarded(op.constData(), -1, [&] {
            if (_vecPoints.isEmpty()) {
                return 0;
            }
            const QStringList lstTypes = m_authorityTypes.Get(op.constData());
            if (lstTypes.isEmpty()) {
                return -1;
            }
            QList<QString> lstSql;
            QList<Binds> lstBinds;
            for (const E* pPoint : _vecPoints) {
                AppendInsert(*pPoint, lstTypes, lstSql, lstBinds);
            }
            return CLS_BaseEntityDAO::ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
        });
    }

    int Update(const QVector<const E*>& _vecPoints, bool _bBatch)
    {
        return Guarded(Op("Update", _bBatch).constData(), -1, [&] {
            QList<QString> lstSql;
            QList<Binds> lstBinds;
            for (const E* pPoint : _vecPoints) {
                // A single update writes the object row first, a batch the type row.
                if (!_bBatch) {
                    AppendObjectUpdate(*pPoint, lstSql, lstBinds);
                }
                AppendTypeUpdate(*pPoint, lstSql, lstBinds);
                if (_bBatch) {
                    AppendObjectUpdate(*pPoint, lstSql, lstBinds);
                }
            }
            return lstSql.isEmpty() ? 0 : CLS_BaseEntityDAO::ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
        });
    }

    /// Three transactions in turn (type rows, object rows, rights); the first negative result
    /// ends the sequence.
    int Delete(const QStringList& _lstIDs)
    {
        return Guarded(Op("Delete", true).constData(), -1, [&] {
            if (_lstIDs.isEmpty()) {
                return 0;
            }
            const QString strSteps[] = {QStringLiteral("Delete From %1 Where S_ID= :id").arg(m_names.pszTable),
                                        QStringLiteral("Delete From TAB_OBJ Where S_ID= :id"),
                                        QStringLiteral("Delete From TAB_OBJ_ROLE_AUTHORITY Where S_OBJ_ID= :id")};
            int iRet = 0;
            for (const QString& strSql : strSteps) {
                QList<QString> lstSql;
                QList<Binds> lstBinds;
                if (&strSql == strSteps) {  // custom-tree nodes and linkage rules go with the first step
                    AppendDependentRemoval(_lstIDs, lstSql, lstBinds);
                }
                for (const QString& strID : _lstIDs) {
                    lstSql << strSql;
                    lstBinds << Binds{{":id", strID}};
                }
                iRet = CLS_BaseEntityDAO::ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
                if (iRet < 0) {
                    return iRet;
                }
            }
            return iRet;
        });
    }

    static void Load(const Row& _row, E& _e)
    {
        _e.S_ID = Text(_row, "S_ID");
        _e.I_NUM = Int(_row, "I_NUM");
        _e.S_DESCRIPTION = Text(_row, "S_DESCRIPTION");
        _e.S_CAPTION = Text(_row, "S_CAPTION");
        _e.S_PARENT_ID = Text(_row, "S_PARENT_ID");
        SetDefence(_e, Int(_row, "I_ENABLE_DEFENCE"));
    }

    int GetAll(QVector<E*>& _vecPoints, void (*_load)(const Row&, E&))
    {
        return Guarded(Op("GetAll", true).constData(), -1, [&] {
            const QString strDefence = m_names.bDefence ? QStringLiteral(", I_ENABLE_DEFENCE") : QString();
            return ReadEntities(CLS_BaseEntityDAO::ExecuteQuery(
                                    m_strDbName, QStringLiteral("SELECT S_ID, I_NUM, S_DESCRIPTION,S_CAPTION,"
                                                                "S_PARENT_ID%1 FROM %2 ORDER BY I_NUM")
                                                     .arg(strDefence, m_names.pszView)),
                                _vecPoints, _load);
        });
    }

    int CountOfHost(const QString& _strHostID)
    {
        return Guarded(Op("Get", false, "CountOfHost").constData(), -1, [&] {
            return Count(m_strDbName,
                         QStringLiteral("SELECT COUNT(*) FROM %1 WHERE S_ID in (SELECT S_ID FROM TAB_OBJ "
                                        "WHERE S_PARENT_ID =:hid )")
                             .arg(m_names.pszView),
                         Binds{{":hid", _strHostID}});
        });
    }

    int Counts(QMap<QString, int>& _mapCounts)
    {
        return Guarded(Op("Get", false, "Counts").constData(), -1, [&] {
            return ParentCounts(
                m_strDbName,
                QStringLiteral("SELECT S_PARENT_ID, COUNT(*) S_COUNT FROM %1 GROUP BY S_PARENT_ID").arg(m_names.pszView),
                _mapCounts);
        });
    }

    bool IsNumExist(const QString& _strHostID, int _iNum)
    {
        return Guarded(Op("Is", false, "NumExist").constData(), false, [&] {
            return Count(m_strDbName,
                         QStringLiteral("Select Count(*) as Nums From %1 Where I_NUM = %2 AND S_ID in "
                                        "(Select S_ID From TAB_OBJ Where S_PARENT_ID = :hid)")
                             .arg(m_names.pszView)
                             .arg(_iNum),
                         Binds{{":hid", _strHostID}}) > 0;
        });
    }

private:
    /// "CLS_AlarmInEntityDAO::InsertAlarmIns" and the like.
    QByteArray Op(const char* _pszVerb, bool _bPlural, const char* _pszTail = "") const
    {
        return QByteArray(m_names.pszClass) + "::" + _pszVerb + m_names.pszNoun + (_bPlural ? "s" : "") + _pszTail;
    }
    QString Bind(const char* _pszField) const { return QStringLiteral(":%1%2").arg(m_names.pszBind, _pszField); }

    void AppendInsert(const E& _e, const QStringList& _lstTypes, QList<QString>& _lstSql,
                      QList<Binds>& _lstBinds) const
    {
        const QString strId = Bind("ID");
        _lstSql << QStringLiteral(
                       "Insert Into TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, I_VISIBLE) Values "
                       "(%1, %2, %3, %4, 1)")
                       .arg(strId, Bind("HostID"))
                       .arg(_e.I_OBJ_TYPE_ID)
                       .arg(Bind("Name"));
        _lstBinds << Binds{{strId, _e.S_ID}, {Bind("HostID"), _e.S_PARENT_ID}, {Bind("Name"), _e.S_CAPTION}};

        if (m_names.bDefence) {
            _lstSql << QStringLiteral("Insert Into %1(S_ID, I_NUM, S_DESCRIPTION, I_ENABLE_DEFENCE) Values "
                                      "(%2, %3, %4, %5)")
                           .arg(m_names.pszTable, strId)
                           .arg(_e.I_NUM)
                           .arg(Bind("Memo"))
                           .arg(DefenceOf(_e));
        } else {
            _lstSql << QStringLiteral("Insert Into %1(S_ID, I_NUM, S_DESCRIPTION) Values (%2, %3, %4)")
                           .arg(m_names.pszTable, strId)
                           .arg(_e.I_NUM)
                           .arg(Bind("Memo"));
        }
        _lstBinds << Binds{{strId, _e.S_ID}, {Bind("Memo"), _e.S_DESCRIPTION}};

        for (const QString& strType : _lstTypes) {
            _lstSql << QStringLiteral(
                           "Insert Into TAB_OBJ_ROLE_AUTHORITY(S_OBJ_ID, S_ROLE_ID, I_AUTHORITY_TYPE_ID, "
                           "I_STATUS) Values (%1, 'admin_role', %2, 1)")
                           .arg(strId)
                           .arg(strType.toInt());
            _lstBinds << Binds{{strId, _e.S_ID}};
        }
    }

    void AppendObjectUpdate(const E& _e, QList<QString>& _lstSql, QList<Binds>& _lstBinds) const
    {
        _lstSql << QStringLiteral("Update TAB_OBJ Set S_CAPTION = %1 Where S_ID = %2").arg(Bind("Name"), Bind("ID"));
        _lstBinds << Binds{{Bind("ID"), _e.S_ID}, {Bind("Name"), _e.S_CAPTION}};
    }

    void AppendTypeUpdate(const E& _e, QList<QString>& _lstSql, QList<Binds>& _lstBinds) const
    {
        _lstSql << QStringLiteral("Update %1 Set I_NUM = %2, S_DESCRIPTION = %3 Where S_ID = %4")
                       .arg(m_names.pszTable)
                       .arg(_e.I_NUM)
                       .arg(Bind("Memo"), Bind("ID"));
        _lstBinds << Binds{{Bind("ID"), _e.S_ID}, {Bind("Memo"), _e.S_DESCRIPTION}};
    }

    const QString m_strDbName;
    const AlarmPointNames& m_names;
    AuthorityTypeList m_authorityTypes;
};

/// The non-null entries of _vecPoints.
template <typename E>
QVector<const E*> NonNull(const QVector<E*>& _vecPoints)
{
    QVector<const E*> vec;
    for (const E* p : _vecPoints) {
        if (p != nullptr) {
            vec.append(p);
        }
    }
    return vec;
}

}  // namespace DeviceDao

#endif  // ALARMPOINTDAO_H
