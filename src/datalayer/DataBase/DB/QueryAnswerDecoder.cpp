#include "QueryAnswerDecoder.h"

#include "Log.h"

// Release builds of rapidjson do not assert; make builds with assertions on behave the same
// (a lone surrogate escape in an answer must give a decoding failure, not an abort).
#define RAPIDJSON_ASSERT(x) static_cast<void>(0)
#include <rapidjson/encodings.h>
#include <rapidjson/reader.h>
#include <rapidjson/stream.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using Encoding = rapidjson::UTF16<ushort>;
using SizeType = rapidjson::SizeType;

template <size_t N>
struct Name
{
    ushort text[N - 1];
    explicit constexpr Name(const char (&_szName)[N]) : text{}
    {
        for (size_t i = 0; i + 1 < N; ++i) {
            text[i] = static_cast<unsigned char>(_szName[i]);
        }
    }
    bool is(const ushort* _pText, SizeType _uiLength) const
    {
        return _uiLength == N - 1 && std::memcmp(_pText, text, sizeof(text)) == 0;
    }
};

constexpr Name<7> kResult("result");
constexpr Name<7> kReason("reason");
constexpr Name<5> kData("data");
constexpr Name<4> kRet("ret");
constexpr Name<7> kRecord("record");
constexpr Name<4> kKey("key");
constexpr Name<6> kValue("value");
constexpr Name<3> kOk("OK");

QString toQString(const ushort* _pText, SizeType _uiLength)
{
    return QString(reinterpret_cast<const QChar*>(_pText), static_cast<int>(_uiLength));
}

// Column names repeat in every row: keep one shared QString per column position.
class KeyCache
{
public:
    const QString& key(size_t _uiIndex, const ushort* _pText, SizeType _uiLength)
    {
        if (_uiIndex >= m_keys.size()) {
            m_keys.resize(_uiIndex + 1);
        }
        QString& cached = m_keys[_uiIndex];
        if (cached.size() != static_cast<int>(_uiLength) ||
            std::memcmp(cached.utf16(), _pText, _uiLength * sizeof(ushort)) != 0) {
            cached = toQString(_pText, _uiLength);
        }
        return cached;
    }

private:
    std::vector<QString> m_keys;
};

// What a value means by where it stands in the answer.
enum class Slot : unsigned char
{
    Other,   // anything the decoder does not read (still checked for repeated names)
    Root,    // the answer object
    Result,  // "result" of the answer
    Reason,  // "reason" of the answer
    Data,    // "data" of the answer
    Rows,    // "ret" of "data"
    Row,     // one element of "ret"
    Record,  // "record" of a row
    Column,  // one element of "record"
    Key,     // "key" of a column
    Value,   // "value" of a column
};

// Builds the record set while the reader walks the text: no tree, no second pass. Every object
// keeps the names it has seen so far; a repeated one stops the reader (the answer is unreadable).
class AnswerHandler : public rapidjson::BaseReaderHandler<Encoding, AnswerHandler>
{
public:
    AnswerHandler() : m_pRows(new RecordSet()) {}
    ~AnswerHandler() { dropRows(); }

    bool rootIsObject() const { return !m_bNotObject; }
    bool resultIsOk() const { return m_bResultOk; }
    bool hasReason() const { return m_bReason; }
    const QString& reason() const { return m_strReason; }
    RecordSet* takeRows()
    {
        RecordSet* pRows = m_pRows;
        m_pRows = nullptr;
        return pRows;
    }

    // Scalars (rapidjson sends every kind of scalar here through BaseReaderHandler).
    bool Default()
    {
        scalar(enterValue());
        return true;
    }
    bool String(const ushort* _pText, SizeType _uiLength, bool)
    {
        const Slot slot = enterValue();
        switch (slot) {
            case Slot::Result:
                m_bResultOk = kOk.is(_pText, _uiLength);
                break;
            case Slot::Reason:
                m_bReason = true;
                m_strReason = toQString(_pText, _uiLength);
                break;
            case Slot::Key:
                m_strKey = m_keys.key(m_uiColumn, _pText, _uiLength);
                break;
            case Slot::Value:
                m_strValue = toQString(_pText, _uiLength);
                break;
            default:
                scalar(slot);
                break;
        }
        return true;
    }

