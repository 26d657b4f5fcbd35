// Handler of ServerStatus: the server's running figures and the sizes of its database files.
#include "dispatcher.h"
#include "serverstatus.h"

#include <QJsonDocument>

namespace tessel::server {

namespace {

void handleServerStatus(HandlerContext& context, const QJsonObject&, QByteArray& out)
{
    QJsonObject data = statusJson(statusReport(context.dispatcher));
    data.insert(QStringLiteral("ret"), 0);
    const QJsonObject answer{{QStringLiteral("result"), QStringLiteral("OK")},
                             {QStringLiteral("data"), data}};
    out.append(QJsonDocument(answer).toJson(QJsonDocument::Compact));
}

}  // namespace

void registerStatusCommands(Dispatcher& dispatcher)
{
    dispatcher.addCommand("ServerStatus", handleServerStatus);
}

}  // namespace tessel::server
