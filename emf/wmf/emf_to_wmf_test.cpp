#include "emf/wmf/emf_to_wmf.h"
#include "emf/emf_writer.h"
#include "emf/header.h"
#include "emf/test_emf_records.h"
#include "emf/validate.h"
#include "emf/wmf/wmf_convert.h"
#include "emf/wmf/wmf_format.h"
#include "emf/wmf/wmf_reader.h"

#include <gtest/gtest.h>

namespace qrp::emf {
namespace {

using wmf::WmfRecord;

using namespace gdi;
constexpr uint32_t kNullBrush = STOCK_OBJECT | NULL_BRUSH;

const ReferenceDevice kScreen{1024, 768, 320, 240};
const ReferenceDevice kDoubleScreen{2048, 1536, 320, 240};

std::vector<WmfRecord> WmfRecords(const std::vector<uint8_t>& body)
{
    std::vector<WmfRecord> out;
    const auto header = wmf::ParseMetaHeader(body);
    EXPECT_TRUE(header.has_value());
    if (!header) return out;
    wmf::WmfRecordReader reader(body, 18);
    while (auto r = reader.Next()) out.push_back(*r);
    EXPECT_FALSE(reader.Error().has_value());
    EXPECT_FALSE(out.empty());
    if (!out.empty()) {
        EXPECT_EQ(out.back().Function(), wmf::META_EOF);
    }
    return out;
}

std::vector<WmfRecord> OfFunction(const std::vector<uint8_t>& body, uint16_t function)
{
    std::vector<WmfRecord> out;
    for (const WmfRecord& r : WmfRecords(body))
        if (r.Function() == function) out.push_back(r);
    return out;
}

std::vector<int> Words(const WmfRecord& r, size_t count)
{
    std::vector<int> v;
    for (size_t i = 0; i < count; ++i) v.push_back(r.I16(i).value_or(-9999));
    return v;
}

std::vector<uint8_t> Converted(const std::vector<uint8_t>& emf, const ReferenceDevice& device = kScreen)
{
    wmf::EmfToWmf converter(emf, device);
    return converter.Convert(false);
}

EmfWriterOptions Frame(RectL frame)
{
    EmfWriterOptions options;
    options.frame = frame;
    return options;
}

TEST(EmfToWmfHeader, TheWindowIsTheFrameAtTheDevicesResolution)
{
    EmfWriter writer(Frame({1000, 2000, 22000, 31700}));
    const auto body = Converted(writer.Finish());
    const auto records = WmfRecords(body);
    ASSERT_GE(records.size(), 4u);
    EXPECT_EQ(records[0].Function(), wmf::META_SETMAPMODE);
    EXPECT_EQ(Words(records[0], 1)[0], MM_ANISOTROPIC);
    EXPECT_EQ(records[1].Function(), wmf::META_SETWINDOWORG);
    EXPECT_EQ(Words(records[1], 2), (std::vector<int>{64, 32}));  // y, x
    EXPECT_EQ(records[2].Function(), wmf::META_SETWINDOWEXT);
    EXPECT_EQ(Words(records[2], 2), (std::vector<int>{950, 672}));
}

TEST(EmfToWmfHeader, InvalidPicturesGiveNothing)
{
    EXPECT_TRUE(GetWinMetaFileBits(Bytes{}, MM_ANISOTROPIC, kScreen).empty());
    EmfWriter writer;
    auto emf = writer.Finish();
    emf[40] = 0;  // signature
    EXPECT_TRUE(GetWinMetaFileBits(emf, MM_ANISOTROPIC, kScreen).empty());
}

TEST(EmfToWmfMapping, CoordinatesGoThroughThePicturesMappingOntoTheDeviceAndAreClamped)
{
    EmfWriter writer;
    writer.Rectangle({10, 20, 30, 40});
    writer.SetMapMode(MM_ANISOTROPIC);
    writer.SetWindowExtEx(100, 100);
    writer.SetViewportExtEx(300, 200);
    writer.SetWindowOrgEx(10, 0);
    writer.Ellipse({10, 20, 30, 40});
    writer.LineTo(200000, -200000);
    const auto body = Converted(writer.Finish(), kDoubleScreen);
    // The writer's device is 1024 x 768 on 320 x 240 mm: twice as many pixels here.
    EXPECT_EQ(Words(OfFunction(body, wmf::META_RECTANGLE).at(0), 4), (std::vector<int>{80, 60, 40, 20}));
    EXPECT_EQ(Words(OfFunction(body, wmf::META_ELLIPSE).at(0), 4), (std::vector<int>{160, 120, 80, 0}));
    EXPECT_EQ(Words(OfFunction(body, wmf::META_LINETO).at(0), 2), (std::vector<int>{-32768, 32767}));
}

TEST(EmfToWmfObjects, ObjectsTakeWmfSlotsAndStockObjectsAreMadeWhenSelected)
{
    EmfWriter writer;
    writer.CreatePen(1, PS_DASH, 4, 0x0000FF);
    writer.CreateBrushIndirect(2, BS_HATCHED, 0x00FF00, 3);
    writer.SelectObject(1);
    writer.SelectObject(2);
    writer.DeleteObject(1);
    LogFontW font;
    font.height = -20;
    font.charSet = 0;
    font.faceName = u"Arial";
    writer.ExtCreateFontIndirectW(3, font);  // takes the pen's freed slot 0
    writer.SelectObject(3);
    writer.SelectObject(kNullBrush);
    const auto body = Converted(writer.Finish(), kDoubleScreen);
    const auto pens = OfFunction(body, wmf::META_CREATEPENINDIRECT);
    ASSERT_EQ(pens.size(), 1u);
    EXPECT_EQ(Words(pens[0], 5), (std::vector<int>{PS_DASH, 8, 0, 0x00FF, 0}));
    const auto brushes = OfFunction(body, wmf::META_CREATEBRUSHINDIRECT);
    ASSERT_EQ(brushes.size(), 2u);
    EXPECT_EQ(Words(brushes[0], 4), (std::vector<int>{BS_HATCHED, -256, 0, 3}));
    EXPECT_EQ(Words(brushes[1], 1)[0], BS_NULL);
    const auto fonts = OfFunction(body, wmf::META_CREATEFONTINDIRECT);
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_EQ(Words(fonts[0], 1)[0], -40);
    EXPECT_EQ(fonts[0].Params()[18], 'A');
    std::vector<int> selected;
    for (const WmfRecord& r : OfFunction(body, wmf::META_SELECTOBJECT)) selected.push_back(Words(r, 1)[0]);
    EXPECT_EQ(selected, (std::vector<int>{0, 1, 0, 2}));
    EXPECT_EQ(Words(OfFunction(body, wmf::META_DELETEOBJECT).at(0), 1)[0], 0);
    EXPECT_EQ(wmf::ParseMetaHeader(body)->numberOfObjects, 3);
}

TEST(EmfToWmfText, WideTextBecomesTheFontsCodePageWithScaledAdvances)
{
    EmfWriter writer;
    const int32_t dx[] = {10, 10, 10, 11};
    writer.ExtTextOutW({5, 6}, u"a\u00E7\u00E3o", dx, ETO_OPAQUE, {0, 0, 50, 20});
    const auto body = Converted(writer.Finish(), kDoubleScreen);
    const auto texts = OfFunction(body, wmf::META_EXTTEXTOUT);
    ASSERT_EQ(texts.size(), 1u);
    // y, x, length, options, rectangle
    EXPECT_EQ(Words(texts[0], 8), (std::vector<int>{12, 10, 4, ETO_OPAQUE, 0, 0, 100, 40}));
    const Bytes text = texts[0].Slice(16, 4);
    EXPECT_EQ(std::vector<uint8_t>(text.begin(), text.end()), (std::vector<uint8_t>{'a', 0xE7, 0xE3, 'o'}));
    EXPECT_EQ(Words(texts[0], 14), (std::vector<int>{12, 10, 4, ETO_OPAQUE, 0, 0, 100, 40, static_cast<int16_t>(0xE7 << 8 | 'a'),
                                                         'o' << 8 | 0xE3, 20, 20, 20, 22}));
}

TEST(EmfToWmfText, SmallTextOutBecomesExtTextOut)
{
    EmfWriter writer;
    Payload small;  // reference, cChars, ETO_NO_RECT | ETO_SMALL_CHARS, GM_COMPATIBLE, scales, text
    small.I32(3).I32(4).U32(2).U32(0x0300).U32(1).F32(0).F32(0).U8('h').U8('i').Pad4();
    writer.Append(108, small);
    const auto body = Converted(writer.Finish());
    const auto texts = OfFunction(body, wmf::META_EXTTEXTOUT);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(Words(texts[0], 5), (std::vector<int>{4, 3, 2, 0, 'i' << 8 | 'h'}));
}

TEST(EmfToWmfPaths, FilledPathsBecomePolygonsDrawnWithoutAnOutline)
{
    EmfWriter writer;
    writer.Append(59);  // BEGINPATH
    writer.MoveToEx(0, 0);
    writer.LineTo(10, 0);
    writer.LineTo(10, 10);
    writer.Append(61);  // CLOSEFIGURE
    writer.Rectangle({20, 20, 30, 30});
    writer.Append(60);  // ENDPATH
    writer.Append(62, Payload().Rect({0, 0, 30, 30}));  // FILLPATH
    const auto body = Converted(writer.Finish());
    EXPECT_TRUE(OfFunction(body, wmf::META_LINETO).empty());
    EXPECT_TRUE(OfFunction(body, wmf::META_RECTANGLE).empty());
    const auto polys = OfFunction(body, wmf::META_POLYPOLYGON);
    ASSERT_EQ(polys.size(), 1u);
    EXPECT_EQ(Words(polys[0], 3), (std::vector<int>{2, 3, 4}));
    const auto pens = OfFunction(body, wmf::META_CREATEPENINDIRECT);
    ASSERT_GE(pens.size(), 1u);
    EXPECT_EQ(Words(pens[0], 1)[0], PS_NULL);
}

TEST(EmfToWmfBitmaps, DibsAndPatternBlocksConvert)
{
    EmfWriter writer;
    const uint8_t rgb[] = {255, 0, 0, 0, 255, 0};
    writer.StretchDIBits(1, 2, 30, 40, Dib24::FromRgb(2, 1, rgb));
    Payload blt;  // BITBLT without a source: PATCOPY
    blt.Rect({}).I32(5).I32(6).I32(7).I32(8).U32(0x00F00021).I32(0).I32(0);
    blt.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
    writer.Append(76, blt);
    const auto body = Converted(writer.Finish());
    const auto dibs = OfFunction(body, wmf::META_STRETCHDIB);
    ASSERT_EQ(dibs.size(), 1u);
    // rop, usage, srcH, srcW, ySrc, xSrc, destH, destW, yDest, xDest, then the DIB
    EXPECT_EQ(Words(dibs[0], 11), (std::vector<int>{0x0020, 0x00CC, 0, 1, 2, 0, 0, 40, 30, 2, 1}));
    EXPECT_EQ(dibs[0].U32(11).value_or(0), 40u);  // biSize after the 11 words
    EXPECT_EQ(Words(OfFunction(body, wmf::META_PATBLT).at(0), 6), (std::vector<int>{0x0021, 0x00F0, 8, 7, 6, 5}));
}

TEST(EmfToWmfRoundTrip, ThePictureComesBackExactlyThroughItsEmbeddedCopy)
{
    EmfWriter writer(Frame({0, 0, 15000, 10000}));
    writer.Rectangle({10, 10, 200, 100});
    const auto emf = writer.Finish();
    const auto body = GetWinMetaFileBits(emf, MM_ANISOTROPIC, kScreen);
    ASSERT_FALSE(body.empty());
    uint16_t sum = 0;
    for (size_t i = 0; i + 1 < body.size(); i += 2) sum = static_cast<uint16_t>(sum + LoadU16(body.data() + i));
    EXPECT_EQ(sum, 0);
    EXPECT_EQ(SetWinMetaFileBits(body, {MM_ANISOTROPIC, 0, 0}, kScreen), emf);
}

TEST(EmfToWmfRoundTrip, ConvertedRecordsKeepTheFrameAndTheDrawing)
{
    EmfWriter writer(Frame({0, 0, 15000, 10000}));
    writer.CreatePen(1, PS_SOLID, 2, 0x0000FF);
    writer.SelectObject(1);
    writer.Rectangle({10, 10, 200, 100});
    writer.MoveToEx(0, 0);
    writer.LineTo(300, 200);
    const PointS triangle[] = {{0, 0}, {40, 0}, {0, 40}};
    writer.Polygon16(triangle);
    const int32_t dx[] = {8, 8};
    writer.ExtTextOutW({50, 60}, u"ok", dx);
    const auto emf = writer.Finish();
    const auto body = Converted(emf);
    // A placeable read with the frame's size as its extents.
    const auto back = SetWinMetaFileBits(body, {MM_ANISOTROPIC, 15000, 10000}, kScreen);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(ValidationError(*back), "");
    EXPECT_EQ(ParseHeader(*back).rclFrame, (RectL{0, 0, 15000, 10000}));
    std::vector<uint32_t> drawing;
    for (const uint32_t type : test::RecordTypes(*back)) {
        if (type == kEmrRectangle || type == kEmrMoveToEx || type == kEmrLineTo || type == kEmrPolygon16 ||
            type == kEmrExtTextOutW || type == kEmrCreatePen)
            drawing.push_back(type);
    }
    EXPECT_EQ(drawing, (std::vector<uint32_t>{kEmrCreatePen, kEmrRectangle, kEmrMoveToEx, kEmrLineTo, kEmrPolygon16,
                                              kEmrExtTextOutW}));
    // The window is the frame in pixels; coordinates stay on the device's pixels.
    EXPECT_EQ(test::Fields(test::RecordsOfType(*back, kEmrRectangle).at(0), 4), (std::vector<int32_t>{10, 10, 200, 100}));
    EXPECT_EQ(test::Fields(test::RecordsOfType(*back, kEmrSetWindowExtEx).back(), 2), (std::vector<int32_t>{480, 320}));
}

TEST(EmfToWmfDamage, EveryCutOfAPictureGivesNothingOrAWellFormedWmf)
{
    EmfWriter writer;
    writer.CreatePen(1, PS_SOLID, 2, 0x0000FF);
    writer.SelectObject(1);
    writer.Rectangle({10, 10, 200, 100});
    const int32_t dx[] = {8, 8};
    writer.ExtTextOutW({50, 60}, u"ok", dx);
    const uint8_t rgb[] = {255, 0, 0};
    writer.StretchDIBits(1, 2, 30, 40, Dib24::FromRgb(1, 1, rgb));
    auto emf = writer.Finish();
    for (size_t cut = 0; cut <= emf.size(); ++cut) {
        std::vector<uint8_t> part(emf.begin(), emf.begin() + static_cast<std::ptrdiff_t>(cut));
        if (part.size() >= 52) {  // keep nBytes honest so that the cut is the damage
            const auto n = static_cast<uint32_t>(part.size());
            for (int i = 0; i < 4; ++i) part[48 + static_cast<size_t>(i)] = static_cast<uint8_t>(n >> (8 * i));
        }
        const auto body = GetWinMetaFileBits(part, MM_ANISOTROPIC, kScreen);
        if (!body.empty()) WmfRecords(body);
    }
}

// Records whose fields do not fit them: each is skipped and reported at its offset, never
// read as zeros, and the records around it still convert.
TEST(EmfToWmfDamage, ShortOrInconsistentRecordsAreReportedAndDrawNothing)
{
    const struct {
        const char* what;
        uint32_t type;
        Payload payload;
    } cases[] = {
        {"map mode without a value", kEmrSetMapMode, Payload()},
        {"window extent without y", kEmrSetWindowExtEx, Payload().I32(5)},
        {"world transform cut short", kEmrModifyWorldTransform, Payload().F32(1).F32(0)},
        {"unknown world transform mode", kEmrModifyWorldTransform,
         Payload().F32(2).F32(0).F32(0).F32(2).F32(0).F32(0).U32(9)},
        {"restore without a level", kEmrRestoreDC, Payload()},
        {"text colour without a value", kEmrSetTextColor, Payload()},
        {"text justification cut short", kEmrSetTextJustification, Payload().I32(3)},
        {"rectangle cut short", kEmrRectangle, Payload().I32(0).I32(0).I32(100)},
        {"round rectangle without corner", kEmrRoundRect, Payload().Rect({0, 0, 100, 100})},
        {"arc without end point", kEmrArc, Payload().Rect({0, 0, 100, 100}).I32(0).I32(0)},
        {"pixel without colour", kEmrSetPixelV, Payload().I32(3).I32(4)},
        {"line to nowhere", kEmrLineTo, Payload().I32(3)},
        {"polyline claiming more points than it has", kEmrPolyline16,
         Payload().Rect({0, 0, 9, 9}).U32(40).I16(1).I16(1).I16(9).I16(9)},
        {"polypolygon whose counts do not add up", kEmrPolyPolygon16,
         Payload().Rect({0, 0, 9, 9}).U32(1).U32(3).U32(2).I16(0).I16(0).I16(9).I16(0).I16(9).I16(9)},
        {"text whose string lies outside", kEmrExtTextOutW,
         Payload().Rect({0, 0, 9, 9}).U32(1).F32(1).F32(1).I32(0).I32(0).U32(4).U32(5000).U32(0).Rect({}).U32(0)},
        {"bitmap whose header lies outside", kEmrStretchDIBits,
         Payload().Rect({0, 0, 9, 9}).I32(0).I32(0).I32(0).I32(0).I32(4).I32(4).U32(900).U32(40).U32(0).U32(0)
             .U32(0).U32(SRCCOPY).I32(4).I32(4)},
        {"pen cut short", kEmrCreatePen, Payload().U32(1).U32(PS_SOLID)},
        {"selection without a handle", kEmrSelectObject, Payload()},
        {"clip region with a count past its end", kEmrExtSelectClipRgn,
         Payload().U32(48).U32(RGN_COPY).U32(32).U32(1).U32(9).U32(16).Rect({0, 0, 9, 9}).Rect({0, 0, 9, 9})},
        {"palette resize without a size", kEmrResizePalette, Payload().U32(1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EmfWriter writer(Frame({0, 0, 10000, 10000}));
        writer.Rectangle({10, 10, 20, 20});
        const size_t offset = writer.Bytes().size();
        writer.Append(c.type, c.payload);
        writer.Ellipse({30, 30, 40, 40});
        const auto emf = writer.Finish();
        ASSERT_TRUE(IsValidEnhMetafile(emf));

        wmf::EmfToWmf converter(emf, kScreen);
        const auto body = converter.Convert(false);
        EXPECT_EQ(converter.DamagedOffsets(), (std::vector<uint32_t>{static_cast<uint32_t>(offset)}));
        EXPECT_EQ(OfFunction(body, wmf::META_RECTANGLE).size(), 1u);
        EXPECT_EQ(OfFunction(body, wmf::META_ELLIPSE).size(), 1u);
        for (const uint16_t drawing : {wmf::META_ROUNDRECT, wmf::META_ARC, wmf::META_SETPIXEL, wmf::META_LINETO,
                                       wmf::META_POLYLINE, wmf::META_POLYPOLYGON, wmf::META_EXTTEXTOUT,
                                       wmf::META_STRETCHDIB, wmf::META_CREATEPENINDIRECT, wmf::META_SELECTCLIPREGION,
                                       wmf::META_RESIZEPALETTE, wmf::META_RESTOREDC, wmf::META_SETTEXTCOLOR,
                                       wmf::META_SETTEXTJUSTIFICATION})
            EXPECT_TRUE(OfFunction(body, drawing).empty()) << "function " << drawing;
    }

    // A sound picture reports nothing.
    EmfWriter writer(Frame({0, 0, 10000, 10000}));
    writer.Rectangle({10, 10, 20, 20});
    const std::vector<uint8_t> sound = writer.Finish();  // the converter reads it in place
    wmf::EmfToWmf converter(sound, kScreen);
    converter.Convert(false);
    EXPECT_TRUE(converter.DamagedOffsets().empty());
}

}  // namespace
}  // namespace qrp::emf
