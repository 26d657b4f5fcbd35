// tessel-site-seed: a site of realistic size in a server's data folder, for scripts/capacity.sh.
//
//   tessel-site-seed --data-dir DIR [--quick]
//
// The full site: 1,000 hosts of 10 channels, 4 alarm inputs and 2 alarm outputs each
// ("sh0000", "sh0000-c0", "sh0000-i0", "sh0000-o0", ...); 50 users: "admin" and the operators
// "op01".."op49" (password kPassword), operator k in role "r-opNN" seeing the 100 hosts
// 100 * (k % 10) .. +99 with their 1,000 channels, and 20 linkage rules each; 100 views of 16
// channels; a year of alarm records at 20,000 a day up to now; 12 monthly tables of face captures
// at 10,000 a day on the 100 channels of hosts 0-9; 12 months of passenger-flow counts of the 200
// channels of hosts 0-19 in 15-minute slots; a recording index of 7 days of one-hour files of
// every channel. --quick: 30 days of alarms, 2 months of captures and counts, 1 day of recordings.
//
// The server makes the schema, the users and the monthly tables (first rows through the data
// layer); the bulk rows then go in process into the server's files while it is stopped, one
// transaction per table. site.json in the data folder tells the stations what was seeded.
#include "BenchSite.h"
#include "DataBase/EntityDao/FaceRecognition/CLS_IntelligentDataRecEntityDAO.h"
#include "DataBase/EntityDao/PassengerFlow/CLS_PassengerFlowDAO.h"
#include "DataBase/EntityDao/Rec/CLS_RecFileEntityDAO.h"

#include <QCommandLineParser>
#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <sqlite3.h>

#include <cstdio>

