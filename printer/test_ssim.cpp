#include "printer/test_ssim.h"

#include <QImage>

#include <algorithm>
#include <vector>

namespace qrp::test {

namespace {

constexpr int kWindow = 8;
constexpr int kStep = 4;
constexpr double kC1 = (0.01 * 255) * (0.01 * 255);
constexpr double kC2 = (0.03 * 255) * (0.03 * 255);

std::vector<double> Luminance(const QImage& image, int width, int height)
{
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    std::vector<double> out(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const uchar* line = gray.constScanLine(y);
        for (int x = 0; x < width; ++x) out[static_cast<size_t>(y) * width + x] = line[x];
    }
    return out;
}

}  // namespace

double Ssim(const QImage& a, const QImage& b)
{
    const int width = std::min(a.width(), b.width());
    const int height = std::min(a.height(), b.height());
    if (width < kWindow || height < kWindow) return a == b ? 1.0 : 0.0;
    const std::vector<double> la = Luminance(a, width, height);
    const std::vector<double> lb = Luminance(b, width, height);
    double sum = 0;
    int windows = 0;
    for (int y = 0; y + kWindow <= height; y += kStep) {
        for (int x = 0; x + kWindow <= width; x += kStep) {
            double ma = 0, mb = 0;
            for (int j = 0; j < kWindow; ++j)
                for (int i = 0; i < kWindow; ++i) {
                    const size_t at = static_cast<size_t>(y + j) * width + x + i;
                    ma += la[at];
                    mb += lb[at];
                }
            const double n = kWindow * kWindow;
            ma /= n;
            mb /= n;
            double va = 0, vb = 0, cov = 0;
            for (int j = 0; j < kWindow; ++j)
                for (int i = 0; i < kWindow; ++i) {
                    const size_t at = static_cast<size_t>(y + j) * width + x + i;
                    const double da = la[at] - ma, db = lb[at] - mb;
                    va += da * da;
                    vb += db * db;
                    cov += da * db;
                }
            va /= n - 1;
            vb /= n - 1;
            cov /= n - 1;
            sum += ((2 * ma * mb + kC1) * (2 * cov + kC2)) / ((ma * ma + mb * mb + kC1) * (va + vb + kC2));
            ++windows;
        }
    }
    return sum / windows;
}

}  // namespace qrp::test
