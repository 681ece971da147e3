#include "emf/records_objects.h"

namespace qrp::emf {

std::optional<EmrCreatePen> EmrCreatePen::Read(const Record& r)
{
    if (!r.Has(8, 20)) return std::nullopt;
    return EmrCreatePen{*r.U32(8), *r.U32(12), *r.I32(16), *r.U32(24)};
}

std::optional<EmrExtCreatePen> EmrExtCreatePen::Read(const Record& r)
{
    if (!r.Has(8, 44)) return std::nullopt;
    const auto dib = ReadDibRef(r, 12, 16, 20, 24);
    if (!dib) return std::nullopt;
    EmrExtCreatePen p;
    p.ih = *r.U32(8);
    p.dib = *dib;
    p.style = *r.U32(28);
    p.width = *r.U32(32);
    p.brushStyle = *r.U32(36);
    p.color = *r.U32(40);
    p.hatch = *r.U32(44);
    const uint32_t n = *r.U32(48);
    const Bytes entries = r.Array(52, n, 4);
    if (n != 0 && entries.empty()) return std::nullopt;
    p.styleEntries.reserve(n);
    for (uint32_t i = 0; i < n; ++i) p.styleEntries.push_back(LoadU32(entries.data() + 4 * i));
    return p;
}

std::optional<EmrCreateBrush> EmrCreateBrush::Read(const Record& r)
{
    if (!r.Has(8, 16)) return std::nullopt;
    return EmrCreateBrush{*r.U32(8), *r.U32(12), *r.U32(16), *r.U32(20)};
}

std::optional<EmrCreateDibBrush> EmrCreateDibBrush::Read(const Record& r)
{
    if (!r.Has(8, 24)) return std::nullopt;
    const auto dib = ReadDibRef(r, 16, 20, 24, 28);
    if (!dib || !dib->Present()) return std::nullopt;
    return EmrCreateDibBrush{*r.U32(8), *r.U32(12), *dib};
}

std::optional<EmrCreateFont> EmrCreateFont::Read(const Record& r)
{
    EmrCreateFont f;
    if (!ReadInto(r, &f.ih, &f.font)) return std::nullopt;
    return f;
}

bool EmrCreateFont::ReadInto(const Record& r, uint32_t* ih, LogFont* font)
{
    // ih and the 92 bytes of LOGFONTW.
    if (!r.Has(8, 4 + 92)) return false;
    *ih = *r.U32(8);
    LogFont& lf = *font;
    lf.height = *r.I32(12);
    lf.width = *r.I32(16);
    lf.escapement = *r.I32(20);
    lf.orientation = *r.I32(24);
    lf.weight = *r.I32(28);
    const Bytes b = r.Data();
    lf.italic = b[32];
    lf.underline = b[33];
    lf.strikeOut = b[34];
    lf.charSet = b[35];
    lf.outPrecision = b[36];
    lf.clipPrecision = b[37];
    lf.quality = b[38];
    lf.pitchAndFamily = b[39];
    const uint8_t* face = b.data() + 40;
    size_t length = 0;
    while (length < 32 && LoadU16(face + 2 * length) != 0) ++length;
    lf.faceName.resize(length);
    LoadArray(face, length, lf.faceName.data());
    return true;
}

namespace {

std::vector<uint32_t> ReadEntries(const Record& r, size_t offset, uint32_t count, bool* ok)
{
    const Bytes bytes = r.Array(offset, count, 4);
    *ok = count == 0 || !bytes.empty();
    std::vector<uint32_t> out;
    if (!*ok) return out;
    out.reserve(count);
    for (uint32_t i = 0; i < count; ++i) out.push_back(LoadU32(bytes.data() + 4 * i));
    return out;
}

}  // namespace

std::optional<EmrPalette> EmrPalette::ReadCreate(const Record& r)
{
    if (!r.Has(8, 8)) return std::nullopt;
    EmrPalette p;
    p.ih = *r.U32(8);
    const uint16_t count = *r.U16(14);
    bool ok = false;
    p.entries = ReadEntries(r, 16, count, &ok);
    if (!ok) return std::nullopt;
    return p;
}

std::optional<EmrPalette> EmrPalette::ReadSetEntries(const Record& r)
{
    if (!r.Has(8, 12)) return std::nullopt;
    EmrPalette p;
    p.ih = *r.U32(8);
    p.start = *r.U32(12);
    bool ok = false;
    p.entries = ReadEntries(r, 20, *r.U32(16), &ok);
    if (!ok) return std::nullopt;
    return p;
}

std::optional<EmrResizePalette> EmrResizePalette::Read(const Record& r)
{
    if (!r.Has(8, 8)) return std::nullopt;
    return EmrResizePalette{*r.U32(8), *r.U32(12)};
}

}  // namespace qrp::emf
