// Lines, shapes, polygons, Bézier curves (flattened), paths (filled or stroked as
// polygons) and region drawing.
#include "emf/wmf/emf_to_wmf.h"
#include "emf/emr_types.h"
#include "emf/wmf/wmf_format.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qrp::emf::wmf {

namespace {
constexpr int kBezierSteps = 12;
constexpr int kEllipseSteps = 36;
constexpr size_t kMaxPoints = 32767;  // a WMF point count is 16-bit
constexpr uint32_t kBlackPen = 0x80000007;

struct Pt {
    double x, y;
};

void Flatten(Pt p0, Pt c1, Pt c2, Pt p3, std::vector<Pt>& out)
{
    for (int i = 1; i <= kBezierSteps; ++i) {
        const double t = static_cast<double>(i) / kBezierSteps, u = 1 - t;
        out.push_back({u * u * u * p0.x + 3 * u * u * t * c1.x + 3 * u * t * t * c2.x + t * t * t * p3.x,
                       u * u * u * p0.y + 3 * u * u * t * c1.y + 3 * u * t * t * c2.y + t * t * t * p3.y});
    }
}

// The points of a POLY* record (32-bit or 16-bit), empty when they do not fit the record.
std::vector<Pt> ReadPoints(const Record& r, size_t at, uint64_t count, bool small)
{
    std::vector<Pt> points;
    const Bytes data = r.Array(at, count, small ? 4 : 8);
    if (data.empty()) return points;
    points.reserve(static_cast<size_t>(count));
    for (size_t i = 0; i < count; ++i) {
        if (small) points.push_back({static_cast<double>(LoadI16(data.data() + 4 * i)), static_cast<double>(LoadI16(data.data() + 4 * i + 2))});
        else points.push_back({static_cast<double>(LoadI32(data.data() + 8 * i)), static_cast<double>(LoadI32(data.data() + 8 * i + 4))});
    }
    return points;
}
}  // namespace

bool EmfToWmf::Flipped() const
{
    const PointD o = FState.map.ToDevice(0, 0), x = FState.map.ToDevice(1, 0), y = FState.map.ToDevice(0, 1);
    return (x.x - o.x) * (y.y - o.y) - (x.y - o.y) * (y.x - o.x) < 0;
}

void EmfToWmf::EmitPolyline(const Figure& f)
{
    if (f.size() < 2) return;
    const size_t n = std::min(f.size(), kMaxPoints);
    WmfParams p;
    p.I16(static_cast<int16_t>(n));
    for (size_t i = 0; i < n; ++i) p.I16(f[i].x).I16(f[i].y);
    FOut.Append(META_POLYLINE, p);
}

void EmfToWmf::EmitPolygons(const std::vector<Figure>& figures)
{
    std::vector<const Figure*> kept;
    size_t total = 0;
    for (const Figure& f : figures) {
        if (f.size() < 2 || total + f.size() > kMaxPoints) continue;
        kept.push_back(&f);
        total += f.size();
    }
    if (kept.empty()) return;
    WmfParams p;
    if (kept.size() == 1) {
        p.I16(static_cast<int16_t>(total));
    } else {
        p.U16(static_cast<uint16_t>(kept.size()));
        for (const Figure* f : kept) p.U16(static_cast<uint16_t>(f->size()));
    }
    for (const Figure* f : kept)
        for (const PointI& q : *f) p.I16(q.x).I16(q.y);
    FOut.Append(kept.size() == 1 ? META_POLYGON : META_POLYPOLYGON, p);
}

void EmfToWmf::AddToPath(Figure figure, bool closed)
{
    if (FPath.size() >= 4096) return;
    FPath.push_back(std::move(figure));
    FPathClosed.push_back(closed);
}

void EmfToWmf::LineRecord(const Record& r)
{
    const auto x = r.I32(8), y = r.I32(12);
    if (!y) return;
    const PointI to = Map(*x, *y);
    if (FInPath) {
        if (r.Type() == kEmrMoveToEx) {
            AddToPath({to}, false);
        } else {
            if (FPath.empty() || FPathClosed.back()) AddToPath({Map(FState.x, FState.y)}, false);
            if (!FPath.empty() && FPath.back().size() < kMaxPoints) FPath.back().push_back(to);
        }
    } else if (r.Type() == kEmrMoveToEx) {
        FOut.Append(META_MOVETO, WmfParams().I16(to.y).I16(to.x));
    } else {
        FOut.Append(META_LINETO, WmfParams().I16(to.y).I16(to.x));
    }
    FState.x = *x;
    FState.y = *y;
}

