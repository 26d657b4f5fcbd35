// Uploads read as they arrive: the head taken in any pieces, the spooled payload judged exactly
// as the whole-body reader judges it, and uploads over HTTP of every size, with and without a
// declared length, whose failures leave the folder as it was.
#include "FileRequest.h"
#include "FileServer.h"
#include "FileStore.h"
#include "UploadStream.h"
#include "rawclient.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <boost/asio/write.hpp>
#include <boost/beast/http.hpp>

#include <chrono>
#include <functional>
#include <limits>
#include <memory>
#include <thread>
#include <unistd.h>

using namespace tessel::files;
using namespace tessel::files::test;

namespace {

QByteArray pattern(int _iSize)
{
    QByteArray ba(_iSize, '\0');
    for (int i = 0; i < _iSize; ++i) {
        ba[i] = static_cast<char>((qint64(i) * 131 + i / 251) & 0xff);
    }
    return ba;
}

// The payload streamed from a file, against the whole-text reader: same verdict, same bytes.
TEST(UploadPayload, StreamedReadingAgreesWithTheWholeText)
{
    const QByteArray baLong = pattern(200 * 1024).toBase64();  // more than one decoding block
    const QByteArray cases[] = {
        R"({"size":8,"buf":"aGVsbG8h"})",
        R"({"buf":"aGVsbG8h","size":8})",
        R"(  { "size" : 8.0 , "buf" : "aGVsbG8h" , "note" : {"buf": 1, "size": "x"} }  )",
        R"({"size":12,"buf":"YS9i\/Yw==YQ"})",
        R"({"size":8,"buf":"aGVs\u0062G8h"})",
        R"({"size":0,"buf":""})",
        R"({"size":4,"buf":"YQ=="})",
        R"({"size":3,"buf":"YQ="})",
        R"({"size":2,"buf":"YQ"})",
        R"({"size":1,"buf":"Y"})",
        R"({"size":8,"buf":"aGVsbG8h","size":9})",
        R"({"size":9,"buf":"aGVsbG8h","size":8})",
        R"({"size":8,"buf":"aGVs bG8"})",
        R"({"size":8,"buf":"aGVs*bG8"})",
        R"({"size":8,"buf":"aGVsbG8\u00e9"})",
        R"({"size":8,"buf":"aGVsbG8h"} x)",
        R"({"size":8,"buf":"aGVsbG8h")",
        R"({"size":"8","buf":"aGVsbG8h"})",
        R"({"buf":"aGVsbG8h"})",
        R"({"size":8})",
        R"({"size":8,"buf":["aGVsbG8h"]})",
        R"({"size":8,"buf":null})",
        R"(["aGVsbG8h"])",
        R"("aGVsbG8h")",
        "",
        "{\"size\":2,\"buf\":\"Y\xff\"}",
        "{\"size\":2,\"buf\":\"Y\xc3\"}",
        "{\"size\":" + QByteArray::number(baLong.size()) + ",\"buf\":\"" + baLong + "\"}",
        "{\"size\":" + QByteArray::number(baLong.size()) + ",\"buf\":\"" + baLong.left(baLong.size() - 4) +
            "=AAA\"}",
        "{\"size\":" + QByteArray::number(baLong.size() + 1) + ",\"buf\":\"" + baLong + "\"}",
        "{\"size\":2,\"buf\":\"YQ\",\"deep\":" + QByteArray(100, '[') + QByteArray(100, ']') + "}",
    };
    for (const QByteArray& baPayload : cases) {
        QByteArray baWhole;
        QString strWholeError;
        const bool bWhole = decodeUploadData(QString::fromUtf8(baPayload), &baWhole, &strWholeError);

        QTemporaryFile spool;
        ASSERT_TRUE(spool.open());
        ASSERT_EQ(spool.write(baPayload), baPayload.size());
        ASSERT_TRUE(spool.flush());
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        qint64 llDecoded = -1;
        QString strError;
        bool bDiskFault = true;
        const bool bStreamed = decodeUploadPayload(spool.handle(), &out, &llDecoded, &strError, &bDiskFault);
        const std::string strCase = baPayload.left(120).toStdString();
        EXPECT_EQ(bStreamed, bWhole) << strCase << " streamed: " << strError.toStdString()
                                     << " whole: " << strWholeError.toStdString();
        EXPECT_FALSE(bDiskFault) << strCase;
        if (bStreamed && bWhole) {
            EXPECT_EQ(out.data(), baWhole) << strCase;
            EXPECT_EQ(llDecoded, baWhole.size()) << strCase;
        }
        if (!bStreamed) {
            EXPECT_FALSE(strError.isEmpty()) << strCase;
        }
    }
}

// Nesting far past what any payload needs is refused, not followed down.
TEST(UploadPayload, DeepNestingIsRefused)
{
    const QByteArray baPayload =
        "{\"size\":0,\"buf\":\"\",\"x\":" + QByteArray(100000, '[') + QByteArray(100000, ']') + "}";
    QTemporaryFile spool;
    ASSERT_TRUE(spool.open());
    ASSERT_EQ(spool.write(baPayload), baPayload.size());
    ASSERT_TRUE(spool.flush());
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    qint64 llDecoded = 0;
    QString strError;
    bool bDiskFault = true;
    EXPECT_FALSE(decodeUploadPayload(spool.handle(), &out, &llDecoded, &strError, &bDiskFault));
    EXPECT_EQ(strError, QStringLiteral("data is not a JSON object"));
    EXPECT_FALSE(bDiskFault);
}

// The head is found whatever pieces it arrives in; what follows it is left for the payload.
TEST(UploadHeadReading, AnySplitGivesTheSamePathAndPayload)
{
    const QByteArray baBody = QByteArray("filename=dir/n\xc3\xa4me.bin\tdata={\"size\":0}");
    for (int iSplit = 1; iSplit < baBody.size(); ++iSplit) {
        UploadHead head;
        std::size_t uUsed = 0;
        UploadHead::Result result = head.feed(baBody.constData(), static_cast<std::size_t>(iSplit), &uUsed);
        int iPayload = 0;
        if (result == UploadHead::Result::Complete) {
            iPayload = static_cast<int>(uUsed);
        } else {
            ASSERT_EQ(result, UploadHead::Result::NeedMore) << iSplit;
            result = head.feed(baBody.constData() + iSplit, static_cast<std::size_t>(baBody.size() - iSplit),
                               &uUsed);
            ASSERT_EQ(result, UploadHead::Result::Complete) << iSplit;
            iPayload = iSplit + static_cast<int>(uUsed);
        }
        EXPECT_EQ(head.path(), QString::fromUtf8("dir/n\xc3\xa4me.bin")) << iSplit;
        EXPECT_EQ(baBody.mid(iPayload), "{\"size\":0}") << iSplit;
    }
}

TEST(UploadHeadReading, BadHeadsAreRefusedWithTheFieldReadersReasons)
{
    const struct
    {
        QByteArray body;
        bool atEnd;  ///< refused only when the body ends
        const char* reason;
    } cases[] = {
        {"file=a\tdata={}", false, "field \"filename\" missing"},
        {"filename=a\tdaTa={}", false, "field \"data\" missing"},
        {"filename=\xff\tdata={}", false, "the parameter text is not UTF-8"},
        {"filename=a", true, "field \"data\" missing"},
        {"filename=a\tda", true, "field \"data\" missing"},
        {"filena", true, "field \"filename\" missing"},
        {"filename=\xc3", true, "the parameter text is not UTF-8"},
        {"filename=" + QByteArray(kMaxUploadHead, 'a'), false, "field \"filename\" longer than 16384 bytes"},
    };
    for (const auto& c : cases) {
        UploadHead head;
        std::size_t uUsed = 0;
        const UploadHead::Result result =
            head.feed(c.body.constData(), static_cast<std::size_t>(c.body.size()), &uUsed);
        if (c.atEnd) {
            EXPECT_EQ(result, UploadHead::Result::NeedMore) << c.body.left(40).toStdString();
            EXPECT_EQ(head.incompleteReason(), QLatin1String(c.reason)) << c.body.left(40).toStdString();
        } else {
            EXPECT_EQ(result, UploadHead::Result::Refused) << c.body.left(40).toStdString();
            EXPECT_EQ(head.error(), QLatin1String(c.reason)) << c.body.left(40).toStdString();
        }
    }
}

class UploadOverHttpTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_pStore = std::make_unique<FileStore>(m_dir.path(), 0);
        FileServerOptions options;
        options.port = 0;
        m_pServer = std::make_unique<FileServer>(*m_pStore, options);
        QString strError;
        ASSERT_TRUE(m_pServer->bind(&strError)) << strError.toStdString();
        m_iPort = m_pServer->port();
        m_thread = std::thread([this] { m_pServer->run(); });
    }
    void TearDown() override
    {
        m_pServer->stop();
        m_thread.join();
    }
    HttpAnswer send(const QByteArray& _baRoute, const QByteArray& _baBody, bool _bChunked = false,
                    int _iChunk = 65536)
    {
        return roundTrip(
            m_iPort, requestText("POST", _baRoute, _baBody,
                                 {{"Host", "127.0.0.1:" + QByteArray::number(m_iPort)}}, _bChunked, _iChunk));
    }
    QStringList entries() const
    {
        return QDir(m_dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<FileStore> m_pStore;
    std::unique_ptr<FileServer> m_pServer;
    std::thread m_thread;
    int m_iPort = 0;
};

TEST_F(UploadOverHttpTest, EverySizeRoundTripsWithAndWithoutADeclaredLength)
{
    // 6 MiB: a download reply of 8 MiB, larger than one int of milliseconds per byte allows.
    // Around 192 KiB: the pieces a download is read in.
    for (const int iSize : {0, 1, 2, 3, 4, 49151, 49152, 49153, 196607, 196608, 196609, 2 * 196608 + 1,
                            1024 * 1024 + 1, 6 * 1024 * 1024}) {
        for (const bool bChunked : {false, true}) {
            const QByteArray baContent = pattern(iSize);
            const QByteArray baName = "f" + QByteArray::number(iSize) + (bChunked ? "c" : "l");
            // Small chunks put the end of the head and of the payload anywhere in a read.
            const int iChunk = iSize > 2 * 1024 * 1024 ? 65536 : 7;
            const HttpAnswer stored = send("/upload", uploadBody(baName, baContent), bChunked, iChunk);
            ASSERT_EQ(stored.status, 200) << iSize << " " << bChunked << ": " << stored.body.toStdString();
            const HttpAnswer fetched = send("/download", "filename=" + baName);
            ASSERT_EQ(fetched.status, 200) << iSize;
            EXPECT_EQ(fetched.body, encodeDownloadReply(baContent)) << iSize << " " << bChunked;
        }
    }
}

// A download whose answer is read slowly: its head first, then (after _change) the rest. The
// client's small receive buffer keeps most of the answer unsent while it waits.
struct SlowDownload
{
    int status = 0;
    std::uint64_t declared = 0;
    QByteArray body;
    bool complete = false;  ///< the whole declared length arrived
};

SlowDownload downloadSlowly(int _iPort, const QByteArray& _baName, const std::function<void()>& _change)
{
    namespace asio = boost::asio;
    namespace http = boost::beast::http;
    asio::io_context ioc;
    asio::ip::tcp::socket socket(ioc);
    socket.open(asio::ip::tcp::v4());
    socket.set_option(asio::socket_base::receive_buffer_size(64 * 1024));
    socket.connect({asio::ip::make_address("127.0.0.1"), static_cast<unsigned short>(_iPort)});
    asio::write(socket, asio::buffer(requestText("POST", "/download", "filename=" + _baName,
                                                 {{"Host", "127.0.0.1:" + QByteArray::number(_iPort)}})
                                         .toStdString()));
    boost::beast::flat_buffer buffer;
    http::response_parser<http::string_body> parser;
    parser.body_limit(std::numeric_limits<std::uint64_t>::max());
    SlowDownload result;
    boost::beast::error_code ec;
    http::read_header(socket, buffer, parser, ec);
    if (ec) {
        return result;
    }
    result.status = parser.get().result_int();
    result.declared = parser.content_length().value_or(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the server waits on the socket
    _change();
    http::read(socket, buffer, parser, ec);
    result.complete = !ec && parser.is_done();
    result.body = QByteArray::fromStdString(parser.get().body());
    return result;
}

// A large download arrives whole and exact, even when the file goes away while it is sent; a
// file cut short meanwhile ends the connection before the declared length.
TEST_F(UploadOverHttpTest, LargeDownloadsAreExactOrCutOff)
{
    const QByteArray baContent = pattern(24 * 1024 * 1024 + 5);
    const QString strPath = m_dir.filePath(QStringLiteral("big.bin"));
    const auto write = [&] {
        QFile file(strPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(baContent), baContent.size());
    };
    const QByteArray baExpected = encodeDownloadReply(baContent);

    write();
    const SlowDownload vanished =
        downloadSlowly(m_iPort, "big.bin", [&] { ASSERT_TRUE(QFile::remove(strPath)); });
    EXPECT_EQ(vanished.status, 200);
    EXPECT_EQ(vanished.declared, static_cast<std::uint64_t>(baExpected.size()));
    EXPECT_TRUE(vanished.complete);
    EXPECT_TRUE(vanished.body == baExpected)
        << vanished.body.size() << " of " << baExpected.size() << " bytes";

    write();
    const SlowDownload shrunk = downloadSlowly(
        m_iPort, "big.bin", [&] { ASSERT_EQ(::truncate(QFile::encodeName(strPath).constData(), 1000), 0); });
    EXPECT_EQ(shrunk.status, 200);
    EXPECT_EQ(shrunk.declared, static_cast<std::uint64_t>(baExpected.size()));
    EXPECT_FALSE(shrunk.complete);
    EXPECT_LT(shrunk.body.size(), baExpected.size());
    EXPECT_TRUE(baExpected.startsWith(shrunk.body)) << "what was sent is the file as it was";

    // The service goes on answering.
    const HttpAnswer after = send("/download", "filename=big.bin");
    ASSERT_EQ(after.status, 200);
    EXPECT_EQ(after.body, encodeDownloadReply(baContent.left(1000)));
}

// A refused payload changes nothing: the old file stays whole and no spool or temporary file
// is left in the folder; the reply is the field reader's.
TEST_F(UploadOverHttpTest, RefusedPayloadsLeaveTheFolderAsItWas)
{
    QFile old(m_dir.filePath(QStringLiteral("old.bin")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old content");
    old.close();
    const QByteArray baLong = pattern(300 * 1024).toBase64();
    const struct
    {
        QByteArray body;
        int status;
        const char* reply;
    } cases[] = {
        {"filename=old.bin\tdata={\"size\":3,\"buf\":\"abc\"", 400, "bad request: data is not a JSON object"},
        {"filename=old.bin\tdata={\"size\":1,\"buf\":\"abcd\"}", 400,
         "bad request: \"size\" 1 differs from the length 4 of \"buf\""},
        {"filename=old.bin\tdata={\"size\":" + QByteArray::number(baLong.size()) + ",\"buf\":\"" +
             baLong.left(baLong.size() - 1) + "*\"}",
         400, "bad request: \"buf\" is not Base64"},
        {"filename=old.bin\tdata={\"size\":4,\"buf\":\"YWJj\"} trailing", 400,
         "bad request: data is not a JSON object"},
        {"filename=old.bin", 400, "bad request: field \"data\" missing"},
        {"filename=../old.bin\tdata={\"size\":4,\"buf\":\"YWJj\"}", 403,
         "path refused: \"..\" in path (../old.bin)"},
        {"filename=none/old.bin\tdata={\"size\":4,\"buf\":\"YWJj\"}", 404, "dir not exists"},
    };
    for (const auto& c : cases) {
        for (const bool bChunked : {false, true}) {
            const HttpAnswer answer = send("/upload", c.body, bChunked, 4096);
            EXPECT_EQ(answer.status, c.status) << c.body.left(60).toStdString();
            EXPECT_EQ(answer.body, c.reply) << c.body.left(60).toStdString();
            EXPECT_EQ(entries(), QStringList{QStringLiteral("old.bin")}) << c.body.left(60).toStdString();
        }
    }
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old content");
}

}  // namespace
