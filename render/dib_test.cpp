#include "render/dib.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include <vector>

namespace qrp::render {
namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& v, uint32_t x)
{
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
void Put32(Bytes& v, uint32_t x)
{
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

// A BITMAPINFOHEADER (or a longer header of headerSize bytes) with a colour table.
Bytes InfoHeader(int32_t width, int32_t height, uint16_t bitCount, uint32_t compression = BI_RGB,
                 std::vector<uint32_t> table = {}, uint32_t colorsUsed = 0, uint32_t headerSize = 40,
                 uint32_t sizeImage = 0)
{
    Bytes v;
    Put32(v, headerSize);
    Put32(v, static_cast<uint32_t>(width));
    Put32(v, static_cast<uint32_t>(height));
    Put16(v, 1);
    Put16(v, bitCount);
    Put32(v, compression);
    Put32(v, sizeImage);
    Put32(v, 2835);
    Put32(v, 2835);
    Put32(v, colorsUsed);
    Put32(v, 0);
    v.resize(headerSize, 0);
    for (uint32_t c : table) Put32(v, c);  // RGBQUAD: blue, green, red, reserved
    return v;
}

// Rows of bytes, each padded to 4 bytes.
Bytes Rows(const std::vector<Bytes>& rows)
{
    Bytes v;
    for (const Bytes& r : rows) {
        v.insert(v.end(), r.begin(), r.end());
        while (v.size() % 4) v.push_back(0);
    }
    return v;
}

QRgb Px(const QImage& image, int x, int y) { return image.pixel(x, y); }

constexpr QRgb kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kBlack = 0xFF000000,
               kWhite = 0xFFFFFFFF;

TEST(Dib, IndexedDepthsReadTheirColourTablesBottomUp)
{
    const std::vector<uint32_t> table = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF};  // 0x00RRGGBB
    {
        // 1 bit, 10 pixels wide: a row spills into a second byte; bottom row first.
        const Bytes info = InfoHeader(10, 2, 1, BI_RGB, {0x0000FF, 0xFFFFFF});
        const Bytes bits = Rows({{0b10000000, 0b01000000}, {0b01111111, 0b11000000}});
        const QImage image = DecodeDib(info, bits);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(10, 2));
        EXPECT_EQ(image.format(), QImage::Format_RGB32);
        EXPECT_EQ(Px(image, 0, 1), kWhite);
        EXPECT_EQ(Px(image, 1, 1), kBlue);
        EXPECT_EQ(Px(image, 9, 1), kWhite);
        EXPECT_EQ(Px(image, 0, 0), kBlue);
        EXPECT_EQ(Px(image, 1, 0), kWhite);
        EXPECT_EQ(Px(image, 9, 0), kWhite);
        EXPECT_EQ(Px(image, 7, 0), kWhite);
        EXPECT_EQ(Px(image, 8, 0), kWhite);

        DibOptions mono;
        mono.monochromeColors = std::array<QRgb, 2>{qRgb(10, 20, 30), qRgb(200, 100, 50)};
        const QImage colored = DecodeDib(info, bits, mono);
        EXPECT_EQ(Px(colored, 0, 1), qRgb(200, 100, 50));
        EXPECT_EQ(Px(colored, 1, 1), qRgb(10, 20, 30));
    }
    {
        // 4 bits: high nibble first; 3 pixels wide.
        const Bytes info = InfoHeader(3, 1, 4, BI_RGB, table, 5);
        const QImage image = DecodeDib(info, Rows({{0x23, 0x40}}));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(Px(image, 0, 0), kRed);
        EXPECT_EQ(Px(image, 1, 0), kGreen);
        EXPECT_EQ(Px(image, 2, 0), kBlue);
    }
    {
        // 8 bits with a short colour table: indices past it are black.
        const Bytes info = InfoHeader(3, 1, 8, BI_RGB, table, 5);
        const QImage image = DecodeDib(info, Rows({{1, 4, 200}}));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(Px(image, 0, 0), kWhite);
        EXPECT_EQ(Px(image, 1, 0), kBlue);
        EXPECT_EQ(Px(image, 2, 0), kBlack);
    }
}

