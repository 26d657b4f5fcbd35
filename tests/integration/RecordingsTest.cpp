// The recording-file index, pre-record and delay values, recording-type colours and the
// operation log against a real server and schema.
#include "CLS_DataAccess.h"
#include "IntegrationFixture.h"
#include "LogCapture.h"

#include <QColor>
#include <QSet>

#include <memory>

namespace {

const auto* const g_env =
    ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment({"itrec01", /*admin*/ true, {}}));

const char kRecordDb[] = "Tessel-record";

QString recTable()
{
    return "TAB_REC_FILE" + IntegrationEnvironment::instance().sysId();
}

STRCT_RecFileInfo fileInfo(const QString& _strChannel, const QString& _strStart, const QString& _strEnd,
                           quint32 _uiLength = 10, int _iStream = 0, int _iType = 1, int _iLock = 0,
                           const QString& _strDisk = "/mnt/d1")
{
    STRCT_RecFileInfo info;
    info.m_strHostID = "hostR";
    info.m_strChannelID = _strChannel;
    info.m_iRecType = _iType;
    info.m_iStreamType = _iStream;
    info.m_strFileName = _strChannel + "_" + _strStart;
    info.m_strSavePath = _strDisk + "/x/" + info.m_strFileName;
    info.m_strStartTime = _strStart;
    info.m_strEndTime = _strEnd;
    info.m_uiLength = _uiLength;
    info.m_iLock = _iLock;
    info.m_strSaveDisk = _strDisk;
    return info;
}

// Owns the entities a search hands out.
struct Files
{
    QVector<CLS_RecFileEntity*> vec;
    ~Files() { qDeleteAll(vec); }
    QStringList names() const
    {
        QStringList lst;
        for (const CLS_RecFileEntity* p : vec) {
            lst << p->S_RECFILE_NAME;
        }
        return lst;
    }
};

class Recordings : public LoggedInTest
{
protected:
    void SetUp() override
    {
        LoggedInTest::SetUp();
        ASSERT_EQ(m_mediator.DeleteAllRecordFile(QString()), 0);
    }
};

TEST_F(Recordings, PlaybackSearchFindsEveryFileThatOverlapsTheRange)
{
    ASSERT_TRUE(m_mediator.AddRecordFile(fileInfo("chA", "2024-03-15 10:00:00", "2024-03-15 11:00:00")));
    ASSERT_TRUE(m_mediator.AddRecordFile(fileInfo("chA", "2024-03-15 11:00:01", "2024-03-15 12:00:00")));
    ASSERT_TRUE(m_mediator.AddRecordFile(fileInfo("chB", "2024-03-15 10:10:00", "2024-03-15 10:20:00", 1, 1, 3, 1)));

    struct Case
    {
        const char* start;
        const char* end;
        QString channel;
        int stream, type, lock;
        QStringList expected;
    };
    const QString a1 = "chA_2024-03-15 10:00:00";
    const QString a2 = "chA_2024-03-15 11:00:01";
    const QString b1 = "chB_2024-03-15 10:10:00";
    const Case cases[] = {
        {"2024-03-15 10:30:00", "2024-03-15 10:40:00", "", -1, 0, 0, {a1}},        // file covers the range
        {"2024-03-15 09:00:00", "2024-03-15 10:15:00", "", -1, 0, 0, {a1, b1}},    // covers the end
        {"2024-03-15 10:50:00", "2024-03-15 13:00:00", "chA", -1, 0, 0, {a1, a2}},  // covers the start
        {"2024-03-15 09:00:00", "2024-03-15 13:00:00", "", -1, 0, 0, {a1, b1, a2}},  // inside, by start
        {"2024-03-15 12:30:00", "2024-03-15 13:00:00", "", -1, 0, 0, {}},
        {"2024-03-15 09:00:00", "2024-03-15 13:00:00", "", 1, 0, 0, {b1}},   // sub stream
        {"2024-03-15 09:00:00", "2024-03-15 13:00:00", "", -1, 3, 0, {b1}},  // alarm type
        {"2024-03-15 09:00:00", "2024-03-15 13:00:00", "", -1, 0, 1, {b1}},  // locked
        {"2024-03-15 09:00:00", "2024-03-15 13:00:00", "chA' OR '1'='1", -1, 0, 0, {}},
    };
    for (const Case& c : cases) {
        CLS_RecFileSearchEntity search;
        search.m_strChannelID = c.channel;
        search.m_strStartTime = c.start;
        search.m_strEndTime = c.end;
        search.m_iStreamType = c.stream;
        search.m_iRecType = c.type;
        search.m_iLock = c.lock;
        Files files;
        ASSERT_EQ(m_mediator.SearchPlaybackRecFile(search, files.vec), 0) << c.start;
        EXPECT_EQ(files.names(), c.expected) << c.start << " - " << c.end << " " << c.channel.toStdString();
    }
    // The stream type is not selected and reads 0; the rest comes back as stored.
    CLS_RecFileSearchEntity search;
    search.m_strChannelID = "chB";
    search.m_strStartTime = "2024-03-15 00:00:00";
    search.m_strEndTime = "2024-03-15 23:00:00";
    Files files;
    ASSERT_EQ(m_mediator.SearchPlaybackRecFile(search, files.vec), 0);
    ASSERT_EQ(files.vec.size(), 1);
    EXPECT_EQ(files.vec[0]->I_REC_STREAM_TYPE, 0);
    EXPECT_EQ(files.vec[0]->I_REC_TYPE_ID, 3);
    EXPECT_EQ(files.vec[0]->I_LOCK, 1);
    EXPECT_EQ(files.vec[0]->S_HOST_ID, "hostR");
    EXPECT_EQ(files.vec[0]->S_SAVE_DISK, "/mnt/d1");
}

