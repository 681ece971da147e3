// Pictures drawn as GDI draws them where a simpler reading of the records differs: each
// case fails on the simpler reading.
#include "render/test_pictures.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace qrp::render {
namespace {

using namespace qrp::testsupport;
using namespace emf::gdi;
using emf::EmfWriter;

int Ink(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += Dark(image, x, y);
    return n;
}

QImage Letters(uint8_t charSet, const char16_t* text, uint8_t pitchAndFamily = 0x22 /* FF_SWISS */)
{
    EmfWriter w = PixelWriter(128);
    emf::LogFontW font;
    font.height = -40;
    font.charSet = charSet;
    font.faceName = u"Wingdings 2";  // not installed: a Latin face stands in
    font.pitchAndFamily = pitchAndFamily;
    w.ExtCreateFontIndirectW(1, font);
    w.SelectObject(1);
    w.ExtTextOutW({8, 20}, text, {});
    const auto picture = Picture(w);
    return Render(*picture, 128);
}

TEST(PlayerFidelity, SymbolCharsetCodesAreNotDrawnAsLetters)
{
    // "ll": two tall strokes as letters; a face without the symbol codes shows the same
    // missing glyph for both, as GDI does (the face's own: a box here), never the letters.
    const QImage latin = Letters(0, u"ll");
    const QImage symbol = Letters(SYMBOL_CHARSET, u"ll");
    const QImage other = Letters(SYMBOL_CHARSET, u"AW");
    EXPECT_GT(Ink(latin), 0);
    EXPECT_GT(Ink(symbol), 0);
    EXPECT_NE(latin, symbol);
    // Different codes, the same missing glyph.
    EXPECT_EQ(symbol, other);
    // Codes 0x80..0x9F recorded as the ANSI page's characters (U+20AC for 0x80) are codes
    // too; characters of no 8-bit code are left as they are.
    EXPECT_EQ(Letters(SYMBOL_CHARSET, u"\u20AC\u2122"), symbol);
    EXPECT_EQ(Letters(SYMBOL_CHARSET, u"\u0141"), Letters(0, u"\u0141"));
    // A face whose missing glyph is blank draws nothing.
    EXPECT_EQ(Ink(Letters(SYMBOL_CHARSET, u"ll", 0x12 /* FF_ROMAN */)), 0);
}

TEST(PlayerFidelity, AStandInFacePlacesTextByTheAskedFacesAscentAndDescent)
{
    // Tahoma is not installed; its stand-in reaches 36 pixels above the baseline at an em
    // of 40 where Tahoma reaches 40. The rows of the opaque box behind one letter, as a
    // GDI rendering of the same picture fills them.
    struct Case {
        int32_t height;  // negative: the em; positive: the cell
        uint32_t align;
        int32_t y;
        int top, bottom;
    };
    for (const Case& c : {Case{-40, TA_TOP, 20, 20, 67}, Case{-40, TA_BASELINE, 100, 60, 107},
                          Case{-40, TA_BOTTOM, 100, 52, 99}, Case{48, TA_BASELINE, 100, 60, 107}}) {
        EmfWriter w = PixelWriter(128);
        emf::LogFontW font;
        font.height = c.height;
        font.faceName = u"Tahoma";
        font.pitchAndFamily = 0x22;  // FF_SWISS | VARIABLE_PITCH
        w.ExtCreateFontIndirectW(1, font);
        w.SelectObject(1);
        w.SetBkMode(OPAQUE);
        w.SetBkColor(emf::Rgb(0, 0, 0));
        w.SetTextAlign(c.align);
        w.ExtTextOutW({40, c.y}, u"l", {});
        const auto picture = Picture(w);
        const QImage image = Render(*picture, 128);
        int top = -1, bottom = -1;
        for (int y = 0; y < image.height(); ++y)
            if (Dark(image, 42, y)) {
                if (top < 0) top = y;
                bottom = y;
            }
        EXPECT_EQ(top, c.top) << "height " << c.height << ", align " << c.align;
        EXPECT_EQ(bottom, c.bottom) << "height " << c.height << ", align " << c.align;
    }
}

TEST(PlayerFidelity, AClipOfManyBoxesAfterAnEarlierClipStillClips)
{
    // A clip, released, then a clip of ten boxes: a bar just above the boxes is all clipped
    // away, a bar across them shows in the boxes only.
    EmfWriter w = PixelWriter(128);
    auto clipToBoxes = [&w](int32_t top, int32_t bottom) {
        w.Append(emf::kEmrBeginPath);
        for (int i = 0; i < 10; ++i) w.Rectangle({4 + 12 * i, top, 12 + 12 * i, bottom});
        w.Append(emf::kEmrEndPath);
        w.Append(emf::kEmrSelectClipPath, emf::Payload().U32(RGN_AND));
    };
    w.CreateBrushIndirect(1, BS_SOLID, 0);
    w.SelectObject(1);
    w.SelectObject(Stock(NULL_PEN));
    w.SaveDC();
    clipToBoxes(100, 110);
    w.Rectangle({0, 0, 128, 128});
    w.RestoreDC();
    w.Rectangle({0, 120, 4, 124});  // drawn unclipped
    w.SaveDC();
    clipToBoxes(40, 60);
    w.Rectangle({0, 30, 128, 40});  // ends where the boxes start
    w.Rectangle({0, 50, 128, 52});
    w.RestoreDC();
    const auto picture = Picture(w);
    const QImage image = Render(*picture, 128);
    EXPECT_TRUE(Dark(image, 6, 105));  // the first clip's boxes
    for (int x = 0; x < 128; ++x) EXPECT_FALSE(Dark(image, x, 35)) << x;
    EXPECT_TRUE(Dark(image, 6, 50));
    EXPECT_FALSE(Dark(image, 14, 50));  // between two boxes
}

TEST(PlayerFidelity, TriangleGradientsBlendTheirVertexColours)
{
    // One triangle, red, green and blue at its corners (GRADIENTFILL, GRADIENT_FILL_TRIANGLE).
    EmfWriter w = PixelWriter(128);
    emf::Payload p;
    p.I32(0).I32(0).I32(-1).I32(-1).U32(3).U32(1).U32(GRADIENT_FILL_TRIANGLE);
    for (const auto& [x, y, r, g, b] : {std::tuple{4, 4, 0xFF00, 0, 0}, {124, 4, 0, 0xFF00, 0}, {4, 124, 0, 0, 0xFF00}})
        p.I32(x).I32(y).U16(static_cast<uint16_t>(r)).U16(static_cast<uint16_t>(g)).U16(static_cast<uint16_t>(b)).U16(0);
    p.U32(0).U32(1).U32(2);
    w.Append(emf::kEmrGradientFill, p);
    const auto picture = Picture(w);
    const QImage image = Render(*picture, 128);
    auto near = [&image](int x, int y, int r, int g, int b) {
        const QRgb c = image.pixel(x, y);
        return std::abs(qRed(c) - r) <= 6 && std::abs(qGreen(c) - g) <= 6 && std::abs(qBlue(c) - b) <= 6;
    };
    EXPECT_TRUE(near(6, 6, 250, 2, 2));      // by the red corner
    EXPECT_TRUE(near(120, 6, 4, 247, 4));    // by the green corner
    EXPECT_TRUE(near(6, 120, 4, 4, 247));    // by the blue corner
    EXPECT_TRUE(near(44, 44, 85, 85, 85));   // the centroid: a third of each
    EXPECT_TRUE(near(64, 6, 126, 127, 2));   // half way along the top edge
    EXPECT_EQ(image.pixel(100, 100), qRgb(255, 255, 255));  // outside
}

// 16 x 16 white with black lines at every fourth column and row (1, 5, 9, 13), drawn 8 x 8
// at (10, 10) in the given stretching mode (0: the default, BLACKONWHITE).
QImage ShrunkGrid(uint32_t mode)
{
    std::vector<uint8_t> rgb;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const uint8_t v = x % 4 == 1 || y % 4 == 1 ? 0 : 255;
            rgb.insert(rgb.end(), {v, v, v});
        }
    EmfWriter w = PixelWriter();
    if (mode != 0) w.Append(emf::kEmrSetStretchBltMode, emf::Payload().U32(mode));
    w.StretchDIBits(10, 10, 8, 8, emf::Dib24::FromRgb(16, 16, rgb));
    const auto picture = Picture(w);
    return Render(*picture);
}

