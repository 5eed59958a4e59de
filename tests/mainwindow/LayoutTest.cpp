#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "mainwindow/shell/Layout.h"

using platform::TwipsRect;
using shell::FormResizeLayout;
using shell::LayoutInput;
using shell::LayoutModel;
using shell::LayoutResult;

namespace {

// The design sizes the layout keeps, as the window definition has them, and the sizes these
// tests give the controls whose size the layout reads but never sets.
LayoutModel designModel() {
    LayoutModel m;
    const auto size = [&m](const char* name, int index, double w, double h) {
        m.rect(name, index).width = w;
        m.rect(name, index).height = h;
    };
    size("fraDown", 0, 0, 612);
    size("fraDown", 1, 0, 852);
    for (int i = 0; i < 4; ++i)
        size("shpStatus", i, 200, 200);
    size("lblStatus", 0, 1092, 252);
    for (int i : {1, 8, 9})
        size("lblStatus", i, 852, 252);
    size("lblTitle", 0, 900, 225);
    size("fraLogCenter", -1, 2655, 975);
    size("fraDown3Ceneter", -1, 5055, 975);
    size("picOptionToZevra", -1, 0, 615);
    size("fraInstCeneter", -1, 1800, 1500);
    size("fraOptionCenter0", -1, 2000, 2400);
    size("fraOptionCenter1", -1, 4000, 2000);
    for (int i = 0; i < 4; ++i)
        size("cmdOption", i, 1200, 375);
    for (int i = 0; i < 3; ++i)
        size("optHistory", i, 1500, 255);
    size("optBrowse", 0, 900, 255);
    size("optBrowse", 1, 900, 255);
    size("chkEvent", -1, 1400, 255);
    size("chkOutline", -1, 1400, 255);
    for (int i = 0; i < 7; ++i)
        size("chkBrowse", i, 1500, 255);
    size("lblTitle", 1, 600, 255);
    size("cmbBrowse", -1, 1800, 315);
    return m;
}

// A model showing page `page` only.
LayoutModel pageModel(int page) {
    LayoutModel m = designModel();
    for (int i = 0; i < 6; ++i)
        m.setVisible("fraMenu", i, i == page);
    return m;
}

// A window whose page frames are `pageWidth` by `pageHeight`: the inner width less the menu
// column (12 %) less 240, and the inner height less 180.
LayoutInput windowFor(double pageWidth, double pageHeight, const QString& language = "EN") {
    LayoutInput in;
    in.innerWidth = (pageWidth + 240) / 0.88;
    in.innerHeight = pageHeight + 180;
    // The outer size at or above the minimum, so that nothing is corrected.
    in.outerWidth = std::max(in.innerWidth + 120, shell::MinimumOuterWidth);
    in.outerHeight = std::max(in.innerHeight + 600, shell::MinimumOuterHeight);
    in.language = language;
    return in;
}

// A window of the given inner size (outer size comfortably above the minimum).
LayoutInput window(double innerWidth, double innerHeight, const QString& language = "EN") {
    LayoutInput in;
    in.innerWidth = innerWidth;
    in.innerHeight = innerHeight;
    in.outerWidth = std::max(innerWidth + 120, shell::MinimumOuterWidth);
    in.outerHeight = std::max(innerHeight + 600, shell::MinimumOuterHeight);
    in.language = language;
    return in;
}

void expectRect(const LayoutModel& m, const char* name, int index, TwipsRect expected) {
    const TwipsRect r = m.rect(name, index);
    const QString what = shell::ControlKey{name, index}.text();
    EXPECT_NEAR(r.left, expected.left, 1e-6) << what.toStdString();
    EXPECT_NEAR(r.top, expected.top, 1e-6) << what.toStdString();
    EXPECT_NEAR(r.width, expected.width, 1e-6) << what.toStdString();
    EXPECT_NEAR(r.height, expected.height, 1e-6) << what.toStdString();
}

std::map<int, double> widths(std::initializer_list<std::pair<const int, double>> list) {
    return std::map<int, double>(list);
}

}  // namespace

// ---- entry, page frames and the menu column ---------------------------------------------------