namespace {

constexpr const char* kPassword = "station pw";
constexpr int kHosts = 1000;
constexpr int kOperators = 49;
constexpr int kAlarmsPerDay = 20000;
constexpr int kCapturesPerDay = 10000;
constexpr int kFlowChannels = 200;
constexpr int kFaceChannels = 100;
constexpr int kSlotsPerDay = 96;

struct Size
{
    int iAlarmDays;
    int iMonths;  // face captures and passenger-flow counts
    int iRecordingDays;
};

QString month(const QDate& _date)
{
    return _date.toString("yyyyMM");
}

// The months of the history, oldest first, ending with the current one.
QVector<QDate> months(const QDate& _today, int _iMonths)
{
    QVector<QDate> vec;
    const QDate first(_today.year(), _today.month(), 1);
    for (int i = _iMonths - 1; i >= 0; --i) {
        vec << first.addMonths(-i);
    }
    return vec;
}

bool remote(const QString& _strDb, const QString& _strSql)
{
    if (CLS_RemoteDBHandler::Execute(_strDb, _strSql, 600, false) < 0) {
        std::fprintf(stderr, "failed: %s\n", qPrintable(_strSql.left(200)));
        return false;
    }
    return true;
}

const char* const kDevices[] = {
    "CREATE TABLE SEED_H(X INTEGER PRIMARY KEY)",
    "INSERT INTO SEED_H WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < 999) "
    "SELECT x FROM c",
    "CREATE TABLE SEED_N(X INTEGER PRIMARY KEY)",
    "INSERT INTO SEED_N WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < 9) SELECT x "
    "FROM c",
    "INSERT INTO TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, I_VISIBLE) "
    "SELECT printf('sh%04d', X), NULL, 4, 'Host ' || X, 1 FROM SEED_H",
    "INSERT INTO TAB_DEV_VIDEO_HOST (S_ID, S_IP, I_PORT, S_USERNAME, S_PASSWORD, S_DESCRIPTION, I_DEVTYPE, "
    "I_VIDEO_HOST_TYPE_ID, S_DNS_IP, I_DNS_PORT, I_DNS_TYPE, S_PRODUCT_ID, S_DOMAIN, I_HTTP_PORT, "
    "S_ITS_NUMBER) "
    "SELECT printf('sh%04d', X), printf('10.1.%d.%d', X / 250, 1 + X % 250), 3000, 'admin', '=_^', '', 1, 1, "
    "'', "
    "0, 0, 'SN' || X, '', 80, '' FROM SEED_H",
    "INSERT INTO TAB_HOST (S_ID, I_PROXY_TYPE, S_PROXY1_ID, S_PROXY1_IP, I_PROXY1_PORT, S_PROXY1_CAPTION, "
    "S_PROXY2_ID, S_PROXY2_IP, I_PROXY2_PORT, S_PROXY2_CAPTION, S_DNS_USER, S_DNS_PASSWORD, "
    "I_ENABLE_DEFENCE) "
    "SELECT printf('sh%04d', X), 1, '', '', 0, '', '', '', 0, '', '', '', 1 FROM SEED_H",
    "INSERT INTO TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, I_VISIBLE) "
    "SELECT printf('sh%04d-c%d', H.X, N.X), printf('sh%04d', H.X), 5, printf('Host %d channel %d', H.X, N.X "
    "+ 1), 1 "
    "FROM SEED_H H, SEED_N N",
    "INSERT INTO TAB_DEV_CAMERA (S_ID, I_NUM, S_DESCRIPTION, I_LINK_TYPE_ID, I_BUF_NUM, I_DELAY_NUM, "
    "I_PROTOCOL_TYPE, I_PTZ_ADDR, I_COM_PORT, I_BAUDRATE, S_PARENT_ID) "
    "SELECT printf('sh%04d-c%d', H.X, N.X), N.X, '', 0, 20, 1, 0, 0, 1, 9600, printf('sh%04d', H.X) "
    "FROM SEED_H H, SEED_N N",
    "INSERT INTO TAB_CHANNEL (S_ID, I_CONTROL_TYPE, I_SPEED_X, I_SPEED_Y, I_DATA_TYPE, I_ENCRYPT_ENABLED, "
    "S_DECRYPT_CODE, S_PARENT_ID, I_ENABLE_DEFENCE) "
    "SELECT printf('sh%04d-c%d', H.X, N.X), 0, 50, 50, 0, 0, '', printf('sh%04d', H.X), 1 FROM SEED_H H, "
    "SEED_N N",
    "INSERT INTO TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, I_VISIBLE) "
    "SELECT printf('sh%04d-i%d', H.X, N.X), printf('sh%04d', H.X), 6, printf('Host %d input %d', H.X, N.X + "
    "1), 1 "
    "FROM SEED_H H, SEED_N N WHERE N.X < 4",
    "INSERT INTO TAB_DEV_ALARM_IN (S_ID, I_NUM, S_DESCRIPTION, I_ENABLE_DEFENCE) "
    "SELECT printf('sh%04d-i%d', H.X, N.X), N.X, '', 1 FROM SEED_H H, SEED_N N WHERE N.X < 4",
    "INSERT INTO TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, I_VISIBLE) "
    "SELECT printf('sh%04d-o%d', H.X, N.X), printf('sh%04d', H.X), 7, printf('Host %d output %d', H.X, N.X + "
    "1), 1 "
    "FROM SEED_H H, SEED_N N WHERE N.X < 2",
    "INSERT INTO TAB_DEV_ALARM_OUT (S_ID, I_NUM, S_DESCRIPTION) "
    "SELECT printf('sh%04d-o%d', H.X, N.X), N.X, '' FROM SEED_H H, SEED_N N WHERE N.X < 2",
    // the administrator's rights, as the device tables write them with each object
    "INSERT INTO TAB_OBJ_ROLE_AUTHORITY (S_OBJ_ID, S_ROLE_ID, I_AUTHORITY_TYPE_ID, I_STATUS, S_PARENT_ID) "
    "SELECT o.S_ID, 'admin_role', t.I_AUTHORITY_TYPE_ID, 1, COALESCE(o.S_PARENT_ID, o.S_ID) FROM TAB_OBJ o "
    "JOIN TAB_OBJ_TYPE_AUTHORITY_TYPE t ON t.I_OBJ_TYPE_ID = o.I_OBJ_TYPE_ID WHERE o.S_ID LIKE 'sh%'",
    // operator k sees the hosts 100 * (k % 10) .. 100 * (k % 10) + 99
    "INSERT INTO TAB_OBJ_ROLE_AUTHORITY (S_OBJ_ID, S_ROLE_ID, I_AUTHORITY_TYPE_ID, I_STATUS, S_PARENT_ID) "
    "SELECT printf('sh%04d', H.X), R.S_ID, 1, 1, printf('sh%04d', H.X) FROM SEED_H H "
    "JOIN (SELECT S_ID, CAST(substr(S_ID, 5) AS INTEGER) AS K FROM TAB_ROLE WHERE S_ID LIKE 'r-op%') R "
    "ON H.X / 100 = R.K % 10",
};

// Users, devices and the first row of every monthly table, through the server.
bool seedThroughServer(const Size& _size, const QDate& _today)
{
    CLS_DataMediator mediator;
    if (mediator.AddUser("admin", kPassword) != 0) {
        std::fprintf(stderr, "no administrator\n");
        return false;
    }
    for (int k = 1; k <= kOperators; ++k) {
        const QString strName = QString("op%1").arg(k, 2, 10, QLatin1Char('0'));
        CLS_UserEntity user;
        user.S_ID = strName;
        user.S_CAPTION = strName;
        user.S_PASSWORD = kPassword;
        user.DT_LIMIT = "2099-01-01 00:00:00";
        user.I_OBJ_TYPE_ID = 13;
        CLS_RoleEntity role;
        role.S_ID = "r-" + strName;
        role.S_CAPTION = "operators " + strName;
        role.I_OBJ_TYPE_ID = 14;
        if (mediator.InsertUserAddRoleRelatedInfo(&user, &role) != 0) {
            std::fprintf(stderr, "no operator %s\n", qPrintable(strName));
            return false;
        }
    }
    for (const char* pszSql : kDevices) {
        if (!remote("Tessel", QString::fromLatin1(pszSql))) {
            return false;
        }
    }
    if (!remote("Tessel", "DROP TABLE SEED_H") || !remote("Tessel", "DROP TABLE SEED_N")) {
        return false;
    }
    QVector<CLS_IntelligentDataRecEntity> vecFirst;
    for (const QDate& m : months(_today, _size.iMonths)) {
        CLS_IntelligentDataRecEntity capture;
        capture.S_ID = "seed";
        capture.DT_CAPTURE = m.toString("yyyy-MM-dd") + " 00:00:00";
        vecFirst << capture;
        CLS_PassengerFlowEntity count;
        count.S_ID = "seed";
        count.S_CHANNEL_OBJ_ID = "seed";
        count.DT_DATE = m.toString("yyyy-MM-dd");
        count.DT_TIME = "00:00:00";
        if (CLS_PassengerFlowDAO::GetInstance()->AddPassengerFlowInfo(count) != 0) {
            std::fprintf(stderr, "no passenger-flow table for %s\n", qPrintable(month(m)));
            return false;
        }
    }
    if (CLS_IntelligentDataRecEntityDAO::GetInstance()->AddFaceCaptures(vecFirst) != 0) {
        std::fprintf(stderr, "no face-capture tables\n");
        return false;
    }
    CLS_RecFileEntity file;
    file.S_CAMERA_ID = "seed";
    file.DT_START = file.DT_END = _today.toString("yyyy-MM-dd") + " 00:00:00";
    if (CLS_RecFileEntityDAO::GetInstance()->AddRecordFile(file) != 0) {
        std::fprintf(stderr, "no recording table\n");
        return false;
    }
    return true;
}

// ---- in process ----

class LocalDb
{
public:
    explicit LocalDb(const QString& _strPath)
    {
        if (sqlite3_open_v2(_strPath.toUtf8().constData(), &m_pDb, SQLITE_OPEN_READWRITE, nullptr) !=
            SQLITE_OK) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(_strPath), sqlite3_errmsg(m_pDb));
            sqlite3_close(m_pDb);
            m_pDb = nullptr;
        }
    }
    ~LocalDb() { sqlite3_close(m_pDb); }
    LocalDb(const LocalDb&) = delete;
    LocalDb& operator=(const LocalDb&) = delete;

    bool run(const QString& _strSql)
    {
        if (m_pDb == nullptr) {
            return false;
        }
        char* pszError = nullptr;
        if (sqlite3_exec(m_pDb, _strSql.toUtf8().constData(), nullptr, nullptr, &pszError) != SQLITE_OK) {
            std::fprintf(stderr, "failed: %s\n  %s\n", pszError, qPrintable(_strSql.left(300)));
            sqlite3_free(pszError);
            return false;
        }
        return true;
    }

