#include "CLS_SecurityCarEntityDAO.h"

#include "DataBase/EntityDao/DB/EntityRows.h"

namespace {

const char kCarColumns[] =
    " (S_ID, S_VLP, I_VLPC, I_ALWAYSOK, S_USER, S_TEL, S_WHITEBEGINTIME, S_WHITEENDTIME, S_BLACKBEGINTIME, "
    "S_BLACKENDTIME) ";
const char kWhitePeriod[] =
    "CASE m.I_ALWAYSOK WHEN 1 THEN '2021-01-01' ELSE m.S_WHITEBEGINTIME END S_BEGINTIME ,CASE m.I_ALWAYSOK WHEN 1 "
    "THEN '2099-01-01' ELSE m.S_WHITEENDTIME END S_ENDTIME ";

QString num(int _iValue)
{
    return QString::number(_iValue);
}

// A plate filter: the text is bound as a LIKE pattern matching any plate that contains it, with
// its own wildcard characters taken literally.
QString plateLike(const QString& _qstrColumn, const QString& _qstrPlaceholder)
{
    return " AND " + _qstrColumn + " LIKE " + _qstrPlaceholder + " ESCAPE '\\'";
}

QString plateLikeValue(const QString& _qstrVlp)
{
    QString qstrEscaped = _qstrVlp;
    qstrEscaped.replace('\\', "\\\\").replace('%', "\\%").replace('_', "\\_");
    return '%' + qstrEscaped + '%';
}

QMap<QString, QVariant> carBinds(const CLS_SecurityCarEntity& _car)
{
    return {{":id", _car.S_ID},
            {":vlp", _car.S_VLP},
            {":user", _car.S_USER},
            {":tel", _car.S_TEL},
            {":waitebegintime", _car.S_WHITEBEGINTIME},
            {":waiteendtime", _car.S_WHITEENDTIME},
            {":blackbegintime", _car.S_BLACKBEGINTIME},
            {":blackendtime", _car.S_BLACKENDTIME}};
}

QString carValues(const CLS_SecurityCarEntity& _car)
{
    return ":id ,:vlp, " + num(_car.I_VLPC) + ", " + num(_car.I_ALWAYSOK) +
           ", :user, :tel, :waitebegintime, :waiteendtime, :blackbegintime, :blackendtime)";
}

CLS_SecurityCarSendEntity sendFromRow(const QMap<QString, QString>& _row)
{
    CLS_SecurityCarSendEntity send;
    send.S_TERMINALSN = _row.value("S_TERMINALSN");
    send.I_TERMINALTYPE = _row.value("I_TERMINALTYPE").toInt();
    send.S_VLP = _row.value("S_VLP");
    send.I_VLPC = _row.value("I_VLPC").toInt();
    send.I_LISTTYPE = _row.value("I_LISTTYPE").toInt();
    send.S_CMDID = _row.value("S_CMDID");
    send.I_TYPE = _row.value("I_TYPE").toInt();
    send.I_STATUS = _row.value("I_STATUS").toInt();
    send.S_SENDTIME = _row.value("S_SENDTIME");
    send.S_BEGINTIME = _row.value("S_BEGINTIME");
    send.S_ENDTIME = _row.value("S_ENDTIME");
    return send;
}

}  // namespace

CLS_SecurityCarEntityDAO* CLS_SecurityCarEntityDAO::GetInstance()
{
    static CLS_SecurityCarEntityDAO* const s_pInstance = new CLS_SecurityCarEntityDAO();
    return s_pInstance;
}

int CLS_SecurityCarEntityDAO::ResetSendStatus(int _iOldState, int _iNewState)
{
    return Execute(m_strDbName,
                   "UPDATE TAB_SECURITY_CAR_SEND SET I_STATUS = " + num(_iNewState) + " WHERE I_STATUS = " + num(_iOldState));
}

