#include "render/player.h"

#include "emf/emr_types.h"
#include "render/dash_clip.h"
#include "render/dib.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <new>

namespace qrp::render {

using namespace emf::gdi;

namespace {

std::shared_ptr<const PenObject> StockPen(uint32_t color, bool null)
{
    auto pen = std::make_shared<PenObject>();
    pen->color = color;
    pen->style = null ? PS_NULL : PS_SOLID;
    return pen;
}

std::shared_ptr<const BrushObject> StockBrush(uint32_t color, bool null)
{
    auto brush = std::make_shared<BrushObject>();
    brush->color = color;
    brush->style = null ? BS_NULL : BS_SOLID;
    return brush;
}

// A pattern repeated until it is at least 64 pixels each way. The raster engine fetches a
// texture brush one tile row at a time, so a tile of one or two pixels costs a call per
// pixel filled; the repeated tile paints the same pixels.
QImage RepeatedTile(const QImage& tile)
{
    constexpr int kSide = 64;
    if (tile.isNull() || (tile.width() >= kSide && tile.height() >= kSide)) return tile;
    const QImage one = tile.convertToFormat(tile.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    const int across = (kSide + one.width() - 1) / one.width(), down = (kSide + one.height() - 1) / one.height();
    QImage wide(one.width() * across, one.height() * down, one.format());
    if (wide.isNull()) return tile;
    const size_t rowBytes = static_cast<size_t>(one.width()) * 4;
    for (int y = 0; y < wide.height(); ++y) {
        const uchar* from = one.constScanLine(y % one.height());
        uchar* to = wide.scanLine(y);
        for (int i = 0; i < across; ++i) std::memcpy(to + rowBytes * static_cast<size_t>(i), from, rowBytes);
    }
    return wide;
}

std::shared_ptr<const FontObject> StockFont(const char16_t* face, int32_t height, int32_t weight)
{
    auto font = std::make_shared<FontObject>();
    font->font.faceName = face;
    font->font.height = height;
    font->font.weight = weight;
    return font;
}

inline QColor ColorRef(uint32_t c)
{
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

// GDI's 8 x 8 hatch patterns, top row first, leftmost pixel in the high bit.
constexpr uint8_t kHatches[6][8] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00},  // HS_HORIZONTAL
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // HS_VERTICAL
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // HS_FDIAGONAL
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // HS_BDIAGONAL
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0xFF, 0x08},  // HS_CROSS
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // HS_DIAGCROSS
};

}  // namespace

QColor ToColor(uint32_t colorRef) { return ColorRef(colorRef); }

namespace {

// The stock objects by index, and after them an empty one for every index that names none.
// Built when the program starts: selecting a stock object costs a lookup.
using StockObjects = std::array<StockObject, DC_PEN + 2>;

StockObjects BuildStockObjects()
{
    StockObjects o;
    o[WHITE_PEN].pen = StockPen(0xFFFFFF, false);
    o[BLACK_PEN].pen = o[DC_PEN].pen = StockPen(0, false);
    o[NULL_PEN].pen = StockPen(0, true);
    o[WHITE_BRUSH].brush = o[DC_BRUSH].brush = StockBrush(0xFFFFFF, false);
    o[LTGRAY_BRUSH].brush = StockBrush(0xC0C0C0, false);
    o[GRAY_BRUSH].brush = StockBrush(0x808080, false);
    o[DKGRAY_BRUSH].brush = StockBrush(0x404040, false);
    o[BLACK_BRUSH].brush = StockBrush(0, false);
    o[NULL_BRUSH].brush = StockBrush(0, true);
    o[SYSTEM_FONT].font = o[DEVICE_DEFAULT_FONT].font = StockFont(u"System", 16, FW_BOLD);
    o[DEFAULT_GUI_FONT].font = StockFont(u"MS Shell Dlg", -11, FW_NORMAL);
    o[OEM_FIXED_FONT].font = o[ANSI_FIXED_FONT].font = o[SYSTEM_FIXED_FONT].font =
        StockFont(u"Courier New", 16, FW_NORMAL);
    o[ANSI_VAR_FONT].font = StockFont(u"MS Sans Serif", 16, FW_NORMAL);
    return o;
}

const StockObjects kStockObjects = BuildStockObjects();

}  // namespace

