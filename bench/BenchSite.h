// The benchmark site shared by the tree benchmarks: 2,000 hosts with 32 channels, 8 alarm
// inputs and 4 alarm outputs each (ids "bh00000", "bh00000-c00", "bh00000-i00", ...), the
// administrator's rights on every object and an operator role ("r-operator") that sees every
// host; and the client's system id.
#ifndef BENCH_BENCHSITE_H
#define BENCH_BENCHSITE_H

#include "CLS_DataMediator.h"
#include "CLS_RemoteDBHandler.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"
#include "FreeTree.h"
#include "ServerProcess.h"
#include "ToolKits.h"

#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace benchsite {

// Statement text with "{name}" replaced by values. QString::arg would also take printf's "%02d"
// for a place marker.
inline QString fill(QString _strSql, const QMap<QString, QString>& _mapValues)
{
    for (auto it = _mapValues.cbegin(); it != _mapValues.cend(); ++it) {
        _strSql.replace("{" + it.key() + "}", it.value());
    }
    return _strSql;
}

inline const char* const kSeed[] = {
    "CREATE TABLE IF NOT EXISTS BENCH_H(X INTEGER PRIMARY KEY)",
    "INSERT INTO BENCH_H WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < 1999) "
    "SELECT x FROM c",
    "CREATE TABLE IF NOT EXISTS BENCH_N(X INTEGER PRIMARY KEY)",
    "INSERT INTO BENCH_N WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < 31) SELECT "
    "x FROM c",
    // hosts
    "INSERT INTO TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, I_VISIBLE) "
    "SELECT printf('bh%05d', X), NULL, 4, 'Host ' || X, 1 FROM BENCH_H H",
    "INSERT INTO TAB_DEV_VIDEO_HOST (S_ID, S_IP, I_PORT, S_USERNAME, S_PASSWORD, S_DESCRIPTION, I_DEVTYPE, "
    "I_VIDEO_HOST_TYPE_ID, S_DNS_IP, I_DNS_PORT, I_DNS_TYPE, S_PRODUCT_ID, S_DOMAIN, I_HTTP_PORT, "
    "S_ITS_NUMBER) "
    "SELECT printf('bh%05d', X), printf('10.%d.%d.1', X / 250, X % 250), 3000, 'admin', '=_^', '', 1, 1, '', "
    "0, "
    "0, 'SN' || X, '', 80, '' FROM BENCH_H H",
    "INSERT INTO TAB_HOST (S_ID, I_PROXY_TYPE, S_PROXY1_ID, S_PROXY1_IP, I_PROXY1_PORT, S_PROXY1_CAPTION, "
    "S_PROXY2_ID, S_PROXY2_IP, I_PROXY2_PORT, S_PROXY2_CAPTION, S_DNS_USER, S_DNS_PASSWORD, "
    "I_ENABLE_DEFENCE) "
    "SELECT printf('bh%05d', X), 1, '', '', 0, '', '', '', 0, '', '', '', 1 FROM BENCH_H H",
    // channels
    "INSERT INTO TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, I_VISIBLE) "
    "SELECT printf('bh%05d-c%02d', H.X, N.X), printf('bh%05d', H.X), 5, "
    "printf('10.%d.%d.1-Channel %d', H.X / 250, H.X % 250, N.X + 1), 1 FROM BENCH_H H, BENCH_N N",
    "INSERT INTO TAB_DEV_CAMERA (S_ID, I_NUM, S_DESCRIPTION, I_LINK_TYPE_ID, I_BUF_NUM, I_DELAY_NUM, "
    "I_PROTOCOL_TYPE, I_PTZ_ADDR, I_COM_PORT, I_BAUDRATE, S_PARENT_ID) "
    "SELECT printf('bh%05d-c%02d', H.X, N.X), N.X, '', 0, 20, 1, 0, 0, 1, 9600, printf('bh%05d', H.X) FROM "
    "BENCH_H H, BENCH_N N",
    "INSERT INTO TAB_CHANNEL (S_ID, I_CONTROL_TYPE, I_SPEED_X, I_SPEED_Y, I_DATA_TYPE, I_ENCRYPT_ENABLED, "
    "S_DECRYPT_CODE, S_PARENT_ID, I_ENABLE_DEFENCE) "
    "SELECT printf('bh%05d-c%02d', H.X, N.X), 0, 50, 50, 0, 0, '', printf('bh%05d', H.X), 1 FROM BENCH_H H, "
    "BENCH_N N",
    // alarm inputs and outputs
    "INSERT INTO TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, I_VISIBLE) "
    "SELECT printf('bh%05d-i%02d', H.X, N.X), printf('bh%05d', H.X), 6, "
    "printf('10.%d.%d.1-AlarmIn %d', H.X / 250, H.X % 250, N.X + 1), 1 FROM BENCH_H H, BENCH_N N WHERE N.X < "
    "8",
    "INSERT INTO TAB_DEV_ALARM_IN (S_ID, I_NUM, S_DESCRIPTION, I_ENABLE_DEFENCE) "
    "SELECT printf('bh%05d-i%02d', H.X, N.X), N.X, '', 1 FROM BENCH_H H, BENCH_N N WHERE N.X < 8",
    "INSERT INTO TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, I_VISIBLE) "
    "SELECT printf('bh%05d-o%02d', H.X, N.X), printf('bh%05d', H.X), 7, "
    "printf('10.%d.%d.1-AlarmOut %d', H.X / 250, H.X % 250, N.X + 1), 1 FROM BENCH_H H, BENCH_N N WHERE N.X "
    "< 4",
    "INSERT INTO TAB_DEV_ALARM_OUT (S_ID, I_NUM, S_DESCRIPTION) "
    "SELECT printf('bh%05d-o%02d', H.X, N.X), N.X, '' FROM BENCH_H H, BENCH_N N WHERE N.X < 4",
    // the administrator's rights, as the device tables write them with each object
    "INSERT INTO TAB_OBJ_ROLE_AUTHORITY (S_OBJ_ID, S_ROLE_ID, I_AUTHORITY_TYPE_ID, I_STATUS, S_PARENT_ID) "
    "SELECT o.S_ID, 'admin_role', t.I_AUTHORITY_TYPE_ID, 1, COALESCE(o.S_PARENT_ID, o.S_ID) FROM TAB_OBJ o "
    "JOIN TAB_OBJ_TYPE_AUTHORITY_TYPE t ON t.I_OBJ_TYPE_ID = o.I_OBJ_TYPE_ID WHERE o.S_ID LIKE 'bh%'",
    // the operator's role sees every host
    "INSERT INTO TAB_OBJ_ROLE_AUTHORITY (S_OBJ_ID, S_ROLE_ID, I_AUTHORITY_TYPE_ID, I_STATUS, S_PARENT_ID) "
    "SELECT S_ID, 'r-operator', 1, 1, S_ID FROM TAB_OBJ WHERE I_OBJ_TYPE_ID = 4 AND S_ID LIKE 'bh%'",
};

