#pragma once

#include <QString>
#include <memory>
#include <optional>

#include "core/Schema.h"
#include "core/TrendFile.h"
#include "runtime/OleDate.h"
#include "runtime/Variant.h"

#include "platform/Database.h"

// What the interval-trend and the alarm-trend records decode and store alike.
namespace records {

// n characters of a record line from position p (1-based); fewer when the line is shorter.
QString LineText(const QString& line, int p, int n);

// A numeric field as a Long (rounded half to even); nullopt when the text is not numeric or
// its number does not fit. A field too large for its type is as bad as one that is no number:
// decoding instrument text never raises Overflow.
std::optional<int32_t> LongField(const QString& text);
// A number as an Integer (rounded half to even); nullopt when it does not fit.
std::optional<int16_t> IntegerValue(double value);

// Counts one more sample of a channel whose record holds at most `capacity` samples (as many
// as the instrument can hold); raises error 9 beyond it, so that a garbled repeat count fails
// its line instead of writing a trend file without bound.
int32_t NextSample(int32_t count, int32_t capacity);

// A yymmdd field as a date of 2000..2099; nullopt when it is no valid date.
std::optional<rt::OleDate> LineDate(const QString& line, int p);
// An hhnnss field as seconds of the day; nullopt when it is no valid time.
std::optional<int> LineTime(const QString& line, int p);

// The value of one sample word of a gas channel: "FEFE" -118, "FFFF" -101, any word of a gas
// without a name -101, else the unsigned hexadecimal count scaled by the gas's decimals, less
// `offset` (the fifth gas's full-scale field) when `subtractOffset`. Raises error 13 for a
// word that is not hexadecimal.
float SampleWordValue(const QString& word, const QString& gasName, int16_t decimals, float offset,
                      bool subtractOffset);

// One gas block of a gas-list line (AC, BC): present unless its name field is all "*" or all
// blanks; numeric when both its value fields are numbers.
struct GasListBlock {
    bool present = false;
    bool numeric = false;
    QString name;
    float fullScale = 0;
    float desit = 0;
    int16_t point = 0;
};
// Gas 4 (name in four pieces at 5, 18, 31, 44; full scale 47-51; Desit 52-56) and gas 5
// (name 57-60 untrimmed; full scale 61-65; Desit 66-70) of a gas-list line.
GasListBlock GasListGas4(const QString& line);
GasListBlock GasListGas5(const QString& line);

// True when Log_Head holds a header of that kind for the recording (date, user, serial
// number); False when the database does not exist.
bool TrendHeaderStored(rt::OleDate date, const QString& userID, const QString& serialNo,
                       core::LogKind kind);
// True when a header of that kind is stored for the recording, names the trend file at `path`,
// and that file is missing or short (TrendFileLacking): a download of the recording writes it
// again.
bool StoredTrendFileLacking(rt::OleDate date, const QString& userID, const QString& serialNo,
                            core::LogKind kind, const QString& path);

// DataFolder/yy/mm/<name>.Dat of a folder ID "mm/yy"; the name goes through the one
// sanitizing function of trend-file names. Empty when the pieces give no file inside the data
// folder: a year or month piece that is empty, climbs ("." or "..") or holds a separator or
// any other character a file name may not hold, or a name that is empty. A stored folder ID is
// text of the database, so a damaged one must not lead the reader or the deletion elsewhere.
QString TrendFileOf(const QString& folderID, const QString& name);
// The trend file of a stored header row, from its FolderID and Names: the one path the reload,
// the library's alarm-point lookup and the deletion all take. Empty when either is Null (or the
// row is missing): such a download has no trend file, and none is read or removed for it.
QString TrendFileOf(const platform::ResultSet& head, int row);
// The same inside the data folder `dataFolder` rather than the program's.
QString TrendFileIn(const QString& dataFolder, const QString& folderID, const QString& name);
QString TrendFileIn(const QString& dataFolder, const platform::ResultSet& head, int row);
// True when the trend file of a stored header row holds fewer samples than the row counts: it
// is missing, or an interval trend's file holds fewer records than its Dcount less its event
// rows (Dcount counts both), or an alarm trend's file holds none (an alarm trend's Dcount
// counts the window it covers, whatever the samples received). False for a row that counts
// none, names no trend file, or whose trend file is no plain file (the reader tells that).
bool TrendFileLacking(const platform::Database& db, const platform::ResultSet& head, int row);

// The stored trend file at `path` of the download `name`, opened for reading when it is one a
// trend may be read from (core::OpenStoredTrendFile); nullptr, with the download and the file
// told damaged, when it is none (no regular file, or one outside the data folder), which is
// never waited on. Raises error 75 when it cannot be opened.
std::unique_ptr<core::TrendFile> OpenTrendToRead(const QString& name, const QString& path);

// One gas channel of a trend record's gas table.
struct TrendGas {
    QString name;
    float fullScale = 0, desit = 0, warning = 0, alarm = 0, maximum = 0, minimum = 0, average = 0;
    int16_t point = 0;
    rt::OleDate maxDate, minDate;
    bool enabled = false;
    QString unit;
};
// GasListInfo of the fields both trend records have: 0 name, 1 full scale, 2 Desit,
// 3 decimal point, 8 maximum, 9 minimum, 10 average, 11/12 dates, 13 enabled, 14 unit;
// Null for any other type.
rt::Variant TrendGasField(const TrendGas& gas, int types);
// A gas before its lines arrive: no name, no decimal point (-101), every reading the no-value
// code; the warning and alarm levels too when `levels`.
void ClearTrendGas(TrendGas& gas, bool levels);
// The gas of channel g (0..4) from a stored Log_Head row, Null columns taking their defaults
// (-101, day -101, enabled, ""); with `levels` also the warning and alarm levels.
void LoadTrendGas(const platform::ResultSet& row, int g, bool levels, TrendGas& gas);

// Applies a gas-list line to the gas entries of gases 4 and 5: an absent block disables its
// gas, a present block with numbers enables it and sets name, full scale, Desit (rounded to a
// whole number with `wholeDesit`) and decimal places; nothing is stored with `testFlag`.
// False when a present block is not numeric (that block stores nothing).
bool ApplyGasListLine(const QString& line, bool testFlag, TrendGas& gas4, TrendGas& gas5,
                      bool wholeDesit = false);

// A header line (AD, BD): start yymmdd at 5, hhnnss at 11, interval at 17-20.
struct HeaderLine {
    std::optional<rt::OleDate> date;
    std::optional<int> time;
    std::optional<int32_t> interval;
    bool bad() const { return !date || !time || !interval; }
    // The parts that are valid, applied to the record's date and interval.
    void applyTo(rt::OleDate& recordDate, int32_t& recordInterval) const;
};
HeaderLine ParseHeaderLine(const QString& line);

// A text column that must not be empty gets a single blank.
inline QString OrBlank(const QString& text) {
    return text.isEmpty() ? QStringLiteral(" ") : text;
}

using platform::InsertStatement;
// Gas<n><suffix> for each suffix.
QStringList GasColumns(int gas, const QStringList& suffixes);

// Tells the records of a stored trend from what a damaged trend file holds instead.
struct TrendScreen {
    // The trend's stored time (its start or its alarm); with none, the first sound record's.
    std::optional<rt::OleDate> around;
    // Set once a record was not sound.
    bool damaged = false;

    // False for a record that is no sample of the trend: its time no date, or further from
    // the trend's time than a trend reaches (the graph counts the seconds from the first
    // sample as a Long). A reading that is no number, or none an instrument can give,
    // becomes none (-101).
    bool accept(core::TrendRecord& record);
    // The same for the time of an event of the trend.
    bool acceptTime(rt::OleDate time);
};

}  // namespace records
