// Faults against a real server: killed with SIGKILL in the middle of a stream of transactions
// and restarted, a request over the frame limit, and peers that send garbage on every channel
// while the data layer goes on with its own requests.
#include "CLS_RemoteDBHandler.h"
#include "LogCapture.h"
#include "IntegrationFixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTest>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr int kTimeout = 3;               // seconds, as the data layer passes it
constexpr int kMaxFrameMb = 1;            // the server's request limit in these tests
constexpr int kHandshakeLimitMs = 10000;  // the server's TLS and WebSocket handshake limits

using itest::waitFor;

int status()
{
    return CLS_RemoteDBHandler::m_iConnectedStatus.load();
}

void freeRows(RecordSet* _pRows)
{
    if (_pRows != nullptr) {
        qDeleteAll(*_pRows);
        delete _pRows;
    }
}

/// The single value of a one-row query, or a null QString when the query failed.
QString scalar(const QString& _strSql)
{
    RecordSet* pRows = CLS_RemoteDBHandler::ExecuteQuery("Tessel", _strSql, kTimeout);
    QString strValue;
    if (pRows != nullptr && pRows->size() == 1 && !pRows->at(0)->isEmpty()) {
        strValue = pRows->at(0)->first();
    }
    freeRows(pRows);
    return strValue;
}

// After all of it, the restarted server still stops cleanly (exit code 0, which in a sanitizer
// build also means no leak report).
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment(IntegrationOptions{
    "fa0170001", false, {"--max-frame-mb", QString::number(kMaxFrameMb)}, nullptr, nullptr,
    [] {
        // Every channel of the chain is open before the faults begin.
        ASSERT_TRUE(waitFor([] { return CLS_RemoteDBHandler::m_bFinishFirstConnect.load(); }, 10000));
    },
    nullptr, /*clean stop*/ true}));

/// Requests of the data layer from a few threads, each checking that it gets its own answer
/// back, until stopped.
class DataLayerTraffic
{
public:
    explicit DataLayerTraffic(int _iThreads)
    {
        for (int t = 0; t < _iThreads; ++t) {
            m_threads.emplace_back([this, t] { run(t); });
        }
    }
    ~DataLayerTraffic() { stop(); }

    void stop()
    {
        m_bStop = true;
        for (std::thread& thread : m_threads) {
            if (thread.joinable()) {
                thread.join();
            }
        }
    }

    std::atomic<int> m_iDone{0};
    std::atomic<int> m_iFailed{0};
    std::atomic<int> m_iWrong{0};
    std::atomic<qint64> m_llSlowestMs{0};

private:
    void run(int _iThread)
    {
        for (qlonglong i = 0; !m_bStop; ++i) {
            const qlonglong llTag = static_cast<qlonglong>(_iThread) * 100000000 + i;
            QElapsedTimer timer;
            timer.start();
            if (i % 2 == 0) {
                RecordSet* pRows = CLS_RemoteDBHandler::ExecuteQueryEx(
                    "Tessel", "SELECT :tag AS TAG, :txt AS TXT",
                    {{":tag", llTag}, {":txt", QString::number(llTag)}}, kTimeout);
                if (pRows == nullptr || pRows->size() != 1) {
                    ++m_iFailed;
                } else if (pRows->at(0)->value("TAG") != QString::number(llTag) ||
                           pRows->at(0)->value("TXT") != QString::number(llTag)) {
                    ++m_iWrong;
                }
                freeRows(pRows);
            } else if (CLS_RemoteDBHandler::ExecuteEx("Tessel", "INSERT INTO T_TRAFFIC (TAG) VALUES (:tag)",
                                                      {{":tag", llTag}}, kTimeout, false) != 0) {
                ++m_iFailed;
            }
            const qint64 llMs = timer.elapsed();
            qint64 llSlowest = m_llSlowestMs.load();
            while (llMs > llSlowest && !m_llSlowestMs.compare_exchange_weak(llSlowest, llMs)) {
            }
            ++m_iDone;
        }
    }

    std::atomic<bool> m_bStop{false};
    std::vector<std::thread> m_threads;
};

}  // namespace

