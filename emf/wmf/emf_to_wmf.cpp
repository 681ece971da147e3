#include "emf/wmf/emf_to_wmf.h"
#include "emf/emr_types.h"

#include "base/arith.h"
#include "emf/wmf/wmf_embedded_emf.h"
#include "emf/wmf/wmf_format.h"

#include <algorithm>
#include <cmath>

namespace qrp::emf::wmf {

namespace {
int16_t Clamp16(double v)
{
    if (!(v > -32768.0)) return -32768;
    if (!(v < 32767.0)) return 32767;
    return static_cast<int16_t>(std::lround(v));
}

int32_t FramePixels(int32_t v, int32_t pixels, int32_t millimeters)
{
    return MulDiv(v, pixels, 100 * std::max(millimeters, 1));
}

XForm ReadXForm(const Record& r, size_t at)
{
    XForm x;
    x.m11 = r.F32(at).value_or(1);
    x.m12 = r.F32(at + 4).value_or(0);
    x.m21 = r.F32(at + 8).value_or(0);
    x.m22 = r.F32(at + 12).value_or(1);
    x.dx = r.F32(at + 16).value_or(0);
    x.dy = r.F32(at + 20).value_or(0);
    // A transform that is not finite draws nowhere sensible: keep the identity.
    for (const double v : {x.m11, x.m12, x.m21, x.m22, x.dx, x.dy})
        if (!std::isfinite(v) || std::fabs(v) > 1e9) return XForm{};
    return x;
}

ReferenceDevice RecordingDevice(const EnhMetaHeader& h)
{
    return {std::max(h.szlDevice.cx, 1), std::max(h.szlDevice.cy, 1), std::max(h.szlMillimeters.cx, 1),
            std::max(h.szlMillimeters.cy, 1)};
}

enum : uint32_t {
    kSetMapperFlags = 16, kSetBkMode = 18, kSetPolyFillMode = 19, kSetRop2 = 20, kSetStretchBltMode = 21,
    kSetTextAlign = 22, kSetTextColor = 24, kSetBkColor = 25, kOffsetClipRgn = 26, kExcludeClipRect = 29,
    kIntersectClipRect = 30, kScaleViewportExtEx = 31, kScaleWindowExtEx = 32, kSaveDC = 33, kRestoreDC = 34,
    kSetWorldTransform = 35, kModifyWorldTransform = 36, kExtSelectClipRgn = 75, kSetLayout = 115,
    kSetTextJustification = 120, kSetMapMode = 17, kSetWindowExtEx = 9, kSetWindowOrgEx = 10,
    kSetViewportExtEx = 11, kSetViewportOrgEx = 12,
};
}  // namespace

EmfToWmf::EmfToWmf(Bytes emf, const ReferenceDevice& device)
    : FEmf(emf), FHeader(ParseHeader(emf)), FDevice(device), FState(RecordingDevice(FHeader))
{
    const ReferenceDevice rec = RecordingDevice(FHeader);
    const double targetX = static_cast<double>(std::max(device.widthPixels, 1)) / std::max(device.widthMillimeters, 1);
    const double targetY = static_cast<double>(std::max(device.heightPixels, 1)) / std::max(device.heightMillimeters, 1);
    FScaleX = static_cast<double>(rec.widthMillimeters) / rec.widthPixels * targetX;
    FScaleY = static_cast<double>(rec.heightMillimeters) / rec.heightPixels * targetY;
}

std::vector<uint8_t> EmfToWmf::Convert(bool embed)
{
    if (embed) AppendEmbeddedEnhMetafile(FOut, FEmf);
    const RectL& f = FHeader.rclFrame;
    const int32_t left = FramePixels(f.left, FDevice.widthPixels, FDevice.widthMillimeters);
    const int32_t top = FramePixels(f.top, FDevice.heightPixels, FDevice.heightMillimeters);
    int32_t width = FramePixels(f.right - f.left, FDevice.widthPixels, FDevice.widthMillimeters);
    int32_t height = FramePixels(f.bottom - f.top, FDevice.heightPixels, FDevice.heightMillimeters);
    if (width == 0) width = 1;
    if (height == 0) height = 1;
    FOut.Append(META_SETMAPMODE, WmfParams().I16(MM_ANISOTROPIC));
    FOut.Append(META_SETWINDOWORG, WmfParams().I16(Clamp16(top)).I16(Clamp16(left)));
    FOut.Append(META_SETWINDOWEXT, WmfParams().I16(Clamp16(height)).I16(Clamp16(width)));

    RecordReader reader(FEmf);
    while (const auto r = reader.Next()) {
        if (r->Type() == kEmrEof) break;
        Dispatch(*r);
    }
    std::vector<uint8_t> body = FOut.Finish(static_cast<uint16_t>(std::min<size_t>(FUsed.size(), 0xFFFF)));
    if (embed) SealEmbeddedChecksum(body);
    return body;
}

void EmfToWmf::Dispatch(const Record& r)
{
    if (StateRecord(r) || MappingRecord(r)) return;
    switch (r.Type()) {
    case kEmrCreatePen: case kEmrCreateBrushIndirect: case kEmrCreatePalette: case kEmrExtCreateFontIndirectW: case kEmrCreateMonoBrush: case kEmrCreateDibPatternBrushPt: case kEmrExtCreatePen: CreateObject(r); break;
    case kEmrSelectObject: SelectObject(r); break;
    case kEmrDeleteObject: DeleteObject(r); break;
    case kEmrSelectPalette: case kEmrSetPaletteEntries: case kEmrResizePalette: case kEmrRealizePalette: Palette(r); break;
    case kEmrMoveToEx: case kEmrLineTo: LineRecord(r); break;
    case kEmrEllipse: case kEmrRectangle: case kEmrRoundRect: case kEmrArc: case kEmrChord: case kEmrPie: case kEmrArcTo: case kEmrSetPixelV: case kEmrExtFloodFill: Shape(r); break;
    case kEmrPolyBezier: case kEmrPolygon: case kEmrPolyline: case kEmrPolyBezierTo: case kEmrPolylineTo:
    case kEmrPolyBezier16: case kEmrPolygon16: case kEmrPolyline16: case kEmrPolyBezierTo16: case kEmrPolylineTo16: Poly(r); break;
    case kEmrPolyPolyline: case kEmrPolyPolygon: case kEmrPolyPolyline16: case kEmrPolyPolygon16: PolyPoly(r); break;
    case kEmrBeginPath: case kEmrEndPath: case kEmrCloseFigure: case kEmrFillPath: case kEmrStrokeAndFillPath: case kEmrStrokePath: case kEmrAbortPath: Path(r); break;
    case kIntersectClipRect: case kExcludeClipRect: case kOffsetClipRgn: case kExtSelectClipRgn: Clip(r); break;
    case kEmrFillRgn: case kEmrFrameRgn: case kEmrInvertRgn: case kEmrPaintRgn: RegionRecord(r); break;
    case kEmrExtTextOutA: case kEmrExtTextOutW: Text(r); break;
    case kEmrSmallTextOut: SmallText(r); break;
    case kEmrBitBlt: case kEmrStretchBlt: case kEmrSetDIBitsToDevice: case kEmrStretchDIBits: Bitmap(r); break;
    default: break;  // no WMF counterpart
    }
}

bool EmfToWmf::StateRecord(const Record& r)
{
    uint16_t function = 0;
    switch (r.Type()) {
    case kSetBkMode: function = META_SETBKMODE; break;
    case kSetPolyFillMode: function = META_SETPOLYFILLMODE; break;
    case kSetRop2: function = META_SETROP2; break;
    case kSetStretchBltMode: function = META_SETSTRETCHBLTMODE; break;
    case kSetTextAlign: function = META_SETTEXTALIGN; break;
    case kSetTextColor: function = META_SETTEXTCOLOR; break;
    case kSetBkColor: function = META_SETBKCOLOR; break;
    case kSetMapperFlags: function = META_SETMAPPERFLAGS; break;
    case kSetLayout: function = META_SETLAYOUT; break;
    case kSetTextJustification: {
        const auto extra = r.I32(8), count = r.I32(12);
        if (!count) return true;
        FOut.Append(META_SETTEXTJUSTIFICATION, WmfParams().I16(Clamp16(*count)).I16(LengthX(*extra)));
        return true;
    }
    case kSaveDC:
        if (FSaved.size() < 4096) {
            FSaved.push_back(FState);
            FOut.Append(META_SAVEDC);
        }
        return true;
    case kRestoreDC: {
        const auto relative = r.I32(8);
        if (!relative || *relative >= 0 || -static_cast<int64_t>(*relative) > static_cast<int64_t>(FSaved.size())) return true;
        const size_t keep = FSaved.size() - static_cast<size_t>(-static_cast<int64_t>(*relative));
        FState = FSaved[keep];
        FSaved.erase(FSaved.begin() + static_cast<std::ptrdiff_t>(keep), FSaved.end());
        FOut.Append(META_RESTOREDC, WmfParams().I16(static_cast<int16_t>(*relative)));
        return true;
    }
    default: return false;
    }
    const auto value = r.U32(8);
    if (!value) return true;
    WmfParams p;
    if (function == META_SETTEXTCOLOR || function == META_SETBKCOLOR || function == META_SETMAPPERFLAGS) p.U32(*value);
    else p.U16(static_cast<uint16_t>(*value));
    FOut.Append(function, p);
    return true;
}

bool EmfToWmf::MappingRecord(const Record& r)
{
    DcMapping& map = FState.map;
    const auto a = r.I32(8), b = r.I32(12);
    switch (r.Type()) {
    case kSetMapMode: if (a) map.SetMapMode(*a); return true;
    case kSetWindowExtEx: if (b) map.SetWindowExt(*a, *b); return true;
    case kSetWindowOrgEx: if (b) map.SetWindowOrg(*a, *b); return true;
    case kSetViewportExtEx: if (b) map.SetViewportExt(*a, *b); return true;
    case kSetViewportOrgEx: if (b) map.SetViewportOrg(*a, *b); return true;
    case kScaleViewportExtEx:
    case kScaleWindowExtEx: {
        const auto c = r.I32(16), d = r.I32(20);
        if (!d) return true;
        if (r.Type() == kScaleWindowExtEx) map.ScaleWindowExt(*a, *b, *c, *d);
        else map.ScaleViewportExt(*a, *b, *c, *d);
        return true;
    }
    case kSetWorldTransform:
        if (r.Has(8, 24)) map.SetWorld(ReadXForm(r, 8));
        return true;
    case kModifyWorldTransform:
        if (r.Has(8, 28)) map.ModifyWorld(ReadXForm(r, 8), r.U32(32).value_or(0));
        return true;
    default: return false;
    }
}

EmfToWmf::PointI EmfToWmf::Map(double x, double y) const
{
    const PointD d = FState.map.ToDevice(x, y);
    return {Clamp16(d.x * FScaleX), Clamp16(d.y * FScaleY)};
}

int16_t EmfToWmf::LengthX(double v) const { return Clamp16(v * FState.map.ScaleX() * FScaleX); }
int16_t EmfToWmf::LengthY(double v) const { return Clamp16(v * FState.map.ScaleY() * FScaleY); }

void EmfToWmf::Clip(const Record& r)
{
    switch (r.Type()) {
    case kIntersectClipRect:
    case kExcludeClipRect: {
        const auto l = r.I32(8), t = r.I32(12), rr = r.I32(16), b = r.I32(20);
        if (!b) return;
        const PointI a = Map(*l, *t), c = Map(*rr, *b);
        FOut.Append(r.Type() == kIntersectClipRect ? META_INTERSECTCLIPRECT : META_EXCLUDECLIPRECT,
                    WmfParams().I16(std::max(a.y, c.y)).I16(std::max(a.x, c.x)).I16(std::min(a.y, c.y)).I16(std::min(a.x, c.x)));
        return;
    }
    case kOffsetClipRgn: {
        const auto x = r.I32(8), y = r.I32(12);
        if (!y) return;
        FOut.Append(META_OFFSETCLIPRGN, WmfParams().I16(LengthY(*y)).I16(LengthX(*x)));
        return;
    }
    case kExtSelectClipRgn: {
        const auto size = r.U32(8), mode = r.U32(12);
        if (!mode) return;
        constexpr uint32_t kRgnCopy = 5;
        if (*mode != kRgnCopy) return;  // only a replacement has a WMF form
        const Bytes data = r.Array(16, *size, 1);
        if (*size == 0 || data.empty()) {
            // Back to the default clipping: a selection of no region.
            FOut.Append(META_SELECTCLIPREGION, WmfParams().U16(0xFFFF));
            return;
        }
        const int32_t slot = CreateRegion(data);
        if (slot < 0) return;
        FOut.Append(META_SELECTCLIPREGION, WmfParams().U16(static_cast<uint16_t>(slot)));
        FOut.Append(META_DELETEOBJECT, WmfParams().U16(static_cast<uint16_t>(slot)));
        Free(slot);
        return;
    }
    default: return;
    }
}

}  // namespace qrp::emf::wmf
