// The virtual operations of the resource items, out of line so that their virtual tables and
// type information live in the library.
#include "VideoItem.h"
#include "DevItem.h"

const char* const kDefaultHostPassword = "8888";
const char* const kDefaultDnsPassword = "00000000";

uint32_t STRCT_VideoItem::GetType() const
{
    return vitItem;
}

STRCT_VideoItem::~STRCT_VideoItem() = default;

uint32_t STRCT_VideoGroup::GetType() const
{
    return vitGroup;
}

STRCT_VideoGroup::~STRCT_VideoGroup() = default;

uint32_t STRCT_VideoHost::GetType() const
{
    return vitHost;
}

STRCT_VideoHost::~STRCT_VideoHost() = default;

uint32_t STRCT_VideoChannel::GetType() const
{
    return vitChannel;
}

STRCT_VideoChannel::~STRCT_VideoChannel() = default;

uint32_t STRCT_VideoAlarmIn::GetType() const
{
    return vitAlarmIn;
}

STRCT_VideoAlarmIn::~STRCT_VideoAlarmIn() = default;

uint32_t STRCT_VideoAlarmOut::GetType() const
{
    return vitAlarmOut;
}

STRCT_VideoAlarmOut::~STRCT_VideoAlarmOut() = default;

uint32_t STRCT_Decoder::GetType() const
{
    return vitDecoder;
}

STRCT_Decoder::~STRCT_Decoder() = default;

uint32_t STRCT_DecoderOut::GetType() const
{
    return vitDecoderOut;
}

STRCT_DecoderOut::~STRCT_DecoderOut() = default;

uint32_t STRCT_EncoderIn::GetType() const
{
    return vitEncoderIn;
}

STRCT_EncoderIn::~STRCT_EncoderIn() = default;

uint32_t STRCT_FaceLibItem::GetType() const
{
    return vitFaceLib;
}

STRCT_FaceLibItem::~STRCT_FaceLibItem() = default;

uint32_t STRUCT_PersonItem::GetType() const
{
    return vitPerson;
}

STRUCT_PersonItem::~STRUCT_PersonItem() = default;

Common::STRCT_DevItem::~STRCT_DevItem() = default;