// The limit is on the request frame: the data layer gets the server's reason, and the same
// connection goes on serving.
TEST(Fault, RequestOverTheFrameLimitIsRefusedWithAReason)
{
    ASSERT_TRUE(waitFor([] { return status() == 1; }, 20000));
    ASSERT_EQ(CLS_RemoteDBHandler::Execute("Tessel", "CREATE TABLE T_BIG (V TEXT)", kTimeout, false), 0);

    LogCapture log;
    const QString strHuge((kMaxFrameMb << 20) + 4096, QLatin1Char('x'));
    EXPECT_EQ(CLS_RemoteDBHandler::ExecuteEx("Tessel", "INSERT INTO T_BIG (V) VALUES (:v)", {{":v", strHuge}},
                                             kTimeout, false),
              -1);
    EXPECT_TRUE(log.hasPart(
        3, QStringLiteral("DB error reason:request is larger than the limit of %1 MiB").arg(kMaxFrameMb)))
        << log.dump().toStdString();

    // Just under the limit it is an ordinary request; nothing of the refused one was written.
    const QString strLarge((kMaxFrameMb << 20) - 4096, QLatin1Char('y'));
    EXPECT_EQ(CLS_RemoteDBHandler::ExecuteEx("Tessel", "INSERT INTO T_BIG (V) VALUES (:v)",
                                             {{":v", strLarge}}, kTimeout, false),
              0);
    EXPECT_EQ(scalar("SELECT group_concat(length(V)) FROM T_BIG"), QString::number(strLarge.size()));
    EXPECT_EQ(status(), 1);
}

namespace {

QByteArray randomBytes(int _iCount)
{
    QByteArray bytes(_iCount, '\0');
    for (char& c : bytes) {
        c = char(QRandomGenerator::global()->bounded(256));
    }
    return bytes;
}

/// One WebSocket frame as a client sends it (masked).
QByteArray wsFrame(int _iOpcode, const QByteArray& _payload, bool _bFin = true)
{
    QByteArray frame;
    frame.append(char((_bFin ? 0x80 : 0x00) | (_iOpcode & 0x0f)));
    const char cMask = char(0x80);
    const qint64 llSize = _payload.size();
    if (llSize < 126) {
        frame.append(char(cMask | char(llSize)));
    } else if (llSize < 65536) {
        frame.append(char(cMask | 126));
        frame.append(char(llSize >> 8)).append(char(llSize & 0xff));
    } else {
        frame.append(char(cMask | 127));
        for (int i = 7; i >= 0; --i) {
            frame.append(char((llSize >> (8 * i)) & 0xff));
        }
    }
    const QByteArray key = randomBytes(4);
    frame.append(key);
    for (qint64 i = 0; i < llSize; ++i) {
        frame.append(char(_payload[int(i)] ^ key[int(i % 4)]));
    }
    return frame;
}

/// A peer on one port that misbehaves at some level: TCP, TLS, the HTTP upgrade or WebSocket
/// frames. A hand-made client, so that it can send what no WebSocket library would.
struct BadPeer
{
    QString strWhat;
    std::unique_ptr<QTcpSocket> pSocket;
    QByteArray toSendAfterUpgrade;  // empty: none; the peer does not upgrade when bUpgrade is false
    bool bUpgrade = false;
    bool bExpectAnswers = false;  // stays open and gets one answer per frame
    int iExpectedAnswers = 0;
    QByteArray buffer;
    bool bUpgraded = false;
    QStringList lstAnswers;
    bool bClosed = false;

    BadPeer() = default;
    BadPeer(const BadPeer&) = delete;
    BadPeer& operator=(const BadPeer&) = delete;
    ~BadPeer()
    {
        if (pSocket) {
            QObject::disconnect(pSocket.get(), nullptr, nullptr, nullptr);
            pSocket->abort();
        }
    }

    void start(quint16 _port, const QSslConfiguration* _pTls, const QByteArray& _firstBytes)
    {
        if (_pTls != nullptr) {
            auto* pSsl = new QSslSocket;
            pSsl->setSslConfiguration(*_pTls);
            pSocket.reset(pSsl);
            QObject::connect(pSsl, &QSslSocket::encrypted, [this, _firstBytes] { begin(_firstBytes); });
        } else {
            pSocket = std::make_unique<QTcpSocket>();
            QObject::connect(pSocket.get(), &QAbstractSocket::connected,
                             [this, _firstBytes] { begin(_firstBytes); });
        }
        QObject::connect(pSocket.get(), &QAbstractSocket::disconnected, [this] { bClosed = true; });
        QObject::connect(pSocket.get(), &QIODevice::readyRead, [this] { read(); });
        if (_pTls != nullptr) {
            static_cast<QSslSocket*>(pSocket.get())
                ->connectToHostEncrypted(QStringLiteral("127.0.0.1"), _port);
        } else {
            pSocket->connectToHost(QHostAddress::LocalHost, _port);
        }
    }

