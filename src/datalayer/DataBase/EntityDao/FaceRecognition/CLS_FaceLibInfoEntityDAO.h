// Face libraries (TAB_FACELIB_INFO).
#ifndef CLS_FACELIBINFOENTITYDAO_H
#define CLS_FACELIBINFOENTITYDAO_H

#include "CLS_FaceLibEntities.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QVector>

class DATAMEDIATOR_EXPORT CLS_FaceLibInfoEntityDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call, never destroyed.
    static CLS_FaceLibInfoEntityDAO* GetInstance();

    /// Appends every library. 0 or -1.
    int GetAllFaceLib(QVector<CLS_FaceLibInfoEntity>& _vecLibs);
    /// 0 when found, -1 when missing or the read failed.
    int GetFaceLibById(const QString& _qstrId, CLS_FaceLibInfoEntity& _lib);
    int AddFaceLib(const CLS_FaceLibInfoEntity& _lib);
    int RenameFaceLib(const QString& _qstrId, const QString& _qstrCaption);
    int DeleteFaceLib(const QString& _qstrId);
    /// Number of libraries of that name, -1 when the read failed.
    int GetFaceLibNameCount(const QString& _qstrLibName);

protected:
    CLS_FaceLibInfoEntityDAO() = default;
};

#endif  // CLS_FACELIBINFOENTITYDAO_H
