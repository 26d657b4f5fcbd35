#include "CLS_IntelligentDataRecEntityDAO.h"

#include "DataBase/EntityDao/DB/TimeSequence.h"
#include "DataBase/EntityDao/HostConfig/DeviceDaoSupport.h"
#include "DataBase/EntityDao/InAndOut/MonthlyTables.h"
#include "Log.h"

#include <QRegularExpression>
#include <QUuid>

#include <limits>

using namespace DeviceDao;

const char* const CLS_IntelligentDataRecEntityDAO::kTable = "TAB_INTELLIGENT_FACE_CAPTURE";

namespace {

// Sequence numbers of the captures stored by this process within one second.
TimeSequence g_sequence;

bool IsMonthlyTable(const QString& _strName)
{
    static const QRegularExpression re(QStringLiteral("^TAB_INTELLIGENT_FACE_CAPTURE[0-9]{6}$"));
    return re.match(_strName).hasMatch();
}

// The insert of entity _iIndex with its bind values.
QString InsertStatement(const CLS_IntelligentDataRecEntity& e, int _iIndex, Binds& _mapBind)
{
    const QString strIdKey = ":ID_" + QString::number(_iIndex);
    const QString strSql =
        QStringLiteral("insert into TAB_INTELLIGENT_FACE_CAPTURE(S_ID,S_HOST_ID, S_CHANNEL_ID,S_CHANNEL_NAME,"
                       "I_AGE_TYPE,I_GENDER_TYPE,                                     I_MASKS_TYPE,I_GLASSES_TYPE,"
                       "I_TEMPERATURE_TYPE,S_TEMPERATURE_VALUE,DT_CAPTURE,S_BIG_PATH,S_SMALL_PATH,I_FILE_SIZE,"
                       "                                     I_SEQ,S_NEGPIC_PATH,S_NAME,I_SIMILARITY,I_FACEKEY) "
                       "Values(") +
        strIdKey + "," + ":hostID," + ":channelID, " + ":channelName," + QString::number(e.I_AGE_TYPE) + "," +
        QString::number(e.I_GENDER_TYPE) + "," + QString::number(e.I_MASKS_TYPE) + "," +
        QString::number(e.I_GLASSES_TYPE) + "," + QString::number(e.I_TEMPERATURE_TYPE) + "," + ":temperature," +
        ":capTime," + ":capturePathB," + ":capturePathS," + QString::number(e.I_FILE_SIZE) + "," +
        QString::number(e.I_SEQ) + "," + ":capturePathNeg," + ":objName," + QString::number(e.I_SIMILARITY) + "," +
        QString::number(e.I_FACEKEY) + ")";
    _mapBind = Binds{{strIdKey, e.S_ID},
                     {":hostID", e.S_HOST_ID},
                     {":channelID", e.S_CHANNEL_ID},
                     {":channelName", e.S_CHANNEL_NAME},
                     {":temperature", e.S_TEMPERATURE_VALUE},
                     {":capTime", e.DT_CAPTURE},
                     {":capturePathB", e.S_BIG_PATH},
                     {":capturePathS", e.S_SMALL_PATH},
                     {":capturePathNeg", e.S_NEGPIC_PATH},
                     {":objName", e.S_NAME}};
    return strSql;
}

// The filter of a search or count: " where" and the conditions, or empty.
QString SearchConditions(const CLS_IntelligentDataRecSearchEntity& _search, Binds& _mapBind)
{
    QStringList lstParts;
    auto add = [&](const QString& _strFirst, const QString& _strLater) {
        lstParts.append(lstParts.isEmpty() ? _strFirst : _strLater);
    };
    if (!_search.m_strStartTime.isEmpty()) {
        add("  DT_CAPTURE >=:startTime", "  and DT_CAPTURE >=:startTime");
        _mapBind.insert(":startTime", _search.m_strStartTime);
    }
    if (!_search.m_lstChannelIDs.isEmpty()) {
        QStringList lstIds;
        for (int i = 0; i < _search.m_lstChannelIDs.size(); ++i) {
            const QString strKey = ":id_" + QString::number(i);
            lstIds.append(strKey);
            _mapBind.insert(strKey, _search.m_lstChannelIDs.at(i));
        }
        add("  S_CHANNEL_ID in(" + lstIds.join(",") + ")", "  and S_CHANNEL_ID in(" + lstIds.join(",") + ")");
    }
    if (!_search.m_strEndTime.isEmpty()) {
        add("  DT_CAPTURE <=:endTime", "  and DT_CAPTURE <=:endTime");
        _mapBind.insert(":endTime", _search.m_strEndTime);
    }
    const QPair<const char*, qint32> aTypes[] = {{"I_GENDER_TYPE=", _search.m_iGender},
                                                 {"I_AGE_TYPE=", _search.m_iAge},
                                                 {"I_MASKS_TYPE=", _search.m_iMasks},
                                                 {"I_GLASSES_TYPE=", _search.m_iGlasses},
                                                 {"I_TEMPERATURE_TYPE=", _search.m_iTemperature}};
    for (const auto& type : aTypes) {
        if (type.second != CLS_IntelligentDataRecSearchEntity::kAny) {
            const QString strCond = QLatin1String(type.first) + QString::number(type.second);
            add(" " + strCond, " and " + strCond);
        }
    }
    // A channel list alone gets its " where" too: without it the statement is refused.
    return lstParts.isEmpty() ? QString() : " where" + lstParts.join(QString());
}

// Column texts of a statistic kind; empty for an unknown kind.
QStringList KindColumns(int _iKind)
{
    switch (_iKind) {
        case CLS_IntelligentDataRecEntityDAO::kdAge:
            return {" SUM(CASE I_AGE_TYPE WHEN 1 THEN 1 ELSE 0 END) THE_AGE1, ",
                    " SUM(CASE I_AGE_TYPE WHEN 2 THEN 1 ELSE 0 END) THE_AGE2, ",
                    " SUM(CASE I_AGE_TYPE WHEN 3 THEN 1 ELSE 0 END) THE_AGE3, ",
                    " SUM(CASE I_AGE_TYPE WHEN 4 THEN 1 ELSE 0 END) THE_AGE4 "};
        case CLS_IntelligentDataRecEntityDAO::kdGender:
            return {" SUM(CASE I_GENDER_TYPE WHEN -1 THEN 1 ELSE 0 END) THE_GENDER1, ",
                    " SUM(CASE I_GENDER_TYPE WHEN 0 THEN 1 ELSE 0 END) THE_GENDER2, ",
                    " SUM(CASE I_GENDER_TYPE WHEN 1 THEN 1 ELSE 0 END) THE_GENDER3 "};
        case CLS_IntelligentDataRecEntityDAO::kdCount:
            return {"COUNT(*) THE_COUNT"};
        case CLS_IntelligentDataRecEntityDAO::kdGlasses:
            return {" SUM(CASE WHEN I_GLASSES_TYPE = 0 THEN 1 ELSE 0 END) THE_GLASSES1, ",
                    " SUM(CASE WHEN I_GLASSES_TYPE > 0 THEN 1 ELSE 0 END) THE_GLASSES2, ",
                    " SUM(CASE WHEN I_GLASSES_TYPE = -1 THEN 1 ELSE 0 END) THE_GLASSES3 "};
        case CLS_IntelligentDataRecEntityDAO::kdMasks:
            return {" SUM(CASE I_MASKS_TYPE WHEN 0 THEN 1 ELSE 0 END) THE_MASKS1, ",
                    " SUM(CASE I_MASKS_TYPE WHEN 1 THEN 1 ELSE 0 END) THE_MASKS2, ",
                    " SUM(CASE I_MASKS_TYPE WHEN -1 THEN 1 ELSE 0 END) THE_MASKS3 "};
        case CLS_IntelligentDataRecEntityDAO::kdTemperature:
            return {" SUM(CASE I_TEMPERATURE_TYPE WHEN 1 THEN 1 ELSE 0 END) THE_TEMPERATURE1 "};
        default:
            return {};
    }
}

// The alias a column text ends with ("THE_AGE1").
QString ColumnAlias(const QString& _strColumn)
{
    QString strText = _strColumn.trimmed();
    if (strText.endsWith(QLatin1Char(','))) {
        strText.chop(1);
    }
    return strText.mid(strText.lastIndexOf(QLatin1Char(' ')) + 1);
}

QString Month(const QDate& _date)
{
    return _date.toString(QStringLiteral("yyyyMM"));
}

// The page size of the oldest N captures: a negative N, like "LIMIT 0,-1", takes every row.
int PageSize(int _iCount)
{
    return _iCount < 0 ? -1 : _iCount;
}

}  // namespace

