#include "CLS_BaseEntityDAO.h"

#include "Log.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkInterface>

#include <cstdio>
#include <cstring>
#include <exception>

QString CLS_BaseEntityDAO::m_strSysId;
bool CLS_BaseEntityDAO::m_bSysIdInit = false;

namespace {

const char kDigitTable[] = "#?=~^_;|/]";
constexpr int kPasswordBuffer = 1024;  // a password has at most 1023 bytes
constexpr int kMaxStoredLength = 3 * (kPasswordBuffer - 1);

QString startConfigurationPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/StartConfiguration.json");
}

}  // namespace

CLS_BaseEntityDAO::CLS_BaseEntityDAO() : m_strDbName(QStringLiteral("Tessel")) {}

// ---- wrappers ----

int CLS_BaseEntityDAO::Execute(const QString& _strDbName, const QString& _strSql)
{
    return CLS_RemoteDBHandler::Execute(_strDbName, _strSql, kTimeout, false);
}

int CLS_BaseEntityDAO::ExecuteEx(const QString& _strDbName, const QString& _strSql,
                                 const QMap<QString, QVariant>& _mapBind)
{
    return CLS_RemoteDBHandler::ExecuteEx(_strDbName, _strSql, _mapBind, kTimeout, false);
}

RecordSet* CLS_BaseEntityDAO::ExecuteQuery(const QString& _strDbName, const QString& _strSql)
{
    try {
        return CLS_RemoteDBHandler::ExecuteQuery(_strDbName, _strSql, kTimeout);
    } catch (const std::exception& e) {
        DL_LOG(4, "CLS_BaseEntityDAO::ExecuteQuery exception %s", e.what());
    } catch (...) {
        DL_LOG(4, "CLS_BaseEntityDAO::ExecuteQuery exception");
    }
    return nullptr;
}

RecordSet* CLS_BaseEntityDAO::ExecuteQueryEx(const QString& _strDbName, const QString& _strSql,
                                             const QMap<QString, QVariant>& _mapBind)
{
    try {
        return CLS_RemoteDBHandler::ExecuteQueryEx(_strDbName, _strSql, _mapBind, kTimeout);
    } catch (const std::exception& e) {
        DL_LOG(4, "CLS_BaseEntityDAO::ExecuteQueryEx exception %s", e.what());
    } catch (...) {
        DL_LOG(4, "CLS_BaseEntityDAO::ExecuteQueryEx exception");
    }
    return nullptr;
}

int CLS_BaseEntityDAO::ExecuteTransaction(const QString& _strDbName, const QList<QString>& _lstSql)
{
    return CLS_RemoteDBHandler::ExecuteTransaction(_strDbName, _lstSql, kTimeout);
}

int CLS_BaseEntityDAO::ExecuteTransactionEx(const QString& _strDbName, const QList<QString>& _lstSql,
                                            const QList<QMap<QString, QVariant>>& _lstBind)
{
    return CLS_RemoteDBHandler::ExecuteTransactionEx(_strDbName, _lstSql, _lstBind, kTimeout);
}

int CLS_BaseEntityDAO::PartitionExecute(const QString& _strDbName, const QString& _strSql,
                                        const QString& _strTableName, const QString& _strSuffix)
{
    return CLS_RemoteDBHandler::PartitionExecute(_strDbName, _strSql, _strTableName, _strSuffix, kTimeout,
                                                 false);
}

int CLS_BaseEntityDAO::PartitionExecuteEx(const QString& _strDbName, const QString& _strSql,
                                          const QString& _strTableName, const QString& _strSuffix,
                                          const QMap<QString, QVariant>& _mapBind)
{
    return CLS_RemoteDBHandler::PartitionExecuteEx(_strDbName, _strSql, _strTableName, _strSuffix, _mapBind,
                                                   kTimeout, false);
}

RecordSet* CLS_BaseEntityDAO::PartitionExecuteQuery(const QString& _strDbName, const QString& _strSql,
                                                    const QString& _strWhere, const QString& _strTableName,
                                                    const QString& _strStartSuffix,
                                                    const QString& _strEndSuffix, int _iStartNum,
                                                    int _iPageSize, const QString& _strOrder)
{
    return CLS_RemoteDBHandler::PartitionExecuteQuery(_strDbName, _strSql, _strWhere, _strTableName,
                                                      _strStartSuffix, _strEndSuffix, _iStartNum, _iPageSize,
                                                      _strOrder, kTimeout);
}

