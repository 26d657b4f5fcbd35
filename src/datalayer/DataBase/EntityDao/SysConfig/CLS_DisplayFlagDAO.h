// Display flags (TAB_DD_DISPLAYFLAG) and the personal "DisplayFlag" setting.
#ifndef CLS_DISPLAYFLAGDAO_H
#define CLS_DISPLAYFLAGDAO_H

#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QMap>
#include <QString>

class DATAMEDIATOR_EXPORT CLS_DisplayFlagDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call, never destroyed.
    static CLS_DisplayFlagDAO* GetInstance();
    virtual ~CLS_DisplayFlagDAO();

    /// "system" (0), "small" (1), "big" (2); "system" for any other index.
    static QString FlagText(int _iIndex);

    /// Caption → abbreviation of every flag, read on the first call and served from memory
    /// afterwards; a read that failed or found nothing is tried again on the next call.
    QMap<QString, QString> GetDisplayFlags();
    /// Sets the personal "DisplayFlag" back to "system". 0 or the failure.
    int RecoverDefaultDisplayFlag();

protected:
    CLS_DisplayFlagDAO();

private:
    void LoadFlags();
    QMap<QString, QString> m_mapFlags;
    bool m_bLoaded = false;
};

#endif  // CLS_DISPLAYFLAGDAO_H
