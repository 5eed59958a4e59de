#include "trendview/BrowseTable.h"

#include <memory>

#include "core/GasCommon.h"
#include "core/LogTexts.h"
#include "core/ModMain.h"
#include "core/StoredDamage.h"
#include "platform/Database.h"
#include "records/GasInfo.h"
#include "runtime/Color.h"
#include "runtime/Convert.h"
#include "runtime/Format.h"
#include "runtime/Strings.h"
#include "trendview/GridHelpers.h"
#include "trendview/TrendRows.h"

namespace trendview {

using records::decimalsOf;
using records::gas3Text;
using records::gasInfo;
using records::screenedGas4;

namespace {

using platform::FlexGrid;
using rt::Variant;

// Cell alignments of the grid.
constexpr int AlignLeft = 1;    // left, centred vertically
constexpr int AlignCentre = 4;  // centred
constexpr int32_t NoColour = 0;

using enum core::LogText;

QString res(int id) {
    return core::LoadResText(id);
}

QString generalDate(rt::OleDate date) {
    return rt::FormatDate(date, QStringLiteral("General Date"));
}

void alignRow(FlexGrid& grid, int row, int alignment) {
    grid.setCell(platform::FlexProperty::Alignment, row, 0, row, grid.Cols() - 1, alignment);
}

// A grid emptied to its title row: no text, colour or alignment of an earlier table stays.
void emptyGrid(FlexGrid& grid, int cols) {
    grid.Clear();
    grid.setRows(1);
    grid.setCols(cols);
    grid.setCell(platform::FlexProperty::BackColor, 0, 0, 0, cols - 1, NoColour);
}

// ---- summaries ------------------------------------------------------------------------------

void startSummary(FlexGrid& summary, int rows) {
    emptyGrid(summary, 2);
    summary.setRows(rows);
    summary.setMergeCells(2);
    summary.setColAlignment(-1, AlignLeft);
}

void endSummary(FlexGrid& summary) {
    alignRow(summary, 0, AlignCentre);
    for (int row = 0; row < summary.Rows(); ++row)
        summary.setMergeRow(row, true);
}

void intervalSummary(const records::clsInterval& r, bool trendWindow, FlexGrid& summary) {
    startSummary(summary, trendWindow ? 13 : 11);
    const int16_t decimals = decimalsOf(r, 3);
    const int16_t scale = decimals < 0 ? int16_t(0) : decimals;
    const auto statistic = [&](float raw) { return gas3Text(r, core::ScaleRawValue(raw, scale)); };
    const bool noStatistics = gasInfo(r, 3, 8) == -101;
    const QString none = QStringLiteral("-----");
    std::vector<std::vector<Variant>> rows = {
        {res(TextProperty), res(TextValue)},
        {res(TextName), r.GasBaseInfo(0)},
        {res(TextStart), records::headerDateText(r, generalDate)},
        {res(TextSerial), r.GasBaseInfo(4)},
        {res(TextUser), r.GasBaseInfo(2)},
        {res(TextCount), r.DataCount() + r.EventCount()},
        {res(TextInterval), r.GasBaseInfo(6)},
        {res(TextGasFullScale), core::GasCaption(&r, 3, true)},
        {res(TextAverage), noStatistics ? none : statistic(gasInfo(r, 3, 10))},
        {res(TextMaximum), noStatistics ? none : statistic(gasInfo(r, 3, 8))},
        {res(TextMaximumDate), noStatistics ? none
                                            : rt::FormatDate(r.GasListInfo(3, 11).toDate(),
                                                             QStringLiteral("mm/dd hh:nn:ss"))},
    };
    // The device keeps no minimum.
    if (trendWindow) {
        rows.push_back({res(TextMinimum), none});
        rows.push_back({res(TextMinimumDate), none});
    }
    for (size_t i = 0; i < rows.size(); ++i)
        FillGridRow(summary, static_cast<int>(i), 0, trendWindow && i <= 6, rows[i]);
    const int last = summary.Rows() - 1;
    summary.setCell(platform::FlexProperty::BackColor, 7, 1, 7, 1, rt::RGB(224, 224, 224));
    summary.setCell(platform::FlexProperty::Alignment, 7, 1, last, 1, AlignCentre);
    if (trendWindow) {
        // Words stand left, numbers and "-----" centred; the dates left.
        for (int row = 8; row <= last; ++row) {
            const QString text = summary.TextMatrix(row, 1).trimmed();
            if (!rt::IsNumeric(text) && text != none)
                summary.setCell(platform::FlexProperty::Alignment, row, 1, row, 1, AlignLeft);
        }
        alignRow(summary, 12, AlignLeft);
    }
    alignRow(summary, 10, AlignLeft);
    endSummary(summary);
}

void alarmSummary(const records::clsAlarm& r, bool trendWindow, FlexGrid& summary) {
    startSummary(summary, 7);
    // The window names a trend kept as an interval trend by its start.
    const bool started = trendWindow && r.KeptAsInterval();
    const std::vector<std::vector<Variant>> rows = {
        {res(TextProperty), res(TextValue)},
        {res(TextName), r.GasBaseInfo(0)},
        {res(started ? TextStart : TextAlarmDate), records::headerDateText(r, generalDate)},
        {res(TextSerial), r.GasBaseInfo(4)},
        {res(TextUser), r.GasBaseInfo(2)},
        {res(TextCount), r.DataCount()},
        {res(TextInterval), r.GasBaseInfo(6)},
    };
    for (size_t i = 0; i < rows.size(); ++i)
        FillGridRow(summary, static_cast<int>(i), 0, trendWindow, rows[i]);
    if (started) {
        // Left throughout, its title row included (which an earlier summary may have centred).
        alignRow(summary, 0, AlignLeft);
        for (int row = 0; row < summary.Rows(); ++row)
            summary.setMergeRow(row, true);
        return;
    }
    endSummary(summary);
}

// The summary of the logs that keep only their download: serial number, user and date.
void downloadSummary(const Variant& serial, const Variant& user, const QString& date,
                     FlexGrid& summary) {
    startSummary(summary, 4);
    FillGridRow(summary, 0, 0, false, {res(TextProperty), res(TextValue)});
    FillGridRow(summary, 1, 0, false, {res(TextSerial), serial});
    FillGridRow(summary, 2, 0, false, {res(TextUser), user});
    FillGridRow(summary, 3, 0, false, {res(TextLastDownload), date});
    endSummary(summary);
}

template <class Record>
void recordSummary(const Record& r, FlexGrid& summary) {
    downloadSummary(r.GasBaseInfo(4), r.GasBaseInfo(2), records::headerDateText(r, generalDate),
                    summary);
}

// ---- data grids ------------------------------------------------------------------------------

void trendLook(FlexGrid& grid, bool debug) {
    grid.setColAlignment(-1, AlignCentre);
    grid.setColAlignment(1, AlignLeft);
    alignRow(grid, 0, AlignCentre);
    grid.setColHidden(3, !debug);
}

// The gas cell of an event row: the event's word (on its colour) with the reading of the
// sample of its second, or the reading alone when the gas had no event.
QString eventText(float code, int16_t decimals, const QString& reading, bool hasSample) {
    if (code < -101) {
        const QString word = core::ValueText(code, decimals);
        return hasSample ? word + QLatin1Char('(') + reading + QLatin1Char(')') : word;
    }
    return hasSample ? reading : core::ValueText(code, decimals);
}

int32_t eventColour(float code) {
    return code < -101 ? ReadingCodeColor(static_cast<int32_t>(code), NoColour) : NoColour;
}

// What a trend table's row shows, kept so that its texts are made only when they are read:
// a sample's readings, or an event's codes with the readings of the sample of its second.
struct TrendCells {
    rt::OleDate date;
    float value3 = 0, value4 = 0;  // the fifth gas already held to its range
    float code3 = 0, code4 = 0;
    bool event = false;
    bool hasSample = false;
};

// The texts of the readings of a trend's third and fifth gas, as the tables show them.
struct ReadingTexts {
    int16_t decimals3 = 0, decimals4 = 0;
    float fullScale3 = 0;

