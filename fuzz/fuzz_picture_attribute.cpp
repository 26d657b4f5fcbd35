// Fuzz target: the picture attribute readers.
//
// Byte 0 chooses the form of the rest: even, an image file in memory whose text "attribute" is
// read (every Qt image format built in); odd, the attribute text itself. The text is then given
// to the parsers of all four kinds over records filled with a marker. Nothing may crash, and:
//   - a refused text leaves every field of the record as it was;
//   - an accepted text changes only fields whose key it has (a record parsed from "{}" keeps
//     every marker).
// A violation aborts.
#include "DataBase/EntityDao/InAndOut/CLS_PictureAttribute.h"
#include "FuzzSupport.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

const QString kMark = QStringLiteral("\x01mark");

[[noreturn]] void fail(const char* _pszWhat)
{
    std::fprintf(stderr, "fuzz_picture_attribute: %s\n", _pszWhat);
    std::abort();
}

#define CHECK(cond)                       \
    do {                                  \
        if (!(cond)) {                    \
            fail("check failed: " #cond); \
        }                                 \
    } while (0)

bool isObject(const QString& _strText)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(_strText.toUtf8(), &error);
    return error.error == QJsonParseError::NoError && doc.isObject();
}

bool hasKey(const QString& _strText, const char* _pszKey)
{
    return QJsonDocument::fromJson(_strText.toUtf8()).object().contains(QLatin1String(_pszKey));
}

void checkTexts(const QString& _strText)
{
    const bool bObject = isObject(_strText);

    CLS_CarDataRecvEntity car;
    car.S_Vlp = car.S_PassTime = car.S_ID = kMark;
    CHECK(PictureAttribute::ParseCar(_strText, car) == bObject);
    CHECK(car.S_ID == kMark);
    CHECK((car.S_Vlp == kMark) || (bObject && hasKey(_strText, "Vlp")));
    CHECK((car.S_PassTime == kMark) || (bObject && hasKey(_strText, "PassTime")));

    CLS_PadDataRecvEntity pad;
    pad.S_UserCode = pad.S_PassTime = kMark;
    CHECK(PictureAttribute::ParsePad(_strText, pad) == bObject);
    CHECK((pad.S_UserCode == kMark) || (bObject && hasKey(_strText, "UserCode")));
    CHECK((pad.S_PassTime == kMark) || (bObject && hasKey(_strText, "Passtime")));

    CLS_WayDataRecEntity way;
    way.S_VLP = way.S_savetime = kMark;
    CHECK(PictureAttribute::ParseWay(_strText, way) == bObject);
    CHECK(way.S_savetime == kMark);
    CHECK((way.S_VLP == kMark) || (bObject && hasKey(_strText, "VLP")));

    CLS_BehaviorAnalysisEntity behaviour;
    behaviour.I_TYPE = -7;
    behaviour.I_FILE_SIZE = -7;
    behaviour.S_EXTRA = kMark;
    CHECK(PictureAttribute::ParseBehavior(_strText, behaviour) == bObject);
    CHECK(behaviour.S_EXTRA == kMark);
    CHECK(behaviour.I_TYPE == -7 || (bObject && hasKey(_strText, "Type")));
    CHECK(behaviour.I_FILE_SIZE == -7 || (bObject && hasKey(_strText, "FileSize")));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* _pData, size_t _uSize)
{
    if (_uSize == 0) {
        return 0;
    }
    const QByteArray baRest(reinterpret_cast<const char*>(_pData) + 1, static_cast<int>(_uSize - 1));
    if ((_pData[0] & 1) == 0) {
        QString strText = kMark;
        if (!PictureAttribute::ReadDataText(baRest, strText)) {
            CHECK(strText == kMark);
            return 0;
        }
        checkTexts(strText);
    } else {
        checkTexts(QString::fromUtf8(baRest));
    }
    return 0;
}
