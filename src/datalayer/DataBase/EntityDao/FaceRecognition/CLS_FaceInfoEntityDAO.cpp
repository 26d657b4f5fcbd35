#include "CLS_FaceInfoEntityDAO.h"

#include "DataBase/EntityDao/DB/EntityRows.h"
#include "FaceDaoSupport.h"
#include "Log.h"

namespace {

const char kFaceLibRootId[] = "facelib_root_id";
// The person's own columns, its library id and the library's caption: "SELECT *" over the three
// tables would answer S_ID three times and the library's id would hide the person's.
const char kMemberJoin[] =
    "SELECT INFO.*,REL.S_FACELIB_ID,LIB.S_CAPTION FROM TAB_PERSON_INFO INFO INNER JOIN TAB_FACELIB_PERSON_REL REL INNER JOIN TAB_FACELIB_INFO LIB WHERE "
    "INFO.S_ID = REL.S_PERSON_ID  AND REL.S_FACELIB_ID = LIB.S_ID ";

QMap<QString, QVariant> personBinds(const CLS_FaceInfoEntity& _person)
{
    return {{":perID", _person.S_ID},           {":perName", _person.S_NAME},
            {":number", _person.S_NUMBER},      {":cardno", _person.S_CARDNO},
            {":telePhone", _person.S_TELEPHONE}, {":birthday", _person.DT_BIRTHDAY},
            {":country", _person.S_COUNTRY},    {":province", _person.S_PROVINCE},
            {":city", _person.S_CITY},          {":address", _person.S_ADDRESS},
            {":company", _person.S_COMPANY},    {":idCardNo", _person.S_IDCARD_NO},
            {":facePicPath", _person.S_FACEPIC_PATH}};
}

// " IN (" placeholders of a list, one per entry, named _qstrPrefix + index.
QString inList(const QString& _qstrPrefix, const QStringList& _lstValues, QMap<QString, QVariant>& _mapBind)
{
    QStringList lstPlaceholders;
    for (int i = 0; i < _lstValues.size(); ++i) {
        const QString qstrName = QString(":%1_%2").arg(_qstrPrefix).arg(i);
        lstPlaceholders << qstrName;
        _mapBind.insert(qstrName, _lstValues[i]);
    }
    return lstPlaceholders.join(',');
}

// A LIKE pattern (with ESCAPE '\\') matching any text that contains _qstrText as it stands: the
// caller's '%' and '_' are plain characters.
QString containsPattern(const QString& _qstrText)
{
    QString qstrEscaped = _qstrText;
    qstrEscaped.replace('\\', "\\\\").replace('%', "\\%").replace('_', "\\_");
    return '%' + qstrEscaped + '%';
}

// The name, number and sex filters of the member listing and its count.
QString memberFilters(const STRCT_FacePersonQuery& _query, QMap<QString, QVariant>& _mapBind)
{
    QString qstrSql;
    if (!_query.m_qstrName.isEmpty()) {
        qstrSql += "AND INFO.S_NAME like :strName ESCAPE '\\'";
        _mapBind.insert(":strName", containsPattern(_query.m_qstrName));
    }
    if (!_query.m_qstrNumber.isEmpty()) {
        qstrSql += " AND INFO.S_NUMBER like :strNumber ESCAPE '\\'";
        _mapBind.insert(":strNumber", containsPattern(_query.m_qstrNumber));
    }
    if (_query.m_iSex >= 0) {
        qstrSql += " AND INFO.I_SEX like '%" + QString::number(_query.m_iSex) + "%'";
    }
    return qstrSql;
}

CLS_FaceInfoEntity personFromRow(const QMap<QString, QString>& _row)
{
    CLS_FaceInfoEntity person;
    person.S_ID = _row.value("S_ID");
    person.S_NAME = _row.value("S_NAME");
    person.S_NUMBER = _row.value("S_NUMBER");
    person.S_CARDNO = _row.value("S_CARDNO");
    person.I_SEX = _row.value("I_SEX").toInt();
    person.S_TELEPHONE = _row.value("S_TELEPHONE");
    person.DT_BIRTHDAY = _row.value("DT_BIRTHDAY");
    person.S_COUNTRY = _row.value("S_COUNTRY");
    person.S_PROVINCE = _row.value("S_PROVINCE");
    person.S_CITY = _row.value("S_CITY");
    person.S_ADDRESS = _row.value("S_ADDRESS");
    person.S_COMPANY = _row.value("S_COMPANY");
    person.I_IDCARD_TYPE = _row.value("I_IDCARD_TYPE").toInt();
    person.S_IDCARD_NO = _row.value("S_IDCARD_NO");
    person.S_FACEPIC_PATH = _row.value("S_FACEPIC_PATH");
    person.S_FACELIB_ID = _row.value("S_FACELIB_ID");
    person.S_FACELIB_CAPTION = _row.value("S_CAPTION");
    return person;
}

int readPersons(const QString& _strDbName, const QString& _strSql, const QMap<QString, QVariant>& _mapBind,
                QVector<CLS_FaceInfoEntity>& _vecPersons)
{
    return ReadEntities(_strDbName, _strSql, _mapBind, _vecPersons, personFromRow,
                        "CLS_FaceInfoEntityDAO::readPersons");
}

}  // namespace

