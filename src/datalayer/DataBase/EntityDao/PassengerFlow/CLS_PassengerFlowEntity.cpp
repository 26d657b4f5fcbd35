#include "CLS_PassengerFlowEntity.h"

// Out of line so that the classes' virtual tables and type information live in the library.
CLS_PassengerFlowEntity::CLS_PassengerFlowEntity() = default;
CLS_PassengerFlowEntity::~CLS_PassengerFlowEntity() = default;

CLS_RegionEntity::CLS_RegionEntity() = default;
CLS_RegionEntity::~CLS_RegionEntity() = default;

CLS_PassengerFlowStatisticConditionEntity::CLS_PassengerFlowStatisticConditionEntity() = default;
CLS_PassengerFlowStatisticConditionEntity::~CLS_PassengerFlowStatisticConditionEntity() = default;
