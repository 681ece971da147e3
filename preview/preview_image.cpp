#include "preview/preview_image.h"

#include "platform/canvas.h"
#include "preview/paint_page.h"
#include "printer/qr_printer.h"
#include "reportfile/page_list.h"
#include "reportfile/metafile.h"

#include <QMouseEvent>
#include <QPainter>

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

void TQRPreviewImage::DrawPage(QPainter& painter)
{
    TCanvas canvas(&painter);
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
    Hover(HyperlinkAt(event->position().toPoint()));
}

}  // namespace qrp
