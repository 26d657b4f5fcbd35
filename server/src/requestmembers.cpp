#include "requestmembers.h"

#include "dispatcher.h"
#include "requesterror.h"

#include <QJsonArray>
#include <QVariant>

#include <cmath>

namespace tessel::server {

void badRequest(const QString& reason)
{
    throw RequestError(code::kBadRequest, reason);
}

QJsonValue requireMember(const QJsonObject& request, const QString& name)
{
    const QJsonValue v = request.value(name);
    if (v.isUndefined()) {
        badRequest(QStringLiteral("member \"%1\" is missing").arg(name));
    }
    return v;
}

int requireDatabase(const QJsonObject& request)
{
    const QJsonValue v = requireMember(request, QStringLiteral("DbName"));
    if (!v.isString()) {
        badRequest(QStringLiteral("member \"DbName\" must be a string"));
    }
    const QString name = v.toString();
    const int index = databaseIndex(name);
    if (index < 0) {
        throw RequestError(code::kBadDatabase,
                           QStringLiteral("unknown database \"%1\"; \"DbName\" must be one of %2")
                               .arg(name.left(100), databaseNameList()));
    }
    return index;
}

QByteArray requireString(const QJsonObject& request, const QString& name)
{
    const QJsonValue v = requireMember(request, name);
    if (!v.isString()) {
        badRequest(QStringLiteral("member \"%1\" must be a string").arg(name));
    }
    return v.toString().toUtf8();
}

namespace {

QString checkedText(const QJsonValue& v, const QString& name)
{
    const QString text = v.toString();
    if (text.contains(QChar(0))) {
        badRequest(QStringLiteral("member \"%1\" must not contain NUL").arg(name));
    }
    return text;
}

/// An array member of strings, each converted by `convert`.
template <typename T, typename Convert>
std::vector<T> stringArray(const QJsonObject& request, const QString& name, Convert convert)
{
    const QJsonValue v = requireMember(request, name);
    if (!v.isArray()) {
        badRequest(QStringLiteral("member \"%1\" must be an array of strings").arg(name));
    }
    const QJsonArray array = v.toArray();
    std::vector<T> out;
    out.reserve(size_t(array.size()));
    for (int i = 0; i < array.size(); ++i) {
        if (!array.at(i).isString()) {
            badRequest(QStringLiteral("member \"%1\" must be an array of strings (element %2 is not)")
                           .arg(name)
                           .arg(i));
        }
        out.push_back(convert(array.at(i)));
    }
    return out;
}

}  // namespace

QString requireText(const QJsonObject& request, const QString& name)
{
    const QJsonValue v = requireMember(request, name);
    if (!v.isString()) {
        badRequest(QStringLiteral("member \"%1\" must be a string").arg(name));
    }
    return checkedText(v, name);
}

QString optionalText(const QJsonObject& request, const QString& name)
{
    return request.contains(name) ? requireText(request, name) : QString();
}

std::vector<QString> requireTextArray(const QJsonObject& request, const QString& name)
{
    return stringArray<QString>(request, name, [&](const QJsonValue& v) { return checkedText(v, name); });
}

QByteArray optionalString(const QJsonObject& request, const QString& name, const QByteArray& fallback)
{
    const QJsonValue v = request.value(name);
    if (v.isUndefined()) {
        return fallback;
    }
    if (!v.isString()) {
        badRequest(QStringLiteral("member \"%1\" must be a string").arg(name));
    }
    return v.toString().toUtf8();
}

qint64 optionalInteger(const QJsonObject& request, const QString& name, qint64 fallback, qint64 minimum,
                       qint64 maximum)
{
    const QJsonValue v = request.value(name);
    if (v.isUndefined()) {
        return fallback;
    }
    const QString range = QStringLiteral("a whole number from %1 to %2").arg(minimum).arg(maximum);
    if (!v.isDouble()) {
        badRequest(QStringLiteral("member \"%1\" must be %2").arg(name, range));
    }
    // Qt keeps whole numbers that fit 64 bits as integers.
    const QVariant var = v.toVariant();
    qint64 value = 0;
    if (var.userType() == QMetaType::LongLong) {
        value = var.toLongLong();
    } else {
        const double d = v.toDouble();
        if (d != std::floor(d) || std::fabs(d) > 9e15) {
            badRequest(QStringLiteral("member \"%1\" must be %2").arg(name, range));
        }
        value = qint64(d);
    }
    if (value < minimum || value > maximum) {
        badRequest(QStringLiteral("member \"%1\" must be %2 (it is %3)").arg(name, range).arg(value));
    }
    return value;
}

bool optionalBool(const QJsonObject& request, const QString& name, bool fallback)
{
    const QJsonValue v = request.value(name);
    if (v.isUndefined()) {
        return fallback;
    }
    if (!v.isBool()) {
        badRequest(QStringLiteral("member \"%1\" must be true or false").arg(name));
    }
    return v.toBool();
}

std::vector<QByteArray> requireStringArray(const QJsonObject& request, const QString& name)
{
    return stringArray<QByteArray>(request, name, [](const QJsonValue& v) { return v.toString().toUtf8(); });
}

BindValues requireBindObject(const QJsonObject& request)
{
    const QJsonValue v = requireMember(request, QStringLiteral("bindValue"));
    if (!v.isObject()) {
        badRequest(QStringLiteral("member \"bindValue\" must be an object"));
    }
    return bindValuesFromJson(v.toObject());
}

void writeOk(QByteArray& out)
{
    out.append("{\"result\":\"OK\",\"data\":{\"ret\":0}}");
}

void addDatabaseCommands(Dispatcher& dispatcher, const QByteArray& name, const WorkReader& read)
{
    for (const bool withBinds : {false, true}) {
        dispatcher.addCommand(withBinds ? name + "Ex" : name,
                              [read, withBinds](HandlerContext& context, const QJsonObject& request,
                                                QByteArray& out) {
                                  const int database = requireDatabase(request);
                                  const DatabaseWork work = read(context, request, withBinds);
                                  const Lease lease =
                                      context.dispatcher.databases().acquire(database, context.connections);
                                  work(lease, out);
                              });
    }
}

void answerRows(const HandlerContext& context, QByteArray& out, const std::function<void(RowWriter&)>& fill)
{
    out.append("{\"result\":\"OK\",\"data\":{\"ret\":[");
    RowWriter rows(out, context.dispatcher.maxAnswerBytes());
    fill(rows);
    out.append("]}}");
}

}  // namespace tessel::server
