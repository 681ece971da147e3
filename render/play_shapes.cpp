// Lines, polygons, Béziers, rectangles, ellipses and arcs, with GDI's pixel rules: a
// rectangle or ellipse covers its box without the right and bottom edges, a line leaves
// out its last pixel, a polygon's outline runs through its vertices' pixels.
#include "render/player.h"

#include "emf/emr_types.h"
#include "emf/records_shapes.h"
#include "emf/records_state.h"

#include <cmath>
#include <numbers>

namespace qrp::render {

using namespace emf;
using namespace emf::gdi;

void Player::AddShapeHandlers(HandlerTable& t)
{
    t[kEmrMoveToEx] = &Player::OnMoveTo;
    t[kEmrLineTo] = &Player::OnLineTo;
    for (uint32_t type : {kEmrPolyBezier, kEmrPolygon, kEmrPolyline, kEmrPolyBezierTo, kEmrPolylineTo,
                          kEmrPolyPolyline, kEmrPolyPolygon, kEmrPolyDraw, kEmrPolyBezier16, kEmrPolygon16,
                          kEmrPolyline16, kEmrPolyBezierTo16, kEmrPolylineTo16, kEmrPolyPolyline16,
                          kEmrPolyPolygon16, kEmrPolyDraw16})
        t[type] = &Player::OnPoly;
    t[kEmrRectangle] = &Player::OnRectangle;
    t[kEmrRoundRect] = &Player::OnRoundRect;
    t[kEmrEllipse] = &Player::OnEllipse;
    t[kEmrArc] = &Player::OnArc;
    t[kEmrArcTo] = &Player::OnArc;
    t[kEmrChord] = &Player::OnArc;
    t[kEmrPie] = &Player::OnArc;
    t[kEmrAngleArc] = &Player::OnAngleArc;
    t[kEmrSetPixelV] = &Player::OnSetPixel;
}

bool Player::OnMoveTo(const Record& r)
{
    const auto p = EmrPoint::Read(r);
    if (!p) return false;
    FState.position = QPointF(p->point.x, p->point.y);
    if (FState.inPath) FState.path.moveTo(MapSnapped(p->point.x, p->point.y));
    return true;
}

bool Player::OnLineTo(const Record& r)
{
    const auto p = EmrPoint::Read(r);
    if (!p) return false;
    const QPointF previous = FState.position;
    FState.position = QPointF(p->point.x, p->point.y);
    if (!ShapesWanted()) return true;
    const QPointF from = MapSnapped(previous.x(), previous.y());
    const QPointF to = MapSnapped(p->point.x, p->point.y);
    if (FState.inPath) {
        if (FState.path.elementCount() == 0) FState.path.moveTo(from);
        FState.path.lineTo(to);
        return true;
    }
    QPainterPath line;
    line.moveTo(from);
    line.lineTo(to);
    StrokeOutline(line);
    return true;
}

namespace {

// The point a POLYLINETO or POLYBEZIERTO moves the current position to: the last point, or
// the end of the last whole curve; nullopt when the record draws nothing.
std::optional<size_t> LastPointDrawn(uint32_t type, size_t points)
{
    const bool bezier = type == kEmrPolyBezierTo || type == kEmrPolyBezierTo16;
    const size_t drawn = bezier ? points - points % 3 : points;
    if (drawn == 0) return std::nullopt;
    return drawn - 1;
}

bool MovesPosition(uint32_t type)
{
    return type == kEmrPolyBezierTo || type == kEmrPolyBezierTo16 || type == kEmrPolylineTo || type == kEmrPolylineTo16;
}

}  // namespace

bool Player::OnPoly(const Record& r)
{
    if (!EmrPoly::ReadInto(r, &FPolyRecord)) return false;
    const bool drawn = DrawPoly(r.Type(), FPolyRecord);
    // Only the buffers of ordinary records are kept: a huge one gives its memory back.
    constexpr size_t kKeptPoints = 1024;
    if (FPolyRecord.points.capacity() > kKeptPoints || FPolyRecord.counts.capacity() > kKeptPoints)
        FPolyRecord = EmrPoly{};
    return drawn;
}

bool Player::DrawPoly(uint32_t type, const EmrPoly& record)
{
    const EmrPoly* poly = &record;
    if (!ShapesWanted() && type != kEmrPolyDraw && type != kEmrPolyDraw16) {
        if (!MovesPosition(type)) return true;
        if (const auto last = LastPointDrawn(type, poly->points.size()))
            FState.position = QPointF(poly->points[*last].x, poly->points[*last].y);
        return true;
    }
    std::vector<QPointF> pts(poly->points.size());
    for (size_t i = 0; i < pts.size(); ++i) pts[i] = MapSnapped(poly->points[i].x, poly->points[i].y);

    QPainterPath path;
    bool fill = false;
    switch (type) {
    case kEmrPolygon:
    case kEmrPolygon16:
    case kEmrPolyPolygon:
    case kEmrPolyPolygon16: {
        fill = true;
        size_t at = 0;
        for (uint32_t count : poly->counts) {
            if (count >= 2) {
                path.moveTo(pts[at]);
                for (size_t i = 1; i < count; ++i) path.lineTo(pts[at + i]);
                path.closeSubpath();
            }
            at += count;
        }
        break;
    }
    case kEmrPolyline:
    case kEmrPolyline16:
    case kEmrPolyPolyline:
    case kEmrPolyPolyline16: {
        size_t at = 0;
        for (uint32_t count : poly->counts) {
            if (count >= 2) {
                path.moveTo(pts[at]);
                for (size_t i = 1; i < count; ++i) path.lineTo(pts[at + i]);
            }
            at += count;
        }
        break;
    }
    case kEmrPolyBezier:
    case kEmrPolyBezier16:
        if (pts.size() < 4) return true;
        path.moveTo(pts[0]);
        for (size_t i = 1; i + 2 < pts.size(); i += 3) path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
        break;
    case kEmrPolyBezierTo:
    case kEmrPolyBezierTo16:
    case kEmrPolylineTo:
    case kEmrPolylineTo16: {
        const auto last = LastPointDrawn(type, pts.size());
        if (!last) return true;
        const QPointF start = MapSnapped(FState.position.x(), FState.position.y());
        path.moveTo(start);
        if (type == kEmrPolyBezierTo || type == kEmrPolyBezierTo16) {
            for (size_t i = 0; i + 2 <= *last; i += 3) path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
        } else {
            for (const QPointF& p : pts) path.lineTo(p);
        }
        FState.position = QPointF(poly->points[*last].x, poly->points[*last].y);
        if (FState.inPath) {
            if (FState.path.elementCount() == 0 || FState.path.currentPosition() != start) FState.path.moveTo(start);
            for (int i = 1; i < path.elementCount(); ++i) {
                const QPainterPath::Element e = path.elementAt(i);
                if (e.type == QPainterPath::CurveToElement && i + 2 < path.elementCount()) {
                    const QPainterPath::Element c2 = path.elementAt(i + 1), end = path.elementAt(i + 2);
                    FState.path.cubicTo(QPointF(e.x, e.y), QPointF(c2.x, c2.y), QPointF(end.x, end.y));
                    i += 2;
                } else {
                    FState.path.lineTo(QPointF(e.x, e.y));
                }
            }
            return true;
        }
        break;
    }
    case kEmrPolyDraw:
    case kEmrPolyDraw16: {
        QPointF current = MapSnapped(FState.position.x(), FState.position.y());
        QPointF figureStart = current;
        path.moveTo(current);
        for (size_t i = 0; i < pts.size(); ++i) {
            const uint8_t kind = poly->types[i] & ~PT_CLOSEFIGURE;
            if (kind == PT_MOVETO) {
                path.moveTo(pts[i]);
                figureStart = pts[i];
            } else if (kind == PT_LINETO) {
                path.lineTo(pts[i]);
            } else if (kind == PT_BEZIERTO && i + 2 < pts.size()) {
                path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
                i += 2;
            } else {
                return false;
            }
            if (poly->types[i] & PT_CLOSEFIGURE) path.lineTo(figureStart);
            FState.position = QPointF(poly->points[i].x, poly->points[i].y);
        }
        break;
    }
    default: return false;
    }
    DrawShape(path, fill);
    return true;
}

QPainterPath Player::BoxOutline(const RectL& box, QRectF* pixels)
{
    QPainterPath outline;
    if (AxisAligned()) {
        const QPointF a = MapSnapped(box.left, box.top), b = MapSnapped(box.right, box.bottom);
        const double l = std::min(a.x(), b.x()), r = std::max(a.x(), b.x());
        const double t = std::min(a.y(), b.y()), bt = std::max(a.y(), b.y());
        // Filled, the box covers its pixels without the right and bottom edges; its outline
        // runs through the pixels of all four edges (GDI plays pictures in the advanced
        // graphics mode, where boxes are inclusive).
        *pixels = QRectF(l, t, r - l, bt - t);
        if (r - l < 1 || bt - t < 1) return outline;
        outline.addRect(QRectF(l, t, r - l, bt - t));
        return outline;
    }
    *pixels = QRectF();
    QPolygonF quad;
    for (const auto& [x, y] : {std::pair{box.left, box.top}, {box.right, box.top}, {box.right, box.bottom}, {box.left, box.bottom}})
        quad << MapSnapped(x, y);
    outline.addPolygon(quad);
    outline.closeSubpath();
    return outline;
}

bool Player::OnRectangle(const Record& r)
{
    const auto b = EmrBox::Read(r);
    if (!b) return false;
    if (!ShapesWanted()) return true;
    QRectF pixels;
    const QPainterPath outline = BoxOutline(b->box, &pixels);
    if (outline.isEmpty()) return true;
    QPainterPath area;
    if (pixels.isValid()) area.addRect(pixels);
    else area = outline;
    DrawShape(outline, true, &area);
    return true;
}

bool Player::OnRoundRect(const Record& r)
{
    const auto b = EmrRoundRect::Read(r);
    if (!b) return false;
    if (!ShapesWanted()) return true;
    QRectF pixels;
    const QPainterPath box = BoxOutline(b->box, &pixels);
    if (box.isEmpty()) return true;
    QPainterPath outline, area;
    if (pixels.isValid()) {
        const double rx = std::min(std::abs(b->corner.cx * ScaleX()) / 2, pixels.width() / 2);
        const double ry = std::min(std::abs(b->corner.cy * ScaleY()) / 2, pixels.height() / 2);
        outline.addRoundedRect(box.boundingRect(), rx, ry);
        area.addRoundedRect(pixels, rx, ry);
    } else {
        QPainterPath logical;
        logical.addRoundedRect(QRectF(QPointF(b->box.left, b->box.top), QPointF(b->box.right, b->box.bottom)).normalized(),
                               std::abs(b->corner.cx) / 2.0, std::abs(b->corner.cy) / 2.0);
        outline = Total().map(logical);
        area = outline;
    }
    DrawShape(outline, true, &area);
    return true;
}

bool Player::OnEllipse(const Record& r)
{
    const auto b = EmrBox::Read(r);
    if (!b) return false;
    if (!ShapesWanted()) return true;
    QRectF pixels;
    const QPainterPath box = BoxOutline(b->box, &pixels);
    if (box.isEmpty()) return true;
    QPainterPath outline, area;
    if (pixels.isValid()) {
        outline.addEllipse(box.boundingRect());
        area.addEllipse(pixels);
    } else {
        QPainterPath logical;
        logical.addEllipse(QRectF(QPointF(b->box.left, b->box.top), QPointF(b->box.right, b->box.bottom)).normalized());
        outline = Total().map(logical);
        area = outline;
    }
    DrawShape(outline, true, &area);
    return true;
}

namespace {

constexpr double kDegrees = 180.0 / std::numbers::pi;

// The parametric angle (degrees, counter-clockwise on the output) at which the radial from
// the centre of rect towards p meets the ellipse.
double RadialAngle(const QRectF& rect, const QPointF& p)
{
    const QPointF c = rect.center();
    const double rx = std::max(rect.width() / 2, 1e-9), ry = std::max(rect.height() / 2, 1e-9);
    return std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx) * kDegrees;
}

QPointF EllipsePoint(const QRectF& rect, double degrees)
{
    const double a = degrees / kDegrees;
    return QPointF(rect.center().x() + rect.width() / 2 * std::cos(a), rect.center().y() - rect.height() / 2 * std::sin(a));
}

}  // namespace

