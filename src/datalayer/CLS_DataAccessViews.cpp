// Views, view cruises and group switching: forwarders to the view DAOs.
#include "CLS_DataAccess.h"

#include "DataBase/EntityDao/View/CLS_ViewCruiseEntityDAO.h"
#include "DataBase/EntityDao/View/CLS_ViewEntityDAO.h"
#include "Log.h"

#include <QDebug>

int CLS_DataAccess::InsertView(CLS_ViewEntity& _viewEntity)
{
    return CLS_ViewEntityDAO::GetInstance()->Insert(_viewEntity);
}

int CLS_DataAccess::UpdateView(QString _strViewID, QString _strCaption)
{
    if (_strViewID.isEmpty()) {
        qDebug() << "CLS_DataAccess::UpdateView _strViewID.isEmpty()";
        return -1;
    }
    return CLS_ViewEntityDAO::GetInstance()->UpdateCaption(_strViewID, _strCaption);
}

int CLS_DataAccess::DeleteView(QString _strViewID)
{
    if (_strViewID.isEmpty()) {
        qDebug() << "CLS_DataAccess::DeleteView _strViewID.isEmpty()";
        return -1;
    }
    return CLS_ViewEntityDAO::GetInstance()->Delete(_strViewID);
}

int CLS_DataAccess::GetAllView(QVector<CLS_ViewEntity*>& _vecViews)
{
    return CLS_ViewEntityDAO::GetInstance()->GetAll(_vecViews);
}

int CLS_DataAccess::GetViewById(QString _strViewID, CLS_ViewEntity& _viewEntity)
{
    if (_strViewID.isEmpty()) {
        qDebug() << "CLS_DataAccess::GetViewById _strViewID.isEmpty()";
        return -1;
    }
    return CLS_ViewEntityDAO::GetInstance()->GetById(_strViewID, _viewEntity);
}

int CLS_DataAccess::GetViewByType(int _iViewType, QVector<STRCT_ViewCaption>& _vecViews)
{
    return CLS_ViewEntityDAO::GetInstance()->GetByType(_iViewType, _vecViews);
}

int CLS_DataAccess::GetViewByLayout(QString _strLayoutID, int _iViewType, QVector<STRCT_ViewCaption>& _vecViews)
{
    if (_strLayoutID.isEmpty()) {
        qDebug() << "CLS_DataAccess::GetViewByLayout _strLayoutID.isEmpty()";
        return -1;
    }
    return CLS_ViewEntityDAO::GetInstance()->GetByLayout(_strLayoutID, _iViewType, _vecViews);
}

bool CLS_DataAccess::IsViewExist(QString _strCaption)
{
    if (_strCaption.isEmpty()) {
        qDebug() << "CLS_DataAccess::IsViewExist _strCaption.isEmpty()";
        return false;
    }
    return CLS_ViewEntityDAO::GetInstance()->IsExist(_strCaption);
}

int CLS_DataAccess::InsertViewCruise(CLS_ViewCruiseEntity& _entry)
{
    return CLS_ViewCruiseEntityDAO::GetInstance()->Insert(_entry);
}

int CLS_DataAccess::UpdateViewCruiseTime(QString _strID, int _iTime)
{
    if (_strID.isEmpty()) {
        qDebug() << "CLS_DataAccess::UpdateViewCruiseTime _strID.isEmpty()";
        return -1;
    }
    return CLS_ViewCruiseEntityDAO::GetInstance()->UpdateTime(_strID, _iTime);
}

int CLS_DataAccess::UpdateViewCruiseSequence(QString _strID, int _iSequence)
{
    if (_strID.isEmpty()) {
        qDebug() << "CLS_DataAccess::UpdateViewCruiseSequence _strID.isEmpty()";
        return -1;
    }
    return CLS_ViewCruiseEntityDAO::GetInstance()->UpdateSequence(_strID, _iSequence);
}

int CLS_DataAccess::DeleteViewCruise(QString _strID)
{
    if (_strID.isEmpty()) {
        qDebug() << "CLS_DataAccess::DeleteViewCruise _strID.isEmpty()";
        return -1;
    }
    return CLS_ViewCruiseEntityDAO::GetInstance()->Delete(_strID);
}

int CLS_DataAccess::GetViewCruiseByType(QString _strUserID, int _iViewType, QVector<CLS_ViewCruiseEntity*>& _vecEntries)
{
    if (_strUserID.isEmpty()) {
        qDebug() << "CLS_DataAccess::GetViewCruiseByType _strUserID.isEmpty()";
        return -1;
    }
    return CLS_ViewCruiseEntityDAO::GetInstance()->GetByType(_strUserID, _iViewType, nullptr, _vecEntries);
}

