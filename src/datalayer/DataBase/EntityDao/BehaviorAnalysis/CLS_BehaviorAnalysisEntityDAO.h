// Behaviour-analysis snapshots in "Tessel-intelligent": TAB_INTELLIGENT_BEHAVIOR_CAPTURE
// followed by yyyyMM, reached through the partition commands or table by table.
#ifndef CLS_BEHAVIORANALYSISENTITYDAO_H
#define CLS_BEHAVIORANALYSISENTITYDAO_H

#include "CLS_PassageEntities.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QVector>

class DATAMEDIATOR_EXPORT CLS_BehaviorAnalysisEntityDAO : public CLS_BaseEntityDAO
{
public:
    static const char* const kTable;  ///< "TAB_INTELLIGENT_BEHAVIOR_CAPTURE", the template

    /// Created on first call (no lock), never destroyed.
    static CLS_BehaviorAnalysisEntityDAO* GetInstance();

    /// Gives every record without S_ID a new id and every record its I_SEQ, then stores them
    /// in one transaction across their months. 0, the server's result, or -1 (nothing stored)
    /// for a snapshot time without a month.
    int AddBehaviorAnalysisCaptures(QVector<CLS_BehaviorAnalysisEntity>& _vecRecords);
    int AddBehaviorAnalysisCapture(CLS_BehaviorAnalysisEntity& _record);

    /// Appends one page, newest first; 0 or -1.
    int BehaviorAnalysisGetRecord(const CLS_BehaviorAnalysisSearchEntity& _search,
                                  QVector<CLS_BehaviorAnalysisEntity>& _vecRecords);
    /// Matching records over the months of the range; -1 when a table failed.
    int BehaviorAnalysisGetCount(const CLS_BehaviorAnalysisSearchEntity& _search);

    /// The oldest _iCount records of every month; 0 or -1.
    int GetBehaviorAnalysisPicFiles(int _iCount, QVector<CLS_BehaviorAnalysisEntity>& _vecRecords);
    /// The records older than _qstrSaveTime, oldest first, at most _iCount of them (0: all).
    int GetBehaviorAnalysisPicFilesBefore(const QString& _qstrSaveTime, int _iCount,
                                          QVector<CLS_BehaviorAnalysisEntity>& _vecRecords);

    /// Deletes (id, snapshot time) pairs per monthly table in one transaction, then drops the
    /// past months left empty. 0 for an empty list.
    int DelBehaviorAnalysisPicRec(const QList<QPair<QString, QString>>& _lstIdTimes);
    int DeleteAllBehaviorAnalysisData();
    int DropBehaviorAnalysisTable(const QDate& _today);

    static void Load(const QMap<QString, QString>& _row, CLS_BehaviorAnalysisEntity& _record);

private:
    CLS_BehaviorAnalysisEntityDAO();
};

#endif  // CLS_BEHAVIORANALYSISENTITYDAO_H
