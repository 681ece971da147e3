#include "render/dash_clip.h"

#include "render/play_budget.h"

#include <cmath>

namespace qrp::render {

namespace {

double Distance(const QPointF& a, const QPointF& b) { return std::hypot(b.x() - a.x(), b.y() - a.y()); }

bool Inside(const QRectF& box, const QRectF& window)
{
    return box.left() >= window.left() && box.right() <= window.right() && box.top() >= window.top() &&
           box.bottom() <= window.bottom();
}

// Walks the segments of one subpath, keeping what lies inside the window.
class DashClipper {
public:
    DashClipper(const QRectF& window, double period, QPainterPath& out, double& length)
        : FWindow(window), FPeriod(period), FOut(out), FLength(length)
    {
    }

    void Start(const QPointF& p)
    {
        FAt = p;
        FWalked = 0;
        FDrawing = false;
    }

    void Line(const QPointF& b)
    {
        const QPointF a = FAt;
        const double along = Distance(a, b);
        double t0 = 0, t1 = 0;
        if (along > 0 && ClipLine(a, b, FWindow, &t0, &t1)) {
            const QPointF step = (b - a) / along;
            const QPointF exit = t1 >= 1 ? b : a + step * (t1 * along);
            if (!FDrawing || t0 > 0) {
                // Back to where the pattern starts again before the entry point.
                const double entry = t0 * along;
                const double back = std::fmod(FWalked + entry, FPeriod);
                FOut.moveTo(a + step * (entry - back));
                FLength += back;
            }
            FOut.lineTo(exit);
            FLength += (t1 - t0) * along;
            FDrawing = t1 >= 1;
        } else {
            FDrawing = false;
        }
        FWalked += along;
        FAt = b;
    }

    void Curve(const QPointF& c1, const QPointF& c2, const QPointF& end)
    {
        // Flattened as the dasher flattens curves (to a quarter of a pixel: half a pixel at
        // twice the size), so that lengths along it agree with the dasher's.
        QPainterPath curve(FAt * 2);
        curve.cubicTo(c1 * 2, c2 * 2, end * 2);
        for (const QPolygonF& flat : curve.toSubpathPolygons())
            for (qsizetype i = 1; i < flat.size(); ++i) Line(flat[i] / 2);
        FAt = end;
    }

private:
    const QRectF FWindow;
    const double FPeriod;
    QPainterPath& FOut;
    double& FLength;
    QPointF FAt;
    double FWalked = 0;     // along the subpath so far
    bool FDrawing = false;  // the output's current stretch reaches FAt
};

// The outline's length, curves measured by their control polygons.
double OutlineLength(const QPainterPath& path)
{
    double length = 0;
    QPointF previous;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const QPointF p(e.x, e.y);
        if (!e.isMoveTo()) length += Distance(previous, p);
        previous = p;
    }
    return length;
}

}  // namespace

QPainterPath ClipForDashing(const QPainterPath& path, const QRectF& window, double period, double* length)
{
    if (!(period > 0) || !std::isfinite(period) || Inside(path.controlPointRect(), window)) {
        *length = OutlineLength(path);
        return path;
    }
    *length = 0;
    QPainterPath out;
    out.setFillRule(path.fillRule());
    DashClipper clipper(window, period, out, *length);
    const int n = path.elementCount();
    for (int i = 0; i < n; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const QPointF p(e.x, e.y);
        if (e.isMoveTo()) {
            clipper.Start(p);
        } else if (e.isLineTo()) {
            clipper.Line(p);
        } else if (e.isCurveTo() && i + 2 < n) {
            const QPainterPath::Element c2 = path.elementAt(i + 1), end = path.elementAt(i + 2);
            clipper.Curve(p, QPointF(c2.x, c2.y), QPointF(end.x, end.y));
            i += 2;
        }
    }
    return out;
}

}  // namespace qrp::render
