// Pictures drawn as GDI draws them where a simpler reading of the records differs: each
// case fails on the simpler reading.
#include "render/test_pictures.h"

#include <gtest/gtest.h>

namespace qrp::render {
namespace {

using namespace testing;
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

}  // namespace
}  // namespace qrp::render
