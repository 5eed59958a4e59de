#include <gtest/gtest.h>

#include "runtime/Format.h"
#include "tests/printing/PrintRig.h"

namespace {

using testsupport::PrintRig;
using testsupport::RecordingSurface;

TEST(PageHeader, TitleKindAndTimeForEveryReportKind) {
    PrintRig rig;
    records::clsAlarm alarm;
    const struct {
        int32_t dataType;
        int sampling;
        const char* suffix;
    } cases[] = {
        {1, 0, " (Interval Trend)"},
        {2, 0, " (Alarm Trend)"},
        {2, 2, " (Interval Trend)"},
        {3, 0, " (Calibration History)"},
        {4, 0, " (Last Calibration)"},
        {5, 0, " (Alarm Event)"},
        {6, 0, " (Trouble Event)"},
        {7, 0, " (Power Event)"},
        {8, 0, " (Sensor History)"},
        {0, 0, ""},
        {9, 0, ""},
    };
    const QString time = rt::GeneralDate(*rt::OleDate::fromCivil(2026, 7, 1, 9, 30, 15));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dataType);
        rig.page.calls.clear();
        alarm.setGasBaseInfo(7, c.sampling);
        rig.form.DataType = c.dataType;
        rig.form.AlarmData = &alarm;
        rig.form.PrintPageHeader(rig.page);
        const auto texts = rig.page.of(RecordingSurface::Call::Text);
        ASSERT_EQ(texts.size(), *c.suffix ? 3u : 2u);
        EXPECT_EQ(texts[0].text, "QM-73 Data Logger");
        EXPECT_EQ(texts[0].from, QPointF(10, 10));
        EXPECT_EQ(texts[0].fontSize, 12);
        EXPECT_TRUE(texts[0].bold);
        EXPECT_EQ(texts[0].fontName, rig.form.font().family());  // the printer takes it
        if (*c.suffix) {
            EXPECT_EQ(texts[1].text, c.suffix);
            EXPECT_EQ(texts[1].from, QPointF(10 + 17 * 100, 10));  // on the title's line
        }
        const auto& t = texts.back();
        EXPECT_EQ(t.text, time);
        EXPECT_EQ(t.fontSize, 9);
        EXPECT_TRUE(t.bold);
        // Its right end 300 twips from the right edge, its top at the title's.
        EXPECT_EQ(t.from, QPointF(11000 - time.size() * 100 - 300, 10));
        EXPECT_EQ(rig.page.CurrentX, 0);
        EXPECT_EQ(rig.page.CurrentY, 10 + 200);
        EXPECT_FALSE(rig.page.FontBold());
        EXPECT_EQ(rig.page.FontSize(), 9);
        EXPECT_EQ(rig.page.ForeColor, 0);
    }
    // On the preview the printer font name is not touched.
    rig.page.printer = false;
    rig.page.setFontName(QStringLiteral("Serif"));
    rig.page.calls.clear();
    rig.form.PrintPageHeader(rig.page);
    EXPECT_EQ(rig.page.FontName(), "Serif");
}

TEST(PrintRow, PlacesEachCellByItsColumnsAlignment) {
    PrintRig rig;
    rig.form.ColumnX = {0, 1000, 3000, 4000, 6000, 7000, 8000, 9000, 10000, 10500, 11000};
    const struct {
        int mode;
        const char* text;
        double x;  // in column 0, 1000 wide; 100 twips a character
    } cases[] = {
        {0, "12345", 0},
        {1, "123", 350},
        {2, "123", 500},            // ends at 80 % of the column
        {3, " 123 ", 300},          // numeric (trimmed): right, by its untrimmed width
        {3, "abc", 350},            // a word: centred
        {4, "-----", 250},          // "---": centred
        {4, "12.5", 300},           // numeric: centred
        {4, "abc", 0},              // a word without "---": left
        {1, "abcdefghijkl", -100},  // wider than its column: starts left of it
        {2, "abcdefghijkl", -400},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.text);
        rig.page.calls.clear();
        rig.page.CurrentY = 500;
        rig.form.ColumnAlign.fill(0);
        rig.form.ColumnAlign[0] = c.mode;
        rig.form.PrintRow(rig.page, {c.text});
        ASSERT_EQ(rig.page.calls.size(), 1u);
        EXPECT_EQ(rig.page.calls[0].from, QPointF(c.x, 500));
        EXPECT_EQ(rig.page.CurrentY, 500 + 1.1 * 200);
    }
    // Cells from column 1 on leave column 0 empty; an empty cell takes its place; a row of one
    // empty cell only moves down.
    rig.page.calls.clear();
    rig.form.ColumnAlign.fill(0);
    rig.form.PrintRow(rig.page, {"a", "", "c"}, 1);
    EXPECT_EQ(rig.page.calls.size(), 2u);
    EXPECT_EQ(rig.page.calls[0].from.x(), 1000);
    EXPECT_EQ(rig.page.calls[1].from.x(), 4000);
    rig.page.calls.clear();
    const double y = rig.page.CurrentY;
    rig.form.PrintRow(rig.page, {QString()});
    EXPECT_TRUE(rig.page.calls.empty());
    EXPECT_DOUBLE_EQ(rig.page.CurrentY, y + 220);
}

TEST(PageBreak, OnlyOnThePrinterPastTheBottomAndNeverAfterTheLastRow) {
    PrintRig rig;
    rig.form.DataType = 5;
    const struct {
        bool printer;
        double y;
        bool last;
        bool breaks;
    } cases[] = {
        {true, 0.95 * 15000, false, false},  // strictly greater
        {true, 0.95 * 15000 + 1, false, true},
        {true, 0.95 * 15000 + 1, true, false},
        {false, 14999, false, false},
    };
    for (const auto& c : cases) {
        rig.page.calls.clear();
        rig.page.printer = c.printer;
        rig.page.CurrentY = c.y;
        EXPECT_EQ(rig.form.BreakPage(rig.page, c.last), c.breaks);
        EXPECT_EQ(!rig.page.of(RecordingSurface::Call::NewPage).empty(), c.breaks);
        if (c.breaks) {
            EXPECT_EQ(rig.page.CurrentY, 0.1 * 11000);  // a tenth of the width
            EXPECT_NE(rig.page.text("QM-73 Data Logger"), nullptr);
        }
    }
}

}  // namespace