TEST(Layout, MinimisedWindowMovesNothing) {
    LayoutModel m = pageModel(0);
    m.rect("fraMenu", 0) = {1, 2, 3, 4};
    LayoutInput in = window(5000, 4000);
    in.outerWidth = 100;
    in.minimised = true;
    const LayoutResult r = FormResizeLayout(in, m);
    EXPECT_FALSE(r.ran);
    EXPECT_EQ(r.outerWidth, 100);
    expectRect(m, "fraMenu", 0, {1, 2, 3, 4});
    EXPECT_TRUE(r.visibilityChanges.empty());
}

TEST(Layout, OuterSizeIsCorrectedToTheMinimumAndTheClientAreaGrowsWithIt) {
    const struct {
        double outerWidth, outerHeight, width, height;
    } cases[] = {{10000, 9000, 11640, 9000},
                 {12000, 5000, 12000, 8250},
                 {11640, 8250, 11640, 8250},
                 {9000, 6000, 11640, 8250}};
    for (const auto& c : cases) {
        LayoutModel m = pageModel(-1);
        LayoutInput in;
        in.outerWidth = c.outerWidth;
        in.outerHeight = c.outerHeight;
        in.innerWidth = c.outerWidth - 120;
        in.innerHeight = c.outerHeight - 600;
        const LayoutResult r = FormResizeLayout(in, m);
        EXPECT_EQ(r.outerWidth, c.width) << c.outerWidth;
        EXPECT_EQ(r.outerHeight, c.height) << c.outerHeight;
        const double inner = c.width - 120;
        EXPECT_NEAR(m.rect("fraMenu", 5).width, inner - inner * 0.12 - 240, 1e-9);
        EXPECT_NEAR(m.rect("fraMenu", 5).height, c.height - 600 - 180, 1e-9);
    }
}

TEST(Layout, FramesAndMenuArePlacedEvenWithNoVisiblePage) {
    for (const double innerHeight : {8400.0, 12000.0}) {
        LayoutModel m = pageModel(-1);
        const LayoutResult r = FormResizeLayout(window(12500, innerHeight), m);
        EXPECT_TRUE(r.ran);
        EXPECT_EQ(r.page, -1);
        for (int i = 0; i < 6; ++i)
            expectRect(m, "fraMenu", i, {0, 120, 12500 - 1500 - 240, innerHeight - 180});
        const double h = (innerHeight - 840) / 6;
        for (int k = 0; k < 6; ++k)
            expectRect(m, "cmdInst", k, {12500 - 1500 - 120, 180 + k * (h + 120), 1500, h});
        // The column ends 60 above the bottom of the client area.
        EXPECT_NEAR(m.rect("cmdInst", 5).bottom(), innerHeight - 60, 1e-9);
        EXPECT_TRUE(r.visibilityChanges.empty());
    }
}

TEST(Layout, OnlyTheFirstVisiblePageIsLaidOut) {
    LayoutModel m = pageModel(2);
    m.setVisible("fraMenu", 4, true);
    m.rect("vfgHistory") = {1, 2, 3, 4};
    EXPECT_EQ(FormResizeLayout(window(12500, 8400), m).page, 2);
    expectRect(m, "vfgHistory", -1, {1, 2, 3, 4});
    EXPECT_GT(m.rect("tvwLog").width, 0);
}

// ---- instrument information -------------------------------------------------------------------

TEST(Layout, InstrumentPagePlacesItsFrameAndGrids) {
    LayoutModel m = pageModel(1);
    FormResizeLayout(windowFor(9000, 6000), m);
    expectRect(m, "fraInst", -1, {120, 240, 2250, 2700});
    expectRect(m, "fraInstCeneter", -1, {2250 / 2.0 - 900, 2700 / 2.0 - 750, 1800, 1500});
    expectRect(m, "vfgInst", -1, {2490, 360, 6390, 2580});
    expectRect(m, "vfgInstSensor", -1, {120, 3060, 8760, 2700});

    // A second size: everything follows.
    FormResizeLayout(windowFor(12000, 8000), m);
    expectRect(m, "fraInst", -1, {120, 240, 3000, 3600});
    expectRect(m, "vfgInstSensor", -1, {120, 3960, 11760, 3800});
}

