// Text: EXTTEXTOUT, POLYTEXTOUT and SMALLTEXTOUT. Each glyph is placed from the record's
// advances, so a line keeps its recorded length whatever font this machine substitutes.
#include "render/player.h"

#include "emf/emr_types.h"
#include "emf/records_text.h"
#include "emf/wmf/code_pages.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace qrp::render {

using namespace emf;
using namespace emf::gdi;

namespace {

// Glyphs larger than this (in output pixels) are not drawn: no page shows them and the
// rasteriser would spend seconds on each.
constexpr double kMaxEm = 16000;

// Symbol fonts keep their glyphs at U+F000 + code: a font asked for with SYMBOL_CHARSET
// draws its codes from there, and a face that lacks them shows missing glyphs, not letters.
// Text recorded through the ANSI code page carries codes 0x80..0x9F as the characters
// that page gives them (U+20AC for 0x80): they go back to their codes first.
QString SymbolCodes(QString chars)
{
    static const wmf::CodePage* const ansi = wmf::CodePage::Find(1252);
    for (QChar& c : chars) {
        uint16_t code = c.unicode();
        if (code >= 0x100 && ansi) {
            const uint16_t bytes = ansi->Encode(code);
            if (bytes >= 0x80 && bytes < 0x100 && ansi->DecodeByte(static_cast<uint8_t>(bytes)) == code) code = bytes;
        }
        if (code < 0x100) c = QChar(static_cast<char16_t>(0xF000 + code));
    }
    return chars;
}

// Whether any unit is a surrogate (0xD800..0xDFFF: top five bits 11011), looked at four
// units at a time: most runs hold none.
bool AnySurrogate(std::u16string_view text)
{
    constexpr uint64_t kTopBits = 0xF800F800F800F800, kSurrogate = 0xD800D800D800D800;
    constexpr uint64_t kOnes = 0x0001000100010001, kHighs = 0x8000800080008000;
    size_t i = 0;
    for (; i + 4 <= text.size(); i += 4) {
        uint64_t units;
        std::memcpy(&units, text.data() + i, sizeof units);
        const uint64_t v = (units & kTopBits) ^ kSurrogate;  // a lane is 0 for a surrogate
        if ((v - kOnes) & ~v & kHighs) return true;
    }
    for (; i < text.size(); ++i)
        if ((text[i] & 0xF800) == 0xD800) return true;
    return false;
}

// UTF-16 units less the second halves of surrogate pairs.
size_t CodePoints(std::u16string_view text)
{
    if (!AnySurrogate(text)) return text.size();
    size_t pairs = 0;
    for (size_t i = 1; i < text.size(); ++i)
        pairs += (text[i - 1] & 0xFC00) == 0xD800 && (text[i] & 0xFC00) == 0xDC00 ? 1 : 0;
    return text.size() - pairs;
}

// The sum of the first n advances (all of them when there are fewer), exact in 64 bits: a
// record holds far fewer than 2^32 advances of at most 2^31 each.
int64_t SumOfFirst(const std::vector<int32_t>& advances, size_t n)
{
    int64_t sum = 0;
    for (size_t i = 0, end = std::min(n, advances.size()); i < end; ++i) sum += advances[i];
    return sum;
}

}  // namespace

void Player::AddTextHandlers(HandlerTable& t)
{
    for (uint32_t type : {kEmrExtTextOutA, kEmrExtTextOutW, kEmrPolyTextOutA, kEmrPolyTextOutW, kEmrSmallTextOut})
        t[type] = &Player::OnTextOut;
}

bool Player::OnTextOut(const Record& r)
{
    if (!EmrTextOut::ReadInto(r, &FTextRecord)) return false;
    for (const TextRun& run : FTextRecord.runs) DrawTextRun(run, FTextRecord.graphicsMode);
    return true;
}

