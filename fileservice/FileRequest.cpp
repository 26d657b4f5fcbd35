#include "FileRequest.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace tessel::files {

bool parseFields(const QByteArray& _baBody, const QStringList& _lstKeys, QStringList* _pValues, QString* _pError)
{
    // Anything that does not come back byte for byte is not UTF-8 (a cut sequence at the end
    // included, which a decoder would drop silently).
    const QString strBody = QString::fromUtf8(_baBody);
    if (strBody.toUtf8() != _baBody) {
        *_pError = QStringLiteral("the parameter text is not UTF-8");
        return false;
    }
    _pValues->clear();
    int iPos = 0;
    for (int i = 0; i < _lstKeys.size(); ++i) {
        const QString strPrefix = _lstKeys.at(i) + QLatin1Char('=');
        if (strBody.midRef(iPos, strPrefix.size()) != strPrefix) {
            *_pError = QStringLiteral("field \"%1\" missing").arg(_lstKeys.at(i));
            return false;
        }
        iPos += strPrefix.size();
        const bool bLast = i + 1 == _lstKeys.size();
        const int iTab = bLast ? -1 : strBody.indexOf(QLatin1Char('\t'), iPos);
        if (!bLast && iTab < 0) {
            *_pError = QStringLiteral("field \"%1\" missing").arg(_lstKeys.at(i + 1));
            return false;
        }
        _pValues->append(bLast ? strBody.mid(iPos) : strBody.mid(iPos, iTab - iPos));
        iPos = iTab + 1;
    }
    return true;
}

bool decodeUploadData(const QString& _strData, QByteArray* _pBytes, QString* _pError)
{
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(_strData.toUtf8(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject()) {
        *_pError = QStringLiteral("data is not a JSON object");
        return false;
    }
    const QJsonObject obj = doc.object();
    const QJsonValue valBuf = obj.value(QLatin1String("buf"));
    const QJsonValue valSize = obj.value(QLatin1String("size"));
    if (!valBuf.isString()) {
        *_pError = QStringLiteral("data has no text \"buf\"");
        return false;
    }
    if (!valSize.isDouble()) {
        *_pError = QStringLiteral("data has no number \"size\"");
        return false;
    }
    const QString strBuf = valBuf.toString();
    // A size that disagrees with the text means the payload was cut or altered on the way.
    if (valSize.toDouble() != static_cast<double>(strBuf.size())) {
        *_pError = QStringLiteral("\"size\" %1 differs from the length %2 of \"buf\"")
                       .arg(valSize.toDouble(), 0, 'f', 0)
                       .arg(strBuf.size());
        return false;
    }
    const QByteArray::FromBase64Result decoded =
        QByteArray::fromBase64Encoding(strBuf.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    bool bAscii = true;
    for (const QChar c : strBuf) {
        bAscii = bAscii && c.unicode() < 0x80;
    }
    if (!decoded || !bAscii) {
        *_pError = QStringLiteral("\"buf\" is not Base64");
        return false;
    }
    *_pBytes = decoded.decoded;
    return true;
}

QByteArray encodeDownloadReply(const QByteArray& _baFile)
{
    QJsonObject obj;
    obj.insert(QStringLiteral("buf"), QString::fromLatin1(_baFile.toBase64()));
    return QJsonDocument(obj).toJson(QJsonDocument::Compact);
}

}  // namespace tessel::files
