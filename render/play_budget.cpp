#include "render/play_budget.h"

#include <algorithm>
#include <cmath>

namespace qrp::render {

namespace {

// Scan lines of window that the span from y0 to y1 crosses.
double RowsCrossed(double y0, double y1, const QRectF& window)
{
    const double lo = std::max(std::min(y0, y1), window.top());
    const double hi = std::min(std::max(y0, y1), window.bottom());
    return hi > lo ? hi - lo + 1 : 0;
}

double ClampedArea(const QRectF& box, const QRectF& window)
{
    const QRectF inside = box.intersected(window);
    return inside.isValid() ? (inside.width() + 1) * (inside.height() + 1) : 0;
}

uint64_t Units(double value) { return value >= 1e18 ? uint64_t{1} << 60 : static_cast<uint64_t>(value); }

}  // namespace

uint64_t FillCost(const QPainterPath& path, const QRectF& window, bool perPixel)
{
    const int n = path.elementCount();
    double rows = 0;
    QPointF start, previous;
    for (int i = 0; i < n; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const QPointF p(e.x, e.y);
        if (e.isMoveTo()) {
            rows += RowsCrossed(previous.y(), start.y(), window);
            start = p;
        } else {
            rows += RowsCrossed(previous.y(), p.y(), window);
        }
        previous = p;
    }
    rows += RowsCrossed(previous.y(), start.y(), window);
    double units = static_cast<double>(n) * PlayBudget::kPathElement + rows * PlayBudget::kEdgeRow;
    if (perPixel) units += ClampedArea(path.controlPointRect(), window);
    return Units(units);
}

uint64_t StrokeCost(const QPainterPath& path, const QRectF& window, double width, bool perPixel)
{
    const int n = path.elementCount();
    const double w = std::max(width, 1.0);
    const QRectF reach = window.adjusted(-w, -w, w, w);
    double length = 0;
    QPointF previous;
    for (int i = 0; i < n; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const QPointF p(e.x, e.y);
        double t0 = 0, t1 = 0;
        if (!e.isMoveTo() && ClipLine(previous, p, reach, &t0, &t1)) {
            const QPointF d = p - previous;
            length += std::hypot(d.x(), d.y()) * (t1 - t0);
        }
        previous = p;
    }
    // A wide pen is outlined, then filled: more work per element, and its area in pixels.
    double units = static_cast<double>(n) * PlayBudget::kPathElement * (w > 1 ? 4 : 1);
    units += perPixel ? length * w : length * PlayBudget::kEdgeRow;
    return Units(units);
}

bool ClipLine(const QPointF& a, const QPointF& b, const QRectF& window, double* t0, double* t1)
{
    double lo = 0, hi = 1;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - window.left(), window.right() - a.x(), a.y() - window.top(), window.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) lo = std::max(lo, t);
        else hi = std::min(hi, t);
        if (lo > hi) return false;
    }
    *t0 = lo;
    *t1 = hi;
    return true;
}

