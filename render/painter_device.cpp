#include "render/painter_device.h"

#include "render/image_reuse.h"

#include <QGlyphRun>
#include <QPaintEngine>

namespace qrp::render {

PainterDevice::PainterDevice(QPainter& painter, TextMode text) : FPainter(painter), FText(text)
{
    FPainter.save();
    FBaseTransform = FPainter.transform();
    FBaseClipping = FPainter.hasClipping();
    if (FBaseClipping) FBaseClip = FPainter.clipPath();
    FRasterOps = FPainter.paintEngine() && FPainter.paintEngine()->type() == QPaintEngine::Raster;
    FPainter.setRenderHint(QPainter::Antialiasing, false);
    FPainter.setRenderHint(QPainter::TextAntialiasing, true);
    FPainter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    FPainter.setCompositionMode(FMode);
}

PainterDevice::~PainterDevice() { FPainter.restore(); }

void PainterDevice::SetComposition(Composition mode)
{
    // Raster operations exist on raster devices only; elsewhere the drawing is plain.
    if (!FRasterOps && mode >= QPainter::RasterOp_SourceOrDestination) mode = QPainter::CompositionMode_SourceOver;
    if (mode == FMode) return;
    FMode = mode;
    FPainter.setCompositionMode(mode);
}

void PainterDevice::FillPath(const QPainterPath& path, const QBrush& brush, Composition mode)
{
    SetComposition(mode);
    FPainter.fillPath(path, brush);
}

void PainterDevice::StrokePath(const QPainterPath& path, const QPen& pen, Composition mode)
{
    SetComposition(mode);
    FPainter.strokePath(path, pen);
}

void PainterDevice::DrawGlyphs(const GlyphRun& run)
{
    if (run.glyphs.empty()) return;
    SetComposition(QPainter::CompositionMode_SourceOver);
    QGlyphRun glyphs;
    glyphs.setRawFont(run.font);
    glyphs.setGlyphIndexes(QList<quint32>(run.glyphs.begin(), run.glyphs.end()));
    FPainter.setPen(run.color);
    FPainter.setRenderHint(QPainter::TextAntialiasing, run.antialias);
    if (run.angle == 0 && run.stretch == 1) {
        glyphs.setPositions(QList<QPointF>(run.positions.begin(), run.positions.end()));
        FPainter.drawGlyphRun(QPointF(0, 0), glyphs);
        return;
    }
    // Rotated or stretched: draw in the baseline's own frame from the first glyph.
    const QPointF origin = run.positions.front();
    QTransform frame;
    frame.translate(origin.x(), origin.y());
    frame.rotate(run.angle);
    frame.scale(run.stretch, 1);
    const QTransform back = frame.inverted();
    QList<QPointF> local;
    local.reserve(static_cast<qsizetype>(run.positions.size()));
    for (const QPointF& p : run.positions) local.push_back(back.map(p));
    glyphs.setPositions(local);
    FPainter.setTransform(frame * FBaseTransform);
    FPainter.drawGlyphRun(QPointF(0, 0), glyphs);
    FPainter.setTransform(FBaseTransform);
}

void PainterDevice::DrawImage(const QImage& image, const QRectF& source, const QTransform& imageToOutput,
                              Composition mode, bool smooth)
{
    SetComposition(mode);
    FPainter.setTransform(imageToOutput * FBaseTransform);
    FPainter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    // A document keeps images by identity: the same pixels again are the same image.
    FPainter.drawImage(source, FRasterOps ? image : SameImage(image), source);
    FPainter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    FPainter.setTransform(FBaseTransform);
}

QRectF PainterDevice::Bounds() const
{
    const QPaintDevice* device = FPainter.device();
    if (!device || device->width() <= 0 || device->height() <= 0) return {};
    bool invertible = false;
    const QTransform toOutput = FPainter.combinedTransform().inverted(&invertible);
    if (!invertible) return {};
    QRectF bounds = toOutput.mapRect(QRectF(0, 0, device->width(), device->height()));
    if (FBaseClipping) bounds &= FBaseClip.boundingRect();
    return bounds;
}

void PainterDevice::SetClip(const std::optional<QRegion>& clip)
{
    if (!clip) {
        if (FBaseClipping) FPainter.setClipPath(FBaseClip);
        else FPainter.setClipping(false);
        return;
    }
    if (FBaseClipping) {
        FPainter.setClipPath(FBaseClip);
        FPainter.setClipRegion(*clip, Qt::IntersectClip);
    } else {
        // Clipping switched back on first: Qt 6.4's raster engine, given a region of several
        // rectangles right after clipping was switched off, fills some paths unclipped.
        FPainter.setClipping(true);
        FPainter.setClipRegion(*clip);
    }
}

}  // namespace qrp::render