    template <class Record>
    explicit ReadingTexts(const Record& r)
        : decimals3(decimalsOf(r, 3)),
          decimals4(decimalsOf(r, 4)),
          fullScale3(records::gasInfo(r, 3, 1)) {}
    QString gas3(float value) const {
        return core::OverIfOutOfRange(core::ValueText(value, decimals3), fullScale3);
    }
    QString gas4(float screened) const { return core::ValueText(screened, decimals4); }
};

// Columns 0 to 3 of rows 1.. of a trend table made from `rows` as they are read.
void setTrendTexts(FlexGrid& grid, std::vector<TrendCells> rows, const ReadingTexts& texts) {
    if (rows.empty()) return;
    const int last = static_cast<int>(rows.size());
    const auto cells = std::make_shared<const std::vector<TrendCells>>(std::move(rows));
    const auto cell = [cells](int row) -> const TrendCells& {
        return (*cells)[static_cast<size_t>(row - 1)];
    };
    grid.setTextSource(0, 1, last, [](int row) { return QString::number(row); });
    grid.setTextSource(1, 1, last, [cell](int row) { return generalDate(cell(row).date); });
    grid.setTextSource(2, 1, last, [cell, texts](int row) {
        const TrendCells& c = cell(row);
        if (!c.event) return texts.gas3(c.value3);
        return eventText(c.code3, texts.decimals3, c.hasSample ? texts.gas3(c.value3) : QString(),
                         c.hasSample);
    });
    grid.setTextSource(3, 1, last, [cell, texts](int row) {
        const TrendCells& c = cell(row);
        if (!c.event) return texts.gas4(c.value4);
        return eventText(c.code4, texts.decimals4, c.hasSample ? texts.gas4(c.value4) : QString(),
                         c.hasSample);
    });
}

void intervalTable(const records::clsInterval& r, const TableOptions& options, FlexGrid& grid) {
    emptyGrid(grid, 4);
    FillGridRow(
        grid, 0, 0, false,
        {res(TextNo), res(TextDate), core::GasCaption(&r, 3, true), core::GasCaption(&r, 4, true)});
    const std::vector<TrendRow> rows = MergeTrendRows(r, options.eventOnly);
    grid.setRows(static_cast<int>(rows.size()) + 1);
    const ReadingTexts texts(r);
    const auto sample = [&](TrendCells& c, int32_t i) {
        c.value3 = r.GasValue(3, i).toSingle();
        c.value4 = screenedGas4(r, r.GasValue(4, i).toSingle());
    };
    std::vector<TrendCells> cells(rows.size());
    std::vector<std::pair<int, int>> coloured;
    int n = 0;
    for (const TrendRow& row : rows) {
        const int gridRow = n + 1;
        TrendCells& c = cells[static_cast<size_t>(n)];
        if (!row.event) {
            c.date = r.DateTimes(row.index);
            sample(c, row.index);
        } else {
            c.date = r.EventDateTimes(row.index);
            c.event = true;
            c.hasSample = row.sample >= 0;
            c.code3 = r.GasEvent(3, row.index).toSingle();
            c.code4 = r.GasEvent(4, row.index).toSingle();
            if (c.hasSample) sample(c, row.sample);
            for (const auto& [col, code] : {std::pair{2, c.code3}, std::pair{3, c.code4}}) {
                const int32_t colour = eventColour(code);
                if (colour != NoColour) {
                    grid.setCell(platform::FlexProperty::BackColor, gridRow, col, gridRow, col,
                                 colour);
                    coloured.emplace_back(gridRow, col);
                }
            }
        }
        grid.setRowDate(gridRow, c.date);
        ++n;
    }
    setTrendTexts(grid, std::move(cells), texts);
    trendLook(grid, options.debug);
    if (options.trendWindow) {
        // Words stand left, numbers and "-----" centred.
        for (int row = 1; row < grid.Rows(); ++row)
            for (int col : {0, 2, 3}) {
                const QString text = grid.TextMatrix(row, col).trimmed();
                if (!rt::IsNumeric(text) && text != QLatin1String("-----"))
                    grid.setCell(platform::FlexProperty::Alignment, row, col, row, col, AlignLeft);
            }
        return;
    }
    // The coloured event cells stand left, in a table small enough (or condensed).
    if (grid.Rows() <= AlignedRowsLimit || options.condensed)
        for (const auto& [row, col] : coloured)
            grid.setCell(platform::FlexProperty::Alignment, row, col, row, col, AlignLeft);
}

// The row of sample 360: the moment of the alarm.
constexpr int AlarmRow = 361;

void alarmTable(const records::clsAlarm& r, const TableOptions& options, FlexGrid& grid) {
    emptyGrid(grid, 4);
    grid.setRows(r.DataCount() + 1);
    FillGridRow(
        grid, 0, 0, false,
        {res(TextNo), res(TextDate), core::GasCaption(&r, 3, true), core::GasCaption(&r, 4, true)});
    std::vector<TrendCells> cells(static_cast<size_t>(std::max<int>(r.DataCount(), 0)));
    for (int i = 0; i < r.DataCount(); ++i) {
        TrendCells& c = cells[static_cast<size_t>(i)];
        c.date = r.DateTimes(i);
        c.value3 = r.Value(3, i);
        c.value4 = screenedGas4(r, r.Value(4, i));
        grid.setRowDate(i + 1, c.date);
    }
    setTrendTexts(grid, std::move(cells), ReadingTexts(r));
    // The sample of the alarm, red.
    if (grid.Rows() > AlarmRow)
        grid.setCell(platform::FlexProperty::BackColor, AlarmRow, 1, AlarmRow, 3,
                     rt::RGB(255, 0, 0));
    trendLook(grid, options.debug);
}

}  // namespace

void ScrollToAlarm(const records::clsAlarm& r, FlexGrid& grid) {
    if (grid.Rows() < 2) return;
    grid.setTopRow(1);
    if (r.KeptAsInterval()) return;
    // Beyond the last top row the grid stops at it: a trend without the alarm's row opens at
    // its last rows.
    const int bottom = grid.BottomRow();
    grid.setTopRow(std::clamp<int>(rt::CInt(AlarmRow - bottom / 2.0 + 1), 1, grid.Rows() - 1));
}

namespace {

void historyTable(const records::clsHistory& r, FlexGrid& grid) {
    emptyGrid(grid, 4);
    grid.setColHidden(3, false);
    grid.setRows(2 * r.DataCount() + 1);
    FillGridRow(grid, 0, 0, false, {res(TextNo), res(TextDate), QString()});
    for (int i = 0; i < r.DataCount(); ++i) {
        FillGridRow(grid, 2 * i + 1, 0, false,
                    {i + 1, r.RowDateRead(i) ? generalDate(r.Dates(i)) : QString(), res(TextBefore),
                     core::ValueText(r.Before(3, i), r.Points(3, i))});
        FillGridRow(grid, 2 * i + 2, 0, false,
                    {QString(), r.GasName(3, i), res(TextAfter),
                     core::ValueText(r.After(3, i), r.Points(3, i))});
        grid.setRowDate(2 * i + 1, r.Dates(i));
        grid.setCell(platform::FlexProperty::BackColor, 2 * i + 1, 1, 2 * i + 1, 3,
                     rt::RGB(240, 240, 240));
        grid.setCell(platform::FlexProperty::BackColor, 2 * i + 2, 1, 2 * i + 2, 3, NoColour);
    }
    grid.setColAlignment(0, AlignCentre);
    grid.setColAlignment(1, AlignLeft);
    grid.setColAlignment(2, AlignLeft);
    alignRow(grid, 0, AlignCentre);
    if (grid.Rows() > 1)
        grid.setCell(platform::FlexProperty::Alignment, 1, 3, grid.Rows() - 1, 3, AlignCentre);
}

// The download's relation number: its Log_Head row's SeqNo, 0 when the row is missing.
platform::ResultSet headRow(const platform::Database& db, int32_t seqNo) {
    return db.query(QStringLiteral("Select * From Log_Head Where SeqNo = ?;"), {seqNo}).lenient();
}

// The rows of a download read to be shown: a value that cannot be read shows empty, and the
// download is told damaged.
platform::ResultSet detailRows(const platform::Database& db, const QString& sql, int32_t relation) {
    return db.query(sql, {relation}).lenient();
}

void eventTable(int32_t type, int32_t seqNo, const QString& database, FlexGrid& grid) {
    grid.setRows(1);
    grid.setMergeCells(2);
    const bool power = type == TypePowerEvents;
    grid.setCols(power ? 3 : 4);
    if (!power) grid.setColHidden(3, false);
    const QString gas =
        type == TypeAlarmEvents ? QStringLiteral("Gas") : QStringLiteral("Gas/Body");
    if (power)
        FillGridRow(grid, 0, 0, false, {res(TextNo), res(TextDate), QStringLiteral("Power")});
    else
        FillGridRow(grid, 0, 0, false, {res(TextNo), res(TextDate), gas, QStringLiteral("Event")});

    const platform::Database db = platform::Database::open(database);
    const platform::ResultSet head = headRow(db, seqNo);
    const int32_t relation = head.rowCount() > 0 ? head.longValue(0, QStringLiteral("SeqNo")) : 0;
    const QString table = type == TypeAlarmEvents     ? QStringLiteral("Alarm_Event")
                          : type == TypeTroubleEvents ? QStringLiteral("Trouble_Event")
                                                      : QStringLiteral("Power_Event");
    const platform::ResultSet rows = detailRows(
        db, QStringLiteral("Select * From %1 Where RelNo = ? Order By Dates DESC;").arg(table),
        relation);
    if (rows.rowCount() > 0) {
        grid.setRows(rows.rowCount() + 1);
        for (int k = 0; k < rows.rowCount(); ++k) {
            const rt::OleDate date = rows.requiredDate(k, QStringLiteral("Dates"));
            const Variant dateText = rows.shownIfReadable<Variant>(k, "Dates", generalDate(date));
            if (power) {
                const bool on = rows.longValue(k, QStringLiteral("Power_Type")) != 0;
                FillGridRow(
                    grid, k + 1, 0, false,
                    {k + 1, dateText,
                     rows.shownIfReadable<Variant>(
                         k, "Power_Type", on ? QStringLiteral("ON") : QStringLiteral("OFF"))});
            } else {
                const int32_t code = rows.longValue(k, QStringLiteral("Alarm_type"));
                FillGridRow(
                    grid, k + 1, 0, false,
                    {k + 1, dateText, rows.text(k, QStringLiteral("GasName")),
                     rows.shownIfReadable<Variant>(k, "Alarm_type", core::EventCodeText(code))});
            }
            grid.setRowDate(k + 1, date);
        }
    }
    core::NoteUnreadable(head, rows);
    grid.setColAlignment(-1, AlignLeft);
    grid.setColAlignment(0, AlignCentre);
    alignRow(grid, 0, AlignCentre);
}

void sensorHistoryTable(int32_t seqNo, const QString& database, FlexGrid& summary, FlexGrid& grid) {
    grid.setCols(5);
    grid.setColHidden(3, false);
    grid.setRows(1);
    grid.setMergeCells(2);
    FillGridRow(grid, 0, 0, false,
                {res(TextNo), res(TextDate), QStringLiteral("SensorNO"), QStringLiteral("Gas"),
                 QStringLiteral("FullScale")});
    const platform::Database db = platform::Database::open(database);
    const platform::ResultSet head = headRow(db, seqNo);
    const bool found = head.rowCount() > 0;
    const int32_t relation = found ? head.longValue(0, QStringLiteral("SeqNo")) : 0;
    // A download whose header row is gone shows empty values.
    const rt::OleDate date = head.requiredDate(0, QStringLiteral("Dates"));
    const bool dateRead = found && !head.unreadable(0, QStringLiteral("Dates"));
    downloadSummary(found ? Variant(head.text(0, QStringLiteral("SerialNo"))) : Variant(),
                    found ? Variant(head.text(0, QStringLiteral("UserID"))) : Variant(),
                    dateRead ? generalDate(date) : QString(), summary);
    const platform::ResultSet rows = detailRows(
        db, QStringLiteral("Select * From SensorHistory Where RelNo = ? Order By Dates DESC;"),
        relation);
    if (rows.rowCount() > 0) {
        grid.setRows(rows.rowCount() + 1);
        for (int k = 0; k < rows.rowCount(); ++k) {
            const rt::OleDate date = rows.requiredDate(k, QStringLiteral("Dates"));
            const double fullScale = rows.doubleValue(k, QStringLiteral("FullScale"));
            FillGridRow(
                grid, k + 1, 0, false,
                {k + 1, rows.shownIfReadable<Variant>(k, "Dates", generalDate(date)),
                 rows.text(k, QStringLiteral("SensorNo")), rows.text(k, QStringLiteral("GasName")),
                 rows.shownIfReadable<Variant>(k, "FullScale", Variant(fullScale))});
            grid.setRowDate(k + 1, date);
        }
    }
    core::NoteUnreadable(head, rows);
    grid.setColAlignment(-1, AlignLeft);
    grid.setColAlignment(0, AlignCentre);
    grid.setColAlignment(4, AlignCentre);
    alignRow(grid, 0, AlignCentre);
}

}  // namespace

void ShowBrowseTable(const BrowseSource& source, const TableOptions& options,
                     platform::FlexGrid& summary, platform::FlexGrid& data) {
    const int32_t type = source.type;
    // The summary.
    switch (type) {
        case TypeInterval:
            intervalSummary(*source.interval, options.trendWindow, summary);
            break;
        case TypeAlarm:
            alarmSummary(*source.alarm, options.trendWindow, summary);
            break;
        case TypeHistory:
            recordSummary(*source.history, summary);
            break;
        case TypeAlarmEvents:
        case TypeTroubleEvents:
        case TypePowerEvents:
            recordSummary(*source.events, summary);
            break;
        case TypeSensorHistory:
            break;  // with its table
        default:
            summary.Clear();
            summary.setRows(1);
            summary.setCols(1);
            summary.hide();
            break;
    }
    // The table, drawn once when it is whole.
    const auto drawn = [&data] {
        data.setRedraw(true);
        data.Refresh();
    };
    if (options.tableShown) {
        data.setRedraw(false);
        try {
            switch (type) {
                case TypeInterval:
                    intervalTable(*source.interval, options, data);
                    break;
                case TypeAlarm:
                    alarmTable(*source.alarm, options, data);
                    break;
                case TypeHistory:
                    historyTable(*source.history, data);
                    break;
                case TypeAlarmEvents:
                case TypeTroubleEvents:
                case TypePowerEvents:
                    eventTable(type, source.seqNo, source.database, data);
                    break;
                case TypeSensorHistory:
                    sensorHistoryTable(source.seqNo, source.database, summary, data);
                    break;
                default:
                    break;
            }
        } catch (...) {
            drawn();
            throw;
        }
    }
    drawn();
    // The alarm-trend window scrolls its table once it is on screen.
    if (options.tableShown && type == TypeAlarm && !options.trendWindow)
        ScrollToAlarm(*source.alarm, data);
}

}  // namespace trendview
