#include <QFileInfo>
#include <cmath>

#include "core/GasCommon.h"
#include "core/LogTexts.h"
#include "core/ModMain.h"
#include "core/StoredDamage.h"
#include "core/TrendFile.h"
#include "mainwindow/library/LogLibrary.h"
#include "records/TrendLines.h"
#include "runtime/Color.h"
#include "runtime/Convert.h"
#include "runtime/Format.h"
#include "runtime/RuntimeError.h"
#include "trendview/GridHelpers.h"

namespace library {

namespace {

using platform::FlexGrid;
using platform::FlexProperty::Alignment;
using platform::FlexProperty::BackColor;
using rt::Variant;
using trendview::FillGridRow;

constexpr int AlignLeft = 1;    // left, centred vertically
constexpr int AlignCentre = 4;  // centred
constexpr int32_t NoColour = 0;
constexpr float NoValue = -101;
// The sample of an alarm trend at its alarm: the middle one of 721.
constexpr int32_t AlarmRecord = 361;

using enum core::LogText;

QString res(int id) {
    return core::LoadResText(id);
}

QString generalDate(rt::OleDate date) {
    return rt::GeneralDate(date);
}

// An empty grid of that size: no text, colour, alignment or merging of an earlier view stays.
void resetGrid(FlexGrid& grid, int rows, int cols) {
    grid.Clear();
    grid.setRows(1);
    grid.setCols(cols);
    grid.setCell(BackColor, 0, 0, 0, cols - 1, NoColour);
    grid.setCell(Alignment, 0, 0, 0, cols - 1, AlignLeft);
    grid.setMergeRow(0, false);
    grid.setRows(rows);
    grid.setColAlignment(-1, AlignLeft);
}

void centreRow(FlexGrid& grid, int row) {
    grid.setCell(Alignment, row, 0, row, grid.Cols() - 1, AlignCentre);
}

enum Text : int {
    TextState = 5834,
};

// Read to be shown: a value that cannot be read shows empty.
platform::ResultSet headerRow(const platform::Database& db, std::optional<int32_t> seqNo) {
    if (!seqNo) return {};
    return db.query(QStringLiteral("Select * From Log_Head Where SeqNo = ?"), {*seqNo}).lenient();
}

// A download that cannot be opened: its name, and why it cannot be read.
void unusableView(FlexGrid& grid, const QString& name, const QString& state) {
    grid.setRows(3);
    FillGridRow(grid, 1, 0, false, {res(TextName), name});
    FillGridRow(grid, 2, 0, false, {res(TextState), state});
    grid.setColAlignment(-1, AlignLeft);
    centreRow(grid, 0);
}

// ---- the trend header views ---------------------------------------------------------------

// `h`: the download's Log_Head row (none when it is gone).
void trendHeader(FlexGrid& grid, const platform::ResultSet& h, bool alarm,
                 const std::array<float, 6>& alarmPoints) {
    grid.setMergeCells(2);
    grid.setRows(alarm ? 9 : 11);
    FillGridRow(
        grid, 0, 0, false,
        {res(TextProperty), res(TextValue), res(TextValue), res(TextValue), res(TextValue)});
    grid.setMergeRow(0, true);
    if (h.rowCount() == 0) return;

    const auto field = [](const char* name) { return QString::fromLatin1(name); };
    const auto shown = [&h](const char* name, const Variant& value) {
        return h.shownIfReadable(0, name, value);
    };
    const int16_t point = h.integer(0, field("Gas4Point"));
    const int16_t dp = point < 0 ? int16_t(0) : point;
    const float full = h.single(0, field("Gas4Full"));
    const bool enabled = h.boolean(0, field("Gas4Enable"));
    // What the decimals and the full scale shape shows empty when either cannot be read.
    const bool scaleRead =
        !h.unreadable(0, field("Gas4Point")) && !h.unreadable(0, field("Gas4Full"));
    const QString none = QStringLiteral("-----");
    const auto statistic = [&](const char* name) -> Variant {
        if (!enabled) return none;
        const float value = h.single(0, field(name));
        if (!scaleRead) return QString();
        return shown(name, core::OverIfOutOfRange(
                               core::ValueText(core::ScaleRawValue(value, dp), dp), full));
    };

    std::vector<std::vector<Variant>> rows = {
        {res(TextName), h.text(0, field("Names"))},
        {res(alarm ? TextAlarmDate : TextStart),
         shown("Dates", generalDate(h.requiredDate(0, field("Dates"))))},
        {res(TextSerial), core::EmptyToAsterisk(h.text(0, field("SerialNo")))},
        {res(TextUser), core::EmptyToAsterisk(h.text(0, field("UserID")))},
        {res(TextCount), shown("DCount", h.longValue(0, field("DCount")))},
        {res(TextInterval), shown("Interval", h.longValue(0, field("Interval")))},
        {res(TextGasFullScale),
         scaleRead ? Variant(core::GasCaptionFrom(h.text(0, field("Gas4Name")),
                                                  h.text(0, field("Gas4Unit")), full, dp))
                   : Variant(QString())},
    };
    if (alarm) {
        rows.push_back({res(TextValue), scaleRead
                                            ? Variant(core::OverIfOutOfRange(
                                                  core::ValueText(alarmPoints[3], point), full))
                                            : Variant(QString())});
    } else {
        const float maximum = h.single(0, field("Gas4Max"));
        const bool maximumKnown =
            enabled && !h.unreadable(0, field("Gas4Max")) && maximum != NoValue;
        rows.push_back({res(TextAverage), statistic("Gas4Avr")});
        rows.push_back({res(TextMaximum), statistic("Gas4Max")});
        const rt::OleDate maximumDate = h.date(0, field("Gas4MaxDate"));
        rows.push_back({res(TextMaximumDate),
                        maximumKnown
                            ? shown("Gas4MaxDate",
                                    rt::FormatDate(maximumDate, QStringLiteral("mm/dd hh:nn:ss")))
                            : Variant(none)});
    }
    core::NoteUnreadable(h);
    for (size_t i = 0; i < rows.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        FillGridRow(grid, row, 0, row <= 6, rows[i]);
    }

    const int last = grid.Cols() - 1;
    grid.setCell(BackColor, 7, 1, 7, last, rt::RGB(224, 224, 224));
    grid.setColAlignment(-1, AlignLeft);
    centreRow(grid, 0);
    grid.setCell(Alignment, 7, 1, grid.Rows() - 1, last, AlignCentre);
    if (!alarm) grid.setCell(Alignment, 10, 0, 10, last, AlignLeft);
    for (int row = 1; row < grid.Rows(); ++row)
        grid.setMergeRow(row, row <= 6);
    if (alarm) {
        grid.setRow(8);
        grid.setCol(1);
    } else {
        grid.setRow(7);
        grid.setCol(last);
    }
}

// ---- the detail-row views -----------------------------------------------------------------

struct DetailView {
    QChar letter;  // of the download, whose kind's first table holds the rows
    QStringList captions;
    int manyAbove;  // more rows than this show only the newest and the total
    int shownWhenMany;
};

const std::array<DetailView, 5>& detailViews() {
    static const std::array<DetailView, 5> views = {{
        {QLatin1Char('H'), {"DateTime", "Gas", "Before", "After"}, 9, 9},
        {QLatin1Char('V'), {"DateTime", "Gas", "Event"}, 10, 8},
        {QLatin1Char('W'), {"DateTime", "Gas/Body", "Event"}, 10, 8},
        {QLatin1Char('P'), {"DateTime", "Power"}, 10, 8},
        {QLatin1Char('Q'), {"DateTime", "SensorNO", "Gas", "FullScale"}, 10, 8},
    }};
    return views;
}

// A value that cannot be read shows empty.
std::vector<Variant> detailRow(QChar letter, const platform::ResultSet& r, int row) {
    const auto f = [](const char* name) { return QString::fromLatin1(name); };
    const auto shown = [&r, row](const char* name, const Variant& value) {
        return r.shownIfReadable(row, name, value);
    };
    const rt::OleDate time = r.requiredDate(row, f("Dates"));
    const Variant date = shown("Dates", generalDate(time));
    switch (letter.toLatin1()) {
        case 'H': {
            const int16_t point = r.integer(row, f("Gas4Point"));
            const float before = r.single(row, f("Gas4Before"));
            const float after = r.single(row, f("Gas4After"));
            const bool pointRead = !r.unreadable(row, f("Gas4Point"));
            return {date, r.text(row, f("Gas4GasName")),
                    pointRead ? shown("Gas4Before", core::ValueText(before, point)) : QString(),
                    pointRead ? shown("Gas4After", core::ValueText(after, point)) : QString()};
        }
        case 'V':
        case 'W':
            return {date, r.text(row, f("GasName")),
                    shown("Alarm_Type", core::EventCodeText(r.longValue(row, f("Alarm_Type"))))};
        case 'P': {
            const bool on = r.boolean(row, f("Power_Type"));
            return {date, shown("Power_Type", on ? QStringLiteral("ON") : QStringLiteral("OFF"))};
        }
        default:
            return {date, r.text(row, f("SensorNo")), r.text(row, f("GasName")),
                    shown("FullScale", r.doubleValue(row, f("FullScale")))};
    }
}

void detailRows(FlexGrid& grid, const platform::Database& db, const platform::ResultSet& h,
                const DetailView& view) {
    grid.setMergeCells(2);
    grid.setCols(static_cast<int>(view.captions.size()));
    grid.setColAlignment(-1, AlignLeft);
    for (int col = 0; col < view.captions.size(); ++col)
        grid.setTextMatrix(0, col, view.captions[col]);
    centreRow(grid, 0);
    if (view.letter == QLatin1Char('H')) {
        grid.setColAlignment(2, AlignCentre);
        grid.setColAlignment(3, AlignCentre);
    }
    const int32_t relNo = h.rowCount() > 0 ? h.longValue(0, QStringLiteral("SeqNo")) : 0;
    const QString table = QString::fromLatin1(KindOfDownloadLetter(view.letter)->tables[0]);
    // Only the number of rows and the newest ones that show are read: an event log of a
    // hundred thousand rows shows as fast as one of ten.
    const int32_t count =
        db.query(QStringLiteral("Select Count(*) As N From %1 Where RelNo = ?").arg(table), {relNo})
            .longValue(0, QStringLiteral("N"));
    if (count == 0) return;
    const bool many = count > view.manyAbove;
    const int shown = many ? view.shownWhenMany : count;
    const platform::ResultSet rows =
        db.query(QStringLiteral(
                     "Select * From %1 Where RelNo = ? Order By Dates DESC, SeqNo DESC Limit ?")
                     .arg(table),
                 {relNo, static_cast<int32_t>(shown)})
            .lenient();
    grid.setRows(many ? 11 : count + 1);
    for (int row = 0; row < rows.rowCount(); ++row)
        FillGridRow(grid, row + 1, 0, false, detailRow(view.letter, rows, row));
    if (rows.anyUnreadable()) core::NoteDamagedDownload(h.text(0, QStringLiteral("Names")));
    if (!many) return;
    const QString dots = QStringLiteral("...");
    const QString total = QStringLiteral("Total");
    std::vector<Variant> totalRow;
    if (view.letter == QLatin1Char('H'))
        totalRow = {dots, total, count, QStringLiteral(" Data")};
    else if (view.letter == QLatin1Char('V') || view.letter == QLatin1Char('W'))
        totalRow = {dots, total, QString::number(count) + QStringLiteral(" Data")};
    else
        totalRow = {dots, QStringLiteral("Total %1 Data").arg(count)};
    FillGridRow(grid, 10, 0, false, totalRow);
}

// The five gas readings at the alarm of the alarm trend whose Log_Head row is `h` (index 0 to
// 4; index 5 stays 0): sample 361 of its trend file; -101 each when the download or its file is
// gone or the file is shorter.
std::array<float, 6> alarmPointValues(const platform::ResultSet& h) {
    std::array<float, 6> values{};
    for (int gas = 0; gas < 5; ++gas)
        values[static_cast<size_t>(gas)] = NoValue;
    if (h.rowCount() == 0) return values;
    const QString path = records::TrendFileOf(h, 0);
    // A trend file that is gone or cannot be opened has no alarm point to show, like a short
    // one, and so has a header that names none inside the data folder; the trend file is never
    // made here.
    if (path.isEmpty() || !QFileInfo::exists(path)) return values;
    try {
        // Nor has a file that no trend is read from (no regular file, or one outside the data
        // folder), which is never waited on.
        const std::unique_ptr<core::TrendFile> opened =
            records::OpenTrendToRead(h.text(0, QStringLiteral("Names")), path);
        if (!opened) return values;
        core::TrendFile& file = *opened;
        // The length in records, rounded: a last record without its status bytes counts.
        if (core::TrendRecordsIn(file.size()) < AlarmRecord) return values;
        for (int16_t gas = 1; gas <= 5; ++gas) {
            const float value = core::GetSampleValue(AlarmRecord, file, gas);
            // A reading that is no number shows as none, and the file is told damaged.
            if (!std::isfinite(value))
                core::NoteDamagedDownload(h.text(0, QStringLiteral("Names")), path);
            values[static_cast<size_t>(gas - 1)] = std::isfinite(value) ? value : NoValue;
        }
    } catch (const rt::RuntimeError& e) {
        qWarning("The alarm trend file %s cannot be read: %s", qPrintable(path),
                 qPrintable(e.description()));
    }
    return values;
}

}  // namespace

void LogLibrary::placeholderDetail() {
    FlexGrid& grid = *w_.page.vfgLog;
    resetGrid(grid, 2, 2);
    FillGridRow(grid, 0, 0, false, {res(TextProperty), res(TextValue)});
    FillGridRow(grid, 1, 0, false, {res(TextType), res(TextFolder)});
    centreRow(grid, 0);
    w_.page.cmdDetail->setEnabled(false);
    w_.page.cmdLogInst->setEnabled(false);
}

void LogLibrary::ShowLogDetail(const QString& key) {
    // The details are a part of the list: what they show damaged is told when the user acts
    // on the download.
    const core::UntoldDamage listing;
    FlexGrid& grid = *w_.page.vfgLog;
    w_.page.cmdDetail->setEnabled(true);
    w_.page.cmdLogInst->setEnabled(true);
    const QChar letter = KeyLetter(key);
    if (letter != QLatin1Char('Q')) selectDownload(key);
    grid.setRedraw(false);
    const auto drawn = qScopeGuard([this, &grid] {
        grid.setRedraw(true);
        grid.Refresh();
        w_.host.Form_Resize();
    });
    resetGrid(grid, 2, 2);
    FillGridRow(grid, 0, 0, false, {res(TextGridProperty), res(TextGridValue)});

    const platform::Database db = platform::Database::open(w_.paths.database());
    if (IsGroupLetter(letter) || IsKindLetter(letter)) {
        placeholderDetail();
        return;
    }
    if (const std::optional<UnusableDownload> unusable = unusableOf(db, key)) {
        unusableView(grid, unusable->name, unusable->state);
        return;
    }
    // The download's Log_Head row, read once for all that is shown of it.
    const std::optional<int32_t> seqNo = KeySeqNo(key);
    const platform::ResultSet head = headerRow(db, seqNo);
    if (letter == QLatin1Char('G')) {
        trendHeader(grid, head, false, AlarmPoints);
    } else if (letter == QLatin1Char('K')) {
        if (seqNo) AlarmPoints = alarmPointValues(head);
        trendHeader(grid, head, true, AlarmPoints);
    } else {
        for (const DetailView& view : detailViews())
            if (view.letter == letter) detailRows(grid, db, head, view);
    }
}

}  // namespace library
