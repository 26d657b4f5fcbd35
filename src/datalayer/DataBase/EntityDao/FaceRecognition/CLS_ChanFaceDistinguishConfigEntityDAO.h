// Face-recognition mode per host (TAB_CONFIG_CHANNEL_FACE).
#ifndef CLS_CHANFACEDISTINGUISHCONFIGENTITYDAO_H
#define CLS_CHANFACEDISTINGUISHCONFIGENTITYDAO_H

#include "CLS_FaceLibEntities.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

class DATAMEDIATOR_EXPORT CLS_ChanFaceDistinguishConfigEntityDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call, never destroyed.
    static CLS_ChanFaceDistinguishConfigEntityDAO* GetInstance();

    /// The host's mode into _iDistinguishType. 0, or -1 when the host has none or the read failed.
    int GetDistinguishType(const QString& _qstrHostId, int& _iDistinguishType);
    /// Replaces the host's mode (one transaction).
    int SetDistinguishType(const QString& _qstrHostId, int _iDistinguishType);

protected:
    CLS_ChanFaceDistinguishConfigEntityDAO() = default;
};

#endif  // CLS_CHANFACEDISTINGUISHCONFIGENTITYDAO_H