TEST(PlayerFidelity, ShrunkBitmapsCombineTheirPixelsAsTheStretchingModeSays)
{
    // BLACKONWHITE, the default: every pair of columns and rows holding a line keeps it.
    for (const uint32_t mode : {0u, BLACKONWHITE}) {
        const QImage image = ShrunkGrid(mode);
        for (int i = 0; i < 8; ++i) {
            for (int k = 0; k < 8; k += 2) {
                EXPECT_TRUE(Dark(image, 10 + k, 10 + i)) << mode << ": column " << k << " row " << i;
                EXPECT_TRUE(Dark(image, 10 + i, 10 + k)) << mode << ": row " << k << " column " << i;
            }
        }
        EXPECT_EQ(image.pixel(11, 11), qRgb(255, 255, 255));
    }
    // HALFTONE: the mean of each 2 x 2 block.
    const QImage halftone = ShrunkGrid(HALFTONE);
    EXPECT_EQ(halftone.pixel(10, 10), qRgb(63, 63, 63));     // three black, one white
    EXPECT_EQ(halftone.pixel(10, 11), qRgb(127, 127, 127));  // two of each
    EXPECT_EQ(halftone.pixel(11, 11), qRgb(255, 255, 255));
    // WHITEONBLACK: white wins.
    EXPECT_EQ(ShrunkGrid(WHITEONBLACK).pixel(10, 11), qRgb(255, 255, 255));
}

