// Structural similarity of two images of the same size, for comparing a printed page with
// the page rendered directly: 1 for identical images, lower as structure differs.
#pragma once

class QImage;

namespace qrp::test {

// Mean SSIM of the luminance over 8 x 8 windows moved by 4 pixels. Images of different sizes
// are compared over their common top-left area.
double Ssim(const QImage& a, const QImage& b);

}  // namespace qrp::test
