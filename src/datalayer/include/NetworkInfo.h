// Network interface and load samples of the database server's host.
#ifndef NETWORKINFO_H
#define NETWORKINFO_H

#include <QList>
#include <QString>

/// One load sample of an interface's host.
struct _SystemStatus
{
    double dMemUsage = 0.0;  ///< "MemUsage"
    double dCpuUsage = 0.0;  ///< "CpuUsage"
    int iRxByte = 0;         ///< "RxByte"
    int iTxByte = 0;         ///< "TxByte"
    QString strDateTime;     ///< "dateTime"
};

/// One network interface of the server host; owns its samples.
struct _NetworkInfo
{
    QString strIfrName;       ///< "Ifrname"
    QString strIpv4Addr;      ///< "Ipv4Addr"
    QString strIpv4Mask;      ///< "Ipv4Mask"
    QString strIpv4Gateway;   ///< "Ipv4Gateway"
    QString strMac;           ///< "mac"
    QString strMtu;           ///< "mtu"
    QString strConnectState;  ///< "connectState"
    QString strFirstDns;      ///< "firstDns"
    QString strSecondDns;     ///< not filled by the server commands
    QString strDHCPStatus;    ///< "DHCPStatus"
    QList<_SystemStatus*> lstStatus;

    _NetworkInfo() = default;
    _NetworkInfo(const _NetworkInfo&) = delete;
    _NetworkInfo& operator=(const _NetworkInfo&) = delete;
    ~_NetworkInfo() { qDeleteAll(lstStatus); }
};

#endif  // NETWORKINFO_H
