#include "CLS_PictureAttribute.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstring>

namespace PictureAttribute {

namespace {

const char kAttributeKey[] = "attribute";
// Larger pictures are refused before their pixels are allocated.
constexpr qint64 kMaxPixels = qint64(64) * 1024 * 1024;
// Larger files are not read.
constexpr qint64 kMaxFileBytes = qint64(256) * 1024 * 1024;

// A PNG whose chunk claims more bytes than the data holds is refused: the PNG library would
// allocate the claimed length (up to 2 GiB) before it found the data missing.
bool PngChunksFit(const QByteArray& _baData)
{
    static const char kSignature[] = "\x89PNG\r\n\x1a\n";
    if (!_baData.startsWith(QByteArray::fromRawData(kSignature, 8))) {
        return true;
    }
    qint64 i64Pos = 8;
    while (i64Pos + 8 <= _baData.size()) {
        const auto* p = reinterpret_cast<const uchar*>(_baData.constData() + i64Pos);
        const qint64 i64Length =
            (qint64(p[0]) << 24) | (qint64(p[1]) << 16) | (qint64(p[2]) << 8) | qint64(p[3]);
        // length, type, data and CRC
        if (i64Pos + 12 + i64Length > _baData.size()) {
            return false;
        }
        if (std::memcmp(p + 4, "IEND", 4) == 0) {
            return true;
        }
        i64Pos += 12 + i64Length;
    }
    return false;
}

// The key names the field it fills; absent keys leave the field as it is.
struct TextKey
{
    const char* key;
    QString* field;
};

bool ReadText(QImageReader& _reader, QString& _qstrText)
{
    const QSize size = _reader.size();
    if (!_reader.canRead() || !size.isValid() || qint64(size.width()) * size.height() > kMaxPixels) {
        return false;
    }
    // Reading the whole image, not only its header, refuses a truncated or corrupt file and
    // gives the texts stored after the pixels too.
    const QImage image = _reader.read();
    if (image.isNull()) {
        return false;
    }
    _qstrText = image.text(QLatin1String(kAttributeKey));
    return true;
}

bool ParseObject(const QString& _qstrText, QJsonObject& _object)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(_qstrText.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        return false;
    }
    _object = doc.object();
    return true;
}

void CopyTexts(const QJsonObject& _object, std::initializer_list<TextKey> _keys)
{
    for (const TextKey& k : _keys) {
        const QJsonValue value = _object.value(QLatin1String(k.key));
        if (!value.isUndefined()) {
            *k.field = value.isString() ? value.toString() : value.toVariant().toString();
        }
    }
}

template <typename I>
void CopyInt(const QJsonObject& _object, const char* _pszKey, I& _field)
{
    const QJsonValue value = _object.value(QLatin1String(_pszKey));
    if (!value.isUndefined()) {
        _field = static_cast<I>(value.toVariant().toLongLong());
    }
}

// Parses into a copy so that a refused text leaves the record untouched.
template <typename E, typename F>
bool Parse(const QString& _qstrText, E& _entity, F&& _fill)
{
    QJsonObject object;
    if (!ParseObject(_qstrText, object)) {
        return false;
    }
    E copy = _entity;
    _fill(object, copy);
    _entity = copy;
    return true;
}

}  // namespace

bool ReadFileText(const QString& _qstrPath, QString& _qstrText)
{
    QFile file(_qstrPath);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes) {
        return false;
    }
    return ReadDataText(file.readAll(), _qstrText);
}

bool ReadDataText(const QByteArray& _baData, QString& _qstrText)
{
    if (!PngChunksFit(_baData)) {
        return false;
    }
    QBuffer buffer;
    buffer.setData(_baData);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return ReadText(reader, _qstrText);
}

bool ParseBehavior(const QString& _qstrText, CLS_BehaviorAnalysisEntity& _entity)
{
    return Parse(_qstrText, _entity, [](const QJsonObject& o, CLS_BehaviorAnalysisEntity& e) {
        CopyTexts(o, {{"DevId", &e.S_DEV_ID},
                      {"ChannelId", &e.S_CHANNEL_ID},
                      {"ChannelName", &e.S_CHANNEL_NAME},
                      {"SnapPath", &e.S_SNAP_PATH},
                      {"SnapTimeStamp", &e.DT_SNAP_TIMESTAMP}});
        CopyInt(o, "Type", e.I_TYPE);
        CopyInt(o, "FileSize", e.I_FILE_SIZE);
        CopyInt(o, "Seq", e.I_SEQ);
    });
}

bool ParseCar(const QString& _qstrText, CLS_CarDataRecvEntity& _entity)
{
    return Parse(_qstrText, _entity, [](const QJsonObject& o, CLS_CarDataRecvEntity& e) {
        CopyTexts(o, {{"Vlp", &e.S_Vlp},
                      {"Vlpc", &e.S_Vlpc},
                      {"PassTime", &e.S_PassTime},
                      {"Image", &e.S_Image},
                      {"PlateImage", &e.S_PlateImage},
                      {"DriverImage", &e.S_DriverImage},
                      {"SN", &e.S_SN},
                      {"Terminalname", &e.S_TerminalName},
                      {"SaveTime", &e.S_SaveTime}});
    });
}

bool ParsePad(const QString& _qstrText, CLS_PadDataRecvEntity& _entity)
{
    return Parse(_qstrText, _entity, [](const QJsonObject& o, CLS_PadDataRecvEntity& e) {
        CopyTexts(o, {{"UserCode", &e.S_UserCode},
                      {"UserName", &e.S_UserName},
                      {"Passtime", &e.S_PassTime},
                      {"Image", &e.S_Image},
                      {"TerminalSN", &e.S_TerminalSn},
                      {"TerminalName", &e.S_TerminalName},
                      {"SaveTime", &e.S_SaveTime}});
    });
}

bool ParseWay(const QString& _qstrText, CLS_WayDataRecEntity& _entity)
{
    return Parse(_qstrText, _entity, [](const QJsonObject& o, CLS_WayDataRecEntity& e) {
        CopyTexts(o, {{"VLP", &e.S_VLP},
                      {"VLPC", &e.S_VLPC},
                      {"passtime", &e.S_passtime},
                      {"image", &e.S_image},
                      {"plateimage", &e.S_plateimage},
                      {"driverimage", &e.S_driverimage},
                      {"SN", &e.S_SN},
                      {"terminalname", &e.S_terminalname},
                      {"carcolor", &e.S_carcolor},
                      {"cartype", &e.S_cartype},
                      {"carclass", &e.S_carclass},
                      {"crossing", &e.S_crossing},
                      {"lane", &e.S_lane},
                      {"runingdirection", &e.S_runingdirection}});
    });
}

}  // namespace PictureAttribute
