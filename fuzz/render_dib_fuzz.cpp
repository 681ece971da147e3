// The DIB decoder over hostile headers and bits: the first two bytes split the input into
// BITMAPINFO and bits; the third picks the colour usage and options.
#include "render/dib.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3) return 0;
    const size_t split = std::min<size_t>(size - 3, static_cast<size_t>(data[0] | data[1] << 8));
    const uint8_t flags = data[2];
    const qrp::emf::Bytes rest(data + 3, size - 3);
    static const uint32_t palette[] = {0x0000FF, 0x00FF00, 0xFF0000};
    qrp::render::DibOptions options;
    options.usage = flags & 3;
    if (flags & 4) options.palette = palette;
    if (flags & 8) options.monochromeColors = std::array<QRgb, 2>{0xFF000000u, 0xFFFFFFFFu};
    options.keepAlpha = flags & 16;
    if (flags & 32) {
        options.firstScan = flags >> 6;
        options.scanCount = 3;
    }
    const QImage image = qrp::render::DecodeDib(rest.first(split), rest.subspan(split), options);
    const QImage packed = qrp::render::DecodePackedDib(rest, options);
    return image.isNull() && packed.isNull() ? 0 : 0;
}
