#include "records/ClsHistory.h"

#include <QFileInfo>

#include "core/ClsInstrument.h"
#include "core/ModMain.h"
#include "core/Schema.h"
#include "core/SerialLog.h"
#include "core/StoredDamage.h"
#include "platform/Database.h"
#include "records/TrendLines.h"
#include "runtime/Convert.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace records {

namespace {

void check(int gasNo, int index) {
    if (gasNo < 0 || gasNo >= 5 || index < 0 || index >= clsHistory::Rows)
        throw rt::RuntimeError(rt::ErrSubscript);
}

}  // namespace

clsHistory::clsHistory() {
    ClearDatas();
}

void clsHistory::ClearDatas() {
    instrument_ = nullptr;
    error_ = false;
    userID_.clear();
    serialNo_.clear();
    folderID_.clear();
    for (Gas& g : gas_) {
        g.name.clear();
        g.fullScale = g.desit = core::CodeNoValue;
        g.point = 0;
        g.enabled = false;
        g.unit.clear();
    }
    for (Row& row : rows_)
        for (Cell& c : row.cells) {
            c.before = c.after = core::CodeNoValue;
            c.gasName.clear();
        }
    rows_[0].date = rt::OleDate();
    for (Row& row : rows_)
        row.dateRead = true;
    dateRead_ = true;
    dCount_ = 0;
    dataCount_ = 0;
}

namespace {
constexpr unsigned HistoryHeader = 0x36;  // date, user ID, serial number, folder ID
}  // namespace

rt::Variant clsHistory::GasBaseInfo(int types) const {
    return headerField(types, HistoryHeader, true, rt::Variant());
}

void clsHistory::setGasBaseInfo(int types, const rt::Variant& value) {
    setHeaderField(types, value, HistoryHeader);
}

rt::Variant clsHistory::GasListInfo(int gasNo, int types) const {
    check(gasNo, 0);
    const Gas& g = gas_[gasNo];
    switch (types) {
        case 0:
            return g.name;
        case 1:
            return g.fullScale;
        case 2:
            return g.desit;
        case 3:
            return g.point;
        case 13:
            return g.enabled;
        case 14:
            return g.unit;
        default:
            return rt::Variant::null();
    }
}

void clsHistory::setGasListInfo(int gasNo, int types, const rt::Variant& value) {
    check(gasNo, 0);
    Gas& g = gas_[gasNo];
    switch (types) {
        case 0:
            g.name = value.toText();
            break;
        case 14:
            g.unit = value.toText();
            break;
        case 1:
            if (value.isNumeric()) g.fullScale = value.toSingle();
            break;
        case 2:
            if (value.isNumeric()) g.desit = value.toSingle();
            break;
        case 3:
            if (value.isNumeric()) g.point = value.toInteger();
            break;
        case 13:
            g.enabled = value.toBool();
            break;
        default:
            break;
    }
}

clsHistory::Cell& clsHistory::cell(int gasNo, int index) {
    check(gasNo, index);
    return rows_[index].cells[gasNo];
}

const clsHistory::Cell& clsHistory::cell(int gasNo, int index) const {
    check(gasNo, index);
    return rows_[index].cells[gasNo];
}

rt::OleDate clsHistory::Dates(int index) const {
    check(0, index);
    return rows_[index].date;
}

void clsHistory::setDates(int index, rt::OleDate date) {
    check(0, index);
    rows_[index].date = date;
    rows_[index].dateRead = true;
}

bool clsHistory::RowDateRead(int index) const {
    check(0, index);
    return rows_[index].dateRead;
}

float clsHistory::Before(int g, int i) const {
    return cell(g, i).before;
}
void clsHistory::setBefore(int g, int i, float v) {
    cell(g, i).before = v;
}
float clsHistory::After(int g, int i) const {
    return cell(g, i).after;
}
void clsHistory::setAfter(int g, int i, float v) {
    cell(g, i).after = v;
}
QString clsHistory::GasName(int g, int i) const {
    return cell(g, i).gasName;
}
void clsHistory::setGasName(int g, int i, const QString& name) {
    cell(g, i).gasName = name;
}
int16_t clsHistory::Points(int g, int i) const {
    return cell(g, i).points;
}
void clsHistory::setPoints(int g, int i, int16_t points) {
    cell(g, i).points = points;
}

