#include <gtest/gtest.h>

#include <QApplication>

#include "core/ModMain.h"
#include "runtime/Color.h"
#include "tests/mainwindow/GridRoom.h"
#include "tests/mainwindow/StoredWindow.h"
#include "tests/support/InstrumentWindow.h"
#include "tests/support/Pictures.h"

using platform::MsgAnswer;
using testsupport::FakeQM73;
using testsupport::InstrumentWindow;
using testsupport::StoredWindow;

namespace {

// An instrument with one interval trend whose gas 3 (channel 4) has `valid` readings among
// eight samples; the rest are unreadable.
FakeQM73 trendWithValidReadings(int valid) {
    FakeQM73 fake = FakeQM73::Typical();
    fake.intervals.resize(1);
    auto& rec = fake.intervals[0];
    rec.gas4.clear();
    rec.gas5.clear();
    rec.status.clear();
    for (int k = 0; k < 8; ++k) {
        rec.gas4.push_back(static_cast<uint16_t>(k < valid ? 20 + k : 0xFEFE));
        rec.gas5.push_back(250);
        rec.status.push_back({0, 0});
    }
    rec.gas4Events = {{0, "00"}};
    return fake;
}

}  // namespace

TEST(DataView, EachKindOpensWithItsCaptionAndItsControls) {
    struct Case {
        int types;
        const char* caption;
        bool graph, boxes;
    };
    const Case cases[] = {
        {1, "Data View(Interval Trend)", true, true},
        {2, "Data View(Alarm Trend)", true, false},
        {3, "Data View(Calibration History)", false, false},
        {5, "Data View(Alarm Events)", false, false},
        {6, "Data View(Trouble Events)", false, false},
        {7, "Data View(Power Events)", false, false},
        {8, "Data View(Sensor Change History)", false, false},
    };
    StoredWindow w;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        w.open(c.types);
        EXPECT_EQ(w.window->fraMenu[3]->title(), c.caption);
        EXPECT_FALSE(w.window->fraMenu[3]->isHidden());
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(w.page().cmdBrowse[i]->isEnabled()) << i;
        EXPECT_EQ(w.page().optBrowse[1]->isEnabled(), c.graph);
        if (!c.graph) {
            EXPECT_TRUE(w.page().optBrowse[0]->isChecked());
        }
        EXPECT_EQ(w.page().chkEvent->isEnabled(), c.boxes);
        EXPECT_EQ(w.page().chkOutline->isEnabled(), c.boxes);
        EXPECT_GT(w.page().vfgBrowse->Rows(), 1);
        EXPECT_FALSE(w.window->dataView->BrowseViewRefilled);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

TEST(DataView, NothingSelectedIsToldAndTheCommandsAreOff) {
    StoredWindow w;
    w.open(1);
    w.rig.dialogs.messages.clear();
    w.open(0);
    ASSERT_EQ(w.rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(w.rig.dialogs.messages[0].text, "No data selected. Select data to view.");
    EXPECT_EQ(w.rig.dialogs.messages[0].title, "No view Data");
    EXPECT_EQ(w.rig.dialogs.messages[0].icon, platform::MsgIcon::Information);
    EXPECT_EQ(w.window->fraMenu[3]->title(), "Data View");
    EXPECT_TRUE(w.page().optBrowse[0]->isChecked());
    EXPECT_FALSE(w.page().optBrowse[1]->isEnabled());
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(w.page().cmdBrowse[i]->isEnabled()) << i;
    EXPECT_FALSE(w.page().chkEvent->isEnabled());
    EXPECT_FALSE(w.page().chkOutline->isEnabled());
    EXPECT_FALSE(w.window->fraMenu[3]->isHidden());
}

TEST(DataView, TheGraphIsOfferedFromFiveValidSamples) {
    for (const int valid : {4, 5}) {
        SCOPED_TRACE(valid);
        StoredWindow w(trendWithValidReadings(valid));
        // The graph was chosen for the download before.
        w.page().optBrowse[1]->setEnabled(true);
        w.page().optBrowse[1]->setChecked(true);
        w.open(1);
        EXPECT_EQ(w.page().optBrowse[1]->isEnabled(), valid >= 5);
        EXPECT_EQ(w.page().optBrowse[0]->isChecked(), valid < 5);
        if (valid < 5) {
            EXPECT_FALSE(w.page().vfgBrowse->isHidden());
            EXPECT_TRUE(w.page().zvdGraph->isHidden());
        } else {
            EXPECT_GT(w.page().zvdGraph->SampleCount, 0);  // both views filled
        }
        EXPECT_GT(w.page().vfgBrowse->Rows(), 1);
    }
}

TEST(DataView, EventOnlyAndCondensed) {
    StoredWindow w;
    w.open(1);
    const int all = w.page().vfgBrowse->Rows();
    w.page().chkEvent->setChecked(true);
    EXPECT_FALSE(w.page().chkOutline->isEnabled());
    EXPECT_EQ(w.page().vfgBrowse->Rows(), w.window->dataView->records.interval().EventCount() + 1);
    w.page().chkEvent->setChecked(false);
    EXPECT_TRUE(w.page().chkOutline->isEnabled());
    EXPECT_EQ(w.page().vfgBrowse->Rows(), all);
    // The box follows the setting when a trend opens; ticking it reloads under the new one.
    core::OutlineMode = true;
    w.open(1);
    EXPECT_TRUE(w.page().chkOutline->isChecked());
    w.page().chkOutline->setChecked(false);
    EXPECT_FALSE(core::OutlineMode);
    EXPECT_EQ(w.window->fraMenu[3]->title(), "Data View(Interval Trend)");
    // Another kind disables both again.
    w.page().chkEvent->setChecked(true);
    w.open(5);
    EXPECT_FALSE(w.page().chkEvent->isEnabled());
    EXPECT_FALSE(w.page().chkOutline->isEnabled());
}

TEST(DataView, SwitchingViewsFillsOnceAndResynchronisesTheBoxes) {
    StoredWindow w;
    w.page().optBrowse[0]->setChecked(true);
    w.open(1);
    w.page().optBrowse[1]->setChecked(true);  // the user chooses the graph
    EXPECT_TRUE(w.page().vfgBrowse->isHidden());
    EXPECT_FALSE(w.page().zvdGraph->isHidden());
    EXPECT_TRUE(w.window->dataView->BrowseViewRefilled);
    // The user switches gas 3 off, goes to the table and back: the boxes follow the download.
    w.page().chkBrowse[3]->setChecked(false);
    EXPECT_FALSE(w.page().zvdGraph->SampleVisible(3));
    w.page().optBrowse[0]->setChecked(true);
    EXPECT_FALSE(w.page().vfgBrowse->isHidden());
    EXPECT_TRUE(w.page().zvdGraph->isHidden());
    w.page().optBrowse[1]->setChecked(true);
    EXPECT_TRUE(w.page().chkBrowse[3]->isChecked());
    EXPECT_TRUE(w.page().zvdGraph->SampleVisible(3));
    EXPECT_TRUE(w.page().chkBrowse[4]->isHidden());
    EXPECT_FALSE(w.page().chkBrowse[4]->isChecked());
    EXPECT_FALSE(w.page().chkBrowse[5]->isHidden());
    EXPECT_FALSE(w.page().chkBrowse[6]->isHidden());
}

TEST(DataView, AFailingPageIsToldAndComesBack) {
    StoredWindow w;
    w.db().exec("Drop Table Alarm_Event");
    w.rig.dialogs.messages.clear();
    // Through the page's own control, as the user reaches it.
    w.window->dataView->SelectedLogType = 5;
    w.window->dataView->SelectedLogSeqNo = w.seqNoOf(5);
    w.page().chkEvent->setEnabled(true);
    w.page().chkEvent->setChecked(!w.page().chkEvent->isChecked());
    ASSERT_EQ(w.rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(w.rig.dialogs.messages[0].icon, platform::MsgIcon::Critical);
    EXPECT_FALSE(w.window->fraMenu[3]->isHidden());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(DataView, ATrendGraphShowsGasThreeInItsColour) {
    const int32_t red = rt::RGB(255, 0, 0);
    StoredWindow w;
    core::GraphColors[3] = red;
    w.window->resize(1200, 800);
    w.settle();
    w.open(1);
    w.page().optBrowse[1]->setChecked(true);
    w.settle();
    graph::uclZvdGraph& g = *w.page().zvdGraph;
    const QImage picture = g.Picture();
    ASSERT_FALSE(picture.isNull());
    ASSERT_GT(g.SampleCount, 10);
    // The line between two kept samples with readings: it passes through their points.
    int checked = 0;
    for (int k = 1; k < g.SampleCount && checked < 3; ++k) {
        const float v = g.valueY(3, k);
        if (v == graph::GapValue || g.valueY(3, k - 1) == graph::GapValue) continue;
        const QPoint p(static_cast<int>(g.xPos(static_cast<float>(g.Sample[k].seconds)) / 15),
                       static_cast<int>(g.yPos(v, 3) / 15));
        bool found = false;
        for (int dy = -1; dy <= 1 && !found; ++dy)
            for (int dx = -1; dx <= 1 && !found; ++dx)
                found = picture.pixelColor(p + QPoint(dx, dy)) == QColor(255, 0, 0);
        EXPECT_TRUE(found) << "sample " << k;
        ++checked;
    }
    EXPECT_EQ(checked, 3);
    testsupport::savePicture(*w.window, "frmMain-dataview-trendgraph-en");
}

TEST(DataView, Pictures) {
    for (const auto& [language, suffix] :
         {std::pair{platform::StringTable::Language::English, "en"},
          std::pair{platform::StringTable::Language::Japanese, "ja"}}) {
        const testsupport::LanguageScope scope(language);
        StoredWindow w;
        w.window->resize(1200, 800);
        w.open(1);
        w.page().vfgSummary->show();
        w.window->Form_Resize();
        w.settle();
        testsupport::savePicture(*w.window,
                                 QStringLiteral("frmMain-dataview-interval-%1").arg(suffix));
        w.page().optBrowse[1]->setChecked(true);
        w.settle();
        testsupport::savePicture(*w.window,
                                 QStringLiteral("frmMain-dataview-intervalgraph-%1").arg(suffix));
        w.open(5);
        w.settle();
        testsupport::savePicture(*w.window,
                                 QStringLiteral("frmMain-dataview-alarmevents-%1").arg(suffix));
    }
}

// The power events' columns fit the table's inside: no scroll bar sideways, at every size,
// opened at that size or laid out again when the window changes size. (Their last column keeps
// the width the table before gave it.)
TEST(DataView, PowerEventsNeedNoScrollingSideways) {
    using testsupport::sideways;
    using testsupport::WindowSizes;
    for (auto language :
         {platform::StringTable::Language::English, platform::StringTable::Language::Japanese}) {
        const testsupport::LanguageScope scope(language);
        const QString suffix = language == platform::StringTable::Language::English ? "en" : "ja";
        SCOPED_TRACE(suffix.toStdString());
        StoredWindow w;
        const platform::FlexGrid& table = *w.page().vfgBrowse;
        for (const QSize size : WindowSizes) {
            SCOPED_TRACE(size.width());
            w.window->resize(size);
            w.settle();
            w.open(1);
            w.open(7);
            ASSERT_EQ(table.Cols(), 3);
            EXPECT_FALSE(sideways(table).scrollBar);
            EXPECT_GE(sideways(table).room, 0);
        }
        testsupport::savePicture(*w.window, "frmMain-dataview-powerevents-" + suffix);
        for (const QSize size : {WindowSizes[1], WindowSizes[0]}) {
            SCOPED_TRACE(size.width());
            w.window->resize(size);
            w.settle();
            EXPECT_FALSE(sideways(table).scrollBar);
            EXPECT_GE(sideways(table).room, 0);
        }
    }
}
