#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "core/GasCommon.h"
#include "core/Schema.h"
#include "records/RecordBase.h"
#include "records/TrendLines.h"
#include "runtime/OleDate.h"
#include "runtime/Variant.h"

namespace platform {
class Database;
}

namespace records {

// What the three event records share: the header, the gas table (entries 0..5, gases 0..3 in
// use), the event count, the gas-list, count and date lines, the header row of the instrument's
// event log and the reload of that header.
class EventRecord : public RecordBase, public core::GasListSource {
  public:
    static constexpr int Elements = 121;  // event elements 0..120

    // 0 name, 1 date, 2 user ID, 4 serial number (both "*" when empty), 5 folder key,
    // 6 interval, 8 spare; Empty otherwise.
    rt::Variant GasBaseInfo(int types) const;
    void setGasBaseInfo(int types, const rt::Variant& value);
    // Gas 0..4 (Empty otherwise): 0 name, 1 full scale, 2 Desit, 3 decimal places, 4 warning,
    // 5 alarm, 8 maximum, 9 minimum, 10 average, 11/12 dates, 13 enabled, 14 text; Null for
    // 6, 7 and 15 on.
    rt::Variant GasListInfo(int gasNo, int types) const override;
    void setGasListInfo(int gasNo, int types, const rt::Variant& value);

    int16_t DataCount() const { return static_cast<int16_t>(dataCount_); }
    void setDataCount(int16_t count) { dataCount_ = count < 120 ? count : 120; }

    // Stores the record when it holds events: the instrument's header of this kind (written
    // when missing) and the events not stored yet, in one transaction.
    void Update();
    // Fills the header and gases 0..3 from the Log_Head row of SeqNo.
    void ReLoad();

    // The kind of log and the words of its header.
    virtual core::LogKind kind() const = 0;

  protected:
    // Field 14 is kept in the unit.
    using Gas = TrendGas;

    // The parts of ClearDatas that all three kinds share.
    void clearCommon();
    // The alarm record holds Desit as a whole number and Point as a Single.
    virtual bool wholeDesit() const { return false; }
    // Gas-list line (CC, DC): gases 4 and 5 of the line into entries 3 and 4.
    bool decodeGasList(const QString& vData, bool testFlag);
    // Count line (CB, DB): serial number and event count.
    bool decodeCount(const QString& vData, bool testFlag);
    // Date line (CD, DD): record date, name (prefix + "ddhhnnss") and folder key.
    bool decodeDate(const QString& vData, bool testFlag, const QString& prefix, bool strictTime);

    // The identity under which the instrument's header is found and written.
    virtual QString headerUserID() const;
    virtual QString headerSerialNo() const;
    // The header's gas name, full scale, Desit and Point of gas g.
    virtual void headerGas(int g, QString& name, float& full, float& desit, float& point) const;
    virtual int32_t headerInterval() const { return interval_; }
    // The event rows not stored yet under header `head`.
    virtual void writeEvents(const platform::Database& db, int32_t head) const = 0;

    std::array<Gas, 6> gas_{};
    int32_t dataCount_ = 0;

  private:
    int32_t FindEventHead() const;
};

// One alarm (clsAlarmEvent) or trouble (clsTroubleEvent) event.
class SingleEventRecord : public EventRecord {
  public:
    // Element 0..4 (outside: Dates the present time, the others 0; writes ignored).
    rt::OleDate Dates(int index) const;
    void setDates(int index, rt::OleDate date);
    int16_t Events(int index) const;
    void setEvents(int index, int16_t code);
    int16_t GasNo(int index) const;
    void setGasNo(int index, int16_t gas);
    int16_t NowEvent(int index) const;
    void setNowEvent(int index, int16_t flag);
    int16_t NowCalib(int index) const;
    void setNowCalib(int index, int16_t flag);

  protected:
    struct Element {
        rt::OleDate date;
        int16_t events = 0, gasNo = 0, nowEvent = 0, nowCalib = 0;
    };
    void clearElements(bool resetDates);
    // Event line: gas digit at 4, status at 5-6, still-active flag at 7, calibrating at 8.
    bool decodeEvent(const QString& vData, bool testFlag);
    void writeEvents(const platform::Database& db, int32_t head) const override;
    // The GasName of the event row.
    virtual QString rowGasName(int16_t gasNo) const;

    std::array<Element, Elements> elements_{};
};

class clsAlarmEvent : public SingleEventRecord {
  public:
    clsAlarmEvent();
    void ClearDatas();
    core::LogKind kind() const override { return core::LogKind::AlarmEvents; }

    bool SetDataBD(const QString& vData, bool testFlag);
    bool SetDataBB(const QString& vData, bool testFlag);
    bool SetDataBC(const QString& vData, bool testFlag);
    bool SetDataB0(const QString& vData, bool testFlag);

  protected:
    bool wholeDesit() const override { return true; }
};

class clsTroubleEvent : public SingleEventRecord {
  public:
    clsTroubleEvent();
    void ClearDatas();
    core::LogKind kind() const override { return core::LogKind::TroubleEvents; }

    // The element's own date, elements 0..119 (outside: the zero date).
    rt::OleDate DateTimes(int index) const;
    void setDateTimes(int index, rt::OleDate date);

    bool SetDataDD(const QString& vData, bool testFlag);
    bool SetDataDB(const QString& vData, bool testFlag);
    bool SetDataDC(const QString& vData, bool testFlag);
    bool SetDataD0(const QString& vData, bool testFlag);

  protected:
    QString rowGasName(int16_t gasNo) const override;
};

// The power-on and power-off events of one instrument (up to 121).
class clsPowerEvent : public EventRecord {
  public:
    clsPowerEvent();
    void ClearDatas();
    core::LogKind kind() const override { return core::LogKind::PowerEvents; }

    // Elements 0..119 (outside: the zero date, False; writes ignored).
    rt::OleDate Dates(int index) const;
    void setDates(int index, rt::OleDate date);
    bool Flags(int index) const;
    void setFlags(int index, bool on);

    bool SetDataF0(const QString& vData, bool testFlag);

  protected:
    QString headerUserID() const override;
    QString headerSerialNo() const override;
    void headerGas(int g, QString& name, float& full, float& desit, float& point) const override;
    int32_t headerInterval() const override;
    void writeEvents(const platform::Database& db, int32_t head) const override;

  private:
    struct Element {
        rt::OleDate date;
        bool on = false;
    };
    std::array<Element, Elements> elements_{};
};

}  // namespace records
