#include "platform/canvas.h"

#include "render/play.h"
#include "reportfile/metafile.h"

#include <QPainter>

#include <algorithm>

namespace qrp {

TCanvas::TCanvas(QPainter* painter) : FPainter(painter) {}

void TCanvas::Rectangle(int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top) return;
    FPainter->save();
    FPainter->setRenderHint(QPainter::Antialiasing, false);
    FPainter->fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), ToQColor(FBrushColor));
    if (FPenWidth > 0) {
        const QColor pen = ToQColor(FPenColor);
        const int w = FPenWidth;
        const int width = right - left;
        const int height = bottom - top;
        // An inside frame of the pen's width, as GDI draws a 1-pixel pen.
        FPainter->fillRect(left, top, width, std::min(w, height), pen);
        FPainter->fillRect(left, bottom - std::min(w, height), width, std::min(w, height), pen);
        FPainter->fillRect(left, top, std::min(w, width), height, pen);
        FPainter->fillRect(right - std::min(w, width), top, std::min(w, width), height, pen);
    }
    FPainter->restore();
}

void TCanvas::MoveTo(int x, int y)
{
    FPenX = x;
    FPenY = y;
}

void TCanvas::LineTo(int x, int y)
{
    FPainter->save();
    FPainter->setRenderHint(QPainter::Antialiasing, false);
    const QColor pen = ToQColor(FPenColor);
    if (x == FPenX || y == FPenY) {
        // Axis-aligned: the pixels from the start up to, not including, the end.
        const int x0 = std::min(FPenX, x), x1 = std::max(FPenX, x);
        const int y0 = std::min(FPenY, y), y1 = std::max(FPenY, y);
        const int w = std::max(FPenWidth, 1);
        if (y == FPenY) {
            const int from = FPenX < x ? FPenX : x + 1;
            FPainter->fillRect(from, y0 - (w - 1) / 2, x1 - x0, w, pen);
        } else {
            const int from = FPenY < y ? FPenY : y + 1;
            FPainter->fillRect(x0 - (w - 1) / 2, from, w, y1 - y0, pen);
        }
    } else {
        FPainter->setPen(QPen(pen, std::max(FPenWidth, 1)));
        FPainter->drawLine(FPenX, FPenY, x, y);
    }
    FPainter->restore();
    FPenX = x;
    FPenY = y;
}

void TCanvas::StretchDraw(const TRect& rect, const TMetafile& picture)
{
    const emf::EnhMetaFile* handle = picture.Handle();
    if (!handle) return;
    render::PlayEnhMetaFile(*FPainter, *handle, QRect(QPoint(rect.Left, rect.Top), QPoint(rect.Right - 1, rect.Bottom - 1)),
                            FTextMode);
}

}  // namespace qrp