TEST(Layout, InstrumentGridColumnsFollowCountAndLanguage) {
    const struct {
        int cols;
        const char* language;
        std::vector<double> shares;  // columns set, from column 0
    } cases[] = {{5, "EN", {0.19, 0.25, 0.12, 0.12}},
                 {6, "EN", {0.19, 0.25, 0.12, 0.12, 0.12}},
                 {5, "JP", {0.19, 0.25, 0.12, 0.12}},
                 {6, "JP", {0.19, 0.25, 0.12, 0.12, 0.12}},
                 {4, "EN", {}},
                 {7, "EN", {}},
                 {5, "XX", {}},
                 {6, "en", {}}};
    for (const auto& c : cases) {
        LayoutModel m = pageModel(1);
        m.setCols("vfgInst", c.cols);
        const LayoutResult r = FormResizeLayout(windowFor(9000, 6000, c.language), m);
        const double g = m.rect("vfgInst").width;
        std::map<int, double> expected;
        for (size_t i = 0; i < c.shares.size(); ++i)
            expected[static_cast<int>(i)] = std::nearbyint(g * c.shares[i]);
        EXPECT_EQ(m.columnWidths("vfgInst"), expected) << c.cols << c.language;
        EXPECT_EQ(r.columnWidths.count("vfgInst"), expected.empty() ? 0u : 1u);
    }
}

TEST(Layout, SensorGridGivesItsLastColumn100) {
    // Inner width 12500: the menu is 1500, the page 10760, the grid 10520.
    const struct {
        int cols;
        std::map<int, double> widths;
    } cases[] = {
        // 0.75 * 10520 / 4 = 1972.5: an exact half, rounded to the even 1972.
        {5, widths({{0, 2630}, {1, 1972}, {2, 1972}, {3, 1972}, {4, 100}})},
        {2, widths({{0, 2630}, {1, 100}})},
        {1, widths({{0, 100}})},
        {0, {}},
    };
    for (const auto& c : cases) {
        for (const char* language : {"EN", "JP", "XX"}) {
            LayoutModel m = pageModel(1);
            m.setCols("vfgInstSensor", c.cols);
            FormResizeLayout(window(12500, 8400, language), m);
            ASSERT_EQ(m.rect("vfgInstSensor").width, 10520);
            EXPECT_EQ(m.columnWidths("vfgInstSensor"), c.widths) << c.cols << language;
        }
    }
    // Another exact half: grid 10476, three columns, 0.75 * 10476 / 2 = 3928.5 gives 3928.
    LayoutModel m = pageModel(1);
    m.setCols("vfgInstSensor", 3);
    FormResizeLayout(window(12450, 8400), m);
    ASSERT_EQ(m.rect("vfgInstSensor").width, 10476);
    EXPECT_EQ(m.columnWidths("vfgInstSensor"), widths({{0, 2619}, {1, 3928}, {2, 100}}));
}

// ---- last calibration ---------------------------------------------------------------------------

TEST(Layout, CalibrationHistoryPage) {
    for (const double innerWidth : {12500.0, 15000.0}) {
        LayoutModel m = pageModel(4);
        m.setCols("vfgHistory", 6);
        FormResizeLayout(window(innerWidth, 8400), m);
        const double pw = innerWidth * 0.88 - 240, ph = 8400 - 180;
        const double w = pw / 4;
        expectRect(m, "optHistory", 0, {60, 240, w, 255});
        expectRect(m, "optHistory", 1, {60 + w + 120, 240, w, 255});
        expectRect(m, "optHistory", 2, {60 + 2 * (w + 120), 240, w, 255});
        const double g = pw - 120;
        expectRect(m, "vfgHistory", -1, {60, 555, g, ph - 255 - 240 - 120});
        // The print button ends at the right edge of the list.
        expectRect(m, "cmdLastCal", -1, {60 + g - g * 0.142, 240, g * 0.142, 255});
        std::map<int, double> expected = {{0, std::nearbyint(g * 0.06)}};
        for (int c = 1; c <= 5; ++c)
            expected[c] = std::nearbyint(g * 0.94 / 5);
        EXPECT_EQ(m.columnWidths("vfgHistory"), expected);
    }
    // The example of a list 10000 wide, six columns: 600 and 1880.
    LayoutModel m = pageModel(4);
    m.setCols("vfgHistory", 6);
    FormResizeLayout(windowFor(10120, 6000), m);
    ASSERT_NEAR(m.rect("vfgHistory").width, 10000, 1e-9);
    EXPECT_EQ(m.columnWidths("vfgHistory"),
              widths({{0, 600}, {1, 1880}, {2, 1880}, {3, 1880}, {4, 1880}, {5, 1880}}));
}

