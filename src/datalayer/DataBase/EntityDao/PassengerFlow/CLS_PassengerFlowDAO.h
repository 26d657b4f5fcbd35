// The passenger-flow database ("Tessel-passengerFlow"). The users' passenger-flow trees
// (TAB_USER_OBJ and VIEW_CUSTOM_TREE there) are read and written in CLS_PassengerFlowDAOTree.cpp,
// the monthly counting tables in CLS_PassengerFlowDAOStats.cpp and the regions in
// CLS_PassengerFlowDAORegions.cpp.
#ifndef CLS_PASSENGERFLOWDAO_H
#define CLS_PASSENGERFLOWDAO_H

#include "CLS_CustomTreeEntity.h"
#include "CLS_PassengerFlowEntity.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

class DATAMEDIATOR_EXPORT CLS_PassengerFlowDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call, never destroyed.
    static CLS_PassengerFlowDAO* GetInstance();
    virtual ~CLS_PassengerFlowDAO();

    // ---- tree ----
    // Readers append new entities (owned by the caller); 0, or -1 with nothing appended.
    /// Stored nodes, of one user and one parent when they are given.
    int GetTreeNodes(const QString& _strUserID, const QString& _strParentID, QVector<CLS_CustomTreeEntity*>& _vecNodes);
    /// Children of a node by I_NUM (type 5 for a device node, 0 for a group).
    int GetChildNodesType(const QString& _strParentID, QVector<CLS_CustomTreeNodesEntity*>& _vecNodes);
    /// The user's nodes at the root by I_NUM.
    int GetRootChildNodesType(const QString& _strUserID, QVector<CLS_CustomTreeNodesEntity*>& _vecNodes);
    /// Stores a group node; the I_NUM the server gave it, or -1.
    qint64 InsertGroup(const CLS_CustomTreeEntity& _entity, bool* _pbWritten = nullptr);
    /// Stores device nodes in one transaction and reads each one's I_NUM back. 0 or the failure.
    int InsertDeviceNodes(const QVector<CLS_CustomTreeEntity*>& _vecNodes, bool* _pbWritten = nullptr);
    int UpdateNodeCaption(const QString& _strUserID, const QString& _strNodeID, const QString& _strCaption);
    /// The user's nodes referring to the object.
    int DeleteNodesOfObject(const QString& _strUserID, const QString& _strObjID);
    /// The user's group node with its direct children.
    int DeleteGroup(const QString& _strUserID, const QString& _strNodeID);
    /// The user's device nodes: all of them, or those of one object.
    int DeleteDeviceNodes(const QString& _strUserID, const QString& _strObjID);

    // ---- counting ----
    static const char* const kInfoTable;  ///< "TAB_PASSENGERFLOW_INFO", template of the months
    /// "yyyyMM" of a day "yyyy-MM-dd" (or a time starting with one); empty when it is not one.
    static QString MonthOf(const QString& _strDate);
    /// Adds the counts to the row of the channel, day and slot, or stores a new row (the
    /// month's table is made on its first row). -1 for an empty slot time or a day that is not
    /// "yyyy-MM-dd"; otherwise the server's result.
    int AddPassengerFlowInfo(const CLS_PassengerFlowEntity& _entity);
    /// Sums of the rows of the region's channels at or after _strClearTime, over the monthly
    /// tables from the clear time's month to _strNowMonth ("yyyyMM"). 0, or -1 on a failed read.
    int SearchTotal(const QString& _strRegionID, const QString& _strClearTime, const QString& _strNowMonth,
                    STRCT_PassengerFlowCounts& _counts);
    /// Sums per key of the period (see CLS_PassengerFlowStatisticConditionEntity) over every
    /// monthly table of the period; a key found in two months (a week across a month's end)
    /// gets the sum of both. Added into _mapResult. -1 for a bad date or period, or a failed
    /// read (nothing added); an empty channel list sends nothing and gives 0.
    int GetStatistics(const CLS_PassengerFlowStatisticConditionEntity& _condition,
                      QMap<QString, STRCT_PassengerFlowCounts>& _mapResult);
    /// Drops the monthly tables before _strMonth ("yyyyMM"; that month stays). 0, or -1 for a
    /// month that is not six digits, a failed listing (nothing dropped) or a failed drop (later
    /// tables are still tried).
    int DeletePassengerFlowInfoBefore(const QString& _strMonth);

    // ---- regions ----
    /// The user's regions, one entity per region and channel (a region without channels: one
    /// entity with empty channel fields). 0 or -1.
    int GetRegions(const QString& _strUserID, QVector<CLS_RegionEntity*>& _vecRegions);
    /// Replaces the region and its channels (rows of _strUserID) with _param, counting from
    /// _strClearTime, in one transaction. 0 or -1.
    int UpdateRegionParam(const STRCT_PassengerFlowRegionParam& _param, const QString& _strUserID,
                          const QString& _strClearTime);
    /// Removes the user's regions with their channels in one transaction; -1 for an empty list.
    int DeleteRegionParam(const QStringList& _lstRegionIDs, const QString& _strUserID);
    /// Removes the channels from all regions of the user; an empty list sends nothing (0).
    int DeleteRegionChannels(const QStringList& _lstChannelObjIDs, const QString& _strUserID);
    /// Stores the region's new clear time; -1 for an empty region id.
    int UpdateRegionClearTime(const QString& _strRegionID, const QString& _strClearTime);

    /// Placeholders _pszPrefix0,_pszPrefix1,... bound to _lstValues in _mapBind; "a,b,c".
    static QString BindList(const char* _pszPrefix, const QStringList& _lstValues, QMap<QString, QVariant>& _mapBind);

protected:
    CLS_PassengerFlowDAO();

private:
    /// Sets _vecTables to the monthly tables between the two months (both included; empty:
    /// open). 0, or the listing's negative code (logged under _pszOperation) with _vecTables
    /// empty: a failed listing is never "no table".
    int ListInfoTables(const QString& _strStartMonth, const QString& _strEndMonth,
                       QVector<QString>& _vecTables, const char* _pszOperation);
};

#endif  // CLS_PASSENGERFLOWDAO_H
