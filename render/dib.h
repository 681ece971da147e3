// Device-independent bitmaps (DIBs) as bitmap and brush records carry them, decoded into
// QImages: BITMAPCOREHEADER, BITMAPINFOHEADER and its V2..V5 extensions; 1, 4, 8, 16, 24
// and 32 bits per pixel; BI_RGB, BI_BITFIELDS, BI_RLE4, BI_RLE8, BI_JPEG and BI_PNG;
// bottom-up and top-down; colour tables of RGB values or of logical palette indices.
//
// Nothing is trusted: every size, count and offset is checked against the bytes given
// before anything is allocated, and dimensions are capped (kMaxDibSide, kMaxDibPixels).
// A DIB that cannot be decoded gives a null QImage and, when asked, the reason.
#pragma once

#include "emf/bytes.h"
#include "emf/dib_header.h"
#include "emf/record_reader.h"

#include <QImage>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace qrp::render {

// The header forms, compressions and colour-table usages come from the one DIB header
// parser of the picture format.
using emf::gdi::BI_BITFIELDS;
using emf::gdi::BI_JPEG;
using emf::gdi::BI_PNG;
using emf::gdi::BI_RGB;
using emf::gdi::BI_RLE4;
using emf::gdi::BI_RLE8;
using emf::gdi::DIB_PAL_COLORS;
using emf::gdi::DIB_PAL_INDICES;
using emf::gdi::DIB_RGB_COLORS;
using emf::DibInfo;
using emf::ParseDibInfo;

// Limits on a decoded bitmap: a side of at most kMaxDibSide pixels and at most
// kMaxDibPixels pixels in all (128 MiB as 32-bit pixels).
constexpr int32_t kMaxDibSide = 32767;
constexpr int64_t kMaxDibPixels = int64_t{1} << 25;
// An embedded JPEG or PNG is scaled to the size its bitmap header claims only up to this
// many pixels; beyond, it is returned at its own size.
constexpr int64_t kMaxScaledEmbeddedPixels = int64_t{1} << 22;

struct DibOptions {
    uint32_t usage = DIB_RGB_COLORS;
    // The selected logical palette (0x00BBGGRR entries as in LOGPALETTE / EMR_CREATEPALETTE),
    // for DIB_PAL_COLORS and DIB_PAL_INDICES; empty means the default palette.
    std::span<const uint32_t> palette;
    // When set, a 1-bit DIB takes these colours for bit values 0 and 1 instead of its colour
    // table (a monochrome brush or source takes the text and background colours).
    std::optional<std::array<QRgb, 2>> monochromeColors;
    // 32-bit pixels keep their top byte as (premultiplied) alpha, as ALPHABLEND with
    // AC_SRC_ALPHA reads them; otherwise the top byte is ignored and pixels are opaque.
    bool keepAlpha = false;
    // SETDIBITSTODEVICE: the bits hold only scanCount scan lines starting at firstScan
    // (counted from the bottom for a bottom-up DIB). The image keeps the header's full
    // size; lines outside the band are transparent. Unset: the bits hold every line.
    std::optional<uint32_t> firstScan;
    std::optional<uint32_t> scanCount;
};

// Decodes a DIB from its BITMAPINFO (header and colour table; for BI_BITFIELDS with a
// 40-byte header, the three masks after it) and its bits. Returns an image of the
// header's width and height (an embedded file claiming more than
// kMaxScaledEmbeddedPixels: of its own size), top row first: QImage::Format_RGB32 when every pixel is
// opaque, Format_ARGB32_Premultiplied when pixels were left untouched (RLE skips and
// early ends, missing scan lines: transparent) or keepAlpha is set. A null image when the
// DIB cannot be decoded, with the reason in *why.
QImage DecodeDib(emf::Bytes info, emf::Bytes bits, const DibOptions& options = {},
                 std::string* why = nullptr);

// A packed DIB: BITMAPINFO, colour table and bits in one block (WMF bitmap records,
// clipboard DIBs). The bits start right after the colour table.
QImage DecodePackedDib(emf::Bytes packed, const DibOptions& options = {}, std::string* why = nullptr);

// A DIB inside an EMF record, located by the record's offBmi/cbBmi/offBits/cbBits fields
// (offsets from the record's first byte). Both ranges must lie inside the record.
QImage DecodeRecordDib(const emf::Record& record, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits,
                       uint32_t cbBits, const DibOptions& options = {}, std::string* why = nullptr);

// The 20 entries of the platform's default logical palette (0x00BBGGRR).
std::span<const uint32_t> DefaultPalette();

}  // namespace qrp::render
