// Header line of incoming frames and the request frame text.
#include "Frame.h"

#include <QJsonArray>

#include <gtest/gtest.h>

using tessel::ws::FrameKind;

namespace {

struct HeaderCase
{
    const char* pName;
    QString strMessage;
    FrameKind kind;
    quint64 uId;
    int iBodyOffset;
};

TEST(FrameHeader, ClassifiesHeaderLines)
{
    const HeaderCase cases[] = {
        {"answer", QStringLiteral("17\n{\"result\":\"OK\"}"), FrameKind::Answer, 17, 3},
        {"answer with empty body", QStringLiteral("5\n"), FrameKind::Answer, 5, 2},
        {"largest id", QStringLiteral("9223372036854775807\n{}"), FrameKind::Answer, 9223372036854775807ULL,
         20},
        {"body holding newlines", QStringLiteral("3\na\nb"), FrameKind::Answer, 3, 2},
        {"broadcast", QStringLiteral("*\nhello"), FrameKind::Broadcast, 0, 2},
        {"empty broadcast", QStringLiteral("*\n"), FrameKind::Broadcast, 0, 2},
        {"id zero", QStringLiteral("0\n{\"code\":\"bad-frame\"}"), FrameKind::IdZero, 0, 2},
        {"id zero with leading zeros", QStringLiteral("000\n{}"), FrameKind::IdZero, 0, 4},
        {"id 2^63 overflows", QStringLiteral("9223372036854775808\n{}"), FrameKind::Malformed, 0, 0},
        {"twenty digits", QStringLiteral("12345678901234567890\n{}"), FrameKind::Malformed, 0, 0},
        {"empty message", QString(), FrameKind::Malformed, 0, 0},
        {"empty header", QStringLiteral("\n{}"), FrameKind::Malformed, 0, 0},
        {"no newline", QStringLiteral("17"), FrameKind::Malformed, 0, 0},
        {"letters", QStringLiteral("abc\n{}"), FrameKind::Malformed, 0, 0},
        {"digits then letter", QStringLiteral("17x\n{}"), FrameKind::Malformed, 0, 0},
        {"sign", QStringLiteral("-17\n{}"), FrameKind::Malformed, 0, 0},
        {"plus sign", QStringLiteral("+17\n{}"), FrameKind::Malformed, 0, 0},
        {"leading blank", QStringLiteral(" 17\n{}"), FrameKind::Malformed, 0, 0},
        {"carriage return", QStringLiteral("17\r\n{}"), FrameKind::Malformed, 0, 0},
        {"star without newline", QStringLiteral("*"), FrameKind::Malformed, 0, 0},
        {"star with more", QStringLiteral("**\nx"), FrameKind::Malformed, 0, 0},
        {"request echoed back", QStringLiteral("17 Execute\n{}"), FrameKind::Malformed, 0, 0},
        {"non-ASCII digit", QStringLiteral("1\u0661\n{}"), FrameKind::Malformed, 0, 0},
        {"long text, newline far away", QString(100000, QLatin1Char('7')) + QStringLiteral("\n{}"),
         FrameKind::Malformed, 0, 0},
    };
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(c.pName);
        const tessel::ws::FrameHeader header = tessel::ws::parseFrameHeader(c.strMessage);
        EXPECT_EQ(header.kind, c.kind);
        if (c.kind == FrameKind::Answer) {
            EXPECT_EQ(header.id, c.uId);
        }
        if (c.kind != FrameKind::Malformed) {
            EXPECT_EQ(header.bodyOffset, c.iBodyOffset);
        }
    }
}

TEST(FrameHeader, CommandNamesAreLettersAndDigits)
{
    for (const char* pGood : {"Execute", "ExecuteQueryEx", "A1", "x"})
        EXPECT_TRUE(tessel::ws::isValidCommand(QString::fromLatin1(pGood))) << pGood;
    for (const char* pBad : {"", "Execute Query", "Execute\n", "Exec_Query", "Exec-1", "\xc3\xa9t\xc3\xa9"})
        EXPECT_FALSE(tessel::ws::isValidCommand(QString::fromUtf8(pBad))) << pBad;
}

TEST(FrameHeader, RequestFrameIsIdCommandNewlineCompactJson)
{
    QJsonObject request;
    request.insert(QStringLiteral("DbName"), QStringLiteral("Tessel"));
    request.insert(QStringLiteral("sqlexec"), QStringLiteral("SELECT 'é\n'"));
    request.insert(QStringLiteral("list"), QJsonArray{1, 2});
    EXPECT_EQ(tessel::ws::buildRequestFrame(42, QStringLiteral("ExecuteQuery"), request),
              QString::fromUtf8("42 ExecuteQuery\n{\"DbName\":\"Tessel\",\"list\":[1,2],\"sqlexec\":\"SELECT "
                                "'é\\n'\"}"));
}

}  // namespace