CLS_IntelligentDataRecEntityDAO* CLS_IntelligentDataRecEntityDAO::GetInstance()
{
    static CLS_IntelligentDataRecEntityDAO* const s_pInstance = new CLS_IntelligentDataRecEntityDAO();
    return s_pInstance;
}

CLS_IntelligentDataRecEntityDAO::CLS_IntelligentDataRecEntityDAO()
{
    m_strDbName = QStringLiteral("Tessel-intelligent");
}

CLS_IntelligentDataRecEntityDAO::~CLS_IntelligentDataRecEntityDAO() = default;

QString CLS_IntelligentDataRecEntityDAO::MonthOf(const QString& _strCaptureTime)
{
    const QString strMonth = QString(_strCaptureTime).remove(QLatin1Char('-')).left(6);
    static const QRegularExpression re(QStringLiteral("^[0-9]{6}$"));
    return re.match(strMonth).hasMatch() ? strMonth : QString();
}

void CLS_IntelligentDataRecEntityDAO::LoadFaceCapture(const Row& _row, CLS_IntelligentDataRecEntity& e)
{
    e.S_ID = Text(_row, "S_ID");
    e.S_HOST_ID = Text(_row, "S_HOST_ID");
    e.S_CHANNEL_ID = Text(_row, "S_CHANNEL_ID");
    e.S_CHANNEL_NAME = Text(_row, "S_CHANNEL_NAME");
    e.I_AGE_TYPE = Int(_row, "I_AGE_TYPE");
    e.I_GENDER_TYPE = Int(_row, "I_GENDER_TYPE");
    e.I_TEMPERATURE_TYPE = Int(_row, "I_TEMPERATURE_TYPE");
    e.I_MASKS_TYPE = Int(_row, "I_MASKS_TYPE");
    e.I_GLASSES_TYPE = Int(_row, "I_GLASSES_TYPE");
    e.I_FILE_SIZE = Text(_row, "I_FILE_SIZE").toLongLong();
    e.S_BIG_PATH = Text(_row, "S_BIG_PATH");
    e.S_SMALL_PATH = Text(_row, "S_SMALL_PATH");
    e.DT_CAPTURE = Text(_row, "DT_CAPTURE");
    e.S_TEMPERATURE_VALUE = Text(_row, "S_TEMPERATURE_VALUE");
    e.S_NAME = Text(_row, "S_NAME");
    e.S_NEGPIC_PATH = Text(_row, "S_NEGPIC_PATH");
    e.I_FACEKEY = Int(_row, "I_FACEKEY");
    e.I_SIMILARITY = Int(_row, "I_SIMILARITY");
    e.I_SEQ = Int(_row, "I_SEQ");
}

