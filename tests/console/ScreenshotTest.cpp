// Every pane of the console rendered headless against a seeded site: the rows each must show,
// a chart with bars, the alarm log paged from the server, the login messages, and what the
// window shows while the server is down. The PNGs go to $TESSEL_CONSOLE_SHOTS (a temporary
// folder when unset; scripts/screenshots.sh points it at docs/console).
#include "AlarmLogModel.h"
#include "ConsoleSession.h"
#include "ConsoleTestSupport.h"
#include "IntegrationFixture.h"
#include "MainWindow.h"
#include "Panes.h"

#include <CLS_RemoteDBHandler.h>

#include <QChartView>
#include <QComboBox>
#include <QDate>
#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QSet>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QUuid>

#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

namespace {

using console::AlarmLogModel;
using console::ItemTreeModel;
using console::TreeKind;
using ctest::waitUntil;

const QString kAdmin = IntegrationEnvironment::kAdminName;
const QString kPassword = IntegrationEnvironment::kAdminPassword;
constexpr int kAlarms = 450;  // more than two pages

// The site every case sees: a host "Front gate" with four channels, a custom group "Entrance"
// holding two of them, a linkage rule on the first, kAlarms alarm records over levels 1 to 5,
// and a passenger-flow region over two channels with counts today.
struct Site
{
    QString strHostID = QUuid::createUuid().toString(QUuid::Id128);
    QStringList lstChannels;
    QString strGroupID;
    QMap<int, int> mapLevels;  // level -> records
    QString strPictures;       // local folder of the one capture picture that exists
};
Site g_site;

// A picture of the given size: a floor plan in two colours (map) or a face-sized square.
QByteArray pngOf(int _iWidth, int _iHeight, QColor _colour)
{
    QImage image(_iWidth, _iHeight, QImage::Format_RGB32);
    image.fill(_colour);
    for (int x = 0; x < _iWidth; x += 40) {
        for (int y = 0; y < _iHeight; ++y) {
            image.setPixelColor(x, y, Qt::darkGray);
        }
    }
    QByteArray baPng;
    QBuffer buffer(&baPng);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return baPng;
}

void seed()
{
    ctest::Station station(kAdmin, kPassword);
    ASSERT_TRUE(station.ready());
    STRCT_VideoHost host;
    host.m_strID = g_site.strHostID.toStdString();
    host.m_strNodeID = host.m_strID;
    host.m_strCaption = "Front gate";
    host.m_strIP = "192.168.1.64";
    host.m_iHostDevType = 1;
    host.m_iDevType = 1;
    ASSERT_EQ(station->InsertHost(&host), 0);
    host.m_strChannelCount = "4";
    host.m_strAlarmInCount = "1";
    host.m_strAlarmOutCount = "0";
    ASSERT_EQ(station->UpdateHost(&host), 0);
    QVector<STRCT_VideoItem*> vecChildren;
    station->GetChildItems(g_site.strHostID, vecChildren);
    QVector<STRCT_VideoItem*> vecChannels;
    for (STRCT_VideoItem* pItem : vecChildren) {
        if (pItem->GetType() == vitChannel) {
            vecChannels << pItem;
            g_site.lstChannels << QString::fromStdString(pItem->m_strID);
        }
    }
    ASSERT_EQ(g_site.lstChannels.size(), 4);
    std::sort(g_site.lstChannels.begin(), g_site.lstChannels.end());
    ASSERT_EQ(station->InsertCustomTreeGroup("custom_root_id", "Entrance", g_site.strGroupID), 0);
    ASSERT_EQ(station->InsertCustomTreeNodes(g_site.strGroupID, vecChannels.mid(0, 2), false), 0);

    station->GetAllAdapterAlarmInfo("EN");
    AlarmLinkMap links;
    auto* pLink = new STRCT_SingleAlarmLink();
    pLink->m_strId = QUuid::createUuid().toString(QUuid::Id128);
    pLink->m_strSrcObjId = g_site.lstChannels.first();
    pLink->m_iAdapterAlarmId = 11;
    pLink->m_iActionType = 2;
    pLink->m_iEnable = 1;
    pLink->m_strParam = R"({"file":"net.wav"})";
    links[pLink->m_strSrcObjId][11].append(pLink);
    const int iLinks = station->UpdateAlarmLinkInfo(&links);
    delete pLink;  // the caller keeps the links it hands over
    ASSERT_EQ(iLinks, 0);

    for (int i = 0; i < kAlarms; ++i) {
        STRCT_NewAlarmRecord record;
        record.m_strCameraID = g_site.lstChannels.at(i % 4);
        record.m_strCameraCaption = QStringLiteral("Front gate %1").arg(i % 4 + 1);
        record.m_iCameraType = 5;
        record.m_iAlarmType = 11;
        record.m_iIsAlarm = 1;
        record.m_iLevel = i % 5 + 1;
        ASSERT_TRUE(station->InsertAlarmRecord(station->GetCurrentUserID(), record));
        ++g_site.mapLevels[record.m_iLevel];
    }

    STRCT_PassengerFlowRegionParam region;
    region.m_qstrRegionID = "hall";
    region.m_qstrRegionName = "Main hall";
    region.m_qstrStartTime = "00:00:00";
    region.m_qstrEndTime = "23:59:59";
    region.m_iMaxCapacityNumber = 100;
    region.m_qvecChannels = {{QString(), g_site.lstChannels.at(0), 0},
                             {QString(), g_site.lstChannels.at(1), 1}};
    ASSERT_EQ(station->UpdateRegionParam(region), 0);
    QString strFlowGroup;
    ASSERT_EQ(station->InsertPassengerFlowGroup("custom_root_id", "Main hall", strFlowGroup), 0);
    ASSERT_EQ(station->InsertCustomTreeNodes(strFlowGroup, vecChannels.mid(0, 2), true), 0);
    const QString strToday = QDate::currentDate().toString("yyyy-MM-dd");
    const QList<QPair<const char*, int>> lstSlots = {{"08:10:00", 12}, {"09:30:00", 30}, {"12:05:00", 18}};
    for (const auto& slot : lstSlots) {
        CLS_PassengerFlowEntity count;
        count.S_CHANNEL_OBJ_ID = g_site.lstChannels.at(0);
        count.DT_DATE = strToday;
        count.DT_TIME = slot.first;
        count.I_IN_NUMBER = slot.second;
        count.I_OUT_NUMBER = slot.second / 2;
        ASSERT_EQ(station->AddPassengerFlowInfo(count), 0);
    }

    CLS_ElectronicMapEntity map;
    map.S_ID = QUuid::createUuid().toString(QUuid::Id128);
    map.S_Caption = "Ground floor";
    map.m_baPicture = pngOf(400, 260, QColor(0xe0, 0xf2, 0xf1));
    map.m_qstrFormat = "png";
    map.I_PicWidth = 400;
    map.I_PicHeight = 260;
    ASSERT_EQ(station->AddElectronicMap(map), 0);
    for (int i = 0; i < 2; ++i) {
        CLS_ElectronicMapNodeEntity node;
        node.S_ID = g_site.lstChannels.at(i);
        node.S_Caption = QStringLiteral("Front gate %1").arg(i + 1);
        node.I_NodeType = 5;
        node.S_ParentID = map.S_ID;
        node.I_NodeX = 80 + 200 * i;
        node.I_NodeY = 120;
        ASSERT_EQ(station->AddOneElectronicMapNode(node), 0);
    }

    // Three captures today; the small picture of the first is a local file.
    static QTemporaryDir s_pictures;
    g_site.strPictures = s_pictures.path();
    const QString strSmall = g_site.strPictures + "/face-1s.png";
    QFile picture(strSmall);
    ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
    picture.write(pngOf(48, 48, QColor(0xff, 0xcc, 0x80)));
    picture.close();
    for (int i = 0; i < 3; ++i) {
        STRCT_FaceParseResult capture;
        capture.m_strHostID = g_site.strHostID;
        capture.m_strChannelID = g_site.lstChannels.at(0);
        capture.m_strCaptureTime =
            QDateTime::currentDateTime().addSecs(-60 * (i + 1)).toString("yyyy-MM-dd hh:mm:ss");
        capture.m_iGenderType = i % 2;
        capture.m_strBigPicPath = QStringLiteral("/nowhere/face-%1b.jpg").arg(i + 1);
        capture.m_strSmallPicPath = i == 0 ? strSmall : QStringLiteral("/nowhere/face-%1s.jpg").arg(i + 1);
        capture.m_strName = QStringLiteral("Visitor %1").arg(i + 1);
        ASSERT_EQ(station->AddFaceCapture(capture), 0);
    }

    QVector<CLS_CarDataRecvEntity> vecCars(2);
    for (int i = 0; i < vecCars.size(); ++i) {
        vecCars[i].S_Vlp = QStringLiteral("ABC-%1").arg(100 + i);
        vecCars[i].S_Vlpc = "blue";
        vecCars[i].S_SN = "gate-terminal";
        vecCars[i].S_PassTime =
            QDateTime::currentDateTime().addSecs(-30 * (i + 1)).toString("yyyy-MM-dd hh:mm:ss");
    }
    ASSERT_EQ(station->SaveCarRecvDataToDB(vecCars), 0);
}

const auto* const g_env = ::testing::AddGlobalTestEnvironment(
    new IntegrationEnvironment({"itconsole02", true, {}, nullptr, nullptr, [] { seed(); }}));

QString shotDir()
{
    static QTemporaryDir s_temp;
    const QString strDir = qEnvironmentVariable("TESSEL_CONSOLE_SHOTS", s_temp.path());
    QDir().mkpath(strDir);
    return strDir;
}

// A PNG of the widget; the image, checked to be drawn (more than a handful of colours).
QImage shoot(QWidget& _widget, const QString& _strName)
{
    QCoreApplication::processEvents();
    const QImage image = _widget.grab().toImage();
    EXPECT_TRUE(image.save(shotDir() + "/" + _strName + ".png")) << _strName.toStdString();
    return image;
}

int colours(const QImage& _image, const QRect& _rect)
{
    QSet<QRgb> setColours;
    for (int y = _rect.top(); y <= _rect.bottom(); y += 2) {
        for (int x = _rect.left(); x <= _rect.right(); x += 2) {
            setColours.insert(_image.pixel(x, y));
        }
    }
    return setColours.size();
}

// The channel of these tests is opened by the fixture, not by InitData, so nothing registered
// the status callback; this one does what the mediator's own does: emit the status signal.
void forwardStatus(int, int _iParam, void* _pUser)
{
    emit static_cast<I_DataMediator*>(_pUser)->SignDBStatuaChange(_iParam);
}

class ConsoleWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_station.ready());
        m_pWindow = std::make_unique<console::MainWindow>(m_station.get());
        m_pWindow->resize(1200, 760);
        m_pWindow->show();
        CLS_RemoteDBHandler::SetDBCallback(&forwardStatus, m_station.get());
    }
    void TearDown() override
    {
        CLS_RemoteDBHandler::SetDBCallback(nullptr, nullptr);
        m_pWindow.reset();
    }

    /// Logs in and waits until every pane has its first data.
    void openSite()
    {
        QSignalSpy ready(m_pWindow.get(), &console::MainWindow::ready);
        QSignalSpy counted(m_pWindow->alarmPane()->model(), &AlarmLogModel::counted);
        QSignalSpy shown(m_pWindow->flowPane(), &console::FlowPane::shown);
        QSignalSpy refreshed(m_pWindow->serverPane(), &console::ServerPane::refreshed);
        QSignalSpy faces(m_pWindow->facesPane(), &console::FacesPane::shown);
        QSignalSpy maps(m_pWindow->mapsPane(), &console::MapsPane::shown);
        QSignalSpy passages(m_pWindow->facesPane(), &console::FacesPane::passagesShown);
        m_pWindow->connectAndLogin(kAdmin, kPassword);
        ASSERT_TRUE(waitUntil([&] { return ready.count() == 1; }, 30000));
        ASSERT_TRUE(waitUntil(
            [&] {
                return counted.count() == 1 && !m_pWindow->alarmPane()->model()->busy() &&
                       shown.count() >= 1 && refreshed.count() == 1 && faces.count() == 1 &&
                       maps.count() == 1 && passages.count() == 1;
            },
            30000));
        m_iThumbnails = faces.at(0).at(1).toInt();
        m_bMapPicture = maps.at(0).at(1).toBool();
    }

    ctest::Station m_station{kAdmin, kPassword};
    std::unique_ptr<console::MainWindow> m_pWindow;
    int m_iThumbnails = -1;
    bool m_bMapPicture = false;
};