TEST_F(Recordings, BulkQueueStoresEveryBatchInQueueOrder)
{
    // Two batches of the same size make the same statement text.
    ASSERT_EQ(m_mediator.AddRecordFileToTransaction(
                  {fileInfo("chQ", "2024-05-01 00:00:00", "2024-05-01 00:10:00", 1),
                   fileInfo("chQ", "2024-05-01 00:10:00", "2024-05-01 00:20:00", 2)}),
              0);
    ASSERT_EQ(m_mediator.AddRecordFileToTransaction(
                  {fileInfo("chQ", "2024-04-01 00:00:00", "2024-04-01 00:10:00", 4),
                   fileInfo("chQ", "2024-04-01 00:10:00", "2024-04-01 00:20:00", 8)}),
              0);
    QVector<STRCT_RecFileInfo> vecMany;
    for (int i = 0; i < 11; ++i) {
        vecMany.append(fileInfo("chQ", QString("2024-06-01 00:%1:00").arg(i, 2, 10, QChar('0')),
                                QString("2024-06-01 00:%1:59").arg(i, 2, 10, QChar('0')), 100));
    }
    ASSERT_EQ(m_mediator.AddRecordFileToTransaction(vecMany), 0);
    ASSERT_EQ(m_mediator.AddRecordFileByTransaction(), 0);
    EXPECT_EQ(itest::scalar(kRecordDb, "SELECT COUNT(*) FROM " + recTable()), 15);
    // I_ID follows the queue: the first four lengths are those of the first two batches.
    EXPECT_EQ(m_mediator.GetOldestRecordFileLength(2), 3);
    EXPECT_EQ(m_mediator.GetOldestRecordFileLength(4), 15);
    EXPECT_EQ(m_mediator.GetTotalRecordFileLength(), 15 + 1100);
    // The count goes into "LIMIT 0,N" as it is: a negative one takes every file, 0 none.
    EXPECT_EQ(m_mediator.GetOldestRecordFileLength(-1), 15 + 1100);
    EXPECT_EQ(m_mediator.GetOldestRecordFileLength(0), 0);
    // The queue is empty again.
    EXPECT_EQ(m_mediator.AddRecordFileByTransaction(), 0);
    EXPECT_EQ(itest::scalar(kRecordDb, "SELECT COUNT(*) FROM " + recTable()), 15);
}

