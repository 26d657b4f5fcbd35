#include "CLS_ViewEntityDAO.h"

#include "DataBase/EntityDao/HostConfig/DeviceDaoSupport.h"

#include <QUuid>

using namespace DeviceDao;

namespace {

const char kSelectViews[] =
    "SELECT TAB_VIEW.S_ID, TAB_VIEW.S_CAPTION, TAB_VIEW.S_PARAM, TAB_LAYOUT_VIEW.S_LAYOUT_ID, "
    "TAB_VIEW_CHANNEL.S_CAMERA_ID, TAB_VIEW_CHANNEL.I_DATA_TYPE, "
    "TAB_VIEW_CHANNEL.I_PANEL_NUM,TAB_VIEW_CHANNEL.S_TREENODE_ID, TAB_VIEW.I_TYPE, TAB_VIEW.I_ISTEMPLATE "
    "FROM TAB_VIEW "
    "LEFT JOIN TAB_VIEW_CHANNEL ON TAB_VIEW.S_ID = TAB_VIEW_CHANNEL.S_VIEW_ID "
    "LEFT JOIN tab_layout_view ON TAB_LAYOUT_VIEW.s_view_id = TAB_VIEW.S_ID ";

QString newId()
{
    return QUuid::createUuid().toString(QUuid::Id128);
}

// Folds the joined rows (one per channel, consecutive per view) into entities. A view without
// channels comes as one row with empty channel columns and gets no channel; a view in several
// layouts repeats its channels per layout, and only the rows of its first layout count.
int foldViews(RecordSet* _pRows, QVector<CLS_ViewEntity*>& _vecViews)
{
    const Rows rows(_pRows);
    if (rows.Failed()) {
        return -1;
    }
    QVector<CLS_ViewEntity*> vecRead;
    try {
        for (const Row* pRow : rows) {
            if (pRow == nullptr) {
                continue;
            }
            const QString strID = Text(*pRow, "S_ID");
            const QString strLayoutID = Text(*pRow, "S_LAYOUT_ID");
            if (vecRead.isEmpty() || vecRead.last()->S_ID != strID) {
                auto* pView = new CLS_ViewEntity();
                vecRead.append(pView);
                pView->S_ID = strID;
                pView->S_CAPTION = Text(*pRow, "S_CAPTION");
                pView->S_PARAM = Text(*pRow, "S_PARAM");
                pView->S_LAYOUT_ID = strLayoutID;
                pView->I_TYPE = Int(*pRow, "I_TYPE");
                pView->I_ISTEMPLATE = Int(*pRow, "I_ISTEMPLATE");
            } else if (vecRead.last()->S_LAYOUT_ID != strLayoutID) {
                continue;
            }
            STRCT_ViewChannel channel;
            channel.S_CAMERA_ID = Text(*pRow, "S_CAMERA_ID");
            channel.S_TREENODE_ID = Text(*pRow, "S_TREENODE_ID");
            if (channel.S_CAMERA_ID.isEmpty() && channel.S_TREENODE_ID.isEmpty() &&
                Text(*pRow, "I_PANEL_NUM").isEmpty()) {
                continue;
            }
            channel.I_DATA_TYPE = Int(*pRow, "I_DATA_TYPE");
            channel.I_PANEL_NUM = Int(*pRow, "I_PANEL_NUM");
            vecRead.last()->m_vecChannels.append(channel);
        }
    } catch (...) {
        qDeleteAll(vecRead);
        throw;
    }
    _vecViews += vecRead;
    return 0;
}

int readCaptions(RecordSet* _pRows, QVector<STRCT_ViewCaption>& _vecViews)
{
    const Rows rows(_pRows);
    if (rows.Failed()) {
        return -1;
    }
    for (const Row* pRow : rows) {
        if (pRow != nullptr) {
            _vecViews.append(STRCT_ViewCaption{Text(*pRow, "S_ID"), Text(*pRow, "S_CAPTION")});
        }
    }
    return 0;
}

}  // namespace

CLS_ViewEntityDAO* CLS_ViewEntityDAO::GetInstance()
{
    static CLS_ViewEntityDAO* const s_pInstance = new CLS_ViewEntityDAO();
    return s_pInstance;
}

int CLS_ViewEntityDAO::Insert(CLS_ViewEntity& _viewEntity)
{
    return Guarded("CLS_ViewEntityDAO::Insert", -1, [&] {
        if (_viewEntity.S_ID.isEmpty()) {
            _viewEntity.S_ID = newId();
        }
        int iRet = ExecuteEx(m_strDbName,
                             QStringLiteral("Insert Into TAB_VIEW (S_ID, S_CAPTION, S_PARAM, I_TYPE, I_ISTEMPLATE) "
                                            "Values (:id,:caption,:param,%1,%2)")
                                 .arg(IntToString(_viewEntity.I_TYPE), IntToString(_viewEntity.I_ISTEMPLATE)),
                             Binds{{":id", _viewEntity.S_ID},
                                   {":caption", _viewEntity.S_CAPTION},
                                   {":param", _viewEntity.S_PARAM}});
        if (iRet != 0) {
            return iRet;
        }
        for (const STRCT_ViewChannel& channel : qAsConst(_viewEntity.m_vecChannels)) {
            iRet = ExecuteEx(m_strDbName,
                             QStringLiteral("Insert Into TAB_VIEW_CHANNEL (S_ID, S_CAMERA_ID, I_DATA_TYPE, "
                                            "I_PANEL_NUM, S_VIEW_ID,S_TREENODE_ID) Values (:id,:chid,%1,%2,"
                                            ":viewid,:nodeid)")
                                 .arg(IntToString(channel.I_DATA_TYPE), IntToString(channel.I_PANEL_NUM)),
                             Binds{{":id", newId()},
                                   {":chid", channel.S_CAMERA_ID},
                                   {":viewid", _viewEntity.S_ID},
                                   {":nodeid", channel.S_TREENODE_ID}});
            if (iRet != 0) {
                return iRet;
            }
        }
        if (!_viewEntity.S_LAYOUT_ID.isEmpty()) {
            iRet = ExecuteEx(m_strDbName,
                             QStringLiteral("Insert Into TAB_LAYOUT_VIEW (S_ID, S_VIEW_ID, S_LAYOUT_ID) Values "
                                            "(:id,:viewid,:layoutid)"),
                             Binds{{":id", newId()},
                                   {":viewid", _viewEntity.S_ID},
                                   {":layoutid", _viewEntity.S_LAYOUT_ID}});
        }
        return iRet;
    });
}