CLS_FaceInfoEntityDAO* CLS_FaceInfoEntityDAO::GetInstance()
{
    static CLS_FaceInfoEntityDAO* const s_pInstance = new CLS_FaceInfoEntityDAO();
    return s_pInstance;
}

int CLS_FaceInfoEntityDAO::GetPersonInfoByPersonID(const QString& _qstrPersonId, CLS_FaceInfoEntity& _person)
{
    QVector<CLS_FaceInfoEntity> vecPersons;
    if (readPersons(m_strDbName, "SELECT * FROM TAB_PERSON_INFO WHERE S_ID = :S_ID", {{":S_ID", _qstrPersonId}},
                    vecPersons) != 0 ||
        vecPersons.isEmpty()) {
        DL_LOG(3, "CLS_FaceInfoEntityDAO::GetPersonInfoByPersonID no person");
        return -1;
    }
    _person = vecPersons.first();
    return 0;
}

int CLS_FaceInfoEntityDAO::AddPerson(const CLS_FaceInfoEntity& _person, const QString& _qstrFaceLibId)
{
    const QString qstrInsert =
        "Insert Into TAB_PERSON_INFO (S_ID, S_NAME, S_NUMBER, S_CARDNO, I_SEX, S_TELEPHONE, DT_BIRTHDAY, S_COUNTRY, "
        "S_PROVINCE, S_CITY, S_ADDRESS, S_COMPANY, I_IDCARD_TYPE, S_IDCARD_NO, S_FACEPIC_PATH) Values (:perID, "
        ":perName, :number, :cardno, " +
        QString::number(_person.I_SEX) +
        ", :telePhone, :birthday, :country, :province, :city, :address, :company, " +
        QString::number(_person.I_IDCARD_TYPE) + ", :idCardNo, :facePicPath)";
    const QList<QString> lstSql{qstrInsert,
                                "Insert Into TAB_FACELIB_PERSON_REL (S_ID, S_FACELIB_ID, S_PERSON_ID) Values ("
                                ":uuid,:faceLibId,:personId)"};
    const QList<QMap<QString, QVariant>> lstBinds{
        personBinds(_person),
        {{":uuid", FaceDao::newId()}, {":faceLibId", _qstrFaceLibId}, {":personId", _person.S_ID}}};
    const int iRet = ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    if (iRet != 0) {
        DL_LOG(2, "CLS_FaceInfoEntityDAO::AddPerson ExecuteTransaction iRet=%d", iRet);
    }
    return iRet;
}