const StockObject& StockObjectAt(uint32_t index)
{
    return kStockObjects[std::min<size_t>(index, kStockObjects.size() - 1)];
}

Player::Player(Device& device, const emf::EnhMetaFile& picture, const QRect& rect, uint64_t budget)
    : FDevice(device), FPicture(picture), FBudget(budget)
{
    const emf::EnhMetaHeader& h = picture.Header();
    FObjects.resize(std::max<size_t>(h.nHandles, 1));
    // Millimetres per reference-device pixel; a header without a sane device claims 96 dpi.
    float mmPerPxX = 25.4f / 96, mmPerPxY = 25.4f / 96;
    if (h.szlDevice.cx > 0 && h.szlMillimeters.cx > 0) mmPerPxX = static_cast<float>(h.szlMillimeters.cx) / static_cast<float>(h.szlDevice.cx);
    if (h.szlDevice.cy > 0 && h.szlMillimeters.cy > 0) mmPerPxY = static_cast<float>(h.szlMillimeters.cy) / static_cast<float>(h.szlDevice.cy);
    // The frame's left/top to the rectangle's left/top, its right/bottom to the rectangle's
    // right/bottom, computed in single precision as GDI computes it.
    const double frameW = static_cast<double>(h.rclFrame.right) - h.rclFrame.left;
    const double frameH = static_cast<double>(h.rclFrame.bottom) - h.rclFrame.top;
    const float rectW = static_cast<float>(rect.right() - rect.left()), rectH = static_cast<float>(rect.bottom() - rect.top());
    FPlaybackScaleX = frameW != 0 ? static_cast<float>(rectW * 100.0 / frameW * mmPerPxX) : 1;
    FPlaybackScaleY = frameH != 0 ? static_cast<float>(rectH * 100.0 / frameH * mmPerPxY) : 1;
    const float dx = frameW != 0 ? static_cast<float>(rect.left()) - rectW * static_cast<float>(h.rclFrame.left) / static_cast<float>(frameW)
                                 : static_cast<float>(rect.left());
    const float dy = frameH != 0 ? static_cast<float>(rect.top()) - rectH * static_cast<float>(h.rclFrame.top) / static_cast<float>(frameH)
                                 : static_cast<float>(rect.top());
    FPlayback = FloatTransform(FPlaybackScaleX, 0, 0, FPlaybackScaleY, dx, dy);

    FState.mapping = emf::DcMapping(emf::RecordingDevice(h));
    FState.pen = StockObjectAt(BLACK_PEN).pen;
    FState.brush = StockObjectAt(WHITE_BRUSH).brush;
    FState.font = StockObjectAt(SYSTEM_FONT).font;

    // Per-pixel work stops at the device's edges, or the rectangle's when the device does
    // not say, plus a margin for pen ends and joins.
    constexpr double kMargin = 64;
    QRectF reach = device.Bounds();
    if (reach.isEmpty()) reach = QRectF(rect);
    reach = QRectF(QPointF(std::floor(reach.left()), std::floor(reach.top())),
                   QPointF(std::ceil(reach.right()), std::ceil(reach.bottom())));
    FWindow = reach.adjusted(-kMargin, -kMargin, kMargin, kMargin);
    FRaster = device.Raster();
    FDrawsShapes = device.DrawsShapes();
    FDrawsGlyphs = device.DrawsGlyphs();
    FTextRendering = RenderingOf(device.TextDrawing());
}

void Player::GrowObjects(size_t size) { FObjects.resize(size); }

const Player::HandlerTable& Player::Handlers()
{
    static const HandlerTable table = [] {
        HandlerTable t{};
        AddStateHandlers(t);
        AddObjectHandlers(t);
        AddShapeHandlers(t);
        AddPathHandlers(t);
        AddTextHandlers(t);
        AddBitmapHandlers(t);
        return t;
    }();
    return table;
}

