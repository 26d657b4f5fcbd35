// Views: TAB_VIEW with its channels (TAB_VIEW_CHANNEL) and layout membership (TAB_LAYOUT_VIEW).
#ifndef CLS_VIEWENTITYDAO_H
#define CLS_VIEWENTITYDAO_H

#include "CLS_ViewEntities.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

class DATAMEDIATOR_EXPORT CLS_ViewEntityDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call (no lock), never destroyed.
    static CLS_ViewEntityDAO* GetInstance();

    /// The view, then each channel, then the layout membership, each statement by itself; the
    /// first failure ends with its code (rows already written stay). A view without id gets a
    /// new one, written back into _viewEntity.
    int Insert(CLS_ViewEntity& _viewEntity);
    int UpdateCaption(const QString& _strViewID, const QString& _strCaption);
    /// The view; only if that worked its layout membership, then its cruise entries.
    int Delete(const QString& _strViewID);
    /// Appends every view with its channels; the caller owns the entities. 0 or -1.
    int GetAll(QVector<CLS_ViewEntity*>& _vecViews);
    /// 0; -1 for no answer; -2 when there is no such view.
    int GetById(const QString& _strViewID, CLS_ViewEntity& _viewEntity);
    int GetByType(int _iViewType, QVector<STRCT_ViewCaption>& _vecViews);
    int GetByLayout(const QString& _strLayoutID, int _iViewType, QVector<STRCT_ViewCaption>& _vecViews);
    bool IsExist(const QString& _strCaption);

private:
    CLS_ViewEntityDAO() = default;
};

#endif  // CLS_VIEWENTITYDAO_H
