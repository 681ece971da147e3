// Pixels where GDI's are exact (shapes without antialiasing), the painter handed back as it
// came, and pictures that must play without crash or hang.
#include "render/test_pictures.h"

#include <QPainterPath>

#include <gtest/gtest.h>

#include <random>

namespace qrp::render {
namespace {

using namespace qrp::testsupport;
using namespace emf::gdi;
using emf::EmfWriter;

TEST(PlayerPixels, RectangleCoversItsEdgesWithAPenAndLessWithout)
{
    EmfWriter w = PixelWriter();
    w.SelectObject(Stock(BLACK_BRUSH));
    w.Rectangle({2, 2, 8, 8});  // black pen: pixels 2..8
    w.SelectObject(Stock(NULL_PEN));
    w.Rectangle({20, 2, 26, 8});  // no pen: pixels 20..25
    const auto picture = Picture(w);
    const QImage image = Render(*picture);
    EXPECT_TRUE(Dark(image, 2, 2));
    EXPECT_TRUE(Dark(image, 8, 8));
    EXPECT_FALSE(Dark(image, 9, 8));
    EXPECT_FALSE(Dark(image, 1, 2));
    EXPECT_TRUE(Dark(image, 20, 2));
    EXPECT_TRUE(Dark(image, 25, 7));
    EXPECT_FALSE(Dark(image, 26, 7));
    EXPECT_FALSE(Dark(image, 25, 8));
}

TEST(PlayerPixels, LinesLeaveOutTheirLastPixelInEveryDirection)
{
    EmfWriter w = PixelWriter();
    w.MoveToEx(2, 2);
    w.LineTo(10, 2);
    w.MoveToEx(10, 4);
    w.LineTo(2, 4);
    w.MoveToEx(2, 10);
    w.LineTo(8, 13);  // slanted: two pixels per row
    const auto picture = Picture(w);
    const QImage image = Render(*picture);
    EXPECT_TRUE(Dark(image, 2, 2));
    EXPECT_TRUE(Dark(image, 9, 2));
    EXPECT_FALSE(Dark(image, 10, 2));
    EXPECT_FALSE(Dark(image, 2, 4));
    EXPECT_TRUE(Dark(image, 3, 4));
    EXPECT_TRUE(Dark(image, 10, 4));
    for (auto [x, y] : {std::pair{2, 10}, {3, 10}, {4, 11}, {5, 11}, {6, 12}, {7, 12}}) EXPECT_TRUE(Dark(image, x, y)) << x << "," << y;
    EXPECT_FALSE(Dark(image, 8, 13));
}

TEST(PlayerPixels, StretchDIBitsScalesEveryPixelIntoItsDestination)
{
    // 2 x 2: red, green over blue, white (top row first).
    const uint8_t rgb[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    EmfWriter w = PixelWriter();
    w.StretchDIBits(10, 10, 20, 20, emf::Dib24::FromRgb(2, 2, rgb));
    const auto picture = Picture(w);
    const QImage image = Render(*picture);
    EXPECT_EQ(image.pixel(10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(19, 19), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(20, 10), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(10, 29), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(29, 29), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(30, 30), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(9, 9), qRgb(255, 255, 255));
}

TEST(PlayerPixels, PatternBrushesRepeatTheirBitmapAndFollowTheTextColours)
{
    // A colour 2 x 2 brush (bottom-up: blue, white under red, green), then a monochrome one
    // painted in the text and background colours, the text colour changed between two fills.
    emf::Payload colour;
    colour.U32(1).U32(DIB_RGB_COLORS).U32(32).U32(40).U32(72).U32(16);
    colour.U32(40).I32(2).I32(2).U16(1).U16(24).U32(0).U32(16).I32(0).I32(0).U32(0).U32(0);
    for (uint8_t b : {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0}) colour.U8(b);
    emf::Payload mono;
    mono.U32(2).U32(DIB_RGB_COLORS).U32(32).U32(48).U32(80).U32(8);
    mono.U32(40).I32(2).I32(2).U16(1).U16(1).U32(0).U32(8).I32(0).I32(0).U32(2).U32(0).U32(0).U32(0x00FFFFFF);
    mono.U32(0x40).U32(0x80);
    EmfWriter w = PixelWriter();
    w.Append(emf::kEmrCreateDibPatternBrushPt, colour);
    w.Append(emf::kEmrCreateMonoBrush, mono);
    w.SelectObject(Stock(NULL_PEN));
    w.SelectObject(1);
    w.Rectangle({0, 0, 66, 22});
    w.SelectObject(2);
    w.SetBkColor(emf::Rgb(0, 255, 0));
    w.SetTextColor(emf::Rgb(255, 0, 0));
    w.Rectangle({0, 22, 66, 44});
    w.SetTextColor(emf::Rgb(0, 0, 255));
    w.Rectangle({0, 44, 66, 66});
    const auto picture = Picture(w);
    const QImage image = Render(*picture);
    const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255);
    const struct {
        int top;
        QRgb cell[2][2];  // [y % 2][x % 2]
    } bands[] = {{0, {{red, green}, {blue, qRgb(255, 255, 255)}}},
                 {22, {{green, red}, {red, green}}},
                 {44, {{green, blue}, {blue, green}}}};
    for (const auto& band : bands) {
        int wrong = 0;
        for (int y = band.top; y < std::min(band.top + 22, image.height()); ++y)
            for (int x = 0; x < image.width(); ++x) wrong += image.pixel(x, y) != band.cell[y % 2][x % 2];
        EXPECT_EQ(wrong, 0) << "band at " << band.top;
    }
}

TEST(PlayerPixels, FrameMapsOntoTheRectangleInclusive)
{
    // A picture whose outlined rectangle is its whole frame, played into (5, 5)-(44, 24).
    EmfWriter w = PixelWriter(100);
    w.SelectObject(Stock(BLACK_BRUSH));
    w.Rectangle({0, 0, 100, 100});
    const auto picture = Picture(w);
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PlayEnhMetaFile(painter, *picture, QRect(QPoint(5, 5), QPoint(44, 24)));
    painter.end();
    EXPECT_TRUE(Dark(image, 5, 5));
    EXPECT_TRUE(Dark(image, 44, 24));
    EXPECT_FALSE(Dark(image, 45, 24));
    EXPECT_FALSE(Dark(image, 44, 25));
    EXPECT_FALSE(Dark(image, 4, 5));
}

TEST(PlayerPixels, TextDrawsInsideItsCellFromTheTop)
{
    EmfWriter w = PixelWriter(100);
    SelectArial(w, 1, -20);
    w.SetBkMode(TRANSPARENT);
    w.ExtTextOutW({10, 30}, u"HH", {});
    const auto picture = Picture(w);
    const QImage image = Render(*picture, 100);
    int top = 100, bottom = -1, left = 100;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (Dark(image, x, y)) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
                left = std::min(left, x);
            }
    // "H" stands on the baseline, ascent (about 18 px for a 20 px em) below the top.
    EXPECT_GE(top, 30 + 2);
    EXPECT_LE(top, 30 + 6);
    EXPECT_GE(bottom, 30 + 16);
    EXPECT_LE(bottom, 30 + 19);
    EXPECT_GE(left, 10);
    EXPECT_LE(left, 13);
}

TEST(PlayerPixels, EtoOpaqueFillsItsRectangleWithTheBackgroundColour)
{
    EmfWriter w = PixelWriter();
    w.SetBkColor(emf::Rgb(0, 0, 255));
    w.ExtTextOutW({0, 0}, u"", {}, ETO_OPAQUE, {4, 4, 10, 8});
    const auto picture = Picture(w);
    const QImage image = Render(*picture);
    EXPECT_EQ(image.pixel(4, 4), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(9, 7), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(10, 7), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(9, 8), qRgb(255, 255, 255));
}

TEST(PlayerPixels, RasterOperationsCombineWithTheDestination)
{
    EmfWriter w = PixelWriter();
    w.SelectObject(Stock(NULL_PEN));
    w.SelectObject(Stock(BLACK_BRUSH));
    w.Rectangle({0, 0, 10, 10});
    emf::Payload rop;
    rop.U32(R2_NOT);
    w.Append(emf::kEmrSetRop2, rop);
    w.Rectangle({5, 0, 15, 10});  // inverts: black -> white, white -> black
    const auto picture = Picture(w);
    const QImage image = Render(*picture);
    EXPECT_TRUE(Dark(image, 2, 2));
    EXPECT_FALSE(Dark(image, 7, 2));
    EXPECT_TRUE(Dark(image, 12, 2));
}

TEST(PlayerPixels, ThePainterIsHandedBackAsItCame)
{
    EmfWriter w = PixelWriter();
    w.SelectObject(Stock(BLACK_BRUSH));
    emf::Payload clip;
    clip.Rect({0, 0, 5, 5});
    w.Append(emf::kEmrIntersectClipRect, clip);
    w.Rectangle({0, 0, 30, 30});
    const auto picture = Picture(w);
    QImage image(80, 80, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(3, 4);
    painter.setPen(QPen(Qt::red, 3));
    painter.setBrush(Qt::green);
    painter.setClipRect(QRect(0, 0, 50, 50));
    painter.setRenderHint(QPainter::Antialiasing, true);
    PlayEnhMetaFile(painter, *picture, PixelRect());
    EXPECT_EQ(painter.transform(), QTransform::fromTranslate(3, 4));
    EXPECT_EQ(painter.pen(), QPen(Qt::red, 3));
    EXPECT_EQ(painter.brush(), QBrush(Qt::green));
    EXPECT_EQ(painter.clipBoundingRect().toRect(), QRect(0, 0, 50, 50));
    EXPECT_TRUE(painter.testRenderHint(QPainter::Antialiasing));
    EXPECT_EQ(painter.compositionMode(), QPainter::CompositionMode_SourceOver);
    painter.end();
    // Drawn through the caller's transform, inside the picture's own clip.
    EXPECT_TRUE(Dark(image, 3 + 2, 4 + 2));
    EXPECT_FALSE(Dark(image, 3 + 6, 4 + 6));
}

TEST(PlayerRobustness, DeepNestingHugeCoordinatesAndZeroExtentsPlay)
{
    EmfWriter w = PixelWriter();
    for (int i = 0; i < 200000; ++i) w.SaveDC();
    w.SetMapMode(MM_ANISOTROPIC);
    w.SetWindowExtEx(0, 0);
    w.SetViewportExtEx(0, 5);
    w.SetWindowExtEx(1, 0x7FFFFFFF);
    w.SetViewportExtEx(0x7FFFFFFF, 1);
    w.Rectangle({-0x7FFFFFFF, -0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF});
    w.Ellipse({-0x7FFFFFFF, 0, 0x7FFFFFFF, 0x7FFFFFFF});
    w.MoveToEx(-0x7FFFFFFF, 3);
    w.LineTo(0x7FFFFFFF, -0x7FFFFFFF);
    emf::LogFontW font;
    font.height = -0x7FFFFFFF;
    w.ExtCreateFontIndirectW(1, font);
    w.SelectObject(1);
    w.ExtTextOutW({0, 0}, u"big", {});
    for (int i = 0; i < 1000; ++i) w.RestoreDC(-1000);
    w.RestoreDC(0x7FFFFFFF);
    const auto picture = Picture(w);
    PlayStats stats;
    Render(*picture, 64, &stats);
    EXPECT_EQ(stats.skipped, 0u);
}

TEST(PlayerRobustness, CorruptedRecordsNeverCrash)
{
    // Every record field of a picture with every family in it, overwritten at random.
    EmfWriter w = PixelWriter();
    w.CreatePen(1, PS_DASH, 1, 0);
    w.SelectObject(1);
    w.CreateBrushIndirect(2, BS_HATCHED, 0, HS_CROSS);
    w.SelectObject(2);
    const emf::PointS points[] = {{1, 1}, {20, 3}, {8, 30}};
    w.Polygon16(points);
    w.Polyline16(points);
    w.Ellipse({3, 3, 40, 20});
    emf::LogFontW font;
    font.height = -12;
    font.escapement = 450;
    w.ExtCreateFontIndirectW(3, font);
    w.SelectObject(3);
    const int32_t dx[] = {7, 7, 7};
    w.ExtTextOutW({5, 5}, u"abc", dx, ETO_CLIPPED | ETO_OPAQUE, {0, 0, 30, 30});
    const uint8_t rgb[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    w.StretchDIBits(0, 0, 10, 10, emf::Dib24::FromRgb(2, 2, rgb));
    const std::vector<uint8_t> clean = w.Finish();
    std::mt19937 random(7);
    for (int round = 0; round < 400; ++round) {
        std::vector<uint8_t> bytes = clean;
        for (int i = 0; i < 6; ++i) {
            const size_t at = emf::kHeaderSize + random() % (bytes.size() - emf::kHeaderSize);
            if (at % 4 == 0 && (at / 4) % 2 == 1) continue;  // keep record sizes; others test those
            bytes[at] = static_cast<uint8_t>(random());
        }
        const auto picture = emf::SetEnhMetaFileBits(bytes);
        if (!picture) continue;
        Render(*picture);
        Trace(*picture);
    }
}

}  // namespace
}  // namespace qrp::render
