// Device-independent bitmaps inside WMF records: splitting a packed DIB into its
// BITMAPINFO and bits, and turning an old device-dependent Bitmap16 into a DIB.
#pragma once

#include "emf/bytes.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace qrp::emf::wmf {

// A packed DIB split into its BITMAPINFO (header, masks, colour table) and bits, checked
// against the bytes it came in; std::nullopt when the header or colour table does not fit.
// Bits beyond what an uncompressed image needs are cut off.
struct DibParts {
    Bytes info;
    Bytes bits;
    int32_t width = 0;
    int32_t height = 0;  // negative: top-down
};
std::optional<DibParts> SplitDib(Bytes dib, uint32_t usage);

// header: Type, Width, Height, WidthBytes, Planes, BitsPixel (10 bytes); bits: top-down rows
// of WidthBytes. Gives a packed top-down DIB for 1-, 24- and 32-bit single-plane bitmaps
// (1-bit ones black on white), std::nullopt otherwise or when the bits are short.
std::optional<std::vector<uint8_t>> Bitmap16ToDib(Bytes header, Bytes bits);

}  // namespace qrp::emf::wmf