TEST(PlayerFidelity, TextInsideAPathBracketBecomesItsOutlines)
{
    auto play = [](bool fill) {
        EmfWriter w = PixelWriter(128);
        SelectArial(w, 1, -80);
        w.CreateBrushIndirect(2, BS_SOLID, emf::Rgb(255, 0, 0));
        w.SelectObject(2);
        w.SelectObject(Stock(NULL_PEN));
        w.Append(emf::kEmrBeginPath);
        w.ExtTextOutW({20, 10}, u"H", {}, ETO_OPAQUE, {0, 0, 128, 128});
        w.Append(emf::kEmrEndPath);
        if (fill) w.Append(emf::kEmrFillPath, emf::Payload().I32(0).I32(0).I32(-1).I32(-1));
        const auto picture = Picture(w);
        return Render(*picture, 128);
    };
    // Filled, the letter shows in the brush's colour; neither the text nor its opaque box is
    // drawn by the bracket itself.
    const QImage filled = play(true);
    int red = 0, other = 0;
    for (int y = 0; y < filled.height(); ++y)
        for (int x = 0; x < filled.width(); ++x) {
            const QRgb c = filled.pixel(x, y);
            if (c == qRgb(255, 0, 0)) ++red;
            else if (c != qRgb(255, 255, 255)) ++other;
        }
    EXPECT_GT(red, 400);
    EXPECT_EQ(other, 0);
    const QImage bracketOnly = play(false);
    for (int y = 0; y < bracketOnly.height(); ++y)
        for (int x = 0; x < bracketOnly.width(); ++x) ASSERT_EQ(bracketOnly.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
}

TEST(PlayerFidelity, PaletteIndexColoursComeFromThePaletteInUse)
{
    // A solid brush of PALETTEINDEX(2) fills a box; the picture may carry a palette in its
    // EOF record, and its records may select a palette of their own.
    auto play = [](bool pictureHasPalette, bool selectOwn) {
        EmfWriter w = PixelWriter();
        if (selectOwn) {
            emf::Payload p;
            p.U32(3).U16(0x300).U16(3);
            for (const uint32_t e : {emf::Rgb(1, 2, 3), emf::Rgb(4, 5, 6), emf::Rgb(10, 200, 30)}) p.U32(e);
            w.Append(emf::kEmrCreatePalette, p);
            w.Append(emf::kEmrSelectPalette, emf::Payload().U32(3));
        }
        w.CreateBrushIndirect(1, BS_SOLID, 0x01000002);
        w.SelectObject(1);
        w.SelectObject(Stock(NULL_PEN));
        w.Rectangle({10, 10, 30, 30});
        const uint32_t own[] = {emf::Rgb(0, 0, 0), emf::Rgb(0, 0, 0), emf::Rgb(250, 120, 0)};
        emf::HENHMETAFILE picture = emf::SetEnhMetaFileBits(pictureHasPalette ? w.Finish(own) : w.Finish());
        return Render(*picture).pixel(20, 20);
    };
    EXPECT_EQ(play(false, false), qRgb(0, 128, 0));     // the default palette's entry 2
    EXPECT_EQ(play(true, false), qRgb(250, 120, 0));    // the picture's own palette
    EXPECT_EQ(play(true, true), qRgb(10, 200, 30));     // the palette the records selected
    EXPECT_EQ(play(false, true), qRgb(10, 200, 30));
}

TEST(PlayerFidelity, PaletteIndexBitmapsUseThePicturesPalette)
{
    // A 2 x 1 DIB_PAL_COLORS bitmap whose colour table names palette entries 2 and 1.
    auto play = [](bool pictureHasPalette) {
        EmfWriter w = PixelWriter();
        emf::Payload p;
        p.I32(0).I32(0).I32(-1).I32(-1).I32(10).I32(10).I32(0).I32(0).I32(2).I32(1);
        p.U32(80).U32(44).U32(124).U32(4).U32(DIB_PAL_COLORS).U32(0x00CC0020).I32(20).I32(10);
        p.U32(40).I32(2).I32(1).U16(1).U16(8).U32(0).U32(4).I32(0).I32(0).U32(2).U32(0);
        p.U16(2).U16(1);
        p.U32(0x00000100);  // pixels 0, 1
        w.Append(emf::kEmrStretchDIBits, p);
        const uint32_t own[] = {emf::Rgb(0, 0, 0), emf::Rgb(10, 20, 30), emf::Rgb(200, 100, 50)};
        emf::HENHMETAFILE picture = emf::SetEnhMetaFileBits(pictureHasPalette ? w.Finish(own) : w.Finish());
        const QImage image = Render(*picture);
        return std::pair{image.pixel(12, 12), image.pixel(27, 12)};
    };
    EXPECT_EQ(play(true), std::pair(qRgb(200, 100, 50), qRgb(10, 20, 30)));
    EXPECT_EQ(play(false), std::pair(qRgb(0, 128, 0), qRgb(128, 0, 0)));  // the default palette
}

}  // namespace
}  // namespace qrp::render
