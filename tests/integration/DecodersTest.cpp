// Decoders and the TV wall against a real server and schema: the decoder cascade, free outputs,
// layout names and screen order, decoder items in the loaded tree and their change signals,
// join templates in their tables and in the setting.
#include "CLS_CommonHandle.h"
#include "CLS_DataAccess.h"
#include "CLS_DataMediator.h"
#include "DataBase/EntityDao/HostConfig/CLS_EncInEntity.h"
#include "IntegrationFixture.h"
#include "LogCapture.h"
#include "VideoItem.h"

#include <QSignalSpy>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment({"itdecoders01", true, {}}));

using itest::scalar;
using itest::text;

const char kDb[] = "Tessel";

int count(const QString& _strSql, const itest::Binds& _binds = itest::Binds())
{
    return scalar(kDb, _strSql, _binds);
}

CLS_DecEntity decoder(const QString& _strID, const QString& _strIP)
{
    CLS_DecEntity e;
    e.S_ID = _strID;
    e.S_IP = _strIP;
    e.I_PORT = 6000;
    e.S_USERNAME = "admin";
    e.S_PASSWORD = "pw";
    e.S_CAPTION = "Decoder " + _strID;
    e.I_DECODER_TYPE_ID = 3;
    e.I_HTTP_PORT = 8080;
    return e;
}

CLS_DecOutEntity output(const QString& _strDecID, int _iNum)
{
    CLS_DecOutEntity e;
    e.S_ID = QStringLiteral("%1_out%2").arg(_strDecID).arg(_iNum);
    e.S_PARENT_ID = _strDecID;
    e.I_NUM = _iNum;
    e.S_CAPTION = QStringLiteral("Out %1").arg(_iNum);
    return e;
}

CLS_ScreenUnitEntity screen(const QString& _strID, const QString& _strOutID, int _iType = 0,
                            const QString& _strParentID = QString())
{
    CLS_ScreenUnitEntity u;
    u.S_ID = _strID;
    u.S_DECODER_OUT_ID = _strOutID;
    u.I_TYPE = _iType;
    u.S_PARENT_ID = _strParentID;
    u.S_CAPTION = "Screen " + _strID;
    u.S_PARAM = R"({"order":"1"})";
    return u;
}

QStringList outIds(const QVector<CLS_DecOutEntity*>& _vecOuts)
{
    QStringList lst;
    for (const CLS_DecOutEntity* p : _vecOuts) {
        lst << p->S_ID;
    }
    return lst;
}

QStringList itemIds(const QVector<STRCT_VideoItem*>& _vecItems)
{
    QStringList lst;
    for (const STRCT_VideoItem* p : _vecItems) {
        lst << QString::fromStdString(p->m_strID);
    }
    lst.sort();
    return lst;
}

}  // namespace

// Every case starts from empty decoder and TV-wall tables, logged in as the administrator.
class Decoders : public LoggedInTest
{
protected:
    void SetUp() override
    {
        qRegisterMetaType<const QVector<STRCT_VideoItem*>*>("const QVector<STRCT_VideoItem*>*");
        qRegisterMetaType<OperationType>("OperationType");
        for (const char* pszTable :
             {"TAB_DEV_DECODER", "TAB_DECODER_IN", "TAB_DEV_DECODER_OUT", "TAB_DEV_DECODER_OUT_REGION",
              "TAB_DEV_SCREEN_UNIT", "TAB_TV_LAYOUT", "TAB_LAYOUT_TVOUT", "TAB_TV_JOIN_TEMPLATE", "TAB_TV_JOIN_REGION",
              "TAB_DEV_ENCODE_IN", "TAB_LAYOUT_VIEW"}) {
            ASSERT_EQ(itest::exec(kDb, QStringLiteral("DELETE FROM ") + pszTable), 0);
        }
        ASSERT_EQ(itest::exec(kDb, "DELETE FROM TAB_OBJ WHERE I_OBJ_TYPE_ID IN (8, 9, 10, 15, 44)"), 0);
        LoggedInTest::SetUp();
    }

