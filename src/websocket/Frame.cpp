#include "Frame.h"

#include <QJsonDocument>

namespace tessel::ws {

namespace {
// 2^63-1 has 19 digits.
constexpr int kMaxIdDigits = 19;
constexpr quint64 kMaxId = quint64(9223372036854775807ULL);
}  // namespace

FrameHeader parseFrameHeader(const QString& _strMessage)
{
    FrameHeader header;
    const QChar* p = _strMessage.constData();
    const int iScan = qMin(_strMessage.size(), kMaxIdDigits + 1);
    int iNewline = -1;
    for (int i = 0; i < iScan; ++i) {
        if (p[i] == QLatin1Char('\n')) {
            iNewline = i;
            break;
        }
    }
    if (iNewline <= 0)
        return header;
    header.bodyOffset = iNewline + 1;
    if (iNewline == 1 && p[0] == QLatin1Char('*')) {
        header.kind = FrameKind::Broadcast;
        return header;
    }
    quint64 uId = 0;
    for (int i = 0; i < iNewline; ++i) {
        const ushort c = p[i].unicode();
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

QString buildRequestFrame(quint64 _uId, const QString& _strCommand, const QJsonObject& _jsonRequest)
{
    const QByteArray body = QJsonDocument(_jsonRequest).toJson(QJsonDocument::Compact);
    const QString strId = QString::number(_uId);
    QString frame;
    frame.reserve(strId.size() + _strCommand.size() + 2 + body.size());
    frame += strId;
    frame += QLatin1Char(' ');
    frame += _strCommand;
    frame += QLatin1Char('\n');
    frame += QString::fromUtf8(body);
    return frame;
}

QString excerpt(const QString& _str, int _iMax)
{
    if (_str.size() <= _iMax)
        return _str;
    return _str.left(_iMax) + QStringLiteral("... (%1 characters)").arg(_str.size());
}

}  // namespace tessel::ws
