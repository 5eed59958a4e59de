#include "records/TrendLines.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cmath>

#include "core/GasCommon.h"
#include "core/ModMain.h"
#include "core/SerialLog.h"
#include "core/StoredDamage.h"
#include "core/TrendFile.h"
#include "platform/Database.h"
#include "runtime/Convert.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace records {

QString LineText(const QString& line, int p, int n) {
    return rt::Mid(line, p, n);
}

std::optional<int16_t> IntegerValue(double value) {
    const double r = rt::RoundHalfEven(value);
    if (!(r >= -32768.0 && r <= 32767.0)) return std::nullopt;
    return static_cast<int16_t>(r);
}

std::optional<int32_t> LongField(const QString& text) {
    const auto v = rt::ParseNumber(text);
    if (!v) return std::nullopt;
    const double r = rt::RoundHalfEven(*v);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) return std::nullopt;
    return static_cast<int32_t>(r);
}

int32_t NextSample(int32_t count, int32_t capacity) {
    if (count >= capacity)
        throw rt::RuntimeError(
            rt::ErrSubscript,
            QStringLiteral("More samples than the %1 the record holds").arg(capacity));
    return count + 1;
}

namespace {

bool twoDigits(const QString& s) {
    return s.size() == 2 && s.at(0) >= QLatin1Char('0') && s.at(0) <= QLatin1Char('9') &&
           s.at(1) >= QLatin1Char('0') && s.at(1) <= QLatin1Char('9');
}

GasListBlock block(const QString& nameField, const QString& name, const QString& full,
                   const QString& desit) {
    GasListBlock b;
    b.present = !nameField.isEmpty() && nameField != QString(nameField.size(), QLatin1Char('*')) &&
                nameField != QString(nameField.size(), QLatin1Char(' '));
    b.numeric = rt::IsNumeric(full) && rt::IsNumeric(desit);
    if (b.present && b.numeric) {
        b.name = name;
        b.fullScale = core::ParseValueOrStatus(full);
        b.desit = core::ParseValueOrStatus(desit);
        b.point = core::DecimalsOf(desit);
    }
    return b;
}

}  // namespace

std::optional<rt::OleDate> LineDate(const QString& line, int p) {
    const QString yy = LineText(line, p, 2), mm = LineText(line, p + 2, 2),
                  dd = LineText(line, p + 4, 2);
    if (!twoDigits(yy) || !twoDigits(mm) || !twoDigits(dd)) return std::nullopt;
    return rt::OleDate::fromCivil(2000 + yy.toInt(), mm.toInt(), dd.toInt());
}

std::optional<int> LineTime(const QString& line, int p) {
    const QString hh = LineText(line, p, 2), nn = LineText(line, p + 2, 2),
                  ss = LineText(line, p + 4, 2);
    if (!twoDigits(hh) || !twoDigits(nn) || !twoDigits(ss)) return std::nullopt;
    const int h = hh.toInt(), n = nn.toInt(), s = ss.toInt();
    if (h > 23 || n > 59 || s > 59) return std::nullopt;
    return h * 3600 + n * 60 + s;
}

float SampleWordValue(const QString& word, const QString& gasName, int16_t decimals, float offset,
                      bool subtractOffset) {
    if (word == QLatin1String("FEFE")) return -118.0f;
    if (word == QLatin1String("FFFF")) return core::CodeNoValue;
    if (gasName.isEmpty()) return core::CodeNoValue;
    bool ok = false;
    const uint raw = word.toUInt(&ok, 16);
    if (!ok) throw rt::RuntimeError(rt::ErrTypeMismatch, QStringLiteral("Bad sample word ") + word);
    const float value = core::ScaleRawValue(static_cast<float>(raw), decimals);
    if (core::IsReadingCode(value)) return value;
    return subtractOffset ? value - offset : value;
}

void ClearTrendGas(TrendGas& g, bool levels) {
    g.name.clear();
    g.fullScale = g.desit = g.maximum = g.minimum = g.average = core::CodeNoValue;
    if (levels) g.warning = g.alarm = core::CodeNoValue;
    g.point = -101;
}

rt::Variant TrendGasField(const TrendGas& g, int types) {
    switch (types) {
        case 0:
            return g.name;
        case 1:
            return g.fullScale;
        case 2:
            return g.desit;
        case 3:
            return g.point;
        case 8:
            return g.maximum;
        case 9:
            return g.minimum;
        case 10:
            return g.average;
        case 11:
            return g.maxDate;
        case 12:
            return g.minDate;
        case 13:
            return g.enabled;
        case 14:
            return g.unit;
        default:
            return rt::Variant::null();
    }
}

