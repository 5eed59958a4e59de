#pragma once

#include <array>

#include "core/ModMain.h"

#include "records/EventRecords.h"
#include "records/RecordCollection.h"

namespace records {

// The collection of one kind of event log: one record per record number, lines routed by
// their record code, and the new-data announcement once per instrument identity.
template <class Record>
class EventCollection : public RecordCollection<Record> {
  public:
    // Empties the new-data memory and removes every record.
    void Clear() override {
        newDataNames_.fill(QString());
        RecordCollection<Record>::Clear();
    }

    // One received line; False for a line too short for its code (or of 20 characters or
    // fewer, or without a record number).
    bool SetDatas(const QString& vData, bool testFlag) {
        const QString line = CleanRecordLine(vData);
        bool result = vData.size() > 20;
        if (result && !(line.size() >= 2 && line.at(0).isDigit() && line.at(1).isDigit() &&
                        line.at(0).unicode() < 128 && line.at(1).unicode() < 128))
            result = false;
        if (result) {
            const QString key = RecordKey(line.left(2));
            Record* record = this->Item(key);
            if (!record) {
                record = &this->Add(key, 0);
                record->setInstrument(this->instruments_);
            }
            bool announce = false;
            result = route(*record, line.mid(2, 2), line, testFlag, announce);
            if (announce && !testFlag) announceNewData(*record);
        }
        if (testFlag && !result) this->failLine_ += QStringLiteral("\r\n") + line;
        return result;
    }
    bool SetRecordLine(int16_t, const QString& line, bool testFlag) override {
        return SetDatas(line, testFlag);
    }

  protected:
    // Routes one line by its code; `announce` is set after a date (or power) line.
    virtual bool route(Record& record, const QString& code, const QString& line, bool testFlag,
                       bool& announce) = 0;
    // The kind word of the new-data message.
    virtual QString kindWord() const = 0;

    // A user ID line: characters 5-14 as the user ID, in the storing pass.
    static bool userLine(Record& record, const QString& line, bool testFlag) {
        if (line.size() < 24) return false;
        if (!testFlag) record.setGasBaseInfo(2, core::EmptyToAsterisk(line.mid(4, 10)));
        return true;
    }

  private:
    static QString MakeDataName(const QString& serial, const QString& user) {
        return serial.leftJustified(12, QLatin1Char(' '), true) +
               user.leftJustified(10, QLatin1Char(' '), true);
    }
    bool IsNewDataListed(const QString& name) const {
        if (newDataNames_[0].isEmpty()) return false;
        for (int i = 0; i < 100; ++i)
            if (!newDataNames_[i].isEmpty() && newDataNames_[i].trimmed() == name.trimmed())
                return true;
        return false;
    }
    void AddNewDataName(const QString& name) {
        for (int i = 0; i < 100; ++i)
            if (newDataNames_[i].isEmpty()) {
                newDataNames_[i] = name;
                return;
            }
    }
    void announceNewData(const Record& record) {
        const QString name =
            MakeDataName(record.GasBaseInfo(4).toText(), record.GasBaseInfo(2).toText());
        if (IsNewDataListed(name) || !core::DebugMode) return;
        this->messageString_ = core::LoadResText(2001, {kindWord()});
        AddNewDataName(name);
    }

    std::array<QString, 101> newDataNames_;
};

class clsAlarmEvents : public EventCollection<clsAlarmEvent> {
  public:
    core::LogKind Kind() const override { return core::LogKind::AlarmEvents; }

  protected:
    bool route(clsAlarmEvent& r, const QString& code, const QString& line, bool testFlag,
               bool& announce) override;
    QString kindWord() const override { return QStringLiteral("Alarm Events"); }
};

class clsTroubleEvents : public EventCollection<clsTroubleEvent> {
  public:
    core::LogKind Kind() const override { return core::LogKind::TroubleEvents; }

  protected:
    bool route(clsTroubleEvent& r, const QString& code, const QString& line, bool testFlag,
               bool& announce) override;
    QString kindWord() const override { return QStringLiteral("Trouble Events"); }
};

class clsPowerEvents : public EventCollection<clsPowerEvent> {
  public:
    core::LogKind Kind() const override { return core::LogKind::PowerEvents; }

  protected:
    bool route(clsPowerEvent& r, const QString& code, const QString& line, bool testFlag,
               bool& announce) override;
    QString kindWord() const override { return QStringLiteral("Power Events"); }
};

}  // namespace records
