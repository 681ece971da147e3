// The Device that paints on a QPainter. Shapes are drawn without antialiasing, as GDI
// draws them; text as its TextMode says.
#pragma once

#include "render/device.h"

namespace qrp::render {

class PainterDevice : public Device {
public:
    // Saves the painter's state; the destructor restores it.
    explicit PainterDevice(QPainter& painter, TextMode text = TextMode::kGdi);
    ~PainterDevice() override;
    PainterDevice(const PainterDevice&) = delete;
    PainterDevice& operator=(const PainterDevice&) = delete;

    void FillPath(const QPainterPath& path, const QBrush& brush, Composition mode) override;
    void StrokePath(const QPainterPath& path, const QPen& pen, Composition mode) override;
    void DrawGlyphs(const GlyphRun& run) override;
    void DrawImage(const QImage& image, const QRectF& source, const QTransform& imageToOutput, Composition mode,
                   bool smooth) override;
    void SetClip(const std::optional<QRegion>& clip) override;
    QRectF Bounds() const override;
    bool Raster() const override { return FRasterOps; }
    TextMode TextDrawing() const override { return FText; }

private:
    void SetComposition(Composition mode);

    QPainter& FPainter;
    QTransform FBaseTransform;
    bool FBaseClipping = false;
    QPainterPath FBaseClip;
    bool FRasterOps = false;
    TextMode FText;
    Composition FMode = QPainter::CompositionMode_SourceOver;
};

}  // namespace qrp::render
