#include "printer/print_job_geometry.h"

#include <gtest/gtest.h>

namespace qrp {
namespace {

TEST(SheetRect, PlacesThePictureOnTheWholePhysicalSheet)
{
    // A4 layout page, 600 dpi, unprintable offsets of 42 tenths of a millimetre.
    EXPECT_EQ(SheetRect(2100, 2970, 600, 600, 42, 42), Rect(-99, -99, 4861, 6917));
    // No offsets: the sheet starts at the device origin.
    EXPECT_EQ(SheetRect(2100, 2970, 300, 300, 0, 0), Rect(0, 0, 2480, 3508));
    // Each axis takes its own resolution and offset.
    EXPECT_EQ(SheetRect(2159, 2794, 300, 600, 50, 0), Rect(-59, 0, 2491, 6600));
}

TEST(SheetRect, RoundsHalvesToEven)
{
    // At 127 dpi a tenth of a millimetre is half a pixel: 0.5 -> 0, 1.5 -> 2, 4.5 -> 4, 3.5 -> 4.
    EXPECT_EQ(SheetRect(10, 10, 127, 127, 1, 3), Rect(0, -2, 4, 4));
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
}

}  // namespace
}  // namespace qrp
