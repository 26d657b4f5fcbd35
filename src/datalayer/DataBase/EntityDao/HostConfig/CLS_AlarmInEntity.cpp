#include "CLS_AlarmInEntity.h"

// Out of line so that the class's virtual table and type information live in the library.
CLS_AlarmInEntity::CLS_AlarmInEntity() = default;

CLS_AlarmInEntity::~CLS_AlarmInEntity() = default;
