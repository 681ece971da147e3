#include "tools/samplegen/canvas.h"

namespace samplegen {

namespace {

constexpr int32_t kMapAnisotropic = 8;
constexpr uint32_t kTransparent = 1;
constexpr uint32_t kBaseline = 24;
constexpr uint32_t kAlignRight = 2;
constexpr uint32_t kAlignCenter = 6;
constexpr uint32_t kPenSolid = 0;
constexpr uint32_t kBrushSolid = 0;
constexpr uint32_t kStockNullBrush = 0x80000005;
constexpr uint32_t kStockBlackPen = 0x80000007;
constexpr uint32_t kStockNullPen = 0x80000008;
constexpr uint32_t kStockWhiteBrush = 0x80000000;
constexpr uint32_t kStockSystemFont = 0x8000000D;

qrp::emf::EmfWriterOptions A4At600Dpi(std::u16string_view description)
{
    qrp::emf::EmfWriterOptions options;
    options.frame = {0, 0, 21000, 29700};
    options.devicePixels = {4961, 7016};
    options.deviceMillimeters = {210, 297};
    options.description = std::u16string(description);
    return options;
}

}  // namespace

SampleCanvas::SampleCanvas(std::u16string_view description) : FWriter(A4At600Dpi(description)), FInUse(1, true)
{
    FWriter.SetMapMode(kMapAnisotropic);
    FWriter.SetWindowOrgEx(0, 0);
    FWriter.SetWindowExtEx(2100, 2970);
    FWriter.SetViewportOrgEx(0, 0);
    FWriter.SetViewportExtEx(4961, 7016);
    FWriter.SetBkMode(kTransparent);
}

// GDI hands out the lowest free slot of the picture's handle table.
uint32_t SampleCanvas::NewHandle()
{
    for (size_t i = 1; i < FInUse.size(); ++i) {
        if (!FInUse[i]) {
            FInUse[i] = true;
            return static_cast<uint32_t>(i);
        }
    }
    FInUse.push_back(true);
    return static_cast<uint32_t>(FInUse.size() - 1);
}

void SampleCanvas::FreeHandle(uint32_t handle)
{
    FWriter.DeleteObject(handle);
    FInUse[handle] = false;
}

void SampleCanvas::Text(int32_t x, int32_t y, const Font& font, std::u16string_view text, Align align, uint32_t color)
{
    qrp::emf::LogFontW log;
    log.height = -font.EmSize();
    log.weight = font.bold ? 700 : 400;
    log.italic = font.italic ? 1 : 0;
    log.outPrecision = 3;   // OUT_STROKE_PRECIS
    log.clipPrecision = 2;  // CLIP_STROKE_PRECIS
    log.quality = 1;        // DRAFT_QUALITY
    switch (font.face) {
    case Face::Arial:
        log.faceName = u"Arial";
        log.pitchAndFamily = 0x22;
        break;
    case Face::TimesNewRoman:
        log.faceName = u"Times New Roman";
        log.pitchAndFamily = 0x12;
        break;
    case Face::CourierNew:
        log.faceName = u"Courier New";
        log.pitchAndFamily = 0x31;
        break;
    }
    const uint32_t handle = NewHandle();
    FWriter.ExtCreateFontIndirectW(handle, log);
    FWriter.SelectObject(handle);
    FWriter.SetTextColor(color);
    const uint32_t horizontal = align == Align::Right ? kAlignRight : align == Align::Center ? kAlignCenter : 0;
    FWriter.SetTextAlign(kBaseline | horizontal);
    const std::vector<int32_t> dx = RunAdvances(font.face, text, font.EmSize());
    FWriter.ExtTextOutW({x, y}, text, dx);
    FWriter.SelectObject(kStockSystemFont);
    FreeHandle(handle);
}

void SampleCanvas::Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width, uint32_t color)
{
    const uint32_t pen = NewHandle();
    FWriter.CreatePen(pen, kPenSolid, width, color);
    FWriter.SelectObject(pen);
    FWriter.MoveToEx(x1, y1);
    FWriter.LineTo(x2, y2);
    FWriter.SelectObject(kStockBlackPen);
    FreeHandle(pen);
}

void SampleCanvas::Polyline(const std::vector<PointS>& points, int32_t width, uint32_t color)
{
    const uint32_t pen = NewHandle();
    FWriter.CreatePen(pen, kPenSolid, width, color);
    FWriter.SelectObject(pen);
    FWriter.Polyline16(points);
    FWriter.SelectObject(kStockBlackPen);
    FreeHandle(pen);
}

void SampleCanvas::Box(const RectL& box, uint32_t fill, int32_t outlineWidth, uint32_t outline)
{
    const uint32_t brush = NewHandle();
    FWriter.CreateBrushIndirect(brush, kBrushSolid, fill);
    FWriter.SelectObject(brush);
    uint32_t pen = 0;
    if (outlineWidth > 0) {
        pen = NewHandle();
        FWriter.CreatePen(pen, kPenSolid, outlineWidth, outline);
        FWriter.SelectObject(pen);
    } else {
        FWriter.SelectObject(kStockNullPen);
    }
    FWriter.Rectangle(box);
    FWriter.SelectObject(kStockBlackPen);
    FWriter.SelectObject(kStockWhiteBrush);
    if (pen) FreeHandle(pen);
    FreeHandle(brush);
}

void SampleCanvas::Frame(const RectL& box, int32_t width, uint32_t color)
{
    const uint32_t pen = NewHandle();
    FWriter.CreatePen(pen, kPenSolid, width, color);
    FWriter.SelectObject(pen);
    FWriter.SelectObject(kStockNullBrush);
    FWriter.Rectangle(box);
    FWriter.SelectObject(kStockBlackPen);
    FWriter.SelectObject(kStockWhiteBrush);
    FreeHandle(pen);
}

void SampleCanvas::Ellipse(const RectL& box, int32_t width, uint32_t color)
{
    const uint32_t pen = NewHandle();
    FWriter.CreatePen(pen, kPenSolid, width, color);
    FWriter.SelectObject(pen);
    FWriter.SelectObject(kStockNullBrush);
    FWriter.Ellipse(box);
    FWriter.SelectObject(kStockBlackPen);
    FWriter.SelectObject(kStockWhiteBrush);
    FreeHandle(pen);
}

void SampleCanvas::Polygon(const std::vector<PointS>& points, uint32_t fill)
{
    const uint32_t brush = NewHandle();
    FWriter.CreateBrushIndirect(brush, kBrushSolid, fill);
    FWriter.SelectObject(brush);
    FWriter.SelectObject(kStockNullPen);
    FWriter.Polygon16(points);
    FWriter.SelectObject(kStockBlackPen);
    FWriter.SelectObject(kStockWhiteBrush);
    FreeHandle(brush);
}

void SampleCanvas::Bitmap(int32_t x, int32_t y, int32_t cx, int32_t cy, const qrp::emf::Dib24& dib)
{
    FWriter.SaveDC();
    FWriter.StretchDIBits(x, y, cx, cy, dib);
    FWriter.RestoreDC(-1);
}

std::vector<uint8_t> SampleCanvas::Finish()
{
    return FWriter.Finish();
}

}  // namespace samplegen
