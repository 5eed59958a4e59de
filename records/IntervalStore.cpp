#include <QFileInfo>
#include <QScopeGuard>

#include "core/ClsInstrument.h"
#include "core/ModMain.h"
#include "core/Schema.h"
#include "core/SerialLog.h"
#include "platform/Database.h"
#include "records/ClsInterval.h"
#include "records/TrendLines.h"
#include "runtime/RuntimeError.h"

namespace records {

namespace {

using platform::DbParam;

const QStringList LevelColumns = {"Max",  "Avr",   "Min",  "MaxDate", "MinDate",
                                  "Warn", "Alarm", "Stel", "Twa",     "Mode"};

}  // namespace

bool clsInterval::FindDuplicate() const {
    return TrendHeaderStored(date_, userID_, serialNo_, core::LogKind::IntervalTrend);
}

int32_t clsInterval::FindSensorHead() const {
    if (!QFileInfo::exists(core::DatabasePath())) return 0;
    const platform::Database db = platform::Database::open(core::DatabasePath());
    const QString user = core::EmptyToAsterisk(userID_);
    const QString serial = core::EmptyToAsterisk(serialNo_);
    const platform::ResultSet r =
        db.query(QStringLiteral("Select SeqNo, Names From Log_Head Where UserID=? And SerialNo=? "
                                "And Types=8 Order By SeqNo;"),
                 {user, serial});
    return HeadToAddTo(r, serial, user);
}

void clsInterval::Update() {
    // Every way out but a stored header removes what the data lines wrote.
    auto unstored = qScopeGuard([this] { trend_.discard(); });
    const core::clsInstrument* inst = instrument_;
    if (!inst)
        throw rt::RuntimeError(rt::ErrInvalidCall, QStringLiteral("The record has no instrument"));
    // The samples handed to the disk while the lines arrived are written first; one that the
    // disk could not keep fails the record as the line that wrote it would have.
    try {
        trend_.settle();
    } catch (const rt::RuntimeError& e) {
        lineFailed(e);
    }
    // Samples the disk could not keep (no room, a folder refused or missing) fail the store,
    // with its reason.
    raiseFileError();
    // A record whose header line never came has no date: nothing of it can be stored, not
    // even its sensor history; the flag keeps its log.
    if (name_.isEmpty()) {
        error_ = true;
        return;
    }

    const platform::Database db = platform::Database::open(core::DatabasePath());
    const QString userKey = core::EmptyToAsterisk(userID_);
    const QString stationKey = core::EmptyToAsterisk(stationID_);
    const QString serialKey = core::EmptyToAsterisk(serialNo_);
    // Nothing of a record is stored unless all of it is.
    platform::Transaction transaction(db);

    const bool storesHeader = !FindDuplicate() && !error_;
    int32_t headerSeq = 0;
    if (storesHeader) {
        headerSeq = db.MaxSeq(QStringLiteral("Log_Head"));
        gas_[4].maximum = inst->HighTemp();
        gas_[4].minimum = inst->LowTemp();

        QStringList columns = {"SeqNo", "Names",  "Dates",    "UserID",   "StationID", "SerialNo",
                               "Types", "RomNum", "Interval", "Sampling", "FolderID",  "Dcount"};
        std::vector<DbParam> values = {headerSeq,
                                       OrBlank(name_),
                                       date_,
                                       userKey,
                                       stationKey,
                                       serialKey,
                                       int32_t(core::LogKind::IntervalTrend),
                                       inst->RomNumber(),
                                       interval_,
                                       sampling_,
                                       OrBlank(folderID_),
                                       sampleCounters_[4] + eventCount_};
        for (int g = 0; g < 5; ++g) {
            const Gas& gas = gas_[g];
            columns << GasColumns(g + 1, {"Name", "Full", "Desit", "Enable", "Point", "Unit"})
                    << GasColumns(g + 1, LevelColumns);
            values.insert(values.end(),
                          {OrBlank(gas.name), gas.fullScale, gas.desit, gas.enabled, gas.point,
                           OrBlank(inst->GasUnit(g)), gas.maximum, gas.average, gas.minimum,
                           gas.maxDate, gas.minDate, inst->Warning(g), inst->Alarm(g),
                           inst->Stel(g), inst->Twa(g), inst->ModeChange(g)});
        }
        db.exec(InsertStatement(QStringLiteral("Log_Head"), columns), values);

        const QString dataInsert =
            InsertStatement(QStringLiteral("Interval_Data"),
                            {"SeqNo", "RelNo", "Datetimes", "EvtTime", "Gas1Value", "Gas1NowCl",
                             "Gas2Value", "Gas2NowCl", "Gas3Value", "Gas3NowCl", "Gas4Value",
                             "Gas4NowCl", "Gas5Value", "Gas5NowCl"});
        platform::NewKeys dataKeys(db, QStringLiteral("Interval_Data"));
        for (int32_t i = 0; i < dataCount_; ++i) {
            const ValueRow& row = values_[i];
            std::vector<DbParam> rowValues = {dataKeys.next(), headerSeq, row.date, row.evtTime};
            for (int g = 0; g < 5; ++g) {
                rowValues.push_back(row.values[g]);
                rowValues.push_back(row.nowCalib[g] != 0);
            }
            db.exec(dataInsert, rowValues);
        }

        const QString eventInsert =
            InsertStatement(QStringLiteral("Interval_Event"),
                            {"SeqNo", "RelNo", "Datetimes", "BaseDate", "Gas1Event", "Gas2Event",
                             "Gas3Event", "Gas4Event", "Gas5Event"});
        platform::NewKeys eventKeys(db, QStringLiteral("Interval_Event"));
        for (int32_t i = 0; i < eventCount_; ++i) {
            const EventRow& row = events_[i];
            db.exec(eventInsert, {eventKeys.next(), headerSeq, row.date, row.baseDate, row.codes[0],
                                  row.codes[1], row.codes[2], row.codes[3], row.codes[4]});
        }
    }

    // The sensor history of the instrument: one header per instrument, one row per change of
    // the sensor of the fourth gas channel.
    int32_t sensorHead = FindSensorHead();
    if (sensorHead < 0) {
        sensorHead = db.MaxSeq(QStringLiteral("Log_Head"));
        QStringList columns = {"SeqNo",    "Names", "Dates",  "UserID",   "StationID",
                               "SerialNo", "Types", "RomNum", "Interval", "FolderID"};
        std::vector<DbParam> values = {sensorHead,
                                       core::LogKindHeaderName(core::LogKind::SensorHistory),
                                       date_,
                                       userKey,
                                       stationKey,
                                       serialKey,
                                       int32_t(core::LogKind::SensorHistory),
                                       inst->RomNumber(),
                                       interval_,
                                       QStringLiteral("-----")};
        for (int g = 0; g < 4; ++g) {
            const Gas& gas = gas_[g];
            columns << GasColumns(g + 1, {"Name", "Full", "Desit", "Enable", "Point"})
                    << GasColumns(g + 1, LevelColumns);
            values.insert(
                values.end(),
                {OrBlank(gas.name), gas.fullScale, gas.desit, inst->GasEnabled(g), gas.point,
                 gas.maximum, gas.average, gas.minimum, gas.maxDate, gas.minDate, inst->Warning(g),
                 inst->Alarm(g), inst->Stel(g), inst->Twa(g), inst->ModeChange(g)});
        }
        db.exec(InsertStatement(QStringLiteral("Log_Head"), columns), values);
    }

    const platform::ResultSet last = db.query(
        QStringLiteral("Select SensorNo, GasName, FullScale From SensorHistory Where UserID=? And "
                       "SerialNo=? And Dates<=? ORDER BY DATES DESC;"),
        {userKey, serialKey, date_});
    const QString lastSensor = last.text(0, QStringLiteral("SensorNo"));
    const QString lastGas = last.text(0, QStringLiteral("GasName"));
    // Compared as the Single it was stored from, so 20.9 equals 20.9.
    const float lastScale = last.single(0, QStringLiteral("FullScale"));
    const Gas& gas4 = gas_[3];
    if (stationID_ != lastSensor || gas4.name != lastGas || gas4.fullScale != lastScale) {
        db.exec(InsertStatement(QStringLiteral("SensorHistory"),
                                {"SeqNo", "RelNo", "UserID", "SerialNo", "Dates", "SensorNo",
                                 "GasName", "FullScale"}),
                {db.MaxSeq(QStringLiteral("SensorHistory")), sensorHead, userKey, serialKey, date_,
                 stationKey, gas4.name, gas4.fullScale});
    }
    // The samples are on the disk before their header row is, kept aside under a name tied to
    // that row: a kill from now on leaves them for the next start, which puts them in place
    // only if the row was stored.
    if (storesHeader) trend_.prepare(headerSeq);
    transaction.commit();
    // Only now may the samples take the trend file's name: a header row never points at a
    // file that is still being written.
    unstored.dismiss();
    if (storesHeader)
        trend_.commit();
    else if (mending_ && !error_)
        trend_.mend();
    else
        trend_.discard();
}

}  // namespace records
