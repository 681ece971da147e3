#include "emf/records_text.h"

#include "emf/emr_types.h"

namespace qrp::emf {

char16_t WidenAnsi(uint8_t c)
{
    static constexpr char16_t k80[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    if (c >= 0x80 && c < 0xA0) return k80[c - 0x80];
    return c;
}

namespace {

bool ReadString(const Record& r, size_t offset, uint32_t count, bool wide, std::u16string* out, Bytes* narrow)
{
    const Bytes bytes = r.Array(offset, count, wide ? 2 : 1);
    if (count != 0 && bytes.empty()) return false;
    *narrow = wide ? Bytes{} : bytes;
    out->resize(count);
    char16_t* to = out->data();
    if (wide) {
        LoadArray(bytes.data(), count, to);
    } else {
        for (uint32_t i = 0; i < count; ++i) to[i] = WidenAnsi(bytes[i]);
    }
    return true;
}

// The advances at offDx: nChars of them, or with ETO_PDY nChars pairs (dx, dy). Empty
// when there are none or they do not fit.
void ReadAdvances(const Record& r, uint32_t offDx, uint32_t nChars, TextRun* run)
{
    const bool pdy = (run->options & gdi::ETO_PDY) != 0;
    const Bytes dx = offDx == 0 ? Bytes{} : r.Array(offDx, uint64_t{nChars} * (pdy ? 2 : 1), 4);
    run->dx.resize(dx.empty() ? 0 : nChars);
    run->dy.resize(dx.empty() || !pdy ? 0 : nChars);
    if (dx.empty()) return;
    if (pdy) {
        for (uint32_t i = 0; i < nChars; ++i) {
            run->dx[i] = LoadI32(dx.data() + 8 * i);
            run->dy[i] = LoadI32(dx.data() + 8 * i + 4);
        }
    } else {
        LoadArray(dx.data(), nChars, run->dx.data());
    }
}

// An EMRTEXT at offset: reference, nChars, offString, fOptions, rcl, offDx.
bool ReadEmrText(const Record& r, size_t at, bool wide, TextRun* run)
{
    if (!r.Has(at, 40)) return false;
    const uint8_t* p = r.Data().data() + at;
    run->reference = Point32{LoadI32(p), LoadI32(p + 4)};
    const uint32_t nChars = LoadU32(p + 8);
    const uint32_t offString = LoadU32(p + 12);
    run->options = LoadU32(p + 16);
    run->rect = RectL{LoadI32(p + 20), LoadI32(p + 24), LoadI32(p + 28), LoadI32(p + 32)};
    const uint32_t offDx = LoadU32(p + 36);
    if (!ReadString(r, offString, nChars, wide, &run->text, &run->narrow)) return false;
    ReadAdvances(r, offDx, nChars, run);
    return true;
}

bool ReadSmallTextOut(const Record& r, EmrTextOut* out)
{
    if (!r.Has(8, 28)) return false;
    out->bounds = RectL{};
    out->runs.resize(1);
    TextRun& run = out->runs[0];
    run.reference = Point32{*r.I32(8), *r.I32(12)};
    const uint32_t count = *r.U32(16);
    run.options = *r.U32(20);
    out->graphicsMode = *r.U32(24);
    out->exScale = *r.F32(28);
    out->eyScale = *r.F32(32);
    size_t at = 36;
    run.rect = RectL{};
    if ((run.options & gdi::ETO_NO_RECT) == 0) {
        const auto rect = ReadRectL(r, at);
        if (!rect) return false;
        run.rect = *rect;
        at += 16;
    }
    const bool wide = (run.options & gdi::ETO_SMALL_CHARS) == 0;
    if (!ReadString(r, at, count, wide, &run.text, &run.narrow)) return false;
    run.options &= ~(gdi::ETO_NO_RECT | gdi::ETO_SMALL_CHARS);
    run.dx.clear();
    run.dy.clear();
    return true;
}

}  // namespace

std::optional<EmrTextOut> EmrTextOut::Read(const Record& r)
{
    EmrTextOut out;
    if (!ReadInto(r, &out)) return std::nullopt;
    return out;
}

bool EmrTextOut::ReadInto(const Record& r, EmrTextOut* out)
{
    const uint32_t type = r.Type();
    if (type == kEmrSmallTextOut) return ReadSmallTextOut(r, out);
    const bool wide = type == kEmrExtTextOutW || type == kEmrPolyTextOutW;
    const bool poly = type == kEmrPolyTextOutA || type == kEmrPolyTextOutW;
    // bounds, graphics mode and scales.
    if (!r.Has(8, 28)) return false;
    const uint8_t* p = r.Data().data();
    out->bounds = RectL{LoadI32(p + 8), LoadI32(p + 12), LoadI32(p + 16), LoadI32(p + 20)};
    out->graphicsMode = LoadU32(p + 24);
    out->exScale = LoadF32(p + 28);
    out->eyScale = LoadF32(p + 32);
    uint32_t strings = 1;
    size_t at = 36;
    if (poly) {
        const auto n = r.U32(36);
        if (!n || *n > r.Size() / 40) return false;
        strings = *n;
        at = 40;
    }
    out->runs.resize(strings);
    for (uint32_t i = 0; i < strings; ++i)
        if (!ReadEmrText(r, at + size_t{40} * i, wide, &out->runs[i])) return false;
    return true;
}

}  // namespace qrp::emf
