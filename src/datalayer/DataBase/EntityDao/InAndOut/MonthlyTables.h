// Helpers of the kinds kept in one table per month (template name followed by yyyyMM):
// listing, emptying and dropping the past months left empty.
#ifndef MONTHLYTABLES_H
#define MONTHLYTABLES_H

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QVector>

namespace MonthlyTables {

/// The month (yyyyMM) of a time text "yyyy-MM-dd ..."; empty when it has none.
QString MonthOf(const QString& _qstrTime);
/// Whether _qstrName is the template followed by six digits.
bool IsMonthly(const QString& _qstrTemplate, const QString& _qstrName);
/// Sets _vecTables to the monthly tables from _qstrStartMonth to _qstrEndMonth (empty: open),
/// oldest first. 0, or the listing's negative code (logged at level 2 under _pszOperation)
/// with _vecTables empty: a failed listing is never "no table".
int List(const QString& _qstrDbName, const QString& _qstrTemplate, const QString& _qstrStartMonth,
         const QString& _qstrEndMonth, QVector<QString>& _vecTables, const char* _pszOperation);
/// Deletes (id, time) pairs, one statement with bound ids per monthly table, all in one
/// transaction; pairs of months without a table are skipped. 0 when nothing is left to delete;
/// negative when the listing or the transaction failed.
int DeleteByIds(const QString& _qstrDbName, const QString& _qstrTemplate,
                const QList<QPair<QString, QString>>& _lstIdTimes);
/// Runs "Delete From <template>" on every monthly table in one partitioned transaction; 0 when
/// there is none, negative when the listing or the transaction failed.
int DeleteAll(const QString& _qstrDbName, const QString& _qstrTemplate);
/// Drops the monthly tables before the month of _today that hold no row. 0, or -1 when the
/// listing failed (logged at level 2 as _pszListFailure).
int DropEmpty(const QString& _qstrDbName, const QString& _qstrTemplate, const QDate& _today,
              const char* _pszListFailure);

}  // namespace MonthlyTables

#endif  // MONTHLYTABLES_H