// Each pane after the login: the rows it must show, rendered to a PNG that is not blank.
TEST_F(ConsoleWindowTest, EveryPaneShowsTheSeededSite)
{
    openSite();
    QTabWidget& tabs = *m_pWindow->tabs();

    tabs.setCurrentIndex(0);
    EXPECT_EQ(m_pWindow->statusText(), console::MainWindow::statusMessage(1));
    EXPECT_GT(colours(shoot(*m_pWindow, "connection"), m_pWindow->rect()), 8);

    tabs.setCurrentWidget(m_pWindow->treesPane());
    const ItemTreeModel& resource = *m_pWindow->treesPane()->model(TreeKind::Resource);
    const QModelIndex host = resource.indexOfKey(g_site.strHostID);
    ASSERT_TRUE(host.isValid());
    EXPECT_EQ(host.data().toString(), "Front gate");
    EXPECT_EQ(resource.rowCount(host), 5);  // four channels, one alarm input
    EXPECT_EQ(resource.index(4, 0, host).data(ItemTreeModel::TypeRole).toUInt(),
              static_cast<quint32>(vitAlarmIn));
    const ItemTreeModel& custom = *m_pWindow->treesPane()->model(TreeKind::Custom);
    const QModelIndex group = custom.indexOfKey(g_site.strGroupID);
    ASSERT_TRUE(group.isValid());
    EXPECT_EQ(group.data().toString(), "Entrance");
    EXPECT_EQ(custom.rowCount(group), 2);
    const ItemTreeModel& flow = *m_pWindow->treesPane()->model(TreeKind::PassengerFlow);
    ASSERT_EQ(flow.rowCount(), 1);
    EXPECT_EQ(flow.index(0, 0).data().toString(), "Main hall");
    EXPECT_EQ(flow.rowCount(flow.index(0, 0)), 2);
    m_pWindow->treesPane()->view(TreeKind::Resource)->expandAll();
    shoot(*m_pWindow, "trees");

    tabs.setCurrentWidget(m_pWindow->alarmPane());
    const AlarmLogModel& alarms = *m_pWindow->alarmPane()->model();
    EXPECT_EQ(alarms.total(), kAlarms);
    ASSERT_GT(alarms.rowCount(), 0);
    for (int i = 0; i < alarms.rowCount(); ++i) {
        const QModelIndex cell = alarms.index(i, AlarmLogModel::LevelColumn);
        ASSERT_EQ(cell.data(Qt::BackgroundRole).value<QColor>(),
                  AlarmLogModel::levelColor(cell.data(AlarmLogModel::LevelRole).toInt()))
            << i;
    }
    QSignalSpy links(m_pWindow->alarmPane(), &console::AlarmPane::linksShown);
    m_pWindow->alarmPane()->view()->selectRow(0);
    m_pWindow->alarmPane()->view()->setCurrentIndex(alarms.index(0, 0));
    ASSERT_TRUE(waitUntil([&] { return links.count() >= 1; }));
    const QString strSource = alarms.record(0).m_strCameraID;
    EXPECT_EQ(links.last().at(0).toInt(), strSource == g_site.lstChannels.first() ? 1 : 0);
    m_pWindow->alarmPane()->showLinksOf(g_site.lstChannels.first());
    ASSERT_TRUE(waitUntil([&] { return links.count() >= 2; }));
    EXPECT_EQ(links.last().at(0).toInt(), 1);
    EXPECT_TRUE(m_pWindow->alarmPane()->links()->item(0)->text().contains("sound"));
    const QImage alarmShot = shoot(*m_pWindow, "alarm-log");
    // The level colours are on screen: a row's background appears in the table.
    const QTableView& alarmView = *m_pWindow->alarmPane()->view();
    // (Row 1: row 0 is selected and drawn in the selection's colour.)
    const QRect rowRect = alarmView.visualRect(alarms.index(1, AlarmLogModel::TypeColumn));
    const QPoint inRow = alarmView.viewport()->mapTo(m_pWindow.get(), rowRect.topLeft() + QPoint(2, 2));
    EXPECT_EQ(QColor(alarmShot.pixel(inRow)), AlarmLogModel::levelColor(alarms.record(1).m_iLevel));

    tabs.setCurrentWidget(m_pWindow->flowPane());
    EXPECT_EQ(m_pWindow->flowPane()->regions()->rowCount(), 1);
    EXPECT_EQ(m_pWindow->flowPane()->regions()->item(0, 0)->text(), "Main hall");
    EXPECT_EQ(m_pWindow->flowPane()->nonEmptyBars(), 6);  // in and out of three slots
    QWidget& chart = *m_pWindow->flowPane()->chartView();
    const QImage chartShot = chart.grab().toImage();
    EXPECT_GT(colours(chartShot, chartShot.rect()), 20);
    shoot(*m_pWindow, "passenger-flow");

    tabs.setCurrentWidget(m_pWindow->facesPane());
    QTableWidget& faces = *m_pWindow->facesPane()->table();
    ASSERT_EQ(faces.rowCount(), 3);
    EXPECT_EQ(faces.item(0, 4)->text(), "Visitor 1");  // newest first
    EXPECT_EQ(m_iThumbnails, 1) << "the one picture that is reachable";
    EXPECT_FALSE(faces.item(0, 0)->icon().isNull());
    EXPECT_TRUE(faces.item(1, 0)->icon().isNull());
    // A stored path that is no capture this system can decode says so.
    QSignalSpy decoded(m_pWindow->facesPane(), &console::FacesPane::decoded);
    m_pWindow->facesPane()->decode(faces.item(1, 5)->text());
    ASSERT_TRUE(waitUntil([&] { return decoded.count() == 1; }));
    EXPECT_FALSE(decoded.at(0).at(0).toBool());
    EXPECT_TRUE(m_pWindow->facesPane()->fields()->text().startsWith("Not a capture path"));
    QTableWidget& cars = *m_pWindow->facesPane()->passages();
    ASSERT_EQ(cars.rowCount(), 2);
    EXPECT_EQ(cars.item(0, 1)->text(), "ABC-100");  // newest first
    shoot(*m_pWindow, "face-captures");

    tabs.setCurrentWidget(m_pWindow->mapsPane());
    EXPECT_EQ(m_pWindow->mapsPane()->maps()->currentText(), "Ground floor");
    EXPECT_TRUE(m_bMapPicture);
    EXPECT_EQ(m_pWindow->mapsPane()->markerCount(), 2);
    shoot(*m_pWindow, "maps");

    tabs.setCurrentWidget(m_pWindow->serverPane());
    console::ServerPane& serverPane = *m_pWindow->serverPane();
    EXPECT_TRUE(serverPane.summary()->text().startsWith("tessel-dbserver "))
        << serverPane.summary()->text().toStdString();
    QTableWidget& databases = *serverPane.databases();
    ASSERT_EQ(databases.rowCount(), 4);
    EXPECT_EQ(databases.item(0, 0)->text(), "Tessel");
    EXPECT_NE(databases.item(0, 1)->text(), "(none)");
    QTableWidget& commands = *serverPane.commands();
    ASSERT_GT(commands.rowCount(), 0);
    qint64 i64Served = 0;
    for (int i = 0; i < commands.rowCount(); ++i) {
        i64Served += QLocale().toLongLong(commands.item(i, 1)->text());
    }
    EXPECT_GT(i64Served, kAlarms) << "the seed's inserts were served";
    EXPECT_GT(serverPane.interfaces()->rowCount(), 0);
    EXPECT_TRUE(serverPane.timer()->isActive());
    shoot(*m_pWindow, "server");

    tabs.setCurrentWidget(m_pWindow->databasesPane());
    console::DatabasesPane& databasesPane = *m_pWindow->databasesPane();
    QSignalSpy finished(&databasesPane, &console::DatabasesPane::finished);
    databasesPane.backupName()->setText("screenshots");
    databasesPane.backup();
    ASSERT_TRUE(waitUntil([&] { return finished.count() == 1; }, 30000));
    EXPECT_EQ(finished.at(0).at(1).toInt(), 0) << databasesPane.result()->text().toStdString();
    EXPECT_TRUE(databasesPane.result()->text().contains("Tessel-passengerFlow: done"))
        << databasesPane.result()->text().toStdString();
    EXPECT_FALSE(databasesPane.progress()->isVisible());
    shoot(*m_pWindow, "databases");
}

