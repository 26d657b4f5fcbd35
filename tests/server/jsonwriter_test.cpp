#include "jsonwriter.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tessel::server;

namespace {

QString readBack(const QByteArray& jsonString)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson("[" + jsonString + "]", &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << jsonString.constData();
    return doc.array().at(0).toString();
}

TEST(JsonWriter, StringsReadBackUnchanged)
{
    QByteArray everyControl;
    for (char c = 0; c < 0x20; ++c) {
        everyControl.append(c);
    }
    const QByteArray cases[] = {
        "",
        "plain",
        "say \"hi\"",
        "back\\slash \\\" \\n",
        "line\nbreak\r\n\ttab",
        everyControl,
        "\xE6\x97\xA5\xE6\x9C\xAC \xC3\xBC \xF0\x9F\x98\x80",  // 日本 ü 😀
        "</script>\x7F",
    };
    for (const QByteArray& input : cases) {
        QByteArray out;
        json::appendString(out, input);
        EXPECT_EQ(readBack(out), QString::fromUtf8(input.constData(), input.size())) << out.constData();
    }
}

TEST(JsonWriter, EscapesAsExpected)
{
    const struct
    {
        QByteArray input;
        QByteArray json;
    } cases[] = {
        {"a\"b", "\"a\\\"b\""},
        {"a\\b", "\"a\\\\b\""},
        {"\n\r\t\b\f", "\"\\n\\r\\t\\b\\f\""},
        {QByteArray("\x00\x01\x1f", 3), "\"\\u0000\\u0001\\u001f\""},
        {"\xC3\xBC/", "\"\xC3\xBC/\""},  // UTF-8 and '/' stay as they are
    };
    for (const auto& c : cases) {
        QByteArray out;
        json::appendString(out, c.input);
        EXPECT_EQ(out, c.json);
    }
}

TEST(JsonWriter, RealsAreShortestExactText)
{
    const struct
    {
        double value;
        const char* text;
    } cases[] = {
        {0.1, "0.1"},
        {0.1 + 0.2, "0.30000000000000004"},
        {3.0, "3.0"},
        {-2.5, "-2.5"},
        {-0.0, "-0.0"},
        {1e16, "1e+16"},
        {123456.789, "123456.789"},
        {1.7976931348623157e308, "1.7976931348623157e+308"},
        {9223372036854775808.0, "9.223372036854776e+18"},
        {-123456789012345680000.0, "-1.2345678901234568e+20"},
        {12345678901234567.0, "12345678901234568.0"},
        {5e-324, "5e-324"},
        {std::numeric_limits<double>::infinity(), "Inf"},
        {-std::numeric_limits<double>::infinity(), "-Inf"},
    };
    for (const auto& c : cases) {
        QByteArray out;
        json::appendReal(out, c.value);
        EXPECT_EQ(out, QByteArray(c.text));
        if (std::isfinite(c.value)) {
            EXPECT_EQ(std::strtod(out.constData(), nullptr), c.value) << out.constData();
        }
    }
}

TEST(JsonWriter, IntegersAtTheLimits)
{
    QByteArray out;
    json::appendInt(out, std::numeric_limits<qint64>::min());
    out.append(' ');
    json::appendInt(out, std::numeric_limits<qint64>::max());
    EXPECT_EQ(out, "-9223372036854775808 9223372036854775807");
}

}  // namespace
