#include "CLS_AlarmInEntityDAO.h"

#include "AlarmPointDAO.h"

using namespace DeviceDao;

namespace {
const AlarmPointNames kNames{"CLS_AlarmInEntityDAO", "AlarmIn", "TAB_DEV_ALARM_IN", "VIEW_DEV_ALARM_IN", "alarmIn", 6, true};
}  // namespace

class CLS_AlarmInEntityDAO::Impl : public AlarmPointDAO<CLS_AlarmInEntity>
{
public:
    using AlarmPointDAO::AlarmPointDAO;
};

CLS_AlarmInEntityDAO* CLS_AlarmInEntityDAO::GetInstance()
{
    static CLS_AlarmInEntityDAO* const s_pInstance = new CLS_AlarmInEntityDAO();
    return s_pInstance;
}

CLS_AlarmInEntityDAO::CLS_AlarmInEntityDAO() : m_pImpl(new Impl(m_strDbName, kNames)) {}

CLS_AlarmInEntityDAO::~CLS_AlarmInEntityDAO() = default;

QStringList CLS_AlarmInEntityDAO::AuthorityTypes() const
{
    return m_pImpl->AuthorityTypes();
}

int CLS_AlarmInEntityDAO::InsertAlarmIn(const CLS_AlarmInEntity& _alarmInEntity)
{
    return m_pImpl->Insert({&_alarmInEntity}, "Insert", false);
}

int CLS_AlarmInEntityDAO::InsertAlarmIns(const QVector<CLS_AlarmInEntity*>& _vecAlarmIns)
{
    return m_pImpl->Insert(NonNull(_vecAlarmIns), "Insert", true);
}

int CLS_AlarmInEntityDAO::UpdateAlarmIn(const CLS_AlarmInEntity& _alarmInEntity)
{
    return m_pImpl->Update({&_alarmInEntity}, false);
}

int CLS_AlarmInEntityDAO::UpdateAlarmIns(const QVector<CLS_AlarmInEntity*>& _vecAlarmIns)
{
    return m_pImpl->Update(NonNull(_vecAlarmIns), true);
}

int CLS_AlarmInEntityDAO::DeleteAlarmIns(const QStringList& _lstAlarmInIDs)
{
    return m_pImpl->Delete(_lstAlarmInIDs);
}

int CLS_AlarmInEntityDAO::SetAlarmInDefenceState(const QString& _strAlarmInID, int _iState)
{
    return Guarded("CLS_AlarmInEntityDAO::SetAlarmInDefenceState", -1, [&] {
        const int iRet =
            ExecuteEx(m_strDbName,
                      QStringLiteral("UPDATE TAB_DEV_ALARM_IN SET I_ENABLE_DEFENCE = %1 WHERE S_ID = :sid")
                          .arg(IntToString(_iState)),
                      Binds{{":sid", _strAlarmInID}});
        return iRet == 0 ? 0 : -1;
    });
}

void CLS_AlarmInEntityDAO::LoadAlarmIn(const QMap<QString, QString>& _row, CLS_AlarmInEntity& _alarmInEntity)
{
    Impl::Load(_row, _alarmInEntity);
}

int CLS_AlarmInEntityDAO::GetAllAlarmIns(QVector<CLS_AlarmInEntity*>& _vecAlarmIns)
{
    return m_pImpl->GetAll(_vecAlarmIns, &CLS_AlarmInEntityDAO::LoadAlarmIn);
}

int CLS_AlarmInEntityDAO::GetAlarmInCountOfHost(const QString& _strHostID)
{
    return m_pImpl->CountOfHost(_strHostID);
}

int CLS_AlarmInEntityDAO::GetAlarmInCounts(QMap<QString, int>& _mapCounts)
{
    return m_pImpl->Counts(_mapCounts);
}

bool CLS_AlarmInEntityDAO::IsAlarmInNumExist(const QString& _strHostID, int _iNum)
{
    return m_pImpl->IsNumExist(_strHostID, _iNum);
}
