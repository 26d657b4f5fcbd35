#include "CLS_AreaDomainDAO.h"

#include "Log.h"

namespace {

const char kAllDomains[] =
    "SELECT a.S_AREAID,b.S_ID,b.I_TYPE,b.I_INDEX,b.S_DOMAIN FROM TAB_AREADOMAIN a     INNER JOIN "
    "TAB_DOMAIN_SERVER b     WHERE a.S_DOMAINID = b.S_ID";

int readDomains(const QString& _strDbName, const QString& _strSql, const QMap<QString, QVariant>& _mapBind,
                QVector<CLS_AreaDomainEntity>& _vecDomains)
{
    RecordSet* pRows = CLS_BaseEntityDAO::ExecuteQueryEx(_strDbName, _strSql, _mapBind);
    if (pRows == nullptr) {
        DL_LOG(2, "CLS_AreaDomainDAO::readDomains pRecSet=null");
        return -1;
    }
    for (const QMap<QString, QString>* pRow : *pRows) {
        CLS_AreaDomainEntity domain;
        domain.S_AREAID = pRow->value("S_AREAID");
        domain.S_ID = pRow->value("S_ID");
        domain.I_TYPE = pRow->value("I_TYPE").toInt();
        domain.I_INDEX = pRow->value("I_INDEX").toInt();
        domain.S_DOMAIN = pRow->value("S_DOMAIN");
        _vecDomains.append(domain);
    }
    CLS_BaseEntityDAO::FreeRecordSet(pRows);
    return 0;
}

}  // namespace

CLS_AreaDomainDAO* CLS_AreaDomainDAO::GetInstance()
{
    static CLS_AreaDomainDAO* s_pInstance = nullptr;
    if (s_pInstance == nullptr) {
        s_pInstance = new CLS_AreaDomainDAO();
    }
    return s_pInstance;
}

int CLS_AreaDomainDAO::GetAllArea(const QString& _qstrLanguage, QVector<CLS_AreaEntity>& _vecAreas)
{
    RecordSet* pRows = nullptr;
    if (_qstrLanguage == QLatin1String("CN")) {
        pRows = ExecuteQuery(m_strDbName, "SELECT * FROM TAB_AREA ORDER BY S_PINYIN");
    } else {
        // The language is bound, not spliced into the text.
        pRows = ExecuteQueryEx(m_strDbName,
                               "SELECT a.*,d.S_CAPTION from TAB_AREA a, TAB_DD_LANG_DICTIONARY d where a.I_CAPTION = "
                               "d.I_ID and d.S_LANG_TYPE = :langType ORDER BY d.S_CAPTION ",
                               {{":langType", _qstrLanguage}});
    }
    if (pRows == nullptr) {
        DL_LOG(2, "CLS_AreaDomainDAO::GetAllArea pRecSet=null");
        return -1;
    }
    for (const QMap<QString, QString>* pRow : *pRows) {
        CLS_AreaEntity area;
        area.S_ID = pRow->value("S_ID");
        area.I_INDEX = pRow->value("I_INDEX").toInt();
        area.S_CODE = pRow->value("S_CODE");
        area.S_ISOCODE = pRow->value("S_ISOCODE");
        area.S_DOMAINABBR = pRow->value("S_DOMAINABBR");
        area.S_PINYIN = pRow->value("S_PINYIN");
        area.I_CAPTION = pRow->value("I_CAPTION").toInt();
        area.S_CAPTION = pRow->value("S_CAPTION");
        _vecAreas.append(area);
    }
    FreeRecordSet(pRows);
    return 0;
}

int CLS_AreaDomainDAO::GetAllDomain(QVector<CLS_AreaDomainEntity>& _vecDomains)
{
    return readDomains(m_strDbName, kAllDomains, {}, _vecDomains);
}

int CLS_AreaDomainDAO::GetAreaDomainInfo(const QString& _qstrAreaId, QVector<CLS_AreaDomainEntity>& _vecDomains)
{
    return readDomains(m_strDbName, QString(kAllDomains) + " AND a.S_AREAID=:AREAID", {{":AREAID", _qstrAreaId}},
                       _vecDomains);
}
