// A generic device other than a video host: one row of TAB_DEV. Text fields hold UTF-8.
#ifndef DEVITEM_H
#define DEVITEM_H

#include "DataMediatorExport.h"

#include <cstdint>
#include <list>
#include <string>

namespace Common {

struct DATAMEDIATOR_EXPORT STRCT_DevItem
{
    virtual ~STRCT_DevItem();

    std::string S_ID;
    std::string S_NAME;
    int32_t I_TYPE = 0;
    std::string S_BRAND;
    std::string S_VERSION;
    std::string S_USE;
    std::string S_SN;
    std::string S_IP;
    std::string S_MAC;
    int32_t I_PORT = 0;
    int32_t I_HTTPPORT = 0;
    int32_t I_HTTPSPORT = 0;
    std::string S_USERNAME;
    std::string S_PASSWORD;  ///< stored as given
    std::string S_LASTMODIFYTIME;
    std::string S_DESCRIPTION;
    /// The client's own list; TAB_DEV has no column for it and this library leaves it alone.
    std::list<std::string> lstExtra;
};

/// One page of a paged read: page size and page number (from 1) in, the total number of rows out.
struct STRCT_PageInfo
{
    int32_t iPageSize = 20;
    int32_t iPageNum = 1;
    int32_t iTotal = 0;
};

}  // namespace Common

#endif  // DEVITEM_H
