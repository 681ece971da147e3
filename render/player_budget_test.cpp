// Work sized by the output: regions scanned only over the window, lines visited only where
// they cross it, images kept at their own size, and a page that stops when its budget is
// spent, keeping what it drew.
#include "render/dash_clip.h"
#include "render/dib.h"
#include "render/painter_device.h"
#include "render/play_budget.h"
#include "render/player.h"
#include "render/test_pictures.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace qrp::render {
namespace {

using namespace qrp::testsupport;
using namespace emf::gdi;
using emf::EmfWriter;
using emf::Payload;

// Whether point p is inside the polygons under rule, by counting crossings of a ray.
bool Inside(const std::vector<QPolygonF>& polygons, Qt::FillRule rule, QPointF p)
{
    int winding = 0, crossings = 0;
    for (const QPolygonF& polygon : polygons) {
        for (qsizetype i = 0; i < polygon.size(); ++i) {
            const QPointF a = polygon[i], b = polygon[(i + 1) % polygon.size()];
            if ((a.y() <= p.y()) == (b.y() <= p.y())) continue;
            const double x = a.x() + (p.y() - a.y()) * (b.x() - a.x()) / (b.y() - a.y());
            if (x > p.x()) continue;
            ++crossings;
            winding += b.y() > a.y() ? 1 : -1;
        }
    }
    return rule == Qt::WindingFill ? winding != 0 : crossings % 2 == 1;
}

void ExpectSamePixels(const std::vector<QPolygonF>& polygons, Qt::FillRule rule, const QRect& window)
{
    PlayBudget budget;
    const QRegion region = PolygonsRegion(polygons, rule, window, budget);
    int mismatches = 0;
    for (int y = window.top(); y <= window.bottom(); ++y)
        for (int x = window.left(); x <= window.right(); ++x)
            if (region.contains(QPoint(x, y)) != Inside(polygons, rule, QPointF(x + 0.5, y + 0.5))) ++mismatches;
    EXPECT_EQ(mismatches, 0) << "rule " << rule;
    EXPECT_TRUE(window.contains(region.boundingRect()) || region.isEmpty());
}

TEST(PlayBudget, PolygonRegionsHoldThePixelsWhoseCentresAreInside)
{
    // A rotated square, a self-crossing star (the rules differ in its middle), two
    // overlapping rings in opposite directions, and random polygons.
    QPolygonF square;
    for (int i = 0; i < 4; ++i)
        square << QPointF(30 + 20 * std::cos(0.3 + i * M_PI / 2), 30 + 20 * std::sin(0.3 + i * M_PI / 2));
    QPolygonF star;
    for (int i = 0; i < 5; ++i) star << QPointF(32 + 28 * std::cos(i * 4 * M_PI / 5), 32 + 28 * std::sin(i * 4 * M_PI / 5));
    const QPolygonF ring1 = QPolygonF(QRectF(5.3, 5.7, 30, 30));
    QPolygonF ring2 = QPolygonF(QRectF(20.2, 20.9, 30, 30));
    std::reverse(ring2.begin(), ring2.end());
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(-10, 74);
    QPolygonF scattered;
    for (int i = 0; i < 40; ++i) scattered << QPointF(coordinate(random), coordinate(random));
    const QRect window(0, 0, 64, 64);
    for (Qt::FillRule rule : {Qt::OddEvenFill, Qt::WindingFill}) {
        ExpectSamePixels({square}, rule, window);
        ExpectSamePixels({star}, rule, window);
        ExpectSamePixels({ring1, ring2}, rule, window);
        ExpectSamePixels({scattered}, rule, window);
        ExpectSamePixels({star}, rule, QRect(10, 12, 20, 9));  // only a part of it
    }
}

TEST(PlayBudget, RegionsFromHugeGeometryCostOnlyTheWindow)
{
    // A quad reaching a billion pixels in every direction, and half a million rectangles:
    // the work follows the window's rows, not the geometry's.
    const QRect window(0, 0, 100, 100);
    PlayBudget budget;
    const QRegion quad = PolygonsRegion({QPolygonF({QPointF(-1e9, 0), QPointF(50, -1e9), QPointF(1e9, 50), QPointF(40, 1e9)})},
                                        Qt::OddEvenFill, window, budget);
    EXPECT_TRUE(quad.contains(QPoint(50, 50)));
    EXPECT_EQ(quad.boundingRect(), window);
    EXPECT_LT(budget.Spent(), 100000u);

    std::vector<QRect> rects;
    std::mt19937 random(3);
    std::uniform_int_distribution<int> at(-100000, 100000);
    for (int i = 0; i < 500000; ++i) rects.emplace_back(at(random), at(random), 3000, 3000);
    rects.emplace_back(10, 10, 5, 5);
    const QRegion many = RectsRegion(rects, window, budget);
    EXPECT_TRUE(many.contains(QPoint(12, 12)));
    EXPECT_TRUE(window.contains(many.boundingRect()));

    // Small sets: the same as uniting them one by one.
    std::vector<QRect> few;
    QRegion expected;
    std::uniform_int_distribution<int> small(-20, 120), side(1, 30);
    for (int i = 0; i < 200; ++i) {
        few.emplace_back(small(random), small(random), side(random), side(random));
        expected += few.back();
    }
    EXPECT_TRUE((RectsRegion(few, window, budget) ^ (expected & window)).isEmpty());
}

TEST(PlayBudget, ExhaustedBudgetsBuildNothingAndStayExhausted)
{
    PlayBudget budget(1000);
    EXPECT_TRUE(budget.Spend(999));
    EXPECT_FALSE(budget.Spend(2));
    EXPECT_TRUE(budget.Exhausted());
    EXPECT_FALSE(budget.Spend(0));
    EXPECT_FALSE(budget.Spend(UINT64_MAX));
    EXPECT_TRUE(PolygonsRegion({QPolygonF(QRectF(0, 0, 10, 10))}, Qt::OddEvenFill, QRect(0, 0, 20, 20), budget).isEmpty());
}

// A painter device that does not tell its bounds: the player then visits every pixel of
// the picture's rectangle.
class UnboundedDevice : public PainterDevice {
public:
    using PainterDevice::PainterDevice;
    QRectF Bounds() const override { return {}; }
};

TEST(PlayBudget, ClippedLinesKeepGdisPixelsInsideTheWindow)
{
    // Slanted one-pixel lines that start and end far outside a 64-pixel image (short enough
    // to be drawn pixel by pixel) light the same pixels there as when every pixel of them
    // is visited.
    const std::vector<std::pair<QPoint, QPoint>> lines = {
        {{-9000, -8990}, {9000, 9012}}, {{30000, 40}, {-30000, 10}}, {{5, -30000}, {50, 30000}}, {{-9000, 9050}, {9000, -8950}}};
    const int size = 2 * 62000;
    for (const auto& [from, to] : lines) {
        EmfWriter w = PixelWriter(size);
        w.MoveToEx(from.x() + size / 2, from.y() + size / 2);
        w.LineTo(to.x() + size / 2, to.y() + size / 2);
        const auto picture = Picture(w);
        QImage clipped(65, 65, QImage::Format_RGB32), reference(65, 65, QImage::Format_RGB32);
        for (QImage* image : {&clipped, &reference}) {
            image->fill(Qt::white);
            QPainter painter(image);
            painter.translate(-size / 2, -size / 2);
            if (image == &clipped) {
                PainterDevice device(painter);
                Player(device, *picture, PixelRect(size)).Play();
            } else {
                UnboundedDevice device(painter);
                Player(device, *picture, PixelRect(size)).Play();
            }
        }
        int differences = 0, dark = 0;
        for (int y = 0; y < 65; ++y)
            for (int x = 0; x < 65; ++x) {
                differences += Dark(clipped, x, y) != Dark(reference, x, y);
                dark += Dark(reference, x, y);
            }
        EXPECT_EQ(differences, 0) << from.x() << "," << from.y() << " to " << to.x() << "," << to.y();
        EXPECT_GT(dark, 0) << from.x() << "," << from.y() << " to " << to.x() << "," << to.y();
    }
}

TEST(PlayBudget, DashedOutlinesClippedBeforeDashingKeepTheirDashesInsideTheWindow)
{
    // Wide dashed pens over outlines that leave and re-enter a 100-pixel window, and over
    // curves that cross its edge: the clipped outline dashes to the pixels the whole outline
    // dashes to there (drawn on an image holding all of it, so that nothing clips it), up to
    // edges rounded the other way; its length is what lies near the window.
    QPainterPath zigzag(QPointF(-3000, 10));
    for (int i = 1; i < 12; ++i) zigzag.lineTo(i % 2 ? 3000.3 : -3000.6, 10.3 + 8.17 * i + (i % 3));
    QPainterPath closed;
    closed.addPolygon(QPolygonF({QPointF(50.2, 20.1), QPointF(3000, 60.7), QPointF(60.3, 90.6), QPointF(-10.4, 55.3)}));
    closed.closeSubpath();
    QPainterPath curves(QPointF(-2500, 40));
    curves.cubicTo(QPointF(40, -300), QPointF(80, 400), QPointF(2500, 70));
    curves.lineTo(50, 50);
    curves.moveTo(20, 95);
    curves.cubicTo(QPointF(40, 80), QPointF(60, 80), QPointF(90, 95));
    struct Pen {
        double width;
        QList<qreal> dashes;
        Qt::PenCapStyle cap;
        Qt::PenJoinStyle join;
    };
    const std::vector<Pen> pens = {{3, {3, 1}, Qt::FlatCap, Qt::RoundJoin},
                                   {4, {1, 1, 3, 2}, Qt::SquareCap, Qt::MiterJoin},
                                   {7, {0.5, 1.5}, Qt::RoundCap, Qt::BevelJoin}};
    const QRectF window(0, 0, 100, 100);
    const QPoint origin(3100, 350);  // of the window on the image holding the whole outline
    int which = 0;
    for (const QPainterPath& path : {zigzag, closed, curves}) {
        for (const Pen& p : pens) {
            QPen pen(Qt::black, p.width);
            pen.setDashPattern(p.dashes);
            pen.setCapStyle(p.cap);
            pen.setJoinStyle(p.join);
            double period = 0;
            for (qreal d : p.dashes) period += d * p.width;
            const double reach = p.width * (p.join == Qt::MiterJoin ? pen.miterLimit() : 1);
            double length = 0;
            const QPainterPath near = ClipForDashing(path, window.adjusted(-reach, -reach, reach, reach), period, &length);
            EXPECT_LT(length, 3000) << "path " << which;
            QImage whole(6300, 800, QImage::Format_RGB32), clipped(100, 100, QImage::Format_RGB32);
            whole.fill(Qt::white);
            clipped.fill(Qt::white);
            {
                QPainter painter(&whole);
                painter.translate(origin);
                painter.strokePath(path, pen);
            }
            {
                QPainter painter(&clipped);
                painter.strokePath(near, pen);
            }
            int differences = 0, dark = 0;
            for (int y = 0; y < 100; ++y)
                for (int x = 0; x < 100; ++x) {
                    differences += Dark(whole, origin.x() + x, origin.y() + y) != Dark(clipped, x, y);
                    dark += Dark(clipped, x, y);
                }
            EXPECT_GT(dark, 50) << "path " << which << " width " << p.width;
            EXPECT_LE(differences, dark / 25) << "path " << which << " width " << p.width;
        }
        ++which;
    }
    // Inside the window an outline comes back as it was.
    double length = 0;
    QPainterPath small(QPointF(10, 10));
    small.cubicTo(QPointF(20, 0), QPointF(30, 30), QPointF(40, 10));
    EXPECT_EQ(ClipForDashing(small, window, 4, &length), small);
}

TEST(PlayBudget, GlyphsArePaidForByTheirPixelsOnTheOutput)
{
    // A run of thousands of glyphs, each larger than the page, stops as too complex after
    // drawing some of them; the same run off the page costs nothing to rasterise.
    for (auto [at, onPage] : {std::pair{emf::PointL{-150, -250}, true}, {emf::PointL{-60000, 30}, false}}) {
        EmfWriter w = PixelWriter();
        SelectArial(w, 1, -500);
        w.SetBkMode(TRANSPARENT);
        const std::u16string text(5000, u'W');
        w.ExtTextOutW(at, text, std::vector<int32_t>(text.size(), 0));
        PlayStats stats;
        const QImage image = Render(*Picture(w), 64, &stats);
        EXPECT_EQ(stats.tooComplex, onPage) << at.x;
        int dark = 0;
        for (int y = 0; y < 65; ++y)
            for (int x = 0; x < 65; ++x) dark += Dark(image, x, y);
        EXPECT_EQ(dark > 0, onPage) << at.x;
    }
}

std::vector<uint8_t> ImageFile(const char* format, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    while (bytes.size() % 4) bytes.append('\0');
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// STRETCHDIBITS of a whole embedded image file into (x, y, cx, cy), its header claiming
// claimed x claimed pixels.
void StretchEmbedded(EmfWriter& w, const std::vector<uint8_t>& file, uint32_t compression, int claimed, QRect dest)
{
    Payload p;
    const auto cbBits = static_cast<uint32_t>(file.size());
    p.Rect({0, 0, -1, -1}).I32(dest.x()).I32(dest.y()).I32(0).I32(0).I32(claimed).I32(claimed);
    p.U32(80).U32(40).U32(120).U32(cbBits).U32(0).U32(0x00CC0020).I32(dest.width()).I32(dest.height());
    p.U32(40).I32(claimed).I32(claimed).U16(1).U16(0).U32(compression).U32(cbBits).I32(0).I32(0).U32(0).U32(0);
    p.Raw(file);
    w.Append(emf::kEmrStretchDIBits, p);
}

TEST(PlayBudget, EmbeddedImagesClaimingHugeSizesAreDrawnWithoutScalingToTheClaim)
{
    for (auto [format, compression] : {std::pair{"PNG", BI_PNG}, {"JPEG", BI_JPEG}}) {
        const std::vector<uint8_t> file = ImageFile(format, QSize(1, 1));
        // The decoder leaves a claim beyond its cap at the file's own size; within it, the
        // image is scaled to the claim as before.
        std::vector<uint8_t> header(40, 0);
        Payload h;
        h.U32(40).I32(32767).I32(32767).U16(1).U16(0).U32(compression).U32(static_cast<uint32_t>(file.size()));
        std::copy(h.Bytes().begin(), h.Bytes().end(), header.begin());
        EXPECT_EQ(DecodeDib(header, file).size(), QSize(1, 1)) << format;
        Payload modest;
        modest.U32(40).I32(20).I32(10).U16(1).U16(0).U32(compression).U32(static_cast<uint32_t>(file.size()));
        std::copy(modest.Bytes().begin(), modest.Bytes().end(), header.begin());
        EXPECT_EQ(DecodeDib(header, file).size(), QSize(20, 10)) << format;

        EmfWriter w = PixelWriter();
        StretchEmbedded(w, file, compression, 32767, QRect(10, 10, 30, 20));
        const QImage image = Render(*Picture(w));
        EXPECT_GT(qRed(image.pixel(20, 20)), 200) << format;
        EXPECT_LT(qGreen(image.pixel(20, 20)), 60) << format;
        EXPECT_EQ(image.pixel(5, 5), qRgb(255, 255, 255)) << format;
        EXPECT_EQ(image.pixel(45, 35), qRgb(255, 255, 255)) << format;
    }
}

// A BITBLT's source XFORM is crafted floats: one that maps the source to NaN or infinity
// is not used (the source is taken as recorded), and no image is drawn from a source that is
// no number, which sent Qt's image drawing outside the image.
TEST(PlayBudget, BltsWhoseSourceTransformIsNoNumberDrawTheSourceAsRecorded)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const float xforms[][6] = {{1, 0, 0, 1, 0, 0},   {1, 0, 0, nan, 0, 0}, {1, 0, 0, 1, 0, nan},
                               {inf, 0, 0, 1, 0, 0}, {1, 0, 0, 1, -inf, 0}, {nan, nan, nan, nan, nan, nan}};
    for (const auto& xf : xforms) {
        EmfWriter w = PixelWriter();
        // 2 x 2 pixels of 24 bits, all red: rows of 8 bytes (blue, green, red, then padding).
        Payload p;
        p.Rect({0, 0, -1, -1}).I32(10).I32(10).I32(2).I32(2).U32(SRCCOPY).I32(0).I32(0);
        for (float v : xf) p.F32(v);
        p.U32(0).U32(DIB_RGB_COLORS).U32(100).U32(40).U32(140).U32(16);
        p.U32(40).I32(2).I32(2).U16(1).U16(24).U32(BI_RGB).U32(16).I32(0).I32(0).U32(0).U32(0);
        for (int row = 0; row < 2; ++row) p.U32(0x00FF0000).U32(0x0000FF00);
        w.Append(emf::kEmrBitBlt, p);
        const QImage image = Render(*Picture(w));
        EXPECT_EQ(image.pixel(10, 10), qRgb(255, 0, 0)) << xf[0] << " " << xf[3] << " " << xf[5];
        EXPECT_EQ(image.pixel(5, 5), qRgb(255, 255, 255)) << xf[0] << " " << xf[3] << " " << xf[5];
    }
}

// A blt without a source fills its destination with the brush; origin plus extent may pass
// the 32-bit range, and the box then reaches to the page's far edge.
TEST(PlayBudget, PatternBltsWhoseFarEdgePassesThirtyTwoBitsFillToThePageEdge)
{
    struct Case {
        int32_t x, y, cx, cy;
        QPoint inside, outside;
    } cases[] = {
        {10, 10, INT32_MAX, 20, {50, 20}, {5, 20}},
        {10, 10, 20, INT32_MAX, {20, 50}, {20, 5}},
        {INT32_MAX - 5, 10, INT32_MAX, 20, {-1, -1}, {50, 20}},
    };
    for (const Case& c : cases) {
        EmfWriter w = PixelWriter();
        w.SelectObject(Stock(BLACK_BRUSH));
        Payload p;
        p.Rect({0, 0, -1, -1}).I32(c.x).I32(c.y).I32(c.cx).I32(c.cy).U32(PATCOPY).I32(0).I32(0);
        p.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
        w.Append(emf::kEmrBitBlt, p);
        const QImage image = Render(*Picture(w));
        if (c.inside.x() >= 0) {
            EXPECT_TRUE(Dark(image, c.inside.x(), c.inside.y())) << c.x << "," << c.cx;
        }
        EXPECT_FALSE(Dark(image, c.outside.x(), c.outside.y())) << c.x << "," << c.cx;
    }
}

TEST(PlayBudget, ARotatedClipRectangleClipsAsItsPixelCentresSay)
{
    EmfWriter w = PixelWriter();
    Payload rotate;
    const double a = 0.5;
    rotate.F32(static_cast<float>(std::cos(a))).F32(static_cast<float>(std::sin(a)))
        .F32(static_cast<float>(-std::sin(a))).F32(static_cast<float>(std::cos(a))).F32(32).F32(10).U32(MWT_LEFTMULTIPLY);
    w.Append(emf::kEmrModifyWorldTransform, rotate);
    w.Append(emf::kEmrIntersectClipRect, Payload{}.Rect({0, 0, 30, 30}));
    w.SelectObject(Stock(BLACK_BRUSH));
    w.SelectObject(Stock(NULL_PEN));
    w.Rectangle({-1000, -1000, 1000, 1000});
    const QImage image = Render(*Picture(w));
    QPolygonF quad;
    for (QPointF corner : {QPointF(0, 0), QPointF(30, 0), QPointF(30, 30), QPointF(0, 30)})
        quad << QPointF(32 + corner.x() * std::cos(a) - corner.y() * std::sin(a), 10 + corner.x() * std::sin(a) + corner.y() * std::cos(a));
    int wrong = 0;
    for (int y = 0; y < 65; ++y)
        for (int x = 0; x < 65; ++x) {
            // Pixels whose centres are near the quad's edges may round either way.
            const QPointF c(x + 0.5, y + 0.5);
            bool nearEdge = false;
            for (qsizetype i = 0; i < 4; ++i) {
                const QPointF p = quad[i], q = quad[(i + 1) % 4], d = q - p;
                const double t = std::clamp(QPointF::dotProduct(c - p, d) / QPointF::dotProduct(d, d), 0.0, 1.0);
                const QPointF e = p + t * d - c;
                nearEdge = nearEdge || std::hypot(e.x(), e.y()) < 1;
            }
            if (!nearEdge && Dark(image, x, y) != Inside({quad}, Qt::OddEvenFill, c)) ++wrong;
        }
    EXPECT_EQ(wrong, 0);
}

// A picture that fills the whole 64-pixel page count times, each time in another colour.
emf::HENHMETAFILE Fills(int count)
{
    EmfWriter w = PixelWriter();
    w.SelectObject(Stock(NULL_PEN));
    for (int i = 0; i < count; ++i) {
        w.CreateBrushIndirect(1, BS_SOLID, emf::Rgb(static_cast<uint8_t>(i), 0, 0));
        w.SelectObject(1);
        w.Rectangle({0, 0, 65, 65});
        w.SelectObject(Stock(WHITE_BRUSH));
        w.DeleteObject(1);
    }
    return Picture(w);
}

TEST(PlayBudget, APageOverItsBudgetStopsKeepsWhatItDrewAndSaysSo)
{
    const auto picture = Fills(200);
    QImage image(65, 65, QImage::Format_RGB32);
    image.fill(Qt::white);
    PlayStats stats;
    {
        QPainter painter(&image);
        PainterDevice device(painter);
        // Enough for some of the fills, not for all.
        Player player(device, *picture, PixelRect(), 200 * 1000);
        stats = player.Play();
    }
    EXPECT_TRUE(stats.tooComplex);
    ASSERT_FALSE(stats.skips.empty());
    EXPECT_EQ(stats.skips.back().reason, skip::kTooComplex);
    const int reached = qRed(image.pixel(30, 30));
    EXPECT_GT(reached, 0);     // some fills were drawn and kept
    EXPECT_LT(reached, 199);   // not all

    // The ordinary budget plays the same picture through.
    PlayStats full;
    const QImage all = Render(*picture, 64, &full);
    EXPECT_FALSE(full.tooComplex);
    EXPECT_EQ(qRed(all.pixel(30, 30)), 199);
}

}  // namespace
}  // namespace qrp::render
