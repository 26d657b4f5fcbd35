// Client of scripts/reliability.sh: replays the requests of hostile and careless clients
// against a running tessel-dbserver ("cases") and runs the soak ("soak").
//
//   reliability_client cases URL BACKUP_FOLDER_NAME
//   reliability_client soak URL SECONDS CONNECTIONS
//
// URL is the plain WebSocket port, e.g. ws://127.0.0.1:9564. Prints one line per case, and the
// soak's figures as "key value" lines.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkRequest>
#include <QSemaphore>
#include <QThread>
#include <QTimer>
#include <QWebSocket>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

QByteArray frame(qint64 id, const QByteArray& command, const QJsonObject& body)
{
    return QByteArray::number(id) + ' ' + command + '\n' + QJsonDocument(body).toJson(QJsonDocument::Compact);
}

QString chainedWith(int tables)
{
    QString sql = QStringLiteral("WITH c0 AS (SELECT 1 AS x)");
    for (int i = 1; i < tables; ++i) {
        sql += QStringLiteral(", c%1 AS (SELECT x FROM c%2)").arg(i).arg(i - 1);
    }
    return sql + QStringLiteral(" SELECT x FROM c%1").arg(tables - 1);
}

const char* const kEndless =
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT count(*) FROM c";

/// One connection that sends a frame and waits for its answer.
class Connection
{
public:
    bool open(const QUrl& url, const QByteArray& origin = QByteArray(), int waitMs = 5000)
    {
        QObject::connect(&m_socket, &QWebSocket::textMessageReceived, [this](const QString& m) {
            if (m.startsWith(QLatin1String("*\n"))) {
                return;  // a broadcast, not the answer
            }
            m_last = m;
            m_loop.quit();
        });
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, &m_loop, &QEventLoop::quit);
        QObject::connect(&m_socket, &QWebSocket::disconnected, [this] {
            m_closed = true;
            m_loop.quit();
        });
        QObject::connect(&m_socket, &QWebSocket::connected, [this] { m_loop.quit(); });
        QNetworkRequest request(url);
        if (!origin.isEmpty()) {
            request.setRawHeader("Origin", origin);
        }
        m_socket.open(request);
        wait(waitMs);
        if (m_socket.state() == QAbstractSocket::ConnectedState) {
            wait(300);  // a refused handshake is closed right after the upgrade
        }
        return m_socket.state() == QAbstractSocket::ConnectedState && !m_closed;
    }

    /// The answer text, or "(closed ...)" / "(no answer)".
    QString call(const QByteArray& command, const QJsonObject& body, int waitMs = 60000)
    {
        return callRaw(frame(++m_id, command, body), waitMs);
    }

    QString callRaw(const QByteArray& text, int waitMs = 60000)
    {
        m_last.clear();
        m_socket.sendTextMessage(QString::fromUtf8(text));
        wait(waitMs);
        if (!m_last.isEmpty()) {
            return m_last;
        }
        return m_closed ? QStringLiteral("(closed: %1)").arg(m_socket.closeReason()) : QStringLiteral("(no answer)");
    }

    void wait(int ms)
    {
        m_timer.start(ms);  // one timer: an earlier wait's cannot end this one
        m_loop.exec();
        m_timer.stop();
    }

    QWebSocket m_socket;
    QEventLoop m_loop;
    QTimer m_timer;
    QString m_last;
    bool m_closed = false;
    qint64 m_id = 0;
};

/// Sends `count` requests for 256 KiB answers on a connection of its own, then reads nothing
/// for `holdMs` (its thread is blocked). Returns whether the server closed it meanwhile.
bool nonReader(const QUrl& url, int count, int holdMs)
{
    bool closed = false;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        QWebSocket socket;
        QEventLoop loop;
        QTimer timer;  // one timer, restarted: a first wait's timeout cannot end the second wait
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        QObject::connect(&socket, &QWebSocket::connected, &loop, &QEventLoop::quit);
        timer.start(5000);
        socket.open(QNetworkRequest(url));
        loop.exec();
        for (int i = 0; i < count; ++i) {
            socket.sendTextMessage(QString::fromUtf8(frame(
                i + 1, "ExecuteQuery", {{"DbName", "Tessel"}, {"sqlexec", "SELECT hex(randomblob(131072))"}})));
        }
        socket.flush();
        QThread::msleep(holdMs);  // not reading
        QObject::connect(&socket, &QWebSocket::disconnected, &loop, &QEventLoop::quit);
        timer.start(15000);
        if (socket.state() == QAbstractSocket::ConnectedState) {
            loop.exec();  // the close the server made arrives now
        }
        closed = socket.state() != QAbstractSocket::ConnectedState;
    }));
    thread->start();
    QEventLoop wait;
    QObject::connect(thread.get(), &QThread::finished, &wait, &QEventLoop::quit);
    wait.exec();
    return closed;
}

