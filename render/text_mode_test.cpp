// The two text modes: GDI's pixel-exact glyphs and smoothed text placed to fractions of a
// pixel, from the same records.
#include "render/painter_device.h"
#include "render/player.h"
#include "render/test_pictures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

namespace qrp::render {
namespace {

using namespace emf::gdi;
using emf::EmfWriter;
using namespace testing;
using namespace testsupport;

// Keeps the glyph runs the player hands over.
class GlyphRecorder : public Device {
public:
    explicit GlyphRecorder(TextMode mode, bool drawsGlyphs = true) : FMode(mode), FDrawsGlyphs(drawsGlyphs) {}
    bool DrawsGlyphs() const override { return FDrawsGlyphs; }
    void FillPath(const QPainterPath&, const QBrush&, Composition) override {}
    void StrokePath(const QPainterPath&, const QPen&, Composition) override {}
    void DrawGlyphs(const GlyphRun& run) override { runs.push_back(run); }
    void DrawImage(const QImage&, const QRectF&, const QTransform&, Composition, bool) override {}
    void SetClip(const std::optional<QRegion>&) override {}
    TextMode TextDrawing() const override { return FMode; }
    std::vector<GlyphRun> runs;

private:
    TextMode FMode;
    bool FDrawsGlyphs;
};

const std::u16string kWords = u"Bastonetes Segmentados Eosinófilos";

// The table's words at a 13-pixel em with the recording program's advances.
emf::HENHMETAFILE TablePicture(std::vector<int32_t>* advances = nullptr)
{
    EmfWriter w = PixelWriter(400);
    SelectArial(w, 1, -13);
    w.SetBkMode(TRANSPARENT);
    w.SetTextAlign(TA_BASELINE);
    // Advances as a 96-dpi recording holds them: whole pixels of a hinted font.
    std::vector<int32_t> dx;
    for (char16_t c : kWords) dx.push_back(c == u' ' ? 4 : c == u'i' || c == u'l' ? 3 : c == u'm' ? 11 : 7);
    w.ExtTextOutW({10, 40}, kWords, dx);
    if (advances) *advances = dx;
    return Picture(w);
}

int GreyPixels(const QImage& image)
{
    int grey = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int g = qGray(image.pixel(x, y));
            if (g > 40 && g < 215) ++grey;
        }
    return grey;
}

QImage Played(const emf::EnhMetaFile& picture, const QSize& size, TextMode mode)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PlayEnhMetaFile(painter, picture, QRect(QPoint(0, 0), size), mode);
    return image;
}

TEST(TextModes, ADeviceWithoutGlyphsGetsOnePlacePerCodePoint)
{
    // Surrogate pairs at every place in and across groups of four units, lone halves, and
    // the units just outside the surrogates.
    const std::pair<std::u16string, size_t> cases[] = {
        {u"abcdefgh", 8},
        {u"\xD83D\xDE00", 1},
        {u"a\xD83D\xDE00", 2},
        {u"abc\xD83D\xDE00", 4},
        {u"abcd\xD83D\xDE00xy", 7},
        {u"abcdefg\xD83D\xDE00", 8},
        {u"a\xDE00\xD83D" u"bcde", 7},
        {u"abcdefg\xD83D", 8},
        {u"\xD7FF\xE000" u"abcd\xDBFF\xDC00", 7},
    };
    for (const auto& [text, codePoints] : cases) {
        EmfWriter w = PixelWriter(400);
        SelectArial(w, 1, -13);
        w.ExtTextOutW({10, 40}, text, std::vector<int32_t>(text.size(), 7));
        const auto picture = Picture(w);
        GlyphRecorder device(TextMode::kSmooth, false);
        Player(device, *picture, QRect(0, 0, 401, 401)).Play();
        ASSERT_EQ(device.runs.size(), 1u);
        EXPECT_EQ(device.runs[0].positions.size(), codePoints) << text.size();
    }
}

