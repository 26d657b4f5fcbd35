#include "CLS_ViewEntities.h"

// Out of line so that the classes' virtual tables and type information live in the library.
CLS_ViewEntity::CLS_ViewEntity() = default;
CLS_ViewEntity::~CLS_ViewEntity() = default;
CLS_ViewCruiseEntity::CLS_ViewCruiseEntity() = default;
CLS_ViewCruiseEntity::~CLS_ViewCruiseEntity() = default;
CLS_GroupSwitchEntity::CLS_GroupSwitchEntity() = default;
CLS_GroupSwitchEntity::~CLS_GroupSwitchEntity() = default;
