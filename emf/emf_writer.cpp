#include "emf/emf_writer.h"

#include "base/exceptions.h"

#include <algorithm>
#include <cstring>

namespace qrp::emf {

// ---- Payload ---------------------------------------------------------------

Payload& Payload::U8(uint8_t v)
{
    FBytes.push_back(v);
    return *this;
}

Payload& Payload::U16(uint16_t v)
{
    FBytes.push_back(static_cast<uint8_t>(v));
    FBytes.push_back(static_cast<uint8_t>(v >> 8));
    return *this;
}

Payload& Payload::U32(uint32_t v)
{
    for (int i = 0; i < 4; ++i) FBytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
}

Payload& Payload::F32(float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return U32(bits);
}

Payload& Payload::Raw(std::span<const uint8_t> bytes)
{
    FBytes.insert(FBytes.end(), bytes.begin(), bytes.end());
    return *this;
}

Payload& Payload::Utf16(std::u16string_view text)
{
    for (const char16_t c : text) U16(static_cast<uint16_t>(c));
    return *this;
}

Payload& Payload::Pad4()
{
    while (FBytes.size() % 4 != 0) FBytes.push_back(0);
    return *this;
}

void Payload::PatchU32(size_t offset, uint32_t v)
{
    QRP_ASSERT(offset + 4 <= FBytes.size());
    for (int i = 0; i < 4; ++i) FBytes[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

// ---- Dib24 -----------------------------------------------------------------

Dib24 Dib24::FromRgb(int32_t width, int32_t height, std::span<const uint8_t> rgb)
{
    QRP_ASSERT(width > 0 && height > 0);
    QRP_ASSERT(rgb.size() == static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    Dib24 dib{width, height, {}};
    const auto stride = static_cast<size_t>(Stride(width));
    dib.bits.assign(stride * static_cast<size_t>(height), 0);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* src = rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 3;
        uint8_t* dst = dib.bits.data() + static_cast<size_t>(height - 1 - y) * stride;
        for (int32_t x = 0; x < width; ++x) {
            dst[3 * x + 0] = src[3 * x + 2];
            dst[3 * x + 1] = src[3 * x + 1];
            dst[3 * x + 2] = src[3 * x + 0];
        }
    }
    return dib;
}

// ---- EmfWriter -------------------------------------------------------------

namespace {

constexpr size_t kOffBounds = 8;
constexpr size_t kOffFrame = 24;
constexpr size_t kOffBytes = 48;
constexpr size_t kOffRecords = 52;
constexpr size_t kOffHandles = 56;
constexpr size_t kOffPalEntries = 68;

RectL FrameToPixels(const RectL& frame, SizeL pixels, SizeL millimeters)
{
    auto scale = [](int32_t v, int32_t px, int32_t mm) {
        return mm > 0 ? static_cast<int32_t>(static_cast<int64_t>(v) * px / (static_cast<int64_t>(mm) * 100)) : v;
    };
    return {scale(frame.left, pixels.cx, millimeters.cx), scale(frame.top, pixels.cy, millimeters.cy),
            scale(frame.right, pixels.cx, millimeters.cx), scale(frame.bottom, pixels.cy, millimeters.cy)};
}
}  // namespace

EmfWriter::EmfWriter(const EmfWriterOptions& options)
{
    std::u16string description = options.description;
    if (!description.empty()) description.append(u"\0\0", 2);
    const auto descriptionBytes = static_cast<uint32_t>(description.size() * 2);
    const uint32_t headerSize = kHeaderSize + ((descriptionBytes + 3) & ~3u);

    EnhMetaHeader h;
    h.iType = kEmrHeader;
    h.nSize = headerSize;
    h.rclBounds = options.bounds.right < options.bounds.left
                      ? FrameToPixels(options.frame, options.devicePixels, options.deviceMillimeters)
                      : options.bounds;
    h.rclFrame = options.frame;
    h.dSignature = kEmfSignature;
    h.nVersion = 0x10000;
    h.nBytes = 0;    // AppendRecord counts the header itself
    h.nRecords = 0;
    h.nHandles = 1;  // index 0 is reserved for the picture itself
    h.nDescription = static_cast<uint32_t>(description.size());
    h.offDescription = description.empty() ? 0 : kHeaderSize;
    h.szlDevice = options.devicePixels;
    h.szlMillimeters = options.deviceMillimeters;
    h.szlMicrometers = {options.deviceMillimeters.cx * 1000, options.deviceMillimeters.cy * 1000};

    uint8_t fixed[kHeaderSize];
    StoreHeader(h, fixed);
    Payload payload;
    payload.Raw(std::span<const uint8_t>(fixed + 8, kHeaderSize - 8)).Utf16(description).Pad4();
    AppendRecord(kEmrHeader, payload.Bytes());
}

void EmfWriter::AppendRecord(uint32_t type, std::span<const uint8_t> payload)
{
    QRP_ASSERT(!FFinished);
    QRP_ASSERT(payload.size() % 4 == 0);
    QRP_ASSERT(FBytes.size() % 4 == 0);
    const size_t size = 8 + payload.size();
    QRP_ASSERT(FBytes.size() + size <= UINT32_MAX);
    const size_t at = FBytes.size();
    FBytes.resize(at + size);
    std::memset(FBytes.data() + at, 0, 8);
    StoreU32(at, type);
    StoreU32(at + 4, static_cast<uint32_t>(size));
    if (!payload.empty()) std::memcpy(FBytes.data() + at + 8, payload.data(), payload.size());
    StoreU32(kOffBytes, static_cast<uint32_t>(FBytes.size()));
    StoreU32(kOffRecords, LoadHeaderU32(kOffRecords) + 1);
}

void EmfWriter::Append(uint32_t type, const Payload& payload)
{
    QRP_ASSERT(type != kEmrHeader);
    AppendRecord(type, payload.Bytes());
}

void EmfWriter::StoreU32(size_t offset, uint32_t v)
{
    for (int i = 0; i < 4; ++i) FBytes[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t EmfWriter::LoadHeaderU32(size_t offset) const
{
    return LoadU32(FBytes.data() + offset);
}

uint32_t EmfWriter::RecordCount() const
{
    return LoadHeaderU32(kOffRecords);
}

void EmfWriter::SetFrame(const RectL& frame)
{
    StoreU32(kOffFrame, static_cast<uint32_t>(frame.left));
    StoreU32(kOffFrame + 4, static_cast<uint32_t>(frame.top));
    StoreU32(kOffFrame + 8, static_cast<uint32_t>(frame.right));
    StoreU32(kOffFrame + 12, static_cast<uint32_t>(frame.bottom));
}

void EmfWriter::SetBounds(const RectL& bounds)
{
    StoreU32(kOffBounds, static_cast<uint32_t>(bounds.left));
    StoreU32(kOffBounds + 4, static_cast<uint32_t>(bounds.top));
    StoreU32(kOffBounds + 8, static_cast<uint32_t>(bounds.right));
    StoreU32(kOffBounds + 12, static_cast<uint32_t>(bounds.bottom));
}

void EmfWriter::NoteHandle(uint32_t handle)
{
    QRP_ASSERT(handle > 0 && handle < 0xFFFF);
    const uint16_t count = LoadU16(FBytes.data() + kOffHandles);
    if (handle + 1 > count) {
        FBytes[kOffHandles] = static_cast<uint8_t>(handle + 1);
        FBytes[kOffHandles + 1] = static_cast<uint8_t>((handle + 1) >> 8);
    }
}

void EmfWriter::Simple(uint32_t type, std::initializer_list<int32_t> values)
{
    Payload p;
    for (const int32_t v : values) p.I32(v);
    Append(type, p);
}

void EmfWriter::SetMapMode(int32_t mode) { Simple(kEmrSetMapMode, {mode}); }
void EmfWriter::SetWindowExtEx(int32_t cx, int32_t cy) { Simple(kEmrSetWindowExtEx, {cx, cy}); }
void EmfWriter::SetWindowOrgEx(int32_t x, int32_t y) { Simple(kEmrSetWindowOrgEx, {x, y}); }
void EmfWriter::SetViewportExtEx(int32_t cx, int32_t cy) { Simple(kEmrSetViewportExtEx, {cx, cy}); }
void EmfWriter::SetViewportOrgEx(int32_t x, int32_t y) { Simple(kEmrSetViewportOrgEx, {x, y}); }
void EmfWriter::SetTextColor(uint32_t color) { Append(kEmrSetTextColor, Payload().U32(color)); }
void EmfWriter::SetBkColor(uint32_t color) { Append(kEmrSetBkColor, Payload().U32(color)); }
void EmfWriter::SetBkMode(uint32_t mode) { Append(kEmrSetBkMode, Payload().U32(mode)); }
void EmfWriter::SetTextAlign(uint32_t mode) { Append(kEmrSetTextAlign, Payload().U32(mode)); }
void EmfWriter::SaveDC() { Append(kEmrSaveDC); }
void EmfWriter::RestoreDC(int32_t relative) { Simple(kEmrRestoreDC, {relative}); }

void EmfWriter::CreatePen(uint32_t handle, uint32_t style, int32_t width, uint32_t color)
{
    NoteHandle(handle);
    // ihPen, LOGPEN { lopnStyle, lopnWidth (POINTL, y unused), lopnColor }
    Append(kEmrCreatePen, Payload().U32(handle).U32(style).I32(width).I32(0).U32(color));
}

void EmfWriter::ExtCreatePen(uint32_t handle, uint32_t style, uint32_t width, uint32_t brushStyle,
                             uint32_t color, std::span<const uint32_t> styleEntries)
{
    NoteHandle(handle);
    // ihPen, offBmi, cbBmi, offBits, cbBits, LOGPEN_EX { style, width, brush style, color,
    // hatch, number of style entries, entries }
    Payload p;
    p.U32(handle).U32(0).U32(0).U32(0).U32(0);
    p.U32(style).U32(width).U32(brushStyle).U32(color).U32(0).U32(static_cast<uint32_t>(styleEntries.size()));
    for (const uint32_t e : styleEntries) p.U32(e);
    Append(kEmrExtCreatePen, p);
}

void EmfWriter::CreateBrushIndirect(uint32_t handle, uint32_t style, uint32_t color, uint32_t hatch)
{
    NoteHandle(handle);
    Append(kEmrCreateBrushIndirect, Payload().U32(handle).U32(style).U32(color).U32(hatch));
}

void EmfWriter::ExtCreateFontIndirectW(uint32_t handle, const LogFontW& f)
{
    QRP_ASSERT(f.faceName.size() < 32);
    NoteHandle(handle);
    Payload p;
    p.U32(handle).I32(f.height).I32(f.width).I32(f.escapement).I32(f.orientation).I32(f.weight);
    p.U8(f.italic).U8(f.underline).U8(f.strikeOut).U8(f.charSet);
    p.U8(f.outPrecision).U8(f.clipPrecision).U8(f.quality).U8(f.pitchAndFamily);
    std::u16string face = f.faceName;
    face.resize(32, u'\0');
    p.Utf16(face);
    Append(kEmrExtCreateFontIndirectW, p);
}

void EmfWriter::SelectObject(uint32_t handle) { Append(kEmrSelectObject, Payload().U32(handle)); }
void EmfWriter::DeleteObject(uint32_t handle) { Append(kEmrDeleteObject, Payload().U32(handle)); }

void EmfWriter::MoveToEx(int32_t x, int32_t y) { Simple(kEmrMoveToEx, {x, y}); }
void EmfWriter::LineTo(int32_t x, int32_t y) { Simple(kEmrLineTo, {x, y}); }
void EmfWriter::Rectangle(const RectL& box) { Append(kEmrRectangle, Payload().Rect(box)); }
void EmfWriter::Ellipse(const RectL& box) { Append(kEmrEllipse, Payload().Rect(box)); }

namespace {
Payload Poly16(std::span<const PointS> points)
{
    RectL bounds{0, 0, -1, -1};
    if (!points.empty()) {
        bounds = {points[0].x, points[0].y, points[0].x, points[0].y};
        for (const PointS& pt : points) {
            bounds.left = std::min<int32_t>(bounds.left, pt.x);
            bounds.top = std::min<int32_t>(bounds.top, pt.y);
            bounds.right = std::max<int32_t>(bounds.right, pt.x);
            bounds.bottom = std::max<int32_t>(bounds.bottom, pt.y);
        }
    }
    Payload p;
    p.Rect(bounds).U32(static_cast<uint32_t>(points.size()));
    for (const PointS& pt : points) p.I16(pt.x).I16(pt.y);
    p.Pad4();
    return p;
}
}  // namespace

void EmfWriter::Polyline16(std::span<const PointS> points) { Append(kEmrPolyline16, Poly16(points)); }
void EmfWriter::Polygon16(std::span<const PointS> points) { Append(kEmrPolygon16, Poly16(points)); }

void EmfWriter::ExtTextOutW(PointL reference, std::u16string_view text, std::span<const int32_t> dx,
                            uint32_t options, const RectL& clip, uint32_t graphicsMode)
{
    QRP_ASSERT(dx.empty() || dx.size() == text.size());
    // rclBounds, iGraphicsMode, exScale, eyScale, then EMRTEXT { ptlReference, nChars,
    // offString, fOptions, rcl, offDx }; offsets count from the record's first byte.
    constexpr uint32_t kFixed = 8 + 16 + 12 + 40;
    const auto chars = static_cast<uint32_t>(text.size());
    const uint32_t offString = kFixed;
    const uint32_t offDx = dx.empty() ? 0 : offString + ((chars * 2 + 3) & ~3u);
    Payload p;
    p.Rect({0, 0, -1, -1}).U32(graphicsMode).F32(0.0f).F32(0.0f);
    p.Point(reference).U32(chars).U32(offString).U32(options).Rect(clip).U32(offDx);
    p.Utf16(text).Pad4();
    for (const int32_t d : dx) p.I32(d);
    Append(kEmrExtTextOutW, p);
}

void EmfWriter::StretchDIBits(int32_t x, int32_t y, int32_t cx, int32_t cy, const Dib24& dib, uint32_t rop)
{
    QRP_ASSERT(dib.bits.size() == static_cast<size_t>(Dib24::Stride(dib.width)) * static_cast<size_t>(dib.height));
    constexpr uint32_t kFixed = 80;
    constexpr uint32_t kBmi = 40;
    Payload p;
    p.Rect({x, y, x + cx - 1, y + cy - 1});
    p.I32(x).I32(y).I32(0).I32(0).I32(dib.width).I32(dib.height);
    p.U32(kFixed).U32(kBmi).U32(kFixed + kBmi).U32(static_cast<uint32_t>(dib.bits.size()));
    p.U32(gdi::DIB_RGB_COLORS).U32(rop).I32(cx).I32(cy);
    // BITMAPINFOHEADER
    p.U32(kBmi).I32(dib.width).I32(dib.height).U16(1).U16(24).U32(0);
    p.U32(static_cast<uint32_t>(dib.bits.size())).I32(0).I32(0).U32(0).U32(0);
    p.Raw(dib.bits).Pad4();
    Append(kEmrStretchDIBits, p);
}

std::vector<uint8_t> EmfWriter::Finish(std::span<const uint32_t> palette)
{
    const auto count = static_cast<uint32_t>(palette.size());
    Payload p;
    p.U32(count).U32(16);
    for (const uint32_t e : palette) p.U32(e);
    p.U32(20 + 4 * count);  // nSizeLast: this record's size
    StoreU32(kOffPalEntries, count);
    Append(kEmrEof, p);
    FFinished = true;
    return FBytes;
}

}  // namespace qrp::emf