void clsHistory::AddHistory(int16_t gasNo, rt::OleDate dates, float before, float after,
                            const QString& no, int16_t po) {
    if (dCount_ >= MaxAddedRows) return;
    int row = -1;
    for (int i = 0; i < dCount_; ++i)
        if (rows_[i].date == dates) {
            row = i;
            break;
        }
    if (row < 0) {
        row = dCount_++;
        rows_[row].date = dates;
    }
    Cell& c = cell(gasNo, row);
    c.before = before;
    c.after = after;
    c.gasName = no;
    c.points = po;
}

void clsHistory::SetSerialLog(const QString& setValue) const {
    core::AppendRawLogLine(core::SerialLogPath(), setValue);
}

int32_t clsHistory::FindHistoryHead() const {
    const platform::Database db = platform::Database::open(core::DatabasePath());
    const QString user = core::EmptyToAsterisk(instrument_->UserID());
    const QString serial = core::EmptyToAsterisk(instrument_->SerialNo());
    const platform::ResultSet r = db.query(
        QStringLiteral("Select SeqNo, Names From Log_Head Where UserID=? And SerialNo=? And "
                       "Types=? Order By SeqNo;"),
        {user, serial, static_cast<int32_t>(core::LogKind::CalibrationHistory)});
    return HeadToAddTo(r, serial, user);
}

void clsHistory::HistoryUpdate() {
    const core::clsInstrument* inst = instrument_;
    if (!inst)
        throw rt::RuntimeError(rt::ErrInvalidCall, QStringLiteral("The record has no instrument"));
    const platform::Database db = platform::Database::open(core::DatabasePath());
    const QString user = core::EmptyToAsterisk(inst->UserID());
    const QString serial = core::EmptyToAsterisk(inst->SerialNo());
    const rt::OleDate now = rt::OleDate::now();
    platform::Transaction transaction(db);

    int32_t head = FindHistoryHead();
    if (head < 0) {
        head = db.MaxSeq(QStringLiteral("Log_Head"));
        QStringList columns = {"SeqNo", "Names",  "Dates",    "UserID",   "SerialNo",
                               "Types", "RomNum", "Interval", "FolderID", "Dcount"};
        std::vector<platform::DbParam> values = {
            head,
            core::LogKindHeaderName(core::LogKind::CalibrationHistory),
            now,
            user,
            serial,
            static_cast<int32_t>(core::LogKind::CalibrationHistory),
            inst->RomNumber(),
            inst->Intervals(),
            QStringLiteral("-----"),
            dataCount_};
        for (int g = 0; g < 5; ++g) {
            columns << GasColumns(g + 1, {"Name", "Full", "Desit", "Enable", "Point", "Warn",
                                          "Alarm", "Unit", "Stel", "Twa", "Mode"});
            values.insert(values.end(),
                          {OrBlank(inst->GasName(g)), inst->GasFullScale(g), inst->GasDesit(g),
                           inst->GasEnabled(g), inst->GasPoint(g), inst->Warning(g), inst->Alarm(g),
                           inst->GasUnit(g), inst->Stel(g), inst->Twa(g), inst->ModeChange(g)});
        }
        db.exec(InsertStatement(QStringLiteral("Log_Head"), columns), values);
    }

    if (dCount_ > 0) {
        QStringList columns = {"SeqNo",      "RelNo", "UserID",  "SerialNo",
                               "WriteDates", "Dates", "CalLimit"};
        for (int g = 0; g < 4; ++g)
            columns << GasColumns(g + 1, {"Name", "Desit", "Point", "Unit", "Enable", "AutoCal",
                                          "Before", "After", "GasName"});
        const QString insert = InsertStatement(QStringLiteral("cHistory"), columns);
        platform::NewKeys keys(db, QStringLiteral("cHistory"));
        for (int i = 0; i < dCount_; ++i) {
            const Row& row = rows_[i];
            if (db.query(QStringLiteral("Select SeqNo From cHistory Where RelNo=? And Dates=?;"),
                         {head, row.date})
                    .rowCount() > 0)
                continue;
            std::vector<platform::DbParam> values = {
                keys.next(), head, user, serial, now, row.date, inst->CalLimit()};
            for (int g = 0; g < 4; ++g) {
                const Cell& c = row.cells[g];
                values.insert(values.end(), {inst->GasName(g), inst->GasDesit(g), c.points,
                                             inst->GasUnit(g), inst->GasEnabled(g),
                                             inst->AutoCalib(g), c.before, c.after, c.gasName});
            }
            db.exec(insert, values);
        }
    }
    transaction.commit();
}

