// Bitmap records: the blits, STRETCHDIBITS, SETDIBITSTODEVICE, PLGBLT and GRADIENTFILL.
// DIBs are decoded by dib.h; raster operations become composition modes where Qt has one.
#include "render/player.h"

#include "emf/emr_types.h"
#include "emf/records_bitmaps.h"
#include "render/dib.h"

#include <QLinearGradient>

#include <algorithm>
#include <cmath>

namespace qrp::render {

using namespace emf;
using namespace emf::gdi;

namespace {

// The ternary raster operations as their index byte (bits 16..23 of the code).
constexpr uint32_t kRopBlackness = 0x00, kRopNotSrcErase = 0x11, kRopNotSrcCopy = 0x33, kRopSrcErase = 0x44,
                   kRopDstInvert = 0x55, kRopPatInvert = 0x5A, kRopSrcInvert = 0x66, kRopSrcAnd = 0x88,
                   kRopDest = 0xAA, kRopPsdPxax = 0xB8, kRopMergePaint = 0xBB, kRopDspDxax = 0xE2,
                   kRopSrcPaint = 0xEE, kRopPatCopy = 0xF0, kRopWhiteness = 0xFF;

uint32_t RopIndex(uint32_t rop) { return (rop >> 16) & 0xFF; }

// A destination box as logical coordinates. Its far edges are origin plus extent, which a
// record can push past 32 bits: they stop at the ends of the range.
RectL LogicalBox(const QRectF& box)
{
    const auto clamp = [](double v) {
        return static_cast<int32_t>(std::clamp(v, double{INT32_MIN}, double{INT32_MAX}));
    };
    return RectL{clamp(box.left()), clamp(box.top()), clamp(box.right()), clamp(box.bottom())};
}

// Operations that read only the pattern and the destination.
bool NeedsNoSource(uint32_t index)
{
    return index == kRopBlackness || index == kRopDstInvert || index == kRopPatInvert || index == kRopDest ||
           index == kRopPatCopy || index == kRopWhiteness;
}

Composition SourceComposition(uint32_t index)
{
    switch (index) {
    case kRopSrcAnd: return QPainter::RasterOp_SourceAndDestination;
    case kRopSrcPaint: return QPainter::RasterOp_SourceOrDestination;
    case kRopSrcInvert: return QPainter::RasterOp_SourceXorDestination;
    case kRopNotSrcCopy: return QPainter::RasterOp_NotSource;
    case kRopSrcErase: return QPainter::RasterOp_SourceAndNotDestination;
    case kRopNotSrcErase: return QPainter::RasterOp_NotSourceAndNotDestination;
    case kRopMergePaint: return QPainter::RasterOp_NotSourceOrDestination;
    default: return QPainter::CompositionMode_SourceOver;
    }
}

// Pixels of image equal to color (0x00BBGGRR) become transparent.
QImage WithoutColor(const QImage& image, uint32_t color)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = qRgb(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                          static_cast<int>((color >> 16) & 0xFF)) & 0xFFFFFF;
    for (int y = 0; y < out.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & 0xFFFFFF) == key) line[x] = 0;
    }
    return out;
}

// image with the pixels where mask (same placement, offset by maskOffset) is white kept
// and the others transparent; invert swaps the two.
QImage Masked(const QImage& image, const QImage& mask, QPoint maskOffset, bool keepWhite)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        const int my = y + maskOffset.y();
        for (int x = 0; x < out.width(); ++x) {
            const int mx = x + maskOffset.x();
            const bool white = mx >= 0 && my >= 0 && mx < mask.width() && my < mask.height() && qGray(mask.pixel(mx, my)) >= 128;
            if (white != keepWhite) line[x] = 0;
        }
    }
    return out;
}

