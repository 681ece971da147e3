// Bit-block records to their WMF DIB forms (STRETCHDIB, DIBSTRETCHBLT) and PATBLT.
#include "emf/wmf/emf_to_wmf.h"
#include "emf/emr_types.h"
#include "emf/records_bitmaps.h"
#include "emf/wmf/wmf_format.h"

#include <algorithm>
#include <cstdlib>

namespace qrp::emf::wmf {

namespace {
int16_t Small(int32_t v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); }
}  // namespace

void EmfToWmf::Bitmap(const Record& r)
{
    int32_t xDest = 0, yDest = 0, cxDest = 0, cyDest = 0, xSrc = 0, ySrc = 0, cxSrc = 0, cySrc = 0;
    uint32_t rop = gdi::SRCCOPY, usage = 0;
    DibRef src;
    const bool blt = r.Type() == kEmrBitBlt || r.Type() == kEmrStretchBlt;
    if (blt) {
        const auto v = EmrBlt::Read(r);
        if (!v) return Damaged(r);
        xDest = v->xDest, yDest = v->yDest, cxDest = v->cxDest, cyDest = v->cyDest, rop = v->rop;
        xSrc = v->xSrc, ySrc = v->ySrc, cxSrc = v->cxSrc, cySrc = v->cySrc, usage = v->usageSrc, src = v->src;
    } else {
        const auto v = EmrDibits::Read(r);
        if (!v) return Damaged(r);
        // Whole images only: partial scan bands have no WMF form here.
        if (v->setDIBitsToDevice && (v->startScan != 0 || !v->src.Present())) return;
        xDest = v->xDest, yDest = v->yDest, cxDest = v->cxDest, cyDest = v->cyDest, rop = v->rop;
        xSrc = v->xSrc, ySrc = v->ySrc, cxSrc = v->cxSrc, cySrc = v->cySrc, usage = v->usageSrc, src = v->src;
    }
    const PointI a = Map(xDest, yDest);
    const PointI c = Map(static_cast<double>(xDest) + cxDest, static_cast<double>(yDest) + cyDest);
    const int16_t w = Small(c.x - a.x), h = Small(c.y - a.y);
    if (!src.Present()) {
        FOut.Append(META_PATBLT, WmfParams().U32(rop).I16(h).I16(w).I16(a.y).I16(a.x));
        return;
    }
    const Bytes info = r.Data().subspan(src.offBmi, src.cbBmi);
    const Bytes bits = src.cbBits != 0 ? r.Data().subspan(src.offBits, src.cbBits) : Bytes{};
    WmfParams p;
    if (blt) {
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
