#include "preview/preview_image.h"

#include "platform/canvas.h"
#include "preview/paint_page.h"
#include "preview/preview.h"
#include "preview/test_preview_fixture.h"
#include "emf/emf_writer.h"
#include "reportfile/metafile.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace qrp {
namespace {

const QColor kBackground(71, 133, 207);

bool IsBlack(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y) == QColor(Qt::black);
}

// PaintPage onto a background-filled image of w x h.
QImage Painted(const TMetafile* picture, int w, int h, bool showEmpty)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kBackground);
    QPainter painter(&image);
    TCanvas canvas(&painter);
    PaintPage(picture, canvas, Rect(0, 0, w, h), showEmpty);
    return image;
}

// Frame on columns 0 and W - 3 and rows 0 and H - 3, paper (W - 4) x (H - 4) inside, shadow
// columns W - 2, W - 1 from row 2 and rows H - 2, H - 1 from column 2, corners untouched.
void ExpectSheet(const QImage& image, int ox, int oy, int W, int H)
{
    for (int y = 0; y <= H - 3; ++y) {
        ASSERT_TRUE(IsBlack(image, ox, oy + y)) << "left frame row " << y;
        ASSERT_TRUE(IsBlack(image, ox + W - 3, oy + y)) << "right frame row " << y;
    }
    for (int x = 0; x <= W - 3; ++x) {
        ASSERT_TRUE(IsBlack(image, ox + x, oy)) << "top frame column " << x;
        ASSERT_TRUE(IsBlack(image, ox + x, oy + H - 3)) << "bottom frame column " << x;
    }
    for (int y = 2; y < H; ++y) {
        ASSERT_TRUE(IsBlack(image, ox + W - 2, oy + y)) << "shadow row " << y;
        ASSERT_TRUE(IsBlack(image, ox + W - 1, oy + y)) << "shadow row " << y;
    }
    for (int x = 2; x < W; ++x) {
        ASSERT_TRUE(IsBlack(image, ox + x, oy + H - 2)) << "shadow column " << x;
        ASSERT_TRUE(IsBlack(image, ox + x, oy + H - 1)) << "shadow column " << x;
    }
    // White paper exactly (W - 4) x (H - 4): every pixel inside the frame.
    for (int y = 1; y <= H - 4; ++y)
        for (int x = 1; x <= W - 4; ++x)
            ASSERT_EQ(image.pixelColor(ox + x, oy + y), QColor(Qt::white)) << x << "," << y;
    // The 2 x 2 corners outside the frame keep what was there.
    for (auto [x, y] : {std::pair{W - 2, 0}, {W - 1, 0}, {W - 2, 1}, {W - 1, 1}, {0, H - 2}, {1, H - 2}, {0, H - 1}, {1, H - 1}})
        ASSERT_EQ(image.pixelColor(ox + x, oy + y), kBackground) << x << "," << y;
}

TEST(PaintPageTest, EmptyDesignImageShowsFramedPaper)
{
    ExpectSheet(Painted(nullptr, 718, 1014, true), 0, 0, 718, 1014);
}

TEST(PaintPageTest, NoPictureAndNoDesignDrawsNothing)
{
    const QImage image = Painted(nullptr, 50, 40, false);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x) ASSERT_EQ(image.pixelColor(x, y), kBackground);
}

TEST(PaintPageTest, AnOffsetRectangleIsDrawnAtItsPlace)
{
    QImage image(60, 50, QImage::Format_RGB32);
    image.fill(kBackground);
    QPainter painter(&image);
    TCanvas canvas(&painter);
    PaintPage(nullptr, canvas, Rect(10, 5, 50, 45), true);
    painter.end();
    ExpectSheet(image, 10, 5, 40, 40);
    EXPECT_EQ(image.pixelColor(9, 20), kBackground);
}

using PreviewImageTest = PreviewFixture;

TEST_F(PreviewImageTest, StartsEmptyAt100x50)
{
    TQRPreviewImage image;
    EXPECT_EQ(image.size(), QSize(100, 50));
    EXPECT_EQ(image.Zoom(), 100);
    EXPECT_EQ(image.PageNumber(), 1);
    EXPECT_FALSE(image.ImageOK());
    EXPECT_FALSE(image.HyperlinksOK());
    // Without a printer a page number fetches nothing.
    image.SetPageNumber(4);
    EXPECT_EQ(image.PageNumber(), 4);
    EXPECT_FALSE(image.ImageOK());
    EXPECT_EQ(image.FetchCount(), 0);
}