TEST(Dib, DirectColourDepthsAndBitFields)
{
    {
        // 16 bits, BI_RGB: 5-5-5.
        const Bytes info = InfoHeader(2, 1, 16);
        Bytes row;
        Put16(row, 0x7C00);
        Put16(row, 0x001F);
        const QImage image = DecodeDib(info, Rows({row}));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(Px(image, 0, 0), kRed);
        EXPECT_EQ(Px(image, 1, 0), kBlue);
    }
    {
        // 16 bits, 5-6-5 bit fields after a 40-byte header.
        Bytes info = InfoHeader(2, 1, 16, BI_BITFIELDS);
        Put32(info, 0xF800);
        Put32(info, 0x07E0);
        Put32(info, 0x001F);
        Bytes row;
        Put16(row, 0x07E0);
        Put16(row, 0x8410);  // half of each channel
        const QImage image = DecodeDib(info, Rows({row}));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(Px(image, 0, 0), kGreen);
        EXPECT_EQ(Px(image, 1, 0), qRgb(131, 129, 131));
    }
    {
        // 24 bits, top-down, 1 pixel wide: rows padded to 4 bytes.
        const Bytes info = InfoHeader(1, -2, 24);
        const QImage image = DecodeDib(info, Rows({{0, 0, 255}, {255, 0, 0}}));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(Px(image, 0, 0), kRed);
        EXPECT_EQ(Px(image, 0, 1), kBlue);
    }
    {
        // 32 bits, BI_RGB: the top byte is ignored unless alpha is asked for.
        const Bytes info = InfoHeader(2, 1, 32);
        Bytes row;
        Put32(row, 0x00123456);
        Put32(row, 0x80400000);  // premultiplied red at half alpha
        const QImage opaque = DecodeDib(info, row);
        ASSERT_FALSE(opaque.isNull());
        EXPECT_EQ(Px(opaque, 0, 0), qRgb(0x12, 0x34, 0x56));
        EXPECT_EQ(Px(opaque, 1, 0), qRgb(0x40, 0, 0));
        DibOptions alpha;
        alpha.keepAlpha = true;
        const QImage blended = DecodeDib(info, row, alpha);
        ASSERT_FALSE(blended.isNull());
        EXPECT_EQ(blended.format(), QImage::Format_ARGB32_Premultiplied);
        EXPECT_EQ(reinterpret_cast<const QRgb*>(blended.constScanLine(0))[1], 0x80400000u);
        EXPECT_EQ(qAlpha(reinterpret_cast<const QRgb*>(blended.constScanLine(0))[0]), 0);
    }
    {
        // 32 bits with bit fields after a 40-byte header (as icons for ALPHABLEND come):
        // the masks name red, green and blue; alpha is the top byte.
        Bytes info = InfoHeader(2, 1, 32, BI_BITFIELDS);
        Put32(info, 0xFF0000);
        Put32(info, 0x00FF00);
        Put32(info, 0x0000FF);
        Bytes row;
        Put32(row, 0xFF00FF00);  // opaque green
        Put32(row, 0x00000000);  // transparent
        DibOptions alpha;
        alpha.keepAlpha = true;
        const QImage image = DecodeDib(info, row, alpha);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(reinterpret_cast<const QRgb*>(image.constScanLine(0))[0], kGreen);
        EXPECT_EQ(reinterpret_cast<const QRgb*>(image.constScanLine(0))[1], 0u);
    }
    {
        // 32 bits in a V5 header with masks inside it, swapped red and blue.
        Bytes info = InfoHeader(1, 1, 32, BI_BITFIELDS, {}, 0, 124);
        const uint32_t masks[4] = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
        for (int i = 0; i < 4; ++i)
            for (int k = 0; k < 4; ++k) info[40 + 4 * i + k] = static_cast<uint8_t>(masks[i] >> (8 * k));
        Bytes row;
        Put32(row, 0xFF0000FF);
        const QImage image = DecodeDib(info, row);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(Px(image, 0, 0), kRed);
    }
}

