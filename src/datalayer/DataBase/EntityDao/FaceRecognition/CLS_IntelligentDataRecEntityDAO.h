// Face captures in "Tessel-intelligent": one table per month, TAB_INTELLIGENT_FACE_CAPTURE
// followed by yyyyMM, reached through the partition commands or table by table after listing.
#ifndef CLS_INTELLIGENTDATARECENTITYDAO_H
#define CLS_INTELLIGENTDATARECENTITYDAO_H

#include "CLS_IntelligentDataRecEntity.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QVector>

class DATAMEDIATOR_EXPORT CLS_IntelligentDataRecEntityDAO : public CLS_BaseEntityDAO
{
public:
    static const char* const kTable;  ///< "TAB_INTELLIGENT_FACE_CAPTURE", the template

    /// Statistic periods and kinds of GetFaceCaptureStatistics.
    enum Period { pdDay = 0, pdWeek = 1, pdMonth = 2, pdYear = 3 };
    enum Kind { kdAge = 0, kdGender = 1, kdCount = 2, kdGlasses = 3, kdMasks = 4, kdTemperature = 5 };

    /// Created on first call (no lock), never destroyed.
    static CLS_IntelligentDataRecEntityDAO* GetInstance();
    CLS_IntelligentDataRecEntityDAO();
    virtual ~CLS_IntelligentDataRecEntityDAO();

    /// The month suffix (yyyyMM) of a capture time; empty when the time does not start with
    /// a year and month of digits.
    static QString MonthOf(const QString& _strCaptureTime);

    /// Gives every entity without S_ID a new id and every entity its I_SEQ, then stores them
    /// all in one transaction across their months. 0, the server's result, or -1 for a capture
    /// time without a month (nothing stored).
    int AddFaceCaptures(QVector<CLS_IntelligentDataRecEntity>& _vecEntities);
    int AddFaceCapture(CLS_IntelligentDataRecEntity& _entity);

    /// Appends one page, newest first (caller owns the entities); 0 or -1.
    int SearchFaceCapture(const CLS_IntelligentDataRecSearchEntity& _search,
                          QVector<CLS_IntelligentDataRecEntity*>& _vecCaptures);
    /// Number of matching captures over the months of the range; -1 when a table failed.
    int GetFaceCaptureCount(const CLS_IntelligentDataRecSearchEntity& _search);
    /// Adds, per group key THE_TIME ("00".."23" hours, "0".."6" weekdays from Sunday, "01".."31"
    /// days, "01".."12" months), the kind's counts in column order to _mapResult. Counts of one
    /// key found in two monthly tables (a week across two months) are added up. 0, or -1 for a
    /// bad date, period or kind, or a failed table.
    int GetFaceCaptureStatistics(const QString& _strDate, int _iPeriod, int _iKind, const QString& _strChannelID,
                                 QMap<QString, QVector<qint64>>& _mapResult);

    /// Invalid when there is no capture, and when a read failed.
    QDateTime GetEarliestFaceCaptureTime();
    /// The oldest _iCount captures (a negative count: all of them); 0 or -1.
    int GetOldestFaceCaptures(int _iCount, QVector<CLS_IntelligentDataRecEntity*>& _vecCaptures);
    /// Summed file size of the oldest _iCount captures (negative: all); -1 when the read failed.
    qint64 GetOldestFaceCaptureSize(int _iCount);
    int GetFaceCapturesBefore(const QString& _strTime, QVector<CLS_IntelligentDataRecEntity*>& _vecCaptures);
    /// -1 when the listing or a month's read failed.
    qint64 GetFaceCaptureSizeBefore(const QString& _strTime);

    /// Deletes the captures (id, capture time) in one transaction, then drops the past months
    /// left empty. 0 for an empty list; captures of months without a table are skipped; negative
    /// when the listing or the transaction failed.
    int DeleteFaceCaptureByIds(const QList<QPair<QString, QString>>& _lstIdTimes);
    /// Empties every monthly table in one transaction; negative when the listing failed.
    int DeleteAllFaceCapture();
    /// Drops the monthly tables before the month of _today that hold no capture; 0, or -1 when
    /// the listing failed.
    int DropEmptyTables(const QDate& _today);

    static void LoadFaceCapture(const QMap<QString, QString>& _row, CLS_IntelligentDataRecEntity& _entity);

private:
    /// Sets _vecTables to the monthly tables between the months (empty: open). 0, or the
    /// listing's negative code (logged under _pszOperation) with _vecTables empty.
    int ListTables(const QString& _strStartMonth, const QString& _strEndMonth, QVector<QString>& _vecTables,
                   const char* _pszOperation);
};

#endif  // CLS_INTELLIGENTDATARECENTITYDAO_H
