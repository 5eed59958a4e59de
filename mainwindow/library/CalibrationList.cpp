#include "mainwindow/library/CalibrationList.h"

#include <QScopeGuard>

#include "core/CalDue.h"
#include "core/GasCommon.h"
#include "core/ModMain.h"
#include "mainwindow/common/WaitCursor.h"
#include "runtime/Format.h"
#include "trendview/GridHelpers.h"

namespace library {

namespace {

enum Text : int {
    TextNotFound = 5352,
    TextNotFoundTitle = 5353,
    TextDeleteRow = 5357,
    TextDeleteRowTitle = 5358,
    TextDatesHeader = 5661,
    TextValuesHeader = 5662,
    TextLastCalibration = 5671,
    TextDelete = 5792,
};

constexpr int ViewDates = 0, ViewValues = 1, ViewDue = 2;

}  // namespace

CalibrationList::CalibrationList(CalibrationListWiring wiring) : w_(std::move(wiring)) {
    w_.page.mnuHistDel->setText(core::LoadResText(TextDelete));
}

int CalibrationList::view() const {
    for (int i = 0; i < w_.page.optHistory.count(); ++i)
        if (w_.page.optHistory[i]->isChecked()) return i;
    return ViewDates;
}

void CalibrationList::ShowCalibrationHistory() {
    platform::FlexGrid& grid = *w_.page.vfgHistory;
    const int shown = view();
    const platform::ResultSet rows =
        platform::Database::open(w_.paths.database())
            .query(QStringLiteral("Select * From cLatestHist Order By WriteDates DESC"));

    grid.setRedraw(false);
    const auto drawn = qScopeGuard([this, &grid] {
        grid.setRedraw(true);
        grid.Refresh();
        w_.host.Form_Resize();
    });
    const QString header =
        shown == ViewValues
            ? core::LoadResText(TextValuesHeader)
            : core::LoadResText(TextDatesHeader, {core::LoadResText(TextLastCalibration)});
    const QStringList captions = header.split(QLatin1Char('|'));
    grid.Clear();
    grid.setRows(1);
    grid.setCols(static_cast<int>(captions.size()));
    grid.setCell(platform::FlexProperty::BackColor, 0, 0, 0, grid.Cols() - 1, 0);
    grid.FormatString(header);

    // The rows are gathered first and the grid sized once: growing it a row at a time would
    // cost the whole grid at every row.
    struct Line {
        std::vector<rt::Variant> cells;
        int32_t colour;
    };
    std::vector<Line> lines;
    const auto fill = [&grid, &lines] {
        grid.setRows(static_cast<int>(lines.size()) + 1);
        for (size_t i = 0; i < lines.size(); ++i) {
            const int row = static_cast<int>(i) + 1;
            trendview::FillGridRow(grid, row, 0, false, lines[i].cells);
            // The due state colours the row; the row number keeps the fixed column's look.
            grid.setCell(platform::FlexProperty::BackColor, row, 1, row, grid.Cols() - 1,
                         lines[i].colour);
        }
    };
    const auto f = [](const char* name) { return QString::fromLatin1(name); };
    try {
        for (int r = 0; r < rows.rowCount(); ++r) {
            const rt::OleDate calibrated = rows.date(r, f("Gas4CalDate"));
            const int32_t calLimit = rows.longValue(r, f("CalLimit"));
            const bool enabled = rows.boolean(r, f("Gas4Enable"));
            const core::CalDueInfo due = core::CalDueOf(calibrated, calLimit);
            if (shown == ViewDue && (!enabled || (due.state != core::CalDue::Overdue &&
                                                  due.state != core::CalDue::DueSoon)))
                continue;
            const int row = static_cast<int>(lines.size()) + 1;
            std::vector<rt::Variant> cells = {row, rows.text(r, f("SerialNo")),
                                              rows.text(r, f("UserID"))};
            if (shown == ViewValues) {
                const auto point = static_cast<int16_t>(rows.longValue(r, f("Gas4Point")));
                const auto value = [&](const char* name) {
                    return enabled ? core::ValueText(rows.single(r, f(name)), point)
                                   : QStringLiteral("-----");
                };
                cells.insert(cells.end(),
                             {rows.text(r, f("Gas4Name")), value("Gas4Before"), value("Gas4After"),
                              value("Gas4AutoCal"),
                              enabled ? core::CalDueText(due) : QStringLiteral("-----")});
            } else {
                cells.insert(cells.end(), {core::FormatValidDate(calibrated),
                                           rt::GeneralDate(rows.date(r, f("WriteDates")))});
            }
            lines.push_back({std::move(cells), core::CalDueColor(due)});
        }
    } catch (...) {
        // The rows read before the fault stay shown.
        fill();
        throw;
    }
    fill();
    if (rows.rowCount() < 1)
        w_.dialogs.message(core::LoadResText(TextNotFound), core::LoadResText(TextNotFoundTitle),
                           platform::MsgIcon::Critical);
}

void CalibrationList::optHistory_Click(int index) {
    // A view chosen by the program while the page is not shown (the defaults after a power
    // off) waits for the page to open: its refill could only stop an automatic run with a
    // message box about the list.
    if (!w_.fields.ActivationPending && !w_.frame->isHidden()) ShowCalibrationHistory();
    w_.page.cmdLastCal->setEnabled(index != ViewDue);
}

void CalibrationList::vfgHistory_MouseDown(int button, int row) {
    if (button != platform::RightButton) return;
    const int shown = view();
    if (shown != ViewDates && shown != ViewValues) return;
    // The row under the pointer is the one the menu acts on, as the user sees it marked.
    platform::FlexGrid& grid = *w_.page.vfgHistory;
    if (row >= grid.FixedRows() && row < grid.Rows()) grid.setRow(row);
    w_.dialogs.popup(*w_.page.mnuHistDels, QCursor::pos());
}

void CalibrationList::vfgHistory_RowColChange() {
    if (w_.fields.HistoryGridFilling) return;
    w_.fields.HistoryGridFilling = true;
    const auto done = qScopeGuard([this] { w_.fields.HistoryGridFilling = false; });
    platform::FlexGrid& grid = *w_.page.vfgHistory;
    grid.setRowSel(grid.Row());
}

void CalibrationList::cmdLastCal_Click() {
    platform::FlexGrid& grid = *w_.page.vfgHistory;
    if (grid.Row() < 1 || grid.Row() >= grid.Rows() || !w_.printForms) return;
    const mainwindow::WaitCursor wait;
    const std::unique_ptr<mainwindow::PrintForm> form = w_.printForms();
    form->DataType = 4;
    form->Table = &grid;
    form->GoPrinter();
}

void CalibrationList::mnuHistDel_Click() {
    platform::FlexGrid& grid = *w_.page.vfgHistory;
    const int row = grid.Row();
    if (row < 1 || row >= grid.Rows() || grid.Cols() < 3) return;
    if (!w_.askPassword()) return;
    const QString serial = grid.TextMatrix(row, 1);
    if (w_.dialogs.message(core::LoadResText(TextDeleteRow, {serial}),
                           core::LoadResText(TextDeleteRowTitle), platform::MsgIcon::Information,
                           platform::MsgButtons::YesNo) != platform::MsgAnswer::Yes)
        return;
    platform::Database::open(w_.paths.database())
        .exec(QStringLiteral("Delete From cLatestHist Where SerialNo = ? And UserID = ?"),
              {core::EmptyToAsterisk(serial), core::EmptyToAsterisk(grid.TextMatrix(row, 2))});
    ShowCalibrationHistory();
}

}  // namespace library
