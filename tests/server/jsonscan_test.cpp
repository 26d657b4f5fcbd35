#include "jsonscan.h"

#include <gtest/gtest.h>

using tessel::JsonScan;

namespace {

struct ScanCase
{
    const char* json;
    JsonScan expected;
};

class JsonScanTest : public ::testing::TestWithParam<ScanCase>
{
};

TEST_P(JsonScanTest, NamesAreComparedAfterDecodingTheirEscapes)
{
    const ScanCase& c = GetParam();
    EXPECT_EQ(tessel::scanJson(QByteArray(c.json)), c.expected) << c.json;
    EXPECT_EQ(tessel::repeatsMemberName(QByteArray(c.json)), c.expected == JsonScan::RepeatedName) << c.json;
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, JsonScanTest,
    ::testing::Values(ScanCase{R"({"a":1,"b":2})", JsonScan::Fine},
                      ScanCase{R"({"a":1,"a":2})", JsonScan::RepeatedName},
                      // one name written two ways
                      ScanCase{R"({"\n":[1],"\u000a":[2]})", JsonScan::RepeatedName},
                      ScanCase{R"({"\t":1,"\u0009":2})", JsonScan::RepeatedName},
                      ScanCase{R"({"a\/b":1,"a/b":2})", JsonScan::RepeatedName},
                      ScanCase{R"({"\"":1,"\u0022":2})", JsonScan::RepeatedName},
                      ScanCase{R"({"\u00e9":1,"é":2})", JsonScan::RepeatedName},
                      ScanCase{R"({"\ud83d\ude00":1,"😀":2})", JsonScan::RepeatedName},
                      // different names that decode differently
                      ScanCase{R"({"\n":1,"n":2})", JsonScan::Fine}, ScanCase{R"({"\\n":1,"\n":2})", JsonScan::Fine},
                      // same name in different objects, and in values
                      ScanCase{R"({"a":{"a":1},"b":[{"a":1},{"a":2}]})", JsonScan::Fine},
                      ScanCase{R"({"a":"a","b":"a"})", JsonScan::Fine},
                      ScanCase{R"({"x":{"k":1,"k":2}})", JsonScan::RepeatedName}));

TEST(JsonScanDepthTest, NestingPastTheLimitStopsTheScanEarly)
{
    const QByteArray atLimit =
        QByteArray(tessel::kMaxJsonDepth, '[') + QByteArray(tessel::kMaxJsonDepth, ']');
    EXPECT_EQ(tessel::scanJson(atLimit), JsonScan::Fine);
    EXPECT_EQ(tessel::scanJson(QByteArray(tessel::kMaxJsonDepth + 1, '[')), JsonScan::TooDeep);
    // A large body of brackets: refused without a level per bracket (it once took gigabytes).
    EXPECT_EQ(tessel::scanJson(QByteArray(64 << 20, '[')), JsonScan::TooDeep);
    EXPECT_EQ(tessel::scanJson(QByteArray(R"({"a":)") + QByteArray(2000, '{')), JsonScan::TooDeep);
}

}  // namespace
