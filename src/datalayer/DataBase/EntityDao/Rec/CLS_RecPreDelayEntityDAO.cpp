#include "CLS_RecPreDelayEntityDAO.h"

#include "DataBase/EntityDao/HostConfig/DeviceDaoSupport.h"
#include "Log.h"

using namespace DeviceDao;

const char* const CLS_RecPreDelayEntityDAO::kTable = "TAB_REC_PRE_DELAY";

namespace {

void LoadPreDelay(const Row& _row, CLS_RecPreDelayEntity& e)
{
    e.S_CAMERA_ID = Text(_row, "S_CAMERA_ID");
    e.I_REC_PRE = Int(_row, "I_REC_PRE");
    e.I_REC_DELAY = Int(_row, "I_REC_DELAY");
}

}  // namespace

CLS_RecPreDelayEntityDAO* CLS_RecPreDelayEntityDAO::GetInstance()
{
    static CLS_RecPreDelayEntityDAO* const s_pInstance = new CLS_RecPreDelayEntityDAO();
    return s_pInstance;
}

CLS_RecPreDelayEntityDAO::CLS_RecPreDelayEntityDAO() = default;

CLS_RecPreDelayEntityDAO::~CLS_RecPreDelayEntityDAO() = default;

int CLS_RecPreDelayEntityDAO::ReplaceRecPreDelay(const QVector<CLS_RecPreDelayEntity>& _vecEntities)
{
    if (_vecEntities.isEmpty()) {
        return 0;
    }
    return Guarded("CLS_RecPreDelayEntityDAO::ReplaceRecPreDelay", -1, [&] {
        QString strSysId;
        if (GetSysId(strSysId) != 0) {
            return -1;
        }
        // One transaction, so that a failed insert does not leave the channels without their
        // values. Statements of a partition run in text order: "DELETE" before "INSERT". The
        // channel ids are bound; each insert's placeholder makes its text unique.
        QMap<QString, Binds> mapStatements;
        QStringList lstPlaceholders;
        Binds mapDeleteBind;
        for (int i = 0; i < _vecEntities.size(); ++i) {
            const CLS_RecPreDelayEntity& e = _vecEntities.at(i);
            const QString strId = ":id_" + QString::number(i);
            lstPlaceholders.append(strId);
            mapDeleteBind.insert(strId, e.S_CAMERA_ID);
            const QString strCamera = ":camera_" + QString::number(i);
            mapStatements.insert("INSERT INTO  TAB_REC_PRE_DELAY(S_CAMERA_ID, I_REC_PRE, I_REC_DELAY) VALUES (" +
                                     strCamera + "," + IntToString(e.I_REC_PRE) + "," + IntToString(e.I_REC_DELAY) +
                                     ")",
                                 {{strCamera, e.S_CAMERA_ID}});
        }
        mapStatements.insert("DELETE FROM TAB_REC_PRE_DELAY WHERE S_CAMERA_ID in (" + lstPlaceholders.join(",") + ")",
                             mapDeleteBind);
        return PartitionExecuteTransactionEx(m_strDbName, kTable, {{strSysId, mapStatements}});
    });
}

int CLS_RecPreDelayEntityDAO::SelectRecPreDelayDataAll(QVector<CLS_RecPreDelayEntity*>& _vecEntities)
{
    return Guarded("CLS_RecPreDelayEntityDAO::SelectRecPreDelayDataAll", -1, [&] {
        QString strSysId;
        RecordSet* pRecSet = nullptr;
        if (GetSysId(strSysId) == 0) {
            pRecSet = PartitionExecuteQuery(m_strDbName, "SELECT * FROM TAB_REC_PRE_DELAY", QString(), kTable,
                                            strSysId, strSysId, -1, -1, QString());
        }
        if (pRecSet == nullptr) {
            DL_LOG(2, "[CLS_RecPreDelayEntityDAO::SelectRecPreDelayDataAll]pRecSet == nullptr");
            return -1;
        }
        return ReadEntities(pRecSet, _vecEntities, &LoadPreDelay);
    });
}

int CLS_RecPreDelayEntityDAO::GetRecTypeColor(QMap<QString, QString>& _mapColors)
{
    return Guarded("CLS_RecPreDelayEntityDAO::GetRecTypeColor", -1, [&] {
        const Rows rows(ExecuteQuery(m_strDbName, "SELECT * FROM TAB_DD_RECTYPECOLOR"));
        if (rows.Failed()) {
            return -1;
        }
        for (const Row* pRow : rows) {
            if (pRow != nullptr) {
                _mapColors.insert(Text(*pRow, "S_TYPE"), Text(*pRow, "S_COLOR"));
            }
        }
        return 0;
    });
}