void Player::DrawTextRun(const TextRun& run, uint32_t graphicsMode)
{
    // Inside a path bracket the glyphs' outlines join the path and nothing is drawn.
    const bool inPath = FState.inPath;
    const LogFont& lf = FState.font->font;
    const QTransform& total = Total();
    const bool updateCp = (FState.textAlign & TA_UPDATECP) != 0;
    const QPointF reference = updateCp ? FState.position : QPointF(run.reference.x, run.reference.y);

    if ((run.options & ETO_OPAQUE) && !inPath) {
        QPainterPath box;
        box.addRegion(LogicalRectRegion(run.rect));
        SyncClip();
        DeviceFill(box, QBrush(Color(FState.bkColor)), QPainter::CompositionMode_SourceOver);
    }
    if (run.text.empty()) return;

    const TextRendering how = FTextRendering;
    // Whole output pixels where GDI's rounding is wanted; fractions otherwise.
    auto whole = [&](double v) { return how.wholePixels ? std::round(v) : v; };

    // The em height: a negative height is the character height, a positive one the cell
    // height (ascent + descent).
    // GM_COMPATIBLE sizes the font by the vertical scale alone, as a rotating transform
    // leaves it: a font turned by 30 degrees comes out cos 30 as high (it is never turned).
    const double xScale = ScaleX();
    const double compatibleScale = std::abs(total.m22()), trueScale = ScaleY();
    const double yScale = graphicsMode != GM_ADVANCED && compatibleScale > 1e-3 * trueScale ? compatibleScale : trueScale;
    double em;
    if (lf.height < 0) {
        em = -static_cast<double>(lf.height) * yScale;
        // GDI cuts a scaled character height to whole pixels when it realises the font.
        if (how.wholePixels) em = std::floor(em + 1e-6);
    } else {
        const double cell = (lf.height > 0 ? lf.height : 16) * yScale;
        em = whole(whole(cell) / FFonts.CellRatio(lf));
    }
    if (!std::isfinite(em) || em > kMaxEm) return;
    const bool visible = how.wholePixels ? em >= 1 : em >= 0.5;

    // The substituted faces ask for whole-pixel glyphs without grey levels from 10 to 17
    // pixels (their grid-fitting table), and GDI follows it.
    const bool antialias = !how.gdiGreyLevels || em < 10 || em >= 18;
    const SizedFont& sized = FFonts.Sized(lf, std::max(em, 1.0), antialias, how.hinted);
    const double ascent = whole(sized.standIn ? em * sized.standIn->ascent : sized.ascent);
    const double descent = whole(sized.standIn ? em * sized.standIn->descent : sized.descent);
    // The run's font and characters go into the kept run's buffers, which no device holds on to.
    GlyphRun& glyphRun = FGlyphRun;
    glyphRun.font = sized.font;
    const QRawFont& font = glyphRun.font;
    QString& chars = glyphRun.text;
    chars.resize(static_cast<qsizetype>(run.text.size()));
    std::memcpy(static_cast<void*>(chars.data()), run.text.data(), run.text.size() * sizeof(char16_t));
    // A device that draws no glyphs needs them only for advances the picture leaves out and
    // for outlines in a path; otherwise one place per character (a surrogate pair is one).
    const bool needGlyphs = FDrawsGlyphs || run.dx.empty() || inPath;
    QList<quint32>& glyphs = FGlyphs;
    glyphs.clear();
    size_t count = 0;
    if (run.options & ETO_GLYPH_INDEX) {
        for (char16_t c : run.text) glyphs.push_back(c);
    } else if (!needGlyphs) {
        count = CodePoints(run.text);
    } else if (lf.charSet == SYMBOL_CHARSET) {
        glyphs = font.glyphIndexesForString(SymbolCodes(chars));
    } else {
        glyphs = font.glyphIndexesForString(chars);
    }
    if (needGlyphs || (run.options & ETO_GLYPH_INDEX)) count = static_cast<size_t>(glyphs.size());
    double stretch = 1;
    if (lf.width != 0) {
        const double natural = em * FFonts.AverageWidthRatio(lf);
        if (natural > 0) stretch = std::clamp(std::abs(lf.width) * xScale / natural, 0.05, 20.0);
    }

    // The glyphs' baseline direction, and advances in output pixels.
    QPointF direction(1, 0);
    if (lf.escapement != 0) {
        const double escapement = lf.escapement / 10.0 * std::numbers::pi / 180.0;
        direction = QPointF(std::cos(escapement), -std::sin(escapement));
    }
    if (graphicsMode == GM_ADVANCED) {
        const QPointF mapped = total.map(direction) - total.map(QPointF(0, 0));
        const double length = std::hypot(mapped.x(), mapped.y());
        if (length > 0) direction = mapped / length;
    }
    const QPointF up(direction.y(), -direction.x());
    // Where glyph origins advance. GM_COMPATIBLE keeps glyphs upright, yet the picture's
    // advances pass through a rotating or shearing transform: each origin lies on the
    // transformed baseline, which still runs left to right.
    QPointF baseline = direction;
    if (graphicsMode != GM_ADVANCED && !run.dx.empty() && total.type() >= QTransform::TxRotate) {
        QPointF mapped = total.map(direction) - total.map(QPointF(0, 0));
        if (mapped.x() < 0) mapped.setX(-mapped.x());
        const double length = std::hypot(mapped.x(), mapped.y());
        if (length > 0) baseline = mapped / length;
    }
    // The run's length along the baseline in output pixels: from the picture's advances,
    // where characters past the end of the array keep the sum reached, else from the font's.
    // With the picture's it is also the last offset the glyphs are placed by, and is taken
    // from there unless alignment or the current position need it first.
    std::vector<double>& offsets = FTextOffsets;  // the font's advances summed, one per glyph and the end
    double width = 0, endRise = 0;
    if (!run.dx.empty()) {
        const bool widthFirst = updateCp || (FState.textAlign & TA_CENTER) != TA_LEFT;
        if (count > 0 && widthFirst) width = static_cast<double>(SumOfFirst(run.dx, count)) * xScale;
    } else {
        offsets.assign(count + 1, 0);
        const QList<QPointF> advances = font.advancesForGlyphIndexes(
            glyphs, how.hinted ? QRawFont::SeparateAdvances : QRawFont::UseDesignMetrics);
        for (size_t i = 0; i < count; ++i)
            offsets[i + 1] = offsets[i] + whole(advances[static_cast<qsizetype>(i)].x() * stretch);
        width = offsets[count];
    }

    QPointF start = total.map(reference);
    // Upright text on whole pixels: GDI rounds the reference point and every glyph origin.
    const bool upright = std::abs(baseline.y()) < 1e-9 && baseline.x() > 0 && std::abs(direction.y()) < 1e-9;
    const bool snapped = upright && how.wholePixels;
    if (snapped) start = Snap(start);
    switch (FState.textAlign & TA_CENTER) {
    case TA_RIGHT: start -= baseline * width; break;
    case TA_CENTER: start -= baseline * whole(width / 2); break;
    default: break;
    }
    if (updateCp && (FState.textAlign & TA_CENTER) != TA_CENTER) {
        // The current position moves to the far end of the text, on the reference line.
        const QPointF cp = (FState.textAlign & TA_CENTER) == TA_RIGHT ? start : start + baseline * width;
        bool invertible = false;
        const QTransform inverse = total.inverted(&invertible);
        if (invertible) FState.position = inverse.map(cp);
    }
    switch (FState.textAlign & TA_BASELINE) {
    case TA_BASELINE: break;
    case TA_BOTTOM: start += up * descent; break;
    default: start -= up * ascent; break;  // TA_TOP
    }
    if (!visible) return;

    // Glyph origins, in one pass: each lies the sum of the advances before it along the
    // baseline (and of ETO_PDY's against it) from the start. Without ETO_PDY the rise is
    // zero, still subtracted so that zeros keep their signs.
    std::vector<QPointF>& positions = glyphRun.positions;
    positions.resize(count);
    const QPointF noRise = up * 0.0;
    if (run.dx.empty()) {
        for (size_t i = 0; i < count; ++i) positions[i] = start + baseline * offsets[i] - noRise;
    } else if (run.dy.empty()) {
        const size_t given = std::min(count, run.dx.size());
        int64_t sum = 0;
        double offset = 0;
        size_t i = 0;
        for (; i < given; ++i) {
            positions[i] = start + baseline * offset - noRise;
            offset = static_cast<double>(sum += run.dx[i]) * xScale;
        }
        for (; i < count; ++i) positions[i] = start + baseline * offset - noRise;
        width = offset;
    } else {
        const size_t givenX = std::min(count, run.dx.size()), givenY = std::min(count, run.dy.size());
        int64_t sumX = 0, sumY = 0;
        double offset = 0, rise = 0;
        for (size_t i = 0; i < count; ++i) {
            positions[i] = start + baseline * offset - up * rise;
            if (i < givenX) offset = static_cast<double>(sumX += run.dx[i]) * xScale;
            if (i < givenY) rise = static_cast<double>(sumY += run.dy[i]) * yScale;
        }
        width = offset;
        endRise = rise;
    }
    // Upright text on whole pixels: GDI rounds every glyph origin (a path keeps them exact).
    if (snapped && !inPath)
        for (QPointF& p : positions) p = QPointF(std::round(p.x()), std::round(p.y()));

    if (inPath) {
        const double angle = std::atan2(direction.y(), direction.x()) * 180.0 / std::numbers::pi;
        for (size_t i = 0; i < count; ++i) {
            const QPointF& p = positions[i];
            QTransform place;
            place.translate(p.x(), p.y());
            place.rotate(angle);
            place.scale(stretch, 1);
            const QPainterPath outline = font.pathForGlyph(glyphs[static_cast<qsizetype>(i)]);
            if (!FBudget.Spend(static_cast<uint64_t>(outline.elementCount()) * PlayBudget::kPathElement)) return;
            FState.path.addPath(place.map(outline));
        }
        return;
    }

    SyncClip();
    const bool clipped = (run.options & ETO_CLIPPED) != 0;
    if (clipped) {
        QRegion clip = LogicalRectRegion(run.rect);
        if (FDeviceClip) clip &= *FDeviceClip;
        FDevice.SetClip(clip);
    }
    if (FState.bkMode == OPAQUE && !(run.options & ETO_OPAQUE)) {
        QPolygonF box;
        const QPointF top = start + up * ascent, bottom = start - up * descent;
        box << top << top + baseline * width << bottom + baseline * width << bottom;
        QPainterPath path;
        path.addPolygon(upright ? QPolygonF(box.toPolygon()) : box);
        DeviceFill(path, QBrush(Color(FState.bkColor)), QPainter::CompositionMode_SourceOver);
    }

    glyphRun.textIsGlyphs = (run.options & ETO_GLYPH_INDEX) != 0;
    SetColor(glyphRun.color, FState.textColor);
    glyphRun.antialias = antialias;
    glyphRun.stretch = stretch;
    glyphRun.angle = direction == QPointF(1, 0) ? 0 : std::atan2(direction.y(), direction.x()) * 180.0 / std::numbers::pi;
    if (needGlyphs) glyphRun.glyphs.assign(glyphs.begin(), glyphs.end());
    else glyphRun.glyphs.clear();
    glyphRun.end = start + baseline * width - up * endRise;
    if (!FRaster) {
        if (FBudget.Spend(count * PlayBudget::kGlyph)) FDevice.DrawGlyphs(glyphRun);
    } else if (PayForGlyphs(glyphRun)) {
        DrawGlyphsInParts(glyphRun);
    }

    if (lf.underline || lf.strikeOut) {
        const double thickness = std::max(1.0, std::round(font.lineThickness()));
        auto line = [&](double below) {
            const QPointF a = start - up * below, b = a + baseline * width;
            QPolygonF quad;
            quad << a << b << b - up * thickness << a - up * thickness;
            QPainterPath path;
            path.addPolygon(upright ? QPolygonF(quad.toPolygon()) : quad);
            DeviceFill(path, QBrush(glyphRun.color), QPainter::CompositionMode_SourceOver);
        };
        if (lf.underline) line(std::max(1.0, std::round(font.underlinePosition())));
        if (lf.strikeOut) line(-std::round(font.xHeight() / 2));
    }
    if (clipped) FDevice.SetClip(FDeviceClip);
}