    bool StartObject()
    {
        const Slot slot = enterValue();
        switch (slot) {
            case Slot::Root:
            case Slot::Data:
                return open(slot, true);
            case Slot::Row:
                m_pRow = appendRow();
                return open(slot, true);
            case Slot::Column:
                m_strKey = QString();
                m_strValue = QString();
                return open(slot, true);
            default:
                return skip(slot, true);
        }
    }
    bool Key(const ushort* _pText, SizeType _uiLength, bool)
    {
        Frame& frame = m_frames.back();
        if (!addName(frame, _pText, _uiLength)) {
            return false;
        }
        frame.next = Slot::Other;
        switch (frame.slot) {
            case Slot::Root:
                if (kResult.is(_pText, _uiLength)) {
                    frame.next = Slot::Result;
                } else if (kReason.is(_pText, _uiLength)) {
                    frame.next = Slot::Reason;
                } else if (kData.is(_pText, _uiLength)) {
                    frame.next = Slot::Data;
                }
                break;
            case Slot::Data:
                if (kRet.is(_pText, _uiLength)) {
                    frame.next = Slot::Rows;
                }
                break;
            case Slot::Row:
                if (kRecord.is(_pText, _uiLength)) {
                    frame.next = Slot::Record;
                }
                break;
            case Slot::Column:
                if (kKey.is(_pText, _uiLength)) {
                    frame.next = Slot::Key;
                } else if (kValue.is(_pText, _uiLength)) {
                    frame.next = Slot::Value;
                }
                break;
            default:
                break;
        }
        return true;
    }
    bool EndObject(SizeType)
    {
        const Frame& frame = m_frames.back();
        if (frame.slot == Slot::Column) {
            m_pRow->insert(m_strKey, m_strValue);
            ++m_uiColumn;
        }
        m_nameChars.resize(firstNameChar(frame));
        m_nameEnds.resize(frame.uiFirstName);
        m_frames.pop_back();
        return true;
    }

    bool StartArray()
    {
        const Slot slot = enterValue();
        switch (slot) {
            case Slot::Rows:
                return open(slot, false);
            case Slot::Record:
                m_uiColumn = 0;
                return open(slot, false);
            default:
                return skip(slot, false);
        }
    }
    bool EndArray(SizeType)
    {
        m_frames.pop_back();
        return true;
    }

private:
    struct Frame
    {
        Slot slot;
        bool bObject;
        Slot next;           // slot of the value after the last name (objects)
        size_t uiFirstName;  // this object's first entry in m_nameEnds
        std::unique_ptr<std::set<std::u16string>> pManyNames;  // names of a large object
    };

    // Objects with a few names compare them in a row; a large one moves to a sorted set, so a
    // hostile answer with a huge object stays O(n log n).
    static constexpr size_t kLinearNames = 16;

    // The slot of the value starting now, from the frame it stands in.
    Slot enterValue()
    {
        if (m_frames.empty()) {
            return Slot::Root;
        }
        const Frame& parent = m_frames.back();
        if (parent.bObject) {
            return parent.next;
        }
        switch (parent.slot) {
            case Slot::Rows:
                return Slot::Row;
            case Slot::Record:
                return Slot::Column;
            default:
                return Slot::Other;
        }
    }

    bool open(Slot _slot, bool _bObject)
    {
        m_frames.push_back(Frame{_slot, _bObject, Slot::Other, m_nameEnds.size(), nullptr});
        return true;
    }
    // A container where its slot expects something else: counts as that wrong value, and its
    // contents are only checked for repeated names.
    bool skip(Slot _slot, bool _bObject)
    {
        scalar(_slot);
        return open(Slot::Other, _bObject);
    }

    // A value that is not read as what its slot expects.
    void scalar(Slot _slot)
    {
        switch (_slot) {
            case Slot::Root:
                m_bNotObject = true;
                break;
            case Slot::Result:
                m_bResultOk = false;
                break;
            case Slot::Reason:
                m_bReason = true;
                m_strReason = QString();
                break;
            case Slot::Row:
                appendRow();
                break;
            case Slot::Column:
                m_pRow->insert(QString(), QString());
                ++m_uiColumn;
                break;
            case Slot::Key:
                m_strKey = QString();
                break;
            case Slot::Value:
                m_strValue = QString();
                break;
            default:
                break;
        }
    }

