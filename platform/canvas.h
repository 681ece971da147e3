// TCanvas: the drawing operations the page image and the print job use, over a QPainter on
// a widget, an image, a printer or a PDF writer. Coordinates are device pixels; shapes
// follow GDI's pixel rules (a rectangle covers Left..Right-1 and Top..Bottom-1).
#pragma once

#include "base/rect.h"
#include "platform/color.h"
#include "render/text_mode.h"

class QPainter;

namespace qrp {

class TMetafile;

class TCanvas {
public:
    // The painter stays the caller's; it must outlive the canvas.
    explicit TCanvas(QPainter* painter);

    QPainter* Painter() const { return FPainter; }

    TColor BrushColor() const { return FBrushColor; }
    void SetBrushColor(TColor color) { FBrushColor = color; }
    TColor PenColor() const { return FPenColor; }
    void SetPenColor(TColor color) { FPenColor = color; }
    int PenWidth() const { return FPenWidth; }
    void SetPenWidth(int width) { FPenWidth = width; }
    // How pictures drawn by StretchDraw draw their text (GDI's pixels unless set).
    void SetTextMode(render::TextMode mode) { FTextMode = mode; }

    // Fills the inside with the brush and outlines it with the pen, right and bottom
    // edges excluded.
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void MoveTo(int x, int y);
    // Draws from the current position to (x, y), the end point excluded.
    void LineTo(int x, int y);
    // Plays the picture into rect, its right and bottom edges pulled in by one pixel.
    void StretchDraw(const TRect& rect, const TMetafile& picture);

private:
    QPainter* FPainter;
    TColor FBrushColor = clWhite;
    TColor FPenColor = clBlack;
    int FPenWidth = 1;
    render::TextMode FTextMode = render::TextMode::kGdi;
    int FPenX = 0;
    int FPenY = 0;
};

}  // namespace qrp