bool Player::PayForGlyphs(GlyphRun& run)
{
    FGlyphPixels.clear();
    // Rasterising a glyph costs the pixels of its box inside the window.
    QTransform shape;
    shape.rotate(run.angle);
    shape.scale(run.stretch, 1);
    for (size_t i = 0; i < run.glyphs.size(); ++i) {
        const QRectF box = shape.mapRect(run.font.boundingRect(run.glyphs[i])).translated(run.positions[i]) & FWindow;
        const double pixels = box.isEmpty() ? 0 : box.width() * box.height();
        if (!FBudget.Spend(PlayBudget::kGlyph + static_cast<uint64_t>(pixels) * PlayBudget::kGlyphPixel)) break;
        FGlyphPixels.push_back(pixels);
    }
    run.glyphs.resize(FGlyphPixels.size());
    run.positions.resize(FGlyphPixels.size());
    return !run.glyphs.empty();
}

void Player::DrawGlyphsInParts(const GlyphRun& run)
{
    // Large glyphs are filled as outlines, and filling many overlapping outlines at once
    // costs far more than filling them part by part: a run whose glyphs cover more than the
    // window is drawn in parts that cover it at most once each, glyphs off it left out.
    const double window = FWindow.width() * FWindow.height();
    double total = 0;
    for (double pixels : FGlyphPixels) total += pixels;
    if (total <= window) {
        FDevice.DrawGlyphs(run);
        return;
    }
    GlyphRun part = run;
    part.glyphs.clear();
    part.positions.clear();
    double covered = 0;
    for (size_t i = 0; i <= FGlyphPixels.size(); ++i) {
        const bool last = i == FGlyphPixels.size();
        if (!part.glyphs.empty() && (last || covered + FGlyphPixels[i] > window)) {
            FDevice.DrawGlyphs(part);
            part.glyphs.clear();
            part.positions.clear();
            covered = 0;
        }
        if (last || FGlyphPixels[i] == 0) continue;
        part.glyphs.push_back(run.glyphs[i]);
        part.positions.push_back(run.positions[i]);
        covered += FGlyphPixels[i];
    }
}

}  // namespace qrp::render