// A brush-coloured image where source is black (PSDPxax) or white (DSPDxax).
QImage BrushWhere(const QImage& source, QColor color, bool whereBlack)
{
    QImage out(source.size(), QImage::Format_ARGB32);
    const QRgb paint = color.rgb();
    for (int y = 0; y < source.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            const bool black = qGray(source.pixel(x, y)) < 128;
            line[x] = black == whereBlack ? paint : 0;
        }
    }
    return out;
}

bool IsFinite(const QRectF& r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) && std::isfinite(r.height());
}

bool IsFinite(const QTransform& t)
{
    for (const double v : {t.m11(), t.m12(), t.m13(), t.m21(), t.m22(), t.m23(), t.m31(), t.m32(), t.m33()})
        if (!std::isfinite(v)) return false;
    return true;
}

// A source rectangle in the header's pixels, on an image kept at another size (an embedded
// image file that claims a larger size than it has is not scaled up to the claim).
QRectF OntoImage(const QRectF& source, const QImage& image, QSize claimed)
{
    if (claimed.isEmpty() || image.size() == claimed) return source;
    const double sx = static_cast<double>(image.width()) / claimed.width();
    const double sy = static_cast<double>(image.height()) / claimed.height();
    return QRectF(source.left() * sx, source.top() * sy, source.width() * sx, source.height() * sy);
}

// The pixels a DIB decodes to, as its header claims them (capped as the decoder caps them).
uint64_t ClaimedPixels(const DibInfo& info)
{
    const int64_t pixels = int64_t{std::max(info.width, 0)} * std::max(info.height, 0);
    return static_cast<uint64_t>(std::min(pixels, kMaxDibPixels));
}

// A source shrunk as StretchBlt shrinks it in its stretching mode: each output pixel
// combines the source pixels that fall on it, with AND (BLACKONWHITE: black lines
// survive), OR (WHITEONBLACK) or their mean (HALFTONE). Only the source rectangle is read;
// an axis that is not shrunk keeps its pixels. Empty for other modes.
QImage ShrunkForMode(const QImage& image, const QRect& source, int width, int height, uint32_t mode)
{
    if (mode != BLACKONWHITE && mode != WHITEONBLACK && mode != HALFTONE) return {};
    const QRect src = source & image.rect();
    if (src.isEmpty() || width <= 0 || height <= 0 || width > src.width() || height > src.height()) return {};
    const QImage in = image.convertToFormat(QImage::Format_RGB32);
    QImage out(width, height, QImage::Format_RGB32);
    std::vector<int> xFrom(static_cast<size_t>(width) + 1);
    for (int i = 0; i <= width; ++i) xFrom[static_cast<size_t>(i)] = src.left() + static_cast<int>(int64_t{i} * src.width() / width);
    for (int j = 0; j < height; ++j) {
        const int y0 = src.top() + static_cast<int>(int64_t{j} * src.height() / height);
        const int y1 = src.top() + static_cast<int>(int64_t{j + 1} * src.height() / height);
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(j));
        for (int i = 0; i < width; ++i) {
            const int x0 = xFrom[static_cast<size_t>(i)], x1 = xFrom[static_cast<size_t>(i) + 1];
            uint32_t all = mode == BLACKONWHITE ? 0xFFFFFFu : 0u;
            uint64_t r = 0, g = 0, b = 0;
            for (int y = y0; y < y1; ++y) {
                const auto* row = reinterpret_cast<const QRgb*>(in.constScanLine(y));
                for (int x = x0; x < x1; ++x) {
                    const QRgb c = row[x];
                    if (mode == BLACKONWHITE) all &= c;
                    else if (mode == WHITEONBLACK) all |= c;
                    r += static_cast<uint64_t>(qRed(c)), g += static_cast<uint64_t>(qGreen(c)), b += static_cast<uint64_t>(qBlue(c));
                }
            }
            const uint64_t n = static_cast<uint64_t>(x1 - x0) * static_cast<uint64_t>(y1 - y0);
            if (mode == HALFTONE) {
                line[i] = qRgb(static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(b / n));
            } else {
                line[i] = 0xFF000000u | (all & 0xFFFFFFu);
            }
        }
    }
    return out;
}