// ---- settings ---------------------------------------------------------------------------------

TEST(Layout, SettingsPageInTheSettingsView) {
    LayoutModel m = pageModel(5);
    m.setVisible("fraOption", 1, true);
    FormResizeLayout(windowFor(9000, 6000), m);
    expectRect(m, "fraOption", 0, {120, 240, 2700, 4200});
    expectRect(m, "fraOptionCenter0", -1, {350, 900, 2000, 2400});
    const double w1 = 9000 - 120 - 2700 - 360, h1 = 4200 - 375 - 120;
    expectRect(m, "fraOption", 1, {2940, 240, w1, h1});
    const double bw = w1 / 4.2;
    for (int i = 0; i < 4; ++i)
        expectRect(m, "cmdOption", i, {2940 + i * (bw + 120), 240 + h1 + 120, bw, 375});
    // The row of buttons ends level with the bottom of the first frame.
    EXPECT_NEAR(m.rect("cmdOption", 0).bottom(), m.rect("fraOption", 0).bottom(), 1e-9);
    expectRect(m, "fraOptionCenter1", -1, {w1 / 2 - 2000, h1 / 2 - 1000, 4000, 2000});
    expectRect(m, "vfgOption", -1, {120, 4560, 8760, 6000 - 4440 - 360});
}

TEST(Layout, SettingsPageInTheCalibrationViewKeepsTheSettingsFrame) {
    LayoutModel m = pageModel(5);
    m.setCols("vfgCal", 3);
    m.rect("fraOption", 1) = {11, 12, 13, 14};
    m.rect("cmdOption", 2) = {21, 22, 23, 375};
    m.setVisible("fraOption", 1, false);
    FormResizeLayout(windowFor(9000, 6000), m);
    expectRect(m, "fraOption", 1, {11, 12, 13, 14});
    expectRect(m, "cmdOption", 2, {21, 22, 23, 375});
    const double w2 = 9000 - 120 - 2700 - 360;
    expectRect(m, "fraOption", 2, {2940, 240, w2, 4200});
    const double gw = w2 - 240, gh = 4200 * 0.7;
    expectRect(m, "vfgCal", -1, {120, 240, gw, gh});
    const double top = 240 + gh + 120, bw = gw * 0.31, bh = 4200 - 240 - gh - 240;
    expectRect(m, "cmdCal", 0, {120, top, bw, bh});
    expectRect(m, "cmdCal", 1, {gw - gw * 0.666, top, bw, bh});
    expectRect(m, "cmdCal", 2, {gw - gw * 0.333 - 120, top, bw, bh});
    const double c = std::nearbyint(gw * 0.3);
    EXPECT_EQ(m.columnWidths("vfgCal"), widths({{0, c}, {1, c}, {2, c}}));
}

