#include "CLS_DecoderEntities.h"

// Out of line so that the classes' virtual tables and type information live in the library.
CLS_DecEntity::CLS_DecEntity() = default;
CLS_DecEntity::~CLS_DecEntity() = default;
CLS_DecOutEntity::CLS_DecOutEntity() = default;
CLS_DecOutEntity::~CLS_DecOutEntity() = default;
CLS_DecOutRegionEntity::CLS_DecOutRegionEntity() = default;
CLS_DecOutRegionEntity::~CLS_DecOutRegionEntity() = default;
CLS_TVEntity::CLS_TVEntity() = default;
CLS_TVEntity::~CLS_TVEntity() = default;
CLS_TVOutEntity::CLS_TVOutEntity() = default;
CLS_TVOutEntity::~CLS_TVOutEntity() = default;
CLS_ScreenUnitEntity::CLS_ScreenUnitEntity() = default;
CLS_ScreenUnitEntity::~CLS_ScreenUnitEntity() = default;
CLS_TVLayoutEntity::CLS_TVLayoutEntity() = default;
CLS_TVLayoutEntity::~CLS_TVLayoutEntity() = default;
CLS_TVJoinTemplateEntity::CLS_TVJoinTemplateEntity() = default;
CLS_TVJoinTemplateEntity::~CLS_TVJoinTemplateEntity() = default;
