#include "emf/records_state.h"

#include <cmath>

namespace qrp::emf {

std::optional<EmrMiterLimit> EmrMiterLimit::Read(const Record& r)
{
    const auto bits = r.U32(8);
    if (!bits) return std::nullopt;
    // Small values are integers; anything else is the float's bit pattern.
    if (*bits < 0x10000) return EmrMiterLimit{static_cast<float>(*bits)};
    const float f = *r.F32(8);
    if (!std::isfinite(f) || f < 0) return std::nullopt;
    return EmrMiterLimit{f};
}

std::optional<EmrPoint> EmrPoint::Read(const Record& r)
{
    const auto p = ReadPoint32(r, 8);
    if (!p) return std::nullopt;
    return EmrPoint{*p};
}

std::optional<EmrSetPixel> EmrSetPixel::Read(const Record& r)
{
    const auto p = ReadPoint32(r, 8);
    const auto c = r.U32(16);
    if (!p || !c) return std::nullopt;
    return EmrSetPixel{*p, *c};
}

std::optional<EmrTextJustification> EmrTextJustification::Read(const Record& r)
{
    if (!r.Has(8, 8)) return std::nullopt;
    return EmrTextJustification{*r.I32(8), *r.I32(12)};
}

std::optional<EmrScaleExt> EmrScaleExt::Read(const Record& r)
{
    if (!r.Has(8, 16)) return std::nullopt;
    return EmrScaleExt{*r.I32(8), *r.I32(12), *r.I32(16), *r.I32(20)};
}

std::optional<EmrXForm> EmrXForm::Read(const Record& r)
{
    const auto x = ReadXForm(r, 8);
    if (!x) return std::nullopt;
    EmrXForm out{*x, r.U32(32).value_or(0)};
    for (float f : {x->m11, x->m12, x->m21, x->m22, x->dx, x->dy})
        if (!std::isfinite(f)) return std::nullopt;
    return out;
}

std::optional<EmrBox> EmrBox::Read(const Record& r)
{
    const auto b = ReadRectL(r, 8);
    if (!b) return std::nullopt;
    return EmrBox{*b};
}

std::optional<EmrRoundRect> EmrRoundRect::Read(const Record& r)
{
    const auto b = ReadRectL(r, 8);
    const auto c = ReadSizeL(r, 24);
    if (!b || !c) return std::nullopt;
    return EmrRoundRect{*b, *c};
}

std::optional<EmrArc> EmrArc::Read(const Record& r)
{
    const auto b = ReadRectL(r, 8);
    const auto s = ReadPoint32(r, 24);
    const auto e = ReadPoint32(r, 32);
    if (!b || !s || !e) return std::nullopt;
    return EmrArc{*b, *s, *e};
}

std::optional<EmrAngleArc> EmrAngleArc::Read(const Record& r)
{
    const auto c = ReadPoint32(r, 8);
    if (!c || !r.Has(16, 12)) return std::nullopt;
    EmrAngleArc a{*c, *r.U32(16), *r.F32(20), *r.F32(24)};
    if (!std::isfinite(a.startAngle) || !std::isfinite(a.sweepAngle)) return std::nullopt;
    return a;
}

std::optional<EmrExtFloodFill> EmrExtFloodFill::Read(const Record& r)
{
    const auto p = ReadPoint32(r, 8);
    if (!p || !r.Has(16, 8)) return std::nullopt;
    return EmrExtFloodFill{*p, *r.U32(16), *r.U32(20)};
}

bool EmrComment::IsEmfPlus() const
{
    return data.size() >= 4 && LoadU32(data.data()) == 0x2B464D45;  // "EMF+"
}

std::optional<EmrComment> EmrComment::Read(const Record& r)
{
    const auto n = r.U32(8);
    if (!n) return std::nullopt;
    const Bytes data = r.Array(12, *n, 1);
    if (data.size() != *n) return std::nullopt;
    return EmrComment{data};
}

}  // namespace qrp::emf