int CLS_IntelligentDataRecEntityDAO::ListTables(const QString& _strStartMonth, const QString& _strEndMonth,
                                                QVector<QString>& _vecTables, const char* _pszOperation)
{
    return MonthlyTables::List(m_strDbName, kTable, _strStartMonth, _strEndMonth, _vecTables, _pszOperation);
}

int CLS_IntelligentDataRecEntityDAO::AddFaceCaptures(QVector<CLS_IntelligentDataRecEntity>& _vecEntities)
{
    return Guarded("CLS_IntelligentDataRecEntityDAO::AddFaceCaptures", -1, [&] {
        for (const CLS_IntelligentDataRecEntity& e : qAsConst(_vecEntities)) {
            if (MonthOf(e.DT_CAPTURE).isEmpty()) {
                DL_LOG(3, "CLS_IntelligentDataRecEntityDAO::AddFaceCaptures DT_CAPTURE invalid: %s",
                       qUtf8Printable(e.DT_CAPTURE));
                return -1;
            }
        }
        QMap<QString, QMap<QString, Binds>> mapByMonth;
        for (int i = 0; i < _vecEntities.size(); ++i) {
            CLS_IntelligentDataRecEntity& e = _vecEntities[i];
            if (e.S_ID.isEmpty()) {
                e.S_ID = QUuid::createUuid().toString(QUuid::Id128);
            }
            e.I_SEQ = g_sequence.Next(e.DT_CAPTURE);
            Binds mapBind;
            const QString strSql = InsertStatement(e, i, mapBind);
            mapByMonth[MonthOf(e.DT_CAPTURE)].insert(strSql, mapBind);
        }
        if (mapByMonth.isEmpty()) {
            return 0;
        }
        return PartitionExecuteTransactionEx(m_strDbName, kTable, mapByMonth);
    });
}

