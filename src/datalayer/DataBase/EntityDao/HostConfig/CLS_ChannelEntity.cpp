#include "CLS_ChannelEntity.h"

// Out of line so that the class's virtual table and type information live in the library.
CLS_ChannelEntity::CLS_ChannelEntity() = default;

CLS_ChannelEntity::~CLS_ChannelEntity() = default;