// The alarm log pages itself: the first page after the count, further pages as fetchMore asks,
// no record twice or missing, and a filter's count matching what the seed stored.
TEST_F(ConsoleWindowTest, AlarmLogPagesThroughEveryRecordOnce)
{
    openSite();
    AlarmLogModel& alarms = *m_pWindow->alarmPane()->model();
    EXPECT_EQ(alarms.rowCount(), AlarmLogModel::kPageSize);
    QSet<QString> setIDs;
    while (alarms.canFetchMore(QModelIndex())) {
        const int iBefore = alarms.rowCount();
        alarms.fetchMore(QModelIndex());
        EXPECT_FALSE(alarms.canFetchMore(QModelIndex())) << "one page at a time";
        ASSERT_TRUE(waitUntil([&] { return !alarms.busy(); }));
        ASSERT_GT(alarms.rowCount(), iBefore);
    }
    EXPECT_EQ(alarms.rowCount(), kAlarms);
    for (int i = 0; i < alarms.rowCount(); ++i) {
        setIDs.insert(alarms.record(i).m_strID);
        if (i > 0) {
            EXPECT_GE(alarms.record(i - 1).m_strAlarmTime, alarms.record(i).m_strAlarmTime) << i;
        }
    }
    EXPECT_EQ(setIDs.size(), kAlarms);

    STRCT_AlarmSearchCondition onlyFive;
    onlyFive.m_strStartTime = "2000-01-01 00:00:00";
    onlyFive.m_strEndTime = "2100-01-01 00:00:00";
    onlyFive.m_bLevel1 = onlyFive.m_bLevel2 = onlyFive.m_bLevel3 = onlyFive.m_bLevel4 = false;
    QSignalSpy counted(&alarms, &AlarmLogModel::counted);
    alarms.search(onlyFive);
    ASSERT_TRUE(waitUntil([&] { return counted.count() == 1 && !alarms.busy(); }));
    EXPECT_EQ(alarms.total(), g_site.mapLevels.value(5));
    EXPECT_EQ(alarms.rowCount(), g_site.mapLevels.value(5));
    for (int i = 0; i < alarms.rowCount(); ++i) {
        EXPECT_EQ(alarms.record(i).m_iLevel, 5);
    }
}

