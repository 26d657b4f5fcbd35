// Managed vehicles of the entrance terminals and the record of what was sent to each terminal.
#ifndef CLS_SECURITYCARENTITY_H
#define CLS_SECURITYCARENTITY_H

#include "CLS_BaseEntity.h"
#include "DataMediatorExport.h"

#include <QString>

/// One TAB_SECURITY_CAR_MANAGE row.
class DATAMEDIATOR_EXPORT CLS_SecurityCarEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_VLP;          ///< licence plate
    qint32 I_VLPC = 0;      ///< plate colour
    qint32 I_ALWAYSOK = 0;  ///< 1: the white-list period is unlimited
    QString S_USER;
    QString S_TEL;
    QString S_WHITEBEGINTIME;
    QString S_WHITEENDTIME;
    QString S_BLACKBEGINTIME;
    QString S_BLACKENDTIME;
};

/// One TAB_SECURITY_CAR_SEND row; S_BEGINTIME and S_ENDTIME are the list period when read
/// through a join with the managed vehicle.
class DATAMEDIATOR_EXPORT CLS_SecurityCarSendEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(false)

    QString S_TERMINALSN;
    qint32 I_TERMINALTYPE = 0;
    QString S_VLP;
    qint32 I_VLPC = 0;
    qint32 I_LISTTYPE = 0;  ///< 1 black list, 0 white list
    QString S_CMDID;
    qint32 I_TYPE = 0;  ///< kind of command; 0 is a removal
    qint32 I_STATUS = 0;
    QString S_SENDTIME;
    QString S_BEGINTIME;
    QString S_ENDTIME;
};

/// Vehicle colour that matches every colour in a search.
constexpr qint32 kSecurityCarAnyColour = 9;

/// Criteria of the paged send-row list: texts when non-empty, numbers when >= 0 (a colour of
/// 9 matches any colour, a list type other than 0 or 1 both lists).
struct STRCT_SecurityCarSendQuery {
    QString m_qstrTerminalSn;
    QString m_qstrVlp;  ///< matched as a part of the plate
    qint32 m_iVlpc = kSecurityCarAnyColour;
    qint32 m_iListType = -1;
    qint32 m_iStatus = -1;
};

#endif  // CLS_SECURITYCARENTITY_H