int CLS_IntelligentDataRecEntityDAO::AddFaceCapture(CLS_IntelligentDataRecEntity& _entity)
{
    return Guarded("CLS_IntelligentDataRecEntityDAO::AddFaceCapture", -1, [&] {
        const QString strMonth = MonthOf(_entity.DT_CAPTURE);
        if (strMonth.isEmpty()) {
            DL_LOG(3, "CLS_IntelligentDataRecEntityDAO::AddFaceCapture DT_CAPTURE invalid: %s",
                   qUtf8Printable(_entity.DT_CAPTURE));
            return -1;
        }
        if (_entity.S_ID.isEmpty()) {
            _entity.S_ID = QUuid::createUuid().toString(QUuid::Id128);
        }
        _entity.I_SEQ = g_sequence.Next(_entity.DT_CAPTURE);
        Binds mapBind;
        const QString strSql = InsertStatement(_entity, 0, mapBind);
        return PartitionExecuteEx(m_strDbName, strSql, kTable, strMonth, mapBind);
    });
}

int CLS_IntelligentDataRecEntityDAO::SearchFaceCapture(const CLS_IntelligentDataRecSearchEntity& _search,
                                                       QVector<CLS_IntelligentDataRecEntity*>& _vecCaptures)
{
    return Guarded("CLS_IntelligentDataRecEntityDAO::SearchFaceCapture", -1, [&] {
        Binds mapBind;
        const QString strWhere = SearchConditions(_search, mapBind);
        const QString strSql = QStringLiteral("select * from TAB_INTELLIGENT_FACE_CAPTURE") + strWhere +
                               " order by DT_CAPTURE desc, I_SEQ desc";
        int iStartNum = -1;
        int iPageSize = -1;
        if (_search.m_iPageSize > 0) {
            iPageSize = _search.m_iPageSize;
            const qint64 i64Start = qint64(qMax(_search.m_iPageNumber, 1) - 1) * iPageSize;
            if (i64Start > std::numeric_limits<int>::max()) {
                return 0;  // beyond any table this layer can page through: an empty page
            }
            iStartNum = static_cast<int>(i64Start);
        }
        return ReadEntities(PartitionExecuteQueryEx(m_strDbName, strSql, strWhere, kTable,
                                                    MonthOf(_search.m_strStartTime), MonthOf(_search.m_strEndTime),
                                                    iStartNum, iPageSize, QStringLiteral("DESC"), mapBind),
                            _vecCaptures, &CLS_IntelligentDataRecEntityDAO::LoadFaceCapture);
    });
}

int CLS_IntelligentDataRecEntityDAO::GetFaceCaptureCount(const CLS_IntelligentDataRecSearchEntity& _search)
{
    return Guarded("CLS_IntelligentDataRecEntityDAO::GetFaceCaptureCount", -1, [&] {
        Binds mapBind;
        const QString strWhere = SearchConditions(_search, mapBind);
        QVector<QString> vecTables;
        const int iList = ListTables(MonthOf(_search.m_strStartTime), MonthOf(_search.m_strEndTime),
                                     vecTables, "CLS_IntelligentDataRecEntityDAO::GetFaceCaptureCount");
        if (iList != 0) {
            return iList;
        }
        int iTotal = 0;
        for (const QString& strTable : qAsConst(vecTables)) {
            const int iCount = Count(m_strDbName, "select count(*) as count from " + strTable + strWhere, mapBind);
            if (iCount < 0) {
                DL_LOG(2, "CLS_IntelligentDataRecEntityDAO::GetFaceCaptureCount %s iRet = %d",
                       qUtf8Printable(strTable), iCount);
                return -1;
            }
            iTotal += iCount;
        }
        return iTotal;
    });
}

