// The WMF conversions over hostile bodies: a placeable read (two conversions, as the page
// picture does it), every result checked to be a well-formed EMF, then the EMF written
// back as a WMF and read once more.
#include "emf/header.h"
#include "emf/validate.h"
#include "emf/wmf_convert.h"
#include "emf/wmf_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void Check(const std::optional<std::vector<uint8_t>>& emf)
{
    if (emf && !qrp::emf::IsValidEnhMetafile(*emf)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace qrp::emf;
    Bytes body(data, size);
    if (size >= 22 && LoadU32(data) == 0x9AC6CDD7) body = body.subspan(22);

    const auto first = SetWinMetaFileBits(body, {MM_ANISOTROPIC, 0, 0});
    Check(first);
    if (!first) return 0;
    const EnhMetaHeader h = ParseHeader(*first);
    const auto second = SetWinMetaFileBits(body, {MM_ANISOTROPIC, h.rclFrame.right, h.rclFrame.bottom});
    Check(second);
    Check(SetWinMetaFileBits(body, {MM_ISOTROPIC, 1 + data[size - 1] * 97, 1 + data[size / 2] * 89}));
    Check(SetWinMetaFileBits(body, {data[0] % 9, 0, 0}));

    const std::vector<uint8_t> wmf = GetWinMetaFileBits(*second, MM_ANISOTROPIC, ReferenceDevice{});
    if (wmf.empty() || !wmf::ParseMetaHeader(wmf)) std::abort();
    Check(SetWinMetaFileBits(wmf, {MM_ANISOTROPIC, 1000, 1000}));
    return 0;
}
