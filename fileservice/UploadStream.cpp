#include "UploadStream.h"

#include "FileRequest.h"

#include <rapidjson/reader.h>

#include <QIODevice>

#include <array>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace tessel::files {

namespace {

const QByteArray kFilenameKey = QByteArrayLiteral("filename=");
const QByteArray kDataKey = QByteArrayLiteral("data=");

// Base64 text decoded in blocks of whole quads; '=' may only be followed by '='.
class Base64Sink
{
public:
    explicit Base64Sink(QIODevice* _pOut) : m_pOut(_pOut) { m_baPending.reserve(kBlock); }

    void put(char _c)
    {
        ++m_llLength;
        if (m_bBroken) {
            return;
        }
        if (_c == '=') {
            m_bPadding = true;
        } else if (m_bPadding) {
            m_bBroken = true;
            return;
        }
        m_baPending.append(_c);
        if (m_baPending.size() == kBlock) {
            flush();
        }
    }
    /// The end of the text: decodes what is left.
    void finish() { flush(); }

    qint64 length() const { return m_llLength; }
    qint64 decoded() const { return m_llDecoded; }
    bool broken() const { return m_bBroken; }
    bool writeFailed() const { return m_bWriteFailed; }

private:
    static constexpr int kBlock = 64 * 1024;  // a multiple of 4

    void flush()
    {
        if (m_bBroken || m_baPending.isEmpty()) {
            return;
        }
        const QByteArray::FromBase64Result result =
            QByteArray::fromBase64Encoding(m_baPending, QByteArray::AbortOnBase64DecodingErrors);
        m_baPending.clear();
        if (!result) {
            m_bBroken = true;
            return;
        }
        if (m_pOut->write(result.decoded) != result.decoded.size()) {
            m_bBroken = true;
            m_bWriteFailed = true;
            return;
        }
        m_llDecoded += result.decoded.size();
    }

    QIODevice* m_pOut;
    QByteArray m_baPending;
    qint64 m_llLength = 0;
    qint64 m_llDecoded = 0;
    bool m_bPadding = false;
    bool m_bBroken = false;
    bool m_bWriteFailed = false;
};

// The reader's input: the spool file through a buffer. The reader writes every string it reads
// back into the stream (in-situ parsing); short strings land in a small buffer, the one armed
// for "buf" goes to the Base64 sink.
class SpoolStream
{
public:
    using Ch = char;

    SpoolStream(int _iFd, Base64Sink& _sink) : m_iFd(_iFd), m_sink(_sink) {}

    Ch Peek()
    {
        fill();
        return m_iPos < m_iEnd ? m_buffer[static_cast<std::size_t>(m_iPos)] : '\0';
    }
    Ch Take()
    {
        fill();
        if (m_iPos >= m_iEnd) {
            return '\0';
        }
        ++m_uTell;
        return m_buffer[static_cast<std::size_t>(m_iPos++)];
    }
    std::size_t Tell() const { return m_uTell; }

    Ch* PutBegin()
    {
        m_bStreaming = m_bArmed;
        m_bArmed = false;
        m_bHeld = false;
        m_uPut = 0;
        return m_small.data();
    }
    void Put(Ch _c)
    {
        if (m_bStreaming) {
            // One character behind: the last one put is the terminating NUL, not part of the text.
            if (m_bHeld) {
                m_sink.put(m_cHeld);
            }
            m_cHeld = _c;
            m_bHeld = true;
        } else if (m_uPut < m_small.size()) {
            m_small[m_uPut] = _c;
        }
        ++m_uPut;
    }
    std::size_t PutEnd(Ch*)
    {
        if (m_bStreaming) {
            m_sink.finish();
            m_bStreaming = false;
        }
        return m_uPut;
    }
    /// The next string read is the value of "buf".
    void arm() { m_bArmed = true; }
    void disarm() { m_bArmed = false; }

    bool readFailed() const { return m_bReadFailed; }
    static constexpr std::size_t kSmall = 256;

private:
    void fill()
    {
        if (m_iPos < m_iEnd || m_bEnd) {
            return;
        }
        ssize_t iRead = 0;
        do {
            iRead = ::read(m_iFd, m_buffer.data(), m_buffer.size());
        } while (iRead < 0 && errno == EINTR);
        if (iRead <= 0) {
            m_bEnd = true;
            m_bReadFailed = iRead < 0;
            m_iPos = m_iEnd = 0;
            return;
        }
        m_iPos = 0;
        m_iEnd = iRead;
    }

