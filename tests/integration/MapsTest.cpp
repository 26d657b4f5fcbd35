// Electronic maps and areas against a real server and schema: pictures stored and read back,
// nodes shared by several maps, areas by language and the domain look-ups of the kept areas.
#include "CLS_DataAccess.h"
#include "IntegrationFixture.h"
#include "LogCapture.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment({"itmaps01", false, {}}));

const char kDb[] = "Tessel";

QByteArray pngBytes(int _iWidth, int _iHeight)
{
    QImage image(_iWidth, _iHeight, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray baBytes;
    QBuffer buffer(&baBytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return baBytes;
}

CLS_ElectronicMapNodeEntity node(const QString& _strId, const QString& _strMap, int _iX, int _iY)
{
    CLS_ElectronicMapNodeEntity n;
    n.S_ID = _strId;
    n.S_Caption = "Node " + _strId;
    n.I_NodeType = 5;
    n.S_ParentID = _strMap;
    n.I_NodeX = _iX;
    n.I_NodeY = _iY;
    return n;
}

QMap<QString, CLS_ElectronicMapNodeEntity> nodesOf(I_DataMediator& _mediator, const QString& _strMap)
{
    QVector<CLS_ElectronicMapNodeEntity> vecNodes;
    EXPECT_EQ(_mediator.GetElectronicMapNode(_strMap, vecNodes), 0);
    QMap<QString, CLS_ElectronicMapNodeEntity> mapNodes;
    for (const CLS_ElectronicMapNodeEntity& n : vecNodes) {
        mapNodes.insert(n.S_ID, n);
    }
    return mapNodes;
}

TEST(Maps, APngMapReadsBackWithItsPrefixAndBytes)
{
    CLS_DataMediator mediator;
    CLS_ElectronicMapEntity map;
    map.S_ID = "map-png";
    map.S_Caption = "Ground floor";
    map.m_baPicture = pngBytes(4, 3);
    map.m_qstrFormat = "png";
    map.I_PicWidth = 4;
    map.I_PicHeight = 3;
    ASSERT_EQ(mediator.AddElectronicMap(map), 0);

    QVector<CLS_ElectronicMapEntity> vecMaps;
    ASSERT_EQ(mediator.GetAllElectronicMap(vecMaps), 0);
    const auto it = std::find_if(vecMaps.cbegin(), vecMaps.cend(),
                                 [](const CLS_ElectronicMapEntity& m) { return m.S_ID == "map-png"; });
    ASSERT_NE(it, vecMaps.cend());
    const QString strPrefix = "image/png;base64:";
    ASSERT_TRUE(it->S_MapImg.startsWith(strPrefix)) << it->S_MapImg.left(40).toStdString();
    const QByteArray baBack = QByteArray::fromBase64(it->S_MapImg.mid(strPrefix.size()).toLatin1());
    EXPECT_EQ(baBack, map.m_baPicture);
    EXPECT_EQ(QImage::fromData(baBack, "PNG").size(), QSize(4, 3));
    EXPECT_EQ(it->I_PicWidth, 4);
    EXPECT_EQ(it->I_PicHeight, 3);
    EXPECT_EQ(it->S_Caption, "Ground floor");

    map.S_Caption = "Ground floor, east";
    map.m_baPicture = QByteArray("\xff\xd8\xff", 3);
    map.m_qstrFormat = "jpeg";
    ASSERT_EQ(mediator.ModifyElectronicMap(map), 0);
    EXPECT_EQ(itest::text(kDb, "SELECT S_MapImg FROM TAB_ELECTRONICMAP WHERE S_ID = 'map-png'"),
              "image/jpeg;base64:/9j/");
    ASSERT_EQ(mediator.DeleteElectronicMap("map-png"), 0);
    EXPECT_EQ(itest::scalar(kDb, "SELECT COUNT(*) FROM TAB_ELECTRONICMAP WHERE S_ID = 'map-png'"), 0);
}

TEST(Maps, NodeDeletionIsPerMapAndRenamingIsEverywhere)
{
    CLS_DataMediator mediator;
    std::unique_ptr<CLS_ElectronicMapNodeEntity> p1(new CLS_ElectronicMapNodeEntity(node("cam-1", "m-1", 10, 20)));
    std::unique_ptr<CLS_ElectronicMapNodeEntity> p2(new CLS_ElectronicMapNodeEntity(node("cam-1", "m-2", 30, 40)));
    std::unique_ptr<CLS_ElectronicMapNodeEntity> p3(new CLS_ElectronicMapNodeEntity(node("cam-2", "m-1", 50, 60)));
    ASSERT_EQ(mediator.AddElectronicMapNode({p1.get(), p2.get(), p3.get()}), 0);

    ASSERT_EQ(mediator.RenameElectronicMapNode("cam-1", "Gate camera"), 0);
    EXPECT_EQ(nodesOf(mediator, "m-1")["cam-1"].S_Caption, "Gate camera");
    EXPECT_EQ(nodesOf(mediator, "m-2")["cam-1"].S_Caption, "Gate camera");
    EXPECT_EQ(nodesOf(mediator, "m-1")["cam-2"].S_Caption, "Node cam-2");

    // Moving a node moves it on its own map only.
    CLS_ElectronicMapNodeEntity moved = node("cam-1", "ignored", 99, 98);
    ASSERT_EQ(mediator.ModifyElectronicMapNode("m-2", {&moved}), 0);
    EXPECT_EQ(nodesOf(mediator, "m-2")["cam-1"].I_NodeX, 99);
    EXPECT_EQ(nodesOf(mediator, "m-1")["cam-1"].I_NodeX, 10);

    ASSERT_EQ(mediator.DeleteElectronicMapNode("m-1", {"cam-1"}), 0);
    EXPECT_EQ(nodesOf(mediator, "m-1").keys(), QStringList({"cam-2"}));
    EXPECT_EQ(nodesOf(mediator, "m-2").keys(), QStringList({"cam-1"}));

    // A node already on a map cannot be placed there twice; the whole list is refused.
    CLS_ElectronicMapNodeEntity again = node("cam-2", "m-1", 1, 1);
    CLS_ElectronicMapNodeEntity fresh = node("cam-3", "m-1", 2, 2);
    EXPECT_NE(mediator.AddElectronicMapNode({&fresh, &again}), 0);
    EXPECT_EQ(nodesOf(mediator, "m-1").keys(), QStringList({"cam-2"}));

    ASSERT_EQ(mediator.DeleteNodeFromAllMaps("cam-1"), 0);
    EXPECT_TRUE(nodesOf(mediator, "m-2").isEmpty());
    ASSERT_EQ(mediator.DeleteAllNodesOfMap("m-1"), 0);
    EXPECT_TRUE(nodesOf(mediator, "m-1").isEmpty());
}

TEST(Maps, NodeListsNeedAMapAndEntries)
{
    CLS_DataMediator mediator;
    CLS_ElectronicMapNodeEntity n = node("cam-9", "m-9", 1, 1);
    const struct {
        std::function<int()> call;
        const char* log;
    } cases[] = {
        {[&] { return mediator.DeleteElectronicMapNode("", {"cam-9"}); },
         "CLS_DataMediator::DeleteElectronicMapNode _qstrParentId.isEmpty() || _qlistNodeID.isEmpty()"},
        {[&] { return mediator.DeleteElectronicMapNode("m-9", {}); },
         "CLS_DataMediator::DeleteElectronicMapNode _qstrParentId.isEmpty() || _qlistNodeID.isEmpty()"},
        {[&] { return mediator.ModifyElectronicMapNode("", {&n}); },
         "CLS_DataMediator::ModifyElectronicMapNode _qstrParentId.isEmpty() || _qlistNodeEntity.isEmpty()"},
        {[&] { return mediator.ModifyElectronicMapNode("m-9", {}); },
         "CLS_DataMediator::ModifyElectronicMapNode _qstrParentId.isEmpty() || _qlistNodeEntity.isEmpty()"},
        {[&] { return mediator.AddElectronicMapNode({&n, nullptr}); },
         "CLS_ElectronicMapEntityDAO::AddElectronicMapNode pNodeEntity is nullptr"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.log);
        LogCapture log;
        EXPECT_EQ(c.call(), -1);
        EXPECT_TRUE(log.has(2, c.log)) << log.dump().toStdString();
    }
    EXPECT_EQ(itest::scalar(kDb, "SELECT COUNT(*) FROM TAB_ELECTRONICMAPNODE WHERE S_ID = 'cam-9'"), 0);
}

TEST(Maps, TheFacadeRefusesMissingIdsThroughTheLibraryLog)
{
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    CLS_ElectronicMapEntity noId;
    noId.S_Caption = "no id";
    QVector<CLS_ElectronicMapNodeEntity> vecNodes;
    QVector<CLS_AreaDomainEntity> vecDomains;
    const struct
    {
        std::function<int()> call;
        const char* log;
    } cases[] = {
        {[&] { return access.GetElectronicMapNode("", vecNodes); },
         "CLS_DataAccess::GetElectronicMapNode _qstrParentId.isEmpty()"},
        {[&] { return access.AddElectronicMap(noId); },
         "CLS_DataAccess::AddElectronicMap _map.S_ID.isEmpty()"},
        {[&] { return access.ModifyElectronicMap(noId); },
         "CLS_DataAccess::ModifyElectronicMap _map.S_ID.isEmpty()"},
        {[&] { return access.DeleteElectronicMap(""); },
         "CLS_DataAccess::DeleteElectronicMap _qstrId.isEmpty()"},
        {[&] { return access.AddElectronicMapNode({}); },
         "CLS_DataAccess::AddElectronicMapNode _lstNodes.isEmpty()"},
        {[&] { return access.RenameElectronicMapNode("", "x"); },
         "CLS_DataAccess::RenameElectronicMapNode _qstrId.isEmpty()"},
        {[&] { return access.DeleteOneElectronicMapNode("", "cam"); },
         "CLS_DataAccess::DeleteOneElectronicMapNode _qstrParentId.isEmpty() || _qstrId.isEmpty()"},
        {[&] { return access.DeleteOneElectronicMapNode("m", ""); },
         "CLS_DataAccess::DeleteOneElectronicMapNode _qstrParentId.isEmpty() || _qstrId.isEmpty()"},
        {[&] { return access.DeleteNodeFromAllMaps(""); },
         "CLS_DataAccess::DeleteNodeFromAllMaps _qstrId.isEmpty()"},
        {[&] { return access.DeleteAllNodesOfMap(""); },
         "CLS_DataAccess::DeleteAllNodesOfMap _qstrParentId.isEmpty()"},
        {[&] { return access.GetAreaDomainInfo("", vecDomains); },
         "CLS_DataAccess::GetAreaDomainInfo _qstrAreaId.isEmpty()"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.log);
        LogCapture log;
        EXPECT_EQ(c.call(), -1);
        EXPECT_TRUE(log.has(3, c.log)) << log.dump().toStdString();
    }
    EXPECT_EQ(itest::scalar(kDb, "SELECT COUNT(*) FROM TAB_ELECTRONICMAP WHERE S_Caption = 'no id'"), 0);
}

TEST(Areas, ChineseComesInPinyinOrderOtherLanguagesByTheirNames)
{
    CLS_DataMediator mediator;
    QVector<CLS_AreaEntity> vecCn;
    ASSERT_EQ(mediator.GetAllArea("CN", vecCn), 0);
    ASSERT_EQ(vecCn.size(), 11);
    QStringList lstPinyin;
    for (const CLS_AreaEntity& a : vecCn) {
        lstPinyin << a.S_PINYIN;
    }
    QStringList lstSorted = lstPinyin;
    lstSorted.sort();
    EXPECT_EQ(lstPinyin, lstSorted);
    EXPECT_EQ(vecCn.first().S_ID, "area_au");  // aodaliya
    EXPECT_EQ(vecCn.last().S_ID, "area_cn");   // zhongguo

    QVector<CLS_AreaEntity> vecEn;
    ASSERT_EQ(mediator.GetAllArea("EN", vecEn), 0);
    ASSERT_EQ(vecEn.size(), 11);
    QStringList lstNames;
    for (const CLS_AreaEntity& a : vecEn) {
        lstNames << a.S_CAPTION;
    }
    EXPECT_EQ(lstNames.mid(0, 3), QStringList({"Australia", "Brazil", "China"}));
    EXPECT_EQ(lstNames.last(), "United States");
    EXPECT_EQ(vecEn[2].I_CAPTION, 70001);
    EXPECT_EQ(vecEn[2].S_ISOCODE, "CN");

    // The language is a bound value: a quote in it matches no dictionary entry.
    LogCapture log;
    QVector<CLS_AreaEntity> vecOdd;
    EXPECT_EQ(mediator.GetAllArea("EN' OR 'a'='a", vecOdd), 0);
    EXPECT_TRUE(vecOdd.isEmpty());
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::GetAllArea GetAllArea qvecAreaEntitys is empty")) << log.dump().toStdString();
}

TEST(Areas, DomainLookUpsNeedAKeptArea)
{
    CLS_DataMediator mediator;
    QVector<CLS_AreaDomainEntity> vecDomains;
    {
        LogCapture log;
        EXPECT_EQ(mediator.GetAreaDomainInfo("area_cn", vecDomains), -1);
        EXPECT_TRUE(log.has(3, "CLS_DataMediator::GetAreaDomainInfo m_qvecAreaList is empty")) << log.dump().toStdString();
    }
    QVector<CLS_AreaEntity> vecAreas;
    ASSERT_EQ(mediator.GetAllArea("EN", vecAreas), 0);
    const struct {
        const char* area;
        const char* log;
    } refusals[] = {{"", "CLS_DataMediator::GetAreaDomainInfo _qstrAreaUUID is invalid"},
                    {"area_xx", "CLS_DataMediator::GetAreaDomainInfo area uuid is invalid"}};
    for (const auto& r : refusals) {
        LogCapture log;
        EXPECT_EQ(mediator.GetAreaDomainInfo(r.area, vecDomains), -1);
        EXPECT_TRUE(log.has(3, r.log)) << log.dump().toStdString();
    }
    ASSERT_EQ(mediator.GetAreaDomainInfo("area_cn", vecDomains), 0);
    QStringList lstDomains;
    for (const CLS_AreaDomainEntity& d : vecDomains) {
        EXPECT_EQ(d.S_AREAID, "area_cn");
        lstDomains << d.S_DOMAIN;
    }
    lstDomains.sort();
    EXPECT_EQ(lstDomains, QStringList({"cn.cloud.tessel.example", "cn.p2p.tessel.example"}));

    QMap<QString, QVector<CLS_AreaDomainEntity>> mapDomains;
    ASSERT_EQ(mediator.GetAllDomain(mapDomains), 0);
    EXPECT_EQ(mapDomains.size(), 11);
    EXPECT_EQ(mapDomains.value("area_in").size(), 1);
    QVector<CLS_AreaDomainEntity> vecOne;
    ASSERT_EQ(mediator.GetDomainInfoByAreaID("area_in", vecOne), 0);
    ASSERT_EQ(vecOne.size(), 1);
    EXPECT_EQ(vecOne[0].S_DOMAIN, "as.cloud.tessel.example");
    EXPECT_EQ(vecOne[0].I_TYPE, 1);
    LogCapture log;
    EXPECT_EQ(mediator.GetDomainInfoByAreaID("area_xx", vecOne), -1);
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::GetDomainInfoByAreaID can not find this domain")) << log.dump().toStdString();
}

}  // namespace
