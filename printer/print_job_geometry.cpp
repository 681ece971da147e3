#include "printer/print_job_geometry.h"

#include "base/arith.h"

#include <algorithm>
#include <cstdint>

namespace qrp {

TRect FitOnSheet(int64_t frameWidth, int64_t frameHeight, const TSheet& sheet)
{
    // Exact integers throughout: a frame side and a sheet side are each below 2^31, so their
    // products stay below 2^62.
    frameWidth = std::clamp<int64_t>(frameWidth, INT32_MIN, INT32_MAX);
    frameHeight = std::clamp<int64_t>(frameHeight, INT32_MIN, INT32_MAX);
    const int64_t sheetWidth = std::max(sheet.Width, 0);
    const int64_t sheetHeight = std::max(sheet.Height, 0);
    int64_t width = sheetWidth;
    int64_t height = sheetHeight;
    if (frameWidth > 0 && frameHeight > 0) {
        // The axis that limits the picture fills the sheet; the other keeps the aspect.
        if (frameWidth * sheetHeight > frameHeight * sheetWidth) {
            height = std::min<int64_t>(sheetHeight, RoundDiv(sheetWidth * frameHeight, frameWidth));
        } else {
            width = std::min<int64_t>(sheetWidth, RoundDiv(sheetHeight * frameWidth, frameHeight));
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
    const int64_t done = int64_t{i} - first + 1;
    const int64_t total = int64_t{last} - first + 1;
    if (total <= 0) return 100;
    return static_cast<int>(RoundDiv(done * 100, total));
}

}  // namespace qrp
