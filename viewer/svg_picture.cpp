#include "viewer/svg_picture.h"

#include <QPainter>

namespace qrp {

TSvgPicture::TSvgPicture(const QString& resource, QWidget* parent) : QWidget(parent), FRenderer(resource) {}

void TSvgPicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    FRenderer.render(&painter, QRectF(QPointF(0, 0), FRenderer.defaultSize()));
}

}  // namespace qrp
