#include "emf/header.h"
#include "emf/test_emf_records.h"
#include "emf/wmf/test_wmf_builder.h"
#include "emf/validate.h"
#include "emf/wmf/wmf_convert.h"
#include "emf/wmf/wmf_embedded_emf.h"
#include "emf/emf_writer.h"

#include <gtest/gtest.h>

#include <string>

namespace qrp::emf {
namespace {

using test::AllRecords;
using test::Fields;
using test::RecordsOfType;
using wmf::test::WmfBuilder;
using namespace gdi;

const ReferenceDevice kDevice{1024, 768, 320, 240};

std::vector<uint8_t> Convert(const std::vector<uint8_t>& wmf, MetaFilePict pict = {MM_ANISOTROPIC, 0, 0})
{
    auto emf = SetWinMetaFileBits(wmf, pict, kDevice);
    EXPECT_TRUE(emf.has_value());
    if (!emf) return {};
    EXPECT_EQ(ValidationError(*emf), "");
    return *emf;
}

std::u16string TextOf(const Record& r)
{
    const uint32_t n = r.U32(44).value_or(0), off = r.U32(48).value_or(0);
    std::u16string s;
    for (uint32_t i = 0; i < n; ++i) s.push_back(static_cast<char16_t>(r.U16(off + 2 * i).value_or(0)));
    return s;
}

std::vector<int32_t> DxOf(const Record& r)
{
    const uint32_t n = r.U32(44).value_or(0), off = r.U32(72).value_or(0);
    std::vector<int32_t> dx;
    if (off == 0) return dx;
    for (uint32_t i = 0; i < n; ++i) dx.push_back(r.I32(off + 4 * i).value_or(-1));
    return dx;
}

TEST(WmfToEmfHeader, RefusesBodiesThatAreNotWindowsMetafiles)
{
    EXPECT_FALSE(SetWinMetaFileBits(Bytes{}, {}).has_value());
    std::vector<uint8_t> wmf = WmfBuilder().Finish();
    EXPECT_TRUE(SetWinMetaFileBits(wmf, {}).has_value());
    auto broken = wmf;
    broken[0] = 3;  // type neither memory nor disk
    EXPECT_FALSE(SetWinMetaFileBits(broken, {}).has_value());
    broken = wmf;
    broken[2] = 10;  // header size other than 9 words
    EXPECT_FALSE(SetWinMetaFileBits(broken, {}).has_value());
    broken = wmf;
    broken[5] = 0x02;  // version 0x0200
    EXPECT_FALSE(SetWinMetaFileBits(broken, {}).has_value());
    EXPECT_FALSE(SetWinMetaFileBits(Bytes(wmf).first(17), {}).has_value());
    // An enhanced metafile is not a Windows metafile.
    EmfWriter emf;
    EXPECT_FALSE(SetWinMetaFileBits(emf.Finish(), {}).has_value());
}

TEST(WmfToEmfFrame, PositiveExtentsGiveTheFrameAndMapTheWindowOntoIt)
{
    const auto emf = Convert(WmfBuilder().WindowOrg(0, 0).WindowExt(1000, 500).Rectangle(0, 0, 1000, 500).Finish(),
                             {MM_ANISOTROPIC, 5000, 3000});
    const EnhMetaHeader h = ParseHeader(emf);
    EXPECT_EQ(h.rclFrame, (RectL{0, 0, 5000, 3000}));
    EXPECT_EQ(h.szlDevice, (SizeL{1024, 768}));
    EXPECT_EQ(h.szlMillimeters, (SizeL{320, 240}));
    // 5000 x 3000 hundredths of a millimetre on the device: 160 x 96 pixels.
    const auto records = AllRecords(emf);
    ASSERT_GE(records.size(), 5u);
    EXPECT_EQ(records[1].Type(), kEmrComment);  // the WMF itself
    EXPECT_EQ(records[2].Type(), kEmrSetMapMode);
    EXPECT_EQ(Fields(records[2], 1), (std::vector<int32_t>{MM_ANISOTROPIC}));
    EXPECT_EQ(records[3].Type(), kEmrSetWindowExtEx);
    EXPECT_EQ(Fields(records[3], 2), (std::vector<int32_t>{160, 96}));
    EXPECT_EQ(records[4].Type(), kEmrSetViewportExtEx);
    EXPECT_EQ(Fields(records[4], 2), (std::vector<int32_t>{160, 96}));
    EXPECT_EQ(h.rclBounds, (RectL{0, 0, 159, 95}));
}

TEST(WmfToEmfFrame, ZeroExtentsTakeThePicturesOwnWindowSoThePictureKeepsItsShape)
{
    // A 1000 x 1000 window, one unit to a pixel: a square picture on a 4:3 device.
    const auto wmf = WmfBuilder().WindowOrg(0, 0).WindowExt(1000, 1000).Rectangle(0, 0, 500, 250).Finish();
    const auto first = Convert(wmf, {MM_ANISOTROPIC, 0, 0});
    const EnhMetaHeader h = ParseHeader(first);
    EXPECT_EQ(h.rclBounds, (RectL{0, 0, 499, 249}));
    EXPECT_EQ(h.rclFrame, (RectL{0, 0, 31250, 31250}));
    // The placeable read converts again with the first frame's right and bottom.
    const auto second = Convert(wmf, {MM_ANISOTROPIC, h.rclFrame.right, h.rclFrame.bottom});
    EXPECT_EQ(ParseHeader(second).rclFrame, h.rclFrame);
    // Negative extents count as none; a y axis pointing up counts by its length.
    EXPECT_EQ(ParseHeader(Convert(wmf, {MM_ANISOTROPIC, -1, -1})).rclFrame, h.rclFrame);
    const auto up = WmfBuilder().WindowExt(2000, -1000).Rectangle(0, 0, 500, -250).Finish();
    EXPECT_EQ(ParseHeader(Convert(up)).rclFrame, (RectL{0, 0, 62500, 31250}));
    // A placeable box wins over the window: A4 portrait at 1440 units per inch.
    const auto boxed = SetWinMetaFileBits(wmf, {MM_ANISOTROPIC, 0, 0}, kDevice, PlaceableBox{11906, 16838, 1440});
    ASSERT_TRUE(boxed.has_value());
    EXPECT_EQ(ParseHeader(*boxed).rclFrame, (RectL{0, 0, 21001, 29700}));
    // A box no larger than nothing is no box.
    const auto flat = SetWinMetaFileBits(wmf, {MM_ANISOTROPIC, 0, 0}, kDevice, PlaceableBox{100, 0, 1440});
    EXPECT_EQ(ParseHeader(*flat).rclFrame, h.rclFrame);
    // Positive extents are the caller's: neither box nor window changes them.
    const auto given = SetWinMetaFileBits(wmf, {MM_ANISOTROPIC, 5000, 3000}, kDevice, PlaceableBox{11906, 16838, 1440});
    EXPECT_EQ(ParseHeader(*given).rclFrame, (RectL{0, 0, 5000, 3000}));
}

TEST(WmfToEmfFrame, WithoutAWindowExtentZeroExtentsMapOntoTheWholeDevice)
{
    const auto wmf = WmfBuilder().Rectangle(0, 0, 500, 250).Finish();
    const EnhMetaHeader h = ParseHeader(Convert(wmf, {MM_ANISOTROPIC, 0, 0}));
    EXPECT_EQ(h.rclBounds, (RectL{0, 0, 499, 249}));
    EXPECT_EQ(h.rclFrame, (RectL{0, 0, 15593, 7781}));
    // A zero window extent is no extent.
    const auto zero = WmfBuilder().WindowExt(0, 100).Rectangle(0, 0, 500, 250).Finish();
    EXPECT_EQ(ParseHeader(Convert(zero, {MM_ANISOTROPIC, 0, 0})).rclFrame, h.rclFrame);
}

TEST(WmfToEmfFrame, TextModeDrawsInDevicePixelsAndIsotropicKeepsTheAspect)
{
    const auto text = Convert(WmfBuilder().Rectangle(10, 20, 110, 70).Finish(), {MM_TEXT, 0, 0});
    EXPECT_EQ(ParseHeader(text).rclBounds, (RectL{10, 20, 109, 69}));
    EXPECT_EQ(RecordsOfType(text, kEmrSetMapMode).size(), 0u);

    // 1000 x 1000 window, no suggested size: 1000 x 1000 pixels, square.
    const auto iso = Convert(WmfBuilder().WindowExt(1000, 1000).Rectangle(0, 0, 1000, 1000).Finish(), {MM_ISOTROPIC, 0, 0});
    EXPECT_EQ(ParseHeader(iso).rclBounds, (RectL{0, 0, 999, 999}));
    // A suggested size of another shape: the window keeps its aspect inside it.
    const auto wide = Convert(WmfBuilder().WindowExt(1000, 1000).Rectangle(0, 0, 1000, 1000).Finish(),
                              {MM_ISOTROPIC, 6250, 3125});
    EXPECT_EQ(ParseHeader(wide).rclBounds, (RectL{0, 0, 99, 99}));
}

TEST(WmfToEmfFrame, MetricModesScaleByTheDeviceSizeAndZeroExtentsAreIgnored)
{
    // Tenths of a millimetre, y upwards: 320 mm are 1024 pixels.
    const auto metric = Convert(WmfBuilder().MapMode(MM_LOMETRIC).Rectangle(0, 0, 1000, -500).Finish(), {MM_TEXT, 0, 0});
    EXPECT_EQ(ParseHeader(metric).rclBounds, (RectL{0, 0, 319, 159}));
    EXPECT_EQ(ParseHeader(metric).rclFrame, (RectL{0, 0, 9968, 4968}));
    // A zero window extent leaves the mapping as it was.
    const auto zero = Convert(WmfBuilder().WindowExt(100, 100).WindowExt(0, 0).Rectangle(0, 0, 100, 100).Finish(),
                              {MM_ANISOTROPIC, 3200, 2400});
    EXPECT_EQ(ParseHeader(zero).rclBounds, (RectL{0, 0, 101, 76}));
}

TEST(WmfToEmfMapping, WindowAndViewportRecordsConvertAndOffsetsBecomeAbsolute)
{
    const auto emf = Convert(WmfBuilder()
                                 .MapMode(MM_ANISOTROPIC)
                                 .WindowOrg(10, 20)
                                 .Words(wmf::META_OFFSETWINDOWORG, {5, 3})
                                 .ViewportOrg(1, 2)
                                 .Words(wmf::META_OFFSETVIEWPORTORG, {-2, -1})
                                 .ViewportExt(300, 200)
                                 .Words(wmf::META_SCALEWINDOWEXT, {1, 2, 3, 4})
                                 .Finish());
    const auto orgs = RecordsOfType(emf, kEmrSetWindowOrgEx);
    ASSERT_EQ(orgs.size(), 2u);
    EXPECT_EQ(Fields(orgs[1], 2), (std::vector<int32_t>{13, 25}));
    const auto vorgs = RecordsOfType(emf, kEmrSetViewportOrgEx);
    ASSERT_EQ(vorgs.size(), 2u);
    EXPECT_EQ(Fields(vorgs[1], 2), (std::vector<int32_t>{0, 0}));
    const auto scale = RecordsOfType(emf, kEmrScaleWindowExtEx);
    ASSERT_EQ(scale.size(), 1u);
    EXPECT_EQ(Fields(scale[0], 4), (std::vector<int32_t>{4, 3, 2, 1}));
}

TEST(WmfToEmfState, ModesColoursAndSaveRestoreConvert)
{
    const auto emf = Convert(WmfBuilder()
                                 .Color(wmf::META_SETBKCOLOR, 0x00112233)
                                 .Color(wmf::META_SETTEXTCOLOR, 0x00445566)
                                 .Words(wmf::META_SETBKMODE, {1})
                                 .Words(wmf::META_SETROP2, {7})
                                 .Words(wmf::META_SETPOLYFILLMODE, {2})
                                 .Words(wmf::META_SETSTRETCHBLTMODE, {3})
                                 .Words(wmf::META_SETTEXTALIGN, {24})
                                 .SaveDC()
                                 .SaveDC()
                                 .SaveDC()
                                 .RestoreDC(2)   // absolute level 2: two levels back
                                 .RestoreDC(-1)
                                 .RestoreDC(-5)  // deeper than saved: ignored
                                 .Finish());
    auto one = [&](uint32_t type) {
        const auto r = RecordsOfType(emf, type);
        return r.size() == 1 ? Fields(r[0], 1)[0] : -1;
    };
    EXPECT_EQ(one(kEmrSetBkColor), 0x00112233);
    EXPECT_EQ(one(kEmrSetTextColor), 0x00445566);
    EXPECT_EQ(one(kEmrSetBkMode), 1);
    EXPECT_EQ(one(kEmrSetRop2), 7);
    EXPECT_EQ(one(kEmrSetPolyFillMode), 2);
    EXPECT_EQ(one(kEmrSetStretchBltMode), 3);
    EXPECT_EQ(one(kEmrSetTextAlign), 24);
    const auto restores = RecordsOfType(emf, kEmrRestoreDC);
    ASSERT_EQ(restores.size(), 2u);
    EXPECT_EQ(Fields(restores[0], 1)[0], -2);
    EXPECT_EQ(Fields(restores[1], 1)[0], -1);
}

TEST(WmfToEmfObjects, ObjectsTakeTheLowestFreeSlotAndHandlesFollowIt)
{
    const auto emf = Convert(WmfBuilder()
                                 .Pen(0, 3, 0x0000FF)   // slot 0
                                 .Brush(0, 0x00FF00)    // slot 1
                                 .Delete(0)
                                 .Font(-12, "Arial")    // slot 0 again
                                 .Brush(2, 0xFF0000, 3) // slot 2
                                 .Select(0)
                                 .Select(1)
                                 .Select(2)
                                 .Select(7)             // nothing there
                                 .Finish());
    const auto pens = RecordsOfType(emf, kEmrCreatePen);
    ASSERT_EQ(pens.size(), 1u);
    EXPECT_EQ(Fields(pens[0], 5), (std::vector<int32_t>{1, 0, 3, 0, 0x0000FF}));
    const auto brushes = RecordsOfType(emf, kEmrCreateBrushIndirect);
    ASSERT_EQ(brushes.size(), 2u);
    EXPECT_EQ(Fields(brushes[0], 4), (std::vector<int32_t>{2, 0, 0x00FF00, 0}));
    EXPECT_EQ(Fields(brushes[1], 4), (std::vector<int32_t>{3, 2, 0xFF0000, 3}));
    const auto fonts = RecordsOfType(emf, kEmrExtCreateFontIndirectW);
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_EQ(Fields(fonts[0], 2), (std::vector<int32_t>{1, -12}));
    EXPECT_EQ(fonts[0].U16(8 + 4 + 28).value_or(0), u'A');
    const auto deletes = RecordsOfType(emf, kEmrDeleteObject);
    ASSERT_GE(deletes.size(), 1u);
    EXPECT_EQ(Fields(deletes[0], 1)[0], 1);
    const auto selects = RecordsOfType(emf, kEmrSelectObject);
    ASSERT_GE(selects.size(), 3u);
    EXPECT_EQ(Fields(selects[0], 1)[0], 1);
    EXPECT_EQ(Fields(selects[1], 1)[0], 2);
    EXPECT_EQ(Fields(selects[2], 1)[0], 3);
    EXPECT_EQ(ParseHeader(emf).nHandles, 4);
    // At the end every object left is deleted, after the stock objects are selected back.
    EXPECT_EQ(deletes.size(), 4u);
}

TEST(WmfToEmfObjects, TheTableHoldsOnlyTheHeadersObjectCount)
{
    const auto emf = Convert(WmfBuilder().Pen(0, 1, 0).Pen(0, 2, 0).Pen(0, 3, 0).Select(2).Finish(2));
    EXPECT_EQ(RecordsOfType(emf, kEmrCreatePen).size(), 2u);
    for (const Record& r : RecordsOfType(emf, kEmrSelectObject)) EXPECT_NE(Fields(r, 1)[0], 3);
}

TEST(WmfToEmfObjects, PalettesRegionsAndPatternBrushesConvert)
{
    const auto dib = wmf::test::SolidDib24(2, 2, 1, 2, 3);
    wmf::WmfParams pattern;
    pattern.U16(5).U16(0).Raw(dib);
    const auto emf = Convert(WmfBuilder()
                                 .Palette({0x00010203, 0x00040506})  // slot 0
                                 .Words(wmf::META_SELECTPALETTE, {0})
                                 .Words(wmf::META_REALIZEPALETTE, {})
                                 .Region({{10, 10, 20, 20}, {30, 10, 40, 20}})  // slot 1
                                 .Words(wmf::META_SELECTCLIPREGION, {1})
                                 .Raw(wmf::META_DIBCREATEPATTERNBRUSH, pattern)  // slot 2
                                 .Words(wmf::META_FILLREGION, {1, 2})
                                 .Words(wmf::META_SELECTCLIPREGION, {9})  // no region: default clip
                                 .Finish());
    const auto palettes = RecordsOfType(emf, kEmrCreatePalette);
    ASSERT_EQ(palettes.size(), 1u);
    EXPECT_EQ(Fields(palettes[0], 4), (std::vector<int32_t>{1, 0x00020300, 0x00010203, 0x00040506}));
    EXPECT_EQ(Fields(RecordsOfType(emf, kEmrSelectPalette).at(0), 1)[0], 1);
    EXPECT_EQ(RecordsOfType(emf, kEmrRealizePalette).size(), 1u);

    const auto clips = RecordsOfType(emf, kEmrExtSelectClipRgn);
    ASSERT_EQ(clips.size(), 2u);
    // cbRgnData, iMode RGN_COPY, RGNDATAHEADER { 32, RDH_RECTANGLES, 2 rects, 32 bytes, bounds }, rects
    EXPECT_EQ(Fields(clips[0], 14),
              (std::vector<int32_t>{64, 5, 32, 1, 2, 32, 10, 10, 40, 20, 10, 10, 20, 20}));
    EXPECT_EQ(Fields(clips[1], 2), (std::vector<int32_t>{0, 5}));

    const auto brushes = RecordsOfType(emf, kEmrCreateDibPatternBrushPt);
    ASSERT_EQ(brushes.size(), 1u);
    // ihBrush, iUsage, offBmi, cbBmi, offBits, cbBits
    EXPECT_EQ(Fields(brushes[0], 6), (std::vector<int32_t>{3, 0, 32, 40, 72, 16}));
    const auto fills = RecordsOfType(emf, kEmrFillRgn);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(Fields(fills[0], 6), (std::vector<int32_t>{10, 10, 40, 20, 64, 3}));
}

TEST(WmfToEmfShapes, LinesShapesAndPolygonsKeepTheirCoordinates)
{
    const auto emf = Convert(WmfBuilder()
                                 .MoveTo(1, 2)
                                 .LineTo(3, 4)
                                 .Rectangle(10, 20, 30, 40)
                                 .Words(wmf::META_ELLIPSE, {40, 30, 20, 10})
                                 .Words(wmf::META_ROUNDRECT, {6, 5, 40, 30, 20, 10})
                                 .Words(wmf::META_ARC, {8, 7, 6, 5, 40, 30, 20, 10})
                                 .Words(wmf::META_CHORD, {8, 7, 6, 5, 40, 30, 20, 10})
                                 .Words(wmf::META_PIE, {8, 7, 6, 5, 40, 30, 20, 10})
                                 .Raw(wmf::META_SETPIXEL, wmf::WmfParams().U32(0x00ABCDEF).I16(9).I16(8))
                                 .Poly(wmf::META_POLYLINE, {{1, 1}, {5, 1}, {5, 5}})
                                 .Poly(wmf::META_POLYGON, {{0, 0}, {9, 0}, {0, 9}})
                                 .PolyPolygon({{{0, 0}, {4, 0}, {0, 4}}, {{10, 10}, {14, 10}, {10, 14}, {12, 12}}})
                                 .Finish(),
                             {MM_TEXT, 0, 0});
    EXPECT_EQ(Fields(RecordsOfType(emf, kEmrMoveToEx).at(0), 2), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(Fields(RecordsOfType(emf, kEmrLineTo).at(0), 2), (std::vector<int32_t>{3, 4}));
    EXPECT_EQ(Fields(RecordsOfType(emf, kEmrRectangle).at(0), 4), (std::vector<int32_t>{10, 20, 30, 40}));
    EXPECT_EQ(Fields(RecordsOfType(emf, kEmrEllipse).at(0), 4), (std::vector<int32_t>{10, 20, 30, 40}));
    EXPECT_EQ(Fields(RecordsOfType(emf, kEmrRoundRect).at(0), 6), (std::vector<int32_t>{10, 20, 30, 40, 5, 6}));
    for (const uint32_t type : {kEmrArc, kEmrChord, kEmrPie})
        EXPECT_EQ(Fields(RecordsOfType(emf, type).at(0), 8), (std::vector<int32_t>{10, 20, 30, 40, 5, 6, 7, 8}));
    EXPECT_EQ(Fields(RecordsOfType(emf, kEmrSetPixelV).at(0), 3), (std::vector<int32_t>{8, 9, 0x00ABCDEF}));

    const Record polyline = RecordsOfType(emf, kEmrPolyline16).at(0);
    EXPECT_EQ(Fields(polyline, 5), (std::vector<int32_t>{1, 1, 5, 5, 3}));  // bounds, count
    EXPECT_EQ(polyline.I16(28 + 8).value_or(0), 5);                          // third point's x
    const Record polygon = RecordsOfType(emf, kEmrPolygon16).at(0);
    EXPECT_EQ(Fields(polygon, 5)[4], 3);
    const Record polys = RecordsOfType(emf, kEmrPolyPolygon16).at(0);
    // bounds, nPolys, total points, counts
    EXPECT_EQ(Fields(polys, 8), (std::vector<int32_t>{0, 0, 14, 14, 2, 7, 3, 4}));
    EXPECT_EQ(polys.Size(), 8u + 16 + 8 + 8 + 7 * 4 + 0);
}

TEST(WmfToEmfShapes, CountsBeyondTheRecordAreCutToWhatItHolds)
{
    wmf::WmfParams lying;
    lying.I16(30000).I16(1).I16(2).I16(3).I16(4);
    wmf::WmfParams polys;
    polys.U16(3).U16(2).U16(2).U16(60000).I16(0).I16(0).I16(1).I16(1).I16(5).I16(5).I16(6).I16(6);
    const auto emf = Convert(WmfBuilder().Raw(wmf::META_POLYLINE, lying).Raw(wmf::META_POLYPOLYGON, polys).Finish());
    EXPECT_EQ(Fields(RecordsOfType(emf, kEmrPolyline16).at(0), 5)[4], 2);
    EXPECT_EQ(Fields(RecordsOfType(emf, kEmrPolyPolygon16).at(0), 6)[4], 2);  // the two whole polygons
}

TEST(WmfToEmfText, AnsiTextIsDecodedInTheFontsCharacterSetWithItsAdvances)
{
    const auto emf = Convert(WmfBuilder()
                                 .Font(-20, "Arial", 0)
                                 .Select(0)
                                 .TextOut(5, 6, "a\xE7\xE3o")              // "ação" in code page 1252
                                 .Font(-20, "Arial", 204)
                                 .Select(1)
                                 .ExtTextOut(7, 8, 2, {1, 2, 3, 4}, "\xCF\xF0", {10, 11})  // Cyrillic "Пр"
                                 .Font(-20, "Symbol", 2)
                                 .Select(2)
                                 .ExtTextOut(0, 0, 0, {}, "\x61\x62\x63", {})
                                 .Font(-20, "MS Gothic", 128)
                                 .Select(3)
                                 .ExtTextOut(0, 0, 0, {}, "\x82\xA0X", {8, 8, 5})  // hiragana A, then X
                                 .Finish(),
                             {MM_TEXT, 0, 0});
    const auto wide = RecordsOfType(emf, kEmrExtTextOutW);
    ASSERT_EQ(wide.size(), 3u);
    EXPECT_EQ(TextOf(wide[0]), u"a\u00E7\u00E3o");
    EXPECT_EQ(Fields(wide[0], 9)[7], 5);  // reference point x
    EXPECT_TRUE(DxOf(wide[0]).empty());
    EXPECT_EQ(TextOf(wide[1]), u"\u041F\u0440");
    EXPECT_EQ(DxOf(wide[1]), (std::vector<int32_t>{10, 11}));
    // fOptions ETO_OPAQUE and its rectangle
    EXPECT_EQ(Fields(wide[1], 15), (std::vector<int32_t>{wide[1].I32(8).value(), wide[1].I32(12).value(),
                                                          wide[1].I32(16).value(), wide[1].I32(20).value(), 1,
                                                          wide[1].I32(28).value(), wide[1].I32(32).value(), 7, 8, 2,
                                                          76, 2, 1, 2, 3}));
    EXPECT_EQ(TextOf(wide[2]), u"\u3042X");
    EXPECT_EQ(DxOf(wide[2]), (std::vector<int32_t>{16, 5}));
    const auto narrow = RecordsOfType(emf, kEmrExtTextOutA);
    ASSERT_EQ(narrow.size(), 1u);  // the symbol set stays 8-bit
    EXPECT_EQ(narrow[0].U32(44).value_or(0), 3u);
    EXPECT_EQ(narrow[0].Data()[76], 'a');
}

TEST(WmfToEmfText, TextWithoutItsRectangleAndCutStringsStillConvert)
{
    // ETO_CLIPPED without the rectangle, as some writers leave it.
    wmf::WmfParams noRect;
    noRect.I16(3).I16(4).I16(2).U16(4).Raw(std::vector<uint8_t>{'h', 'i'});
    wmf::WmfParams cut;
    cut.I16(3).I16(4).I16(200).U16(0).Raw(std::vector<uint8_t>{'a', 'b', 'c', 'd'});
    const auto emf = Convert(WmfBuilder().Raw(wmf::META_EXTTEXTOUT, noRect).Raw(wmf::META_EXTTEXTOUT, cut).Finish());
    const auto wide = RecordsOfType(emf, kEmrExtTextOutW);
    ASSERT_EQ(wide.size(), 2u);
    EXPECT_EQ(TextOf(wide[0]), u"hi");
    EXPECT_EQ(TextOf(wide[1]), u"abcd");
}

TEST(WmfToEmfClip, ClipRecordsConvert)
{
    const auto emf = Convert(WmfBuilder()
                                 .Words(wmf::META_INTERSECTCLIPRECT, {40, 30, 20, 10})
                                 .Words(wmf::META_EXCLUDECLIPRECT, {4, 3, 2, 1})
                                 .Words(wmf::META_OFFSETCLIPRGN, {6, 5})
                                 .Finish());
    EXPECT_EQ(Fields(RecordsOfType(emf, kEmrIntersectClipRect).at(0), 4), (std::vector<int32_t>{10, 20, 30, 40}));
    EXPECT_EQ(Fields(RecordsOfType(emf, kEmrExcludeClipRect).at(0), 4), (std::vector<int32_t>{1, 2, 3, 4}));
    EXPECT_EQ(Fields(RecordsOfType(emf, kEmrOffsetClipRgn).at(0), 2), (std::vector<int32_t>{5, 6}));
}

TEST(WmfToEmfBitmaps, BlockTransfersBecomeStretchDibitsOrSourcelessBitBlt)
{
    const auto dib = wmf::test::SolidDib24(4, 3, 9, 8, 7);
    wmf::WmfParams stretch;  // rop, usage, srcH, srcW, ySrc, xSrc, destH, destW, yDest, xDest, DIB
    stretch.U32(0x00CC0020).U16(0).I16(3).I16(4).I16(0).I16(0).I16(30).I16(40).I16(2).I16(1).Raw(dib);
    wmf::WmfParams blt;  // rop, ySrc, xSrc, height, width, yDest, xDest, DIB
    blt.U32(0x00CC0020).I16(1).I16(0).I16(2).I16(4).I16(6).I16(5).Raw(dib);
    wmf::WmfParams setdib;  // usage, scans, start, yDib, xDib, height, width, yDest, xDest, DIB
    setdib.U16(0).U16(3).U16(0).I16(0).I16(0).I16(3).I16(4).I16(11).I16(10).Raw(dib);
    const auto emf = Convert(WmfBuilder()
                                 .Raw(wmf::META_STRETCHDIB, stretch)
                                 .Raw(wmf::META_DIBBITBLT, blt)
                                 .Raw(wmf::META_SETDIBTODEV, setdib)
                                 .Words(wmf::META_PATBLT, {0x0021, 0x00F0, 7, 8, 9, 10})  // PATCOPY
                                 .Finish(),
                             {MM_TEXT, 0, 0});
    const auto stretches = RecordsOfType(emf, kEmrStretchDIBits);
    ASSERT_EQ(stretches.size(), 2u);
    // xDest, yDest, xSrc, ySrc, cxSrc, cySrc, offBmi, cbBmi, offBits, cbBits, usage, rop, cxDest, cyDest
    EXPECT_EQ(Fields(stretches[0], 18), (std::vector<int32_t>{1, 2, 40, 31, 1, 2, 0, 0, 4, 3, 80, 40, 120, 36, 0,
                                                              0x00CC0020, 40, 30}));
    // A blt's source row counts from the top; in the bottom-up DIB that is row 3 - 1 - 2 = 0.
    EXPECT_EQ(Fields(stretches[1], 18), (std::vector<int32_t>{5, 6, 8, 7, 5, 6, 0, 0, 4, 2, 80, 40, 120, 36, 0,
                                                              0x00CC0020, 4, 2}));
    EXPECT_EQ(Fields(RecordsOfType(emf, kEmrSetDIBitsToDevice).at(0), 17),
              (std::vector<int32_t>{10, 11, 13, 13, 10, 11, 0, 0, 4, 3, 76, 40, 116, 36, 0, 0, 3}));
    const auto blts = RecordsOfType(emf, kEmrBitBlt);
    ASSERT_EQ(blts.size(), 1u);
    EXPECT_EQ(blts[0].Size(), 100u);
    EXPECT_EQ(Fields(blts[0], 9), (std::vector<int32_t>{10, 9, 17, 15, 10, 9, 8, 7, 0x00F00021}));
}

TEST(WmfToEmfComments, CommentsStayAndOtherEscapesGo)
{
    wmf::WmfParams other;
    other.U16(1).U16(2).U16(0);
    const auto emf = Convert(WmfBuilder().Comment("hello").Raw(wmf::META_ESCAPE, other).Finish());
    const auto comments = RecordsOfType(emf, kEmrComment);
    ASSERT_EQ(comments.size(), 2u);  // the WMF itself, then the comment
    EXPECT_EQ(comments[1].U32(8).value_or(0), 5u);
    EXPECT_EQ(comments[1].Data()[12], 'h');
}

TEST(WmfToEmfEmbedded, AnEnhancedMetafileCarriedInCommentsComesBackUnchanged)
{
    EmfWriterOptions options;
    options.frame = {0, 0, 1234, 567};
    EmfWriter writer(options);
    writer.Rectangle({1, 2, 3, 4});
    for (int i = 0; i < 2000; ++i) writer.LineTo(i, i);  // more than one comment's worth
    const std::vector<uint8_t> original = writer.Finish();

    WmfBuilder builder;
    wmf::AppendEmbeddedEnhMetafile(builder.Writer(), original);
    builder.Rectangle(0, 0, 10, 10);
    std::vector<uint8_t> wmf = builder.Finish();
    wmf::SealEmbeddedChecksum(wmf);
    uint16_t sum = 0;
    for (size_t i = 0; i < wmf.size(); i += 2) sum = static_cast<uint16_t>(sum + LoadU16(wmf.data() + i));
    EXPECT_EQ(sum, 0);
    EXPECT_EQ(SetWinMetaFileBits(wmf, {MM_ANISOTROPIC, 99, 99}, kDevice), original);

    // A damaged chunk: the records are converted instead.
    auto damaged = wmf;
    damaged[18 + 6 + 30] ^= 1;  // first chunk's RemainingBytes
    const auto converted = SetWinMetaFileBits(damaged, {MM_ANISOTROPIC, 99, 99}, kDevice);
    ASSERT_TRUE(converted.has_value());
    EXPECT_NE(*converted, original);
    EXPECT_EQ(RecordsOfType(*converted, kEmrRectangle).size(), 1u);
}

TEST(WmfToEmfEmbedded, APictureConvertedFromAWmfGivesThatWmfBack)
{
    const auto wmf = WmfBuilder().WindowExt(100, 100).Pen(0, 2, 0x112233).Select(0).Rectangle(0, 0, 50, 50).Finish();
    const auto emf = Convert(wmf, {MM_ANISOTROPIC, 0, 0});
    EXPECT_EQ(GetWinMetaFileBits(emf, MM_ANISOTROPIC, kDevice), wmf);
    // MM_TEXT pictures do not carry it: they come back converted.
    const auto text = Convert(wmf, {MM_TEXT, 0, 0});
    const auto back = GetWinMetaFileBits(text, MM_ANISOTROPIC, kDevice);
    EXPECT_FALSE(back.empty());
    EXPECT_NE(back, wmf);
}

TEST(WmfToEmfDamage, EveryShorterCutConvertsOrRefusesAndStopsAtTheDamage)
{
    const auto dib = wmf::test::SolidDib24(3, 3, 1, 2, 3);
    wmf::WmfParams stretch;
    stretch.U32(0x00CC0020).U16(0).I16(3).I16(3).I16(0).I16(0).I16(30).I16(30).I16(2).I16(1).Raw(dib);
    const auto wmf = WmfBuilder()
                         .WindowExt(100, 100)
                         .Pen(0, 2, 0x112233)
                         .Select(0)
                         .Font(-12, "Arial")
                         .Select(1)
                         .Region({{1, 1, 5, 5}})
                         .Words(wmf::META_SELECTCLIPREGION, {2})
                         .PolyPolygon({{{0, 0}, {4, 0}, {0, 4}}})
                         .ExtTextOut(1, 2, 6, {0, 0, 9, 9}, "text", {1, 2, 3, 4})
                         .Raw(wmf::META_STRETCHDIB, stretch)
                         .Rectangle(0, 0, 50, 50)
                         .Finish();
    for (size_t cut = 0; cut < wmf.size(); ++cut) {
        const auto emf = SetWinMetaFileBits(Bytes(wmf).first(cut), {MM_ANISOTROPIC, 0, 0}, kDevice);
        if (cut < 18) {
            EXPECT_FALSE(emf.has_value()) << cut;
            continue;
        }
        ASSERT_TRUE(emf.has_value()) << cut;
        EXPECT_EQ(ValidationError(*emf), "") << cut;
    }
    // A record whose size runs past the end ends the conversion there.
    auto damaged = wmf;
    const size_t penAt = 18 + 10;  // after SETWINDOWEXT (5 words)
    damaged[penAt] = 0xFF;
    damaged[penAt + 1] = 0xFF;
    const auto emf = SetWinMetaFileBits(damaged, {}, kDevice);
    ASSERT_TRUE(emf.has_value());
    EXPECT_EQ(RecordsOfType(*emf, kEmrCreatePen).size(), 0u);
    EXPECT_EQ(RecordsOfType(*emf, kEmrRectangle).size(), 0u);
}

TEST(WmfToEmfDamage, ASmallBodyCannotAskForAnEnormousPicture)
{
    // One region of many rectangles, selected as the clip again and again: every selection
    // copies the region into the picture.
    std::vector<std::vector<int16_t>> rects;
    for (int16_t i = 0; i < 4000; ++i) rects.push_back({i, 0, static_cast<int16_t>(i + 1), 1});
    WmfBuilder builder;
    builder.Region(rects);
    for (int i = 0; i < 20000; ++i) builder.Words(wmf::META_SELECTCLIPREGION, {0});
    const auto wmf = builder.Finish();
    const auto emf = SetWinMetaFileBits(wmf, {}, kDevice);
    ASSERT_TRUE(emf.has_value());
    EXPECT_EQ(ValidationError(*emf), "");
    EXPECT_LT(emf->size(), 64 * wmf.size() + (16u << 20) + 2 * 4000 * 16);
    EXPECT_GT(RecordsOfType(*emf, kEmrExtSelectClipRgn).size(), 100u);
}

}  // namespace
}  // namespace qrp::emf