    bool done() const { return bExpectAnswers ? lstAnswers.size() >= iExpectedAnswers : bClosed; }

private:
    void begin(const QByteArray& _firstBytes)
    {
        if (bUpgrade) {
            pSocket->write(
                QByteArrayLiteral("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
                                  "Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                                  "Sec-WebSocket-Version: 13\r\nX-Tessel-Protocol: 1\r\n\r\n"));
        } else if (!_firstBytes.isEmpty()) {
            pSocket->write(_firstBytes);
        }
    }

    void read()
    {
        buffer += pSocket->readAll();
        if (!bUpgrade) {
            return;
        }
        if (!bUpgraded) {
            const int iEnd = buffer.indexOf("\r\n\r\n");
            if (iEnd < 0) {
                return;
            }
            bUpgraded = buffer.startsWith("HTTP/1.1 101");
            buffer.remove(0, iEnd + 4);
            if (bUpgraded) {
                pSocket->write(toSendAfterUpgrade);
            }
        }
        // Frames from the server: unmasked, answers small enough for one frame each.
        while (buffer.size() >= 2) {
            const int iOpcode = buffer[0] & 0x0f;
            qint64 llSize = buffer[1] & 0x7f;
            int iHeader = 2;
            if (llSize == 126) {
                if (buffer.size() < 4) {
                    return;
                }
                llSize = (quint8(buffer[2]) << 8) | quint8(buffer[3]);
                iHeader = 4;
            } else if (llSize == 127) {
                if (buffer.size() < 10) {
                    return;
                }
                llSize = 0;
                for (int i = 2; i < 10; ++i) {
                    llSize = (llSize << 8) | quint8(buffer[i]);
                }
                iHeader = 10;
            }
            if (buffer.size() < iHeader + llSize) {
                return;
            }
            if (iOpcode == 0x1) {
                lstAnswers << QString::fromUtf8(buffer.mid(iHeader, int(llSize)));
            }
            buffer.remove(0, int(iHeader + llSize));
        }
    }
};

QByteArray halfClientHello()
{
    // A TLS record that announces a 512-byte ClientHello and brings only its first part.
    return QByteArray::fromHex("1603010200010001fc0303") + randomBytes(32);
}

}  // namespace

// Peers send what no client library would, on each of the four channels, while the data layer's
// requests run: none of those fails, waits or gets a wrong answer. Every request-level garbage
// frame is answered with an error on a connection that stays open; every peer that breaks the
// transport is sent away (the stalled ones after the server's handshake limits).
TEST(Fault, GarbageOnEveryChannelDisturbsNobody)
{
    ASSERT_TRUE(waitFor([] { return status() == 1; }, 20000));
    ASSERT_EQ(CLS_RemoteDBHandler::Execute("Tessel", "CREATE TABLE T_TRAFFIC (TAG INTEGER)", kTimeout, false),
              0);
    const int iBase = IntegrationEnvironment::instance().server().port();
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setCaCertificates(QSslCertificate::fromPath(IntegrationEnvironment::instance().server().dataDir() + "/tls/server.crt"));
    tls.setPeerVerifyMode(QSslSocket::VerifyPeer);

    // Request-level garbage: each frame is answered with an error.
    const QList<QByteArray> lstGarbageTexts{
        "not a request at all",
        "1 Execute\n{not json",
        "2 Execute\n[1,2,3]",
        "3 Bad-Name\n{}",
        "99999999999999999999999 Execute\n{}",
        "-4 Execute\n{}",
        "",
        "5 Execute",
        "6 ExecuteQuery\n{\"DbName\":\"../../etc/passwd\",\"sqlexec\":\"SELECT 1\"}",
        "7 Execute\n{\"DbName\":\"Tessel\",\"sqlexec\":\"ATTACH '/tmp/tessel-fault.db' AS x\"}",
        "8 NoSuchCommand\n{}",
        "9 ExecuteTransaction\n{\"DbName\":\"Tessel\",\"sqlexec\":\"not an array\"}",
        "10 Execute\n{\"DbName\":\"Tessel\",\"sqlexec\":\"SELECT \\u0000\"}",
        "11 Execute\n{\"DbName\":\"Tessel\",\"sqlexec\":\"" + QByteArray(300, '(') + "\"}",
        QByteArray(70000, '7'),  // a header line longer than the server reads
    };
    QByteArray garbageFrames;
    for (const QByteArray& text : lstGarbageTexts) {
        garbageFrames += wsFrame(0x1, text);
    }
    garbageFrames += wsFrame(0x2, "12 Execute\n{}");
    garbageFrames += wsFrame(0x2, randomBytes(1000));
    garbageFrames += wsFrame(0x1, "13 Exec", false) + wsFrame(0x0, "uteQuery\n{\"DbName\":7}");  // fragmented
    const int iGarbageAnswers = lstGarbageTexts.size() + 3;

    // Frame-level garbage: the server closes the connection.
    const struct
    {
        const char* pWhat;
        QByteArray frames;
    } fatalFrames[] = {
        {"a text frame that is not UTF-8", wsFrame(0x1, QByteArray("1 Execute\n{\"x\":\"\xff\xfe\"}"))},
        {"a reserved opcode", wsFrame(0x3, "1 Execute\n{}")},
        {"a fragmented ping", wsFrame(0x9, "ping", false)},
        {"a frame over four times the limit", wsFrame(0x1, QByteArray((4 * kMaxFrameMb << 20) + 1024, 'x'))},
    };

    DataLayerTraffic traffic(2);
    ASSERT_TRUE(waitFor([&] { return traffic.m_iDone.load() > 50; }, 10000));
    const int iDoneBefore = traffic.m_iDone.load();

    std::vector<std::unique_ptr<BadPeer>> peers;
    for (int iChannel = 1; iChannel <= 4; ++iChannel) {
        const quint16 port = quint16(iBase + iChannel - 1);
        const QSslConfiguration* pTls = iChannel == 3 ? nullptr : &tls;
        const QString strChannel = QStringLiteral(" on channel %1").arg(iChannel);
        const auto add = [&](const QString& _strWhat) {
            peers.push_back(std::make_unique<BadPeer>());
            peers.back()->strWhat = _strWhat + strChannel;
            return peers.back().get();
        };

        BadPeer* pPeer = add(QStringLiteral("garbage requests"));
        pPeer->bUpgrade = true;
        pPeer->bExpectAnswers = true;
        pPeer->iExpectedAnswers = iGarbageAnswers;
        pPeer->toSendAfterUpgrade = garbageFrames;
        pPeer->start(port, pTls, QByteArray());
        for (const auto& fatal : fatalFrames) {
            pPeer = add(QString::fromLatin1(fatal.pWhat));
            pPeer->bUpgrade = true;
            pPeer->toSendAfterUpgrade = fatal.frames;
            pPeer->start(port, pTls, QByteArray());
        }
        // Below WebSocket: the same bytes on every port, over TLS where the port wants TLS.
        const struct
        {
            const char* pWhat;
            QByteArray bytes;
        } rawBytes[] = {
            {"random bytes", randomBytes(4096)},
            {"an HTTP request without upgrade", "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"},
            {"a bad upgrade",
             "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
             "Sec-WebSocket-Key: short\r\nSec-WebSocket-Version: 99\r\n\r\n"},
            {"half an upgrade request", "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websock"},
            {"nothing at all", QByteArray()},
        };
        for (const auto& raw : rawBytes) {
            add(QString::fromLatin1(raw.pWhat))->start(port, pTls, raw.bytes);
        }
        if (pTls != nullptr) {
            // Transport-level garbage on a TLS port, without TLS.
            add(QStringLiteral("half a TLS handshake"))->start(port, nullptr, halfClientHello());
            add(QStringLiteral("plain HTTP to a TLS port"))
                ->start(port, nullptr, "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
            add(QStringLiteral("random bytes instead of TLS"))->start(port, nullptr, randomBytes(4096));
        }
    }

    // Meanwhile the data layer goes on; the status never leaves 1.
    QElapsedTimer timer;
    timer.start();
    int iLowestStatus = 1;
    const bool bAllDone = QTest::qWaitFor(
        [&] {
            iLowestStatus = std::min(iLowestStatus, status());
            for (const std::unique_ptr<BadPeer>& pPeer : peers) {
                if (!pPeer->done()) {
                    return false;
                }
            }
            return true;
        },
        kHandshakeLimitMs + 10000);
    const qint64 llGarbageMs = timer.elapsed();
    // The connections that did upgrade outlive the upgrade limit the stalled ones ran into, and
    // still serve a proper request after all that garbage.
    QTest::qWait(1500);
    for (const std::unique_ptr<BadPeer>& pPeer : peers) {
        if (pPeer->bExpectAnswers && !pPeer->bClosed) {
            pPeer->pSocket->write(
                wsFrame(0x1, "20 ExecuteQuery\n{\"DbName\":\"Tessel\",\"sqlexec\":\"SELECT 1 AS ONE\"}"));
            ++pPeer->iExpectedAnswers;
        }
    }
    (void)QTest::qWaitFor(
        [&] {
            for (const std::unique_ptr<BadPeer>& pPeer : peers) {
                if (pPeer->bExpectAnswers && pPeer->lstAnswers.size() < pPeer->iExpectedAnswers &&
                    !pPeer->bClosed) {
                    return false;
                }
            }
            return true;
        },
        10000);
    const int iDoneDuring = traffic.m_iDone.load() - iDoneBefore;
    traffic.stop();

    for (const std::unique_ptr<BadPeer>& pPeer : peers) {
        SCOPED_TRACE(pPeer->strWhat.toStdString());
        if (pPeer->bExpectAnswers) {
            EXPECT_TRUE(pPeer->bUpgraded);
            ASSERT_EQ(pPeer->lstAnswers.size(), pPeer->iExpectedAnswers);
            for (int i = 0; i + 1 < pPeer->lstAnswers.size(); ++i) {
                EXPECT_TRUE(pPeer->lstAnswers.at(i).contains(QLatin1String("\"result\":\"ERROR\"")))
                    << pPeer->lstAnswers.at(i).left(200).toStdString();
            }
            EXPECT_EQ(
                pPeer->lstAnswers.last(),
                QStringLiteral("20\n{\"result\":\"OK\",\"data\":{\"ret\":[{\"record\":[{\"key\":\"ONE\","
                               "\"value\":\"1\"}]}]}}"));
            EXPECT_FALSE(pPeer->bClosed);
        } else {
            // Frame-level garbage is only meaningful on a connection that did upgrade.
            EXPECT_EQ(pPeer->bUpgraded, pPeer->bUpgrade);
            EXPECT_TRUE(pPeer->bClosed) << "the server kept a misbehaving peer";
        }
    }
    EXPECT_TRUE(bAllDone);
    EXPECT_FALSE(QFile::exists("/tmp/tessel-fault.db"));

    // The data layer never noticed.
    EXPECT_EQ(traffic.m_iFailed.load(), 0);
    EXPECT_EQ(traffic.m_iWrong.load(), 0);
    EXPECT_EQ(iLowestStatus, 1);
    EXPECT_GT(iDoneDuring, 100) << "the data layer's requests must have run alongside the garbage";
    EXPECT_LT(traffic.m_llSlowestMs.load(), 2000);
    std::printf(
        "[ figures  ] %d data layer requests during %lld ms of garbage from %d peers; slowest %lld ms\n",
        iDoneDuring, static_cast<long long>(llGarbageMs), static_cast<int>(peers.size()),
        static_cast<long long>(traffic.m_llSlowestMs.load()));
    EXPECT_TRUE(IntegrationEnvironment::instance().server().isRunning());
}

namespace {

constexpr int kRowsPerTransaction = 25;

/// Transactions of kRowsPerTransaction rows tagged with their id, from one thread until one
/// fails (the server is gone) or it is told to stop.
struct TransactionStream
{
    int iThread = 0;
    std::atomic<int> iAcknowledged{0};
    QSet<qlonglong> setAcknowledged;  // read after join
    QSet<qlonglong> setAttempted;

    void run(const std::atomic<bool>& _bStop)
    {
        const QString strPayload(200, QLatin1Char('p'));
        QList<QString> lstSql;
        for (int i = 0; i < kRowsPerTransaction; ++i) {
            lstSql << QStringLiteral("INSERT INTO T_FAULT (TX, I, V) VALUES (:tx, :i, :v)");
        }
        for (qlonglong n = 0; !_bStop; ++n) {
            const qlonglong llTx = static_cast<qlonglong>(iThread) * 1000000 + n;
            QList<QMap<QString, QVariant>> lstBinds;
            for (int i = 0; i < kRowsPerTransaction; ++i) {
                lstBinds.append({{":tx", llTx}, {":i", i}, {":v", strPayload}});
            }
            setAttempted.insert(llTx);
            const int iRet = CLS_RemoteDBHandler::ExecuteTransactionEx("Tessel", lstSql, lstBinds, kTimeout);
            if (iRet != 0) {
                if (iRet == -1 || iRet == -1001) {
                    // Refused before it left (status not 1, no lane), or refused by the server:
                    // either way it must not be in the database.
                    setAttempted.remove(llTx);
                }
                return;
            }
            setAcknowledged.insert(llTx);
            ++iAcknowledged;
        }
    }
};

}  // namespace

// Must stay last: it kills the server and starts it again.
TEST(Fault, ZKilledMidStreamKeepsWholeTransactionsAndComesBackByItself)
{
    ASSERT_TRUE(waitFor([] { return status() == 1; }, 20000));
    ASSERT_EQ(CLS_RemoteDBHandler::Execute(
                  "Tessel", "CREATE TABLE T_FAULT (TX INTEGER NOT NULL, I INTEGER NOT NULL, V TEXT)",
                  kTimeout, false),
              0);

    std::atomic<bool> bStop{false};
    TransactionStream streams[2];
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
        streams[t].iThread = t + 1;
        threads.emplace_back([&streams, &bStop, t] { streams[t].run(bStop); });
    }
    // Kill it in the middle of the stream, once both threads have had transactions through.
    ASSERT_TRUE(
        waitFor([&] { return streams[0].iAcknowledged >= 150 && streams[1].iAcknowledged >= 150; }, 60000));
    IntegrationEnvironment::instance().server().kill();

    // The loss reaches the status; requests made meanwhile fail at once.
    ASSERT_TRUE(waitFor([] { return status() < 0; }, 10000)) << status();
    {
        LogCapture log;
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer timer;
            timer.start();
            EXPECT_EQ(CLS_RemoteDBHandler::Execute("Tessel", "INSERT INTO T_FAULT (TX, I) VALUES (-1, 0)",
                                                   kTimeout, false),
                      -1);
            EXPECT_LT(timer.elapsed(), 500) << "a request while the server is down must fail at once";
        }
        EXPECT_TRUE(log.has(2, "CLS_RemoteDBHandler::Execute Connection invalid."))
            << log.dump().toStdString();
    }
    bStop = true;
    for (std::thread& thread : threads) {
        thread.join();
    }

