#include "printer/bin.h"
#include "printer/paper_size.h"

#include <gtest/gtest.h>

#include <cmath>

namespace qrp {
namespace {

using PS = TQRPaperSize;

TEST(PaperCatalogue, CodesAreOrdinalsExceptCustomWhichIsUserDefined)
{
    for (int i = 0; i < kPaperSizeCount - 1; ++i) EXPECT_EQ(PaperCodes[static_cast<std::size_t>(i)], i);
    EXPECT_EQ(PaperCodes[Ord(PS::Custom)], 256);
    EXPECT_EQ(Ord(PS::A3ExtraTrans), 68);
    EXPECT_EQ(sizeof(TQRPaperSize), 1u);
}

TEST(PaperCatalogue, CodesMapBackToTheFirstSizeOrDefault)
{
    EXPECT_EQ(PaperSizeOfCode(256), PS::Custom);
    EXPECT_EQ(PaperSizeOfCode(9), PS::A4);
    EXPECT_EQ(PaperSizeOfCode(0), PS::Default);
    EXPECT_EQ(PaperSizeOfCode(69), PS::Default);
    EXPECT_EQ(PaperSizeOfCode(70), PS::Default);
    EXPECT_EQ(PaperSizeOfCode(118), PS::Default);
    EXPECT_EQ(PaperSizeOfCode(257), PS::Default);
    EXPECT_EQ(PaperSizeOfCode(-1), PS::Default);
    // A search from Letter never answers Default for code 0.
    EXPECT_EQ(PaperSizeOfCode(0, PS::Letter), PS::Default);
    EXPECT_EQ(PaperSizeOfCode(1, PS::Letter), PS::Letter);
}

TEST(PaperCatalogue, TenthsRoundHalvesToEven)
{
    EXPECT_EQ(PaperWidthTenths(PS::Letter), 2159);
    EXPECT_EQ(PaperHeightTenths(PS::Letter), 2794);
    EXPECT_EQ(PaperWidthTenths(PS::A4), 2100);
    EXPECT_EQ(PaperHeightTenths(PS::A4), 2970);
    EXPECT_EQ(PaperWidthTenths(PS::Env9), 984);
    EXPECT_EQ(PaperHeightTenths(PS::Env9), 2254);
    EXPECT_EQ(PaperWidthTenths(PS::EnvPersonal), 920);
    EXPECT_EQ(PaperHeightTenths(PS::EnvPersonal), 1651);
    EXPECT_EQ(PaperWidthTenths(PS::ESheet), 8636);
    EXPECT_EQ(PaperHeightTenths(PS::ESheet), 11176);
}

TEST(PaperCatalogue, MeasuresAreExactHundredthsOfAMillimetre)
{
    EXPECT_EQ(PaperDimensions[0][0], 0);
    EXPECT_EQ(PaperDimensions[0][1], 0);
    // 98.43 mm has no exact binary fraction; held as 9843 it means the same on every platform.
    EXPECT_EQ(PaperDimensions[Ord(PS::Env9)][0], 9843);
    EXPECT_EQ(PaperDimensions[Ord(PS::EnvPersonal)][0], 9201);
    EXPECT_EQ(PaperDimensions[Ord(PS::A3ExtraTrans)][0], 44500);
    EXPECT_EQ(PaperDimensions[Ord(PS::A3ExtraTrans)][1], 32200);
}

TEST(PaperCatalogue, RepeatedAndWideRowsAreAsListed)
{
    const auto same = [](PS a, PS b) {
        return PaperDimensions[Ord(a)][0] == PaperDimensions[Ord(b)][0] &&
               PaperDimensions[Ord(a)][1] == PaperDimensions[Ord(b)][1];
    };
    EXPECT_TRUE(same(PS::Letter, PS::LetterSmall));
    EXPECT_TRUE(same(PS::Letter, PS::Note));
    EXPECT_TRUE(same(PS::Tabloid, PS::qr11X17));
    EXPECT_TRUE(same(PS::A4, PS::A4Small));
    EXPECT_TRUE(same(PS::FanfoldGerLegal, PS::Folio));
    EXPECT_TRUE(same(PS::EnvB4, PS::B4ISO));
    EXPECT_TRUE(same(PS::Reserved1, PS::Reserved2));
    int wide = 0;
    for (int i = 1; i < kPaperDimensionRows; ++i) {
        if (PaperDimensions[static_cast<std::size_t>(i)][0] > PaperDimensions[static_cast<std::size_t>(i)][1]) ++wide;
    }
    EXPECT_EQ(wide, 11);  // Ledger, EnvB6, FanfoldUSStd, qr15X11 and seven Trans rows
    EXPECT_STREQ(PaperSizeName(PS::qr10X14), "qr10X14");
    EXPECT_STREQ(PaperSizeName(PS::Custom), "Custom");
}

TEST(BinCodes, FirstMatchWins)
{
    EXPECT_EQ(BinCodes[Ord(TQRBin::Upper)], 1);
    EXPECT_EQ(BinCodes[Ord(TQRBin::Last)], 14);
    EXPECT_EQ(BinOfCode(1), TQRBin::First);
    EXPECT_EQ(BinOfCode(14), TQRBin::Cassette);
    EXPECT_EQ(BinOfCode(11), TQRBin::LargeCapacity);
    EXPECT_EQ(BinOfCode(15), TQRBin::First);
    EXPECT_EQ(BinOfCode(257), TQRBin::First);
}

}  // namespace
}  // namespace qrp
