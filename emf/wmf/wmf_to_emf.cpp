#include "emf/wmf/wmf_to_emf.h"

#include "base/arith.h"
#include "emf/wmf/wmf_embedded_emf.h"
#include "emf/wmf/wmf_format.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qrp::emf::wmf {

namespace {
EmfWriterOptions OptionsFor(const ReferenceDevice& device)
{
    EmfWriterOptions o;
    o.devicePixels = {device.widthPixels, device.heightPixels};
    o.deviceMillimeters = {device.widthMillimeters, device.heightMillimeters};
    o.frame = {0, 0, -1, -1};
    o.bounds = {0, 0, -1, -1};
    return o;
}

int32_t ClampToInt32(double v)
{
    if (!(v > static_cast<double>(std::numeric_limits<int32_t>::min()))) return std::numeric_limits<int32_t>::min();
    if (!(v < static_cast<double>(std::numeric_limits<int32_t>::max()))) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::lround(v));
}

constexpr size_t kOffHandles = 56;

bool IsIsotropicOrAnisotropic(int32_t mm) { return mm == gdi::MM_ISOTROPIC || mm == gdi::MM_ANISOTROPIC; }
}  // namespace

WmfToEmf::WmfToEmf(Bytes body, const MetaHeader& header, const MetaFilePict& pict, const ReferenceDevice& device)
    : FBody(body), FHeader(header), FPict(pict), FDevice(device), FOut(OptionsFor(device)), FState(device)
{
}

std::vector<uint8_t> WmfToEmf::Convert()
{
    Begin();
    WmfRecordReader reader(FBody, static_cast<uint32_t>(FHeader.headerWords) * 2);
    // Regions are copied into every record that uses them: a small body could ask for an
    // enormous picture. Conversion stops when the picture outgrows this.
    const uint64_t limit = std::min<uint64_t>(uint64_t{64} * FBody.size() + (uint64_t{16} << 20), uint64_t{1} << 30);
    while (const auto record = reader.Next()) {
        if (record->Function() == META_EOF || FOut.Bytes().size() > limit) break;
        Dispatch(*record);
    }
    Finish();
    std::vector<uint8_t> bytes = FOut.Finish();
    const uint32_t handles = std::min<uint32_t>(FMaxHandle + 1, 0xFFFF);
    bytes[kOffHandles] = static_cast<uint8_t>(handles);
    bytes[kOffHandles + 1] = static_cast<uint8_t>(handles >> 8);
    return bytes;
}

void WmfToEmf::Begin()
{
    const int32_t mm = FPict.mm >= gdi::MM_TEXT && FPict.mm <= gdi::MM_ANISOTROPIC ? FPict.mm : gdi::MM_TEXT;
    // The WMF itself rides along, so that GetWinMetaFileBits can give it back.
    if (mm != gdi::MM_TEXT) Emit(kEmrComment, Payload().Raw(WindowsMetafileComment(FBody)));
    if (mm != gdi::MM_TEXT) {
        Emit(kEmrSetMapMode, Payload().I32(mm));
        FState.map.SetMapMode(mm);
    }
    if (IsIsotropicOrAnisotropic(mm)) {
        int32_t vx = FDevice.widthPixels, vy = FDevice.heightPixels;
        if (FPict.xExt > 0 && FPict.yExt > 0) {
            vx = MulDiv(FPict.xExt, FDevice.widthPixels, 100 * std::max(1, FDevice.widthMillimeters));
            vy = MulDiv(FPict.yExt, FDevice.heightPixels, 100 * std::max(1, FDevice.heightMillimeters));
        }
        vx = std::max(vx, 1);
        vy = std::max(vy, 1);
        // The picture's own window then maps onto this viewport. The window first: in
        // MM_ISOTROPIC a viewport set against the mode's default window would be shrunk.
        Emit(kEmrSetWindowExtEx, Payload().I32(vx).I32(vy));
        Emit(kEmrSetViewportExtEx, Payload().I32(vx).I32(vy));
        FState.map.SetWindowExt(vx, vy);
        FState.map.SetViewportExt(vx, vy);
    }
}