void clsHistory::ReLoad() {
    if (!QFileInfo::exists(core::DatabasePath())) return;
    const platform::Database db = platform::Database::open(core::DatabasePath());
    // What cannot be read is left as when nothing is stored, and the download is told
    // damaged; the rest loads.
    const platform::ResultSet head =
        db.query(QStringLiteral("Select * From Log_Head Where SeqNo=?;"), {seqNo_}).lenient();
    const QString name = head.text(0, QStringLiteral("Names"));
    if (head.rowCount() > 0) {
        userID_ =
            core::EmptyToAsterisk(head.text(0, QStringLiteral("UserID"), QStringLiteral("*")));
        serialNo_ =
            core::EmptyToAsterisk(head.text(0, QStringLiteral("SerialNo"), QStringLiteral("*")));
        folderID_ = head.text(0, QStringLiteral("FolderID"), QStringLiteral("00/00"));
        // A download time that is Null or cannot be read is none, never another time.
        date_ = head.requiredDate(0, QStringLiteral("Dates"));
        dateRead_ = !head.unreadable(0, QStringLiteral("Dates"));
        for (int g = 0; g < 4; ++g) {
            const auto column = [g](const char* suffix) {
                return QStringLiteral("Gas%1").arg(g + 1) + QLatin1String(suffix);
            };
            Gas& gas = gas_[g];
            gas.name = head.text(0, column("Name"));
            gas.fullScale = head.single(0, column("Full"), core::CodeNoValue);
            gas.desit = head.single(0, column("Desit"), core::CodeNoValue);
            gas.point = head.integer(0, column("Point"), -101);
            gas.enabled = head.boolean(0, column("Enable"), true);
            gas.unit = head.text(0, column("Unit"));
        }
    }
    if (head.anyUnreadable()) core::NoteDamagedDownload(name);
    const platform::ResultSet rows =
        db.query(QStringLiteral("Select * From cHistory Where RelNo = ? Order By Dates DESC;"),
                 {seqNo_})
            .lenient();
    if (rows.rowCount() == 0) return;
    // Rows come newest first; the record holds the newest 301.
    const int count = std::min(rows.rowCount(), Rows);
    for (int i = 0; i < count; ++i) {
        Row& row = rows_[i];
        // A calibration time that is Null or cannot be read shows empty, never the time now.
        row.date = rows.requiredDate(i, QStringLiteral("Dates"));
        row.dateRead = !rows.unreadable(i, QStringLiteral("Dates"));
        for (int g = 0; g < 4; ++g) {
            const auto column = [g](const char* suffix) {
                return QStringLiteral("Gas%1").arg(g + 1) + QLatin1String(suffix);
            };
            Cell& c = row.cells[g];
            c.before = rows.single(i, column("Before"), core::CodeNoValue);
            c.after = rows.single(i, column("After"), core::CodeNoValue);
            c.gasName = rows.text(i, column("GasName"));
            c.points = rows.integer(i, column("Point"), 0);
        }
    }
    dataCount_ = count;
    if (rows.anyUnreadable()) core::NoteDamagedDownload(name);
}

}  // namespace records
