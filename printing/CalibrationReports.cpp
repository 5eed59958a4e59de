#include "core/GasCommon.h"
#include "core/LogTexts.h"
#include "core/ModMain.h"
#include "printing/FrmPrint.h"
#include "records/ClsHistory.h"
#include "records/GasInfo.h"
#include "runtime/Format.h"

namespace printing {

namespace {

using enum core::LogText;

QString res(int id) {
    return core::LoadResText(id);
}

}  // namespace

void FrmPrint::PrintCalibrationHistory(graph::GraphSurface& target) {
    records::clsHistory r;
    r.setSeqNo(SeqNo);
    r.ReLoad();
    setColumns(target, {0, 0.05, 0.25, 0.40, 0.55, 0.70, 0.85, 1.0});
    // The table's rows, pair by pair, and its headings: the columns are widened first where a
    // cell would not fit.
    const int32_t count = r.DataCount();
    const QStringList heading = {res(TextNo), res(TextDate), QString(), QString()};
    const QStringList continued = {res(TextNo), res(TextDate), QString(),
                                   core::GasCaption(&r, 3, true)};
    std::vector<QStringList> rows = {heading, continued};
    rows.reserve(2 + 2 * static_cast<size_t>(std::max(count, 0)));
    for (int32_t i = 0; i < count; ++i) {
        letEventsThrough();
        const int index = static_cast<int>(i);
        const int16_t points = r.Points(3, index);
        rows.push_back({QString::number(i + 1),
                        r.RowDateRead(index) ? rt::GeneralDate(r.Dates(index)) : QString(),
                        res(TextBefore), core::ValueText(r.Before(3, index), points)});
        rows.push_back({QString(), r.GasName(3, index), res(TextAfter),
                        core::ValueText(r.After(3, index), points)});
    }
    fitColumns(target, rows);
    alignAll(0);
    target.ForeColor = 0;
    target.CurrentY = target.ScaleHeight() / 20;
    PrintRow(target, {res(TextProperty), QString(), res(TextValue)});
    rule(target, 1);
    blankRow(target);
    PrintRow(target, {res(TextSerial), QString(), r.GasBaseInfo(4).toText()});
    PrintRow(target, {res(TextUser), QString(), r.GasBaseInfo(2).toText()});
    PrintRow(target,
             {res(TextLastDownload), QString(),
              records::headerDateText(r, [](rt::OleDate d) { return rt::GeneralDate(d); })});
    blankRow(target);
    blankRow(target);
    alignFirst(4, 1);
    PrintRow(target, heading);
    rule(target, 1);
    blankRow(target);
    ColumnAlign[1] = ColumnAlign[2] = 0;
    for (int32_t i = 0; i < count; ++i) {
        const size_t pair = 2 + 2 * static_cast<size_t>(i);
        PrintRow(target, rows[pair]);
        PrintRow(target, rows[pair + 1]);
        if (BreakPage(target, i == count - 1)) {
            ColumnAlign[1] = ColumnAlign[2] = 1;
            PrintRow(target, continued);
            ColumnAlign[1] = ColumnAlign[2] = 0;
            rule(target, 1);
        }
    }
    rule(target, 4);
    target.DrawWidth = 1;
}

void FrmPrint::PrintLastCalibration(graph::GraphSurface& target) {
    setColumns(target, {0, 0.05, 0.15, 0.25, 1.0});
    const auto rowAlign = [this] {
        alignAll(0);
        ColumnAlign[0] = 1;
    };
    rowAlign();
    target.ForeColor = 0;
    target.CurrentY = target.ScaleHeight() / 20;
    rule(target, 1);
    blankRow(target);
    const platform::CellTable* table = Table;
    const int rows = table ? table->Rows() : 1;
    // The list's first four columns, its title row first; the columns are widened first where
    // a cell would not fit (a long serial number or user ID).
    std::vector<QStringList> cells;
    cells.reserve(static_cast<size_t>(std::max(rows, 1)));
    for (int r = 0; r < std::max(rows, 1); ++r) {
        letEventsThrough();
        QStringList texts;
        for (int c = 0; c < 4; ++c)
            texts << (table && r < rows && c < table->Cols() ? table->TextMatrix(r, c) : QString());
        cells.push_back(texts);
    }
    fitColumns(target, cells);
    alignAll(1);
    PrintRow(target, cells[0]);
    rowAlign();
    for (int r = 1; r < rows; ++r) {
        PrintRow(target, cells[static_cast<size_t>(r)]);
        if (BreakPage(target, r == rows - 1)) {
            alignAll(1);
            PrintRow(target, cells[0]);
            rule(target, 1);
            rowAlign();
        }
    }
    rule(target, 4);
    target.DrawWidth = 1;
}

}  // namespace printing
