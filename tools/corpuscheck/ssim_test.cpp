#include "tools/corpuscheck/ssim.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace corpuscheck {
namespace {

QImage Page(int shift)
{
    QImage image(120, 80, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 10; y < 70; y += 6)
        for (int x = 10 + shift; x < 110; x += 3) image.setPixel(x, y, qRgb(0, 0, 0));
    return image;
}

TEST(Ssim, IdenticalIsOneAndShiftsOrBlanksScoreLower)
{
    const QImage page = Page(0);
    EXPECT_NEAR(*Ssim(page, page), 1.0, 1e-9);
    EXPECT_NEAR(*SsimHalved(page, page), 1.0, 1e-9);
    QImage blank(page.size(), QImage::Format_RGB32);
    blank.fill(Qt::white);
    const double shifted = *Ssim(page, Page(1));
    const double empty = *Ssim(page, blank);
    EXPECT_LT(shifted, 0.9);
    EXPECT_LT(empty, 0.9);
    EXPECT_GT(empty, 0.0);
    // Symmetric.
    EXPECT_NEAR(*Ssim(page, blank), *Ssim(blank, page), 1e-12);
}

TEST(Ssim, SizesMustMatchAndCoverTheWindow)
{
    EXPECT_FALSE(Ssim(Page(0), Page(0).copy(0, 0, 100, 80)));
    EXPECT_FALSE(SsimHalved(Page(0), Page(0).copy(0, 0, 100, 80)));
    QImage tiny(10, 10, QImage::Format_RGB32);
    tiny.fill(Qt::white);
    EXPECT_FALSE(Ssim(tiny, tiny));
}

TEST(Ssim, GreyLevelsWeighGreenMost)
{
    QImage image(3, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(1, 0, qRgb(0, 255, 0));
    image.setPixel(2, 0, qRgb(0, 0, 255));
    const auto g = GreyLevels(image);
    ASSERT_EQ(g.size(), 3u);
    EXPECT_NEAR(g[0], 76.245, 0.01);
    EXPECT_NEAR(g[1], 149.685, 0.01);
    EXPECT_NEAR(g[2], 29.07, 0.01);
}

}  // namespace
}  // namespace corpuscheck
