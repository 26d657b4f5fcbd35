#include "AlarmLogModel.h"

#include "ConsoleSession.h"

#include <I_DataMediator.h>

#include <QColor>

namespace console {

AlarmLogModel::AlarmLogModel(ConsoleSession& _session, QObject* _pParent)
    : QAbstractTableModel(_pParent), m_session(_session)
{
}

void AlarmLogModel::search(const STRCT_AlarmSearchCondition& _condition)
{
    beginResetModel();
    m_condition = _condition;
    m_condition.m_iPageSize = kPageSize;
    m_vecRows.clear();
    m_iTotal = -1;
    m_bFailed = false;
    m_bFetching = false;
    m_bCounting = true;
    const quint64 uiGeneration = ++m_uiGeneration;
    endResetModel();
    const STRCT_AlarmSearchCondition condition = m_condition;
    m_session.call(
        this, [condition](I_DataMediator& _m) { return _m.GetAlarmRecordCount(condition); },
        [this, uiGeneration](int _iTotal) {
            if (uiGeneration != m_uiGeneration) {
                return;
            }
            if (_iTotal <= 0) {
                // The count reads 0 on failure too: an empty page confirms it, a failed one not.
                confirmEmpty(uiGeneration);
                return;
            }
            m_bCounting = false;
            m_iTotal = _iTotal;
            emit counted(_iTotal);
            fetchMore(QModelIndex());
        });
}

void AlarmLogModel::confirmEmpty(quint64 _uiGeneration)
{
    STRCT_AlarmSearchCondition condition = m_condition;
    condition.m_iPageNum = 1;
    m_session.call(
        this,
        [condition](I_DataMediator& _m) {
            QVector<STRCT_AlarmRecord> vecPage;
            return _m.SearchAlarmRecord(condition, vecPage) && vecPage.isEmpty();
        },
        [this, _uiGeneration](bool _bEmpty) {
            if (_uiGeneration != m_uiGeneration) {
                return;
            }
            m_bCounting = false;
            m_iTotal = _bEmpty ? 0 : -1;
            m_bFailed = !_bEmpty;
            emit counted(m_iTotal);
        });
}

bool AlarmLogModel::canFetchMore(const QModelIndex& _parent) const
{
    return !_parent.isValid() && !m_bCounting && !m_bFetching && !m_bFailed && m_vecRows.size() < m_iTotal;
}

void AlarmLogModel::fetchMore(const QModelIndex& _parent)
{
    if (!canFetchMore(_parent)) {
        return;
    }
    m_bFetching = true;
    STRCT_AlarmSearchCondition condition = m_condition;
    condition.m_iPageNum = m_vecRows.size() / kPageSize + 1;
    const int iSkip = m_vecRows.size() % kPageSize;  // rows of a short last page already shown
    const quint64 uiGeneration = m_uiGeneration;
    typedef QPair<bool, QVector<STRCT_AlarmRecord>> Page;
    m_session.call(
        this,
        [condition](I_DataMediator& _m) {
            Page page;
            page.first = _m.SearchAlarmRecord(condition, page.second);
            return page;
        },
        [this, uiGeneration, iSkip](const Page& _page) {
            if (uiGeneration != m_uiGeneration) {
                return;
            }
            m_bFetching = false;
            const QVector<STRCT_AlarmRecord>& vecPage = _page.second;
            if (!_page.first || vecPage.size() <= iSkip) {
                // A failed search, or fewer records than counted (deleted meanwhile): stop here.
                m_bFailed = !_page.first;
                if (_page.first) {
                    m_iTotal = m_vecRows.size();
                }
                emit pageLoaded(_page.first);
                return;
            }
            const int iFirst = m_vecRows.size();
            beginInsertRows(QModelIndex(), iFirst, iFirst + vecPage.size() - iSkip - 1);
            m_vecRows += vecPage.mid(iSkip);
            endInsertRows();
            emit pageLoaded(true);
        });
}

int AlarmLogModel::rowCount(const QModelIndex& _parent) const
{
    return _parent.isValid() ? 0 : m_vecRows.size();
}

int AlarmLogModel::columnCount(const QModelIndex& _parent) const
{
    return _parent.isValid() ? 0 : ColumnCount;
}

QColor AlarmLogModel::levelColor(int _iLevel)
{
    switch (_iLevel) {
        case 1:
            return QColor(0xe8, 0xf5, 0xe9);
        case 2:
            return QColor(0xe3, 0xf2, 0xfd);
        case 3:
            return QColor(0xff, 0xf8, 0xe1);
        case 4:
            return QColor(0xff, 0xe0, 0xb2);
        case 5:
            return QColor(0xff, 0xcd, 0xd2);
        default:
            return QColor(Qt::white);
    }
}

QVariant AlarmLogModel::data(const QModelIndex& _index, int _iRole) const
{
    if (!_index.isValid() || _index.row() >= m_vecRows.size()) {
        return QVariant();
    }
    const STRCT_AlarmRecord& rec = m_vecRows.at(_index.row());
    switch (_iRole) {
        case Qt::DisplayRole:
            switch (_index.column()) {
                case TimeColumn:
                    return rec.m_strAlarmTime;
                case SourceColumn:
                    return rec.m_strCameraCaption.isEmpty() ? rec.m_strCameraID : rec.m_strCameraCaption;
                case TypeColumn:
                    return rec.m_iAlarmType;
                case LevelColumn:
                    return rec.m_iLevel;
                case StateColumn:
                    return rec.m_iDealState == 0 ? tr("open") : tr("handled");
                case HandledByColumn:
                    return rec.m_strDealUserID;
                default:
                    return QVariant();
            }
        case Qt::BackgroundRole:
            return levelColor(rec.m_iLevel);
        case Qt::ForegroundRole:
            return QColor(Qt::black);
        case SourceIdRole:
            return rec.m_strCameraID;
        case LevelRole:
            return rec.m_iLevel;
        default:
            return QVariant();
    }
}

QVariant AlarmLogModel::headerData(int _iSection, Qt::Orientation _orientation, int _iRole) const
{
    if (_orientation != Qt::Horizontal || _iRole != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(_iSection, _orientation, _iRole);
    }
    switch (_iSection) {
        case TimeColumn:
            return tr("Time");
        case SourceColumn:
            return tr("Source");
        case TypeColumn:
            return tr("Type");
        case LevelColumn:
            return tr("Level");
        case StateColumn:
            return tr("State");
        case HandledByColumn:
            return tr("Handled by");
        default:
            return QVariant();
    }
}

}  // namespace console