    int m_iFd;
    Base64Sink& m_sink;
    std::array<char, 64 * 1024> m_buffer{};
    ssize_t m_iPos = 0;
    ssize_t m_iEnd = 0;
    std::size_t m_uTell = 0;
    bool m_bEnd = false;
    bool m_bReadFailed = false;
    std::array<char, kSmall> m_small{};
    std::size_t m_uPut = 0;
    bool m_bArmed = false;
    bool m_bStreaming = false;
    bool m_bHeld = false;
    char m_cHeld = 0;
};

// Follows the payload's members: only those of the top object count, the last "size" wins.
class PayloadHandler : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, PayloadHandler>
{
public:
    enum class Member
    {
        Missing,
        Right,  // "buf" a text, "size" a number
        Wrong,
    };
    static constexpr int kMaxDepth = 1024;  // as deep as Qt's reader goes

    explicit PayloadHandler(SpoolStream& _stream) : m_stream(_stream) {}

    bool Key(const char* _pszKey, rapidjson::SizeType _length, bool)
    {
        m_key = Name::Other;
        if (m_iDepth == 1 && _length == 3 && std::memcmp(_pszKey, "buf", 3) == 0) {
            m_key = Name::Buf;
            m_stream.arm();
        } else if (m_iDepth == 1 && _length == 4 && std::memcmp(_pszKey, "size", 4) == 0) {
            m_key = Name::Size;
        }
        return true;
    }
    bool String(const char*, rapidjson::SizeType, bool)
    {
        if (m_iDepth == 0) {
            m_bRootObject = false;
            return true;
        }
        return value(m_key == Name::Buf);
    }
    bool Int(int _i) { return number(_i); }
    bool Uint(unsigned _u) { return number(_u); }
    bool Int64(int64_t _ll) { return number(static_cast<double>(_ll)); }
    bool Uint64(uint64_t _ull) { return number(static_cast<double>(_ull)); }
    bool Double(double _d) { return number(_d); }
    // Null, Bool and the rest.
    bool Default() { return value(false); }
    bool StartObject()
    {
        if (m_iDepth == 0) {
            m_bRootObject = true;
        } else if (!value(false)) {
            return false;
        }
        return ++m_iDepth <= kMaxDepth;
    }
    bool EndObject(rapidjson::SizeType)
    {
        --m_iDepth;
        return true;
    }
    bool StartArray()
    {
        if (!value(false)) {
            return false;
        }
        return ++m_iDepth <= kMaxDepth;
    }
    bool EndArray(rapidjson::SizeType)
    {
        --m_iDepth;
        return true;
    }

    bool rootObject() const { return m_bRootObject; }
    Member buf() const { return m_buf; }
    Member size() const { return m_size; }
    double sizeValue() const { return m_dSize; }
    bool bufTwice() const { return m_bBufTwice; }

private:
    enum class Name
    {
        None,
        Buf,
        Size,
        Other,
    };

    bool number(double _d)
    {
        if (m_iDepth == 1 && m_key == Name::Size) {
            m_size = Member::Right;
            m_dSize = _d;
            m_key = Name::None;
            return true;
        }
        return value(false);
    }
    // A value of the top object's current member (or deeper, where nothing counts).
    bool value(bool _bBufText)
    {
        m_stream.disarm();
        if (m_iDepth == 0) {
            m_bRootObject = false;
        } else if (m_iDepth == 1 && m_key == Name::Buf) {
            if (m_buf != Member::Missing) {
                m_bBufTwice = true;
                return false;
            }
            m_buf = _bBufText ? Member::Right : Member::Wrong;
        } else if (m_iDepth == 1 && m_key == Name::Size) {
            m_size = Member::Wrong;
        }
        if (m_iDepth == 1) {
            m_key = Name::None;
        }
        return true;
    }

    SpoolStream& m_stream;
    int m_iDepth = 0;
    Name m_key = Name::None;
    bool m_bRootObject = false;
    Member m_buf = Member::Missing;
    Member m_size = Member::Missing;
    double m_dSize = 0;
    bool m_bBufTwice = false;
};

}  // namespace