int CLS_FaceInfoEntityDAO::UpdatePerson(const CLS_FaceInfoEntity& _person)
{
    QMap<QString, QVariant> mapBind = personBinds(_person);
    const QString qstrSql =
        "UPDATE TAB_PERSON_INFO SET S_NAME=:perName,S_NUMBER=:number,S_CARDNO=:cardno,I_SEX=" +
        QString::number(_person.I_SEX) +
        ",S_TELEPHONE=:telePhone,DT_BIRTHDAY=:birthday,S_COUNTRY=:country,S_PROVINCE=:province,S_CITY=:city,"
        "S_ADDRESS=:address,S_COMPANY=:company,I_IDCARD_TYPE=" +
        QString::number(_person.I_IDCARD_TYPE) +
        ",S_IDCARD_NO=:idCardNo,S_FACEPIC_PATH=:facePicPath where S_ID =:perID";
    return ExecuteEx(m_strDbName, qstrSql, mapBind);
}

int CLS_FaceInfoEntityDAO::RemovePersonFromLib(const QString& _qstrPersonId, const QString& _qstrFaceLibId)
{
    // The membership goes first; the person row only when no other library still holds it.
    return ExecuteTransactionEx(
        m_strDbName,
        {"DELETE FROM TAB_FACELIB_PERSON_REL WHERE S_PERSON_ID =:personId AND S_FACELIB_ID = "
         ":facelibID",
         "DELETE FROM TAB_PERSON_INFO WHERE S_ID =:id AND NOT EXISTS (SELECT 1 FROM "
         "TAB_FACELIB_PERSON_REL WHERE S_PERSON_ID =:heldId)"},
        {{{":personId", _qstrPersonId}, {":facelibID", _qstrFaceLibId}},
         {{":id", _qstrPersonId}, {":heldId", _qstrPersonId}}});
}

int CLS_FaceInfoEntityDAO::RemovePersonsOfLibs(const QStringList& _lstFaceLibIds)
{
    if (_lstFaceLibIds.isEmpty()) {
        return 0;
    }
    QMap<QString, QVariant> mapPersons;
    QMap<QString, QVariant> mapRels;
    // A member that another library also holds stays, with that membership.
    const QString qstrPersons =
        "DELETE FROM TAB_PERSON_INFO WHERE TAB_PERSON_INFO.s_Id IN ( SELECT S_PERSON_ID FROM "
        "TAB_FACELIB_PERSON_REL WHERE S_FACELIB_ID IN (" +
        inList("faceLibInfo", _lstFaceLibIds, mapPersons) +
        ")) AND NOT EXISTS (SELECT 1 FROM TAB_FACELIB_PERSON_REL OTHER WHERE "
        "OTHER.S_PERSON_ID = TAB_PERSON_INFO.S_ID AND OTHER.S_FACELIB_ID NOT IN (" +
        inList("keptLib", _lstFaceLibIds, mapPersons) + "))";
    const QString qstrRels = "DELETE FROM TAB_FACELIB_PERSON_REL WHERE S_FACELIB_ID IN (" +
                             inList("faceLibId", _lstFaceLibIds, mapRels) + ")";
    return ExecuteTransactionEx(m_strDbName, {qstrPersons, qstrRels}, {mapPersons, mapRels});
}

int CLS_FaceInfoEntityDAO::GetPersonNameCount(const QString& _qstrName)
{
    return FaceDao::count(m_strDbName, "SELECT COUNT(*) FROM TAB_PERSON_INFO WHERE S_NAME =:strName",
                          {{":strName", _qstrName}});
}

int CLS_FaceInfoEntityDAO::GetPersonNumberCount(const QString& _qstrNumber)
{
    return FaceDao::count(m_strDbName, "SELECT COUNT(*) FROM TAB_PERSON_INFO WHERE S_NUMBER =:strNumber",
                          {{":strNumber", _qstrNumber}});
}

