#pragma once

#include <QString>
#include <cstdint>

namespace platform {

// A table read cell by cell: what a report copies from a grid.
class CellTable {
  public:
    virtual ~CellTable() = default;
    // Counts with the title row and column.
    virtual int Rows() const = 0;
    virtual int Cols() const = 0;
    virtual QString TextMatrix(int row, int col) const = 0;
    // The cell's own back colour (a Basic RGB Long), 0 when it has none.
    virtual int32_t CellBackColor(int row, int col) const = 0;
};

}  // namespace platform
