// Fills resource items from the entities of the device tables.
#ifndef CLS_ITEMBUILDER_H
#define CLS_ITEMBUILDER_H

#include "DataMediatorExport.h"

#include <QString>

#include <string>

class CLS_HostEntity;
class CLS_ChannelEntity;
class CLS_AlarmInEntity;
class CLS_AlarmOutEntity;
class CLS_EncInEntity;
class CLS_DecEntity;
class CLS_DecOutEntity;
struct STRCT_VideoHost;
struct STRCT_VideoChannel;
struct STRCT_VideoAlarmIn;
struct STRCT_VideoAlarmOut;
struct STRCT_EncoderIn;
struct STRCT_Decoder;
struct STRCT_DecoderOut;

/// Every builder sets the item's id and node id to the entity's S_ID, its parent to
/// S_PARENT_ID and its caption to the simplified S_CAPTION, then the fields of its type. A
/// builder given a null pointer logs the condition (level 3), leaves the item alone and returns
/// false.
class DATAMEDIATOR_EXPORT CLS_ItemBuilder
{
public:
    static bool BuildHostItem(const CLS_HostEntity* _pHostEntity, STRCT_VideoHost* _pHostVideoItem);
    /// Speeds stored as 0 become 5; buffer and delay numbers are taken only when positive; the
    /// description rule (ApplyChannelDescription) runs last.
    static bool BuildChannelItem(const CLS_ChannelEntity* _pChannelEntity,
                                 STRCT_VideoChannel* _pChannelVideoItem);
    static bool BuildAlarmInItem(const CLS_AlarmInEntity* _pAlarmInEntity,
                                 STRCT_VideoAlarmIn* _pAlarmInVideoItem);
    static bool BuildAlarmOutItem(const CLS_AlarmOutEntity* _pAlarmOutEntity,
                                  STRCT_VideoAlarmOut* _pAlarmOutVideoItem);
    /// The input's decoder becomes both parent and owner.
    static bool BuildEncoderInItem(const CLS_EncInEntity* _pDecEntity, STRCT_EncoderIn* _pDecItem);
    /// A stored decoder: kind 2, then its type, HTTP port and object type.
    static bool BuildDecoderItem(const CLS_DecEntity* _pDecEntity, STRCT_Decoder* _pDecItem);
    /// The output's decoder becomes both parent and owner.
    static bool BuildDecoderOutItem(const CLS_DecOutEntity* _pDecEntity, STRCT_DecoderOut* _pDecItem);

    /// When the description is a JSON object with a non-zero "needdecrypt" and a "decryptkey",
    /// the channel is marked encrypted and the unscrambled key (when it unscrambles) becomes its
    /// decrypt code. Anything else leaves the channel as it is.
    static void ApplyChannelDescription(const QString& _strDescription, STRCT_VideoChannel& _channelItem);

    /// Unscrambles a channel key (the scrambling of stored passwords): 0 with the key in
    /// _strKey, or -1 for an empty text, a length that is not a multiple of three, or more than
    /// 3072 characters (_strKey is then unchanged).
    static int DecodeChannelKey(const QString& _strScrambled, QString& _strKey);

    /// The caption with leading, trailing and repeated inner white space collapsed, in UTF-8.
    static std::string SimplifiedCaption(const QString& _strCaption);
};

#endif  // CLS_ITEMBUILDER_H