    // A decoder with outputs 1.._iOuts.
    void addDecoder(const QString& _strID, const QString& _strIP, int _iOuts)
    {
        ASSERT_EQ(m_mediator.InsertDecorder(decoder(_strID, _strIP)), 0);
        for (int i = 1; i <= _iOuts; ++i) {
            ASSERT_EQ(m_mediator.InsertDecOut(output(_strID, i)), 0);
        }
    }

    QString addLayout(const QString& _strCaption)
    {
        CLS_TVLayoutEntity layout;
        layout.S_CAPTION = _strCaption;
        layout.S_IMG = "/img/" + _strCaption + ".png";
        EXPECT_EQ(m_mediator.InsertTVLayout(layout), 0);
        return layout.S_ID;
    }
};

TEST_F(Decoders, DeletingADecoderTakesItsOutputsScreensAndMembershipsAndNothingElse)
{
    addDecoder("decA", "10.0.0.1", 2);
    addDecoder("decB", "10.0.0.2", 1);
    const QString strLayout = addLayout("Wall");
    ASSERT_EQ(m_mediator.InsertScreens(strLayout, {screen("sA1", "decA_out1"), screen("sA2", "decA_out2"),
                                                   screen("sB1", "decB_out1")}),
              0);
    CLS_EncInEntity encIn;
    encIn.S_ID = "decA_in1";
    encIn.S_PARENT_ID = "decA";
    encIn.I_NUM = 1;
    encIn.I_OBJ_TYPE_ID = kObjTypeEncoderIn;
    ASSERT_EQ(CLS_DataAccess::GetInstance().InsertEncIn(encIn), 0);
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);

    QSignalSpy spy(&m_mediator, &I_DataMediator::SignResourceDataChangeCallback);
    ASSERT_EQ(m_mediator.DeleteDecorder("decA"), 0);

    EXPECT_EQ(count("SELECT COUNT(*) FROM TAB_OBJ WHERE S_ID = 'decA' OR S_PARENT_ID = 'decA'"), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM TAB_DEV_DECODER"), 1);
    EXPECT_EQ(text(kDb, "SELECT group_concat(S_ID) FROM TAB_DEV_DECODER_OUT"), "decB_out1");
    EXPECT_EQ(text(kDb, "SELECT group_concat(S_ID) FROM TAB_DEV_SCREEN_UNIT"), "sB1");
    EXPECT_EQ(text(kDb, "SELECT group_concat(S_SCREEN_ID) FROM TAB_LAYOUT_TVOUT"), "sB1");
    EXPECT_EQ(count("SELECT COUNT(*) FROM TAB_DEV_ENCODE_IN"), 0);

    // The decoder's items leave the tree in one removal; the other decoder stays.
    ASSERT_EQ(spy.size(), 1);
    const auto* pVec = spy.at(0).at(0).value<const QVector<STRCT_VideoItem*>*>();
    ASSERT_NE(pVec, nullptr);
    EXPECT_EQ(itemIds(*pVec), QStringList({"decA", "decA_in1", "decA_out1", "decA_out2"}));
    EXPECT_EQ(spy.at(0).at(1).value<OperationType>(), otDelete);
    EXPECT_EQ(spy.at(0).at(2).toInt(), 1);
    QVector<STRCT_VideoItem*> vecLeft;
    m_mediator.GetChildItems("resource_root_id", vecLeft);
    EXPECT_EQ(itemIds(vecLeft), QStringList({"decB"}));
}

