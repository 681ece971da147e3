// EXTTEXTOUTW / EXTTEXTOUTA to META_EXTTEXTOUT: the text in the selected font's code page,
// its advances mapped with the picture's scale (kept cumulative so that lines keep their
// length).
#include "emf/wmf/emf_to_wmf.h"
#include "emf/emr_types.h"
#include "emf/wmf/wmf_charset.h"
#include "emf/wmf/wmf_format.h"

#include <algorithm>
#include <cmath>

namespace qrp::emf::wmf {

namespace {
constexpr uint32_t kEtoGlyphIndex = 0x0010;
constexpr uint32_t kEtoPdy = 0x2000;
constexpr size_t kMaxChars = 32767;
}  // namespace

void EmfToWmf::Text(const Record& r)
{
    const auto x = r.I32(36), y = r.I32(40);
    const auto count = r.U32(44), offString = r.U32(48), options = r.U32(52);
    const auto offDx = r.U32(72);
    if (!offDx || (*options & kEtoGlyphIndex) != 0) return;
    const bool wide = r.Type() == kEmrExtTextOutW;
    const uint32_t n = std::min<uint32_t>(*count, kMaxChars);
    const Bytes raw = r.Array(*offString, n, wide ? 2 : 1);
    if (n > 0 && raw.empty()) return;

    std::vector<uint8_t> bytes;
    std::vector<uint8_t> perChar;  // bytes each source character became
    if (wide) {
        std::u16string text;
        for (uint32_t i = 0; i < n; ++i) text.push_back(static_cast<char16_t>(LoadU16(raw.data() + 2 * i)));
        EncodedText encoded = EncodeCharset(text, FState.charset);
        bytes = std::move(encoded.bytes);
        perChar = std::move(encoded.unitBytes);
    } else {
        bytes.assign(raw.begin(), raw.end());
        perChar.assign(n, 1);
    }
    if (bytes.size() > kMaxChars) return;

    // Advances: one per character in the record (two with ETO_PDY), one per byte in the WMF.
    std::vector<int16_t> dx;
    const uint32_t stride = (*options & kEtoPdy) != 0 ? 2 : 1;
    const Bytes advances = *offDx != 0 ? r.Array(*offDx, static_cast<uint64_t>(n) * stride, 4) : Bytes{};
    if (!advances.empty()) {
        const double scale = FState.map.ScaleX() * FScaleX;
        double position = 0;
        long placed = 0;
        for (uint32_t i = 0; i < n; ++i) {
            position += LoadI32(advances.data() + 4 * static_cast<size_t>(i) * stride);
            const long next = std::lround(position * scale);
            const long advance = std::clamp(next - placed, -32768L, 32767L);
            placed = next;
            const uint8_t k = i < perChar.size() ? perChar[i] : 1;
            if (k == 0 && !dx.empty()) {
                dx.back() = static_cast<int16_t>(std::clamp(dx.back() + advance, -32768L, 32767L));
                continue;
            }
            for (uint8_t b = 0; b < k; ++b) dx.push_back(b == 0 ? static_cast<int16_t>(advance) : 0);
        }
        if (dx.size() != bytes.size()) dx.clear();
    }

    const PointI at = Map(*x, *y);
    const auto wmfOptions = static_cast<uint16_t>(*options & 0xFFFF & ~kEtoPdy);
    WmfParams p;
    p.I16(at.y).I16(at.x).I16(static_cast<int16_t>(bytes.size())).U16(wmfOptions);
    if ((wmfOptions & (ETO_OPAQUE_16 | ETO_CLIPPED_16)) != 0) {
        const PointI a = Map(r.I32(56).value_or(0), r.I32(60).value_or(0));
        const PointI c = Map(r.I32(64).value_or(0), r.I32(68).value_or(0));
        p.I16(std::min(a.x, c.x)).I16(std::min(a.y, c.y)).I16(std::max(a.x, c.x)).I16(std::max(a.y, c.y));
    }
    p.Raw(bytes);
    for (const int16_t d : dx) p.I16(d);
    FOut.Append(META_EXTTEXTOUT, p);
}

void EmfToWmf::SmallText(const Record& r)
{
    // SMALLTEXTOUT: reference, cChars, fuOptions, graphics mode, scales, [clip], text.
    constexpr uint32_t kEtoNoRect = 0x0100, kEtoSmallChars = 0x0200;
    const auto x = r.I32(8), y = r.I32(12);
    const auto count = r.U32(16), options = r.U32(20);
    if (!options || (*options & kEtoGlyphIndex) != 0) return;
    const bool hasRect = (*options & kEtoNoRect) == 0;
    const size_t textAt = hasRect ? 52 : 36;
    const bool small = (*options & kEtoSmallChars) != 0;
    const uint32_t n = std::min<uint32_t>(*count, kMaxChars);
    const Bytes raw = r.Array(textAt, n, small ? 1 : 2);
    if (n > 0 && raw.empty()) return;
    std::vector<uint8_t> bytes;
    if (small) {
        bytes.assign(raw.begin(), raw.end());
    } else {
        std::u16string text;
        for (uint32_t i = 0; i < n; ++i) text.push_back(static_cast<char16_t>(LoadU16(raw.data() + 2 * i)));
        bytes = EncodeCharset(text, FState.charset).bytes;
    }
    if (bytes.size() > kMaxChars) return;
    const PointI at = Map(*x, *y);
    auto wmfOptions = static_cast<uint16_t>(*options & (ETO_OPAQUE_16 | ETO_CLIPPED_16));
    if (!hasRect) wmfOptions = 0;
    WmfParams p;
    p.I16(at.y).I16(at.x).I16(static_cast<int16_t>(bytes.size())).U16(wmfOptions);
    if (wmfOptions != 0) {
        const PointI a = Map(r.I32(36).value_or(0), r.I32(40).value_or(0));
        const PointI c = Map(r.I32(44).value_or(0), r.I32(48).value_or(0));
        p.I16(std::min(a.x, c.x)).I16(std::min(a.y, c.y)).I16(std::max(a.x, c.x)).I16(std::max(a.y, c.y));
    }
    p.Raw(bytes);
    FOut.Append(META_EXTTEXTOUT, p);
}

}  // namespace qrp::emf::wmf
