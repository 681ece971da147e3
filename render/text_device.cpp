#include "render/text_device.h"

#include "render/player.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

namespace qrp::render {

namespace {

// No page holds this many characters; a crafted picture repeating text stops here.
constexpr size_t kMaxCharacters = 1'000'000;
// The characters of a full report page, about.
constexpr qsizetype kPageCharacters = 2048;
// The playback rectangle is in tenths of a millimetre, at most this many on a side.
constexpr int kMaxTenths = 100'000;

// Whether the centre of the interval (start, start + size) lies within 0 to limit; a NaN
// centre does not.
bool Centred(double start, double size, double limit)
{
    const double centre = start + size / 2;
    return centre >= 0 && centre <= limit;
}

bool CentredOnPage(const QRectF& box, const QSizeF& page)
{
    return Centred(box.x(), box.width(), page.width()) && Centred(box.y(), box.height(), page.height());
}

// Along one axis: the union of intervals (start, start + size). Min and max keep their first
// operand against a NaN: a NaN in the first interval stays, a later one is passed over.
class Reach {
public:
    Reach(double start, double size) : FLow(start), FHigh(start + size), FLeastSize(size), FEnds(start + size) {}
    void Add(double start, double size)
    {
        AddUnsigned(start, size);
        FLeastSize = std::min(FLeastSize, size);
    }
    // Add for a size known not to be negative (a NaN one shows in the ends' sum).
    void AddUnsigned(double start, double size)
    {
        const double end = start + size;
        FLow = std::min(FLow, start);
        FHigh = std::max(FHigh, end);
        FEnds += end;
    }
    double Low() const { return FLow; }
    double High() const { return FHigh; }
    // True when every interval surely has its centre within 0 to limit (Centred): none holds
    // a NaN (their ends' sum is a number), none is of negative size, and their union lies
    // within. Then each centre lies between its start and its end. False when unsure.
    bool SurelyCentred(double limit) const
    {
        return !std::isnan(FEnds) && FLeastSize >= 0 && FLow >= 0 && FHigh <= limit;
    }

private:
    double FLow, FHigh, FLeastSize, FEnds;
};

// The union of boxes.
struct Extent {
    Reach across, down;
    explicit Extent(const QRectF& first) : across(first.x(), first.width()), down(first.y(), first.height()) {}
    Extent(const Reach& horizontal, const Reach& vertical) : across(horizontal), down(vertical) {}
    void Add(const QRectF& box)
    {
        across.Add(box.x(), box.width());
        down.Add(box.y(), box.height());
    }
    QRectF Bounds() const
    {
        return QRectF(across.Low(), down.Low(), across.High() - across.Low(), down.High() - down.Low());
    }
    // See Reach::SurelyCentred.
    bool SurelyOnPage(const QSizeF& page) const
    {
        return across.SurelyCentred(page.width()) && down.SurelyCentred(page.height());
    }
};

// The cell of a glyph at origin whose successor is at next: from its origin to the next
// glyph's along the baseline, from the ascent above it to the descent below.
QRectF UprightCell(const QPointF& origin, const QPointF& next, double ascent, double descent)
{
    const double right = next.x();
    return QRectF(QPointF(std::min(origin.x(), right), origin.y() - ascent),
                  QPointF(std::max(origin.x(), right), origin.y() + descent));
}

// The same on a baseline along the unit vector along, up being its normal above it: the
// cell's four corners and the upright box around them.
QRectF TurnedCell(const QPointF& origin, const QPointF& next, double ascent, double descent, const QPointF& along,
                  const QPointF& up)
{
    const QPointF d = next - origin;
    const double length = d.x() * along.x() + d.y() * along.y();
    const QPointF corners[4] = {origin + up * ascent, origin + up * ascent + along * length,
                                origin - up * descent + along * length, origin - up * descent};
    double left = corners[0].x(), right = left, top = corners[0].y(), bottom = top;
    for (const QPointF& c : corners) {
        left = std::min(left, c.x());
        right = std::max(right, c.x());
        top = std::min(top, c.y());
        bottom = std::max(bottom, c.y());
    }
    return QRectF(left, top, right - left, bottom - top);
}

// Gives out the union of its boxes, extent, and tells whether each box surely centres on
// the page (Reach::SurelyCentred).
inline bool Placed(const Extent& extent, const std::optional<QSizeF>& page, PageTextRun& out)
{
    out.bounds = extent.Bounds();
    return !page || extent.SurelyOnPage(*page);
}

// Appends the cells of run's characters to boxes (one per unit), scaled by sx, sy.
// cellOf(origin, next): the cell of a glyph at origin whose successor is at next. One glyph
// per code point: a surrogate pair shares its glyph's cell, units past the last glyph take
// its cell. The extent is a local, built up in registers: boxes may not alias it. Sets
// out's bounds and returns Placed's answer.
template <class CellOf>
bool PlaceCells(const GlyphRun& run, CellOf cellOf, double sx, double sy, std::vector<QRectF>& boxes,
                const std::optional<QSizeF>& page, PageTextRun& out)
{
    const size_t count = static_cast<size_t>(run.text.size());
    const QChar* units = run.text.constData();
    const QPointF* positions = run.positions.data();
    const size_t last = run.positions.size() - 1;
    auto box = [&](size_t g) {
        const QRectF c = cellOf(positions[g], g < last ? positions[g + 1] : run.end);
        return QRectF(c.x() * sx, c.y() * sy, c.width() * sx, c.height() * sy);
    };
    Extent extent(boxes.emplace_back(box(0)));
    size_t glyph = units[0].isHighSurrogate() ? 0 : 1;
    for (size_t i = 1; i < count; ++i) {
        extent.Add(boxes.emplace_back(box(std::min(glyph, last))));
        if (!units[i].isHighSurrogate()) ++glyph;
    }
    return Placed(extent, page, out);
}

// PlaceCells for upright glyphs when unit i is glyph i (no surrogate pair, a glyph for
// every unit): while each origin lies on the first one's baseline, to the bit, every cell
// has the first one's top and height and only the horizontal is worked out. None when an
// origin leaves that baseline or sx is not a number of at least 0, and boxes as they were.
std::optional<bool> PlaceOnOneBaseline(const GlyphRun& run, double ascent, double descent, double sx, double sy,
                                       std::vector<QRectF>& boxes, const std::optional<QSizeF>& page, PageTextRun& out)
{
    if (!(sx >= 0)) return std::nullopt;
    const size_t count = static_cast<size_t>(run.text.size());
    const QPointF* positions = run.positions.data();
    const size_t last = run.positions.size() - 1;
    const QRectF first = UprightCell(positions[0], 0 < last ? positions[1] : run.end, ascent, descent);
    const size_t before = boxes.size();
    const QRectF firstBox = boxes.emplace_back(first.x() * sx, first.y() * sy, first.width() * sx, first.height() * sy);
    const double top = firstBox.y(), height = firstBox.height();
    const auto baseline = std::bit_cast<quint64>(positions[0].y());
    Reach across(firstBox.x(), firstBox.width());
    for (size_t i = 1; i < count; ++i) {
        if (std::bit_cast<quint64>(positions[i].y()) != baseline) {
            boxes.resize(before);
            return std::nullopt;
        }
        const double left = positions[i].x(), right = i < last ? positions[i + 1].x() : run.end.x();
        const double x = std::min(left, right) * sx, width = (std::max(left, right) - std::min(left, right)) * sx;
        boxes.emplace_back(x, top, width, height);
        across.AddUnsigned(x, width);  // max - min, times sx of at least 0: never negative
    }
    const Extent extent(across, Reach(top, height));
    return Placed(extent, page, out);
}

// Appends to kept each stretch of run whose cells centre on the page as a run of its own.
void KeepOnThePage(const PageTextRun& run, std::span<const QRectF> boxes, const QSizeF& page,
                   std::vector<PageTextRun>& kept)
{
    auto inside = [&](const QRectF& box) { return CentredOnPage(box, page); };
    for (size_t i = 0; i < boxes.size();) {
        if (!inside(boxes[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < boxes.size() && inside(boxes[end])) ++end;
        PageTextRun& piece = kept.emplace_back(run);
        piece.first = run.first + static_cast<qsizetype>(i);
        piece.length = static_cast<qsizetype>(end - i);
        piece.origin = i == 0 ? run.origin : QPointF(boxes[i].left(), run.origin.y());
        if (piece.length != run.length) piece.bounds.reset();
        i = end;
    }
}

}  // namespace

QRectF PageTextRuns::BoxesBounds(const PageTextRun& run) const
{
    const std::span<const QRectF> cells = Boxes(run);
    if (cells.empty()) return {};
    Extent extent(cells.front());
    for (const QRectF& b : cells.subspan(1)) extent.Add(b);
    return extent.Bounds();
}

TextDevice::TextDevice(double scaleX, double scaleY, std::optional<QSizeF> page)
    : FScaleX(scaleX), FScaleY(scaleY), FPageSize(page)
{
    // Room for a full page of report text, so that the buffers rarely grow while it plays.
    FPage.text.reserve(kPageCharacters);
    FPage.boxes.reserve(kPageCharacters);
    FPage.runs.reserve(kPageCharacters / 8);
}

void TextDevice::DrawGlyphs(const GlyphRun& run)
{
    // Glyph indices say nothing reliable about the characters.
    if (run.textIsGlyphs || run.positions.empty() || run.text.isEmpty()) return;
    if (FPage.boxes.size() >= kMaxCharacters) return;

    const auto first = static_cast<qsizetype>(FPage.text.size());
    const qsizetype length = run.text.size();
    // A copy: the player refills its run.
    FPage.text.append(QStringView(run.text).utf16(), static_cast<size_t>(length));

    const bool printable = std::all_of(run.text.begin(), run.text.end(), PrintableLatin1);
    if (!(run.font == FFont)) {
        FFont = run.font;
        FAscent = FFont.ascent();
        FDescent = FFont.descent();
        FPixelSize = FFont.pixelSize();
    }
    const double ascent = FAscent, descent = FDescent;
    std::vector<QRectF>& boxes = FPage.boxes;
    // Made in place: a run made aside and copied in is read back before its stores land.
    PageTextRun& out = FPage.runs.emplace_back();
    out.first = first;
    out.length = length;
    out.origin = QPointF(run.positions.front().x() * FScaleX, run.positions.front().y() * FScaleY);
    out.height = FPixelSize * FScaleY;
    out.angle = run.angle;
    out.printable = printable;
    const bool surelyOnPage = [&] {
        if (run.angle == 0) {
            const bool glyphPerUnit =
                run.positions.size() >= static_cast<size_t>(length) &&
                (printable || std::none_of(run.text.begin(), run.text.end(), [](QChar c) { return c.isHighSurrogate(); }));
            if (glyphPerUnit) {
                if (const auto plain = PlaceOnOneBaseline(run, ascent, descent, FScaleX, FScaleY, boxes, FPageSize, out))
                    return *plain;
            }
            const auto cellOf = [&](const QPointF& origin, const QPointF& next) {
                return UprightCell(origin, next, ascent, descent);
            };
            return PlaceCells(run, cellOf, FScaleX, FScaleY, boxes, FPageSize, out);
        }
        const double a = run.angle * std::numbers::pi / 180.0;
        const QPointF along(std::cos(a), std::sin(a));
        const QPointF up(along.y(), -along.x());
        const auto cellOf = [&](const QPointF& origin, const QPointF& next) {
            return TurnedCell(origin, next, ascent, descent, along, up);
        };
        return PlaceCells(run, cellOf, FScaleX, FScaleY, boxes, FPageSize, out);
    }();
    if (surelyOnPage) return;
    // A run that may leave the page (rare) is looked at cell by cell.
    const PageTextRun whole = out;
    FPage.runs.pop_back();
    KeepOnThePage(whole, FPage.Boxes(whole), *FPageSize, FPage.runs);
}

PageTextRuns PictureTextRuns(const emf::EnhMetaFile& picture)
{
    const auto& frame = picture.Header().rclFrame;
    const double frameW = static_cast<double>(frame.right) - frame.left;
    const double frameH = static_cast<double>(frame.bottom) - frame.top;
    const int w = static_cast<int>(std::clamp(std::abs(frameW) / 10, 1.0, double(kMaxTenths)));
    const int h = static_cast<int>(std::clamp(std::abs(frameH) / 10, 1.0, double(kMaxTenths)));
    // Output units back to millimetres of the frame.
    const double sx = frameW != 0 ? std::abs(frameW) / 100 / w : 0.1;
    const double sy = frameH != 0 ? std::abs(frameH) / 100 / h : 0.1;
    TextDevice device(sx, sy, QSizeF((w + 1) * sx, (h + 1) * sy));
    Player player(device, picture, QRect(0, 0, w + 1, h + 1));
    player.Play();
    return device.TakeRuns();
}

PageTextRuns OnThePage(PageTextRuns runs, const QSizeF& page)
{
    std::vector<PageTextRun> kept;
    kept.reserve(runs.runs.size());
    for (const PageTextRun& run : runs.runs) {
        if (runs.Holds(run)) KeepOnThePage(run, runs.Boxes(run), page, kept);
    }
    runs.runs = std::move(kept);
    return runs;
}

}  // namespace qrp::render