// A triangle shaded as GRADIENTFILL shades it: each pixel whose centre lies inside takes
// the vertices' colours weighted by its barycentric coordinates. Only the part inside area
// (output pixels) is computed, at most kMaxShadedPixels of it: a larger triangle is shaded
// at a lower resolution and stretched (origin and scale say how to place the image).
constexpr int64_t kMaxShadedPixels = int64_t{1} << 22;

struct ShadedImage {
    QImage image;
    QPointF origin;
    double scale = 1;
};

ShadedImage ShadedTriangle(const QPointF (&p)[3], const QColor (&c)[3], const QRectF& area)
{
    ShadedImage out;
    QRectF box = QPolygonF({p[0], p[1], p[2]}).boundingRect() & area;
    if (box.isEmpty()) return out;
    box = QRectF(QPointF(std::floor(box.left()), std::floor(box.top())), QPointF(std::ceil(box.right()), std::ceil(box.bottom())));
    const double pixels = box.width() * box.height();
    if (!(pixels >= 1)) return out;
    out.scale = pixels > static_cast<double>(kMaxShadedPixels) ? std::sqrt(static_cast<double>(kMaxShadedPixels) / pixels) : 1;
    const int w = std::max(1, static_cast<int>(std::ceil(box.width() * out.scale)));
    const int h = std::max(1, static_cast<int>(std::ceil(box.height() * out.scale)));
    const double det = (p[1].y() - p[2].y()) * (p[0].x() - p[2].x()) + (p[2].x() - p[1].x()) * (p[0].y() - p[2].y());
    if (!(std::abs(det) > 1e-9)) return out;
    out.image = QImage(w, h, QImage::Format_ARGB32_Premultiplied);
    out.image.fill(Qt::transparent);
    out.origin = box.topLeft();
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.image.scanLine(y));
        const double py = box.top() + (y + 0.5) / out.scale;
        for (int x = 0; x < w; ++x) {
            const double px = box.left() + (x + 0.5) / out.scale;
            const double l0 = ((p[1].y() - p[2].y()) * (px - p[2].x()) + (p[2].x() - p[1].x()) * (py - p[2].y())) / det;
            const double l1 = ((p[2].y() - p[0].y()) * (px - p[2].x()) + (p[0].x() - p[2].x()) * (py - p[2].y())) / det;
            const double l2 = 1 - l0 - l1;
            if (l0 < 0 || l1 < 0 || l2 < 0) continue;
            auto mix = [&](int a, int b, int d) { return std::clamp(static_cast<int>(l0 * a + l1 * b + l2 * d), 0, 255); };
            line[x] = qRgb(mix(c[0].red(), c[1].red(), c[2].red()), mix(c[0].green(), c[1].green(), c[2].green()),
                           mix(c[0].blue(), c[1].blue(), c[2].blue()));
        }
    }
    return out;
}

}  // namespace

void Player::AddBitmapHandlers(HandlerTable& t)
{
    for (uint32_t type : {kEmrBitBlt, kEmrStretchBlt, kEmrMaskBlt, kEmrTransparentBlt, kEmrAlphaBlend})
        t[type] = &Player::OnBlt;
    t[kEmrPlgBlt] = &Player::OnPlgBlt;
    t[kEmrStretchDIBits] = &Player::OnDibits;
    t[kEmrSetDIBitsToDevice] = &Player::OnDibits;
    t[kEmrGradientFill] = &Player::OnGradientFill;
}