TEST_F(Decoders, PagesAreCountedFromOneAndAPageFarPastTheEndIsEmpty)
{
    addDecoder("pg-b", "10.8.0.2", 0);
    addDecoder("pg-a", "10.8.0.1", 0);
    addDecoder("pg-c", "10.8.0.3", 0);
    struct Case
    {
        int iSize;
        int iPage;
        QStringList lstIDs;
    };
    // 429496730 pages of 10: an offset of 4294967290, which wraps to a negative int.
    const Case aCases[] = {
        {2, 1, {"pg-a", "pg-b"}}, {2, 2, {"pg-c"}}, {2, 0, {"pg-a", "pg-b"}}, {10, 429496730, {}}};
    for (const Case& c : aCases) {
        QVector<CLS_DecEntity*> vecDecs;
        int iTotal = -1;
        EXPECT_EQ(m_mediator.GetDecoderPage(c.iSize, c.iPage, vecDecs, iTotal), 0) << c.iPage;
        QStringList lst;
        for (const CLS_DecEntity* p : vecDecs) {
            lst << p->S_ID;
        }
        qDeleteAll(vecDecs);
        EXPECT_EQ(lst, c.lstIDs) << c.iPage;
        EXPECT_EQ(iTotal, 3) << c.iPage;
    }
}

TEST_F(Decoders, DeletingADecoderRefusesAnEmptyId)
{
    LogCapture log;
    EXPECT_EQ(m_mediator.DeleteDecorder(""), -1);
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::DeleteDecorder _qstrHostID is empty")) << log.dump().toStdString();
}

TEST_F(Decoders, FreeOutputsLeaveOutJoinedScreensAndTheirMembers)
{
    addDecoder("dec", "10.0.0.3", 5);
    const QString strLayout = addLayout("Joined");
    // J1 is a joined screen on output 4 with a member on output 1; J2, a joined screen without
    // an output of its own, has a member on output 2; output 3 is used by a single screen only.
    ASSERT_EQ(m_mediator.InsertScreens(strLayout, {screen("J1", "dec_out4", 1), screen("m1", "dec_out1", 0, "J1"),
                                                   screen("J2", QString(), 1), screen("m2", "dec_out2", 0, "J2"),
                                                   screen("single", "dec_out3")}),
              0);
    EXPECT_EQ(text(kDb, "SELECT IFNULL(S_DECODER_OUT_ID, 'null') FROM TAB_DEV_SCREEN_UNIT WHERE S_ID = 'J2'"), "null");

    QVector<CLS_DecOutEntity*> vecFree;
    ASSERT_EQ(m_mediator.GetFreeDecOuts("dec", vecFree), 0);
    EXPECT_EQ(outIds(vecFree), QStringList({"dec_out3", "dec_out5"}));
    qDeleteAll(vecFree);
}

TEST_F(Decoders, ALayoutNameClashesOnlyWithOtherLayouts)
{
    const QString strWall = addLayout("Wall A");
    addDecoder("lobby", "10.0.0.4", 0);  // captioned "Decoder lobby", not a layout
    ASSERT_EQ(itest::exec(kDb, "UPDATE TAB_OBJ SET S_CAPTION = 'Lobby' WHERE S_ID = 'lobby'"), 0);
    struct Case {
        const char* pszName;
        QString strLayoutID;
        bool bTaken;
    };
    for (const Case& c : {Case{"Wall A", strWall, false}, Case{"Wall A", "another", true},
                          Case{"Lobby", "another", false}, Case{"Wall B", "another", false}}) {
        EXPECT_EQ(m_mediator.IsTVLayoutNameExist(c.pszName, c.strLayoutID), c.bTaken) << c.pszName;
    }
    // The owner row of the new layout belongs to the current user.
    EXPECT_EQ(text(kDb, "SELECT S_USER_ID FROM TAB_USER_OBJ WHERE S_OBJ_ID = :id", {{":id", strWall}}),
              m_mediator.GetCurrentUserID());
}

