// TQRPreview: the scrolling viewport that shows one page of the bound report printer at a
// zoom. The page image sits at offsets inside a scrollable extent that follows it; layout is
// measured against the control's outer size. The bound report printer names the preview as
// its Client and posts its progress and page-available notices to it.
#pragma once

#include "printer/qr_printer.h"
#include "printer/zoom_state.h"
#include "preview/preview_image.h"

#include <QScrollArea>

#include <functional>

namespace qrp {

using TQRPageAvailableEvent = std::function<void(QObject* sender, int pageNum)>;
using TQRProgressUpdateEvent = std::function<void(QObject* sender, int progress)>;

class TQRPreview : public QScrollArea, public TQRPrinterView {
    Q_OBJECT
public:
    explicit TQRPreview(QWidget* parent = nullptr);
    ~TQRPreview() override;

    TQRPrinter* QRPrinter() const { return FQRPrinter; }
    // Binds a report printer (or none) and shows its page 1.
    void SetQRPrinter(TQRPrinter* printer) override;

    int PageNumber() const { return FPageNumber; }
    // Ignored outside 1..PageCount, without a printer, or for the page already shown.
    void SetPageNumber(int value);

    int Zoom() const { return FZoom; }
    // Ignored outside 2..2000.
    void SetZoom(int value);
    TQRZoomState ZoomState() const { return FZoomState; }
    void SetZoomState(TQRZoomState value) { FZoomState = value; }

    TQRPreviewImage* PreviewImage() const { return FPreviewImage; }

    const TQRPageAvailableEvent& OnPageAvailable() const { return FOnPageAvailableEvent; }
    void SetOnPageAvailable(TQRPageAvailableEvent value) { FOnPageAvailableEvent = std::move(value); }
    const TQRProgressUpdateEvent& OnProgressUpdate() const { return FOnProgressUpdateEvent; }
    void SetOnProgressUpdate(TQRProgressUpdateEvent value) { FOnProgressUpdateEvent = std::move(value); }
    const TQRPreviewHyperlinkEvent& OnHyperlink() const { return FPreviewImage->OnHyperlink(); }
    void SetOnHyperlink(TQRPreviewHyperlinkEvent value) { FPreviewImage->SetOnHyperlink(std::move(value)); }

    // The general-purpose mark every component carries; the preview never reads it.
    int Tag() const { return FTag; }
    void SetTag(int value) { FTag = value; }

    // Lays the page image out for the current zoom: size from the paper of the page shown,
    // centred where it is smaller than the control, view back at the origin.
    void UpdateZoom();
    void ZoomToFit();
    void ZoomToWidth();
    // Shows the current page once it became available while a report is produced.
    void UpdateImage();
    // Resize and focus: refit in the fitting states, then lay out.
    void PreviewResize();

    // The page image's offsets inside the scrollable extent.
    QPoint ImageOffset() const { return FPreviewImage->pos(); }

    // Scrolling inside the shown page (preview_scroll.cpp). A page that fits the view is
    // at its top and at its bottom at once.
    bool AtPageTop() const;
    bool AtPageBottom() const;
    void ScrollToPageTop();
    void ScrollToPageBottom();
    // Scrolls one view height down (direction > 0) or up; false when already at that end.
    bool ScrollByView(int direction);
    // The page point under a viewport position, as a fraction of the page image's size,
    // and the scroll that brings that page point back under the same position.
    QPointF PageFractionAt(QPoint viewportPos) const;
    void ScrollPageFractionTo(QPointF fraction, QPoint viewportPos);

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void HandlePageAvailable(int value);
    void HandleProgress(int value);
    void ResetScroll();
    // Lays the image out again when the page now shown has another paper than the one laid
    // out (another shape, or another report): the zoom is kept, a fitting state refits.
    void FollowPageShape();

    TQRPageAvailableEvent FOnPageAvailableEvent;
    TQRProgressUpdateEvent FOnProgressUpdateEvent;
    QWidget* FContent;  // the scrollable extent, sized to hold the image at its offsets
    TQRPreviewImage* FPreviewImage;
    int FPageNumber = 1;
    TQRPrinter* FQRPrinter = nullptr;
    int FZoom = 100;
    TQRZoomState FZoomState = qrZoomOther;
    int FTag = 0;
    QSize FLaidOutPaper;  // the page paper UpdateZoom last laid the image out for
};

}  // namespace qrp
