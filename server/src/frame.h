// Frame header parsing: "<id> <command>\n<json body>".
#ifndef TESSEL_SERVER_FRAME_H
#define TESSEL_SERVER_FRAME_H

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace tessel::server {

struct FrameHeader
{
    qint64 id = 0;       ///< 0 when the id could not be read
    QByteArray command;  ///< letters and digits; empty when unreadable
    qsizetype bodyOffset = 0;
    QByteArray error;  ///< empty when the header is good
    bool ok() const { return error.isEmpty(); }
};

/// Reads the header line of a request frame. On failure `error` says why and `id` holds the id
/// when that part could still be read (the answer then carries it), otherwise 0.
FrameHeader parseFrameHeader(QStringView frame);
FrameHeader parseFrameHeader(const QByteArray& frame);

/// Number of bytes QString::toUtf8() makes of `text`.
qsizetype utf8Length(QStringView text);

/// "<id>\n": the start of every answer frame.
QByteArray answerPrefix(qint64 id);

}  // namespace tessel::server

#endif
