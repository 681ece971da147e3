// The coordinate mapping of a GDI device context: mapping mode, window and viewport
// origins and extents (with the isotropic correction), and an optional world transform.
// Used by the metafile conversions to know where a record draws in device pixels.
#pragma once

#include "emf/wmf/wmf_convert.h"

#include <cstdint>

namespace qrp::emf {

struct PointD {
    double x = 0, y = 0;
};

// 2 x 3 affine transform as in XFORM: x' = m11 x + m21 y + dx, y' = m12 x + m22 y + dy.
struct XForm {
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;
};

class DcMapping {
public:
    explicit DcMapping(const ReferenceDevice& device);

    int32_t MapMode() const { return FMapMode; }
    // Invalid modes are ignored, as GDI does. Setting the current isotropic or anisotropic
    // mode again keeps the extents.
    void SetMapMode(int32_t mode);
    void SetWindowOrg(int32_t x, int32_t y) { FWindowOrgX = x; FWindowOrgY = y; }
    void SetViewportOrg(int32_t x, int32_t y) { FViewportOrgX = x; FViewportOrgY = y; }
    // Ignored outside MM_ISOTROPIC / MM_ANISOTROPIC and for a zero extent.
    void SetWindowExt(int32_t cx, int32_t cy);
    void SetViewportExt(int32_t cx, int32_t cy);
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
    void SetWorld(const XForm& world) { FWorld = world; }
    // iMode of MODIFYWORLDTRANSFORM: 1 identity, 2 left multiply, 3 right multiply, 4 set.
    void ModifyWorld(const XForm& xform, uint32_t mode);

    // Logical point to device pixels (unrounded).
    PointD ToDevice(double x, double y) const;
    // Device pixels per logical unit along x and y (absolute values, world scale included).
    double ScaleX() const;
    double ScaleY() const;

private:
    void FixIsotropic();

    ReferenceDevice FDevice;
    int32_t FMapMode = 1;
    int32_t FWindowOrgX = 0, FWindowOrgY = 0, FWindowExtX = 1, FWindowExtY = 1;
    int32_t FViewportOrgX = 0, FViewportOrgY = 0, FViewportExtX = 1, FViewportExtY = 1;
    XForm FWorld;
};

}  // namespace qrp::emf
