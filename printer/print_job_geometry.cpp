#include "printer/print_job_geometry.h"

#include "base/arith.h"

#include <algorithm>

namespace qrp {

TRect FitOnSheet(int64_t frameWidth, int64_t frameHeight, const TSheet& sheet)
{
    const int64_t sheetWidth = std::max(sheet.Width, 0);
    const int64_t sheetHeight = std::max(sheet.Height, 0);
    int64_t width = sheetWidth;
    int64_t height = sheetHeight;
    if (frameWidth > 0 && frameHeight > 0) {
        // The axis that limits the picture fills the sheet; the other keeps the aspect.
        if (frameWidth * sheetHeight > frameHeight * sheetWidth) {
            height = std::min<int64_t>(sheetHeight, Round(static_cast<long double>(sheetWidth) * frameHeight / frameWidth));
        } else {
            width = std::min<int64_t>(sheetWidth, Round(static_cast<long double>(sheetHeight) * frameWidth / frameHeight));
        }
    }
    const int64_t left = (sheetWidth - width) / 2 - sheet.OffsetX;
    const int64_t top = (sheetHeight - height) / 2 - sheet.OffsetY;
    return Rect(static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(left + width),
                static_cast<int32_t>(top + height));
}

TSheetOrientation SheetOrientationFor(int64_t frameWidth, int64_t frameHeight, TSheetOrientation job)
{
    if (frameWidth <= 0 || frameHeight <= 0 || frameWidth == frameHeight) return job;
    return frameWidth > frameHeight ? TSheetOrientation::Landscape : TSheetOrientation::Portrait;
}

int RangeProgress(int i, int first, int last)
{
    const long double done = static_cast<long double>(i) - first + 1;
    const long double total = static_cast<long double>(last) - first + 1;
    return static_cast<int>(Round(done / total * 100.0L));
}

}  // namespace qrp
