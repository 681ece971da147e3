// Lines, shapes, pixels, flood fills, region drawing and comments.
#include "emf/wmf/wmf_format.h"
#include "emf/wmf/wmf_to_emf.h"

#include <algorithm>

namespace qrp::emf::wmf {

bool WmfToEmf::LineOrMove(const WmfRecord& r)
{
    const auto y = r.I16(0), x = r.I16(1);
    if (!x) return false;
    if (r.Function() == META_MOVETO) {
        Emit(kEmrMoveToEx, Payload().I32(*x).I32(*y));
    } else {
        const double pen = PenInflate();
        AddPoint(FState.x, FState.y, pen, pen);
        AddPoint(*x, *y, pen, pen);
        TakeShapeBounds();
        Emit(kEmrLineTo, Payload().I32(*x).I32(*y));
    }
    FState.x = *x;
    FState.y = *y;
    return true;
}

bool WmfToEmf::Poly(const WmfRecord& r)
{
    const auto declared = r.I16(0);
    if (!declared || *declared <= 0) return false;
    // Only the points the record holds.
    const size_t count = std::min<size_t>(static_cast<size_t>(*declared), r.Tail(2).size() / 4);
    if (count == 0) return false;
    const Bytes points = r.Slice(2, count * 4);
    const double pen = PenInflate();
    for (size_t i = 0; i < count; ++i) AddPoint(LoadI16(points.data() + 4 * i), LoadI16(points.data() + 4 * i + 2), pen, pen);
    Payload p;
    p.Rect(TakeShapeBounds()).U32(static_cast<uint32_t>(count)).Raw(points).Pad4();
    Emit(r.Function() == META_POLYGON ? kEmrPolygon16 : kEmrPolyline16, p);
    return true;
}

bool WmfToEmf::PolyPolygon(const WmfRecord& r)
{
    const auto polygons = r.U16(0);
    if (!polygons || *polygons == 0) return false;
    const Bytes counts = r.Slice(2, size_t{*polygons} * 2);
    if (counts.empty()) return false;
    const size_t pointsAt = 2 + counts.size();
    const size_t available = r.Tail(pointsAt).size() / 4;
    // Whole polygons only, as far as the record holds their points.
    std::vector<uint32_t> kept;
    size_t total = 0;
    for (size_t i = 0; i < *polygons; ++i) {
        const uint16_t n = LoadU16(counts.data() + 2 * i);
        if (total + n > available) break;
        kept.push_back(n);
        total += n;
    }
    if (kept.empty() || total == 0) return false;
    const Bytes points = r.Slice(pointsAt, total * 4);
    const double pen = PenInflate();
    for (size_t i = 0; i < total; ++i) AddPoint(LoadI16(points.data() + 4 * i), LoadI16(points.data() + 4 * i + 2), pen, pen);
    Payload p;
    p.Rect(TakeShapeBounds()).U32(static_cast<uint32_t>(kept.size())).U32(static_cast<uint32_t>(total));
    for (const uint32_t n : kept) p.U32(n);
    p.Raw(points).Pad4();
    Emit(kEmrPolyPolygon16, p);
    return true;
}

bool WmfToEmf::Box(const WmfRecord& r)
{
    const size_t at = r.Function() == META_ROUNDRECT ? 2 : 0;
    const auto bottom = r.I16(at), right = r.I16(at + 1), top = r.I16(at + 2), left = r.I16(at + 3);
    if (!left) return false;
    AddLogicalRect(*left, *top, *right, *bottom, true);
    TakeShapeBounds();
    Payload p;
    p.I32(*left).I32(*top).I32(*right).I32(*bottom);
    if (r.Function() == META_ROUNDRECT) {
        p.I32(*r.I16(1)).I32(*r.I16(0));
        Emit(kEmrRoundRect, p);
    } else {
        Emit(r.Function() == META_RECTANGLE ? kEmrRectangle : kEmrEllipse, p);
    }
    return true;
}

bool WmfToEmf::ArcFamily(const WmfRecord& r)
{
    const auto yEnd = r.I16(0), xEnd = r.I16(1), yStart = r.I16(2), xStart = r.I16(3);
    const auto bottom = r.I16(4), right = r.I16(5), top = r.I16(6), left = r.I16(7);
    if (!left) return false;
    AddLogicalRect(*left, *top, *right, *bottom, true);
    TakeShapeBounds();
    const uint32_t type = r.Function() == META_ARC ? kEmrArc : r.Function() == META_CHORD ? kEmrChord : kEmrPie;
    Emit(type, Payload().I32(*left).I32(*top).I32(*right).I32(*bottom).I32(*xStart).I32(*yStart).I32(*xEnd).I32(*yEnd));
    return true;
}

bool WmfToEmf::Pixel(const WmfRecord& r)
{
    const auto color = r.U32(0);
    const auto y = r.I16(2), x = r.I16(3);
    if (!x) return false;
    AddPoint(*x, *y);
    TakeShapeBounds();
    Emit(kEmrSetPixelV, Payload().I32(*x).I32(*y).U32(*color & 0x03FFFFFF));
    return true;
}

bool WmfToEmf::FloodFill(const WmfRecord& r)
{
    const size_t at = r.Function() == META_EXTFLOODFILL ? 1 : 0;
    const uint32_t mode = at == 1 ? r.U16(0).value_or(0) : 0;  // FLOODFILLBORDER
    const auto color = r.U32(at);
    const auto y = r.I16(at + 2), x = r.I16(at + 3);
    if (!x) return false;
    Emit(kEmrExtFloodFill, Payload().I32(*x).I32(*y).U32(*color & 0x03FFFFFF).U32(mode));
    return true;
}

bool WmfToEmf::RegionDraw(const WmfRecord& r)
{
    const Object* region = Live(r.U16(0), Kind::Region);
    if (!region) return false;
    // Region coordinates are device units, as GDI takes them.
    AddDevice(region->box.left, region->box.top, region->box.right, region->box.bottom);
    const RectL bounds = TakeShapeBounds();
    const std::vector<uint8_t> data = RegionData(region->rects, region->box);
    const auto size = static_cast<uint32_t>(data.size());
    switch (r.Function()) {
    case META_FILLREGION:
    case META_FRAMEREGION: {
        if (!Live(r.U16(1), Kind::Brush)) return false;
        const uint32_t brush = *r.U16(1) + 1u;
        if (r.Function() == META_FILLREGION) {
            Emit(kEmrFillRgn, Payload().Rect(bounds).U32(size).U32(brush).Raw(data));
        } else {
            const auto height = r.I16(2), width = r.I16(3);
            if (!width) return false;
            Emit(kEmrFrameRgn, Payload().Rect(bounds).U32(size).U32(brush).I32(*width).I32(*height).Raw(data));
        }
        return true;
    }
    case META_INVERTREGION:
    case META_PAINTREGION:
        Emit(r.Function() == META_INVERTREGION ? kEmrInvertRgn : kEmrPaintRgn, Payload().Rect(bounds).U32(size).Raw(data));
        return true;
    default:
        return false;
    }
}

bool WmfToEmf::Escape(const WmfRecord& r)
{
    const auto function = r.U16(0), byteCount = r.U16(1);
    if (!function || !byteCount || *function != MFCOMMENT) return false;
    const Bytes data = r.Slice(4, std::min<size_t>(*byteCount, r.Tail(4).size()));
    // An enhanced metafile carried in comments is not a comment of the picture.
    if (data.size() >= 4 && LoadU32(data.data()) == kWmfcIdentifier) return false;
    Emit(kEmrComment, Payload().U32(static_cast<uint32_t>(data.size())).Raw(data).Pad4());
    return true;
}

}  // namespace qrp::emf::wmf