TEST(Dib, CoreHeaderAndPaletteColourTables)
{
    {
        // BITMAPCOREHEADER: 16-bit sizes, RGBTRIPLE colour table.
        Bytes info;
        Put32(info, 12);
        Put16(info, 2);
        Put16(info, 1);
        Put16(info, 1);
        Put16(info, 8);
        for (int i = 0; i < 256; ++i) {
            info.push_back(static_cast<uint8_t>(i == 1 ? 255 : 0));  // blue
            info.push_back(0);
            info.push_back(static_cast<uint8_t>(i == 2 ? 255 : 0));  // red
        }
        const QImage image = DecodeDib(info, Rows({{1, 2}}));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(Px(image, 0, 0), kBlue);
        EXPECT_EQ(Px(image, 1, 0), kRed);
        // The packed form: the bits follow the 12 + 768 bytes.
        Bytes packed = info;
        const Bytes bits = Rows({{2, 1}});
        packed.insert(packed.end(), bits.begin(), bits.end());
        const QImage fromPacked = DecodePackedDib(packed);
        ASSERT_FALSE(fromPacked.isNull());
        EXPECT_EQ(Px(fromPacked, 0, 0), kRed);
    }
    {
        // DIB_PAL_COLORS: 16-bit indices into the selected logical palette.
        Bytes info = InfoHeader(3, 1, 8, BI_RGB, {}, 3);
        Put16(info, 2);
        Put16(info, 0);
        Put16(info, 7);  // past the palette: black
        const uint32_t palette[3] = {0x0000FF, 0x00FF00, 0xFF0000};  // 0x00BBGGRR
        DibOptions options;
        options.usage = DIB_PAL_COLORS;
        options.palette = palette;
        const QImage image = DecodeDib(info, Rows({{0, 1, 2}}), options);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(Px(image, 0, 0), kBlue);
        EXPECT_EQ(Px(image, 1, 0), kRed);
        EXPECT_EQ(Px(image, 2, 0), kBlack);
        // Without a palette, the default one: entry 13 is red, 19 white.
        DibOptions defaults;
        defaults.usage = DIB_PAL_INDICES;
        const QImage byIndex = DecodeDib(InfoHeader(2, 1, 8), Rows({{13, 19}}), defaults);
        ASSERT_FALSE(byIndex.isNull());
        EXPECT_EQ(Px(byIndex, 0, 0), kRed);
        EXPECT_EQ(Px(byIndex, 1, 0), kWhite);
    }
}

TEST(Dib, Rle8RunsAbsoluteDeltaAndSkippedPixelsStayTransparent)
{
    const std::vector<uint32_t> table = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    const Bytes info = InfoHeader(6, 3, 8, BI_RLE8, table, 4);
    const Bytes bits = {
        3, 1,           // bottom line: 3 red
        0, 0,           // end of line
        0, 3, 2, 3, 2,  // absolute: green, blue, green
        0,              // pad to 16 bits
        0, 2, 1, 1,     // delta: right 1, up 1 -> x 4 on the top line
        2, 3,           // two blue
        0, 1,           // end of bitmap
        9, 9,           // never read
    };
    const QImage image = DecodeDib(info, bits);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(Px(image, 0, 2), kRed);
    EXPECT_EQ(Px(image, 2, 2), kRed);
    EXPECT_EQ(qAlpha(Px(image, 3, 2)), 0);
    EXPECT_EQ(Px(image, 0, 1), kGreen);
    EXPECT_EQ(Px(image, 1, 1), kBlue);
    EXPECT_EQ(Px(image, 2, 1), kGreen);
    EXPECT_EQ(qAlpha(Px(image, 3, 1)), 0);
    EXPECT_EQ(qAlpha(Px(image, 3, 0)), 0);
    EXPECT_EQ(Px(image, 4, 0), kBlue);
    EXPECT_EQ(Px(image, 5, 0), kBlue);
    EXPECT_EQ(qAlpha(Px(image, 0, 0)), 0);

    // A run longer than the line is clipped; it does not wrap onto the next line.
    const QImage clipped = DecodeDib(InfoHeader(2, 2, 8, BI_RLE8, table, 4), Bytes{200, 1, 0, 1});
    ASSERT_FALSE(clipped.isNull());
    EXPECT_EQ(Px(clipped, 1, 1), kRed);
    EXPECT_EQ(qAlpha(Px(clipped, 0, 0)), 0);
}

