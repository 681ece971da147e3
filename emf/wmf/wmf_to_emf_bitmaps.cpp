// Bit-block records: PATBLT, the DIB forms (DIBBITBLT, DIBSTRETCHBLT, STRETCHDIB,
// SETDIBTODEV) and the old device-dependent forms (BITBLT, STRETCHBLT with a Bitmap16).
#include "emf/wmf/wmf_dib.h"
#include "emf/wmf/wmf_format.h"
#include "emf/wmf/wmf_to_emf.h"

#include <cstdlib>

namespace qrp::emf::wmf {

namespace {
constexpr uint32_t kStretchFixedBytes = 80;
constexpr uint32_t kSetDibFixedBytes = 76;

bool WithoutBitmap(const WmfRecord& r) { return r.WordCount() + 3 == NoBitmapWords(r.Function()); }

int32_t Word(const WmfRecord& r, size_t i) { return r.I16(i).value_or(0); }
}  // namespace

void WmfToEmf::EmitNoSourceBlt(int32_t x, int32_t y, int32_t cx, int32_t cy, uint32_t rop)
{
    AddLogicalRect(x, y, x + cx, y + cy, false);
    Payload p;
    p.Rect(TakeShapeBounds()).I32(x).I32(y).I32(cx).I32(cy).U32(rop).I32(0).I32(0);
    p.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0);
    p.U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
    Emit(kEmrBitBlt, p);
}

void WmfToEmf::EmitStretchDib(int32_t xDest, int32_t yDest, int32_t cxDest, int32_t cyDest, int32_t xSrc,
                              int32_t ySrc, int32_t cxSrc, int32_t cySrc, Bytes dib, uint32_t usage, uint32_t rop,
                              bool sourceFromTop)
{
    const auto parts = SplitDib(dib, usage);
    if (!parts) return;
    // A source rectangle given from the top of the image, as a blt from a device context
    // takes it; STRETCHDIBITS counts rows of a bottom-up DIB from the bottom.
    if (sourceFromTop && parts->height > 0) ySrc = parts->height - ySrc - cySrc;
    AddLogicalRect(xDest, yDest, xDest + cxDest, yDest + cyDest, false);
    const auto infoSize = static_cast<uint32_t>(parts->info.size());
    const uint32_t infoPadded = (infoSize + 3) & ~3u;
    Payload p;
    p.Rect(TakeShapeBounds()).I32(xDest).I32(yDest).I32(xSrc).I32(ySrc).I32(cxSrc).I32(cySrc);
    p.U32(kStretchFixedBytes).U32(infoSize).U32(kStretchFixedBytes + infoPadded).U32(static_cast<uint32_t>(parts->bits.size()));
    p.U32(usage).U32(rop).I32(cxDest).I32(cyDest);
    p.Raw(parts->info).Pad4().Raw(parts->bits).Pad4();
    Emit(kEmrStretchDIBits, p);
}

bool WmfToEmf::PatBlt(const WmfRecord& r)
{
    const auto rop = r.U32(0);
    if (!rop || !r.I16(5)) return false;
    EmitNoSourceBlt(Word(r, 5), Word(r, 4), Word(r, 3), Word(r, 2), *rop);
    return true;
}

bool WmfToEmf::DibBitBlt(const WmfRecord& r)
{
    const auto rop = r.U32(0);
    if (!rop) return false;
    if (WithoutBitmap(r)) {
        EmitNoSourceBlt(Word(r, 8), Word(r, 7), Word(r, 6), Word(r, 5), *rop);
        return true;
    }
    if (!r.I16(7)) return false;
    const int32_t h = Word(r, 4), w = Word(r, 5);
    EmitStretchDib(Word(r, 7), Word(r, 6), w, h, Word(r, 3), Word(r, 2), w, h, r.Tail(16), 0, *rop, true);
    return true;
}

bool WmfToEmf::DibStretchBlt(const WmfRecord& r)
{
    const auto rop = r.U32(0);
    if (!rop) return false;
    if (WithoutBitmap(r)) {
        EmitNoSourceBlt(Word(r, 10), Word(r, 9), Word(r, 8), Word(r, 7), *rop);
        return true;
    }
    if (!r.I16(9)) return false;
    EmitStretchDib(Word(r, 9), Word(r, 8), Word(r, 7), Word(r, 6), Word(r, 5), Word(r, 4), Word(r, 3), Word(r, 2),
                   r.Tail(20), 0, *rop, true);
    return true;
}

bool WmfToEmf::OldBitBlt(const WmfRecord& r)
{
    const auto rop = r.U32(0);
    if (!rop) return false;
    const bool stretch = r.Function() == META_STRETCHBLT;
    if (WithoutBitmap(r)) {
        if (stretch) EmitNoSourceBlt(Word(r, 10), Word(r, 9), Word(r, 8), Word(r, 7), *rop);
        else EmitNoSourceBlt(Word(r, 8), Word(r, 7), Word(r, 6), Word(r, 5), *rop);
        return true;
    }
    const size_t bitmapAt = stretch ? 20 : 16;
    const auto dib = Bitmap16ToDib(r.Slice(bitmapAt, 10), r.Tail(bitmapAt + 10));
    if (!dib) return false;
    if (stretch) {
        EmitStretchDib(Word(r, 9), Word(r, 8), Word(r, 7), Word(r, 6), Word(r, 5), Word(r, 4), Word(r, 3), Word(r, 2),
                       *dib, 0, *rop, true);
    } else {
        const int32_t h = Word(r, 4), w = Word(r, 5);
        EmitStretchDib(Word(r, 7), Word(r, 6), w, h, Word(r, 3), Word(r, 2), w, h, *dib, 0, *rop, true);
    }
    return true;
}

bool WmfToEmf::StretchDib(const WmfRecord& r)
{
    const auto rop = r.U32(0);
    if (!rop || !r.I16(10)) return false;
    EmitStretchDib(Word(r, 10), Word(r, 9), Word(r, 8), Word(r, 7), Word(r, 6), Word(r, 5), Word(r, 4), Word(r, 3),
                   r.Tail(22), r.U16(2).value_or(0), *rop, false);
    return true;
}

bool WmfToEmf::SetDibToDev(const WmfRecord& r)
{
    if (!r.I16(8)) return false;
    const uint32_t usage = r.U16(0).value_or(0);
    const auto parts = SplitDib(r.Tail(18), usage);
    if (!parts) return false;
    const int32_t xDest = Word(r, 8), yDest = Word(r, 7), width = Word(r, 6), height = Word(r, 5);
    AddLogicalRect(xDest, yDest, xDest + width, yDest + height, false);
    const auto infoSize = static_cast<uint32_t>(parts->info.size());
    const uint32_t infoPadded = (infoSize + 3) & ~3u;
    Payload p;
    p.Rect(TakeShapeBounds()).I32(xDest).I32(yDest).I32(Word(r, 4)).I32(Word(r, 3)).I32(width).I32(height);
    p.U32(kSetDibFixedBytes).U32(infoSize).U32(kSetDibFixedBytes + infoPadded).U32(static_cast<uint32_t>(parts->bits.size()));
    p.U32(usage).U32(r.U16(2).value_or(0)).U32(r.U16(1).value_or(0));
    p.Raw(parts->info).Pad4().Raw(parts->bits).Pad4();
    Emit(kEmrSetDIBitsToDevice, p);
    return true;
}

}  // namespace qrp::emf::wmf
