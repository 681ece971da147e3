// Scrolling inside the shown page: the ends a pager turns at, view-high steps and the
// scroll that keeps a page point under the mouse across a zoom.
#include "preview/preview.h"

#include <QScrollBar>

#include <algorithm>

namespace qrp {

bool TQRPreview::AtPageTop() const
{
    return verticalScrollBar()->value() <= verticalScrollBar()->minimum();
}

bool TQRPreview::AtPageBottom() const
{
    return verticalScrollBar()->value() >= verticalScrollBar()->maximum();
}

void TQRPreview::ScrollToPageTop()
{
    verticalScrollBar()->setValue(verticalScrollBar()->minimum());
}

void TQRPreview::ScrollToPageBottom()
{
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

bool TQRPreview::ScrollByView(int direction)
{
    QScrollBar* bar = verticalScrollBar();
    if (direction > 0 ? AtPageBottom() : AtPageTop()) return false;
    // A little of the previous view stays in sight, as a reader's anchor.
    const int step = std::max(1, viewport()->height() - viewport()->height() / 10);
    bar->setValue(bar->value() + (direction > 0 ? step : -step));
    return true;
}

QPointF TQRPreview::PageFractionAt(QPoint viewportPos) const
{
    const QSize size = FPreviewImage->size();
    if (size.width() <= 0 || size.height() <= 0) return {0, 0};
    const QPoint content = viewportPos + QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const QPoint onImage = content - FPreviewImage->pos();
    const auto clamp01 = [](double v) { return std::clamp(v, 0.0, 1.0); };
    return {clamp01(static_cast<double>(onImage.x()) / size.width()),
            clamp01(static_cast<double>(onImage.y()) / size.height())};
}

void TQRPreview::ScrollPageFractionTo(QPointF fraction, QPoint viewportPos)
{
    const QSize size = FPreviewImage->size();
    const QPoint content = FPreviewImage->pos() + QPoint(static_cast<int>(fraction.x() * size.width() + 0.5),
                                                         static_cast<int>(fraction.y() * size.height() + 0.5));
    // The bars clamp: near the page's edges the point moves as little as the extent allows.
    horizontalScrollBar()->setValue(content.x() - viewportPos.x());
    verticalScrollBar()->setValue(content.y() - viewportPos.y());
}

}  // namespace qrp
