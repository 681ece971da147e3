// The WMF conversions over hostile input. A WMF body (placeable or not) goes through a
// placeable read (two conversions, as the page picture does it), every result checked to
// be a well-formed EMF, and that EMF is converted back record by record. An input that is
// a valid EMF is converted to a WMF and read once more.
#include "emf/wmf/emf_to_wmf.h"
#include "emf/header.h"
#include "emf/validate.h"
#include "emf/wmf/wmf_convert.h"
#include "emf/wmf/wmf_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

using namespace qrp::emf;
using qrp::emf::gdi::MM_ANISOTROPIC;
using qrp::emf::gdi::MM_ISOTROPIC;

void Check(const std::optional<std::vector<uint8_t>>& emf)
{
    if (emf && !IsValidEnhMetafile(*emf)) std::abort();
}

// EMF to WMF both ways (with the carried copy and by its records); the WMF must read back.
void Back(Bytes emf)
{
    const std::vector<uint8_t> carried = GetWinMetaFileBits(emf, MM_ANISOTROPIC, ReferenceDevice{});
    if (carried.empty() || !wmf::ParseMetaHeader(carried)) std::abort();
    wmf::EmfToWmf converter(emf, ReferenceDevice{2480, 3508, 210, 297});
    const std::vector<uint8_t> records = converter.Convert(false);
    if (!wmf::ParseMetaHeader(records)) std::abort();
    Check(SetWinMetaFileBits(records, {MM_ANISOTROPIC, 1000, 1000}));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Bytes input(data, size);
    if (IsValidEnhMetafile(input)) {
        Back(input);
        return 0;
    }
    if (size >= 22 && LoadU32(data) == 0x9AC6CDD7) input = input.subspan(22);
    const auto first = SetWinMetaFileBits(input, {MM_ANISOTROPIC, 0, 0});
    Check(first);
    if (!first) return 0;
    const EnhMetaHeader h = ParseHeader(*first);
    const auto second = SetWinMetaFileBits(input, {MM_ANISOTROPIC, h.rclFrame.right, h.rclFrame.bottom});
    Check(second);
    Check(SetWinMetaFileBits(input, {MM_ISOTROPIC, 1 + data[size - 1] * 97, 1 + data[size / 2] * 89}));
    Check(SetWinMetaFileBits(input, {data[0] % 9, 0, 0}));
    if (second) Back(*second);
    return 0;
}