TEST_F(Decoders, LayoutDetailListsScreensRowByRowAndReadsJoinedMembers)
{
    addDecoder("dec", "10.0.0.5", 6);
    const QString strLayout = addLayout("Grid");
    struct Place {
        const char* pszID;
        double dX;
        double dY;
    };
    QVector<CLS_ScreenUnitEntity> vecUnits;
    int iOut = 1;
    for (const Place& p : {Place{"right-top", 0.5, 0}, Place{"left-bottom", 0, 0.5}, Place{"left-top", 0, 0},
                           Place{"right-bottom", 0.5, 0.5}}) {
        CLS_ScreenUnitEntity u = screen(p.pszID, QStringLiteral("dec_out%1").arg(iOut++));
        u.F_X = p.dX;
        u.F_Y = p.dY;
        u.I_STYLE_X = 2;
        u.I_STYLE_Y = 3;
        vecUnits << u;
    }
    CLS_ScreenUnitEntity joined = screen("joined", "dec_out5", 1);
    joined.F_Y = 0.9;
    CLS_ScreenUnitEntity member = screen("member", "dec_out6", 0, "joined");
    member.S_PARAM = R"({"order":"7"})";
    CLS_ScreenUnitEntity broken = screen("broken", "dec_out6", 0, "joined");
    broken.S_PARAM = "not json";
    vecUnits << joined;
    ASSERT_EQ(m_mediator.InsertScreens(strLayout, vecUnits), 0);
    // Members are not memberships of the layout themselves.
    ASSERT_EQ(CLS_DataAccess::GetInstance().InsertScreens("elsewhere", {member, broken}), 0);

    LogCapture log;
    CLS_TVLayoutEntity layout;
    ASSERT_EQ(m_mediator.GetLayOutInfoById(strLayout, layout, 0), 0);
    EXPECT_EQ(layout.S_CAPTION, "Grid");
    EXPECT_EQ(layout.S_IMG, "/img/Grid.png");
    QStringList lstOrder;
    for (const CLS_ScreenUnitEntity& s : layout.m_vecScreens) {
        lstOrder << s.S_ID;
    }
    EXPECT_EQ(lstOrder, QStringList({"left-top", "right-top", "left-bottom", "right-bottom", "joined"}));
    EXPECT_EQ(layout.m_vecScreens.first().I_STYLE_X, 2);
    EXPECT_EQ(layout.m_vecScreens.first().I_STYLE_Y, 3);
    EXPECT_EQ(layout.m_vecScreens.first().S_DECODER_ID, "dec");
    const CLS_ScreenUnitEntity& j = layout.m_vecScreens.last();
    ASSERT_EQ(j.m_vecMembers.size(), 2);
    QMap<QString, int> mapOrders;
    for (const CLS_ScreenUnitEntity& m : j.m_vecMembers) {
        mapOrders.insert(m.S_ID, m.I_ORDER);
        EXPECT_EQ(m.S_DECOUT_CAPTION, "Out 6");
    }
    EXPECT_EQ(mapOrders, (QMap<QString, int>{{"member", 7}, {"broken", 0}}));
    EXPECT_TRUE(log.has(2, "[CLS_TVLayoutEntityDAO]qjsonDoc.isNull() || (qjsonErr.error != QJsonParseError::NoError)"))
        << log.dump().toStdString();

    // Screen information comes by unit number with the decoder's address.
    QVector<CLS_ScreenUnitEntity*> vecInfo;
    ASSERT_EQ(m_mediator.GetTvScreenInfo(strLayout, vecInfo), 0);
    ASSERT_EQ(vecInfo.size(), 5);
    EXPECT_EQ(vecInfo.first()->S_DECODER_IP, "10.0.0.5");
    EXPECT_EQ(vecInfo.first()->I_DECODER_NUM, 1);
    qDeleteAll(vecInfo);

    CLS_TVLayoutEntity missing;
    EXPECT_EQ(m_mediator.GetLayOutInfoById("no such layout", missing, 0), -1);
}

