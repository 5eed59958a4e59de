#pragma once

#include <QString>
#include <cstdint>

namespace core {
class clsInstrument;
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
    core::clsInstrument* Instrument() const { return instrument_; }
    void setInstrument(core::clsInstrument* instrument) { instrument_ = instrument; }

  protected:
    QString key_;
    int32_t seqNo_ = 0;
    bool error_ = false;
    core::clsInstrument* instrument_ = nullptr;
};

}  // namespace records
