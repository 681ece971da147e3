#include "preview/preview_image.h"

#include "base/arith.h"
#include "platform/canvas.h"
#include "preview/paint_page.h"
#include "printer/qr_printer.h"
#include "reportfile/page_list.h"
#include "reportfile/metafile.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace qrp {

TQRPreviewImage::TQRPreviewImage(QWidget* parent) : QWidget(parent)
{
    resize(100, 50);
    // The preview's background shows wherever the image paints nothing.
    setAttribute(Qt::WA_NoSystemBackground, false);
    setAutoFillBackground(false);
    setMouseTracking(true);
}

TQRPreviewImage::~TQRPreviewImage() = default;

void TQRPreviewImage::SetPageNumber(int value)
{
    FPageNumber = value;
    FMetafile.reset();
    FHyperlinks.reset();
    Hover(-1);
    if (FQRPrinter) {
        ++FFetchCount;
        try {
            FMetafile = FQRPrinter->GetPage(value);
        } catch (...) {
            repaint();  // the old page must not stay on screen
            throw;
        }
        if (FMetafile) ReadHyperlinks();
    }
    repaint();
}

QSize TQRPreviewImage::PagePaper() const
{
    const int64_t frameWidth = FMetafile ? FMetafile->MMWidth() : 0;
    const int64_t frameHeight = FMetafile ? FMetafile->MMHeight() : 0;
    if (frameWidth <= 0 || frameHeight <= 0) {
        if (!FQRPrinter) return QSize(0, 0);
        return QSize(FQRPrinter->PaperWidthValue(), FQRPrinter->PaperLengthValue());
    }
    // The frame is kept in 0.01 mm.
    int64_t width = std::max<int64_t>(Round(static_cast<long double>(frameWidth) / 10), 1);
    int64_t height = std::max<int64_t>(Round(static_cast<long double>(frameHeight) / 10), 1);
    const int64_t longest = std::max(width, height);
    if (longest > kMaxPaperTenths) {
        width = std::max<int64_t>(Round(static_cast<long double>(width) * kMaxPaperTenths / longest), 1);
        height = std::max<int64_t>(Round(static_cast<long double>(height) * kMaxPaperTenths / longest), 1);
    }
    return QSize(static_cast<int>(width), static_cast<int>(height));
}

void TQRPreviewImage::DrawPage(QPainter& painter)
{
    TCanvas canvas(&painter);
    canvas.SetTextMode(render::TextMode::kSmooth);  // a screen: text for reading
    PaintPage(FMetafile.get(), canvas, Rect(0, 0, width(), height()), false);
}

void TQRPreviewImage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    DrawPage(painter);
}

void TQRPreviewImage::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    const QPoint pos = event->position().toPoint();
    Hover(HyperlinkAt(pos), &pos);
}

}  // namespace qrp
