#include "mainwindow/library/CalibrationList.h"

#include <QScopeGuard>
#include <array>
#include <functional>
#include <memory>

#include "core/CalDue.h"
#include "core/GasCommon.h"
#include "core/ModMain.h"
#include "mainwindow/common/WaitCursor.h"
#include "runtime/Format.h"

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

const QString Dashes = QStringLiteral("-----");

// What a row of the list shows, read from the database; its texts are made from it.
struct Line {
    int64_t key = 0;  // the stored row's SeqNo
    QString serial, user, gasName, dueText;
    rt::OleDate calibrated, written;
    std::array<float, 3> values{};  // before, after, automatic (read when the gas is enabled)
    int16_t point = 0;
    bool enabled = false;
    core::CalDueInfo due;
    int32_t colour = 0;
};

using LineText = std::function<QString(const Line&)>;

// The texts of columns 1.. of the dates view and of the values view.
std::vector<LineText> dateTexts() {
    return {[](const Line& l) { return l.serial; }, [](const Line& l) { return l.user; },
            [](const Line& l) { return core::FormatValidDate(l.calibrated); },
            [](const Line& l) { return rt::GeneralDate(l.written); }};
}

std::vector<LineText> valueTexts() {
    std::vector<LineText> texts = {[](const Line& l) { return l.serial; },
                                   [](const Line& l) { return l.user; },
                                   [](const Line& l) { return l.gasName; }};
    for (size_t i = 0; i < 3; ++i)
        texts.push_back([i](const Line& l) {
            return l.enabled ? core::ValueText(l.values[i], l.point) : Dashes;
        });
    texts.push_back([](const Line& l) { return l.dueText; });
    return texts;
}

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
            .query(QStringLiteral("Select SeqNo, SerialNo, UserID, WriteDates, CalLimit, Gas4Name, "
                                  "Gas4Enable, Gas4CalDate, "
                                  "Gas4Before, Gas4After, Gas4AutoCal, Gas4Point From cLatestHist "
                                  "Order By WriteDates DESC"));

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
    // cost the whole grid at every row. Their texts are made as the grid's cells are read.
    auto lines = std::make_shared<std::vector<Line>>();
    rowKeys_.clear();
    const auto fill = [this, &grid, &lines, shown] {
        const int count = static_cast<int>(lines->size());
        for (const Line& line : *lines)
            rowKeys_.push_back(line.key);
        grid.setRows(count + 1);
        if (count == 0) return;
        const std::shared_ptr<const std::vector<Line>> kept = std::move(lines);
        const std::vector<LineText> texts = shown == ViewValues ? valueTexts() : dateTexts();
        grid.setTextSource(0, 1, count, [](int row) { return QString::number(row); });
        for (int col = 1; col < grid.Cols() && col <= static_cast<int>(texts.size()); ++col)
            grid.setTextSource(col, 1, count, [kept, text = texts[col - 1]](int row) {
                return text((*kept)[static_cast<size_t>(row - 1)]);
            });
        // The due state colours the row; the row number keeps the fixed column's look.
        for (int row = 1; row <= count; ++row)
            grid.setCell(platform::FlexProperty::BackColor, row, 1, row, grid.Cols() - 1,
                         (*kept)[static_cast<size_t>(row - 1)].colour);
    };
    const QString serialNo = QStringLiteral("SerialNo"), userID = QStringLiteral("UserID"),
                  calDate = QStringLiteral("Gas4CalDate"), calLimit = QStringLiteral("CalLimit"),
                  gasEnabled = QStringLiteral("Gas4Enable"), point = QStringLiteral("Gas4Point"),
                  gasName = QStringLiteral("Gas4Name"), written = QStringLiteral("WriteDates");
    const std::array<QString, 3> valueColumns = {
        QStringLiteral("Gas4Before"), QStringLiteral("Gas4After"), QStringLiteral("Gas4AutoCal")};
    const rt::OleDate now = rt::OleDate::now();
    try {
        for (int r = 0; r < rows.rowCount(); ++r) {
            Line line;
            line.calibrated = rows.date(r, calDate);
            const int32_t limit = rows.longValue(r, calLimit);
            line.enabled = rows.boolean(r, gasEnabled);
            line.due = core::CalDueOf(line.calibrated, limit, now);
            if (shown == ViewDue && (!line.enabled || (line.due.state != core::CalDue::Overdue &&
                                                       line.due.state != core::CalDue::DueSoon)))
                continue;
            line.key = rows.wholeNumber(r, QStringLiteral("SeqNo")).value_or(0);
            line.serial = rows.text(r, serialNo);
            line.user = rows.text(r, userID);
            if (shown == ViewValues) {
                line.point = static_cast<int16_t>(rows.longValue(r, point));
                line.gasName = rows.text(r, gasName);
                if (line.enabled)
                    for (size_t i = 0; i < valueColumns.size(); ++i)
                        line.values[i] = rows.single(r, valueColumns[i]);
                line.dueText = line.enabled ? core::CalDueText(line.due) : Dashes;
            } else {
                line.written = rows.date(r, written);
            }
            line.colour = core::CalDueColor(line.due);
            lines->push_back(std::move(line));
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
    if (row < 1 || row >= grid.Rows() || grid.Cols() < 3 || row > static_cast<int>(rowKeys_.size()))
        return;
    // The row the user is asked about, by its key: while the questions are open the list may
    // be shown again, and a calibration stored meanwhile for the same instrument is another row.
    const int64_t key = rowKeys_[static_cast<size_t>(row - 1)];
    const QString serial = grid.TextMatrix(row, 1);
    if (!w_.askPassword()) return;
    if (w_.dialogs.message(core::LoadResText(TextDeleteRow, {serial}),
                           core::LoadResText(TextDeleteRowTitle), platform::MsgIcon::Information,
                           platform::MsgButtons::YesNo) != platform::MsgAnswer::Yes)
        return;
    // In a transaction of its own, so that its COMMIT (and the sync that puts it on the disk)
    // runs off the window thread.
    const platform::Database db = platform::Database::open(w_.paths.database());
    platform::Transaction transaction(db);
    db.exec(QStringLiteral("Delete From cLatestHist Where SeqNo = ?"), {key});
    transaction.commit();
    ShowCalibrationHistory();
}

}  // namespace library
