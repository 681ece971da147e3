// Where a page lands on a printed sheet, which way the sheet lies, and the progress of a
// page range.
#pragma once

#include "base/rect.h"
#include "platform/device_context.h"

#include <cstdint>

namespace qrp {

// A printed sheet in device pixels: its whole size, and where the printable area (the
// origin of device coordinates) starts on it.
struct TSheet {
    int Width = 0;
    int Height = 0;
    int OffsetX = 0;
    int OffsetY = 0;
};

// The device rectangle a page picture whose frame measures frameWidth x frameHeight (any one
// unit) is drawn into on the sheet: as large as the sheet allows with the frame's aspect
// kept, and centred. A frame of a sheet's own shape covers the whole sheet; a frame without
// area is stretched over it.
TRect FitOnSheet(int64_t frameWidth, int64_t frameHeight, const TSheet& sheet);

// The way a page with that frame is printed: on a sheet of its own orientation; a square or
// empty frame keeps the job's.
TSheetOrientation SheetOrientationFor(int64_t frameWidth, int64_t frameHeight, TSheetOrientation job);

// Per cent done after page i of the range first..last, rounded halves to even.
int RangeProgress(int i, int first, int last);

}  // namespace qrp