inline bool settleSysId()
{
    const QString strPath = QCoreApplication::applicationDirPath() + "/StartConfiguration.json";
    bool bWritten = false;
    if (!QFile::exists(strPath)) {
        QFile file(strPath);
        if (!file.open(QIODevice::WriteOnly)) {
            return false;
        }
        file.write(R"({"clientid":"be7c7ee"})");
        file.close();
        bWritten = true;
    }
    CLS_BaseEntityDAO::ResetSysIdForTest();
    const int iRet = CLS_BaseEntityDAO::InitSysId();
    if (bWritten) {
        QFile::remove(strPath);
    }
    return iRet == 0;
}

// The administrator, the operator with its role, and the site.
inline bool addUsersAndSite(const char* _pszAdmin, const char* _pszOperator, const char* _pszPassword)
{
    CLS_DataMediator mediator;
    if (mediator.AddUser(_pszAdmin, _pszPassword) != 0) {
        std::fprintf(stderr, "no administrator\n");
        return false;
    }
    CLS_UserEntity user;
    user.S_ID = _pszOperator;
    user.S_CAPTION = _pszOperator;
    user.S_PASSWORD = _pszPassword;
    user.DT_LIMIT = "2099-01-01 00:00:00";
    user.I_OBJ_TYPE_ID = 13;
    CLS_RoleEntity role;
    role.S_ID = "r-operator";
    role.S_CAPTION = "operators";
    role.I_OBJ_TYPE_ID = 14;
    if (mediator.InsertUserAddRoleRelatedInfo(&user, &role) != 0) {
        std::fprintf(stderr, "no operator\n");
        return false;
    }
    for (const char* pszSql : kSeed) {
        if (CLS_RemoteDBHandler::Execute("Tessel", pszSql, 300, false) < 0) {
            std::fprintf(stderr, "seed failed: %s\n", pszSql);
            return false;
        }
    }
    return true;
}

inline ServerProcess* g_pServer = nullptr;
inline QTemporaryDir* g_pHome = nullptr;

// A server of its own on free ports and a home folder of its own, the client connected to it.
inline bool startServer()
{
    g_pHome = new QTemporaryDir();
    qputenv("HOME", g_pHome->path().toUtf8());
    g_pServer = new ServerProcess();
    if (!g_pServer->start() || connectHandlerTo(*g_pServer) != 1) {
        std::fprintf(stderr, "server: %s\n", qPrintable(g_pServer->output()));
        return false;
    }
    return true;
}

// The body of a benchmark's main: _setUp runs once the client is connected, _tearDown (if any)
// before the connection goes.
inline int runBenchmarks(int _argc, char** _argv, bool (*_setUp)(), void (*_tearDown)())
{
    QCoreApplication app(_argc, _argv);
    benchmark::Initialize(&_argc, _argv);
    // No logging while measuring.
    dy_libos_log_debug_ex = nullptr;
    if (!startServer() || !_setUp()) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (_tearDown != nullptr) {
        _tearDown();
    }
    CLS_RemoteDBHandler::Teardown();
    g_pServer->stop();
    delete g_pServer;
    delete g_pHome;
    return 0;
}

}  // namespace benchsite

#endif
