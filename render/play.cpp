#include "render/play.h"

#include "render/painter_device.h"
#include "render/player.h"

#include <QPainter>

namespace qrp::render {

PlayStats PlayEnhMetaFile(QPainter& painter, const emf::EnhMetaFile& picture, const QRect& rect, TextMode text)
{
    if (!painter.isActive()) return {};
    PainterDevice device(painter, text);
    Player player(device, picture, rect);
    return player.Play();
}

namespace {

class NullDevice : public Device {
public:
    void FillPath(const QPainterPath&, const QBrush&, Composition) override {}
    void StrokePath(const QPainterPath&, const QPen&, Composition) override {}
    void DrawGlyphs(const GlyphRun&) override {}
    void DrawImage(const QImage&, const QRectF&, const QTransform&, Composition, bool) override {}
    void SetClip(const std::optional<QRegion>&) override {}
};

}  // namespace

PlayStats SurveyEnhMetaFile(const emf::EnhMetaFile& picture, const QRect& rect)
{
    NullDevice device;
    Player player(device, picture, rect);
    return player.Play();
}

}  // namespace qrp::render