private:
    sqlite3* m_pDb = nullptr;
};

bool bulk(LocalDb& _db, const QStringList& _lstSql)
{
    if (!_db.run("PRAGMA synchronous=OFF; PRAGMA cache_size=-1000000; BEGIN")) {
        return false;
    }
    for (const QString& strSql : _lstSql) {
        if (!_db.run(strSql)) {
            _db.run("ROLLBACK");
            return false;
        }
    }
    return _db.run("COMMIT; PRAGMA analysis_limit=2000; ANALYZE; PRAGMA wal_checkpoint(TRUNCATE)");
}

qint64 epoch(const QDate& _date)
{
    return QDateTime(_date, QTime(0, 0)).toSecsSinceEpoch();
}

bool seedInProcess(const QString& _strDir, const QString& _strSysId, const Size& _size, const QDate& _today)
{
    QElapsedTimer timer;
    timer.start();
    const qint64 i64Now = QDateTime::currentSecsSinceEpoch();
    {
        // a year (or a month) of alarms up to now, oldest first; levels, types and states cycle
        const qint64 i64Alarms = static_cast<qint64>(_size.iAlarmDays) * kAlarmsPerDay;
        const QString strAction = "\"TAB_OBJ_ALARM_ACTION" + _strSysId + "\"";
        LocalDb db(_strDir + "/Tessel.db");
        QStringList lstSql{
            benchsite::fill(
                "INSERT INTO TAB_ALARM_RECORD (S_ID, DT_ALARM, S_CAMERA_ID, S_CAMERA_CAPTION, I_CAMERA_TYPE, "
                "I_ALARM_TYPE, I_RULE_ID, I_IS_ALARM, I_LEVEL, S_USER_ID, I_DEAL_STATE, I_SEQ) "
                "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < {last}) "
                "SELECT printf('seed%028d', x), "
                "strftime('%Y-%m-%d %H:%M:%S', {now} - ({count} - x) * 86400 / {perday}, 'unixepoch', "
                "'localtime'), "
                "printf('sh%04d-c%d', (x * 7919) % 10000 / 10, x % 10), printf('Host %d channel %d', "
                "(x * 7919) % 10000 / 10, x % 10 + 1), 5, 1 + x % 12, -1, 1, 1 + x % 5, 'admin', "
                "CASE WHEN x % 10 = 0 THEN 0 ELSE 1 END, x % 4 FROM c",
                {{"last", QString::number(i64Alarms - 1)},
                 {"now", QString::number(i64Now)},
                 {"count", QString::number(i64Alarms)},
                 {"perday", QString::number(kAlarmsPerDay)}}),
            "CREATE TABLE IF NOT EXISTS " + strAction + " AS SELECT * FROM TAB_OBJ_ALARM_ACTION",
            // 20 rules a user: sound on its alarm inputs for the first 20 adapter alarm types
            "INSERT INTO " + strAction +
                " (S_ID, S_SRC_OBJ_ID, I_ADAPTER_ALARM_ID, I_ENABLE, S_DES_OBJ_ID, I_ACTION_TYPE_ID, "
                "S_PARAM, "
                "S_USER_ID, I_CTRL_WITHDRAW_DEFENCE) "
                "SELECT U.S_ID || '-' || A.I_ID, printf('sh%04d-i0', A.I_ID % 1000), A.I_ID, 1, '', 2, '{}', "
                "U.S_ID, 0 "
                "FROM TAB_USER U, (SELECT I_ID FROM TAB_DD_ADAPTER_ALARM_TYPE ORDER BY I_ID LIMIT 20) A",
            // 100 views of 16 channels
            "INSERT INTO TAB_VIEW (S_ID, S_CAPTION, S_PARAM, I_TYPE, I_ISTEMPLATE) "
            "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < 99) "
            "SELECT printf('view%03d', x), printf('View %d', x), '', 0, 0 FROM c",
            "INSERT INTO TAB_VIEW_CHANNEL (S_ID, S_CAMERA_ID, I_DATA_TYPE, I_PANEL_NUM, S_VIEW_ID, "
            "S_TREENODE_ID) "
            "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < 1599) "
            "SELECT printf('vc%05d', x), printf('sh%04d-c%d', x / 10, x % 10), 0, x % 16, printf('view%03d', "
            "x / 16), "
            "'' FROM c",
        };
        if (!bulk(db, lstSql)) {
            return false;
        }
        std::printf("alarm records: %lld (%.0f s)\n", static_cast<long long>(i64Alarms),
                    timer.elapsed() / 1e3);
    }
    {
        LocalDb db(_strDir + "/Tessel-intelligent.db");
        QStringList lstSql;
        for (const QDate& m : months(_today, _size.iMonths)) {
            const QString strTable = "TAB_INTELLIGENT_FACE_CAPTURE" + month(m);
            lstSql << "DELETE FROM " + strTable
                   << benchsite::fill(
                          "INSERT INTO {table} (S_ID, S_HOST_ID, S_CHANNEL_ID, S_CHANNEL_NAME, I_AGE_TYPE, "
                          "I_GENDER_TYPE, I_MASKS_TYPE, I_GLASSES_TYPE, I_TEMPERATURE_TYPE, "
                          "S_TEMPERATURE_VALUE, "
                          "DT_CAPTURE, S_BIG_PATH, S_SMALL_PATH, I_FILE_SIZE, I_SEQ, S_NEGPIC_PATH, S_NAME) "
                          "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < {last}) "
                          "SELECT printf('f{month}-%08d', x), printf('sh%04d', x % {channels} / 10), "
                          "printf('sh%04d-c%d', x % {channels} / 10, x % 10), printf('Host %d channel %d', "
                          "x % {channels} / 10, x % 10 + 1), 1 + x % 4, x % 3, x % 2, 0, 0, '', "
                          "strftime('%Y-%m-%d %H:%M:%S', {start} + x * 86400 / {perday}, 'unixepoch', "
                          "'localtime'), "
                          "printf('/faces/{month}/%d-big.jpg', x), printf('/faces/{month}/%d-small.jpg', x), "
                          "48, "
                          "x % 4, '', '' FROM c",
                          {{"table", strTable},
                           {"last", QString::number(m.daysInMonth() * kCapturesPerDay - 1)},
                           {"month", month(m)},
                           {"channels", QString::number(kFaceChannels)},
                           {"perday", QString::number(kCapturesPerDay)},
                           {"start", QString::number(epoch(m))}});
        }
        if (!bulk(db, lstSql)) {
            return false;
        }
        std::printf("face captures: %d months (%.0f s)\n", _size.iMonths, timer.elapsed() / 1e3);
    }
    {
        LocalDb db(_strDir + "/Tessel-passengerFlow.db");
        QStringList lstSql;
        for (const QDate& m : months(_today, _size.iMonths)) {
            const QString strTable = "TAB_PASSENGERFLOW_INFO" + month(m);
            lstSql << "DELETE FROM " + strTable
                   << benchsite::fill(
                          "INSERT INTO {table} (S_ID, S_CHANNEL_OBJ_ID, DT_DATE, DT_TIME, I_IN_NUMBER, "
                          "I_OUT_NUMBER, I_PASS_NUMBER) "
                          "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < {last}) "
                          "SELECT printf('p{month}-%08d', x), printf('sh%04d-c%d', x % {channels} / 10, x % "
                          "10), "
                          "strftime('%Y-%m-%d', {start} + (x / ({channels} * {slots})) * 86400, 'unixepoch', "
                          "'localtime'), printf('%02d:%02d:00', (x / {channels}) % {slots} / 4, "
                          "(x / {channels}) % 4 * 15), 1 + (x / {channels} + x) % 7, (x / {channels} + x) % "
                          "7, 1 "
                          "FROM c",
                          {{"table", strTable},
                           {"last", QString::number(m.daysInMonth() * kFlowChannels * kSlotsPerDay - 1)},
                           {"month", month(m)},
                           {"channels", QString::number(kFlowChannels)},
                           {"slots", QString::number(kSlotsPerDay)},
                           {"start", QString::number(epoch(m) + 43200)}});
        }
        if (!bulk(db, lstSql)) {
            return false;
        }
        std::printf("passenger-flow counts: %d months (%.0f s)\n", _size.iMonths, timer.elapsed() / 1e3);
    }
    {
        // one-hour files of every channel, from the first day of the index to the end of today
        LocalDb db(_strDir + "/Tessel-record.db");
        const QString strTable = "\"TAB_REC_FILE" + _strSysId + "\"";
        const qint64 i64Files = static_cast<qint64>(_size.iRecordingDays) * 24 * kHosts * 10;
        const QStringList lstSql{
            "DELETE FROM " + strTable,
            benchsite::fill(
                "INSERT INTO {table} (S_HOST_ID, S_CAMERA_ID, I_REC_TYPE_ID, I_REC_STREAM_TYPE, "
                "S_RECFILE_NAME, "
                "S_SAVE_PATH, DT_START, DT_END, I_LENGTH, I_LOCK, S_SAVE_DISK) "
                "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < {last}) "
                "SELECT printf('sh%04d', x % 10000 / 10), printf('sh%04d-c%d', x % 10000 / 10, x % 10), 1, "
                "0, "
                "printf('rec%09d.sdv', x), '/rec/', "
                "strftime('%Y-%m-%d %H:%M:%S', {start} + (x / 10000) * 3600, 'unixepoch', 'localtime'), "
                "strftime('%Y-%m-%d %H:%M:%S', {start} + (x / 10000) * 3600 + 3599, 'unixepoch', "
                "'localtime'), "
                "1073741824, 0, '/data' FROM c",
                {{"table", strTable},
                 {"last", QString::number(i64Files - 1)},
                 {"start", QString::number(epoch(_today.addDays(1 - _size.iRecordingDays)))}}),
        };
        if (!bulk(db, lstSql)) {
            return false;
        }
        std::printf("recording files: %lld (%.0f s)\n", static_cast<long long>(i64Files),
                    timer.elapsed() / 1e3);
    }
    return true;
}

