// The header of a device-independent bitmap (BITMAPINFO) and where its parts lie: the
// header fields, the BI_BITFIELDS masks and the colour table. Shared by everything that
// reads a DIB (the player's decoder, the WMF conversions), so that they all accept the
// same headers.
//
// Accepted header sizes: 12 (BITMAPCOREHEADER), 40 (BITMAPINFOHEADER), 52 and 56 (its V2
// and V3 extensions), 108 (V4) and 124 (V5). Other sizes are refused.
#pragma once

#include "emf/bytes.h"
#include "emf/emr_types.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qrp::emf {

// The header fields of a DIB, whatever its header form.
struct DibInfo {
    uint32_t headerSize = 0;  // 12 for BITMAPCOREHEADER, 40 and up for BITMAPINFOHEADER
    int32_t width = 0;
    int32_t height = 0;       // always positive here; see topDown
    bool topDown = false;     // the header's height was negative
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t compression = gdi::BI_RGB;
    uint32_t sizeImage = 0;
    uint32_t colorsUsed = 0;  // entries in the colour table as the header declares them
};

// A BITMAPINFO's header and the layout of what follows it, for one iUsage.
struct DibLayout {
    DibInfo info;
    size_t masksOffset = 0;     // BI_BITFIELDS masks (after a 40-byte header, inside longer ones)
    size_t tableOffset = 0;     // the colour table
    size_t entrySize = 4;       // bytes per colour table entry
    uint32_t tableEntries = 0;  // entries the header declares, capped at what the bit count indexes
    // Header, masks and colour table together: where the bits of a packed DIB start.
    uint64_t InfoBytes() const { return tableOffset + uint64_t{tableEntries} * entrySize; }
    // Bytes of the bits of an uncompressed image: rows padded to 32 bits.
    uint64_t UncompressedBytes() const;
};

// The header fields at the start of info, or std::nullopt (and the reason in *why) when it
// is too short, its size field is not a known header size, or its height is out of range.
std::optional<DibInfo> ParseDibInfo(Bytes info, std::string* why = nullptr);

// The header and the layout of the masks and colour table for the given iUsage. The
// masks and table are not checked against info: InfoBytes() tells how much they need.
std::optional<DibLayout> ParseDibLayout(Bytes info, uint32_t usage, std::string* why = nullptr);

}  // namespace qrp::emf