int CLS_FaceInfoEntityDAO::GetPersonIdCount(const QString& _qstrPersonId)
{
    return FaceDao::count(m_strDbName, "SELECT COUNT(*) FROM TAB_PERSON_INFO WHERE S_ID =:id", {{":id", _qstrPersonId}});
}

int CLS_FaceInfoEntityDAO::GetPersonLibRelCount(const QString& _qstrPersonId)
{
    return FaceDao::count(m_strDbName,
                          "SELECT COUNT(*) FROM TAB_PERSON_INFO INFO INNER JOIN TAB_FACELIB_PERSON_REL FACELIB ON "
                          "FACELIB.S_PERSON_ID = INFO.S_ID "
                          "WHERE INFO.S_ID = :PersonId",
                          {{":PersonId", _qstrPersonId}});
}

int CLS_FaceInfoEntityDAO::GetPersonCount()
{
    return FaceDao::count(m_strDbName, "SELECT COUNT(*) FROM TAB_PERSON_INFO ", {});
}

int CLS_FaceInfoEntityDAO::GetFaceLibMemberCount(const QString& _qstrFaceLibId)
{
    QString qstrSql =
        "SELECT COUNT(*) FROM TAB_PERSON_INFO INFO INNER JOIN TAB_FACELIB_PERSON_REL FACELIB ON FACELIB.S_PERSON_ID = "
        "INFO.S_ID ";
    QMap<QString, QVariant> mapBind;
    if (_qstrFaceLibId != QLatin1String(kFaceLibRootId)) {
        qstrSql += "WHERE FACELIB.S_FACELIB_ID = :FaceLibID";
        mapBind.insert(":FaceLibID", _qstrFaceLibId);
    }
    return FaceDao::count(m_strDbName, qstrSql, mapBind);
}

int CLS_FaceInfoEntityDAO::GetPersonByFaceLibQuery(const QString& _qstrFaceLibId,
                                                   const STRCT_FacePersonQuery& _StrQueryInfo)
{
    if (_StrQueryInfo.m_qstrID.isEmpty() && _StrQueryInfo.m_qstrNumber.isEmpty()) {
        DL_LOG(3,
               "CLS_FaceInfoEntityDAO::GetPersonByFaceLibQuery _StrQueryInfo.m_qstrID.isEmpty() && "
               "_StrQueryInfo.m_qstrNumber.isEmpty()");
        return -1;
    }
    QString qstrSql =
        "SELECT COUNT(*) FROM TAB_PERSON_INFO INFO INNER JOIN TAB_FACELIB_PERSON_REL FACELIB ON FACELIB.S_PERSON_ID = "
        "INFO.S_ID WHERE FACELIB.S_FACELIB_ID = :FaceLibId";
    QMap<QString, QVariant> mapBind{{":FaceLibId", _qstrFaceLibId}};
    if (!_StrQueryInfo.m_qstrNumber.isEmpty()) {
        qstrSql += " AND INFO.S_NUMBER = :strNumber";
        mapBind.insert(":strNumber", _StrQueryInfo.m_qstrNumber);
    }
    if (!_StrQueryInfo.m_qstrID.isEmpty()) {
        qstrSql += " AND INFO.S_ID = :strId";
        mapBind.insert(":strId", _StrQueryInfo.m_qstrID);
    }
    return FaceDao::count(m_strDbName, qstrSql, mapBind);
}

int CLS_FaceInfoEntityDAO::GetPageOrgManageQuery(const QStringList& _lstFaceLibIds, const STRCT_FacePersonQuery& _query)
{
    if (_lstFaceLibIds.isEmpty()) {
        return 0;
    }
    QMap<QString, QVariant> mapBind;
    QString qstrSql =
        "select COUNT(*) FROM TAB_FACELIB_PERSON_REL FACELIB inner Join TAB_PERSON_INFO INFO on FACELIB.S_PERSON_ID = "
        "INFO.S_ID "
        " WHERE FACELIB.S_FACELIB_ID IN ( " +
        inList("faceLibInfo", _lstFaceLibIds, mapBind) + ") ";
    qstrSql += memberFilters(_query, mapBind);
    return FaceDao::count(m_strDbName, qstrSql, mapBind);
}

