#include "reportfile/metafile.h"

#include "base/exceptions.h"
#include "emf/emf_writer.h"
#include "emf/header.h"
#include "emf/wmf/test_wmf_builder.h"
#include "testsupport/files.h"
#include "testsupport/pictures.h"
#include "testsupport/reports.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace qrp {
namespace {

using Bytes = std::vector<uint8_t>;

// A placeable header with no body after it.
Bytes Placeable(int16_t right, int16_t bottom, uint16_t inch, bool goodChecksum)
{
    Bytes h(22, 0);
    const uint32_t key = 0x9AC6CDD7;
    std::memcpy(&h[0], &key, 4);
    std::memcpy(&h[10], &right, 2);
    std::memcpy(&h[12], &bottom, 2);
    std::memcpy(&h[14], &inch, 2);
    uint16_t sum = 0;
    for (int i = 0; i < 20; i += 2) sum = static_cast<uint16_t>(sum ^ (h[static_cast<size_t>(i)] | h[static_cast<size_t>(i) + 1] << 8));
    if (!goodChecksum) sum = static_cast<uint16_t>(sum ^ 1);
    std::memcpy(&h[20], &sum, 2);
    return h;
}

TEST(Metafile, EnhancedReadConsumesExactlyNBytesAndMeasuresTheFrame)
{
    Bytes bytes = testsupport::NumberedPagePicture(1);
    const size_t size = bytes.size();
    bytes.insert(bytes.end(), {9, 9, 9, 9, 9});
    TMemoryStream s(bytes);
    TMetafile m;
    int changes = 0;
    m.SetOnChange([&changes] { ++changes; });
    m.LoadFromStream(s);
    EXPECT_EQ(s.Position(), static_cast<int32_t>(size));
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(m.Enhanced());
    EXPECT_EQ(m.MMWidth(), 20999);
    EXPECT_EQ(m.MMHeight(), 29699);
    EXPECT_EQ(m.Inch(), 0);
    // At the recording device: 4961 px on 210 mm.
    EXPECT_EQ(m.Width(), 4961);
    EXPECT_EQ(m.Height(), 7016);

    TMemoryStream out;
    m.SaveToStream(out);
    EXPECT_EQ(out.Bytes(), Bytes(bytes.begin(), bytes.begin() + static_cast<long>(size)));
    TMetafile again;
    out.SetPosition(0);
    again.LoadFromStream(out);
    EXPECT_EQ(again.MMWidth(), m.MMWidth());
    EXPECT_TRUE(again.Enhanced());
}

TEST(Metafile, DamagedEnhancedHeadersAreRejected)
{
    const Bytes good = testsupport::NumberedPagePicture(1);
    auto load = [](const Bytes& b) {
        TMemoryStream s(b);
        TMetafile m;
        try {
            m.LoadFromStream(s);
            return std::string();
        } catch (const Exception& e) {
            EXPECT_FALSE(m.Handle());
            return std::string(e.what());
        }
    };
    Bytes small = good;
    uint32_t n = 100;
    std::memcpy(&small[48], &n, 4);
    EXPECT_EQ(load(small), "Metafile is not valid");
    Bytes big = good;
    n = 0xFFFFFFF0;
    std::memcpy(&big[48], &n, 4);
    EXPECT_EQ(load(big), "Stream read error");
    Bytes records = good;
    records[108 + 4] = 3;  // second record's size no longer a multiple of 4
    EXPECT_EQ(load(records), "Metafile is not valid");
    // Exactly 108 bytes left: read as placeable, whose key is missing.
    emf::EmfWriter w;
    Bytes tiny = w.Bytes();
    ASSERT_EQ(tiny.size(), 108u);
    EXPECT_EQ(load(tiny), "Metafile is not valid");
    EXPECT_EQ(load(Bytes{}), "Metafile is not valid");
}

TEST(Metafile, PlaceableHeaderIsCheckedAndGivesTheSizes)
{
    for (const bool goodChecksum : {false, true}) {
        // An empty body: no conversion can take it.
        TMemoryStream s(Placeable(1440, 720, 1440, goodChecksum));
        TMetafile m;
        EXPECT_THROW(m.LoadFromStream(s), EInvalidGraphic);
        EXPECT_FALSE(m.Handle());
        if (goodChecksum) {
            // A read that failed at the conversion keeps the header's sizes.
            EXPECT_EQ(m.Inch(), 1440);
            EXPECT_EQ(m.MMWidth(), 2540);
            EXPECT_EQ(m.MMHeight(), 1270);
            EXPECT_EQ(m.Width(120), 120);
            EXPECT_EQ(m.Height(120), 60);
            EXPECT_EQ(m.Width(), 96);
        } else {
            EXPECT_EQ(m.Inch(), 0);
        }
    }
    TMemoryStream zeroInch(Placeable(96, 48, 0, true));
    TMetafile m;
    EXPECT_THROW(m.LoadFromStream(zeroInch), EInvalidGraphic);
    EXPECT_EQ(m.MMWidth(), 2540);  // at 96 units per inch
    EXPECT_EQ(m.Inch(), 0);
    EXPECT_EQ(m.Width(), 0);  // no picture: the enhanced rule, no handle
}

// A placeable picture keeps the shape of its box, whatever the shape of the screen: the
// frame is the box at its units per inch, so a page played 794 pixels wide is as tall as
// its paper. The body's window may differ from the box; the box wins.
TEST(Metafile, PlaceablePicturesTakeTheirFrameFromTheBox)
{
    struct Case {
        int16_t width, height;
        uint16_t inch;
        int16_t windowX, windowY;
        int32_t frameX, frameY;  // 0.01 mm
        int32_t pixelsTall;      // at 794 pixels wide, 1 + round(793 x frameY / frameX)
    };
    const Case cases[] = {
        {11906, 16838, 1440, 11906, 16838, 21001, 29700, 1122},  // A4 portrait
        {16838, 11906, 1440, 16838, 11906, 29700, 21001, 562},   // A4 landscape
        {21000, 29700, 2540, 21000, 29700, 21000, 29700, 1123},  // A4 at 0.01 mm
        {4896, 6336, 576, 4896, 6336, 21590, 27940, 1027},       // Letter portrait
        {27940, 21590, 2540, 1000, 1000, 27940, 21590, 614},     // Letter landscape, square window
        {794, 1123, 0, 794, 1123, 21008, 29713, 1123},           // Inch 0 counts as 96
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height << " at " << c.inch);
        Bytes file = Placeable(c.width, c.height, c.inch, true);
        const Bytes body = emf::wmf::test::WmfBuilder()
                               .WindowOrg(0, 0)
                               .WindowExt(c.windowX, c.windowY)
                               .Rectangle(0, 0, c.windowX, c.windowY)
                               .Finish();
        file.insert(file.end(), body.begin(), body.end());
        TMemoryStream s(file);
        TMetafile m;
        m.LoadFromStream(s);
        ASSERT_TRUE(m.SharedHandle());
        const emf::EnhMetaHeader h = emf::ParseHeader(m.SharedHandle()->Data());
        EXPECT_EQ(h.rclFrame, (emf::RectL{0, 0, c.frameX, c.frameY}));
        EXPECT_EQ(1 + std::lround(793.0 * (h.rclFrame.bottom - h.rclFrame.top) / (h.rclFrame.right - h.rclFrame.left)),
                  c.pixelsTall);
        EXPECT_EQ(m.MMWidth(), c.frameX);
        EXPECT_EQ(m.MMHeight(), c.frameY);
    }
}

TEST(Metafile, EmptyPicturesWriteNothingEnhancedAndAHeaderPlaceable)
{
    TMetafile m;
    TMemoryStream out;
    m.SaveToStream(out);
    EXPECT_EQ(out.Size(), 0);
    m.SetEnhanced(false);
    m.SaveToStream(out);
    ASSERT_EQ(out.Size(), 22);
    EXPECT_EQ(out.Bytes()[0], 0xD7);
    EXPECT_EQ(out.Bytes()[14], 96);
}

TEST(Metafile, SetHandleTakesTheFrameFromThePictureHeader)
{
    emf::EmfWriterOptions options;
    options.frame = {100, 200, 2100, 1200};
    emf::EmfWriter w(options);
    TMetafile m;
    m.SetHandle(emf::SetEnhMetaFileBits(w.Finish()));
    ASSERT_TRUE(m.Handle());
    EXPECT_EQ(m.MMWidth(), 2000);
    EXPECT_EQ(m.MMHeight(), 1000);
    EXPECT_EQ(m.Width(), 2000 * 1024 / 32000);
}

}  // namespace
}  // namespace qrp