bool writeSite(const QString& _strDir, const Size& _size, const QDate& _today, bool _bQuick)
{
    QJsonArray flow;
    for (int i = 0; i < kFlowChannels; ++i) {
        flow.append(QString::asprintf("sh%04d-c%d", i / 10, i % 10));
    }
    QJsonArray faces;
    for (int i = 0; i < kFaceChannels; ++i) {
        faces.append(QString::asprintf("sh%04d-c%d", i / 10, i % 10));
    }
    const QJsonObject site{
        {"last_day", _today.toString(Qt::ISODate)},
        {"alarm_days", _size.iAlarmDays},
        {"face_first_day", months(_today, _size.iMonths).first().toString(Qt::ISODate)},
        {"recording_days", _size.iRecordingDays},
        {"flow_first_day", months(_today, _size.iMonths).first().toString(Qt::ISODate)},
        {"months", _size.iMonths},
        {"flow_channels", flow},
        {"face_channels", faces},
        {"hosts", kHosts},
        {"channels", kHosts * 10},
        {"users", kOperators + 1},
        {"quick", _bQuick},
        {"password", kPassword},
    };
    QSaveFile file(_strDir + "/site.json");
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.write(QJsonDocument(site).toJson());
    return file.commit();
}

}  // namespace

int main(int _argc, char** _argv)
{
    QCoreApplication app(_argc, _argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOptions({{"data-dir", "The server's data folder (empty or new).", "path"},
                       {"quick", "A smaller history: 30 days of alarms, 2 months of captures and counts."}});
    parser.process(app);
    const QString strDir = parser.value("data-dir");
    const bool bQuick = parser.isSet("quick");
    if (strDir.isEmpty()) {
        std::fprintf(stderr, "tessel-site-seed: --data-dir is needed\n");
        return 2;
    }
    dy_libos_log_debug_ex = nullptr;
    const Size size = bQuick ? Size{30, 2, 1} : Size{365, 12, 7};
    const QDate today = QDate::currentDate();
    QElapsedTimer timer;
    timer.start();
    QString strSysId;
    {
        ServerProcess server(strDir);
        if (!server.start() || connectHandlerTo(server) != 1) {
            std::fprintf(stderr, "server: %s\n", qPrintable(server.output()));
            return 1;
        }
        const bool bOk = benchsite::settleSysId() && CLS_BaseEntityDAO::GetSysId(strSysId) == 0 &&
                         seedThroughServer(size, today);
        CLS_RemoteDBHandler::Teardown();
        if (!server.stop() || !bOk) {
            std::fprintf(stderr, "seeding through the server failed: %s\n", qPrintable(server.output()));
            return 1;
        }
    }
    std::printf("users, devices and tables: %.0f s\n", timer.elapsed() / 1e3);
    if (!seedInProcess(strDir, strSysId, size, today) || !writeSite(strDir, size, today, bQuick)) {
        return 1;
    }
    std::printf("site seeded in %.0f s (%s)\n", timer.elapsed() / 1e3, bQuick ? "quick" : "full");
    return 0;
}