TEST_F(PreviewImageTest, SamePageTwiceFetchesTwice)
{
    TQRPrinter printer(&FLayout);
    printer.Load(BandedReport(2));
    TQRPreviewImage image;
    image.SetQRPrinter(&printer);
    image.SetPageNumber(2);
    image.SetPageNumber(2);
    EXPECT_EQ(image.FetchCount(), 2);
    EXPECT_TRUE(image.ImageOK());
    // A page the printer does not have leaves the image empty.
    image.SetPageNumber(3);
    EXPECT_FALSE(image.ImageOK());
}

TEST_F(PreviewImageTest, PageAt90PercentShowsFrameWhitePaperAndShadowOnPixels)
{
    TQRPrinter printer(&FLayout);
    printer.Load(BandedReport(1, /*drawn=*/false));
    TQRPreview preview;
    QPalette pal = preview.palette();
    pal.setColor(QPalette::Window, kBackground);
    preview.setPalette(pal);
    preview.setFrameShape(QFrame::NoFrame);
    preview.resize(1045, 1100);
    preview.SetQRPrinter(&printer);
    preview.SetZoom(90);
    ASSERT_EQ(preview.PreviewImage()->size(), QSize(718, 1014));
    const QImage shot = preview.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint at = preview.ImageOffset();
    EXPECT_EQ(at, QPoint((1045 - 718) / 2, (1100 - 1014) / 2));
    ExpectSheet(shot, at.x(), at.y(), 718, 1014);
}

TEST_F(PreviewImageTest, DrawnPictureIsPlayedInsideTheSheet)
{
    TQRPrinter printer(&FLayout);
    printer.Load(BandedReport(1));
    TQRPreviewImage image;
    image.SetQRPrinter(&printer);
    image.resize(798, 1127);  // 100 % at 96 dpi
    image.SetPageNumber(1);
    QImage shot(image.size(), QImage::Format_RGB32);
    shot.fill(kBackground);
    QPainter painter(&shot);
    image.DrawPage(painter);
    painter.end();
    // The dark box of page 1 covers (100, 210)..(300, 260) of the page.
    EXPECT_EQ(shot.pixelColor(200, 235), QColor(30, 60, 160));
    EXPECT_EQ(shot.pixelColor(400, 600), QColor(Qt::white));
    EXPECT_TRUE(IsBlack(shot, 0, 500));
}

int GreyPixels(const QImage& image)
{
    int grey = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) grey += qGray(image.pixel(x, y)) > 40 && qGray(image.pixel(x, y)) < 215;
    return grey;
}

TEST_F(PreviewImageTest, TheScreensPageDrawsSmoothTextWhereGdiHasNoGreyLevels)
{
    // An A4 page recorded at 96 dpi with a 13-pixel em: GDI's pixels are black or white.
    emf::EmfWriterOptions options;
    options.frame = {0, 0, 21000, 29700};
    options.devicePixels = {794, 1123};
    options.deviceMillimeters = {210, 297};
    emf::EmfWriter writer(options);
    emf::LogFontW font;
    font.height = -13;
    font.faceName = u"Arial";
    writer.ExtCreateFontIndirectW(1, font);
    writer.SelectObject(1);
    writer.ExtTextOutW({100, 100}, u"Bastonetes Segmentados Eosinófilos", {});
    const std::string path = Path("words.QRP");
    testsupport::WriteReport(path, {writer.Finish()});
    TQRPrinter printer(&FLayout);
    printer.Load(path);

    TQRPreviewImage image;
    image.SetQRPrinter(&printer);
    for (const QSize size : {QSize(798, 1127), QSize(718, 1014)}) {  // 100 % and 90 %
        image.resize(size);
        image.SetPageNumber(1);
        QImage screen(size, QImage::Format_RGB32);
        screen.fill(Qt::white);
        QPainter painter(&screen);
        image.DrawPage(painter);
        painter.end();
        const QImage text = screen.copy(60, 60, 400, 80);
        EXPECT_GT(GreyPixels(text), 100) << size.width();

        // The same page through a canvas left as it comes: GDI's text.
        QImage gdi(size, QImage::Format_RGB32);
        gdi.fill(Qt::white);
        QPainter gdiPainter(&gdi);
        TCanvas canvas(&gdiPainter);
        PaintPage(printer.GetPage(1).get(), canvas, Rect(0, 0, size.width(), size.height()), false);
        gdiPainter.end();
        EXPECT_EQ(GreyPixels(gdi.copy(60, 60, 400, 80)), 0) << size.width();
    }
}

}  // namespace
}  // namespace qrp