// Each login code gets its own message, shown in the window, and the panes stay closed.
TEST_F(ConsoleWindowTest, LoginFailuresSayWhy)
{
    struct Case
    {
        QString strUser;
        QString strPassword;
        int iCode;
    };
    for (const Case& c : {Case{kAdmin, "wrong", -12}, Case{"nobody", "pw", -11}, Case{"", "", -1}}) {
        QSignalSpy failed(m_pWindow.get(), &console::MainWindow::failed);
        m_pWindow->connectAndLogin(c.strUser, c.strPassword);
        ASSERT_TRUE(waitUntil([&] { return failed.count() == 1; })) << c.iCode;
        EXPECT_EQ(failed.at(0).at(0).toString(), console::MainWindow::loginMessage(c.iCode));
        EXPECT_EQ(m_pWindow->findChild<QLabel*>("loginMessage")->text(),
                  console::MainWindow::loginMessage(c.iCode));
        EXPECT_FALSE(m_pWindow->tabs()->isTabEnabled(1));
    }
    EXPECT_NE(console::MainWindow::loginMessage(-11), console::MainWindow::loginMessage(-12));
}

// With the server stopped: the status shows the loss at once, every pane reports a failure
// instead of an empty answer, and the status comes back with the server.
TEST_F(ConsoleWindowTest, ALostServerShowsAsFailuresNotAsEmptyPanes)
{
    openSite();
    ServerProcess& server = IntegrationEnvironment::instance().server();
    ASSERT_TRUE(server.stop());
    ASSERT_TRUE(waitUntil([&] { return m_pWindow->statusText() != console::MainWindow::statusMessage(1); }));

    AlarmLogModel& alarms = *m_pWindow->alarmPane()->model();
    QSignalSpy counted(&alarms, &AlarmLogModel::counted);
    m_pWindow->alarmPane()->load();
    ASSERT_TRUE(waitUntil([&] { return counted.count() == 1 && !alarms.busy(); }));
    EXPECT_EQ(alarms.total(), -1);
    EXPECT_FALSE(alarms.canFetchMore(QModelIndex()));

    console::ServerPane& serverPane = *m_pWindow->serverPane();
    QSignalSpy refreshed(&serverPane, &console::ServerPane::refreshed);
    const int iCommandsBefore = serverPane.commands()->rowCount();
    const QString strSummaryBefore = serverPane.summary()->text();
    ASSERT_GT(iCommandsBefore, 0);
    serverPane.load();
    ASSERT_TRUE(waitUntil([&] { return refreshed.count() == 1; }, 20000));
    EXPECT_LT(refreshed.at(0).at(0).toInt(), 0);
    EXPECT_TRUE(serverPane.result()->text().startsWith("Server unreachable"))
        << serverPane.result()->text().toStdString();
    EXPECT_EQ(serverPane.commands()->rowCount(), iCommandsBefore) << "the last figures stay";
    EXPECT_EQ(serverPane.databases()->rowCount(), 4);
    EXPECT_EQ(serverPane.summary()->text(), strSummaryBefore);
    m_pWindow->tabs()->setCurrentWidget(&serverPane);
    shoot(*m_pWindow, "server-unreachable");

    console::DatabasesPane& databasesPane = *m_pWindow->databasesPane();
    QSignalSpy backedUp(&databasesPane, &console::DatabasesPane::finished);
    databasesPane.backup();
    ASSERT_TRUE(waitUntil([&] { return backedUp.count() == 1; }, 20000));
    const int iBackup = backedUp.at(0).at(1).toInt();
    EXPECT_LT(iBackup, 0);
    EXPECT_TRUE(databasesPane.result()->text().contains(console::codeMeaning(iBackup)));
    m_pWindow->tabs()->setCurrentWidget(&databasesPane);
    shoot(*m_pWindow, "databases-failed");

    QSignalSpy shown(m_pWindow->flowPane(), &console::FlowPane::shown);
    m_pWindow->flowPane()->showStatistics({g_site.lstChannels.at(0)}, 0, QDate::currentDate());
    ASSERT_TRUE(waitUntil([&] { return shown.count() == 1; }));
    EXPECT_NE(shown.at(0).at(0).toInt(), 0);
    EXPECT_EQ(m_pWindow->flowPane()->nonEmptyBars(), 0);

    QSignalSpy faces(m_pWindow->facesPane(), &console::FacesPane::shown);
    m_pWindow->facesPane()->load();
    QSignalSpy maps(m_pWindow->mapsPane(), &console::MapsPane::shown);
    m_pWindow->mapsPane()->load();
    ASSERT_TRUE(waitUntil([&] { return faces.count() == 1 && maps.count() == 1; }));
    EXPECT_NE(faces.at(0).at(0).toInt(), 0);
    EXPECT_EQ(m_pWindow->facesPane()->table()->rowCount(), 3) << "the last page stays";
    EXPECT_NE(maps.at(0).at(0).toInt(), 0);
    QSignalSpy passages(m_pWindow->facesPane(), &console::FacesPane::passagesShown);
    m_pWindow->facesPane()->searchPassages();
    ASSERT_TRUE(waitUntil([&] { return passages.count() == 1; }));
    EXPECT_LT(passages.at(0).at(0).toInt(), 0);
    EXPECT_EQ(m_pWindow->facesPane()->passages()->rowCount(), 2) << "the last rows stay";
    m_pWindow->tabs()->setCurrentIndex(0);
    shoot(*m_pWindow, "server-lost");

    ASSERT_TRUE(server.start());
    EXPECT_TRUE(
        waitUntil([&] { return m_pWindow->statusText() == console::MainWindow::statusMessage(1); }, 30000));
}

}  // namespace