bool CLS_DataAccess::IsViewInCruise(QString _strViewID)
{
    if (_strViewID.isEmpty()) {
        qDebug() << "CLS_DataAccess::IsViewInCruise _strViewID.isEmpty()";
        return false;
    }
    return CLS_ViewCruiseEntityDAO::GetInstance()->IsViewInCruise(_strViewID);
}

int CLS_DataAccess::InsertGroupSwitch(QString _strUserID, QString _strGroupID, int _iScreenStyle, int _iSwitchTime)
{
    if (_strGroupID.isEmpty()) {
        qDebug() << "CLS_DataAccess::InsertGroupSwitch _strGroupID.isEmpty()";
        return -1;
    }
    return CLS_GroupSwitchDAO::GetInstance()->Insert(_strUserID, _strGroupID, _iScreenStyle, _iSwitchTime);
}

int CLS_DataAccess::DeleteGroupSwitch(QString _strGroupID)
{
    if (_strGroupID.isEmpty()) {
        qDebug() << "CLS_DataAccess::DeleteGroupSwitch _strGroupID.isEmpty()";
        return -1;
    }
    return CLS_GroupSwitchDAO::GetInstance()->Delete(_strGroupID);
}

int CLS_DataAccess::UpdateGroupSwitchScreenStyle(QString _strGroupID, int _iScreenStyle)
{
    if (_strGroupID.isEmpty()) {
        qDebug() << "CLS_DataAccess::UpdateGroupSwitchScreenStyle _strGroupID.isEmpty()";
        return -1;
    }
    return CLS_GroupSwitchDAO::GetInstance()->UpdateScreenStyle(_strGroupID, _iScreenStyle);
}

int CLS_DataAccess::UpdateGroupSwitchSwitchTime(QString _strUserID, int _iSwitchTime)
{
    if (_strUserID.isEmpty()) {
        qDebug() << "CLS_DataAccess::UpdateGroupSwitchSwitchTime _strUserID.isEmpty()";
        return -1;
    }
    return CLS_GroupSwitchDAO::GetInstance()->UpdateSwitchTime(_strUserID, _iSwitchTime);
}

int CLS_DataAccess::GetAllGroupSwitch(QString _strUserID, QVector<CLS_GroupSwitchEntity>& _vecGroups)
{
    if (_strUserID.isEmpty()) {
        qDebug() << "CLS_DataAccess::GetAllGroupSwitch _strUserID.isEmpty()";
        return -1;
    }
    return CLS_GroupSwitchDAO::GetInstance()->GetAll(_strUserID, _vecGroups);
}

bool CLS_DataAccess::IsGroupSwitchExist(QString _strGroupID)
{
    if (_strGroupID.isEmpty()) {
        qDebug() << "CLS_DataAccess::IsGroupSwitchExist _strGroupID.isEmpty()";
        return false;
    }
    return CLS_GroupSwitchDAO::GetInstance()->IsExist(_strGroupID);
}

int CLS_DataAccess::GetSwitchTime(QString _strUserID)
{
    if (_strUserID.isEmpty()) {
        qDebug() << "CLS_DataAccess::GetSwitchTime _strUserID.isEmpty()";
        return -1;
    }
    return CLS_GroupSwitchDAO::GetInstance()->GetSwitchTime(_strUserID);
}

int CLS_DataAccess::GetAllViewCruise(QString _qstrUserId, int _iViewType, QString _strLayoutID,
                                     QVector<CLS_ViewCruiseEntity*>& _vecEntries)
{
    if (_qstrUserId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::GetAllViewCruise _qstrUserId.isEmpty()");
        return -1;
    }
    QVector<CLS_ViewCruiseEntity*> vecRead;
    const int iRet =
        CLS_ViewCruiseEntityDAO::GetInstance()->GetByType(_qstrUserId, _iViewType, &_strLayoutID, vecRead);
    if (0 != iRet) {
        DL_LOG(2, "CLS_DataAccess::GetAllViewCruise 0 != iRet");
        return iRet;
    }
    for (CLS_ViewCruiseEntity* ViewCruiseEntity : qAsConst(vecRead)) {
        if (nullptr == ViewCruiseEntity) {
            DL_LOG(3, "CLS_DataAccess::GetAllViewCruise nullptr == ViewCruiseEntity");
            continue;
        }
        _vecEntries.append(ViewCruiseEntity);
    }
    return 0;
}
