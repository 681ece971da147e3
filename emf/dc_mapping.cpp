#include "emf/dc_mapping.h"

#include <cmath>
#include <cstdlib>

namespace qrp::emf {

namespace {
int32_t Positive(int32_t v) { return v > 0 ? v : 1; }

XForm Multiply(const XForm& a, const XForm& b)  // a then b
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

int32_t ScaleExtent(int32_t ext, int32_t num, int32_t denom)
{
    if (denom == 0) return ext;
    const int64_t v = static_cast<int64_t>(ext) * num / denom;
    if (v == 0 || v > INT32_MAX || v < INT32_MIN) return ext;
    return static_cast<int32_t>(v);
}
}  // namespace

DcMapping::DcMapping(const ReferenceDevice& device) : FDevice(device)
{
    FDevice.widthPixels = Positive(FDevice.widthPixels);
    FDevice.heightPixels = Positive(FDevice.heightPixels);
    FDevice.widthMillimeters = Positive(FDevice.widthMillimeters);
    FDevice.heightMillimeters = Positive(FDevice.heightMillimeters);
}

void DcMapping::SetMapMode(int32_t mode)
{
    if (mode < MM_TEXT || mode > MM_ANISOTROPIC) return;
    if (mode == FMapMode && (mode == MM_ISOTROPIC || mode == MM_ANISOTROPIC)) return;
    const int64_t mmX = FDevice.widthMillimeters, mmY = FDevice.heightMillimeters;
    auto metric = [&](int64_t perMmNum, int64_t perMmDenom) {
        FWindowExtX = static_cast<int32_t>(mmX * perMmNum / perMmDenom);
        FWindowExtY = static_cast<int32_t>(mmY * perMmNum / perMmDenom);
        FViewportExtX = FDevice.widthPixels;
        FViewportExtY = -FDevice.heightPixels;
    };
    switch (mode) {
    case MM_TEXT:
        FWindowExtX = FWindowExtY = FViewportExtX = FViewportExtY = 1;
        break;
    case MM_LOMETRIC:
    case MM_ISOTROPIC:
        metric(10, 1);
        break;
    case MM_HIMETRIC: metric(100, 1); break;
    case MM_LOENGLISH: metric(1000, 254); break;
    case MM_HIENGLISH: metric(10000, 254); break;
    case MM_TWIPS: metric(14400, 254); break;
    default: break;  // MM_ANISOTROPIC keeps the extents
    }
    if (FWindowExtX == 0) FWindowExtX = 1;
    if (FWindowExtY == 0) FWindowExtY = 1;
    FMapMode = mode;
    if (mode == MM_ISOTROPIC) FixIsotropic();
}

void DcMapping::SetWindowExt(int32_t cx, int32_t cy)
{
    if (FMapMode != MM_ISOTROPIC && FMapMode != MM_ANISOTROPIC) return;
    if (cx == 0 || cy == 0) return;
    FWindowExtX = cx;
    FWindowExtY = cy;
    if (FMapMode == MM_ISOTROPIC) FixIsotropic();
}

void DcMapping::SetViewportExt(int32_t cx, int32_t cy)
{
    if (FMapMode != MM_ISOTROPIC && FMapMode != MM_ANISOTROPIC) return;
    if (cx == 0 || cy == 0) return;
    FViewportExtX = cx;
    FViewportExtY = cy;
    if (FMapMode == MM_ISOTROPIC) FixIsotropic();
}

void DcMapping::ScaleWindowExt(int32_t xNum, int32_t xDenom, int32_t yNum, int32_t yDenom)
{
    if (FMapMode != MM_ISOTROPIC && FMapMode != MM_ANISOTROPIC) return;
    FWindowExtX = ScaleExtent(FWindowExtX, xNum, xDenom);
    FWindowExtY = ScaleExtent(FWindowExtY, yNum, yDenom);
    if (FMapMode == MM_ISOTROPIC) FixIsotropic();
}

void DcMapping::ScaleViewportExt(int32_t xNum, int32_t xDenom, int32_t yNum, int32_t yDenom)
{
    if (FMapMode != MM_ISOTROPIC && FMapMode != MM_ANISOTROPIC) return;
    FViewportExtX = ScaleExtent(FViewportExtX, xNum, xDenom);
    FViewportExtY = ScaleExtent(FViewportExtY, yNum, yDenom);
    if (FMapMode == MM_ISOTROPIC) FixIsotropic();
}

// Shrinks the larger viewport extent so that a logical unit is as long along y as along x.
void DcMapping::FixIsotropic()
{
    const double xdim = std::fabs(static_cast<double>(FViewportExtX) * FDevice.widthMillimeters /
                                  (static_cast<double>(FDevice.widthPixels) * FWindowExtX));
    const double ydim = std::fabs(static_cast<double>(FViewportExtY) * FDevice.heightMillimeters /
                                  (static_cast<double>(FDevice.heightPixels) * FWindowExtY));
    if (xdim > ydim) {
        const int32_t minimum = FViewportExtX >= 0 ? 1 : -1;
        FViewportExtX = static_cast<int32_t>(std::floor(FViewportExtX * ydim / xdim + 0.5));
        if (FViewportExtX == 0) FViewportExtX = minimum;
    } else if (ydim > xdim) {
        const int32_t minimum = FViewportExtY >= 0 ? 1 : -1;
        FViewportExtY = static_cast<int32_t>(std::floor(FViewportExtY * xdim / ydim + 0.5));
        if (FViewportExtY == 0) FViewportExtY = minimum;
    }
}

void DcMapping::ModifyWorld(const XForm& xform, uint32_t mode)
{
    switch (mode) {
    case 1: FWorld = XForm{}; break;
    case 2: FWorld = Multiply(xform, FWorld); break;
    case 3: FWorld = Multiply(FWorld, xform); break;
    case 4: FWorld = xform; break;
    default: break;
    }
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
