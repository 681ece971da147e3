#include "reportfile/metafile.h"

#include "base/exceptions.h"
#include "emf/emf_writer.h"
#include "reportfile/screen_metrics.h"
#include "reportfile/test_pictures.h"

#include <gtest/gtest.h>

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
    Bytes bytes = testing::PagePicture(1);
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
    const Bytes good = testing::PagePicture(1);
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
            SetScreenPixelsPerInchY(120);
            EXPECT_EQ(m.Width(), 120);
            SetScreenPixelsPerInchY(96);
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