int CLS_SecurityCarEntityDAO::UpdateSecurityCarSend(const CLS_SecurityCarSendEntity& _send,
                                                    const QString& _qstrOldCmdId)
{
    QString qstrSql = "UPDATE TAB_SECURITY_CAR_SEND SET S_CMDID = :cmdid , I_TYPE = " + num(_send.I_TYPE) +
                      ", I_STATUS = " + num(_send.I_STATUS) +
                      ", S_SENDTIME = :sendtime "
                      "WHERE S_TERMINALSN = :terminal AND I_TERMINALTYPE= " +
                      num(_send.I_TERMINALTYPE) + " AND S_VLP = :vlp AND I_VLPC= " + num(_send.I_VLPC) +
                      " AND I_LISTTYPE = " + num(_send.I_LISTTYPE);
    QMap<QString, QVariant> mapBind{{":cmdid", _send.S_CMDID},
                                    {":sendtime", _send.S_SENDTIME},
                                    {":terminal", _send.S_TERMINALSN},
                                    {":vlp", _send.S_VLP}};
    if (!_qstrOldCmdId.isEmpty()) {
        qstrSql += " AND S_CMDID = :oldcmdid";
        mapBind.insert(":oldcmdid", _qstrOldCmdId);
    }
    return ExecuteEx(m_strDbName, qstrSql, mapBind);
}

int CLS_SecurityCarEntityDAO::UpdateSendStatusByCmd(const QString& _qstrTerminalSn, const QString& _qstrCmdId,
                                                    int _iState)
{
    return ExecuteEx(m_strDbName,
                     "UPDATE TAB_SECURITY_CAR_SEND SET  I_STATUS = " + num(_iState) +
                         " WHERE S_TERMINALSN = :terminal AND S_CMDID = :cmdid ",
                     {{":terminal", _qstrTerminalSn}, {":cmdid", _qstrCmdId}});
}

int CLS_SecurityCarEntityDAO::PurgeFinishedRemovals()
{
    return Execute(m_strDbName, "DELETE FROM TAB_SECURITY_CAR_SEND WHERE I_TYPE = 0 AND I_STATUS = 3");
}

int CLS_SecurityCarEntityDAO::ReplaceSecurityCarSend(const CLS_SecurityCarSendEntity& _send)
{
    const QString qstrSql =
        "REPLACE INTO TAB_SECURITY_CAR_SEND (S_TERMINALSN, I_TERMINALTYPE, S_CMDID, S_VLP, I_VLPC, I_LISTTYPE, I_TYPE, "
        "I_STATUS, S_SENDTIME) VALUES (:terminal, " +
        num(_send.I_TERMINALTYPE) + ", :cmdid, :vlp, " + num(_send.I_VLPC) + ", " + num(_send.I_LISTTYPE) + ", " +
        num(_send.I_TYPE) + ", " + num(_send.I_STATUS) + ", :sendtime)";
    return ExecuteEx(m_strDbName, qstrSql,
                     {{":terminal", _send.S_TERMINALSN},
                      {":cmdid", _send.S_CMDID},
                      {":vlp", _send.S_VLP},
                      {":sendtime", _send.S_SENDTIME}});
}

int CLS_SecurityCarEntityDAO::QuerySendDataByTerminalSn(const QString& _qstrTerminalSn,
                                                        QVector<CLS_SecurityCarSendEntity>& _vecSends)
{
    return ReadEntities(m_strDbName,
                        "SELECT * FROM TAB_SECURITY_CAR_SEND WHERE "
                        "S_TERMINALSN=:terminal ",
                        {{":terminal", _qstrTerminalSn}}, _vecSends, sendFromRow,
                        "CLS_SecurityCarEntityDAO::QuerySendDataByTerminalSn");
}

int CLS_SecurityCarEntityDAO::AddSecurityCar(const CLS_SecurityCarEntity& _car)
{
    return ExecuteEx(m_strDbName,
                     QString("INSERT INTO TAB_SECURITY_CAR_MANAGE") + kCarColumns + "VALUES (" + carValues(_car),
                     carBinds(_car));
}

int CLS_SecurityCarEntityDAO::ReplaceSecurityCar(const CLS_SecurityCarEntity& _car)
{
    return ExecuteEx(m_strDbName,
                     QString("REPLACE INTO TAB_SECURITY_CAR_MANAGE") + kCarColumns + "Values (" + carValues(_car),
                     carBinds(_car));
}