QRegion PolygonsRegion(const std::vector<QPolygonF>& polygons, Qt::FillRule rule, const QRect& window,
                       PlayBudget& budget)
{
    struct Edge {
        double top, bottom;  // the edge covers scan line centres in [top, bottom)
        double x, slope;     // x at y = top; dx per unit of y
        int direction;
    };
    std::vector<Edge> edges;
    double minY = 1e300, maxY = -1e300;
    for (const QPolygonF& polygon : polygons) {
        const qsizetype n = polygon.size();
        if (!budget.Spend(static_cast<uint64_t>(n) * PlayBudget::kPathElement)) return {};
        for (qsizetype i = 0; i < n; ++i) {
            QPointF a = polygon[i], b = polygon[(i + 1) % n];
            if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) || !std::isfinite(b.y())) continue;
            if (a.y() == b.y()) continue;
            int direction = 1;
            if (a.y() > b.y()) {
                std::swap(a, b);
                direction = -1;
            }
            // Edges that end above the window or start below it cross none of its rows.
            if (b.y() <= window.top() || a.y() >= window.bottom() + 1.0) continue;
            const double slope = (b.x() - a.x()) / (b.y() - a.y());
            edges.push_back({a.y(), b.y(), a.x(), slope, direction});
            minY = std::min(minY, a.y());
            maxY = std::max(maxY, b.y());
        }
    }
    if (edges.empty()) return {};
    std::sort(edges.begin(), edges.end(), [](const Edge& l, const Edge& r) { return l.top < r.top; });

    const int firstRow = static_cast<int>(std::max<double>(window.top(), std::floor(minY - 0.5)));
    const int lastRow = static_cast<int>(std::min<double>(window.bottom(), std::ceil(maxY)));
    std::vector<QRect> rects;
    std::vector<std::pair<int, int>> spans, previousSpans;
    size_t bandStart = 0;  // first rect of the previous row's band
    std::vector<size_t> active;
    std::vector<std::pair<double, int>> crossings;
    size_t next = 0;
    for (int row = firstRow; row <= lastRow; ++row) {
        const double yc = row + 0.5;
        while (next < edges.size() && edges[next].top <= yc) active.push_back(next++);
        std::erase_if(active, [&](size_t e) { return edges[e].bottom <= yc; });
        if (!budget.Spend(active.size() * PlayBudget::kEdgeRow + 1)) return {};
        crossings.clear();
        for (size_t e : active) {
            const Edge& edge = edges[e];
            if (edge.top > yc) continue;
            crossings.emplace_back(edge.x + (yc - edge.top) * edge.slope, edge.direction);
        }
        std::sort(crossings.begin(), crossings.end());
        spans.clear();
        int winding = 0;
        for (size_t i = 0; i + 1 < crossings.size(); ++i) {
            winding += rule == Qt::WindingFill ? crossings[i].second : 1;
            const bool inside = rule == Qt::WindingFill ? winding != 0 : (winding & 1) != 0;
            if (!inside) continue;
            // Pixel x is inside when its centre x + 0.5 is.
            const double from = std::ceil(std::clamp(crossings[i].first - 0.5, -1e9, 1e9));
            const double to = std::ceil(std::clamp(crossings[i + 1].first - 0.5, -1e9, 1e9));
            const int left = static_cast<int>(std::max<double>(from, window.left()));
            const int right = static_cast<int>(std::min<double>(to, window.right() + 1.0));
            if (right <= left) continue;
            if (!spans.empty() && spans.back().second >= left) spans.back().second = std::max(spans.back().second, right);
            else spans.emplace_back(left, right);
        }
        if (!spans.empty() && spans == previousSpans) {
            for (size_t i = bandStart; i < rects.size(); ++i) rects[i].setBottom(row);
            continue;
        }
        bandStart = rects.size();
        for (const auto& [left, right] : spans) rects.emplace_back(QPoint(left, row), QPoint(right - 1, row));
        previousSpans = spans;
    }
    QRegion region;
    if (!rects.empty()) region.setRects(rects.data(), static_cast<int>(rects.size()));
    return region;
}

QRegion RectsRegion(std::vector<QRect> rects, const QRect& window, PlayBudget& budget)
{
    if (!budget.Spend(rects.size() * PlayBudget::kRegionRect)) return {};
    std::vector<QRegion> regions;
    regions.reserve(rects.size());
    for (const QRect& r : rects) {
        const QRect inside = r.intersected(window);
        if (!inside.isEmpty()) regions.emplace_back(inside);
    }
    return UniteRegions(std::move(regions), budget);
}

QRegion UniteRegions(std::vector<QRegion> level, PlayBudget& budget)
{
    while (level.size() > 1) {
        std::vector<QRegion> merged;
        merged.reserve(level.size() / 2 + 1);
        for (size_t i = 0; i + 1 < level.size(); i += 2) {
            merged.push_back(level[i] | level[i + 1]);
            if (!budget.Spend(static_cast<uint64_t>(merged.back().rectCount()) * PlayBudget::kRegionRect)) return {};
        }
        if (level.size() % 2) merged.push_back(level.back());
        level = std::move(merged);
    }
    return level.empty() ? QRegion() : level.front();
}

}  // namespace qrp::render
