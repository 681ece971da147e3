#include "printer/print_job_geometry.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace qrp {
namespace {

TEST(FitOnSheet, AFrameOfTheSheetsShapeCoversTheWholeSheet)
{
    // A4 at 600 dpi, 100 pixels unprintable on the left and top: the sheet starts at -100.
    const TSheet a4{4961, 7016, 100, 100};
    EXPECT_EQ(FitOnSheet(21000, 29700, a4), Rect(-100, -100, 4861, 6916));
    // No frame: stretched over the sheet.
    EXPECT_EQ(FitOnSheet(0, 29700, a4), Rect(-100, -100, 4861, 6916));
    EXPECT_EQ(FitOnSheet(-5, -5, a4), Rect(-100, -100, 4861, 6916));
}

TEST(FitOnSheet, AnotherShapeIsScaledWholeAndCentred)
{
    const TSheet a4{4961, 7016, 0, 0};
    // Square: as wide as the sheet, centred in height.
    EXPECT_EQ(FitOnSheet(15000, 15000, a4), Rect(0, 1027, 4961, 5988));
    // Landscape on a portrait sheet: as wide as the sheet, 210/297 of it high.
    EXPECT_EQ(FitOnSheet(29700, 21000, a4), Rect(0, 1754, 4961, 5262));
    // Very tall: as high as the sheet; each axis keeps its own offset.
    EXPECT_EQ(FitOnSheet(100, 7016, TSheet{4961, 7016, 40, 60}), Rect(2430 - 40, -60, 2530 - 40, 7016 - 60));
    // A side that lands on half a pixel rounds to even, exactly: 3 x 5 / 2 = 7.5 -> 8, and
    // 5 x 3 / 2 = 7.5 the same; 5 x 5 / 2 = 12.5 -> 12.
    EXPECT_EQ(FitOnSheet(2, 5, TSheet{3, 100, 0, 0}).Bottom, 8 + (100 - 8) / 2);
    EXPECT_EQ(FitOnSheet(2, 5, TSheet{5, 100, 0, 0}).Bottom, 12 + (100 - 12) / 2);
    EXPECT_EQ(FitOnSheet(5, 2, TSheet{100, 5, 0, 0}).Right, 12 + (100 - 12) / 2);
    // Frames far beyond the sheet, in any unit, do not overflow.
    EXPECT_EQ(FitOnSheet(INT32_MAX, 1, a4), Rect(0, 3508, 4961, 3508));
}

TEST(SheetOrientationFor, IsTheFramesOwnAndTheJobsForSquares)
{
    using enum TSheetOrientation;
    EXPECT_EQ(SheetOrientationFor(29700, 21000, Portrait), Landscape);
    EXPECT_EQ(SheetOrientationFor(21000, 29700, Landscape), Portrait);
    EXPECT_EQ(SheetOrientationFor(15000, 15000, Landscape), Landscape);
    EXPECT_EQ(SheetOrientationFor(0, 100, Landscape), Landscape);
}

TEST(RangeProgress, IsThePerCentOfTheRangeDone)
{
    EXPECT_EQ(RangeProgress(3, 3, 4), 50);
    EXPECT_EQ(RangeProgress(4, 3, 4), 100);
    EXPECT_EQ(RangeProgress(1, 1, 3), 33);
    EXPECT_EQ(RangeProgress(2, 1, 3), 67);
    EXPECT_EQ(RangeProgress(3, 1, 3), 100);
    EXPECT_EQ(RangeProgress(1, 1, 8), 12);  // 12.5 rounds to even
    EXPECT_EQ(RangeProgress(3, 1, 8), 38);  // 37.5 rounds to even
    EXPECT_EQ(RangeProgress(INT32_MAX, INT32_MIN, INT32_MAX), 100);  // no overflow at the ends
    EXPECT_EQ(RangeProgress(1, 5, 4), 100);                           // an empty range is done
}

}  // namespace
}  // namespace qrp
