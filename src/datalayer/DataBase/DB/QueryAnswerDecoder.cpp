#include "QueryAnswerDecoder.h"

#include "Log.h"

// Release builds of rapidjson do not assert; make builds with assertions on behave the same
// (a lone surrogate escape in an answer must give a decoding failure, not an abort).
#define RAPIDJSON_ASSERT(x) static_cast<void>(0)
#include <rapidjson/document.h>
#include <rapidjson/encodings.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

using Encoding = rapidjson::UTF16<ushort>;
using Document = rapidjson::GenericDocument<Encoding>;
using Value = rapidjson::GenericValue<Encoding>;

// Answers naming a member twice are refused before this lookup.
const Value* lastMember(const Value& _object, const ushort* _pszName, size_t _uiLength)
{
    const Value* pFound = nullptr;
    for (auto it = _object.MemberBegin(); it != _object.MemberEnd(); ++it) {
        if (it->name.GetStringLength() == _uiLength &&
            std::memcmp(it->name.GetString(), _pszName, _uiLength * sizeof(ushort)) == 0) {
            pFound = &it->value;
        }
    }
    return pFound;
}

template <size_t N>
const Value* lastMember(const Value& _object, const char (&_szName)[N])
{
    ushort name[N];
    for (size_t i = 0; i < N; ++i) {
        name[i] = static_cast<unsigned char>(_szName[i]);
    }
    return lastMember(_object, name, N - 1);
}

// True when any object in the document names a member twice (names compared as decoded text).
// Walks the parsed document with a stack of its own: nesting depth cannot exhaust the call stack.
bool repeatsMemberName(const Value& _root)
{
    using Name = std::pair<const ushort*, size_t>;
    const auto lessName = [](const Name& _a, const Name& _b) {
        if (_a.second != _b.second)
            return _a.second < _b.second;
        return std::memcmp(_a.first, _b.first, _a.second * sizeof(ushort)) < 0;
    };
    std::vector<const Value*> pending{&_root};
    std::vector<Name> names;
    while (!pending.empty()) {
        const Value& value = *pending.back();
        pending.pop_back();
        if (value.IsArray()) {
            for (const Value& item : value.GetArray()) {
                if (item.IsObject() || item.IsArray())
                    pending.push_back(&item);
            }
            continue;
        }
        if (!value.IsObject())
            continue;
        names.clear();
        for (auto it = value.MemberBegin(); it != value.MemberEnd(); ++it) {
            names.emplace_back(it->name.GetString(), it->name.GetStringLength());
            if (it->value.IsObject() || it->value.IsArray())
                pending.push_back(&it->value);
        }
        std::sort(names.begin(), names.end(), lessName);
        for (size_t i = 1; i < names.size(); ++i) {
            if (!lessName(names[i - 1], names[i]))
                return true;
        }
    }
    return false;
}

QString toQString(const Value& _value)
{
    return QString(reinterpret_cast<const QChar*>(_value.GetString()),
                   static_cast<int>(_value.GetStringLength()));
}

// Column names repeat in every row: keep one shared QString per column position.
class KeyCache
{
public:
    const QString& key(size_t _uiIndex, const Value& _name)
    {
        if (_uiIndex >= m_keys.size()) {
            m_keys.resize(_uiIndex + 1);
        }
        QString& cached = m_keys[_uiIndex];
        const auto uiLength = static_cast<int>(_name.GetStringLength());
        if (cached.size() != uiLength || std::memcmp(cached.utf16(), _name.GetString(),
                                                     static_cast<size_t>(uiLength) * sizeof(ushort)) != 0) {
            cached = toQString(_name);
        }
        return cached;
    }

private:
    std::vector<QString> m_keys;
};

}  // namespace

int DecodeQueryAnswer(const QString& _strAnswer, RecordSet*& _pRows)
{
    _pRows = nullptr;
    // The parser stops at U+0000, which JSON text never holds unescaped.
    if (_strAnswer.contains(QChar(0))) {
        return -1;
    }
    Document doc;
    // Iterative parsing: a deeply nested answer cannot exhaust the stack.
    doc.Parse<rapidjson::kParseIterativeFlag>(_strAnswer.utf16());
    if (doc.HasParseError() || !doc.IsObject()) {
        return -1;
    }
    // One rule for every answer: a repeated member name makes the text unreadable. Checked on
    // the parsed document (which keeps every member), not by a second pass over the text.
    if (repeatsMemberName(doc)) {
        return -1;
    }
    const Value* pResult = lastMember(doc, "result");
    static const ushort kOk[] = {'O', 'K'};
    if (pResult == nullptr || !pResult->IsString() || pResult->GetStringLength() != 2 ||
        std::memcmp(pResult->GetString(), kOk, sizeof(kOk)) != 0) {
        if (const Value* pReason = lastMember(doc, "reason")) {
            const QString strReason = pReason->IsString() ? toQString(*pReason) : QString();
            DL_LOG(3, "DB error reason:%s", qUtf8Printable(strReason));
        }
        return -1;
    }

    _pRows = new RecordSet();
    const Value* pData = lastMember(doc, "data");
    if (pData == nullptr || !pData->IsObject()) {
        return 0;
    }
    const Value* pRet = lastMember(*pData, "ret");
    if (pRet == nullptr || !pRet->IsArray()) {
        return 0;
    }
    _pRows->reserve(static_cast<int>(pRet->Size()));
    KeyCache keys;
    const QString strEmpty;
    for (const Value& row : pRet->GetArray()) {
        auto* pMap = new QMap<QString, QString>();
        _pRows->append(pMap);
        if (!row.IsObject()) {
            continue;
        }
        const Value* pRecord = lastMember(row, "record");
        if (pRecord == nullptr || !pRecord->IsArray()) {
            continue;
        }
        size_t uiColumn = 0;
        for (const Value& column : pRecord->GetArray()) {
            const Value* pKey = column.IsObject() ? lastMember(column, "key") : nullptr;
            const Value* pValue = column.IsObject() ? lastMember(column, "value") : nullptr;
            const QString& strKey =
                (pKey != nullptr && pKey->IsString()) ? keys.key(uiColumn, *pKey) : strEmpty;
            pMap->insert(strKey, (pValue != nullptr && pValue->IsString()) ? toQString(*pValue) : QString());
            ++uiColumn;
        }
    }
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
