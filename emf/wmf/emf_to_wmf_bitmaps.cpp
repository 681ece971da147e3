// Bit-block records to their WMF DIB forms (STRETCHDIB, DIBSTRETCHBLT) and PATBLT.
#include "emf/wmf/emf_to_wmf.h"
#include "emf/emr_types.h"
#include "emf/wmf/wmf_format.h"

#include <algorithm>
#include <cstdlib>

namespace qrp::emf::wmf {

namespace {
int16_t Small(int32_t v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); }
constexpr uint32_t kSrcCopy = 0x00CC0020;
}  // namespace

void EmfToWmf::Bitmap(const Record& r)
{
    const auto xDest = r.I32(24), yDest = r.I32(28);
    if (!yDest) return;
    int32_t cxDest = 0, cyDest = 0, xSrc = 0, ySrc = 0, cxSrc = 0, cySrc = 0;
    uint32_t rop = kSrcCopy, usage = 0, offBmi = 0, cbBmi = 0, offBits = 0, cbBits = 0;
    switch (r.Type()) {
    case kEmrBitBlt:
    case kEmrStretchBlt:  // BITBLT, STRETCHBLT
        cxDest = r.I32(32).value_or(0), cyDest = r.I32(36).value_or(0), rop = r.U32(40).value_or(0);
        xSrc = r.I32(44).value_or(0), ySrc = r.I32(48).value_or(0), usage = r.U32(80).value_or(0);
        offBmi = r.U32(84).value_or(0), cbBmi = r.U32(88).value_or(0), offBits = r.U32(92).value_or(0);
        cbBits = r.U32(96).value_or(0);
        cxSrc = r.Type() == kEmrStretchBlt ? r.I32(100).value_or(0) : cxDest;
        cySrc = r.Type() == kEmrStretchBlt ? r.I32(104).value_or(0) : cyDest;
        break;
    case kEmrSetDIBitsToDevice:
    case kEmrStretchDIBits:  // SETDIBITSTODEVICE, STRETCHDIBITS
        xSrc = r.I32(32).value_or(0), ySrc = r.I32(36).value_or(0), cxSrc = r.I32(40).value_or(0);
        cySrc = r.I32(44).value_or(0), offBmi = r.U32(48).value_or(0), cbBmi = r.U32(52).value_or(0);
        offBits = r.U32(56).value_or(0), cbBits = r.U32(60).value_or(0), usage = r.U32(64).value_or(0);
        if (r.Type() == kEmrStretchDIBits) {
            rop = r.U32(68).value_or(0), cxDest = r.I32(72).value_or(0), cyDest = r.I32(76).value_or(0);
        } else {
            // Whole images only: partial scan bands have no WMF form here.
            const Bytes info = r.Array(offBmi, cbBmi, 1);
            if (info.size() < 12 || r.U32(68).value_or(1) != 0) return;
            cxDest = cxSrc, cyDest = cySrc;
        }
        break;
    default:
        return;
    }
    const PointI a = Map(*xDest, *yDest);
    const PointI c = Map(static_cast<double>(*xDest) + cxDest, static_cast<double>(*yDest) + cyDest);
    const int16_t w = Small(c.x - a.x), h = Small(c.y - a.y);
    if (cbBmi == 0) {
        FOut.Append(META_PATBLT, WmfParams().U32(rop).I16(h).I16(w).I16(a.y).I16(a.x));
        return;
    }
    const Bytes info = r.Array(offBmi, cbBmi, 1);
    const Bytes bits = r.Array(offBits, cbBits, 1);
    if (info.empty() || (cbBits != 0 && bits.empty())) return;
    WmfParams p;
    if (r.Type() == kEmrBitBlt || r.Type() == kEmrStretchBlt) {
        p.U32(rop).I16(Small(cySrc)).I16(Small(cxSrc)).I16(Small(ySrc)).I16(Small(xSrc));
        p.I16(h).I16(w).I16(a.y).I16(a.x).Raw(info).Raw(bits);
        FOut.Append(META_DIBSTRETCHBLT, p);
        return;
    }
    p.U32(rop).U16(static_cast<uint16_t>(usage)).I16(Small(cySrc)).I16(Small(cxSrc)).I16(Small(ySrc)).I16(Small(xSrc));
    p.I16(h).I16(w).I16(a.y).I16(a.x).Raw(info).Raw(bits);
    FOut.Append(META_STRETCHDIB, p);
}

}  // namespace qrp::emf::wmf
