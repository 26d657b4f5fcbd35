// Row helpers shared by the decoder and TV-wall DAOs, on top of the device DAOs' helpers.
#ifndef DECODERDAOSUPPORT_H
#define DECODERDAOSUPPORT_H

#include "DataBase/EntityDao/HostConfig/DeviceDaoSupport.h"

namespace DecoderDao {

using DeviceDao::Row;

/// Decimal text to double; empty, missing or invalid text gives 0.
inline double Real(const Row& _row, const char* _pszColumn)
{
    return _row.value(QLatin1String(_pszColumn)).toDouble();
}

/// The first row of _pRows (which it frees) loaded into _entity: 0; -1 for no answer; -2 for
/// no row.
template <typename E, typename L>
int ReadOne(RecordSet* _pRows, E& _entity, L&& _load)
{
    const DeviceDao::Rows rows(_pRows);
    if (rows.Failed()) {
        return -1;
    }
    if (rows.First() == nullptr) {
        return -2;
    }
    _load(*rows.First(), _entity);
    return 0;
}

}  // namespace DecoderDao

#endif  // DECODERDAOSUPPORT_H
