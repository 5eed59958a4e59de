#pragma once

#include "core/TrendFile.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "core/GasCommon.h"
#include "records/RecordBase.h"
#include "records/TrendLines.h"
#include "runtime/OleDate.h"
#include "runtime/Variant.h"

namespace platform {
class ResultSet;
}

namespace records {

// One interval-trend recording: header, five gas channels with their summaries, value rows
// (the samples, filled by the reload) and event rows.
class clsInterval : public RecordBase, public core::GasListSource {
  public:
    static constexpr int MaxValueRow = 54000;  // rows 0..54000
    static constexpr int MaxEventRow = 2048;   // rows 0..2048

    clsInterval();

    void ClearDatas();
    // Writes what the data lines left pending and lets the trend file go.
    void closeTrendFile() { trend_.closeQuietly(); }
    // Removes what the data lines wrote while the record is not stored; a stored record's
    // trend file stays.
    void discardTrendFile() noexcept { trend_.discard(); }

    // Header: 0 name, 1 date, 2 user ID, 3 station ID, 4 serial number, 5 folder ID,
    // 6 interval, 7 sampling; Null outside 0..7.
    rt::Variant GasBaseInfo(int types) const;
    void setGasBaseInfo(int types, const rt::Variant& value);
    // Gas table of gas 0..4 (Empty for another gas): 0 name, 1 full scale, 2 Desit,
    // 3 decimal point, 8 maximum, 9 minimum, 10 average, 11/12 dates of maximum/minimum,
    // 13 enabled, 14 unit; Null for any other type.
    rt::Variant GasListInfo(int gasNo, int types) const override;
    void setGasListInfo(int gasNo, int types, const rt::Variant& value);

    // Value rows 0..DataCount-1 (outside: zero date, Empty, 0; writes ignored); a gas index
    // outside 0..5 in a held row raises error 9.
    rt::OleDate DateTimes(int32_t index) const;
    void setDateTimes(int32_t index, rt::OleDate date);
    rt::Variant GasValue(int gasNo, int32_t index) const;
    void setGasValue(int gasNo, int32_t index, const rt::Variant& value);
    int16_t GasNowCalib(int gasNo, int32_t index) const;
    void setGasNowCalib(int gasNo, int32_t index, int16_t flag);
    rt::OleDate EvtTime(int32_t index) const;
    void setEvtTime(int32_t index, rt::OleDate date);
    // Event rows 0..EventCount-1.
    rt::OleDate EventDateTimes(int32_t index) const;
    void setEventDateTimes(int32_t index, rt::OleDate date);
    rt::Variant GasEvent(int gasNo, int32_t index) const;
    void setGasEvent(int gasNo, int32_t index, const rt::Variant& value);
    rt::OleDate EventBaseDate(int32_t index) const;

    int32_t DataCount() const { return dataCount_; }
    void setDataCount(int32_t count);  // taken only for 0 <= count < 54000
    int32_t EventCount() const { return eventCount_; }
    void setEventCount(int32_t count);  // at most 2049, the rows of the table
    int32_t ValueCount() const { return valueCount_; }
    void setValueCount(int32_t count) { valueCount_ = count; }
    rt::OleDate BaseDate() const { return baseDate_; }
    void setBaseDate(rt::OleDate date) { baseDate_ = date; }
    bool Duplicate() const { return duplicate_; }
    void setDuplicate(bool duplicate) { duplicate_ = duplicate; }

    // Stores a value (event code) in the row of that date, or in a new row; error 9 when the
    // table is full. Returns the row index.
    int16_t AddValue(int gasNo, rt::OleDate dates, float values);
    int16_t AddEvents(int gasNo, rt::OleDate dates, int32_t eventNo, rt::OleDate baseDate);
    // The first row from strDim on with the earliest date after `dates`; -1 for none.
    int32_t SerchDatas(rt::OleDate dates, int32_t strDim) const;
    int32_t SerchEvent(rt::OleDate dates, int32_t strDim) const;
    // The next value row (1-based, positive) or event row (1-based, negated) after `dates`;
    // 0 for none or a date outside 1998..2199. On the same second the event wins.
    int32_t SerchValue(rt::OleDate dates) const;

    // Line decoders; each returns True.
    bool SetDataAD(const QString& vData, bool testFlag);
    bool SetDataAE(const QString& vData, bool testFlag);
    bool SetDataA0(const QString& vData, bool testFlag, bool compress);
    bool SetDataAC(const QString& vData, bool testFlag);

    // Stores the record (header, value and event rows, sensor history) in one transaction.
    // The samples reach the disk before the header's COMMIT and take the trend file's name
    // after it; a record not stored leaves no trend file. Raises error 75 when the trend file
    // cannot take its name: the rows stay stored, and the next start puts the samples in
    // place. A record stored before whose trend file is missing or short gets it again.
    void Update();
    // Rebuilds the record stored under SeqNo from the database and its trend file.
    void ReLoad();

    // The decoder state that ties a compressed line to the code of the plain line before it.
    QString previousDataCode() const { return previousDataCode_; }
    void setPreviousDataCode(const QString& code) { previousDataCode_ = code; }
    // Samples of a channel placed by the current download.
    int32_t SampleCount(int channel) const { return sampleCounters_.at(channel); }
    // The trend file of this record (DataFolder/yy/mm/<name>.Dat) that its data lines write;
    // empty when its folder ID or name gives none inside the data folder. A reload reads the
    // file that the stored header names (TrendFileOf of the row), as deletion removes it.
    QString TrendFilePath() const;
    // True after a reload whose header names no trend file inside the data folder (its folder
    // ID or name is missing, or would lead out of it): no trend file was read.
    bool TrendPathDamaged() const { return trendPathDamaged_; }

  private:
    using Gas = TrendGas;
    struct ValueRow {
        int32_t rowNo = 0;
        rt::OleDate date;
        std::array<float, 6> values{};
        std::array<int16_t, 6> nowCalib{};
        rt::OleDate evtTime;
    };
    struct EventRow {
        int32_t seqNo = 0;
        rt::OleDate date;
        std::array<float, 6> codes{};
        rt::OleDate baseDate;
    };

    bool FindDuplicate() const;
    int32_t FindSensorHead() const;
    void WriteSerialLog(const QString& text) const;
    ValueRow& valueRow(int32_t index);
    EventRow& eventRow(int32_t index);
    void writeSamples(const std::vector<core::TrendRun>& runs, int channel);
    void addPlainEvent(const QString& line, int channel);
    void reloadHeader(const platform::ResultSet& row);
    // The samples of the trend file at `path`; none when it is empty or missing.
    void reloadSamples(const QString& path);
    void reloadEvents();

    std::array<Gas, 6> gas_{};

    std::vector<ValueRow> values_;  // grows on demand up to 54001 rows, never shrinks
    std::vector<EventRow> events_;  // up to 2049 rows
    int32_t dataCount_ = 0, valueCount_ = 0, eventCount_ = 0;
    rt::OleDate baseDate_;
    std::array<int32_t, 6> sampleCounters_{};
    core::TrendWriter trend_;  // the trend file while data lines arrive
    bool duplicate_ = false;
    // Stored before, but its trend file is missing or short: the data lines write the file
    // again, and Update puts it in the stored file's place.
    bool mending_ = false;
    QString previousDataCode_;
    bool trendPathDamaged_ = false;
};

}  // namespace records