QImage Player::DecodeSource(const Record& r, const DibRef& dib, uint32_t usage, bool keepAlpha, QSize* claimed)
{
    if (!r.Has(dib.offBmi, dib.cbBmi)) return {};
    const auto info = ParseDibInfo(r.Data().subspan(dib.offBmi, dib.cbBmi));
    if (!info || !FBudget.Spend(ClaimedPixels(*info) * PlayBudget::kDecodedPixel)) return {};
    if (claimed) *claimed = QSize(info->width, info->height);
    DibOptions options;
    options.usage = usage;
    const std::vector<uint32_t> palette = SelectedPalette();
    options.palette = palette;
    options.keepAlpha = keepAlpha;
    return DecodeRecordDib(r, dib.offBmi, dib.cbBmi, dib.offBits, dib.cbBits, options);
}

void Player::PatternBlt(const QRectF& dest, uint32_t rop)
{
    const uint32_t index = RopIndex(rop);
    if (index == kRopDest || FState.inPath) return;
    QPainterPath area;
    area.addRegion(LogicalRectRegion(LogicalBox(dest)));
    SyncClip();
    switch (index) {
    case kRopBlackness: DeviceFill(area, QBrush(Qt::black), QPainter::CompositionMode_SourceOver); return;
    case kRopWhiteness: DeviceFill(area, QBrush(Qt::white), QPainter::CompositionMode_SourceOver); return;
    case kRopDstInvert: DeviceFill(area, QBrush(Qt::white), QPainter::RasterOp_NotDestination); return;
    default: break;
    }
    const std::optional<QBrush> brush = MakeBrush(FState.brush.get());
    if (!brush) return;
    DeviceFill(area, *brush,
                     index == kRopPatInvert ? QPainter::RasterOp_SourceXorDestination : QPainter::CompositionMode_SourceOver);
}

void Player::DrawImageInto(const QImage& image, const QRectF& source, const QRectF& dest, uint32_t rop)
{
    if (FState.inPath || image.isNull() || source.width() == 0 || source.height() == 0) return;
    QTransform imageToOutput;
    if (AxisAligned()) {
        const QPointF a = MapSnapped(dest.left(), dest.top());
        const QPointF b = MapSnapped(dest.left() + dest.width(), dest.top() + dest.height());
        const double sx = (b.x() - a.x()) / source.width(), sy = (b.y() - a.y()) / source.height();
        if (sx == 0 || sy == 0) return;
        const bool shrinks = std::abs(sx) < 1 || std::abs(sy) < 1;
        if (shrinks && !image.hasAlphaChannel() && RopIndex(rop) != kRopPsdPxax && RopIndex(rop) != kRopDspDxax) {
            // Shrunk as GDI shrinks in the DC's stretching mode, then drawn without stretching
            // further along the shrunk axes.
            const QRect whole = source.toAlignedRect();
            const int width = std::abs(sx) < 1 ? std::max(1, static_cast<int>(std::lround(std::abs(b.x() - a.x())))) : whole.width();
            const int height = std::abs(sy) < 1 ? std::max(1, static_cast<int>(std::lround(std::abs(b.y() - a.y())))) : whole.height();
            const QImage shrunk = whole == source ? ShrunkForMode(image, whole, width, height, FState.stretchMode) : QImage();
            if (!shrunk.isNull()) {
                const double tx = (b.x() - a.x()) / width, ty = (b.y() - a.y()) / height;
                DrawPlaced(shrunk, QRectF(shrunk.rect()), QTransform(tx, 0, 0, ty, a.x(), a.y()), rop, false);
                return;
            }
        }
        imageToOutput = QTransform(sx, 0, 0, sy, a.x() - source.left() * sx, a.y() - source.top() * sy);
    } else {
        const double sx = dest.width() / source.width(), sy = dest.height() / source.height();
        imageToOutput = QTransform(sx, 0, 0, sy, dest.left() - source.left() * sx, dest.top() - source.top() * sy) * Total();
    }
    DrawPlaced(image, source, imageToOutput, rop, FState.stretchMode == HALFTONE);
}