TEST(Layout, SettingsGridColumnsFollowTheLanguage) {
    const struct {
        const char* language;
        int cols;
        std::map<int, double> widths;
    } cases[] = {
        {"JP", 6, widths({{0, 1300}, {1, 1740}, {2, 1740}, {3, 1740}, {4, 1740}, {5, 100}})},
        {"EN", 6, widths({{0, 1500}, {1, 1700}, {2, 1700}, {3, 1700}, {4, 1700}, {5, 100}})},
        {"EN", 2, widths({{0, 1500}, {1, 100}})},
        {"XX", 6, {}},
    };
    for (const auto& c : cases) {
        for (const bool settingsView : {true, false}) {
            LayoutModel m = pageModel(5);
            m.setVisible("fraOption", 1, settingsView);
            m.setCols("vfgOption", c.cols);
            FormResizeLayout(windowFor(10240, 6000, c.language), m);
            ASSERT_NEAR(m.rect("vfgOption").width, 10000, 1e-9);
            EXPECT_EQ(m.columnWidths("vfgOption"), c.widths) << c.language << c.cols;
        }
    }
}

// ---- data view --------------------------------------------------------------------------------

namespace {

struct DataView {
    bool table, graph, summary;
};

LayoutResult layOutDataPage(LayoutModel& m, DataView v, double pw = 9000, double ph = 6000) {
    m.setVisible("vfgSummary", -1, v.summary);
    m.rect("optBrowse", 0).top = 240;
    LayoutInput in = windowFor(pw, ph);
    in.tableView = v.table;
    in.graphView = v.graph;
    return FormResizeLayout(in, m);
}

}  // namespace

TEST(Layout, DataPageShowsWhatItsViewNeeds) {
    const struct {
        DataView view;
        bool browse, graph, graphControls, tableControls;
    } cases[] = {{{true, false, false}, true, false, false, true},
                 {{false, true, false}, false, true, true, false},
                 {{false, false, false}, false, false, false, false},
                 {{true, false, true}, true, false, false, true}};
    for (const auto& c : cases) {
        LayoutModel m = pageModel(3);
        for (int i = 0; i < 7; ++i)
            m.setVisible("chkBrowse", i, i % 2 == 0);  // as the graph filler left them
        const LayoutResult r = layOutDataPage(m, c.view);
        EXPECT_EQ(m.visible("vfgBrowse"), c.browse);
        EXPECT_EQ(m.visible("zvdGraph"), c.graph);
        EXPECT_EQ(m.visible("lblTitle", 1), c.graphControls);
        EXPECT_EQ(m.visible("cmbBrowse"), c.graphControls);
        EXPECT_EQ(m.visible("chkEvent"), c.tableControls);
        EXPECT_EQ(m.visible("chkOutline"), c.tableControls);
        for (int i = 0; i < 7; ++i) {
            // In the graph view the boxes keep what the graph gave them; otherwise all hide.
            EXPECT_EQ(m.visible("chkBrowse", i), c.view.graph && i % 2 == 0) << i;
            EXPECT_EQ(r.visibilityChanges.count({"chkBrowse", i}), c.view.graph ? 0u : 1u);
        }
        // Table and graph are placed whichever view is chosen.
        EXPECT_GT(m.rect("vfgBrowse").width, 0);
        EXPECT_GT(m.rect("zvdGraph").width, 0);
    }
}

TEST(Layout, DataPageGridsAndGraphWithAndWithoutTheSummary) {
    LayoutModel m = pageModel(3);
    layOutDataPage(m, {true, false, false});
    expectRect(m, "vfgBrowse", -1, {120, 615, 8760, 5265});
    expectRect(m, "zvdGraph", -1, {120, 615, 8760, 4585});

    layOutDataPage(m, {true, false, true});
    expectRect(m, "vfgSummary", -1, {120, 615, 8760, 1800});
    expectRect(m, "vfgBrowse", -1, {120, 2535, 8760, 3345});
    expectRect(m, "zvdGraph", -1, {120, 2535, 8760, 2665});

    // The top row and the buttons right-aligned to the table.
    expectRect(m, "optBrowse", 1, {1140, 240, 900, 255});
    expectRect(m, "chkEvent", -1, {2160, 240, 1400, 255});
    expectRect(m, "chkOutline", -1, {3680, 240, 1400, 255});
    const double w = 8760 * 0.12;
    expectRect(m, "cmdBrowse", 4, {120 + 8760 - w, 240, w, 255});
    expectRect(m, "cmdBrowse", 3, {120 + 8760 - 2 * w - 240, 240, w, 255});
    expectRect(m, "cmdBrowse", 2, {120 + 8760 - 3 * w - 240, 240, w, 255});
    expectRect(m, "cmdBrowse", 0, {120 + 8760 - 4 * w - 240, 240, w, 255});
}

