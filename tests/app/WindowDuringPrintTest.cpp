#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTimer>

#include "app/PrintForms.h"
#include "tests/app/TrendWindowRig.h"
#include "tests/support/PdfText.h"

namespace {

using testsupport::pdfText;

// The typical downloads with a long first interval trend: its list takes many pages.
testsupport::FakeQM73 longTrend() {
    testsupport::FakeQM73 contents = testsupport::FakeQM73::Typical();
    auto& trend = contents.intervals[0];
    trend.gas4.clear();
    trend.gas5.clear();
    trend.status.clear();
    for (int k = 0; k < 4000; ++k) {
        trend.gas4.push_back(static_cast<uint16_t>(10 + k % 90));
        trend.gas5.push_back(static_cast<uint16_t>(250 + k % 3));
        trend.status.push_back({0, 0});
    }
    return contents;
}

// While the data page prints a long list, the window's timers run, the window is busy and
// refuses to close, and a second Print is refused; the list printed is whole.
TEST(WindowDuringPrint, TheWindowStaysWhileALongListPrints) {
    platform::PrinterCatalog printers{{{"Office", true}, {"PDF file", true}}, "Office"};
    std::unique_ptr<printing::FrmPrint> frmPrint;
    int choices = 0;
    testsupport::StoredWindow w(longTrend(), [&](testsupport::WindowRig& rig) {
        frmPrint = std::make_unique<printing::FrmPrint>(
            printing::PrintServices{printers, rig.dialogs, rig.folder.paths()});
        frmPrint->choosePrinter = [&choices](const QStringList&, const QString&) {
            ++choices;
            return 1;
        };
        rig.printForms = app::PrintFormsOf(*frmPrint);
    });
    w.open(1);
    platform::FlexGrid& table = *w.page().vfgBrowse;
    ASSERT_GT(table.Rows(), 4000);
    const QString lastDate = table.TextMatrix(table.Rows() - 1, 1);
    QTemporaryDir out;
    const QString file = out.filePath("list.pdf");
    w.rig.dialogs.fileNames.push_back(file);
    w.rig.dialogs.fileNames.push_back(out.filePath("second.pdf"));

    int ticks = 0;
    bool busy = false, closed = true, printEnabled = true;
    size_t asked = 0;
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!frmPrint->isPrinting()) return;
        if (++ticks > 1) return;
        busy = w.window->busy.busy();
        printEnabled = w.page().cmdBrowse[0]->isEnabled();
        w.page().cmdBrowse[0]->click();
        w.window->dataView->cmdBrowse_Click(0);
        // Were the window to ask, the user would end the program.
        w.rig.dialogs.answers.push_back(platform::MsgAnswer::Yes);
        asked = w.rig.dialogs.messages.size();
        closed = w.window->close();
        asked = w.rig.dialogs.messages.size() - asked;
    });
    timer.start();
    w.page().cmdBrowse[0]->click();
    timer.stop();

    EXPECT_GE(ticks, 3);
    EXPECT_TRUE(busy);
    EXPECT_FALSE(printEnabled);
    EXPECT_FALSE(closed);
    EXPECT_EQ(asked, 0u);
    EXPECT_TRUE(w.window->isVisible());
    EXPECT_EQ(choices, 1);
    EXPECT_FALSE(QFileInfo::exists(out.filePath("second.pdf")));
    // The page's commands and the busy count are as they were.
    EXPECT_FALSE(w.window->busy.busy());
    EXPECT_TRUE(w.page().cmdBrowse[0]->isEnabled());
    ASSERT_TRUE(QFileInfo::exists(file));
    EXPECT_TRUE(pdfText(file).contains(lastDate));
}

// A print form that notes whether the main window counted the print as its command.
class BusyProbe : public printing::PrintForm {
  public:
    BusyProbe(const std::function<bool()>& busy, std::vector<int32_t>& busyKinds)
        : busy_(busy), kinds_(busyKinds) {}
    void GoPrinter() override {
        if (busy_ && busy_()) kinds_.push_back(DataType);
    }

  private:
    const std::function<bool()>& busy_;
    std::vector<int32_t>& kinds_;
};

// The prints of the data page, of the Last Calibration page and of the alarm-trend window
// all count as the main window's command while they run.
TEST(WindowDuringPrint, EveryPrintIsTheMainWindowsCommand) {
    std::function<bool()> busy;
    std::vector<int32_t> busyKinds;
    testsupport::TrendWindowRig w([&](testsupport::WindowRig& rig) {
        rig.printForms = [&] { return std::make_unique<BusyProbe>(busy, busyKinds); };
    });
    busy = [&w] { return w.window->busy.busy(); };
    w.open(1);
    w.page().cmdBrowse[0]->click();
    w.settle();
    w.window->cmdInst_Click(3);
    w.settle();
    w.window->lastCalibrationPage->vfgHistory->setRow(1);
    w.window->lastCalibrationPage->cmdLastCal->click();
    w.settle();
    w.openTrend(w.storeAlarm({}));
    w.form().cmdBrowse[0]->click();
    w.close();
    EXPECT_EQ(busyKinds, (std::vector<int32_t>{1, 4, 2}));
    EXPECT_FALSE(w.window->busy.busy());
}

}  // namespace
