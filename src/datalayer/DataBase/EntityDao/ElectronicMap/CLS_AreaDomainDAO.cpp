#include "CLS_AreaDomainDAO.h"

#include "DataBase/EntityDao/DB/EntityRows.h"

namespace {

const char kAllDomains[] =
    "SELECT a.S_AREAID,b.S_ID,b.I_TYPE,b.I_INDEX,b.S_DOMAIN FROM TAB_AREADOMAIN a     INNER JOIN "
    "TAB_DOMAIN_SERVER b     WHERE a.S_DOMAINID = b.S_ID";

int readDomains(const QString& _strDbName, const QString& _strSql, const QMap<QString, QVariant>& _mapBind,
                QVector<CLS_AreaDomainEntity>& _vecDomains)
{
    return ReadEntities(
        _strDbName, _strSql, _mapBind, _vecDomains,
        [](const QMap<QString, QString>& _row) {
            CLS_AreaDomainEntity domain;
            domain.S_AREAID = _row.value("S_AREAID");
            domain.S_ID = _row.value("S_ID");
            domain.I_TYPE = _row.value("I_TYPE").toInt();
            domain.I_INDEX = _row.value("I_INDEX").toInt();
            domain.S_DOMAIN = _row.value("S_DOMAIN");
            return domain;
        },
        "CLS_AreaDomainDAO::readDomains");
}

}  // namespace

CLS_AreaDomainDAO* CLS_AreaDomainDAO::GetInstance()
{
    static CLS_AreaDomainDAO* const s_pInstance = new CLS_AreaDomainDAO();
    return s_pInstance;
}

int CLS_AreaDomainDAO::GetAllArea(const QString& _qstrLanguage, QVector<CLS_AreaEntity>& _vecAreas)
{
    // The language is bound, not spliced into the text.
    const bool bChinese = _qstrLanguage == QLatin1String("CN");
    const QString qstrSql = bChinese ? QString("SELECT * FROM TAB_AREA ORDER BY S_PINYIN")
                                     : QString("SELECT a.*,d.S_CAPTION from TAB_AREA a, TAB_DD_LANG_DICTIONARY d where "
                                               "a.I_CAPTION = d.I_ID and d.S_LANG_TYPE = :langType ORDER BY d.S_CAPTION ");
    QMap<QString, QVariant> mapBind;
    if (!bChinese) {
        mapBind.insert(":langType", _qstrLanguage);
    }
    return ReadEntities(
        m_strDbName, qstrSql, mapBind, _vecAreas,
        [](const QMap<QString, QString>& _row) {
            CLS_AreaEntity area;
            area.S_ID = _row.value("S_ID");
            area.I_INDEX = _row.value("I_INDEX").toInt();
            area.S_CODE = _row.value("S_CODE");
            area.S_ISOCODE = _row.value("S_ISOCODE");
            area.S_DOMAINABBR = _row.value("S_DOMAINABBR");
            area.S_PINYIN = _row.value("S_PINYIN");
            area.I_CAPTION = _row.value("I_CAPTION").toInt();
            area.S_CAPTION = _row.value("S_CAPTION");
            return area;
        },
        "CLS_AreaDomainDAO::GetAllArea");
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
