#include "emf/records_regions.h"

#include "emf/emr_types.h"

namespace qrp::emf {

std::optional<RegionData> RegionData::Read(const Record& r, size_t offset, uint32_t cb)
{
    if (cb < 32 || !r.Has(offset, cb)) return std::nullopt;
    const uint32_t count = *r.U32(offset + 8);
    if (count > (cb - 32) / 16) return std::nullopt;
    RegionData d;
    d.bound = *ReadRectL(r, offset + 16);
    d.rects.resize(count);
    for (uint32_t i = 0; i < count; ++i) d.rects[i] = *ReadRectL(r, offset + 32 + size_t{16} * i);
    return d;
}

std::optional<EmrRegionDraw> EmrRegionDraw::Read(const Record& r)
{
    const auto bounds = ReadRectL(r, 8);
    const auto cb = r.U32(24);
    if (!bounds || !cb) return std::nullopt;
    EmrRegionDraw d;
    d.bounds = *bounds;
    size_t at = 28;
    const uint32_t type = r.Type();
    if (type == kEmrFillRgn || type == kEmrFrameRgn) {
        const auto ih = r.U32(28);
        if (!ih) return std::nullopt;
        d.ihBrush = *ih;
        at = 32;
        if (type == kEmrFrameRgn) {
            const auto stroke = ReadSizeL(r, 32);
            if (!stroke) return std::nullopt;
            d.stroke = *stroke;
            at = 40;
        }
    }
    const auto region = RegionData::Read(r, at, *cb);
    if (!region) return std::nullopt;
    d.region = *region;
    return d;
}

std::optional<EmrExtSelectClipRgn> EmrExtSelectClipRgn::Read(const Record& r)
{
    const auto cb = r.U32(8);
    const auto mode = r.U32(12);
    if (!cb || !mode) return std::nullopt;
    EmrExtSelectClipRgn s;
    s.mode = *mode;
    if (*cb == 0) {
        if (s.mode != gdi::RGN_COPY) return std::nullopt;
        return s;
    }
    s.region = RegionData::Read(r, 16, *cb);
    if (!s.region) return std::nullopt;
    return s;
}

}  // namespace qrp::emf