RecordSet* CLS_BaseEntityDAO::PartitionExecuteQueryEx(const QString& _strDbName, const QString& _strSql,
                                                      const QString& _strWhere, const QString& _strTableName,
                                                      const QString& _strStartSuffix,
                                                      const QString& _strEndSuffix, int _iStartNum,
                                                      int _iPageSize, const QString& _strOrder,
                                                      const QMap<QString, QVariant>& _mapBind)
{
    return CLS_RemoteDBHandler::PartitionExecuteQueryEx(_strDbName, _strSql, _strWhere, _strTableName,
                                                        _strStartSuffix, _strEndSuffix, _iStartNum,
                                                        _iPageSize, _strOrder, _mapBind, kTimeout);
}

int CLS_BaseEntityDAO::PartitionExecuteTransaction(const QString& _strDbName, const QString& _strTableName,
                                                   const QMap<QString, QVector<QString>>& _mapSqlBySuffix)
{
    return CLS_RemoteDBHandler::PartitionExecuteTransaction(_strDbName, _strTableName, _mapSqlBySuffix,
                                                            kTimeout);
}

int CLS_BaseEntityDAO::PartitionExecuteTransactionEx(
    const QString& _strDbName, const QString& _strTableName,
    const QMap<QString, QMap<QString, QMap<QString, QVariant>>>& _mapBinds)
{
    return CLS_RemoteDBHandler::PartitionExecuteTransactionEx(_strDbName, _strTableName, _mapBinds, kTimeout);
}

int CLS_BaseEntityDAO::PartitionGetTables(const QString& _strDbName, const QString& _strTableName,
                                          const QString& _strStartSuffix, const QString& _strEndSuffix,
                                          QVector<QString>& _vecTables)
{
    return CLS_RemoteDBHandler::PartitionGetTables(_strDbName, _strTableName, _strStartSuffix, _strEndSuffix,
                                                   _vecTables, kTimeout);
}

// ---- helpers ----

QString CLS_BaseEntityDAO::GetFirstValue(const QString& _strDbName, const QString& _strSql,
                                         const QMap<QString, QVariant>& _mapBind)
{
    RecordSet* pRows = ExecuteQueryEx(_strDbName, _strSql, _mapBind);
    QString strValue = QStringLiteral("0");
    if (pRows != nullptr && !pRows->isEmpty() && !pRows->first()->isEmpty()) {
        strValue = pRows->first()->first();
    }
    FreeRecordSet(pRows);
    return strValue;
}

void CLS_BaseEntityDAO::FreeRecordSet(RecordSet*& _pRecordSet)
{
    if (_pRecordSet == nullptr) {
        return;
    }
    qDeleteAll(*_pRecordSet);
    delete _pRecordSet;
    _pRecordSet = nullptr;
}

QString CLS_BaseEntityDAO::IntToString(int _iValue)
{
    return QString::number(_iValue);
}

QString CLS_BaseEntityDAO::UIntToString(unsigned int _uiValue)
{
    return QString::number(_uiValue);
}

QString CLS_BaseEntityDAO::FloatToString(double _dValue)
{
    char buffer[512];
    std::snprintf(buffer, sizeof(buffer), "%f", _dValue);
    QString strText = QString::fromLatin1(buffer);
    const int iComma = strText.indexOf(',');
    if (iComma >= 0) {
        strText[iComma] = '.';
    }
    return strText;
}

QString CLS_BaseEntityDAO::TrimRight(const QString& _strText)
{
    int iEnd = _strText.size();
    while (iEnd > 0 && _strText.at(iEnd - 1) == QLatin1Char(' ')) {
        --iEnd;
    }
    return _strText.left(iEnd);
}

QString CLS_BaseEntityDAO::EncodePassword(const QString& _strPassword)
{
    const QByteArray bytes = _strPassword.toLatin1();
    if (bytes.size() > kPasswordBuffer - 1) {
        DL_LOG(3, "CLS_BaseEntityDAO::EncodePassword password too long (%d bytes)", bytes.size());
        return QString();
    }
    const int n = bytes.size();
    QString strStored;
    strStored.reserve(3 * n);
    for (int i = 0; i < n; ++i) {
        const unsigned char next = i + 1 < n ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        const int e = (static_cast<unsigned char>(bytes[i]) ^ next ^ 0x5C) & 0xFF;
        strStored += QLatin1Char(kDigitTable[e / 100]);
        strStored += QLatin1Char(kDigitTable[(e / 10) % 10]);
        strStored += QLatin1Char(kDigitTable[e % 10]);
    }
    return strStored;
}

