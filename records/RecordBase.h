#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"
#include "runtime/Variant.h"

namespace core {
class clsInstrument;
}
namespace platform {
class ResultSet;
}

namespace records {

// What every record class shares with its collection: its key, its Log_Head number, its
// failure flag and the instrument it belongs to (shared, not owned).
class RecordBase {
  public:
    virtual ~RecordBase() = default;

    QString Key() const { return key_; }
    void setKey(const QString& key) { key_ = key; }
    int32_t SeqNo() const { return seqNo_; }
    void setSeqNo(int32_t seqNo) { seqNo_ = seqNo; }
    bool Error() const { return error_; }
    void setError(bool error) { error_ = error; }
    // The disk had no room for what the record's lines wrote, or the trend file or its folder
    // could not be made or written (refused, read-only, a link that leads nowhere): not a fault
    // of the lines, but of the store, which fails with this error.
    const std::optional<rt::RuntimeError>& FileError() const { return fileError_; }
    core::clsInstrument* Instrument() const { return instrument_; }
    // False after a reload whose stored date (start, alarm, download) was Null or could not be
    // read: it shows empty, never as another time, and the date holds none (day 0).
    bool DateRead() const { return dateRead_; }
    void setInstrument(core::clsInstrument* instrument) { instrument_ = instrument; }

  protected:
    // The header fields of GasBaseInfo, by index: 0 name, 1 date, 2 user ID, 3 station ID,
    // 4 serial number, 5 folder ID, 6 interval, 7 sampling, 8 spare. A record class says
    // which of them it has.
    enum HeaderFields : unsigned {
        HeaderName = 1u << 0,
        HeaderDate = 1u << 1,
        HeaderUser = 1u << 2,
        HeaderStation = 1u << 3,
        HeaderSerial = 1u << 4,
        HeaderFolder = 1u << 5,
        HeaderInterval = 1u << 6,
        HeaderSampling = 1u << 7,
        HeaderSpare = 1u << 8,
    };
    // A field the record has, or `none`; identities in key form when `keyFormOnRead`.
    rt::Variant headerField(int types, unsigned fields, bool keyFormOnRead,
                            const rt::Variant& none) const;
    // Stores a field the record has: the date only from a date, numbers only from numeric
    // values, identities in key form ("*" when empty), texts as text.
    void setHeaderField(int types, const rt::Variant& value, unsigned fields);
    // The header of an event or alarm trend record before its lines arrive.
    void clearHeader();
    // A data line that could not be taken: the record has failed; an error of the trend file or
    // its folders (error 61 or 75) is kept for the store.
    void lineFailed(const rt::RuntimeError& e);
    // Raises the kept error of the trend file or its folders.
    void raiseFileError() const;

    QString key_;
    int32_t seqNo_ = 0;
    bool error_ = false;
    std::optional<rt::RuntimeError> fileError_;
    core::clsInstrument* instrument_ = nullptr;

    QString name_;
    rt::OleDate date_;
    bool dateRead_ = true;
    QString userID_, stationID_, serialNo_, folderID_;
    int32_t interval_ = 0;
    int16_t sampling_ = 0;
    int16_t spare_ = 0;
};

// The stored download a store adds its rows to (an instrument's events, calibration history or
// sensor history), among `heads` (SeqNo and Names, in the order of their keys): the first whose
// key is a Long; -1 when there is none. When the only ones lie beyond a Long, rows added to them
// could never be shown: the store is refused (rt::RuntimeError) with the reason and the stored
// download to delete, by its name, serial number and user.
int32_t HeadToAddTo(const platform::ResultSet& heads, const QString& serialNo,
                    const QString& userID);

}  // namespace records