TEST(Dib, Rle4NibblesAlternate)
{
    const std::vector<uint32_t> table = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    const Bytes info = InfoHeader(5, 2, 4, BI_RLE4, table, 4);
    const Bytes bits = {
        5, 0x12,           // red, green, red, green, red
        0, 0,              // end of line
        0, 3, 0x31, 0x20,  // absolute: blue, red, green (2 bytes: already aligned)
        0, 1,
    };
    const QImage image = DecodeDib(info, bits);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(Px(image, 0, 1), kRed);
    EXPECT_EQ(Px(image, 1, 1), kGreen);
    EXPECT_EQ(Px(image, 4, 1), kRed);
    EXPECT_EQ(Px(image, 0, 0), kBlue);
    EXPECT_EQ(Px(image, 1, 0), kRed);
    EXPECT_EQ(Px(image, 2, 0), kGreen);
    EXPECT_EQ(qAlpha(Px(image, 3, 0)), 0);
}

TEST(Dib, EmbeddedPngAndJpeg)
{
    QImage source(4, 3, QImage::Format_RGB32);
    source.fill(qRgb(0, 0, 255));
    source.setPixel(0, 0, qRgb(255, 0, 0));
    for (const char* format : {"PNG", "JPEG"}) {
        QByteArray file;
        QBuffer buffer(&file);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(source.save(&buffer, format, 100)) << format;
        const bool png = std::string(format) == "PNG";
        const Bytes info = InfoHeader(4, 3, 0, png ? BI_PNG : BI_JPEG, {}, 0, 40,
                                      static_cast<uint32_t>(file.size()));
        const Bytes bits(file.begin(), file.end());
        std::string why;
        const QImage image = DecodeDib(info, bits, {}, &why);
        ASSERT_FALSE(image.isNull()) << format << ": " << why;
        EXPECT_EQ(image.size(), QSize(4, 3));
        EXPECT_NEAR(qBlue(Px(image, 3, 2)), 255, png ? 0 : 8);
        if (png) {
            EXPECT_EQ(Px(image, 0, 0), kRed);
        }
        // A cut file is refused, not half-drawn from uninitialised memory.
        EXPECT_TRUE(DecodeDib(info, Bytes(bits.begin(), bits.begin() + 20)).isNull()) << format;
    }
}

TEST(Dib, ScanBandFillsOnlyItsLines)
{
    const Bytes info = InfoHeader(1, 4, 24);
    DibOptions band;
    band.firstScan = 1;
    band.scanCount = 2;
    const QImage image = DecodeDib(info, Rows({{0, 0, 255}, {255, 0, 0}}), band);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(qAlpha(Px(image, 0, 3)), 0);  // line 0 (bottom) not in the band
    EXPECT_EQ(Px(image, 0, 2), kRed);       // line 1
    EXPECT_EQ(Px(image, 0, 1), kBlue);      // line 2
    EXPECT_EQ(qAlpha(Px(image, 0, 0)), 0);
}

TEST(Dib, RecordOffsetsMustLieInsideTheRecord)
{
    Bytes record(8, 0);
    const Bytes info = InfoHeader(1, 1, 24);
    const size_t offBmi = record.size();
    record.insert(record.end(), info.begin(), info.end());
    const size_t offBits = record.size();
    record.insert(record.end(), {0, 255, 0, 0});
    const emf::Record r(81, record, 0);
    const auto bmi = static_cast<uint32_t>(offBmi);
    const auto at = static_cast<uint32_t>(offBits);
    EXPECT_EQ(Px(DecodeRecordDib(r, bmi, 40, at, 4), 0, 0), kGreen);
    std::string why;
    EXPECT_TRUE(DecodeRecordDib(r, bmi, 40, at, 5, {}, &why).isNull());
    EXPECT_EQ(why, "bitmap bits outside the record");
    EXPECT_TRUE(DecodeRecordDib(r, bmi, 0xFFFFFFF0u, at, 4).isNull());
    EXPECT_TRUE(DecodeRecordDib(r, 0xFFFFFFFCu, 40, at, 4).isNull());
    EXPECT_TRUE(DecodeRecordDib(r, bmi, 40, 0xFFFFFFFFu, 4).isNull());
    EXPECT_TRUE(DecodeRecordDib(r, bmi, 0, at, 4).isNull());
}

