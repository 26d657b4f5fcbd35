#include "STRCT_Alarm.h"

STRCT_SingleAlarmLink::~STRCT_SingleAlarmLink()
{
    FreeParam();
}

void STRCT_SingleAlarmLink::FreeParam()
{
    delete m_pSoundParam;
    delete m_pRecordParam;
    delete m_pBallonTipsParam;
    delete m_pAlarmVideoParam;
    delete m_pEmailParam;
    m_pSoundParam = nullptr;
    m_pRecordParam = nullptr;
    m_pBallonTipsParam = nullptr;
    m_pAlarmVideoParam = nullptr;
    m_pEmailParam = nullptr;
}

STRCT_SingleAlarmLink* STRCT_SingleAlarmLink::CloneWithoutParam() const
{
    auto* pCopy = new STRCT_SingleAlarmLink();
    pCopy->m_strId = m_strId;
    pCopy->m_strSrcObjId = m_strSrcObjId;
    pCopy->m_iAdapterAlarmId = m_iAdapterAlarmId;
    pCopy->m_strAlarmCaption = m_strAlarmCaption;
    pCopy->m_iAlarmLevel = m_iAlarmLevel;
    pCopy->m_iMainAlarmType = m_iMainAlarmType;
    pCopy->m_iActionType = m_iActionType;
    pCopy->m_strDesObjId = m_strDesObjId;
    pCopy->m_iEnable = m_iEnable;
    pCopy->m_strParam = m_strParam;
    pCopy->m_iCtrlWithArming = m_iCtrlWithArming;
    return pCopy;
}
