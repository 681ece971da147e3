// The WMF object table for an enhanced metafile's objects: each EMF object becomes a WMF
// object in the lowest free slot; stock objects, which a WMF does not have, are created
// the first time they are selected.
#include "emf/wmf/emf_to_wmf.h"
#include "emf/emr_types.h"
#include "emf/records_objects.h"
#include "emf/records_regions.h"
#include "emf/records_state.h"
#include "emf/wmf/wmf_charset.h"
#include "emf/wmf/wmf_format.h"

#include <algorithm>
#include <cmath>

namespace qrp::emf::wmf {

namespace {

WmfParams FontParams(int16_t height, int16_t width, int16_t escapement, int16_t orientation, int16_t weight,
                     const uint8_t (&flags)[8], const std::vector<uint8_t>& face)
{
    WmfParams p;
    p.I16(height).I16(width).I16(escapement).I16(orientation).I16(weight);
    p.Raw(flags);
    std::vector<uint8_t> name(face.begin(), face.begin() + static_cast<std::ptrdiff_t>(std::min<size_t>(face.size(), 31)));
    name.resize(32, 0);
    p.Raw(name);
    return p;
}
}  // namespace

int32_t EmfToWmf::Allocate()
{
    if (!FFree.empty()) {
        const int32_t slot = *FFree.begin();
        FFree.erase(FFree.begin());
        FUsed[static_cast<size_t>(slot)] = true;
        return slot;
    }
    if (FUsed.size() >= 0xFFFE) return -1;
    FUsed.push_back(true);
    return static_cast<int32_t>(FUsed.size()) - 1;
}

void EmfToWmf::Free(int32_t slot)
{
    if (slot < 0 || static_cast<size_t>(slot) >= FUsed.size() || !FUsed[static_cast<size_t>(slot)]) return;
    FUsed[static_cast<size_t>(slot)] = false;
    FFree.insert(slot);
}

namespace {

// The index an object-creating record stores its object under; std::nullopt when damaged.
std::optional<uint32_t> CreatedHandle(const Record& r)
{
    switch (r.Type()) {
    case kEmrCreatePen:
        if (const auto v = EmrCreatePen::Read(r)) return v->ih;
        break;
    case kEmrExtCreatePen:
        if (const auto v = EmrExtCreatePen::Read(r)) return v->ih;
        break;
    case kEmrCreateBrushIndirect:
        if (const auto v = EmrCreateBrush::Read(r)) return v->ih;
        break;
    case kEmrCreateMonoBrush:
    case kEmrCreateDibPatternBrushPt:
        if (const auto v = EmrCreateDibBrush::Read(r)) return v->ih;
        break;
    case kEmrExtCreateFontIndirectW:
        if (const auto v = EmrCreateFont::Read(r)) return v->ih;
        break;
    case kEmrCreatePalette:
        if (const auto v = EmrPalette::ReadCreate(r)) return v->ih;
        break;
    default: break;
    }
    return std::nullopt;
}

void AppendPaletteEntries(WmfParams& p, const std::vector<uint32_t>& entries)
{
    for (const uint32_t e : entries) p.U32(e);
}

}  // namespace

void EmfToWmf::CreateObject(const Record& r)
{
    const auto handle = CreatedHandle(r);
    if (!handle) return Damaged(r);
    if (*handle == 0 || *handle >= gdi::STOCK_OBJECT) return;
    // A handle used again without a delete replaces the old object.
    if (const auto old = FHandles.find(*handle); old != FHandles.end()) {
        FOut.Append(META_DELETEOBJECT, WmfParams().U16(static_cast<uint16_t>(old->second.slot)));
        Free(old->second.slot);
        FHandles.erase(old);
    }
    Slot made;
    uint16_t function = 0;
    WmfParams p;
    switch (r.Type()) {
    case kEmrCreatePen: {
        const auto pen = EmrCreatePen::Read(r);
        p.U16(static_cast<uint16_t>(pen->style));
        p.I16(pen->width == 0 ? 0 : std::max<int16_t>(1, LengthX(std::abs(static_cast<double>(pen->width))))).I16(0);
        p.U32(pen->color);
        function = META_CREATEPENINDIRECT;
        made.kind = Slot::Kind::Pen;
        break;
    }
    case kEmrExtCreatePen: {
        const auto pen = EmrExtCreatePen::Read(r);
        const bool geometric = (pen->style & gdi::PS_TYPE_MASK) != 0;
        auto type = static_cast<uint16_t>(pen->style & gdi::PS_STYLE_MASK);
        if (type == gdi::PS_USERSTYLE) type = gdi::PS_DASH;
        else if (type == gdi::PS_ALTERNATE) type = gdi::PS_DOT;
        if (pen->brushStyle == gdi::BS_NULL) type = gdi::PS_NULL;
        const auto joinsAndCaps = static_cast<uint16_t>(pen->style & 0xFF00);
        const int16_t wmfWidth = geometric && pen->width > 0 ? std::max<int16_t>(1, LengthX(pen->width)) : 0;
        p.U16(static_cast<uint16_t>(type | joinsAndCaps)).I16(wmfWidth).I16(0).U32(pen->color);
        function = META_CREATEPENINDIRECT;
        made.kind = Slot::Kind::Pen;
        break;
    }
    case kEmrCreateBrushIndirect: {
        const auto brush = EmrCreateBrush::Read(r);
        uint32_t style = brush->style;
        if (style != gdi::BS_SOLID && style != gdi::BS_NULL && style != gdi::BS_HATCHED) style = gdi::BS_SOLID;
        p.U16(static_cast<uint16_t>(style)).U32(brush->color).U16(static_cast<uint16_t>(brush->hatch));
        function = META_CREATEBRUSHINDIRECT;
        made.kind = Slot::Kind::Brush;
        break;
    }
    case kEmrCreateMonoBrush:
    case kEmrCreateDibPatternBrushPt: {
        const auto brush = EmrCreateDibBrush::Read(r);
        if (!brush->dib.Present()) return;
        const Bytes info = r.Data().subspan(brush->dib.offBmi, brush->dib.cbBmi);
        const Bytes bits = r.Data().subspan(brush->dib.offBits, brush->dib.cbBits);
        p.U16(gdi::BS_DIBPATTERN).U16(static_cast<uint16_t>(brush->usage)).Raw(info).Raw(bits);
        function = META_DIBCREATEPATTERNBRUSH;
        made.kind = Slot::Kind::Brush;
        break;
    }
    case kEmrExtCreateFontIndirectW: {
        const LogFont font = EmrCreateFont::Read(r)->font;
        const uint8_t flags[8] = {font.italic,       font.underline,    font.strikeOut, font.charSet,
                                  font.outPrecision, font.clipPrecision, font.quality,   font.pitchAndFamily};
        made.charset = font.charSet;
        const EncodedText name = EncodeCharset(font.faceName, made.charset);
        const int32_t height = font.height, width = font.width;
        const int16_t wmfHeight =
            height == 0 ? 0
                        : static_cast<int16_t>((height < 0 ? -1 : 1) *
                                               std::max<int16_t>(1, LengthY(std::abs(static_cast<double>(height)))));
        p = FontParams(wmfHeight, width == 0 ? 0 : LengthX(std::abs(static_cast<double>(width))),
                       static_cast<int16_t>(font.escapement), static_cast<int16_t>(font.orientation),
                       static_cast<int16_t>(font.weight), flags, name.bytes);
        function = META_CREATEFONTINDIRECT;
        made.kind = Slot::Kind::Font;
        break;
    }
    case kEmrCreatePalette: {
        const auto palette = EmrPalette::ReadCreate(r);
        p.U16(0x0300).U16(static_cast<uint16_t>(palette->entries.size()));
        AppendPaletteEntries(p, palette->entries);
        function = META_CREATEPALETTE;
        made.kind = Slot::Kind::Palette;
        break;
    }
    default:
        return;
    }
    made.slot = Allocate();
    if (made.slot < 0) return;
    FOut.Append(function, p);
    FHandles[*handle] = made;
}

int32_t EmfToWmf::StockSlot(uint32_t id)
{
    auto found = FStock.find(id);
    if (found == FStock.end()) {
        const uint32_t n = id - gdi::STOCK_OBJECT;
        WmfParams p;
        uint16_t function = 0;
        static constexpr uint32_t kGreys[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
        if (n <= 4) {
            p.U16(gdi::BS_SOLID).U32(kGreys[n]).U16(0);
            function = META_CREATEBRUSHINDIRECT;
        } else if (n == 5) {
            p.U16(gdi::BS_NULL).U32(0).U16(0);
            function = META_CREATEBRUSHINDIRECT;
        } else if (n >= 6 && n <= 8) {
            p.U16(n == 8 ? gdi::PS_NULL : gdi::PS_SOLID).I16(0).I16(0).U32(n == 6 ? 0xFFFFFF : 0);
            function = META_CREATEPENINDIRECT;
        } else if ((n >= 10 && n <= 14) || n == 16 || n == 17) {
            const bool fixed = n == 10 || n == 11 || n == 16;
            const std::string face = fixed ? "Courier" : n == 17 ? "MS Shell Dlg" : "System";
            const uint8_t flags[8] = {0, 0, 0, 0, 0, 0, 0, static_cast<uint8_t>(fixed ? 1 : 2)};
            p = FontParams(LengthY(16), 0, 0, 0, n == 13 || n == 14 ? 700 : 400, flags,
                           std::vector<uint8_t>(face.begin(), face.end()));
            function = META_CREATEFONTINDIRECT;
        } else {
            return -1;  // the default palette and the DC objects have no WMF form
        }
        const int32_t slot = Allocate();
        if (slot < 0) return -1;
        FOut.Append(function, p);
        found = FStock.emplace(id, slot).first;
    }
    return found->second;
}

void EmfToWmf::SelectStock(uint32_t id)
{
    const int32_t slot = StockSlot(id);
    if (slot < 0) return;
    const uint32_t n = id - gdi::STOCK_OBJECT;
    if (n >= 6 && n <= 8) FState.penSlot = slot;
    if (n >= 10 && n <= 17) FState.charset = 0;
    FOut.Append(META_SELECTOBJECT, WmfParams().U16(static_cast<uint16_t>(slot)));
}

int32_t EmfToWmf::SlotOf(uint32_t handle)
{
    if (handle >= gdi::STOCK_OBJECT) return StockSlot(handle);
    const auto found = FHandles.find(handle);
    return found == FHandles.end() ? -1 : found->second.slot;
}

void EmfToWmf::SelectObject(const Record& r)
{
    const auto v = EmrValue::Read(r);
    if (!v) return Damaged(r);
    const uint32_t handle = v->value;
    if (handle >= gdi::STOCK_OBJECT) {
        SelectStock(handle);
        return;
    }
    const auto found = FHandles.find(handle);
    if (found == FHandles.end()) return;
    const Slot& s = found->second;
    if (s.kind == Slot::Kind::Pen) FState.penSlot = s.slot;
    if (s.kind == Slot::Kind::Font) FState.charset = s.charset;
    FOut.Append(s.kind == Slot::Kind::Palette ? META_SELECTPALETTE : META_SELECTOBJECT,
                WmfParams().U16(static_cast<uint16_t>(s.slot)));
}

void EmfToWmf::DeleteObject(const Record& r)
{
    const auto v = EmrValue::Read(r);
    if (!v) return Damaged(r);
    const auto found = FHandles.find(v->value);
    if (found == FHandles.end()) return;
    FOut.Append(META_DELETEOBJECT, WmfParams().U16(static_cast<uint16_t>(found->second.slot)));
    Free(found->second.slot);
    if (FState.penSlot == found->second.slot) FState.penSlot = -1;
    FHandles.erase(found);
}

void EmfToWmf::Palette(const Record& r)
{
    if (r.Type() == kEmrRealizePalette) {
        FOut.Append(META_REALIZEPALETTE);
        return;
    }
    uint32_t handle = 0;
    std::optional<EmrPalette> entries;
    std::optional<EmrResizePalette> resize;
    if (r.Type() == kEmrSelectPalette) {
        const auto v = EmrValue::Read(r);
        if (!v) return Damaged(r);
        handle = v->value;
    } else if (r.Type() == kEmrSetPaletteEntries) {
        entries = EmrPalette::ReadSetEntries(r);
        if (!entries) return Damaged(r);
        handle = entries->ih;
    } else {
        resize = EmrResizePalette::Read(r);
        if (!resize) return Damaged(r);
        handle = resize->ih;
    }
    const auto found = FHandles.find(handle);
    if (found == FHandles.end() || found->second.kind != Slot::Kind::Palette) return;
    const auto slot = static_cast<uint16_t>(found->second.slot);
    FOut.Append(META_SELECTPALETTE, WmfParams().U16(slot));
    if (entries) {  // the selected palette's entries
        WmfParams p;
        p.U16(static_cast<uint16_t>(entries->start)).U16(static_cast<uint16_t>(entries->entries.size()));
        AppendPaletteEntries(p, entries->entries);
        FOut.Append(META_SETPALENTRIES, p);
    } else if (resize) {
        FOut.Append(META_RESIZEPALETTE, WmfParams().U16(static_cast<uint16_t>(resize->entries)));
    }
}

int32_t EmfToWmf::CreateRegion(const RegionData& region)
{
    const size_t n = std::min<size_t>(region.rects.size(), 2000);
    auto px = [&](int32_t v, double scale) { return static_cast<int16_t>(std::clamp(std::lround(v * scale), -32768L, 32767L)); };
    int16_t l = 32767, t = 32767, r = -32768, b = -32768;
    std::vector<int16_t> values;
    for (size_t i = 0; i < n; ++i) {
        const RectL& q = region.rects[i];
        const int16_t rl = px(q.left, FScaleX), rt = px(q.top, FScaleY);
        const int16_t rr = px(q.right, FScaleX), rb = px(q.bottom, FScaleY);
        values.insert(values.end(), {rl, rt, rr, rb});
        l = std::min(l, rl), t = std::min(t, rt), r = std::max(r, rr), b = std::max(b, rb);
    }
    if (n == 0) l = t = r = b = 0;
    const int32_t slot = Allocate();
    if (slot < 0) return -1;
    WmfParams p;
    p.U16(0).I16(6).U32(0).I16(static_cast<int16_t>(std::min<size_t>(22 + 10 * n, 32767))).I16(static_cast<int16_t>(n)).I16(2);
    p.I16(l).I16(t).I16(r).I16(b);
    for (size_t i = 0; i < n; ++i)
        p.U16(2).I16(values[4 * i + 1]).I16(values[4 * i + 3]).I16(values[4 * i]).I16(values[4 * i + 2]).U16(2);
    FOut.Append(META_CREATEREGION, p);
    return slot;
}

}  // namespace qrp::emf::wmf