PlayStats Player::Play()
{
    const HandlerTable& table = Handlers();
    const emf::Bytes data = FPicture.Data();
    emf::RecordReader reader(data);
    while (const auto record = reader.Next()) {
        if (!FBudget.Spend(PlayBudget::kRecord)) {
            // The page's budget is spent: playing stops here.
            FStats.tooComplex = true;
            FStats.Skip(record->Type(), record->Offset(), skip::kTooComplex);
            return FStats;
        }
        const uint32_t type = record->Type();
        if (type == emf::kEmrEof) {
            ++FStats.played;
            break;
        }
        const Handler handler = type < kHandlerCount ? table[type] : nullptr;
        if (!handler) {
            FStats.Skip(type, record->Offset(), skip::kUnsupported);
            continue;
        }
        bool ok = false, outOfMemory = false;
        try {
            ok = (this->*handler)(*record);
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
        }
        if (FBudget.Exhausted()) {
            // This record spent the rest of the budget; what it drew before stays.
            FStats.tooComplex = true;
            FStats.Skip(type, record->Offset(), skip::kTooComplex);
            return FStats;
        }
        if (ok) {
            ++FStats.played;
        } else {
            FStats.Skip(type, record->Offset(), outOfMemory ? skip::kOutOfMemory : skip::kDamaged);
        }
    }
    if (const auto offset = reader.Error()) {
        // The walk stops at a record whose size does not fit; its type is read when it can be.
        const uint32_t type = *offset <= data.size() && data.size() - *offset >= 4 ? emf::LoadU32(data.data() + *offset) : 0;
        FStats.Skip(type, *offset, skip::kBadRecordSize);
    }
    return FStats;
}

// --- the budget ---

void Player::DeviceFill(const QPainterPath& path, const QBrush& brush, Composition mode)
{
    if (!FBudget.Spend(FillCost(path, FWindow, FRaster))) return;
    FDevice.FillPath(path, brush, mode);
}

void Player::DeviceStroke(const QPainterPath& path, const QPen& pen, Composition mode)
{
    double period = 0;
    if (pen.style() != Qt::SolidLine && !pen.isCosmetic())
        for (qreal dash : pen.dashPattern()) period += dash * pen.widthF();
    if (!(period > 0)) {
        if (!FBudget.Spend(StrokeCost(path, FWindow, pen.widthF(), FRaster))) return;
        FDevice.StrokePath(path, pen, mode);
        return;
    }
    // A wide dashed pen lays its pattern along the whole outline: only the outline within
    // the pen's reach of the window is dashed, and every dash is paid for.
    const double w = pen.widthF();
    const double reach = pen.joinStyle() == Qt::MiterJoin ? w * std::max<double>(pen.miterLimit(), 1) : w;
    double length = 0;
    const QPainterPath near = ClipForDashing(path, FWindow.adjusted(-reach, -reach, reach, reach), period, &length);
    const double dashes = std::min(length / period, 1e15) + 1;
    if (!FBudget.Spend(StrokeCost(near, FWindow, w, FRaster))) return;
    if (!FBudget.Spend(static_cast<uint64_t>(dashes) * PlayBudget::kDash)) return;
    FDevice.StrokePath(near, pen, mode);
}

QRect Player::RegionWindow() const
{
    constexpr double kSlack = 256;
    return FWindow.adjusted(-kSlack, -kSlack, kSlack, kSlack).toRect();
}

// --- clip ---

void Player::SyncClipToDevice()
{
    std::optional<QRegion> effective = FState.clip;
    if (FState.metaClip) effective = effective ? (*effective & *FState.metaClip) : *FState.metaClip;
    if (FClipSynced && effective == FDeviceClip) return;
    FDeviceClip = effective;
    FClipSynced = true;
    FDevice.SetClip(effective);
}

// --- colours and raster operations ---

bool Player::Rop2Composition(QColor* color, Composition* mode) const
{
    *mode = QPainter::CompositionMode_SourceOver;
    switch (FState.rop2) {
    case R2_NOP: return false;
    case R2_BLACK: *color = Qt::black; break;
    case R2_WHITE: *color = Qt::white; break;
    case R2_NOT: *mode = QPainter::RasterOp_NotDestination; break;
    case R2_XORPEN: *mode = QPainter::RasterOp_SourceXorDestination; break;
    case R2_NOTXORPEN: *mode = QPainter::RasterOp_NotSourceXorDestination; break;
    case R2_MASKPEN: *mode = QPainter::RasterOp_SourceAndDestination; break;
    case R2_MERGEPEN: *mode = QPainter::RasterOp_SourceOrDestination; break;
    case R2_NOTCOPYPEN: *mode = QPainter::RasterOp_NotSource; break;
    case R2_MASKNOTPEN: *mode = QPainter::RasterOp_NotSourceAndDestination; break;
    case R2_MERGENOTPEN: *mode = QPainter::RasterOp_NotSourceOrDestination; break;
    case R2_MASKPENNOT: *mode = QPainter::RasterOp_SourceAndNotDestination; break;
    case R2_MERGEPENNOT: *mode = QPainter::RasterOp_SourceOrNotDestination; break;
    case R2_NOTMERGEPEN: *mode = QPainter::RasterOp_NotSourceAndNotDestination; break;
    case R2_NOTMASKPEN: *mode = QPainter::RasterOp_NotSourceOrNotDestination; break;
    default: break;
    }
    return true;
}