TEST_F(Decoders, TheLoadedTreeHoldsDecodersWithInputsAndOutputs)
{
    CLS_DecEntity dec = decoder("dec", "10.0.0.6");
    dec.I_DECODER_IN_COUNT = 2;
    ASSERT_EQ(m_mediator.InsertDecorder(dec), 0);
    ASSERT_EQ(m_mediator.InsertDecOut(output("dec", 2)), 0);
    ASSERT_EQ(m_mediator.InsertDecOut(output("dec", 1)), 0);
    CLS_EncInEntity encIn;
    encIn.S_ID = "dec_in3";
    encIn.S_PARENT_ID = "dec";
    encIn.I_NUM = 3;
    encIn.S_CAPTION = "Encoder in";
    encIn.I_OBJ_TYPE_ID = kObjTypeEncoderIn;
    ASSERT_EQ(CLS_DataAccess::GetInstance().InsertEncIn(encIn), 0);
    // The decoder's own inputs are numbered and captioned from its name.
    EXPECT_EQ(text(kDb, "SELECT group_concat(S_CAPTION, '|') FROM (SELECT S_CAPTION FROM TAB_DECODER_IN ORDER BY "
                        "I_DECODER_IN_NUM)"),
              "Decoder dec Input 1|Decoder dec Input 2");

    CLS_DataMediator fresh;
    ItemReleaser release(fresh);
    ASSERT_EQ(fresh.LoginUser(IntegrationEnvironment::kAdminName, IntegrationEnvironment::kAdminPassword), 0);
    ASSERT_EQ(fresh.InitTreeNodeData(), 0);
    QVector<STRCT_VideoItem*> vecRoot;
    fresh.GetChildItems("resource_root_id", vecRoot);
    ASSERT_EQ(vecRoot.size(), 1);
    ASSERT_EQ(vecRoot.first()->GetType(), static_cast<uint32_t>(vitDecoder));
    const auto* pDec = static_cast<const STRCT_Decoder*>(vecRoot.first());
    EXPECT_EQ(pDec->m_strIP, "10.0.0.6");
    EXPECT_EQ(pDec->m_iPort, 6000);
    EXPECT_EQ(pDec->m_strCaption, "Decoder dec");
    EXPECT_EQ(pDec->m_iDecoderKind, 2);

    QVector<STRCT_VideoItem*> vecChildren;
    fresh.GetChildItems("dec", vecChildren);
    std::sort(vecChildren.begin(), vecChildren.end(),
              [](const STRCT_VideoItem* a, const STRCT_VideoItem* b) { return a->m_iSortNum < b->m_iSortNum; });
    ASSERT_EQ(vecChildren.size(), 3);
    // The input first, then the outputs by number, on one running counter.
    EXPECT_EQ(vecChildren[0]->GetType(), static_cast<uint32_t>(vitEncoderIn));
    EXPECT_EQ(static_cast<const STRCT_EncoderIn*>(vecChildren[0])->m_iNum, 3);
    for (int i = 1; i <= 2; ++i) {
        ASSERT_EQ(vecChildren[i]->GetType(), static_cast<uint32_t>(vitDecoderOut));
        const auto* pOut = static_cast<const STRCT_DecoderOut*>(vecChildren[i]);
        EXPECT_EQ(pOut->m_iNum, i);
        EXPECT_EQ(pOut->m_strOwnerID, "dec");
        EXPECT_EQ(pOut->m_iDevType, 1);
        EXPECT_EQ(pOut->m_iSortNum, i);
    }
}

