#include "CLS_ChanFaceDistinguishConfigEntityDAO.h"

#include "FaceDaoSupport.h"
#include "Log.h"

CLS_ChanFaceDistinguishConfigEntityDAO* CLS_ChanFaceDistinguishConfigEntityDAO::GetInstance()
{
    static CLS_ChanFaceDistinguishConfigEntityDAO* const s_pInstance =
        new CLS_ChanFaceDistinguishConfigEntityDAO();
    return s_pInstance;
}

int CLS_ChanFaceDistinguishConfigEntityDAO::GetDistinguishType(const QString& _qstrHostId, int& _iDistinguishType)
{
    RecordSet* pRows = ExecuteQueryEx(m_strDbName,
                                      "Select I_DISTINGUISH_TYPE From TAB_CONFIG_CHANNEL_FACE WHERE S_HOST_ID =:ID",
                                      {{":ID", _qstrHostId}});
    if (pRows == nullptr || pRows->isEmpty()) {
        DL_LOG(3, "CLS_ChanFaceDistinguishConfigEntityDAO::GetDistinguishType no row");
        FreeRecordSet(pRows);
        return -1;
    }
    _iDistinguishType = pRows->first()->value("I_DISTINGUISH_TYPE").toInt();
    FreeRecordSet(pRows);
    return 0;
}

int CLS_ChanFaceDistinguishConfigEntityDAO::SetDistinguishType(const QString& _qstrHostId, int _iDistinguishType)
{
    return ExecuteTransactionEx(m_strDbName,
                                {"Delete From TAB_CONFIG_CHANNEL_FACE Where S_HOST_ID =:ID",
                                 "Insert Into TAB_CONFIG_CHANNEL_FACE ( S_ID, S_HOST_ID, I_DISTINGUISH_TYPE) Values "
                                 "(:s_ID,:HostID,:distinguishType)"},
                                {{{":ID", _qstrHostId}},
                                 {{":s_ID", FaceDao::newId()},
                                  {":HostID", _qstrHostId},
                                  {":distinguishType", _iDistinguishType}}});
}
