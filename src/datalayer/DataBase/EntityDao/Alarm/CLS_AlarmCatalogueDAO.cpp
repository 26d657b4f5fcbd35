#include "CLS_AlarmCatalogueDAO.h"

#include "DataBase/EntityDao/HostConfig/DeviceDaoSupport.h"

using namespace DeviceDao;

namespace {

template <typename T>
T* singleton()
{
    static T* const s_pInstance = new T();
    return s_pInstance;
}

bool Flag(const Row& _row, const char* _pszColumn)
{
    return Int(_row, _pszColumn) != 0;
}

// Appends one new entity per row, filled by _fill; -1 for a null record set.
template <typename E, typename F>
int LoadEach(const RecordSet* _pRecSet, QList<E*>& _lstOut, F&& _fill)
{
    if (_pRecSet == nullptr) {
        return -1;
    }
    for (const Row* pRow : *_pRecSet) {
        if (pRow != nullptr) {
            auto* pEntity = new E();
            _fill(*pRow, *pEntity);
            _lstOut.append(pEntity);
        }
    }
    return 0;
}

// Runs an unbound catalogue query and loads its rows; -1 for no record set.
template <typename L>
int ReadCatalogue(const QString& _strDbName, const char* _pszSql, L&& _load)
{
    RecordSet* pRecSet = CLS_BaseEntityDAO::ExecuteQuery(_strDbName, QLatin1String(_pszSql));
    if (pRecSet == nullptr) {
        DL_LOG(2, "pRecSet == nullptr");
        return -1;
    }
    const Rows owner(pRecSet);
    return _load(pRecSet);
}

}  // namespace

CLS_AlarmLevelEntityDAO* CLS_AlarmLevelEntityDAO::GetInstance()
{
    struct Make : CLS_AlarmLevelEntityDAO {};
    return singleton<Make>();
}

int CLS_AlarmLevelEntityDAO::GetAllAlarmLevel(QList<CLS_AlarmLevelEntity*>& _lstOut)
{
    return ReadCatalogue(m_strDbName, "SELECT * FROM TAB_ALARM_LEVEL", [&](const RecordSet* _pRows) {
        return LoadEach(_pRows, _lstOut, [](const Row& _row, CLS_AlarmLevelEntity& e) {
            e.I_LEVEL = Int(_row, "I_LEVEL");
            e.S_CAPTION = Text(_row, "S_CAPTION");
        });
    });
}

CLS_AlarmMainTypeEntityDAO* CLS_AlarmMainTypeEntityDAO::GetInstance()
{
    struct Make : CLS_AlarmMainTypeEntityDAO {};
    return singleton<Make>();
}

int CLS_AlarmMainTypeEntityDAO::GetAllAlarmMainType(QList<CLS_AlarmMainTypeEntity*>& _lstOut)
{
    return ReadCatalogue(m_strDbName, "SELECT * FROM TAB_DD_MAIN_ALARM_TYPE",
                         [&](const RecordSet* _pRows) { return LoadData(_pRows, _lstOut); });
}

int CLS_AlarmMainTypeEntityDAO::LoadData(const RecordSet* _pRecSet, QList<CLS_AlarmMainTypeEntity*>& _lstOut)
{
    if (_pRecSet == nullptr) {
        DL_LOG(3, "[CLS_AlarmMainTypeEntityDAO::LoadData]_pRecSet == nullptr");
        return -1;
    }
    return LoadEach(_pRecSet, _lstOut, [](const Row& _row, CLS_AlarmMainTypeEntity& e) {
        e.I_ID = Int(_row, "I_ID");
        e.I_ROW_ID = Int(_row, "rowid");
        e.S_CAPTION = Text(_row, "S_CAPTION");
        e.I_HOST_TYPE_ID = Int(_row, "I_HOST_TYPE_ID");
        e.I_MAIN_ALARM_TYPE = Int(_row, "I_MAIN_ALARM_TYPE");
        e.I_HOST_ITEM_TYPE_ID = Int(_row, "I_HOST_ITEM_TYPE_ID");
        e.I_IS_GET_VCA_ALARM = Int(_row, "I_IS_GET_VCA_ALARM");
        e.I_IS_GET_FACE_ALARM = Int(_row, "I_IS_GET_FACE_ALARM");
        e.I_IS_GET_EXCEPT_ALARM = Int(_row, "I_IS_GET_EXCEPT_ALARM");
        e.I_IS_GET_UNIQUEALERT_ALARM = Int(_row, "I_IS_GET_UNIQUEALERT_ALARM");
    });
}

CLS_AlarmSubTypeEntityDAO* CLS_AlarmSubTypeEntityDAO::GetInstance()
{
    struct Make : CLS_AlarmSubTypeEntityDAO {};
    return singleton<Make>();
}

int CLS_AlarmSubTypeEntityDAO::GetAllAlarmSubType(QList<CLS_AlarmSubTypeEntity*>& _lstOut)
{
    return ReadCatalogue(m_strDbName, "SELECT * FROM TAB_DD_SUB_ALARM_TYPE",
                         [&](const RecordSet* _pRows) { return LoadData(_pRows, _lstOut); });
}

