#include "CLS_AlarmOutEntityDAO.h"

#include "AlarmPointDAO.h"

using namespace DeviceDao;

namespace {
const AlarmPointNames kNames{"CLS_AlarmOutEntityDAO", "AlarmOut", "TAB_DEV_ALARM_OUT", "VIEW_DEV_ALARM_OUT", "alarmOut", 7, false};
}  // namespace

class CLS_AlarmOutEntityDAO::Impl : public AlarmPointDAO<CLS_AlarmOutEntity>
{
public:
    using AlarmPointDAO::AlarmPointDAO;
};

CLS_AlarmOutEntityDAO* CLS_AlarmOutEntityDAO::GetInstance()
{
    static CLS_AlarmOutEntityDAO* const s_pInstance = new CLS_AlarmOutEntityDAO();
    return s_pInstance;
}

CLS_AlarmOutEntityDAO::CLS_AlarmOutEntityDAO() : m_pImpl(new Impl(m_strDbName, kNames)) {}

CLS_AlarmOutEntityDAO::~CLS_AlarmOutEntityDAO() = default;

QStringList CLS_AlarmOutEntityDAO::AuthorityTypes() const
{
    return m_pImpl->AuthorityTypes();
}

int CLS_AlarmOutEntityDAO::InsertAlarmOut(const CLS_AlarmOutEntity& _alarmOutEntity)
{
    return m_pImpl->Insert({&_alarmOutEntity}, "Insert", false);
}

int CLS_AlarmOutEntityDAO::InsertAlarmOuts(const QVector<CLS_AlarmOutEntity*>& _vecAlarmOuts)
{
    return m_pImpl->Insert(NonNull(_vecAlarmOuts), "Insert", true);
}

int CLS_AlarmOutEntityDAO::UpdateAlarmOut(const CLS_AlarmOutEntity& _alarmOutEntity)
{
    return m_pImpl->Update({&_alarmOutEntity}, false);
}

int CLS_AlarmOutEntityDAO::UpdateAlarmOuts(const QVector<CLS_AlarmOutEntity*>& _vecAlarmOuts)
{
    return m_pImpl->Update(NonNull(_vecAlarmOuts), true);
}

int CLS_AlarmOutEntityDAO::DeleteAlarmOuts(const QStringList& _lstAlarmOutIDs)
{
    return m_pImpl->Delete(_lstAlarmOutIDs);
}

void CLS_AlarmOutEntityDAO::LoadAlarmOut(const QMap<QString, QString>& _row, CLS_AlarmOutEntity& _alarmOutEntity)
{
    Impl::Load(_row, _alarmOutEntity);
}

int CLS_AlarmOutEntityDAO::GetAllAlarmOuts(QVector<CLS_AlarmOutEntity*>& _vecAlarmOuts)
{
    return m_pImpl->GetAll(_vecAlarmOuts, &CLS_AlarmOutEntityDAO::LoadAlarmOut);
}

int CLS_AlarmOutEntityDAO::GetAlarmOutCountOfHost(const QString& _strHostID)
{
    return m_pImpl->CountOfHost(_strHostID);
}

int CLS_AlarmOutEntityDAO::GetAlarmOutCounts(QMap<QString, int>& _mapCounts)
{
    return m_pImpl->Counts(_mapCounts);
}

bool CLS_AlarmOutEntityDAO::IsAlarmOutNumExist(const QString& _strHostID, int _iNum)
{
    return m_pImpl->IsNumExist(_strHostID, _iNum);
}
