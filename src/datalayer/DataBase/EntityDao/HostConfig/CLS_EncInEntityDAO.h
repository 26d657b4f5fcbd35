// Encoder inputs of decoders: TAB_OBJ and TAB_DEV_ENCODE_IN. Single statements, no
// transactions: a pair of statements stops at the first failure.
#ifndef CLS_ENCINENTITYDAO_H
#define CLS_ENCINENTITYDAO_H

#include "CLS_EncInEntity.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QString>
#include <QVector>

class DATAMEDIATOR_EXPORT CLS_EncInEntityDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call (no lock), never destroyed.
    static CLS_EncInEntityDAO* GetInstance();
    CLS_EncInEntityDAO();
    virtual ~CLS_EncInEntityDAO();

    // ---- writes: 0, or -1 on failure ----
    /// The TAB_OBJ row (with the entity's visibility), then, if that worked, the input row.
    int InsertEncIn(const CLS_EncInEntity& _encInEntity);
    /// Caption, then number.
    int UpdateEncIn(const CLS_EncInEntity& _encInEntity);
    int SetEncInDisplayType(const QString& _strEncInID, int _iDisplayType);
    /// The input row, the TAB_OBJ row and the rights, in one transaction.
    int DeleteEncIn(const QString& _strEncInID);

    // ---- reads ----
    /// Appends every encoder input by number; 0, or -1 when the server gave no record set.
    int GetAllEncIns(QVector<CLS_EncInEntity*>& _vecEncIns);
    int GetEncInsOfDecoder(const QString& _strDecID, QVector<CLS_EncInEntity*>& _vecEncIns);
    /// The count, or -1 for no answer.
    int GetEncInCountOfDecoder(const QString& _strDecID);
    /// A new entity (owned by the caller), or null when there is none.
    CLS_EncInEntity* GetEncInByNum(const QString& _strDecID, int _iNum);
    CLS_EncInEntity* GetEncInById(const QString& _strEncInID);
    bool IsEncInNumExist(const QString& _strDecID, int _iNum);

    static void LoadEncIn(const QMap<QString, QString>& _row, CLS_EncInEntity& _encInEntity);
};

#endif  // CLS_ENCINENTITYDAO_H
