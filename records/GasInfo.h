#pragma once

#include <QString>
#include <cstdint>

#include "core/GasCommon.h"

namespace records {

// A record's stored date (its start, its alarm, its download) as `format` writes it; empty when
// it could not be read.
template <class Record, class Format>
QString headerDateText(const Record& record, Format format) {
    return record.DateRead() ? format(record.GasBaseInfo(1).toDate()) : QString();
}

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

// A reading of gas 3 as the tables show it: its text with the gas's decimals, "OVER" below 0
// or above the full scale.
template <class Record>
QString gas3Text(const Record& r, float value) {
    return core::OverIfOutOfRange(core::ValueText(value, decimalsOf(r, 3)), gasInfo(r, 3, 1));
}

// A fifth-gas reading held to the download's recorded range: above the maximum it is "OVER"
// (-107), below the minimum "U_OVER" (-119); without a recorded maximum it stays.
template <class Record>
float screenedGas4(const Record& r, float value) {
    const float maximum = gasInfo(r, 4, 8);
    if (value > -101 && maximum > -101) {
        if (value > maximum) return -107;
        if (value < gasInfo(r, 4, 9)) return -119;
    }
    return value;
}

}  // namespace records
