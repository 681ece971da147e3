#include "preview/paint_page.h"

#include "platform/canvas.h"
#include "platform/color.h"

namespace qrp {

void PaintPage(const TMetafile* picture, TCanvas& canvas, const TRect& rect, bool showEmpty)
{
    const int L = rect.Left, T = rect.Top, W = rect.Width(), H = rect.Height();
    const bool paper = picture != nullptr || showEmpty;
    if (paper) {
        canvas.SetBrushColor(clWhite);
        canvas.SetPenColor(clWhite);
        canvas.Rectangle(L + 1, T + 1, L + W - 3, T + H - 3);
    }
    if (picture) canvas.StretchDraw(rect, *picture);
    if (paper) {
        canvas.SetPenColor(clBlack);
        canvas.SetPenWidth(1);
        canvas.MoveTo(L, T);
        canvas.LineTo(L, T + H - 3);
        canvas.LineTo(L + W - 3, T + H - 3);
        canvas.LineTo(L + W - 3, T);
        canvas.LineTo(L, T);
        canvas.SetBrushColor(clBlack);
        canvas.Rectangle(L + W - 2, T + 2, rect.Right, rect.Bottom);
        canvas.Rectangle(L + 2, T + H - 2, rect.Right, rect.Bottom);
    }
}

}  // namespace qrp