void Player::DrawPlaced(const QImage& image, const QRectF& source, const QTransform& imageToOutput, uint32_t rop,
                        bool smooth)
{
    // Qt's image drawing reads outside the image for a source or a placement that is no
    // number (NaN or infinite): such an image is not drawn.
    if (!IsFinite(source) || !IsFinite(imageToOutput)) return;
    const QRectF drawn = imageToOutput.mapRect(source) & FWindow;
    const double area = drawn.isValid() ? drawn.width() * drawn.height() : 0;
    const double units = area * PlayBudget::kImagePixel * (smooth ? 4 : 1);
    if (!FBudget.Spend(FRaster ? static_cast<uint64_t>(units) : PlayBudget::kPathElement)) return;
    SyncClip();
    const uint32_t index = RopIndex(rop);
    if (index == kRopPsdPxax || index == kRopDspDxax) {
        const std::optional<QBrush> brush = MakeBrush(FState.brush.get());
        const QImage painted = BrushWhere(image, brush ? brush->color() : QColor(Qt::black), index == kRopPsdPxax);
        FDevice.DrawImage(painted, source, imageToOutput, QPainter::CompositionMode_SourceOver, false);
        return;
    }
    FDevice.DrawImage(image, source, imageToOutput, SourceComposition(index), smooth);
}

bool Player::OnDibits(const Record& r)
{
    if (!FDevice.DrawsImages()) return true;
    const auto d = EmrDibits::Read(r);
    if (!d) return false;
    const QRectF dest(d->xDest, d->yDest, d->cxDest, d->cyDest);
    if (!d->src.Present() || NeedsNoSource(RopIndex(d->rop))) {
        PatternBlt(dest, d->rop);
        return true;
    }
    const auto info = ParseDibInfo(r.Data().subspan(d->src.offBmi, d->src.cbBmi));
    if (!info) return false;
    DibOptions options;
    options.usage = d->usageSrc;
    const std::vector<uint32_t> palette = SelectedPalette();
    options.palette = palette;
    if (d->setDIBitsToDevice) {
        options.firstScan = d->startScan;
        options.scanCount = d->scans;
    }
    if (!FBudget.Spend(ClaimedPixels(*info) * PlayBudget::kDecodedPixel)) return true;
    const QImage image = DecodeRecordDib(r, d->src.offBmi, d->src.cbBmi, d->src.offBits, d->src.cbBits, options);
    if (image.isNull()) return false;
    // Source rectangles count rows from the bottom of a bottom-up DIB.
    const double top = info->topDown ? d->ySrc : static_cast<double>(info->height) - d->ySrc - d->cySrc;
    const QRectF source = OntoImage(QRectF(d->xSrc, top, d->cxSrc, d->cySrc), image, QSize(info->width, info->height));
    if (d->setDIBitsToDevice) {
        // The size is in the reference device's pixels, whatever the mapping.
        const double sx = ScaleX() / std::max(FPlaybackScaleX, 1e-12), sy = ScaleY() / std::max(FPlaybackScaleY, 1e-12);
        const QRectF logical(d->xDest, d->yDest, sx > 0 ? d->cxSrc / sx : 0, sy > 0 ? d->cySrc / sy : 0);
        DrawImageInto(image, source, logical, gdi::SRCCOPY);
        return true;
    }
    DrawImageInto(image, source, dest, d->rop);
    return true;
}

