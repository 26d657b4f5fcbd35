// Views with their channels, view cruises and group switching of the logged-in user.
#include "CLS_DataAccess.h"
#include "CLS_DataMediator.h"
#include "Log.h"

bool CLS_DataMediator::IsViewExist(QString _strViewCaption)
{
    if (_strViewCaption.length() <= 0) {
        DL_LOG(3, "_strViewCaption == nullptr || _strViewCaption.length() <= 0");
        return false;
    }
    return CLS_DataAccess::GetInstance().IsViewExist(_strViewCaption);
}

int CLS_DataMediator::UpdateView(QString _strViewID, QString _strCaption)
{
    const int iRet = CLS_DataAccess::GetInstance().UpdateView(_strViewID, _strCaption);
    if (iRet == 0) {
        emit SignUpdateViewSuccess();
    }
    return iRet;
}

int CLS_DataMediator::InsertView(CLS_ViewEntity& _viewEntity)
{
    const int iRet = CLS_DataAccess::GetInstance().InsertView(_viewEntity);
    if (iRet == 0) {
        emit SignUpdateViewSuccess();
    }
    return iRet;
}

int CLS_DataMediator::DeleteView(QString _strViewID)
{
    if (_strViewID.isEmpty()) {
        DL_LOG(3, "CLS_DataMediator::DeleteView _strViewID.isEmpty()");
        return -1;
    }
    const int iRet = CLS_DataAccess::GetInstance().DeleteView(_strViewID);
    if (iRet == 0) {
        emit SignUpdateViewSuccess();
    }
    return iRet;
}

int CLS_DataMediator::GetAllView(QVector<CLS_ViewEntity*>& _vecViews)
{
    return CLS_DataAccess::GetInstance().GetAllView(_vecViews);
}

int CLS_DataMediator::GetViewByLayout(QString _strLayoutID, int _iViewType, QVector<STRCT_ViewCaption>& _vecViews)
{
    return CLS_DataAccess::GetInstance().GetViewByLayout(_strLayoutID, _iViewType, _vecViews);
}

int CLS_DataMediator::GetViewByType(int _iViewType, QVector<STRCT_ViewCaption>& _vecViews)
{
    return CLS_DataAccess::GetInstance().GetViewByType(_iViewType, _vecViews);
}

int CLS_DataMediator::GetViewById(QString _qstrId, CLS_ViewEntity& _viewEntity)
{
    if (_qstrId.isEmpty()) {
        DL_LOG(2, "GetViewById _qstrId.isEmpty()");
        return -1;
    }
    return CLS_DataAccess::GetInstance().GetViewById(_qstrId, _viewEntity) == 0 ? 0 : -1;
}

// ---- group switching ----

int CLS_DataMediator::InsertGroupSwitch(QString _qstrGroupId, int _iScreenStyle, int _iSwitchTime)
{
    if (m_strUserID.isEmpty()) {
        DL_LOG(2, "InsertGroupSwitch m_strUserID.isEmpty()");
        return -1;
    }
    return CLS_DataAccess::GetInstance().InsertGroupSwitch(m_strUserID, _qstrGroupId, _iScreenStyle, _iSwitchTime);
}

int CLS_DataMediator::DeleteGroupSwitch(QString _qstrId)
{
    if (_qstrId.isEmpty()) {
        DL_LOG(2, "DeleteGroupSwitch _qstrId.isEmpty()");
        return -1;
    }
    return CLS_DataAccess::GetInstance().DeleteGroupSwitch(_qstrId);
}

int CLS_DataMediator::UpdateGroupSwitchScreenStyle(QString _qstrId, int _iScreenStyle)
{
    if (_qstrId.isEmpty() || _iScreenStyle < 0) {
        DL_LOG(2, "UpdateGroupSwitchScreenStyle _qstrId.isEmpty() || _iScreenStyle < 0");
        return -1;
    }
    return CLS_DataAccess::GetInstance().UpdateGroupSwitchScreenStyle(_qstrId, _iScreenStyle);
}