void LoadTrendGas(const platform::ResultSet& r, int g, bool levels, TrendGas& gas) {
    const auto column = [g](const char* suffix) {
        return QStringLiteral("Gas%1").arg(g + 1) + QLatin1String(suffix);
    };
    const float none = core::CodeNoValue;
    gas.name = r.text(0, column("Name"));
    gas.fullScale = r.single(0, column("Full"), none);
    gas.desit = r.single(0, column("Desit"), none);
    gas.point = r.integer(0, column("Point"), -101);
    if (levels) {
        gas.warning = r.single(0, column("Warn"), none);
        gas.alarm = r.single(0, column("Alarm"), none);
    }
    gas.average = r.single(0, column("Avr"), none);
    gas.maximum = r.single(0, column("Max"), none);
    gas.minimum = r.single(0, column("Min"), none);
    gas.maxDate = r.date(0, column("MaxDate"), rt::OleDate(-101));
    gas.minDate = r.date(0, column("MinDate"), rt::OleDate(-101));
    gas.enabled = r.boolean(0, column("Enable"), true);
    gas.unit = r.text(0, column("Unit"));
}

HeaderLine ParseHeaderLine(const QString& line) {
    HeaderLine h;
    h.date = LineDate(line, 5);
    h.time = LineTime(line, 11);
    h.interval = LongField(LineText(line, 17, 4));
    return h;
}

void HeaderLine::applyTo(rt::OleDate& recordDate, int32_t& recordInterval) const {
    if (date) recordDate = *date;
    if (time) recordDate = recordDate.addSeconds(*time);
    if (interval) recordInterval = *interval;
}

GasListBlock GasListGas4(const QString& line) {
    return block(LineText(line, 5, 3),
                 rt::Trim(LineText(line, 5, 3) + LineText(line, 18, 3) + LineText(line, 31, 3) +
                          LineText(line, 44, 3)),
                 LineText(line, 47, 5), LineText(line, 52, 5));
}

GasListBlock GasListGas5(const QString& line) {
    return block(LineText(line, 57, 4), LineText(line, 57, 4), LineText(line, 61, 5),
                 LineText(line, 66, 5));
}

bool ApplyGasListLine(const QString& line, bool testFlag, TrendGas& gas4, TrendGas& gas5,
                      bool wholeDesit) {
    bool result = true;
    const auto take = [&](TrendGas& gas, const GasListBlock& b) {
        // A Desit kept as a whole number must fit an Integer.
        if (b.present && (!b.numeric || (wholeDesit && !IntegerValue(b.desit)))) {
            result = false;
            return;
        }
        if (testFlag) return;
        if (!b.present) {
            gas.enabled = false;
            return;
        }
        gas.enabled = true;
        gas.name = b.name;
        gas.fullScale = b.fullScale;
        gas.desit = wholeDesit ? *IntegerValue(b.desit) : b.desit;
        gas.point = b.point;
    };
    take(gas4, GasListGas4(line));
    take(gas5, GasListGas5(line));
    return result;
}

namespace {

// The header of that kind stored for the recording; no row when there is none or no database.
platform::ResultSet storedTrendHeader(const platform::Database& db, rt::OleDate date,
                                      const QString& userID, const QString& serialNo,
                                      core::LogKind kind) {
    return db
        .query(QStringLiteral("Select SeqNo, Types, FolderID, Names, Dcount From Log_Head Where "
                              "Dates=? And UserID=? And SerialNo=? And Types=?;"),
               {date, core::EmptyToAsterisk(userID), core::EmptyToAsterisk(serialNo),
                static_cast<int32_t>(kind)})
        .lenient();
}

}  // namespace

bool TrendHeaderStored(rt::OleDate date, const QString& userID, const QString& serialNo,
                       core::LogKind kind) {
    if (!QFileInfo::exists(core::DatabasePath())) return false;
    const platform::Database db = platform::Database::open(core::DatabasePath());
    return storedTrendHeader(db, date, userID, serialNo, kind).rowCount() > 0;
}

bool StoredTrendFileLacking(rt::OleDate date, const QString& userID, const QString& serialNo,
                            core::LogKind kind, const QString& path) {
    if (path.isEmpty() || !QFileInfo::exists(core::DatabasePath())) return false;
    const platform::Database db = platform::Database::open(core::DatabasePath());
    const platform::ResultSet head = storedTrendHeader(db, date, userID, serialNo, kind);
    for (int row = 0; row < head.rowCount(); ++row)
        if (TrendFileOf(head, row) == path) return TrendFileLacking(db, head, row);
    return false;
}