TEST_F(Decoders, OutputChangesKeepTheirItemsAndAreAnnounced)
{
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    QSignalSpy spy(&m_mediator, &I_DataMediator::SignResourceDataChangeCallback);
    addDecoder("dec", "10.0.0.7", 1);
    const QString strLayout = addLayout("Outs");
    ASSERT_EQ(m_mediator.InsertScreens(strLayout, {screen("s1", "dec_out1")}), 0);
    ASSERT_EQ(m_mediator.UpdateDecoderOutCaption("dec_out1", "  Left   monitor "), 0);
    CLS_DecOutEntity changed = output("dec", 4);
    changed.S_ID = "dec_out1";
    changed.S_CAPTION = "Renumbered";
    ASSERT_EQ(m_mediator.UpdateDecOut(changed), 0);
    ASSERT_EQ(m_mediator.DeleteDecOut("dec_out1"), 0);

    struct Expected {
        OperationType op;
        int iDevType;
    };
    const QVector<Expected> vecExpected{{otInsert, 1}, {otInsert, 1}, {otUpdate, 9}, {otUpdate, 1}, {otDelete, 1}};
    ASSERT_EQ(spy.size(), vecExpected.size());
    for (int i = 0; i < spy.size(); ++i) {
        EXPECT_EQ(spy.at(i).at(1).value<OperationType>(), vecExpected[i].op) << i;
        EXPECT_EQ(spy.at(i).at(2).toInt(), vecExpected[i].iDevType) << i;
    }
    const auto* pCaption = spy.at(2).at(0).value<const QVector<STRCT_VideoItem*>*>();
    ASSERT_NE(pCaption, nullptr);
    EXPECT_EQ(pCaption->first()->m_strCaption, "Renumbered");  // the same item, changed again after
    EXPECT_EQ(count("SELECT COUNT(*) FROM TAB_OBJ WHERE S_ID = 'dec_out1'"), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM TAB_DEV_SCREEN_UNIT"), 0);
    // No membership is left pointing at the screen that went with the output.
    EXPECT_EQ(count("SELECT COUNT(*) FROM TAB_LAYOUT_TVOUT"), 0);
}

TEST_F(Decoders, UpdateTvWallTakesTheRecordAndStoresItsCaption)
{
    const QString strLayout = addLayout("Before");
    auto* pRecord = new CLS_TVLayoutEntity();
    pRecord->S_ID = strLayout;
    pRecord->S_CAPTION = "After";
    ASSERT_EQ(m_mediator.UpdateTvWall(pRecord), 0);  // the record is released by the call
    EXPECT_EQ(text(kDb, "SELECT S_CAPTION FROM TAB_OBJ WHERE S_ID = :id", {{":id", strLayout}}), "After");
    LogCapture log;
    EXPECT_EQ(m_mediator.UpdateTvWall(nullptr), -1);
    EXPECT_TRUE(log.has(3, "UpdateTvWall _pTVLayout == nullptr"));

    ASSERT_EQ(m_mediator.DeleteTVLayout(strLayout), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM TAB_OBJ WHERE S_ID = :id", {{":id", strLayout}}), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM TAB_TV_LAYOUT"), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM TAB_USER_OBJ WHERE S_OBJ_ID = :id", {{":id", strLayout}}), 0);
}

TEST_F(Decoders, JoinTemplatesInTablesAndInTheSetting)
{
    CLS_TVJoinTemplateEntity t;
    t.S_CAPTION = "Two";
    t.S_DECODER_OUT_ID = "out";
    STRCT_TVJoinRegion withChannel;
    withChannel.I_REGION_NO = 1;
    withChannel.F_WIDTH = 0.5;
    withChannel.F_HEIGHT = 1;
    withChannel.S_CHAN_ID = "cam1";
    STRCT_TVJoinRegion empty = withChannel;
    empty.I_REGION_NO = 2;
    empty.F_LEFT = 0.5;
    empty.S_CHAN_ID.clear();
    t.m_vecRegions = {withChannel, empty};
    ASSERT_EQ(m_mediator.InsertJoinTemplate(t), 0);
    EXPECT_EQ(text(kDb, "SELECT IFNULL(S_CHAN_ID, 'null') FROM TAB_TV_JOIN_REGION WHERE I_REGION_NO = 2"), "null");
    QVector<CLS_TVJoinTemplateEntity> vecRead;
    ASSERT_EQ(m_mediator.GetTemplate(QString("out"), vecRead), 0);
    ASSERT_EQ(vecRead.size(), 1);
    ASSERT_EQ(vecRead[0].m_vecRegions.size(), 2);
    EXPECT_EQ(vecRead[0].m_vecRegions[0].S_CHAN_ID, "cam1");
    EXPECT_DOUBLE_EQ(vecRead[0].m_vecRegions[1].F_LEFT, 0.5);
    ASSERT_EQ(m_mediator.DeleteJoinTemplate(vecRead[0].S_ID), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM TAB_TV_JOIN_REGION"), 0);

    ASSERT_EQ(CLS_DataAccess::GetInstance().SetConfigValue("MAINTYPE_VIEWCONFIG", "JoinTemplate", "[]", ""), 0);
    STRCT_JoinTemplateRegion region;
    region.m_iRegionNo = 3;
    region.m_dTop = 0.25;
    region.m_dWidth = 0.75;
    ASSERT_EQ(m_mediator.InsertTemplate("Quad", "dec", 2, {region}), 0);
    const QString strStored =
        CLS_DataAccess::GetInstance().GetConfigValue("MAINTYPE_VIEWCONFIG", "JoinTemplate", QString());
    LogCapture log;
    EXPECT_EQ(m_mediator.InsertTemplate("Quad", "other", 5, {}), -1);
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::InsertTemplate _qstrCaption=Quad"));
    EXPECT_EQ(CLS_DataAccess::GetInstance().GetConfigValue("MAINTYPE_VIEWCONFIG", "JoinTemplate", QString()),
              strStored);

    QMap<QString, QVector<STRCT_JoinTemplateRegion>> mapTemplates;
    ASSERT_EQ(m_mediator.GetTemplate("dec", 2, mapTemplates), 0);
    ASSERT_EQ(mapTemplates.keys(), QStringList({"Quad"}));
    ASSERT_EQ(mapTemplates["Quad"].size(), 1);
    EXPECT_EQ(mapTemplates["Quad"][0].m_iRegionNo, 3);
    EXPECT_DOUBLE_EQ(mapTemplates["Quad"][0].m_dTop, 0.25);
    EXPECT_DOUBLE_EQ(mapTemplates["Quad"][0].m_dWidth, 0.75);
    mapTemplates.clear();
    ASSERT_EQ(m_mediator.GetTemplate("dec", 1, mapTemplates), 0);
    EXPECT_TRUE(mapTemplates.isEmpty());
}

TEST_F(Decoders, SingleObjectReadersRefuseMissingObjectsAndRecords)
{
    addDecoder("dec", "10.0.0.8", 1);
    CLS_DecEntity dec;
    EXPECT_EQ(m_mediator.DecSync("dec", &dec), 0);
    EXPECT_EQ(dec.S_CAPTION, "Decoder dec");
    EXPECT_EQ(dec.I_HTTP_PORT, 8080);
    CLS_DecOutEntity out;
    EXPECT_EQ(m_mediator.GetDecOut("dec", 1, &out), 0);
    EXPECT_EQ(out.S_ID, "dec_out1");

    LogCapture log;
    EXPECT_EQ(m_mediator.DecSync("nothing", &dec), -1);
    EXPECT_EQ(m_mediator.DecSync("dec", nullptr), -1);
    EXPECT_EQ(m_mediator.GetDecOut("dec", 9, &out), -1);
    EXPECT_EQ(m_mediator.DecOutSync("dec_out1", nullptr), -1);
    for (const char* pszLine : {"DecSync DecOutEntity == nullptr", "DecSync pstructDecSearchInfo == nullptr",
                                "GetDecOut pDecOutEntity == nullptr", "DecOutSync pstructDecOutSearchInfo == nullptr"}) {
        EXPECT_TRUE(log.has(3, pszLine)) << pszLine << "\n" << log.dump().toStdString();
    }
}
