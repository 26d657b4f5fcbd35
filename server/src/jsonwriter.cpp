#include "jsonwriter.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace tessel::server::json {

void appendString(QByteArray& out, const char* utf8, qsizetype size)
{
    static const char kHex[] = "0123456789abcdef";
    out.append('"');
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0x20 && c != '"' && c != '\\') {
            continue;
        }
        out.append(utf8 + runStart, int(i - runStart));
        runStart = i + 1;
        switch (c) {
            case '"':
                out.append("\\\"", 2);
                break;
            case '\\':
                out.append("\\\\", 2);
                break;
            case '\n':
                out.append("\\n", 2);
                break;
            case '\r':
                out.append("\\r", 2);
                break;
            case '\t':
                out.append("\\t", 2);
                break;
            case '\b':
                out.append("\\b", 2);
                break;
            case '\f':
                out.append("\\f", 2);
                break;
            default: {
                const char esc[6] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]};
                out.append(esc, 6);
            }
        }
    }
    out.append(utf8 + runStart, int(size - runStart));
    out.append('"');
}

void appendInt(QByteArray& out, qint64 value)
{
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, int(res.ptr - buf));
}

void appendReal(QByteArray& out, double value)
{
    if (std::isinf(value)) {
        out.append(value > 0 ? "Inf" : "-Inf");
        return;
    }
    if (std::isnan(value)) {  // SQLite stores NaN as NULL; kept for completeness
        out.append("NaN");
        return;
    }
    char buf[40];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    int len = int(res.ptr - buf);
    if (std::memchr(buf, '.', len) == nullptr && std::memchr(buf, 'e', len) == nullptr) {
        if (len - (value < 0 ? 1 : 0) > 17) {
            // A large whole number written out in full would show more digits than a double holds.
            res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
            len = int(res.ptr - buf);
            out.append(buf, len);
            return;
        }
        out.append(buf, len);
        out.append(".0", 2);
        return;
    }
    out.append(buf, len);
}

}  // namespace tessel::server::json
