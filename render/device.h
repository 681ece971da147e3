// The drawing device the record player drives. Every coordinate is in the output's
// coordinates (the painter's, or the trace's), after the picture's mapping: the player
// does all of GDI's geometry, the device only paints.
#pragma once

#include "render/text_mode.h"

#include <QBrush>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRawFont>
#include <QRegion>
#include <QTransform>

#include <optional>
#include <vector>

namespace qrp::render {

// How a drawing combines with what is already there; Source-over unless a raster
// operation says otherwise.
using Composition = QPainter::CompositionMode;

// Glyphs placed one by one: each glyph's baseline origin in output coordinates.
struct GlyphRun {
    QRawFont font;                  // at its pixel size, unrotated
    std::vector<quint32> glyphs;    // glyph indices in font (empty for a device that draws no glyphs)
    std::vector<QPointF> positions; // one per glyph
    QPointF end;                    // where the run ends on its baseline, after the last advance
    QString text;                   // the characters drawn
    bool textIsGlyphs = false;      // text holds glyph indices, not characters
    qreal angle = 0;                // baseline rotation in degrees, clockwise on the output
    qreal stretch = 1;              // horizontal glyph scale (LOGFONT width)
    QColor color;
    bool antialias = true;          // grey-level edges; false: whole pixels
};

class Device {
public:
    virtual ~Device() = default;
    // Fills path (its fill rule included) with brush.
    virtual void FillPath(const QPainterPath& path, const QBrush& brush, Composition mode) = 0;
    // Strokes path with pen. A pen of width 0 is one output pixel (cosmetic).
    virtual void StrokePath(const QPainterPath& path, const QPen& pen, Composition mode) = 0;
    virtual void DrawGlyphs(const GlyphRun& run) = 0;
    // Draws source (a part of image) through imageToOutput, which maps image pixel
    // coordinates onto the output. smooth: filtered scaling (HALFTONE).
    virtual void DrawImage(const QImage& image, const QRectF& source, const QTransform& imageToOutput,
                           Composition mode, bool smooth) = 0;
    // The clip for the drawings that follow: std::nullopt is no clip.
    virtual void SetClip(const std::optional<QRegion>& clip) = 0;
    // False for a device that ignores pictures: the player then leaves bitmaps undecoded.
    virtual bool DrawsImages() const { return true; }
    // False for a device that needs where each character lies, not which glyph draws it:
    // where the picture gives the advances, the player then looks up no glyphs and passes a
    // run with glyphs empty (positions still one per glyph).
    virtual bool DrawsGlyphs() const { return true; }
    // False for a device that ignores fills and strokes: the player then leaves shapes
    // outside a path bracket unpainted (a path bracket still collects them).
    virtual bool DrawsShapes() const { return true; }
    // The output area drawings can reach, in output coordinates; empty when unknown.
    virtual QRectF Bounds() const { return {}; }
    // Drawing costs work per pixel (a raster image or screen), not per element (PDF, SVG).
    virtual bool Raster() const { return false; }
    // How the player places and rasterises text for this device.
    virtual TextMode TextDrawing() const { return TextMode::kGdi; }
};

}  // namespace qrp::render