QPainterPath Player::ArcPath(const RectL& box, const Point32& start, const Point32& end, bool moveToStart,
                             QPointF* arcStart, QPointF* arcEnd)
{
    QRectF pixels;
    const QPainterPath boxOutline = BoxOutline(box, &pixels);
    const bool device = pixels.isValid();
    QRectF rect;
    QPointF s, e;
    if (device) {
        rect = boxOutline.boundingRect();
        s = Map(start.x, start.y);
        e = Map(end.x, end.y);
    } else {
        rect = QRectF(QPointF(box.left, box.top), QPointF(box.right, box.bottom)).normalized();
        s = QPointF(start.x, start.y);
        e = QPointF(end.x, end.y);
    }
    const double a0 = RadialAngle(rect, s), a1 = RadialAngle(rect, e);
    double sweep;
    // Directions are as seen on the output; a mirroring transform turns them round.
    bool clockwise = FState.arcDirection == AD_CLOCKWISE;
    if (!device && Total().determinant() > 0 && Total().m22() < 0) clockwise = !clockwise;
    if (!clockwise) {
        sweep = std::fmod(a1 - a0 + 720, 360);
        if (sweep <= 1e-9) sweep = 360;
    } else {
        sweep = -std::fmod(a0 - a1 + 720, 360);
        if (sweep >= -1e-9) sweep = -360;
    }
    QPainterPath path;
    const QPointF first = EllipsePoint(rect, a0);
    if (moveToStart) path.moveTo(first);
    path.arcTo(rect, a0, sweep);
    *arcStart = first;
    *arcEnd = EllipsePoint(rect, a0 + sweep);
    if (!device) {
        path = Total().map(path);
        *arcStart = Total().map(*arcStart);
        *arcEnd = Total().map(*arcEnd);
    }
    return path;
}

