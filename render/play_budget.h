// The work one picture may cost, and the geometry that keeps work sized by the output
// rather than by the file: clipping to the drawable window before any per-pixel step, and
// region building that visits only the window's rows.
//
// Work is counted in units of roughly a nanosecond on an ordinary desktop: a pixel
// filled, a fraction of an edge crossing a scan line, a path element. A page that asks for
// more than PlayBudget::kPageUnits stops playing ("picture too complex") and keeps what it
// drew; no real page comes near it.
#pragma once

#include <QPainterPath>
#include <QPolygonF>
#include <QRect>
#include <QRegion>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace qrp::render {

class PlayBudget {
public:
    static constexpr uint64_t kPageUnits = uint64_t{1500} * 1000 * 1000;

    // What one step costs, in units.
    static constexpr uint64_t kRecord = 50;
    static constexpr uint64_t kPathElement = 30;
    static constexpr uint64_t kEdgeRow = 4;      // one edge crossing one scan line
    static constexpr uint64_t kRegionRect = 60;
    static constexpr uint64_t kDecodedPixel = 3;
    static constexpr uint64_t kImagePixel = 4;   // a pixel of an image drawn magnified, turned or combined
    static constexpr uint64_t kDash = 200;       // one dash of a wide pen, outlined and filled
    static constexpr uint64_t kGlyph = 500;      // placing a glyph, finding its image
    static constexpr uint64_t kGlyphPixel = 20;  // a pixel of a glyph's box, rasterised

    explicit PlayBudget(uint64_t units = kPageUnits)
        : FLimit(std::min(units, UINT64_MAX - 1)), FLeft(FLimit + 1) {}

    // Counts units; false once the page has spent more than its budget (and from then on).
    bool Spend(uint64_t units)
    {
        if (units >= FLeft) {
            FLeft = 0;
            return false;
        }
        FLeft -= units;
        return true;
    }
    bool Exhausted() const { return FLeft == 0; }
    // The units spent, at most the budget and one.
    uint64_t Spent() const { return FLimit + 1 - FLeft; }

private:
    uint64_t FLimit;
    // One more than the units left to spend: 0 once more than the budget was asked for.
    uint64_t FLeft;
};

// The work of filling path on a raster of window's rows: elements, and every edge's
// crossings with the window's scan lines (curves counted by their control polygon); with
// perPixel, also the pixels of the path's bounding box inside window.
uint64_t FillCost(const QPainterPath& path, const QRectF& window, bool perPixel);
// The work of stroking path with a pen width pixels wide.
uint64_t StrokeCost(const QPainterPath& path, const QRectF& window, double width, bool perPixel);

// The pixels whose centres lie inside the polygons (each closed, together under rule),
// within window: only window's rows are scanned. Spends kEdgeRow per edge and row
// scanned; returns an empty region once the budget is exhausted.
QRegion PolygonsRegion(const std::vector<QPolygonF>& polygons, Qt::FillRule rule, const QRect& window,
                       PlayBudget& budget);

// The union of rects, clipped to window, in O(n log n) region merges.
QRegion RectsRegion(std::vector<QRect> rects, const QRect& window, PlayBudget& budget);
QRegion UniteRegions(std::vector<QRegion> regions, PlayBudget& budget);

// The part of the line from a to b inside window (Liang-Barsky), as parameters along it:
// false when it misses window.
bool ClipLine(const QPointF& a, const QPointF& b, const QRectF& window, double* t0, double* t1);

}  // namespace qrp::render
