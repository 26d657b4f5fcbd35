// The rights of one role held compactly for a cache: by authority type, each right an object and
// a status, kept in the order a read of the role gives them (by type, then status, then as
// written). Each object's id is stored once, in one UTF-8 text shared by all its rights; a right
// takes four bytes.
#ifndef CLS_ROLERIGHTS_H
#define CLS_ROLERIGHTS_H

#include "DataMediatorExport.h"
#include "STRCT_Authority.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVector>

#include <string_view>

class DATAMEDIATOR_EXPORT CLS_RoleRights
{
public:
    /// Whether no right is held.
    bool IsEmpty() const { return m_mapByType.isEmpty(); }
    /// The number of rights held.
    int Count() const;
    /// The authority types with at least one right, ascending.
    QList<qint32> Types() const { return m_mapByType.keys(); }
    bool HasType(qint32 _iType) const { return m_mapByType.contains(_iType); }
    void Clear();

    /// Adds an object's id to the table and gives its number (no check for one already there).
    quint32 AddObject(QStringView _id);
    /// Appends a right on object _uiObject (a number from AddObject) at the end of its type.
    void Append(qint32 _iType, quint32 _uiObject, qint32 _iStatus);
    /// Room for _iRights more rights of the type, for a read that knows how many come.
    void Reserve(qint32 _iType, int _iRights);
    /// Gives back the room beyond what is held.
    void Squeeze();

    /// Drops the rights on the objects (and their ids).
    void Drop(const QStringList& _lstObjIDs);
    /// Adds every right of _other, each after the rights of its type and status held already.
    void Merge(const CLS_RoleRights& _other);

    /// The objects on which the type is held with that status.
    QSet<QString> ObjectsWith(qint32 _iType, qint32 _iStatus) const;
    /// Every right as records of role _strRoleID, in the order held.
    AuthorityMap ToMap(const QString& _strRoleID) const;

private:
    struct Right
    {
        quint32 uiObject;
        qint32 iStatus;
    };
    // The rights of one type: their objects in order, and their statuses as runs (a status and
    // the end of its run in vecObjects); rights of one status follow each other.
    struct TypeRights
    {
        QVector<quint32> vecObjects;
        QVector<QPair<qint32, int>> vecRuns;
    };
    static void Push(TypeRights& _rights, quint32 _uiObject, qint32 _iStatus);
    static QVector<Right> Expand(const TypeRights& _rights);
    // The id's UTF-8 bytes, not copied: valid while the table is not changed.
    std::string_view Utf8At(quint32 _uiObject) const;
    QString ObjectAt(quint32 _uiObject) const
    {
        const std::string_view id = Utf8At(_uiObject);
        return QString::fromUtf8(id.data(), static_cast<int>(id.size()));
    }

    // The ids in UTF-8 one after another; id n ends at m_vecIdEnds[n] and starts where n - 1 ends.
    QByteArray m_baIds;
    QVector<quint32> m_vecIdEnds;
    QMap<qint32, TypeRights> m_mapByType;
};

#endif  // CLS_ROLERIGHTS_H