int CLS_IntelligentDataRecEntityDAO::GetFaceCaptureStatistics(const QString& _strDate, int _iPeriod, int _iKind,
                                                              const QString& _strChannelID,
                                                              QMap<QString, QVector<qint64>>& _mapResult)
{
    return Guarded("CLS_IntelligentDataRecEntityDAO::GetFaceCaptureStatistics", -1, [&] {
        const QDate date = QDate::fromString(_strDate, QStringLiteral("yyyy-MM-dd"));
        const QStringList lstColumns = KindColumns(_iKind);
        static const char* const aszKeys[] = {"%H", "%w", "%d", "%m"};
        if (!date.isValid() || _iPeriod < pdDay || _iPeriod > pdYear || lstColumns.isEmpty()) {
            DL_LOG(3, "CLS_IntelligentDataRecEntityDAO::GetFaceCaptureStatistics date %s period %d kind %d",
                   qUtf8Printable(_strDate), _iPeriod, _iKind);
            return -1;
        }
        const QString strYear = QString::number(date.year()).rightJustified(4, QLatin1Char('0'));
        const QString strMonth = QString::number(date.month()).rightJustified(2, QLatin1Char('0'));
        const QString strDay = QString::number(date.day()).rightJustified(2, QLatin1Char('0'));
        QString strCondition;
        QString strFirstMonth = Month(date);
        QString strLastMonth = strFirstMonth;
        switch (_iPeriod) {
            case pdDay:
                strCondition = " strftime('%Y%m%d', DT_CAPTURE) = " + QString("'%1%2%3'").arg(strYear, strMonth, strDay);
                break;
            case pdWeek: {
                const QDate monday = date.addDays(1 - date.dayOfWeek());
                const QDate nextMonday = monday.addDays(7);
                strCondition = "DT_CAPTURE >= '" + monday.toString("yyyy-MM-dd") + " 00:00:00" + "' AND DT_CAPTURE < '" +
                               nextMonday.toString("yyyy-MM-dd") + " 00:00:00" + "'";
                strFirstMonth = Month(monday);
                strLastMonth = Month(nextMonday.addDays(-1));
                break;
            }
            case pdMonth:
                strCondition = " strftime('%Y%m', DT_CAPTURE) = " + QString("'%1%2'").arg(strYear, strMonth);
                break;
            default:
                strCondition = " strftime('%Y', DT_CAPTURE) = " + QString("'%1'").arg(strYear);
                strFirstMonth = strYear + "01";
                strLastMonth = strYear + "12";
                break;
        }
        QStringList lstAliases;
        for (const QString& strColumn : lstColumns) {
            lstAliases.append(ColumnAlias(strColumn));
        }
        QVector<QString> vecTables;
        const int iList = ListTables(strFirstMonth, strLastMonth, vecTables,
                                     "CLS_IntelligentDataRecEntityDAO::GetFaceCaptureStatistics");
        if (iList != 0) {
            return iList;
        }
        QMap<QString, QVector<qint64>> mapResult;
        for (const QString& strTable : qAsConst(vecTables)) {
            const QString strSql = QStringLiteral("SELECT ") +
                                   QString("strftime('%1', DT_CAPTURE) THE_TIME, ").arg(aszKeys[_iPeriod]) +
                                   lstColumns.join(QString()) + " FROM " + strTable + " " + " WHERE " + strCondition +
                                   " AND S_CHANNEL_ID = :channelId " + " GROUP BY THE_TIME";
            const Rows rows(ExecuteQueryEx(m_strDbName, strSql, {{":channelId", _strChannelID}}));
            if (rows.Failed()) {
                DL_LOG(2, "CLS_IntelligentDataRecEntityDAO::GetFaceCaptureStatistics %s pRecSet == nullptr",
                       qUtf8Printable(strTable));
                return -1;
            }
            for (const Row* pRow : rows) {
                if (pRow == nullptr) {
                    continue;
                }
                QVector<qint64>& vecCounts = mapResult[Text(*pRow, "THE_TIME")];
                vecCounts.resize(lstAliases.size());
                for (int i = 0; i < lstAliases.size(); ++i) {
                    vecCounts[i] += pRow->value(lstAliases.at(i)).toLongLong();
                }
            }
        }
        for (auto it = mapResult.cbegin(); it != mapResult.cend(); ++it) {
            _mapResult.insert(it.key(), it.value());
        }
        return 0;
    });
}