TEST(TextModes, GdiKeepsWholePixelGlyphsWhereSmoothHasGreyLevels)
{
    const auto picture = TablePicture();
    // At 100 % and at 90 %: 13 and 11 pixel ems, where GDI draws without grey levels.
    for (const QSize size : {QSize(401, 401), QSize(361, 361)}) {
        const QImage gdi = Played(*picture, size, TextMode::kGdi);
        const QImage smooth = Played(*picture, size, TextMode::kSmooth);
        EXPECT_EQ(GreyPixels(gdi), 0) << size.width();
        EXPECT_GT(GreyPixels(smooth), 150) << size.width();
        // The same words in the same place: ink in the same rows.
        auto inkRows = [](const QImage& image) {
            int top = image.height(), bottom = -1;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (qGray(image.pixel(x, y)) < 128) top = std::min(top, y), bottom = std::max(bottom, y);
            return std::make_pair(top, bottom);
        };
        const auto [gdiTop, gdiBottom] = inkRows(gdi);
        const auto [smoothTop, smoothBottom] = inkRows(smooth);
        EXPECT_NEAR(gdiTop, smoothTop, 2);
        EXPECT_NEAR(gdiBottom, smoothBottom, 2);
    }
}

TEST(TextModes, SmoothPlacesGlyphsByTheScaledAdvancesGdiOnWholePixels)
{
    std::vector<int32_t> dx;
    const auto picture = TablePicture(&dx);
    // 90 %: every advance becomes a fraction of a pixel.
    const QRect rect(0, 0, 361, 361);
    const double scale = 360.0 / 400.0;
    GlyphRecorder smooth(TextMode::kSmooth), gdi(TextMode::kGdi);
    Player(smooth, *picture, rect).Play();
    Player(gdi, *picture, rect).Play();
    ASSERT_EQ(smooth.runs.size(), 1u);
    ASSERT_EQ(gdi.runs.size(), 1u);
    const GlyphRun& s = smooth.runs[0];
    const GlyphRun& g = gdi.runs[0];
    ASSERT_EQ(s.positions.size(), kWords.size());
    ASSERT_EQ(g.positions.size(), kWords.size());

    // Smooth: each origin where the advances before it put it, to a fraction of a pixel,
    // over the whole run; its end after the last advance.
    const double x0 = s.positions[0].x();
    EXPECT_NEAR(x0, 10 * scale, 0.05);
    double sum = 0;
    for (size_t i = 0; i < dx.size(); ++i) {
        EXPECT_NEAR(s.positions[i].x() - x0, sum * scale, 0.01) << i;
        EXPECT_DOUBLE_EQ(s.positions[i].y(), s.positions[0].y());
        sum += dx[i];
    }
    EXPECT_NEAR(s.end.x() - x0, sum * scale, 0.01);
    EXPECT_TRUE(s.antialias);
    EXPECT_NEAR(s.font.pixelSize(), 13 * scale, 0.02) << "the em is not cut to whole pixels";

    // GDI: whole pixels, never further than half a pixel from the exact place.
    for (size_t i = 0; i < g.positions.size(); ++i) {
        EXPECT_EQ(g.positions[i].x(), std::round(g.positions[i].x())) << i;
        EXPECT_NEAR(g.positions[i].x(), s.positions[i].x(), 1.0) << i;
    }
    EXPECT_FALSE(g.antialias) << "11 pixels: GDI draws without grey levels";
    EXPECT_EQ(g.font.pixelSize(), 11);
}

TEST(TextModes, SmoothRunsWithoutAdvancesUseTheFontsUnroundedAdvances)
{
    EmfWriter w = PixelWriter(400);
    SelectArial(w, 1, -13);
    w.ExtTextOutW({10, 40}, u"Segmentados", {});
    const auto picture = Picture(w);
    GlyphRecorder smooth(TextMode::kSmooth), gdi(TextMode::kGdi);
    Player(smooth, *picture, QRect(0, 0, 361, 361)).Play();
    Player(gdi, *picture, QRect(0, 0, 361, 361)).Play();
    ASSERT_EQ(smooth.runs.size(), 1u);
    const GlyphRun& s = smooth.runs[0];
    const QList<QPointF> advances = s.font.advancesForGlyphIndexes(
        QList<quint32>(s.glyphs.begin(), s.glyphs.end()), QRawFont::UseDesignMetrics);
    double x = s.positions[0].x();
    bool fractional = false;
    for (size_t i = 0; i < s.positions.size(); ++i) {
        EXPECT_NEAR(s.positions[i].x(), x, 1e-6) << i;
        fractional = fractional || std::abs(x - std::round(x)) > 0.05;
        x += advances[static_cast<qsizetype>(i)].x();
    }
    EXPECT_TRUE(fractional);
    for (const QPointF& p : gdi.runs.at(0).positions) EXPECT_EQ(p.x(), std::round(p.x()));
}

}  // namespace
}  // namespace qrp::render
