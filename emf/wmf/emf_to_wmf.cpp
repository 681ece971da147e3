#include "emf/wmf/emf_to_wmf.h"
#include "emf/emr_types.h"
#include "emf/records_regions.h"
#include "emf/records_state.h"

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
    FOut.Append(META_SETMAPMODE, WmfParams().I16(gdi::MM_ANISOTROPIC));
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

void EmfToWmf::Damaged(const Record& r)
{
    if (FDamaged.size() < kMaxDamaged) FDamaged.push_back(r.Offset());
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
    case kEmrIntersectClipRect: case kEmrExcludeClipRect: case kEmrOffsetClipRgn: case kEmrExtSelectClipRgn: Clip(r); break;
    case kEmrFillRgn: case kEmrFrameRgn: case kEmrInvertRgn: case kEmrPaintRgn: RegionRecord(r); break;
    case kEmrExtTextOutA: case kEmrExtTextOutW: case kEmrSmallTextOut: Text(r); break;
    case kEmrBitBlt: case kEmrStretchBlt: case kEmrSetDIBitsToDevice: case kEmrStretchDIBits: Bitmap(r); break;
    default: break;  // no WMF counterpart
    }
}

bool EmfToWmf::StateRecord(const Record& r)
{
    uint16_t function = 0;
    switch (r.Type()) {
    case kEmrSetBkMode: function = META_SETBKMODE; break;
    case kEmrSetPolyFillMode: function = META_SETPOLYFILLMODE; break;
    case kEmrSetRop2: function = META_SETROP2; break;
    case kEmrSetStretchBltMode: function = META_SETSTRETCHBLTMODE; break;
    case kEmrSetTextAlign: function = META_SETTEXTALIGN; break;
    case kEmrSetTextColor: function = META_SETTEXTCOLOR; break;
    case kEmrSetBkColor: function = META_SETBKCOLOR; break;
    case kEmrSetMapperFlags: function = META_SETMAPPERFLAGS; break;
    case kEmrSetLayout: function = META_SETLAYOUT; break;
    case kEmrSetTextJustification: {
        const auto j = EmrTextJustification::Read(r);
        if (!j) Damaged(r);
        else FOut.Append(META_SETTEXTJUSTIFICATION, WmfParams().I16(Clamp16(j->breakCount)).I16(LengthX(j->breakExtra)));
        return true;
    }
    case kEmrSaveDC:
        if (FSaved.size() < 4096) {
            FSaved.push_back(FState);
            FOut.Append(META_SAVEDC);
        }
        return true;
    case kEmrRestoreDC: {
        const auto v = EmrValue::Read(r);
        if (!v) {
            Damaged(r);
            return true;
        }
        const int64_t relative = v->Signed();
        if (relative >= 0 || -relative > static_cast<int64_t>(FSaved.size())) return true;
        const size_t keep = FSaved.size() - static_cast<size_t>(-relative);
        FState = FSaved[keep];
        FSaved.erase(FSaved.begin() + static_cast<std::ptrdiff_t>(keep), FSaved.end());
        FOut.Append(META_RESTOREDC, WmfParams().I16(static_cast<int16_t>(relative)));
        return true;
    }
    default: return false;
    }
    const auto v = EmrValue::Read(r);
    if (!v) {
        Damaged(r);
        return true;
    }
    const uint32_t value = v->value;
    WmfParams p;
    if (function == META_SETTEXTCOLOR || function == META_SETBKCOLOR || function == META_SETMAPPERFLAGS) p.U32(value);
    else p.U16(static_cast<uint16_t>(value));
    FOut.Append(function, p);
    return true;
}

bool EmfToWmf::MappingRecord(const Record& r)
{
    DcMapping& map = FState.map;
    switch (r.Type()) {
    case kEmrSetMapMode:
        if (const auto v = EmrValue::Read(r)) map.SetMapMode(v->Signed());
        else Damaged(r);
        return true;
    case kEmrSetWindowExtEx:
    case kEmrSetWindowOrgEx:
    case kEmrSetViewportExtEx:
    case kEmrSetViewportOrgEx: {
        const auto p = EmrPoint::Read(r);
        if (!p) {
            Damaged(r);
        } else if (r.Type() == kEmrSetWindowExtEx) {
            map.SetWindowExt(p->point.x, p->point.y);
        } else if (r.Type() == kEmrSetWindowOrgEx) {
            map.SetWindowOrg(p->point.x, p->point.y);
        } else if (r.Type() == kEmrSetViewportExtEx) {
            map.SetViewportExt(p->point.x, p->point.y);
        } else {
            map.SetViewportOrg(p->point.x, p->point.y);
        }
        return true;
    }
    case kEmrScaleViewportExtEx:
    case kEmrScaleWindowExtEx: {
        const auto s = EmrScaleExt::Read(r);
        if (!s) Damaged(r);
        else if (r.Type() == kEmrScaleWindowExtEx) map.ScaleWindowExt(s->xNum, s->xDenom, s->yNum, s->yDenom);
        else map.ScaleViewportExt(s->xNum, s->xDenom, s->yNum, s->yDenom);
        return true;
    }
    case kEmrSetWorldTransform:
    case kEmrModifyWorldTransform: {
        const auto x = EmrXForm::Read(r);
        if (!x) {
            Damaged(r);
            return true;
        }
        // A transform that is not finite draws nowhere sensible: it counts as the identity.
        XForm xform = x->xform;
        for (const float v : {xform.m11, xform.m12, xform.m21, xform.m22, xform.dx, xform.dy})
            if (!std::isfinite(v) || std::fabs(v) > 1e9f) xform = XForm{};
        if (r.Type() == kEmrSetWorldTransform) map.SetWorld(xform);
        else if (!map.ModifyWorld(xform, x->mode)) Damaged(r);
        return true;
    }
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
    case kEmrIntersectClipRect:
    case kEmrExcludeClipRect: {
        const auto box = EmrBox::Read(r);
        if (!box) return Damaged(r);
        const PointI a = Map(box->box.left, box->box.top), c = Map(box->box.right, box->box.bottom);
        FOut.Append(r.Type() == kEmrIntersectClipRect ? META_INTERSECTCLIPRECT : META_EXCLUDECLIPRECT,
                    WmfParams().I16(std::max(a.y, c.y)).I16(std::max(a.x, c.x)).I16(std::min(a.y, c.y)).I16(std::min(a.x, c.x)));
        return;
    }
    case kEmrOffsetClipRgn: {
        const auto offset = EmrPoint::Read(r);
        if (!offset) return Damaged(r);
        FOut.Append(META_OFFSETCLIPRGN, WmfParams().I16(LengthY(offset->point.y)).I16(LengthX(offset->point.x)));
        return;
    }
    case kEmrExtSelectClipRgn: {
        const auto clip = EmrExtSelectClipRgn::Read(r);
        if (!clip) return Damaged(r);
        if (clip->mode != gdi::RGN_COPY) return;  // only a replacement has a WMF form
        if (!clip->region) {
            // Back to the default clipping: a selection of no region.
            FOut.Append(META_SELECTCLIPREGION, WmfParams().U16(0xFFFF));
            return;
        }
        const int32_t slot = CreateRegion(*clip->region);
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
