#include "CLS_EncInEntity.h"

// Out of line so that the class's virtual table and type information live in the library.
CLS_EncInEntity::CLS_EncInEntity() = default;

CLS_EncInEntity::~CLS_EncInEntity() = default;
