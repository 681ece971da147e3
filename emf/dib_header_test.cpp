#include "emf/dib_header.h"

#include "emf/emf_writer.h"
#include "emf/wmf/wmf_dib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace qrp::emf {
namespace {

using namespace gdi;

// A BITMAPINFOHEADER of the given size (40 and up), zero-filled past its first 36 bytes.
std::vector<uint8_t> InfoHeader(uint32_t size, int32_t width, int32_t height, uint16_t bitCount,
                                uint32_t compression = BI_RGB, uint32_t colorsUsed = 0)
{
    std::vector<uint8_t> v = Payload().U32(size).I32(width).I32(height).U16(1).U16(bitCount).U32(compression)
                                 .U32(0).U32(0).U32(0).U32(colorsUsed).Bytes();
    v.resize(size, 0);
    return v;
}

std::vector<uint8_t> CoreHeader(uint16_t width, uint16_t height, uint16_t bitCount)
{
    return Payload().U32(12).U16(width).U16(height).U16(1).U16(bitCount).Bytes();
}

TEST(DibHeader, KnownHeaderSizesAreReadOthersAndShortOnesRefused)
{
    for (const uint32_t size : {40u, 52u, 56u, 108u, 124u}) {
        const auto info = ParseDibInfo(InfoHeader(size, 3, -2, 24));
        ASSERT_TRUE(info) << size;
        EXPECT_EQ(info->headerSize, size);
        EXPECT_EQ(info->width, 3);
        EXPECT_EQ(info->height, 2);
        EXPECT_TRUE(info->topDown);
        EXPECT_EQ(info->bitCount, 24);
    }
    const auto c = ParseDibInfo(CoreHeader(5, 7, 8));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->width, 5);
    EXPECT_EQ(c->height, 7);
    EXPECT_FALSE(c->topDown);

    std::string why;
    for (const uint8_t size : {0, 16, 39, 41, 64, 125}) {
        auto odd = InfoHeader(124, 1, 1, 1);
        odd[0] = size;
        EXPECT_FALSE(ParseDibInfo(odd, &why)) << int{size};
    }
    EXPECT_FALSE(ParseDibInfo(Bytes(InfoHeader(108, 1, 1, 1)).first(60), &why));
    EXPECT_NE(why.find("108"), std::string::npos);
    EXPECT_FALSE(ParseDibInfo(InfoHeader(40, 1, INT32_MIN, 1)));
}

TEST(DibHeader, TheColourTableFollowsTheUsageTheBitCountAndTheMasks)
{
    const struct {
        const char* what;
        std::vector<uint8_t> header;
        uint32_t usage;
        size_t tableOffset, entrySize;
        uint32_t entries;
    } cases[] = {
        {"8-bit, full table", InfoHeader(40, 1, 1, 8), DIB_RGB_COLORS, 40, 4, 256},
        {"4-bit, fewer colours used", InfoHeader(40, 1, 1, 4, BI_RGB, 3), DIB_RGB_COLORS, 40, 4, 3},
        {"1-bit, more colours than it indexes", InfoHeader(40, 1, 1, 1, BI_RGB, 9), DIB_RGB_COLORS, 40, 4, 2},
        {"palette indices", InfoHeader(40, 1, 1, 8), DIB_PAL_COLORS, 40, 2, 256},
        {"no table at all", InfoHeader(40, 1, 1, 8), DIB_PAL_INDICES, 40, 4, 0},
        {"24-bit with an optimising table", InfoHeader(40, 1, 1, 24, BI_RGB, 1000), DIB_RGB_COLORS, 40, 4, 256},
        {"bit fields after a 40-byte header", InfoHeader(40, 1, 1, 16, BI_BITFIELDS), DIB_RGB_COLORS, 52, 4, 0},
        {"alpha bit fields after a 40-byte header", InfoHeader(40, 1, 1, 32, BI_ALPHABITFIELDS), DIB_RGB_COLORS,
         56, 4, 0},
        {"bit fields inside a V4 header", InfoHeader(108, 1, 1, 16, BI_BITFIELDS), DIB_RGB_COLORS, 108, 4, 0},
        {"JPEG without a bit count", InfoHeader(40, 1, 1, 0, BI_JPEG), DIB_RGB_COLORS, 40, 4, 0},
    };
    for (const auto& c : cases) {
        const auto layout = ParseDibLayout(c.header, c.usage);
        ASSERT_TRUE(layout) << c.what;
        EXPECT_EQ(layout->tableOffset, c.tableOffset) << c.what;
        EXPECT_EQ(layout->entrySize, c.entrySize) << c.what;
        EXPECT_EQ(layout->tableEntries, c.entries) << c.what;
        EXPECT_EQ(layout->InfoBytes(), c.tableOffset + uint64_t{c.entries} * c.entrySize) << c.what;
    }
    const auto core = CoreHeader(1, 1, 4);
    EXPECT_EQ(ParseDibLayout(core, DIB_RGB_COLORS)->entrySize, 3u);  // RGBTRIPLE
    EXPECT_EQ(ParseDibLayout(core, DIB_PAL_COLORS)->entrySize, 2u);
}

// The WMF conversions split packed DIBs with the same parser the player decodes them with.
TEST(DibHeader, PackedDibsSplitWhereTheTableEnds)
{
    std::vector<uint8_t> dib = InfoHeader(40, 3, -2, 1, BI_RGB, 2);
    const auto table = Payload().U32(0x000000).U32(0xFFFFFF).Bytes();
    dib.insert(dib.end(), table.begin(), table.end());
    const size_t infoBytes = dib.size();
    dib.resize(infoBytes + 8 + 12, 0xAA);  // two 4-byte rows and bytes past them
    const auto parts = wmf::SplitDib(dib, DIB_RGB_COLORS);
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->info.size(), infoBytes);
    EXPECT_EQ(parts->bits.size(), 8u);
    EXPECT_EQ(parts->height, -2);

    EXPECT_FALSE(wmf::SplitDib(Bytes(dib).first(infoBytes - 1), DIB_RGB_COLORS));  // table cut short
    auto odd = dib;
    odd[0] = 64;  // a header size the player refuses
    EXPECT_FALSE(wmf::SplitDib(odd, DIB_RGB_COLORS));
}

}  // namespace
}  // namespace qrp::emf