/// "OK" or "ERROR <code>: <reason>" of an answer frame, shortened.
QString outcome(const QString& answer)
{
    const int newline = answer.indexOf('\n');
    if (answer.startsWith('(') || newline < 0) {
        return answer.left(160);
    }
    const QJsonObject o = QJsonDocument::fromJson(answer.mid(newline + 1).toUtf8()).object();
    const QJsonObject data = o.value("data").toObject();
    for (const char* list : {"restoreResult", "backupResult"}) {
        if (data.contains(list)) {
            return QStringLiteral("%1 %2").arg(o.value("result").toString(),
                                               QString::fromUtf8(QJsonDocument(data.value(list).toArray()).toJson(QJsonDocument::Compact)));
        }
    }
    if (o.value("result").toString() == "OK") {
        return QStringLiteral("OK (id %1) %2").arg(answer.left(newline), answer.mid(newline + 1, 100));
    }
    return QStringLiteral("ERROR %1: %2").arg(o.value("code").toString(), o.value("reason").toString().left(140));
}

void print(const char* fault, const QString& request, const QString& result)
{
    // A row of docs/reliability.md's table.
    QString outcome = result;
    outcome.replace('|', QLatin1String("\\|"));
    std::printf("| %s | %s | %s |\n", fault, qPrintable(request.left(90)), qPrintable(outcome));
    std::fflush(stdout);
}

int runCases(const QUrl& url, const QString& evilFolder)
{
    Connection c;
    if (!c.open(url)) {
        std::fprintf(stderr, "cannot connect to %s\n", qPrintable(url.toString()));
        return 1;
    }
    const auto query = [&](const QString& sql, const QJsonObject& extra = {}) {
        QJsonObject body{{"DbName", "Tessel"}, {"sqlexec", sql}};
        for (auto it = extra.begin(); it != extra.end(); ++it) {
            body.insert(it.key(), it.value());
        }
        return outcome(c.call("ExecuteQuery", body));
    };
    const QString alive = QStringLiteral("SELECT 'alive'");
    std::printf("| Fault | Request | What the server does |\n|---|---|---|\n");
    print("1", "WITH of 40,000 chained tables (1.3 MB)", query(chainedWith(40000)));
    print("1", "then: " + alive, query(alive));
    print("2", "SELECT hex(zeroblob(400000000))", query("SELECT hex(zeroblob(400000000))"));
    print("2", "SELECT zeroblob(999999999)", query("SELECT zeroblob(999999999)"));
    {
        Connection page;
        const bool in = page.open(url, "http://evil.example");
        print("3", "handshake with Origin: http://evil.example",
              in ? QStringLiteral("let in") : QStringLiteral("refused: %1").arg(page.m_socket.closeReason()));
    }
    QElapsedTimer clock;
    clock.start();
    const QString endless = query(kEndless, {{"timeoutMs", 2000}});
    print("4", QStringLiteral("endless recursive query, \"timeoutMs\":2000 (%1 ms)").arg(clock.elapsed()), endless);
    for (const char* pragma : {"PRAGMA query_only=1", "PRAGMA locking_mode=EXCLUSIVE", "PRAGMA temp_store_directory='/tmp'"}) {
        print("5", pragma, outcome(c.call("Execute", {{"DbName", "Tessel"}, {"sqlexec", pragma}})));
    }
    const QString created =
        outcome(c.call("Execute", {{"DbName", "Tessel"}, {"sqlexec", "CREATE TABLE IF NOT EXISTS RELIABILITY_PROBE (X)"}}));
    const QString inserted =
        outcome(c.call("Execute", {{"DbName", "Tessel"}, {"sqlexec", "INSERT INTO RELIABILITY_PROBE VALUES (1)"}}));
    print("5", "then: a table created and written", created.left(6) + " / " + inserted.left(6));
    print("6", "body naming \"\\n\" and \"\\u000a\"",
          outcome(c.callRaw("901 ExecuteQuery\n{\"DbName\":\"Tessel\",\"sqlexec\":\"SELECT 1\",\"\\n\":[1],\"\\u000a\":[2]}")));
    print("7", "RestoreDatabase from a folder whose Tessel.db links outside",
          outcome(c.call("RestoreDatabase", {{"filePath", evilFolder}, {"dbArray", QJsonArray{"Tessel"}}})));
    print("8", "600 answers of 256 KiB to a client that stops reading for 20 s",
          nonReader(url, 600, 20000) ? QStringLiteral("closed by the server") : QStringLiteral("still open"));
    print("10", "8 MiB body of \"[\"", outcome(c.callRaw("902 ExecuteQuery\n" + QByteArray(8 << 20, '['))));
    print("10", "filePath with NUL", outcome(c.call("BackupDatabase", {{"filePath", QStringLiteral("bk") + QChar(0) + "x"}, {"dbArray", QJsonArray{"Tessel"}}})));
    print("10", "request id 2^64+1", outcome(c.callRaw("18446744073709551617 ExecuteQuery\n{\"DbName\":\"Tessel\",\"sqlexec\":\"SELECT 1\"}")));
    print("all", "after every case: " + alive, query(alive));
    return 0;
}

