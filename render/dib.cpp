#include "render/dib.h"

namespace qrp::render {

std::optional<DibInfo> ParseDibInfo(emf::Bytes, std::string* why)
{
    if (why) *why = "not decoded yet";
    return std::nullopt;
}

QImage DecodeDib(emf::Bytes, emf::Bytes, const DibOptions&, std::string* why)
{
    if (why) *why = "not decoded yet";
    return {};
}

QImage DecodePackedDib(emf::Bytes, const DibOptions&, std::string* why)
{
    if (why) *why = "not decoded yet";
    return {};
}

QImage DecodeRecordDib(const emf::Record&, uint32_t, uint32_t, uint32_t, uint32_t, const DibOptions&,
                       std::string* why)
{
    if (why) *why = "not decoded yet";
    return {};
}

std::span<const uint32_t> DefaultPalette() { return {}; }

}  // namespace qrp::render
