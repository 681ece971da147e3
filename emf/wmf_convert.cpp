#include "emf/wmf_convert.h"

namespace qrp::emf {

// Not converted yet: every placeable picture is refused.
std::optional<std::vector<uint8_t>> SetWinMetaFileBits(Bytes, const MetaFilePict&)
{
    return std::nullopt;
}

std::vector<uint8_t> GetWinMetaFileBits(Bytes, int32_t, const ReferenceDevice&)
{
    return {};
}

}  // namespace qrp::emf
