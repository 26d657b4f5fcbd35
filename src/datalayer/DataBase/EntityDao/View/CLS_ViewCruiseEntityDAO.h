// View cruises (TAB_VIEW_CRUISE) and group switching (TAB_GROUP_SWITCH) of a user.
#ifndef CLS_VIEWCRUISEENTITYDAO_H
#define CLS_VIEWCRUISEENTITYDAO_H

#include "CLS_ViewEntities.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

class DATAMEDIATOR_EXPORT CLS_ViewCruiseEntityDAO : public CLS_BaseEntityDAO
{
public:
    static CLS_ViewCruiseEntityDAO* GetInstance();

    /// Stores the entry as the last one (highest sequence of all entries + 1, or 1); a negative
    /// time becomes 10. Id, sequence and time are written back into _entry.
    int Insert(CLS_ViewCruiseEntity& _entry);
    int UpdateTime(const QString& _strID, int _iTime);
    int UpdateSequence(const QString& _strID, int _iSequence);
    int Delete(const QString& _strID);
    /// The user's entries of views of the type by sequence, those of a layout when
    /// _strLayoutID is not null. The caller owns the entities. 0 or -1.
    int GetByType(const QString& _strUserID, int _iViewType, const QString* _pLayoutID,
                  QVector<CLS_ViewCruiseEntity*>& _vecEntries);
    bool IsViewInCruise(const QString& _strViewID);

private:
    CLS_ViewCruiseEntityDAO() = default;
};

class DATAMEDIATOR_EXPORT CLS_GroupSwitchDAO : public CLS_BaseEntityDAO
{
public:
    static CLS_GroupSwitchDAO* GetInstance();

    int Insert(const QString& _strUserID, const QString& _strGroupID, int _iScreenStyle, int _iSwitchTime);
    int Delete(const QString& _strGroupID);
    int UpdateScreenStyle(const QString& _strGroupID, int _iScreenStyle);
    /// Every row of the user.
    int UpdateSwitchTime(const QString& _strUserID, int _iSwitchTime);
    /// Appends the user's groups with their names. 0 or -1.
    int GetAll(const QString& _strUserID, QVector<CLS_GroupSwitchEntity>& _vecGroups);
    bool IsExist(const QString& _strGroupID);
    /// The user's switch time; 0 when the user has no group, -1 for no answer.
    int GetSwitchTime(const QString& _strUserID);

private:
    CLS_GroupSwitchDAO() = default;
};

#endif  // CLS_VIEWCRUISEENTITYDAO_H
