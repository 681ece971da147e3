#include "emf/wmf/wmf_dib.h"

#include "emf/dib_header.h"

#include <algorithm>
#include <cstdlib>

namespace qrp::emf::wmf {

using namespace gdi;

namespace {
void Put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, static_cast<uint16_t>(v));
    Put16(out, static_cast<uint16_t>(v >> 16));
}
}  // namespace

std::optional<DibParts> SplitDib(Bytes dib, uint32_t usage)
{
    const auto layout = ParseDibLayout(dib, usage);
    if (!layout || layout->InfoBytes() > dib.size()) return std::nullopt;
    const DibInfo& d = layout->info;
    DibParts parts;
    parts.width = d.width;
    parts.height = d.topDown ? -d.height : d.height;
    const auto infoBytes = static_cast<size_t>(layout->InfoBytes());
    parts.info = dib.first(infoBytes);
    parts.bits = dib.subspan(infoBytes);
    if (d.compression == BI_RGB || d.compression == BI_BITFIELDS || d.compression == BI_ALPHABITFIELDS) {
        const uint64_t need = layout->UncompressedBytes();
        if (need < parts.bits.size()) parts.bits = parts.bits.first(static_cast<size_t>(need));
    } else if (d.compression != BI_RLE8 && d.compression != BI_RLE4) {
        // JPEG / PNG: the image size field tells the length.
        if (d.sizeImage != 0 && d.sizeImage < parts.bits.size()) parts.bits = parts.bits.first(d.sizeImage);
    }
    return parts;
}

std::optional<std::vector<uint8_t>> Bitmap16ToDib(Bytes header, Bytes bits)
{
    if (header.size() < 10) return std::nullopt;
    const int32_t width = LoadI16(header.data() + 2);
    const int32_t height = LoadI16(header.data() + 4);
    const int32_t widthBytes = LoadI16(header.data() + 6);
    const uint8_t planes = header[8];
    const uint8_t bitsPixel = header[9];
    if (width <= 0 || height <= 0 || widthBytes <= 0 || planes != 1) return std::nullopt;
    if (bitsPixel != 1 && bitsPixel != 24 && bitsPixel != 32) return std::nullopt;
    const auto rowBytes = static_cast<size_t>((static_cast<int64_t>(width) * bitsPixel + 7) / 8);
    if (rowBytes > static_cast<size_t>(widthBytes)) return std::nullopt;
    if (static_cast<uint64_t>(widthBytes) * static_cast<uint64_t>(height) > bits.size()) return std::nullopt;
    const size_t stride = (rowBytes + 3) & ~size_t{3};

    std::vector<uint8_t> dib;
    dib.reserve(40 + 8 + stride * static_cast<size_t>(height));
    Put32(dib, 40);
    Put32(dib, static_cast<uint32_t>(width));
    Put32(dib, static_cast<uint32_t>(-height));  // rows stay top-down
    Put16(dib, 1);
    Put16(dib, bitsPixel);
    Put32(dib, BI_RGB);
    Put32(dib, static_cast<uint32_t>(stride * static_cast<size_t>(height)));
    Put32(dib, 0);
    Put32(dib, 0);
    Put32(dib, bitsPixel == 1 ? 2 : 0);
    Put32(dib, 0);
    if (bitsPixel == 1) {
        Put32(dib, 0x00000000);
        Put32(dib, 0x00FFFFFF);
    }
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = bits.data() + static_cast<size_t>(y) * static_cast<size_t>(widthBytes);
        dib.insert(dib.end(), row, row + rowBytes);
        dib.insert(dib.end(), stride - rowBytes, 0);
    }
    return dib;
}

}  // namespace qrp::emf::wmf