TEST(Dib, HostileHeadersAreRefusedBeforeAllocating)
{
    const Bytes row = Rows({{0, 0, 0}});
    auto refused = [](const Bytes& info, const Bytes& bits) {
        std::string why;
        const QImage image = DecodeDib(info, bits, {}, &why);
        return image.isNull() && !why.empty();
    };
    EXPECT_TRUE(refused({}, row));
    const Bytes whole = InfoHeader(1, 1, 24);
    EXPECT_TRUE(refused(Bytes(whole.begin(), whole.begin() + 39), row));
    EXPECT_TRUE(refused(InfoHeader(1, 1, 24, BI_RGB, {}, 0, 41), row));       // unknown header size
    EXPECT_TRUE(refused(InfoHeader(0, 1, 24), row));                          // empty
    EXPECT_TRUE(refused(InfoHeader(-1, 1, 24), row));                         // negative width
    EXPECT_TRUE(refused(InfoHeader(1, INT32_MIN, 24), row));                  // cannot be negated
    EXPECT_TRUE(refused(InfoHeader(0x7FFFFFFF, 1, 1), row));                  // too wide
    EXPECT_TRUE(refused(InfoHeader(30000, 30000, 1), Bytes(4000, 0)));        // too many pixels
    EXPECT_TRUE(refused(InfoHeader(1000, 1000, 24), row));                    // bits too short
    EXPECT_TRUE(refused(InfoHeader(4, 1, 24), Bytes(11, 0)));                 // one byte short
    EXPECT_TRUE(refused(InfoHeader(1, 1, 7), row));                           // no such depth
    EXPECT_TRUE(refused(InfoHeader(1, 1, 24, BI_BITFIELDS), row));            // fields need 16/32
    EXPECT_TRUE(refused(InfoHeader(1, 1, 16, BI_BITFIELDS), row));            // masks missing
    EXPECT_TRUE(refused(InfoHeader(1, -1, 8, BI_RLE8), Bytes{1, 0, 0, 1}));   // RLE top-down
    EXPECT_TRUE(refused(InfoHeader(1, 1, 4, BI_RLE8), Bytes{1, 0, 0, 1}));    // RLE8 at 4 bits
    EXPECT_TRUE(refused(InfoHeader(1, 1, 24, 77), row));                      // unknown compression
    EXPECT_TRUE(refused(InfoHeader(1, 1, 0, BI_PNG), Bytes(64, 0x55)));       // not a PNG
    // A colour table claiming 2^32 entries is read only as far as the bytes go.
    EXPECT_FALSE(DecodeDib(InfoHeader(1, 1, 8, BI_RGB, {}, 0xFFFFFFFFu), Rows({{0}})).isNull());
    Bytes packed = InfoHeader(1, 1, 24, BI_RGB, {}, 0xFFFFFFFFu);
    packed.insert(packed.end(), row.begin(), row.end());
    EXPECT_TRUE(DecodePackedDib(packed).isNull());
    // Run-length data that stops mid-way, or jumps far away, ends the picture quietly.
    const QImage cut = DecodeDib(InfoHeader(4, 4, 8, BI_RLE8, {0xFF0000}, 1), Bytes{0, 40, 0, 0, 0, 2, 255});
    ASSERT_FALSE(cut.isNull());
    EXPECT_EQ(Px(cut, 0, 3), 0xFFFF0000u);
    EXPECT_EQ(Px(cut, 3, 3), kBlack);  // index 2: past the one-entry table
    EXPECT_EQ(qAlpha(Px(cut, 0, 2)), 0);
    EXPECT_FALSE(DecodeDib(InfoHeader(4, 4, 8, BI_RLE8), Bytes{0, 2, 255, 255, 4, 0}).isNull());
}

}  // namespace
}  // namespace qrp::render
