// The WMF object table: objects take the lowest free slot; EMF handle = slot + 1.
#include "emf/wmf/wmf_charset.h"
#include "emf/wmf/wmf_dib.h"
#include "emf/wmf/wmf_format.h"
#include "emf/wmf/wmf_to_emf.h"

#include <algorithm>

namespace qrp::emf::wmf {

namespace {
constexpr int32_t kMaxSlots = 0xFFFE;

// ihBrush, iUsage, offBmi, cbBmi, offBits, cbBits, then the BITMAPINFO and the bits.
Payload DibBrushPayload(uint32_t handle, uint32_t usage, Bytes info, Bytes bits)
{
    const auto infoPadded = static_cast<uint32_t>((info.size() + 3) & ~size_t{3});
    Payload p;
    p.U32(handle).U32(usage).U32(32).U32(static_cast<uint32_t>(info.size()));
    p.U32(32 + infoPadded).U32(static_cast<uint32_t>(bits.size()));
    p.Raw(info).Pad4().Raw(bits).Pad4();
    return p;
}
}  // namespace

int32_t WmfToEmf::Allocate()
{
    if (!FFreeSlots.empty()) {
        const int32_t slot = *FFreeSlots.begin();
        FFreeSlots.erase(FFreeSlots.begin());
        return slot;
    }
    // As PlayMetaFile: the table holds the header's NumberOfObjects entries, no more.
    const int32_t capacity = std::min<int32_t>(FHeader.numberOfObjects, kMaxSlots);
    if (static_cast<int32_t>(FObjects.size()) >= capacity) return -1;
    FObjects.emplace_back();
    return static_cast<int32_t>(FObjects.size()) - 1;
}

void WmfToEmf::Store(int32_t slot, Object object)
{
    FObjects[static_cast<size_t>(slot)] = std::move(object);
    FMaxHandle = std::max(FMaxHandle, static_cast<uint32_t>(slot) + 1);
}

const WmfToEmf::Object* WmfToEmf::Live(std::optional<uint16_t> index, Kind kind) const
{
    if (!index || *index >= FObjects.size()) return nullptr;
    const Object& object = FObjects[*index];
    return object.kind == kind ? &object : nullptr;
}

// Marks slot as holding a brush and gives the brush's EMF handle.
uint32_t WmfToEmf::StoreBrush(int32_t slot)
{
    Object brush;
    brush.kind = Kind::Brush;
    Store(slot, brush);
    return static_cast<uint32_t>(slot + 1);
}

bool WmfToEmf::CreatePen(const WmfRecord& r)
{
    const int32_t slot = Allocate();
    if (slot < 0) return false;
    const uint16_t style = r.U16(0).value_or(0);
    const int16_t width = r.I16(1).value_or(0);
    const uint32_t color = r.U32(3).value_or(0) & 0x03FFFFFF;
    Object pen;
    pen.kind = Kind::Pen;
    pen.penWidth = std::abs(width);
    pen.nullPen = (style & 0x0F) == 5;
    Store(slot, pen);
    Emit(kEmrCreatePen, Payload().U32(static_cast<uint32_t>(slot + 1)).U32(style).I32(width).I32(0).U32(color));
    return true;
}

bool WmfToEmf::CreateBrush(const WmfRecord& r)
{
    const int32_t slot = Allocate();
    if (slot < 0) return false;
    uint32_t style = r.U16(0).value_or(gdi::BS_SOLID);
    const uint32_t color = r.U32(1).value_or(0) & 0x03FFFFFF;
    const uint32_t hatch = r.U16(3).value_or(0);
    // Pattern styles need a bitmap a LOGBRUSH16 cannot carry.
    if (style != gdi::BS_SOLID && style != gdi::BS_NULL && style != gdi::BS_HATCHED) style = gdi::BS_SOLID;
    Emit(kEmrCreateBrushIndirect, Payload().U32(StoreBrush(slot)).U32(style).U32(color).U32(hatch));
    return true;
}

bool WmfToEmf::CreateDibPatternBrush(const WmfRecord& r)
{
    const int32_t slot = Allocate();
    if (slot < 0) return false;
    const uint32_t handle = StoreBrush(slot);
    const uint16_t style = r.U16(0).value_or(0);
    // BS_PATTERN (3) takes its colours from the DIB itself.
    const uint32_t usage = style == 3 ? 0 : r.U16(1).value_or(0);
    if (const auto dib = SplitDib(r.Tail(4), usage)) {
        Emit(kEmrCreateDibPatternBrushPt, DibBrushPayload(handle, usage, dib->info, dib->bits));
    } else {
        Emit(kEmrCreateBrushIndirect, Payload().U32(handle).U32(gdi::BS_NULL).U32(0).U32(0));
    }
    return true;
}

bool WmfToEmf::CreatePatternBrush(const WmfRecord& r)
{
    const int32_t slot = Allocate();
    if (slot < 0) return false;
    const uint32_t handle = StoreBrush(slot);
    // Bitmap16 (14 bytes, its bits pointer unused), 18 reserved bytes, then the bits.
    const auto bitmap = Bitmap16ToDib(r.Slice(0, 10), r.Tail(32));
    if (bitmap) {
        const auto dib = SplitDib(*bitmap, 0);
        if (dib) {
            const uint32_t type = bitmap->size() > 14 && LoadU16(bitmap->data() + 14) == 1 ? kEmrCreateMonoBrush
                                                                                          : kEmrCreateDibPatternBrushPt;
            Emit(type, DibBrushPayload(handle, 0, dib->info, dib->bits));
            return true;
        }
    }
    Emit(kEmrCreateBrushIndirect, Payload().U32(handle).U32(gdi::BS_NULL).U32(0).U32(0));
    return true;
}

bool WmfToEmf::CreateFont(const WmfRecord& r)
{
    const int32_t slot = Allocate();
    if (slot < 0) return false;
    const Bytes fixed = r.Slice(10, 8);
    auto byteAt = [&](size_t i) -> uint8_t { return fixed.empty() ? 0 : fixed[i]; };
    const uint8_t charset = byteAt(3);
    Object font;
    font.kind = Kind::Font;
    font.fontHeight = r.I16(0).value_or(0);
    font.fontWidth = r.I16(1).value_or(0);
    font.charset = charset;
    font.fontEscapement = r.I16(2).value_or(0);
    Store(slot, font);

    const std::u16string face = DecodeFaceName(r.Tail(18), charset);
    Payload p;
    p.U32(static_cast<uint32_t>(slot + 1));
    for (size_t word = 0; word < 5; ++word) p.I32(r.I16(word).value_or(0));
    for (size_t i = 0; i < 8; ++i) p.U8(byteAt(i));
    p.Utf16(face);
    for (size_t i = face.size(); i < 32; ++i) p.U16(0);
    Emit(kEmrExtCreateFontIndirectW, p);
    return true;
}

bool WmfToEmf::CreatePalette(const WmfRecord& r)
{
    const int32_t slot = Allocate();
    if (slot < 0) return false;
    Object palette;
    palette.kind = Kind::Palette;
    Store(slot, palette);
    uint16_t count = r.U16(1).value_or(0);
    const Bytes entries = r.Tail(4);
    count = static_cast<uint16_t>(std::min<size_t>(count, entries.size() / 4));
    Payload p;
    p.U32(static_cast<uint32_t>(slot + 1)).U16(0x0300).U16(count).Raw(entries.first(size_t{count} * 4));
    Emit(kEmrCreatePalette, p);
    return true;
}

bool WmfToEmf::CreateRegion(const WmfRecord& r)
{
    const int32_t slot = Allocate();
    if (slot < 0) return false;
    Object region;
    region.kind = Kind::Region;
    region.box = {r.I16(7).value_or(0), r.I16(8).value_or(0), r.I16(9).value_or(0), r.I16(10).value_or(0)};
    const auto scanCount = r.I16(5).value_or(0);
    size_t at = 22;  // first Scan
    for (int32_t scan = 0; scan < scanCount; ++scan) {
        const auto count = r.U16(at / 2);
        const auto top = r.I16(at / 2 + 1), bottom = r.I16(at / 2 + 2);
        if (!count || !bottom) break;
        const size_t pairs = *count / 2;
        const Bytes lines = r.Slice(at + 6, pairs * 4);
        if (pairs > 0 && lines.empty()) break;
        for (size_t i = 0; i < pairs; ++i) {
            const int16_t left = LoadI16(lines.data() + 4 * i), right = LoadI16(lines.data() + 4 * i + 2);
            region.rects.push_back({left, *top, right, *bottom});
        }
        at += 6 + size_t{*count} * 2 + 2;
    }
    Store(slot, std::move(region));
    return true;
}

bool WmfToEmf::SelectObject(const WmfRecord& r)
{
    const auto index = r.U16(0);
    if (!index || *index >= FObjects.size()) return false;
    const Object& object = FObjects[*index];
    const uint32_t handle = *index + 1u;
    switch (object.kind) {
    case Kind::Pen:
        FState.penWidth = object.penWidth;
        FState.nullPen = object.nullPen;
        break;
    case Kind::Font:
        FState.fontHeight = object.fontHeight;
        FState.fontWidth = object.fontWidth;
        FState.fontEscapement = object.fontEscapement;
        FState.charset = object.charset;
        break;
    case Kind::Brush:
        break;
    case Kind::Palette:
        FState.palette = handle;
        Emit(kEmrSelectPalette, Payload().U32(handle));
        return true;
    case Kind::Region: {
        const std::vector<uint8_t> data = RegionData(object.rects, object.box);
        Emit(kEmrExtSelectClipRgn, Payload().U32(static_cast<uint32_t>(data.size())).U32(gdi::RGN_COPY).Raw(data));
        return true;
    }
    case Kind::Free:
        return false;
    }
    Emit(kEmrSelectObject, Payload().U32(handle));
    return true;
}

bool WmfToEmf::DeleteObject(const WmfRecord& r)
{
    const auto index = r.U16(0);
    if (!index || *index >= FObjects.size() || FObjects[*index].kind == Kind::Free) return false;
    if (FObjects[*index].kind != Kind::Region) Emit(kEmrDeleteObject, Payload().U32(*index + 1u));
    if (FState.palette == *index + 1u) FState.palette = kDefaultPalette;
    FObjects[*index] = Object{};
    FFreeSlots.insert(*index);
    return true;
}

bool WmfToEmf::Palette(const WmfRecord& r)
{
    switch (r.Function()) {
    case META_SELECTPALETTE: {
        if (!Live(r.U16(0), Kind::Palette)) return false;
        FState.palette = *r.U16(0) + 1u;
        Emit(kEmrSelectPalette, Payload().U32(FState.palette));
        return true;
    }
    case META_REALIZEPALETTE:
        Emit(kEmrRealizePalette, Payload());
        return true;
    case META_SETPALENTRIES: {
        if (FState.palette == kDefaultPalette) return false;
        const uint16_t start = r.U16(0).value_or(0);
        const Bytes entries = r.Tail(4);
        const auto count = static_cast<uint32_t>(std::min<size_t>(r.U16(1).value_or(0), entries.size() / 4));
        Emit(kEmrSetPaletteEntries,
             Payload().U32(FState.palette).U32(start).U32(count).Raw(entries.first(size_t{count} * 4)));
        return true;
    }
    case META_RESIZEPALETTE: {
        if (FState.palette == kDefaultPalette) return false;
        Emit(kEmrResizePalette, Payload().U32(FState.palette).U32(r.U16(0).value_or(0)));
        return true;
    }
    default:
        return false;
    }
}

std::vector<uint8_t> RegionData(const std::vector<RectL>& rects, const RectL& box)
{
    Payload p;
    p.U32(32).U32(1).U32(static_cast<uint32_t>(rects.size())).U32(static_cast<uint32_t>(rects.size() * 16));
    p.Rect(box);
    for (const RectL& rect : rects) p.Rect(rect);
    return p.Bytes();
}

}  // namespace qrp::emf::wmf
