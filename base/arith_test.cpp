#include "base/arith.h"
#include "base/clock.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace qrp {
namespace {

TEST(Arith, MulDivRoundsHalvesAwayFromZero)
{
    EXPECT_EQ(MulDiv(5, 1, 2), 3);
    EXPECT_EQ(MulDiv(-5, 1, 2), -3);
    EXPECT_EQ(MulDiv(7, 1, 2), 4);
    EXPECT_EQ(MulDiv(21000, 2540, 96), 555625);
    EXPECT_EQ(MulDiv(100000, 100000, 100000), 100000);  // product beyond 32 bits
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
}

TEST(Arith, RoundHalvesToEvenAndTruncCutsTowardZero)
{
    EXPECT_EQ(Round(0.5L), 0);
    EXPECT_EQ(Round(1.5L), 2);
    EXPECT_EQ(Round(2.5L), 2);
    EXPECT_EQ(Round(-2.5L), -2);
    EXPECT_EQ(Round(2.5000001L), 3);
    EXPECT_EQ(Trunc(2.9L), 2);
    EXPECT_EQ(Trunc(-2.9L), -2);
}

TEST(Arith, RoundDivIsExactWithHalvesToEven)
{
    struct Case { int64_t numerator, denominator, expected; };
    const Case cases[] = {
        {5, 10, 0},   {15, 10, 2},   {25, 10, 2},   {-25, 10, -2}, {-15, 10, -2}, {25, -10, -2},
        {9843, 10, 984}, {9201, 10, 920}, {2159, 10, 216}, {2155, 10, 216}, {2165, 10, 216},
        {251, 100, 3}, {249, 100, 2}, {-251, 100, -3}, {7, 7, 1}, {0, 3, 0},
        // Beyond what a long double of 53 bits holds exactly: 2^60 + 1 halved.
        {(int64_t{1} << 60) + 1, 2, (int64_t{1} << 59)},
        {(int64_t{1} << 60) + 3, 2, (int64_t{1} << 59) + 2},
        {(int64_t{1} << 61) - 1, (int64_t{1} << 61), 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RoundDiv(c.numerator, c.denominator), c.expected) << c.numerator << " / " << c.denominator;
    }
}

}  // namespace
}  // namespace qrp

TEST(LocalWallClock, CountsTheLocalCalendarAsIfItWereUtc)
{
    // Whatever the zone, the local clock is within a day of UTC and keeps whole seconds.
    const std::time_t moments[] = {0, 951782400 /* 29 Feb 2000 */, 4102444800 /* 1 Jan 2100 */};
    for (const std::time_t moment : moments) {
        const int64_t local = qrp::LocalWallClockSeconds(moment);
        EXPECT_LE(std::llabs(local - static_cast<int64_t>(moment)), 26 * 3600) << moment;
    }
    // A year later on the wall (1 Jan 2000 to 1 Jan 2001) is a year later in the count.
    EXPECT_EQ(qrp::LocalWallClockSeconds(946684800 + 86400 * 366) - qrp::LocalWallClockSeconds(946684800), 86400 * 366);
}
