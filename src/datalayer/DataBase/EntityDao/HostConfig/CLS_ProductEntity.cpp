#include "CLS_ProductEntity.h"

// Out of line so that the class's virtual table and type information live in the library.
CLS_ProductEntity::CLS_ProductEntity() = default;

CLS_ProductEntity::~CLS_ProductEntity() = default;
