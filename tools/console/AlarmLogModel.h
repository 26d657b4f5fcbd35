// The alarm log as a table that pages itself: the number of matching records comes first, then
// pages of the library's search as the view scrolls (canFetchMore/fetchMore), each fetched on
// the session's thread.
#ifndef TESSEL_CONSOLE_ALARMLOGMODEL_H
#define TESSEL_CONSOLE_ALARMLOGMODEL_H

#include <STRCT_Alarm.h>

#include <QAbstractTableModel>
#include <QVector>

namespace console {

class ConsoleSession;

class AlarmLogModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        TimeColumn,
        SourceColumn,
        TypeColumn,
        LevelColumn,
        StateColumn,
        HandledByColumn,
        ColumnCount
    };
    enum Role
    {
        SourceIdRole = Qt::UserRole + 1,
        LevelRole
    };
    static constexpr int kPageSize = 200;

    explicit AlarmLogModel(ConsoleSession& _session, QObject* _pParent = nullptr);

    /// Starts over with these filters (the page fields are the model's).
    void search(const STRCT_AlarmSearchCondition& _condition);
    /// Matching records on the server; -1 until counted or when counting failed.
    int total() const { return m_iTotal; }
    /// Whether a count or page is on its way.
    bool busy() const { return m_bCounting || m_bFetching; }
    const STRCT_AlarmRecord& record(int _iRow) const { return m_vecRows.at(_iRow); }

    int rowCount(const QModelIndex& _parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& _parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& _index, int _iRole = Qt::DisplayRole) const override;
    QVariant headerData(int _iSection, Qt::Orientation _orientation,
                        int _iRole = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& _parent) const override;
    void fetchMore(const QModelIndex& _parent) override;

    /// Background colour of a level (1 lowest .. 5 highest).
    static QColor levelColor(int _iLevel);

signals:
    /// The count arrived (or failed: -1).
    void counted(int _iTotal);
    /// A page arrived; false when the search failed (no further pages are asked for).
    void pageLoaded(bool _bOk);

private:
    void confirmEmpty(quint64 _uiGeneration);

    ConsoleSession& m_session;
    STRCT_AlarmSearchCondition m_condition;
    QVector<STRCT_AlarmRecord> m_vecRows;
    int m_iTotal = -1;
    quint64 m_uiGeneration = 0;  // answers of an earlier search are dropped
    bool m_bCounting = false;
    bool m_bFetching = false;
    bool m_bFailed = false;
};

}  // namespace console

#endif  // TESSEL_CONSOLE_ALARMLOGMODEL_H
