// Car, pad and way passages: the picture attribute readers and pass-throughs to the facade.
#include "CLS_DataAccess.h"
#include "CLS_DataMediator.h"
#include "DataBase/EntityDao/InAndOut/CLS_PictureAttribute.h"

bool CLS_DataMediator::ParseCarPictureAttribute(QString _qstrPicPath, CLS_CarDataRecvEntity& _record)
{
    return PictureAttribute::ParseLogged("CLS_DataMediator::ParseCarPictureAttribute", _qstrPicPath, _record,
                                         &PictureAttribute::ParseCar);
}

bool CLS_DataMediator::ParsePadPictureAttribute(QString _qstrPicPath, CLS_PadDataRecvEntity& _record)
{
    return PictureAttribute::ParseLogged("CLS_DataMediator::ParsePadPictureAttribute", _qstrPicPath, _record,
                                         &PictureAttribute::ParsePad);
}

bool CLS_DataMediator::ParseWayPictureAttribute(QString _qstrPicPath, CLS_WayDataRecEntity& _record)
{
    return PictureAttribute::ParseLogged("CLS_DataMediator::ParseWayPictureAttribute", _qstrPicPath, _record,
                                         &PictureAttribute::ParseWay);
}

int CLS_DataMediator::SaveCarRecvDataToDB(QVector<CLS_CarDataRecvEntity>& _vecRecords)
{
    return CLS_DataAccess::GetInstance().SaveCarRecvDataToDB(_vecRecords);
}

int CLS_DataMediator::SaveCarRecvDataToDB(CLS_CarDataRecvEntity& _record)
{
    QVector<CLS_CarDataRecvEntity> vecOne{_record};
    const int iRet = CLS_DataAccess::GetInstance().SaveCarRecvDataToDB(vecOne);
    _record = vecOne.first();
    return iRet;
}

int CLS_DataMediator::SavePadRecvDataToDB(QVector<CLS_PadDataRecvEntity>& _vecRecords)
{
    return CLS_DataAccess::GetInstance().SavePadRecvDataToDB(_vecRecords);
}

int CLS_DataMediator::SavePadRecvDataToDB(CLS_PadDataRecvEntity& _record)
{
    QVector<CLS_PadDataRecvEntity> vecOne{_record};
    const int iRet = CLS_DataAccess::GetInstance().SavePadRecvDataToDB(vecOne);
    _record = vecOne.first();
    return iRet;
}

int CLS_DataMediator::SaveWayRecvDataToDB(QVector<CLS_WayDataRecEntity>& _vecRecords)
{
    return CLS_DataAccess::GetInstance().SaveWayRecvDataToDB(_vecRecords);
}

int CLS_DataMediator::SaveWayRecvDataToDB(CLS_WayDataRecEntity& _record)
{
    QVector<CLS_WayDataRecEntity> vecOne{_record};
    const int iRet = CLS_DataAccess::GetInstance().SaveWayRecvDataToDB(vecOne);
    _record = vecOne.first();
    return iRet;
}

int CLS_DataMediator::QueryCarHistory(const STRCT_PassageQuery& _query,
                                      QVector<CLS_CarDataRecvEntity>& _vecRecords)
{
    return CLS_DataAccess::GetInstance().QueryCarHistory(_query, _vecRecords);
}

int CLS_DataMediator::QueryPadHistory(const STRCT_PassageQuery& _query,
                                      QVector<CLS_PadDataRecvEntity>& _vecRecords)
{
    return CLS_DataAccess::GetInstance().QueryPadHistory(_query, _vecRecords);
}

int CLS_DataMediator::QueryWayHistory(const STRCT_PassageQuery& _query,
                                      QVector<CLS_WayDataRecEntity>& _vecRecords)
{
    return CLS_DataAccess::GetInstance().QueryWayHistory(_query, _vecRecords);
}

int CLS_DataMediator::GetCarRecordCount(const STRCT_PassageQuery& _query)
{
    return CLS_DataAccess::GetInstance().GetCarRecordCount(_query);
}

int CLS_DataMediator::GetPadRecordCount(const STRCT_PassageQuery& _query)
{
    return CLS_DataAccess::GetInstance().GetPadRecordCount(_query);
}

int CLS_DataMediator::GetWayRecordCount(const STRCT_PassageQuery& _query)
{
    return CLS_DataAccess::GetInstance().GetWayRecordCount(_query);
}

int CLS_DataMediator::GetCarPicFiles(int _iFileNum, QVector<CLS_CarDataRecvEntity>& _vecRecords)
{
    return CLS_DataAccess::GetInstance().GetCarPicFiles(_iFileNum, _vecRecords);
}

int CLS_DataMediator::GetPadPicFiles(int _iFileNum, QVector<CLS_PadDataRecvEntity>& _vecRecords)
{
    return CLS_DataAccess::GetInstance().GetPadPicFiles(_iFileNum, _vecRecords);
}

int CLS_DataMediator::GetWayPicFiles(int _iFileNum, QVector<CLS_WayDataRecEntity>& _vecRecords)
{
    return CLS_DataAccess::GetInstance().GetWayPicFiles(_iFileNum, _vecRecords);
}

int CLS_DataMediator::DelCarPicRec(const QList<QPair<QString, QString>>& _lstIdTimes)
{
    return CLS_DataAccess::GetInstance().DelCarPicRec(_lstIdTimes);
}

int CLS_DataMediator::DelPadPicRec(const QList<QPair<QString, QString>>& _lstIdTimes)
{
    return CLS_DataAccess::GetInstance().DelPadPicRec(_lstIdTimes);
}

int CLS_DataMediator::DelWayPicRec(const QList<QPair<QString, QString>>& _lstIdTimes)
{
    return CLS_DataAccess::GetInstance().DelWayPicRec(_lstIdTimes);
}

int CLS_DataMediator::DeleteAllCarPicData()
{
    return CLS_DataAccess::GetInstance().DeleteAllCarPicData();
}

int CLS_DataMediator::DeleteAllPadPicData()
{
    return CLS_DataAccess::GetInstance().DeleteAllPadPicData();
}

int CLS_DataMediator::DeleteAllWayPicData()
{
    return CLS_DataAccess::GetInstance().DeleteAllWayPicData();
}

int CLS_DataMediator::GetPadTerminalName(QString _qstrTerminalSn, QString& _qstrName)
{
    return CLS_DataAccess::GetInstance().GetPadTerminalName(_qstrTerminalSn, _qstrName);
}
