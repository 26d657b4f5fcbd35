#include "CLS_FaceLibInfoEntityDAO.h"

#include "DataBase/EntityDao/DB/EntityRows.h"
#include "FaceDaoSupport.h"
#include "Log.h"

namespace {

int readLibs(const QString& _strDbName, const QString& _strSql, const QMap<QString, QVariant>& _mapBind,
             QVector<CLS_FaceLibInfoEntity>& _vecLibs)
{
    return ReadEntities(
        _strDbName, _strSql, _mapBind, _vecLibs,
        [](const QMap<QString, QString>& _row) {
            CLS_FaceLibInfoEntity lib;
            lib.S_ID = _row.value("S_ID");
            lib.S_CAPTION = _row.value("S_CAPTION");
            lib.DT_TIME = _row.value("DT_TIME");
            return lib;
        },
        "CLS_FaceLibInfoEntityDAO::readLibs");
}

}  // namespace

CLS_FaceLibInfoEntityDAO* CLS_FaceLibInfoEntityDAO::GetInstance()
{
    static CLS_FaceLibInfoEntityDAO* const s_pInstance = new CLS_FaceLibInfoEntityDAO();
    return s_pInstance;
}

int CLS_FaceLibInfoEntityDAO::GetAllFaceLib(QVector<CLS_FaceLibInfoEntity>& _vecLibs)
{
    return readLibs(m_strDbName, "select * from TAB_FACELIB_INFO", {}, _vecLibs);
}

int CLS_FaceLibInfoEntityDAO::GetFaceLibById(const QString& _qstrId, CLS_FaceLibInfoEntity& _lib)
{
    QVector<CLS_FaceLibInfoEntity> vecLibs;
    if (readLibs(m_strDbName, "select * from TAB_FACELIB_INFO where S_ID == :id", {{":id", _qstrId}}, vecLibs) != 0 ||
        vecLibs.isEmpty()) {
        return -1;
    }
    _lib = vecLibs.first();
    return 0;
}

int CLS_FaceLibInfoEntityDAO::AddFaceLib(const CLS_FaceLibInfoEntity& _lib)
{
    return ExecuteEx(m_strDbName, "Insert Into TAB_FACELIB_INFO (S_ID,S_CAPTION,DT_TIME) Values(:id,:caption,:time)",
                     {{":id", _lib.S_ID}, {":caption", _lib.S_CAPTION}, {":time", _lib.DT_TIME}});
}

int CLS_FaceLibInfoEntityDAO::RenameFaceLib(const QString& _qstrId, const QString& _qstrCaption)
{
    return ExecuteEx(m_strDbName,
                     "Update TAB_FACELIB_INFO Set "
                     "S_CAPTION ="
                     ":caption"
                     " where S_ID = "
                     ":id",
                     {{":id", _qstrId}, {":caption", _qstrCaption}});
}

int CLS_FaceLibInfoEntityDAO::DeleteFaceLib(const QString& _qstrId)
{
    return ExecuteEx(m_strDbName, "delete from TAB_FACELIB_INFO where S_ID=:id", {{":id", _qstrId}});
}

int CLS_FaceLibInfoEntityDAO::GetFaceLibNameCount(const QString& _qstrLibName)
{
    return FaceDao::count(m_strDbName, "Select Count(*) From TAB_FACELIB_INFO where S_CAPTION=:LibName",
                          {{":LibName", _qstrLibName}});
}
