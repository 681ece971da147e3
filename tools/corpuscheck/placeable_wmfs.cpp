#include "tools/corpuscheck/placeable_wmfs.h"

#include "emf/bytes.h"
#include "emf/wmf/test_wmf_builder.h"

#include <algorithm>
#include <cmath>

namespace corpuscheck {
namespace {

using qrp::emf::wmf::WmfParams;
using qrp::emf::wmf::test::WmfBuilder;
namespace wmf = qrp::emf::wmf;

struct Paper {
    const char* name;
    double widthInches;
    double heightInches;
};

constexpr uint32_t kSrcCopy = 0x00CC0020;
constexpr uint16_t kNullBrushStyle = 1;  // BS_NULL
constexpr uint16_t kSolid = 0;           // BS_SOLID / PS_SOLID

uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) { return r | (g << 8) | (b << 16); }

// A 16 x 16 bottom-up 24-bit DIB: a colour ramp crossed by a dark diagonal.
std::vector<uint8_t> RampDib()
{
    constexpr int kSide = 16;
    WmfParams p;
    p.U32(40).U32(kSide).U32(kSide).U16(1).U16(24).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
    std::vector<uint8_t> dib = p.Bytes();
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const bool diagonal = x == y || x == y + 1;
            const auto b = static_cast<uint8_t>(diagonal ? 40 : 255 - x * 12);
            const auto g = static_cast<uint8_t>(diagonal ? 40 : 80 + y * 10);
            const auto r = static_cast<uint8_t>(diagonal ? 40 : x * 15);
            dib.insert(dib.end(), {b, g, r});
        }
    }
    return dib;
}

// The body of one page: coordinates in the picture's own units, y down, origin top-left.
std::vector<uint8_t> Page(int16_t width, int16_t height, int inch)
{
    auto pt = [inch](double points) { return static_cast<int16_t>(std::lround(points * inch / 72.0)); };
    const int16_t margin = pt(36);
    WmfBuilder b;
    b.WindowOrg(0, 0).WindowExt(width, height);
    b.Color(wmf::META_SETBKMODE, 1);  // TRANSPARENT
    // Objects: 0 frame pen, 1 hollow brush, 2 title font, 3 body font, 4 thin pen, 5 fill brush,
    // 6 blue pen, 7 green brush, 8 thick pen.
    b.Pen(kSolid, pt(2), 0).Brush(kNullBrushStyle, 0);
    b.Font(static_cast<int16_t>(-pt(20)), "Arial").Font(static_cast<int16_t>(-pt(11)), "Times New Roman");
    b.Pen(kSolid, pt(0.5), Rgb(80, 80, 80)).Brush(kSolid, Rgb(230, 40, 40));
    b.Pen(kSolid, pt(1), Rgb(0, 0, 200)).Brush(kSolid, Rgb(30, 160, 60)).Pen(kSolid, pt(4), Rgb(120, 0, 120));

    b.Select(0).Select(1).Rectangle(margin, margin, static_cast<int16_t>(width - margin), static_cast<int16_t>(height - margin));
    b.Select(2).TextOut(pt(72), pt(60), "Relat\xF3rio de Exames");
    b.Select(3);
    const char* lines[] = {"Hem\xE1" "cias        4,12 milh\xF5" "es/mm\xB3     3,90 a 5,03",
                           "Hemoglobina     12,8 g/dL           12,0 a 15,5",
                           "Hemat\xF3" "crito      38,5 %              35,0 a 45,0",
                           "Leuc\xF3" "citos      6.200 /mm\xB3          4.000 a 11.000"};
    int16_t y = pt(100);
    for (const char* line : lines) {
        b.TextOut(pt(72), y, line);
        y = static_cast<int16_t>(y + pt(18));
    }
    // A table: three rows, four columns of thin rules.
    b.Select(4);
    const int16_t left = pt(72), top = pt(190), cell = pt(100), row = pt(20);
    for (int r = 0; r <= 3; ++r) {
        b.MoveTo(left, static_cast<int16_t>(top + r * row)).LineTo(static_cast<int16_t>(left + 4 * cell), static_cast<int16_t>(top + r * row));
    }
    for (int c = 0; c <= 4; ++c) {
        b.MoveTo(static_cast<int16_t>(left + c * cell), top).LineTo(static_cast<int16_t>(left + c * cell), static_cast<int16_t>(top + 3 * row));
    }
    // Shapes.
    b.Select(6).Select(5).Words(wmf::META_ELLIPSE, {pt(350), pt(220), pt(280), pt(72)});
    b.Select(7).Poly(wmf::META_POLYGON, {{pt(250), pt(280)}, {pt(330), pt(350)}, {pt(230), pt(350)}});
    b.Select(8).MoveTo(pt(72), pt(380)).LineTo(static_cast<int16_t>(width - pt(72)), pt(380));
    // A 16 x 16 bitmap stretched over 144 x 144 points.
    WmfParams p;
    p.U32(kSrcCopy).U16(0).I16(16).I16(16).I16(0).I16(0).I16(pt(144)).I16(pt(144)).I16(pt(400)).I16(pt(380));
    p.Raw(RampDib());
    b.Raw(wmf::META_STRETCHDIB, p);
    // A line of text near the bottom right corner.
    b.Select(3).TextOut(static_cast<int16_t>(width - pt(250)), static_cast<int16_t>(height - pt(60)), "P\xE1gina 1 de 1");
    return b.Finish(9);
}

std::vector<uint8_t> Placeable(int16_t width, int16_t height, uint16_t inch, const std::vector<uint8_t>& body)
{
    std::vector<uint8_t> file(22 + body.size(), 0);
    std::copy(body.begin(), body.end(), file.begin() + 22);
    auto put16 = [&file](size_t at, uint16_t v) {
        file[at] = static_cast<uint8_t>(v);
        file[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    put16(0, 0xCDD7);
    put16(2, 0x9AC6);
    put16(10, static_cast<uint16_t>(width));
    put16(12, static_cast<uint16_t>(height));
    put16(14, inch);
    uint16_t sum = 0;
    for (size_t i = 0; i < 20; i += 2) sum ^= static_cast<uint16_t>(file[i] | file[i + 1] << 8);
    put16(20, sum);
    return file;
}

}  // namespace

std::vector<GeneratedPicture> PlaceableWmfs()
{
    struct Case {
        Paper paper;
        bool landscape;
        uint16_t inch;
    };
    const Paper a4{"a4", 210 / 25.4, 297 / 25.4}, letter{"letter", 8.5, 11};
    const Case cases[] = {{a4, false, 1440}, {a4, true, 1440}, {a4, false, 2540},
                          {letter, false, 576}, {letter, true, 576}, {letter, true, 2540}};
    std::vector<GeneratedPicture> pictures;
    for (const Case& c : cases) {
        double w = c.paper.widthInches * c.inch, h = c.paper.heightInches * c.inch;
        if (c.landscape) std::swap(w, h);
        const auto width = static_cast<int16_t>(std::lround(w)), height = static_cast<int16_t>(std::lround(h));
        const std::string name = std::string("placeable-") + c.paper.name + (c.landscape ? "-landscape-" : "-portrait-") +
                                 std::to_string(c.inch) + ".wmf";
        pictures.push_back({name, Placeable(width, height, c.inch, Page(width, height, c.inch))});
    }
    return pictures;
}

}  // namespace corpuscheck
