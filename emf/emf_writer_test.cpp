#include "emf/emf_writer.h"

#include "base/exceptions.h"
#include "emf/enh_metafile.h"
#include "emf/record_reader.h"
#include "emf/validate.h"

#include <gtest/gtest.h>

#include <vector>

namespace qrp::emf {
namespace {

constexpr uint32_t kClipped = 4;  // ETO_CLIPPED

std::vector<Record> Records(Bytes picture)
{
    std::vector<Record> out;
    RecordReader reader(picture);
    while (auto r = reader.Next()) out.push_back(*r);
    EXPECT_FALSE(reader.Error());
    return out;
}

TEST(EmfWriter, HeaderCountsEveryRecordAndByteAndHandle)
{
    EmfWriterOptions options;
    options.frame = {0, 0, 20999, 29699};
    options.devicePixels = {4961, 7016};
    options.deviceMillimeters = {210, 297};
    options.description = std::u16string(u"qrpview\0page 1", 14);
    EmfWriter w(options);
    w.SetMapMode(8);
    w.CreatePen(3, 0 /* PS_SOLID */, 2, Rgb(0, 0, 0));
    w.SelectObject(3);
    w.Rectangle({10, 10, 100, 50});
    w.DeleteObject(3);
    const std::vector<uint8_t> picture = w.Finish(std::vector<uint32_t>{0x00112233, 0x00445566});

    EXPECT_EQ(ValidationError(picture), "");
    const EnhMetaHeader h = ParseHeader(picture);
    EXPECT_EQ(h.nBytes, picture.size());
    EXPECT_EQ(h.nRecords, 7u);
    EXPECT_EQ(h.nHandles, 4);
    EXPECT_EQ(h.nPalEntries, 2u);
    EXPECT_EQ(h.rclFrame, (RectL{0, 0, 20999, 29699}));
    EXPECT_EQ(h.szlDevice, (SizeL{4961, 7016}));
    EXPECT_EQ(h.szlMicrometers, (SizeL{210000, 297000}));
    EXPECT_EQ(h.rclBounds.right, 20999 * 4961 / 21000);
    // "qrpview\0page 1\0\0": 16 characters after the fixed header, padded to 4.
    EXPECT_EQ(h.nDescription, 16u);
    EXPECT_EQ(h.offDescription, 108u);
    EXPECT_EQ(h.nSize, 108u + 32u);
    EXPECT_EQ(picture[108], 'q');

    const auto records = Records(picture);
    ASSERT_EQ(records.size(), 7u);
    EXPECT_EQ(records.back().Type(), kEmrEof);
    EXPECT_EQ(records.back().U32(8), 2u);
    EXPECT_EQ(records.back().U32(12), 16u);
    EXPECT_EQ(records.back().U32(24), records.back().Size());  // nSizeLast

    const HENHMETAFILE handle = SetEnhMetaFileBits(picture);
    ASSERT_TRUE(handle);
    EXPECT_EQ(handle->PaletteEntries(), (std::vector<uint32_t>{0x00112233, 0x00445566}));
}

TEST(EmfWriter, TextPolygonAndBitmapRecordsAreLaidOutAsGdiRecordsThem)
{
    EmfWriter w;
    const std::vector<int32_t> dx = {10, 11, 12};
    w.ExtTextOutW({100, 200}, u"Pá!", dx, kClipped, {1, 2, 3, 4});
    const std::vector<PointS> points = {{5, 6}, {-7, 8}, {9, -10}};
    w.Polygon16(points);
    const std::vector<uint8_t> rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 1, 2, 3};  // 2 x 2
    w.StretchDIBits(10, 20, 30, 40, Dib24::FromRgb(2, 2, rgb));
    LogFontW font;
    font.height = -120;
    font.faceName = u"Arial";
    w.ExtCreateFontIndirectW(1, font);
    const auto picture = w.Finish();
    ASSERT_EQ(ValidationError(picture), "");
    const auto records = Records(picture);
    ASSERT_EQ(records.size(), 6u);

    const Record& text = records[1];
    EXPECT_EQ(text.Type(), kEmrExtTextOutW);
    EXPECT_EQ(text.I32(36), 100);        // ptlReference.x
    EXPECT_EQ(text.U32(44), 3u);         // nChars
    EXPECT_EQ(text.U32(48), 76u);        // offString
    EXPECT_EQ(text.U32(52), kClipped);
    EXPECT_EQ(text.U16(76), u'P');
    EXPECT_EQ(text.U16(78), u'á');
    EXPECT_EQ(text.U32(72), 84u);        // offDx: string of 6 bytes padded to 8
    EXPECT_EQ(text.I32(84 + 8), 12);
    EXPECT_EQ(text.Size(), 96u);

    const Record& poly = records[2];
    EXPECT_EQ(poly.Type(), kEmrPolygon16);
    EXPECT_EQ(poly.I32(8), -7);   // bounds.left
    EXPECT_EQ(poly.I32(20), 8);   // bounds.bottom
    EXPECT_EQ(poly.U32(24), 3u);
    EXPECT_EQ(poly.I16(32), -7);
    EXPECT_EQ(poly.Size(), 40u);  // 28 + 12 points bytes

    const Record& dib = records[3];
    EXPECT_EQ(dib.Type(), kEmrStretchDIBits);
    EXPECT_EQ(dib.U32(48), 80u);   // offBmiSrc
    EXPECT_EQ(dib.U32(60), 16u);   // cbBitsSrc: two rows of 8 bytes
    EXPECT_EQ(dib.U16(80 + 14), 24);
    // Bottom-up BGR: the first stored row is the image's last, pixel (1,2,3) second.
    EXPECT_EQ(dib.Data()[120 + 3], 3);
    EXPECT_EQ(dib.Data()[120 + 5], 1);
    EXPECT_EQ(dib.Data()[120 + 8 + 0], 0);    // blue of the top-left red pixel
    EXPECT_EQ(dib.Data()[120 + 8 + 2], 255);  // red

    const Record& fontRecord = records[4];
    EXPECT_EQ(fontRecord.Size(), 104u);
    EXPECT_EQ(fontRecord.I32(12), -120);
    EXPECT_EQ(fontRecord.U16(40), u'A');
    EXPECT_EQ(ParseHeader(picture).nHandles, 2);
}

TEST(EmfWriter, RefusesUnalignedPayloadsAndRecordsAfterFinish)
{
    EmfWriter w;
    EXPECT_THROW(w.Append(70, Payload().U16(1)), EAssertionFailed);
    w.Append(70, Payload().U16(1).Pad4());
    EXPECT_EQ(w.RecordCount(), 2u);
    w.Finish();
    EXPECT_THROW(w.SaveDC(), EAssertionFailed);
}

}  // namespace
}  // namespace qrp::emf
