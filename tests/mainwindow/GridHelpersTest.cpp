#include <gtest/gtest.h>

#include "runtime/Color.h"
#include "runtime/RuntimeError.h"
#include "trendview/GridHelpers.h"

using rt::RGB;
using trendview::FillGridRow;
using trendview::ReadingCodeColor;

TEST(GridHelpers, ReadingCodeColours) {
    const int32_t grey = RGB(128, 128, 128), shadeGrey = RGB(192, 192, 192);
    const struct {
        int32_t code;
        int32_t plain, shaded;
    } cases[] = {
        {-121, 0, 0},
        {-120, grey, grey},
        {-119, 0, 0},
        {-118, 0, 0},
        {-117, RGB(64, 192, 64), RGB(64, 192, 64)},
        {-116, RGB(128, 255, 192), RGB(128, 255, 192)},
        {-115, RGB(255, 64, 64), RGB(255, 64, 64)},
        {-114, RGB(192, 128, 128), RGB(192, 128, 128)},
        {-113, grey, grey},
        {-112, grey, grey},
        {-111, grey, grey},
        {-110, grey, grey},
        {-109, grey, grey},
        {-108, RGB(128, 192, 128), RGB(128, 192, 128)},
        {-107, RGB(255, 64, 64), RGB(255, 64, 64)},
        {-106, RGB(192, 128, 192), RGB(192, 128, 192)},
        {-105, RGB(255, 192, 192), RGB(255, 192, 192)},
        {-104, RGB(255, 0, 0), RGB(255, 0, 0)},
        {-103, RGB(255, 128, 0), RGB(255, 128, 0)},
        {-102, RGB(64, 192, 128), RGB(64, 192, 128)},
        {-101, 0, shadeGrey},
        {-100, 0, 0},
        {-1, 0, 0},
        {0, 0, shadeGrey},
        {5, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadingCodeColor(c.code, 0), c.plain) << c.code;
        EXPECT_EQ(ReadingCodeColor(c.code, 1), c.shaded) << c.code;
        EXPECT_EQ(ReadingCodeColor(c.code, -1), c.shaded) << c.code;  // any non-zero is set
    }
}

TEST(GridHelpers, FillGridRowWritesFromItsColumnAndDropsOrRepeats) {
    struct Case {
        const char* name;
        std::vector<rt::Variant> values;
        int startCol;
        bool fillRest;
        QStringList row;  // the row after, columns 0 to 9
    };
    const QString k = "keep";
    const std::vector<Case> cases = {
        {"three values", {"a", 2, 3.5}, 1, false, {k, "a", "2", "3.5", k, k, k, k, k, k}},
        {"the rest takes the last",
         {"a", 2, 3.5},
         1,
         true,
         {k, "a", "2", "3.5", "3.5", "3.5", "3.5", "3.5", "3.5", "3.5"}},
        {"nothing to write, rest blanked", {}, 1, true, {k, "", "", "", "", "", "", "", "", ""}},
        {"nothing to write, nothing changed", {}, 1, false, {k, k, k, k, k, k, k, k, k, k}},
        {"values beyond the last column are dropped",
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
         1,
         true,
         {k, "0", "1", "2", "3", "4", "5", "6", "7", "8"}},
        {"a start at the column count", {"x"}, 10, true, {k, k, k, k, k, k, k, k, k, k}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform::FlexGrid grid;
        grid.setRows(3);
        grid.setCols(10);
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 10; ++col)
                grid.setTextMatrix(row, col, k);
        FillGridRow(grid, 1, c.startCol, c.fillRest, c.values);
        QStringList row;
        for (int col = 0; col < 10; ++col)
            row << grid.TextMatrix(1, col);
        EXPECT_EQ(row, c.row);
        // The other rows and the counts stay.
        EXPECT_EQ(grid.TextMatrix(0, 5), k);
        EXPECT_EQ(grid.TextMatrix(2, 5), k);
        EXPECT_EQ(grid.Rows(), 3);
        EXPECT_EQ(grid.Cols(), 10);
    }
}

TEST(GridHelpers, FillGridRowRefusesWhatCannotBeWritten) {
    platform::FlexGrid grid;
    grid.setRows(2);
    grid.setCols(4);
    const auto error = [&](const std::function<void()>& call) {
        try {
            call();
        } catch (const rt::RuntimeError& e) {
            return e.number();
        }
        return 0;
    };
    EXPECT_EQ(error([&] { FillGridRow(grid, 5, 0, false, {"a"}); }), rt::ErrSubscript);
    EXPECT_EQ(error([&] { FillGridRow(grid, 1, 0, false, {rt::Variant::null()}); }),
              rt::ErrInvalidNull);
    EXPECT_EQ(error([&] { FillGridRow(grid, 1, 32767, false, {"a", "b"}); }), rt::ErrOverflow);
}