/// The soak: ordinary clients measure their latency; one hostile client cycles through the
/// cases above.
int runSoak(const QUrl& url, int seconds, int connections)
{
    struct Ordinary
    {
        std::unique_ptr<QWebSocket> socket = std::make_unique<QWebSocket>();
        QElapsedTimer sent;
        qint64 id = 0;
        QByteArray command;
        bool waiting = false;
    };
    int hostileStep = -1;
    std::vector<qint64> latenciesUs;
    qint64 failures = 0;
    qint64 hostileRequests = 0;
    qint64 hostileClosed = 0;
    QElapsedTimer clock;
    clock.start();
    const qint64 endMs = qint64(seconds) * 1000;

    // The table the ordinary clients write and read.
    {
        Connection setup;
        if (!setup.open(url)) {
            std::fprintf(stderr, "cannot connect\n");
            return 1;
        }
        setup.call("Execute", {{"DbName", "Tessel"},
                               {"sqlexec", "CREATE TABLE IF NOT EXISTS SOAK_ITEM (ID INTEGER PRIMARY KEY, "
                                           "CLIENT INTEGER, NAME TEXT)"}});
    }

    std::vector<std::unique_ptr<Ordinary>> clients;
    std::function<void(Ordinary&, int)> next = [&](Ordinary& o, int number) {
        if (clock.elapsed() >= endMs) {
            return;
        }
        ++o.id;
        QJsonObject body{{"DbName", "Tessel"}};
        QByteArray command;
        switch (o.id % 4) {
            case 0:
                command = "ExecuteEx";
                body.insert("sqlexec", "INSERT INTO SOAK_ITEM (CLIENT, NAME) VALUES (:c, :n)");
                body.insert("bindValue", QJsonObject{{":c", number}, {":n", QStringLiteral("item %1").arg(o.id)}});
                break;
            case 1:
                command = "ExecuteQueryEx";
                body.insert("sqlexec", "SELECT ID, NAME FROM SOAK_ITEM WHERE CLIENT = :c ORDER BY ID DESC LIMIT 20");
                body.insert("bindValue", QJsonObject{{":c", number}});
                break;
            case 2:
                command = "ExecuteTransaction";
                body.insert("sqlexec", QJsonArray{QStringLiteral("UPDATE SOAK_ITEM SET NAME = NAME WHERE CLIENT = %1 AND ID IN (SELECT max(ID) FROM SOAK_ITEM WHERE CLIENT = %1)").arg(number),
                                                  QStringLiteral("DELETE FROM SOAK_ITEM WHERE CLIENT = %1 AND ID < (SELECT max(ID) - 200 FROM SOAK_ITEM WHERE CLIENT = %1)").arg(number)});
                break;
            default:
                command = "ExecuteQuery";
                body.insert("sqlexec", "SELECT count(*) FROM SOAK_ITEM");
        }
        o.command = command;
        o.waiting = true;
        o.sent.start();
        o.socket->sendTextMessage(QString::fromUtf8(frame(o.id, command, body)));
    };
    for (int i = 0; i < connections - 1; ++i) {
        clients.push_back(std::make_unique<Ordinary>());
        Ordinary* o = clients.back().get();
        QObject::connect(o->socket.get(), &QWebSocket::textMessageReceived, [&, o, i](const QString& m) {
            if (m.startsWith('*')) {
                return;  // a broadcast
            }
            const qint64 us = o->sent.nsecsElapsed() / 1000;
            latenciesUs.push_back(us);
            if (us > 1000000) {
                std::fprintf(stderr, "slow answer: client %d request %lld (%s) %.1f s, at %.1f s, hostile step %d\n", i,
                             o->id, o->command.constData(), double(us) / 1e6, double(clock.elapsed()) / 1000.0,
                             hostileStep);
            }
            o->waiting = false;
            if (!m.startsWith(QString::number(o->id) + '\n') || !m.contains("\"result\":\"OK\"")) {
                ++failures;
                std::fprintf(stderr, "ordinary client %d failed: %s\n", i, qPrintable(m.left(200)));
            }
            next(*o, i);
        });
        QObject::connect(o->socket.get(), &QWebSocket::connected, [&, o, i] { next(*o, i); });
        QObject::connect(o->socket.get(), &QWebSocket::disconnected, [&, o, i] {
            if (clock.elapsed() < endMs) {
                ++failures;
                std::fprintf(stderr, "ordinary client %d disconnected\n", i);
            }
        });
        o->socket->open(url);
    }

    // The hostile client: one request at a time, each case in turn; the non-reading case uses
    // a connection of its own that the server closes.
    const QStringList hostileSql{chainedWith(40000), QStringLiteral("SELECT hex(zeroblob(400000000))"),
                                 QString::fromLatin1(kEndless), QStringLiteral("PRAGMA query_only=1"),
                                 QStringLiteral("PRAGMA locking_mode=EXCLUSIVE"), QStringLiteral("SELECT zeroblob(999999999)")};
    QTimer hostileTimer;
    int step = 0;
    auto hostile = std::make_unique<Connection>();
    hostile->open(url);
    QObject::connect(&hostileTimer, &QTimer::timeout, [&] {
        hostileTimer.stop();
        if (clock.elapsed() >= endMs) {
            return;
        }
        hostileStep = step % 7;
        if (step % 7 == 6) {
            hostileClosed += nonReader(url, 400, 10000) ? 1 : 0;
            hostileRequests += 400;
        } else {
            // The endless query is left to the server's own limit (a slow statement for that long).
            // Waits at most 2 s for an answer, so that slow statements pile up on the server.
            hostile->call(step % 7 == 3 ? "Execute" : "ExecuteQuery",
                          {{"DbName", "Tessel"}, {"sqlexec", hostileSql.at(step % 7 == 3 ? 3 : (step % 7) % 6)}},
                          2000);
            ++hostileRequests;
        }
        ++step;
        hostileStep = -1;
        hostileTimer.start(10);
    });
    hostileTimer.start(10);

    QEventLoop loop;
    QTimer progress;
    QObject::connect(&progress, &QTimer::timeout, [&] {
        if (clock.elapsed() >= endMs + 15000) {
            loop.quit();
            return;
        }
        bool anyWaiting = false;
        for (const auto& o : clients) {
            if (o->waiting && o->sent.elapsed() > 15000) {
                ++failures;
                std::fprintf(stderr, "an ordinary request went unanswered for 15 s\n");
                o->waiting = false;
            }
            anyWaiting = anyWaiting || o->waiting;
        }
        if (clock.elapsed() >= endMs && !anyWaiting) {
            loop.quit();
        }
    });
    progress.start(500);
    loop.exec();

    std::sort(latenciesUs.begin(), latenciesUs.end());
    const auto at = [&](double q) {
        return latenciesUs.empty() ? 0.0 : double(latenciesUs[size_t(q * double(latenciesUs.size() - 1))]) / 1000.0;
    };
    std::printf("seconds %d\nconnections %d\nordinary_requests %zu\nordinary_failures %lld\n"
                "p50_ms %.2f\np99_ms %.2f\nmax_ms %.2f\nhostile_requests %lld\nhostile_non_readers_closed %lld\n",
                seconds, connections, latenciesUs.size(), failures, at(0.5), at(0.99), at(1.0), hostileRequests,
                hostileClosed);
    return failures == 0 ? 0 : 3;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 4 && args.at(1) == "cases") {
        return runCases(QUrl(args.at(2)), args.at(3));
    }
    if (args.size() >= 5 && args.at(1) == "soak") {
        return runSoak(QUrl(args.at(2)), args.at(3).toInt(), args.at(4).toInt());
    }
    std::fprintf(stderr, "usage: %s cases URL EVIL_FOLDER | soak URL SECONDS CONNECTIONS\n", argv[0]);
    return 2;
}
