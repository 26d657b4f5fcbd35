#include "CLS_ItemBuilder.h"

#include "CLS_ChannelEntity.h"
#include "CLS_DecoderEntities.h"
#include "CLS_HostEntity.h"
#include "DataBase/EntityDao/HostConfig/CLS_AlarmInEntity.h"
#include "DataBase/EntityDao/HostConfig/CLS_AlarmOutEntity.h"
#include "DataBase/EntityDao/HostConfig/CLS_EncInEntity.h"
#include "Log.h"
#include "VideoItem.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// The digit alphabet and the byte mask of the stored-password scrambling.
const char kDigitTable[] = "#?=~^_;|/]";
constexpr unsigned char kMask = 0x5C;
constexpr int kMaxKeyBytes = 1024;

std::string utf8(const QString& _strText)
{
    return _strText.toStdString();
}

template <typename Entity, typename Item>
void fillCommon(const Entity& _entity, Item& _item)
{
    _item.m_strID = utf8(_entity.S_ID);
    _item.m_strNodeID = _item.m_strID;
    _item.m_strParentID = utf8(_entity.S_PARENT_ID);
    _item.m_strCaption = CLS_ItemBuilder::SimplifiedCaption(_entity.S_CAPTION);
    _item.m_strExtra.clear();
}

// Encoder inputs and decoder outputs: the number, and the decoder as parent and owner.
template <typename Entity, typename Item>
bool buildDecoderChild(const Entity* _pDecEntity, Item* _pDecItem)
{
    if (_pDecEntity == nullptr || _pDecItem == nullptr) {
        DL_LOG(3, "_pDecEntity == nullptr || _pDecItem == nullptr");
        return false;
    }
    fillCommon(*_pDecEntity, *_pDecItem);
    _pDecItem->m_iNum = _pDecEntity->I_NUM;
    _pDecItem->m_strOwnerID = utf8(_pDecEntity->S_PARENT_ID);
    return true;
}

}  // namespace

std::string CLS_ItemBuilder::SimplifiedCaption(const QString& _strCaption)
{
    return utf8(_strCaption.simplified());
}

bool CLS_ItemBuilder::BuildHostItem(const CLS_HostEntity* _pHostEntity, STRCT_VideoHost* _pHostVideoItem)
{
    if (_pHostEntity == nullptr || _pHostVideoItem == nullptr) {
        DL_LOG(3, "_pHostEntity == nullptr || _pHostVideoItem == nullptr");
        return false;
    }
    const CLS_HostEntity& e = *_pHostEntity;
    STRCT_VideoHost& item = *_pHostVideoItem;
    fillCommon(e, item);
    item.m_strDescription = utf8(e.S_DESCRIPTION);
    item.m_iDevType = e.I_DEVTYPE;
    item.m_strProxyID = utf8(e.S_PROXY1_ID);
    item.m_iDefenceState = e.I_ENABLE_DEFENCE;
    item.m_iHostDevType = e.I_DEVTYPE;
    item.m_iHostTypeID = e.I_VIDEO_HOST_TYPE_ID;
    item.m_strHostTypeName = utf8(e.S_VIDEO_HOST_TYPE_NAME);
    item.m_strIP = utf8(e.S_IP);
    item.m_iPort = e.I_PORT;
    item.m_strUserName = utf8(e.S_USERNAME);
    item.m_strPassword = utf8(e.S_PASSWORD);
    item.m_iDnsType = e.I_DNS_TYPE;
    item.m_strDnsUser = utf8(e.S_DNS_USER);
    item.m_strDnsPassword = utf8(e.S_DNS_PASSWORD);
    item.m_strProductID = utf8(e.S_PRODUCT_ID);
    item.m_strDomain = utf8(e.S_DOMAIN);
    item.m_iProxyType = e.I_PROXY_TYPE;
    return true;
}

bool CLS_ItemBuilder::BuildChannelItem(const CLS_ChannelEntity* _pChannelEntity,
                                       STRCT_VideoChannel* _pChannelVideoItem)
{
    if (_pChannelEntity == nullptr || _pChannelVideoItem == nullptr) {
        DL_LOG(3, "_pChannelEntity == nullptr || _pChannelVideoItem == nullptr");
        return false;
    }
    const CLS_ChannelEntity& e = *_pChannelEntity;
    STRCT_VideoChannel& item = *_pChannelVideoItem;
    fillCommon(e, item);
    item.m_strDescription = utf8(e.S_DESCRIPTION);
    item.m_iDevType = e.I_BINDINGDEVTYPE;
    item.m_iDefenceState = e.I_ENABLE_DEFENCE;
    item.m_iChannelNo = e.I_NUM;
    item.m_iLinkType = e.I_LINK_TYPE_ID;
    item.m_iDataType = e.I_DATA_TYPE;
    item.m_iBaudRate = e.I_BAUDRATE;
    item.m_strProtocolName = utf8(e.S_PROTOCOL_NAME.trimmed());
    item.m_iPtzAddr = e.I_PTZ_ADDR;
    item.m_iComPort = e.I_COM_PORT;
    item.m_iSpeedX = e.I_SPEED_X == 0 ? 5 : e.I_SPEED_X;
    item.m_iSpeedY = e.I_SPEED_Y == 0 ? 5 : e.I_SPEED_Y;
    item.m_iControlType = e.I_CONTROL_TYPE;
    item.m_bEncryptEnabled = e.I_ENCRYPT_ENABLED;
    item.m_strDecryptCode = utf8(e.S_DECRYPT_CODE);
    if (e.I_BUF_NUM > 0) {
        item.m_iBufNum = e.I_BUF_NUM;
    }
    if (e.I_DELAY_NUM > 0) {
        item.m_iDelayNum = e.I_DELAY_NUM;
    }
    item.m_iObjType = e.I_OBJ_TYPE_ID;
    ApplyChannelDescription(e.S_DESCRIPTION, item);
    return true;
}

