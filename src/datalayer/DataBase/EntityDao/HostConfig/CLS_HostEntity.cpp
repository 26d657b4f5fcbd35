#include "CLS_HostEntity.h"

// Out of line so that the class's virtual table and type information live in the library.
CLS_HostEntity::CLS_HostEntity() = default;

CLS_HostEntity::~CLS_HostEntity() = default;
