// Decoders (TAB_DEV_DECODER with TAB_OBJ and TAB_DECODER_IN), their outputs and output regions,
// TVs and TV outputs. Entities in output vectors belong to the caller.
#ifndef CLS_DECENTITYDAO_H
#define CLS_DECENTITYDAO_H

#include "CLS_DecoderEntities.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QStringList>

class DATAMEDIATOR_EXPORT CLS_DecEntityDAO : public CLS_BaseEntityDAO
{
public:
    static CLS_DecEntityDAO* GetInstance();

    /// Every decoder by address. 0 or -1.
    int GetAll(QVector<CLS_DecEntity*>& _vecDecs);
    /// 0; -1 for no answer; -2 when there is no such decoder.
    int GetById(const QString& _strDecID, CLS_DecEntity& _decEntity);
    /// Page _iPageNum (from 1) of _iPageSize decoders by address, and the number of decoders.
    int GetPage(int _iPageSize, int _iPageNum, QVector<CLS_DecEntity*>& _vecDecs, int& _iTotal);
    /// -1 for no answer.
    int GetCount();
    /// Whether a decoder has the address (and the port, when _iPort >= 0).
    bool IsAddressInUse(const QString& _strIP, int _iPort);
    /// The object and decoder rows (REPLACE) in one transaction.
    int Insert(const CLS_DecEntity& _decEntity);
    /// The same as a plain insert, with one input row per number 1..I_DECODER_IN_COUNT.
    int InsertWithInputs(const CLS_DecEntity& _decEntity);
    /// Caption and decoder row in one transaction.
    int Update(const CLS_DecEntity& _decEntity);
    /// The decoder with its outputs, their screen units and layout memberships, one transaction.
    int Delete(const QString& _strDecID);
    /// Caption of input _iNum of a decoder named _strDecCaption.
    static QString InputCaption(const QString& _strDecCaption, int _iNum);

private:
    CLS_DecEntityDAO() = default;
};

class DATAMEDIATOR_EXPORT CLS_DecOutEntityDAO : public CLS_BaseEntityDAO
{
public:
    static CLS_DecOutEntityDAO* GetInstance();

    int GetAll(QVector<CLS_DecOutEntity*>& _vecOuts);
    int GetOfDecoder(const QString& _strDecID, QVector<CLS_DecOutEntity*>& _vecOuts);
    /// Outputs of the decoder used neither by a joined screen nor by a member of one.
    int GetFreeOfDecoder(const QString& _strDecID, QVector<CLS_DecOutEntity*>& _vecOuts);
    /// 0; -1 for no answer; -2 when there is none.
    int GetByNum(const QString& _strDecID, int _iNum, CLS_DecOutEntity& _outEntity);
    int GetById(const QString& _strOutID, CLS_DecOutEntity& _outEntity);
    /// -1 for no answer.
    int GetVisibleCount(const QString& _strDecID);
    /// Object row, then (only if that worked) output row; -1 when either fails.
    int Insert(const CLS_DecOutEntity& _outEntity);
    /// Caption, then number; -1 when either fails.
    int Update(const CLS_DecOutEntity& _outEntity);
    int UpdateCaption(const QString& _strOutID, const QString& _strCaption);
    /// Output row, object row and the screen units on the output, one transaction.
    int Delete(const QString& _strOutID);

private:
    CLS_DecOutEntityDAO() = default;
};

class DATAMEDIATOR_EXPORT CLS_DecOutRegionEntityDAO : public CLS_BaseEntityDAO
{
public:
    static CLS_DecOutRegionEntityDAO* GetInstance();

    int GetOfOutput(const QString& _strOutID, QVector<CLS_DecOutRegionEntity*>& _vecRegions);
    int GetById(const QString& _strRegionID, CLS_DecOutRegionEntity& _regionEntity);
    /// Object row, then region row; -1 when either fails.
    int Insert(const CLS_DecOutRegionEntity& _regionEntity);
    int Delete(const QString& _strRegionID);

private:
    CLS_DecOutRegionEntityDAO() = default;
};

class DATAMEDIATOR_EXPORT CLS_TVEntityDAO : public CLS_BaseEntityDAO
{
public:
    static CLS_TVEntityDAO* GetInstance();

    int GetAll(QVector<CLS_TVEntity*>& _vecTVs);
    /// Ids of the children of an object that have the object type.
    int GetChildIds(const QString& _strParentID, int _iObjType, QStringList& _lstIDs);

private:
    CLS_TVEntityDAO() = default;
};

class DATAMEDIATOR_EXPORT CLS_TVOutEntityDAO : public CLS_BaseEntityDAO
{
public:
    static CLS_TVOutEntityDAO* GetInstance();

    /// TV outputs that show a decoder output region.
    int GetAll(QVector<CLS_TVOutEntity*>& _vecOuts);
    int GetOfTV(const QString& _strTVID, QVector<CLS_TVOutEntity*>& _vecOuts);

private:
    CLS_TVOutEntityDAO() = default;
};

#endif  // CLS_DECENTITYDAO_H