std::optional<QBrush> Player::MakeBrush(const BrushObject* brush)
{
    if (!brush) return std::nullopt;
    switch (brush->style) {
    case BS_NULL: return std::nullopt;
    case BS_SOLID: return QBrush(Color(brush->color));
    case BS_HATCHED: {
        if (brush->hatch > HS_DIAGCROSS) return QBrush(Color(brush->color));
        QImage tile(8, 8, QImage::Format_ARGB32_Premultiplied);
        const QRgb fg = Color(brush->color).rgba();
        const QRgb bg = FState.bkMode == OPAQUE ? Color(FState.bkColor).rgba() : 0;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) tile.setPixel(x, y, (kHatches[brush->hatch][y] & (0x80 >> x)) ? fg : bg);
        QBrush b(tile);
        b.setTransform(QTransform::fromTranslate(FPlayback.dx(), FPlayback.dy()));
        return b;
    }
    default: break;
    }
    // Pattern brushes.
    if (brush->monochrome) {
        const std::array<QRgb, 2> colors{Color(FState.textColor).rgb(), Color(FState.bkColor).rgb()};
        if (brush->pattern.isNull() || brush->patternColors != colors) {
            DibOptions options;
            options.monochromeColors = colors;
            brush->pattern = DecodeRecordDib(brush->record, brush->dib.offBmi, brush->dib.cbBmi,
                                             brush->dib.offBits, brush->dib.cbBits, options);
            brush->patternColors = colors;
            if (FRaster) brush->pattern = RepeatedTile(brush->pattern);
        }
    } else if (brush->pattern.isNull()) {
        DibOptions options;
        options.usage = brush->usage;
        const std::vector<uint32_t> palette = SelectedPalette();
        options.palette = palette;
        brush->pattern = DecodeRecordDib(brush->record, brush->dib.offBmi, brush->dib.cbBmi, brush->dib.offBits,
                                         brush->dib.cbBits, options);
        if (FRaster) brush->pattern = RepeatedTile(brush->pattern);
    }
    const QImage pattern = brush->pattern;
    if (pattern.isNull()) return QBrush(Color(brush->color));
    QBrush b(pattern);
    const QPointF origin = FPlayback.map(QPointF(FState.brushOrigin));
    b.setTransform(QTransform::fromTranslate(origin.x(), origin.y()));
    return b;
}

void Player::FillAreaWith(const QPainterPath& path, const BrushObject* brushObject)
{
    std::optional<QBrush> brush = MakeBrush(brushObject);
    if (!brush) return;
    QColor color = brush->color();
    Composition mode;
    if (!Rop2Composition(&color, &mode)) return;
    if (color != brush->color()) brush = QBrush(color);
    SyncClip();
    DeviceFill(path, *brush, mode);
}

void Player::FillArea(const QPainterPath& path) { FillAreaWith(path, FState.brush.get()); }

// --- colours ---

QColor Player::PaletteColor(uint32_t colorRef) const
{
    // An entry of the selected palette; with none selected, of the picture's own palette,
    // which the picture is played with, else of the default palette. An index past the
    // palette's end takes entry 0.
    std::span<const uint32_t> palette = DefaultPalette();
    if (FState.palette && !FState.palette->entries.empty()) palette = FState.palette->entries;
    else if (!FPicture.PaletteEntries().empty()) palette = FPicture.PaletteEntries();
    const uint32_t index = colorRef & 0xFFFF;
    return ColorRef(index < palette.size() ? palette[index] : palette[0]);
}

