#include "render/text_device.h"

#include "render/player.h"

#include <algorithm>
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

}  // namespace

bool PageTextRuns::Holds(const PageTextRun& run) const
{
    return text.size() == static_cast<qsizetype>(boxes.size()) && run.first >= 0 && run.length >= 0 &&
           run.first <= text.size() - run.length;
}

std::span<const QRectF> PageTextRuns::Boxes(const PageTextRun& run) const
{
    return std::span<const QRectF>(boxes).subspan(static_cast<size_t>(run.first), static_cast<size_t>(run.length));
}

QRectF PageTextRuns::Bounds(const PageTextRun& run) const
{
    const std::span<const QRectF> cells = Boxes(run);
    if (cells.empty()) return {};
    double left = cells.front().left(), top = cells.front().top(), right = cells.front().right(), bottom = cells.front().bottom();
    for (const QRectF& b : cells) {
        left = std::min(left, b.left());
        top = std::min(top, b.top());
        right = std::max(right, b.right());
        bottom = std::max(bottom, b.bottom());
    }
    return QRectF(left, top, right - left, bottom - top);
}

TextDevice::TextDevice(double scaleX, double scaleY) : FScaleX(scaleX), FScaleY(scaleY)
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

    const double ascent = run.font.ascent(), descent = run.font.descent();
    const size_t count = run.positions.size();
    // The cell of glyph i: from its origin to the next glyph's along the baseline, from the
    // ascent above it to the descent below.
    const bool upright = run.angle == 0;
    const double a = upright ? 0 : run.angle * std::numbers::pi / 180.0;
    const QPointF along = upright ? QPointF(1, 0) : QPointF(std::cos(a), std::sin(a));
    const QPointF up(along.y(), -along.x());
    auto next = [&](size_t i) { return i + 1 < count ? run.positions[i + 1] : run.end; };
    auto uprightCell = [&](size_t i) {
        const QPointF p = run.positions[i];
        const double right = next(i).x();
        return QRectF(QPointF(std::min(p.x(), right), p.y() - ascent), QPointF(std::max(p.x(), right), p.y() + descent));
    };
    auto turnedCell = [&](size_t i) {
        const QPointF p = run.positions[i];
        const QPointF d = next(i) - p;
        const double length = d.x() * along.x() + d.y() * along.y();
        const QPointF corners[4] = {p + up * ascent, p + up * ascent + along * length, p - up * descent + along * length,
                                    p - up * descent};
        double left = corners[0].x(), right = left, top = corners[0].y(), bottom = top;
        for (const QPointF& c : corners) {
            left = std::min(left, c.x());
            right = std::max(right, c.x());
            top = std::min(top, c.y());
            bottom = std::max(bottom, c.y());
        }
        return QRectF(left, top, right - left, bottom - top);
    };

    auto scaled = [&](const QRectF& b) {
        return QRectF(b.x() * FScaleX, b.y() * FScaleY, b.width() * FScaleX, b.height() * FScaleY);
    };

    PageTextRun& out = FPage.runs.emplace_back();
    out.first = FPage.text.size();
    out.length = run.text.size();
    out.origin = QPointF(run.positions.front().x() * FScaleX, run.positions.front().y() * FScaleY);
    out.height = run.font.pixelSize() * FScaleY;
    out.angle = run.angle;
    FPage.text.append(QStringView(run.text));  // a copy: the player refills its run
    // One glyph per code point; a surrogate pair shares its glyph's cell.
    size_t glyph = 0;
    for (qsizetype i = 0; i < run.text.size(); ++i) {
        const size_t g = std::min(glyph, count - 1);
        FPage.boxes.push_back(scaled(upright ? uprightCell(g) : turnedCell(g)));
        if (!run.text.at(i).isHighSurrogate()) ++glyph;
    }
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
    TextDevice device(sx, sy);
    Player player(device, picture, QRect(0, 0, w + 1, h + 1));
    player.Play();
    return OnThePage(device.TakeRuns(), QSizeF((w + 1) * sx, (h + 1) * sy));
}

PageTextRuns OnThePage(PageTextRuns runs, const QSizeF& page)
{
    const double width = page.width(), height = page.height();
    auto inside = [&](const QRectF& box) {
        const double x = box.x() + box.width() / 2, y = box.y() + box.height() / 2;
        return x >= 0 && x <= width && y >= 0 && y <= height;
    };
    std::vector<PageTextRun> kept;
    kept.reserve(runs.runs.size());
    for (const PageTextRun& run : runs.runs) {
        if (!runs.Holds(run)) continue;
        const std::span<const QRectF> boxes = runs.Boxes(run);
        if (std::all_of(boxes.begin(), boxes.end(), inside)) {
            kept.push_back(run);
            continue;
        }
        // Each stretch of characters on the page becomes a run of its own.
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
            i = end;
        }
    }
    runs.runs = std::move(kept);
    return runs;
}

}  // namespace qrp::render
