#include "tools/corpuscheck/ssim.h"

#include <array>
#include <cmath>
#include <vector>

namespace corpuscheck {
namespace {

constexpr int kRadius = 5;  // 11 taps
constexpr double kSigma = 1.5;

struct Grey {
    int width = 0;
    int height = 0;
    std::vector<float> v;
};

Grey ToGrey(const QImage& image)
{
    return {image.width(), image.height(), GreyLevels(image)};
}

Grey Halve(const Grey& g)
{
    Grey h{g.width / 2, g.height / 2, {}};
    h.v.resize(static_cast<size_t>(h.width) * static_cast<size_t>(h.height));
    for (int y = 0; y < h.height; ++y)
        for (int x = 0; x < h.width; ++x) {
            const size_t i = static_cast<size_t>(2 * y) * static_cast<size_t>(g.width) + static_cast<size_t>(2 * x);
            const size_t w = static_cast<size_t>(g.width);
            h.v[static_cast<size_t>(y) * static_cast<size_t>(h.width) + static_cast<size_t>(x)] =
                (g.v[i] + g.v[i + 1] + g.v[i + w] + g.v[i + w + 1]) / 4.0f;
        }
    return h;
}

std::array<double, 2 * kRadius + 1> GaussianWindow()
{
    std::array<double, 2 * kRadius + 1> w{};
    double sum = 0;
    for (int i = -kRadius; i <= kRadius; ++i) sum += w[static_cast<size_t>(i + kRadius)] = std::exp(-i * i / (2 * kSigma * kSigma));
    for (double& x : w) x /= sum;
    return w;
}

// Filters a map with the separable window, keeping only the fully covered positions.
std::vector<double> FilterValid(const std::vector<double>& in, int width, int height)
{
    static const auto w = GaussianWindow();
    const int ow = width - 2 * kRadius;
    const int oh = height - 2 * kRadius;
    std::vector<double> rows(static_cast<size_t>(ow) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < ow; ++x) {
            double s = 0;
            const double* p = &in[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
            for (size_t k = 0; k < w.size(); ++k) s += w[k] * p[k];
            rows[static_cast<size_t>(y) * static_cast<size_t>(ow) + static_cast<size_t>(x)] = s;
        }
    std::vector<double> out(static_cast<size_t>(ow) * static_cast<size_t>(oh));
    for (int y = 0; y < oh; ++y)
        for (int x = 0; x < ow; ++x) {
            double s = 0;
            for (size_t k = 0; k < w.size(); ++k)
                s += w[k] * rows[(static_cast<size_t>(y) + k) * static_cast<size_t>(ow) + static_cast<size_t>(x)];
            out[static_cast<size_t>(y) * static_cast<size_t>(ow) + static_cast<size_t>(x)] = s;
        }
    return out;
}

std::optional<double> SsimOf(const Grey& a, const Grey& b)
{
    if (a.width != b.width || a.height != b.height) return std::nullopt;
    if (a.width <= 2 * kRadius || a.height <= 2 * kRadius) return std::nullopt;
    const size_t n = a.v.size();
    std::vector<double> x(n), y(n), xx(n), yy(n), xy(n);
    for (size_t i = 0; i < n; ++i) {
        x[i] = a.v[i];
        y[i] = b.v[i];
        xx[i] = x[i] * x[i];
        yy[i] = y[i] * y[i];
        xy[i] = x[i] * y[i];
    }
    const auto mx = FilterValid(x, a.width, a.height);
    const auto my = FilterValid(y, a.width, a.height);
    const auto sxx = FilterValid(xx, a.width, a.height);
    const auto syy = FilterValid(yy, a.width, a.height);
    const auto sxy = FilterValid(xy, a.width, a.height);
    constexpr double c1 = (0.01 * 255) * (0.01 * 255);
    constexpr double c2 = (0.03 * 255) * (0.03 * 255);
    double sum = 0;
    for (size_t i = 0; i < mx.size(); ++i) {
        const double vx = sxx[i] - mx[i] * mx[i];
        const double vy = syy[i] - my[i] * my[i];
        const double cxy = sxy[i] - mx[i] * my[i];
        sum += ((2 * mx[i] * my[i] + c1) * (2 * cxy + c2)) /
               ((mx[i] * mx[i] + my[i] * my[i] + c1) * (vx + vy + c2));
    }
    return sum / static_cast<double>(mx.size());
}

}  // namespace

std::vector<float> GreyLevels(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::vector<float> v;
    v.reserve(static_cast<size_t>(rgb.width()) * static_cast<size_t>(rgb.height()));
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            v.push_back(static_cast<float>(0.299 * qRed(line[x]) + 0.587 * qGreen(line[x]) + 0.114 * qBlue(line[x])));
    }
    return v;
}

std::optional<double> Ssim(const QImage& a, const QImage& b) { return SsimOf(ToGrey(a), ToGrey(b)); }

std::optional<double> SsimHalved(const QImage& a, const QImage& b)
{
    if (a.size() != b.size()) return std::nullopt;
    return SsimOf(Halve(ToGrey(a)), Halve(ToGrey(b)));
}

}  // namespace corpuscheck