void EmfToWmf::Shape(const Record& r)
{
    switch (r.Type()) {
    case kEmrSetPixelV: {  // SETPIXELV
        const auto x = r.I32(8), y = r.I32(12);
        const auto color = r.U32(16);
        if (!color) return;
        const PointI q = Map(*x, *y);
        FOut.Append(META_SETPIXEL, WmfParams().U32(*color).I16(q.y).I16(q.x));
        return;
    }
    case kEmrExtFloodFill: {  // EXTFLOODFILL
        const auto x = r.I32(8), y = r.I32(12);
        const auto color = r.U32(16), mode = r.U32(20);
        if (!mode) return;
        const PointI q = Map(*x, *y);
        FOut.Append(META_EXTFLOODFILL, WmfParams().U16(static_cast<uint16_t>(*mode)).U32(*color).I16(q.y).I16(q.x));
        return;
    }
    case kEmrArc: case kEmrChord: case kEmrPie: case kEmrArcTo:
        ArcLike(r);
        return;
    default:
        break;
    }
    const auto l = r.I32(8), t = r.I32(12), rr = r.I32(16), b = r.I32(20);
    if (!b) return;
    const PointI a = Map(*l, *t), c = Map(*rr, *b);
    const int16_t left = std::min(a.x, c.x), right = std::max(a.x, c.x);
    const int16_t top = std::min(a.y, c.y), bottom = std::max(a.y, c.y);
    if (FInPath) {
        if (r.Type() == kEmrRectangle) {
            AddToPath({{left, top}, {right, top}, {right, bottom}, {left, bottom}}, true);
        } else {
            Figure f;
            for (int i = 0; i < kEllipseSteps; ++i) {
                const double angle = 2 * std::numbers::pi * i / kEllipseSteps;
                f.push_back({static_cast<int16_t>(std::lround((left + right) / 2.0 + (right - left) / 2.0 * std::cos(angle))),
                             static_cast<int16_t>(std::lround((top + bottom) / 2.0 + (bottom - top) / 2.0 * std::sin(angle)))});
            }
            AddToPath(std::move(f), true);
        }
        return;
    }
    if (r.Type() == kEmrRoundRect) {
        const auto cx = r.I32(24), cy = r.I32(28);
        if (!cy) return;
        FOut.Append(META_ROUNDRECT, WmfParams().I16(LengthY(*cy)).I16(LengthX(*cx)).I16(bottom).I16(right).I16(top).I16(left));
        return;
    }
    FOut.Append(r.Type() == kEmrRectangle ? META_RECTANGLE : META_ELLIPSE, WmfParams().I16(bottom).I16(right).I16(top).I16(left));
}

void EmfToWmf::ArcLike(const Record& r)
{
    const auto l = r.I32(8), t = r.I32(12), rr = r.I32(16), b = r.I32(20);
    const auto xs = r.I32(24), ys = r.I32(28), xe = r.I32(32), ye = r.I32(36);
    if (!ye || FInPath) return;
    const PointI a = Map(*l, *t), c = Map(*rr, *b);
    PointI start = Map(*xs, *ys), end = Map(*xe, *ye);
    // Arcs run counter-clockwise; a mapping that mirrors the picture turns them around.
    if (Flipped()) std::swap(start, end);
    const uint16_t function = r.Type() == kEmrChord ? META_CHORD : r.Type() == kEmrPie ? META_PIE : META_ARC;
    FOut.Append(function, WmfParams()
                              .I16(end.y).I16(end.x).I16(start.y).I16(start.x)
                              .I16(std::max(a.y, c.y)).I16(std::max(a.x, c.x)).I16(std::min(a.y, c.y)).I16(std::min(a.x, c.x)));
}

void EmfToWmf::Poly(const Record& r)
{
    const bool small = r.Type() >= kEmrPolyBezier16;
    // The 16-bit forms in the order of the 32-bit ones: bezier, polygon, polyline, bezierto, polylineto.
    const uint32_t kind = small ? r.Type() - kEmrPolyBezier16 + kEmrPolyBezier : r.Type();
    const auto count = r.U32(24);
    if (!count) return;
    const std::vector<Pt> points = ReadPoints(r, 28, *count, small);
    if (points.empty()) return;
    std::vector<Pt> line;
    const bool to = kind == kEmrPolyBezierTo || kind == kEmrPolylineTo;
    if (to) line.push_back({FState.x, FState.y});
    if (kind == kEmrPolyBezier || kind == kEmrPolyBezierTo) {
        size_t i = 0;
        if (!to) line.push_back(points[i++]);
        for (; i + 2 < points.size(); i += 3) Flatten(line.back(), points[i], points[i + 1], points[i + 2], line);
    } else {
        line.insert(line.end(), points.begin(), points.end());
    }
    if (to) {
        FState.x = line.back().x;
        FState.y = line.back().y;
    }
    Figure f;
    for (const Pt& q : line) f.push_back(Map(q.x, q.y));
    if (FInPath) {
        if (to && !FPath.empty() && !FPathClosed.back()) {
            FPath.back().insert(FPath.back().end(), f.begin() + 1, f.end());
        } else {
            AddToPath(std::move(f), kind == kEmrPolygon);
        }
        return;
    }
    if (kind == kEmrPolygon) EmitPolygons({f});
    else EmitPolyline(f);
}

