#include "emf/wmf/wmf_convert.h"

#include "emf/wmf/emf_to_wmf.h"
#include "emf/validate.h"
#include "emf/wmf/wmf_embedded_emf.h"
#include "emf/wmf/wmf_reader.h"
#include "emf/wmf/wmf_to_emf.h"

namespace qrp::emf {

std::optional<std::vector<uint8_t>> SetWinMetaFileBits(Bytes wmf, const MetaFilePict& pict)
{
    return SetWinMetaFileBits(wmf, pict, ReferenceDevice{});
}

std::optional<std::vector<uint8_t>> SetWinMetaFileBits(Bytes wmf, const MetaFilePict& pict,
                                                       const ReferenceDevice& device)
{
    const auto header = wmf::ParseMetaHeader(wmf);
    if (!header) return std::nullopt;
    if (auto embedded = wmf::FindEmbeddedEnhMetafile(wmf, *header)) return embedded;
    wmf::WmfToEmf converter(wmf, *header, pict, device);
    return converter.Convert();
}

std::vector<uint8_t> GetWinMetaFileBits(Bytes emf, int32_t, const ReferenceDevice& device)
{
    // Every mapping mode is written as MM_ANISOTROPIC, the one the placeable form uses.
    if (!IsValidEnhMetafile(emf)) return {};
    // A picture converted from a WMF gives that WMF back.
    if (auto carried = wmf::FindCarriedWmf(emf)) return std::move(*carried);
    wmf::EmfToWmf converter(emf, device);
    return converter.Convert(true);
}

}  // namespace qrp::emf