int CLS_SecurityCarEntityDAO::UpdateSecurityCar(const CLS_SecurityCarEntity& _car, const QString& _qstrOldVlp,
                                                int _iOldVlpc)
{
    QMap<QString, QVariant> mapBind = carBinds(_car);
    mapBind.remove(":id");
    mapBind.insert(":oldvlp", _qstrOldVlp);
    return ExecuteEx(m_strDbName,
                     "UPDATE TAB_SECURITY_CAR_MANAGE SET S_VLP = :vlp, I_VLPC = " + num(_car.I_VLPC) +
                         ",I_ALWAYSOK = " + num(_car.I_ALWAYSOK) +
                         ", S_USER = :user, S_TEL = :tel, S_WHITEBEGINTIME = :waitebegintime, S_WHITEENDTIME = "
                         ":waiteendtime , S_BLACKBEGINTIME = :blackbegintime, S_BLACKENDTIME = :blackendtime "
                         "WHERE S_VLP = :oldvlp and I_VLPC = " +
                         num(_iOldVlpc),
                     mapBind);
}

int CLS_SecurityCarEntityDAO::DeleteSecurityCar(const QString& _qstrVlp, int _iVlpc)
{
    return ExecuteEx(m_strDbName, "DELETE FROM TAB_SECURITY_CAR_MANAGE WHERE S_VLP = :vlp and I_VLPC = " + num(_iVlpc),
                     {{":vlp", _qstrVlp}});
}

int CLS_SecurityCarEntityDAO::GetUnsentSecurityCars(const QString& _qstrTerminalSn, int _iListType,
                                                    const QString& _qstrVlp, int _iVlpc,
                                                    QVector<CLS_SecurityCarSendEntity>& _vecCars)
{
    QString qstrSql = "SELECT m.*,";
    qstrSql += _iListType == 1 ? QString("m.S_BLACKBEGINTIME S_BEGINTIME,m.S_BLACKENDTIME S_ENDTIME ")
                               : QString(kWhitePeriod);
    qstrSql +=
        "FROM TAB_SECURITY_CAR_MANAGE m LEFT JOIN TAB_SECURITY_CAR_SEND s ON m.S_VLP = s.S_VLP AND m.I_VLPC = "
        "s.I_VLPC AND s.I_TYPE!=0 ";
    QMap<QString, QVariant> mapBind;
    if (!_qstrTerminalSn.isEmpty()) {
        qstrSql += " AND s.S_TERMINALSN=:terminal ";
        mapBind.insert(":terminal", _qstrTerminalSn);
    }
    if (_iListType != -1) {
        qstrSql += " AND s.I_LISTTYPE= " + num(_iListType);
    }
    qstrSql += " WHERE s.S_VLP IS NULL ";
    if (!_qstrVlp.isEmpty()) {
        qstrSql += plateLike("m.S_VLP", ":vlp");
        mapBind.insert(":vlp", plateLikeValue(_qstrVlp));
    }
    if (_iVlpc != kSecurityCarAnyColour) {
        qstrSql += " AND m.I_VLPC =" + num(_iVlpc);
    }
    return ReadEntities(
        m_strDbName, qstrSql, mapBind, _vecCars,
        [](const QMap<QString, QString>& _row) {
            CLS_SecurityCarSendEntity car;
            car.S_VLP = _row.value("S_VLP");
            car.I_VLPC = _row.value("I_VLPC").toInt();
            car.S_BEGINTIME = _row.value("S_BEGINTIME");
            car.S_ENDTIME = _row.value("S_ENDTIME");
            return car;
        },
        "CLS_SecurityCarEntityDAO::GetUnsentSecurityCars");
}

int CLS_SecurityCarEntityDAO::ReadPage(const QString& _qstrBase, const QMap<QString, QVariant>& _mapBind,
                                       int _iPageSize, int _iPageIndex, int& _iTotal, RecordSet*& _pRows)
{
    RecordSet* pCount = ExecuteQueryEx(m_strDbName, "SELECT COUNT(1) L_SUM FROM (" + _qstrBase + ")", _mapBind);
    if (pCount == nullptr || pCount->isEmpty()) {
        DL_LOG(2, "CLS_SecurityCarEntityDAO::ReadPage count pRecSet=null");
        FreeRecordSet(pCount);
        return -1;
    }
    _iTotal = pCount->first()->value("L_SUM").toInt();
    FreeRecordSet(pCount);
    _pRows = ExecuteQueryEx(m_strDbName,
                            "SELECT * FROM (" + _qstrBase + ") LIMIT " + num(_iPageSize) + " OFFSET " +
                                QString::number(static_cast<qint64>(_iPageSize) * _iPageIndex),
                            _mapBind);
    if (_pRows == nullptr) {
        DL_LOG(2, "CLS_SecurityCarEntityDAO::ReadPage page pRecSet=null");
        return -1;
    }
    return 0;
}

