// A page drawn the way a report generator records it through GDI on a printer: A4 frame,
// MM_ANISOTROPIC with 0.1 mm logical units on a 600-dpi device, and every font, pen and
// brush created, selected, used and deleted around its own drawing call.
#pragma once

#include "emf/emf_writer.h"
#include "tools/samplegen/font_metrics.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace samplegen {

using qrp::emf::PointS;
using qrp::emf::RectL;

struct Font {
    Face face = Face::Arial;
    int32_t tenthsOfPoint = 100;  // 10 pt
    bool bold = false;
    bool italic = false;

    // The em size in logical units (0.1 mm).
    int32_t EmSize() const { return (tenthsOfPoint * 254 + 360) / 720; }
};

enum class Align { Left, Center, Right };

constexpr uint32_t kBlack = qrp::emf::Rgb(0, 0, 0);

class SampleCanvas {
public:
    explicit SampleCanvas(std::u16string_view description);

    // A text run with its baseline at y; x is its left end, centre or right end.
    void Text(int32_t x, int32_t y, const Font& font, std::u16string_view text, Align align = Align::Left,
              uint32_t color = kBlack);
    void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width, uint32_t color = kBlack);
    void Polyline(const std::vector<PointS>& points, int32_t width, uint32_t color = kBlack);
    // A filled rectangle, outlined when outlineWidth > 0.
    void Box(const RectL& box, uint32_t fill, int32_t outlineWidth = 0, uint32_t outline = kBlack);
    void Frame(const RectL& box, int32_t width, uint32_t color = kBlack);
    void Ellipse(const RectL& box, int32_t width, uint32_t color);
    void Polygon(const std::vector<PointS>& points, uint32_t fill);
    void Bitmap(int32_t x, int32_t y, int32_t cx, int32_t cy, const qrp::emf::Dib24& dib);

    std::vector<uint8_t> Finish();

private:
    uint32_t NewHandle();
    void FreeHandle(uint32_t handle);

    qrp::emf::EmfWriter FWriter;
    std::vector<bool> FInUse;
};

}  // namespace samplegen
