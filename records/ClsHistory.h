#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "core/GasCommon.h"
#include "records/RecordBase.h"
#include "runtime/OleDate.h"
#include "runtime/Variant.h"

namespace records {

// The calibration history of one instrument: one row per calibration date with, per gas, the
// readings before and after, the calibration gas and the decimal places.
class clsHistory : public RecordBase, public core::GasListSource {
  public:
    static constexpr int Rows = 301;          // rows 0..300
    static constexpr int MaxAddedRows = 299;  // a download fills rows 0..298

    clsHistory();

    void ClearDatas();

    // 1 record date, 2 user ID, 4 serial number (both "*" when empty), 5 folder ID; Empty
    // otherwise.
    rt::Variant GasBaseInfo(int types) const;
    void setGasBaseInfo(int types, const rt::Variant& value);
    // Gas 0..4 (error 9 otherwise): 0 name, 1 full scale, 2 Desit, 3 decimal places,
    // 13 enabled, 14 unit; Null for another type.
    rt::Variant GasListInfo(int gasNo, int types) const override;
    void setGasListInfo(int gasNo, int types, const rt::Variant& value);

    // Rows 0..300, gases 0..4; any other index raises error 9.
    rt::OleDate Dates(int index) const;
    void setDates(int index, rt::OleDate date);
    // False for a row whose stored time was Null or could not be read: it shows empty.
    bool RowDateRead(int index) const;
    float Before(int gasNo, int index) const;
    void setBefore(int gasNo, int index, float value);
    float After(int gasNo, int index) const;
    void setAfter(int gasNo, int index, float value);
    QString GasName(int gasNo, int index) const;
    void setGasName(int gasNo, int index, const QString& name);
    int16_t Points(int gasNo, int index) const;
    void setPoints(int gasNo, int index, int16_t points);

    // Rows filled by ReLoad; the let is ignored.
    int16_t DataCount() const { return static_cast<int16_t>(dataCount_); }
    void setDataCount(int16_t) {}
    // Rows filled by AddHistory.
    int16_t DCount() const { return dCount_; }
    void setDCount(int16_t count) { dCount_ = count; }

    // Stores one reading in the row of its date (a new row while fewer than 299 are held).
    void AddHistory(int16_t gasNo, rt::OleDate dates, float before, float after, const QString& no,
                    int16_t po);
    // Appends a line to the serial log (no time stamp).
    void SetSerialLog(const QString& setValue) const;

    // Stores the history under the instrument's one header, adding only dates not stored yet;
    // in one transaction.
    void HistoryUpdate();
    // Rebuilds the history stored under SeqNo, newest date first (the newest 301 rows).
    void ReLoad();

  private:
    struct Gas {
        QString name;
        float fullScale = 0, desit = 0;
        int16_t point = 0;
        bool enabled = false;
        QString unit;
    };
    struct Cell {
        float before = 0, after = 0;
        QString gasName;
        int16_t points = 0;
    };
    struct Row {
        rt::OleDate date;
        bool dateRead = true;
        std::array<Cell, 5> cells;
    };

    int32_t FindHistoryHead() const;
    Cell& cell(int gasNo, int index);
    const Cell& cell(int gasNo, int index) const;

    std::array<Gas, 5> gas_{};
    std::array<Row, Rows> rows_{};
    int16_t dCount_ = 0;
    int32_t dataCount_ = 0;
};

}  // namespace records
