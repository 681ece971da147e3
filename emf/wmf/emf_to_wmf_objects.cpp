// The WMF object table for an enhanced metafile's objects: each EMF object becomes a WMF
// object in the lowest free slot; stock objects, which a WMF does not have, are created
// the first time they are selected.
#include "emf/wmf/emf_to_wmf.h"
#include "emf/emr_types.h"
#include "emf/wmf/wmf_charset.h"
#include "emf/wmf/wmf_format.h"

#include <algorithm>
#include <cmath>

namespace qrp::emf::wmf {

namespace {
constexpr uint32_t kStockBase = 0x80000000;
constexpr uint16_t kPsNull = 5, kPsDash = 1, kPsDot = 2, kPsSolid = 0;
constexpr uint16_t kBsSolid = 0, kBsNull = 1, kBsHatched = 2, kBsDibPattern = 5;

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

void EmfToWmf::CreateObject(const Record& r)
{
    const auto handle = r.U32(8);
    if (!handle || *handle == 0 || *handle >= kStockBase) return;
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
    case kEmrCreatePen: {  // CREATEPEN: style, width (POINTL), colour
        const uint32_t style = r.U32(12).value_or(0);
        const int32_t width = r.I32(16).value_or(0);
        p.U16(static_cast<uint16_t>(style)).I16(width == 0 ? 0 : std::max<int16_t>(1, LengthX(std::abs(width)))).I16(0);
        p.U32(r.U32(24).value_or(0));
        function = META_CREATEPENINDIRECT;
        made.kind = Slot::Kind::Pen;
        break;
    }
    case kEmrExtCreatePen: {  // EXTCREATEPEN: style, width, brush style, colour
        const uint32_t style = r.U32(28).value_or(0);
        const uint32_t width = r.U32(32).value_or(0);
        const uint32_t brushStyle = r.U32(36).value_or(0);
        const bool geometric = (style & 0x000F0000) != 0;
        auto type = static_cast<uint16_t>(style & 0x0F);
        if (type == 7) type = kPsDash;       // PS_USERSTYLE
        else if (type == 8) type = kPsDot;   // PS_ALTERNATE
        if (brushStyle == kBsNull) type = kPsNull;
        const auto joinsAndCaps = static_cast<uint16_t>(style & 0xFF00);
        const int16_t wmfWidth = geometric && width > 0 ? std::max<int16_t>(1, LengthX(width)) : 0;
        p.U16(static_cast<uint16_t>(type | joinsAndCaps)).I16(wmfWidth).I16(0).U32(r.U32(40).value_or(0));
        function = META_CREATEPENINDIRECT;
        made.kind = Slot::Kind::Pen;
        break;
    }
    case kEmrCreateBrushIndirect: {  // CREATEBRUSHINDIRECT: style, colour, hatch
        uint32_t style = r.U32(12).value_or(0);
        if (style != kBsSolid && style != kBsNull && style != kBsHatched) style = kBsSolid;
        p.U16(static_cast<uint16_t>(style)).U32(r.U32(16).value_or(0)).U16(static_cast<uint16_t>(r.U32(20).value_or(0)));
        function = META_CREATEBRUSHINDIRECT;
        made.kind = Slot::Kind::Brush;
        break;
    }
    case kEmrCreateMonoBrush:
    case kEmrCreateDibPatternBrushPt: {  // CREATEMONOBRUSH / CREATEDIBPATTERNBRUSHPT: usage, offBmi, cbBmi, offBits, cbBits
        const uint32_t usage = r.U32(12).value_or(0);
        const Bytes info = r.Array(r.U32(16).value_or(0), r.U32(20).value_or(0), 1);
        const Bytes bits = r.Array(r.U32(24).value_or(0), r.U32(28).value_or(0), 1);
        if (info.empty()) return;
        p.U16(kBsDibPattern).U16(static_cast<uint16_t>(usage)).Raw(info).Raw(bits);
        function = META_DIBCREATEPATTERNBRUSH;
        made.kind = Slot::Kind::Brush;
        break;
    }
    case kEmrExtCreateFontIndirectW: {  // EXTCREATEFONTINDIRECTW: LOGFONTW
        if (!r.Has(12, 92 - 64)) return;
        uint8_t flags[8];
        for (size_t i = 0; i < 8; ++i) flags[i] = r.Data()[32 + i];
        made.charset = flags[3];
        std::u16string face;
        for (size_t i = 0; i < 32; ++i) {
            const char16_t c = static_cast<char16_t>(r.U16(40 + 2 * i).value_or(0));
            if (c == 0) break;
            face.push_back(c);
        }
        const EncodedText name = EncodeCharset(face, made.charset);
        const int32_t height = r.I32(12).value_or(0), width = r.I32(16).value_or(0);
        const int16_t wmfHeight = height == 0 ? 0 : static_cast<int16_t>((height < 0 ? -1 : 1) * std::max<int16_t>(1, LengthY(std::abs(height))));
        p = FontParams(wmfHeight, width == 0 ? 0 : LengthX(std::abs(width)), static_cast<int16_t>(r.I32(20).value_or(0)),
                       static_cast<int16_t>(r.I32(24).value_or(0)), static_cast<int16_t>(r.I32(28).value_or(400)), flags,
                       name.bytes);
        function = META_CREATEFONTINDIRECT;
        made.kind = Slot::Kind::Font;
        break;
    }
    case kEmrCreatePalette: {  // CREATEPALETTE: LOGPALETTE
        const uint16_t count = r.U16(14).value_or(0);
        const Bytes entries = r.Array(16, count, 4);
        p.U16(0x0300).U16(static_cast<uint16_t>(entries.size() / 4)).Raw(entries);
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
        const uint32_t n = id - kStockBase;
        WmfParams p;
        uint16_t function = 0;
        static constexpr uint32_t kGreys[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
        if (n <= 4) {
            p.U16(kBsSolid).U32(kGreys[n]).U16(0);
            function = META_CREATEBRUSHINDIRECT;
        } else if (n == 5) {
            p.U16(kBsNull).U32(0).U16(0);
            function = META_CREATEBRUSHINDIRECT;
        } else if (n >= 6 && n <= 8) {
            p.U16(n == 8 ? kPsNull : kPsSolid).I16(0).I16(0).U32(n == 6 ? 0xFFFFFF : 0);
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
    const uint32_t n = id - kStockBase;
    if (n >= 6 && n <= 8) FState.penSlot = slot;
    if (n >= 10 && n <= 17) FState.charset = 0;
    FOut.Append(META_SELECTOBJECT, WmfParams().U16(static_cast<uint16_t>(slot)));
}

int32_t EmfToWmf::SlotOf(uint32_t handle)
{
    if (handle >= kStockBase) return StockSlot(handle);
    const auto found = FHandles.find(handle);
    return found == FHandles.end() ? -1 : found->second.slot;
}

void EmfToWmf::SelectObject(const Record& r)
{
    const auto handle = r.U32(8);
    if (!handle) return;
    if (*handle >= kStockBase) {
        SelectStock(*handle);
        return;
    }
    const auto found = FHandles.find(*handle);
    if (found == FHandles.end()) return;
    const Slot& s = found->second;
    if (s.kind == Slot::Kind::Pen) FState.penSlot = s.slot;
    if (s.kind == Slot::Kind::Font) FState.charset = s.charset;
    FOut.Append(s.kind == Slot::Kind::Palette ? META_SELECTPALETTE : META_SELECTOBJECT,
                WmfParams().U16(static_cast<uint16_t>(s.slot)));
}

void EmfToWmf::DeleteObject(const Record& r)
{
    const auto handle = r.U32(8);
    if (!handle) return;
    const auto found = FHandles.find(*handle);
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
    const auto handle = r.U32(8);
    if (!handle) return;
    const auto found = FHandles.find(*handle);
    if (found == FHandles.end() || found->second.kind != Slot::Kind::Palette) return;
    const auto slot = static_cast<uint16_t>(found->second.slot);
    if (r.Type() == kEmrSelectPalette) {
        FOut.Append(META_SELECTPALETTE, WmfParams().U16(slot));
    } else if (r.Type() == kEmrSetPaletteEntries) {  // SETPALETTEENTRIES: start, count, entries (the selected palette)
        const Bytes entries = r.Array(20, r.U32(16).value_or(0), 4);
        FOut.Append(META_SELECTPALETTE, WmfParams().U16(slot));
        FOut.Append(META_SETPALENTRIES, WmfParams()
                                            .U16(static_cast<uint16_t>(r.U32(12).value_or(0)))
                                            .U16(static_cast<uint16_t>(entries.size() / 4))
                                            .Raw(entries));
    } else if (r.Type() == kEmrResizePalette) {
        FOut.Append(META_SELECTPALETTE, WmfParams().U16(slot));
        FOut.Append(META_RESIZEPALETTE, WmfParams().U16(static_cast<uint16_t>(r.U32(12).value_or(0))));
    }
}

int32_t EmfToWmf::CreateRegion(Bytes rgnData)
{
    if (rgnData.size() < 32) return -1;
    const uint32_t headerSize = LoadU32(rgnData.data());
    const uint32_t count = LoadU32(rgnData.data() + 8);
    if (headerSize < 32 || headerSize > rgnData.size()) return -1;
    const size_t available = (rgnData.size() - headerSize) / 16;
    const size_t n = std::min<size_t>({count, available, 2000});
    auto px = [&](int32_t v, double scale) { return static_cast<int16_t>(std::clamp(std::lround(v * scale), -32768L, 32767L)); };
    const uint8_t* rects = rgnData.data() + headerSize;
    int16_t l = 32767, t = 32767, r = -32768, b = -32768;
    std::vector<int16_t> values;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* q = rects + 16 * i;
        const int16_t rl = px(LoadI32(q), FScaleX), rt = px(LoadI32(q + 4), FScaleY);
        const int16_t rr = px(LoadI32(q + 8), FScaleX), rb = px(LoadI32(q + 12), FScaleY);
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