void EmfToWmf::PolyPoly(const Record& r)
{
    const bool small = r.Type() >= kEmrPolyPolyline16;
    const bool polygon = r.Type() == kEmrPolyPolygon || r.Type() == kEmrPolyPolygon16;
    const auto polys = r.U32(24), total = r.U32(28);
    if (!total) return;
    const Bytes counts = r.Array(32, *polys, 4);
    if (counts.empty()) return;
    const std::vector<Pt> points = ReadPoints(r, 32 + counts.size(), *total, small);
    if (points.empty()) return;
    std::vector<Figure> figures;
    size_t at = 0;
    for (size_t i = 0; i < *polys; ++i) {
        const uint32_t n = LoadU32(counts.data() + 4 * i);
        if (n > points.size() - at) break;
        Figure f;
        for (uint32_t k = 0; k < n; ++k) f.push_back(Map(points[at + k].x, points[at + k].y));
        at += n;
        figures.push_back(std::move(f));
    }
    if (FInPath) {
        for (Figure& f : figures) AddToPath(std::move(f), polygon);
        return;
    }
    if (polygon) {
        EmitPolygons(figures);
    } else {
        for (const Figure& f : figures) EmitPolyline(f);
    }
}

void EmfToWmf::Path(const Record& r)
{
    switch (r.Type()) {
    case kEmrBeginPath:  // BEGINPATH
        FInPath = true;
        FPath.clear();
        FPathClosed.clear();
        return;
    case kEmrEndPath:  // ENDPATH
        FInPath = false;
        return;
    case kEmrCloseFigure:  // CLOSEFIGURE
        if (!FPathClosed.empty()) FPathClosed.back() = true;
        return;
    case kEmrAbortPath:  // ABORTPATH
        FInPath = false;
        FPath.clear();
        FPathClosed.clear();
        return;
    case kEmrStrokePath:  // STROKEPATH
        for (size_t i = 0; i < FPath.size(); ++i) {
            Figure f = FPath[i];
            if (FPathClosed[i] && !f.empty()) f.push_back(f.front());
            EmitPolyline(f);
        }
        break;
    case kEmrStrokeAndFillPath:  // STROKEANDFILLPATH
        EmitPolygons(FPath);
        break;
    case kEmrFillPath: {  // FILLPATH: the polygons without an outline
        const int32_t nullPen = Allocate();
        if (nullPen < 0) break;
        FOut.Append(META_CREATEPENINDIRECT, WmfParams().U16(5).I16(0).I16(0).U32(0));
        FOut.Append(META_SELECTOBJECT, WmfParams().U16(static_cast<uint16_t>(nullPen)));
        EmitPolygons(FPath);
        const int32_t pen = FState.penSlot >= 0 ? FState.penSlot : StockSlot(kBlackPen);
        if (pen >= 0) FOut.Append(META_SELECTOBJECT, WmfParams().U16(static_cast<uint16_t>(pen)));
        FOut.Append(META_DELETEOBJECT, WmfParams().U16(static_cast<uint16_t>(nullPen)));
        Free(nullPen);
        break;
    }
    default:
        return;
    }
    FPath.clear();
    FPathClosed.clear();
}

void EmfToWmf::RegionRecord(const Record& r)
{
    const auto size = r.U32(24);
    if (!size) return;
    const size_t dataAt = r.Type() == kEmrFillRgn ? 32 : r.Type() == kEmrFrameRgn ? 40 : 28;
    const Bytes data = r.Array(dataAt, *size, 1);
    if (data.empty()) return;
    int32_t brush = -1;
    if (r.Type() == kEmrFillRgn || r.Type() == kEmrFrameRgn) {
        brush = SlotOf(r.U32(28).value_or(0));
        if (brush < 0) return;
    }
    const int32_t region = CreateRegion(data);
    if (region < 0) return;
    const auto rg = static_cast<uint16_t>(region);
    switch (r.Type()) {
    case kEmrFillRgn: FOut.Append(META_FILLREGION, WmfParams().U16(rg).U16(static_cast<uint16_t>(brush))); break;
    case kEmrFrameRgn:
        FOut.Append(META_FRAMEREGION, WmfParams()
                                          .U16(rg)
                                          .U16(static_cast<uint16_t>(brush))
                                          .I16(LengthY(r.I32(36).value_or(1)))
                                          .I16(LengthX(r.I32(32).value_or(1))));
        break;
    case kEmrInvertRgn: FOut.Append(META_INVERTREGION, WmfParams().U16(rg)); break;
    default: FOut.Append(META_PAINTREGION, WmfParams().U16(rg)); break;
    }
    FOut.Append(META_DELETEOBJECT, WmfParams().U16(rg));
    Free(region);
}

}  // namespace qrp::emf::wmf
