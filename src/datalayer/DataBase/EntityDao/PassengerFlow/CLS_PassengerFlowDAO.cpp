#include "CLS_PassengerFlowDAO.h"

CLS_PassengerFlowDAO* CLS_PassengerFlowDAO::GetInstance()
{
    static CLS_PassengerFlowDAO* const s_pInstance = new CLS_PassengerFlowDAO();
    return s_pInstance;
}

CLS_PassengerFlowDAO::CLS_PassengerFlowDAO()
{
    m_strDbName = QStringLiteral("Tessel-passengerFlow");
}

CLS_PassengerFlowDAO::~CLS_PassengerFlowDAO() = default;
