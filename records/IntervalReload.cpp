#include <QFileInfo>
#include <optional>

#include "core/GasCommon.h"
#include "core/ModMain.h"
#include "core/SerialLog.h"
#include "core/StoredDamage.h"
#include "core/TrendFile.h"
#include "platform/Database.h"
#include "records/ClsInterval.h"
#include "records/TrendLines.h"
#include "runtime/Convert.h"

namespace records {

void clsInterval::ReLoad() {
    trendPathDamaged_ = false;
    if (!QFileInfo::exists(core::DatabasePath())) return;
    const platform::Database db = platform::Database::open(core::DatabasePath());
    // What cannot be read is left as when nothing is stored, and the download is told
    // damaged; the rest loads.
    const platform::ResultSet head =
        db.query(QStringLiteral("Select * From Log_Head Where SeqNo=?;"), {seqNo_}).lenient();
    if (head.rowCount() > 0) reloadHeader(head);
    if (head.anyUnreadable()) core::NoteDamagedDownload(name_);
    // The stored values, not the defaults the header takes for a Null: the path deletion takes.
    const QString path = TrendFileOf(head, 0);
    trendPathDamaged_ = head.rowCount() > 0 && path.isEmpty();
    if (trendPathDamaged_) core::NoteDamagedDownload(name_);
    if (TrendFileLacking(db, head, 0)) core::NoteLackingTrendFile(name_, path);
    reloadSamples(path);
    reloadEvents();
}

void clsInterval::reloadHeader(const platform::ResultSet& r) {
    name_ = r.text(0, QStringLiteral("Names"), QStringLiteral("Name None"));
    // A start that is Null or cannot be read is none, never the time now.
    date_ = r.requiredDate(0, QStringLiteral("Dates"));
    dateRead_ = !r.unreadable(0, QStringLiteral("Dates"));
    userID_ = core::EmptyToAsterisk(r.text(0, QStringLiteral("UserID"), QStringLiteral(" ")));
    stationID_ = core::EmptyToAsterisk(r.text(0, QStringLiteral("StationID"), QStringLiteral(" ")));
    serialNo_ = core::EmptyToAsterisk(r.text(0, QStringLiteral("SerialNo"), QStringLiteral(" ")));
    interval_ = r.longValue(0, QStringLiteral("Interval"), 0);
    sampling_ = r.integer(0, QStringLiteral("Sampling"), 0);
    folderID_ = r.text(0, QStringLiteral("FolderID"), QStringLiteral("00/00"));
    for (int g = 0; g < 5; ++g)
        LoadTrendGas(r, g, false, gas_[g]);
}

void clsInterval::reloadSamples(const QString& path) {
    dataCount_ = valueCount_ = 0;
    // A missing trend file loads the recording without value rows.
    if (path.isEmpty() || !QFileInfo::exists(path)) return;
    const std::unique_ptr<core::TrendFile> opened = OpenTrendToRead(name_, path);
    if (!opened) return;
    core::TrendFile& file = *opened;
    // Whole records, a half record rounding to the even count; a last record cut short reads
    // as zeros where it ends. A longer file than the rows can take is read only that far: the
    // last record read ends the recording, in outline mode too.
    const int32_t n = core::ReadableRecords(file, MaxValueRow + 1);

    // Records that are no samples (a damaged file) are left out, and the file is told.
    TrendScreen screen;
    if (dateRead_ && date_.value() != 0) screen.around = date_;
    int32_t rows = 0;
    core::TrendRecord previous;
    bool previousChanged = false;
    const auto append = [&](const core::TrendRecord& record) {
        if (rows > MaxValueRow) return;
        ValueRow& row = valueRow(rows);
        row.rowNo = rows;
        row.date = record.time;
        const int16_t flag = record.status[1] != 0 ? -1 : 0;
        for (int g = 0; g < 5; ++g) {
            row.values[g] = record.values[g];
            row.nowCalib[g] = flag;
        }
        ++rows;
    };
    // The first and the last sound sample always count as changed: the outline begins and
    // ends with them, whatever records of a damaged file follow the last one.
    const auto place = [&](const core::TrendRecord& record, bool last) {
        bool changed;
        if (rows == 0 || last) {
            changed = true;
            previousChanged = true;
        } else {
            changed = false;
            for (int g = 0; g < 4; ++g)
                changed = changed || record.values[g] != previous.values[g];
            if (core::DebugMode) changed = changed || record.values[4] != previous.values[4];
        }
        if (core::OutlineMode && !previousChanged && changed) append(previous);
        if (changed || !core::OutlineMode) append(record);
        previous = record;
        previousChanged = changed;
    };
    // Each sound record is placed once the next one is known: only then is it known to be the
    // last.
    std::optional<core::TrendRecord> held;
    for (int32_t k = 0; k < n; ++k) {
        core::TrendRecord record = core::GetTrendRecord(k + 1, file);
        if (!screen.accept(record)) continue;
        if (held) place(*held, false);
        held = record;
    }
    if (held) place(*held, true);
    dataCount_ = valueCount_ = rows;
    if (screen.damaged) core::NoteDamagedDownload(name_, path);
}

void clsInterval::reloadEvents() {
    const platform::Database db = platform::Database::open(core::DatabasePath());
    // The events of a start that cannot be read are found by their download alone.
    const platform::ResultSet r =
        (dateRead_ ? db.query(QStringLiteral("Select * From Interval_Event Where RelNo=? AND "
                                             "BaseDate=? Order by SeqNo;"),
                              {seqNo_, date_})
                   : db.query(QStringLiteral("Select * From Interval_Event Where RelNo=? Order by "
                                             "SeqNo;"),
                              {seqNo_}))
            .lenient();
    if (r.rowCount() == 0) return;
    // An event whose time cannot be read, or cannot be one of the trend's, is left out: it has
    // no place among the trend's times. What else cannot be read is none.
    TrendScreen screen;
    if (dateRead_ && date_.value() != 0) screen.around = date_;
    int32_t count = 0;
    for (int32_t i = 0; i < r.rowCount() && count <= MaxEventRow; ++i) {
        const rt::OleDate date = r.requiredDate(i, QStringLiteral("Datetimes"));
        if (r.unreadable(i, QStringLiteral("Datetimes")) || !screen.acceptTime(date)) continue;
        EventRow& row = eventRow(count++);
        row.seqNo = r.longValue(i, QStringLiteral("SeqNo"));
        row.date = date;
        for (int g = 0; g < 5; ++g)
            row.codes[g] = r.single(i, QStringLiteral("Gas%1Event").arg(g + 1), core::CodeNoValue);
    }
    eventCount_ = count;
    if (r.anyUnreadable() || screen.damaged) core::NoteDamagedDownload(name_);
}

}  // namespace records