TEST_F(Recordings, RetentionQueriesAndDeletions)
{
    EXPECT_FALSE(m_mediator.GetEarliestRecordTime().isValid());
    EXPECT_EQ(m_mediator.GetOldestRecordFileLength(5), 0);
    ASSERT_TRUE(m_mediator.AddRecordFile(fileInfo("chR", "2024-02-02 08:00:00", "2024-02-02 09:00:00", 4000000000u)));
    ASSERT_TRUE(m_mediator.AddRecordFile(fileInfo("chR", "2024-02-01 08:00:00", "2024-02-01 09:00:00", 7, 0, 1, 0,
                                                  "/mnt/d2")));
    ASSERT_TRUE(m_mediator.AddRecordFile(fileInfo("chR", "2024-02-03 08:00:00", "2024-02-03 09:00:00", 9)));
    EXPECT_EQ(m_mediator.GetEarliestRecordTime(), QDateTime(QDate(2024, 2, 1), QTime(8, 0, 0)));
    EXPECT_EQ(m_mediator.GetTotalRecordFileLength(), Q_INT64_C(4000000016));
    Files all;
    ASSERT_EQ(m_mediator.GetAllRecordFile(all.vec), 0);
    ASSERT_EQ(all.vec.size(), 3);
    EXPECT_EQ(all.vec[0]->DT_START, "2024-02-01 08:00:00");
    EXPECT_EQ(all.vec[0]->S_SAVE_DISK, "/mnt/d2");
    EXPECT_EQ(all.vec[1]->I_LENGTH, 4000000000u);

    EXPECT_EQ(m_mediator.DeleteRecordFileByIds({}), -1);
    ASSERT_EQ(m_mediator.DeleteRecordFileByIds({all.vec[2]->I_ID}), 0);
    EXPECT_EQ(itest::scalar(kRecordDb, "SELECT COUNT(*) FROM " + recTable()), 2);
    ASSERT_EQ(m_mediator.DeleteAllRecordFile("/mnt/d2"), 0);
    EXPECT_EQ(itest::text(kRecordDb, "SELECT S_SAVE_DISK FROM " + recTable()), "/mnt/d1");
    ASSERT_EQ(m_mediator.DeleteAllRecordFile(QString()), 0);
    EXPECT_EQ(itest::scalar(kRecordDb, "SELECT COUNT(*) FROM " + recTable()), 0);
}

TEST_F(Recordings, DecodingLooksUpTheHostOfTheChannel)
{
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    CLS_HostEntity host;
    host.S_ID = "hostDec";
    host.S_CAPTION = "Recorder";
    host.S_IP = "10.9.9.9";
    host.I_PORT = 3000;
    host.I_DEVTYPE = 1;
    ASSERT_EQ(access.InsertHost(host), 0);
    CLS_ChannelEntity channel;
    channel.S_ID = "chanDec";
    channel.S_PARENT_ID = "hostDec";
    channel.S_CAPTION = "Cam";
    ASSERT_EQ(access.InsertChannel(channel), 0);
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);

    const QString strPath = "/mnt/d1/day/a-b-c-2-chanDec/h20240315100000_20240315110000m.mp4";
    STRCT_RecFileInfo info;
    ASSERT_TRUE(m_mediator.DecodeFilePathToRecInfo(strPath, false, info));
    EXPECT_EQ(info.m_strHostID, "hostDec");
    EXPECT_EQ(info.m_strChannelID, "chanDec");

    LogCapture log;
    STRCT_RecFileInfo unknown;
    const QString strUnknown = "/mnt/d1/day/a-b-c-2-nochan/h20240315100000_20240315110000m.mp4";
    EXPECT_FALSE(m_mediator.DecodeFilePathToRecInfo(strUnknown, false, unknown));
    EXPECT_TRUE(log.has(3, "[CLS_DataMediator::DecodeFilePathToRecInfo]pVideoItem == nullptr")) << log.dump().toStdString();
    EXPECT_TRUE(unknown.m_strChannelID.isEmpty());
    ASSERT_TRUE(m_mediator.DecodeFilePathToRecInfo(strUnknown, true, unknown));
    EXPECT_TRUE(unknown.m_strHostID.isEmpty());
    EXPECT_EQ(unknown.m_strChannelID, "nochan");
    // A decoded record is stored as it is.
    ASSERT_TRUE(m_mediator.AddRecordFile(info));
    EXPECT_EQ(itest::text(kRecordDb, "SELECT S_HOST_ID || '|' || DT_END || '|' || S_SAVE_DISK FROM " + recTable()),
              "hostDec|2024-03-15 11:00:00|/mnt/d1");
}