bool CLS_BaseEntityDAO::IsStorablePassword(const QString& _strPassword, const char* _pszOperation)
{
    bool bLatin1 = true;
    for (const QChar c : _strPassword) {
        bLatin1 = bLatin1 && c.unicode() <= 0xFF;
    }
    if (bLatin1 && _strPassword.size() <= kPasswordBuffer - 1) {
        return true;
    }
    DL_LOG(3, "%s password refused: %s", _pszOperation,
           bLatin1 ? "over 1023 bytes" : "a character outside Latin-1");
    return false;
}

QString CLS_BaseEntityDAO::DecodePassword(const QString& _strStored)
{
    if (_strStored.isEmpty()) {
        return QString();
    }
    if (_strStored.size() > kMaxStoredLength || _strStored.size() % 3 != 0) {
        DL_LOG(3, "CLS_BaseEntityDAO::DecodePassword stored form of bad length %d", _strStored.size());
        return QString();
    }
    const int n = _strStored.size() / 3;
    QByteArray bytes(n, '\0');
    auto digit = [](QChar c) {
        const char* p = c.unicode() < 128 ? std::strchr(kDigitTable, c.toLatin1()) : nullptr;
        return (p != nullptr && *p != '\0') ? static_cast<int>(p - kDigitTable) : 0;
    };
    for (int k = 0; k < n; ++k) {
        const int value =
            100 * digit(_strStored[3 * k]) + 10 * digit(_strStored[3 * k + 1]) + digit(_strStored[3 * k + 2]);
        bytes[k] = static_cast<char>(value % 256);
    }
    unsigned char next = 0;
    for (int k = n - 1; k >= 0; --k) {
        const unsigned char d = static_cast<unsigned char>(bytes[k]) ^ next ^ 0x5C;
        bytes[k] = static_cast<char>(d);
        next = d;
    }
    return QString::fromLatin1(bytes.constData(), bytes.size());  // a NUL byte is part of it
}

// ---- system identifier ----

QString CLS_BaseEntityDAO::HardwareAddressDigits(const unsigned char _aucAddress[6])
{
    const int a0 = _aucAddress[0], a1 = _aucAddress[1], a2 = _aucAddress[2];
    const int a3 = _aucAddress[3], a4 = _aucAddress[4], a5 = _aucAddress[5];
    const unsigned char a0plus2 = static_cast<unsigned char>(_aucAddress[0] + 2);  // wraps at 256
    const int digits[16] = {
        (a2 + 5) & 0xF,
        a0plus2 / 16,
        (a5 + 2) & 0xF,
        (a4 - 7) & 0xF,
        ((a1 + 4) / 16) & 0xF,
        ((a2 + 6) / 16) & 0xF,
        (a3 + 7) & 0xF,
        ((a3 + 8) / 16) & 0xF,
        (a0 + 1) & 0xF,
        (a1 + 3) & 0xF,
        ((a4 + 1) / 16) & 0xF,
        ((a5 + 3) / 16) & 0xF,
        a2 & 0xF,
        ((a0 + 1) / 16) & 0xF,
        (a5 + 2) & 0xF,
        ((a3 + 7) / 16) & 0xF,
    };
    QString strId;
    for (int d : digits) {
        strId += QString::number(d, 16);
    }
    return strId;
}

bool CLS_BaseEntityDAO::ReadClientId(QString& _strClientId)
{
    QFile file(startConfigurationPath());
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        return false;
    }
    const QJsonObject obj = doc.object();
    if (!obj.contains(QLatin1String("clientid"))) {
        return false;
    }
    _strClientId = obj.value(QLatin1String("clientid")).toString();
    return !_strClientId.isEmpty();
}

