#pragma once

#include "core/TrendFile.h"

#include <QString>
#include <array>
#include <cstdint>

#include "core/GasCommon.h"
#include "records/RecordBase.h"
#include "records/TrendLines.h"
#include "runtime/OleDate.h"
#include "runtime/Variant.h"

namespace records {

// One alarm-trend recording: the readings around one alarm moment. The samples of a download
// go straight to the trend file; ReLoad brings them back into the 721 sample rows.
class clsAlarm : public RecordBase, public core::GasListSource {
  public:
    // The samples a recording holds, the alarm's in the middle: what the decoders write, the
    // reload reads, the accessors reach and DataCount counts.
    static constexpr int Rows = 721;  // rows 0..720

    clsAlarm();

    void ClearDatas();
    // Writes what the data lines left pending and lets the trend file go.
    void closeTrendFile() { trend_.closeQuietly(); }
    // Removes what the data lines wrote while the record is not stored; a stored record's
    // trend file stays.
    void discardTrendFile() noexcept { trend_.discard(); }

    // Header: 0 name, 1 date, 2 user ID, 4 serial number, 5 folder ID, 6 interval,
    // 7 sampling (window mode), 8 spare; Empty for 3 and outside 0..8.
    rt::Variant GasBaseInfo(int types) const;
    void setGasBaseInfo(int types, const rt::Variant& value);
    // Gas table of gas 0..4 (Empty for another gas): 0 name, 1 full scale, 2 Desit,
    // 3 decimal point, 4 warning, 5 alarm, 8 maximum, 9 minimum, 10 average, 11/12 dates of
    // maximum/minimum, 13 enabled, 14 unit; Null for 6, 7 and outside 0..14.
    rt::Variant GasListInfo(int gasNo, int types) const override;
    void setGasListInfo(int gasNo, int types, const rt::Variant& value);

    // Rows 0..720: outside, reads give the zero date or 0 and writes are ignored.
    rt::OleDate DateTimes(int index) const;
    void setDateTimes(int index, rt::OleDate date);
    float Value(int gasNo, int index) const;
    void setValue(int gasNo, int index, float value);
    int16_t DataCount() const { return dataCount_; }
    // Recorded in the short window (sampling flag 2): named and dated as an interval trend.
    bool KeptAsInterval() const { return sampling_ == 2; }
    void setDataCount(int16_t count);  // at most 721

    bool Duplicate() const { return duplicate_; }
    void setDuplicate(bool duplicate) { duplicate_ = duplicate; }

    // Line decoders.
    bool SetDataBD(const QString& vData, bool testFlag);
    bool SetDataBC(const QString& vData, bool testFlag);
    bool SetDataBB(const QString& vData, bool testFlag);
    bool SetDataB0(const QString& vData, bool testFlag, bool compress);
    bool SetDataXX(const QString& vData, bool testFlag);
    bool SetData96(const QString& vData, bool testFlag);

    // Stores the header (Log_Head kind 2) and the held rows (Alarm_Data) in one transaction.
    // The samples reach the disk before its COMMIT and take the trend file's name after it; a
    // record not stored leaves no trend file. Raises error 75 when the trend file cannot take
    // its name: the rows stay stored, and the next start puts the samples in place. A record
    // stored before whose trend file is missing or short gets it again.
    void Update();
    // Rebuilds the record stored under SeqNo from its header row and its trend file.
    void ReLoad();

    QString previousDataCode() const { return dataLineCode_; }
    void setPreviousDataCode(const QString& code) { dataLineCode_ = code; }
    int16_t SampleCount(int channel) const { return sampleCount_.at(channel); }
    // The trend file its data lines write, as clsInterval's.
    QString TrendFilePath() const;
    // True after a reload whose header names no trend file inside the data folder (its folder
    // ID or name is missing, or would lead out of it): no trend file was read.
    bool TrendPathDamaged() const { return trendPathDamaged_; }

  private:
    using Gas = TrendGas;
    struct Row {
        int32_t rowNo = 0;
        rt::OleDate date;
        std::array<float, 5> values{};
    };

    bool FindDuplicate() const;
    void WriteSerialLog(const QString& text) const;
    void writeSamples(const QString& words, int channel);
    // The trend record of sample n, or 0 when the window leaves the sample out.
    int32_t trendRecordOf(int32_t n) const;

    std::array<Gas, 6> gas_{};
    std::array<Row, Rows> rows_{};
    int16_t dataCount_ = 0;
    bool duplicate_ = false;
    // Stored before, but its trend file is missing or short: the data lines write the file
    // again, and Update puts it in the stored file's place.
    bool mending_ = false;
    std::array<int16_t, 6> sampleCount_{};
    bool trendPathDamaged_ = false;
    core::TrendWriter trend_;  // the trend file while data lines arrive
    QString dataLineCode_;
};

}  // namespace records