TEST_F(Recordings, PreAndDelayValuesReplaceThoseOfTheirChannelsOnly)
{
    m_mediator.LoadRecordPreAndDelayData();
    const QString strQuoted = "ch'quote";
    QVector<CLS_RecPreDelayEntity> vecValues(3);
    vecValues[0].S_CAMERA_ID = "chP1";
    vecValues[0].I_REC_PRE = 5;
    vecValues[0].I_REC_DELAY = 30;
    vecValues[1].S_CAMERA_ID = "chP2";
    vecValues[1].I_REC_PRE = 10;
    vecValues[1].I_REC_DELAY = 60;
    vecValues[2].S_CAMERA_ID = strQuoted;
    vecValues[2].I_REC_PRE = 1;
    vecValues[2].I_REC_DELAY = 2;
    ASSERT_EQ(m_mediator.UpdateRecordPreAndDelayData(vecValues), 0);
    QMap<QString, QPair<qint32, qint32>> mapValues = m_mediator.GetRecordPreAndDelayData();
    EXPECT_EQ(mapValues.value("chP1"), qMakePair(5, 30));
    EXPECT_EQ(mapValues.value(strQuoted), qMakePair(1, 2));

    QVector<CLS_RecPreDelayEntity> vecChange(1);
    vecChange[0].S_CAMERA_ID = "chP1";
    vecChange[0].I_REC_PRE = 7;
    vecChange[0].I_REC_DELAY = 70;
    ASSERT_EQ(m_mediator.UpdateRecordPreAndDelayData(vecChange), 0);
    mapValues = m_mediator.GetRecordPreAndDelayData();
    EXPECT_EQ(mapValues.size(), 3);
    EXPECT_EQ(mapValues.value("chP1"), qMakePair(7, 70));
    EXPECT_EQ(mapValues.value("chP2"), qMakePair(10, 60));

    CLS_DataMediator other;
    ItemReleaser release(other);
    other.LoadRecordPreAndDelayData();
    EXPECT_EQ(other.GetRecordPreAndDelayData(), mapValues);
}

TEST_F(Recordings, RecordingTypeColoursAreSeeded)
{
    QMap<QString, QString> mapColors;
    ASSERT_EQ(m_mediator.GetRecTypeColor(mapColors), 0);
    EXPECT_EQ(mapColors.keys(), QStringList({"1", "2", "3"}));
    for (const QString& strColor : mapColors) {
        EXPECT_TRUE(QColor::isValidColor(strColor)) << strColor.toStdString();
    }
}

