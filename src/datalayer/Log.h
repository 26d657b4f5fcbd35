// The data layer's one way to log: through the toolkit's hook, skipped when it is null.
#ifndef TESSEL_DATALAYER_LOG_H
#define TESSEL_DATALAYER_LOG_H

#include "ToolKits.h"

#define DL_LOG(level, ...)                                     \
    do {                                                       \
        PFN_LogDebugEx pfnLog_ = toolkit::logHook();          \
        if (pfnLog_ != nullptr) {                              \
            pfnLog_((level), __FILE__, __LINE__, __VA_ARGS__); \
        }                                                      \
    } while (0)

#endif  // TESSEL_DATALAYER_LOG_H
