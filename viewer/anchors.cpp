#include "viewer/anchors.h"

#include <QWidget>

namespace qrp {

void TAnchorLayout::Place(QWidget* control, QRect designed, unsigned anchors)
{
    FItems.push_back({control, designed, anchors});
    control->setGeometry(designed);
}

QRect TAnchorLayout::Arrange(QRect designed, unsigned anchors, QSize client) const
{
    const int dx = client.width() - FDesigned.width();
    const int dy = client.height() - FDesigned.height();
    int left = designed.x(), width = designed.width();
    if ((anchors & akRight) && (anchors & akLeft))
        width += dx;
    else if (anchors & akRight)
        left += dx;
    int top = designed.y(), height = designed.height();
    if ((anchors & akBottom) && (anchors & akTop))
        height += dy;
    else if (anchors & akBottom)
        top += dy;
    return QRect(left, top, std::max(width, 0), std::max(height, 0));
}

void TAnchorLayout::Apply(QSize client) const
{
    for (const Item& item : FItems) item.Control->setGeometry(Arrange(item.Designed, item.Anchors, client));
}

}  // namespace qrp
