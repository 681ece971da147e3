#include "emf/dib_header.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace qrp::emf {

using namespace gdi;

namespace {

bool Fail(std::string* why, const std::string& reason)
{
    if (why) *why = reason;
    return false;
}

bool IsKnownHeaderSize(uint32_t size)
{
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

}  // namespace

uint64_t DibLayout::UncompressedBytes() const
{
    const uint64_t stride = (static_cast<uint64_t>(std::abs(static_cast<int64_t>(info.width))) * info.bitCount + 31) / 32 * 4;
    return stride * static_cast<uint64_t>(info.height);
}

std::optional<DibInfo> ParseDibInfo(Bytes info, std::string* why)
{
    if (info.size() < 4) {
        Fail(why, "bitmap header shorter than 4 bytes");
        return std::nullopt;
    }
    DibInfo d;
    d.headerSize = LoadU32(info.data());
    if (!IsKnownHeaderSize(d.headerSize)) {
        Fail(why, "unknown bitmap header size " + std::to_string(d.headerSize));
        return std::nullopt;
    }
    if (info.size() < d.headerSize) {
        Fail(why, "bitmap header of " + std::to_string(d.headerSize) + " bytes in " + std::to_string(info.size()) +
                      " bytes");
        return std::nullopt;
    }
    const uint8_t* p = info.data();
    if (d.headerSize == 12) {
        d.width = LoadU16(p + 4);
        d.height = LoadU16(p + 6);
        d.planes = LoadU16(p + 8);
        d.bitCount = LoadU16(p + 10);
        return d;
    }
    d.width = LoadI32(p + 4);
    const int32_t height = LoadI32(p + 8);
    d.planes = LoadU16(p + 12);
    d.bitCount = LoadU16(p + 14);
    d.compression = LoadU32(p + 16);
    d.sizeImage = LoadU32(p + 20);
    d.colorsUsed = LoadU32(p + 32);
    if (height == std::numeric_limits<int32_t>::min()) {
        Fail(why, "bitmap height out of range");
        return std::nullopt;
    }
    d.topDown = height < 0;
    d.height = height < 0 ? -height : height;
    return d;
}

std::optional<DibLayout> ParseDibLayout(Bytes info, uint32_t usage, std::string* why)
{
    const auto parsed = ParseDibInfo(info, why);
    if (!parsed) return std::nullopt;
    DibLayout layout;
    layout.info = *parsed;
    const DibInfo& d = layout.info;
    const bool core = d.headerSize == 12;
    layout.tableOffset = d.headerSize;
    if (d.compression == BI_BITFIELDS || d.compression == BI_ALPHABITFIELDS) {
        layout.masksOffset = 40;
        if (d.headerSize == 40) layout.tableOffset += d.compression == BI_BITFIELDS ? 12 : 16;
    }
    layout.entrySize = usage == DIB_PAL_COLORS ? 2 : core ? 3 : 4;
    if (usage == DIB_PAL_INDICES) {
        layout.tableEntries = 0;
    } else if (d.bitCount <= 8 && d.bitCount > 0) {
        const uint32_t full = 1u << d.bitCount;
        layout.tableEntries = d.colorsUsed && d.colorsUsed < full ? d.colorsUsed : full;
    } else {
        layout.tableEntries = std::min<uint32_t>(d.colorsUsed, 256);
    }
    return layout;
}

}  // namespace qrp::emf
