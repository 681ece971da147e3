#include "base/arith.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace qrp
