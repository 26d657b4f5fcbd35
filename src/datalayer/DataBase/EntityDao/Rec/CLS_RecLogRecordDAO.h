// The operation log, TAB_DD_LOGRECORD in "Tessel".
#ifndef CLS_RECLOGRECORDDAO_H
#define CLS_RECLOGRECORDDAO_H

#include "CLS_RecFileEntity.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QString>
#include <QVector>

class DATAMEDIATOR_EXPORT CLS_RecLogRecordDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call (no lock), never destroyed.
    static CLS_RecLogRecordDAO* GetInstance();
    CLS_RecLogRecordDAO();
    virtual ~CLS_RecLogRecordDAO();

    /// Stores an entry under the largest stored id + 1 (1 for an empty log); the server's
    /// result, -1 when the largest id could not be read.
    int AddOperationLog(const QString& _strTime, const QString& _strUserID, qint32 _iLogType,
                        qint32 _iLogDetailType, const QString& _strDescription);
    /// Appends page _iPageNumber (from 1) of the matching entries, newest id first, with the
    /// user's caption; a page size of 0 gives none, a negative one every entry. 0 or -1.
    int SearchOperationLog(const STRCT_OperationLogFilter& _filter, int _iPageSize, int _iPageNumber,
                           QVector<CLS_OperationLogEntity*>& _vecEntries);
    /// Number of matching entries; -1 for no answer.
    int GetOperationLogCount(const STRCT_OperationLogFilter& _filter);
    /// Entries older than _strKeepTime: of every user for "admin", else only the user's own.
    int DeleteOperationLog(const QString& _strUserID, const QString& _strKeepTime);
};

#endif  // CLS_RECLOGRECORDDAO_H
