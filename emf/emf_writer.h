// EmfWriter: builds an enhanced metafile record by record, for test pictures, samples and
// the report generator's pages.
//
// Every record, the header included, goes through one function (AppendRecord) that checks
// 4-byte alignment and keeps the header's nBytes and nRecords right; the header is patched
// in place, so Bytes() is a complete picture after any record once Finish() added the EOF.
//
// Reference device: by default the picture claims the 96-dpi screen GDI describes as
// 1024 x 768 pixels on 320 x 240 millimetres (the same device emf::ReferenceDevice
// defaults to). Report pages recorded for a printer set a printer-like device instead,
// for example 4961 x 7016 pixels on 210 x 297 mm (A4 at 600 dpi).
#pragma once

#include "emf/emr_types.h"
#include "emf/header.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qrp::emf {

// COLORREF 0x00BBGGRR.
constexpr uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b)
{
    return static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b) << 16;
}

struct PointL {
    int32_t x = 0, y = 0;
};
struct PointS {
    int16_t x = 0, y = 0;
};

// A record's payload (everything after its type and size), little-endian.
class Payload {
public:
    Payload& U8(uint8_t v);
    Payload& U16(uint16_t v);
    Payload& I16(int16_t v) { return U16(static_cast<uint16_t>(v)); }
    Payload& U32(uint32_t v);
    Payload& I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
    Payload& F32(float v);
    Payload& Rect(const RectL& r) { return I32(r.left).I32(r.top).I32(r.right).I32(r.bottom); }
    Payload& Point(const PointL& p) { return I32(p.x).I32(p.y); }
    Payload& Size(const SizeL& s) { return I32(s.cx).I32(s.cy); }
    Payload& Raw(std::span<const uint8_t> bytes);
    // UTF-16LE code units, no terminator.
    Payload& Utf16(std::u16string_view text);
    // Zero bytes up to the next multiple of four.
    Payload& Pad4();

    size_t Length() const { return FBytes.size(); }
    const std::vector<uint8_t>& Bytes() const { return FBytes; }
    // Overwrites 4 bytes already written at offset (for offsets known only later).
    void PatchU32(size_t offset, uint32_t v);

private:
    std::vector<uint8_t> FBytes;
};

// LOGFONTW; faceName holds at most 31 characters.
struct LogFontW {
    int32_t height = 0;
    int32_t width = 0;
    int32_t escapement = 0;
    int32_t orientation = 0;
    int32_t weight = 400;  // FW_NORMAL
    uint8_t italic = 0;
    uint8_t underline = 0;
    uint8_t strikeOut = 0;
    uint8_t charSet = 0;  // ANSI_CHARSET
    uint8_t outPrecision = 0;
    uint8_t clipPrecision = 0;
    uint8_t quality = 0;
    uint8_t pitchAndFamily = 0;
    std::u16string faceName;
};

// A 24-bit bottom-up DIB: rows of BGR triplets, each row padded to 4 bytes.
struct Dib24 {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> bits;

    // From top-down, unpadded RGB triplets (width * height * 3 bytes).
    static Dib24 FromRgb(int32_t width, int32_t height, std::span<const uint8_t> rgb);
    static int32_t Stride(int32_t width) { return (width * 3 + 3) & ~3; }
};

struct EmfWriterOptions {
    RectL frame{0, 0, 21000, 29700};  // 0.01 mm, inclusive
    SizeL devicePixels{1024, 768};
    SizeL deviceMillimeters{320, 240};
    // Bounds in device pixels; when left empty (right < left) they are the frame converted
    // to the device's pixels.
    RectL bounds{0, 0, -1, -1};
    std::u16string description;  // "Application\0Title\0" form; written with a final NUL pair
};

class EmfWriter {
public:
    explicit EmfWriter(const EmfWriterOptions& options = {});

    // The one place records are written: type, size = 8 + payload, payload. The payload's
    // length must be a multiple of 4.
    void Append(uint32_t type, const Payload& payload);
    void Append(uint32_t type) { Append(type, Payload{}); }

    // Header fields that may change while the picture is built.
    void SetFrame(const RectL& frame);
    void SetBounds(const RectL& bounds);

    // State records.
    void SetMapMode(int32_t mode);
    void SetWindowExtEx(int32_t cx, int32_t cy);
    void SetWindowOrgEx(int32_t x, int32_t y);
    void SetViewportExtEx(int32_t cx, int32_t cy);
    void SetViewportOrgEx(int32_t x, int32_t y);
    void SetTextColor(uint32_t color);
    void SetBkColor(uint32_t color);
    void SetBkMode(uint32_t mode);
    void SetTextAlign(uint32_t mode);
    void SaveDC();
    void RestoreDC(int32_t relative = -1);

    // Objects. Handles are the caller's indices (1..); the header's nHandles follows the
    // highest one used.
    void CreatePen(uint32_t handle, uint32_t style, int32_t width, uint32_t color);
    void ExtCreatePen(uint32_t handle, uint32_t style, uint32_t width, uint32_t brushStyle,
                      uint32_t color, std::span<const uint32_t> styleEntries = {});
    void CreateBrushIndirect(uint32_t handle, uint32_t style, uint32_t color, uint32_t hatch = 0);
    void ExtCreateFontIndirectW(uint32_t handle, const LogFontW& font);
    void SelectObject(uint32_t handle);
    void DeleteObject(uint32_t handle);

    // Drawing.
    void MoveToEx(int32_t x, int32_t y);
    void LineTo(int32_t x, int32_t y);
    void Rectangle(const RectL& box);
    void Ellipse(const RectL& box);
    void Polyline16(std::span<const PointS> points);
    void Polygon16(std::span<const PointS> points);
    // Text at reference point; dx: one advance per character (empty: none written).
    void ExtTextOutW(PointL reference, std::u16string_view text, std::span<const int32_t> dx,
                     uint32_t options = 0, const RectL& clip = {}, uint32_t graphicsMode = 1 /* GM_COMPATIBLE */);
    // The whole DIB stretched into (x, y, cx, cy) with SRCCOPY.
    void StretchDIBits(int32_t x, int32_t y, int32_t cx, int32_t cy, const Dib24& dib,
                       uint32_t rop = 0x00CC0020 /* SRCCOPY */);

    // Appends EMR_EOF (with the palette, 0x00BBGGRR entries with flags in the high byte)
    // and returns the finished picture. The writer is spent afterwards.
    std::vector<uint8_t> Finish(std::span<const uint32_t> palette = {});

    // The bytes so far (a complete picture only after Finish).
    const std::vector<uint8_t>& Bytes() const { return FBytes; }
    uint32_t RecordCount() const;

private:
    void AppendRecord(uint32_t type, std::span<const uint8_t> payload);
    void StoreU32(size_t offset, uint32_t v);
    uint32_t LoadHeaderU32(size_t offset) const;
    void NoteHandle(uint32_t handle);
    void Simple(uint32_t type, std::initializer_list<int32_t> values);

    std::vector<uint8_t> FBytes;
    bool FFinished = false;
};

}  // namespace qrp::emf
