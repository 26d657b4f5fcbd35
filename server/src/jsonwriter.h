// Appends JSON text to a byte buffer. Answers are written with these instead of QJsonObject
// trees: a query answer of many rows is one buffer grown in place.
#ifndef TESSEL_SERVER_JSONWRITER_H
#define TESSEL_SERVER_JSONWRITER_H

#include <QByteArray>

namespace tessel::server::json {

/// Appends `"..."`: quote, backslash and control characters escaped (\n, \t, ... or \u00XX);
/// every other byte, UTF-8 sequences included, is copied as it is.
void appendString(QByteArray& out, const char* utf8, qsizetype size);
inline void appendString(QByteArray& out, const QByteArray& utf8)
{
    appendString(out, utf8.constData(), utf8.size());
}

/// Appends a 64-bit integer in decimal (no quotes).
void appendInt(QByteArray& out, qint64 value);

/// Appends the shortest text that reads back as the same double (no quotes). A value that would
/// look like an integer gets ".0" ("3.0"), infinities are "Inf" and "-Inf" as SQLite writes them.
void appendReal(QByteArray& out, double value);

}  // namespace tessel::server::json

#endif
