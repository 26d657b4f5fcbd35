#include "frame.h"

#include <gtest/gtest.h>

using namespace tessel::server;

namespace {

struct HeaderCase
{
    const char* frame;
    bool ok;
    qint64 id;
    const char* command;
    qsizetype bodyOffset;
};

class FrameHeaderTest : public ::testing::TestWithParam<HeaderCase>
{
};

TEST_P(FrameHeaderTest, ParsesFromBytesAndFromText)
{
    const HeaderCase& c = GetParam();
    const FrameHeader fromBytes = parseFrameHeader(QByteArray(c.frame));
    const QString text = QString::fromUtf8(c.frame);
    const FrameHeader fromText = parseFrameHeader(QStringView(text));
    for (const FrameHeader& h : {fromBytes, fromText}) {
        EXPECT_EQ(h.ok(), c.ok) << c.frame << " -> " << h.error.constData();
        EXPECT_EQ(h.id, c.id) << c.frame;
        if (c.ok) {
            EXPECT_EQ(h.command, QByteArray(c.command));
            EXPECT_EQ(h.bodyOffset, c.bodyOffset);
        } else {
            EXPECT_FALSE(h.error.isEmpty());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Headers, FrameHeaderTest,
    ::testing::Values(HeaderCase{"17 ExecuteQueryEx\n{}", true, 17, "ExecuteQueryEx", 18},
                      HeaderCase{"1 Execute\r\n{}", true, 1, "Execute", 11},
                      HeaderCase{"9223372036854775807 X\n", true, 9223372036854775807LL, "X", 22},
                      HeaderCase{"5 Execute", true, 5, "Execute", 9},
                      HeaderCase{"9223372036854775808 X\n{}", false, 0, "", 0},
                      // past 2^64: must not wrap around to a small id
                      HeaderCase{"18446744073709551617 Execute\n{}", false, 0, "", 0},
                      HeaderCase{"36893488147419103233 Execute\n{}", false, 0, "", 0},
                      HeaderCase{"0 Execute\n{}", false, 0, "", 0},
                      HeaderCase{"-3 Execute\n{}", false, 0, "", 0}, HeaderCase{"abc\n{}", false, 0, "", 0},
                      HeaderCase{"", false, 0, "", 0}, HeaderCase{"12abc Execute\n{}", false, 0, "", 0},
                      HeaderCase{"17\n{}", false, 17, "", 0}, HeaderCase{"17 \n{}", false, 17, "", 0},
                      HeaderCase{"17 Exec-ute\n{}", false, 17, "", 0},
                      HeaderCase{"17  Execute\n{}", false, 17, "", 0},
                      HeaderCase{"17 Execute {}\n", false, 17, "", 0}));

TEST(FrameTest, Utf8LengthMatchesEncoding)
{
    const QString cases[] = {
        QString(),
        QStringLiteral("ascii only"),
        QString::fromUtf8("\xC3\xBC\xC3\xA9"),          // two-byte
        QString::fromUtf8("\xE6\x97\xA5\xE6\x9C\xAC"),  // three-byte
        QString::fromUtf8("a\xF0\x9F\x98\x80z"),        // surrogate pair
        QString(QChar(0xD800)) + QStringLiteral("x"),   // lone surrogates
        QStringLiteral("x") + QChar(0xDC00),
    };
    for (const QString& s : cases) {
        EXPECT_EQ(utf8Length(s), s.toUtf8().size()) << qPrintable(s);
    }
}

}  // namespace
