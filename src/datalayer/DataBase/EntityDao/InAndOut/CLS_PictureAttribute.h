// The description that analysis pictures carry as JSON in their image text "attribute", read
// into the record of their kind. The readers and parsers are pure (no database, no log);
// ParseLogged adds the log lines of the mediator's operations.
#ifndef CLS_PICTUREATTRIBUTE_H
#define CLS_PICTUREATTRIBUTE_H

#include "CLS_PassageEntities.h"
#include "DataMediatorExport.h"
#include "Log.h"

#include <QByteArray>
#include <QString>

namespace PictureAttribute {

/// The text "attribute" of the picture file; empty when it has none. False when the file is
/// not a readable image.
DATAMEDIATOR_EXPORT bool ReadFileText(const QString& _qstrPath, QString& _qstrText);
/// The same for an image held in memory.
DATAMEDIATOR_EXPORT bool ReadDataText(const QByteArray& _baData, QString& _qstrText);

/// Copy the keys present in the JSON object _qstrText into the record; the record is left
/// unchanged and false returned when the text is not a JSON object.
DATAMEDIATOR_EXPORT bool ParseBehavior(const QString& _qstrText, CLS_BehaviorAnalysisEntity& _entity);
DATAMEDIATOR_EXPORT bool ParseCar(const QString& _qstrText, CLS_CarDataRecvEntity& _entity);
DATAMEDIATOR_EXPORT bool ParsePad(const QString& _qstrText, CLS_PadDataRecvEntity& _entity);
DATAMEDIATOR_EXPORT bool ParseWay(const QString& _qstrText, CLS_WayDataRecEntity& _entity);

/// Reads the picture file and parses its attribute into the record (unchanged on failure).
/// A file that is not an image logs "<operation> image unreadable", missing or bad JSON
/// "<operation> jsonError", both at level 3.
template <typename E>
bool ParseLogged(const char* _pszOperation, const QString& _qstrPath, E& _entity,
                 bool (*_pfnParse)(const QString&, E&))
{
    QString qstrText;
    if (!ReadFileText(_qstrPath, qstrText)) {
        DL_LOG(3, "%s image unreadable", _pszOperation);
        return false;
    }
    if (!_pfnParse(qstrText, _entity)) {
        DL_LOG(3, "%s jsonError", _pszOperation);
        return false;
    }
    return true;
}

}  // namespace PictureAttribute

#endif  // CLS_PICTUREATTRIBUTE_H
