// Page pictures for tests, drawn with the EMF writer. Each kind is drawn on the reference
// device its tests need; the page number moves something on the page, so pages differ.
#pragma once

#include "emf/emf_writer.h"
#include "reportfile/metafile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qrp::testsupport {

// A printer-like A4 page (600 dpi, MM_TEXT): a rectangle whose height depends on
// pageNumber and the text "Página N" in Arial; extraRecords adds that many rectangles to
// make the picture longer.
std::vector<uint8_t> NumberedPagePicture(int pageNumber, int extraRecords = 0);
// The same picture read as a page picture.
TMetafile NumberedPageMetafile(int pageNumber, int extraRecords = 0);

// A page's frame in 0.01 mm.
struct PageFrame {
    int32_t width = 21000;
    int32_t height = 29700;
};
inline constexpr PageFrame kA4{21000, 29700};

// A page of any frame recorded at 96 dots per inch, as a screen records it: a black border
// inset by 5 % and a filled block whose height depends on pageNumber.
std::vector<uint8_t> FramedPagePicture(const PageFrame& frame, int pageNumber);

// An A4 page on a 96-dpi device of A4's size in pixels (794 x 1123): a grey band at the top
// and a blue box whose place depends on pageNumber; without drawn, only the header and the
// end record.
std::vector<uint8_t> BandedPagePicture(int pageNumber, bool drawn = true);

// A line of text for TextPagePicture: an Arial run drawn at its baseline.
struct TestTextRun {
    int X, Y;  // baseline start, in the page picture's pixels (96 dpi)
    std::u16string Text;
    int Height = 16;  // em height in pixels
};
using TestTextPage = std::vector<TestTextRun>;
// An A4 page on the banded pages' 96-dpi device holding the runs, one font per height.
std::vector<uint8_t> TextPagePicture(const TestTextPage& page);

// A printer-like page (600 dpi on A4, MM_TEXT) of any frame: a box, a rule and one line of
// text in Arial.
struct LabelledPage {
    emf::RectL frame{0, 0, 21000, 29700};  // 0.01 mm, inclusive
    std::u16string text = u"Hemograma completo";
};
std::vector<uint8_t> LabelledPagePicture(const LabelledPage& page);

// A writer whose reference-device pixels land one to one on an output of size + 1 pixels:
// the writer's default device has 1024 pixels on 320 mm, one pixel is 31.25 units of
// 0.01 mm, so the frame is size * 31.25 units wide.
emf::EmfWriter PixelWriter(int size = 64);

}  // namespace qrp::testsupport
