// The TV wall: screen units (TAB_DEV_SCREEN_UNIT), layouts (TAB_OBJ type 44, TAB_TV_LAYOUT,
// TAB_LAYOUT_TVOUT, TAB_USER_OBJ owner rows) and join templates (TAB_TV_JOIN_TEMPLATE with
// TAB_TV_JOIN_REGION). Entities in output vectors belong to the caller.
#ifndef CLS_TVLAYOUTENTITYDAO_H
#define CLS_TVLAYOUTENTITYDAO_H

#include "CLS_DecoderEntities.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QStringList>

class DATAMEDIATOR_EXPORT CLS_ScreenUnitEntityDAO : public CLS_BaseEntityDAO
{
public:
    static CLS_ScreenUnitEntityDAO* GetInstance();

    int GetAll(QVector<CLS_ScreenUnitEntity*>& _vecUnits);
    /// 0; -1 for no answer; -2 when there is no such unit.
    int GetById(const QString& _strUnitID, CLS_ScreenUnitEntity& _unitEntity);
    /// One transaction: per unit its membership in the layout and its row.
    int Insert(const QString& _strLayoutID, const QVector<CLS_ScreenUnitEntity>& _vecUnits);
    int Update(const CLS_ScreenUnitEntity& _unitEntity);
    /// The unit with its memberships, one transaction.
    int Delete(const QString& _strUnitID);
    /// A joined screen with its members.
    int DeleteJoined(const QString& _strJoinScreenID);
    /// Appends the ids of the screens of other layouts that use the output.
    int GetUsedElsewhere(const QString& _strLayoutID, const QString& _strOutID, QStringList& _lstUnitIDs);
    /// The screens of a layout with output number, decoder id and address, by unit number.
    int GetTvScreenInfo(const QString& _strLayoutID, QVector<CLS_ScreenUnitEntity*>& _vecUnits);
    /// The single screens of a layout and the members of its joined screens.
    int GetLayoutUnits(const QString& _strLayoutID, QVector<CLS_ScreenUnitEntity*>& _vecUnits);
    /// The units of a type with their output's number and decoder.
    int GetByType(int _iType, QVector<CLS_ScreenUnitEntity*>& _vecUnits);

private:
    CLS_ScreenUnitEntityDAO() = default;
};

class DATAMEDIATOR_EXPORT CLS_TVLayoutEntityDAO : public CLS_BaseEntityDAO
{
public:
    static CLS_TVLayoutEntityDAO* GetInstance();

    /// Every layout object (without screens).
    int GetAll(QVector<CLS_TVLayoutEntity*>& _vecLayouts);
    int GetIds(QStringList& _lstIDs);
    /// The layout object: 0; -1 for no answer; -2 when there is none.
    int GetById(const QString& _strLayoutID, CLS_TVLayoutEntity& _layoutEntity);
    /// The layout with its screens by row (F_Y), then column (F_X); a joined screen carries its
    /// members. 0; -1 for no answer; -2 when there is no such layout.
    int GetLayOutInfoById(const QString& _strLayoutID, CLS_TVLayoutEntity& _layoutEntity);
    /// Whether another layout (not _strLayoutID) has the caption.
    bool IsNameInUse(const QString& _strName, const QString& _strLayoutID);
    /// The object row (one transaction), then, if that worked, the owner row _strOwnerRowID of
    /// the user.
    int Insert(const CLS_TVLayoutEntity& _layoutEntity, const QString& _strUserID, const QString& _strOwnerRowID);
    int InsertImage(const QString& _strLayoutID, const QString& _strImgPath);
    int UpdateImage(const QString& _strLayoutID, const QString& _strImgPath);
    int UpdateCaption(const QString& _strLayoutID, const QString& _strCaption);
    int UpdateTvOutPlace(const QString& _strLayoutID, const QString& _strTVOutID, const QString& _strNewTVOutID,
                         double _dX, double _dY, double _dW, double _dH);
    int RemoveTvOut(const QString& _strLayoutID, const QString& _strTVOutID);
    /// The layout's memberships, and with _bWithScreens its screen units too (one transaction).
    int Clear(const QString& _strLayoutID, bool _bWithScreens);
    /// The views that belong to the layout.
    int DeleteViews(const QString& _strLayoutID);
    /// Memberships, image row, then object and owner rows; three transactions, each only after
    /// the previous one worked.
    int Delete(const QString& _strLayoutID);

private:
    CLS_TVLayoutEntityDAO() = default;
    // Splits and joined-screen members of the screens read for a layout.
    void LoadScreens(CLS_TVLayoutEntity& _layoutEntity);
};

class DATAMEDIATOR_EXPORT CLS_TVJoinTemplateEntityDAO : public CLS_BaseEntityDAO
{
public:
    static CLS_TVJoinTemplateEntityDAO* GetInstance();

    /// The template and its regions (numbered from 0 in order) in one transaction; a region
    /// without channel is stored with S_CHAN_ID null. Empty ids are made new.
    int InsertTemplate(const CLS_TVJoinTemplateEntity& _templateEntity);
    /// The templates of a decoder output with their regions.
    int GetTemplate(const QString& _strDecOutID, QVector<CLS_TVJoinTemplateEntity>& _vecTemplates);
    int DeleteTemplate(const QString& _strTemplateID);

private:
    CLS_TVJoinTemplateEntityDAO() = default;
};

#endif  // CLS_TVLAYOUTENTITYDAO_H
