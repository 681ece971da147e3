// Typed views over the bitmap records: BITBLT, STRETCHBLT, MASKBLT, PLGBLT, TRANSPARENTBLT,
// ALPHABLEND, STRETCHDIBITS, SETDIBITSTODEVICE, and GRADIENTFILL.
#pragma once

#include "emf/records_common.h"

#include <vector>

namespace qrp::emf {

// BITBLT, STRETCHBLT, MASKBLT, TRANSPARENTBLT, ALPHABLEND: a destination rectangle in
// logical units and an optional source DIB (absent for pattern-only raster operations).
struct EmrBlt {
    RectL bounds;
    int32_t xDest = 0, yDest = 0, cxDest = 0, cyDest = 0;
    // The raster operation; TRANSPARENTBLT's transparent colour; ALPHABLEND's BLENDFUNCTION.
    uint32_t rop = 0;
    int32_t xSrc = 0, ySrc = 0;
    int32_t cxSrc = 0, cySrc = 0;  // BITBLT and MASKBLT: the destination size
    XForm xformSrc;
    uint32_t bkColorSrc = 0;
    uint32_t usageSrc = 0;
    DibRef src;
    // MASKBLT only.
    int32_t xMask = 0, yMask = 0;
    uint32_t usageMask = 0;
    DibRef mask;
    static std::optional<EmrBlt> Read(const Record& r);
};

// PLGBLT: the source rectangle onto the parallelogram of three destination points.
struct EmrPlgBlt {
    RectL bounds;
    Point32 dest[3];
    int32_t xSrc = 0, ySrc = 0, cxSrc = 0, cySrc = 0;
    XForm xformSrc;
    uint32_t bkColorSrc = 0, usageSrc = 0;
    DibRef src;
    int32_t xMask = 0, yMask = 0;
    uint32_t usageMask = 0;
    DibRef mask;
    static std::optional<EmrPlgBlt> Read(const Record& r);
};

// STRETCHDIBITS and SETDIBITSTODEVICE (cxDest/cyDest = cxSrc/cySrc, rop SRCCOPY).
struct EmrDibits {
    RectL bounds;
    int32_t xDest = 0, yDest = 0, xSrc = 0, ySrc = 0, cxSrc = 0, cySrc = 0;
    DibRef src;
    uint32_t usageSrc = 0;
    uint32_t rop = 0;
    int32_t cxDest = 0, cyDest = 0;
    uint32_t startScan = 0, scans = 0;  // SETDIBITSTODEVICE only
    bool setDIBitsToDevice = false;
    static std::optional<EmrDibits> Read(const Record& r);
};

// GRADIENTFILL.
struct EmrGradientFill {
    struct Vertex {
        int32_t x = 0, y = 0;
        uint16_t red = 0, green = 0, blue = 0, alpha = 0;
    };
    RectL bounds;
    uint32_t mode = 0;
    std::vector<Vertex> vertices;
    // Two indices per rectangle or three per triangle.
    std::vector<uint32_t> indices;
    static std::optional<EmrGradientFill> Read(const Record& r);
};

}  // namespace qrp::emf