int CLS_DataMediator::GetAllGroupSwitch(QVector<CLS_GroupSwitchEntity>& _vecGroups)
{
    if (m_strUserID.isEmpty()) {
        DL_LOG(2, "GetAllGroupSwitch m_strUserID.isEmpty()");
        return -1;
    }
    return CLS_DataAccess::GetInstance().GetAllGroupSwitch(m_strUserID, _vecGroups);
}

int CLS_DataMediator::GetAllGroupSwitch(QVector<CLS_GroupSwitchEntity*>& _vecGroups)
{
    QVector<CLS_GroupSwitchEntity> vecRead;
    const int iRet = GetAllGroupSwitch(vecRead);
    if (iRet == 0) {
        for (const CLS_GroupSwitchEntity& group : qAsConst(vecRead)) {
            _vecGroups.append(new CLS_GroupSwitchEntity(group));
        }
    }
    return iRet;
}

int CLS_DataMediator::UpdateGroupSwitchSwitchTime(int _iSwitchTime)
{
    if (m_strUserID.isEmpty() || _iSwitchTime < 0) {
        DL_LOG(2, "UpdateGroupSwitchSwitchTime m_strUserID.isEmpty() || _iSwitchTime < 0");
        return -1;
    }
    return CLS_DataAccess::GetInstance().UpdateGroupSwitchSwitchTime(m_strUserID, _iSwitchTime);
}

bool CLS_DataMediator::IsGroupSwitchExist(QString _strGroupId)
{
    if (_strGroupId.isEmpty()) {
        DL_LOG(2, "IsGroupSwitchExist _strGroupId.isEmpty()");
        return false;
    }
    return CLS_DataAccess::GetInstance().IsGroupSwitchExist(_strGroupId);
}

qint32 CLS_DataMediator::GetSwithTimeByUserId()
{
    if (m_strUserID.isEmpty()) {
        DL_LOG(2, "GetSwithTimeByUserId m_strUserID.isEmpty()");
        return -1;
    }
    return CLS_DataAccess::GetInstance().GetSwitchTime(m_strUserID);
}

// ---- view cruises ----

int CLS_DataMediator::InsertViewCruise(CLS_ViewCruiseEntity& _entry)
{
    if (m_strUserID.isEmpty()) {
        DL_LOG(2, "InsertViewCruise m_strUserID.isEmpty()");
        return -1;
    }
    _entry.S_USER_ID = m_strUserID;
    return CLS_DataAccess::GetInstance().InsertViewCruise(_entry);
}

int CLS_DataMediator::UpdateViewCruiseTime(QString _strId, int _iTime)
{
    return CLS_DataAccess::GetInstance().UpdateViewCruiseTime(_strId, _iTime);
}

int CLS_DataMediator::UpdateViewCruiseSequence(QString _strId, int _iSequence)
{
    return CLS_DataAccess::GetInstance().UpdateViewCruiseSequence(_strId, _iSequence);
}

int CLS_DataMediator::DeleteViewCruise(QString _strId)
{
    if (_strId.isEmpty()) {
        DL_LOG(3, "DeleteViewCruise _strId.isEmpty()");
        return -1;
    }
    return CLS_DataAccess::GetInstance().DeleteViewCruise(_strId);
}

int CLS_DataMediator::GetAllViewCruise(int _iViewType, QString _strLayoutID,
                                       QVector<CLS_ViewCruiseEntity*>& _vecEntries)
{
    return CLS_DataAccess::GetInstance().GetAllViewCruise(m_strUserID, _iViewType, _strLayoutID, _vecEntries);
}

int CLS_DataMediator::GetViewCruiseByType(int _iViewType, QVector<CLS_ViewCruiseEntity*>& _vecEntries)
{
    return CLS_DataAccess::GetInstance().GetViewCruiseByType(m_strUserID, _iViewType, _vecEntries);
}

bool CLS_DataMediator::IsViewInCruise(QString _strViewID)
{
    return CLS_DataAccess::GetInstance().IsViewInCruise(_strViewID);
}