QDateTime CLS_IntelligentDataRecEntityDAO::GetEarliestFaceCaptureTime()
{
    return Guarded("CLS_IntelligentDataRecEntityDAO::GetEarliestFaceCaptureTime", QDateTime(), [&] {
        QVector<QString> vecTables;
        if (ListTables(QString(), QString(), vecTables,
                       "CLS_IntelligentDataRecEntityDAO::GetEarliestFaceCaptureTime") != 0) {
            return QDateTime();
        }
        for (const QString& strTable : qAsConst(vecTables)) {
            const Rows rows(
                ExecuteQuery(m_strDbName, "select min(DT_CAPTURE)  as   DT_CAPTURE from " + strTable));
            if (rows.Failed()) {
                // A later month's minimum is not the earliest: no answer rather than a wrong one.
                DL_LOG(2, "CLS_IntelligentDataRecEntityDAO::GetEarliestFaceCaptureTime %s pRecSet == nullptr",
                       qUtf8Printable(strTable));
                return QDateTime();
            }
            const Row* pRow = rows.First();
            if (pRow != nullptr && !Text(*pRow, "DT_CAPTURE").isEmpty()) {
                return QDateTime::fromString(Text(*pRow, "DT_CAPTURE"), "yyyy-MM-dd hh:mm:ss");
            }
        }
        return QDateTime();
    });
}

int CLS_IntelligentDataRecEntityDAO::GetOldestFaceCaptures(int _iCount,
                                                           QVector<CLS_IntelligentDataRecEntity*>& _vecCaptures)
{
    return Guarded("CLS_IntelligentDataRecEntityDAO::GetOldestFaceCaptures", -1, [&] {
        return ReadEntities(
            PartitionExecuteQuery(m_strDbName,
                                  "select  * from TAB_INTELLIGENT_FACE_CAPTURE order by DT_CAPTURE "
                                  "asc, I_SEQ asc",
                                  QString(), kTable, QString(), QString(), 0, PageSize(_iCount), QString()),
            _vecCaptures, &CLS_IntelligentDataRecEntityDAO::LoadFaceCapture);
    });
}

qint64 CLS_IntelligentDataRecEntityDAO::GetOldestFaceCaptureSize(int _iCount)
{
    return Guarded("CLS_IntelligentDataRecEntityDAO::GetOldestFaceCaptureSize", qint64(-1), [&] {
        const Rows rows(PartitionExecuteQuery(
            m_strDbName, "select * from TAB_INTELLIGENT_FACE_CAPTURE order by DT_CAPTURE asc,I_SEQ asc",
            QString(), kTable, QString(), QString(), 0, PageSize(_iCount), QString()));
        if (rows.Failed()) {
            DL_LOG(2, "CLS_IntelligentDataRecEntityDAO::GetOldestFaceCaptureSize pRecSet == nullptr");
            return qint64(-1);
        }
        qint64 i64Total = 0;
        for (const Row* pRow : rows) {
            if (pRow != nullptr) {
                i64Total += Text(*pRow, "I_FILE_SIZE").toLongLong();
            }
        }
        return i64Total;
    });
}

int CLS_IntelligentDataRecEntityDAO::GetFaceCapturesBefore(const QString& _strTime,
                                                           QVector<CLS_IntelligentDataRecEntity*>& _vecCaptures)
{
    return Guarded("CLS_IntelligentDataRecEntityDAO::GetFaceCapturesBefore", -1, [&] {
        const QString strWhere = QStringLiteral(" where  DT_CAPTURE < ") + ":saveTime";
        return ReadEntities(PartitionExecuteQueryEx(m_strDbName, "select *  from TAB_INTELLIGENT_FACE_CAPTURE" + strWhere,
                                                    strWhere, kTable, QString(), MonthOf(_strTime), -1, -1, QString(),
                                                    {{":saveTime", _strTime}}),
                            _vecCaptures, &CLS_IntelligentDataRecEntityDAO::LoadFaceCapture);
    });
}

qint64 CLS_IntelligentDataRecEntityDAO::GetFaceCaptureSizeBefore(const QString& _strTime)
{
    return Guarded("CLS_IntelligentDataRecEntityDAO::GetFaceCaptureSizeBefore", qint64(-1), [&] {
        QVector<QString> vecTables;
        if (ListTables(QString(), MonthOf(_strTime), vecTables,
                       "CLS_IntelligentDataRecEntityDAO::GetFaceCaptureSizeBefore") != 0) {
            return qint64(-1);
        }
        qint64 i64Total = 0;
        for (const QString& strTable : qAsConst(vecTables)) {
            const Rows rows(ExecuteQueryEx(m_strDbName,
                                           "SELECT SUM(I_FILE_SIZE) FILE_SIZE_SUM FROM " + strTable +
                                               " WHERE DT_CAPTURE < " + ":time",
                                           {{":time", _strTime}}));
            if (rows.Failed()) {
                DL_LOG(2, "CLS_IntelligentDataRecEntityDAO::GetFaceCaptureSizeBefore %s pRecSet == nullptr",
                       qUtf8Printable(strTable));
                return qint64(-1);
            }
            const Row* pRow = rows.First();
            if (pRow != nullptr) {
                i64Total += Text(*pRow, "FILE_SIZE_SUM").toLongLong();
            }
        }
        return i64Total;
    });
}

