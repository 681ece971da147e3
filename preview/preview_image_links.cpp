// The page image's hyperlink areas: read with the page, hit under the mouse (a pointing hand
// and the link as a tooltip) and followed by a click, through the OnHyperlink handler.
#include "base/swallowed.h"
#include "preview/hyperlinks.h"
#include "preview/preview_image.h"
#include "printer/qr_printer.h"
#include "printer/screen_metrics.h"
#include "reportfile/metafile.h"
#include "reportfile/page_list.h"

#include <QMouseEvent>
#include <QToolTip>

#include <algorithm>

namespace qrp {

void TQRPreviewImage::ReadHyperlinks()
{
    // Compressed pages carry no links. A failure here leaves the page without links: the
    // picture itself was read.
    if (!FQRPrinter || FQRPrinter->PageList().Compression()) return;
    try {
        std::unique_ptr<TMetafile> picture;
        std::unique_ptr<THyperlinkList> links;
        FQRPrinter->GetPageEx(FPageNumber, picture, links);
        if (links && links->size() > kMaxHyperlinks) links->erase(links->begin() + kMaxHyperlinks, links->end());
        if (links && !links->empty()) FHyperlinks = std::move(links);
    } catch (...) {
        LogSwallowed("reading the page's hyperlinks");
        FHyperlinks.reset();
    }
}

int TQRPreviewImage::HyperlinkAt(QPoint pos) const
{
    if (!FHyperlinks || !FMetafile) return -1;
    const int pixelsPerInch = ScreenPixelsPerInch();
    const double pw = FMetafile->Width(pixelsPerInch), ph = FMetafile->Height(pixelsPerInch);
    if (pw <= 0 || ph <= 0 || width() <= 0 || height() <= 0) return -1;
    // The image point in the picture's pixels, as the picture is stretched over the image.
    const double x = (pos.x() + 0.5) * pw / width();
    const double y = (pos.y() + 0.5) * ph / height();
    for (size_t i = 0; i < FHyperlinks->size(); ++i) {
        const TRect& a = (*FHyperlinks)[i].Area;
        const double l = std::min<double>(a.Left, a.Right), r = std::max<double>(a.Left, a.Right);
        const double t = std::min<double>(a.Top, a.Bottom), b = std::max<double>(a.Top, a.Bottom);
        if (x >= l && x < r && y >= t && y < b) return static_cast<int>(i);
    }
    return -1;
}

bool TQRPreviewImage::Fire(TQRHyperlinkEventType type, const std::string& link)
{
    bool handled = false;
    if (FOnHyperlink) FOnHyperlink(this, type, link, handled);
    return handled;
}

void TQRPreviewImage::Hover(int index, const QPoint* pos)
{
    const bool over = index >= 0;
    const std::string link = over ? (*FHyperlinks)[static_cast<size_t>(index)].Link : std::string();
    if (over != FIsLink || link != FLastLink) {
        if (FIsLink) {
            FIsLink = false;
            Fire(heCursorMoveAway, FLastLink);
        }
        if (over) {
            FIsLink = true;
            FLastLink = link;
            setToolTip(ShownLink(link));
            Fire(heCursorMoveOver, link);
        } else {
            setToolTip(QString());
            QToolTip::hideText();
        }
    }
    const Qt::CursorShape shape = FIsLink                        ? Qt::PointingHandCursor
                                  : pos && FTextAt && FTextAt(*pos) ? Qt::IBeamCursor
                                                                    : Qt::ArrowCursor;
    if (cursor().shape() != shape) setCursor(shape);
}

void TQRPreviewImage::mousePressEvent(QMouseEvent* event)
{
    FPressedLink = event->button() == Qt::LeftButton ? HyperlinkAt(event->position().toPoint()) : -1;
    QWidget::mousePressEvent(event);
}

void TQRPreviewImage::mouseReleaseEvent(QMouseEvent* event)
{
    const int pressed = FPressedLink;
    FPressedLink = -1;
    if (event->button() == Qt::LeftButton && pressed >= 0 && pressed == HyperlinkAt(event->position().toPoint())) {
        event->accept();
        // The handler may turn the page, which replaces the list: the text is copied first.
        const std::string link = (*FHyperlinks)[static_cast<size_t>(pressed)].Link;
        Fire(heGoto, link);
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void TQRPreviewImage::leaveEvent(QEvent* event)
{
    Hover(-1);
    QWidget::leaveEvent(event);
}

}  // namespace qrp
