// EXTTEXTOUTW / EXTTEXTOUTA / SMALLTEXTOUT to META_EXTTEXTOUT: the text in the selected
// font's code page, its advances mapped with the picture's scale (kept cumulative so that
// lines keep their length).
#include "emf/wmf/emf_to_wmf.h"
#include "emf/emr_types.h"
#include "emf/records_text.h"
#include "emf/wmf/wmf_charset.h"
#include "emf/wmf/wmf_format.h"

#include <algorithm>
#include <cmath>

namespace qrp::emf::wmf {

namespace {
constexpr size_t kMaxChars = 32767;
}  // namespace

void EmfToWmf::Text(const Record& r)
{
    const auto text = EmrTextOut::Read(r);
    if (!text) return Damaged(r);
    const TextRun& run = text->runs.front();
    if ((run.options & gdi::ETO_GLYPH_INDEX) != 0) return;
    const bool small = r.Type() == kEmrSmallTextOut;
    const size_t n = run.text.size();

    // 8-bit strings keep their bytes; UTF-16 ones are encoded in the selected font's charset.
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> perChar;  // bytes each source character became
    if (!run.narrow.empty() || n == 0) {
        bytes.assign(run.narrow.begin(), run.narrow.end());
        perChar.assign(n, 1);
    } else {
        EncodedText encoded = EncodeCharset(run.text, FState.charset);
        bytes = std::move(encoded.bytes);
        perChar = std::move(encoded.unitBytes);
    }
    if (bytes.size() > kMaxChars) return;

    // Advances: one per character in the record, one per byte in the WMF.
    std::vector<int16_t> dx;
    if (!small && !run.dx.empty()) {
        const double scale = FState.map.ScaleX() * FScaleX;
        double position = 0;
        long placed = 0;
        for (size_t i = 0; i < n; ++i) {
            position += run.dx[i];
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

    const PointI at = Map(run.reference.x, run.reference.y);
    auto wmfOptions = static_cast<uint16_t>(run.options & 0xFFFF & ~gdi::ETO_PDY);
    // SMALLTEXTOUT keeps only the rectangle options, and those only with a rectangle.
    if (small) wmfOptions = run.rect == RectL{} ? 0 : wmfOptions & (ETO_OPAQUE_16 | ETO_CLIPPED_16);
    WmfParams p;
    p.I16(at.y).I16(at.x).I16(static_cast<int16_t>(bytes.size())).U16(wmfOptions);
    if ((wmfOptions & (ETO_OPAQUE_16 | ETO_CLIPPED_16)) != 0) {
        const PointI a = Map(run.rect.left, run.rect.top);
        const PointI c = Map(run.rect.right, run.rect.bottom);
        p.I16(std::min(a.x, c.x)).I16(std::min(a.y, c.y)).I16(std::max(a.x, c.x)).I16(std::max(a.y, c.y));
    }
    p.Raw(bytes);
    for (const int16_t d : dx) p.I16(d);
    FOut.Append(META_EXTTEXTOUT, p);
}

}  // namespace qrp::emf::wmf
