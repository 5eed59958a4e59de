#include <QScopeGuard>

#include "core/ModMain.h"
#include "mainwindow/dataview/DataView.h"
#include "mainwindow/dataview/TrendSearch.h"
#include "runtime/Convert.h"

namespace dataview {

namespace {

enum Text : int { TextNotFound = 5162, TextNotFoundTitle = 5163 };

constexpr int PointerDefault = 0, PointerWait = 11, PointerCustom = 99;
constexpr int EventBox = 5;

// The event marks of the graph that lead to a trend (compared as written).
bool leadsToTrend(const QString& word) {
    return word == QLatin1String("MODE") || word == QLatin1String("WARNING") ||
           word == QLatin1String("ALARM") || word == QLatin1String("OVER");
}

// The same for the first four letters of a coloured cell of the table.
bool leadsToTrendCell(const QString& prefix) {
    return prefix == QLatin1String("MODE") || prefix == QLatin1String("WARN") ||
           prefix == QLatin1String("ALAR") || prefix == QLatin1String("OVER");
}

}  // namespace

void DataView::openTrend(rt::OleDate eventDate, const std::function<void(int)>& setPointer) {
    // The hourglass while the search runs and the trend's window is open; the pointer is back
    // on every way out, and before the user is told that there is nothing to open.
    setPointer(PointerWait);
    const auto pointer = qScopeGuard([&setPointer] { setPointer(PointerDefault); });
    const int32_t found = TrendSearch(w_.paths.database(), SelectedLogSeqNo,
                                      records.interval().GasBaseInfo(4).toText(), eventDate,
                                      core::TrendSearchBefore, core::TrendSearchAfter);
    if (found < 0) {
        setPointer(PointerDefault);
        w_.dialogs.message(core::LoadResText(TextNotFound), core::LoadResText(TextNotFoundTitle),
                           platform::MsgIcon::Information, platform::MsgButtons::OK);
        return;
    }
    core::TrendSelBaseDate = eventDate;
    core::TrendSelSeqNo = found;
    core::TrendSelMode = 2;
    if (trendWindow) trendWindow->ShowModal();
}

// ---- the graph ---------------------------------------------------------------------------------

void DataView::zvdGraph_MouseDown(int, int, float x, float y) {
    graph::uclZvdGraph& g = *w_.page.zvdGraph;
    if (!w_.page.chkBrowse[EventBox]->isChecked()) {
        w_.frame->window()->unsetCursor();
        return;
    }
    rt::OleDate date;
    QString name;
    g.SearchEvent(g.xData(x), rt::CLng(y), date, name);
    if (!leadsToTrend(name)) return;
    openTrend(date, [&g](int pointer) { g.setMousePointer(static_cast<int16_t>(pointer)); });
}

void DataView::zvdGraph_MouseMove(int, int, float x, float y) {
    graph::uclZvdGraph& g = *w_.page.zvdGraph;
    if (!w_.page.chkBrowse[EventBox]->isChecked()) {
        g.setMousePointer(PointerDefault);
        return;
    }
    rt::OleDate date;
    QString name;
    g.SearchEvent(g.xData(x), rt::CLng(y), date, name);
    if (name == QLatin1String("MODE")) {
        g.setMouseIcon(QCursor(w_.page.Interval0->pixmap()));
        g.setMousePointer(PointerCustom);
    } else if (leadsToTrend(name)) {
        g.setMouseIcon(QCursor(w_.page.Alarm0->pixmap()));
        g.setMousePointer(PointerCustom);
    } else {
        g.setMousePointer(PointerDefault);
    }
}

// ---- the table ---------------------------------------------------------------------------------

namespace {

// The first four letters of an event cell of an interval trend under the pointer; empty for
// any other cell.
QString eventCellUnderPointer(const platform::FlexGrid& g, int32_t type) {
    const int row = g.MouseRow(), col = g.MouseCol();
    if (type != TypeInterval || row <= 0 || col <= 0) return QString();
    if (g.Cell(platform::FlexProperty::BackColor, row, col) == 0) return QString();
    const QString prefix = g.TextMatrix(row, col).left(4);
    return leadsToTrendCell(prefix) ? prefix : QString();
}

}  // namespace

void DataView::vfgBrowse_MouseDown() {
    platform::FlexGrid& g = *w_.page.vfgBrowse;
    if (eventCellUnderPointer(g, SelectedLogType).isEmpty()) return;
    // The row's own date: the text shown is the locale's, the date is the row's.
    openTrend(g.RowDate(g.MouseRow()), [&g](int pointer) { g.setMousePointer(pointer); });
}

void DataView::vfgBrowse_MouseMove() {
    platform::FlexGrid& g = *w_.page.vfgBrowse;
    const QString prefix = eventCellUnderPointer(g, SelectedLogType);
    if (prefix.isEmpty()) {
        g.setMousePointer(PointerDefault);
    } else {
        g.setMouseIcon(prefix == QLatin1String("MODE") ? w_.page.IntervalG->pixmap()
                                                       : w_.page.AlarmG->pixmap());
        g.setMousePointer(PointerCustom);
    }
}

}  // namespace dataview
