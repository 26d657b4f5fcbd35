// Persons (TAB_PERSON_INFO) and their membership in face libraries (TAB_FACELIB_PERSON_REL).
#ifndef CLS_FACEINFOENTITYDAO_H
#define CLS_FACEINFOENTITYDAO_H

#include "CLS_FaceLibEntities.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QMap>
#include <QStringList>
#include <QVector>

class DATAMEDIATOR_EXPORT CLS_FaceInfoEntityDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call, never destroyed.
    static CLS_FaceInfoEntityDAO* GetInstance();
    virtual ~CLS_FaceInfoEntityDAO() = default;

    /// The person of that id. 0 when found, -1 when missing or the read failed.
    virtual int GetPersonInfoByPersonID(const QString& _qstrPersonId, CLS_FaceInfoEntity& _person);

    /// The person and its membership in _qstrFaceLibId, in one transaction.
    int AddPerson(const CLS_FaceInfoEntity& _person, const QString& _qstrFaceLibId);
    /// Every field of the person S_ID.
    int UpdatePerson(const CLS_FaceInfoEntity& _person);
    /// The person's membership in the library and, when no other library holds the person, the
    /// person row, in one transaction.
    int RemovePersonFromLib(const QString& _qstrPersonId, const QString& _qstrFaceLibId);
    /// The memberships in the libraries and every member that no other library holds, in one
    /// transaction; 0 for none.
    int RemovePersonsOfLibs(const QStringList& _lstFaceLibIds);

    // Counts, -1 when the read failed.
    int GetPersonNameCount(const QString& _qstrName);
    int GetPersonNumberCount(const QString& _qstrNumber);
    int GetPersonIdCount(const QString& _qstrPersonId);
    /// Memberships of the person in any library.
    int GetPersonLibRelCount(const QString& _qstrPersonId);
    int GetPersonCount();
    /// Members of one library; "facelib_root_id" counts the members of every library.
    int GetFaceLibMemberCount(const QString& _qstrFaceLibId);
    /// Members of the library with the query's number and/or id; -1 when both are empty.
    int GetPersonByFaceLibQuery(const QString& _qstrFaceLibId, const STRCT_FacePersonQuery& _StrQueryInfo);
    /// Members of the libraries matching the query's name, number and sex.
    int GetPageOrgManageQuery(const QStringList& _lstFaceLibIds, const STRCT_FacePersonQuery& _query);

    // Look-ups; each appends and returns 0 or -1.
    int GetPersonByNumber(const QString& _qstrNumber, QVector<CLS_FaceInfoEntity>& _vecPersons);
    int GetPersonByNumericNumber(qint64 _iNumber, QVector<CLS_FaceInfoEntity>& _vecPersons);
    /// Number → name of every person.
    int GetAllUserNameId(QMap<QString, QString>& _mapNumberName);
    /// Captions of the person's libraries, oldest library first, at most 15.
    int GetFaceLibCaptionsOfPerson(const QString& _qstrPersonId, QStringList& _lstCaptions);
    /// One page of the members of the libraries matching the query, by number; a page index of
    /// 0 or 1 is the first page.
    int GetPagePerson(const QStringList& _lstFaceLibIds, const STRCT_FacePersonQuery& _query, int _iPageSize,
                      int _iPageIndex, QVector<CLS_FaceInfoEntity>& _vecPersons);
    /// Every membership with its person and library.
    int GetAllPersonInfo(QVector<CLS_FaceInfoEntity>& _vecPersons);

protected:
    CLS_FaceInfoEntityDAO() = default;
};

#endif  // CLS_FACEINFOENTITYDAO_H