    ASSERT_TRUE(IntegrationEnvironment::instance().server().start()) << IntegrationEnvironment::instance().server().output().toStdString();
    // Back to 1 by itself: nobody calls CreateDBConnection.
    ASSERT_TRUE(waitFor([] { return status() == 1; }, 20000)) << status();

    RecordSet* pRows = CLS_RemoteDBHandler::ExecuteQuery(
        "Tessel", "SELECT TX, COUNT(*) AS N, COUNT(DISTINCT I) AS D FROM T_FAULT GROUP BY TX", kTimeout);
    ASSERT_NE(pRows, nullptr);
    QSet<qlonglong> setPresent;
    int iPartial = 0;
    for (const QMap<QString, QString>* pRow : *pRows) {
        const qlonglong llTx = pRow->value("TX").toLongLong();
        setPresent.insert(llTx);
        if (pRow->value("N") != QString::number(kRowsPerTransaction) ||
            pRow->value("D") != QString::number(kRowsPerTransaction)) {
            ++iPartial;
            ADD_FAILURE() << "transaction " << llTx << " is there with " << pRow->value("N").toStdString()
                          << " rows";
        }
    }
    freeRows(pRows);
    EXPECT_EQ(iPartial, 0);

    int iAcknowledged = 0;
    int iInFlight = 0;
    int iInFlightKept = 0;
    for (const TransactionStream& stream : streams) {
        iAcknowledged += stream.setAcknowledged.size();
        // Every transaction answered OK was committed: a killed process loses none of them.
        for (const qlonglong llTx : stream.setAcknowledged) {
            EXPECT_TRUE(setPresent.contains(llTx)) << "acknowledged transaction " << llTx << " is missing";
        }
        for (const qlonglong llTx : stream.setAttempted - stream.setAcknowledged) {
            ++iInFlight;
            iInFlightKept += setPresent.contains(llTx) ? 1 : 0;
        }
    }
    // Nothing appears that was never sent (the refused request while down included).
    QSet<qlonglong> setAttempted;
    for (const TransactionStream& stream : streams) {
        setAttempted += stream.setAttempted;
    }
    EXPECT_TRUE((setPresent - setAttempted).isEmpty()) << "a refused transaction was written";
    EXPECT_EQ(scalar("PRAGMA integrity_check"), QStringLiteral("ok"));
    std::printf(
        "[ figures  ] %d transactions acknowledged before the kill, %d in flight (%d of them kept whole, "
        "the others absent)\n",
        iAcknowledged, iInFlight, iInFlightKept);
}
