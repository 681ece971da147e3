#include "preview/preview.h"

#include "base/arith.h"
#include "printer/notices.h"
#include "printer/report_layout.h"

#include <QFocusEvent>
#include <QScrollBar>

#include <algorithm>

namespace qrp {

namespace {
// The Letter catalogue entry in millimetres, taken as pixels at 100 % when no printer is bound.
constexpr long double kLetterWidth = 215.9L;
constexpr long double kLetterLength = 279.4L;
}  // namespace

TQRPreview::TQRPreview(QWidget* parent) : QScrollArea(parent), FContent(new QWidget), FPreviewImage(new TQRPreviewImage(FContent))
{
    setWidget(FContent);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Around the page the window's own colour shows.
    viewport()->setBackgroundRole(QPalette::Window);
    viewport()->setAutoFillBackground(true);
    FContent->setAutoFillBackground(false);
    FContent->resize(FPreviewImage->size());
    FPreviewImage->move(0, 0);
    horizontalScrollBar()->setTracking(true);
    verticalScrollBar()->setTracking(true);
    // Focus by tab, and by a click so that the paging keys reach the preview.
    setFocusPolicy(Qt::StrongFocus);
    resize(250, 250);
}

TQRPreview::~TQRPreview()
{
    if (FQRPrinter) SetQRPrinter(nullptr);
}

void TQRPreview::SetQRPrinter(TQRPrinter* printer)
{
    if (FQRPrinter && FQRPrinter->Client() == this) {
        FQRPrinter->SetShowingPreview(false);
        FQRPrinter->SetClient(nullptr);
    }
    FQRPrinter = printer;
    FPreviewImage->SetQRPrinter(printer);
    if (printer) {
        printer->SetClient(this);
        printer->SetShowingPreview(true);
    }
    SetPageNumber(1);
    FPreviewImage->SetPageNumber(1);
    FollowPageShape();
    viewport()->update();
}

void TQRPreview::FollowPageShape()
{
    if (FPreviewImage->PagePaper() != FLaidOutPaper) PreviewResize();
}

void TQRPreview::SetPageNumber(int value)
{
    if (value == FPageNumber && FPreviewImage->ImageOK()) return;
    if (value <= 0 || !FQRPrinter || value > FQRPrinter->PageCount()) return;
    FPreviewImage->SetPageNumber(value);
    FPageNumber = value;
    FollowPageShape();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

void TQRPreview::SetZoom(int value)
{
    if (value < 2 || value > 2000) return;
    FZoomState = qrZoomOther;
    FZoom = value;
    UpdateZoom();
}

void TQRPreview::UpdateZoom()
{
    int w, h;
    if (FQRPrinter) {
        w = FQRPrinter->XSize(static_cast<long double>(FPreviewImage->PaperWidthValue()) / 100 * FZoom) + 4;
        h = FQRPrinter->YSize(static_cast<long double>(FPreviewImage->PaperLengthValue()) / 100 * FZoom) + 4;
    } else {
        w = static_cast<int>(Round(kLetterWidth / 100 * FZoom)) + 4;
        h = static_cast<int>(Round(kLetterLength / 100 * FZoom)) + 4;
    }
    // Offsets against the outer size, scroll bars included.
    const int left = w < width() ? (width() - w) / 2 : 0;
    const int top = h < height() ? (height() - h) / 2 : 0;
    FLaidOutPaper = FPreviewImage->PagePaper();
    FPreviewImage->setGeometry(left, top, std::max(w, 0), std::max(h, 0));
    FContent->resize(std::max(left + w, 0), std::max(top + h, 0));
    ResetScroll();
    FPreviewImage->SetZoom(FZoom);
}

void TQRPreview::ResetScroll()
{
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

void TQRPreview::ZoomToFit()
{
    long double a, b;
    if (FQRPrinter) {
        a = static_cast<long double>(width()) / FQRPrinter->XSize(FPreviewImage->PaperWidthValue()) * 95;
        b = static_cast<long double>(height()) / FQRPrinter->YSize(FPreviewImage->PaperLengthValue()) * 95;
    } else {
        a = static_cast<long double>(width()) / kLetterWidth * 95;
        b = static_cast<long double>(height()) / kLetterLength * 95;
    }
    // A paper of no pixels gives no usable zoom; the bounded setter ignores it.
    const int64_t za = std::isfinite(a) ? Round(a) : 0;
    const int64_t zb = std::isfinite(b) ? Round(b) : 0;
    const int64_t z = std::min(za, zb);
    SetZoom(z >= 2 && z <= 2000 ? static_cast<int>(z) : 0);
    UpdateZoom();
    FZoomState = qrZoomToFit;
}

void TQRPreview::ZoomToWidth()
{
    long double z;
    if (FQRPrinter)
        z = static_cast<long double>(width()) / FQRPrinter->XSize(FPreviewImage->PaperWidthValue()) * 90;
    else
        z = static_cast<long double>(width()) / kLetterWidth * 95;
    const int64_t zi = std::isfinite(z) ? Round(z) : 0;
    SetZoom(zi >= 2 && zi <= 2000 ? static_cast<int>(zi) : 0);
    UpdateZoom();
    FZoomState = qrZoomToWidth;
}

void TQRPreview::PreviewResize()
{
    if (FZoomState == qrZoomToFit)
        ZoomToFit();
    else if (FZoomState == qrZoomToWidth)
        ZoomToWidth();
    UpdateZoom();
}

void TQRPreview::UpdateImage()
{
    if (!FQRPrinter || FPreviewImage->ImageOK() || FPreviewImage->PageNumber() > FQRPrinter->AvailablePages()) return;
    if (TQRReportLayout* layout = FQRPrinter->ParentReport(); layout && layout->PrevInitialZoom() == qrZoomToWidth) ZoomToWidth();
    FPreviewImage->SetPageNumber(FPreviewImage->PageNumber());
}

void TQRPreview::HandlePageAvailable(int value)
{
    const int n = value & 0xFFFF;
    if (n == FPageNumber) UpdateImage();
    if (FOnPageAvailableEvent) FOnPageAvailableEvent(this, n);
}

void TQRPreview::HandleProgress(int value)
{
    const int n = value & 0xFFFF;
    if (FOnProgressUpdateEvent) FOnProgressUpdateEvent(this, n);
}

bool TQRPreview::event(QEvent* event)
{
    if (const TQRNotice* notice = AsPageAvailableNotice(event)) {
        HandlePageAvailable(notice->Value());
        return true;
    }
    if (const TQRNotice* notice = AsProgressNotice(event)) {
        HandleProgress(notice->Value());
        return true;
    }
    return QScrollArea::event(event);
}

void TQRPreview::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    PreviewResize();
}

void TQRPreview::focusInEvent(QFocusEvent* event)
{
    QScrollArea::focusInEvent(event);
    // Coming back from another window or a popup is no new focus for the control, and a
    // click on the page must not move the view away from where it was clicked.
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && reason != Qt::MouseFocusReason)
        PreviewResize();
}

}  // namespace qrp