int CLS_ViewEntityDAO::UpdateCaption(const QString& _strViewID, const QString& _strCaption)
{
    return Guarded("CLS_ViewEntityDAO::UpdateCaption", -1, [&] {
        return ExecuteEx(m_strDbName, QStringLiteral("Update TAB_VIEW Set S_CAPTION=:caption where S_ID =:id"),
                         Binds{{":id", _strViewID}, {":caption", _strCaption}});
    });
}

int CLS_ViewEntityDAO::Delete(const QString& _strViewID)
{
    return Guarded("CLS_ViewEntityDAO::Delete", -1, [&] {
        const Binds binds{{":id", _strViewID}};
        int iRet = ExecuteEx(m_strDbName, QStringLiteral("Delete From TAB_VIEW Where S_ID=:id"), binds);
        if (iRet != 0) {
            return iRet;
        }
        iRet = ExecuteEx(m_strDbName, QStringLiteral("Delete From TAB_LAYOUT_VIEW Where S_VIEW_ID=:id"), binds);
        if (iRet != 0) {
            DL_LOG(3, "CLS_ViewEntityDAO::Delete :%s fail", qPrintable(_strViewID));
            return iRet;
        }
        return ExecuteEx(m_strDbName, QStringLiteral("Delete From TAB_VIEW_CRUISE Where S_VIEW_ID=:id"), binds);
    });
}

int CLS_ViewEntityDAO::GetAll(QVector<CLS_ViewEntity*>& _vecViews)
{
    return Guarded("CLS_ViewEntityDAO::GetAll", -1, [&] {
        return foldViews(ExecuteQuery(m_strDbName, QLatin1String(kSelectViews) +
                                                       QStringLiteral("order by TAB_VIEW.S_ID asc")),
                         _vecViews);
    });
}

int CLS_ViewEntityDAO::GetById(const QString& _strViewID, CLS_ViewEntity& _viewEntity)
{
    return Guarded("CLS_ViewEntityDAO::GetById", -1, [&] {
        QVector<CLS_ViewEntity*> vecViews;
        const int iRet =
            foldViews(ExecuteQueryEx(m_strDbName,
                                     QLatin1String(kSelectViews) +
                                         QStringLiteral("WHERE TAB_VIEW.S_ID = :id order by TAB_VIEW.S_ID asc"),
                                     Binds{{":id", _strViewID}}),
                      vecViews);
        if (iRet != 0) {
            return iRet;
        }
        if (vecViews.isEmpty()) {
            return -2;
        }
        _viewEntity = *vecViews.first();
        qDeleteAll(vecViews);
        return 0;
    });
}

int CLS_ViewEntityDAO::GetByType(int _iViewType, QVector<STRCT_ViewCaption>& _vecViews)
{
    return Guarded("CLS_ViewEntityDAO::GetByType", -1, [&] {
        return readCaptions(
            ExecuteQuery(m_strDbName,
                         QStringLiteral("SELECT S_ID, S_CAPTION FROM TAB_VIEW WHERE I_TYPE =") + IntToString(_iViewType)),
            _vecViews);
    });
}

int CLS_ViewEntityDAO::GetByLayout(const QString& _strLayoutID, int _iViewType,
                                   QVector<STRCT_ViewCaption>& _vecViews)
{
    return Guarded("CLS_ViewEntityDAO::GetByLayout", -1, [&] {
        return readCaptions(
            ExecuteQueryEx(m_strDbName,
                           QStringLiteral("SELECT TAB_VIEW.S_ID, TAB_VIEW.S_CAPTION FROM TAB_VIEW "
                                          "LEFT JOIN TAB_LAYOUT_VIEW ON TAB_VIEW.S_ID = TAB_LAYOUT_VIEW.S_VIEW_ID "
                                          "WHERE TAB_LAYOUT_VIEW.S_LAYOUT_ID = :LayoutID "
                                          "AND TAB_VIEW.I_TYPE =") +
                               IntToString(_iViewType),
                           Binds{{":LayoutID", _strLayoutID}}),
            _vecViews);
    });
}

bool CLS_ViewEntityDAO::IsExist(const QString& _strCaption)
{
    return Guarded("CLS_ViewEntityDAO::IsExist", false, [&] {
        return Count(m_strDbName, QStringLiteral("SELECT COUNT(*) FROM TAB_VIEW WHERE S_CAPTION = :caption"),
                     Binds{{":caption", _strCaption}}) > 0;
    });
}