int CLS_SecurityCarEntityDAO::GetSecurityCarPage(const QString& _qstrVlp, int _iPageSize, int _iPageIndex,
                                                 int& _iTotal, QVector<CLS_SecurityCarEntity>& _vecCars)
{
    QString qstrBase = "SELECT * FROM TAB_SECURITY_CAR_MANAGE WHERE 1=1 ";
    QMap<QString, QVariant> mapBind;
    if (!_qstrVlp.isEmpty()) {
        qstrBase += plateLike("S_VLP", ":vlp");
        mapBind.insert(":vlp", plateLikeValue(_qstrVlp));
    }
    RecordSet* pRows = nullptr;
    if (ReadPage(qstrBase, mapBind, _iPageSize, _iPageIndex, _iTotal, pRows) != 0) {
        return -1;
    }
    for (const QMap<QString, QString>* pRow : *pRows) {
        CLS_SecurityCarEntity car;
        car.S_ID = pRow->value("S_ID");
        car.S_VLP = pRow->value("S_VLP");
        car.I_VLPC = pRow->value("I_VLPC").toInt();
        car.I_ALWAYSOK = pRow->value("I_ALWAYSOK").toInt();
        car.S_USER = pRow->value("S_USER");
        car.S_TEL = pRow->value("S_TEL");
        car.S_WHITEBEGINTIME = pRow->value("S_WHITEBEGINTIME");
        car.S_WHITEENDTIME = pRow->value("S_WHITEENDTIME");
        car.S_BLACKBEGINTIME = pRow->value("S_BLACKBEGINTIME");
        car.S_BLACKENDTIME = pRow->value("S_BLACKENDTIME");
        _vecCars.append(car);
    }
    FreeRecordSet(pRows);
    return 0;
}

int CLS_SecurityCarEntityDAO::GetSecurityCarSendPage(const STRCT_SecurityCarSendQuery& _query, int _iPageSize,
                                                     int _iPageIndex, int& _iTotal,
                                                     QVector<CLS_SecurityCarSendEntity>& _vecSends)
{
    QString qstrFilter;
    QMap<QString, QVariant> mapBind;
    if (_query.m_iStatus >= 0) {
        qstrFilter += " AND w.I_STATUS= " + num(_query.m_iStatus);
    }
    if (!_query.m_qstrVlp.isEmpty()) {
        qstrFilter += plateLike("w.S_VLP", ":vlp");
        mapBind.insert(":vlp", plateLikeValue(_query.m_qstrVlp));
    }
    if (_query.m_iVlpc >= 0 && _query.m_iVlpc != kSecurityCarAnyColour) {
        qstrFilter += " AND w.I_VLPC = " + num(_query.m_iVlpc);
    }
    if (!_query.m_qstrTerminalSn.isEmpty()) {
        qstrFilter += " AND w.S_TERMINALSN=:terminal";
        mapBind.insert(":terminal", _query.m_qstrTerminalSn);
    }
    const QString qstrJoin =
        " FROM TAB_SECURITY_CAR_SEND w LEFT JOIN TAB_SECURITY_CAR_MANAGE s ON w.S_VLP = s.S_VLP AND w.I_VLPC = "
        "s.I_VLPC ";
    QString qstrWhitePeriod = kWhitePeriod;
    qstrWhitePeriod.replace("m.", "s.");
    const QString qstrWhite = "SELECT w.*," + qstrWhitePeriod + qstrJoin + "WHERE w.I_LISTTYPE = 0  " + qstrFilter;
    const QString qstrBlack = "SELECT w.*,s.S_BLACKBEGINTIME S_BEGINTIME,s.S_BLACKENDTIME S_ENDTIME " + qstrJoin +
                              "WHERE w.I_LISTTYPE = 1 " + qstrFilter;
    QString qstrBase;
    if (_query.m_iListType == 0) {
        qstrBase = qstrWhite;
    } else if (_query.m_iListType == 1) {
        qstrBase = qstrBlack;
    } else {
        qstrBase = qstrWhite + " UNION ALL " + qstrBlack;
    }
    RecordSet* pRows = nullptr;
    if (ReadPage(qstrBase, mapBind, _iPageSize, _iPageIndex, _iTotal, pRows) != 0) {
        return -1;
    }
    for (const QMap<QString, QString>* pRow : *pRows) {
        _vecSends.append(sendFromRow(*pRow));
    }
    FreeRecordSet(pRows);
    return 0;
}
