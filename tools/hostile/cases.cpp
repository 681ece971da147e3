#include "tools/hostile/cases.h"

#include "emf/emf_writer.h"
#include "emf/emr_types.h"
#include "reportfile/metafile.h"
#include "reportfile/page_list.h"

#include <QBuffer>
#include <QImage>

#include <cmath>
#include <memory>
#include <numbers>
#include <span>

namespace qrp::hostile {

namespace {

using emf::Payload;
using emf::PointL;
using emf::PointS;

constexpr emf::RectL kNoBounds{0, 0, -1, -1};

// An A4 page recorded for a 96-dpi screen, logical units are reference pixels.
emf::EmfWriter PageWriter()
{
    emf::EmfWriterOptions options;
    options.frame = {0, 0, 20999, 29699};
    return emf::EmfWriter(options);
}

void Rotate(emf::EmfWriter& w, double degrees)
{
    const double a = degrees * std::numbers::pi / 180;
    Payload p;
    p.F32(static_cast<float>(std::cos(a))).F32(static_cast<float>(std::sin(a)));
    p.F32(static_cast<float>(-std::sin(a))).F32(static_cast<float>(std::cos(a))).F32(300).F32(300);
    p.U32(emf::gdi::MWT_LEFTMULTIPLY);
    w.Append(emf::kEmrModifyWorldTransform, p);
}

void Polyline32(emf::EmfWriter& w, uint32_t type, const std::vector<PointL>& points)
{
    Payload p;
    p.Rect(kNoBounds).U32(static_cast<uint32_t>(points.size()));
    for (const PointL& pt : points) p.Point(pt);
    w.Append(type, p);
}

// Pseudo-random points, the same on every run.
struct Lcg {
    uint32_t state = 12345;
    uint32_t Next() { return state = state * 1664525u + 1013904223u; }
    int32_t In(int32_t lo, int32_t hi) { return lo + static_cast<int32_t>(Next() % static_cast<uint32_t>(hi - lo + 1)); }
};

std::vector<uint8_t> LineZigzag()
{
    // Slanted one-pixel lines far longer than the page, crossing it again and again.
    auto w = PageWriter();
    std::vector<PointL> points;
    for (int32_t i = 0; i < 200; ++i) points.push_back({i * 900 + (i % 2) * 30000, i * 900 - (i % 2) * 30000});
    Polyline32(w, emf::kEmrPolyline, points);
    return w.Finish();
}

std::vector<uint8_t> LineCrossings()
{
    // Slanted one-pixel lines long enough to run off the page at both ends, crossing it
    // 200 times.
    auto w = PageWriter();
    std::vector<PointL> points;
    for (int32_t i = 0; i < 200; ++i) points.push_back(i % 2 ? PointL{-25000, -25000 + 5 * i} : PointL{25000, 25000 + 5 * i});
    Polyline32(w, emf::kEmrPolyline, points);
    return w.Finish();
}

std::vector<uint8_t> Polygon16Million()
{
    auto w = PageWriter();
    Lcg random;
    std::vector<PointS> points(1000000);
    for (PointS& p : points) p = {static_cast<int16_t>(random.In(-32768, 32767)), static_cast<int16_t>(random.In(-32768, 32767))};
    w.Polygon16(points);
    return w.Finish();
}

std::vector<uint8_t> PolyPolygonMillion()
{
    auto w = PageWriter();
    Lcg random;
    constexpr uint32_t kPolygons = 1000, kEach = 1000;
    Payload p;
    p.Rect(kNoBounds).U32(kPolygons).U32(kPolygons * kEach);
    for (uint32_t i = 0; i < kPolygons; ++i) p.U32(kEach);
    for (uint32_t i = 0; i < kPolygons * kEach; ++i) p.I32(random.In(-2000, 3000)).I32(random.In(-2000, 3000));
    w.Append(emf::kEmrPolyPolygon, p);
    return w.Finish();
}

std::vector<uint8_t> PolyBezierHuge()
{
    // Curves with control points far outside the page, stroked with a wide pen.
    auto w = PageWriter();
    w.CreatePen(1, 0, 40, emf::Rgb(0, 0, 255));
    w.SelectObject(1);
    Lcg random;
    std::vector<PointL> points(30001);
    for (PointL& p : points) p = {random.In(-100000000, 100000000), random.In(-100000000, 100000000)};
    Polyline32(w, emf::kEmrPolyBezier, points);
    return w.Finish();
}

std::vector<uint8_t> GradientRotated()
{
    // A gradient rectangle reaching x = -16842208, filled again after every turn of the
    // world transform.
    auto w = PageWriter();
    for (int i = 0; i < 72; ++i) {
        Rotate(w, 5);
        Payload p;
        p.Rect(kNoBounds).U32(2).U32(1).U32(i % 2 ? emf::gdi::GRADIENT_FILL_RECT_V : emf::gdi::GRADIENT_FILL_RECT_H);
        p.I32(-16842208).I32(10 + i).U16(0xFF00).U16(0).U16(0).U16(0);
        p.I32(500).I32(700).U16(0).U16(0).U16(0xFF00).U16(0);
        p.U32(0).U32(1);
        w.Append(emf::kEmrGradientFill, p);
    }
    return w.Finish();
}

// STRETCHDIBITS of a 1 x 1 image file whose bitmap header claims the largest sides.
std::vector<uint8_t> EmbeddedClaimsHuge(const char* format, uint32_t compression)
{
    QImage one(1, 1, QImage::Format_RGB32);
    one.fill(Qt::red);
    QByteArray file;
    QBuffer buffer(&file);
    buffer.open(QIODevice::WriteOnly);
    one.save(&buffer, format);
    while (file.size() % 4) file.append('\0');

    auto w = PageWriter();
    for (int i = 0; i < 4; ++i) {
        Payload p;
        const uint32_t offBmi = 80, cbBmi = 40, offBits = offBmi + cbBmi, cbBits = static_cast<uint32_t>(file.size());
        p.Rect(kNoBounds).I32(10 + i).I32(10).I32(0).I32(0).I32(32767).I32(32767);
        p.U32(offBmi).U32(cbBmi).U32(offBits).U32(cbBits).U32(0).U32(0x00CC0020).I32(700).I32(900);
        p.U32(40).I32(32767).I32(32767).U16(1).U16(0).U32(compression).U32(cbBits).I32(0).I32(0).U32(0).U32(0);
        p.Raw({reinterpret_cast<const uint8_t*>(file.constData()), static_cast<size_t>(file.size())});
        w.Append(emf::kEmrStretchDIBits, p);
    }
    return w.Finish();
}

std::vector<uint8_t> RunLengthClaimsHuge()
{
    // A few bytes of RLE8 (end of bitmap at once) claiming 32767 x 1024 pixels, many times.
    auto w = PageWriter();
    for (int i = 0; i < 2000; ++i) {
        Payload p;
        p.Rect(kNoBounds).I32(0).I32(0).I32(0).I32(0).I32(32767).I32(1024);
        p.U32(80).U32(40 + 8).U32(128).U32(4).U32(0).U32(0x00CC0020).I32(790).I32(1100);
        p.U32(40).I32(32767).I32(1024).U16(1).U16(8).U32(1).U32(4).I32(0).I32(0).U32(2).U32(0);
        p.U32(0x000000FF).U32(0x00FF0000);
        p.U8(0).U8(1).U8(0).U8(0);
        w.Append(emf::kEmrStretchDIBits, p);
    }
    return w.Finish();
}

// RGNDATA: header and rectangles.
void Region(Payload& p, const std::vector<emf::RectL>& rects)
{
    p.U32(32).U32(1).U32(static_cast<uint32_t>(rects.size())).U32(static_cast<uint32_t>(rects.size() * 16));
    p.Rect({-100000, -100000, 100000, 100000});
    for (const emf::RectL& r : rects) p.Rect(r);
}

std::vector<emf::RectL> ScatteredRects(size_t count)
{
    Lcg random;
    std::vector<emf::RectL> rects(count);
    for (emf::RectL& r : rects) {
        const int32_t x = random.In(-50000, 50000), y = random.In(-50000, 50000);
        r = {x, y, x + random.In(1, 3000), y + random.In(1, 3000)};
    }
    return rects;
}

std::vector<uint8_t> FillRegionManyRects()
{
    auto w = PageWriter();
    const auto rects = ScatteredRects(500000);
    Payload p;
    p.Rect(kNoBounds).U32(32 + static_cast<uint32_t>(rects.size()) * 16).U32(emf::gdi::STOCK_OBJECT | emf::gdi::GRAY_BRUSH);
    Region(p, rects);
    w.Append(emf::kEmrFillRgn, p);
    return w.Finish();
}

std::vector<uint8_t> ClipRegionManyRects()
{
    auto w = PageWriter();
    const auto rects = ScatteredRects(500000);
    Payload p;
    p.U32(32 + static_cast<uint32_t>(rects.size()) * 16).U32(emf::gdi::RGN_COPY);
    Region(p, rects);
    w.Append(emf::kEmrExtSelectClipRgn, p);
    w.Rectangle({0, 0, 800, 1100});
    return w.Finish();
}

std::vector<uint8_t> PathMillionSegments()
{
    // One path bracket of a million segments, filled and then stroked.
    auto w = PageWriter();
    Lcg random;
    for (uint32_t fill : {emf::kEmrFillPath, emf::kEmrStrokePath}) {
        w.Append(emf::kEmrBeginPath);
        w.MoveToEx(0, 0);
        for (int i = 0; i < 500000; ++i) w.LineTo(random.In(-30000, 30000), random.In(-30000, 30000));
        w.Append(emf::kEmrEndPath);
        w.Append(fill, Payload{}.Rect(kNoBounds));
    }
    return w.Finish();
}

std::vector<uint8_t> SaveDcDeep()
{
    auto w = PageWriter();
    w.Append(emf::kEmrBeginPath);
    w.Rectangle({0, 0, 100, 100});
    for (int i = 0; i < 1000000; ++i) w.SaveDC();
    return w.Finish();
}

std::vector<uint8_t> FullPageFills()
{
    // A million rectangles, each covering the page.
    auto w = PageWriter();
    w.CreateBrushIndirect(1, emf::gdi::BS_HATCHED, emf::Rgb(0, 128, 0), emf::gdi::HS_DIAGCROSS);
    w.SelectObject(1);
    for (int i = 0; i < 1000000; ++i) w.Rectangle({-10 - i % 7, -10, 900, 1200});
    return w.Finish();
}

// Clip rectangles under a rotation, a million times on one page.
std::vector<uint8_t> RotatedClipPage(int records)
{
    auto w = PageWriter();
    Rotate(w, 10);
    for (int i = 0; i < records; ++i) {
        w.SaveDC();
        w.Append(emf::kEmrIntersectClipRect, Payload{}.Rect({i % 300, i % 200, 700 - i % 100, 1000 - i % 300}));
        w.Rectangle({0, 0, 600, 800});
        w.RestoreDC();
    }
    return w.Finish();
}

std::vector<uint8_t> ClipPathPage(int records)
{
    auto w = PageWriter();
    Rotate(w, 20);
    for (int i = 0; i < records; ++i) {
        w.Append(emf::kEmrBeginPath);
        w.Ellipse({i % 50, i % 70, 400 + i % 300, 600 + i % 200});
        w.Append(emf::kEmrEndPath);
        w.Append(emf::kEmrSelectClipPath, Payload{}.U32(emf::gdi::RGN_AND + i % 5));
        w.Rectangle({0, 0, 600, 800});
    }
    return w.Finish();
}

// Dashed pens over geometry far larger than the page: the dash pattern repeats millions of
// times along each outline unless the outline is clipped first. Lines of 20000 pixels, each
// crossing the page, and ellipses millions of pixels wide whose arcs cross it.
std::vector<uint8_t> DashedLines(uint32_t penStyle, uint32_t width, std::span<const uint32_t> styleEntries)
{
    auto w = PageWriter();
    w.ExtCreatePen(1, penStyle, width, emf::gdi::BS_SOLID, emf::Rgb(0, 0, 160), styleEntries);
    w.SelectObject(1);
    w.SelectObject(emf::gdi::STOCK_OBJECT | emf::gdi::NULL_BRUSH);
    std::vector<PointL> points;
    for (int32_t i = 0; i < 20000; ++i) points.push_back({i % 2 ? -8000 : 8000, i % 900});
    Polyline32(w, emf::kEmrPolyline, points);
    for (int32_t i = 0; i < 50; ++i) w.Ellipse({-30000000 - i, 200 + i, 30000000 + i, 700 + i});
    return w.Finish();
}

std::vector<uint8_t> DashedOldStyle()
{
    // Old-style dotted and dashed cosmetic pens.
    auto w = PageWriter();
    w.SelectObject(emf::gdi::STOCK_OBJECT | emf::gdi::NULL_BRUSH);
    for (uint32_t style : {emf::gdi::PS_DOT, emf::gdi::PS_DASHDOTDOT}) {
        w.CreatePen(1, style, 0, emf::Rgb(160, 0, 0));
        w.SelectObject(1);
        std::vector<PointL> points;
        for (int32_t i = 0; i < 200; ++i) points.push_back(i % 2 ? PointL{-20000000, 7 * i} : PointL{20000000, 1000 - 3 * i});
        Polyline32(w, emf::kEmrPolyline, points);
        for (int32_t i = 0; i < 50; ++i) w.Ellipse({-30000000 - i, -30000000, 30000000 + i, 500 + i});
    }
    return w.Finish();
}

// Text in a font far larger than the page: every glyph covers (or misses) the whole page.
std::vector<uint8_t> HugeGlyphs(int32_t height, int32_t records, int32_t glyphs, PointL at, int32_t advance)
{
    auto w = PageWriter();
    emf::LogFontW font;
    font.height = height;
    font.faceName = u"Arial";
    w.ExtCreateFontIndirectW(1, font);
    w.SelectObject(1);
    w.SetBkMode(emf::gdi::TRANSPARENT);
    const std::u16string text(static_cast<size_t>(glyphs), u'W');
    const std::vector<int32_t> dx(static_cast<size_t>(glyphs), advance);
    for (int32_t i = 0; i < records; ++i) w.ExtTextOutW({at.x + i, at.y + i}, text, dx);
    return w.Finish();
}

// Arcs, chords and raster operations over boxes far larger than the page, under a turned
// world transform, with a wide dashed pen and a hatched brush.
std::vector<uint8_t> HugeArcsAndBlts()
{
    auto w = PageWriter();
    const std::vector<uint32_t> dashes{1, 2};
    w.ExtCreatePen(1, emf::gdi::PS_GEOMETRIC | emf::gdi::PS_USERSTYLE, 3, emf::gdi::BS_SOLID, emf::Rgb(0, 90, 0), dashes);
    w.SelectObject(1);
    w.CreateBrushIndirect(2, emf::gdi::BS_HATCHED, emf::Rgb(0, 0, 128), emf::gdi::HS_DIAGCROSS);
    w.SelectObject(2);
    Rotate(w, 7);
    for (int i = 0; i < 100; ++i) {
        w.Append(emf::kEmrAngleArc, Payload{}.Point({300, 20000000 + i}).U32(20000000).F32(-90).F32(3600));
        w.Append(emf::kEmrChord, Payload{}.Rect({-100000000, -300 - i, 100000000, 200000000}).Point({-100000000, 0}).Point({100000000, 1}));
        Payload blt;
        blt.Rect(kNoBounds).I32(-100000000).I32(-100000000).I32(200000000).I32(200000000).U32(emf::gdi::PATINVERT);
        blt.I32(0).I32(0).F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
        w.Append(emf::kEmrBitBlt, blt);
    }
    return w.Finish();
}

// A BITMAPINFOHEADER and the bits of a side x side 24-bit bitmap of varied colours.
void SmallDib(Payload& p, int32_t side)
{
    const uint32_t stride = static_cast<uint32_t>(emf::Dib24::Stride(side));
    p.U32(40).I32(side).I32(side).U16(1).U16(24).U32(0).U32(stride * static_cast<uint32_t>(side)).I32(0).I32(0).U32(0).U32(0);
    for (int32_t y = 0; y < side; ++y) {
        for (uint32_t x = 0; x < stride; ++x) p.U8(static_cast<uint8_t>(x * 97 + static_cast<uint32_t>(y) * 31));
    }
}

uint32_t SmallDibBytes(int32_t side)
{
    return 40 + static_cast<uint32_t>(emf::Dib24::Stride(side) * side);
}

void SetWorldTransform(emf::EmfWriter& w, float m11, float m12, float m21, float m22, float dx, float dy)
{
    w.Append(emf::kEmrSetWorldTransform, Payload{}.F32(m11).F32(m12).F32(m21).F32(m22).F32(dx).F32(dy));
}

// Brushes of a 1 x 1, a 2 x 2 and a monochrome 2 x 2 bitmap filling rectangles and polygons far larger than the
// page, many times, straight and under a world transform turned a little before each fill.
std::vector<uint8_t> PatternBrushHugeFills()
{
    auto w = PageWriter();
    for (int32_t side : {1, 2}) {
        Payload brush;
        brush.U32(static_cast<uint32_t>(side)).U32(emf::gdi::DIB_RGB_COLORS).U32(32).U32(40).U32(72).U32(SmallDibBytes(side) - 40);
        SmallDib(brush, side);
        w.Append(emf::kEmrCreateDibPatternBrushPt, brush);
    }
    // A monochrome 2 x 2 brush, painted in the text and background colours.
    Payload mono;
    mono.U32(3).U32(emf::gdi::DIB_RGB_COLORS).U32(32).U32(48).U32(80).U32(8);
    mono.U32(40).I32(2).I32(2).U16(1).U16(1).U32(0).U32(8).I32(0).I32(0).U32(2).U32(0).U32(0).U32(0x00FFFFFF);
    mono.U32(0x40).U32(0x80);
    w.Append(emf::kEmrCreateMonoBrush, mono);
    for (int i = 0; i < 400; ++i) {
        w.SelectObject(1 + static_cast<uint32_t>(i % 3));
        if (i % 8 == 0) w.SetTextColor(emf::Rgb(static_cast<uint8_t>(i), 0, 90));
        if (i >= 200) Rotate(w, 3);
        w.Rectangle({-100000000 - i, -100000000, 100000000, 100000000 + i});
        Polyline32(w, emf::kEmrPolygon, {{-90000000, -80000000}, {95000000, -1000 - i}, {-1000, 99000000}, {30 + i, 40}});
        w.Ellipse({-50000000, -50000000 - i, 50000000, 50000000});
    }
    return w.Finish();
}

// Curves flattened, widened and stroked under world transforms that scale them a million
// times or more, so that a flattening tolerance in device pixels asks for an enormous number
// of segments.
std::vector<uint8_t> PathsHugeScale()
{
    auto w = PageWriter();
    // A one-pixel pen (a wider one would be widened by the same scale) and a hatched brush.
    w.CreatePen(1, emf::gdi::PS_SOLID, 0, emf::Rgb(200, 0, 0));
    w.SelectObject(1);
    w.CreateBrushIndirect(2, emf::gdi::BS_HATCHED, emf::Rgb(0, 0, 160), emf::gdi::HS_CROSS);
    w.SelectObject(2);
    const std::vector<PointL> curve{{0, 0}, {400, -300}, {-300, 700}, {500, 500}, {900, -900}, {-800, 100}, {50, 60}};
    const uint32_t ends[] = {emf::kEmrStrokePath, emf::kEmrFillPath, emf::kEmrStrokeAndFillPath};
    for (int i = 0; i < 200; ++i) {
        const float scale = i % 4 == 0 ? 1e4f : i % 4 == 1 ? 1e6f : i % 4 == 2 ? 3e7f : 1e9f;
        const float turn = 0.001f * static_cast<float>(i);
        SetWorldTransform(w, scale, scale * turn, -scale * turn, scale, 400, 500);
        w.Append(emf::kEmrBeginPath);
        w.MoveToEx(0, 0);
        Polyline32(w, emf::kEmrPolyBezierTo, curve);
        w.Ellipse({-3, -4, 5 + i, 6});
        w.Append(emf::kEmrArcTo, Payload{}.Rect({-7, -7, 7, 7}).Point({7, 0}).Point({0, 7}));
        w.Append(emf::kEmrCloseFigure);
        w.Append(emf::kEmrEndPath);
        if (i % 2 == 0) w.Append(emf::kEmrFlattenPath);
        if (i % 4 < 2) w.Append(emf::kEmrWidenPath);
        w.Append(ends[i % 3], Payload{}.Rect(kNoBounds));
    }
    return w.Finish();
}

// BITBLT, STRETCHBLT and STRETCHDIBITS of small source bitmaps with raster operations that
// combine source, pattern and destination, over destination boxes far larger than the page,
// straight and turned.
std::vector<uint8_t> SourceBltsHuge()
{
    auto w = PageWriter();
    w.CreateBrushIndirect(1, emf::gdi::BS_HATCHED, emf::Rgb(0, 0, 160), emf::gdi::HS_DIAGCROSS);
    w.SelectObject(1);
    const uint32_t rops[] = {emf::gdi::SRCINVERT, 0x00A000C9, emf::gdi::SRCERASE, emf::gdi::NOTSRCCOPY,
                             0x00B8074A, 0x00E20746, emf::gdi::SRCAND, 0x00990066};
    const int32_t big = 100000000;
    for (int i = 0; i < 240; ++i) {
        if (i >= 120) Rotate(w, 4);
        const uint32_t rop = rops[i % 8];
        const int32_t side = i % 3 == 0 ? 1 : i % 3 == 1 ? 2 : 64;
        const uint32_t bmi = SmallDibBytes(side);
        Payload blt;
        blt.Rect(kNoBounds).I32(-big).I32(-big - i).I32(2 * big).I32(2 * big).U32(rop).I32(0).I32(0);
        blt.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(emf::gdi::DIB_RGB_COLORS);
        blt.U32(100).U32(40).U32(140).U32(bmi - 40);
        SmallDib(blt, side);
        w.Append(emf::kEmrBitBlt, blt);
        Payload stretch;
        stretch.Rect(kNoBounds).I32(-big + i).I32(-big).I32(2 * big).I32(2 * big).U32(rop).I32(0).I32(0);
        stretch.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(emf::gdi::DIB_RGB_COLORS);
        stretch.U32(108).U32(40).U32(148).U32(bmi - 40).I32(side).I32(side);
        SmallDib(stretch, side);
        w.Append(emf::kEmrStretchBlt, stretch);
        Payload dibits;
        dibits.Rect(kNoBounds).I32(-big).I32(-big).I32(0).I32(0).I32(side).I32(side);
        dibits.U32(80).U32(40).U32(120).U32(bmi - 40).U32(emf::gdi::DIB_RGB_COLORS).U32(rop).I32(2 * big).I32(2 * big + i);
        SmallDib(dibits, side);
        w.Append(emf::kEmrStretchDIBits, dibits);
    }
    return w.Finish();
}

std::vector<uint8_t> Report(const std::vector<std::vector<uint8_t>>& pages)
{
    TQRPageList list;
    list.SetStream(std::make_shared<TQRStream>(1 << 20));
    list.SetCompression(false);
    for (const auto& bytes : pages) {
        TMetafile m;
        TMemoryStream s(bytes);
        m.LoadFromStream(s);
        list.AddPage(m);
    }
    list.Finish();
    TMemoryStream out;
    list.SaveToStream(out);
    return out.Bytes();
}

std::vector<uint8_t> HeavyPages(std::vector<uint8_t> (*page)(int), int pages, int records)
{
    std::vector<std::vector<uint8_t>> all;
    for (int i = 0; i < pages; ++i) all.push_back(page(records));
    return Report(all);
}

void PutI32(std::vector<uint8_t>& bytes, size_t at, int32_t v)
{
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
}

std::vector<uint8_t> PagesClaimedHuge()
{
    // A one-page report whose header claims 2^31 - 1 pages.
    std::vector<uint8_t> bytes = Report({LineZigzag()});
    PutI32(bytes, 8, INT32_MAX);
    return bytes;
}

std::vector<uint8_t> CompressedLengthHuge()
{
    // Header of a compressed report, then one page record whose N claims 2^31 - 1 bytes
    // over 32 MB of zeros.
    std::vector<uint8_t> bytes = Report({LineZigzag()});
    bytes.resize(TQRPageList::kHeaderSize);
    bytes[25] = 1;
    PutI32(bytes, 8, 1);
    const size_t zeros = size_t{32} << 20;
    const size_t start = bytes.size();
    bytes.resize(start + 12 + zeros + 4, 0);
    PutI32(bytes, start, 1);
    PutI32(bytes, start + 4, static_cast<int32_t>(bytes.size()));
    PutI32(bytes, start + 8, INT32_MAX);
    PutI32(bytes, bytes.size() - 4, static_cast<int32_t>(start));
    return bytes;
}

}  // namespace

const std::vector<Case>& Cases()
{
    static const std::vector<Case> cases = {
        {"line-zigzag.emf", Exercise::Render, LineZigzag},
        {"line-crossings.emf", Exercise::Render, LineCrossings},
        {"polygon16-million.emf", Exercise::Render, Polygon16Million},
        {"polypolygon-million.emf", Exercise::Render, PolyPolygonMillion},
        {"polybezier-huge.emf", Exercise::Render, PolyBezierHuge},
        {"gradient-rotated.emf", Exercise::Render, GradientRotated},
        {"png-claims-huge.emf", Exercise::Render, [] { return EmbeddedClaimsHuge("PNG", 5); }},
        {"jpeg-claims-huge.emf", Exercise::Render, [] { return EmbeddedClaimsHuge("JPEG", 4); }},
        {"rle-claims-huge.emf", Exercise::Render, RunLengthClaimsHuge},
        {"fillrgn-many-rects.emf", Exercise::Render, FillRegionManyRects},
        {"cliprgn-many-rects.emf", Exercise::Render, ClipRegionManyRects},
        {"path-million-segments.emf", Exercise::Render, PathMillionSegments},
        {"savedc-deep.emf", Exercise::Render, SaveDcDeep},
        {"fullpage-fills.emf", Exercise::Render, FullPageFills},
        {"rotated-clip-1page.QRP", Exercise::RenderAll, [] { return HeavyPages(RotatedClipPage, 1, 50000); }},
        {"rotated-clip-8pages.QRP", Exercise::RenderAll, [] { return HeavyPages(RotatedClipPage, 8, 50000); }},
        {"clip-path-8pages.QRP", Exercise::RenderAll, [] { return HeavyPages(ClipPathPage, 8, 20000); }},
        {"dash-geometric-huge.emf", Exercise::Render, [] {
             const std::vector<uint32_t> dashes{1, 1};
             return DashedLines(emf::gdi::PS_GEOMETRIC | emf::gdi::PS_USERSTYLE, 3, dashes);
         }},
        {"dash-cosmetic-huge.emf", Exercise::Render, [] {
             const std::vector<uint32_t> dashes{1, 1};
             return DashedLines(emf::gdi::PS_COSMETIC | emf::gdi::PS_USERSTYLE, 1, dashes);
         }},
        {"dash-cosmetic-tiny.emf", Exercise::Render, [] {
             const std::vector<uint32_t> dashes{0, 0};
             return DashedLines(emf::gdi::PS_COSMETIC | emf::gdi::PS_USERSTYLE, 1, dashes);
         }},
        {"dash-oldstyle-huge.emf", Exercise::Render, DashedOldStyle},
        {"text-huge-glyphs.emf", Exercise::Render, [] { return HugeGlyphs(-13000, 4, 4000, {-3000, -9000}, 1); }},
        {"text-large-glyphs.emf", Exercise::Render, [] { return HugeGlyphs(-800, 4, 4000, {-100, 0}, 1); }},
        {"text-offpage-glyphs.emf", Exercise::Render, [] { return HugeGlyphs(-13000, 20000, 2, {-14000, -40000}, 0); }},
        {"text-corner-glyphs.emf", Exercise::Render, [] { return HugeGlyphs(-13000, 2000, 1, {-11500, -10500}, 0); }},
        {"arcs-blts-huge.emf", Exercise::Render, HugeArcsAndBlts},
        {"pattern-brush-huge.emf", Exercise::Render, PatternBrushHugeFills},
        {"paths-huge-scale.emf", Exercise::Render, PathsHugeScale},
        {"source-blts-huge.emf", Exercise::Render, SourceBltsHuge},
        {"pages-claimed-huge.QRP", Exercise::Store, PagesClaimedHuge},
        {"compressed-length-huge.QRP", Exercise::Store, CompressedLengthHuge},
    };
    return cases;
}

}  // namespace qrp::hostile
