// Where a page lands on a printed sheet, and the progress of a page range.
#pragma once

#include "base/rect.h"

namespace qrp {

// The device rectangle a page picture is stretched into so that its frame covers the whole
// physical sheet of pageWidth x pageLength (0.1 mm). Device coordinates start at the corner
// of the printable area, so the sheet starts at minus the unprintable offsets (0.1 mm),
// converted with the device's dots per inch.
TRect SheetRect(int pageWidth, int pageLength, int pixelsPerX, int pixelsPerY, int leftOffset,
                int topOffset);

// Per cent done after page i of the range first..last, rounded halves to even.
int RangeProgress(int i, int first, int last);

}  // namespace qrp
