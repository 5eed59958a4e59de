#pragma once

#include <QApplication>
#include <QMouseEvent>

#include "core/ModMain.h"
#include "tests/support/InstrumentWindow.h"

namespace testsupport {

// A window whose database holds the instrument's downloads (a complete download with "-R",
// power events included), showing its data page.
struct StoredWindow : InstrumentWindow {
    explicit StoredWindow(FakeQM73 contents = FakeQM73::Typical(),
                          const std::function<void(WindowRig&)>& prepare = {})
        : InstrumentWindow(std::move(contents), [prepare](testsupport::WindowRig& rig) {
              core::SwitchR = true;
              if (prepare) prepare(rig);
          }) {
        EXPECT_TRUE(connect());
        click(0);
        window->cmdInst_Click(2);
        // The library opens a download with the table chosen when no view is.
        window->dataPage->optBrowse[0]->setChecked(true);
        for (int i = 0; i < 6; ++i)
            window->fraMenu[i]->setVisible(i == 3);
        window->Form_Resize();
        settle();
    }
    int32_t seqNoOf(int types, int nth = 0) {
        return db()
            .query("Select SeqNo From Log_Head Where Types=? Order By SeqNo", {types})
            .longValue(nth, "SeqNo");
    }
    dataview::DataViewPage& page() { return *window->dataPage; }
    void open(int types, int nth = 0) {
        window->dataView->SelectedLogType = types;
        window->dataView->SelectedLogSeqNo = types == 0 ? 0 : seqNoOf(types, nth);
        window->dataView->ShowDataView();
        window->Form_Resize();  // as the library's open command lays the page out
        settle();
    }
};

// The interval trend of the typical download has an ALARM event at 14:45:09 on 2024-05-31.
inline const rt::OleDate AlarmEvent = *rt::OleDate::fromCivil(2024, 5, 31, 14, 45, 9);

// Moves the pointer over a cell of the grid, and presses there when asked, as the user does.
inline void pointAt(platform::FlexGrid& g, int row, int col, bool press) {
    g.setTopRow(std::max(1, row - 2));
    QApplication::processEvents();
    QPoint at(-1, -1);
    for (int y = 0; y < g.height() && at.x() < 0; y += 2)
        for (int x = 0; x < g.width() && at.x() < 0; x += 4)
            if (g.cellAt(QPoint(x, y)) == std::pair{row, col}) at = QPoint(x + 2, y + 1);
    ASSERT_GE(at.x(), 0) << "cell " << row << "," << col << " not shown; rows " << g.TopRow()
                         << " to " << g.BottomRow() << ", " << g.width() << "x" << g.height();
    QWidget* surface = g.childAt(at);
    ASSERT_TRUE(surface);
    const QPointF local = surface->mapFrom(&g, at);
    QMouseEvent move(QEvent::MouseMove, local, surface->mapToGlobal(local), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(surface, &move);
    if (!press) return;
    QMouseEvent down(QEvent::MouseButtonPress, local, surface->mapToGlobal(local), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(surface, &down);
}

// The row of the interval trend's ALARM event in the table.
inline int alarmRow(const platform::FlexGrid& g) {
    for (int r = 1; r < g.Rows(); ++r)
        if (g.TextMatrix(r, 2).startsWith("ALARM")) return r;
    return -1;
}

}  // namespace testsupport
