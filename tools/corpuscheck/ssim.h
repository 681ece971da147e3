// Structural similarity (SSIM) of two images on their grey levels, as image-quality
// comparisons define it: an 11 x 11 Gaussian window with sigma 1.5, K1 = 0.01, K2 = 0.03,
// averaged over the positions where the window lies wholly inside both images.
#pragma once

#include <QImage>

#include <optional>

namespace corpuscheck {

// Grey levels 0..255 of an image (ITU-R 601 luma, ignoring alpha).
std::vector<float> GreyLevels(const QImage& image);

// SSIM of two images of the same size; std::nullopt when the sizes differ or an image is
// smaller than the window.
std::optional<double> Ssim(const QImage& a, const QImage& b);

// SSIM after halving both images with a 2 x 2 box filter (forgives antialiasing and font
// differences).
std::optional<double> SsimHalved(const QImage& a, const QImage& b);

}  // namespace corpuscheck
