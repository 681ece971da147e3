#include "testsupport/pictures.h"

#include "base/stream.h"

#include <algorithm>
#include <map>

namespace qrp::testsupport {

namespace {

// A writer of the frame (0.01 mm, inclusive) on a reference device of that many pixels and
// millimetres.
emf::EmfWriter Writer(const emf::RectL& frame, emf::SizeL pixels, emf::SizeL millimeters)
{
    emf::EmfWriterOptions options;
    options.frame = frame;
    options.devicePixels = pixels;
    options.deviceMillimeters = millimeters;
    return emf::EmfWriter(options);
}

// A4 at 600 dots per inch, as a printer records it.
constexpr emf::SizeL kA4PrinterPixels{4961, 7016};
constexpr emf::SizeL kA4Millimeters{210, 297};
// A4 at 96 dots per inch, as a screen records it.
constexpr emf::SizeL kA4ScreenPixels{794, 1123};

}  // namespace

std::vector<uint8_t> NumberedPagePicture(int pageNumber, int extraRecords)
{
    emf::EmfWriter w = Writer({0, 0, 20999, 29699}, kA4PrinterPixels, kA4Millimeters);
    w.SetMapMode(1);
    w.CreatePen(1, 0, 4, emf::Rgb(0, 0, 0));
    w.SelectObject(1);
    w.Rectangle({100, 100, 4800, 300 + pageNumber});
    emf::LogFontW font;
    font.height = -50;
    font.faceName = u"Arial";
    w.ExtCreateFontIndirectW(2, font);
    w.SelectObject(2);
    const std::u16string text = u"Página " + std::u16string(1, static_cast<char16_t>(u'0' + pageNumber % 10));
    const std::vector<int32_t> dx(text.size(), 30);
    w.ExtTextOutW({200, 400}, text, dx);
    for (int i = 0; i < extraRecords; ++i) w.Rectangle({i, i * 2, i + 100 + pageNumber, i * 3 + 50});
    w.DeleteObject(2);
    w.DeleteObject(1);
    return w.Finish();
}

TMetafile NumberedPageMetafile(int pageNumber, int extraRecords)
{
    TMetafile m;
    TMemoryStream s(NumberedPagePicture(pageNumber, extraRecords));
    m.LoadFromStream(s);
    return m;
}

namespace {

// 96 dots per inch: 960 pixels on 254 millimetres.
constexpr int32_t kScreenPixels = 960;
constexpr int32_t kScreenMillimeters = 254;

int32_t ToScreenPixels(int32_t hundredthsMm)
{
    return static_cast<int32_t>(int64_t{hundredthsMm} * kScreenPixels / (kScreenMillimeters * 100));
}

}  // namespace

std::vector<uint8_t> FramedPagePicture(const PageFrame& frame, int pageNumber)
{
    emf::EmfWriter w = Writer({0, 0, frame.width, frame.height}, {kScreenPixels, kScreenPixels},
                              {kScreenMillimeters, kScreenMillimeters});
    const int32_t width = ToScreenPixels(frame.width);
    const int32_t height = ToScreenPixels(frame.height);
    const int32_t inset = width / 20;
    w.CreatePen(1, 0, 3, emf::Rgb(0, 0, 0));
    w.SelectObject(1);
    w.CreateBrushIndirect(2, 1 /* BS_NULL */, 0);
    w.SelectObject(2);
    w.Rectangle({inset, inset, width - inset, height - inset});
    w.CreateBrushIndirect(3, 0 /* BS_SOLID */, emf::Rgb(40, 40, 160));
    w.SelectObject(3);
    w.Rectangle({2 * inset, 2 * inset, width / 2, 2 * inset + (height / 10) * std::clamp(pageNumber, 1, 8)});
    w.DeleteObject(3);
    w.DeleteObject(2);
    w.DeleteObject(1);
    return w.Finish();
}

std::vector<uint8_t> BandedPagePicture(int pageNumber, bool drawn)
{
    emf::EmfWriter writer = Writer({0, 0, 21000, 29700}, kA4ScreenPixels, kA4Millimeters);
    if (drawn) {
        writer.CreateBrushIndirect(1, 0 /* BS_SOLID */, emf::Rgb(200, 200, 200));
        writer.SelectObject(1);
        writer.Rectangle({40, 40, 754, 120});
        writer.CreateBrushIndirect(2, 0, emf::Rgb(30, 60, 160));
        writer.SelectObject(2);
        const int top = 150 + 60 * pageNumber;
        writer.Rectangle({100, top, 300, top + 50});
    }
    return writer.Finish();
}

std::vector<uint8_t> TextPagePicture(const TestTextPage& page)
{
    emf::EmfWriter writer = Writer({0, 0, 21000, 29700}, kA4ScreenPixels, kA4Millimeters);
    writer.SetTextAlign(24 /* TA_BASELINE */);
    std::map<int, uint32_t> fonts;
    for (const TestTextRun& run : page) {
        auto [it, added] = fonts.emplace(run.Height, static_cast<uint32_t>(fonts.size() + 1));
        if (added) {
            emf::LogFontW font;
            font.height = -run.Height;
            font.faceName = u"Arial";
            writer.ExtCreateFontIndirectW(it->second, font);
        }
        writer.SelectObject(it->second);
        writer.ExtTextOutW({run.X, run.Y}, run.Text, {});
    }
    return writer.Finish();
}

std::vector<uint8_t> LabelledPagePicture(const LabelledPage& page)
{
    emf::EmfWriter w = Writer(page.frame, kA4PrinterPixels, kA4Millimeters);
    w.SetMapMode(1);  // MM_TEXT: logical units are device pixels
    w.CreatePen(1, 0, 3, emf::Rgb(0, 0, 0));
    w.SelectObject(1);
    w.Rectangle({200, 200, 1800, 600});
    w.MoveToEx(200, 800);
    w.LineTo(4700, 800);
    emf::LogFontW font;
    font.height = -100;
    font.faceName = u"Arial";
    w.ExtCreateFontIndirectW(2, font);
    w.SelectObject(2);
    std::vector<int32_t> dx(page.text.size(), 60);
    w.ExtTextOutW({300, 300}, page.text, dx);
    return w.Finish();
}

emf::EmfWriter PixelWriter(int size)
{
    emf::EmfWriterOptions options;
    options.frame = {0, 0, static_cast<int32_t>(size * 3125 / 100), static_cast<int32_t>(size * 3125 / 100)};
    return emf::EmfWriter(options);
}

}  // namespace qrp::testsupport
