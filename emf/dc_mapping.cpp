#include "emf/dc_mapping.h"

#include "emf/emr_types.h"

#include <cmath>
#include <limits>

namespace qrp::emf {

using namespace gdi;

namespace {

constexpr double kInt32Min = std::numeric_limits<int32_t>::min();
constexpr double kInt32Max = std::numeric_limits<int32_t>::max();

bool FitsInt32(double v) { return v >= kInt32Min && v <= kInt32Max; }

int32_t ClampInt32(double v)
{
    if (!(v > kInt32Min)) return std::numeric_limits<int32_t>::min();
    if (!(v < kInt32Max)) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(v);
}

// ScaleViewportExtEx / ScaleWindowExtEx on one extent pair; false when the result is unusable.
bool ScaleExtents(int32_t* x, int32_t* y, int32_t xNum, int32_t xDenom, int32_t yNum, int32_t yDenom)
{
    if (xDenom == 0 || yDenom == 0) return false;
    const double nx = static_cast<double>(*x) * xNum / xDenom, ny = static_cast<double>(*y) * yNum / yDenom;
    if (nx == 0 || ny == 0 || !std::isfinite(nx) || !std::isfinite(ny)) return false;
    const double tx = std::trunc(nx), ty = std::trunc(ny);
    if (!FitsInt32(tx) || !FitsInt32(ty)) return false;
    *x = tx != 0 ? static_cast<int32_t>(tx) : (nx > 0 ? 1 : -1);
    *y = ty != 0 ? static_cast<int32_t>(ty) : (ny > 0 ? 1 : -1);
    return true;
}

}  // namespace

XForm Combine(const XForm& a, const XForm& b)
{
    XForm r;
    r.m11 = a.m11 * b.m11 + a.m12 * b.m21;
    r.m12 = a.m11 * b.m12 + a.m12 * b.m22;
    r.m21 = a.m21 * b.m11 + a.m22 * b.m21;
    r.m22 = a.m21 * b.m12 + a.m22 * b.m22;
    r.dx = a.dx * b.m11 + a.dy * b.m21 + b.dx;
    r.dy = a.dx * b.m12 + a.dy * b.m22 + b.dy;
    return r;
}

DcMapping::DcMapping(const ReferenceDevice& device)
{
    const ReferenceDevice d;
    FDevice.widthPixels = device.widthPixels > 0 ? device.widthPixels : d.widthPixels;
    FDevice.heightPixels = device.heightPixels > 0 ? device.heightPixels : d.heightPixels;
    FDevice.widthMillimeters = device.widthMillimeters > 0 ? device.widthMillimeters : d.widthMillimeters;
    FDevice.heightMillimeters = device.heightMillimeters > 0 ? device.heightMillimeters : d.heightMillimeters;
}

void DcMapping::SetMapMode(int32_t mode)
{
    if (mode < MM_TEXT || mode > MM_ANISOTROPIC) return;
    if (mode == FMapMode && (mode == MM_ISOTROPIC || mode == MM_ANISOTROPIC)) return;
    double unitsPerMm = 0;
    switch (mode) {
    case MM_TEXT: FWindowExtX = FWindowExtY = FViewportExtX = FViewportExtY = 1; break;
    case MM_LOMETRIC:
    case MM_ISOTROPIC: unitsPerMm = 10; break;
    case MM_HIMETRIC: unitsPerMm = 100; break;
    case MM_LOENGLISH: unitsPerMm = 100 / 25.4; break;
    case MM_HIENGLISH: unitsPerMm = 1000 / 25.4; break;
    case MM_TWIPS: unitsPerMm = 1440 / 25.4; break;
    default: break;  // MM_ANISOTROPIC keeps the extents
    }
    if (unitsPerMm != 0) {
        FWindowExtX = ClampInt32(std::round(FDevice.widthMillimeters * unitsPerMm));
        FWindowExtY = ClampInt32(std::round(FDevice.heightMillimeters * unitsPerMm));
        FViewportExtX = FDevice.widthPixels;
        FViewportExtY = -FDevice.heightPixels;
    }
    FMapMode = mode;
}

bool DcMapping::Scalable() const { return FMapMode == MM_ISOTROPIC || FMapMode == MM_ANISOTROPIC; }

void DcMapping::SetWindowExt(int32_t cx, int32_t cy)
{
    if (!Scalable() || cx == 0 || cy == 0) return;
    FWindowExtX = cx;
    FWindowExtY = cy;
    if (FMapMode == MM_ISOTROPIC) FixIsotropic();
}

void DcMapping::SetViewportExt(int32_t cx, int32_t cy)
{
    if (!Scalable() || cx == 0 || cy == 0) return;
    FViewportExtX = cx;
    FViewportExtY = cy;
    if (FMapMode == MM_ISOTROPIC) FixIsotropic();
}

void DcMapping::ScaleWindowExt(int32_t xNum, int32_t xDenom, int32_t yNum, int32_t yDenom)
{
    if (!Scalable()) return;
    if (ScaleExtents(&FWindowExtX, &FWindowExtY, xNum, xDenom, yNum, yDenom) && FMapMode == MM_ISOTROPIC) FixIsotropic();
}

void DcMapping::ScaleViewportExt(int32_t xNum, int32_t xDenom, int32_t yNum, int32_t yDenom)
{
    if (!Scalable()) return;
    if (ScaleExtents(&FViewportExtX, &FViewportExtY, xNum, xDenom, yNum, yDenom) && FMapMode == MM_ISOTROPIC)
        FixIsotropic();
}

// Shrinks the larger viewport extent so that a logical unit is as long along y as along x.
void DcMapping::FixIsotropic()
{
    const double xdim = std::fabs(static_cast<double>(FViewportExtX) * FDevice.widthMillimeters /
                                  (static_cast<double>(FWindowExtX) * FDevice.widthPixels));
    const double ydim = std::fabs(static_cast<double>(FViewportExtY) * FDevice.heightMillimeters /
                                  (static_cast<double>(FWindowExtY) * FDevice.heightPixels));
    if (xdim > ydim) {
        const double cx = std::floor(FViewportExtX * ydim / xdim + 0.5);
        FViewportExtX = cx != 0 ? static_cast<int32_t>(cx) : (FViewportExtX >= 0 ? 1 : -1);
    } else if (ydim > xdim) {
        const double cy = std::floor(FViewportExtY * xdim / ydim + 0.5);
        FViewportExtY = cy != 0 ? static_cast<int32_t>(cy) : (FViewportExtY >= 0 ? 1 : -1);
    }
}

bool DcMapping::ModifyWorld(const XForm& xform, uint32_t mode)
{
    switch (mode) {
    case MWT_IDENTITY: FWorld = XForm{}; return true;
    case MWT_LEFTMULTIPLY: FWorld = Combine(xform, FWorld); return true;
    case MWT_RIGHTMULTIPLY: FWorld = Combine(FWorld, xform); return true;
    case MWT_SET: FWorld = xform; return true;
    default: return false;
    }
}

XForm DcMapping::Page() const
{
    const float sx = static_cast<float>(FViewportExtX) / static_cast<float>(FWindowExtX);
    const float sy = static_cast<float>(FViewportExtY) / static_cast<float>(FWindowExtY);
    XForm page;
    page.m11 = sx;
    page.m22 = sy;
    page.dx = static_cast<float>(FViewportOrgX) - sx * static_cast<float>(FWindowOrgX);
    page.dy = static_cast<float>(FViewportOrgY) - sy * static_cast<float>(FWindowOrgY);
    return page;
}

PointD DcMapping::ToDevice(double x, double y) const
{
    const double wx = FWorld.m11 * x + FWorld.m21 * y + FWorld.dx;
    const double wy = FWorld.m12 * x + FWorld.m22 * y + FWorld.dy;
    return {(wx - FWindowOrgX) * FViewportExtX / FWindowExtX + FViewportOrgX,
            (wy - FWindowOrgY) * FViewportExtY / FWindowExtY + FViewportOrgY};
}

double DcMapping::ScaleX() const
{
    const double world = std::hypot(FWorld.m11, FWorld.m12);
    return std::fabs(static_cast<double>(FViewportExtX) / FWindowExtX) * world;
}

double DcMapping::ScaleY() const
{
    const double world = std::hypot(FWorld.m21, FWorld.m22);
    return std::fabs(static_cast<double>(FViewportExtY) / FWindowExtY) * world;
}

}  // namespace qrp::emf
