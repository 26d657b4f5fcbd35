// The in-memory resource items that the client's trees show: one polymorphic record per kind
// of resource, told apart by GetType(). Items are plain records; text fields hold UTF-8.
#ifndef VIDEOITEM_H
#define VIDEOITEM_H

#include "DataMediatorExport.h"

#include <cstdint>
#include <string>
#include <vector>

/// Kind of a resource item, shared with the client; the numbers are fixed.
/// Note: a host, channel, alarm input and alarm output have the object types 4, 5, 6 and 7 in
/// TAB_OBJ, one more than their item type here; the two numberings are different things.
enum VideoItemType : uint32_t
{
    vitItem = 1,
    vitGroup = 2,
    vitHost = 3,
    vitChannel = 4,
    vitAlarmIn = 5,
    vitAlarmOut = 6,
    vitDecoder = 12,
    vitDecoderOut = 13,
    vitEncoderIn = 17,
    vitFaceLib = 505,
    vitPerson = 507,
};

/// Base of every resource item. The children in m_vecChilds are not owned.
struct DATAMEDIATOR_EXPORT STRCT_VideoItem
{
    virtual uint32_t GetType() const;
    virtual ~STRCT_VideoItem();

    std::string m_strID;        ///< TAB_OBJ.S_ID of the object shown (custom tree: the referenced one)
    std::string m_strCaption;   ///< S_CAPTION with its white space simplified
    std::string m_strParentID;  ///< host, decoder or parent node
    int32_t m_iReserved1 = 0;
    std::string m_strExtra;
    int64_t m_iSortNum = 0;   ///< order among siblings (a custom-tree I_NUM may pass the int range)
    std::string m_strNodeID;  ///< key of the item in the map that holds it
    std::vector<STRCT_VideoItem*> m_vecChilds;
    STRCT_VideoItem* m_pReserved = nullptr;
    std::string m_strDescription;  ///< S_DESCRIPTION
    int32_t m_iDevType = -1;       ///< host: I_DEVTYPE; channel: I_BINDINGDEVTYPE
    std::string m_strProxyID;      ///< host: S_PROXY1_ID
    int32_t m_iDefenceState = 1;   ///< I_ENABLE_DEFENCE, 1 = armed
};

/// Tree roots and group nodes of the custom and passenger-flow trees.
struct DATAMEDIATOR_EXPORT STRCT_VideoGroup : STRCT_VideoItem
{
    uint32_t GetType() const override;
    ~STRCT_VideoGroup() override;
};

/// Placeholder passwords of a host item that has not been filled from the database.
extern DATAMEDIATOR_EXPORT const char* const kDefaultHostPassword;  // four digits
extern DATAMEDIATOR_EXPORT const char* const kDefaultDnsPassword;   // eight characters

struct DATAMEDIATOR_EXPORT STRCT_VideoHost : STRCT_VideoItem
{
    uint32_t GetType() const override;
    ~STRCT_VideoHost() override;

    int32_t m_iHostDevType = 0;  ///< I_DEVTYPE (also in m_iDevType)
    int32_t m_iHostTypeID = 0;   ///< I_VIDEO_HOST_TYPE_ID
    std::string m_strHostTypeName;
    std::string m_strIP;
    int32_t m_iPort = 3000;
    std::string m_strUserName = "Admin";
    std::string m_strPassword = kDefaultHostPassword;  ///< plain text
    int32_t m_iDnsType = 0;
    std::string m_strDnsUser = "QQ";
    std::string m_strDnsPassword = kDefaultDnsPassword;
    std::string m_strProductID;  ///< the device's serial number
    std::string m_strDomain;
    int32_t m_iProxyType = 1;  ///< 4: reached through the peer-to-peer cloud service

    // Kept for the client; this library only initialises them.
    int32_t m_iClientPort1 = 3000;
    int32_t m_iClientPort2 = 3000;
    int32_t m_iClientValue1 = -1;
    int32_t m_iClientValue2 = 1;
    std::string m_strClientText1;
    std::string m_strClientText2;
    std::string m_strClientText3;
    std::string m_strClientText4;
    std::string m_strClientText5;
    std::string m_strClientText6;
    std::string m_strClientText7;
    std::string m_strClientText8;
    std::string m_strClientText9;
    std::string m_strClientText10;
    std::string m_strClientText11;
    std::string m_strClientText12;