bool CLS_ItemBuilder::BuildAlarmInItem(const CLS_AlarmInEntity* _pAlarmInEntity,
                                       STRCT_VideoAlarmIn* _pAlarmInVideoItem)
{
    if (_pAlarmInEntity == nullptr || _pAlarmInVideoItem == nullptr) {
        DL_LOG(3, "_pAlarmInEntity == nullptr || _pAlarmInVideoItem == nullptr");
        return false;
    }
    fillCommon(*_pAlarmInEntity, *_pAlarmInVideoItem);
    _pAlarmInVideoItem->m_strDescription = utf8(_pAlarmInEntity->S_DESCRIPTION);
    _pAlarmInVideoItem->m_iDefenceState = _pAlarmInEntity->I_ENABLE_DEFENCE;
    _pAlarmInVideoItem->m_iAlarmNo = _pAlarmInEntity->I_NUM;
    return true;
}

bool CLS_ItemBuilder::BuildAlarmOutItem(const CLS_AlarmOutEntity* _pAlarmOutEntity,
                                        STRCT_VideoAlarmOut* _pAlarmOutVideoItem)
{
    if (_pAlarmOutEntity == nullptr || _pAlarmOutVideoItem == nullptr) {
        DL_LOG(3, "_pAlarmOutEntity == nullptr || _pAlarmOutVideoItem == nullptr");
        return false;
    }
    fillCommon(*_pAlarmOutEntity, *_pAlarmOutVideoItem);
    _pAlarmOutVideoItem->m_strDescription = utf8(_pAlarmOutEntity->S_DESCRIPTION);
    _pAlarmOutVideoItem->m_iAlarmNo = _pAlarmOutEntity->I_NUM;
    return true;
}

bool CLS_ItemBuilder::BuildEncoderInItem(const CLS_EncInEntity* _pDecEntity, STRCT_EncoderIn* _pDecItem)
{
    return buildDecoderChild(_pDecEntity, _pDecItem);
}

bool CLS_ItemBuilder::BuildDecoderItem(const CLS_DecEntity* _pDecEntity, STRCT_Decoder* _pDecItem)
{
    if (_pDecEntity == nullptr || _pDecItem == nullptr) {
        DL_LOG(3, "_pDecEntity == nullptr || _pDecItem == nullptr");
        return false;
    }
    fillCommon(*_pDecEntity, *_pDecItem);
    _pDecItem->m_strDescription = utf8(_pDecEntity->S_DESCRIPTION);
    _pDecItem->m_strIP = utf8(_pDecEntity->S_IP);
    _pDecItem->m_iPort = _pDecEntity->I_PORT;
    _pDecItem->m_strUserName = utf8(_pDecEntity->S_USERNAME);
    _pDecItem->m_strPassword = utf8(_pDecEntity->S_PASSWORD);
    _pDecItem->m_iDecoderKind = 2;
    _pDecItem->m_iDecoderValue1 = _pDecEntity->I_DECODER_TYPE_ID;
    _pDecItem->m_iDecoderValue2 = _pDecEntity->I_HTTP_PORT;
    _pDecItem->m_iDecoderValue3 = _pDecEntity->I_OBJ_TYPE_ID;
    return true;
}

bool CLS_ItemBuilder::BuildDecoderOutItem(const CLS_DecOutEntity* _pDecEntity, STRCT_DecoderOut* _pDecItem)
{
    return buildDecoderChild(_pDecEntity, _pDecItem);
}

void CLS_ItemBuilder::ApplyChannelDescription(const QString& _strDescription,
                                              STRCT_VideoChannel& _channelItem)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(_strDescription.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        return;
    }
    const QJsonObject obj = doc.object();
    if (!obj.contains(QLatin1String("needdecrypt")) || !obj.contains(QLatin1String("decryptkey")) ||
        obj.value(QLatin1String("needdecrypt")).toVariant().toInt() == 0) {
        return;
    }
    _channelItem.m_bEncryptEnabled = true;
    QString strKey;
    if (DecodeChannelKey(obj.value(QLatin1String("decryptkey")).toString(), strKey) == 0) {
        _channelItem.m_strDecryptCode = utf8(strKey);
    }
}

int CLS_ItemBuilder::DecodeChannelKey(const QString& _strScrambled, QString& _strKey)
{
    const int iLength = _strScrambled.size();
    if (iLength == 0 || iLength % 3 != 0 || iLength > 3 * kMaxKeyBytes) {
        return -1;
    }
    auto digit = [](QChar _c) {
        for (int i = 0; i < 10; ++i) {
            if (_c == QLatin1Char(kDigitTable[i])) {
                return i;
            }
        }
        return 0;  // not in the alphabet
    };
    const int n = iLength / 3;
    QByteArray bytes(n, '\0');
    for (int k = 0; k < n; ++k) {
        const int iValue = 100 * digit(_strScrambled[3 * k]) + 10 * digit(_strScrambled[3 * k + 1]) +
                           digit(_strScrambled[3 * k + 2]);
        bytes[k] = static_cast<char>(iValue & 0xFF);
    }
    unsigned char next = 0;
    for (int k = n - 1; k >= 0; --k) {
        const unsigned char d = static_cast<unsigned char>(bytes[k]) ^ next ^ kMask;
        bytes[k] = static_cast<char>(d);
        next = d;
    }
    _strKey = QString::fromLatin1(bytes);
    return 0;
}
