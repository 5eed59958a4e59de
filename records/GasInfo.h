#pragma once

#include <cstdint>

namespace records {

// A number of a trend record's gas table (GasListInfo): 1 full scale, 8 maximum, 9 minimum...
template <class Record>
float gasInfo(const Record& record, int gas, int type) {
    return record.GasListInfo(gas, type).toSingle();
}

// The decimal places of a gas of a trend record.
template <class Record>
int16_t decimalsOf(const Record& record, int gas) {
    return record.GasListInfo(gas, 3).toInteger();
}

}  // namespace records
