#include "emf/records_bitmaps.h"

#include "emf/emr_types.h"

namespace qrp::emf {

std::optional<EmrBlt> EmrBlt::Read(const Record& r)
{
    const uint32_t type = r.Type();
    if (!r.Has(8, 92)) return std::nullopt;
    EmrBlt b;
    b.bounds = *ReadRectL(r, 8);
    b.xDest = *r.I32(24);
    b.yDest = *r.I32(28);
    b.cxDest = *r.I32(32);
    b.cyDest = *r.I32(36);
    b.rop = *r.U32(40);
    b.xSrc = *r.I32(44);
    b.ySrc = *r.I32(48);
    b.xformSrc = *ReadXForm(r, 52);
    b.bkColorSrc = *r.U32(76);
    b.usageSrc = *r.U32(80);
    const auto src = ReadDibRef(r, 84, 88, 92, 96);
    if (!src) return std::nullopt;
    b.src = *src;
    b.cxSrc = b.cxDest;
    b.cySrc = b.cyDest;
    if (type == kEmrStretchBlt || type == kEmrTransparentBlt || type == kEmrAlphaBlend) {
        if (!r.Has(100, 8)) return std::nullopt;
        b.cxSrc = *r.I32(100);
        b.cySrc = *r.I32(104);
    } else if (type == kEmrMaskBlt) {
        if (!r.Has(100, 28)) return std::nullopt;
        b.xMask = *r.I32(100);
        b.yMask = *r.I32(104);
        b.usageMask = *r.U32(108);
        const auto mask = ReadDibRef(r, 112, 116, 120, 124);
        if (!mask) return std::nullopt;
        b.mask = *mask;
    }
    return b;
}

std::optional<EmrPlgBlt> EmrPlgBlt::Read(const Record& r)
{
    if (!r.Has(8, 132)) return std::nullopt;
    EmrPlgBlt b;
    b.bounds = *ReadRectL(r, 8);
    for (int i = 0; i < 3; ++i) b.dest[i] = *ReadPoint32(r, 24 + 8 * static_cast<size_t>(i));
    b.xSrc = *r.I32(48);
    b.ySrc = *r.I32(52);
    b.cxSrc = *r.I32(56);
    b.cySrc = *r.I32(60);
    b.xformSrc = *ReadXForm(r, 64);
    b.bkColorSrc = *r.U32(88);
    b.usageSrc = *r.U32(92);
    const auto src = ReadDibRef(r, 96, 100, 104, 108);
    b.xMask = *r.I32(112);
    b.yMask = *r.I32(116);
    b.usageMask = *r.U32(120);
    const auto mask = ReadDibRef(r, 124, 128, 132, 136);
    if (!src || !mask) return std::nullopt;
    b.src = *src;
    b.mask = *mask;
    return b;
}

std::optional<EmrDibits> EmrDibits::Read(const Record& r)
{
    if (!r.Has(8, 68)) return std::nullopt;
    EmrDibits d;
    d.bounds = *ReadRectL(r, 8);
    d.xDest = *r.I32(24);
    d.yDest = *r.I32(28);
    d.xSrc = *r.I32(32);
    d.ySrc = *r.I32(36);
    d.cxSrc = *r.I32(40);
    d.cySrc = *r.I32(44);
    const auto src = ReadDibRef(r, 48, 52, 56, 60);
    if (!src) return std::nullopt;
    d.src = *src;
    d.usageSrc = *r.U32(64);
    if (r.Type() == kEmrSetDIBitsToDevice) {
        d.setDIBitsToDevice = true;
        d.startScan = *r.U32(68);
        d.scans = *r.U32(72);
        d.rop = gdi::SRCCOPY;
        d.cxDest = d.cxSrc;
        d.cyDest = d.cySrc;
    } else {
        if (!r.Has(68, 12)) return std::nullopt;
        d.rop = *r.U32(68);
        d.cxDest = *r.I32(72);
        d.cyDest = *r.I32(76);
    }
    return d;
}

std::optional<EmrGradientFill> EmrGradientFill::Read(const Record& r)
{
    if (!r.Has(8, 28)) return std::nullopt;
    EmrGradientFill g;
    g.bounds = *ReadRectL(r, 8);
    const uint32_t nVer = *r.U32(24);
    const uint32_t nTri = *r.U32(28);
    g.mode = *r.U32(32);
    const Bytes vertices = r.Array(36, nVer, 16);
    if (nVer != 0 && vertices.empty()) return std::nullopt;
    g.vertices.resize(nVer);
    for (uint32_t i = 0; i < nVer; ++i) {
        const uint8_t* p = vertices.data() + 16 * i;
        g.vertices[i] = {LoadI32(p), LoadI32(p + 4), LoadU16(p + 8), LoadU16(p + 10), LoadU16(p + 12), LoadU16(p + 14)};
    }
    const uint32_t perShape = g.mode == gdi::GRADIENT_FILL_TRIANGLE ? 3 : 2;
    const Bytes indices = r.Array(36 + size_t{16} * nVer, uint64_t{nTri} * perShape, 4);
    if (nTri != 0 && indices.empty()) return std::nullopt;
    g.indices.resize(size_t{nTri} * perShape);
    for (size_t i = 0; i < g.indices.size(); ++i) {
        g.indices[i] = LoadU32(indices.data() + 4 * i);
        if (g.indices[i] >= nVer) return std::nullopt;
    }
    return g;
}

}  // namespace qrp::emf
