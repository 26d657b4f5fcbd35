// Pre-record and delay-record values per channel, TAB_REC_PRE_DELAY<SysId> in "Tessel", and
// the colour of each recording type (TAB_DD_RECTYPECOLOR).
#ifndef CLS_RECPREDELAYENTITYDAO_H
#define CLS_RECPREDELAYENTITYDAO_H

#include "CLS_RecFileEntity.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QMap>
#include <QString>
#include <QVector>

class DATAMEDIATOR_EXPORT CLS_RecPreDelayEntityDAO : public CLS_BaseEntityDAO
{
public:
    static const char* const kTable;  ///< "TAB_REC_PRE_DELAY"

    /// Created on first call (no lock), never destroyed.
    static CLS_RecPreDelayEntityDAO* GetInstance();
    CLS_RecPreDelayEntityDAO();
    virtual ~CLS_RecPreDelayEntityDAO();

    /// Replaces the rows of the given channels by the given values, all in one transaction;
    /// 0 for an empty vector, else the server's result (-1 without a system id).
    int ReplaceRecPreDelay(const QVector<CLS_RecPreDelayEntity>& _vecEntities);
    /// Appends every row (caller owns them); 0, or -1 (logged) when there was no answer.
    int SelectRecPreDelayDataAll(QVector<CLS_RecPreDelayEntity*>& _vecEntities);
    /// Recording type -> colour text; 0 or -1.
    int GetRecTypeColor(QMap<QString, QString>& _mapColors);
};

#endif  // CLS_RECPREDELAYENTITYDAO_H
