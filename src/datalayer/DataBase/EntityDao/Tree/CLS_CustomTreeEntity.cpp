#include "CLS_CustomTreeEntity.h"

// Out of line so that the classes' virtual tables and type information live in the library.
CLS_CustomTreeEntity::CLS_CustomTreeEntity() = default;

CLS_CustomTreeEntity::~CLS_CustomTreeEntity() = default;

CLS_CustomTreeNodesEntity::CLS_CustomTreeNodesEntity() = default;

CLS_CustomTreeNodesEntity::~CLS_CustomTreeNodesEntity() = default;
