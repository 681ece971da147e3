// Typed views over the region records: FILLRGN, FRAMERGN, INVERTRGN, PAINTRGN and
// EXTSELECTCLIPRGN, with their RGNDATA read into a list of rectangles.
#pragma once

#include "emf/records_common.h"

#include <vector>

namespace qrp::emf {

// RGNDATA: a 32-byte header (dwSize, iType, nCount, nRgnSize, rcBound) and nCount RECTLs.
struct RegionData {
    RectL bound;
    std::vector<RectL> rects;
    // Reads cb bytes at offset; std::nullopt when the header or its rectangles do not fit.
    static std::optional<RegionData> Read(const Record& r, size_t offset, uint32_t cb);
};

// FILLRGN (brush), FRAMERGN (brush and stroke size), INVERTRGN, PAINTRGN.
struct EmrRegionDraw {
    RectL bounds;
    uint32_t ihBrush = 0;
    SizeL stroke;
    RegionData region;
    static std::optional<EmrRegionDraw> Read(const Record& r);
};

// EXTSELECTCLIPRGN: a region in device units and the combination mode; no region with
// RGN_COPY resets the clip.
struct EmrExtSelectClipRgn {
    uint32_t mode = 0;
    std::optional<RegionData> region;
    static std::optional<EmrExtSelectClipRgn> Read(const Record& r);
};

}  // namespace qrp::emf