UploadHead::Result UploadHead::feed(const char* _pData, std::size_t _size, std::size_t* _pConsumed)
{
    const int iOld = m_baHead.size();
    const int iRoom = kMaxUploadHead - iOld;
    m_baHead.append(_pData, static_cast<int>(std::min<std::size_t>(_size, static_cast<std::size_t>(iRoom))));
    const int iCompared = std::min(m_baHead.size(), kFilenameKey.size());
    if (m_baHead.left(iCompared) != kFilenameKey.left(iCompared)) {
        m_strError = QStringLiteral("field \"filename\" missing");
        return Result::Refused;
    }
    const int iTab = m_baHead.indexOf('\t');
    if (iTab < 0) {
        if (m_baHead.size() >= kMaxUploadHead) {
            m_strError = QStringLiteral("field \"filename\" longer than %1 bytes").arg(kMaxUploadHead);
            return Result::Refused;
        }
        return Result::NeedMore;
    }
    const int iAfter = iTab + 1;
    const int iDataCompared = std::min(m_baHead.size() - iAfter, kDataKey.size());
    if (m_baHead.mid(iAfter, iDataCompared) != kDataKey.left(iDataCompared)) {
        m_strError = QStringLiteral("field \"data\" missing");
        return Result::Refused;
    }
    if (iDataCompared < kDataKey.size()) {
        if (m_baHead.size() >= kMaxUploadHead) {
            m_strError = QStringLiteral("field \"data\" missing");
            return Result::Refused;
        }
        return Result::NeedMore;
    }
    const QByteArray baPath = m_baHead.mid(kFilenameKey.size(), iTab - kFilenameKey.size());
    m_strPath = QString::fromUtf8(baPath);
    if (m_strPath.toUtf8() != baPath) {
        m_strError = QStringLiteral("the parameter text is not UTF-8");
        return Result::Refused;
    }
    *_pConsumed = static_cast<std::size_t>(iAfter + kDataKey.size() - iOld);
    m_baHead.clear();
    return Result::Complete;
}

QString UploadHead::incompleteReason() const
{
    QStringList lstValues;
    QString strError;
    if (!parseFields(m_baHead, {QStringLiteral("filename"), QStringLiteral("data")}, &lstValues, &strError)) {
        return strError;
    }
    return QStringLiteral("field \"data\" missing");
}

bool decodeUploadPayload(int _iFd, QIODevice* _pOut, qint64* _pDecoded, QString* _pError, bool* _pDiskFault)
{
    *_pDecoded = 0;
    *_pDiskFault = true;
    if (::lseek(_iFd, 0, SEEK_SET) != 0) {
        *_pError = QStringLiteral("cannot read the spooled payload: %1")
                       .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    Base64Sink sink(_pOut);
    SpoolStream stream(_iFd, sink);
    PayloadHandler handler(stream);
    rapidjson::Reader reader;
    constexpr unsigned kFlags =
        rapidjson::kParseInsituFlag | rapidjson::kParseIterativeFlag | rapidjson::kParseValidateEncodingFlag;
    const rapidjson::ParseResult result = reader.Parse<kFlags>(stream, handler);
    *_pDecoded = sink.decoded();
    if (stream.readFailed()) {
        *_pError = QStringLiteral("cannot read the spooled payload");
        return false;
    }
    if (sink.writeFailed()) {
        *_pError = _pOut->errorString();
        return false;
    }
    *_pDiskFault = false;
    if (handler.bufTwice()) {
        *_pError = QStringLiteral("data holds \"buf\" twice");
        return false;
    }
    if (result.IsError() || !handler.rootObject()) {
        *_pError = QStringLiteral("data is not a JSON object");
        return false;
    }
    if (handler.buf() != PayloadHandler::Member::Right) {
        *_pError = QStringLiteral("data has no text \"buf\"");
        return false;
    }
    if (handler.size() != PayloadHandler::Member::Right) {
        *_pError = QStringLiteral("data has no number \"size\"");
        return false;
    }
    // A size that disagrees with the text means the payload was cut or altered on the way.
    if (handler.sizeValue() != static_cast<double>(sink.length())) {
        *_pError = QStringLiteral("\"size\" %1 differs from the length %2 of \"buf\"")
                       .arg(handler.sizeValue(), 0, 'f', 0)
                       .arg(sink.length());
        return false;
    }
    if (sink.broken()) {
        *_pError = QStringLiteral("\"buf\" is not Base64");
        return false;
    }
    return true;
}

}  // namespace tessel::files
