// PaintPage: a page picture drawn as a sheet of paper: white paper, the picture stretched
// over the rectangle, a one-pixel black frame and a two-pixel black shadow at the right and
// bottom. For a rectangle W x H the frame runs on columns 0 and W - 3 and rows 0 and H - 3,
// the shadow fills columns W - 2..W - 1 from row 2 and rows H - 2..H - 1 from column 2.
#pragma once

#include "base/rect.h"

namespace qrp {

class TCanvas;
class TMetafile;

// Draws nothing when there is no picture and showEmpty is false.
void PaintPage(const TMetafile* picture, TCanvas& canvas, const TRect& rect, bool showEmpty);

}  // namespace qrp