TEST(Layout, GraphControlsStandInTwoRowsUnderTheGraph) {
    LayoutModel m = pageModel(3);
    layOutDataPage(m, {false, true, false}, 8000, 6000);
    const double row1 = m.rect("zvdGraph").bottom() + 120, row2 = row1 + 255;
    expectRect(m, "chkBrowse", 0, {120, row1, 1500, 255});
    expectRect(m, "chkBrowse", 1, {2000, row1, 1500, 255});
    expectRect(m, "chkBrowse", 2, {4000, row1, 1500, 255});
    expectRect(m, "chkBrowse", 3, {6000, row1, 1500, 255});
    expectRect(m, "lblTitle", 1, {120, row2, 600, 255});
    expectRect(m, "cmbBrowse", -1, {960, row2, 1800, 315});
    expectRect(m, "chkBrowse", 4, {2000, row2, 1500, 255});
    expectRect(m, "chkBrowse", 5, {4000, row2, 1500, 255});
    expectRect(m, "chkBrowse", 6, {6000, row2, 1500, 255});
}

TEST(Layout, DataTableColumnsForEveryCount) {
    const std::map<int, std::vector<double>> shares = {
        {2, {0.29}},
        {3, {0.29, 0.71 / 2}},
        {4, {0.07, 0.22, 0.71 / 2}},
        {5, {0.1, 0.3, 0.2, 0.2}},
        {6, {0.1, 0.3, 0.13, 0.13, 0.13}},
        {7, {0.07, 0.22, 0.14, 0.14, 0.14, 0.14}},
        {8, {0.07, 0.19, 0.08, 0.14, 0.14, 0.14, 0.14}}};
    for (int cols = 0; cols <= 9; ++cols) {
        for (const DataView view : {DataView{true, false, false}, DataView{false, true, false}}) {
            LayoutModel m = pageModel(3);
            m.setCols("vfgBrowse", cols);
            layOutDataPage(m, view, 10240, 6000);
            ASSERT_NEAR(m.rect("vfgBrowse").width, 10000, 1e-9);
            std::map<int, double> expected;
            if (const auto it = shares.find(cols); it != shares.end())
                for (size_t c = 0; c < it->second.size(); ++c)
                    expected[static_cast<int>(c)] = std::nearbyint(10000 * it->second[c]);
            EXPECT_EQ(m.columnWidths("vfgBrowse"), expected) << cols;
        }
    }
    // The example: five columns of a table 10000 wide.
    LayoutModel m = pageModel(3);
    m.setCols("vfgBrowse", 5);
    layOutDataPage(m, {true, false, false}, 10240, 6000);
    EXPECT_EQ(m.columnWidths("vfgBrowse"), widths({{0, 1000}, {1, 3000}, {2, 2000}, {3, 2000}}));
}

// The shares are of the grid's inside: its width less its border and a vertical scroll bar.
TEST(Layout, ColumnSharesAreOfTheGridsInside) {
    LayoutModel m = pageModel(3);
    m.setCols("vfgBrowse", 3);
    m.setInsideMargin("vfgBrowse", 30);
    layOutDataPage(m, {true, false, false}, 10240, 6000);
    EXPECT_EQ(m.columnWidths("vfgBrowse"), widths({{0, 2891}, {1, 3539}}));  // of 9970

    LayoutModel h = pageModel(4);
    h.setCols("vfgHistory", 6);
    h.setInsideMargin("vfgHistory", 255);
    FormResizeLayout(windowFor(10120, 6000), h);
    ASSERT_NEAR(h.rect("vfgHistory").width, 10000, 1e-9);
    EXPECT_EQ(h.columnWidths("vfgHistory"),
              widths({{0, 585}, {1, 1832}, {2, 1832}, {3, 1832}, {4, 1832}, {5, 1832}}));
}

