#include "CLS_DevDAO.h"

#include "DeviceDaoSupport.h"
#include "ObjectRemoval.h"

#include <QDateTime>

using namespace DeviceDao;

namespace {

QString num(int _iValue)
{
    return CLS_BaseEntityDAO::IntToString(_iValue);
}

QString text(const std::string& _strValue)
{
    return QString::fromStdString(_strValue);
}

}  // namespace

CLS_DevDAO* CLS_DevDAO::GetInstance()
{
    static CLS_DevDAO* const s_pInstance = new CLS_DevDAO();
    return s_pInstance;
}

CLS_DevDAO::CLS_DevDAO() = default;

CLS_DevDAO::~CLS_DevDAO() = default;

int CLS_DevDAO::WriteDev(const char* _pszVerb, const Common::STRCT_DevItem& d)
{
    const QString strSql =
        QStringLiteral(
            "%1 INTO TAB_DEV (S_ID, S_NAME, I_TYPE, S_BRAND, S_VERSION, S_USE, S_SN, S_IP, S_MAC, I_PORT, "
            "I_HTTPPORT, "
            "I_HTTPSPORT, S_USERNAME, S_PASSWORD, S_LASTMODIFYTIME, S_DESCRIPTION) VALUES (:id ,:name,%2, "
            ":brand, "
            ":version, :use, :sn, :ip, :mac,%3,%4,%5, :username, :password, :lastmodifytime, :description)")
            .arg(QLatin1String(_pszVerb), num(d.I_TYPE), num(d.I_PORT), num(d.I_HTTPPORT),
                 num(d.I_HTTPSPORT));
    const Binds binds{
        {":id", text(d.S_ID)},
        {":name", text(d.S_NAME)},
        {":brand", text(d.S_BRAND)},
        {":version", text(d.S_VERSION)},
        {":use", text(d.S_USE)},
        {":sn", text(d.S_SN)},
        {":ip", text(d.S_IP)},
        {":mac", text(d.S_MAC)},
        {":username", text(d.S_USERNAME)},
        {":password", text(d.S_PASSWORD)},
        {":lastmodifytime", QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"))},
        {":description", text(d.S_DESCRIPTION)}};
    return ExecuteEx(m_strDbName, strSql, binds);
}

int CLS_DevDAO::InsertDev(const Common::STRCT_DevItem& _devItem)
{
    return Guarded("CLS_DevDAO::InsertDev", -1, [&] { return WriteDev("INSERT", _devItem); });
}

int CLS_DevDAO::ReplaceDev(const Common::STRCT_DevItem& _devItem)
{
    return Guarded("CLS_DevDAO::ReplaceDev", -1, [&] { return WriteDev("REPLACE", _devItem); });
}

int CLS_DevDAO::DeleteDev(const QString& _strDevID)
{
    return Guarded("CLS_DevDAO::DeleteDev", -1, [&] {
        // The device shows as a host with one channel "<id>_0"; what refers to either goes too.
        QList<QString> lstSql{QStringLiteral("DELETE FROM TAB_DEV WHERE S_ID = :id")};
        QList<Binds> lstBinds{Binds{{":id", _strDevID}}};
        AppendReferenceRemoval({_strDevID, _strDevID + QStringLiteral("_0")}, lstSql, lstBinds);
        return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

bool CLS_DevDAO::IsDevExist(const Common::STRCT_DevItem& _devItem)
{
    return Guarded("CLS_DevDAO::IsDevExist", false, [&] {
        return Count(m_strDbName,
                     QStringLiteral("SELECT COUNT(*) FROM TAB_DEV WHERE S_SN = :SN and I_TYPE = %1")
                         .arg(num(_devItem.I_TYPE)),
                     Binds{{":SN", text(_devItem.S_SN)}}) > 0;
    });
}

void CLS_DevDAO::LoadDev(const QMap<QString, QString>& _row, Common::STRCT_DevItem& d)
{
    d.S_ID = Text(_row, "S_ID").toStdString();
    d.S_NAME = Text(_row, "S_NAME").toStdString();
    d.I_TYPE = Int(_row, "I_TYPE");
    d.S_BRAND = Text(_row, "S_BRAND").toStdString();
    d.S_VERSION = Text(_row, "S_VERSION").toStdString();
    d.S_USE = Text(_row, "S_USE").toStdString();
    d.S_SN = Text(_row, "S_SN").toStdString();
    d.S_IP = Text(_row, "S_IP").toStdString();
    d.S_MAC = Text(_row, "S_MAC").toStdString();
    d.I_PORT = Int(_row, "I_PORT");
    d.I_HTTPPORT = Int(_row, "I_HTTPPORT");
    d.I_HTTPSPORT = Int(_row, "I_HTTPSPORT");
    d.S_USERNAME = Text(_row, "S_USERNAME").toStdString();
    d.S_PASSWORD = Text(_row, "S_PASSWORD").toStdString();
    d.S_LASTMODIFYTIME = Text(_row, "S_LASTMODIFYTIME").toStdString();
    d.S_DESCRIPTION = Text(_row, "S_DESCRIPTION").toStdString();
}

int CLS_DevDAO::ReadDevs(RecordSet* _pRows, QVector<Common::STRCT_DevItem>& _vecDevs)
{
    const Rows rows(_pRows);
    if (rows.Failed()) {
        return -1;
    }
    for (const Row* pRow : rows) {
        if (pRow != nullptr) {
            Common::STRCT_DevItem dev;
            LoadDev(*pRow, dev);
            _vecDevs.append(dev);
        }
    }
    return 0;
}

int CLS_DevDAO::GetDevsByType(QVector<Common::STRCT_DevItem>& _vecDevs, int _iType,
                              Common::STRCT_PageInfo& _pageInfo)
{
    _vecDevs.clear();
    return Guarded("CLS_DevDAO::GetDevsByType", -1, [&] {
        const QString strBase =
            QStringLiteral("SELECT * FROM TAB_DEV WHERE I_TYPE = %1 order by S_IP asc").arg(num(_iType));
        {
            const Rows total(
                ExecuteQuery(m_strDbName, QStringLiteral("SELECT COUNT(1) L_SUM FROM ( %1 )").arg(strBase)));
            if (total.Failed()) {
                return -1;
            }
            _pageInfo.iTotal = total.First() != nullptr ? Int(*total.First(), "L_SUM") : 0;
        }
        // Pages count from 1; a page number below 1 reads the first page.
        const qint64 i64Offset =
            _pageInfo.iPageNum > 1 ? qint64(_pageInfo.iPageNum - 1) * _pageInfo.iPageSize : 0;
        return ReadDevs(ExecuteQuery(m_strDbName,
                                     QStringLiteral("SELECT * FROM ( %1 ) LIMIT %2 OFFSET %3")
                                         .arg(strBase, num(_pageInfo.iPageSize), QString::number(i64Offset))),
                        _vecDevs);
    });
}

int CLS_DevDAO::GetAllDevs(QVector<Common::STRCT_DevItem>& _vecDevs)
{
    _vecDevs.clear();
    return Guarded("CLS_DevDAO::GetAllDevs", -1, [&] {
        return ReadDevs(ExecuteQuery(m_strDbName, QStringLiteral("SELECT * FROM TAB_DEV")), _vecDevs);
    });
}
