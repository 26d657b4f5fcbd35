#include "CLS_ElectronicMapEntity.h"

QString CLS_ElectronicMapEntity::EncodePicture(const QByteArray& _baPicture, const QString& _qstrFormat)
{
    return QStringLiteral("image/") + _qstrFormat + QStringLiteral(";base64:") +
           QString::fromLatin1(_baPicture.toBase64());
}