// --- pens ---

bool Player::PenIsNull() const
{
    const PenObject* pen = FState.pen.get();
    return !pen || (pen->style & PS_STYLE_MASK) == PS_NULL || pen->nullBrush;
}

double Player::PenWidthOut()
{
    const PenObject* pen = FState.pen.get();
    if (!pen || pen->cosmetic || pen->width <= 0) return 1;
    const double w = std::round(pen->width * ScaleX());
    return std::clamp(w, 1.0, 1.0e5);
}

QPen Player::MakePen(double widthOut)
{
    const PenObject& pen = *FState.pen;
    QPen qpen(Color(pen.color), widthOut <= 1 ? 0 : widthOut);
    uint32_t style = pen.style & PS_STYLE_MASK;
    const bool geometric = !pen.cosmetic && widthOut > 1;
    // An old-style pen wider than one pixel draws solid whatever its style.
    if (!pen.extended && widthOut > 1) style = PS_SOLID;
    QList<qreal> dashes;
    switch (style) {
    case PS_DASH: dashes = geometric ? QList<qreal>{3, 1} : QList<qreal>{18, 6}; break;
    case PS_DOT: dashes = geometric ? QList<qreal>{1, 1} : QList<qreal>{3, 3}; break;
    case PS_DASHDOT: dashes = geometric ? QList<qreal>{3, 1, 1, 1} : QList<qreal>{9, 6, 3, 6}; break;
    case PS_DASHDOTDOT: dashes = geometric ? QList<qreal>{3, 1, 1, 1, 1, 1} : QList<qreal>{9, 3, 3, 3, 3, 3}; break;
    case PS_ALTERNATE: dashes = {1, 1}; break;
    case PS_USERSTYLE:
        for (uint32_t d : pen.dashes) {
            double v = pen.cosmetic ? d : d * ScaleX() / std::max(widthOut, 1.0);
            dashes.push_back(std::clamp(v, 0.01, 1.0e4));
        }
        if (dashes.size() % 2) dashes.push_back(dashes.back());
        if (dashes.size() > 32) dashes.resize(32);
        break;
    default: break;
    }
    if (!dashes.isEmpty()) qpen.setDashPattern(dashes);
    if (pen.extended) {
        switch (pen.style & PS_ENDCAP_MASK) {
        case PS_ENDCAP_SQUARE: qpen.setCapStyle(Qt::SquareCap); break;
        case PS_ENDCAP_FLAT: qpen.setCapStyle(Qt::FlatCap); break;
        default: qpen.setCapStyle(Qt::RoundCap); break;
        }
        switch (pen.style & PS_JOIN_MASK) {
        case PS_JOIN_BEVEL: qpen.setJoinStyle(Qt::BevelJoin); break;
        case PS_JOIN_MITER: qpen.setJoinStyle(Qt::MiterJoin); break;
        default: qpen.setJoinStyle(Qt::RoundJoin); break;
        }
    } else {
        qpen.setCapStyle(widthOut > 1 ? Qt::RoundCap : Qt::SquareCap);
        qpen.setJoinStyle(Qt::RoundJoin);
    }
    if (!dashes.isEmpty() && widthOut <= 1) qpen.setCapStyle(Qt::FlatCap);
    qpen.setMiterLimit(FState.miterLimit);
    return qpen;
}