int CLS_AlarmSubTypeEntityDAO::LoadData(const RecordSet* _pRecSet, QList<CLS_AlarmSubTypeEntity*>& _lstOut)
{
    if (_pRecSet == nullptr) {
        DL_LOG(3, "[CLS_AlarmMainTypeEntityDAO::LoadData]_pRecSet == nullptr");
        return -1;
    }
    return LoadEach(_pRecSet, _lstOut, [](const Row& _row, CLS_AlarmSubTypeEntity& e) {
        e.I_ID = Int(_row, "I_ID");
        e.S_CAPTION = Text(_row, "S_CAPTION");
        e.I_SUB_ALARM_TYPE = Int(_row, "I_SUB_ALARM_TYPE");
        e.I_ADAPTER_ALARM_ID = Int(_row, "I_ADAPTER_ALARM_ID");
        e.I_MAIN_ALARM_TYPE_ID = Int(_row, "I_MAIN_ALARM_TYPE_ID");
        e.I_IS_DELAYCANCELALARM = Int(_row, "I_IS_DELAYCANCELALARM");
        e.I_IS_FILTERREPEATALARM = Int(_row, "I_IS_FILTERREPEATALARM");
    });
}

CLS_AlarmTypeEntityDAO* CLS_AlarmTypeEntityDAO::GetInstance()
{
    struct Make : CLS_AlarmTypeEntityDAO {};
    return singleton<Make>();
}

int CLS_AlarmTypeEntityDAO::GetAllAdapterAlarmInfo(const QString& _strLangType,
                                                   QVector<CLS_AdapterAlarmInfoEntity*>& _vecOut)
{
    const QString strSql =
        QStringLiteral("SELECT A.I_ID, A.I_IS_FILTERALARMING, A.I_IS_DEAL, B.I_LEVEL, C.S_CAPTION, "
                       "E.I_MAIN_ALARM_TYPE FROM TAB_DD_ADAPTER_ALARM_TYPE A, TAB_ALARM_TYPE_LEVEL B, "
                       "TAB_DD_LANG_DICTIONARY C, TAB_DD_SUB_ALARM_TYPE D, TAB_DD_MAIN_ALARM_TYPE E") +
        " WHERE A.I_ID = B.I_ALARM_TYPE" + " AND A.I_LANG_DICTIONARY_ID = C.I_ID" + " AND C.S_LANG_TYPE =" +
        " :LangType" + " AND A.I_ID = D.I_ADAPTER_ALARM_ID AND D.I_MAIN_ALARM_TYPE_ID = E.I_ID";
    RecordSet* pRecSet = ExecuteQueryEx(m_strDbName, strSql, {{":LangType", _strLangType}});
    if (pRecSet == nullptr) {
        DL_LOG(2, "[CLS_AlarmTypeEntityDAO::GetAllAdapterAlarmInfo]pRecSet == nullptr");
        return -1;
    }
    const Rows owner(pRecSet);
    return LoadAdapterAlarmInfo(pRecSet, _vecOut);
}

int CLS_AlarmTypeEntityDAO::LoadAdapterAlarmInfo(const RecordSet* _pRecSet,
                                                 QVector<CLS_AdapterAlarmInfoEntity*>& _vecOut)
{
    if (_pRecSet == nullptr) {
        return -1;
    }
    for (const Row* pRow : *_pRecSet) {
        if (pRow == nullptr) {
            continue;
        }
        auto* e = new CLS_AdapterAlarmInfoEntity();
        e->I_ID = Int(*pRow, "I_ID");
        e->I_IS_FILTERALARMING = Flag(*pRow, "I_IS_FILTERALARMING");
        e->I_LEVEL = Int(*pRow, "I_LEVEL");
        e->S_CAPTION = Text(*pRow, "S_CAPTION");
        e->I_MAIN_ALARM_TYPE = Int(*pRow, "I_MAIN_ALARM_TYPE");
        e->I_IS_DEAL = Flag(*pRow, "I_IS_DEAL");
        _vecOut.append(e);
    }
    return 0;
}