void WmfToEmf::Dispatch(const WmfRecord& r)
{
    switch (r.Function()) {
    case META_SETBKMODE: State16(r, kEmrSetBkMode); break;
    case META_SETROP2: State16(r, kEmrSetRop2); break;
    case META_SETPOLYFILLMODE: State16(r, kEmrSetPolyFillMode); break;
    case META_SETSTRETCHBLTMODE: State16(r, kEmrSetStretchBltMode); break;
    case META_SETTEXTALIGN: State16(r, kEmrSetTextAlign); break;
    case META_SETMAPPERFLAGS: State16(r, kEmrSetMapperFlags); break;
    case META_SETLAYOUT: State16(r, kEmrSetLayout); break;
    case META_SETTEXTCHAREXTRA:
    case META_SETTEXTJUSTIFICATION: State16(r, 0); break;
    case META_SETBKCOLOR: StateColor(r, kEmrSetBkColor); break;
    case META_SETTEXTCOLOR: StateColor(r, kEmrSetTextColor); break;
    case META_SETMAPMODE:
    case META_SETWINDOWORG:
    case META_SETWINDOWEXT:
    case META_SETVIEWPORTORG:
    case META_SETVIEWPORTEXT:
    case META_OFFSETWINDOWORG:
    case META_OFFSETVIEWPORTORG:
    case META_SCALEWINDOWEXT:
    case META_SCALEVIEWPORTEXT: Mapping(r); break;
    case META_SAVEDC:
    case META_RESTOREDC: SaveRestore(r); break;
    case META_INTERSECTCLIPRECT:
    case META_EXCLUDECLIPRECT:
    case META_OFFSETCLIPRGN:
    case META_SELECTCLIPREGION: Clip(r); break;
    case META_CREATEPENINDIRECT: CreatePen(r); break;
    case META_CREATEBRUSHINDIRECT: CreateBrush(r); break;
    case META_DIBCREATEPATTERNBRUSH: CreateDibPatternBrush(r); break;
    case META_CREATEPATTERNBRUSH: CreatePatternBrush(r); break;
    case META_CREATEFONTINDIRECT: CreateFont(r); break;
    case META_CREATEPALETTE: CreatePalette(r); break;
    case META_CREATEREGION: CreateRegion(r); break;
    case META_SELECTOBJECT: SelectObject(r); break;
    case META_DELETEOBJECT: DeleteObject(r); break;
    case META_SELECTPALETTE:
    case META_REALIZEPALETTE:
    case META_SETPALENTRIES:
    case META_RESIZEPALETTE: Palette(r); break;
    case META_MOVETO:
    case META_LINETO: LineOrMove(r); break;
    case META_POLYLINE:
    case META_POLYGON: Poly(r); break;
    case META_POLYPOLYGON: PolyPolygon(r); break;
    case META_RECTANGLE:
    case META_ELLIPSE:
    case META_ROUNDRECT: Box(r); break;
    case META_ARC:
    case META_CHORD:
    case META_PIE: ArcFamily(r); break;
    case META_SETPIXEL: Pixel(r); break;
    case META_FLOODFILL:
    case META_EXTFLOODFILL: FloodFill(r); break;
    case META_FILLREGION:
    case META_FRAMEREGION:
    case META_INVERTREGION:
    case META_PAINTREGION: RegionDraw(r); break;
    case META_TEXTOUT: TextOut(r); break;
    case META_EXTTEXTOUT: ExtTextOut(r); break;
    case META_PATBLT: PatBlt(r); break;
    case META_DIBBITBLT: DibBitBlt(r); break;
    case META_DIBSTRETCHBLT: DibStretchBlt(r); break;
    case META_BITBLT:
    case META_STRETCHBLT: OldBitBlt(r); break;
    case META_STRETCHDIB: StretchDib(r); break;
    case META_SETDIBTODEV: SetDibToDev(r); break;
    case META_ESCAPE: Escape(r); break;
    default: break;  // no enhanced counterpart (SETRELABS, ANIMATEPALETTE, ...) or unknown
    }
}

