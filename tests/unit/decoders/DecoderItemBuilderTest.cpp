// The decoder and decoder-output builders: what they carry over and how they refuse nulls.
#include "CLS_DecoderEntities.h"
#include "ItemBuilder/CLS_ItemBuilder.h"
#include "LogCapture.h"
#include "VideoItem.h"

#include <functional>

#include <gtest/gtest.h>

TEST(DecoderItemBuilder, StoredDecoderAndOutputBecomeTheirItems)
{
    CLS_DecEntity dec;
    dec.S_ID = "dec1";
    dec.S_PARENT_ID = "ignored-parent";
    dec.S_CAPTION = "  Wall \t decoder ";
    dec.S_IP = "10.0.0.9";
    dec.I_PORT = 6001;
    dec.S_USERNAME = "user";
    dec.S_PASSWORD = "secret";
    dec.I_DECODER_TYPE_ID = 7;
    dec.I_HTTP_PORT = 8081;
    STRCT_Decoder decItem;
    ASSERT_TRUE(CLS_ItemBuilder::BuildDecoderItem(&dec, &decItem));
    EXPECT_EQ(decItem.GetType(), static_cast<uint32_t>(vitDecoder));
    EXPECT_EQ(decItem.m_strID, "dec1");
    EXPECT_EQ(decItem.m_strNodeID, "dec1");
    EXPECT_EQ(decItem.m_strCaption, "Wall decoder");
    EXPECT_EQ(decItem.m_strIP, "10.0.0.9");
    EXPECT_EQ(decItem.m_iPort, 6001);
    EXPECT_EQ(decItem.m_strUserName, "user");
    EXPECT_EQ(decItem.m_strPassword, "secret");
    EXPECT_EQ(decItem.m_iDecoderKind, 2);
    EXPECT_EQ(decItem.m_iDecoderValue1, 7);
    EXPECT_EQ(decItem.m_iDecoderValue2, 8081);

    CLS_DecOutEntity out;
    out.S_ID = "out3";
    out.S_PARENT_ID = "dec1";
    out.I_NUM = 3;
    out.S_CAPTION = "Out 3";
    STRCT_DecoderOut outItem;
    ASSERT_TRUE(CLS_ItemBuilder::BuildDecoderOutItem(&out, &outItem));
    EXPECT_EQ(outItem.GetType(), static_cast<uint32_t>(vitDecoderOut));
    EXPECT_EQ(outItem.m_iNum, 3);
    EXPECT_EQ(outItem.m_strParentID, "dec1");
    EXPECT_EQ(outItem.m_strOwnerID, "dec1");
    EXPECT_EQ(outItem.m_strCaption, "Out 3");
}

TEST(DecoderItemBuilder, NullArgumentsAreRefusedAndLeaveTheItemAlone)
{
    LogCapture log;
    CLS_DecEntity dec;
    dec.S_ID = "dec1";
    CLS_DecOutEntity out;
    out.S_ID = "out1";
    STRCT_Decoder decItem;
    STRCT_DecoderOut outItem;
    const std::function<bool()> cases[] = {
        [&] { return CLS_ItemBuilder::BuildDecoderItem(nullptr, &decItem); },
        [&] { return CLS_ItemBuilder::BuildDecoderItem(&dec, nullptr); },
        [&] { return CLS_ItemBuilder::BuildDecoderOutItem(nullptr, &outItem); },
        [&] { return CLS_ItemBuilder::BuildDecoderOutItem(&out, nullptr); },
    };
    for (const auto& build : cases) {
        log.clear();
        EXPECT_FALSE(build());
        EXPECT_TRUE(log.has(3, "_pDecEntity == nullptr || _pDecItem == nullptr")) << qPrintable(log.dump());
    }
    EXPECT_TRUE(decItem.m_strID.empty());
    EXPECT_EQ(decItem.m_iDecoderKind, 0);
    EXPECT_TRUE(outItem.m_strID.empty());
}
