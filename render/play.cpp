#include "render/play.h"

#include "render/painter_device.h"
#include "render/player.h"

#include <QPainter>

namespace qrp::render {

PlayStats PlayEnhMetaFile(QPainter& painter, const emf::EnhMetaFile& picture, const QRect& rect)
{
    if (!painter.isActive()) return {};
    PainterDevice device(painter);
    Player player(device, picture, rect);
    return player.Play();
}

}  // namespace qrp::render
