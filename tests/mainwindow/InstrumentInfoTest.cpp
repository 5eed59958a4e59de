#include <gtest/gtest.h>

#include "core/CalDue.h"
#include "core/GasCommon.h"
#include "runtime/Color.h"
#include "runtime/Format.h"
#include "tests/mainwindow/StoredWindow.h"
#include "tests/support/Pictures.h"

namespace {

using testsupport::InstrumentWindow;

QStringList row(platform::FlexGrid& grid, int r) {
    QStringList cells;
    for (int c = 0; c < grid.Cols(); ++c)
        cells << grid.TextMatrix(r, c);
    return cells;
}

TEST(InstrumentInfo, NothingConnectedShowsDashes) {
    InstrumentWindow w;
    w.window->cmdInst_Click(1);
    w.settle();
    settings::InstrumentPage& p = *w.window->instrumentPage;
    EXPECT_EQ(w.window->fraMenu[1]->title(), "Instrument Information [No connected]");
    EXPECT_FALSE(w.fraMenuHidden(1));
    EXPECT_EQ(row(*p.vfgInst, 0).first(), "Calibration History");
    EXPECT_EQ(row(*p.vfgInst, 1),
              QStringList({"Gas", "Calib.Date", "Before", "After", "A.Cal.", "Cal.Due(Days)"}));
    EXPECT_EQ(row(*p.vfgInst, 2), QStringList(6, "-----"));
    EXPECT_EQ(row(*p.vfgInstSensor, 0).first(), "Warning and Alarm point");
    EXPECT_EQ(row(*p.vfgInstSensor, 1),
              QStringList({"Gas", "Warning", "Alarm", "STEL", "TWA", ""}));
    EXPECT_EQ(row(*p.vfgInstSensor, 2).mid(0, 5), QStringList(5, "-----"));
    EXPECT_TRUE(p.lblInst[3]->text().isEmpty());
}

TEST(InstrumentInfo, TheConnectedInstrumentAndItsDueState) {
    InstrumentWindow w;
    ASSERT_TRUE(w.connect());
    w.click(0);  // its information
    w.tick(20);
    const rt::OleDate now = *rt::OleDate::fromCivil(2026, 7, 1, 12, 0, 0);
    const rt::FixedClock clock(now);
    core::clsInstrument& inst = w.window->instrument();
    ASSERT_NE(inst.CommFlags(), 0);
    settings::InstrumentPage& p = *w.window->instrumentPage;
    struct Case {
        double daysBack;
        int16_t calLimit;
        int16_t limitDays;
        const char* text;
        int32_t colour;
    };
    const std::vector<Case> cases = {
        {180 + 1.0 / 24, 180, 30, "Now", rt::RGB(255, 0, 0)},  // due an hour ago
        {180 - 2.5, 180, 3, "Remaining 2 Days", rt::RGB(255, 128, 0)},
        {180 - 3.5, 180, 4, "Remaining 4 Days", 0},  // 3.5 rounds to 4, not below 4
        {180 - 40, 180, 30, "Remaining 40 Days", 0},
        {180 - 0.2, 180, 0, "Remaining 0 Days", 0},  // no threshold: never due soon
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        core::LimitDays = c.limitDays;
        inst.setCalLimit(c.calLimit);
        inst.setCalibDate(3, rt::OleDate(now.value() - c.daysBack));
        w.window->cmdInst_Click(1);
        EXPECT_EQ(w.window->fraMenu[1]->title(), "Instrument Information [Connected]");
        const QStringList cells = row(*p.vfgInst, 2);
        EXPECT_EQ(cells.at(0), core::GasCaption(&inst, 3, true));
        EXPECT_EQ(cells.at(1), core::FormatValidDate(inst.CalibDate(3)));
        EXPECT_EQ(cells.at(2), core::ValueText(inst.CalibBefore(3), inst.GasPoint(3)));
        EXPECT_EQ(cells.at(5), c.text);
        EXPECT_EQ(p.vfgInst->Cell(platform::FlexProperty::BackColor, 2, 5), c.colour);
    }
    EXPECT_EQ(p.lblInst[3]->text(), inst.SerialNo());
    EXPECT_EQ(p.lblInst[5]->text(), inst.UserID());
    EXPECT_EQ(p.lblInst[7]->text(), QString::number(inst.RomNumber()));
    EXPECT_EQ(p.lblInst[9]->text(), inst.SUM());
    EXPECT_EQ(row(*p.vfgInstSensor, 2).mid(0, 5),
              QStringList({core::GasCaption(&inst, 3, true),
                           core::ValueText(inst.Warning(3), inst.GasPoint(3)),
                           core::ValueText(inst.Alarm(3), inst.GasPoint(3)),
                           core::ValueText(inst.Stel(3), inst.GasPoint(3)),
                           core::ValueText(inst.Twa(3), inst.GasPoint(3))}));
    // A never calibrated instrument has no guard: it is due now.
    inst.setCalibDate(3, rt::OleDate());
    w.window->cmdInst_Click(1);
    EXPECT_EQ(row(*p.vfgInst, 2).at(5), "Now");
    EXPECT_EQ(row(*p.vfgInst, 2).at(1), "");
}

TEST(InstrumentInfo, AStoredDownloadsInstrumentLeavesTheConnectedOneAlone) {
    testsupport::StoredWindow w;
    core::clsInstrument& connected = w.window->instrument();
    const QString serial = connected.SerialNo(), user = connected.UserID();
    const int16_t calLimit = connected.CalLimit(), interval = connected.Intervals();
    const float warning = connected.Warning(3);
    // Another instrument's download, stored under its own serial number and user.
    w.db().exec(
        "Update Log_Head Set SerialNo = 'OTHER1', UserID = 'USER9' "
        "Where SeqNo = ?",
        {w.seqNoOf(1)});
    // Nothing selected: told, no page change.
    w.window->dataView->SelectedLogType = 0;
    w.window->dataView->SelectedLogSeqNo = 0;
    w.window->cmdInst_Click(2);
    w.window->libraryPage->cmdLogInst->setEnabled(true);
    w.window->libraryPage->cmdLogInst->click();
    ASSERT_EQ(w.rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(w.rig.dialogs.messages[0].text, "No data selected. Select data to view.");
    EXPECT_EQ(w.rig.dialogs.messages[0].title, "No Instrument Data");
    EXPECT_TRUE(w.fraMenuHidden(1));

    w.window->dataView->SelectedLogType = 1;
    w.window->dataView->SelectedLogSeqNo = w.seqNoOf(1);
    w.window->libraryPage->cmdLogInst->click();
    w.settle();
    EXPECT_FALSE(w.fraMenuHidden(1));
    EXPECT_TRUE(w.fraMenuHidden(2));
    EXPECT_EQ(w.window->fraMenu[1]->title(), "Instrument Information [Sample data]");
    EXPECT_TRUE(w.window->fields.StoredInfoShown);
    settings::InstrumentPage& p = *w.window->instrumentPage;
    EXPECT_EQ(p.lblInst[3]->text(), "OTHER1");
    EXPECT_EQ(p.lblInst[5]->text(), "USER9");
    // The connected instrument's object is exactly as it was.
    EXPECT_EQ(connected.SerialNo(), serial);
    EXPECT_EQ(connected.UserID(), user);
    EXPECT_EQ(connected.CalLimit(), calLimit);
    EXPECT_EQ(connected.Intervals(), interval);
    EXPECT_EQ(connected.Warning(3), warning);
    EXPECT_FALSE(connected.Change(core::InstrumentFlag::Change_SerialNo));
    // The menu's page shows the connected instrument again.
    w.window->cmdInst_Click(1);
    EXPECT_EQ(w.window->fraMenu[1]->title(), "Instrument Information [Connected]");
    EXPECT_EQ(p.lblInst[3]->text(), serial);
    EXPECT_FALSE(w.window->fields.StoredInfoShown);
}

TEST(InstrumentInfo, Pictures) {
    for (auto language :
         {platform::StringTable::Language::English, platform::StringTable::Language::Japanese}) {
        const testsupport::LanguageScope scope(language);
        InstrumentWindow w;
        ASSERT_TRUE(w.connect());
        w.click(0);
        w.tick(20);
        w.window->resize(1100, 760);
        w.window->cmdInst_Click(1);
        w.settle();
        testsupport::savePicture(
            *w.window,
            QStringLiteral("frmMain-instrument-%1")
                .arg(language == platform::StringTable::Language::English ? "en" : "ja"));
    }
}

}  // namespace