TEST_F(Recordings, OperationLogNumbersSearchesAndDeletesPerUser)
{
    ASSERT_EQ(itest::exec("Tessel", "DELETE FROM TAB_DD_LOGRECORD"), 0);
    const QString strAdmin = m_mediator.GetCurrentUserID();
    ASSERT_FALSE(strAdmin.isEmpty());
    ASSERT_EQ(m_mediator.AddOperationLog("2024-01-01 10:00:00", strAdmin, 1, 2, "login ok"), 0);
    EXPECT_EQ(itest::scalar("Tessel", "SELECT MAX(I_ID) FROM TAB_DD_LOGRECORD"), 1);
    ASSERT_EQ(m_mediator.AddOperationLog("2024-01-02 10:00:00", strAdmin, 1, 3, "it's 50% done"), 0);
    ASSERT_EQ(m_mediator.AddOperationLog("2024-01-03 10:00:00", "someoneElse", 2, 1, "other"), 0);
    ASSERT_EQ(m_mediator.AddOperationLog("2024-01-04 10:00:00", strAdmin, 2, 1, "late"), 0);
    EXPECT_EQ(itest::scalar("Tessel", "SELECT MAX(I_ID) FROM TAB_DD_LOGRECORD"), 4);

    struct Case
    {
        STRCT_OperationLogFilter filter;
        int count;         // every user
        QList<int> page1;  // ids of the joined search, page size 2
    };
    auto filter = [](QString _start, QString _end, QString _user, int _type, int _detail, QString _text) {
        STRCT_OperationLogFilter f;
        f.m_strStartTime = _start;
        f.m_strEndTime = _end;
        f.m_strUserID = _user;
        f.m_iLogType = _type;
        f.m_iLogDetailType = _detail;
        f.m_strDescription = _text;
        return f;
    };
    const Case cases[] = {
        {filter("", "", "", -1, -1, ""), 4, {4, 2}},  // the entry of an unknown user has no caption row
        {filter("2024-01-02 00:00:00", "2024-01-03 23:00:00", "", -1, -1, ""), 2, {2}},
        {filter("", "", strAdmin, 1, -1, ""), 2, {2, 1}},
        {filter("", "", "", 1, 3, ""), 1, {2}},
        {filter("", "", "", -1, -1, "50%"), 1, {2}},
        {filter("", "", "", -1, -1, "' OR '1'='1"), 0, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(m_mediator.GetOperationLogCount(c.filter), c.count);
        QVector<CLS_OperationLogEntity*> vecEntries;
        ASSERT_EQ(m_mediator.SearchOperationLog(c.filter, 2, 1, vecEntries), 0);
        QList<int> lstIds;
        for (const CLS_OperationLogEntity* p : vecEntries) {
            lstIds << p->I_ID;
            EXPECT_EQ(p->S_CAPTION, IntegrationEnvironment::kAdminName);
        }
        qDeleteAll(vecEntries);
        EXPECT_EQ(lstIds, c.page1);
    }
    QVector<CLS_OperationLogEntity*> vecPage2;
    ASSERT_EQ(m_mediator.SearchOperationLog(STRCT_OperationLogFilter(), 2, 2, vecPage2), 0);
    ASSERT_EQ(vecPage2.size(), 1);
    EXPECT_EQ(vecPage2[0]->I_ID, 1);
    qDeleteAll(vecPage2);
    // The page size goes into "limit offset,size" as it is: 0 gives no entry, -1 every one.
    for (const auto& sizeIds : {qMakePair(0, QList<int>()), qMakePair(-1, QList<int>{4, 2, 1})}) {
        QVector<CLS_OperationLogEntity*> vecAll;
        ASSERT_EQ(m_mediator.SearchOperationLog(STRCT_OperationLogFilter(), sizeIds.first, 1, vecAll), 0);
        QList<int> lstIds;
        for (const CLS_OperationLogEntity* p : vecAll) {
            lstIds << p->I_ID;
        }
        qDeleteAll(vecAll);
        EXPECT_EQ(lstIds, sizeIds.second) << "page size " << sizeIds.first;
    }

    // Another user removes only their own older entries; "admin" those of every user.
    ASSERT_EQ(m_mediator.DeleteOperationLog("someoneElse", "2024-01-05 00:00:00"), 0);
    EXPECT_EQ(itest::scalar("Tessel", "SELECT COUNT(*) FROM TAB_DD_LOGRECORD"), 3);
    ASSERT_EQ(m_mediator.DeleteOperationLog("admin", "2024-01-03 00:00:00"), 0);
    EXPECT_EQ(itest::scalar("Tessel", "SELECT COUNT(*) FROM TAB_DD_LOGRECORD"), 1);
}

}  // namespace