int CLS_FaceInfoEntityDAO::GetPersonByNumber(const QString& _qstrNumber, QVector<CLS_FaceInfoEntity>& _vecPersons)
{
    return readPersons(m_strDbName, "SELECT * FROM TAB_PERSON_INFO INFO WHERE INFO.S_NUMBER = :Number",
                       {{":Number", _qstrNumber}}, _vecPersons);
}

int CLS_FaceInfoEntityDAO::GetPersonByNumericNumber(qint64 _iNumber, QVector<CLS_FaceInfoEntity>& _vecPersons)
{
    return readPersons(m_strDbName,
                       "SELECT * FROM TAB_PERSON_INFO INFO WHERE CAST(INFO.S_NUMBER as INTEGER) = " +
                           QString::number(_iNumber),
                       {}, _vecPersons);
}

int CLS_FaceInfoEntityDAO::GetAllUserNameId(QMap<QString, QString>& _mapNumberName)
{
    RecordSet* pRows = ExecuteQuery(m_strDbName, "select S_NUMBER,S_NAME from TAB_PERSON_INFO");
    if (pRows == nullptr) {
        DL_LOG(2, "CLS_FaceInfoEntityDAO::GetAllUserNameId pRecSet=null");
        return -1;
    }
    for (const QMap<QString, QString>* pRow : *pRows) {
        _mapNumberName.insert(pRow->value("S_NUMBER"), pRow->value("S_NAME"));
    }
    FreeRecordSet(pRows);
    return 0;
}

int CLS_FaceInfoEntityDAO::GetFaceLibCaptionsOfPerson(const QString& _qstrPersonId, QStringList& _lstCaptions)
{
    RecordSet* pRows = ExecuteQueryEx(m_strDbName,
                                      "SELECT INFO.S_CAPTION FROM TAB_FACELIB_INFO INFO INNER JOIN TAB_FACELIB_PERSON_REL "
                                      "REL WHERE INFO.S_ID = REL.S_FACELIB_ID AND REL.S_PERSON_ID=:personId order by "
                                      "INFO.DT_TIME asc limit 0,15",
                                      {{":personId", _qstrPersonId}});
    if (pRows == nullptr) {
        DL_LOG(2, "CLS_FaceInfoEntityDAO::GetFaceLibCaptionsOfPerson pRecSet=null");
        return -1;
    }
    for (const QMap<QString, QString>* pRow : *pRows) {
        _lstCaptions << pRow->value("S_CAPTION");
    }
    FreeRecordSet(pRows);
    return 0;
}

int CLS_FaceInfoEntityDAO::GetPagePerson(const QStringList& _lstFaceLibIds, const STRCT_FacePersonQuery& _query,
                                         int _iPageSize, int _iPageIndex, QVector<CLS_FaceInfoEntity>& _vecPersons)
{
    if (_lstFaceLibIds.isEmpty()) {
        return 0;
    }
    QMap<QString, QVariant> mapBind;
    QString qstrSql = QString(kMemberJoin) + "AND REL.S_FACELIB_ID IN (" +
                      inList("faceLibInfo", _lstFaceLibIds, mapBind) + ") ";
    qstrSql += memberFilters(_query, mapBind);
    const qint64 iOffset = static_cast<qint64>(qMax(_iPageIndex, 1) - 1) * _iPageSize;
    qstrSql += " order by INFO.S_NUMBER asc limit " + QString::number(iOffset) + "," + QString::number(_iPageSize);
    return readPersons(m_strDbName, qstrSql, mapBind, _vecPersons);
}

int CLS_FaceInfoEntityDAO::GetAllPersonInfo(QVector<CLS_FaceInfoEntity>& _vecPersons)
{
    return readPersons(m_strDbName, kMemberJoin, {}, _vecPersons);
}