    QMap<QString, QString>* appendRow()
    {
        auto* pRow = new QMap<QString, QString>();
        m_pRows->append(pRow);
        return pRow;
    }

    // Where the characters of an object's first name start in m_nameChars.
    size_t firstNameChar(const Frame& _frame) const
    {
        return _frame.uiFirstName == 0 ? 0 : m_nameEnds[_frame.uiFirstName - 1];
    }

    // False when the object already has this name.
    bool addName(Frame& _frame, const ushort* _pText, SizeType _uiLength)
    {
        if (_frame.pManyNames) {
            return _frame.pManyNames->emplace(reinterpret_cast<const char16_t*>(_pText), _uiLength).second;
        }
        size_t uiStart = firstNameChar(_frame);
        for (size_t i = _frame.uiFirstName; i < m_nameEnds.size(); ++i) {
            const size_t uiEnd = m_nameEnds[i];
            if (uiEnd - uiStart == _uiLength &&
                std::memcmp(m_nameChars.data() + uiStart, _pText, _uiLength * sizeof(ushort)) == 0) {
                return false;
            }
            uiStart = uiEnd;
        }
        if (m_nameEnds.size() - _frame.uiFirstName < kLinearNames) {
            m_nameChars.insert(m_nameChars.end(), _pText, _pText + _uiLength);
            m_nameEnds.push_back(m_nameChars.size());
            return true;
        }
        _frame.pManyNames = std::make_unique<std::set<std::u16string>>();
        uiStart = firstNameChar(_frame);
        for (size_t i = _frame.uiFirstName; i < m_nameEnds.size(); ++i) {
            _frame.pManyNames->emplace(reinterpret_cast<const char16_t*>(m_nameChars.data() + uiStart),
                                       m_nameEnds[i] - uiStart);
            uiStart = m_nameEnds[i];
        }
        _frame.pManyNames->emplace(reinterpret_cast<const char16_t*>(_pText), _uiLength);
        return true;
    }

    void dropRows()
    {
        if (m_pRows != nullptr) {
            qDeleteAll(*m_pRows);
            delete m_pRows;
            m_pRows = nullptr;
        }
    }

    RecordSet* m_pRows;
    QMap<QString, QString>* m_pRow = nullptr;
    size_t m_uiColumn = 0;
    QString m_strKey;
    QString m_strValue;
    KeyCache m_keys;
    bool m_bResultOk = false;
    bool m_bReason = false;
    bool m_bNotObject = false;
    QString m_strReason;
    std::vector<Frame> m_frames;
    // Names of the open objects, innermost last: their characters back to back and where each ends.
    std::vector<ushort> m_nameChars;
    std::vector<size_t> m_nameEnds;
};

}  // namespace

int DecodeQueryAnswer(const QString& _strAnswer, RecordSet*& _pRows)
{
    _pRows = nullptr;
    AnswerHandler handler;
    rapidjson::GenericReader<Encoding, Encoding> reader;
    rapidjson::GenericStringStream<Encoding> text(_strAnswer.utf16());
    // Iterative parsing: a deeply nested answer cannot exhaust the stack.
    const rapidjson::ParseResult parsed = reader.Parse<rapidjson::kParseIterativeFlag>(text, handler);
    // The reader stops at U+0000, which JSON text never holds unescaped: a text read to its end
    // was read whole only when that stop is the terminator.
    if (parsed.IsError() || text.Tell() != static_cast<size_t>(_strAnswer.size()) ||
        !handler.rootIsObject()) {
        return -1;
    }
    if (!handler.resultIsOk()) {
        if (handler.hasReason()) {
            DL_LOG(3, "DB error reason:%s", qUtf8Printable(handler.reason()));
        }
        return -1;
    }
    _pRows = handler.takeRows();
    return 0;
}

int AnswerRetCode(const QJsonObject& _jsonData)
{
    const QJsonValue ret = _jsonData.value(QLatin1String("ret"));
    if (ret.isUndefined()) {
        return 0;
    }
    const double dRet = ret.toDouble(0.5);
    if (!ret.isDouble() || std::trunc(dRet) != dRet || dRet < std::numeric_limits<int>::min() ||
        dRet > std::numeric_limits<int>::max()) {
        return -1;
    }
    return static_cast<int>(dRet);
}