int CLS_IntelligentDataRecEntityDAO::DeleteFaceCaptureByIds(const QList<QPair<QString, QString>>& _lstIdTimes)
{
    if (_lstIdTimes.isEmpty()) {
        return 0;
    }
    const int iRet = Guarded("CLS_IntelligentDataRecEntityDAO::DeleteFaceCaptureByIds", -1, [&] {
        QVector<QString> vecTables;
        const int iList = ListTables(QString(), QString(), vecTables,
                                     "CLS_IntelligentDataRecEntityDAO::DeleteFaceCaptureByIds");
        if (iList != 0) {
            return iList;
        }
        QList<QString> lstSql;
        QList<Binds> lstBind;
        for (const auto& idTime : _lstIdTimes) {
            const QString strTable = QLatin1String(kTable) + MonthOf(idTime.second);
            // A month without a table holds nothing to delete; its name is only ever one listed.
            if (MonthOf(idTime.second).isEmpty() || !vecTables.contains(strTable)) {
                continue;
            }
            lstSql.append("Delete From " + strTable + " Where S_ID  in (" + ":id" + ")");
            lstBind.append({{":id", idTime.first}});
        }
        return lstSql.isEmpty() ? 0 : ExecuteTransactionEx(m_strDbName, lstSql, lstBind);
    });
    DropEmptyTables(QDate::currentDate());
    return iRet;
}

int CLS_IntelligentDataRecEntityDAO::DeleteAllFaceCapture()
{
    return Guarded("CLS_IntelligentDataRecEntityDAO::DeleteAllFaceCapture", -1, [&] {
        QVector<QString> vecTables;
        const int iList = ListTables(QString(), QString(), vecTables,
                                     "CLS_IntelligentDataRecEntityDAO::DeleteAllFaceCapture");
        if (iList != 0) {
            return iList;
        }
        QMap<QString, QVector<QString>> mapBySuffix;
        const int iPrefix = static_cast<int>(qstrlen(kTable));
        for (const QString& strTable : qAsConst(vecTables)) {
            mapBySuffix.insert(strTable.mid(iPrefix),
                               {QStringLiteral("Delete From TAB_INTELLIGENT_FACE_CAPTURE")});
        }
        return mapBySuffix.isEmpty() ? 0 : PartitionExecuteTransaction(m_strDbName, kTable, mapBySuffix);
    });
}

int CLS_IntelligentDataRecEntityDAO::DropEmptyTables(const QDate& _today)
{
    return Guarded("CLS_IntelligentDataRecEntityDAO::DropEmptyTables", -1, [&] {
        const QString strSql =
            QStringLiteral("select name as name from sqlite_master where type ='table' and name like "
                           "'TAB_INTELLIGENT_FACE_CAPTURE%' and name < '") +
            "TAB_INTELLIGENT_FACE_CAPTURE" + Month(_today) + "' and length(name) > length('TAB_INTELLIGENT_FACE_CAPTURE')";
        QStringList lstNames;
        if (Column(ExecuteQuery(m_strDbName, strSql), "name", lstNames) != 0) {
            DL_LOG(2, "CLS_IntelligentDataRecEntityDAO::DropEmptyTables pRecSet == nullptr");
            return -1;
        }
        // A table name cannot be bound: only listed names of monthly tables are written into
        // the statements.
        for (const QString& strName : qAsConst(lstNames)) {
            if (!IsMonthlyTable(strName)) {
                continue;
            }
            if (Count(m_strDbName, "select count(*) as count from " + strName, Binds()) == 0) {
                const int iRet = Execute(m_strDbName, "DROP TABLE IF EXISTS '" + strName + "'");
                if (iRet != 0) {
                    DL_LOG(2, "CLS_IntelligentDataRecEntityDAO::DropEmptyTables %s iRet = %d", qUtf8Printable(strName),
                           iRet);
                }
            }
        }
        return 0;
    });
}
