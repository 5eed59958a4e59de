#include "core/GasCommon.h"
#include "core/LogTexts.h"
#include "core/ModMain.h"
#include "printing/FrmPrint.h"
#include "records/GasInfo.h"
#include "runtime/Format.h"

namespace printing {

namespace {

using records::decimalsOf;
using records::gas3Text;
using records::gasInfo;

using enum core::LogText;

QString res(int id) {
    return core::LoadResText(id);
}

// The sample of an alarm trend at its alarm: a rule under its row.
constexpr int AlarmSample = 360;
// The rows the preview shows of a sample list.
constexpr int PreviewRows = 30;

}  // namespace

void FrmPrint::PrintTrendSummary(graph::GraphSurface& target) {
    setColumns(target, {0, 0.25, 0.40, 0.55, 0.70, 0.85, 1.0});
    alignAll(0);
    target.ForeColor = 0;
    target.CurrentY = target.ScaleHeight() / 20;
    PrintRow(target, {res(TextProperty), res(TextValue)});
    rule(target, 1);
    blankRow(target);
    if (DataType == KindInterval && IntervalData) {
        const records::clsInterval& r = *IntervalData;
        PrintRow(target, {res(TextName), r.GasBaseInfo(0).toText()});
        PrintRow(target, {res(TextStart), records::headerDateText(r, [](rt::OleDate d) {
                              return rt::GeneralDate(d);
                          })});
        PrintRow(target, {res(TextSerial), r.GasBaseInfo(4).toText()});
        PrintRow(target, {res(TextUser), r.GasBaseInfo(2).toText()});
        PrintRow(target, {res(TextCount), QString::number(qint64(r.DataCount()) + r.EventCount())});
        PrintRow(target, {res(TextInterval), r.GasBaseInfo(6).toText()});
        rule(target, 1);
        alignAll(1);
        ColumnAlign[0] = 0;
        const int16_t places = decimalsOf(r, 3);
        const int16_t d = places >= 0 ? places : int16_t(0);
        const bool enabled = r.GasListInfo(3, 13).toBool();
        const auto statistic = [&](float raw) {
            if (!enabled) return QStringLiteral("-----");
            return gas3Text(r, core::ScaleRawValue(raw, d));
        };
        blankRow(target);
        PrintRow(target, {res(TextGasFullScale), core::GasCaption(&r, 3, true)});
        PrintRow(target, {res(TextAverage), statistic(gasInfo(r, 3, 10))});
        PrintRow(target, {res(TextMaximum), statistic(gasInfo(r, 3, 8))});
        PrintRow(target,
                 {res(TextMaximumDate), enabled ? rt::FormatDate(r.GasListInfo(3, 11).toDate(),
                                                                 QStringLiteral("mm/dd hh:nn:ss"))
                                                : QStringLiteral("-----")});
    } else if (AlarmData) {
        const records::clsAlarm& r = *AlarmData;
        const bool asInterval = r.KeptAsInterval();
        PrintRow(target, {res(TextName), r.GasBaseInfo(0).toText()});
        PrintRow(target,
                 {res(asInterval ? TextStart : TextAlarmDate),
                  records::headerDateText(r, [](rt::OleDate d) { return rt::GeneralDate(d); })});
        PrintRow(target, {res(TextSerial), r.GasBaseInfo(4).toText()});
        PrintRow(target, {res(TextUser), r.GasBaseInfo(2).toText()});
        PrintRow(target, {res(TextCount), QString::number(r.DataCount())});
        PrintRow(target, {res(TextInterval), r.GasBaseInfo(6).toText()});
    }
    rule(target, 4);
    target.DrawWidth = 1;
}

void FrmPrint::PrintDataList(graph::GraphSurface& target) {
    setColumns(target, {0.05, 0.25, 0.40, 0.55, 0.70, 0.85, 1.0}, 1);
    alignAll(1);
    target.ForeColor = 0;
    blankRow(target);
    blankRow(target);
    const bool interval = DataType == KindInterval;
    const core::GasListSource* record = interval
                                            ? static_cast<const core::GasListSource*>(IntervalData)
                                            : static_cast<const core::GasListSource*>(AlarmData);
    QStringList heading = {res(TextNo), res(TextDate), core::GasCaption(record, 3, true)};
    if (core::DebugMode) heading << core::GasCaption(record, 4, true);
    const int columns = core::DebugMode ? 4 : 3;

    // The heading and the rows first: the columns are widened where a cell would not fit.
    std::vector<QStringList> rows = {heading};
    if (interval) {
        const platform::CellTable* table = Table;
        int32_t n = table ? table->Rows() - 1 : 0;
        if (!target.isPrinter() && IntervalData && IntervalData->DataCount() > PreviewRows)
            n = std::min(n, PreviewRows);
        rows.reserve(static_cast<size_t>(std::max(n, 0)) + 1);
        for (int32_t r = 0; r < n; ++r) {
            letEventsThrough();
            QStringList cells;
            for (int c = 0; c < columns; ++c)
                cells << (c < table->Cols() ? table->TextMatrix(r + 1, c) : QString());
            rows.push_back(cells);
        }
        fitColumns(target, rows);
        const auto head = [&] {
            PrintRow(target, heading);
            alignAll(4);
            rule(target, 1);
        };
        head();
        for (int32_t r = 0; r < n; ++r) {
            for (int c = 0; c < table->Cols() && c < static_cast<int>(ColumnAlign.size()); ++c)
                ColumnAlign[static_cast<size_t>(c)] = table->CellBackColor(r + 1, c) != 0 ? 0 : 1;
            PrintRow(target, rows[static_cast<size_t>(r) + 1]);
            if (BreakPage(target, r == n - 1)) {
                alignAll(1);
                head();
            }
        }
        return;
    }

    const records::clsAlarm* alarm = AlarmData;
    int32_t n = alarm ? alarm->DataCount() : 0;
    if (!target.isPrinter() && n > PreviewRows) n = PreviewRows;
    rows.reserve(static_cast<size_t>(std::max(n, 0)) + 1);
    for (int32_t i = 0; i < n; ++i) {
        letEventsThrough();
        QStringList cells = {QString::number(i + 1),
                             rt::GeneralDate(alarm->DateTimes(static_cast<int>(i))),
                             gas3Text(*alarm, alarm->Value(3, static_cast<int>(i)))};
        if (core::DebugMode)
            cells << core::ValueText(alarm->Value(4, static_cast<int>(i)), decimalsOf(*alarm, 4));
        rows.push_back(cells);
    }
    fitColumns(target, rows);
    const auto head = [&] {
        PrintRow(target, heading);
        rule(target, 1);
        ColumnAlign[1] = 0;
    };
    alignAll(1);
    head();
    for (int32_t i = 0; i < n; ++i) {
        PrintRow(target, rows[static_cast<size_t>(i) + 1]);
        if (i == AlarmSample) {
            target.CurrentX = 0;
            target.Line(0, target.CurrentY, target.ScaleWidth(), target.CurrentY, 0);
        }
        if (BreakPage(target, i == n - 1)) {
            ColumnAlign[1] = 1;
            head();
        }
    }
}

}  // namespace printing