namespace {

// Runs of pixels gathered into one path, handed to the device in batches so that a long
// outline never holds more than kBatch rectangles.
class PixelRuns {
public:
    static constexpr int kBatch = 1 << 14;
    PixelRuns(const PlayBudget& budget, std::function<void(const QPainterPath&)> fill)
        : FBudget(budget), FFill(std::move(fill))
    {
        FPath.setFillRule(Qt::WindingFill);
    }
    // False once the page's budget is spent: nothing more needs gathering.
    bool Add(const QRectF& run)
    {
        FPath.addRect(run);
        if (++FCount == kBatch) Flush();
        return !FBudget.Exhausted();
    }
    void Flush()
    {
        if (FCount == 0) return;
        FFill(FPath);
        FPath = QPainterPath();
        FPath.setFillRule(Qt::WindingFill);
        FCount = 0;
    }

private:
    const PlayBudget& FBudget;
    std::function<void(const QPainterPath&)> FFill;
    QPainterPath FPath;
    int FCount = 0;
};

// The first i in [lo, hi] for which pred (false, then true along i) holds; hi + 1 if none.
template <typename Pred>
int64_t FirstTrue(int64_t lo, int64_t hi, Pred pred)
{
    while (lo <= hi) {
        const int64_t mid = lo + (hi - lo) / 2;
        if (pred(mid)) hi = mid - 1;
        else lo = mid + 1;
    }
    return lo;
}

// The pixels of a one-pixel line from a to b (whole output pixels), b left out, as GDI's
// line drawing picks them (a tie goes to the row or column nearer the start), gathered
// into runs of pixels. Only the pixels inside window are visited. False when the budget
// ran out.
bool AddLinePixels(QPointF a, QPointF b, const QRectF& window, PixelRuns& runs)
{
    constexpr double kFar = 1e12;  // a short line this far away cannot reach the window
    if (!(std::abs(a.x()) < kFar && std::abs(a.y()) < kFar && std::abs(b.x()) < kFar && std::abs(b.y()) < kFar))
        return true;
    const int64_t x0 = std::llround(a.x()), y0 = std::llround(a.y());
    const int64_t dx = std::llround(b.x()) - x0, dy = std::llround(b.y()) - y0;
    if (dx == 0 && dy == 0) return true;
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const int64_t steps = std::max(std::abs(dx), std::abs(dy));
    const int64_t major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
    const int64_t stepSign = major > 0 ? 1 : -1;
    auto minorAt = [&](int64_t i) {
        // Rounded to the nearest, ties towards zero.
        const int64_t num = 2 * i * std::abs(minor), den = 2 * steps;
        const int64_t q = (num + steps - 1) / den;
        return minor >= 0 ? q : -q;
    };
    // Pixel i lies at major coordinate m0 + i * stepSign and minor coordinate n0 + minorAt(i);
    // keep the i whose pixels are inside the window.
    const int64_t m0 = xMajor ? x0 : y0, n0 = xMajor ? y0 : x0;
    const double majorLo = xMajor ? window.left() : window.top(), majorHi = xMajor ? window.right() : window.bottom();
    const double minorLo = xMajor ? window.top() : window.left(), minorHi = xMajor ? window.bottom() : window.right();
    int64_t lo = 0, hi = steps - 1;
    const double from = stepSign > 0 ? majorLo - static_cast<double>(m0) : static_cast<double>(m0) - majorHi;
    const double to = stepSign > 0 ? majorHi - static_cast<double>(m0) : static_cast<double>(m0) - majorLo;
    lo = std::max<int64_t>(lo, static_cast<int64_t>(std::ceil(std::max(from, -1.0))));
    hi = std::min<int64_t>(hi, static_cast<int64_t>(std::floor(std::min(to, static_cast<double>(steps)))));
    if (lo > hi) return true;
    auto minorOf = [&](int64_t i) { return static_cast<double>(n0 + minorAt(i)); };
    if (minor >= 0) {
        const int64_t first = FirstTrue(lo, hi, [&](int64_t i) { return minorOf(i) >= minorLo; });
        hi = FirstTrue(lo, hi, [&](int64_t i) { return minorOf(i) > minorHi; }) - 1;
        lo = first;
    } else {
        const int64_t first = FirstTrue(lo, hi, [&](int64_t i) { return minorOf(i) <= minorHi; });
        hi = FirstTrue(lo, hi, [&](int64_t i) { return minorOf(i) < minorLo; }) - 1;
        lo = first;
    }
    if (lo > hi) return true;
    int64_t runStart = lo;
    int64_t runMinor = minorAt(lo);
    auto flush = [&](int64_t end) {
        const int64_t first = runStart * stepSign, last = (end - 1) * stepSign;
        const int64_t low = std::min(first, last), length = std::abs(last - first) + 1;
        if (xMajor) return runs.Add(QRectF(static_cast<double>(x0 + low), static_cast<double>(y0 + runMinor), static_cast<double>(length), 1));
        return runs.Add(QRectF(static_cast<double>(x0 + runMinor), static_cast<double>(y0 + low), 1, static_cast<double>(length)));
    };
    for (int64_t i = lo + 1; i <= hi; ++i) {
        const int64_t m = minorAt(i);
        if (m != runMinor) {
            if (!flush(i)) return false;
            runStart = i;
            runMinor = m;
        }
    }
    return flush(hi + 1);
}

}  // namespace

