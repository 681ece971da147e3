// The path bracket, clipping (clip rectangles, regions, the clip path, the meta region) and
// region drawing.
#include "render/player.h"

#include "emf/emr_types.h"
#include "emf/records_regions.h"
#include "emf/records_state.h"

#include <QPainterPathStroker>

#include <cmath>

namespace qrp::render {

using namespace emf;
using namespace emf::gdi;

namespace {

const QRegion& Whole()
{
    static const QRegion whole(QRect(-(1 << 23), -(1 << 23), 1 << 24, 1 << 24));
    return whole;
}

}  // namespace

void Player::AddPathHandlers(HandlerTable& t)
{
    t[kEmrBeginPath] = &Player::OnBeginPath;
    t[kEmrEndPath] = &Player::OnEndPath;
    t[kEmrAbortPath] = &Player::OnAbortPath;
    t[kEmrCloseFigure] = &Player::OnCloseFigure;
    t[kEmrFillPath] = &Player::OnFillPath;
    t[kEmrStrokePath] = &Player::OnStrokePath;
    t[kEmrStrokeAndFillPath] = &Player::OnStrokeAndFillPath;
    t[kEmrFlattenPath] = &Player::OnFlattenPath;
    t[kEmrWidenPath] = &Player::OnWidenPath;
    t[kEmrSelectClipPath] = &Player::OnSelectClipPath;
    t[kEmrIntersectClipRect] = &Player::OnIntersectClipRect;
    t[kEmrExcludeClipRect] = &Player::OnExcludeClipRect;
    t[kEmrOffsetClipRgn] = &Player::OnOffsetClipRgn;
    t[kEmrExtSelectClipRgn] = &Player::OnExtSelectClipRgn;
    t[kEmrSetMetaRgn] = &Player::OnSetMetaRgn;
    t[kEmrFillRgn] = &Player::OnRegionDraw;
    t[kEmrFrameRgn] = &Player::OnRegionDraw;
    t[kEmrInvertRgn] = &Player::OnRegionDraw;
    t[kEmrPaintRgn] = &Player::OnRegionDraw;
}

bool Player::OnBeginPath(const Record&)
{
    FState.inPath = true;
    FState.pathDone = false;
    FState.path = QPainterPath();
    return true;
}

bool Player::OnEndPath(const Record&)
{
    if (!FState.inPath) return true;
    FState.inPath = false;
    FState.pathDone = true;
    return true;
}

bool Player::OnAbortPath(const Record&)
{
    FState.inPath = false;
    FState.pathDone = false;
    FState.path = QPainterPath();
    return true;
}

bool Player::OnCloseFigure(const Record&)
{
    if (FState.inPath) FState.path.closeSubpath();
    return true;
}

QPainterPath Player::FinishedPath()
{
    // A closed path is used once; an open bracket cannot be used at all.
    if (FState.inPath || !FState.pathDone) return QPainterPath();
    QPainterPath path = std::move(FState.path);
    FState.path = QPainterPath();
    FState.pathDone = false;
    path.setFillRule(FState.fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    return path;
}

bool Player::OnFillPath(const Record&)
{
    const QPainterPath path = FinishedPath();
    if (!path.isEmpty()) FillArea(path);
    return true;
}

bool Player::OnStrokePath(const Record&)
{
    const QPainterPath path = FinishedPath();
    if (!path.isEmpty()) StrokeOutline(path);
    return true;
}

bool Player::OnStrokeAndFillPath(const Record&)
{
    const QPainterPath path = FinishedPath();
    if (path.isEmpty()) return true;
    FillArea(path);
    StrokeOutline(path);
    return true;
}

bool Player::OnFlattenPath(const Record&)
{
    if (FState.inPath || !FState.pathDone) return true;
    QPainterPath flat;
    for (const QPolygonF& polygon : FState.path.toSubpathPolygons()) {
        if (polygon.isEmpty()) continue;
        flat.moveTo(polygon.front());
        for (qsizetype i = 1; i < polygon.size(); ++i) flat.lineTo(polygon[i]);
    }
    FState.path = flat;
    return true;
}

bool Player::OnWidenPath(const Record&)
{
    if (FState.inPath || !FState.pathDone || PenIsNull()) return true;
    const QPen pen = MakePen(PenWidthOut());
    QPainterPathStroker stroker;
    stroker.setWidth(std::max(pen.widthF(), 1.0));
    stroker.setCapStyle(pen.capStyle());
    stroker.setJoinStyle(pen.joinStyle());
    stroker.setMiterLimit(pen.miterLimit());
    QPainterPath widened = stroker.createStroke(FState.path);
    widened.setFillRule(Qt::WindingFill);
    FState.path = widened;
    return true;
}

void Player::CombineClip(const QRegion& region, uint32_t mode)
{
    std::optional<QRegion>& clip = FState.clip;
    switch (mode) {
    case RGN_AND: clip = clip ? (*clip & region) : region; break;
    case RGN_OR:
        if (clip) clip = *clip | region;
        break;
    case RGN_XOR: clip = (clip ? *clip : Whole()) ^ region; break;
    case RGN_DIFF: clip = (clip ? *clip : Whole()) - region; break;
    case RGN_COPY: clip = region; break;
    default: break;
    }
}

bool Player::OnSelectClipPath(const Record& r)
{
    const auto v = EmrValue::Read(r);
    if (!v) return false;
    const QPainterPath path = FinishedPath();
    if (path.isEmpty() && v->value != RGN_COPY) return true;
    const QList<QPolygonF> polygons = path.toSubpathPolygons();
    CombineClip(PolygonsRegion(std::vector<QPolygonF>(polygons.begin(), polygons.end()), path.fillRule(), RegionWindow(), FBudget),
                v->value);
    return true;
}

QRegion Player::LogicalRectRegion(const RectL& rect)
{
    if (AxisAligned()) {
        const QPointF a = MapSnapped(rect.left, rect.top), b = MapSnapped(rect.right, rect.bottom);
        const QRectF pixels = QRectF(a, b).normalized() & QRectF(RegionWindow());
        return pixels.isEmpty() ? QRegion() : QRegion(pixels.toRect());
    }
    QPolygonF quad;
    for (const auto& [x, y] : {std::pair{rect.left, rect.top}, {rect.right, rect.top}, {rect.right, rect.bottom}, {rect.left, rect.bottom}})
        quad << MapSnapped(x, y);
    return PolygonsRegion({quad}, Qt::OddEvenFill, RegionWindow(), FBudget);
}

bool Player::OnIntersectClipRect(const Record& r)
{
    const auto b = EmrBox::Read(r);
    if (!b) return false;
    CombineClip(LogicalRectRegion(b->box), RGN_AND);
    return true;
}

bool Player::OnExcludeClipRect(const Record& r)
{
    const auto b = EmrBox::Read(r);
    if (!b) return false;
    CombineClip(LogicalRectRegion(b->box), RGN_DIFF);
    return true;
}

bool Player::OnOffsetClipRgn(const Record& r)
{
    const auto p = EmrPoint::Read(r);
    if (!p) return false;
    if (!FState.clip) return true;
    const QPointF offset = Map(p->point.x, p->point.y) - Map(0, 0);
    FState.clip->translate(static_cast<int>(std::lround(std::clamp(offset.x(), -1e7, 1e7))),
                           static_cast<int>(std::lround(std::clamp(offset.y(), -1e7, 1e7))));
    return true;
}

bool Player::OnExtSelectClipRgn(const Record& r)
{
    const auto s = EmrExtSelectClipRgn::Read(r);
    if (!s) return false;
    if (!s->region) {
        FState.clip.reset();
        return true;
    }
    // The region is in the reference device's pixels: only the playback mapping applies.
    const QRectF window(RegionWindow());
    std::vector<QRect> rects;
    rects.reserve(s->region->rects.size());
    for (const RectL& rect : s->region->rects) {
        const QPointF a = Snap(FPlayback.map(QPointF(rect.left, rect.top)));
        const QPointF b = Snap(FPlayback.map(QPointF(rect.right, rect.bottom)));
        const QRectF pixels = QRectF(a, b).normalized() & window;
        if (!pixels.isEmpty()) rects.push_back(pixels.toRect());
    }
    CombineClip(RectsRegion(std::move(rects), RegionWindow(), FBudget), s->mode);
    return true;
}

bool Player::OnSetMetaRgn(const Record&)
{
    if (FState.clip) FState.metaClip = FState.metaClip ? (*FState.metaClip & *FState.clip) : *FState.clip;
    FState.clip.reset();
    return true;
}

bool Player::OnRegionDraw(const Record& r)
{
    const auto d = EmrRegionDraw::Read(r);
    if (!d) return false;
    std::vector<QRegion> parts;
    parts.reserve(d->region.rects.size());
    for (const RectL& rect : d->region.rects) {
        if (FBudget.Exhausted()) return true;
        QRegion part = LogicalRectRegion(rect);
        if (!part.isEmpty()) parts.push_back(std::move(part));
    }
    QRegion region = UniteRegions(std::move(parts), FBudget);
    const uint32_t type = r.Type();
    const BrushObject* brush = FState.brush.get();
    std::shared_ptr<const BrushObject> held;
    if (type == kEmrFillRgn || type == kEmrFrameRgn) {
        if (d->ihBrush & STOCK_OBJECT) held = StockObjectAt(d->ihBrush & ~STOCK_OBJECT).brush;
        else if (GdiObject* slot = ObjectAt(d->ihBrush)) held = slot->brush;
        brush = held.get();
        if (!brush) return true;
    }
    if (type == kEmrFrameRgn) {
        const int w = static_cast<int>(std::lround(std::clamp(std::abs(d->stroke.cx) * ScaleX(), 1.0, 1e4)));
        const int h = static_cast<int>(std::lround(std::clamp(std::abs(d->stroke.cy) * ScaleY(), 1.0, 1e4)));
        const QRegion inner = region.translated(w, 0) & region.translated(-w, 0) & region.translated(0, h) &
                              region.translated(0, -h);
        region -= inner;
    }
    QPainterPath path;
    path.addRegion(region);
    if (type == kEmrInvertRgn) {
        SyncClip();
        DeviceFill(path, QBrush(Qt::white), QPainter::RasterOp_NotDestination);
        return true;
    }
    FillAreaWith(path, brush);
    return true;
}

}  // namespace qrp::render
