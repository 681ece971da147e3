#include "emf/wmf/wmf_dib.h"

#include <algorithm>
#include <cstdlib>

namespace qrp::emf::wmf {

namespace {
constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;

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
    if (dib.size() < 12) return std::nullopt;
    const uint32_t headerSize = LoadU32(dib.data());
    DibParts parts;
    uint32_t bitCount = 0, compression = kBiRgb, colorsUsed = 0;
    size_t entrySize = usage == 1 ? 2 : 4;
    size_t infoSize = 0;
    if (headerSize == 12) {  // BITMAPCOREHEADER
        parts.width = LoadU16(dib.data() + 4);
        parts.height = LoadU16(dib.data() + 6);
        bitCount = LoadU16(dib.data() + 10);
        if (usage != 1) entrySize = 3;
        infoSize = 12;
    } else {
        if (headerSize < 40 || headerSize > dib.size()) return std::nullopt;
        parts.width = LoadI32(dib.data() + 4);
        parts.height = LoadI32(dib.data() + 8);
        bitCount = LoadU16(dib.data() + 14);
        compression = LoadU32(dib.data() + 16);
        colorsUsed = LoadU32(dib.data() + 32);
        infoSize = headerSize;
        if (headerSize == 40 && (compression == kBiBitfields || compression == kBiAlphaBitfields))
            infoSize += compression == kBiBitfields ? 12 : 16;
    }
    uint64_t colors = 0;
    if (bitCount <= 8) colors = colorsUsed != 0 ? std::min<uint64_t>(colorsUsed, uint64_t{1} << bitCount) : uint64_t{1} << bitCount;
    else colors = std::min<uint64_t>(colorsUsed, 256);
    const uint64_t total = infoSize + colors * entrySize;
    if (total > dib.size()) return std::nullopt;
    parts.info = dib.first(static_cast<size_t>(total));
    parts.bits = dib.subspan(static_cast<size_t>(total));
    if (compression == kBiRgb || compression == kBiBitfields || compression == kBiAlphaBitfields) {
        const uint64_t stride = ((static_cast<uint64_t>(std::abs(static_cast<int64_t>(parts.width))) * bitCount + 31) / 32) * 4;
        const uint64_t need = stride * static_cast<uint64_t>(std::abs(static_cast<int64_t>(parts.height)));
        if (need < parts.bits.size()) parts.bits = parts.bits.first(static_cast<size_t>(need));
    } else if (compression != kBiRle8 && compression != kBiRle4 && headerSize >= 40) {
        // JPEG / PNG: the image size field tells the length.
        const uint32_t sizeImage = LoadU32(dib.data() + 20);
        if (sizeImage != 0 && sizeImage < parts.bits.size()) parts.bits = parts.bits.first(sizeImage);
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
    Put32(dib, kBiRgb);
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
