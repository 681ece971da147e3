#include "printer/print_job_geometry.h"

#include "base/arith.h"

namespace qrp {

namespace {

constexpr long double kTenthsPerInch = 254.0L;

int32_t Scale(long double tenths, long double factor) { return static_cast<int32_t>(Round(tenths * factor)); }

}  // namespace

TRect SheetRect(int pageWidth, int pageLength, int pixelsPerX, int pixelsPerY, int leftOffset,
                int topOffset)
{
    const long double xf = static_cast<long double>(pixelsPerX) / kTenthsPerInch;
    const long double yf = static_cast<long double>(pixelsPerY) / kTenthsPerInch;
    return Rect(-Scale(leftOffset, xf), -Scale(topOffset, yf),
                Scale(static_cast<long double>(pageWidth) - leftOffset, xf),
                Scale(static_cast<long double>(pageLength) - topOffset, yf));
}

int RangeProgress(int i, int first, int last)
{
    const long double done = static_cast<long double>(i) - first + 1;
    const long double total = static_cast<long double>(last) - first + 1;
    return static_cast<int>(Round(done / total * 100.0L));
}

}  // namespace qrp