bool Player::OnArc(const Record& r)
{
    const auto a = EmrArc::Read(r);
    if (!a) return false;
    const uint32_t type = r.Type();
    if (!ShapesWanted() && type != kEmrArcTo) return true;
    QRectF pixels;
    if (BoxOutline(a->box, &pixels).isEmpty()) return true;
    QPointF arcStart, arcEnd;
    QPainterPath path = ArcPath(a->box, a->start, a->end, true, &arcStart, &arcEnd);
    if (type == kEmrArcTo) {
        QPainterPath withLine;
        withLine.moveTo(MapSnapped(FState.position.x(), FState.position.y()));
        withLine.lineTo(arcStart);
        withLine.connectPath(path);
        path = withLine;
        const QPointF logicalEnd = Total().inverted().map(arcEnd);
        FState.position = logicalEnd;
    }
    if (type == kEmrChord) path.closeSubpath();
    if (type == kEmrPie) {
        QPainterPath pie;
        const QPointF center = QRectF(path.boundingRect()).center();
        QRectF box;
        const QPainterPath outline = BoxOutline(a->box, &box);
        pie.moveTo(box.isValid() ? outline.boundingRect().center() : center);
        pie.lineTo(arcStart);
        pie.connectPath(path);
        pie.closeSubpath();
        path = pie;
    }
    const bool fill = type == kEmrChord || type == kEmrPie;
    const QPainterPath area = path.translated(0.5, 0.5);
    DrawShape(path, fill, &area);
    return true;
}

bool Player::OnAngleArc(const Record& r)
{
    const auto a = EmrAngleArc::Read(r);
    if (!a) return false;
    const double radius = std::min<double>(a->radius, 1 << 24);
    const QRectF rect(a->center.x - radius, a->center.y - radius, 2 * radius, 2 * radius);
    const double sweep = std::clamp<double>(a->sweepAngle, -3600, 3600);
    QPainterPath logical;
    logical.moveTo(FState.position);
    logical.arcTo(rect, a->startAngle, sweep);
    const QPointF end = logical.currentPosition();
    FState.position = end;
    if (!ShapesWanted()) return true;
    DrawShape(Total().map(logical), false);
    return true;
}

bool Player::OnSetPixel(const Record& r)
{
    const auto p = EmrSetPixel::Read(r);
    if (!p) return false;
    if (FState.inPath) return true;
    const QPointF at = MapSnapped(p->point.x, p->point.y);
    QPainterPath dot;
    dot.addRect(QRectF(at, QSizeF(1, 1)));
    SyncClip();
    DeviceFill(dot, QBrush(Color(p->color)), QPainter::CompositionMode_SourceOver);
    return true;
}

}  // namespace qrp::render
