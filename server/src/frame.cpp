#include "frame.h"

#include "jsonwriter.h"

#include <limits>

namespace tessel::server {

namespace {

template <typename Char>
int charAt(const Char* data, qsizetype i)
{
    if constexpr (std::is_same_v<Char, QChar>) {
        return data[i].unicode();
    } else {
        return static_cast<unsigned char>(data[i]);
    }
}

template <typename Char>
FrameHeader parseHeader(const Char* data, qsizetype size)
{
    FrameHeader h;
    qsizetype lineEnd = 0;
    while (lineEnd < size && charAt(data, lineEnd) != '\n') {
        ++lineEnd;
    }
    h.bodyOffset = lineEnd < size ? lineEnd + 1 : size;
    if (lineEnd > 0 && charAt(data, lineEnd - 1) == '\r') {
        --lineEnd;
    }

    qsizetype i = 0;
    quint64 id = 0;
    constexpr quint64 kMaxId = quint64(std::numeric_limits<qint64>::max());
    while (i < lineEnd && charAt(data, i) >= '0' && charAt(data, i) <= '9') {
        const quint64 digit = quint64(charAt(data, i) - '0');
        if (id > (kMaxId - digit) / 10) {  // checked before it could wrap around
            h.error = "request id out of range (1 to 2^63-1)";
            return h;
        }
        id = id * 10 + digit;
        ++i;
    }
    if (i == 0 || id == 0) {
        h.error = "header must start with a request id from 1 to 2^63-1";
        return h;
    }
    if (i >= lineEnd) {
        h.id = qint64(id);
        h.error = "header has no command name";
        return h;
    }
    if (charAt(data, i) != ' ') {
        h.error = "header must be \"<id> <command>\"";
        return h;
    }
    h.id = qint64(id);
    const qsizetype cmdStart = ++i;
    while (i < lineEnd) {
        const int c = charAt(data, i);
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) {
            h.error = "command name must be letters and digits";
            return h;
        }
        ++i;
    }
    if (i == cmdStart) {
        h.error = "header has no command name";
        return h;
    }
    h.command.reserve(int(i - cmdStart));
    for (qsizetype k = cmdStart; k < i; ++k) {
        h.command.append(char(charAt(data, k)));
    }
    return h;
}

}  // namespace

FrameHeader parseFrameHeader(QStringView frame)
{
    return parseHeader(frame.data(), frame.size());
}

FrameHeader parseFrameHeader(const QByteArray& frame)
{
    return parseHeader(frame.constData(), frame.size());
}

qsizetype utf8Length(QStringView text)
{
    qsizetype bytes = 0;
    const QChar* p = text.data();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i].unicode();
        if (c < 0x80) {
            bytes += 1;
        } else if (c < 0x800) {
            bytes += 2;
        } else if (QChar::isSurrogate(c)) {
            if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(p[i + 1].unicode())) {
                bytes += 4;
                ++i;
            } else {
                bytes += 1;  // QString::toUtf8() writes an unpaired surrogate as '?'
            }
        } else {
            bytes += 3;
        }
    }
    return bytes;
}

QByteArray answerPrefix(qint64 id)
{
    QByteArray out;
    out.reserve(256);
    json::appendInt(out, id);
    out.append('\n');
    return out;
}

}  // namespace tessel::server