void WmfToEmf::Finish()
{
    // As PlayMetaFile ends: the default objects back in the context, the picture's own
    // objects deleted.
    Emit(kEmrSelectObject, Payload().U32(gdi::STOCK_OBJECT | gdi::BLACK_PEN));
    Emit(kEmrSelectObject, Payload().U32(gdi::STOCK_OBJECT | gdi::WHITE_BRUSH));
    Emit(kEmrSelectObject, Payload().U32(gdi::STOCK_OBJECT | gdi::SYSTEM_FONT));
    for (size_t slot = 0; slot < FObjects.size(); ++slot) {
        const Kind kind = FObjects[slot].kind;
        if (kind == Kind::Free || kind == Kind::Region) continue;
        Emit(kEmrDeleteObject, Payload().U32(static_cast<uint32_t>(slot + 1)));
    }

    RectL bounds{0, 0, -1, -1};
    if (FHaveBounds) {
        bounds = {ClampToInt32(std::floor(FMinX)), ClampToInt32(std::floor(FMinY)), ClampToInt32(std::floor(FMaxX)),
                  ClampToInt32(std::floor(FMaxY))};
    }
    RectL frame;
    if (IsIsotropicOrAnisotropic(FPict.mm) && FPict.xExt > 0 && FPict.yExt > 0) {
        frame = {0, 0, FPict.xExt, FPict.yExt};
    } else if (FHaveBounds) {
        auto toFrame = [](int32_t v, int32_t px, int32_t mm) {
            const int64_t r = static_cast<int64_t>(v) * 100 * std::max(mm, 1) / std::max(px, 1);
            return static_cast<int32_t>(std::clamp<int64_t>(r, INT32_MIN, INT32_MAX));
        };
        frame = {toFrame(bounds.left, FDevice.widthPixels, FDevice.widthMillimeters),
                 toFrame(bounds.top, FDevice.heightPixels, FDevice.heightMillimeters),
                 toFrame(bounds.right, FDevice.widthPixels, FDevice.widthMillimeters),
                 toFrame(bounds.bottom, FDevice.heightPixels, FDevice.heightMillimeters)};
    } else {
        frame = {0, 0, -1, -1};
    }
    FOut.SetBounds(bounds);
    FOut.SetFrame(frame);
}

// ---- bounds ------------------------------------------------------------------

void WmfToEmf::AddPoint(double x, double y, double inflateX, double inflateY)
{
    const PointD d = FState.map.ToDevice(x, y);
    AddDevice(d.x - inflateX, d.y - inflateY, d.x + inflateX, d.y + inflateY);
}

void WmfToEmf::AddDevice(double l, double t, double r, double b)
{
    if (!std::isfinite(l) || !std::isfinite(t) || !std::isfinite(r) || !std::isfinite(b)) return;
    if (!FHaveBounds) {
        FMinX = l, FMaxX = r, FMinY = t, FMaxY = b;
        FHaveBounds = true;
    } else {
        FMinX = std::min(FMinX, l), FMaxX = std::max(FMaxX, r);
        FMinY = std::min(FMinY, t), FMaxY = std::max(FMaxY, b);
    }
    if (!FShapeHave) {
        FShapeMinX = l, FShapeMaxX = r, FShapeMinY = t, FShapeMaxY = b;
        FShapeHave = true;
    } else {
        FShapeMinX = std::min(FShapeMinX, l), FShapeMaxX = std::max(FShapeMaxX, r);
        FShapeMinY = std::min(FShapeMinY, t), FShapeMaxY = std::max(FShapeMaxY, b);
    }
}

double WmfToEmf::PenInflate() const
{
    if (FState.nullPen || FState.penWidth <= 1) return 0;
    return FState.penWidth * FState.map.ScaleX() / 2;
}

void WmfToEmf::AddLogicalRect(int32_t l, int32_t t, int32_t r, int32_t b, bool withPen)
{
    // A box covers the pixels from its left/top corner up to, not including, its right/bottom.
    const PointD a = FState.map.ToDevice(l, t), c = FState.map.ToDevice(r, b);
    double left = std::min(a.x, c.x), right = std::max(a.x, c.x);
    double top = std::min(a.y, c.y), bottom = std::max(a.y, c.y);
    if (right - left >= 1) right -= 1;
    if (bottom - top >= 1) bottom -= 1;
    const double pen = withPen ? PenInflate() : 0;
    AddDevice(left - pen, top - pen, right + pen, bottom + pen);
}

RectL WmfToEmf::TakeShapeBounds()
{
    if (!FShapeHave) return {0, 0, -1, -1};
    FShapeHave = false;
    return {ClampToInt32(std::floor(FShapeMinX)), ClampToInt32(std::floor(FShapeMinY)),
            ClampToInt32(std::floor(FShapeMaxX)), ClampToInt32(std::floor(FShapeMaxY))};
}

RectL WmfToEmf::DeviceBoundsOf(int32_t l, int32_t t, int32_t r, int32_t b) const
{
    const PointD a = FState.map.ToDevice(l, t), c = FState.map.ToDevice(r, b);
    return {ClampToInt32(std::min(a.x, c.x)), ClampToInt32(std::min(a.y, c.y)), ClampToInt32(std::max(a.x, c.x)),
            ClampToInt32(std::max(a.y, c.y))};
}

}  // namespace qrp::emf::wmf