void Player::StrokeOutline(const QPainterPath& points)
{
    if (PenIsNull() || points.isEmpty()) return;
    QColor color = Color(FState.pen->color);
    Composition mode;
    if (!Rop2Composition(&color, &mode)) return;
    const double width = PenWidthOut();
    const uint32_t style = FState.pen->style & PS_STYLE_MASK;
    const bool solid = style == PS_SOLID || style == PS_INSIDEFRAME || (!FState.pen->extended && width > 1);
    SyncClip();
    // An odd width centres the pen on the pixel, an even one on the pixel's top left corner.
    const double shift = static_cast<int64_t>(width) % 2 ? 0.5 : 0;
    const QPainterPath shifted = points.translated(shift, shift);
    if (width > 1 || !solid) {
        QPen pen = MakePen(width);
        pen.setColor(color);
        DeviceStroke(shifted, pen, mode);
        return;
    }
    // A one-pixel solid pen: upright segments as exact pixel runs, the end point left out
    // as GDI leaves it; slanted segments and curves as lines through the pixel centres.
    PixelRuns runs(FBudget, [&](const QPainterPath& batch) { DeviceFill(batch, QBrush(color), mode); });
    QPainterPath slanted;
    bool hasSlanted = false;
    QPointF previous;
    for (int i = 0; i < points.elementCount(); ++i) {
        const QPainterPath::Element e = points.elementAt(i);
        const QPointF p(e.x, e.y);
        if (e.isMoveTo()) {
            previous = p;
            continue;
        }
        if (e.isLineTo()) {
            bool more = true;
            if (p.y() == previous.y() && p.x() != previous.x()) {
                const double x0 = p.x() > previous.x() ? previous.x() : p.x() + 1;
                const QRectF run = QRectF(x0, p.y(), std::abs(p.x() - previous.x()), 1) & FWindow;
                if (!run.isEmpty()) more = runs.Add(run);
            } else if (p.x() == previous.x() && p.y() != previous.y()) {
                const double y0 = p.y() > previous.y() ? previous.y() : p.y() + 1;
                const QRectF run = QRectF(p.x(), y0, 1, std::abs(p.y() - previous.y())) & FWindow;
                if (!run.isEmpty()) more = runs.Add(run);
            } else if (p != previous) {
                if (std::max(std::abs(p.x() - previous.x()), std::abs(p.y() - previous.y())) < 65536) {
                    more = AddLinePixels(previous, p, FWindow, runs);
                } else {
                    slanted.moveTo(previous + QPointF(0.5, 0.5));
                    slanted.lineTo(p + QPointF(0.5, 0.5));
                    hasSlanted = true;
                }
            }
            previous = p;
            if (!more) return;
            continue;
        }
        // A curve: cubicTo and its two data elements.
        if (e.type == QPainterPath::CurveToElement && i + 2 < points.elementCount()) {
            const QPainterPath::Element c2 = points.elementAt(i + 1);
            const QPainterPath::Element end = points.elementAt(i + 2);
            slanted.moveTo(previous + QPointF(0.5, 0.5));
            slanted.cubicTo(p + QPointF(0.5, 0.5), QPointF(c2.x + 0.5, c2.y + 0.5), QPointF(end.x + 0.5, end.y + 0.5));
            hasSlanted = true;
            previous = QPointF(end.x, end.y);
            i += 2;
        }
    }
    runs.Flush();
    if (hasSlanted) {
        QPen pen(color, 0);
        pen.setCapStyle(Qt::SquareCap);
        DeviceStroke(slanted, pen, mode);
    }
}

void Player::AddToPath(const QPainterPath& points)
{
    FState.path.addPath(points);
}

void Player::DrawShape(const QPainterPath& points, bool fill, const QPainterPath* fillArea)
{
    if (FState.inPath) {
        AddToPath(points);
        return;
    }
    if (!FDrawsShapes) return;
    if (fill) {
        QPainterPath area = fillArea ? *fillArea : points;
        area.setFillRule(FState.fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
        FillArea(area);
    }
    StrokeOutline(points);
}

}  // namespace qrp::render