bool Player::OnBlt(const Record& r)
{
    if (!FDevice.DrawsImages()) return true;
    const auto b = EmrBlt::Read(r);
    if (!b) return false;
    const uint32_t type = r.Type();
    const QRectF dest(b->xDest, b->yDest, b->cxDest, b->cyDest);
    const bool plainRop = type == kEmrBitBlt || type == kEmrStretchBlt;
    if (!b->src.Present()) {
        if (plainRop || type == kEmrMaskBlt) PatternBlt(dest, b->rop);
        return true;
    }
    if (plainRop && NeedsNoSource(RopIndex(b->rop))) {
        PatternBlt(dest, b->rop);
        return true;
    }
    const bool sourceAlpha = type == kEmrAlphaBlend && ((b->rop >> 24) & 0xFF) == AC_SRC_ALPHA;
    QSize claimed;
    QImage image = DecodeSource(r, b->src, b->usageSrc, sourceAlpha, &claimed);
    if (image.isNull()) return FBudget.Exhausted();
    const QTransform sourceXform(b->xformSrc.m11, b->xformSrc.m12, b->xformSrc.m21, b->xformSrc.m22, b->xformSrc.dx,
                                 b->xformSrc.dy);
    QRectF source = sourceXform.mapRect(QRectF(b->xSrc, b->ySrc, b->cxSrc, b->cySrc));
    // A crafted XFORM may map the source anywhere, or to no number at all: then it is not used.
    if (!IsFinite(source) || !source.isValid() || source.width() > 1e6 || source.height() > 1e6)
        source = QRectF(b->xSrc, b->ySrc, b->cxSrc, b->cySrc);
    source = OntoImage(source, image, claimed);
    uint32_t rop = b->rop;
    if (type == kEmrTransparentBlt) {
        image = WithoutColor(image, b->rop);
        rop = gdi::SRCCOPY;
    } else if (type == kEmrAlphaBlend) {
        const int constantAlpha = static_cast<int>((b->rop >> 16) & 0xFF);
        if (constantAlpha < 255) {
            QImage faded(image.size(), QImage::Format_ARGB32_Premultiplied);
            faded.fill(Qt::transparent);
            QPainter p(&faded);
            p.setOpacity(constantAlpha / 255.0);
            p.drawImage(0, 0, image);
            p.end();
            image = faded;
        }
        rop = gdi::SRCCOPY;
    } else if (type == kEmrMaskBlt && b->mask.Present()) {
        DibOptions options;
        options.monochromeColors = std::array<QRgb, 2>{qRgb(0, 0, 0), qRgb(255, 255, 255)};
        const QImage mask = DecodeRecordDib(r, b->mask.offBmi, b->mask.cbBmi, b->mask.offBits, b->mask.cbBits, options);
        if (!mask.isNull()) {
            // MAKEROP4: the foreground operation where the mask is 1, the background one where it is 0.
            const uint32_t fore = RopIndex(b->rop), back = (b->rop >> 24) & 0xFF;
            const QPoint offset(b->xMask - b->xSrc, b->yMask - b->ySrc);
            if (back != kRopDest) DrawImageInto(Masked(image, mask, offset, false), source, dest, back << 16);
            if (fore != kRopDest) DrawImageInto(Masked(image, mask, offset, true), source, dest, fore << 16);
            return true;
        }
    }
    DrawImageInto(image, source, dest, rop);
    return true;
}

bool Player::OnPlgBlt(const Record& r)
{
    if (!FDevice.DrawsImages()) return true;
    const auto b = EmrPlgBlt::Read(r);
    if (!b) return false;
    if (!b->src.Present() || b->cxSrc == 0 || b->cySrc == 0 || FState.inPath) return true;
    QSize claimed;
    QImage image = DecodeSource(r, b->src, b->usageSrc, false, &claimed);
    if (image.isNull()) return FBudget.Exhausted();
    if (!claimed.isEmpty() && image.size() != claimed) return true;  // an embedded file: not for PLGBLT
    if (b->mask.Present()) {
        DibOptions options;
        options.monochromeColors = std::array<QRgb, 2>{qRgb(0, 0, 0), qRgb(255, 255, 255)};
        const QImage mask = DecodeRecordDib(r, b->mask.offBmi, b->mask.cbBmi, b->mask.offBits, b->mask.cbBits, options);
        if (!mask.isNull()) image = Masked(image, mask, QPoint(b->xMask - b->xSrc, b->yMask - b->ySrc), true);
    }
    const QPointF p0(b->dest[0].x, b->dest[0].y), p1(b->dest[1].x, b->dest[1].y), p2(b->dest[2].x, b->dest[2].y);
    const double cx = b->cxSrc, cy = b->cySrc;
    const QTransform toLogical((p1.x() - p0.x()) / cx, (p1.y() - p0.y()) / cx, (p2.x() - p0.x()) / cy,
                               (p2.y() - p0.y()) / cy, 0, 0);
    const QPointF origin = p0 - toLogical.map(QPointF(b->xSrc, b->ySrc));
    const QTransform imageToLogical(toLogical.m11(), toLogical.m12(), toLogical.m21(), toLogical.m22(), origin.x(), origin.y());
    const QTransform imageToOutput = imageToLogical * Total();
    if (!IsFinite(imageToOutput)) return true;  // see DrawPlaced
    SyncClip();
    FDevice.DrawImage(image, QRectF(b->xSrc, b->ySrc, cx, cy), imageToOutput, QPainter::CompositionMode_SourceOver,
                      FState.stretchMode == HALFTONE);
    return true;
}

