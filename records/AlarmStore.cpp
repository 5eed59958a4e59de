#include <QFileInfo>
#include <QScopeGuard>

#include "core/ClsInstrument.h"
#include "core/ModMain.h"
#include "core/SerialLog.h"
#include "core/StoredDamage.h"
#include "core/TrendFile.h"
#include "platform/Database.h"
#include "records/ClsAlarm.h"
#include "records/TrendLines.h"
#include "runtime/Convert.h"
#include "runtime/RuntimeError.h"

namespace records {

void clsAlarm::Update() {
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
    // A record whose header line never came cannot be stored; the flag keeps its log.
    if (name_.isEmpty()) error_ = true;
    if (error_) return;
    if (FindDuplicate()) {
        if (mending_) trend_.mend();
        return;
    }

    const platform::Database db = platform::Database::open(core::DatabasePath());
    platform::Transaction transaction(db);
    const int32_t headerSeq = db.MaxSeq(QStringLiteral("Log_Head"));
    gas_[4].maximum = inst->HighTemp();
    gas_[4].minimum = inst->LowTemp();

    QStringList columns = {"SeqNo",  "Names",    "Dates",    "UserID",   "SerialNo", "Types",
                           "RomNum", "Interval", "Sampling", "FolderID", "Dcount"};
    std::vector<platform::DbParam> values = {headerSeq,
                                             OrBlank(name_),
                                             date_,
                                             core::EmptyToAsterisk(userID_),
                                             core::EmptyToAsterisk(serialNo_),
                                             static_cast<int32_t>(core::LogKind::AlarmTrend),
                                             inst->RomNumber(),
                                             interval_,
                                             sampling_,
                                             folderID_,
                                             int32_t(sampling_ == 2 ? 180 : 720)};
    for (int g = 0; g < 5; ++g) {
        const Gas& gas = gas_[g];
        columns << GasColumns(
            g + 1, {"Name", "Full", "Desit", "Enable", "Point", "Unit", "Max", "Avr", "Min",
                    "MaxDate", "MinDate", "Warn", "Alarm", "Stel", "Twa", "Mode"});
        values.insert(values.end(),
                      {OrBlank(gas.name), gas.fullScale, gas.desit, inst->GasEnabled(g), gas.point,
                       OrBlank(inst->GasUnit(g)), gas.maximum, gas.average, gas.minimum,
                       gas.maxDate, gas.minDate, inst->Warning(g), inst->Alarm(g), inst->Stel(g),
                       inst->Twa(g), inst->ModeChange(g)});
    }
    db.exec(InsertStatement(QStringLiteral("Log_Head"), columns), values);

    const QString rowInsert = InsertStatement(
        QStringLiteral("Alarm_Data"), {"SeqNo", "RelNo", "Datetimes", "Gas1Value", "Gas2Value",
                                       "Gas3Value", "Gas4Value", "Gas5Value"});
    platform::NewKeys rowKeys(db, QStringLiteral("Alarm_Data"));
    for (int16_t i = 0; i < dataCount_; ++i) {
        const Row& row = rows_[i];
        db.exec(rowInsert, {rowKeys.next(), headerSeq, row.date, row.values[0], row.values[1],
                            row.values[2], row.values[3], row.values[4] - gas_[4].fullScale});
    }
    // The samples are on the disk before their header row is, kept aside under a name tied to
    // that row: a kill from now on leaves them for the next start, which puts them in place
    // only if the row was stored.
    trend_.prepare(headerSeq);
    transaction.commit();
    // Only now may the samples take the trend file's name: a header row never points at a
    // file that is still being written.
    unstored.dismiss();
    trend_.commit();
}

void clsAlarm::ReLoad() {
    trendPathDamaged_ = false;
    if (!QFileInfo::exists(core::DatabasePath())) return;
    const platform::Database db = platform::Database::open(core::DatabasePath());
    // What cannot be read is left as when nothing is stored, and the download is told
    // damaged; the rest loads.
    const platform::ResultSet r =
        db.query(QStringLiteral("Select * From Log_Head Where SeqNo=?;"), {seqNo_}).lenient();
    if (r.rowCount() > 0) {
        name_ = r.text(0, QStringLiteral("Names"), QStringLiteral("Name None"));
        // An alarm time that is Null or cannot be read is none, never the time now.
        date_ = r.requiredDate(0, QStringLiteral("Dates"));
        dateRead_ = !r.unreadable(0, QStringLiteral("Dates"));
        userID_ = core::EmptyToAsterisk(r.text(0, QStringLiteral("UserID"), QStringLiteral(" ")));
        serialNo_ =
            core::EmptyToAsterisk(r.text(0, QStringLiteral("SerialNo"), QStringLiteral(" ")));
        interval_ = r.longValue(0, QStringLiteral("Interval"), 0);
        sampling_ = r.integer(0, QStringLiteral("Sampling"), 0);
        folderID_ = r.text(0, QStringLiteral("FolderID"), QStringLiteral("00/00"));
        for (int g = 0; g < 5; ++g)
            LoadTrendGas(r, g, true, gas_[g]);
    }
    if (r.anyUnreadable()) core::NoteDamagedDownload(name_);

    // A missing trend file loads the recording without rows; a longer one fills the 721 rows
    // and is read no further. The stored values, not the defaults the header takes for a Null:
    // the path deletion takes.
    dataCount_ = 0;
    const QString path = TrendFileOf(r, 0);
    trendPathDamaged_ = r.rowCount() > 0 && path.isEmpty();
    if (trendPathDamaged_) core::NoteDamagedDownload(name_);
    if (TrendFileLacking(db, r, 0)) core::NoteLackingTrendFile(name_, path);
    if (path.isEmpty() || !QFileInfo::exists(path)) return;
    const std::unique_ptr<core::TrendFile> opened = OpenTrendToRead(name_, path);
    if (!opened) return;
    core::TrendFile& file = *opened;
    const int32_t n = core::ReadableRecords(file, Rows);
    // Records that are no samples (a damaged file) are left out, and the file is told.
    TrendScreen screen;
    if (r.rowCount() > 0 && dateRead_) screen.around = date_;
    int32_t kept = 0;
    for (int32_t i = 0; i < n; ++i) {
        core::TrendRecord record = core::GetTrendRecord(i + 1, file);
        if (!screen.accept(record)) continue;
        Row& row = rows_[kept];
        row.rowNo = kept++;
        row.date = record.time;
        for (int g = 0; g < 5; ++g)
            row.values[g] = record.values[g];
    }
    dataCount_ = static_cast<int16_t>(kept);
    if (screen.damaged) core::NoteDamagedDownload(name_, path);
}

}  // namespace records