TEST(Layout, SummaryColumnsOnlyWhenTheSummaryShows) {
    for (const bool summary : {true, false}) {
        LayoutModel m = pageModel(3);
        m.setCols("vfgSummary", 4);
        layOutDataPage(m, {true, false, summary}, 7240, 6000);
        ASSERT_NEAR(m.rect("vfgBrowse").width, 7000, 1e-9);
        const std::map<int, double> expected =
            summary ? widths({{0, 2030}, {1, 980}, {2, 980}}) : std::map<int, double>{};
        EXPECT_EQ(m.columnWidths("vfgSummary"), expected);
    }
}

// ---- library ----------------------------------------------------------------------------------

TEST(Layout, LibraryPagePlacesTreeListGridAndButton) {
    for (const double innerHeight : {8400.0, 10400.0}) {
        LayoutModel m = pageModel(2);
        FormResizeLayout(window(12500, innerHeight), m);
        const double pw = 10760, ph = innerHeight - 180;
        const double tw = 0.35 * pw, th = 0.75 * ph;
        expectRect(m, "tvwLog", -1, {120, 240, tw, th});
        const double fh = ph - 240 - th - 120;
        expectRect(m, "fraLog", -1, {120, 240 + th, tw, fh});
        expectRect(m, "fraLogCenter", -1, {tw / 2 - 2655 / 2.0, fh / 2 - 975 / 2.0, 2655, 975});
        const double lw = pw - 120 - tw - 240;
        expectRect(m, "lvwLog", -1, {tw + 240, 240, lw, 0.42 * ph});
        expectRect(m, "vfgLog", -1, {tw + 240, 0.42 * ph + 360, lw, 0.42 * ph});
        const double gb = 0.84 * ph + 360;
        expectRect(m, "cmdDetail", -1,
                   {0.24 * lw + 120 + tw + 180, gb + 240, 0.48 * lw, ph - gb - 480});
    }
}

TEST(Layout, LibraryGridColumnsForEveryCountAndLanguage) {
    // Inner width 12500: the grid is 6634 wide. 0.25 * 6634 = 1658.5, an exact half: 1658.
    const double w = 6634;
    const struct {
        int cols;
        const char* language;
        std::map<int, double> widths;
    } cases[] = {
        {0, "EN", {}},
        {1, "EN", {}},
        {2, "EN", widths({{0, std::nearbyint(0.3 * w)}})},
        {3, "JP", widths({{0, std::nearbyint(0.3 * w)}, {1, std::nearbyint(0.7 * w / 2)}})},
        {4, "EN",
         widths({{0, std::nearbyint(0.3 * w)},
                 {1, std::nearbyint(0.7 * w / 3)},
                 {2, std::nearbyint(0.7 * w / 3)}})},
        {5, "EN", widths({{0, 1658}, {1, 1161}, {2, 1161}, {3, 1161}})},
        {5, "JP", widths({{0, 1327}, {1, 1327}, {2, 1327}, {3, 1327}})},
        {5, "en", widths({{0, 1327}, {1, 1327}, {2, 1327}, {3, 1327}})},
        {6, "EN", {}},
    };
    for (const auto& c : cases) {
        LayoutModel m = pageModel(2);
        m.setCols("vfgLog", c.cols);
        FormResizeLayout(window(12500, 8400, c.language), m);
        ASSERT_NEAR(m.rect("vfgLog").width, w, 1e-6);
        EXPECT_EQ(m.columnWidths("vfgLog"), c.widths) << c.cols << c.language;
    }
}

// ---- download ---------------------------------------------------------------------------------

