#include "Frame.h"

#include <QJsonDocument>

namespace tessel::ws {

namespace {
// 2^63-1 has 19 digits.
constexpr int kMaxIdDigits = 19;
constexpr quint64 kMaxId = quint64(9223372036854775807ULL);

// Char is QChar or char: the header line is ASCII either way.
template <typename Char>
FrameHeader parseHeader(const Char* _p, size_t _uSize)
{
    FrameHeader header;
    const int iScan = int(qMin<size_t>(_uSize, kMaxIdDigits + 1));
    int iNewline = -1;
    for (int i = 0; i < iScan; ++i) {
        if (_p[i] == '\n') {
            iNewline = i;
            break;
        }
    }
    if (iNewline <= 0)
        return header;
    header.bodyOffset = iNewline + 1;
    if (iNewline == 1 && _p[0] == '*') {
        header.kind = FrameKind::Broadcast;
        return header;
    }
    quint64 uId = 0;
    for (int i = 0; i < iNewline; ++i) {
        const ushort c = ushort(_p[i]);
        if (c < '0' || c > '9')
            return header;
        const quint64 uDigit = c - '0';
        if (uId > (kMaxId - uDigit) / 10)
            return header;
        uId = uId * 10 + uDigit;
    }
    header.id = uId;
    header.kind = uId == 0 ? FrameKind::IdZero : FrameKind::Answer;
    return header;
}

}  // namespace

FrameHeader parseFrameHeader(const QString& _strMessage)
{
    return parseHeader(reinterpret_cast<const ushort*>(_strMessage.constData()), size_t(_strMessage.size()));
}

FrameHeader parseFrameHeader(const char* _pData, size_t _uSize)
{
    return parseHeader(reinterpret_cast<const unsigned char*>(_pData), _uSize);
}

bool isValidCommand(const QString& _strCommand)
{
    if (_strCommand.isEmpty())
        return false;
    for (const QChar c : _strCommand) {
        const ushort u = c.unicode();
        const bool bAlnum = (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
        if (!bAlnum)
            return false;
    }
    return true;
}

QByteArray buildRequestFrameUtf8(quint64 _uId, const QString& _strCommand, const QJsonObject& _jsonRequest)
{
    const QByteArray body = QJsonDocument(_jsonRequest).toJson(QJsonDocument::Compact);
    const QByteArray id = QByteArray::number(_uId);
    QByteArray frame;
    frame.reserve(id.size() + _strCommand.size() + 2 + body.size());
    frame += id;
    frame += ' ';
    frame += _strCommand.toLatin1();
    frame += '\n';
    frame += body;
    return frame;
}

QString buildRequestFrame(quint64 _uId, const QString& _strCommand, const QJsonObject& _jsonRequest)
{
    return QString::fromUtf8(buildRequestFrameUtf8(_uId, _strCommand, _jsonRequest));
}

QString excerpt(const QString& _str, int _iMax)
{
    if (_str.size() <= _iMax)
        return _str;
    return _str.left(_iMax) + QStringLiteral("... (%1 characters)").arg(_str.size());
}

}  // namespace tessel::ws