int CLS_AlarmTypeEntityDAO::GetAlarmTypesOfHostType(qint32 _iHostTypeId, QList<CLS_AlarmTypeEntity*>& _lstOut)
{
    const QString strSql =
        "SELECT A.I_SUB_ALARM_TYPE, A.I_IS_DELAYCANCELALARM, A.I_IS_FILTERREPEATALARM,                     "
        "B.I_ID AS I_ADAPTER_ALARM_TYPE, B.S_CAPTION, B.I_IS_FILTERALARMING, B.I_LANG_DICTIONARY_ID,         "
        "            C.I_HOST_TYPE_ID, C.I_HOST_ITEM_TYPE_ID, C.I_MAIN_ALARM_TYPE, C.I_IS_GET_EXCEPT_ALARM,  "
        "                  C.I_IS_GET_VCA_ALARM, C.I_IS_GET_UNIQUEALERT_ALARM, C.I_IS_GET_FACE_ALARM         "
        "           FROM TAB_DD_SUB_ALARM_TYPE A,  TAB_DD_ADAPTER_ALARM_TYPE B, TAB_DD_MAIN_ALARM_TYPE C      "
        "               WHERE C.I_ID = A.I_MAIN_ALARM_TYPE_ID AND A.I_ADAPTER_ALARM_ID = B.I_ID" +
        QStringLiteral(" AND C.I_HOST_TYPE_ID = ") + IntToString(_iHostTypeId);
    RecordSet* pRecSet = ExecuteQuery(m_strDbName, strSql);
    if (pRecSet == nullptr) {
        DL_LOG(2, "pRecSet == nullptr");
        return -1;
    }
    const Rows owner(pRecSet);
    return LoadData(pRecSet, _lstOut);
}

int CLS_AlarmTypeEntityDAO::LoadData(const RecordSet* _pRecSet, QList<CLS_AlarmTypeEntity*>& _lstOut)
{
    if (_pRecSet == nullptr) {
        return -1;
    }
    QMap<qint32, CLS_AlarmTypeEntity*> mapByMainType;
    for (const Row* pRow : *_pRecSet) {
        if (pRow == nullptr) {
            continue;
        }
        STRCT_SubAlarmType sub;
        sub.m_iSubAlarmType = Int(*pRow, "I_SUB_ALARM_TYPE");
        sub.m_iAdapterAlarmType = Int(*pRow, "I_ADAPTER_ALARM_TYPE");
        sub.m_bFilterAlarming = Flag(*pRow, "I_IS_FILTERALARMING");
        sub.m_bDelayCancel = Flag(*pRow, "I_IS_DELAYCANCELALARM");
        sub.m_bFilterRepeat = Flag(*pRow, "I_IS_FILTERREPEATALARM");
        const qint32 iMainType = Int(*pRow, "I_MAIN_ALARM_TYPE");
        CLS_AlarmTypeEntity* pEntity = mapByMainType.value(iMainType, nullptr);
        if (pEntity == nullptr) {
            pEntity = new CLS_AlarmTypeEntity();
            pEntity->I_HOST_TYPE_ID = Int(*pRow, "I_HOST_TYPE_ID");
            pEntity->I_MAIN_ALARM_TYPE = iMainType;
            pEntity->I_HOST_ITEM_TYPE_ID = Int(*pRow, "I_HOST_ITEM_TYPE_ID");
            pEntity->m_bGetExceptAlarm = Flag(*pRow, "I_IS_GET_EXCEPT_ALARM");
            pEntity->m_bGetVcaAlarm = Flag(*pRow, "I_IS_GET_VCA_ALARM");
            pEntity->m_bGetUniqueAlertAlarm = Flag(*pRow, "I_IS_GET_UNIQUEALERT_ALARM");
            pEntity->m_bGetFaceAlarm = Flag(*pRow, "I_IS_GET_FACE_ALARM");
            mapByMainType.insert(iMainType, pEntity);
            _lstOut.append(pEntity);
        }
        if (!pEntity->m_mapSubAlarmType.contains(sub.m_iSubAlarmType)) {
            pEntity->m_mapSubAlarmType.insert(sub.m_iSubAlarmType, sub);
        }
    }
    return 0;
}

int CLS_AlarmTypeEntityDAO::UpdateAlarmTypeLevel(qint32 _iAdapterAlarmId, qint32 _iLevel)
{
    return Execute(m_strDbName, "UPDATE TAB_ALARM_TYPE_LEVEL SET I_LEVEL = " + IntToString(_iLevel) +
                                    " WHERE I_ALARM_TYPE = " + IntToString(_iAdapterAlarmId));
}

CLS_HostConfigEntityDAO* CLS_HostConfigEntityDAO::GetInstance()
{
    struct Make : CLS_HostConfigEntityDAO {};
    return singleton<Make>();
}

int CLS_HostConfigEntityDAO::GetAllHostConfig(QList<CLS_HostConfigEntity*>& _lstOut)
{
    return ReadCatalogue(m_strDbName, "SELECT * FROM TAB_DD_QXHOST_CONFIG", [&](const RecordSet* _pRows) {
        return LoadEach(_pRows, _lstOut, [](const Row& _row, CLS_HostConfigEntity& e) {
            e.I_HOSTTYPEID = Int(_row, "I_HOSTTYPEID");
            e.S_FILE_NAME = Text(_row, "S_FILE_NAME");
            e.S_CAPTION = Text(_row, "S_CAPTION");
            e.S_PATH_MAC = Text(_row, "S_PATH_MAC");
            e.S_PATH_WINDOWS = Text(_row, "S_PATH_WINDOWS");
            e.S_DLL_LOADTOKEN = Text(_row, "S_DLL_LOADTOKEN");
        });
    });
}