    /// Numbers of channel, alarm-input and alarm-output children in m_vecChilds, as decimal
    /// texts; the resource tree places new children by them.
    std::string m_strChannelCount;
    std::string m_strAlarmInCount;
    std::string m_strAlarmOutCount;
};

struct DATAMEDIATOR_EXPORT STRCT_VideoChannel : STRCT_VideoItem
{
    uint32_t GetType() const override;
    ~STRCT_VideoChannel() override;

    int32_t m_iChannelNo = 0;  ///< I_NUM
    int32_t m_iLinkType = -1;
    int32_t m_iDataType = 0;
    int32_t m_iBaudRate = 9600;
    std::string m_strProtocolName;
    int32_t m_iPtzAddr = 0;
    int32_t m_iComPort = 1;
    int32_t m_iSpeedX = 50;
    int32_t m_iSpeedY = 50;
    int32_t m_iReserved2 = 0;
    int32_t m_iControlType = 0;
    bool m_bEncryptEnabled = false;
    std::string m_strDecryptCode;
    int32_t m_iBufNum = 20;
    int32_t m_iDelayNum = 1;
    int32_t m_iObjType = 0;  ///< 5, or 52/53 for the channel of a generic device of type 2/3

    // Kept for the client; this library only initialises them.
    int32_t m_iClientValue1 = -1;
    int32_t m_iClientValue2 = -1;
    int32_t m_iClientValue3 = -1;
    int32_t m_iClientValue4 = -1;
    int32_t m_iClientValue5 = -1;
    int32_t m_iClientValue6 = -1;
    int32_t m_iClientValue7 = -1;
    int32_t m_iClientValue8 = 0;
    int32_t m_iClientValue9 = -1;
    int64_t m_llClientValue1 = 0;
    int64_t m_llClientValue2 = 0;
    int64_t m_llClientValue3 = 0;
    std::string m_strStreamTag = "sdv";
};

struct DATAMEDIATOR_EXPORT STRCT_VideoAlarmIn : STRCT_VideoItem
{
    uint32_t GetType() const override;
    ~STRCT_VideoAlarmIn() override;

    int32_t m_iAlarmNo = 0;  ///< I_NUM
};

struct DATAMEDIATOR_EXPORT STRCT_VideoAlarmOut : STRCT_VideoItem
{
    uint32_t GetType() const override;
    ~STRCT_VideoAlarmOut() override;

    int32_t m_iAlarmNo = 0;  ///< I_NUM
};

struct DATAMEDIATOR_EXPORT STRCT_Decoder : STRCT_VideoItem
{
    uint32_t GetType() const override;
    ~STRCT_Decoder() override;

    std::string m_strIP;
    int32_t m_iPort = 3000;
    std::string m_strUserName;
    std::string m_strPassword;
    int32_t m_iDecoderKind = 0;  ///< 2 for a decoder built from a stored row
    int32_t m_iDecoderValue1 = 0;
    int32_t m_iDecoderValue2 = 0;
    int32_t m_iDecoderValue3 = 0;
};

struct DATAMEDIATOR_EXPORT STRCT_DecoderOut : STRCT_VideoItem
{
    uint32_t GetType() const override;
    ~STRCT_DecoderOut() override;

    int32_t m_iNum = 0;        ///< output number, I_NUM
    std::string m_strOwnerID;  ///< the decoder
    std::string m_strOwnerExtra;
};

/// Same layout as STRCT_DecoderOut, another type.
struct DATAMEDIATOR_EXPORT STRCT_EncoderIn : STRCT_VideoItem
{
    uint32_t GetType() const override;
    ~STRCT_EncoderIn() override;

    int32_t m_iNum = 0;        ///< input number, I_NUM
    std::string m_strOwnerID;  ///< the decoder
    std::string m_strOwnerExtra;
};

struct DATAMEDIATOR_EXPORT STRCT_FaceLibItem : STRCT_VideoItem
{
    uint32_t GetType() const override;
    ~STRCT_FaceLibItem() override;

    std::string m_strFaceLibID;
};

/// Declared for the client; this library never allocates one.
struct DATAMEDIATOR_EXPORT STRUCT_PersonItem : STRCT_VideoItem
{
    uint32_t GetType() const override;
    ~STRUCT_PersonItem() override;
};

#endif  // VIDEOITEM_H
