// Lines, shapes, polygons, Bézier curves (flattened), paths (filled or stroked as
// polygons) and region drawing.
#include "emf/wmf/emf_to_wmf.h"
#include "emf/emr_types.h"
#include "emf/records_regions.h"
#include "emf/records_shapes.h"
#include "emf/records_state.h"
#include "emf/wmf/wmf_format.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qrp::emf::wmf {

namespace {
constexpr int kBezierSteps = 12;
constexpr int kEllipseSteps = 36;
constexpr size_t kMaxPoints = 32767;  // a WMF point count is 16-bit

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
    const auto p = EmrPoint::Read(r);
    if (!p) return Damaged(r);
    const int32_t x = p->point.x, y = p->point.y;
    const PointI to = Map(x, y);
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
    FState.x = x;
    FState.y = y;
}

void EmfToWmf::Shape(const Record& r)
{
    switch (r.Type()) {
    case kEmrSetPixelV: {
        const auto pixel = EmrSetPixel::Read(r);
        if (!pixel) return Damaged(r);
        const PointI q = Map(pixel->point.x, pixel->point.y);
        FOut.Append(META_SETPIXEL, WmfParams().U32(pixel->color).I16(q.y).I16(q.x));
        return;
    }
    case kEmrExtFloodFill: {
        const auto fill = EmrExtFloodFill::Read(r);
        if (!fill) return Damaged(r);
        const PointI q = Map(fill->start.x, fill->start.y);
        FOut.Append(META_EXTFLOODFILL,
                    WmfParams().U16(static_cast<uint16_t>(fill->mode)).U32(fill->color).I16(q.y).I16(q.x));
        return;
    }
    case kEmrArc: case kEmrChord: case kEmrPie: case kEmrArcTo:
        ArcLike(r);
        return;
    default:
        break;
    }
    RectL box;
    SizeL corner;
    if (r.Type() == kEmrRoundRect) {
        const auto round = EmrRoundRect::Read(r);
        if (!round) return Damaged(r);
        box = round->box;
        corner = round->corner;
    } else {
        const auto plain = EmrBox::Read(r);
        if (!plain) return Damaged(r);
        box = plain->box;
    }
    const PointI a = Map(box.left, box.top), c = Map(box.right, box.bottom);
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
        FOut.Append(META_ROUNDRECT,
                    WmfParams().I16(LengthY(corner.cy)).I16(LengthX(corner.cx)).I16(bottom).I16(right).I16(top).I16(left));
        return;
    }
    FOut.Append(r.Type() == kEmrRectangle ? META_RECTANGLE : META_ELLIPSE, WmfParams().I16(bottom).I16(right).I16(top).I16(left));
}

void EmfToWmf::ArcLike(const Record& r)
{
    const auto arc = EmrArc::Read(r);
    if (!arc) return Damaged(r);
    if (FInPath) return;
    const PointI a = Map(arc->box.left, arc->box.top), c = Map(arc->box.right, arc->box.bottom);
    PointI start = Map(arc->start.x, arc->start.y), end = Map(arc->end.x, arc->end.y);
    // Arcs run counter-clockwise; a mapping that mirrors the picture turns them around.
    if (Flipped()) std::swap(start, end);
    const uint16_t function = r.Type() == kEmrChord ? META_CHORD : r.Type() == kEmrPie ? META_PIE : META_ARC;
    FOut.Append(function, WmfParams()
                              .I16(end.y).I16(end.x).I16(start.y).I16(start.x)
                              .I16(std::max(a.y, c.y)).I16(std::max(a.x, c.x)).I16(std::min(a.y, c.y)).I16(std::min(a.x, c.x)));
}

void EmfToWmf::Poly(const Record& r)
{
    const auto poly = EmrPoly::Read(r);
    if (!poly) return Damaged(r);
    if (poly->points.empty()) return;
    const bool small = r.Type() >= kEmrPolyBezier16;
    // The 16-bit forms in the order of the 32-bit ones: bezier, polygon, polyline, bezierto, polylineto.
    const uint32_t kind = small ? r.Type() - kEmrPolyBezier16 + kEmrPolyBezier : r.Type();
    std::vector<Pt> points;
    points.reserve(poly->points.size());
    for (const Point32& q : poly->points) points.push_back({static_cast<double>(q.x), static_cast<double>(q.y)});
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
    const auto poly = EmrPoly::Read(r);
    if (!poly) return Damaged(r);
    const bool polygon = r.Type() == kEmrPolyPolygon || r.Type() == kEmrPolyPolygon16;
    std::vector<Figure> figures;
    size_t at = 0;
    for (const uint32_t n : poly->counts) {
        Figure f;
        for (uint32_t k = 0; k < n; ++k) f.push_back(Map(poly->points[at + k].x, poly->points[at + k].y));
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
        const int32_t pen = FState.penSlot >= 0 ? FState.penSlot : StockSlot(gdi::STOCK_OBJECT | gdi::BLACK_PEN);
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
    const auto draw = EmrRegionDraw::Read(r);
    if (!draw) return Damaged(r);
    int32_t brush = -1;
    if (r.Type() == kEmrFillRgn || r.Type() == kEmrFrameRgn) {
        brush = SlotOf(draw->ihBrush);
        if (brush < 0) return;
    }
    const int32_t region = CreateRegion(draw->region);
    if (region < 0) return;
    const auto rg = static_cast<uint16_t>(region);
    switch (r.Type()) {
    case kEmrFillRgn: FOut.Append(META_FILLREGION, WmfParams().U16(rg).U16(static_cast<uint16_t>(brush))); break;
    case kEmrFrameRgn:
        FOut.Append(META_FRAMEREGION, WmfParams()
                                          .U16(rg)
                                          .U16(static_cast<uint16_t>(brush))
                                          .I16(LengthY(draw->stroke.cy))
                                          .I16(LengthX(draw->stroke.cx)));
        break;
    case kEmrInvertRgn: FOut.Append(META_INVERTREGION, WmfParams().U16(rg)); break;
    default: FOut.Append(META_PAINTREGION, WmfParams().U16(rg)); break;
    }
    FOut.Append(META_DELETEOBJECT, WmfParams().U16(rg));
    Free(region);
}

}  // namespace qrp::emf::wmf
