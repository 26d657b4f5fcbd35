// Behaviour-analysis snapshots: the picture attribute reader and pass-throughs to the facade.
#include "CLS_DataAccess.h"
#include "CLS_DataMediator.h"
#include "DataBase/EntityDao/InAndOut/CLS_PictureAttribute.h"

bool CLS_DataMediator::ParseBehaviorPictAttribute(QString _qstrPicPath, CLS_BehaviorAnalysisEntity& _record)
{
    return PictureAttribute::ParseLogged("CLS_DataMediator::ParseBehaviorPictAttribute", _qstrPicPath,
                                         _record, &PictureAttribute::ParseBehavior);
}

int CLS_DataMediator::AddBehaviorAnalysisCapture(QVector<CLS_BehaviorAnalysisEntity>& _vecRecords)
{
    return CLS_DataAccess::GetInstance().AddBehaviorAnalysisCapture(_vecRecords);
}

int CLS_DataMediator::AddBehaviorAnalysisCapture(CLS_BehaviorAnalysisEntity& _record)
{
    return CLS_DataAccess::GetInstance().AddBehaviorAnalysisCapture(_record);
}

int CLS_DataMediator::BehaviorAnalysisGetRecord(const CLS_BehaviorAnalysisSearchEntity& _search,
                                                QVector<CLS_BehaviorAnalysisEntity>& _vecRecords)
{
    return CLS_DataAccess::GetInstance().BehaviorAnalysisGetRecord(_search, _vecRecords);
}

int CLS_DataMediator::BehaviorAnalysisGetCount(const CLS_BehaviorAnalysisSearchEntity& _search)
{
    return CLS_DataAccess::GetInstance().BehaviorAnalysisGetCount(_search);
}

int CLS_DataMediator::GetOldestBehaviorAnalysisPicFiles(int _iFileNum,
                                                        QVector<CLS_BehaviorAnalysisEntity>& _vecRecords)
{
    return CLS_DataAccess::GetInstance().GetOldestBehaviorAnalysisPicFiles(_iFileNum, _vecRecords);
}

int CLS_DataMediator::GetBehaviorAnalysisPicFiles(QString _qstrSaveTime, int _iFileNum,
                                                  QVector<CLS_BehaviorAnalysisEntity>& _vecRecords)
{
    return CLS_DataAccess::GetInstance().GetBehaviorAnalysisPicFiles(_qstrSaveTime, _iFileNum, _vecRecords);
}

int CLS_DataMediator::DelBehaviorAnalysisPicRec(const QList<QPair<QString, QString>>& _lstIdTimes)
{
    return CLS_DataAccess::GetInstance().DelBehaviorAnalysisPicRec(_lstIdTimes);
}

int CLS_DataMediator::DeleteAllBehaviorAnalysisData()
{
    return CLS_DataAccess::GetInstance().DeleteAllBehaviorAnalysisData();
}
