#include "emf/wmf/wmf_convert.h"

#include "emf/wmf/emf_to_wmf.h"
#include "emf/validate.h"
#include "emf/wmf/wmf_embedded_emf.h"
#include "emf/wmf/wmf_format.h"
#include "emf/wmf/wmf_reader.h"
#include "emf/wmf/wmf_to_emf.h"

#include <algorithm>
#include <cstdlib>

namespace qrp::emf {

namespace {
// No real picture is larger than this (0.01 mm; 100 m): a box of a few units at a tiny
// Inch must not ask for an enormous viewport.
constexpr int32_t kMaxSuggestedExtent = 10'000'000;

bool ScalableMode(int32_t mm) { return mm == gdi::MM_ISOTROPIC || mm == gdi::MM_ANISOTROPIC; }
}  // namespace

std::optional<MetaFilePict> SuggestedSize(Bytes wmf, int32_t mapMode, const ReferenceDevice& device,
                                          const std::optional<PlaceableBox>& box)
{
    int64_t x = 0, y = 0;
    if (box && box->width > 0 && box->height > 0) {
        const int64_t inch = box->inch == 0 ? 96 : box->inch;
        x = (int64_t{box->width} * 2540 + inch / 2) / inch;
        y = (int64_t{box->height} * 2540 + inch / 2) / inch;
    } else {
        const auto header = wmf::ParseMetaHeader(wmf);
        if (!header) return std::nullopt;
        wmf::WmfRecordReader reader(wmf, static_cast<uint32_t>(header->headerWords) * 2);
        while (const auto r = reader.Next()) {
            if (r->Function() != wmf::META_SETWINDOWEXT) continue;
            const auto cy = r->I16(0), cx = r->I16(1);
            if (!cx || *cx == 0 || *cy == 0) continue;
            // One window unit to one device pixel.
            x = int64_t{std::abs(*cx)} * 100 * std::max(1, device.widthMillimeters) / std::max(1, device.widthPixels);
            y = int64_t{std::abs(*cy)} * 100 * std::max(1, device.heightMillimeters) / std::max(1, device.heightPixels);
            break;
        }
    }
    if (x <= 0 || y <= 0) return std::nullopt;
    return MetaFilePict{mapMode, static_cast<int32_t>(std::min<int64_t>(x, kMaxSuggestedExtent)),
                        static_cast<int32_t>(std::min<int64_t>(y, kMaxSuggestedExtent))};
}

std::optional<std::vector<uint8_t>> SetWinMetaFileBits(Bytes wmf, const MetaFilePict& pict)
{
    return SetWinMetaFileBits(wmf, pict, ReferenceDevice{});
}

std::optional<std::vector<uint8_t>> SetWinMetaFileBits(Bytes wmf, const MetaFilePict& pict,
                                                       const ReferenceDevice& device,
                                                       const std::optional<PlaceableBox>& box)
{
    const auto header = wmf::ParseMetaHeader(wmf);
    if (!header) return std::nullopt;
    if (auto embedded = wmf::FindEmbeddedEnhMetafile(wmf, *header)) return embedded;
    MetaFilePict used = pict;
    if (ScalableMode(pict.mm) && (pict.xExt <= 0 || pict.yExt <= 0)) {
        // No suggested size: the picture's own, not the device's shape.
        if (auto own = SuggestedSize(wmf, pict.mm, device, box)) used = *own;
    }
    wmf::WmfToEmf converter(wmf, *header, used, device);
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
