#include "dispatcher.h"

#include "jsonscan.h"

#include "frame.h"
#include "hoststatus.h"
#include "jsonwriter.h"
#include "logging.h"
#include "requesterror.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonParseError>

#include <sqlite3.h>

#include <cstring>
#include <new>

namespace tessel::server {

namespace {

/// The time limit of a request: the server's, lowered by a positive "timeoutMs" member.
qint64 statementLimit(const QJsonObject& request, qint64 serverLimitMs)
{
    const QJsonValue asked = request.value(QStringLiteral("timeoutMs"));
    if (!asked.isDouble() || !(asked.toDouble() >= 1)) {
        return serverLimitMs;
    }
    const double ms = asked.toDouble();
    if (serverLimitMs <= 0) {
        return ms >= 9e15 ? 0 : qint64(ms);
    }
    return ms < double(serverLimitMs) ? qint64(ms) : serverLimitMs;
}

/// Sets the calling thread's statement deadline for one request.
class DeadlineScope
{
public:
    explicit DeadlineScope(qint64 limitMs)
    {
        RunLimits& limits = runLimits();
        limits.stopped = RunLimits::Stop::None;
        limits.limitMs = limitMs;
        limits.deadline = limitMs > 0 ? RunLimits::Clock::now() + std::chrono::milliseconds(limitMs)
                                      : RunLimits::Clock::time_point::max();
    }
    ~DeadlineScope()
    {
        runLimits().deadline = RunLimits::Clock::time_point::max();
        runLimits().limitMs = 0;
    }
    DeadlineScope(const DeadlineScope&) = delete;
    DeadlineScope& operator=(const DeadlineScope&) = delete;
};

}  // namespace

Dispatcher::Dispatcher(DatabaseSet& databases) : m_databases(databases)
{
    registerStandardCommands(*this);
    registerPartitionCommands(*this);
    registerMaintenanceCommands(*this);
    registerStatusCommands(*this);
}

void Dispatcher::addCommand(const QByteArray& name, Handler handler)
{
    m_handlers.insert(name, std::move(handler));
}

QByteArray Dispatcher::errorFrame(qint64 id, const RequestError& error)
{
    QByteArray out = answerPrefix(id);
    out.append("{\"result\":\"ERROR\",\"reason\":");
    json::appendString(out, error.reason());
    out.append(",\"code\":");
    json::appendString(out, error.code(), qsizetype(std::strlen(error.code())));
    if (error.sqliteCode() >= 0) {
        out.append(",\"sqliteCode\":");
        json::appendInt(out, error.sqliteCode());
    }
    if (error.failedStatement() >= 0) {
        out.append(",\"failedStatement\":");
        json::appendInt(out, error.failedStatement());
    }
    out.append('}');
    return out;
}

bool isStorageFault(int sqliteCode)
{
    if (sqliteCode < 0) {
        return false;
    }
    switch (sqliteCode & 0xff) {
        case SQLITE_FULL:
        case SQLITE_READONLY:
        case SQLITE_IOERR:
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
        case SQLITE_CANTOPEN:
        case SQLITE_PROTOCOL:
            return true;
        default:
            return false;
    }
}

QByteArray Dispatcher::handleFrame(const QByteArray& frame, const ClientInfo& client,
                                   ConnectionCache& connections) const
{
    const FrameHeader header = parseFrameHeader(frame);
    if (!header.ok()) {
        qCInfo(lcNet, "[c%llu] unreadable frame header: %s", client.connectionId, header.error.constData());
        return errorFrame(header.id, RequestError(code::kBadFrame, header.error));
    }
    return handle(header.id, header.command, frame.mid(int(header.bodyOffset)), client, connections);
}

QByteArray Dispatcher::handle(qint64 id, const QByteArray& command, const QByteArray& body,
                              const ClientInfo& client, ConnectionCache& connections) const
{
    QElapsedTimer timer;
    const bool debug = lcSql().isDebugEnabled();
    if (debug) {
        timer.start();
    }
    QByteArray out = answerPrefix(id);
    RequestRecorder record(*m_stats, hasCommand(command) ? command : QByteArray(ServerStats::kUnknownCommand),
                           client.connectionId, id);
    try {
        const auto it = m_handlers.constFind(command);
        if (it == m_handlers.constEnd()) {
            throw RequestError(code::kUnknownCommand, QByteArray("unknown command \"") + command + '"');
        }
        // Qt 5.15 leaks the earlier value of a repeated member name (an array or object).
        switch (tessel::scanJson(body)) {
            case tessel::JsonScan::Fine:
                break;
            case tessel::JsonScan::RepeatedName:
                throw RequestError(code::kBadJson,
                                   QByteArray("request body names the same member twice in one object"));
            case tessel::JsonScan::TooDeep:
                throw RequestError(code::kBadJson, QStringLiteral("request body nests arrays and objects "
                                                                  "deeper than %1 levels")
                                                       .arg(tessel::kMaxJsonDepth));
        }
        QJsonParseError parseError;
        const QJsonDocument doc = QJsonDocument::fromJson(body, &parseError);
        if (parseError.error != QJsonParseError::NoError) {
            throw RequestError(code::kBadJson,
                               QStringLiteral("request body is not valid JSON: %1 at offset %2")
                                   .arg(parseError.errorString())
                                   .arg(parseError.offset));
        }
        if (!doc.isObject()) {
            throw RequestError(code::kBadJson, QByteArray("request body must be a JSON object"));
        }
        const QJsonObject request = doc.object();
        const DeadlineScope deadline(statementLimit(request, m_statementLimitMs));
        HandlerContext context{*this, client, connections, id};
        it.value()(context, request, out);
        if (debug) {
            qCDebug(lcSql, "[c%llu] #%lld %s ok, %lld bytes, %.3f ms", client.connectionId, id,
                    command.constData(), qint64(out.size()), double(timer.nsecsElapsed()) / 1e6);
        }
        record.succeeded();
        return out;
    } catch (const LaneExpired&) {
        record.dropped();
        throw;
    } catch (const RequestError& e) {
        if (isStorageFault(e.sqliteCode())) {
            // The disk or the files, not the request: the operator must act.
            qCCritical(lcSql, "[c%llu] #%lld %s failed (%s): %s", client.connectionId, id, command.constData(),
                       e.code(), e.reason().constData());
        } else {
            qCInfo(lcSql, "[c%llu] #%lld %s failed (%s): %s", client.connectionId, id, command.constData(),
                   e.code(), e.reason().constData());
        }
        return errorFrame(id, e);
    } catch (const std::bad_alloc&) {
        out.clear();
        out.squeeze();
        qCWarning(lcSql, "[c%llu] #%lld %s: out of memory", client.connectionId, id, command.constData());
        return errorFrame(id, RequestError(code::kInternal, QByteArray("out of memory")));
    } catch (const std::exception& e) {
        qCWarning(lcSql, "[c%llu] #%lld %s: %s", client.connectionId, id, command.constData(), e.what());
        return errorFrame(id, RequestError(code::kInternal, QByteArray("internal error: ") + e.what()));
    } catch (...) {
        qCWarning(lcSql, "[c%llu] #%lld %s: unknown exception", client.connectionId, id, command.constData());
        return errorFrame(id, RequestError(code::kInternal, QByteArray("internal error")));
    }
}

}  // namespace tessel::server
