// Reading the members of a request object: each reader throws "bad-request" with the member's
// name when it is missing or of the wrong type.
#ifndef TESSEL_SERVER_REQUESTMEMBERS_H
#define TESSEL_SERVER_REQUESTMEMBERS_H

#include "sqlexec.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <vector>

namespace tessel::server {

[[noreturn]] void badRequest(const QString& reason);

QJsonValue requireMember(const QJsonObject& request, const QString& name);
/// Index of the database named by "DbName"; "bad-database" when it is not one of the four.
int requireDatabase(const QJsonObject& request);
/// A string member as UTF-8.
QByteArray requireString(const QJsonObject& request, const QString& name);
/// A string member that may be absent (then `fallback`).
QByteArray optionalString(const QJsonObject& request, const QString& name, const QByteArray& fallback = {});
/// A whole number within [minimum, maximum]; absent gives `fallback`.
qint64 optionalInteger(const QJsonObject& request, const QString& name, qint64 fallback, qint64 minimum,
                       qint64 maximum);
/// A boolean member; absent gives `fallback`.
bool optionalBool(const QJsonObject& request, const QString& name, bool fallback);
/// An array of strings (UTF-8).
std::vector<QByteArray> requireStringArray(const QJsonObject& request, const QString& name);
/// The "bindValue" object.
BindValues requireBindObject(const QJsonObject& request);

void writeOk(QByteArray& out);

}  // namespace tessel::server

#endif
