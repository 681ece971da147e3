// Golden traces: what the player asks of its device for each record family, in output
// coordinates.
#include "render/player.h"
#include "render/test_pictures.h"

#include <gtest/gtest.h>

namespace qrp::render {
namespace {

using namespace qrp::testsupport;
using namespace emf::gdi;
using emf::EmfWriter;

TEST(PlayerTrace, RectangleAndMappingModes)
{
    EmfWriter w = PixelWriter();
    w.SelectObject(Stock(NULL_PEN));
    w.SelectObject(Stock(BLACK_BRUSH));
    w.Rectangle({2, 3, 12, 8});
    // Anisotropic: ten logical units per pixel, origin moved to (20, 10).
    w.SetMapMode(MM_ANISOTROPIC);
    w.SetWindowExtEx(100, 100);
    w.SetViewportExtEx(10, 10);
    w.SetViewportOrgEx(20, 10);
    w.Rectangle({0, 0, 50, 100});
    // Isotropic keeps the aspect: the smaller scale wins, centred nowhere but the origin.
    w.SetMapMode(MM_ISOTROPIC);
    w.SetWindowExtEx(100, 100);
    w.SetViewportExtEx(20, 40);
    w.SetViewportOrgEx(0, 0);
    w.Rectangle({0, 0, 100, 100});
    const auto picture = Picture(w);
    EXPECT_EQ(Trace(*picture),
              "fill #000000 M2,3 L12,3 L12,8 L2,8 L2,3\n"
              "fill #000000 M20,10 L25,10 L25,20 L20,20 L20,10\n"
              "fill #000000 M0,0 L20,0 L20,20 L0,20 L0,0\n"
              "played 15 skipped 0\n");
}

TEST(PlayerTrace, OutlineRunsThroughTheBoxEdgesAndLinesLeaveOutTheirEnd)
{
    EmfWriter w = PixelWriter();
    w.SelectObject(Stock(NULL_BRUSH));
    w.Rectangle({2, 2, 6, 5});
    w.MoveToEx(10, 10);
    w.LineTo(20, 10);
    w.LineTo(20, 4);
    const auto picture = Picture(w);
    EXPECT_EQ(Trace(*picture),
              "fill #000000 winding M2,2 L6,2 L6,3 L2,3 L2,2 M6,2 L7,2 L7,5 L6,5 L6,2 M3,5 L7,5 L7,6 L3,6 L3,5 M2,3 L3,3 "
              "L3,6 L2,6 L2,3\n"
              "fill #000000 winding M10,10 L20,10 L20,11 L10,11 L10,10\n"
              "fill #000000 winding M20,5 L21,5 L21,11 L20,11 L20,5\n"
              "played 7 skipped 0\n");
}

TEST(PlayerTrace, SaveAndRestoreWholeStateWithRelativeAndAbsoluteLevels)
{
    EmfWriter w = PixelWriter();
    w.SelectObject(Stock(NULL_PEN));
    w.CreateBrushIndirect(1, BS_SOLID, emf::Rgb(255, 0, 0));
    w.SaveDC();                  // level 1: white brush
    w.SelectObject(1);
    w.SetViewportOrgEx(10, 0);
    w.SaveDC();                  // level 2: red, moved
    w.SelectObject(Stock(BLACK_BRUSH));
    w.RestoreDC(-5);             // out of range: ignored
    w.Rectangle({0, 0, 1, 1});   // black at 10
    w.RestoreDC(-1);             // back to level 2's state
    w.Rectangle({0, 0, 1, 1});   // red at 10
    w.RestoreDC(1);              // absolute: back to level 1's state
    w.Rectangle({0, 0, 1, 1});   // white at 0
    w.RestoreDC(1);              // the stack is empty now: ignored
    w.Rectangle({1, 0, 2, 1});
    const auto picture = Picture(w);
    EXPECT_EQ(Trace(*picture),
              "fill #000000 M10,0 L11,0 L11,1 L10,1 L10,0\n"
              "fill #ff0000 M10,0 L11,0 L11,1 L10,1 L10,0\n"
              "fill #ffffff M0,0 L1,0 L1,1 L0,1 L0,0\n"
              "fill #ffffff M1,0 L2,0 L2,1 L1,1 L1,0\n"
              "played 17 skipped 0\n");
}

TEST(PlayerTrace, TextIsPlacedGlyphByGlyphFromTheAdvances)
{
    EmfWriter w = PixelWriter(200);
    SelectArial(w, 1, -20);
    w.SetBkMode(TRANSPARENT);
    w.SetTextAlign(TA_BASELINE);
    const int32_t dx[] = {30, 5, 12};
    w.ExtTextOutW({10, 50}, u"Wil", dx);
    w.SetTextAlign(TA_RIGHT | TA_BASELINE);
    w.ExtTextOutW({100, 80}, u"ab", std::span<const int32_t>(dx, 2));
    const auto picture = Picture(w);
    const std::string trace = Trace(*picture, 200);
    EXPECT_NE(trace.find("text \"Wil\" #000000 font=\"Liberation Sans\" px=20 at 10,50 40,50 45,50\n"), std::string::npos)
        << trace;
    // Right aligned: the run ends at the reference point.
    EXPECT_NE(trace.find("text \"ab\" #000000 font=\"Liberation Sans\" px=20 at 65,80 95,80\n"), std::string::npos) << trace;
}

TEST(PlayerTrace, RunsAlternatingFontsAndRisingByVerticalAdvancesArePlacedEachByItsOwn)
{
    EmfWriter w = PixelWriter(200);
    SelectArial(w, 1, -20);
    emf::LogFontW times;
    times.height = -12;
    times.weight = 700;
    times.faceName = u"Times New Roman";
    w.ExtCreateFontIndirectW(2, times);
    w.SetBkMode(TRANSPARENT);
    w.SetTextAlign(TA_BASELINE);
    const int32_t dx[] = {10, 10};
    w.ExtTextOutW({10, 20}, u"ab", dx);
    w.SelectObject(2);
    w.ExtTextOutW({10, 40}, u"cd", dx);
    w.SelectObject(1);
    w.ExtTextOutW({10, 60}, u"ef", dx);
    // ETO_PDY: (dx, dy) pairs, each glyph rising by the sum of those before it (y grows down).
    const int32_t pairs[] = {10, -5, 12, -5, 7, -3};
    emf::Payload p;
    p.Rect({0, 0, -1, -1}).U32(GM_COMPATIBLE).F32(0.0f).F32(0.0f);
    p.Point({10, 100}).U32(3).U32(76).U32(ETO_PDY).Rect({}).U32(76 + 8);
    p.Utf16(u"ghi").Pad4();
    for (const int32_t d : pairs) p.I32(d);
    w.Append(emf::kEmrExtTextOutW, p);
    const auto picture = Picture(w);
    const std::string trace = Trace(*picture, 200);
    for (const char* expected : {"text \"ab\" #000000 font=\"Liberation Sans\" px=20 at 10,20 20,20\n",
                                 "text \"cd\" #000000 font=\"Liberation Serif\" px=12 mono at 10,40 20,40\n",
                                 "text \"ef\" #000000 font=\"Liberation Sans\" px=20 at 10,60 20,60\n",
                                 "text \"ghi\" #000000 font=\"Liberation Sans\" px=20 at 10,100 20,95 32,90\n"})
        EXPECT_NE(trace.find(expected), std::string::npos) << expected << trace;
}

TEST(PlayerTrace, CompatibleTextUnderATurningTransformStaysUprightAlongTheTurnedBaseline)
{
    // As GDI renderings of the same pictures show: in GM_COMPATIBLE the advances turn with
    // the world transform, the glyphs do not, their height is the vertical scale alone, and
    // the text still runs left to right under a mirroring transform; in GM_ADVANCED the
    // glyphs turn too.
    struct Case {
        float m11, m12, m21, m22;
        uint32_t graphicsMode;
        const char* expected;
    };
    const float c = 0.866025f, s = 0.5f;  // 30 degrees
    for (const Case& k : {Case{c, -s, s, c, GM_COMPATIBLE, "px=17 mono at 50,100 67.32,90\n"},
                          Case{c, -s, s, c, GM_ADVANCED, " angle=-30 at 50,100 67.32,90\n"},
                          Case{1, 0.5f, 0, 1, GM_COMPATIBLE, "px=20 at 50,100 70,110\n"},
                          Case{-1, 0, 0, 1, GM_COMPATIBLE, "px=20 at 50,100 70,100\n"}}) {
        EmfWriter w = PixelWriter(200);
        w.Append(emf::kEmrSetWorldTransform, emf::Payload().F32(k.m11).F32(k.m12).F32(k.m21).F32(k.m22).F32(50).F32(100));
        SelectArial(w, 1, -20);
        w.SetTextAlign(TA_BASELINE);
        const int32_t dx[] = {20, 20};
        w.ExtTextOutW({0, 0}, u"ab", dx, 0, {}, k.graphicsMode);
        const auto picture = Picture(w);
        const std::string trace = Trace(*picture, 200);
        EXPECT_NE(trace.find(k.expected), std::string::npos) << trace;
    }
}

TEST(PlayerTrace, ClipRectanglesIntersectExcludeAndReset)
{
    EmfWriter w = PixelWriter();
    w.SelectObject(Stock(NULL_PEN));
    emf::Payload clip;
    clip.Rect({4, 4, 20, 10});
    w.Append(emf::kEmrIntersectClipRect, clip);
    emf::Payload exclude;
    exclude.Rect({4, 4, 8, 10});
    w.Append(emf::kEmrExcludeClipRect, exclude);
    w.Rectangle({0, 0, 30, 30});
    emf::Payload reset;
    reset.U32(0).U32(RGN_COPY);
    w.Append(emf::kEmrExtSelectClipRgn, reset);
    w.Rectangle({0, 0, 1, 1});
    const auto picture = Picture(w);
    EXPECT_EQ(Trace(*picture),
              "clip 8,4+12x6\n"
              "fill #ffffff M0,0 L30,0 L30,30 L0,30 L0,0\n"
              "clip none\n"
              "fill #ffffff M0,0 L1,0 L1,1 L0,1 L0,0\n"
              "played 8 skipped 0\n");
}

TEST(PlayerTrace, DamagedAndUnknownRecordsAreSkippedAndCounted)
{
    EmfWriter w = PixelWriter();
    // A POLYGON16 claiming 1000 points it does not hold.
    emf::Payload polygon;
    polygon.Rect({0, 0, 10, 10}).U32(1000).I16(1).I16(1).I16(5).I16(5);
    w.Append(emf::kEmrPolygon16, polygon);
    const size_t damagedAt = w.Bytes().size() - polygon.Length() - 8;
    const size_t unknownAt = w.Bytes().size();
    w.Append(127);  // no such record
    w.SelectObject(Stock(NULL_PEN));
    const auto picture = Picture(w);
    EXPECT_EQ(Trace(*picture), "played 3 skipped 2\n"
                               "skipped offset " + std::to_string(damagedAt) + ": EMR_POLYGON16 (type 86): damaged record\n"
                               "skipped offset " + std::to_string(unknownAt) + ": unknown (type 127): record type not supported\n");
}

TEST(PlayerTrace, FacesMapToTwinsOrFallBackByFamilyAsGdiMaps)
{
    EmfWriter w = PixelWriter(200);
    w.SetBkMode(TRANSPARENT);
    const struct {
        const char16_t* face;
        uint8_t pitchAndFamily;
    } fonts[] = {{u"Times New Roman", 0}, {u"No Such Face", 0x12 /* variable, roman */},
                 {u"No Such Face", 0x31 /* fixed, modern */}, {u"LiberationSerif", 0}, {u"Courier New", 0}};
    uint32_t handle = 1;
    for (const auto& f : fonts) {
        emf::LogFontW font;
        font.height = 20;  // a cell height: the em is smaller
        font.faceName = f.face;
        font.pitchAndFamily = f.pitchAndFamily;
        w.ExtCreateFontIndirectW(handle, font);
        w.SelectObject(handle++);
        w.ExtTextOutW({0, 0}, u"x", {});
    }
    const auto picture = Picture(w);
    const std::string trace = Trace(*picture, 200);
    std::vector<std::string> families;
    for (size_t at = trace.find("font=\""); at != std::string::npos; at = trace.find("font=\"", at + 1)) {
        const size_t start = at + 6;
        families.push_back(trace.substr(start, trace.find('"', start) - start));
    }
    EXPECT_EQ(families, (std::vector<std::string>{"Liberation Serif", "Liberation Serif", "Liberation Mono",
                                                  "Liberation Sans", "Liberation Mono"}));
    // A 20-pixel cell of Liberation Serif (ascent + descent = 1.107 em) is an 18-pixel em.
    EXPECT_NE(trace.find("\"Liberation Serif\" px=18 "), std::string::npos) << trace;
}

TEST(PlayerTrace, AFontHeldByTheStateOrASavedStateOutlivesItsSlotWhenTheSlotIsReused)
{
    EmfWriter w = PixelWriter(200);
    w.SetBkMode(TRANSPARENT);
    auto create = [&](uint32_t handle, const char16_t* face) {
        emf::LogFontW font;
        font.height = -20;
        font.faceName = face;
        w.ExtCreateFontIndirectW(handle, font);
    };
    create(1, u"Times New Roman");
    w.SelectObject(1);
    w.SaveDC();
    w.SelectObject(Stock(SYSTEM_FONT));
    w.DeleteObject(1);               // the saved state still holds the serif font
    create(1, u"Courier New");
    w.SelectObject(1);
    w.ExtTextOutW({0, 0}, u"b", {});
    w.RestoreDC(-1);
    w.ExtTextOutW({0, 0}, u"a", {});  // the serif font again
    w.DeleteObject(1);               // held by nothing now
    create(2, u"Arial");
    w.SelectObject(2);
    w.ExtTextOutW({0, 0}, u"c", {});
    w.DeleteObject(2);               // still selected
    create(3, u"Times New Roman");
    w.ExtTextOutW({0, 0}, u"d", {});  // the selected sans font
    w.SelectObject(3);
    w.ExtTextOutW({0, 0}, u"e", {});
    const auto picture = Picture(w);
    const std::string trace = Trace(*picture, 200);
    std::vector<std::string> runs;
    for (size_t at = trace.find("text \""); at != std::string::npos; at = trace.find("text \"", at + 1)) {
        const size_t face = trace.find("font=\"", at) + 6;
        runs.push_back(trace.substr(at + 6, 1) + " " + trace.substr(face, trace.find('"', face) - face));
    }
    EXPECT_EQ(runs, (std::vector<std::string>{"b Liberation Mono", "a Liberation Serif", "c Liberation Sans",
                                              "d Liberation Sans", "e Liberation Serif"}))
        << trace;
}

TEST(PlayerTrace, PensAndBrushesCreatedInFreedPlacesCarryNothingOfTheFreedOnes)
{
    const uint32_t dashes[] = {5, 6};
    auto plain = [](EmfWriter& w) {
        w.CreatePen(3, PS_DASH, 3, 0xFF0000);  // as wide as this, drawn solid
        w.CreateBrushIndirect(4, BS_SOLID, 0x00FF00);
        w.SelectObject(3);
        w.SelectObject(4);
        w.Rectangle({10, 10, 30, 20});
    };
    EmfWriter alone = PixelWriter(100);
    plain(alone);
    EmfWriter after = PixelWriter(100);
    after.ExtCreatePen(1, PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT, 5, BS_SOLID, 0x0000FF, dashes);
    after.CreateBrushIndirect(2, BS_HATCHED, 0x808080, HS_CROSS);
    after.SelectObject(1);
    after.SelectObject(2);
    after.Rectangle({40, 40, 60, 60});
    after.SaveDC();  // holds the dashed pen and the hatched brush
    after.SelectObject(Stock(BLACK_PEN));
    after.SelectObject(Stock(WHITE_BRUSH));
    after.DeleteObject(1);
    after.DeleteObject(2);
    after.CreatePen(5, PS_DOT, 1, 0x00FFFF);
    after.CreateBrushIndirect(6, BS_SOLID, 0xFFFF00);
    after.RestoreDC(-1);
    after.Rectangle({40, 40, 60, 60});  // the dashed pen and the hatched brush again
    after.SelectObject(Stock(BLACK_PEN));
    after.SelectObject(Stock(WHITE_BRUSH));
    after.DeleteObject(5);
    after.DeleteObject(6);
    after.ExtCreatePen(7, PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT, 5, BS_SOLID, 0x0000FF, dashes);
    after.CreateBrushIndirect(8, BS_HATCHED, 0x808080, HS_CROSS);
    after.SelectObject(7);
    after.SelectObject(8);
    after.SelectObject(Stock(BLACK_PEN));
    after.SelectObject(Stock(WHITE_BRUSH));
    after.DeleteObject(7);  // held by nothing
    after.DeleteObject(8);
    plain(after);

    auto drawings = [](const std::string& trace) {
        std::vector<std::string> lines;
        for (size_t at = 0, end; (end = trace.find('\n', at)) != std::string::npos; at = end + 1)
            if (trace.compare(at, 7, "played ") != 0) lines.push_back(trace.substr(at, end - at));
        return lines;
    };
    const auto first = drawings(Trace(*Picture(alone), 100));
    const auto second = drawings(Trace(*Picture(after), 100));
    ASSERT_FALSE(first.empty());
    ASSERT_GT(second.size(), 2 * first.size());
    const size_t shared = second.size() - first.size();
    EXPECT_TRUE(std::equal(first.begin(), first.end(), second.begin() + static_cast<std::ptrdiff_t>(shared)));
    // The rectangle drawn before and after the restore: the same pen and brush.
    EXPECT_TRUE(std::equal(second.begin(), second.begin() + static_cast<std::ptrdiff_t>(shared / 2),
                           second.begin() + static_cast<std::ptrdiff_t>(shared / 2)));
}

// A trace of a device that draws no shapes, as the text device.
class ShapelessTraceDevice : public TraceDevice {
public:
    bool DrawsShapes() const override { return false; }
};

std::string TextLines(const std::string& trace)
{
    std::string lines;
    for (size_t at = trace.find("text "); at != std::string::npos; at = trace.find("\ntext ", at + 1)) {
        if (trace[at] == '\n') ++at;
        lines += trace.substr(at, trace.find('\n', at) + 1 - at);
    }
    return lines;
}

TEST(PlayerTrace, ShapesLeaveTheCurrentPositionAsDrawnOnADeviceThatDrawsNone)
{
    using emf::Payload;
    const struct {
        const char* name;
        uint32_t type;
        Payload payload;
    } shapes[] = {
        {"LINETO", emf::kEmrLineTo, Payload{}.Point({40, 30})},
        {"POLYLINETO16", emf::kEmrPolylineTo16, Payload{}.Rect({0, 0, 60, 60}).U32(2).I16(20).I16(50).I16(60).I16(40)},
        {"POLYBEZIERTO16", emf::kEmrPolyBezierTo16,
         Payload{}.Rect({0, 0, 60, 60}).U32(4).I16(20).I16(50).I16(40).I16(50).I16(55).I16(35).I16(5).I16(5)},
        {"ARCTO", emf::kEmrArcTo, Payload{}.Rect({20, 20, 80, 60}).Point({80, 40}).Point({50, 60})},
        {"ANGLEARC", emf::kEmrAngleArc, Payload{}.Point({50, 50}).U32(20).F32(30).F32(100)},
        {"POLYDRAW16", emf::kEmrPolyDraw16,
         Payload{}.Rect({0, 0, 60, 60}).U32(3).I16(30).I16(30).I16(45).I16(20).I16(15).I16(55)
             .U8(PT_MOVETO).U8(PT_LINETO).U8(static_cast<uint8_t>(PT_LINETO | PT_CLOSEFIGURE)).Pad4()},
        {"RECTANGLE", emf::kEmrRectangle, Payload{}.Rect({5, 5, 70, 70})},
    };
    for (const auto& shape : shapes) {
        EmfWriter w = PixelWriter(200);
        w.SetBkMode(TRANSPARENT);
        w.MoveToEx(10, 10);
        w.Append(shape.type, shape.payload);
        w.SetTextAlign(TA_UPDATECP | TA_BASELINE);
        const int32_t dx[] = {5};
        w.ExtTextOutW({0, 0}, u"x", dx);
        w.ExtTextOutW({0, 0}, u"y", dx);
        const auto picture = Picture(w);
        TraceDevice drawing;
        ShapelessTraceDevice shapeless;
        Player(drawing, *picture, PixelRect(200)).Play();
        Player(shapeless, *picture, PixelRect(200)).Play();
        EXPECT_NE(TextLines(drawing.Text()), "") << shape.name;
        EXPECT_EQ(TextLines(shapeless.Text()), TextLines(drawing.Text())) << shape.name;
    }
}

TEST(PlayerTrace, ScaledCharacterHeightsAreCutToWholePixelsAndMidSizesDrawWithoutGreys)
{
    EmfWriter w = PixelWriter(200);
    w.SetMapMode(MM_ANISOTROPIC);
    w.SetWindowExtEx(2540, 2540);
    w.SetViewportExtEx(96, 96);
    w.SetBkMode(TRANSPARENT);
    uint32_t handle = 1;
    for (int32_t height : {-282, -388, -600}) {  // 10.66, 14.66 and 22.68 pixels
        SelectArial(w, handle++, height);
        w.ExtTextOutW({0, 0}, u"x", {});
    }
    const auto picture = Picture(w);
    const std::string trace = Trace(*picture, 200);
    EXPECT_NE(trace.find("px=10 mono at"), std::string::npos) << trace;
    EXPECT_NE(trace.find("px=14 mono at"), std::string::npos) << trace;
    EXPECT_NE(trace.find("px=22 at"), std::string::npos) << trace;
}

}  // namespace
}  // namespace qrp::render