namespace {

// A folder level of a trend path: a name of its own that neither climbs nor roots nor
// separates.
bool isFolderName(const QString& piece) {
    return !piece.isEmpty() && core::SanitizeFileName(piece) == piece;
}

}  // namespace

QString TrendFileOf(const QString& folderID, const QString& name) {
    return TrendFileIn(core::DataFolder, folderID, name);
}

QString TrendFileIn(const QString& dataFolder, const QString& folderID, const QString& name) {
    const QString year = rt::Right(folderID, 2);
    const QString month = rt::Left(folderID, 2);
    const QString file = core::SanitizeFileName(name);
    if (!isFolderName(year) || !isFolderName(month) || file.isEmpty()) return {};
    const QString path = dataFolder + QLatin1Char('/') + year + QLatin1Char('/') + month +
                         QLatin1Char('/') + file + QStringLiteral(".Dat");
    // What the pieces give lies inside the data folder, whatever they held.
    const QString inside = QDir::cleanPath(dataFolder) + QLatin1Char('/');
    if (!QDir::cleanPath(path).startsWith(inside)) return {};
    return path;
}

QString TrendFileOf(const platform::ResultSet& head, int row) {
    return TrendFileIn(core::DataFolder, head, row);
}

QString TrendFileIn(const QString& dataFolder, const platform::ResultSet& head, int row) {
    const QString folderID = QStringLiteral("FolderID"), names = QStringLiteral("Names");
    if (row < 0 || row >= head.rowCount() || head.isNull(row, folderID) || head.isNull(row, names))
        return {};
    return TrendFileIn(dataFolder, head.text(row, folderID), head.text(row, names));
}

bool TrendFileLacking(const platform::Database& db, const platform::ResultSet& head, int row) {
    const QString path = TrendFileOf(head, row);
    if (path.isEmpty()) return false;
    const qint64 counted = head.longValue(row, QStringLiteral("Dcount"), 0);
    qint64 records = 0;  // the records the file holds at least
    switch (head.longValue(row, QStringLiteral("Types"), 0)) {
        case static_cast<int32_t>(core::LogKind::IntervalTrend): {
            const std::optional<int64_t> seqNo = head.wholeNumber(row, QStringLiteral("SeqNo"));
            if (!seqNo) return false;
            const qint64 events =
                db.query(QStringLiteral("Select Count(*) As n From Interval_Event Where RelNo=?"),
                         {*seqNo})
                    .longValue(0, QStringLiteral("n"), 0);
            records = counted - events;
            break;
        }
        case static_cast<int32_t>(core::LogKind::AlarmTrend):
            records = counted > 0 ? 1 : 0;
            break;
        default:
            return false;
    }
    if (records <= 0) return false;
    const QFileInfo file(path);
    if (!file.exists() && !file.isSymLink()) return true;
    if (!file.isFile() || file.isSymLink()) return false;
    return core::TrendRecordsIn(file.size()) < records;
}

std::unique_ptr<core::TrendFile> OpenTrendToRead(const QString& name, const QString& path) {
    std::unique_ptr<core::TrendFile> file = core::OpenStoredTrendFile(path, core::DataFolder);
    if (!file) core::NoteDamagedDownload(name, path);
    return file;
}

QStringList GasColumns(int gas, const QStringList& suffixes) {
    QStringList names;
    for (const QString& s : suffixes)
        names << QStringLiteral("Gas%1").arg(gas) + s;
    return names;
}

namespace {

// How far a sample may lie from its trend's time: 2^30 seconds, so that the seconds between
// any two samples fit a Long.
constexpr double FarthestDays = 1073741824.0 / 86400.0;
// Beyond any reading: a sample is a 16-bit count scaled down, less at most a five-digit full
// scale.
constexpr float LargestReading = 1e7f;

}  // namespace

bool TrendScreen::acceptTime(rt::OleDate time) {
    const double day = time.value();
    const bool date = std::isfinite(day) && rt::OleDate::inDateRange(day);
    if (date && !around) around = time;
    if (date && std::abs(day - around->value()) <= FarthestDays) return true;
    damaged = true;
    return false;
}

bool TrendScreen::accept(core::TrendRecord& record) {
    if (!acceptTime(record.time)) return false;
    for (float& value : record.values)
        if (!std::isfinite(value) || std::abs(value) > LargestReading) {
            value = core::CodeNoValue;
            damaged = true;
        }
    return true;
}

}  // namespace records