bool Player::OnGradientFill(const Record& r)
{
    const auto g = EmrGradientFill::Read(r);
    if (!g) return false;
    if (FState.inPath) return true;
    auto color = [](const EmrGradientFill::Vertex& v) { return QColor(v.red >> 8, v.green >> 8, v.blue >> 8); };
    SyncClip();
    if (g->mode == GRADIENT_FILL_TRIANGLE) {
        for (size_t i = 0; i + 2 < g->indices.size(); i += 3) {
            const auto& a = g->vertices[g->indices[i]];
            const auto& b = g->vertices[g->indices[i + 1]];
            const auto& c = g->vertices[g->indices[i + 2]];
            const QPointF points[3] = {MapSnapped(a.x, a.y), MapSnapped(b.x, b.y), MapSnapped(c.x, c.y)};
            const QColor colors[3] = {color(a), color(b), color(c)};
            QPainterPath triangle;
            triangle.addPolygon(QPolygonF({points[0], points[1], points[2]}));
            triangle.closeSubpath();
            if (!FDevice.DrawsImages()) {
                const QColor mean((colors[0].red() + colors[1].red() + colors[2].red()) / 3,
                                  (colors[0].green() + colors[1].green() + colors[2].green()) / 3,
                                  (colors[0].blue() + colors[1].blue() + colors[2].blue()) / 3);
                DeviceFill(triangle, QBrush(mean), QPainter::CompositionMode_SourceOver);
                continue;
            }
            if (!FBudget.Spend(FillCost(triangle, FWindow, true))) return true;
            const ShadedImage shaded = ShadedTriangle(points, colors, FWindow);
            if (shaded.image.isNull()) continue;
            QTransform place;
            place.translate(shaded.origin.x(), shaded.origin.y());
            place.scale(1 / shaded.scale, 1 / shaded.scale);
            FDevice.DrawImage(shaded.image, QRectF(shaded.image.rect()), place, QPainter::CompositionMode_SourceOver,
                              shaded.scale < 1);
        }
        return true;
    }
    for (size_t i = 0; i + 1 < g->indices.size(); i += 2) {
        const auto& a = g->vertices[g->indices[i]];
        const auto& b = g->vertices[g->indices[i + 1]];
        QPainterPath area;
        area.addRegion(LogicalRectRegion(RectL{a.x, a.y, b.x, b.y}));
        const QPointF pa = Map(a.x, a.y), pb = Map(b.x, b.y);
        QLinearGradient gradient = g->mode == GRADIENT_FILL_RECT_H ? QLinearGradient(pa.x(), 0, pb.x(), 0)
                                                                   : QLinearGradient(0, pa.y(), 0, pb.y());
        gradient.setColorAt(0, color(a));
        gradient.setColorAt(1, color(b));
        DeviceFill(area, QBrush(gradient), QPainter::CompositionMode_SourceOver);
    }
    return true;
}

}  // namespace qrp::render
