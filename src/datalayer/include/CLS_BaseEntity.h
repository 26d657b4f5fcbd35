#ifndef CLS_BASEENTITY_H
#define CLS_BASEENTITY_H

#include "DataMediatorExport.h"

/// Polymorphic base of most entities: plain records with one public field per column.
class DATAMEDIATOR_EXPORT CLS_BaseEntity
{
public:
    virtual ~CLS_BaseEntity() = default;
    /// A per-class constant; each entity class fixes its own value.
    virtual bool GetEntityFlag() const = 0;
};

/// Declares the per-class constant of an entity class.
#define TESSEL_ENTITY_FLAG(value)       \
    bool GetEntityFlag() const override \
    {                                   \
        return value;                   \
    }

#endif  // CLS_BASEENTITY_H
