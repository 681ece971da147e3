// Device-context state: mapping modes, window and viewport, world transform, SaveDC and
// RestoreDC, and the single-value mode records.
#include "render/player.h"

#include "emf/emr_types.h"
#include "emf/records_state.h"

#include <cmath>

namespace qrp::render {

using namespace emf;
using namespace emf::gdi;

namespace {

// Output coordinates are kept inside what the rasteriser handles without overflow.
constexpr double kCoordLimit = 1 << 22;
constexpr size_t kMaxSaveDepth = 100000;

double ClampCoord(double v)
{
    if (!std::isfinite(v)) return 0;
    return std::clamp(v, -kCoordLimit, kCoordLimit);
}

}  // namespace

void Player::AddStateHandlers(HandlerTable& t)
{
    t[kEmrHeader] = &Player::OnIgnored;
    t[kEmrSetMapMode] = &Player::OnSetMapMode;
    t[kEmrSetWindowExtEx] = &Player::OnSetWindowExt;
    t[kEmrSetWindowOrgEx] = &Player::OnSetWindowOrg;
    t[kEmrSetViewportExtEx] = &Player::OnSetViewportExt;
    t[kEmrSetViewportOrgEx] = &Player::OnSetViewportOrg;
    t[kEmrScaleViewportExtEx] = &Player::OnScaleViewportExt;
    t[kEmrScaleWindowExtEx] = &Player::OnScaleWindowExt;
    t[kEmrSetWorldTransform] = &Player::OnSetWorldTransform;
    t[kEmrModifyWorldTransform] = &Player::OnModifyWorldTransform;
    t[kEmrSaveDC] = &Player::OnSaveDC;
    t[kEmrRestoreDC] = &Player::OnRestoreDC;
    for (uint32_t type : {kEmrSetBkMode, kEmrSetPolyFillMode, kEmrSetRop2, kEmrSetStretchBltMode, kEmrSetTextAlign,
                          kEmrSetTextColor, kEmrSetBkColor, kEmrSetArcDirection})
        t[type] = &Player::OnSetValue;
    t[kEmrSetMiterLimit] = &Player::OnSetMiterLimit;
    t[kEmrSetBrushOrgEx] = &Player::OnSetBrushOrg;
    t[kEmrComment] = &Player::OnComment;
    // Records with no effect on a picture played onto a plain device.
    for (uint32_t type : {kEmrSetMapperFlags, kEmrSetColorAdjustment, kEmrRealizePalette, kEmrExtFloodFill,
                          kEmrSetIcmMode, kEmrCreateColorSpace, kEmrSetColorSpace, kEmrDeleteColorSpace,
                          kEmrSetLayout, kEmrSetTextJustification, kEmrColorMatchToTargetW, kEmrCreateColorSpaceW,
                          102u, 103u, 104u, 105u, 106u, 109u, 110u, 111u, 112u, 113u, 119u})
        t[type] = &Player::OnIgnored;
}

// --- mapping ---

QTransform FloatTransform(double m11, double m12, double m21, double m22, double dx, double dy)
{
    auto f = [](double v) { return static_cast<double>(static_cast<float>(v)); };
    return QTransform(f(m11), f(m12), f(m21), f(m22), f(dx), f(dy));
}

QTransform CombineFloat(const QTransform& a, const QTransform& b)
{
    auto f = [](double v) { return static_cast<float>(v); };
    const float a11 = f(a.m11()), a12 = f(a.m12()), a21 = f(a.m21()), a22 = f(a.m22()), adx = f(a.dx()), ady = f(a.dy());
    const float b11 = f(b.m11()), b12 = f(b.m12()), b21 = f(b.m21()), b22 = f(b.m22()), bdx = f(b.dx()), bdy = f(b.dy());
    return QTransform(a11 * b11 + a12 * b21, a11 * b12 + a12 * b22, a21 * b11 + a22 * b21, a21 * b12 + a22 * b22,
                      adx * b11 + ady * b21 + bdx, adx * b12 + ady * b22 + bdy);
}

namespace {

QTransform ToTransform(const XForm& x) { return FloatTransform(x.m11, x.m12, x.m21, x.m22, x.dx, x.dy); }

}  // namespace

void Player::RebuildTotal()
{
    const DcMapping& m = FState.mapping;
    FTotal = CombineFloat(CombineFloat(ToTransform(m.World()), ToTransform(m.Page())), FPlayback);
    FTotalValid = true;
}

QPointF Player::Snap(const QPointF& p) const
{
    return QPointF(std::floor(ClampCoord(p.x()) + 0.5), std::floor(ClampCoord(p.y()) + 0.5));
}

bool Player::AxisAligned()
{
    const QTransform& t = Total();
    return std::abs(t.m12()) < 1e-9 && std::abs(t.m21()) < 1e-9;
}

bool Player::OnSetMapMode(const Record& r)
{
    const auto v = EmrValue::Read(r);
    if (!v) return false;
    FState.mapping.SetMapMode(v->Signed());
    TransformChanged();
    return true;
}

bool Player::OnSetWindowExt(const Record& r)
{
    const auto p = EmrPoint::Read(r);
    if (!p) return false;
    FState.mapping.SetWindowExt(p->point.x, p->point.y);
    TransformChanged();
    return true;
}

bool Player::OnSetViewportExt(const Record& r)
{
    const auto p = EmrPoint::Read(r);
    if (!p) return false;
    FState.mapping.SetViewportExt(p->point.x, p->point.y);
    TransformChanged();
    return true;
}

bool Player::OnSetWindowOrg(const Record& r)
{
    const auto p = EmrPoint::Read(r);
    if (!p) return false;
    FState.mapping.SetWindowOrg(p->point.x, p->point.y);
    TransformChanged();
    return true;
}

bool Player::OnSetViewportOrg(const Record& r)
{
    const auto p = EmrPoint::Read(r);
    if (!p) return false;
    FState.mapping.SetViewportOrg(p->point.x, p->point.y);
    TransformChanged();
    return true;
}

bool Player::OnScaleViewportExt(const Record& r)
{
    const auto s = EmrScaleExt::Read(r);
    if (!s) return false;
    FState.mapping.ScaleViewportExt(s->xNum, s->xDenom, s->yNum, s->yDenom);
    TransformChanged();
    return true;
}

bool Player::OnScaleWindowExt(const Record& r)
{
    const auto s = EmrScaleExt::Read(r);
    if (!s) return false;
    FState.mapping.ScaleWindowExt(s->xNum, s->xDenom, s->yNum, s->yDenom);
    TransformChanged();
    return true;
}

bool Player::OnSetWorldTransform(const Record& r)
{
    const auto x = EmrXForm::Read(r);
    if (!x) return false;
    FState.mapping.SetWorld(x->xform);
    TransformChanged();
    return true;
}

bool Player::OnModifyWorldTransform(const Record& r)
{
    const auto x = EmrXForm::Read(r);
    if (!x) return false;
    if (!FState.mapping.ModifyWorld(x->xform, x->mode)) return false;
    TransformChanged();
    return true;
}

bool Player::OnSaveDC(const Record&)
{
    if (FSaved.size() < kMaxSaveDepth) FSaved.push_back(FState);
    return true;
}

bool Player::OnRestoreDC(const Record& r)
{
    const auto v = EmrValue::Read(r);
    if (!v) return false;
    const int64_t level = v->Signed();
    const int64_t depth = static_cast<int64_t>(FSaved.size());
    int64_t keep = -1;  // entries left on the stack after the restore
    if (level < 0 && -level <= depth) keep = depth + level;
    if (level > 0 && level <= depth) keep = level - 1;
    if (keep < 0) return true;  // out of range: ignored, as GDI ignores it
    FState = std::move(FSaved[static_cast<size_t>(keep)]);
    FSaved.resize(static_cast<size_t>(keep));
    TransformChanged();
    return true;
}

bool Player::OnSetValue(const Record& r)
{
    const auto v = EmrValue::Read(r);
    if (!v) return false;
    switch (r.Type()) {
    case kEmrSetBkMode: FState.bkMode = v->value; break;
    case kEmrSetPolyFillMode: FState.fillMode = v->value; break;
    case kEmrSetRop2: FState.rop2 = v->value; break;
    case kEmrSetStretchBltMode: FState.stretchMode = v->value; break;
    case kEmrSetTextAlign: FState.textAlign = v->value; break;
    case kEmrSetTextColor: FState.textColor = v->value; break;  // COLORREF flags kept: see Color
    case kEmrSetBkColor: FState.bkColor = v->value; break;
    case kEmrSetArcDirection: FState.arcDirection = v->value; break;
    default: break;
    }
    return true;
}

bool Player::OnSetMiterLimit(const Record& r)
{
    const auto m = EmrMiterLimit::Read(r);
    if (!m) return false;
    FState.miterLimit = std::clamp(m->limit, 1.0f, 1000.0f);
    return true;
}

bool Player::OnSetBrushOrg(const Record& r)
{
    const auto p = EmrPoint::Read(r);
    if (!p) return false;
    FState.brushOrigin = QPoint(std::clamp(p->point.x, -(1 << 24), 1 << 24), std::clamp(p->point.y, -(1 << 24), 1 << 24));
    return true;
}

bool Player::OnIgnored(const Record&) { return true; }

bool Player::OnComment(const Record& r)
{
    // EMF+ and public comments carry nothing the GDI records do not draw.
    return EmrComment::Read(r).has_value();
}

}  // namespace qrp::render
