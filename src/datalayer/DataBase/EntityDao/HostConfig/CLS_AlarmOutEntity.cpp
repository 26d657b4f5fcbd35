#include "CLS_AlarmOutEntity.h"

// Out of line so that the class's virtual table and type information live in the library.
CLS_AlarmOutEntity::CLS_AlarmOutEntity() = default;

CLS_AlarmOutEntity::~CLS_AlarmOutEntity() = default;
