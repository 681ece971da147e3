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

}  // namespace
}  // namespace qrp::render
