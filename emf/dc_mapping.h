// The logical-to-device mapping of a GDI device context, kept as GDI keeps it: mapping mode,
// window and viewport origins and extents (whole numbers, with the isotropic correction),
// and the world transform in single precision. The player and both metafile conversions
// keep their mapping in one of these.
#pragma once

#include "emf/header.h"
#include "emf/records_common.h"

#include <cstdint>

namespace qrp::emf {

struct PointD {
    double x = 0, y = 0;
};

// first then second, each product rounded to single precision as GDI does.
XForm Combine(const XForm& first, const XForm& second);

class DcMapping {
public:
    // The device the picture was recorded on: the metric modes and the isotropic correction
    // use its pixels per millimetre. Fields that are not positive take the defaults.
    explicit DcMapping(const ReferenceDevice& device = ReferenceDevice{});

    int32_t MapMode() const { return FMapMode; }
    // Invalid modes are ignored. Setting MM_ISOTROPIC or MM_ANISOTROPIC while it is already
    // the mode keeps the extents; any other change sets the mode's own extents (MM_ANISOTROPIC
    // keeps the current ones).
    void SetMapMode(int32_t mode);
    void SetWindowOrg(int32_t x, int32_t y) { FWindowOrgX = x; FWindowOrgY = y; }
    void SetViewportOrg(int32_t x, int32_t y) { FViewportOrgX = x; FViewportOrgY = y; }
    // Ignored outside MM_ISOTROPIC / MM_ANISOTROPIC and for a zero extent.
    void SetWindowExt(int32_t cx, int32_t cy);
    void SetViewportExt(int32_t cx, int32_t cy);
    // Ignored outside MM_ISOTROPIC / MM_ANISOTROPIC, for a zero numerator or denominator and
    // for a result outside 32 bits; a result that truncates to 0 becomes 1 (or -1).
    void ScaleWindowExt(int32_t xNum, int32_t xDenom, int32_t yNum, int32_t yDenom);
    void ScaleViewportExt(int32_t xNum, int32_t xDenom, int32_t yNum, int32_t yDenom);

    int32_t WindowOrgX() const { return FWindowOrgX; }
    int32_t WindowOrgY() const { return FWindowOrgY; }
    int32_t WindowExtX() const { return FWindowExtX; }
    int32_t WindowExtY() const { return FWindowExtY; }
    int32_t ViewportOrgX() const { return FViewportOrgX; }
    int32_t ViewportOrgY() const { return FViewportOrgY; }
    int32_t ViewportExtX() const { return FViewportExtX; }
    int32_t ViewportExtY() const { return FViewportExtY; }

    // World transform (applied before the window-to-viewport mapping).
    const XForm& World() const { return FWorld; }
    void SetWorld(const XForm& world) { FWorld = world; }
    // iMode of MODIFYWORLDTRANSFORM (MWT_IDENTITY, MWT_LEFTMULTIPLY, MWT_RIGHTMULTIPLY,
    // MWT_SET); false, and nothing changed, for another mode.
    bool ModifyWorld(const XForm& xform, uint32_t mode);

    // The window-to-viewport mapping alone, in single precision as GDI computes it.
    XForm Page() const;

    // Logical point to device pixels (unrounded).
    PointD ToDevice(double x, double y) const;
    // Device pixels per logical unit along x and y (absolute values, world scale included).
    double ScaleX() const;
    double ScaleY() const;

private:
    void FixIsotropic();
    bool Scalable() const;

    ReferenceDevice FDevice;
    int32_t FMapMode = 1;
    int32_t FWindowOrgX = 0, FWindowOrgY = 0, FWindowExtX = 1, FWindowExtY = 1;
    int32_t FViewportOrgX = 0, FViewportOrgY = 0, FViewportExtX = 1, FViewportExtY = 1;
    XForm FWorld;
};

}  // namespace qrp::emf
