// Reading the members of a request object: each reader throws "bad-request" with the member's
// name when it is missing or of the wrong type.
#ifndef TESSEL_SERVER_REQUESTMEMBERS_H
#define TESSEL_SERVER_REQUESTMEMBERS_H

#include "sqlexec.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <functional>
#include <vector>

namespace tessel::server {

[[noreturn]] void badRequest(const QString& reason);

QJsonValue requireMember(const QJsonObject& request, const QString& name);
/// Index of the database named by "DbName"; "bad-database" when it is not one of the four.
int requireDatabase(const QJsonObject& request);
/// A string member as UTF-8.
QByteArray requireString(const QJsonObject& request, const QString& name);
/// A string member as text that must not hold NUL (a file path, a name): Qt would cut it there.
QString requireText(const QJsonObject& request, const QString& name);
/// Like requireText(); absent gives an empty text.
QString optionalText(const QJsonObject& request, const QString& name);
/// An array of strings, none holding NUL.
std::vector<QString> requireTextArray(const QJsonObject& request, const QString& name);
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

class Dispatcher;
struct HandlerContext;
class Lease;
class RowWriter;

/// What a command does on its database once its members are read.
using DatabaseWork = std::function<void(const Lease& lease, QByteArray& out)>;
/// Reads a request's members (with its bind values when `withBinds`) into the work to run.
using WorkReader = std::function<DatabaseWork(HandlerContext& context, const QJsonObject& request,
                                              bool withBinds)>;

/// Adds the command `name` and its variant with bind values, `name` + "Ex". Each reads
/// "DbName", then the members through `read`, leases the database and runs the work on it.
void addDatabaseCommands(Dispatcher& dispatcher, const QByteArray& name, const WorkReader& read);

/// Writes a query answer, {"result":"OK","data":{"ret":[rows]}}, with the rows `fill` writes.
void answerRows(const HandlerContext& context, QByteArray& out, const std::function<void(RowWriter&)>& fill);

}  // namespace tessel::server

#endif