TEST(Layout, DownloadPageColumnsAndStatusRow) {
    LayoutModel m = pageModel(0);
    FormResizeLayout(window(12500, 8400), m);
    const double pw = 10760, ph = 8220;
    expectRect(m, "fraDown", 0, {120, 240, 0.6 * pw, 612});
    const double fw = 0.6 * pw;
    const double lamps[] = {120, fw / 4, fw / 2, fw * 3 / 4};
    const int labels[] = {0, 1, 8, 9};
    for (int i = 0; i < 4; ++i) {
        expectRect(m, "shpStatus", i, {lamps[i], 240, 200, 200});
        EXPECT_NEAR(m.rect("lblStatus", labels[i]).left, lamps[i] + 260, 1e-9);
        EXPECT_NEAR(m.rect("lblStatus", labels[i]).top, 240, 1e-9);
    }
    expectRect(m, "lblTitle", 0, {120, 912, 900, 225});
    const double logTop = 912 + 225 + 120;
    expectRect(m, "rtbLog", -1, {120, logTop, 0.6 * pw, 0.55 * ph});
    const double logBottom = logTop + 0.55 * ph;
    expectRect(m, "fraDown", 3, {120, logBottom + 120, 0.6 * pw, ph - logBottom - 240});
    const double right = 120 + 0.6 * pw + 60, rw = pw - 0.6 * pw - 240;
    expectRect(m, "fraDown", 1, {right, 240, rw, 852});
    expectRect(m, "chkAutoLoad", 0, {120, 240, rw - 240, 852 / 5.0});
    expectRect(m, "chkAutoLoad", 1, {120, 240 + 852 / 5.0 + 60, rw - 240, 852 / 5.0});
    expectRect(m, "fraDown", 2, {right, 1092, rw, ph - 1092 - 120});
    const TwipsRect f3 = m.rect("fraDown", 3);
    expectRect(m, "fraDown3Ceneter", -1,
               {f3.width / 2 - 5055 / 2.0, f3.height / 2 - 975 / 2.0 - 240, 5055, 975});
}

TEST(Layout, DownloadButtonsStackWithAndWithoutSwitchR) {
    const struct {
        bool switchR;
        std::vector<int> stack;
        double divisor, taken;
    } cases[] = {{false, {0, 1, 2, 3, 4, 5, 7, 8}, 9, 900},
                 {true, {0, 1, 2, 3, 4, 5, 6, 7, 8, 10}, 11, 1080}};
    for (const auto& c : cases) {
        for (const double innerHeight : {8400.0, 11000.0}) {
            LayoutModel m = pageModel(0);
            m.rect("cmdDown", 9) = {5, 6, 7, 8};
            m.rect("picOptionToZevra") = {1, 2, 3, 615};
            LayoutInput in = window(12500, innerHeight);
            in.switchR = c.switchR;
            const LayoutResult r = FormResizeLayout(in, m);
            const TwipsRect f2 = m.rect("fraDown", 2);
            const double h = (f2.height - c.taken) / c.divisor;
            for (size_t k = 0; k < c.stack.size(); ++k)
                expectRect(m, "cmdDown", c.stack[k], {120, 240 + k * (h + 120), f2.width - 240, h});
            EXPECT_EQ(m.visible("cmdDown", 6), c.switchR);
            EXPECT_EQ(m.visible("cmdDown", 10), c.switchR);
            EXPECT_FALSE(m.visible("cmdDown", 9));
            EXPECT_EQ(r.visibilityChanges.count({"cmdDown", 9}), 1u);
            expectRect(m, "cmdDown", 9, {5, 6, 7, 8});  // hidden and never placed
            EXPECT_EQ(m.visible("picOptionToZevra"), c.switchR);
            if (c.switchR) {
                const TwipsRect centre = m.rect("fraDown3Ceneter");
                expectRect(m, "picOptionToZevra", -1,
                           {centre.left, centre.bottom(), centre.width, 615});
            } else {
                expectRect(m, "picOptionToZevra", -1, {1, 2, 3, 615});
            }
        }
    }
}

TEST(Layout, SizesBelowZeroStayInTheModel) {
    // A client area far smaller than the window's minimum allows: the rules give negative
    // sizes, which the model keeps (the window applies them as 0).
    LayoutModel m = pageModel(2);
    LayoutInput in = window(600, 300);
    in.outerWidth = 12000;
    in.outerHeight = 9000;
    FormResizeLayout(in, m);
    EXPECT_NEAR(m.rect("fraLog").height, 120 - 240 - 90 - 120, 1e-9);
    EXPECT_LT(m.rect("cmdDetail").height, 0);
}
