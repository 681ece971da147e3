#include "tools/samplegen/logo.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace samplegen {

qrp::emf::Dib24 LaboratoryLogo()
{
    constexpr int kSize = 120;
    std::vector<uint8_t> rgb(kSize * kSize * 3, 255);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const double dx = x - 59.5, dy = y - 59.5;
            const double r = std::sqrt(dx * dx + dy * dy);
            uint8_t* p = &rgb[static_cast<size_t>((y * kSize + x) * 3)];
            if (r > 58) continue;
            // Disc: blue, lighter towards the upper left.
            const double light = std::max(0.0, 1.0 - std::sqrt((dx + 25) * (dx + 25) + (dy + 25) * (dy + 25)) / 90.0);
            p[0] = static_cast<uint8_t>(20 + 90 * light);
            p[1] = static_cast<uint8_t>(70 + 100 * light);
            p[2] = static_cast<uint8_t>(150 + 90 * light);
            if (r > 52) {  // a white ring inside the rim
                if (r < 55) p[0] = p[1] = p[2] = 255;
                continue;
            }
            const bool cross = (std::abs(dx) < 9 && std::abs(dy) < 32) || (std::abs(dy) < 9 && std::abs(dx) < 32);
            if (cross) {
                p[0] = p[1] = p[2] = 255;
                // A red drop in the middle of the cross.
                const double ddx = dx, ddy = dy - 2;
                if (ddx * ddx / 25.0 + ddy * ddy / 49.0 < 1.0 || (ddy < -2 && ddy > -12 && std::abs(ddx) < (ddy + 12) * 0.5)) {
                    p[0] = 200;
                    p[1] = 30;
                    p[2] = 40;
                }
            }
        }
    }
    return qrp::emf::Dib24::FromRgb(kSize, kSize, rgb);
}

}  // namespace samplegen
