#include "reportfile/screen_metrics.h"

#include <atomic>

namespace qrp {

namespace {
std::atomic<int32_t> gScreenPixelsPerInchY{96};
}

int32_t ScreenPixelsPerInchY()
{
    return gScreenPixelsPerInchY.load(std::memory_order_relaxed);
}

void SetScreenPixelsPerInchY(int32_t pixelsPerInch)
{
    if (pixelsPerInch > 0) gScreenPixelsPerInchY.store(pixelsPerInch, std::memory_order_relaxed);
}

}  // namespace qrp