void CLS_BaseEntityDAO::SaveClientId(const QString& _strClientId)
{
    if (_strClientId.isEmpty()) {
        return;
    }
    const QString strPath = startConfigurationPath();
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "system,could't open projects json";
        return;
    }
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    file.close();
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        qDebug() << "json error!";
        return;
    }
    QJsonObject obj = doc.object();
    obj.insert(QStringLiteral("clientid"), _strClientId);
    // Never creates the file: it belongs to the client application.
    if (!file.exists() || !file.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Text)) {
        qDebug() << "system,could't open projects json";
        return;
    }
    file.write(QJsonDocument(obj).toJson(QJsonDocument::Indented));
    file.flush();
    file.close();
}

int CLS_BaseEntityDAO::InitSysId()
{
    if (m_bSysIdInit) {
        return 0;
    }
    QString strClientId;
    if (ReadClientId(strClientId)) {
        if (IsValidSysId(strClientId)) {
            m_strSysId = strClientId;
            m_bSysIdInit = true;
            return 0;
        }
        // The id ends up in table names: anything but the digits the derivation gives is refused.
        DL_LOG(3, "InitSysId. clientid \"%s\" refused, derived id used.", qUtf8Printable(strClientId));
    }

    QString strDerived;
    bool bFound = false;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& iface : interfaces) {
        if (iface.flags().testFlag(QNetworkInterface::IsLoopBack)) {
            continue;
        }
        const QStringList parts = iface.hardwareAddress().split(':');
        if (parts.size() != 6) {
            continue;
        }
        unsigned char address[6];
        bool bAllZero = true;
        bool bOk = true;
        for (int i = 0; i < 6 && bOk; ++i) {
            address[i] = static_cast<unsigned char>(parts[i].toUInt(&bOk, 16));
            bAllZero = bAllZero && address[i] == 0;
        }
        if (!bOk || bAllZero) {
            continue;
        }
        strDerived = HardwareAddressDigits(address);
        bFound = true;
        break;
    }
    if (!bFound) {
        DL_LOG(4, "InitSysId. get_dev_id failed.");
        return -1;
    }
    m_strSysId = strDerived.left(16);
    SaveClientId(m_strSysId);
    m_bSysIdInit = true;
    return 0;
}

bool CLS_BaseEntityDAO::IsValidSysId(const QString& _strSysId)
{
    if (_strSysId.isEmpty()) {
        return false;
    }
    for (const QChar c : _strSysId) {
        const ushort u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F'))) {
            return false;
        }
    }
    return true;
}

QString CLS_BaseEntityDAO::QuoteIdentifier(const QString& _strName)
{
    QString strQuoted = _strName;
    strQuoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + strQuoted + QLatin1Char('"');
}

int CLS_BaseEntityDAO::GetSysId(QString& _strSysId)
{
    if (!m_bSysIdInit) {
        DL_LOG(1, "GetSysId failed.Sysid Not Init .");
        return -1;
    }
    _strSysId = m_strSysId;
    return 0;
}

void CLS_BaseEntityDAO::ResetSysIdForTest()
{
    m_strSysId.clear();
    m_bSysIdInit = false;
}

// ---- per-client tables ----

int CLS_BaseEntityDAO::TableIsExist(const QString& _strTableName)
{
    QString strSysId;
    const int iRet = GetSysId(strSysId);
    if (iRet != 0) {
        DL_LOG(3, "CLS_BaseEntityDAO::TableIsExist GetSysId fail iRet = %d", iRet);
        return -1;
    }
    QVector<QString> vecTables;
    PartitionGetTables(m_strDbName, _strTableName, QString(), QString(), vecTables);
    return vecTables.contains(_strTableName + strSysId) ? 0 : -1;
}

int CLS_BaseEntityDAO::CreateTable(const QString& _strTableName)
{
    QString strSysId;
    int iRet = GetSysId(strSysId);
    if (iRet != 0) {
        DL_LOG(3, "CLS_BaseEntityDAO::CreateTable GetSysId fail iRet = %d", iRet);
        return -1;
    }
    const QString strSql = QStringLiteral("CREATE TABLE %1 AS SELECT * FROM %2")
                               .arg(QuoteIdentifier(_strTableName + strSysId), QuoteIdentifier(_strTableName));
    iRet = Execute(m_strDbName, strSql);
    if (iRet != 0) {
        DL_LOG(3, "CLS_BaseEntityDAO::CreateTable ExecuteInsert fail iRet = %d", iRet);
        return -1;
    }
    return 0;
}
