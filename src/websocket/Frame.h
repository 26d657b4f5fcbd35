// Frame text of the wire protocol: request frames out, header line of incoming frames.
#ifndef TESSEL_WS_FRAME_H
#define TESSEL_WS_FRAME_H

#include <QJsonObject>
#include <QString>
#include <QtGlobal>

namespace tessel::ws {

enum class FrameKind
{
    Answer,     ///< "<id>\n<json>": id > 0
    Broadcast,  ///< "*\n<text>"
    IdZero,     ///< "0\n<json>": the server could not read one of our headers
    Malformed,  ///< anything else
};

struct FrameHeader
{
    FrameKind kind = FrameKind::Malformed;
    quint64 id = 0;      ///< for Answer
    int bodyOffset = 0;  ///< index of the first character after the header's '\n'
};

/// Reads only the header line; never scans more than the longest possible header.
FrameHeader parseFrameHeader(const QString& _strMessage);
/// The same on the UTF-8 bytes of a frame (the header is ASCII); bodyOffset counts bytes.
FrameHeader parseFrameHeader(const char* _pData, size_t _uSize);

/// Command names are ASCII letters and digits, at least one.
bool isValidCommand(const QString& _strCommand);

/// "<id> <command>\n<compact JSON>".
QString buildRequestFrame(quint64 _uId, const QString& _strCommand, const QJsonObject& _jsonRequest);
/// The same frame as the UTF-8 bytes that go on the wire (the command is ASCII).
QByteArray buildRequestFrameUtf8(quint64 _uId, const QString& _strCommand, const QJsonObject& _jsonRequest);

/// At most _iMax characters of _str, for log lines about frames that may be huge.
QString excerpt(const QString& _str, int _iMax = 120);

}  // namespace tessel::ws

#endif  // TESSEL_WS_FRAME_H
