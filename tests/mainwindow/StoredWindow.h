#pragma once

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

}  // namespace testsupport
